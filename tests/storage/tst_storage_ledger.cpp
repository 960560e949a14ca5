// The ledger file: making a fresh one (in code and with the yanlan-ledger tool),
// opening it, and refusing what is not a ledger.
#include "common/AccountCode.h"
#include "storage/Ledger.h"
#include "storage/LedgerSchema.h"
#include "storage/PasswordScrambler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace yanlan;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray noise(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 7u;
    for (char &b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 16);
    }
    return bytes;
}

// Makes a ledger with createLedgerFile, then runs statements on it.
bool makeLedger(const QString &path, const QStringList &statements)
{
    QString error;
    if (!createLedgerFile(path, &error))
        return false;
    Ledger ledger;
    if (!ledger.open(path))
        return false;
    for (const QString &sql : statements) {
        if (!ledger.execute(sql, &error))
            return false;
    }
    return true;
}

} // namespace

class TestStorageLedger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opensAFreshLedger();
    void refusesWhatIsNotALedger_data();
    void refusesWhatIsNotALedger();
    void defaultPathIsBesideTheProgram();
    void freshLedgerContents();
    void createRefusesAnExistingFile_data();
    void createRefusesAnExistingFile();
    void createFailsInAMissingFolder();
    void toolCommandLine_data();
    void toolCommandLine();

private:
    QTemporaryDir m_dir;
    int m_serial = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("Sys%1.dat").arg(++m_serial)); }
};

void TestStorageLedger::init()
{
    // a connection removed while a handle on it lives means the ledger mismanaged it
    QTest::failOnWarning(QRegularExpression(QStringLiteral("still in use")));
}

void TestStorageLedger::opensAFreshLedger()
{
    const QString path = freshPath();
    QString error;
    QVERIFY2(createLedgerFile(path, &error), qPrintable(error));

    Ledger ledger;
    QVERIFY2(ledger.open(path), qPrintable(ledger.openError()));
    QVERIFY(ledger.isOpen());
    QVERIFY(ledger.openError().isEmpty());
    QCOMPARE(ledger.path(), path);

    ledger.close();
    QVERIFY(!ledger.isOpen());
}

void TestStorageLedger::refusesWhatIsNotALedger_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("missing file") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("random bytes") << "garbage";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("database without the tables") << "other tables";
    QTest::newRow("database with three of the four tables") << "three tables";
}

void TestStorageLedger::refusesWhatIsNotALedger()
{
    QFETCH(QString, kind);

    const QString path = freshPath();
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("garbage")) {
        QVERIFY(writeAll(path, noise(8192)));
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(writeAll(path, QByteArray()));
    } else if (kind == QLatin1String("other tables")) {
        QVERIFY(makeLedger(path, {QStringLiteral("CREATE TABLE tOther (x INTEGER)"),
                                  QStringLiteral("DROP TABLE tUser"),
                                  QStringLiteral("DROP TABLE tAccount"),
                                  QStringLiteral("DROP TABLE tStore"),
                                  QStringLiteral("DROP TABLE tJXC")}));
    } else if (kind == QLatin1String("three tables")) {
        QVERIFY(makeLedger(path, {QStringLiteral("DROP TABLE tStore")}));
    }
    const bool existed = QFileInfo::exists(path);
    const QByteArray before = QFileInfo(path).isFile() ? readAll(path) : QByteArray();

    Ledger ledger;
    QVERIFY(!ledger.open(path));
    QVERIFY2(!ledger.openError().isEmpty(), "a refusal says why");
    QVERIFY(!ledger.isOpen());
    QString error;
    QVERIFY(!ledger.execute(QStringLiteral("UPDATE tAccount SET YE=0"), &error));
    QVERIFY(!error.isEmpty());
    ledger.close();

    // looking is not touching: nothing is created, nothing is rewritten
    QCOMPARE(QFileInfo::exists(path), existed);
    if (QFileInfo(path).isFile())
        QCOMPARE(readAll(path), before);
}

void TestStorageLedger::defaultPathIsBesideTheProgram()
{
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    const QFileInfo info(Ledger::defaultPath());
    QVERIFY(QDir::setCurrent(saved));

    QCOMPARE(info.fileName(), QStringLiteral("Sys.dat"));
    QVERIFY(info.isAbsolute());
    QCOMPARE(info.absolutePath(), QCoreApplication::applicationDirPath());
}

