#include "RecordingPrompter.h"
#include "TestLedger.h"

#include "common/Messages.h"
#include "reports/HistoryModel.h"
#include "reports/TradeHistory.h"

#include <QCoreApplication>
#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

namespace {

HistoryFilter filter(QDate begin, QDate end, const QString &direction, const QString &text)
{
    HistoryFilter f;
    f.begin = begin;
    f.end = end;
    f.direction = historyDirection(direction);
    f.text = text;
    return f;
}

// "gp/flag" of each row, in order.
QStringList listed(const HistoryResult &result)
{
    QStringList out;
    for (const HistoryRow &row : result.rows)
        out << QStringLiteral("%1/%2").arg(row.gp).arg(row.flag);
    return out;
}

// A small journal over two months and two accounts.
void fillJournal(TestLedger &ledger)
{
    ledger.addTrade(1, "sz000001", "平安银行", 1, 1000, 10, 0, "2012-02-29 10:00:00");
    ledger.addTrade(1, "sz000001", "平安银行", 2, 400, 11, 10, "2012-03-01 09:30:00");
    ledger.addTrade(1, "sh600008", "首创股份", 1, 500, 5, 0, "2012-03-15 10:00:00");
    ledger.addTrade(1, "sh600000", "浦发银行", 2, 300, 9, 8.5, "2012-03-31 14:59:59");
    ledger.addTrade(1, "sz000008", "ST高铁", 2, 200, 4, 3, "2012-04-01 09:30:00");
    ledger.addTrade(2, "sh600008", "首创股份", 1, 700, 5, 0, "2012-03-15 10:00:00");
    ledger.addTrade(2, "sz000002", "万科A", 2, 100, 8, 7, "2012-03-20 10:00:00");
}

QStringList rowTexts(const HistoryModel &model, int row)
{
    QStringList out;
    for (int c = 0; c < model.columnCount(); ++c)
        out << model.data(model.index(row, c)).toString();
    return out;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void statementText_data();
    void statementText();
    void filterPicksRows_data();
    void filterPicksRows();
    void quoteInFilterText_data();
    void quoteInFilterText();
    void footerFigures_data();
    void footerFigures();
    void sameTimeKeepsJournalOrder();
    void rowValues();
    void displayTexts();
    void unreadableJournal();
};

void TestHistory::statementText_data()
{
    QTest::addColumn<int>("account");
    QTest::addColumn<QDate>("begin");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sql");

    const QString dayFrom = QStringLiteral(" AND format(dtDate,\"yyyymmdd\") >='%1'");
    const QString dayTo = QStringLiteral(" AND format(dtDate,\"yyyymmdd\") <='%1'");
    const QString order = QStringLiteral(" ORDER BY dtDate,AutoID");

    QTest::newRow("all fields")
        << 1 << QDate(2012, 3, 1) << QDate(2012, 3, 31) << QStringLiteral("卖出")
        << QStringLiteral("0008")
        << QStringLiteral("SELECT * FROM tJXC WHERE CODE=1 AND format(dtDate,\"yyyymmdd\") "
                          ">='20120301' AND format(dtDate,\"yyyymmdd\") <='20120331' AND FLAG=2 "
                          "AND (GP like '%0008%' OR GPNAME like '%0008%') ORDER BY dtDate,AutoID");
    QTest::newRow("nothing filled") << 3 << QDate() << QDate() << QString() << QString()
                                    << QStringLiteral("SELECT * FROM tJXC WHERE CODE=3") + order;
    QTest::newRow("begin only") << 2 << QDate(2026, 1, 9) << QDate() << QString() << QString()
                                << QStringLiteral("SELECT * FROM tJXC WHERE CODE=2") +
                                       dayFrom.arg("20260109") + order;
    QTest::newRow("end only, buys") << 1 << QDate() << QDate(2026, 12, 11)
                                    << QStringLiteral("买入") << QString()
                                    << QStringLiteral("SELECT * FROM tJXC WHERE CODE=1") +
                                           dayTo.arg("20261211") + QStringLiteral(" AND FLAG=1") +
                                           order;
    QTest::newRow("text trimmed, quote doubled")
        << 1 << QDate() << QDate() << QString() << QStringLiteral("  O'Neil\t")
        << QStringLiteral("SELECT * FROM tJXC WHERE CODE=1 AND (GP like '%O''Neil%' OR GPNAME "
                          "like '%O''Neil%')") + order;
    QTest::newRow("wildcards kept") << 1 << QDate() << QDate() << QString() << QStringLiteral("0_1%")
                                    << QStringLiteral("SELECT * FROM tJXC WHERE CODE=1 AND (GP "
                                                      "like '%0_1%%' OR GPNAME like '%0_1%%')") +
                                           order;
    QTest::newRow("blank text") << 1 << QDate() << QDate() << QString() << QStringLiteral("   ")
                                << QStringLiteral("SELECT * FROM tJXC WHERE CODE=1") + order;
}

void TestHistory::statementText()
{
    QFETCH(int, account);
    QFETCH(QDate, begin);
    QFETCH(QDate, end);
    QFETCH(QString, direction);
    QFETCH(QString, text);
    QFETCH(QString, sql);

    QCOMPARE(historyStatement(AccountCode(account), filter(begin, end, direction, text)), sql);
}

void TestHistory::filterPicksRows_data()
{
    QTest::addColumn<QDate>("begin");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");

    const QStringList all{"sz000001/1", "sz000001/2", "sh600008/1", "sh600000/2", "sz000008/2"};
    QTest::newRow("nothing filled") << QDate() << QDate() << QString() << QString() << all;
    QTest::newRow("both dates, ends included")
        << QDate(2012, 3, 1) << QDate(2012, 3, 31) << QString() << QString()
        << QStringList{"sz000001/2", "sh600008/1", "sh600000/2"};
    QTest::newRow("begin only") << QDate(2012, 3, 15) << QDate() << QString() << QString()
                                << QStringList{"sh600008/1", "sh600000/2", "sz000008/2"};
    QTest::newRow("end only") << QDate() << QDate(2012, 3, 1) << QString() << QString()
                              << QStringList{"sz000001/1", "sz000001/2"};
    QTest::newRow("begin after end")
        << QDate(2012, 4, 1) << QDate(2012, 3, 1) << QString() << QString() << QStringList();
    QTest::newRow("blank direction is either") << QDate() << QDate() << QString("") << QString()
                                               << all;
    QTest::newRow("sells") << QDate() << QDate() << QStringLiteral("卖出") << QString()
                           << QStringList{"sz000001/2", "sh600000/2", "sz000008/2"};
    QTest::newRow("buys") << QDate() << QDate() << QStringLiteral("买入") << QString()
                          << QStringList{"sz000001/1", "sh600008/1"};
    QTest::newRow("part of a code") << QDate() << QDate() << QString() << QStringLiteral("0008")
                                    << QStringList{"sh600008/1", "sz000008/2"};
    QTest::newRow("part of a name") << QDate() << QDate() << QString() << QStringLiteral("浦发")
                                    << QStringList{"sh600000/2"};
    QTest::newRow("name in another case") << QDate() << QDate() << QString()
                                          << QStringLiteral("st") << QStringList{"sz000008/2"};
    QTest::newRow("Shanghai") << QDate() << QDate() << QString() << QStringLiteral("sh")
                              << QStringList{"sh600008/1", "sh600000/2"};
    QTest::newRow("Shanghai, upper case") << QDate() << QDate() << QString()
                                          << QStringLiteral("SH")
                                          << QStringList{"sh600008/1", "sh600000/2"};
    QTest::newRow("all fields") << QDate(2012, 3, 1) << QDate(2012, 3, 31)
                                << QStringLiteral("卖出") << QStringLiteral("sz")
                                << QStringList{"sz000001/2"};
}

void TestHistory::filterPicksRows()
{
    QFETCH(QDate, begin);
    QFETCH(QDate, end);
    QFETCH(QString, direction);
    QFETCH(QString, text);
    QFETCH(QStringList, rows);

    TestLedger ledger;
    fillJournal(ledger);
    RecordingPrompter prompter;
    const HistoryResult result = queryHistory(AccountCode(1), filter(begin, end, direction, text),
                                              ledger.ledger(), prompter);
    QCOMPARE(prompter.informed, QStringList());
    QVERIFY(result.opened);
    QCOMPARE(listed(result), rows);
}

void TestHistory::quoteInFilterText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("a name with a quote") << QStringLiteral("O'Neil")
                                         << QStringList{"sz300001/1"};
    QTest::newRow("a statement in the text")
        << QStringLiteral("' OR CODE=2 OR GP like '") << QStringList();
    QTest::newRow("a lone quote") << QStringLiteral("'") << QStringList{"sz300001/1"};
}

