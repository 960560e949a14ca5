// Statements on a real ledger: the Jet constructs the program writes, how rows read
// back, the journal's time stamps, failures with the engine's message, and the
// statement observer and trace file.
#include "TestLedger.h"

#include "common/Text.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <memory>

using namespace yanlan;
using yanlan::test::TestLedger;

namespace {

QStringList column(Ledger &ledger, const QString &sql)
{
    LedgerRows rows;
    QString error;
    if (!ledger.select(sql, rows, &error))
        return {QStringLiteral("failed: ") + error};
    QStringList out;
    for (int row = 0; row < rows.rowCount(); ++row)
        out << rows.text(row, 0);
    return out;
}

// The journal the read-only cases share: one stock under two spellings of its code,
// days at both ends of March, and one holding.
void addJournal(TestLedger &t)
{
    LedgerTransaction seeding(t.ledger()); // one write to the disk, not one per row
    QVERIFY(seeding.begin(nullptr));
    t.addTrade(1, "sz000001", "平安银行", 1, 100, 10.5, 0, "2024-02-29 15:00:00");
    t.addTrade(1, "sz000001", "平安银行", 1, 100, 10.6, 0, "2024-03-01 09:30:00");
    t.addTrade(1, "SZ000001", "平安银行", 2, 100, 11.0, 10.55, "2024-03-04 10:00:00");
    t.addTrade(1, "sz000002", "万科A", 1, 200, 8.0, 0, "2024-03-15 14:00:00");
    t.addTrade(2, "SH600000", "浦发银行", 1, 300, 7.2, 0, "2024-03-31 23:59:59");
    t.addTrade(1, "sz000002", "万科A", 2, 200, 9.0, 8.0, "2024-04-01 00:00:00");
    t.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',100,10.55)"));
    QVERIFY(seeding.commit(nullptr));
}

} // namespace

class TestStorageStatements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void formatGivesTheDatePicture();
    void formatInWhere_data();
    void formatInWhere();
    void iifInSet_data();
    void iifInSet();
    void textComparesIgnoreCase_data();
    void textComparesIgnoreCase();
    void literalsSurviveTheEngine_data();
    void literalsSurviveTheEngine();
    void columnNamesInAnyCase_data();
    void columnNamesInAnyCase();
    void nothingReadsAsZero_data();
    void nothingReadsAsZero();
    void journalDateDefaultsToLocalNow();
    void sameSecondKeepsInsertionOrder();
    void failureCarriesEngineMessage_data();
    void failureCarriesEngineMessage();
    void observerSeesEveryStatement();
    void traceFileGetsOneLinePerStatement();

private:
    std::unique_ptr<TestLedger> m_journal; // for cases that only read
};

void TestStorageStatements::initTestCase()
{
    // a zone far from UTC, so that local time and UTC differ by hours wherever this runs
    qputenv("TZ", "XYZ-13");
    tzset();

    m_journal = std::make_unique<TestLedger>();
    addJournal(*m_journal);
}

void TestStorageStatements::cleanupTestCase()
{
    m_journal.reset();
}

void TestStorageStatements::formatGivesTheDatePicture()
{
    QCOMPARE(column(m_journal->ledger(),
                    QStringLiteral("SELECT format(dtDate,\"yyyymmdd\") FROM tJXC ORDER BY AutoID")),
             (QStringList{"20240229", "20240301", "20240304", "20240315", "20240331", "20240401"}));
}

void TestStorageStatements::formatInWhere_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("count");

    QTest::newRow("= a day") << "format(dtDate,\"yyyymmdd\") = '20240315'" << 1;
    QTest::newRow("= a day's last second") << "format(dtDate,\"yyyymmdd\") = '20240331'" << 1;
    QTest::newRow(">= from a day") << "format(dtDate,\"yyyymmdd\") >= '20240301'" << 5;
    QTest::newRow("<= to a day, its evening included")
        << "format(dtDate,\"yyyymmdd\") <= '20240331'" << 5;
    QTest::newRow("range of one month")
        << "format(dtDate,\"yyyymmdd\") >= '20240301' AND format(dtDate,\"yyyymmdd\") <= '20240331'"
        << 4;
    QTest::newRow("range in one account")
        << "Code=1 AND format(dtDate,\"yyyymmdd\") >= '20240301' AND "
           "format(dtDate,\"yyyymmdd\") <= '20240331'"
        << 3;
    QTest::newRow("names in upper case") << "FORMAT(DTDATE,\"yyyymmdd\") = '20240229'" << 1;
    QTest::newRow("empty range") << "format(dtDate,\"yyyymmdd\") = '20240302'" << 0;
}

