#include "reports/Biff8Records.h"

#include <QVector>

#include <algorithm>

namespace yanlan::biff8 {

namespace {

constexpr quint16 BiffVersion = 0x0600;
constexpr quint16 CodePageUtf16 = 1200;
constexpr quint8 FlagWide = 0x01; // option byte of a string: 16-bit characters follow
constexpr quint16 StyleXfFlags = 0xFFF5; // locked, style XF, no parent
constexpr quint16 CellXfFlags = 0x0001;  // locked, parent is style XF 0
constexpr quint8 AlignBottom = 0x20;
constexpr quint8 UsedFormat = 0x04;
constexpr quint8 UsedFont = 0x08;
constexpr quint16 AutomaticColour = 0x7FFF;
constexpr quint16 DefaultPatternColours = 0x20C0; // foreground 64, background 65

void writeChars(Stream &s, const QChar *chars, qsizetype count, bool wide)
{
    QByteArray &out = s.data();
    const qsizetype start = out.size();
    out.resize(start + count * (wide ? 2 : 1));
    char *dst = out.data() + start;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = chars[i].unicode();
        if (wide) {
            *dst++ = char(c & 0xFF);
            *dst++ = char(c >> 8);
        } else {
            *dst++ = char(c);
        }
    }
}

// Count byte, option byte and characters: the name form used by FONT and BOUNDSHEET.
int shortStringSize(const QString &text)
{
    return 2 + int(text.size()) * (isLatin1(text.constData(), text.size()) ? 1 : 2);
}

void writeShortString(Stream &s, const QString &text)
{
    const bool wide = !isLatin1(text.constData(), text.size());
    s.u8(quint8(text.size()));
    s.u8(wide ? FlagWide : 0);
    writeChars(s, text.constData(), text.size(), wide);
}

void writeXf(Stream &s, quint16 font, quint16 format, quint16 flags, quint8 used)
{
    s.header(RecXf, 20);
    s.u16(font);
    s.u16(format);
    s.u16(flags);
    s.u8(AlignBottom);
    s.u8(0); // rotation
    s.u8(0); // indent, shrink, reading order
    s.u8(used);
    s.u32(0); // no borders
    s.u32(0); // no diagonal, no fill pattern
    s.u16(DefaultPatternColours);
}

void writeFont(Stream &s, bool bold)
{
    static const QString name = QStringLiteral("宋体");
    s.header(RecFont, quint16(14 + shortStringSize(name)));
    s.u16(220); // 11 pt in twips
    s.u16(bold ? 0x0001 : 0); // bit 0 repeats the weight for older readers; not italic
    s.u16(AutomaticColour);
    s.u16(bold ? 700 : 400);
    s.u16(0);   // no super/subscript
    s.u8(0);    // no underline
    s.u8(0);    // family unknown
    s.u8(134);  // GB2312 character set
    s.u8(0);
    writeShortString(s, name);
}

void writeBuiltInStyle(Stream &s, quint16 xf, quint8 style)
{
    s.header(RecStyle, 4);
    s.u16(0x8000 | xf);
    s.u8(style);
    s.u8(0xFF); // no outline level
}

} // namespace

bool isLatin1(const QChar *chars, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (chars[i].unicode() > 0xFF)
            return false;
    }
    return true;
}

void writeBof(Stream &s, quint16 kind)
{
    s.header(RecBof, 16);
    s.u16(BiffVersion);
    s.u16(kind);
    s.u16(0x0DBB); // build
    s.u16(0x07CC); // build year
    s.u32(0);      // file history
    s.u32(0x06);   // lowest version that can read the file
}

void writeEof(Stream &s) { s.header(RecEof, 0); }

void writeCodePage(Stream &s)
{
    s.header(RecCodePage, 2);
    s.u16(CodePageUtf16);
}

void writeWindow1(Stream &s)
{
    s.header(RecWindow1, 18);
    s.u16(0x01E0); // window position and size in twips
    s.u16(0x005A);
    s.u16(0x3FCF);
    s.u16(0x2A4E);
    s.u16(0x0038); // horizontal and vertical scroll bars, sheet tabs
    s.u16(0);      // active sheet
    s.u16(0);      // first visible tab
    s.u16(1);      // selected sheets
    s.u16(0x0258); // tab bar width ratio (600/1000)
}

void writeDateMode(Stream &s)
{
    s.header(RecDateMode, 2);
    s.u16(0); // 1900 date system
}

void writeFonts(Stream &s)
{
    // Five plain fonts take the indexes 0, 1, 2, 3 and 5; the bold one is then 6.
    for (int i = 0; i < 5; ++i)
        writeFont(s, false);
    writeFont(s, true);
}

void writeFormat(Stream &s, quint16 id, const QString &code)
{
    const bool wide = !isLatin1(code.constData(), code.size());
    s.header(RecFormat, quint16(2 + 3 + code.size() * (wide ? 2 : 1)));
    s.u16(id);
    s.u16(quint16(code.size()));
    s.u8(wide ? FlagWide : 0);
    writeChars(s, code.constData(), code.size(), wide);
}