void TestHistory::quoteInFilterText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);

    TestLedger ledger;
    fillJournal(ledger);
    ledger.addTrade(1, "sz300001", "O'Neil科技", 1, 100, 20, 0, "2012-03-05 10:00:00");
    RecordingPrompter prompter;
    const HistoryResult result =
        queryHistory(AccountCode(1), filter({}, {}, {}, text), ledger.ledger(), prompter);
    QCOMPARE(prompter.informed, QStringList());
    QVERIFY(result.opened);
    QCOMPARE(listed(result), rows);
}

void TestHistory::footerFigures_data()
{
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QStringList>("footer"); // count, quantity, amount, profit

    QTest::newRow("either direction")
        << QString() << QStringList{"记录数：2", "-600", "-5600.00", "400.00"};
    QTest::newRow("sells") << QStringLiteral("卖出")
                           << QStringList{"记录数：1", "400", "4400.00", "400.00"};
    QTest::newRow("buys") << QStringLiteral("买入")
                          << QStringList{"记录数：1", "1000", "10000.00", "0.00"};
}

void TestHistory::footerFigures()
{
    QFETCH(QString, direction);
    QFETCH(QStringList, footer);

    TestLedger ledger;
    ledger.addTrade(1, "sz000001", "平安银行", 1, 1000, 10, 0, "2012-03-01 10:00:00");
    ledger.addTrade(1, "sz000001", "平安银行", 2, 400, 11, 10, "2012-03-02 10:00:00");
    RecordingPrompter prompter;
    const HistoryFilter f = filter({}, {}, direction, {});
    HistoryModel model;
    model.setRows(queryHistory(AccountCode(1), f, ledger.ledger(), prompter).rows,
                  f.direction != 0);

    const int last = model.rowCount() - 1;
    QCOMPARE(QStringList({model.displayText(last, HistoryModel::Gp),
                          model.displayText(last, HistoryModel::Sl),
                          model.displayText(last, HistoryModel::Je),
                          model.displayText(last, HistoryModel::Sy)}),
             footer);
    for (int c : {HistoryModel::GpName, HistoryModel::DtDate, HistoryModel::Flag,
                  HistoryModel::Dj, HistoryModel::Cbj})
        QCOMPARE(model.displayText(last, c), QString());
    QCOMPARE(model.flags(model.index(last, 0)), Qt::ItemFlags(Qt::ItemIsEnabled));
}

