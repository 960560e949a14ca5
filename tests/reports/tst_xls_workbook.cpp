#include "reports/XlsWorkbook.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace yanlan;

Q_DECLARE_METATYPE(yanlan::XlsTable)

namespace {

// The workbooks are read back by xlrd; the test command installs python3-xlrd.
const QString Python = QStringLiteral("/usr/bin/python3");
constexpr int ProcessTimeoutMs = 300000;

XlsCell text(const QString &t) { return XlsCell::fromText(t); }
XlsCell num(double n, const QString &format = {}) { return XlsCell::fromNumber(n, format); }

XlsTable makeTable(const QString &name, const QStringList &headers,
                   const QVector<QVector<XlsCell>> &rows, const QVector<int> &widths = {})
{
    XlsTable t;
    t.sheetName = name;
    t.headers = headers;
    t.rows = rows;
    t.columnWidths = widths;
    return t;
}

// Rows "code, amount, price" numbered from 1, as a long trade history exports.
XlsTable numberedTable(int rowCount, const QStringList &headers)
{
    XlsTable t;
    t.sheetName = QStringLiteral("持股表");
    t.headers = headers;
    t.rows.reserve(rowCount);
    for (int i = 1; i <= rowCount; ++i)
        t.rows.append({text(QStringLiteral("SH%1").arg(600000 + i % 1000)), num(i, "0"),
                       num(i / 100.0, "0.00")});
    return t;
}

// A table without headers whose first text fills the SST record up to `freeBytes` bytes
// before its end, followed by a long text that has to go on in a CONTINUE record.
XlsTable sstBoundaryTable(int freeBytes, bool wideNext)
{
    // SST data: 8 bytes of counts, then 3 bytes of count and option byte per string.
    const QString first(8224 - 8 - 3 - freeBytes, QChar(u'a'));
    const QString next = wideNext ? QString(5000, QChar(u'股')) : QString(5000, QChar(u'b'));
    return makeTable(QStringLiteral("边界"), {}, {{text(first)}, {text(next)}, {text("尾")}});
}

// --- what a table should read back as, in the form xls_dump.py prints -----------------

QJsonValue expectedCell(const XlsCell &cell, bool bold)
{
    switch (cell.kind) {
    case XlsCell::Kind::Empty:
        break;
    case XlsCell::Kind::Text:
        if (cell.text.isEmpty())
            break;
        return QJsonArray{"text", cell.text.left(XlsWorkbook::MaxTextLength), "General", bold};
    case XlsCell::Kind::Number:
        if (!std::isfinite(cell.number))
            return QJsonArray{"text", QString::number(cell.number), "General", false};
        return QJsonArray{"number", cell.number,
                          cell.format.isEmpty() ? QStringLiteral("General") : cell.format, false};
    }
    return QJsonValue::Null;
}

QJsonArray expectedRow(const QVector<XlsCell> &cells, bool bold)
{
    QJsonArray row;
    for (const XlsCell &cell : cells)
        row.append(expectedCell(cell, bold));
    while (!row.isEmpty() && row.last().isNull())
        row.removeLast();
    return row;
}

// Every sheet starts with the header row (when there is one) and holds at most
// 65,536 rows; the data rows go on in order over as many sheets as they need.
QJsonArray expectedSheets(const XlsTable &table)
{
    QVector<XlsCell> headerCells;
    for (const QString &h : table.headers)
        headerCells.append(text(h));
    const int headerRows = table.headers.isEmpty() ? 0 : 1;
    const int perSheet = 65536 - headerRows;
    QJsonObject widths;
    for (int c = 0; c < table.columnWidths.size(); ++c) {
        if (table.columnWidths[c] > 0)
            widths[QString::number(c)] = double(std::min(table.columnWidths[c], 255));
    }

    QJsonArray sheets;
    int next = 0;
    do {
        QJsonArray rows;
        if (headerRows)
            rows.append(expectedRow(headerCells, true));
        for (int i = 0; i < perSheet && next < table.rows.size(); ++i, ++next)
            rows.append(expectedRow(table.rows[next], false));
        sheets.append(QJsonObject{
            {"name", XlsWorkbook::sheetName(table.sheetName, int(sheets.size()))},
            {"widths", widths},
            {"rows", rows}});
    } while (next < table.rows.size());
    return sheets;
}

// --- reading a workbook back ----------------------------------------------------------

// Runs xls_dump.py on the file; fails the current test when that is not possible.
QJsonObject dumpWorkbook(const QString &path)
{
    const QString script = QFINDTESTDATA("xls_dump.py");
    QProcess process;
    process.start(Python, {script, path});
    if (!process.waitForFinished(ProcessTimeoutMs)) {
        QTest::qFail(qPrintable(QStringLiteral("%1 could not run xls_dump.py: %2")
                                    .arg(Python, process.errorString())),
                     __FILE__, __LINE__);
        return {};
    }
    const QByteArray errors = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("xls_dump.py failed on %1:\n%2")
                                    .arg(path, QString::fromUtf8(errors))),
                     __FILE__, __LINE__);
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(process.readAllStandardOutput(), &parseError);
    if (!doc.isObject()) {
        QTest::qFail(qPrintable(QStringLiteral("xls_dump.py printed no JSON object: %1")
                                    .arg(parseError.errorString())),
                     __FILE__, __LINE__);
        return {};
    }
    return doc.object();
}

