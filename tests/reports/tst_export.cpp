#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TestQuoteServer.h"

#include "reports/GridExport.h"
#include "reports/HistoryModel.h"
#include "reports/HoldingsModel.h"
#include "reports/HoldingsValuation.h"
#include "reports/TradeHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

namespace {

const QDate Today(2026, 12, 11);
const QString NoData = QStringLiteral("当前无数据!");
const QString Done = QStringLiteral("导出完成!");

// The save dialog: answers from a script and remembers what it was shown.
class ScriptedChooser : public SaveFileChooser
{
public:
    explicit ScriptedChooser(QString answer = {}) : answer(std::move(answer)) {}
    QString chooseSaveFile(const QString &suggestedName, const QString &filter) override
    {
        suggested << suggestedName;
        filters << filter;
        return answer;
    }
    QString answer;
    QStringList suggested;
    QStringList filters;
};

// A ledger with two held stocks (one of them renamed once) and a sold-out one, and a
// quote server pricing them.
struct Trading
{
    TestLedger ledger;
    TestQuoteServer server;
    RecordingPrompter prompter;
    FixedClock clock{Today};

    Trading()
    {
        ledger.addTrade(1, "sz000001", "平安银行", 1, 1000, 10, 0, "2026-12-01 10:00:00");
        ledger.addTrade(1, "sz000001", "平安银行", 2, 400, 11, 10, "2026-12-02 10:00:00");
        ledger.addTrade(1, "sh600000", "浦发银行", 1, 300, 8.456, 0, "2026-12-03 10:00:00");
        ledger.addTrade(1, "sh600000", "浦发银行", 1, 200, 8.5, 0, "2026-12-11 10:00:00");
        ledger.addTrade(1, "sz000002", "万科A", 1, 100, 7, 0, "2026-12-04 10:00:00");
        ledger.addTrade(1, "sz000002", "万科A", 2, 100, 7.5, 7, "2026-12-05 10:00:00");
        ledger.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES "
                                   "(1,'sz000001',600,10),(1,'sh600000',500,8.4736)"));
        server.setQuote("sz000001", quoteReply("sz000001", {"平安银行", "11.00", "11.50", "12.00"}));
        server.setQuote("sh600000", quoteReply("sh600000", {"浦发银行", "8.00", "8.10", "8.125"}));
    }

    HoldingsRefresh holdings()
    {
        QuoteSettings settings;
        settings.host = server.host();
        return refreshHoldings(AccountCode(1), ledger.ledger(), settings, clock, prompter);
    }

    HistoryResult history()
    {
        return queryHistory(AccountCode(1), HistoryFilter{}, ledger.ledger(), prompter);
    }
};

// The workbook as xls_dump.py reads it back with xlrd.
QJsonObject dumpWorkbook(const QString &path)
{
    const QString script = QFINDTESTDATA("xls_dump.py");
    if (script.isEmpty()) {
        QTest::qFail("xls_dump.py not found beside the test", __FILE__, __LINE__);
        return {};
    }
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), {script, path});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("xls_dump.py failed: %1 %2")
                                    .arg(process.errorString(),
                                         QString::fromUtf8(process.readAllStandardError()))),
                     __FILE__, __LINE__);
        return {};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