void TestHistory::sameTimeKeepsJournalOrder()
{
    TestLedger ledger;
    const QString when = QStringLiteral("2012-03-01 10:00:00");
    ledger.addTrade(1, "sz000002", "万科A", 1, 100, 8, 0, when);
    ledger.addTrade(1, "sz000001", "平安银行", 1, 100, 10, 0, when);
    ledger.addTrade(1, "sz000002", "万科A", 2, 100, 9, 8, when);
    ledger.addTrade(1, "sh600000", "浦发银行", 1, 100, 10, 0, "2012-02-01 10:00:00");
    RecordingPrompter prompter;
    const HistoryResult result =
        queryHistory(AccountCode(1), HistoryFilter{}, ledger.ledger(), prompter);
    QCOMPARE(listed(result),
             QStringList({"sh600000/1", "sz000002/1", "sz000001/1", "sz000002/2"}));
    QVERIFY(result.rows.at(1).autoId < result.rows.at(2).autoId);
}

void TestHistory::rowValues()
{
    TestLedger ledger;
    ledger.addTrade(1, "sz000001", "平安银行", 1, 1000, 10.5, 0, "2012-03-05 09:30:05");
    ledger.exec(QStringLiteral("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,cbj,flag,dtDate) VALUES "
                               "(1,'sz000001','平安银行',1,10.045,10.05,9.5,2,'2012-03-06 14:00:00')"));
    RecordingPrompter prompter;
    const HistoryResult result =
        queryHistory(AccountCode(1), HistoryFilter{}, ledger.ledger(), prompter);
    QCOMPARE(result.rows.size(), 2);

    const HistoryRow &buy = result.rows.at(0);
    QCOMPARE(buy.gp, QStringLiteral("sz000001"));
    QCOMPARE(buy.gpName, QStringLiteral("平安银行"));
    QCOMPARE(buy.dtDate, QDateTime(QDate(2012, 3, 5), QTime(9, 30, 5)));
    QCOMPARE(buy.flag, 1);
    QCOMPARE(buy.sl, 1000);
    QCOMPARE(buy.dj, 10.5);
    QCOMPARE(buy.je, 10500.0);
    QVERIFY(!buy.cbj.has_value());
    QVERIFY(!buy.sy.has_value());

    const HistoryRow &sell = result.rows.at(1);
    QCOMPARE(sell.cbj, std::optional<double>(9.5));
    // 10.045 - 9.5 = 0.545, to two decimals with the half rounded up
    QVERIFY(sell.sy.has_value());
    QCOMPARE(*sell.sy, 0.55);
}