QString compact(const QJsonValue &v)
{
    const QJsonDocument doc = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
    QString s = QString::fromUtf8(doc.toJson(QJsonDocument::Compact));
    return s.size() > 300 ? s.left(300) + QStringLiteral("...") : s;
}

// Sheet by sheet and row by row, so a failure names the first cell that differs.
void compareSheets(const QJsonArray &actual, const QJsonArray &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (int s = 0; s < expected.size(); ++s) {
        const QJsonObject a = actual[s].toObject();
        const QJsonObject e = expected[s].toObject();
        QCOMPARE(a["name"].toString(), e["name"].toString());
        QCOMPARE(a["widths"].toObject(), e["widths"].toObject());
        const QJsonArray aRows = a["rows"].toArray();
        const QJsonArray eRows = e["rows"].toArray();
        QCOMPARE(aRows.size(), eRows.size());
        for (int r = 0; r < eRows.size(); ++r) {
            QVERIFY2(aRows[r] == eRows[r],
                     qPrintable(QStringLiteral("sheet %1 row %2:\n  read back %3\n  expected  %4")
                                    .arg(s + 1)
                                    .arg(r + 1)
                                    .arg(compact(aRows[r]), compact(eRows[r]))));
        }
    }
}

// Takes whatever it is given, at most `perCall` bytes a call and `total` bytes in all;
// past that it reports `exhausted` (0 or -1).
class ChokingDevice : public QIODevice {
public:
    ChokingDevice(qint64 perCall, qint64 total, qint64 exhausted)
        : m_perCall(perCall), m_total(total), m_exhausted(exhausted)
    {
    }
    QByteArray received;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 take = std::min({len, m_perCall, m_total - qint64(received.size())});
        if (take <= 0)
            return m_exhausted;
        received.append(data, take);
        return take;
    }

private:
    qint64 m_perCall, m_total, m_exhausted;
};

} // namespace

class TestXlsWorkbook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void deviceKinds_data();
    void deviceKinds();
    void failures_data();
    void failures();
    void sheetNames_data();
    void sheetNames();

private:
    QTemporaryDir m_dir;
};

void TestXlsWorkbook::initTestCase()
{
    QVERIFY2(QFile::exists(Python),
             "/usr/bin/python3 is missing; the workbook tests need it with python3-xlrd");
    QVERIFY2(!QFINDTESTDATA("xls_dump.py").isEmpty(), "xls_dump.py not found beside the test");
    QProcess probe;
    probe.start(Python, {"-c", "import xlrd"});
    QVERIFY2(probe.waitForFinished(ProcessTimeoutMs) && probe.exitCode() == 0,
             qPrintable("xlrd cannot be imported by /usr/bin/python3 (install python3-xlrd): " +
                        QString::fromUtf8(probe.readAllStandardError())));
    QVERIFY(m_dir.isValid());
}

