#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TestQuoteServer.h"

#include "common/Messages.h"
#include "reports/AccountSummary.h"
#include "reports/HoldingsModel.h"
#include "reports/HoldingsValuation.h"

#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

namespace {

const QDate Today(2026, 12, 11);
const QString EarlierDay = QStringLiteral("2026-12-01 10:00:00");

// A ledger, a quote server and what the valuation needs around them.
struct Fixture
{
    TestLedger ledger;
    TestQuoteServer server;
    RecordingPrompter prompter;
    FixedClock clock{Today};

    QuoteSettings settings() const
    {
        QuoteSettings s;
        s.host = server.host();
        s.timeoutSeconds = 5;
        return s;
    }

    // The stock record the trading screens keep beside the journal.
    void store(int account, const QString &gp, int quantity, double cost)
    {
        ledger.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (%1,'%2',%3,%4)")
                        .arg(account)
                        .arg(gp)
                        .arg(quantity)
                        .arg(cost));
    }

    void buy(const QString &gp, const QString &name, int quantity, double price,
             const QString &when = EarlierDay, int account = 1)
    {
        ledger.addTrade(account, gp, name, 1, quantity, price, 0, when);
    }

    void sell(const QString &gp, const QString &name, int quantity, double price, double cost,
              const QString &when = QStringLiteral("2026-12-02 10:00:00"), int account = 1)
    {
        ledger.addTrade(account, gp, name, 2, quantity, price, cost, when);
    }

    // A quote reply with the given price and previous close.
    void quote(const QString &gp, const QString &name, const QString &price,
               const QString &previousClose = QStringLiteral("11.00"))
    {
        server.setQuote(gp, quoteReply(gp, {name, QStringLiteral("11.00"), previousClose, price}));
    }

    HoldingsRefresh refresh(int account = 1)
    {
        ledger.takeStatements();
        return refreshHoldings(AccountCode(account), ledger.ledger(), settings(), clock, prompter);
    }
};

QStringList gpCodes(const HoldingsRefresh &r)
{
    QStringList out;
    for (const HoldingRow &row : r.rows)
        out << row.gpCode;
    return out;
}

QString statement(const QString &pattern, const QString &gp)
{
    return QString(pattern).replace(QStringLiteral("$G"), QStringLiteral("'%1'").arg(gp));
}

const QString BoughtSql = QStringLiteral(
    "SELECT SUM(IIF(SL IS NULL,0,SL)),SUM(IIF(JE IS NULL,0,JE)) FROM tJXC WHERE code=1 AND "
    "flag=1 AND GP=$G");
const QString BoughtTodaySql = QStringLiteral(
    "SELECT SUM(IIF(SL IS NULL,0,SL)) FROM tJXC WHERE code=1 AND flag=1 AND GP=$G AND "
    "format(dtDate,\"yyyymmdd\")='20261211'");
const QString SoldSql = QStringLiteral(
    "SELECT SUM(IIF(SL IS NULL,0,SL)),SUM((IIF(DJ IS NULL,0,DJ)-IIF(CBJ IS NULL,0,CBJ))*"
    "IIF(SL IS NULL,0,SL)) FROM tJXC WHERE code=1 AND flag=2 AND GP=$G");
const QString CostSql = QStringLiteral("SELECT cbj FROM tStore WHERE code=1 AND GP=$G");

// Makes the tStore statement of one code fail inside the engine: tStore becomes a view
// whose cost column overflows for that code only.
void failCostReadOf(TestLedger &ledger, const QString &gp)
{
    ledger.exec(QStringLiteral("ALTER TABLE tStore RENAME TO tStoreData"));
    ledger.exec(QStringLiteral("CREATE VIEW tStore AS SELECT CODE, GP, SL, CASE WHEN GP='%1' "
                               "THEN abs(-9223372036854775808) ELSE CBJ END AS CBJ FROM tStoreData")
                    .arg(gp));
}

} // namespace

