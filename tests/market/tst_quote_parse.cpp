#include "market/StockQuote.h"

#include <QTest>

using namespace yanlan;

class QuoteParseTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsFields_data();
    void splitsFields();
    void readsFieldsByPosition_data();
    void readsFieldsByPosition();
    void namedFieldsSitAtTheirPositions();
};

namespace {

// A reply in the service's format for sz000001, newline-terminated.
QString realReply()
{
    return QStringLiteral(
        "var hq_str_sz000001=\"平安银行,10.00,10.00,10.50,10.80,9.90,10.49,10.50,123456,"
        "12345678.90,100,10.49,200,10.48,300,10.47,400,10.46,500,10.45,"
        "200,10.50,400,10.51,600,10.52,800,10.53,1000,10.54,2024-01-05,15:00:00,00\";\n");
}

QStringList realFields()
{
    return QStringList{QStringLiteral("平安银行"),
                       "10.00",
                       "10.00",
                       "10.50",
                       "10.80",
                       "9.90",
                       "10.49",
                       "10.50",
                       "123456",
                       "12345678.90",
                       "100",
                       "10.49",
                       "200",
                       "10.48",
                       "300",
                       "10.47",
                       "400",
                       "10.46",
                       "500",
                       "10.45",
                       "200",
                       "10.50",
                       "400",
                       "10.51",
                       "600",
                       "10.52",
                       "800",
                       "10.53",
                       "1000",
                       "10.54",
                       "2024-01-05",
                       "15:00:00",
                       "00\";"};
}

} // namespace

void QuoteParseTest::splitsFields_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("real reply, 33 fields, closing quote stays in the last")
        << realReply() << realFields();
    QTest::newRow("comma at the end gives an empty last field")
        << QStringLiteral("var a=\"x,y,\n") << QStringList{"x", "y", ""};
    QTest::newRow("name with a blank stays one field")
        << QStringLiteral("var hq_str_sz000002=\"万 科Ａ,1, 2\";\n")
        << QStringList{QStringLiteral("万 科Ａ"), "1", " 2\";"};
    QTest::newRow("empty fields keep their positions")
        << QStringLiteral("v=\"a,,c,,\";\n") << QStringList{"a", "", "c", "", "\";"};
    QTest::newRow("first field empty") << QStringLiteral("v=\",b\";\n") << QStringList{"", "b\";"};
    QTest::newRow("only the first double quote counts")
        << QStringLiteral("v=\"a\"b,c\";\n") << QStringList{"a\"b", "c\";"};
    QTest::newRow("not-found reply")
        << QStringLiteral("var hq_str_sz9=\"\";\n") << QStringList{"\";"};

    // short replies: everything after the quote but the last character, never beyond
    QTest::newRow("quote is the last character") << QStringLiteral("v=\"") << QStringList{};
    QTest::newRow("one character after the quote") << QStringLiteral("\"a") << QStringList{};
    QTest::newRow("two characters after the quote") << QStringLiteral("\"ab") << QStringList{"a"};
    QTest::newRow("empty body") << QString() << QStringList{};
    QTest::newRow("one character") << QStringLiteral("x") << QStringList{};

    // without a double quote the whole body but its last character is read
    QTest::newRow("no double quote") << QStringLiteral("abc,def\n") << QStringList{"abc", "def"};
    QTest::newRow("no double quote, last character cut")
        << QStringLiteral("a,b") << QStringList{"a", ""};

    // control characters (1..32) end a field; a run of them is one separator
    QTest::newRow("CRLF at the end")
        << QStringLiteral("v=\"a,b\";\r\n") << QStringList{"a", "b\";"};
    QTest::newRow("tab inside a field splits it")
        << QStringLiteral("v=\"a\tb,c\";\n") << QStringList{"a", "b", "c\";"};
    QTest::newRow("run of controls is one separator")
        << QStringLiteral("v=\"a\r\n\t b,c\";\n") << QStringList{"a", QStringLiteral(" b"), "c\";"};
    QTest::newRow("controls then comma add no empty field")
        << QStringLiteral("v=\"a\t\t,b\";\n") << QStringList{"a", "b\";"};
    QTest::newRow("comma then controls start the next field")
        << QStringLiteral("v=\"a,\r\nb\";\n") << QStringList{"a", "b\";"};
    QTest::newRow("controls between two commas leave one empty field")
        << QStringLiteral("v=\"a,\t,b\";\n") << QStringList{"a", "", "b\";"};
    QTest::newRow("controls around a comma")
        << QStringLiteral("v=\"a\t,\tb\";\n") << QStringList{"a", "b\";"};
    QTest::newRow("leading controls are skipped")
        << QStringLiteral("v=\"\r\n\ta,b\";\n") << QStringList{"a", "b\";"};
    QTest::newRow("controls then a final comma")
        << QStringLiteral("v=\"a\t,\n") << QStringList{"a", ""};
    QTest::newRow("trailing controls add nothing")
        << QStringLiteral("v=\"a,b\t\t\n") << QStringList{"a", "b"};
    QTest::newRow("blank before a tab stays in the field")
        << QStringLiteral("v=\"a \tb\";\n") << QStringList{QStringLiteral("a "), "b\";"};
}

