// Transactions on the ledger and a ledger that another connection holds: commit,
// rollback (also when the commit itself fails) and the busy time-out.
#include "TestLedger.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace yanlan;
using yanlan::test::TestLedger;

namespace {

// A second connection on the same file, as another copy of the program would hold.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &path)
        : m_name(QStringLiteral("other-connection-%1").arg(++s_serial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        if (!db.open())
            qFatal("second connection: %s", qPrintable(db.lastError().text()));
    }
    ~OtherConnection()
    {
        m_cursor.reset();
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    bool exec(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        return q.exec(sql);
    }
    QString scalar(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        return q.exec(sql) && q.next() ? q.value(0).toString() : QStringLiteral("failed");
    }
    // Runs a SELECT and stays on its first row, so the read goes on.
    bool openCursor(const QString &sql)
    {
        m_cursor = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_name, false));
        return m_cursor->exec(sql) && m_cursor->next();
    }
    void closeCursor() { m_cursor.reset(); }

private:
    static inline int s_serial = 0;
    QString m_name;
    std::unique_ptr<QSqlQuery> m_cursor;
};

const QString BalanceOfOne = QStringLiteral("SELECT YE FROM tAccount WHERE Code=1");

} // namespace

class TestStorageTransactions : public QObject
{
    Q_OBJECT

private slots:
    void rolledBackWhenDestroyed();
    void failedStepUndoesEarlierSteps();
    void commitPersists();
    void rollbackThenCommitRefused();
    void failedCommitIsRolledBackAndReported();
    void lockedLedgerFailsAfterTheBusyTimeout_data();
    void lockedLedgerFailsAfterTheBusyTimeout();
};

void TestStorageTransactions::rolledBackWhenDestroyed()
{
    TestLedger t;
    Ledger &ledger = t.ledger();
    {
        LedgerTransaction transaction(ledger);
        QString error;
        QVERIFY2(transaction.begin(&error), qPrintable(error));
        QVERIFY(ledger.inTransaction());
        QVERIFY(ledger.execute(QStringLiteral("UPDATE tAccount SET YE=1 WHERE Code=1"), &error));
        QVERIFY(ledger.execute(
            QStringLiteral("INSERT INTO tJXC (Code,GP,sl,flag) VALUES (1,'sz000001',100,1)"),
            &error));
        QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("1"));
    }
    QVERIFY(!ledger.inTransaction());
    QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("100000"));
    QCOMPARE(t.scalar(QStringLiteral("SELECT COUNT(*) FROM tJXC")), QStringLiteral("0"));

    OtherConnection other(t.path());
    QCOMPARE(other.scalar(BalanceOfOne), QStringLiteral("100000"));
}

void TestStorageTransactions::failedStepUndoesEarlierSteps()
{
    TestLedger t;
    t.exec(QStringLiteral("CREATE TRIGGER t BEFORE INSERT ON tJXC "
                          "BEGIN SELECT RAISE(ABORT,'boom'); END"));
    Ledger &ledger = t.ledger();
    QString error;
    {
        LedgerTransaction transaction(ledger);
        QVERIFY(transaction.begin(&error));
        QVERIFY(ledger.execute(QStringLiteral("UPDATE tAccount SET YE=YE-1050 WHERE Code=1"),
                               &error));
        QVERIFY(!ledger.execute(
            QStringLiteral("INSERT INTO tJXC (Code,GP,sl,flag) VALUES (1,'sz000001',100,1)"),
            &error));
        QVERIFY2(error.contains(QLatin1String("boom")), qPrintable(error));
        // the caller gives up here; leaving the scope undoes the first step
    }
    QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("100000"));
    QVERIFY(!ledger.inTransaction());
}

void TestStorageTransactions::commitPersists()
{
    TestLedger t;
    Ledger &ledger = t.ledger();
    QString error;
    {
        LedgerTransaction transaction(ledger);
        QVERIFY(transaction.begin(&error));
        QVERIFY(ledger.execute(QStringLiteral("UPDATE tAccount SET YE=98950 WHERE Code=1"), &error));
        QVERIFY2(transaction.commit(&error), qPrintable(error));
        QVERIFY(!ledger.inTransaction());
        // a second commit has nothing to commit
        QVERIFY(!transaction.commit(&error));
        QVERIFY(!error.isEmpty());
    }
    QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("98950"));

    OtherConnection other(t.path());
    QCOMPARE(other.scalar(BalanceOfOne), QStringLiteral("98950"));
}

