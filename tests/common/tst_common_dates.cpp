// Dates as the statements write them, and where the default history range begins.
#include "common/Dates.h"

#include <QTest>

using namespace yanlan;

class TestCommonDates : public QObject
{
    Q_OBJECT

private slots:
    void yyyymmdd_data();
    void yyyymmdd();
    void historyRangeBegin_data();
    void historyRangeBegin();
};

void TestCommonDates::yyyymmdd_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");

    QTest::newRow("padded month and day") << QDate(2025, 1, 5) << "20250105";
    QTest::newRow("leap day") << QDate(2024, 2, 29) << "20240229";
    QTest::newRow("year end") << QDate(2026, 12, 31) << "20261231";
}

void TestCommonDates::yyyymmdd()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(yanlan::yyyymmdd(date), text);
}

void TestCommonDates::historyRangeBegin_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("begin");

    QTest::newRow("mid-month") << QDate(2025, 5, 15) << QDate(2025, 4, 16);
    QTest::newRow("into the year before") << QDate(2025, 1, 1) << QDate(2024, 12, 2);
    QTest::newRow("first of the month") << QDate(2025, 3, 1) << QDate(2025, 2, 2);
    // one month back lands past the end of a shorter month: it stops at that month's
    // last day, and the day after it is the first of this month
    QTest::newRow("31 Mar, common year") << QDate(2025, 3, 31) << QDate(2025, 3, 1);
    QTest::newRow("31 Mar, leap year") << QDate(2024, 3, 31) << QDate(2024, 3, 1);
    QTest::newRow("30 Mar, common year") << QDate(2026, 3, 30) << QDate(2026, 3, 1);
    QTest::newRow("29 Mar, common year") << QDate(2025, 3, 29) << QDate(2025, 3, 1);
    QTest::newRow("30 Mar, leap year") << QDate(2024, 3, 30) << QDate(2024, 3, 1);
    QTest::newRow("29 Mar, leap year") << QDate(2024, 3, 29) << QDate(2024, 3, 1);
    QTest::newRow("28 Mar, leap year") << QDate(2024, 3, 28) << QDate(2024, 2, 29);
    QTest::newRow("31 Mar 2100, not leap") << QDate(2100, 3, 31) << QDate(2100, 3, 1);
    QTest::newRow("31 Dec") << QDate(2025, 12, 31) << QDate(2025, 12, 1);
    QTest::newRow("31 Jul") << QDate(2025, 7, 31) << QDate(2025, 7, 1);
    QTest::newRow("31 Aug, full July") << QDate(2025, 8, 31) << QDate(2025, 8, 1);
}

void TestCommonDates::historyRangeBegin()
{
    QFETCH(QDate, today);
    QFETCH(QDate, begin);
    QCOMPARE(yanlan::historyRangeBegin(today), begin);
}

QTEST_GUILESS_MAIN(TestCommonDates)
#include "tst_common_dates.moc"