void TestHistory::displayTexts()
{
    TestLedger ledger;
    ledger.addTrade(1, " sz000001 ", "平安银行", 1, 1000, 10.5, 0, "2012-03-05 09:30:05");
    ledger.addTrade(1, "sh600000", "浦发银行", 2, 300, 11.33, 10.25, "2012-03-06 14:00:00");
    ledger.addTrade(1, "sh600000", "浦发银行", 2, 100, 12, 0, "2012-03-07 14:00:00");
    ledger.exec(QStringLiteral("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,flag,dtDate) VALUES "
                               "(1,'sz000002','万科A',100,8,800,0,'2012-03-08 10:00:00')"));
    RecordingPrompter prompter;
    HistoryModel model;
    model.setRows(queryHistory(AccountCode(1), HistoryFilter{}, ledger.ledger(), prompter).rows,
                  false);

    QCOMPARE(model.captions(), QStringList({"证券代码", "证券名称", "交易时间", "交易类型",
                                            "交易数量", "单价", "交易金额", "成本价", "收益"}));
    QCOMPARE(model.rowCount(), 5);
    // the system locale is Chinese here: a short date, then the time without its zone
    QCOMPARE(rowTexts(model, 0), QStringList({"000001", "平安银行", "2012/3/5 09:30:05", "买入",
                                              "1000", "10.5", "10500", "", ""}));
    QCOMPARE(rowTexts(model, 1), QStringList({"600000", "浦发银行", "2012/3/6 14:00:00", "卖出",
                                              "300", "11.33", "3399", "10.25", "324"}));
    // a sell without a cost shows no cost price, and its whole price as profit
    QCOMPARE(rowTexts(model, 2), QStringList({"600000", "浦发银行", "2012/3/7 14:00:00", "卖出",
                                              "100", "12", "1200", "", "1200"}));
    QCOMPARE(rowTexts(model, 3), QStringList({"000002", "万科A", "2012/3/8 10:00:00", "",
                                              "100", "8", "800", "", ""}));
    QCOMPARE(rowTexts(model, 4), QStringList({"记录数：4", "", "", "", "-500", "", "-5101.00",
                                              "", "1524.00"}));
    QCOMPARE(model.data(model.index(0, HistoryModel::Je), Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
}

void TestHistory::unreadableJournal()
{
    TestLedger ledger;
    ledger.addTrade(1, "sz000001", "平安银行", 1, 1000, 10, 0, "2012-03-01 10:00:00");
    ledger.exec(QStringLiteral("ALTER TABLE tJXC RENAME TO tJXCX"));
    RecordingPrompter prompter;
    const HistoryResult result =
        queryHistory(AccountCode(1), HistoryFilter{}, ledger.ledger(), prompter);
    QCOMPARE(prompter.informed,
             QStringList{msg::ReadTableFailed + QStringLiteral("\nno such table: tJXC")});
    QVERIFY(!result.opened);
    QVERIFY(result.rows.isEmpty());
}

int main(int argc, char **argv)
{
    // dates and times are shown in the system locale's forms; pin it before Qt reads it
    qputenv("LC_ALL", "zh_CN.UTF-8");
    QCoreApplication app(argc, argv);
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