void TestStorageLedger::freshLedgerContents()
{
    const QString path = freshPath();
    QString error;
    QVERIFY2(createLedgerFile(path, &error), qPrintable(error));
    Ledger ledger;
    QVERIFY2(ledger.open(path), qPrintable(ledger.openError()));

    LedgerRows users;
    QVERIFY2(ledger.select(QStringLiteral("SELECT code, pwd FROM tUser"), users, &error),
             qPrintable(error));
    QCOMPARE(users.rowCount(), 1);
    QCOMPARE(users.text(0, "code"), QStringLiteral("Admin"));
    QCOMPARE(users.text(0, "pwd"), scrambleTypedPassword(InitialPassword));

    LedgerRows accounts;
    QVERIFY2(ledger.select(QStringLiteral("SELECT Code, Name, YE, Init FROM tAccount ORDER BY Code"),
                           accounts, &error),
             qPrintable(error));
    QCOMPARE(accounts.rowCount(), 3);
    int row = 0;
    for (const AccountCode account : AccountCode::all()) {
        QCOMPARE(accounts.integer(row, "Code"), account.digit());
        QCOMPARE(accounts.text(row, "Name"), account.defaultTitle());
        QCOMPARE(accounts.number(row, "YE"), 100000.0);
        QCOMPARE(accounts.number(row, "Init"), 100000.0);
        ++row;
    }

    LedgerRows empty;
    QVERIFY2(ledger.select(QStringLiteral("SELECT (SELECT COUNT(*) FROM tStore) + "
                                          "(SELECT COUNT(*) FROM tJXC) AS n"),
                           empty, &error),
             qPrintable(error));
    QCOMPARE(empty.integer(0, "n"), 0);
}

void TestStorageLedger::createRefusesAnExistingFile_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("ledger in use") << "ledger";
}

void TestStorageLedger::createRefusesAnExistingFile()
{
    QFETCH(QString, kind);

    const QString path = freshPath();
    if (kind == QLatin1String("text"))
        QVERIFY(writeAll(path, "keep me\n"));
    else if (kind == QLatin1String("empty"))
        QVERIFY(writeAll(path, QByteArray()));
    else
        QVERIFY(makeLedger(path, {QStringLiteral("UPDATE tAccount SET YE=1234.5 WHERE Code=2")}));
    const QByteArray before = readAll(path);

    QString error;
    QVERIFY(!createLedgerFile(path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), before);
}

void TestStorageLedger::createFailsInAMissingFolder()
{
    const QString path = m_dir.filePath(QStringLiteral("no such folder/Sys.dat"));
    QString error;
    QVERIFY(!createLedgerFile(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFileInfo::exists(path));
}

void TestStorageLedger::toolCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("fileBefore"); // Sys.dat already there
    QTest::addColumn<bool>("succeeds");

    const QString file = QStringLiteral("Sys.dat");
    QTest::newRow("create") << QStringList{"create", file} << false << true;
    QTest::newRow("create over an existing file") << QStringList{"create", file} << true << false;
    QTest::newRow("no arguments") << QStringList{} << false << false;
    QTest::newRow("no path") << QStringList{"create"} << false << false;
    QTest::newRow("unknown command") << QStringList{"make", file} << false << false;
    QTest::newRow("extra argument") << QStringList{"create", file, "more"} << false << false;
    QTest::newRow("missing folder")
        << QStringList{"create", "no such folder/Sys.dat"} << false << false;
}

void TestStorageLedger::toolCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, fileBefore);
    QFETCH(bool, succeeds);

    const QString tool =
        QDir(qEnvironmentVariable("YANLAN_BUILD_DIR", QCoreApplication::applicationDirPath()))
            .filePath(QStringLiteral("yanlan-ledger"));
    QVERIFY2(QFileInfo(tool).isExecutable(), qPrintable(tool + " has not been built"));

    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("Sys.dat"));
    if (fileBefore)
        QVERIFY(writeAll(path, "not to be replaced"));
    const QByteArray before = readAll(path);

    QProcess process;
    process.setWorkingDirectory(work.path());
    process.start(tool, arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    QVERIFY(process.waitForFinished(-1));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);

    if (succeeds) {
        QCOMPARE(process.exitCode(), 0);
        Ledger ledger;
        QVERIFY2(ledger.open(path), qPrintable(ledger.openError()));
        LedgerRows rows;
        QString error;
        QVERIFY2(ledger.select(QStringLiteral("SELECT COUNT(*) AS n FROM tAccount"), rows, &error),
                 qPrintable(error));
        QCOMPARE(rows.integer(0, "n"), 3);
    } else {
        QVERIFY2(process.exitCode() != 0, process.readAllStandardOutput().constData());
        QVERIFY2(!process.readAllStandardError().isEmpty(), "a refusal says why");
        QCOMPARE(QFileInfo::exists(path), fileBefore);
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 fileBefore ? QStringList{"Sys.dat"} : QStringList{});
    }
}

QTEST_GUILESS_MAIN(TestStorageLedger)
#include "tst_storage_ledger.moc"