void TestXlsWorkbook::roundTrip_data()
{
    QTest::addColumn<XlsTable>("table");
    QTest::addColumn<bool>("needsContinue"); // the SST must spill into CONTINUE records

    const QStringList holdingHeaders = {"证券代码", "证券名称", "持股数量", "成本价", "市值"};
    QTest::newRow("chinese holdings with footer")
        << makeTable("持股表", holdingHeaders,
                     {{text("600000"), text("浦发银行"), num(1000, "0"), num(10.456, "0.00"),
                       num(10456, "0.00")},
                      {text("000001"), text("平安银行"), num(200, "0"), num(12.5, "0.00"),
                       num(2500, "0.00")},
                      {text("合计"), XlsCell::empty(), XlsCell::empty(), XlsCell::empty(),
                       num(12956, "0.00")}})
        << false;
    QTest::newRow("empty cells, ragged and empty rows")
        << makeTable("成交", {"a", "", "c"},
                     {{text("x"), XlsCell::empty(), text("z")},
                      {},
                      {XlsCell::empty(), XlsCell::empty(), XlsCell::empty(), num(4)},
                      {text(""), text("only second")},
                      {text("long row"), num(1), num(2), num(3), num(5), num(6)},
                      {},
                      {}})
        << false;
    QTest::newRow("negative, tiny, huge and non-finite numbers")
        << makeTable("数字", {"值"},
                     {{num(-1234.5, "0.00")},
                      {num(-0.001, "0.00")},
                      {num(-7, "0")},
                      {num(1e15, "0")},
                      {num(1e-300)},
                      {num(-1.7976931348623157e308)},
                      {num(0.1 + 0.2)},
                      {num(0)},
                      {num(std::numeric_limits<double>::quiet_NaN())},
                      {num(std::numeric_limits<double>::infinity())},
                      {num(-std::numeric_limits<double>::infinity())}})
        << false;
    QTest::newRow("number formats")
        << makeTable("格式", {"f"},
                     {{num(1.5, "0.00"), num(2.5, "0"), num(3.5, "General"), num(4.5, "")},
                      {num(1234567.891, "#,##0.00"), num(0.1234, "0.00%"),
                       num(99.5, "0.00\"元\""), num(-5.25, "0.00;[Red]-0.00")},
                      {num(6.5, "0.00"), num(7.5, "0")}})
        << false;
    QTest::newRow("latin-1 and wide texts")
        << makeTable("Text", {"latin", "wide"},
                     {{text("café naïve ×÷ ÿ"), text("price €5")},
                      {text("plain ascii"), text("上涨 📈")},
                      {text("ÀÉÎÕÜ"), text("Ā")}})
        << false;
    QTest::newRow("no header row")
        << makeTable("数据", {}, {{text("r1"), num(1, "0")}, {text("r2"), num(2, "0")}}) << false;
    QTest::newRow("column widths")
        << makeTable("宽度", {"a", "b", "c", "d"}, {{text("1"), text("2"), text("3"), text("4")}},
                     {10, 0, 30, 300})
        << false;

    {
        XlsTable t = makeTable("字符串", {"编号", "名称"}, {});
        for (int i = 0; i < 10000; ++i)
            t.rows.append({text(QStringLiteral("code-%1").arg(i)),
                           text(QStringLiteral("股票名称第%1号").arg(i))});
        QTest::newRow("10,000 distinct strings") << t << true;
    }
    QTest::newRow("10,000-character strings and one past the cell limit")
        << makeTable("长文本", {"t"},
                     {{text(QString(10000, QChar(u'长')))},
                      {text(QString(10000, QChar(u'x')))},
                      {text(QString(40000, QChar(u'超')))},
                      {text("after")}})
        << true;
    for (int free = 0; free <= 6; ++free) {
        for (bool wide : {false, true}) {
            QTest::addRow("SST record ends %d bytes after a text, %s text next", free,
                          wide ? "wide" : "latin-1")
                << sstBoundaryTable(free, wide) << true;
        }
    }

    const QStringList tradeHeaders = {"代码", "数量", "价格"};
    QTest::newRow("65,535 data rows fill one sheet") << numberedTable(65535, tradeHeaders) << false;
    QTest::newRow("65,536 data rows spill one row") << numberedTable(65536, tradeHeaders) << false;
    QTest::newRow("70,000 data rows over two sheets")
        << numberedTable(70000, tradeHeaders) << false;
    QTest::newRow("65,536 rows without header fit one sheet") << numberedTable(65536, {}) << false;
}

