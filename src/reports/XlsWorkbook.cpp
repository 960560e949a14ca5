#include "reports/XlsWorkbook.h"

#include "reports/Biff8Records.h"

#include <QFileDevice>
#include <QHash>
#include <QIODevice>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace yanlan {

namespace {

using namespace biff8;

constexpr int MaxFormatLength = 255;
constexpr int MaxXfCount = 4000;           // Excel refuses files with more XF records
constexpr int MinWorkbookStreamSize = 4096; // keeps the stream out of the OLE2 mini stream
constexpr int RowBlock = 32;               // ROW records are grouped ahead of their cells
constexpr int MaxColumnWidth = 255;        // characters

// CLSID of an Excel 97-2003 workbook, {00020820-0000-0000-C000-000000000046}.
constexpr guint8 ExcelClassId[16] = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

void ensureGsfInitialised()
{
    static const bool initialised = [] {
        gsf_init();
        return true;
    }();
    Q_UNUSED(initialised);
}

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GsfPtr = std::unique_ptr<T, GObjectUnref>;

QString gsfError(GsfOutput *output, const char *fallback)
{
    const GError *error = output ? gsf_output_error(output) : nullptr;
    if (error && error->message)
        return QString::fromUtf8(error->message);
    return QString::fromUtf8(fallback);
}

bool writesCell(const XlsCell &cell)
{
    switch (cell.kind) {
    case XlsCell::Kind::Text:
        return !cell.text.isEmpty();
    case XlsCell::Kind::Number:
        return true;
    case XlsCell::Kind::Empty:
        break;
    }
    return false;
}

bool isTextCell(const XlsCell &cell)
{
    return cell.kind == XlsCell::Kind::Text ||
           (cell.kind == XlsCell::Kind::Number && !std::isfinite(cell.number));
}

// The text a cell stores, cut to Excel's limit without splitting a surrogate pair.
QString storedText(const XlsCell &cell)
{
    QString text = cell.kind == XlsCell::Kind::Text ? cell.text : QString::number(cell.number);
    if (text.size() > XlsWorkbook::MaxTextLength) {
        qsizetype keep = XlsWorkbook::MaxTextLength;
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text;
}

bool isGeneralFormat(const QString &format)
{
    return format.isEmpty() || format.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0;
}

// Everything the globals substream must announce before the sheets: shared strings
// and number formats.
struct Catalogue {
    QStringList strings;
    QHash<QString, quint32> stringIndex;
    quint32 references = 0;
    QStringList formats;
    QHash<QString, quint16> formatXf;

    quint32 addString(const QString &text)
    {
        ++references;
        auto it = stringIndex.constFind(text);
        if (it != stringIndex.constEnd())
            return it.value();
        const quint32 index = quint32(strings.size());
        strings.append(text);
        stringIndex.insert(text, index);
        return index;
    }

    // Empty when the format can be used, else the reason it cannot.
    QString addFormat(const QString &format)
    {
        if (isGeneralFormat(format) || formatXf.contains(format))
            return {};
        if (format.size() > MaxFormatLength)
            return QStringLiteral("the number format \"%1...\" is longer than %2 characters")
                .arg(format.left(20))
                .arg(MaxFormatLength);
        if (XfFirstNumber + formats.size() >= MaxXfCount)
            return QStringLiteral("the table uses more than %1 different number formats")
                .arg(MaxXfCount - XfFirstNumber);
        formatXf.insert(format, quint16(XfFirstNumber + formats.size()));
        formats.append(format);
        return {};
    }

    quint16 xfFor(const XlsCell &cell) const
    {
        return isGeneralFormat(cell.format) ? XfDefaultCell : formatXf.value(cell.format);
    }
};

// Columns of a row from the first to one past the last cell that gets a record.
struct ColumnSpan {
    int first = 0;
    int end = 0;
};

template <typename Cells, typename IsWritten>
ColumnSpan spanOf(const Cells &cells, IsWritten isWritten)
{
    ColumnSpan span;
    for (int c = 0; c < int(cells.size()); ++c) {
        if (!isWritten(cells.at(c)))
            continue;
        if (span.end == 0)
            span.first = c;
        span.end = c + 1;
    }
    return span;
}

class StreamBuilder {
public:
    explicit StreamBuilder(const XlsTable &table)
        : m_table(table), m_headerRows(table.headers.isEmpty() ? 0 : 1),
          m_dataPerSheet(XlsWorkbook::MaxRowsPerSheet - m_headerRows),
          m_sheetCount(int(std::max<qsizetype>(
              1, (table.rows.size() + m_dataPerSheet - 1) / m_dataPerSheet)))
    {
    }

    // Empty on success, else why the table cannot be written.
    QString build(Stream &s)
    {
        const QString problem = collect();
        if (!problem.isEmpty())
            return problem;
        const QVector<qsizetype> sheetOffsets = writeGlobals(s);
        for (int sheet = 0; sheet < m_sheetCount; ++sheet) {
            if (s.pos() > qsizetype(std::numeric_limits<quint32>::max()))
                return QStringLiteral("the workbook grows past 4 GB");
            s.patchU32(sheetOffsets.at(sheet), quint32(s.pos()));
            writeSheet(s, sheet);
        }
        if (s.pos() < MinWorkbookStreamSize)
            s.zeros(int(MinWorkbookStreamSize - s.pos()));
        return {};
    }

private:
    QString collect()
    {
        if (m_table.headers.size() > XlsWorkbook::MaxColumns)
            return QStringLiteral("the table has %1 columns; a sheet holds at most %2")
                .arg(m_table.headers.size())
                .arg(XlsWorkbook::MaxColumns);
        for (int sheet = 0; sheet < m_sheetCount; ++sheet) {
            for (const QString &header : m_table.headers) {
                if (!header.isEmpty())
                    m_catalogue.addString(storedText(XlsCell::fromText(header)));
            }
        }
        for (qsizetype r = 0; r < m_table.rows.size(); ++r) {
            const QVector<XlsCell> &row = m_table.rows.at(r);
            if (row.size() > XlsWorkbook::MaxColumns)
                return QStringLiteral("row %1 has %2 cells; a sheet holds at most %3 columns")
                    .arg(r + 1)
                    .arg(row.size())
                    .arg(XlsWorkbook::MaxColumns);
            for (const XlsCell &cell : row) {
                if (!writesCell(cell))
                    continue;
                if (isTextCell(cell)) {
                    m_catalogue.addString(storedText(cell));
                } else {
                    const QString problem = m_catalogue.addFormat(cell.format);
                    if (!problem.isEmpty())
                        return problem;
                }
            }
        }
        return {};
    }

    QVector<qsizetype> writeGlobals(Stream &s)
    {
        writeBof(s, BofGlobals);
        writeCodePage(s);
        writeWindow1(s);
        writeDateMode(s);
        writeFonts(s);
        for (int i = 0; i < m_catalogue.formats.size(); ++i)
            writeFormat(s, quint16(FirstCustomFormat + i), m_catalogue.formats.at(i));
        writeStyleXfs(s);
        writeCellXf(s, FontBold, 0); // XfHeader
        for (int i = 0; i < m_catalogue.formats.size(); ++i)
            writeCellXf(s, FontNormal, quint16(FirstCustomFormat + i));
        writeStyles(s);
        QVector<qsizetype> offsets;
        for (int sheet = 0; sheet < m_sheetCount; ++sheet)
            offsets.append(writeBoundSheet(s, XlsWorkbook::sheetName(m_table.sheetName, sheet)));
        writeSharedStrings(s, m_catalogue.strings, m_catalogue.references);
        writeEof(s);
        return offsets;
    }

    void writeSheet(Stream &s, int sheet)
    {
        const qsizetype firstData = qsizetype(sheet) * m_dataPerSheet;
        const qsizetype dataRows =
            std::min<qsizetype>(m_dataPerSheet, m_table.rows.size() - firstData);
        const int rowCount = int(m_headerRows + std::max<qsizetype>(0, dataRows));

        QVector<ColumnSpan> spans(rowCount);
        int columnEnd = 0;
        for (int r = 0; r < rowCount; ++r) {
            spans[r] = r < m_headerRows ? spanOf(m_table.headers,
                                                 [](const QString &h) { return !h.isEmpty(); })
                                        : spanOf(dataRow(firstData, r), writesCell);
            columnEnd = std::max(columnEnd, spans[r].end);
        }

        writeBof(s, BofWorksheet);
        writeDefaultRowHeight(s);
        writeDefColWidth(s, 8);
        const int widths = std::min<int>(int(m_table.columnWidths.size()), XlsWorkbook::MaxColumns);
        for (int c = 0; c < widths; ++c) {
            const int width = m_table.columnWidths.at(c);
            if (width > 0)
                writeColInfo(s, quint16(c), quint16(std::min(width, MaxColumnWidth) * 256));
        }
        writeDimensions(s, quint32(rowCount), quint16(columnEnd));

        for (int blockStart = 0; blockStart < rowCount; blockStart += RowBlock) {
            const int blockEnd = std::min(rowCount, blockStart + RowBlock);
            for (int r = blockStart; r < blockEnd; ++r)
                writeRow(s, quint16(r), quint16(spans[r].first), quint16(spans[r].end));
            for (int r = blockStart; r < blockEnd; ++r) {
                if (r < m_headerRows)
                    writeHeaderCells(s, quint16(r));
                else
                    writeDataCells(s, quint16(r), dataRow(firstData, r));
            }
        }

        writeWindow2(s, sheet == 0);
        writeEof(s);
    }

    const QVector<XlsCell> &dataRow(qsizetype firstData, int sheetRow) const
    {
        return m_table.rows.at(firstData + sheetRow - m_headerRows);
    }

    void writeHeaderCells(Stream &s, quint16 row)
    {
        for (int c = 0; c < m_table.headers.size(); ++c) {
            const QString &header = m_table.headers.at(c);
            if (header.isEmpty())
                continue;
            const quint32 index =
                m_catalogue.stringIndex.value(storedText(XlsCell::fromText(header)));
            writeLabelSst(s, row, quint16(c), XfHeader, index);
        }
    }

    void writeDataCells(Stream &s, quint16 row, const QVector<XlsCell> &cells)
    {
        for (int c = 0; c < cells.size(); ++c) {
            const XlsCell &cell = cells.at(c);
            if (!writesCell(cell))
                continue;
            if (isTextCell(cell)) {
                const quint32 index = m_catalogue.stringIndex.value(storedText(cell));
                writeLabelSst(s, row, quint16(c), XfDefaultCell, index);
            } else {
                writeNumber(s, row, quint16(c), m_catalogue.xfFor(cell), cell.number);
            }
        }
    }

    const XlsTable &m_table;
    const int m_headerRows;
    const int m_dataPerSheet;
    const int m_sheetCount;
    Catalogue m_catalogue;
};

// Puts the BIFF stream into an OLE2 compound file as its "Workbook" stream.
// Empty on success, else what went wrong.
QString packCompoundFile(const QByteArray &stream, QByteArray &file)
{
    ensureGsfInitialised();
    GsfPtr<GsfOutput> memory(gsf_output_memory_new());
    if (!memory)
        return QStringLiteral("cannot create the in-memory compound file");
    GsfPtr<GsfOutfile> ole(gsf_outfile_msole_new(memory.get()));
    if (!ole)
        return QStringLiteral("cannot create the compound file");
    if (!gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole.get()), ExcelClassId))
        return QStringLiteral("cannot set the class id of the compound file");
    GsfPtr<GsfOutput> workbook(gsf_outfile_new_child(ole.get(), "Workbook", FALSE));
    if (!workbook)
        return QStringLiteral("cannot create the Workbook stream");

