#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TestQuoteServer.h"
#include "common/Messages.h"
#include "common/Text.h"
#include "market/QuotePanel.h"

#include <QTest>

#include <memory>

using namespace yanlan;
using yanlan::test::FixedClock;
using yanlan::test::notFoundReply;
using yanlan::test::quoteReply;
using yanlan::test::TestLedger;
using yanlan::test::TestQuoteServer;

Q_DECLARE_METATYPE(PanelSide)

namespace {

const QDate Today(2024, 1, 5);

// A ledger, a quote service and the settings that reach it.
struct PanelFixture
{
    TestLedger ledger;
    TestQuoteServer server;
    QuoteSettings settings;
    FixedClock clock{Today};
    CurrentQuote current;

    PanelFixture()
    {
        settings.host = server.host();
        settings.timeoutSeconds = 2;
        reset();
    }

    // A fresh ledger costs a few dozen disk syncs; one is shared by the cases that
    // leave its tables in place, and put back to the state of a new one before each.
    void reset()
    {
        QString error;
        LedgerTransaction transaction(ledger.ledger());
        if (!transaction.begin(&error))
            qFatal("cannot reset the test ledger: %s", qPrintable(error));
        ledger.exec(QStringLiteral("DELETE FROM tJXC"));
        ledger.exec(QStringLiteral("DELETE FROM tStore"));
        ledger.exec(QStringLiteral("UPDATE tAccount SET YE=Init"));
        if (!transaction.commit(&error))
            qFatal("cannot reset the test ledger: %s", qPrintable(error));
        ledger.takeStatements();
        server.reset();
        server.setFallbackReply(200, toGbk(notFoundReply(QString())));
        current = CurrentQuote{};
    }

    void serve(const QString &prefixedCode, const QStringList &firstFields)
    {
        server.setQuote(prefixedCode, quoteReply(prefixedCode, firstFields));
    }

    PanelOutcome lookUp(PanelSide side, const QString &code, int account = 1)
    {
        return lookupPanel(AccountCode(account), side, code, current, ledger.ledger(), settings,
                           clock);
    }
};

// A record with every field set to something a lookup would not produce.
CurrentQuote sentinelQuote()
{
    CurrentQuote q;
    q.code = QStringLiteral("old");
    q.name = QStringLiteral("旧");
    q.price = -1;
    q.cash = -2;
    q.heldCost = -3;
    q.heldQuantity = -4;
    q.sellableQuantity = -5;
    return q;
}

} // namespace

class QuotePanelTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_shared = std::make_unique<PanelFixture>(); }
    void init() { m_shared->reset(); }
    void cleanupTestCase() { m_shared.reset(); }

    void quoteFigures_data();
    void quoteFigures();
    void buySideFillsCashAndBuyable_data();
    void buySideFillsCashAndBuyable();
    void sellableLeavesOutTodaysBuys_data();
    void sellableLeavesOutTodaysBuys();
    void sellSideRunsTheThreeStatements();
    void buySideLeavesSellableAlone();
    void emptyCodeClearsWithoutARequest();
    void quoteFailuresLeaveTheRecordAlone_data();
    void quoteFailuresLeaveTheRecordAlone();
    void tableFailureKeepsWhatWasReadBefore_data();
    void tableFailureKeepsWhatWasReadBefore();
    void captionsMatchTheFields();

private:
    std::unique_ptr<PanelFixture> m_shared;
};

