#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TradingFixture.h"
#include "trading/BuyOrder.h"
#include "trading/OrderQuantity.h"
#include "trading/SellOrder.h"
#include "trading/TradeMessages.h"

#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

Q_DECLARE_METATYPE(yanlan::OrderOutcome)
Q_DECLARE_METATYPE(yanlan::OrderQuantity::Problem)

class TestTradingQuantity : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void rejectedTexts_data();
    void rejectedTexts();
    void parsedQuantityIsWritten_data();
    void parsedQuantityIsWritten();
};

void TestTradingQuantity::parse_data()
{
    using P = OrderQuantity::Problem;
    QTest::addColumn<QString>("text");
    QTest::addColumn<P>("problem");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "200" << P::None << 200;
    QTest::newRow("blanks around") << " \t200 " << P::None << 200;
    QTest::newRow("leading zeros") << "000200" << P::None << 200;
    QTest::newRow("largest") << "2147483647" << P::None << 2147483647;
    QTest::newRow("one past the largest") << "2147483648" << P::TooLarge << 0;
    QTest::newRow("past 64 bits") << "99999999999999999999999" << P::TooLarge << 0;
    QTest::newRow("zero") << "0" << P::Zero << 0;
    QTest::newRow("minus zero") << "-0" << P::Zero << 0;
    QTest::newRow("empty") << "" << P::NotWhole << 0;
    QTest::newRow("negative") << "-100" << P::Negative << 0;
    QTest::newRow("large negative") << "-2147483649" << P::Negative << 0;
    QTest::newRow("plus sign") << "+100" << P::NotWhole << 0;
    QTest::newRow("exponent") << "1e3" << P::NotWhole << 0;
    QTest::newRow("negative exponent") << "-1e3" << P::NotWhole << 0;
    QTest::newRow("full-width digits") << "１００" << P::NotWhole << 0;
    QTest::newRow("blank inside") << "1 000" << P::NotWhole << 0;
    QTest::newRow("trailing letters") << "12abc" << P::NotWhole << 0;
    QTest::newRow("point") << "1.0" << P::NotWhole << 0;
    QTest::newRow("hexadecimal") << "0x10" << P::NotWhole << 0;
}

void TestTradingQuantity::parse()
{
    QFETCH(QString, text);
    QFETCH(OrderQuantity::Problem, problem);
    QFETCH(int, value);

    const OrderQuantity quantity = parseOrderQuantity(text);
    QCOMPARE(quantity.problem, problem);
    QCOMPARE(quantity.value, value);
}

void TestTradingQuantity::rejectedTexts_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("message");

    // Texts the decimal reader of the zero test cannot read at all stop there.
    QTest::newRow("exponent") << "1e3" << msg::trade::QuantityNotWhole;
    QTest::newRow("full-width digits") << "１００" << msg::trade::QuantityEmpty;
    QTest::newRow("plus sign") << "+100" << msg::trade::QuantityNotWhole;
    QTest::newRow("negative") << "-100" << msg::trade::QuantityNegative;
    QTest::newRow("one past the 32-bit range") << "2147483648" << msg::trade::QuantityTooLarge;
    QTest::newRow("far past the 32-bit range") << "99999999999" << msg::trade::QuantityTooLarge;
    QTest::newRow("trailing letters") << "12abc" << msg::trade::QuantityEmpty;
    QTest::newRow("blank inside") << "1 000" << msg::trade::QuantityEmpty;
    QTest::newRow("decimal") << "1.5" << msg::trade::QuantityNotWhole;
    QTest::newRow("negative decimal") << "-1.5" << msg::trade::QuantityNotWhole;
    QTest::newRow("tiny exponent") << "1e-3" << msg::trade::QuantityNotWhole;
    QTest::newRow("zero") << "0" << msg::trade::QuantityEmpty;
    QTest::newRow("empty") << "" << msg::trade::QuantityEmpty;
    QTest::newRow("letters") << "abc" << msg::trade::QuantityEmpty;
}

// Neither side lets a quantity that is not a plain positive 32-bit number reach the ledger.
void TestTradingQuantity::rejectedTexts()
{
    QFETCH(QString, quantity);
    QFETCH(QString, message);

    TestLedger t;
    const QStringList before = committedRows(t.path());
    // plenty of cash and sellable shares, so only the quantity can refuse
    const CurrentQuote current = sampleQuote(1, 1e12, 2147483647, 1);
    const OrderInput input = orderInput(1, quantity, QStringLiteral("1"));

    RecordingPrompter buyPrompter;
    QCOMPARE(placeBuyOrder(input, current, t.ledger(), buyPrompter), OrderOutcome::Refused);
    QCOMPARE(buyPrompter.all, QStringList{message});

    RecordingPrompter sellPrompter;
    QCOMPARE(placeSellOrder(input, current, t.ledger(), sellPrompter), OrderOutcome::Refused);
    QCOMPARE(sellPrompter.all, QStringList{message});

    QVERIFY(t.takeStatements().isEmpty());
    QCOMPARE(committedRows(t.path()), before);
}

void TestTradingQuantity::parsedQuantityIsWritten_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("written");

    QTest::newRow("blanks and leading zeros") << " 000200\t" << "200";
    QTest::newRow("largest 32-bit number") << "2147483647" << "2147483647";
}

// The statements carry the number read, never the text typed.
void TestTradingQuantity::parsedQuantityIsWritten()
{
    QFETCH(QString, quantity);
    QFETCH(QString, written);

    TestLedger t;
    RecordingPrompter prompter;
    const double price = 0.01;
    const CurrentQuote current = sampleQuote(price, 1e12, 2147483647, 0.01);
    const OrderInput input = orderInput(1, quantity, QStringLiteral("0.01"));

    QCOMPARE(placeBuyOrder(input, current, t.ledger(), prompter), OrderOutcome::Done);
    const QStringList bought = t.takeStatements();
    QCOMPARE(bought.size(), 4);
    QVERIFY2(bought.at(0).contains(QStringLiteral(",'示例股份',%1,0.01,").arg(written)), qPrintable(bought.at(0)));
    QVERIFY2(bought.at(2).endsWith(QStringLiteral(",%1,0.01)").arg(written)), qPrintable(bought.at(2)));

    QCOMPARE(placeSellOrder(input, current, t.ledger(), prompter), OrderOutcome::Done);
    const QStringList sold = t.takeStatements();
    QCOMPARE(sold.size(), 3);
    QVERIFY2(sold.at(0).contains(QStringLiteral(",'示例股份',%1,0.01,").arg(written)), qPrintable(sold.at(0)));
    QVERIFY2(sold.at(1).contains(QStringLiteral("-%1 WHERE").arg(written)), qPrintable(sold.at(1)));

    QCOMPARE(t.scalar(QStringLiteral("SELECT group_concat(sl,',') FROM tJXC")), written + QLatin1Char(',') + written);
    QCOMPARE(t.scalar(QStringLiteral("SELECT SL FROM tStore")), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TestTradingQuantity)
#include "tst_trading_quantity.moc"