class TestHoldings : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void todaysBuysAreNotSellable();
    void zeroPriceIsValuedAtPreviousClose();
    void soldOutStockHasNoRow();
    void renamedStockIsOneRow();
    void rowsInCodeOrder();
    void nothingPaidHasNoRate();
    void quoteFailureKeepsEarlierRows_data();
    void quoteFailureKeepsEarlierRows();
    void firstFailureOfTheWalkIsShown_data();
    void firstFailureOfTheWalkIsShown();
    void unreadableStoreEndsValuation();
    void unreadableListIsNotOpened();
    void summaryTexts_data();
    void summaryTexts();
    void unreadableAccountUpdatesMarketValueOnly();
    void modelTexts();
};

void TestHoldings::workedExample()
{
    Fixture f;
    f.buy(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 1000, 10);
    f.sell(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 400, 11, 10);
    f.store(1, QStringLiteral("sz000001"), 600, 10);
    f.ledger.exec(QStringLiteral("UPDATE tAccount SET YE=94400 WHERE Code=1"));
    // another account's trades in the same stock stay out of account 1
    f.buy(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 5000, 9, EarlierDay, 2);
    f.store(2, QStringLiteral("sz000001"), 5000, 9);
    f.quote(QStringLiteral("sz000001"), QStringLiteral("平安银行"), QStringLiteral("12.00"));

    const HoldingsRefresh r = f.refresh();

    QCOMPARE(f.prompter.informed, QStringList());
    QVERIFY(r.listOpened);
    QCOMPARE(r.listRowCount, 1);
    QVERIFY(r.completed);
    QCOMPARE(r.rows.size(), 1);
    const HoldingRow &row = r.rows.at(0);
    QCOMPARE(row.gp, QStringLiteral("sz000001"));
    QCOMPARE(row.gpCode, QStringLiteral("000001"));
    QCOMPARE(row.gpName, QStringLiteral("平安银行"));
    QCOMPARE(row.zqsl, 600);
    QCOMPARE(row.kmsl, 600);
    QCOMPARE(row.cbj, 10.0);
    QCOMPARE(row.curDj, 12.0);
    QCOMPARE(row.cgje, 7200.0);
    QCOMPARE(row.fdyk, 1600.0);
    QVERIFY(row.ykl.has_value());
    QCOMPARE(*row.ykl, 16.0);

    QVERIFY(r.summary.has_value());
    QVERIFY(r.summary->accountRead);
    QCOMPARE(r.summary->marketValue, QStringLiteral("7200.00"));
    QCOMPARE(r.summary->cash, QStringLiteral("94400.00"));
    QCOMPARE(r.summary->total, QStringLiteral("101600.00"));
    QCOMPARE(r.summary->initial, QStringLiteral("100000.00"));
    QCOMPARE(r.summary->profit, QStringLiteral("1600.00"));
    QCOMPARE(r.summary->rate, QStringLiteral("1.6"));

    const QString gp = QStringLiteral("sz000001");
    QCOMPARE(f.ledger.takeStatements(),
             QStringList({QStringLiteral("SELECT distinct GP,GPNAME FROM tJXC WHERE code=1 and flag=1"),
                          statement(BoughtSql, gp), statement(BoughtTodaySql, gp),
                          statement(SoldSql, gp), statement(CostSql, gp),
                          QStringLiteral("SELECT YE,Init From tAccount WHERE CODE=1")}));
    QCOMPARE(f.server.requestedTargets(), QStringList{QStringLiteral("/list=sz000001")});
}

void TestHoldings::todaysBuysAreNotSellable()
{
    Fixture f;
    f.buy(QStringLiteral("sz000002"), QStringLiteral("万科A"), 1000, 10,
          QStringLiteral("2026-12-10 14:59:59"));
    f.buy(QStringLiteral("sz000002"), QStringLiteral("万科A"), 500, 10,
          QStringLiteral("2026-12-11 09:30:00"));
    f.store(1, QStringLiteral("sz000002"), 1500, 10);
    f.quote(QStringLiteral("sz000002"), QStringLiteral("万科A"), QStringLiteral("10.00"));

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(r.rows.size(), 1);
    QCOMPARE(r.rows.at(0).zqsl, 1500);
    QCOMPARE(r.rows.at(0).kmsl, 1000);
}

