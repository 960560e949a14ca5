#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TradingFixture.h"
#include "common/NumberFormat.h"
#include "trading/BuyOrder.h"
#include "trading/TradeMessages.h"

#include <QRegularExpression>
#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

Q_DECLARE_METATYPE(yanlan::OrderOutcome)

class TestTradingBuy : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void cashTest_data();
    void cashTest();
    void pricesAreWrittenRounded_data();
    void pricesAreWrittenRounded();
    void averageCostUsesUnroundedAmount();
    void buyBackToZeroKeepsCost();
    void checksRunInOrder_data();
    void checksRunInOrder();
    void declinedConfirmationWritesNothing();
    void accountsKeepSeparatePositions();
    void positionPast32BitsIsRefused();
};

void TestTradingBuy::workedExample_data()
{
    QTest::addColumn<int>("account");
    QTest::newRow("short-term account") << 1;
    QTest::newRow("medium-term account") << 2;
    QTest::newRow("long-term account") << 3;
}

// The first buy opens the position at the price, the second averages the cost.
void TestTradingBuy::workedExample()
{
    QFETCH(int, account);
    TestLedger t;
    WatchingPrompter prompter(t.ledger());
    const QString d = QString::number(account);

    QCOMPARE(placeBuyOrder(orderInput(account, QStringLiteral("200")), sampleQuote(4.5), t.ledger(),
                           prompter),
             OrderOutcome::Done);
    QCOMPARE(t.takeStatements(),
             QStringList({
                 QStringLiteral("INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (%1,'sz000001','示例股份',200,4.5,900,1)").arg(d),
                 QStringLiteral("SELECT SL,IIF(SL IS NULL,0,SL)*IIF(CBJ IS NULL,0,CBJ) AS CBJE FROM tStore WHERE CODE=%1 AND GP='sz000001'").arg(d),
                 QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (%1,'sz000001',200,4.5)").arg(d),
                 QStringLiteral("UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-900 WHERE CODE=%1").arg(d),
             }));
    QCOMPARE(prompter.asked, QStringList{msg::trade::ConfirmBuy});
    QCOMPARE(prompter.informed, QStringList{msg::trade::BuyDone});

    // the quote's held cost is deliberately wrong: the average comes from the ledger
    CurrentQuote second = sampleQuote(5.5, 99100);
    second.heldCost = 99;
    QCOMPARE(placeBuyOrder(orderInput(account, QStringLiteral("600"), QStringLiteral("5.5")), second,
                           t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(t.takeStatements(),
             QStringList({
                 QStringLiteral("INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (%1,'sz000001','示例股份',600,5.5,3300,1)").arg(d),
                 QStringLiteral("SELECT SL,IIF(SL IS NULL,0,SL)*IIF(CBJ IS NULL,0,CBJ) AS CBJE FROM tStore WHERE CODE=%1 AND GP='sz000001'").arg(d),
                 QStringLiteral("UPDATE tStore SET SL=800,CBJ=5.25 WHERE CODE=%1 AND GP='sz000001'").arg(d),
                 QStringLiteral("UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-3300 WHERE CODE=%1").arg(d),
             }));
    QVERIFY(!prompter.boxShownInTransaction());

    // committed, as another connection sees it; the other accounts are untouched
    QStringList expected;
    expected << QStringLiteral("tStore:%1|sz000001|800|5.25").arg(d);
    for (int other = 1; other <= 3; ++other)
        expected << QStringLiteral("tAccount:%1|%2|%3|100000")
                        .arg(other)
                        .arg(AccountCode(other).defaultTitle())
                        .arg(other == account ? 95800 : 100000);
    const QStringList rows = committedRows(t.path());
    QCOMPARE(rows.filter(QRegularExpression(QStringLiteral("^t(Store|Account):"))), expected);
    QCOMPARE(rows.filter(QStringLiteral("tJXC:")).size(), 2);
}

void TestTradingBuy::cashTest_data()
{
    QTest::addColumn<double>("cash");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<double>("price");
    QTest::addColumn<bool>("buys");

    QTest::newRow("cash equal to the amount") << 900.0 << "200" << 4.5 << true;
    QTest::newRow("a cent short") << 899.99 << "200" << 4.5 << false;
    QTest::newRow("cash rounding up to the amount") << 899.996 << "200" << 4.5 << true;
    QTest::newRow("amount rounding down to the cash") << 1.0 << "3" << 0.3349 << true;
    QTest::newRow("amount rounding up past the cash") << 1.0 << "3" << 0.335 << false;
}

// Cash and amount are compared as the two-decimal values, so equal values buy.
void TestTradingBuy::cashTest()
{
    QFETCH(double, cash);
    QFETCH(QString, quantity);
    QFETCH(double, price);
    QFETCH(bool, buys);

    TestLedger t;
    t.exec(QStringLiteral("UPDATE tAccount SET YE=%1 WHERE Code=1").arg(cash, 0, 'g', 17));
    const QStringList before = committedRows(t.path());
    t.takeStatements();
    WatchingPrompter prompter(t.ledger());

    const OrderOutcome outcome = placeBuyOrder(orderInput(1, quantity, formatShort(price)),
                                               sampleQuote(price, cash), t.ledger(), prompter);
    if (buys) {
        QCOMPARE(outcome, OrderOutcome::Done);
        QCOMPARE(prompter.informed, QStringList{msg::trade::BuyDone});
        const double left = t.scalar(QStringLiteral("SELECT YE FROM tAccount WHERE Code=1")).toDouble();
        QCOMPARE(formatFixed2(left), formatFixed2(cash - quantity.toInt() * price));
    } else {
        QCOMPARE(outcome, OrderOutcome::Refused);
        QCOMPARE(prompter.informed, QStringList{msg::trade::CashShort});
        QVERIFY(prompter.asked.isEmpty());
        QVERIFY(t.takeStatements().isEmpty());
        QCOMPARE(committedRows(t.path()), before);
    }
}

void TestTradingBuy::pricesAreWrittenRounded_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("journal");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("debit");

    QTest::newRow("price 10.125")
        << 10.125 << "100"
        << "INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (1,'sz000001','示例股份',100,10.13,1012.5,1)"
        << "INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',100,10.13)"
        << "UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-1012.5 WHERE CODE=1";
    QTest::newRow("amount 0.125")
        << 0.125 << "1"
        << "INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (1,'sz000001','示例股份',1,0.13,0.13,1)"
        << "INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',1,0.13)"
        << "UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-0.13 WHERE CODE=1";
    QTest::newRow("whole price")
        << 7.0 << "30"
        << "INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (1,'sz000001','示例股份',30,7,210,1)"
        << "INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',30,7)"
        << "UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-210 WHERE CODE=1";
}

void TestTradingBuy::pricesAreWrittenRounded()
{
    QFETCH(double, price);
    QFETCH(QString, quantity);
    QFETCH(QString, journal);
    QFETCH(QString, position);
    QFETCH(QString, debit);

    TestLedger t;
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeBuyOrder(orderInput(1, quantity, QString::number(price)), sampleQuote(price),
                           t.ledger(), prompter),
             OrderOutcome::Done);
    const QStringList statements = t.takeStatements();
    QCOMPARE(statements.size(), 4);
    QCOMPARE(statements.at(0), journal);
    QCOMPARE(statements.at(2), position);
    QCOMPARE(statements.at(3), debit);
}