void TestStorageStatements::formatInWhere()
{
    QFETCH(QString, where);
    QFETCH(int, count);

    QCOMPARE(m_journal->scalar(QStringLiteral("SELECT COUNT(*) FROM tJXC WHERE ") + where),
             QString::number(count));
}

void TestStorageStatements::iifInSet_data()
{
    QTest::addColumn<QString>("before"); // SL of the holding, as a literal
    QTest::addColumn<QString>("after");

    QTest::newRow("no quantity yet") << "NULL" << "100";
    QTest::newRow("some quantity") << "50" << "150";
}

void TestStorageStatements::iifInSet()
{
    QFETCH(QString, before);
    QFETCH(QString, after);

    TestLedger t;
    t.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',%1,NULL)")
               .arg(before));
    QString error;
    QVERIFY2(t.ledger().execute(QStringLiteral("UPDATE tStore SET SL=IIF(SL IS NULL,0,SL)+100,"
                                               "CBJ=IIF(CBJ IS NULL,0,CBJ)+10.5 "
                                               "WHERE CODE=1 AND GP='SZ000001'"),
                                &error),
             qPrintable(error));
    QCOMPARE(t.scalar(QStringLiteral("SELECT SL FROM tStore WHERE CODE=1")), after);
    QCOMPARE(t.scalar(QStringLiteral("SELECT CBJ FROM tStore WHERE CODE=1")), QStringLiteral("10.5"));
}

void TestStorageStatements::textComparesIgnoreCase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("count");

    QTest::newRow("= upper finds lower")
        << "SELECT COUNT(*) FROM tJXC WHERE GP='SZ000001'" << 3;
    QTest::newRow("= lower finds upper")
        << "SELECT COUNT(*) FROM tJXC WHERE GP='sh600000'" << 1;
    QTest::newRow("IN") << "SELECT COUNT(*) FROM tJXC WHERE GP IN ('SZ000002','x')" << 2;
    QTest::newRow("LIKE prefix") << "SELECT COUNT(*) FROM tJXC WHERE GP LIKE 'SZ%'" << 5;
    QTest::newRow("LIKE Chinese") << "SELECT COUNT(*) FROM tJXC WHERE GPName LIKE '%万科%'" << 2;
    QTest::newRow("LIKE Chinese and a letter")
        << "SELECT COUNT(*) FROM tJXC WHERE GPName LIKE '%万科a'" << 2;
    QTest::newRow("LIKE shared word")
        << "SELECT COUNT(*) FROM tJXC WHERE GPName LIKE '%银行%'" << 4;
    QTest::newRow("DISTINCT folds case") << "SELECT COUNT(DISTINCT GP) FROM tJXC" << 3;
    QTest::newRow("holding") << "SELECT COUNT(*) FROM TSTORE WHERE gp='SZ000001'" << 1;
    QTest::newRow("user") << "SELECT COUNT(*) FROM TUSER WHERE CODE='ADMIN'" << 1;
    QTest::newRow("account title")
        << "SELECT COUNT(*) FROM tAccount WHERE Name='中线操作'" << 1;
}

void TestStorageStatements::textComparesIgnoreCase()
{
    QFETCH(QString, sql);
    QFETCH(int, count);

    QCOMPARE(m_journal->scalar(sql), QString::number(count));
}

void TestStorageStatements::literalsSurviveTheEngine_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("apostrophe") << "it's";
    QTest::newRow("only quotes") << "''";
    QTest::newRow("double quote") << "a\"b";
    QTest::newRow("Chinese") << "万科A 增持";
    QTest::newRow("statement inside") << "x'); DELETE FROM tAccount; --";
    QTest::newRow("empty") << "";
}

void TestStorageStatements::literalsSurviveTheEngine()
{
    QFETCH(QString, text);

    TestLedger t;
    t.exec(QStringLiteral("INSERT INTO tJXC (Code,GP,memo) VALUES (1,'sz000001',%1)")
               .arg(sqlLiteral(text)));
    QCOMPARE(column(t.ledger(),
                    QStringLiteral("SELECT memo FROM tJXC WHERE memo=%1").arg(sqlLiteral(text))),
             QStringList{text});
    QCOMPARE(t.scalar(QStringLiteral("SELECT COUNT(*) FROM tAccount")), QStringLiteral("3"));
}

