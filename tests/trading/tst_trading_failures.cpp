#include "LedgerQuote.h"
#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TradingFixture.h"
#include "common/Messages.h"
#include "trading/BuyOrder.h"
#include "trading/SellOrder.h"
#include "trading/TradeMessages.h"

#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

Q_DECLARE_METATYPE(yanlan::OrderOutcome)

namespace {

enum class Side { Buy, Sell };

// The sample stock at 6 in account 1, as the trading tab's lookup fills it.
CurrentQuote lookUp(TestLedger &t)
{
    CurrentQuote current;
    QString error;
    if (!quoteFromLedger(t.ledger(), AccountCode(1), SampleCode, SampleName, 6, QDate::currentDate(),
                         current, &error))
        qFatal("lookup failed: %s", qPrintable(error));
    t.takeStatements();
    return current;
}

// The order under test: 100 shares.
OrderOutcome placeOrder(Side side, const CurrentQuote &current, TestLedger &t, Prompter &prompter)
{
    const OrderInput input = orderInput(1, QStringLiteral("100"), QStringLiteral("6"));
    return side == Side::Buy ? placeBuyOrder(input, current, t.ledger(), prompter)
                             : placeSellOrder(input, current, t.ledger(), prompter);
}

// 800 shares bought on an earlier day, so they can be sold today.
void holdPosition(TestLedger &t)
{
    RecordingPrompter yes;
    QCOMPARE(placeBuyOrder(orderInput(1, QStringLiteral("800"), QStringLiteral("5")), sampleQuote(5),
                           t.ledger(), yes),
             OrderOutcome::Done);
    t.exec(QStringLiteral("UPDATE tJXC SET dtDate=%1").arg(sqlLiteral(EarlierDay)));
}

QString abortBefore(const char *event, const char *table)
{
    return QStringLiteral("CREATE TRIGGER boom BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT,'boom'); END")
        .arg(QLatin1String(event), QLatin1String(table));
}

// A deferred foreign key that the journal insert breaks: every statement runs, the commit fails.
const QStringList FailingCommit = {
    QStringLiteral("PRAGMA foreign_keys=ON"),
    QStringLiteral("CREATE TABLE tParent (id INTEGER PRIMARY KEY)"),
    QStringLiteral("CREATE TABLE tChild (parent INTEGER REFERENCES tParent(id) DEFERRABLE INITIALLY DEFERRED)"),
    QStringLiteral("CREATE TRIGGER boom AFTER INSERT ON tJXC BEGIN INSERT INTO tChild VALUES (1); END"),
};

} // namespace

Q_DECLARE_METATYPE(Side)

class TestTradingFailures : public QObject
{
    Q_OBJECT

private slots:
    void failedStepRollsBackEverything_data();
    void failedStepRollsBackEverything();
    void failedBegin_data();
    void failedBegin();
};

void TestTradingFailures::failedStepRollsBackEverything_data()
{
    QTest::addColumn<Side>("side");
    QTest::addColumn<bool>("held");             // a position exists before the order
    QTest::addColumn<QStringList>("breakIt");   // run on the ledger before the order
    QTest::addColumn<QStringList>("mendIt");    // undoes breakIt
    QTest::addColumn<int>("statementsRun");     // up to and including the failing one
    QTest::addColumn<QString>("message");

    const QStringList dropTrigger{QStringLiteral("DROP TRIGGER boom")};
    const QString boom = QStringLiteral("boom");
    const QString fkFailed = QStringLiteral("FOREIGN KEY constraint failed");

    QTest::newRow("buy: journal insert")
        << Side::Buy << false << QStringList{abortBefore("INSERT", "tJXC")} << dropTrigger << 1
        << failureText(msg::trade::BuyFailed, boom);
    QTest::newRow("buy: position read")
        << Side::Buy << false << QStringList{QStringLiteral("ALTER TABLE tStore RENAME TO tStoreAway")}
        << QStringList{QStringLiteral("ALTER TABLE tStoreAway RENAME TO tStore")} << 2
        << failureText(msg::ReadTableFailed, QStringLiteral("no such table: tStore"));
    QTest::newRow("buy: position insert")
        << Side::Buy << false << QStringList{abortBefore("INSERT", "tStore")} << dropTrigger << 3
        << failureText(msg::trade::BuyFailed, boom);
    QTest::newRow("buy: position update")
        << Side::Buy << true << QStringList{abortBefore("UPDATE", "tStore")} << dropTrigger << 3
        << failureText(msg::trade::BuyFailed, boom);
    QTest::newRow("buy: cash debit")
        << Side::Buy << true << QStringList{abortBefore("UPDATE", "tAccount")} << dropTrigger << 4
        << failureText(msg::trade::BuyFailed, boom);
    QTest::newRow("buy: commit")
        << Side::Buy << false << FailingCommit << dropTrigger << 4
        << failureText(msg::trade::BuyFailed, fkFailed);

    QTest::newRow("sell: journal insert")
        << Side::Sell << true << QStringList{abortBefore("INSERT", "tJXC")} << dropTrigger << 1
        << failureText(msg::trade::SellFailed, boom);
    QTest::newRow("sell: position update")
        << Side::Sell << true << QStringList{abortBefore("UPDATE", "tStore")} << dropTrigger << 2
        << failureText(msg::trade::SellFailed, boom);
    QTest::newRow("sell: cash credit")
        << Side::Sell << true << QStringList{abortBefore("UPDATE", "tAccount")} << dropTrigger << 3
        << failureText(msg::trade::SellFailed, boom);
    QTest::newRow("sell: commit")
        << Side::Sell << true << FailingCommit << dropTrigger << 3
        << failureText(msg::trade::SellFailed, fkFailed);
}