void QuotePanelTest::quoteFigures_data()
{
    QTest::addColumn<QStringList>("firstFields"); // overrides of the reply's first fields
    QTest::addColumn<QStringList>("bidVolumes");  // five, or empty for the reply's own
    QTest::addColumn<QStringList>("quoteFields");

    // the reply's own levels: bids 100..500 at 10.49..10.45, asks 200..1000 at 10.50..10.54
    const QStringList levels{"10.49/1", "10.48/2", "10.47/3", "10.46/4", "10.45/5",
                             "10.50/2", "10.51/4", "10.52/6", "10.53/8", "10.54/10"};

    QTest::newRow("up half a yuan from 10")
        << QStringList{"平安银行", "10.00", "10.00", "10.50",  "10.80",
                       "9.90",     "10.49", "10.50", "123456", "12345678"}
        << QStringList{}
        << QStringList{"11.00", "9.00", "0.50",    "9.90",  "10.80",
                       "5.00",  "1234", "1234.57", "10.49", "10.50"} +
               levels;
    QTest::newRow("no previous close")
        << QStringList{"新股", "0", "0", "10.50", " 10.80 ", "9.90"} << QStringList{}
        << QStringList{"0.00", "0.00", "10.50",   "9.90",  "10.80",
                       "",     "1234", "1234.57", "10.49", "10.50"} +
               levels;
    QTest::newRow("no price yet") << QStringList{"停牌股", "0", "10.00", "0", "0",
                                                 "0",      "0", "0",     "0", "0"}
                                  << QStringList{}
                                  << QStringList{"11.00",   "9.00", "-10.00", "0", "0",
                                                 "-100.00", "0",    "0.00",   "0", "0"} +
                                         levels;
    QTest::newRow("odd limits round half away from zero")
        << QStringList{"某股", "0", "9.95", "9.95"} << QStringList{}
        << QStringList{"10.95", "8.96", "0.00",    "9.90",  "10.80",
                       "0.00",  "1234", "1234.57", "10.49", "10.50"} +
               levels;
    QTest::newRow("volume cut to whole lots, levels rounded")
        << QStringList{"某股", "0", "10.00", "9.00", "10.00", "8.50", "8.99", "9.01", "199", "5000"}
        << QStringList{"150", "50", "149", "250", "0"}
        << QStringList{"11.00",   "9.00",    "-1.00",   "8.50",    "10.00",
                       "-10.00",  "1",       "0.50",    "8.99",    "9.01",
                       "10.49/2", "10.48/1", "10.47/1", "10.46/3", "10.45/0"} +
               levels.mid(5);
}

void QuotePanelTest::quoteFigures()
{
    QFETCH(QStringList, firstFields);
    QFETCH(QStringList, bidVolumes);
    QFETCH(QStringList, quoteFields);

    PanelFixture &f = *m_shared;
    QStringList reply = parseQuote(quoteReply(QStringLiteral("sz000001"), firstFields)).fields;
    for (int k = 1; k <= bidVolumes.size(); ++k)
        reply[StockQuote::bidVolumeField(k)] = bidVolumes.at(k - 1);
    f.server.setQuote(QStringLiteral("sz000001"),
                      QStringLiteral("var hq_str_sz000001=\"%1\n").arg(reply.join(',')));

    const PanelOutcome outcome = f.lookUp(PanelSide::Buy, QStringLiteral("000001"));

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Filled);
    QCOMPARE(outcome.view.quoteFields.size(), 20);
    QCOMPARE(outcome.view.quoteFields, quoteFields);
}

void QuotePanelTest::buySideFillsCashAndBuyable_data()
{
    QTest::addColumn<QString>("cash");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("priceText");
    QTest::addColumn<QString>("cashText");
    QTest::addColumn<QString>("buyableText");

    QTest::newRow("whole shares, no lot rounding") << "10000"
                                                   << "3.00"
                                                   << "3"
                                                   << "10000.00"
                                                   << "3333";
    QTest::newRow("fresh account at 10.50") << "100000"
                                            << "10.500"
                                            << "10.5"
                                            << "100000.00"
                                            << "9523";
    // buyable uses the price as shown: 100000 / 10.56, not / 10.555
    QTest::newRow("shown price is rounded first") << "100000"
                                                  << "10.555"
                                                  << "10.56"
                                                  << "100000.00"
                                                  << "9469";
    QTest::newRow("exact multiple") << "1050"
                                    << "10.50"
                                    << "10.5"
                                    << "1050.00"
                                    << "100";
    QTest::newRow("cash in cents") << "1234.565"
                                   << "1"
                                   << "1"
                                   << "1234.57"
                                   << "1234";
    QTest::newRow("no cash") << "0"
                             << "10.50"
                             << "10.5"
                             << "0.00"
                             << "0";
    // a reinitialisation may leave negative cash: the fraction is cut off, not floored
    QTest::newRow("negative cash") << "-100"
                                   << "3.00"
                                   << "3"
                                   << "-100.00"
                                   << "-33";
    QTest::newRow("price 0: nothing buyable shown") << "10000"
                                                    << "0"
                                                    << "0"
                                                    << "10000.00"
                                                    << "";
    QTest::newRow("price rounds to 0") << "10000"
                                       << "0.004"
                                       << "0"
                                       << "10000.00"
                                       << "";
}