// Compares every cell of the sheet with the grid: captions, then the rows and the footer.
// numberFormats gives the format of each column's numbers in the data rows and the footer.
void compareWithGrid(const QJsonObject &sheet, const ReportGridModel &model,
                     const QStringList &rowFormats, const QStringList &footerFormats)
{
    const QJsonArray rows = sheet.value("rows").toArray();
    QCOMPARE(rows.size(), model.rowCount() + 1);

    const QJsonArray header = rows.at(0).toArray();
    QCOMPARE(header.size(), model.columnCount());
    for (int c = 0; c < model.columnCount(); ++c) {
        QCOMPARE(header.at(c).toArray().at(0).toString(), QStringLiteral("text"));
        QCOMPARE(header.at(c).toArray().at(1).toString(), model.captions().at(c));
    }

    for (int r = 0; r < model.rowCount(); ++r) {
        const QJsonArray cells = rows.at(r + 1).toArray();
        const QStringList &formats = model.isFooterRow(r) ? footerFormats : rowFormats;
        for (int c = 0; c < model.columnCount(); ++c) {
            const QString shown = model.displayText(r, c);
            const QJsonArray cell = cells.at(c).toArray(); // empty for a cell left out
            const QString where = QStringLiteral("row %1 column %2 (%3)").arg(r).arg(c).arg(shown);
            if (shown.isEmpty()) {
                QVERIFY2(cell.isEmpty() || cell.at(0).toString() == QStringLiteral("blank"),
                         qPrintable(where));
            } else if (formats.at(c).isEmpty()) {
                QCOMPARE(cell.at(0).toString(), QStringLiteral("text"));
                QCOMPARE(cell.at(1).toString(), shown);
            } else {
                QVERIFY2(cell.at(0).toString() == QStringLiteral("number"), qPrintable(where));
                QVERIFY2(cell.at(1).toDouble() == shown.toDouble(), qPrintable(where));
                QVERIFY2(cell.at(2).toString() == formats.at(c), qPrintable(where));
            }
        }
    }
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nothingToExport_data();
    void nothingToExport();
    void soldOutListStillExports();
    void suggestedName_data();
    void suggestedName();
    void extensionReplaced_data();
    void extensionReplaced();
    void cancelWritesNothing();
    void unwritableFolder();
    void existingWorkbookIsReplacedOnlyWhenConfirmed();
    void failedWriteKeepsTheExistingFile();
    void holdingsWorkbook();
    void historyWorkbook();
};

void TestExport::initTestCase()
{
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import xlrd")});
    QVERIFY2(probe.waitForFinished(60000) && probe.exitCode() == 0,
             "/usr/bin/python3 with xlrd (python3-xlrd) reads the workbooks back");
}

void TestExport::nothingToExport_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<int>("rowCount");

    QTest::newRow("holdings list not opened") << int(ExportKind::Holdings) << false << 3;
    QTest::newRow("holdings list empty") << int(ExportKind::Holdings) << true << 0;
    QTest::newRow("history not opened") << int(ExportKind::History) << false << 3;
    QTest::newRow("history empty") << int(ExportKind::History) << true << 0;
}

void TestExport::nothingToExport()
{
    QFETCH(int, kind);
    QFETCH(bool, opened);
    QFETCH(int, rowCount);

    QTemporaryDir dir;
    ScriptedChooser chooser(dir.filePath("report.xls"));
    RecordingPrompter prompter;
    FixedClock clock(Today);
    HoldingsModel model;
    const ExportOutcome outcome = exportGrid(static_cast<ExportKind>(kind), opened, rowCount,
                                             model, "▲短线试验", chooser, prompter, clock);
    QCOMPARE(prompter.informed, QStringList{NoData});
    QVERIFY(chooser.suggested.isEmpty());
    QVERIFY(outcome.status == ExportOutcome::Status::NoData);
    QCOMPARE(filesIn(dir), QStringList());
}