void TestStorageStatements::columnNamesInAnyCase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("as declared, read upper")
        << "SELECT Code, Name, YE FROM tAccount WHERE Code=2" << "NAME" << "中线操作";
    QTest::newRow("upper, read lower")
        << "SELECT CODE, NAME FROM TACCOUNT WHERE CODE=2" << "name" << "中线操作";
    QTest::newRow("lower, read mixed")
        << "select code, name from taccount where code=2" << "Name" << "中线操作";
    QTest::newRow("star, read upper") << "SELECT * FROM TUSER" << "PWD" << "EKBHCZIPGBFO";
    QTest::newRow("star, read mixed") << "SELECT * FROM tuser" << "Code" << "Admin";
    QTest::newRow("number") << "SELECT YE FROM tAccount WHERE CODE=3" << "ye" << "100000";
    QTest::newRow("alias") << "SELECT SUM(ye) AS Total FROM tAccount" << "TOTAL" << "300000";
    QTest::newRow("expression") << "SELECT SUM(Init) FROM tAccount" << "sum(init)" << "300000";
}

void TestStorageStatements::columnNamesInAnyCase()
{
    QFETCH(QString, sql);
    QFETCH(QString, column);
    QFETCH(QString, text);

    LedgerRows rows;
    QString error;
    QVERIFY2(m_journal->ledger().select(sql, rows, &error), qPrintable(error));
    QCOMPARE(rows.rowCount(), 1);
    QCOMPARE(rows.text(0, column), text);
}

void TestStorageStatements::nothingReadsAsZero_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("column");

    QTest::newRow("SUM over no rows") << "SELECT SUM(je) AS total FROM tJXC WHERE Code=9" << "total";
    QTest::newRow("SUM of no holdings") << "SELECT SUM(SL) FROM tStore WHERE CODE=3" << "sum(sl)";
    QTest::newRow("NULL number") << "SELECT cbj FROM tJXC WHERE flag=1" << "cbj";
    QTest::newRow("NULL text") << "SELECT memo FROM tJXC WHERE flag=1" << "memo";
    QTest::newRow("no rows at all") << "SELECT je FROM tJXC WHERE Code=9" << "je";
    QTest::newRow("unknown column") << "SELECT je FROM tJXC" << "nope";
}

void TestStorageStatements::nothingReadsAsZero()
{
    QFETCH(QString, sql);
    QFETCH(QString, column);

    LedgerRows rows;
    QString error;
    QVERIFY2(m_journal->ledger().select(sql, rows, &error), qPrintable(error));
    QCOMPARE(rows.integer(0, column), qint64(0));
    QCOMPARE(rows.number(0, column), 0.0);
    QCOMPARE(rows.text(0, column), QString());
}

void TestStorageStatements::journalDateDefaultsToLocalNow()
{
    TestLedger t;
    const QString utc = t.scalar(QStringLiteral("SELECT strftime('%Y-%m-%d %H:%M:%S','now')"));
    const QString local =
        t.scalar(QStringLiteral("SELECT strftime('%Y-%m-%d %H:%M:%S','now','localtime')"));
    QVERIFY2(utc.left(13) != local.left(13), "local time must differ from UTC here");

    t.exec(QStringLiteral("INSERT INTO tJXC (Code,GP,sl,flag) VALUES (1,'sz000001',100,1)"));
    const QString stamp = t.scalar(QStringLiteral("SELECT dtDate FROM tJXC"));
    const QDateTime stored = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY2(stored.isValid(), qPrintable(stamp));
    const qint64 apart = stored.secsTo(QDateTime::currentDateTime());
    QVERIFY2(apart >= -2 && apart <= 5, qPrintable(QStringLiteral("%1 is %2 s from now")
                                                        .arg(stamp)
                                                        .arg(apart)));
}

void TestStorageStatements::sameSecondKeepsInsertionOrder()
{
    TestLedger t;
    t.addTrade(1, "c", "", 1, 100, 1, 0, "2024-03-01 10:00:00");
    t.addTrade(1, "a", "", 1, 100, 1, 0, "2024-03-01 10:00:00");
    t.addTrade(1, "b", "", 1, 100, 1, 0, "2024-03-01 10:00:00");
    t.addTrade(1, "early", "", 1, 100, 1, 0, "2024-03-01 09:59:59");
    for (const char *gp : {"now3", "now1", "now2"})
        t.exec(QStringLiteral("INSERT INTO tJXC (Code,GP,sl,flag) VALUES (1,'%1',1,1)").arg(gp));

    QCOMPARE(column(t.ledger(), QStringLiteral("SELECT GP FROM tJXC ORDER BY dtDate,AutoID")),
             (QStringList{"early", "c", "a", "b", "now3", "now1", "now2"}));
}

