#include "LedgerQuote.h"
#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TradingFixture.h"
#include "trading/BuyOrder.h"
#include "trading/SellOrder.h"
#include "trading/TradeMessages.h"

#include <QRegularExpression>
#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

Q_DECLARE_METATYPE(yanlan::OrderOutcome)

namespace {

void buy(TestLedger &t, int account, int quantity, double price)
{
    RecordingPrompter yes;
    CurrentQuote current;
    QString error;
    QVERIFY2(quoteFromLedger(t.ledger(), AccountCode(account), SampleCode, SampleName, price,
                             QDate::currentDate(), current, &error),
             qPrintable(error));
    QCOMPARE(placeBuyOrder(orderInput(account, QString::number(quantity), QString::number(price)),
                           current, t.ledger(), yes),
             OrderOutcome::Done);
}

// Every buy so far counts as made on an earlier day.
void moveBuysToEarlierDay(TestLedger &t)
{
    t.exec(QStringLiteral("UPDATE tJXC SET dtDate=%1").arg(sqlLiteral(EarlierDay)));
}

// The sell tab's quote: cash, cost, held and sellable quantity as its lookup reads them.
CurrentQuote sellTabQuote(TestLedger &t, int account, double price)
{
    CurrentQuote current;
    QString error;
    if (!quoteFromLedger(t.ledger(), AccountCode(account), SampleCode, SampleName, price,
                         QDate::currentDate(), current, &error))
        qFatal("lookup failed: %s", qPrintable(error));
    t.takeStatements();
    return current;
}

} // namespace

class TestTradingSell : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void sellableQuantity_data();
    void sellableQuantity();
    void wholePositionKeepsItsRow();
    void checksRunInOrder_data();
    void checksRunInOrder();
    void declinedConfirmationWritesNothing();
};

void TestTradingSell::workedExample_data()
{
    QTest::addColumn<int>("account");
    QTest::newRow("short-term account") << 1;
    QTest::newRow("medium-term account") << 2;
    QTest::newRow("long-term account") << 3;
}

// 800 held at 5.25 from an earlier day; 200 sold at 6.
void TestTradingSell::workedExample()
{
    QFETCH(int, account);
    const QString d = QString::number(account);
    TestLedger t;
    buy(t, account, 200, 4.5);
    buy(t, account, 600, 5.5);
    moveBuysToEarlierDay(t);
    CurrentQuote current = sellTabQuote(t, account, 6);
    QCOMPARE(current.heldCost, 5.25);
    QCOMPARE(current.sellableQuantity, 800);
    current.cash = 0; // a sale needs no cash

    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeSellOrder(orderInput(account, QStringLiteral("200"), QStringLiteral("6")), current,
                            t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(t.takeStatements(),
             QStringList({
                 QStringLiteral("INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,cbj,flag) VALUES (%1,'sz000001','示例股份',200,6,1200,5.25,2)").arg(d),
                 QStringLiteral("UPDATE tStore SET SL=IIF(SL IS NULL,0,SL)-200 WHERE CODE=%1 AND GP='sz000001'").arg(d),
                 QStringLiteral("UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)+1200 WHERE CODE=%1").arg(d),
             }));
    QCOMPARE(prompter.asked, QStringList{msg::trade::ConfirmSell});
    QCOMPARE(prompter.informed, QStringList{msg::trade::SellDone});
    QVERIFY(!prompter.boxShownInTransaction());

    QStringList expected;
    expected << QStringLiteral("tStore:%1|sz000001|600|5.25").arg(d);
    for (int other = 1; other <= 3; ++other)
        expected << QStringLiteral("tAccount:%1|%2|%3|100000")
                        .arg(other)
                        .arg(AccountCode(other).defaultTitle())
                        .arg(other == account ? 97000 : 100000);
    const QStringList rows = committedRows(t.path());
    QCOMPARE(rows.filter(QRegularExpression(QStringLiteral("^t(Store|Account):"))), expected);
    QCOMPARE(t.scalar(QStringLiteral("SELECT sl||'|'||dj||'|'||je||'|'||cbj||'|'||GPName FROM tJXC "
                                     "WHERE flag=2 AND Code=%1").arg(d)),
             QStringLiteral("200|6|1200|5.25|示例股份"));
}

void TestTradingSell::sellableQuantity_data()
{
    QTest::addColumn<int>("earlier");
    QTest::addColumn<int>("today");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("refusal"); // empty: the sale goes through

    QTest::newRow("all of the earlier holding") << 500 << 0 << "500" << QString();
    QTest::newRow("one past the earlier holding") << 500 << 0 << "501" << msg::trade::sellableExceeded(500);
    QTest::newRow("bought today only") << 0 << 300 << "1" << msg::trade::sellableExceeded(0);
    QTest::newRow("earlier part of a mixed holding") << 100 << 200 << "100" << QString();
    QTest::newRow("into today's part of a mixed holding") << 100 << 200 << "101" << msg::trade::sellableExceeded(100);
}

// Shares bought today cannot be sold today (T+1).
void TestTradingSell::sellableQuantity()
{
    QFETCH(int, earlier);
    QFETCH(int, today);
    QFETCH(QString, quantity);
    QFETCH(QString, refusal);

    TestLedger t;
    if (earlier > 0) {
        buy(t, 1, earlier, 4);
        moveBuysToEarlierDay(t);
    }
    if (today > 0)
        buy(t, 1, today, 5);
    const CurrentQuote current = sellTabQuote(t, 1, 6);
    QCOMPARE(current.sellableQuantity, earlier);
    const QStringList before = committedRows(t.path());

    WatchingPrompter prompter(t.ledger());
    const OrderOutcome outcome = placeSellOrder(orderInput(1, quantity, QStringLiteral("6")), current,
                                                t.ledger(), prompter);
    if (refusal.isEmpty()) {
        QCOMPARE(outcome, OrderOutcome::Done);
        QCOMPARE(t.scalar(QStringLiteral("SELECT SL FROM tStore WHERE CODE=1")).toInt(),
                 earlier + today - quantity.toInt());
    } else {
        QCOMPARE(outcome, OrderOutcome::Refused);
        QCOMPARE(prompter.informed, QStringList{refusal});
        QVERIFY(prompter.asked.isEmpty());
        QVERIFY(t.takeStatements().isEmpty());
        QCOMPARE(committedRows(t.path()), before);
    }
}

// A position sold to 0 keeps its row; the next buy prices it from that buy alone.
void TestTradingSell::wholePositionKeepsItsRow()
{
    TestLedger t;
    buy(t, 1, 300, 4);
    moveBuysToEarlierDay(t);
    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeSellOrder(orderInput(1, QStringLiteral("300"), QStringLiteral("5")),
                            sellTabQuote(t, 1, 5), t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(committedRows(t.path()).filter(QStringLiteral("tStore:")),
             QStringList{QStringLiteral("tStore:1|sz000001|0|4")});

    t.takeStatements();
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("100"), QStringLiteral("7")),
                           sellTabQuote(t, 1, 7), t.ledger(), prompter),
             OrderOutcome::Done);
    QCOMPARE(t.takeStatements().at(2),
             QStringLiteral("UPDATE tStore SET SL=100,CBJ=7 WHERE CODE=1 AND GP='sz000001'"));
    QCOMPARE(committedRows(t.path()).filter(QStringLiteral("tStore:")),
             QStringList{QStringLiteral("tStore:1|sz000001|100|7")});
}

