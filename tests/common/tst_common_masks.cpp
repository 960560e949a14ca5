// The display masks "0.00", "0.##" and "0": decimal rounding, halves away from zero,
// on the value taken to 15 significant digits.
#include "common/NumberFormat.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

using namespace yanlan;

class TestCommonMasks : public QObject
{
    Q_OBJECT

private slots:
    void masks_data();
    void masks();
    void masksIgnoreTheUserLocale();
    void roundTo2_data();
    void roundTo2();
    void formatPlain_data();
    void formatPlain();
};

void TestCommonMasks::masks_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("fixed2"); // "0.00"
    QTest::addColumn<QString>("shorter"); // "0.##"
    QTest::addColumn<QString>("whole");  // "0"

    // binary doubles just below the half: rounding the double itself would go down
    QTest::newRow("0.125") << 0.125 << "0.13" << "0.13" << "0";
    QTest::newRow("1.005") << 1.005 << "1.01" << "1.01" << "1";
    QTest::newRow("2.675") << 2.675 << "2.68" << "2.68" << "3";
    QTest::newRow("0.285") << 0.285 << "0.29" << "0.29" << "0";
    QTest::newRow("-350.245") << -350.245 << "-350.25" << "-350.25" << "-350";
    QTest::newRow("1.45 rounds once") << 1.45 << "1.45" << "1.45" << "1";

    // trailing zeros: only "0.##" drops them, and the point with them
    QTest::newRow("10.10") << 10.10 << "10.10" << "10.1" << "10";
    QTest::newRow("12.50") << 12.50 << "12.50" << "12.5" << "13";
    QTest::newRow("7") << 7.0 << "7.00" << "7" << "7";
    QTest::newRow("0.004") << 0.004 << "0.00" << "0" << "0";
    QTest::newRow("0.07") << 0.07 << "0.07" << "0.07" << "0";

    // halves away from zero, on both sides
    QTest::newRow("0.5") << 0.5 << "0.50" << "0.5" << "1";
    QTest::newRow("1.5") << 1.5 << "1.50" << "1.5" << "2";
    QTest::newRow("2.5") << 2.5 << "2.50" << "2.5" << "3";
    QTest::newRow("-0.5") << -0.5 << "-0.50" << "-0.5" << "-1";
    QTest::newRow("-2.5") << -2.5 << "-2.50" << "-2.5" << "-3";
    QTest::newRow("-0.005") << -0.005 << "-0.01" << "-0.01" << "0";

    // a carry through every digit
    QTest::newRow("9.995") << 9.995 << "10.00" << "10" << "10";
    QTest::newRow("99.995") << 99.995 << "100.00" << "100" << "100";
    QTest::newRow("999.5") << 999.5 << "999.50" << "999.5" << "1000";

    // no minus sign on a result that shows as zero
    QTest::newRow("0") << 0.0 << "0.00" << "0" << "0";
    QTest::newRow("-0.0") << -0.0 << "0.00" << "0" << "0";
    QTest::newRow("-0.001") << -0.001 << "0.00" << "0" << "0";
    QTest::newRow("-0.4") << -0.4 << "-0.40" << "-0.4" << "0";
    QTest::newRow("smallest double") << std::numeric_limits<double>::denorm_min() << "0.00"
                                     << "0" << "0";

    // 15 significant digits decide, not the binary tail
    QTest::newRow("0.49999999999999994") << 0.49999999999999994 << "0.50" << "0.5" << "1";

    // large amounts: no exponent, no grouping
    QTest::newRow("1234567.891") << 1234567.891 << "1234567.89" << "1234567.89" << "1234568";
    QTest::newRow("123456789012.345")
        << 123456789012.345 << "123456789012.35" << "123456789012.35" << "123456789012";
    QTest::newRow("1e15") << 1e15 << "1000000000000000.00" << "1000000000000000"
                          << "1000000000000000";
    QTest::newRow("-123456789012345")
        << -123456789012345.0 << "-123456789012345.00" << "-123456789012345"
        << "-123456789012345";
    QTest::newRow("1e20") << 1e20 << "100000000000000000000.00" << "100000000000000000000"
                          << "100000000000000000000";
}

void TestCommonMasks::masks()
{
    QFETCH(double, value);
    QFETCH(QString, fixed2);
    QFETCH(QString, shorter);
    QFETCH(QString, whole);

    QCOMPARE(formatFixed2(value), fixed2);
    QCOMPARE(formatShort(value), shorter);
    QCOMPARE(formatWhole(value), whole);
}

void TestCommonMasks::masksIgnoreTheUserLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString fixed2 = formatFixed2(1234.5);
    const QString shorter = formatShort(1234.5);
    QLocale::setDefault(saved);

    QCOMPARE(fixed2, QStringLiteral("1234.50"));
    QCOMPARE(shorter, QStringLiteral("1234.5"));
}

void TestCommonMasks::roundTo2_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");

    QTest::newRow("1.005") << 1.005 << 1.01;
    QTest::newRow("-350.245") << -350.245 << -350.25;
    QTest::newRow("0.004") << 0.004 << 0.0;
    QTest::newRow("12.5") << 12.5 << 12.5;
}

void TestCommonMasks::roundTo2()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(yanlan::roundTo2(value), rounded);
}

void TestCommonMasks::formatPlain_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 7.0 << "7";
    QTest::newRow("one decimal") << 10.5 << "10.5";
    QTest::newRow("binary noise hidden") << 0.1 + 0.2 << "0.3";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("tiny, no exponent") << 1e-7 << "0.0000001";
    QTest::newRow("huge, no exponent") << 1e20 << "100000000000000000000";
    QTest::newRow("not a number") << std::nan("") << "0";
}

void TestCommonMasks::formatPlain()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(yanlan::formatPlain(value), text);
}

QTEST_GUILESS_MAIN(TestCommonMasks)
#include "tst_common_masks.moc"