void TestXlsWorkbook::roundTrip()
{
    QFETCH(XlsTable, table);
    QFETCH(bool, needsContinue);

    const QString path = m_dir.filePath(QStringLiteral("round_trip.xls"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    XlsWorkbook workbook;
    QVERIFY2(workbook.write(table, &file), qPrintable(workbook.errorString()));
    QVERIFY(workbook.errorString().isEmpty());
    file.close();

    const QJsonObject dump = dumpWorkbook(path);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(dump["problems"].toArray(), QJsonArray());
    QCOMPARE(dump["warnings"].toString(), QString());
    if (needsContinue)
        QVERIFY(dump["records"].toObject()["CONTINUE"].toInt() > 0);
    compareSheets(dump["sheets"].toArray(), expectedSheets(table));
}

void TestXlsWorkbook::deviceKinds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("buffer") << "buffer";
    QTest::newRow("file") << "file";
    QTest::newRow("device taking 700 bytes a call") << "choking";
}

// Every kind of device receives the same complete workbook.
void TestXlsWorkbook::deviceKinds()
{
    QFETCH(QString, kind);
    const XlsTable table = numberedTable(3000, {"代码", "数量", "价格"});

    QBuffer reference;
    reference.open(QIODevice::WriteOnly);
    XlsWorkbook workbook;
    QVERIFY2(workbook.write(table, &reference), qPrintable(workbook.errorString()));

    QByteArray written;
    if (kind == "buffer") {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY2(workbook.write(table, &buffer), qPrintable(workbook.errorString()));
        written = buffer.data();
    } else if (kind == "file") {
        QFile file(m_dir.filePath(QStringLiteral("device.xls")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY2(workbook.write(table, &file), qPrintable(workbook.errorString()));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        written = file.readAll();
    } else {
        ChokingDevice device(700, std::numeric_limits<qint64>::max(), 0);
        device.open(QIODevice::WriteOnly);
        QVERIFY2(workbook.write(table, &device), qPrintable(workbook.errorString()));
        written = device.received;
    }
    QVERIFY(reference.data().startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    QCOMPARE(written.size(), reference.data().size());
    QVERIFY(written == reference.data());
}

void TestXlsWorkbook::failures_data()
{
    QTest::addColumn<XlsTable>("table");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("reason"); // part of the error text

    const XlsTable small = numberedTable(10, {"代码", "数量", "价格"});
    const XlsTable large = numberedTable(20000, {"代码", "数量", "价格"});

    QTest::newRow("file opened read-only") << small << "read-only file" << "not open for writing";
    QTest::newRow("buffer never opened") << small << "closed buffer" << "not open for writing";
    QTest::newRow("no device") << small << "null" << "no device";
    // A small workbook stays in the file's buffer until the flush reports the full disk.
    QTest::newRow("disk full, buffered") << small << "/dev/full" << "writing the workbook failed";
    QTest::newRow("disk full, written through") << large << "/dev/full"
                                                << "writing the workbook failed";
    QTest::newRow("device stops taking bytes")
        << small << "choking returning 0" << "writing the workbook failed after 1000 of";
    QTest::newRow("device reports an error")
        << small << "choking returning -1" << "writing the workbook failed after 1000 of";

    QStringList wideHeaders;
    for (int c = 0; c < 257; ++c)
        wideHeaders << QStringLiteral("列%1").arg(c);
    QTest::newRow("257 header columns") << makeTable("宽", wideHeaders, {}) << "buffer"
                                        << "257 columns";
    QTest::newRow("row with 257 cells")
        << makeTable("宽", {"a"}, {{text("ok")}, QVector<XlsCell>(257, num(1))}) << "buffer"
        << "row 2 has 257 cells";
    QTest::newRow("number format of 256 characters")
        << makeTable("格式", {"a"}, {{num(1, QString(256, QChar(u'0')))}}) << "buffer"
        << "longer than 255";
    {
        XlsTable t = makeTable("格式", {"a"}, {});
        for (int i = 0; i < 4000; ++i)
            t.rows.append({num(i, QStringLiteral("0\"#%1\"").arg(i))});
        QTest::newRow("4,000 number formats") << t << "buffer" << "different number formats";
    }
}

void TestXlsWorkbook::failures()
{
    QFETCH(XlsTable, table);
    QFETCH(QString, device);
    QFETCH(QString, reason);

    QFile existing(m_dir.filePath(QStringLiteral("existing.xls")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();

    QBuffer buffer;
    QFile file;
    ChokingDevice choking(400, 1000, device.endsWith("-1") ? -1 : 0);
    QIODevice *target = nullptr;
    if (device == "read-only file") {
        file.setFileName(existing.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        target = &file;
    } else if (device == "closed buffer") {
        target = &buffer;
    } else if (device == "/dev/full") {
        file.setFileName("/dev/full");
        QVERIFY(file.open(QIODevice::WriteOnly));
        target = &file;
    } else if (device.startsWith("choking")) {
        choking.open(QIODevice::WriteOnly);
        target = &choking;
    } else if (device == "buffer") {
        buffer.open(QIODevice::WriteOnly);
        target = &buffer;
    }

    XlsWorkbook workbook;
    QVERIFY(!workbook.write(table, target));
    QVERIFY2(workbook.errorString().contains(reason), qPrintable(workbook.errorString()));
    // A table that cannot be written leaves the device untouched.
    if (device == "buffer")
        QCOMPARE(buffer.data().size(), 0);

    // The same writer recovers for the next workbook.
    QBuffer good;
    good.open(QIODevice::WriteOnly);
    QVERIFY2(workbook.write(numberedTable(1, {"a"}), &good), qPrintable(workbook.errorString()));
    QVERIFY(workbook.errorString().isEmpty());
}

void TestXlsWorkbook::sheetNames_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first sheet keeps the name") << "持股表" << 0 << "持股表";
    QTest::newRow("second sheet") << "持股表" << 1 << "持股表 (2)";
    QTest::newRow("eleventh sheet") << "持股表" << 10 << "持股表 (11)";
    QTest::newRow("refused characters") << "a/b\\c:d*e?f[g]h" << 0 << "a_b_c_d_e_f_g_h";
    QTest::newRow("control character") << "a\tb" << 0 << "a_b";
    QTest::newRow("apostrophes at the ends") << "'x'" << 0 << "_x_";
    QTest::newRow("empty name") << "" << 0 << "Sheet1";
    QTest::newRow("empty name, second sheet") << "" << 1 << "Sheet1 (2)";
    QTest::newRow("cut to 31") << QString(40, QChar(u'x')) << 0 << QString(31, QChar(u'x'));
    QTest::newRow("cut to make room for the number")
        << QString(40, QChar(u'x')) << 2 << QString(27, QChar(u'x')) + " (3)";
    QTest::newRow("cut keeps surrogate pairs whole")
        << QString(30, QChar(u'股')) + QStringLiteral("📈") << 0 << QString(30, QChar(u'股'));
    QTest::newRow("exactly 31") << QString(31, QChar(u'名')) << 0 << QString(31, QChar(u'名'));
}

void TestXlsWorkbook::sheetNames()
{
    QFETCH(QString, base);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(XlsWorkbook::sheetName(base, index), expected);
}

QTEST_MAIN(TestXlsWorkbook)
#include "tst_xls_workbook.moc"
