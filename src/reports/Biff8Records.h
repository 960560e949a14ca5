#pragma once

// Low-level pieces of an Excel 97-2003 (BIFF8) workbook stream: a little-endian byte
// sink, the fixed records the workbook writer needs, and the shared string table with
// its CONTINUE splitting. Only XlsWorkbook.cpp uses this header.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstring>

namespace yanlan::biff8 {

// Record types.
enum : quint16 {
    RecEof = 0x000A,
    RecDateMode = 0x0022,
    RecFont = 0x0031,
    RecContinue = 0x003C,
    RecWindow1 = 0x003D,
    RecCodePage = 0x0042,
    RecDefColWidth = 0x0055,
    RecColInfo = 0x007D,
    RecBoundSheet = 0x0085,
    RecXf = 0x00E0,
    RecSst = 0x00FC,
    RecLabelSst = 0x00FD,
    RecExtSst = 0x00FF,
    RecDimensions = 0x0200,
    RecNumber = 0x0203,
    RecRow = 0x0208,
    RecDefaultRowHeight = 0x0225,
    RecWindow2 = 0x023E,
    RecStyle = 0x0293,
    RecFormat = 0x041E,
    RecBof = 0x0809,
};

// BOF substream kinds.
enum : quint16 { BofGlobals = 0x0005, BofWorksheet = 0x0010 };

// Largest data part of one record; longer data goes on in CONTINUE records.
constexpr int MaxRecordData = 8224;

// Cell XF layout of every workbook: 0-14 style XFs, 15 the default cell XF, 16-20 the
// built-in number styles, 21 the bold header, then one XF per number format in use.
constexpr quint16 XfDefaultCell = 15;
constexpr quint16 XfHeader = 21;
constexpr quint16 XfFirstNumber = 22;
constexpr quint16 FirstCustomFormat = 164;

// Font indexes as cells refer to them (index 4 does not exist in BIFF).
constexpr quint16 FontNormal = 0;
constexpr quint16 FontBold = 6;

// Row height matching the 11 pt default font, in twips.
constexpr quint16 DefaultRowHeight = 270;

class Stream {
public:
    qsizetype pos() const { return m_data.size(); }
    QByteArray &data() { return m_data; }
    void reserve(qsizetype bytes) { m_data.reserve(bytes); }

    void u8(quint8 v) { m_data.append(char(v)); }
    void u16(quint16 v)
    {
        const char b[2] = {char(v & 0xFF), char(v >> 8)};
        m_data.append(b, 2);
    }
    void u32(quint32 v)
    {
        const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                           char(v >> 24)};
        m_data.append(b, 4);
    }
    void f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(quint32(bits & 0xFFFFFFFFu));
        u32(quint32(bits >> 32));
    }
    void zeros(int count) { m_data.append(count, '\0'); }
    void header(quint16 type, quint16 size)
    {
        u16(type);
        u16(size);
    }
    void patchU16(qsizetype at, quint16 v)
    {
        m_data[at] = char(v & 0xFF);
        m_data[at + 1] = char(v >> 8);
    }
    void patchU32(qsizetype at, quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            m_data[at + i] = char((v >> (8 * i)) & 0xFF);
    }

private:
    QByteArray m_data;
};

// True when every UTF-16 unit fits in one byte, so the text may be stored compressed.
bool isLatin1(const QChar *chars, qsizetype count);

// Globals records.
void writeBof(Stream &s, quint16 kind);
void writeEof(Stream &s);
void writeCodePage(Stream &s);
void writeWindow1(Stream &s);
void writeDateMode(Stream &s);
void writeFonts(Stream &s); // 0, 1, 2, 3, 5 normal and 6 bold
void writeFormat(Stream &s, quint16 id, const QString &code);
void writeStyleXfs(Stream &s); // XF 0-20
void writeCellXf(Stream &s, quint16 font, quint16 format);
void writeStyles(Stream &s);
// Writes a BOUNDSHEET whose stream offset is still 0; returns where that offset sits.
qsizetype writeBoundSheet(Stream &s, const QString &name);

// Writes SST, its CONTINUE records and EXTSST. `strings` are the unique texts in index
// order, `references` the number of LABELSST cells that point into the table.
void writeSharedStrings(Stream &s, const QStringList &strings, quint32 references);

// Worksheet records.
void writeDefaultRowHeight(Stream &s);
void writeDefColWidth(Stream &s, quint16 characters);
void writeColInfo(Stream &s, quint16 column, quint16 width256);
void writeDimensions(Stream &s, quint32 rowEnd, quint16 columnEnd);
void writeRow(Stream &s, quint16 row, quint16 firstColumn, quint16 columnEnd);
void writeWindow2(Stream &s, bool active);

inline void writeLabelSst(Stream &s, quint16 row, quint16 column, quint16 xf, quint32 index)
{
    s.header(RecLabelSst, 10);
    s.u16(row);
    s.u16(column);
    s.u16(xf);
    s.u32(index);
}

inline void writeNumber(Stream &s, quint16 row, quint16 column, quint16 xf, double value)
{
    s.header(RecNumber, 14);
    s.u16(row);
    s.u16(column);
    s.u16(xf);
    s.f64(value);
}

} // namespace yanlan::biff8