void TestStorageTransactions::rollbackThenCommitRefused()
{
    TestLedger t;
    Ledger &ledger = t.ledger();
    QString error;
    LedgerTransaction transaction(ledger);
    QVERIFY(transaction.begin(&error));
    QVERIFY(ledger.execute(QStringLiteral("UPDATE tAccount SET YE=1 WHERE Code=1"), &error));
    transaction.rollback();
    QVERIFY(!ledger.inTransaction());
    QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("100000"));

    QVERIFY(!transaction.commit(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("100000"));
}

void TestStorageTransactions::failedCommitIsRolledBackAndReported()
{
    TestLedger t;
    t.addTrade(1, "sz000001", "平安银行", 1, 100, 10.5, 0, "2024-03-01 09:30:00");
    Ledger &ledger = t.ledger();
    ledger.setBusyTimeout(200);

    // a reader in the middle of a transaction: the writer may prepare its change,
    // but cannot put it into the file while the read goes on
    OtherConnection reader(t.path());
    QVERIFY(reader.exec(QStringLiteral("BEGIN")));
    QVERIFY(reader.openCursor(QStringLiteral("SELECT * FROM tJXC")));

    QString error;
    {
        LedgerTransaction transaction(ledger);
        QVERIFY2(transaction.begin(&error), qPrintable(error));
        QVERIFY2(ledger.execute(QStringLiteral("UPDATE tAccount SET YE=1 WHERE Code=1"), &error),
                 qPrintable(error));
        QVERIFY(!transaction.commit(&error));
        QVERIFY2(error.contains(QLatin1String("locked")), qPrintable(error));
        QVERIFY(!ledger.inTransaction());
    }

    reader.closeCursor();
    QVERIFY(reader.exec(QStringLiteral("COMMIT")));

    // the change is gone, for the ledger itself and in the file
    QCOMPARE(t.scalar(BalanceOfOne), QStringLiteral("100000"));
    QCOMPARE(reader.scalar(BalanceOfOne), QStringLiteral("100000"));

    // and the ledger is back to writing straight to the file
    QVERIFY2(ledger.execute(QStringLiteral("UPDATE tAccount SET YE=2 WHERE Code=1"), &error),
             qPrintable(error));
    QCOMPARE(reader.scalar(BalanceOfOne), QStringLiteral("2"));
}

void TestStorageTransactions::lockedLedgerFailsAfterTheBusyTimeout_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("isSelect");
    QTest::addColumn<bool>("blocked");

    const QString read = BalanceOfOne;
    const QString write = QStringLiteral("UPDATE tAccount SET YE=YE-1050 WHERE Code=1");
    QTest::newRow("exclusive lock, read") << "EXCLUSIVE" << read << true << true;
    QTest::newRow("exclusive lock, write") << "EXCLUSIVE" << write << false << true;
    QTest::newRow("write lock, read") << "IMMEDIATE" << read << true << false;
    QTest::newRow("write lock, write") << "IMMEDIATE" << write << false << true;
}

void TestStorageTransactions::lockedLedgerFailsAfterTheBusyTimeout()
{
    QFETCH(QString, lock);
    QFETCH(QString, sql);
    QFETCH(bool, isSelect);
    QFETCH(bool, blocked);

    TestLedger t;
    Ledger &ledger = t.ledger();
    ledger.setBusyTimeout(300);
    OtherConnection other(t.path());
    QVERIFY(other.exec(QStringLiteral("BEGIN ") + lock));

    auto run = [&](QString *error) {
        LedgerRows rows;
        return isSelect ? ledger.select(sql, rows, error) : ledger.execute(sql, error);
    };
    QString error;
    QCOMPARE(run(&error), !blocked);
    if (blocked)
        QVERIFY2(error.contains(QLatin1String("locked")), qPrintable(error));

    // once the other connection lets go, the same statement goes through
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    QVERIFY2(run(&error), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestStorageTransactions)
#include "tst_storage_transactions.moc"