    const auto *bytes = reinterpret_cast<const guint8 *>(stream.constData());
    if (!gsf_output_write(workbook.get(), size_t(stream.size()), bytes))
        return QStringLiteral("writing the Workbook stream failed: %1")
            .arg(gsfError(workbook.get(), "unknown error"));
    if (!gsf_output_close(workbook.get()))
        return QStringLiteral("closing the Workbook stream failed: %1")
            .arg(gsfError(workbook.get(), "unknown error"));
    if (!gsf_output_close(GSF_OUTPUT(ole.get())))
        return QStringLiteral("closing the compound file failed: %1")
            .arg(gsfError(GSF_OUTPUT(ole.get()), "unknown error"));
    if (!gsf_output_is_closed(memory.get()) && !gsf_output_close(memory.get()))
        return QStringLiteral("closing the in-memory compound file failed: %1")
            .arg(gsfError(memory.get(), "unknown error"));

    const gsf_off_t size = gsf_output_size(memory.get());
    const guint8 *data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    if (size <= 0 || !data)
        return QStringLiteral("the compound file came out empty");
    file = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    return {};
}

} // namespace

QString XlsWorkbook::sheetName(const QString &base, int sheetIndex)
{
    static const QString refused = QStringLiteral("[]:*?/\\");
    QString name;
    name.reserve(base.size());
    for (QChar c : base)
        name.append(refused.contains(c) || c.unicode() < 0x20 ? QChar(u'_') : c);
    if (name.isEmpty())
        name = QStringLiteral("Sheet1");

    const QString suffix = sheetIndex > 0 ? QStringLiteral(" (%1)").arg(sheetIndex + 1) : QString();
    const qsizetype room = 31 - suffix.size();
    if (name.size() > room) {
        name.truncate(room);
        if (name.back().isHighSurrogate())
            name.chop(1);
    }
    // Excel refuses names that start or end with an apostrophe.
    if (name.startsWith(u'\''))
        name[0] = u'_';
    if (name.endsWith(u'\''))
        name[name.size() - 1] = u'_';
    return name + suffix;
}

bool XlsWorkbook::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool XlsWorkbook::write(const XlsTable &table, QIODevice *device)
{
    m_error.clear();
    if (!device)
        return fail(QStringLiteral("no device to write the workbook to"));
    if (!device->isOpen() || !device->isWritable())
        return fail(QStringLiteral("the device is not open for writing"));

    Stream stream;
    QString problem = StreamBuilder(table).build(stream);
    if (!problem.isEmpty())
        return fail(problem);

    QByteArray file;
    problem = packCompoundFile(stream.data(), file);
    if (!problem.isEmpty())
        return fail(problem);
    stream = Stream(); // the BIFF stream is no longer needed

    for (qsizetype done = 0; done < file.size();) {
        const qint64 written = device->write(file.constData() + done, file.size() - done);
        if (written <= 0)
            return fail(QStringLiteral("writing the workbook failed after %1 of %2 bytes: %3")
                            .arg(done)
                            .arg(file.size())
                            .arg(device->errorString()));
        done += written;
    }
    if (auto *fileDevice = qobject_cast<QFileDevice *>(device); fileDevice && !fileDevice->flush())
        return fail(QStringLiteral("writing the workbook failed: %1").arg(fileDevice->errorString()));
    return true;
}

} // namespace yanlan