void QuoteParseTest::splitsFields()
{
    QFETCH(QString, body);
    QFETCH(QStringList, fields);

    const StockQuote quote = parseQuote(body);
    QCOMPARE(quote.fields, fields);
    QCOMPARE(quote.fieldCount(), fields.size());
}

void QuoteParseTest::readsFieldsByPosition_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::newRow("name") << 0 << QStringLiteral("万 科Ａ") << 0.0;
    QTest::newRow("blanks around a number are trimmed") << 1 << QStringLiteral("10.5") << 10.5;
    QTest::newRow("empty field") << 2 << QString() << 0.0;
    QTest::newRow("unreadable number") << 3 << QStringLiteral("x1") << 0.0;
    QTest::newRow("last field") << 4 << QStringLiteral("7\";") << 0.0;
    QTest::newRow("past the end") << 5 << QString() << 0.0;
    QTest::newRow("negative index") << -1 << QString() << 0.0;
}

void QuoteParseTest::readsFieldsByPosition()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(double, number);

    const StockQuote quote = parseQuote(QStringLiteral("v=\" 万 科Ａ , 10.5 ,,x1,7\";\n"));
    QCOMPARE(quote.fieldCount(), 5);
    QCOMPARE(quote.text(index), text);
    QCOMPARE(quote.number(index), number);
}

void QuoteParseTest::namedFieldsSitAtTheirPositions()
{
    // field i holds the number 1000 + i, so a wrong position shows as a wrong number
    QStringList values{QStringLiteral("名称")};
    for (int i = 1; i < 33; ++i)
        values << QString::number(1000 + i);
    const StockQuote quote = parseQuote(QStringLiteral("v=\"%1\";\n").arg(values.join(',')));
    QCOMPARE(quote.fieldCount(), 33);

    QCOMPARE(quote.name(), QStringLiteral("名称"));
    QCOMPARE(quote.open(), 1001.0);
    QCOMPARE(quote.prevClose(), 1002.0);
    QCOMPARE(quote.price(), 1003.0);
    QCOMPARE(quote.high(), 1004.0);
    QCOMPARE(quote.low(), 1005.0);
    QCOMPARE(quote.bid(), 1006.0);
    QCOMPARE(quote.ask(), 1007.0);
    QCOMPARE(quote.volume(), 1008.0);
    QCOMPARE(quote.turnover(), 1009.0);
    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(quote.bidVolume(k), 1008.0 + 2 * k);
        QCOMPARE(quote.bidPrice(k), 1009.0 + 2 * k);
        QCOMPARE(quote.askVolume(k), 1018.0 + 2 * k);
        QCOMPARE(quote.askPrice(k), 1019.0 + 2 * k);
    }
}

QTEST_GUILESS_MAIN(QuoteParseTest)
#include "tst_quote_parse.moc"