void QuotePanelTest::buySideFillsCashAndBuyable()
{
    QFETCH(QString, cash);
    QFETCH(QString, price);
    QFETCH(QString, priceText);
    QFETCH(QString, cashText);
    QFETCH(QString, buyableText);

    PanelFixture &f = *m_shared;
    f.ledger.exec(QStringLiteral("UPDATE tAccount SET YE=%1 WHERE Code=1").arg(cash));
    f.serve(QStringLiteral("sz000001"), {QStringLiteral("平安银行"), "0", "10.00", price});

    const PanelOutcome outcome = f.lookUp(PanelSide::Buy, QStringLiteral("000001"));

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Filled);
    QCOMPARE(outcome.message, QString());
    QCOMPARE(outcome.view.name, QStringLiteral("平安银行"));
    QCOMPARE(outcome.view.priceText, priceText);
    QCOMPARE(outcome.view.cashText, cashText);
    QCOMPARE(outcome.view.buyableText, buyableText);
    QCOMPARE(outcome.view.sellableText, QString());
    QCOMPARE(f.current.code, QStringLiteral("sz000001"));
    QCOMPARE(f.current.name, QStringLiteral("平安银行"));
    QCOMPARE(f.current.price, price.toDouble());
    QCOMPARE(f.current.cash, cash.toDouble());
}

void QuotePanelTest::sellableLeavesOutTodaysBuys_data()
{
    QTest::addColumn<int>("account");
    QTest::addColumn<QString>("gp");
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("quantity"); // -1 for a row without a quantity
    QTest::addColumn<QString>("dateTime");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("sellable");

    // 1000 held; only buys of this account and security dated today are held back
    QTest::newRow("bought today") << 1 << "sz000001" << 1 << 300 << "2024-01-05 09:30:00" << 1
                                  << 700;
    QTest::newRow("bought twice today")
        << 1 << "sz000001" << 1 << 300 << "2024-01-05 14:00:00" << 2 << 400;
    QTest::newRow("bought at midnight")
        << 1 << "sz000001" << 1 << 100 << "2024-01-05 00:00:00" << 1 << 900;
    QTest::newRow("bought just before midnight")
        << 1 << "sz000001" << 1 << 100 << "2024-01-05 23:59:59" << 1 << 900;
    QTest::newRow("bought yesterday")
        << 1 << "sz000001" << 1 << 300 << "2024-01-04 23:59:59" << 1 << 1000;
    QTest::newRow("bought tomorrow's date")
        << 1 << "sz000001" << 1 << 300 << "2024-01-06 00:00:00" << 1 << 1000;
    QTest::newRow("bought a year ago today")
        << 1 << "sz000001" << 1 << 300 << "2023-01-05 10:00:00" << 1 << 1000;
    QTest::newRow("sold today") << 1 << "sz000001" << 2 << 300 << "2024-01-05 10:00:00" << 1
                                << 1000;
    QTest::newRow("other account bought today")
        << 2 << "sz000001" << 1 << 300 << "2024-01-05 10:00:00" << 1 << 1000;
    QTest::newRow("other security bought today")
        << 1 << "sh000001" << 1 << 300 << "2024-01-05 10:00:00" << 1 << 1000;
    QTest::newRow("row without a quantity")
        << 1 << "sz000001" << 1 << -1 << "2024-01-05 10:00:00" << 1 << 1000;
}