void TestHoldings::zeroPriceIsValuedAtPreviousClose()
{
    Fixture f;
    f.buy(QStringLiteral("sz000002"), QStringLiteral("万科A"), 200, 10);
    f.store(1, QStringLiteral("sz000002"), 200, 10);
    f.quote(QStringLiteral("sz000002"), QStringLiteral("万科A"), QStringLiteral("0.00"),
            QStringLiteral("11.55"));

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(r.rows.size(), 1);
    QCOMPARE(r.rows.at(0).curDj, 11.55);
    QCOMPARE(r.rows.at(0).cgje, 200 * 11.55);
    QCOMPARE(r.rows.at(0).fdyk, 310.0);
    QCOMPARE(r.summary->marketValue, QStringLiteral("2310.00"));
}

void TestHoldings::soldOutStockHasNoRow()
{
    Fixture f;
    f.buy(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 300, 10);
    f.sell(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 300, 12, 10);
    f.buy(QStringLiteral("sz000002"), QStringLiteral("万科A"), 100, 10);
    f.store(1, QStringLiteral("sz000002"), 100, 10);
    f.quote(QStringLiteral("sz000001"), QStringLiteral("平安银行"), QStringLiteral("12.00"));
    f.quote(QStringLiteral("sz000002"), QStringLiteral("万科A"), QStringLiteral("12.00"));

    const HoldingsRefresh r = f.refresh();
    QVERIFY(r.completed);
    QCOMPARE(r.listRowCount, 2);
    QCOMPARE(gpCodes(r), QStringList{QStringLiteral("000002")});
    // the realised profit of the sold-out stock is not in the market value
    QCOMPARE(r.summary->marketValue, QStringLiteral("1200.00"));

    const QStringList statements = f.ledger.takeStatements();
    const QString soldOut = QStringLiteral("sz000001");
    QVERIFY(statements.contains(statement(BoughtSql, soldOut)));
    QVERIFY(statements.contains(statement(BoughtTodaySql, soldOut)));
    QVERIFY(statements.contains(statement(SoldSql, soldOut)));
    QVERIFY(!statements.contains(statement(CostSql, soldOut)));
    QVERIFY(statements.contains(statement(CostSql, QStringLiteral("sz000002"))));
    QCOMPARE(f.server.requestedTargets(), QStringList{QStringLiteral("/list=sz000002")});
}

void TestHoldings::renamedStockIsOneRow()
{
    Fixture f;
    // the later buy goes into the journal first: the name follows the trade time
    f.buy(QStringLiteral("sh600000"), QStringLiteral("浦发新名"), 100, 10,
          QStringLiteral("2026-12-05 10:00:00"));
    f.buy(QStringLiteral("sh600000"), QStringLiteral("浦发银行"), 100, 10,
          QStringLiteral("2026-12-01 10:00:00"));
    f.buy(QStringLiteral("sh600000"), QStringLiteral("浦发银行"), 100, 10,
          QStringLiteral("2026-12-03 10:00:00"));
    f.store(1, QStringLiteral("sh600000"), 300, 10);
    f.quote(QStringLiteral("sh600000"), QStringLiteral("浦发新名"), QStringLiteral("11.00"));

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(f.prompter.informed, QStringList());
    QCOMPARE(r.rows.size(), 1);
    QCOMPARE(r.rows.at(0).gpName, QStringLiteral("浦发新名"));
    QCOMPARE(r.rows.at(0).zqsl, 300);
    QCOMPARE(r.summary->marketValue, QStringLiteral("3300.00"));
    QCOMPARE(f.server.requestCount(), 1);
}