void TestStorageStatements::failureCarriesEngineMessage_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("isSelect");
    QTest::addColumn<QString>("message");

    QTest::newRow("trigger refuses a delete")
        << "CREATE TRIGGER t BEFORE DELETE ON tJXC BEGIN SELECT RAISE(ABORT,'boom'); END"
        << "DELETE FROM tJXC" << false << "boom";
    QTest::newRow("trigger refuses an insert")
        << "CREATE TRIGGER t BEFORE INSERT ON tJXC BEGIN SELECT RAISE(ABORT,'交易失败'); END"
        << "INSERT INTO tJXC (Code,GP,sl,flag) VALUES (1,'sz000002',100,1)" << false
        << "交易失败";
    QTest::newRow("trigger refuses an update")
        << "CREATE TRIGGER t BEFORE UPDATE ON tAccount BEGIN SELECT RAISE(ABORT,'frozen'); END"
        << "UPDATE tAccount SET YE=YE-1050 WHERE Code=1" << false << "frozen";
    QTest::newRow("missing table") << "" << "SELECT * FROM tNope" << true << "no such table: tNope";
    QTest::newRow("syntax") << "" << "SELEC * FROM tJXC" << true << "syntax error";
    QTest::newRow("unknown function") << "" << "SELECT nosuch(GP) FROM tJXC" << true
                                      << "no such function: nosuch";
}

void TestStorageStatements::failureCarriesEngineMessage()
{
    QFETCH(QString, setup);
    QFETCH(QString, sql);
    QFETCH(bool, isSelect);
    QFETCH(QString, message);

    TestLedger t;
    t.addTrade(1, "sz000001", "平安银行", 1, 100, 10.5, 0, "2024-03-01 09:30:00");
    if (!setup.isEmpty())
        t.exec(setup);
    const QString contentsSql = QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM tJXC) || '/' || (SELECT SUM(YE) FROM tAccount)");
    const QString contents = t.scalar(contentsSql);

    QString error;
    if (isSelect) {
        LedgerRows rows;
        rows.appendRow({QStringLiteral("left over")});
        QVERIFY(!t.ledger().select(sql, rows, &error));
        QVERIFY(rows.isEmpty());
    } else {
        QVERIFY(!t.ledger().execute(sql, &error));
    }
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(t.scalar(contentsSql), contents);
}

void TestStorageStatements::observerSeesEveryStatement()
{
    TestLedger t;
    t.takeStatements();
    Ledger &ledger = t.ledger();
    const QStringList statements{
        QStringLiteral("SELECT * FROM tAccount"),
        QStringLiteral("UPDATE tAccount SET YE=YE-1050 WHERE Code=1"),
        QStringLiteral("DELETE FROM tNope"),
        QStringLiteral("SELECT GP\nFROM tJXC\nWHERE format(dtDate,\"yyyymmdd\") >= '20240301'"),
    };
    LedgerRows rows;
    QString error;
    QVERIFY(ledger.select(statements.at(0), rows, &error));
    QVERIFY(ledger.execute(statements.at(1), &error));
    QVERIFY(!ledger.execute(statements.at(2), &error)); // failing ones are seen as well
    QVERIFY(ledger.select(statements.at(3), rows, &error));

    QCOMPARE(t.takeStatements(), statements);
}

void TestStorageStatements::traceFileGetsOneLinePerStatement()
{
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.sql"));
    {
        QFile file(trace);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier run\n");
    }

    qputenv("YANLAN_SQL_TRACE", trace.toLocal8Bit());
    TestLedger traced;
    qunsetenv("YANLAN_SQL_TRACE");
    TestLedger untraced;

    LedgerRows rows;
    QString error;
    QVERIFY(traced.ledger().select(QStringLiteral("SELECT * FROM tAccount"), rows, &error));
    QVERIFY(!traced.ledger().execute(QStringLiteral("DELETE FROM tNope"), &error));
    QVERIFY(traced.ledger().execute(QStringLiteral("UPDATE tAccount\nSET YE=1\r\nWHERE Code=3"),
                                    &error));
    QVERIFY(untraced.ledger().execute(QStringLiteral("UPDATE tAccount SET YE=2"), &error));
    QVERIFY(traced.ledger().select(QStringLiteral("SELECT GPName FROM tJXC WHERE GPName LIKE '%万科%'"),
                                   rows, &error));

    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QCOMPARE(text.split(QLatin1Char('\n')),
             (QStringList{"earlier run", "SELECT * FROM tAccount", "DELETE FROM tNope",
                          "UPDATE tAccount SET YE=1 WHERE Code=3",
                          "SELECT GPName FROM tJXC WHERE GPName LIKE '%万科%'", ""}));
}

QTEST_GUILESS_MAIN(TestStorageStatements)
#include "tst_storage_statements.moc"