// The journal and the cash take the rounded amount; the average cost takes the
// amount itself. One bonus share held at cost 0, one bought at 0.006: the amount
// 0.006 averages to 0.003 (written 0), the rounded 0.01 would give 0.005 (0.01).
void TestTradingBuy::averageCostUsesUnroundedAmount()
{
    TestLedger t;
    t.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',1,0)"));
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("1"), QStringLiteral("0.01")), sampleQuote(0.006),
                           t.ledger(), prompter),
             OrderOutcome::Done);
    const QStringList statements = t.takeStatements();
    QCOMPARE(statements.size(), 4);
    QCOMPARE(statements.at(0),
             QStringLiteral("INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (1,'sz000001','示例股份',1,0.01,0.01,1)"));
    QCOMPARE(statements.at(2), QStringLiteral("UPDATE tStore SET SL=2,CBJ=0 WHERE CODE=1 AND GP='sz000001'"));
    QCOMPARE(statements.at(3), QStringLiteral("UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-0.01 WHERE CODE=1"));
}

// A position short by exactly the bought quantity ends at 0 with no average to form.
void TestTradingBuy::buyBackToZeroKeepsCost()
{
    TestLedger t;
    t.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',-100,4)"));
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("100")), sampleQuote(4.5), t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(t.takeStatements().at(2), QStringLiteral("UPDATE tStore SET SL=0 WHERE CODE=1 AND GP='sz000001'"));
    QCOMPARE(committedRows(t.path()).filter(QStringLiteral("tStore:")),
             QStringList{QStringLiteral("tStore:1|sz000001|0|4")});
}