void TestHoldings::rowsInCodeOrder()
{
    Fixture f;
    const QStringList codes{QStringLiteral("sh600000"), QStringLiteral("sz300750"),
                            QStringLiteral("sz000002"), QStringLiteral("sh000001")};
    for (const QString &gp : codes) {
        f.buy(gp, QStringLiteral("名称") + gp, 100, 10);
        f.store(1, gp, 100, 10);
        f.quote(gp, QStringLiteral("名称") + gp, QStringLiteral("10.00"));
    }
    const HoldingsRefresh r = f.refresh();
    QCOMPARE(gpCodes(r), QStringList({QStringLiteral("000001"), QStringLiteral("000002"),
                                      QStringLiteral("300750"), QStringLiteral("600000")}));
}

void TestHoldings::nothingPaidHasNoRate()
{
    Fixture f;
    f.buy(QStringLiteral("sz000002"), QStringLiteral("万科A"), 100, 0);
    f.store(1, QStringLiteral("sz000002"), 100, 0);
    f.quote(QStringLiteral("sz000002"), QStringLiteral("万科A"), QStringLiteral("10.00"));

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(r.rows.size(), 1);
    QCOMPARE(r.rows.at(0).fdyk, 1000.0);
    QVERIFY(!r.rows.at(0).ykl.has_value());

    HoldingsModel model;
    model.setRows(r.rows);
    QCOMPARE(model.displayText(0, HoldingsModel::Ykl), QString());
}

void TestHoldings::quoteFailureKeepsEarlierRows_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");

    QTest::newRow("not found") << 200 << QByteArray("var hq_str_sz000004=\"\";\n")
                               << msg::QuoteNotFound;
    QTest::newRow("server error") << 500 << QByteArray("oops")
                                   << msg::ReadQuoteFailed + QStringLiteral("\nHTTP 500");
    QTest::newRow("three fields") << 200 << QByteArray("var hq_str_sz000004=\"a,1.00,2.00\";\n")
                                  << msg::ReadTableFailed +
                                         QStringLiteral("\n行情数据格式错误: 3 fields");
    QTest::newRow("no double quote") << 200 << QByteArray("var hq_str_sz000004=a,1,2,3,4,5;\n")
                                     << msg::ReadTableFailed + QStringLiteral("\n行情数据格式错误");
}

void TestHoldings::quoteFailureKeepsEarlierRows()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);

    Fixture f;
    for (const QString &gp : {QStringLiteral("sz000001"), QStringLiteral("sz000004"),
                              QStringLiteral("sz000006")}) {
        f.buy(gp, QStringLiteral("股票") + gp, 100, 10);
        f.store(1, gp, 100, 10);
        f.quote(gp, QStringLiteral("股票") + gp, QStringLiteral("10.00"));
    }
    f.server.setReply(QStringLiteral("/list=sz000004"), status, body);

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(f.prompter.informed.size(), 1);
    QVERIFY2(f.prompter.informed.at(0).startsWith(message), qPrintable(f.prompter.informed.at(0)));
    QVERIFY(r.listOpened);
    QVERIFY(!r.completed);
    QVERIFY(!r.summary.has_value());
    QCOMPARE(gpCodes(r), QStringList{QStringLiteral("000001")});
    QVERIFY(!f.ledger.takeStatements().contains(
        QStringLiteral("SELECT YE,Init From tAccount WHERE CODE=1")));
}

void TestHoldings::firstFailureOfTheWalkIsShown_data()
{
    QTest::addColumn<QString>("badQuote");
    QTest::addColumn<QString>("badStatement");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows");

    const QString storeFailure = msg::ReadTableFailed + QStringLiteral("\ninteger overflow");
    QTest::newRow("quote before statement")
        << QStringLiteral("sz000004") << QStringLiteral("sz000006") << msg::QuoteNotFound
        << QStringList{QStringLiteral("000001")};
    QTest::newRow("statement before quote")
        << QStringLiteral("sz000006") << QStringLiteral("sz000004") << storeFailure
        << QStringList{QStringLiteral("000001")};
    QTest::newRow("statement of the first stock")
        << QStringLiteral("sz000004") << QStringLiteral("sz000001") << storeFailure
        << QStringList();
}