void TestExport::soldOutListStillExports()
{
    // the list of bought stocks is what counts, even when nothing of it is held any more
    TestLedger ledger;
    ledger.addTrade(1, "sz000002", "万科A", 1, 100, 7, 0, "2026-12-04 10:00:00");
    ledger.addTrade(1, "sz000002", "万科A", 2, 100, 7.5, 7, "2026-12-05 10:00:00");
    RecordingPrompter prompter;
    FixedClock clock(Today);
    QuoteSettings settings;
    settings.host = QStringLiteral("127.0.0.1:%1").arg(TestQuoteServer::unusedPort());
    const HoldingsRefresh refresh =
        refreshHoldings(AccountCode(1), ledger.ledger(), settings, clock, prompter);
    QVERIFY(refresh.rows.isEmpty());
    HoldingsModel model;
    model.setRows(refresh.rows);

    QTemporaryDir dir;
    ScriptedChooser chooser(dir.filePath("empty.xls"));
    prompter.clear();
    exportGrid(ExportKind::Holdings, refresh.listOpened, refresh.listRowCount, model, "▲短线试验",
               chooser, prompter, clock);
    QCOMPARE(chooser.suggested.size(), 1);
    QCOMPARE(prompter.informed, QStringList{Done});
    const QJsonArray rows =
        dumpWorkbook(dir.filePath("empty.xls")).value("sheets")[0].toObject().value("rows").toArray();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).toArray().at(0).toArray().at(1).toString(), QStringLiteral("记录数：0"));
}

void TestExport::suggestedName_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("suggested");

    QTest::newRow("holdings") << int(ExportKind::Holdings) << QStringLiteral("▲短线试验")
                              << QStringLiteral("▲短线试验_持股表_20261211");
    QTest::newRow("history, caption trimmed")
        << int(ExportKind::History) << QStringLiteral("  ▲中线操作\t")
        << QStringLiteral("▲中线操作_交易明细_20261211");
}

void TestExport::suggestedName()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, suggested);

    ScriptedChooser chooser; // cancels
    RecordingPrompter prompter;
    FixedClock clock(Today);
    HistoryModel model;
    exportGrid(static_cast<ExportKind>(kind), true, 1, model, caption, chooser, prompter, clock);
    QCOMPARE(chooser.suggested, QStringList{suggested});
    QCOMPARE(chooser.filters, QStringList{QStringLiteral("Excel文件|*.xls")});
}

void TestExport::extensionReplaced_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("other extension") << "report.txt" << "report.xls";
    QTest::newRow("no extension") << "report" << "report.xls";
    QTest::newRow("already .xls") << "report.xls" << "report.xls";
    QTest::newRow("two dots") << "report.2026.txt" << "report.2026.xls";
    QTest::newRow("dot in the folder") << "v1.2/report" << "v1.2/report.xls";
    QTest::newRow("Chinese name") << "持股.txt" << "持股.xls";
}

void TestExport::extensionReplaced()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("v1.2"));
    Trading t;
    const HistoryResult history = t.history();
    HistoryModel model;
    model.setRows(history.rows, false);
    ScriptedChooser chooser(dir.filePath(chosen));
    const ExportOutcome outcome =
        exportGrid(ExportKind::History, history.opened, int(history.rows.size()), model,
                   "▲短线试验", chooser, t.prompter, t.clock);
    QCOMPARE(t.prompter.informed, QStringList{Done});
    QCOMPARE(outcome.path, dir.filePath(written));
    QVERIFY(QFileInfo(dir.filePath(written)).isFile());
    if (chosen != written)
        QVERIFY(!QFileInfo::exists(dir.filePath(chosen)));
    QCOMPARE(dumpWorkbook(dir.filePath(written)).value("sheets").toArray().size(), 1);
}

void TestExport::cancelWritesNothing()
{
    QTemporaryDir dir;
    Trading t;
    const HistoryResult history = t.history();
    HistoryModel model;
    model.setRows(history.rows, false);
    ScriptedChooser chooser; // answers with no file
    const ExportOutcome outcome =
        exportGrid(ExportKind::History, history.opened, int(history.rows.size()), model,
                   "▲短线试验", chooser, t.prompter, t.clock);
    QCOMPARE(chooser.suggested.size(), 1);
    QVERIFY(outcome.status == ExportOutcome::Status::Cancelled);
    QCOMPARE(t.prompter.all, QStringList());
    QCOMPARE(filesIn(dir), QStringList());
}