void TestTradingSell::checksRunInOrder_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("message");

    const QString code = QStringLiteral("000001");
    QTest::newRow("empty code before a quantity above the sellable") << "" << "6" << "900" << msg::trade::CodeEmpty;
    QTest::newRow("suspension before the quantity is read") << code << "0" << "abc" << msg::trade::Suspended;
    QTest::newRow("empty quantity before the sellable test") << code << "6" << "" << msg::trade::QuantityEmpty;
    QTest::newRow("decimal quantity before the sellable test") << code << "6" << "900.5" << msg::trade::QuantityNotWhole;
    QTest::newRow("negative quantity before the sellable test") << code << "6" << "-900" << msg::trade::QuantityNegative;
    QTest::newRow("huge quantity before the sellable test") << code << "6" << "2147483648" << msg::trade::QuantityTooLarge;
    QTest::newRow("sellable test last") << code << "6" << "801" << msg::trade::sellableExceeded(800);
}

void TestTradingSell::checksRunInOrder()
{
    QFETCH(QString, code);
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, message);

    TestLedger t;
    buy(t, 1, 800, 5);
    moveBuysToEarlierDay(t);
    const CurrentQuote current = sellTabQuote(t, 1, 6);
    const QStringList before = committedRows(t.path());

    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeSellOrder(orderInput(1, quantity, price, code), current, t.ledger(), prompter),
             OrderOutcome::Refused);
    QCOMPARE(prompter.informed, QStringList{message});
    QVERIFY(prompter.asked.isEmpty());
    QVERIFY(t.takeStatements().isEmpty());
    QCOMPARE(committedRows(t.path()), before);
}

void TestTradingSell::declinedConfirmationWritesNothing()
{
    TestLedger t;
    buy(t, 1, 800, 5);
    moveBuysToEarlierDay(t);
    const CurrentQuote current = sellTabQuote(t, 1, 6);
    const QStringList before = committedRows(t.path());

    WatchingPrompter prompter(t.ledger());
    prompter.answers = {false};
    QCOMPARE(placeSellOrder(orderInput(1, QStringLiteral("200"), QStringLiteral("6")), current,
                            t.ledger(), prompter),
             OrderOutcome::Cancelled);
    QCOMPARE(prompter.asked, QStringList{msg::trade::ConfirmSell});
    QVERIFY(prompter.informed.isEmpty());
    QVERIFY(t.takeStatements().isEmpty());
    QCOMPARE(committedRows(t.path()), before);
}

QTEST_GUILESS_MAIN(TestTradingSell)
#include "tst_trading_sell.moc"