void writeStyleXfs(Stream &s)
{
    writeXf(s, 0, 0, StyleXfFlags, 0);
    for (quint16 font : {1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
        writeXf(s, font, 0, StyleXfFlags, 0xF4);
    writeXf(s, 0, 0, CellXfFlags, 0); // 15: default cell XF
    // 16-20: Comma, Comma [0], Currency, Currency [0], Percent
    for (quint16 format : {43, 41, 44, 42, 9})
        writeXf(s, 1, format, StyleXfFlags, 0xF8);
}

void writeCellXf(Stream &s, quint16 font, quint16 format)
{
    quint8 used = 0;
    if (font != FontNormal)
        used |= UsedFont;
    if (format != 0)
        used |= UsedFormat;
    writeXf(s, font, format, CellXfFlags, used);
}

void writeStyles(Stream &s)
{
    writeBuiltInStyle(s, 0, 0);  // Normal
    writeBuiltInStyle(s, 16, 3); // Comma
    writeBuiltInStyle(s, 17, 6); // Comma [0]
    writeBuiltInStyle(s, 18, 4); // Currency
    writeBuiltInStyle(s, 19, 7); // Currency [0]
    writeBuiltInStyle(s, 20, 5); // Percent
}

qsizetype writeBoundSheet(Stream &s, const QString &name)
{
    s.header(RecBoundSheet, quint16(6 + shortStringSize(name)));
    const qsizetype offsetAt = s.pos();
    s.u32(0);
    s.u8(0); // visible
    s.u8(0); // worksheet
    writeShortString(s, name);
    return offsetAt;
}

void writeSharedStrings(Stream &s, const QStringList &strings, quint32 references)
{
    struct Bucket {
        quint32 streamPos;
        quint16 recordOffset;
    };
    const int count = int(strings.size());
    // EXTSST holds at most 128 buckets and at least 8 strings per bucket.
    const int perBucket = std::max(8, (count + 127) / 128);
    QVector<Bucket> buckets;
    buckets.reserve((count + perBucket - 1) / perBucket);

    qsizetype recordStart = s.pos();
    s.header(RecSst, 0);
    s.u32(references);
    s.u32(quint32(count));
    auto used = [&] { return int(s.pos() - recordStart - 4); };
    auto closeRecord = [&] { s.patchU16(recordStart + 2, quint16(used())); };
    auto openContinue = [&] {
        closeRecord();
        recordStart = s.pos();
        s.header(RecContinue, 0);
    };

    for (int i = 0; i < count; ++i) {
        const QString &text = strings.at(i);
        const QChar *chars = text.constData();
        qsizetype left = text.size();
        const bool wide = !isLatin1(chars, left);
        const int unit = wide ? 2 : 1;
        // The character count and option byte never straddle two records, and at least
        // one character goes with them.
        if (MaxRecordData - used() < 3 + (left > 0 ? unit : 0))
            openContinue();
        if (i % perBucket == 0)
            buckets.append({quint32(s.pos()), quint16(s.pos() - recordStart)});
        s.u16(quint16(left));
        s.u8(wide ? FlagWide : 0);
        for (;;) {
            const qsizetype fit = std::min<qsizetype>(left, (MaxRecordData - used()) / unit);
            writeChars(s, chars, fit, wide);
            chars += fit;
            left -= fit;
            if (left == 0)
                break;
            // The rest of the characters go on in a CONTINUE record that starts with
            // the option byte again.
            openContinue();
            s.u8(wide ? FlagWide : 0);
        }
    }
    closeRecord();

    s.header(RecExtSst, quint16(2 + 8 * buckets.size()));
    s.u16(quint16(perBucket));
    for (const Bucket &b : buckets) {
        s.u32(b.streamPos);
        s.u16(b.recordOffset);
        s.u16(0);
    }
}

void writeDefaultRowHeight(Stream &s)
{
    s.header(RecDefaultRowHeight, 4);
    s.u16(0);
    s.u16(DefaultRowHeight);
}

void writeDefColWidth(Stream &s, quint16 characters)
{
    s.header(RecDefColWidth, 2);
    s.u16(characters);
}

void writeColInfo(Stream &s, quint16 column, quint16 width256)
{
    s.header(RecColInfo, 12);
    s.u16(column);
    s.u16(column);
    s.u16(width256);
    s.u16(XfDefaultCell);
    s.u16(0); // not hidden, no outline
    s.u16(0);
}

void writeDimensions(Stream &s, quint32 rowEnd, quint16 columnEnd)
{
    s.header(RecDimensions, 14);
    s.u32(0);
    s.u32(rowEnd);
    s.u16(0);
    s.u16(columnEnd);
    s.u16(0);
}

void writeRow(Stream &s, quint16 row, quint16 firstColumn, quint16 columnEnd)
{
    s.header(RecRow, 16);
    s.u16(row);
    s.u16(firstColumn);
    s.u16(columnEnd);
    s.u16(DefaultRowHeight);
    s.u16(0);
    s.u16(0);
    // The reserved bit 8 is always set; the row XF field names the default cell XF.
    s.u32(0x00000100u | (quint32(XfDefaultCell) << 16));
}

void writeWindow2(Stream &s, bool active)
{
    // grid lines, row and column headings, zero values, automatic grid colour, outline
    // symbols; the active sheet is also selected and shown
    s.header(RecWindow2, 18);
    s.u16(active ? 0x06B6 : 0x00B6);
    s.u16(0);  // top row
    s.u16(0);  // left column
    s.u16(64); // grid line colour: automatic
    s.u16(0);
    s.u16(0); // zoom in page break preview: default
    s.u16(0); // zoom in normal view: default
    s.u32(0);
}

} // namespace yanlan::biff8
