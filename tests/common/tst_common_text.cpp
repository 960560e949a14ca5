// Text helpers: trimming, ASCII upper-casing, SQL literals, text read as a number,
// and the names the three accounts go by.
#include "common/AccountCode.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

#include <QLocale>
#include <QTest>

using namespace yanlan;

class TestCommonText : public QObject
{
    Q_OBJECT

private slots:
    void trimText_data();
    void trimText();
    void asciiUpper_data();
    void asciiUpper();
    void sqlLiteral_data();
    void sqlLiteral();
    void textToNumber_data();
    void textToNumber();
    void textToNumberIgnoresTheUserLocale();
    void gbkRoundTrip_data();
    void gbkRoundTrip();
    void accountNames_data();
    void accountNames();
};

void TestCommonText::trimText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("spaces") << QStringLiteral("  sz000001  ") << QStringLiteral("sz000001");
    QTest::newRow("control characters")
        << QStringLiteral("\t\r\n\x01" "abc\x1f\x0b") << QStringLiteral("abc");
    QTest::newRow("NUL at both ends")
        << (QChar(0) + QStringLiteral("abc") + QChar(0)) << QStringLiteral("abc");
    QTest::newRow("inside kept") << QStringLiteral(" a \t b ") << QStringLiteral("a \t b");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only blanks") << QStringLiteral(" \t\r\n ") << QString();
    // characters above 32 are not blanks here, even where Unicode calls them spaces
    QTest::newRow("ideographic space kept")
        << QStringLiteral("\u3000万科A\u3000") << QStringLiteral("\u3000万科A\u3000");
    QTest::newRow("no-break space kept")
        << QStringLiteral("\u00a0" "12.5\u00a0") << QStringLiteral("\u00a0" "12.5\u00a0");
    QTest::newRow("DEL kept") << QStringLiteral("\x7f" "a\x7f") << QStringLiteral("\x7f" "a\x7f");
    QTest::newRow("Chinese") << QStringLiteral(" 平安银行\r\n") << QStringLiteral("平安银行");
}

void TestCommonText::trimText()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(yanlan::trimText(text), trimmed);
    // UTF-8 keeps every byte of a non-ASCII character above 127, so the byte form agrees
    QCOMPARE(trimBytes(text.toUtf8()), trimmed.toUtf8());
}

void TestCommonText::asciiUpper_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");

    QTest::newRow("stock code") << QStringLiteral("sz000001") << QStringLiteral("SZ000001");
    QTest::newRow("Chinese untouched") << QStringLiteral("万科a") << QStringLiteral("万科A");
    QTest::newRow("range ends") << QStringLiteral("@az[`{") << QStringLiteral("@AZ[`{");
    QTest::newRow("Latin letters beyond ASCII")
        << QStringLiteral("äöüßé") << QStringLiteral("äöüßé");
    QTest::newRow("full-width letters") << QStringLiteral("ｓｚ") << QStringLiteral("ｓｚ");
    QTest::newRow("Greek") << QStringLiteral("αβ") << QStringLiteral("αβ");
    QTest::newRow("empty") << QString() << QString();
}

void TestCommonText::asciiUpper()
{
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QCOMPARE(yanlan::asciiUpper(text), upper);
    QCOMPARE(yanlan::asciiUpper(text.toUtf8()), upper.toUtf8());
}

void TestCommonText::sqlLiteral_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("literal");

    QTest::newRow("plain") << QStringLiteral("sz000001") << QStringLiteral("'sz000001'");
    QTest::newRow("one quote") << QStringLiteral("it's") << QStringLiteral("'it''s'");
    QTest::newRow("only quotes") << QStringLiteral("''") << QStringLiteral("''''''");
    QTest::newRow("quote at the ends") << QStringLiteral("'a'") << QStringLiteral("'''a'''");
    QTest::newRow("empty") << QString() << QStringLiteral("''");
    QTest::newRow("double quote untouched") << QStringLiteral("a\"b") << QStringLiteral("'a\"b'");
    QTest::newRow("Chinese") << QStringLiteral("万科A") << QStringLiteral("'万科A'");
}

void TestCommonText::sqlLiteral()
{
    QFETCH(QString, text);
    QFETCH(QString, literal);
    QCOMPARE(yanlan::sqlLiteral(text), literal);
}

void TestCommonText::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::newRow("padded decimal") << QStringLiteral(" 12.5 ") << 12.5;
    QTest::newRow("control padding") << QStringLiteral("\t-3\r\n") << -3.0;
    QTest::newRow("whole") << QStringLiteral("100000") << 100000.0;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5;
    QTest::newRow("cents") << QStringLiteral("0.01") << 0.01;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("blanks") << QStringLiteral("   ") << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("Chinese") << QStringLiteral("十") << 0.0;
    QTest::newRow("inf") << QStringLiteral("inf") << 0.0;
    QTest::newRow("-inf") << QStringLiteral("-inf") << 0.0;
    QTest::newRow("nan") << QStringLiteral("nan") << 0.0;
    QTest::newRow("NaN") << QStringLiteral("NaN") << 0.0;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << 0.0;
}

void TestCommonText::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(yanlan::textToNumber(text), number);
}

void TestCommonText::textToNumberIgnoresTheUserLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const double point = yanlan::textToNumber(QStringLiteral("12.5"));
    const double grouped = yanlan::textToNumber(QStringLiteral("1.250"));
    QLocale::setDefault(saved);

    QCOMPARE(point, 12.5);
    QCOMPARE(grouped, 1.25);
}

void TestCommonText::gbkRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("gbk");

    QTest::newRow("ASCII") << QStringLiteral("ABC123") << QByteArray("ABC123");
    QTest::newRow("two characters") << QStringLiteral("万科") << QByteArray("\xcd\xf2\xbf\xc6");
    // a GBK character whose second byte is the letter 'a'
    QTest::newRow("trail byte in a-z") << QStringLiteral("乤") << QByteArray("\x81\x61");
}

void TestCommonText::gbkRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, gbk);
    QCOMPARE(toGbk(text), gbk);
    QCOMPARE(fromGbk(gbk), text);
}

void TestCommonText::accountNames_data()
{
    QTest::addColumn<int>("digit");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("title");

    QTest::newRow("1") << 1 << QStringLiteral("DX") << QStringLiteral("短线试验");
    QTest::newRow("2") << 2 << QStringLiteral("ZX") << QStringLiteral("中线操作");
    QTest::newRow("3") << 3 << QStringLiteral("CX") << QStringLiteral("长线投资");
}

void TestCommonText::accountNames()
{
    QFETCH(int, digit);
    QFETCH(QString, prefix);
    QFETCH(QString, title);

    const AccountCode account(digit);
    QCOMPARE(account.digit(), digit);
    QCOMPARE(account.digitText(), QString::number(digit));
    QCOMPARE(account.prefix(), prefix);
    QCOMPARE(account.defaultTitle(), title);
    // all() lists the accounts in their digit order
    QCOMPARE(AccountCode::all().at(digit - 1), account);
}

QTEST_GUILESS_MAIN(TestCommonText)
#include "tst_common_text.moc"