void QuotePanelTest::sellableLeavesOutTodaysBuys()
{
    QFETCH(int, account);
    QFETCH(QString, gp);
    QFETCH(int, flag);
    QFETCH(int, quantity);
    QFETCH(QString, dateTime);
    QFETCH(int, copies);
    QFETCH(int, sellable);

    PanelFixture &f = *m_shared;
    f.ledger.exec(
        QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',1000,9.5)"));
    f.ledger.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (2,'sz000001',50,8)"));
    for (int i = 0; i < copies; ++i) {
        if (quantity < 0)
            f.ledger.exec(
                QStringLiteral("INSERT INTO tJXC (Code,GP,flag,dtDate) VALUES (%1,%2,%3,%4)")
                    .arg(account)
                    .arg(sqlLiteral(gp))
                    .arg(flag)
                    .arg(sqlLiteral(dateTime)));
        else
            f.ledger.addTrade(account, gp, QStringLiteral("平安银行"), flag, quantity, 10, 9.5,
                              dateTime);
    }
    f.serve(QStringLiteral("sz000001"), {QStringLiteral("平安银行")});
    f.current.cash = -2;

    const PanelOutcome outcome = f.lookUp(PanelSide::Sell, QStringLiteral("000001"));

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Filled);
    QCOMPARE(outcome.view.sellableText, QString::number(sellable));
    QCOMPARE(f.current.sellableQuantity, sellable);
    QCOMPARE(f.current.heldQuantity, 1000);
    QCOMPARE(f.current.heldCost, 9.5);
    QCOMPARE(f.current.cash, 100000.0); // read on the sell side too, just not shown
    QCOMPARE(outcome.view.cashText, QString());
    QCOMPARE(outcome.view.buyableText, QString());
    QCOMPARE(outcome.view.priceText, QStringLiteral("10.5"));
}

void QuotePanelTest::sellSideRunsTheThreeStatements()
{
    PanelFixture &f = *m_shared;
    f.serve(QStringLiteral("sh600000"), {QStringLiteral("浦发银行")});
    f.ledger.takeStatements();

    const PanelOutcome outcome = f.lookUp(PanelSide::Sell, QStringLiteral(" 600000 "), 3);

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Filled);
    QCOMPARE(f.ledger.takeStatements(),
             QStringList({
                 "SELECT YE From tAccount WHERE CODE=3",
                 "SELECT cbj,SL From tStore WHERE CODE=3 AND GP='sh600000'",
                 "SELECT SUM(IIF(SL IS NULL,0,SL)) FROM tJXC WHERE code=3 AND flag=1 AND "
                 "GP='sh600000' AND format(dtDate,\"yyyymmdd\")='20240105'",
             }));
    // nothing held: no row in tStore reads as 0
    QCOMPARE(f.current.code, QStringLiteral("sh600000"));
    QCOMPARE(f.current.heldQuantity, 0);
    QCOMPARE(f.current.heldCost, 0.0);
    QCOMPARE(outcome.view.sellableText, QStringLiteral("0"));
}

void QuotePanelTest::buySideLeavesSellableAlone()
{
    PanelFixture &f = *m_shared;
    f.ledger.exec(
        QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',800,9.25)"));
    f.ledger.addTrade(1, QStringLiteral("sz000001"), QStringLiteral("平安银行"), 1, 300, 10, 0,
                      QStringLiteral("2024-01-05 10:00:00"));
    f.serve(QStringLiteral("sz000001"), {QStringLiteral("平安银行")});
    f.current = sentinelQuote();
    f.ledger.takeStatements();

    const PanelOutcome outcome = f.lookUp(PanelSide::Buy, QStringLiteral("000001"));

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Filled);
    QCOMPARE(f.ledger.takeStatements().size(), 2); // no journal read when buying
    QCOMPARE(f.current.sellableQuantity, -5);
    QCOMPARE(f.current.heldQuantity, 800);
    QCOMPARE(f.current.heldCost, 9.25);
    QCOMPARE(f.current.price, 10.5);
    QCOMPARE(outcome.view.sellableText, QString());
}

void QuotePanelTest::emptyCodeClearsWithoutARequest()
{
    PanelFixture &f = *m_shared;
    f.current = sentinelQuote();

    const PanelOutcome outcome = f.lookUp(PanelSide::Sell, QStringLiteral(" \t\r\n "));

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Cleared);
    QCOMPARE(outcome.message, QString());
    QCOMPARE(outcome.view.quoteFields, QStringList());
    QCOMPARE(f.server.requestCount(), 0);
    QCOMPARE(f.ledger.takeStatements(), QStringList());
    QCOMPARE(f.current.code, QStringLiteral("old"));
    QCOMPARE(f.current.price, -1.0);
}

void QuotePanelTest::quoteFailuresLeaveTheRecordAlone_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("message");

    QTest::newRow("not found in either market")
        << 200 << notFoundReply(QStringLiteral("sz000001")) << msg::QuoteNotFound;
    QTest::newRow("server error") << 500 << QString()
                                  << failureText(msg::ReadQuoteFailed,
                                                 QStringLiteral("HTTP 500 Internal Server Error"));
    QTest::newRow("short reply") << 200 << QStringLiteral("var hq_str_sz000001=\"a,b\";\n")
                                 << failureText(msg::ReadQuoteFailed,
                                                QStringLiteral("malformed quote reply: 2 fields"));
}