void TestHoldings::firstFailureOfTheWalkIsShown()
{
    QFETCH(QString, badQuote);
    QFETCH(QString, badStatement);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);

    Fixture f;
    for (const QString &gp : {QStringLiteral("sz000001"), QStringLiteral("sz000004"),
                              QStringLiteral("sz000006")}) {
        f.buy(gp, QStringLiteral("股票") + gp, 100, 10);
        f.store(1, gp, 100, 10);
        f.quote(gp, QStringLiteral("股票") + gp, QStringLiteral("10.00"));
    }
    f.server.setQuote(badQuote, notFoundReply(badQuote));
    failCostReadOf(f.ledger, badStatement);

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(f.prompter.informed, QStringList{message});
    QCOMPARE(gpCodes(r), rows);
    QVERIFY(!r.completed);
    QVERIFY(!r.summary.has_value());
}

void TestHoldings::unreadableStoreEndsValuation()
{
    Fixture f;
    f.buy(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 100, 10);
    f.store(1, QStringLiteral("sz000001"), 100, 10);
    f.quote(QStringLiteral("sz000001"), QStringLiteral("平安银行"), QStringLiteral("10.00"));
    f.ledger.exec(QStringLiteral("ALTER TABLE tStore RENAME TO tStoreX"));

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(f.prompter.informed,
             QStringList{msg::ReadTableFailed + QStringLiteral("\nno such table: tStore")});
    QVERIFY(r.listOpened);
    QCOMPARE(r.listRowCount, 1);
    QVERIFY(r.rows.isEmpty());
    QVERIFY(!r.completed);
    QVERIFY(!r.summary.has_value());
}

void TestHoldings::unreadableListIsNotOpened()
{
    Fixture f;
    f.buy(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 100, 10);
    f.ledger.exec(QStringLiteral("ALTER TABLE tJXC RENAME TO tJXCX"));

    const HoldingsRefresh r = f.refresh();
    QCOMPARE(f.prompter.informed,
             QStringList{msg::ReadTableFailed + QStringLiteral("\nno such table: tJXC")});
    QVERIFY(!r.listOpened);
    QCOMPARE(r.listRowCount, 0);
    QVERIFY(!r.summary.has_value());
    QCOMPARE(f.ledger.takeStatements().size(), 1);
}

void TestHoldings::summaryTexts_data()
{
    QTest::addColumn<QString>("accountSql");
    QTest::addColumn<double>("marketValue");
    QTest::addColumn<QStringList>("texts"); // market value, cash, total, initial, profit, rate

    QTest::newRow("worked example")
        << QStringLiteral("UPDATE tAccount SET YE=94400 WHERE Code=1") << 7200.0
        << QStringList{"7200.00", "94400.00", "101600.00", "100000.00", "1600.00", "1.6"};
    QTest::newRow("loss, rounded rate")
        << QStringLiteral("UPDATE tAccount SET YE=90000, Init=300000 WHERE Code=1") << 1234.5
        << QStringList{"1234.50", "90000.00", "91234.50", "300000.00", "-208765.50", "-69.59"};
    QTest::newRow("no initial capital")
        << QStringLiteral("UPDATE tAccount SET Init=0 WHERE Code=1") << 500.0
        << QStringList{"500.00", "100000.00", "100500.00", "0.00", "100500.00", ""};
    QTest::newRow("no account row")
        << QStringLiteral("DELETE FROM tAccount WHERE Code=1") << 500.0
        << QStringList{"500.00", "0.00", "500.00", "0.00", "500.00", ""};
}