void TestTradingBuy::checksRunInOrder_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<double>("cash");
    QTest::addColumn<QString>("message");

    const QString code = QStringLiteral("000001");
    QTest::newRow("empty code before a bad quantity") << "" << "4.5" << "abc" << 0.0 << msg::trade::CodeEmpty;
    QTest::newRow("blank code is empty") << " \t " << "4.5" << "200" << 1e6 << msg::trade::CodeEmpty;
    QTest::newRow("empty code before suspension") << "" << "0" << "" << 0.0 << msg::trade::CodeEmpty;
    QTest::newRow("suspension before the quantity is read") << code << "0" << "abc" << 0.0 << msg::trade::Suspended;
    QTest::newRow("suspension with a valid quantity") << code << "0" << "200" << 1e6 << msg::trade::Suspended;
    QTest::newRow("unreadable price is suspension") << code << "" << "200" << 1e6 << msg::trade::Suspended;
    QTest::newRow("zero quantity before the cash") << code << "4.5" << "0" << 0.0 << msg::trade::QuantityEmpty;
    QTest::newRow("decimal quantity before the cash") << code << "4.5" << "100.5" << 0.0 << msg::trade::QuantityNotWhole;
    QTest::newRow("negative quantity before the cash") << code << "4.5" << "-100" << 0.0 << msg::trade::QuantityNegative;
    QTest::newRow("cash comes last") << code << "4.5" << "200" << 10.0 << msg::trade::CashShort;
}

// Only the first failing check speaks, and nothing is read or written.
void TestTradingBuy::checksRunInOrder()
{
    QFETCH(QString, code);
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(double, cash);
    QFETCH(QString, message);

    TestLedger t;
    const QStringList before = committedRows(t.path());
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeBuyOrder(orderInput(1, quantity, price, code), sampleQuote(4.5, cash), t.ledger(),
                           prompter),
             OrderOutcome::Refused);
    QCOMPARE(prompter.informed, QStringList{message});
    QVERIFY(prompter.asked.isEmpty());
    QVERIFY(t.takeStatements().isEmpty());
    QCOMPARE(committedRows(t.path()), before);
}

void TestTradingBuy::declinedConfirmationWritesNothing()
{
    TestLedger t;
    const QStringList before = committedRows(t.path());
    WatchingPrompter prompter(t.ledger());
    prompter.answers = {false};
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("200")), sampleQuote(4.5), t.ledger(), prompter),
             OrderOutcome::Cancelled);
    QCOMPARE(prompter.asked, QStringList{msg::trade::ConfirmBuy});
    QVERIFY(prompter.informed.isEmpty());
    QVERIFY(t.takeStatements().isEmpty());
    QCOMPARE(committedRows(t.path()), before);
}

// One stock in two accounts is two positions; a buy in one never touches the other.
void TestTradingBuy::accountsKeepSeparatePositions()
{
    TestLedger t;
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("200")), sampleQuote(4.5), t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(placeBuyOrder(orderInput(2, QStringLiteral("300"), QStringLiteral("5")), sampleQuote(5),
                           t.ledger(), prompter),
             OrderOutcome::Done);
    t.takeStatements();
    QCOMPARE(placeBuyOrder(orderInput(2, QStringLiteral("100"), QStringLiteral("6")),
                           sampleQuote(6, 98500), t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(t.takeStatements().at(2),
             QStringLiteral("UPDATE tStore SET SL=400,CBJ=5.25 WHERE CODE=2 AND GP='sz000001'"));

    const QStringList rows = committedRows(t.path());
    QCOMPARE(rows.filter(QStringLiteral("tStore:")),
             QStringList({QStringLiteral("tStore:1|sz000001|200|4.5"),
                          QStringLiteral("tStore:2|sz000001|400|5.25")}));
    QCOMPARE(t.scalar(QStringLiteral("SELECT group_concat(YE,',') FROM (SELECT YE FROM tAccount ORDER BY Code)")),
             QStringLiteral("99100,97900,100000"));
}

// A position is read back as a 32-bit quantity everywhere; a buy that would pass that
// is refused and leaves nothing behind.
void TestTradingBuy::positionPast32BitsIsRefused()
{
    TestLedger t;
    t.exec(QStringLiteral("UPDATE tAccount SET YE=1e12,Init=1e12 WHERE Code=1"));
    t.exec(QStringLiteral("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,flag) VALUES (1,'sz000001','示例股份',2147483000,0.01,21474830,1)"));
    t.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',2147483000,0.01)"));
    const QStringList before = committedRows(t.path());
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("648"), QStringLiteral("0.01")),
                           sampleQuote(0.01, 1e12), t.ledger(), prompter),
             OrderOutcome::Refused);
    QCOMPARE(prompter.informed, QStringList{msg::trade::PositionTooLarge});
    QVERIFY(!prompter.boxShownInTransaction());
    QCOMPARE(committedRows(t.path()), before);
    // one share fewer still fits
    prompter.clear();
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("647"), QStringLiteral("0.01")),
                           sampleQuote(0.01, 1e12), t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(t.scalar(QStringLiteral("SELECT SL FROM tStore WHERE CODE=1")), QStringLiteral("2147483647"));
}

QTEST_GUILESS_MAIN(TestTradingBuy)
#include "tst_trading_buy.moc"