void QuotePanelTest::quoteFailuresLeaveTheRecordAlone()
{
    QFETCH(int, status);
    QFETCH(QString, reply);
    QFETCH(QString, message);

    PanelFixture &f = *m_shared;
    f.server.setReply(QStringLiteral("/list=sz000001"), status, toGbk(reply));
    f.current = sentinelQuote();
    f.ledger.takeStatements();

    const PanelOutcome outcome = f.lookUp(PanelSide::Buy, QStringLiteral("000001"));

    QCOMPARE(outcome.kind, PanelOutcome::Kind::Failed);
    QCOMPARE(outcome.message, message);
    QCOMPARE(f.ledger.takeStatements(), QStringList());
    QCOMPARE(f.current.code, QStringLiteral("old"));
    QCOMPARE(f.current.name, QStringLiteral("旧"));
    QCOMPARE(f.current.cash, -2.0);
}

void QuotePanelTest::tableFailureKeepsWhatWasReadBefore_data()
{
    QTest::addColumn<PanelSide>("side");
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<double>("cash");
    QTest::addColumn<int>("heldQuantity");
    QTest::addColumn<int>("sellable");
    QTest::addColumn<double>("price");

    // values of the sentinel record stay where the lookup stopped
    QTest::newRow("account table, buying")
        << PanelSide::Buy << "tAccount" << true << -2.0 << -4 << -5 << -1.0;
    QTest::newRow("holdings table, selling")
        << PanelSide::Sell << "tStore" << true << 100000.0 << -4 << -5 << -1.0;
    QTest::newRow("journal, selling")
        << PanelSide::Sell << "tJXC" << true << 100000.0 << 600 << -5 << -1.0;
    QTest::newRow("journal is not read when buying")
        << PanelSide::Buy << "tJXC" << false << 100000.0 << 600 << -5 << 10.5;
}

void QuotePanelTest::tableFailureKeepsWhatWasReadBefore()
{
    QFETCH(PanelSide, side);
    QFETCH(QString, table);
    QFETCH(bool, fails);
    QFETCH(double, cash);
    QFETCH(int, heldQuantity);
    QFETCH(int, sellable);
    QFETCH(double, price);

    PanelFixture f;
    f.ledger.exec(
        QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',600,9)"));
    f.ledger.exec(QStringLiteral("ALTER TABLE %1 RENAME TO gone").arg(table));
    f.serve(QStringLiteral("sz000001"), {QStringLiteral("平安银行")});
    f.current = sentinelQuote();

    const PanelOutcome outcome = f.lookUp(side, QStringLiteral("000001"));

    if (fails) {
        QCOMPARE(outcome.kind, PanelOutcome::Kind::Failed);
        QCOMPARE(outcome.message,
                 failureText(msg::ReadTableFailed, QStringLiteral("no such table: ") + table));
        QCOMPARE(outcome.view.quoteFields, QStringList());
    } else {
        QCOMPARE(outcome.kind, PanelOutcome::Kind::Filled);
    }
    QCOMPARE(f.current.code, QStringLiteral("sz000001"));
    QCOMPARE(f.current.name, QStringLiteral("平安银行"));
    QCOMPARE(f.current.cash, cash);
    QCOMPARE(f.current.heldQuantity, heldQuantity);
    QCOMPARE(f.current.sellableQuantity, sellable);
    QCOMPARE(f.current.price, price);
}

void QuotePanelTest::captionsMatchTheFields()
{
    const QStringList captions = quoteFieldCaptions();
    QCOMPARE(captions.size(), 20);
    QCOMPARE(captions.first(), QStringLiteral("涨停价(元)"));
    QCOMPARE(captions.at(5), QStringLiteral("涨跌幅%"));
    QCOMPARE(captions.at(10), QStringLiteral("买一(元)/手"));
    QCOMPARE(captions.last(), QStringLiteral("卖五(元)/手"));
    QCOMPARE(quoteFieldTexts(parseQuote(quoteReply(QStringLiteral("sz000001"), {}))).size(),
             captions.size());
}

QTEST_GUILESS_MAIN(QuotePanelTest)
#include "tst_quote_panel.moc"