// Whichever step fails, the order leaves nothing behind, says so after the
// rollback, and the ledger takes the same order once the fault is gone.
void TestTradingFailures::failedStepRollsBackEverything()
{
    QFETCH(Side, side);
    QFETCH(bool, held);
    QFETCH(QStringList, breakIt);
    QFETCH(QStringList, mendIt);
    QFETCH(int, statementsRun);
    QFETCH(QString, message);

    TestLedger t;
    if (held)
        holdPosition(t);
    const QStringList before = committedRows(t.path());
    const CurrentQuote current = lookUp(t);
    for (const QString &sql : breakIt)
        t.exec(sql);

    WatchingPrompter prompter(t.ledger());
    QCOMPARE(placeOrder(side, current, t, prompter), OrderOutcome::Failed);
    QCOMPARE(t.takeStatements().size(), statementsRun);
    QCOMPARE(prompter.informed, QStringList{message});
    QCOMPARE(prompter.asked.size(), 1);
    QVERIFY(!prompter.boxShownInTransaction());
    QVERIFY(!engineInTransaction(t.ledger()));
    QVERIFY(!t.ledger().inTransaction());

    for (const QString &sql : mendIt)
        t.exec(sql);
    QCOMPARE(committedRows(t.path()), before);

    prompter.clear();
    QCOMPARE(placeOrder(side, lookUp(t), t, prompter), OrderOutcome::Done);
    QCOMPARE(prompter.informed,
             QStringList{side == Side::Buy ? msg::trade::BuyDone : msg::trade::SellDone});
    QVERIFY(committedRows(t.path()) != before);
}

void TestTradingFailures::failedBegin_data()
{
    QTest::addColumn<Side>("side");
    QTest::addColumn<QString>("fixedText");
    QTest::newRow("buy") << Side::Buy << msg::trade::BuyFailed;
    QTest::newRow("sell") << Side::Sell << msg::trade::SellFailed;
}

// A ledger that cannot start the transaction (here: closed under the order).
void TestTradingFailures::failedBegin()
{
    QFETCH(Side, side);
    QFETCH(QString, fixedText);

    TestLedger t;
    holdPosition(t);
    const QStringList before = committedRows(t.path());
    const CurrentQuote current = sampleQuote(6, 100000, 800, 5);
    t.takeStatements();
    t.ledger().close();

    RecordingPrompter prompter;
    const OrderInput input = orderInput(1, QStringLiteral("100"), QStringLiteral("6"));
    const OrderOutcome outcome = side == Side::Buy
                                     ? placeBuyOrder(input, current, t.ledger(), prompter)
                                     : placeSellOrder(input, current, t.ledger(), prompter);
    QCOMPARE(outcome, OrderOutcome::Failed);
    QCOMPARE(prompter.informed.size(), 1);
    const QString shown = prompter.informed.first();
    QVERIFY2(shown.startsWith(fixedText + QChar(13)), qPrintable(shown));
    QVERIFY(shown.size() > fixedText.size() + 1); // the ledger's reason follows
    QVERIFY(t.takeStatements().isEmpty()); // nothing ran outside a transaction
    QCOMPARE(committedRows(t.path()), before);
}

QTEST_GUILESS_MAIN(TestTradingFailures)
#include "tst_trading_failures.moc"
