#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

namespace yanlan {

// One cell of an exported grid.
struct XlsCell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    QString text;    // Text
    double number = 0; // Number
    // Number: an Excel number format such as "0.00", "0" or "General"; empty means General.
    QString format;

    static XlsCell empty() { return {}; }
    static XlsCell fromText(const QString &text)
    {
        XlsCell c;
        c.kind = Kind::Text;
        c.text = text;
        return c;
    }
    static XlsCell fromNumber(double number, const QString &format = {})
    {
        XlsCell c;
        c.kind = Kind::Number;
        c.number = number;
        c.format = format;
        return c;
    }
};

// A grid as it goes into a workbook.
struct XlsTable {
    // Name of the first sheet, e.g. "持股表"; further sheets get " (2)", " (3)" appended.
    // Characters Excel refuses ([]:*?/\) become "_" and the name is cut to 31 characters.
    QString sheetName;
    // First row of every sheet, in bold. Without headers the data starts in the first row.
    QStringList headers;
    // Data rows; the last one may be a footer.
    QVector<QVector<XlsCell>> rows;
    // Optional column widths in characters; 0 or a missing entry keeps the default.
    QVector<int> columnWidths;
};

// Writes an Excel 97-2003 workbook (.xls): BIFF8 records in an OLE2 compound file.
//
// A sheet holds at most 65,536 rows; longer tables go on in further sheets, each
// starting with the header row again. Text cells longer than Excel's cell limit of
// 32,767 characters are cut to it; empty text is written as an empty cell; numbers that
// are not finite are written as their text ("nan", "inf", "-inf"). A table wider than
// 256 columns, a number format longer than 255 characters or more number formats than
// Excel can hold makes write() fail.
class XlsWorkbook {
public:
    // Writes the whole workbook to the device, which must be open for writing.
    // False on failure, with the reason in errorString().
    bool write(const XlsTable &table, QIODevice *device);
    QString errorString() const { return m_error; }

    // The name of the sheet with the 0-based index for the given table sheet name.
    static QString sheetName(const QString &base, int sheetIndex);

    static constexpr int MaxRowsPerSheet = 65536;
    static constexpr int MaxColumns = 256;
    static constexpr int MaxTextLength = 32767;

private:
    bool fail(const QString &reason);

    QString m_error;
};

} // namespace yanlan