void TestHoldings::summaryTexts()
{
    QFETCH(QString, accountSql);
    QFETCH(double, marketValue);
    QFETCH(QStringList, texts);

    TestLedger ledger;
    ledger.exec(accountSql);
    RecordingPrompter prompter;
    const AccountSummaryTexts s =
        computeSummary(AccountCode(1), marketValue, ledger.ledger(), prompter);
    QCOMPARE(prompter.informed, QStringList());
    QVERIFY(s.accountRead);
    QCOMPARE(QStringList({s.marketValue, s.cash, s.total, s.initial, s.profit, s.rate}), texts);
}

void TestHoldings::unreadableAccountUpdatesMarketValueOnly()
{
    TestLedger ledger;
    ledger.exec(QStringLiteral("ALTER TABLE tAccount RENAME TO tAccountX"));
    RecordingPrompter prompter;
    const AccountSummaryTexts s = computeSummary(AccountCode(1), 7200, ledger.ledger(), prompter);
    QCOMPARE(prompter.informed,
             QStringList{msg::ReadTableFailed + QStringLiteral("\nno such table: tAccount")});
    QVERIFY(!s.accountRead);
    QCOMPARE(s.marketValue, QStringLiteral("7200.00"));
    QVERIFY(s.cash.isEmpty() && s.total.isEmpty() && s.rate.isEmpty());
}

void TestHoldings::modelTexts()
{
    Fixture f;
    f.buy(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 1000, 10);
    f.sell(QStringLiteral("sz000001"), QStringLiteral("平安银行"), 400, 11, 10);
    f.store(1, QStringLiteral("sz000001"), 600, 10);
    f.quote(QStringLiteral("sz000001"), QStringLiteral("平安银行"), QStringLiteral("12.00"));
    f.buy(QStringLiteral("sh600000"), QStringLiteral("浦发银行"), 300, 8.456);
    f.buy(QStringLiteral("sh600000"), QStringLiteral("浦发银行"), 200, 8.5,
          QStringLiteral("2026-12-11 10:00:00"));
    f.store(1, QStringLiteral("sh600000"), 500, 8.4736);
    f.quote(QStringLiteral("sh600000"), QStringLiteral("浦发银行"), QStringLiteral("8.125"));

    HoldingsModel model;
    model.setRows(f.refresh().rows);

    QCOMPARE(model.columnCount(), 9);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.captions(),
             QStringList({"证券代码", "证券名称", "成本价", "当前价", "证券数量", "可卖数量",
                          "持股市值", "浮动盈亏", "盈亏率(%)"}));
    QCOMPARE(model.headerData(6, Qt::Horizontal).toString(), QStringLiteral("持股市值"));

    auto rowTexts = [&model](int row) {
        QStringList out;
        for (int c = 0; c < model.columnCount(); ++c)
            out << model.data(model.index(row, c)).toString();
        return out;
    };
    QCOMPARE(rowTexts(0), QStringList({"000001", "平安银行", "10", "12", "600", "600", "7200.00",
                                       "1600.00", "16"}));
    // cost 8.47, (8.125 - 8.47) × 500 = -172.5 of 4236.8 paid
    QCOMPARE(rowTexts(1), QStringList({"600000", "浦发银行", "8.47", "8.125", "500", "300",
                                       "4062.50", "-172.50", "-4.07"}));
    QCOMPARE(rowTexts(2), QStringList({"记录数：2", "", "", "", "1100", "900", "11262.50",
                                       "1427.50", ""}));

    QVERIFY(!model.isFooterRow(1));
    QVERIFY(model.isFooterRow(2));
    QCOMPARE(model.flags(model.index(2, 0)), Qt::ItemFlags(Qt::ItemIsEnabled));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
    QCOMPARE(model.data(model.index(0, HoldingsModel::Cgje), Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(model.data(model.index(0, HoldingsModel::GpName), Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignLeft | Qt::AlignVCenter));
}

QTEST_GUILESS_MAIN(TestHoldings)
#include "tst_holdings.moc"