void TestExport::unwritableFolder()
{
    QTemporaryDir dir;
    Trading t;
    const HistoryResult history = t.history();
    HistoryModel model;
    model.setRows(history.rows, false);
    ScriptedChooser chooser(dir.filePath("no such folder/report.xls"));
    const ExportOutcome outcome =
        exportGrid(ExportKind::History, history.opened, int(history.rows.size()), model,
                   "▲短线试验", chooser, t.prompter, t.clock);
    QVERIFY(outcome.status == ExportOutcome::Status::Failed);
    QCOMPARE(t.prompter.informed.size(), 1);
    const QString message = t.prompter.informed.at(0);
    QVERIFY2(message.startsWith(QStringLiteral("导出失败!\n")), qPrintable(message));
    QVERIFY2(message.size() > QStringLiteral("导出失败!\n").size(), "the reason is given");
    QCOMPARE(filesIn(dir), QStringList());
}

// "report.txt" writes report.xls, so the question names report.xls; No keeps it as it was.
void TestExport::existingWorkbookIsReplacedOnlyWhenConfirmed()
{
    QTemporaryDir dir;
    Trading t;
    const HistoryResult history = t.history();
    HistoryModel model;
    model.setRows(history.rows, false);
    QFile old(dir.filePath("report.xls"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old workbook");
    old.close();
    ScriptedChooser chooser(dir.filePath("report.txt"));

    t.prompter.answers = {false};
    ExportOutcome outcome = exportGrid(ExportKind::History, true, int(history.rows.size()), model,
                                       "▲短线试验", chooser, t.prompter, t.clock);
    QVERIFY(outcome.status == ExportOutcome::Status::Cancelled);
    QCOMPARE(t.prompter.asked.size(), 1);
    QVERIFY2(t.prompter.asked.at(0).contains(QStringLiteral("report.xls")), qPrintable(t.prompter.asked.at(0)));
    QVERIFY(t.prompter.informed.isEmpty());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old workbook"));
    old.close();

    t.prompter.clear();
    t.prompter.answers = {true};
    outcome = exportGrid(ExportKind::History, true, int(history.rows.size()), model, "▲短线试验",
                         chooser, t.prompter, t.clock);
    QVERIFY(outcome.status == ExportOutcome::Status::Written);
    QCOMPARE(t.prompter.informed, QStringList{QStringLiteral("导出完成!")});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QVERIFY(old.readAll().startsWith("\xD0\xCF\x11\xE0"));
}

// A grid the workbook cannot hold (more than 256 columns) fails without touching the file
// that was there.
void TestExport::failedWriteKeepsTheExistingFile()
{
    class WideModel : public QAbstractTableModel
    {
    public:
        int rowCount(const QModelIndex & = {}) const override { return 2; }
        int columnCount(const QModelIndex & = {}) const override { return 300; }
        QVariant data(const QModelIndex &index, int role) const override
        {
            return role == Qt::DisplayRole ? QVariant(index.column()) : QVariant();
        }
    } model;
    QTemporaryDir dir;
    Trading t;
    QFile old(dir.filePath("wide.xls"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old workbook");
    old.close();
    ScriptedChooser chooser(old.fileName());
    const ExportOutcome outcome = exportGrid(ExportKind::History, true, 1, model, "▲短线试验",
                                             chooser, t.prompter, t.clock);
    QVERIFY(outcome.status == ExportOutcome::Status::Failed);
    QCOMPARE(t.prompter.informed.size(), 1);
    QVERIFY2(t.prompter.informed.at(0).startsWith(QStringLiteral("导出失败!\n")),
             qPrintable(t.prompter.informed.at(0)));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old workbook"));
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("wide.xls")});
}

void TestExport::holdingsWorkbook()
{
    Trading t;
    const HoldingsRefresh refresh = t.holdings();
    QVERIFY(refresh.completed);
    HoldingsModel model;
    model.setRows(refresh.rows);
    QCOMPARE(model.dataRowCount(), 2);

    QTemporaryDir dir;
    ScriptedChooser chooser(dir.filePath("持股.xls"));
    exportGrid(ExportKind::Holdings, refresh.listOpened, refresh.listRowCount, model, "▲短线试验",
               chooser, t.prompter, t.clock);
    QCOMPARE(t.prompter.informed, QStringList{Done});

    const QJsonObject book = dumpWorkbook(dir.filePath("持股.xls"));
    QCOMPARE(book.value("problems").toArray(), QJsonArray());
    const QJsonArray sheets = book.value("sheets").toArray();
    QCOMPARE(sheets.size(), 1);
    const QJsonObject sheet = sheets.at(0).toObject();
    QCOMPARE(sheet.value("name").toString(), QStringLiteral("持股表"));

    // code, name, cost, price, held, sellable, value, profit, rate
    const QStringList formats{"", "", "General", "General", "0", "0", "0.00", "0.00", "General"};
    compareWithGrid(sheet, model, formats, formats);

    // the figures themselves, not only their agreement with the grid
    const QJsonArray rows = sheet.value("rows").toArray();
    const QJsonArray first = rows.at(1).toArray();
    QCOMPARE(first.at(0).toArray().at(1).toString(), QStringLiteral("000001"));
    QCOMPARE(first.at(1).toArray().at(1).toString(), QStringLiteral("平安银行"));
    QCOMPARE(first.at(6).toArray().at(1).toDouble(), 7200.0);
    const QJsonArray footer = rows.at(3).toArray();
    QCOMPARE(footer.at(0).toArray().at(1).toString(), QStringLiteral("记录数：2"));
    QCOMPARE(footer.at(4).toArray().at(1).toDouble(), 1100.0);
    QCOMPARE(footer.at(6).toArray().at(1).toDouble(), 11262.5);
}

void TestExport::historyWorkbook()
{
    Trading t;
    const HistoryResult history = t.history();
    HistoryModel model;
    model.setRows(history.rows, false);
    QCOMPARE(model.dataRowCount(), 6);

    QTemporaryDir dir;
    ScriptedChooser chooser(dir.filePath("明细"));
    exportGrid(ExportKind::History, history.opened, int(history.rows.size()), model, "▲短线试验",
               chooser, t.prompter, t.clock);
    QCOMPARE(t.prompter.informed, QStringList{Done});

    const QJsonObject book = dumpWorkbook(dir.filePath("明细.xls"));
    QCOMPARE(book.value("problems").toArray(), QJsonArray());
    const QJsonObject sheet = book.value("sheets").toArray().at(0).toObject();
    QCOMPARE(sheet.value("name").toString(), QStringLiteral("交易明细"));

    // code, name, time, direction, quantity, price, amount, cost, profit
    compareWithGrid(sheet, model, {"", "", "", "", "0", "General", "General", "General", "General"},
                    {"", "", "", "", "0", "General", "0.00", "General", "0.00"});

    const QJsonArray rows = sheet.value("rows").toArray();
    // a buy has no cost price and no profit: empty cells
    const QJsonArray buy = rows.at(1).toArray();
    QCOMPARE(buy.at(3).toArray().at(1).toString(), QStringLiteral("买入"));
    QVERIFY(buy.size() <= 7 || buy.at(7).toArray().isEmpty() ||
            buy.at(7).toArray().at(0).toString() == QStringLiteral("blank"));
    const QJsonArray footer = rows.at(7).toArray();
    QCOMPARE(footer.at(0).toArray().at(1).toString(), QStringLiteral("记录数：6"));
    // -1000 + 400 - 300 - 200 - 100 + 100
    QCOMPARE(footer.at(4).toArray().at(1).toDouble(), -1100.0);
    // profits 400 and 50
    QCOMPARE(footer.at(8).toArray().at(1).toDouble(), 450.0);
    QCOMPARE(footer.at(8).toArray().at(2).toString(), QStringLiteral("0.00"));
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
