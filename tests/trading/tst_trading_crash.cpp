// Orders placed by a child process that is killed with SIGKILL at random moments
// must leave the ledger file consistent: every order is in it completely or not
// at all. The child is yanlan_trading_crash_child (see its source).
//
// The kill moments come from a seeded generator; set YANLAN_CRASH_SEED to replay
// a run, YANLAN_CRASH_ROUNDS to change the number of kills.

#include "LedgerQuote.h"
#include "RecordingPrompter.h"
#include "storage/LedgerSchema.h"
#include "trading/BuyOrder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <random>

using namespace yanlan;

namespace {

const char *const Codes[] = {"sz000001", "sh600000", "sz300750", "sh601318"};

// What is wrong with the ledger file at `path`, or an empty text when nothing is:
// for every account and stock the position equals the journal's bought less sold,
// every position has exactly one row, and every account's cash equals its initial
// capital less the journal's buy amounts plus its sell amounts.
QString inconsistency(const QString &path)
{
    Ledger ledger;
    if (!ledger.open(path))
        return QStringLiteral("cannot open: ") + ledger.openError();
    LedgerRows rows;
    QString error;
    auto read = [&](const QString &sql) {
        if (!ledger.select(sql, rows, &error))
            qFatal("%s: %s", qPrintable(sql), qPrintable(error));
        return rows.rowCount();
    };

    read(QStringLiteral("PRAGMA integrity_check"));
    if (rows.text(0, 0) != QLatin1String("ok"))
        return QStringLiteral("integrity check: ") + rows.text(0, 0);

    struct Position { qint64 journal = 0; qint64 stored = 0; int storeRows = 0; };
    QHash<QString, Position> positions;
    for (int r = 0, n = read(QStringLiteral("SELECT Code,GP,SUM(CASE flag WHEN 1 THEN sl ELSE -sl END) "
                                            "FROM tJXC GROUP BY Code,GP"));
         r < n; ++r)
        positions[rows.text(r, 0) + QLatin1Char('/') + rows.text(r, 1)].journal = rows.integer(r, 2);
    for (int r = 0, n = read(QStringLiteral("SELECT CODE,GP,SL FROM tStore")); r < n; ++r) {
        Position &p = positions[rows.text(r, 0) + QLatin1Char('/') + rows.text(r, 1)];
        p.stored += rows.integer(r, 2);
        ++p.storeRows;
    }
    for (auto it = positions.cbegin(); it != positions.cend(); ++it) {
        if (it->storeRows != 1 || it->stored != it->journal || it->stored < 0)
            return QStringLiteral("position %1: %2 row(s) holding %3, journal says %4")
                .arg(it.key())
                .arg(it->storeRows)
                .arg(it->stored)
                .arg(it->journal);
    }

    const int accounts = read(QStringLiteral(
        "SELECT a.Code, a.YE, a.Init - IFNULL((SELECT SUM(CASE j.flag WHEN 1 THEN j.je ELSE -j.je END) "
        "FROM tJXC j WHERE j.Code=a.Code),0) FROM tAccount a ORDER BY a.Code"));
    if (accounts != 3)
        return QStringLiteral("%1 accounts").arg(accounts);
    for (int r = 0; r < accounts; ++r) {
        if (std::fabs(rows.number(r, 1) - rows.number(r, 2)) >= 0.005)
            return QStringLiteral("account %1: cash %2, journal says %3")
                .arg(rows.text(r, 0), rows.text(r, 1), rows.text(r, 2));
    }
    return {};
}

int journalRows(const QString &path)
{
    Ledger ledger;
    LedgerRows rows;
    QString error;
    if (!ledger.open(path) || !ledger.select(QStringLiteral("SELECT COUNT(*) FROM tJXC"), rows, &error))
        qFatal("cannot count the journal of %s", qPrintable(path));
    return static_cast<int>(rows.integer(0, 0));
}

// A fresh ledger where every account holds every stock from an earlier day, so
// that the child can sell as well as buy.
void makeLedger(const QString &path)
{
    QString error;
    QVERIFY2(createLedgerFile(path, &error), qPrintable(error));
    Ledger ledger;
    QVERIFY2(ledger.open(path), qPrintable(ledger.openError()));
    test::RecordingPrompter yes;
    for (const AccountCode account : AccountCode::all()) {
        for (const char *code : Codes) {
            CurrentQuote current;
            QVERIFY2(test::quoteFromLedger(ledger, account, QString::fromLatin1(code), QStringLiteral("样本"),
                                           2.5, QDate::currentDate(), current, &error),
                     qPrintable(error));
            OrderInput input;
            input.account = account;
            input.codeText = QString::fromLatin1(code);
            input.priceText = QStringLiteral("2.5");
            input.quantityText = QStringLiteral("4000");
            QCOMPARE(placeBuyOrder(input, current, ledger, yes), OrderOutcome::Done);
        }
    }
    QVERIFY(ledger.execute(QStringLiteral("UPDATE tJXC SET dtDate='2001-02-05 10:00:00'"), &error));
}

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

} // namespace

class TestTradingCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void childPlacesValidOrders();
    void killedChildLeavesWholeOrders();

private:
    QString m_child;
};

void TestTradingCrash::initTestCase()
{
    m_child = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("yanlan_trading_crash_child"));
    QVERIFY2(QFile::exists(m_child), qPrintable(m_child));
}

// Left alone, the child completes every order it starts.
void TestTradingCrash::childPlacesValidOrders()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sys.dat"));
    makeLedger(path);
    if (QTest::currentTestFailed())
        return;
    const int before = journalRows(path);

    QProcess child;
    child.start(m_child, {path, QStringLiteral("7"), QStringLiteral("40")});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());
    const QByteArray out = child.readAllStandardOutput();
    QCOMPARE(out.count("started\n"), 1);
    QCOMPARE(out.count("done\n"), 40);
    QCOMPARE(journalRows(path), before + 40);
    const QString problem = inconsistency(path);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestTradingCrash::killedChildLeavesWholeOrders()
{
    const quint32 seed = static_cast<quint32>(environmentNumber("YANLAN_CRASH_SEED", 20240611));
    const int rounds = environmentNumber("YANLAN_CRASH_ROUNDS", 80);
    std::mt19937 rng(seed);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sys.dat"));
    makeLedger(path);
    if (QTest::currentTestFailed())
        return;
    int rows = journalRows(path);
    int ordersReported = 0;
    int killedInTransaction = 0;

    for (int round = 0; round < rounds; ++round) {
        const QString where = QStringLiteral("seed %1, round %2").arg(seed).arg(round);
        const quint32 childSeed = rng();
        const int delay = std::uniform_int_distribution<int>(2, 50)(rng);

        QProcess child;
        child.start(m_child, {path, QString::number(childSeed)});
        QVERIFY2(child.waitForStarted(), qPrintable(where));
        while (!child.canReadLine()) {
            if (!child.waitForReadyRead(30000))
                QFAIL(qPrintable(where + QStringLiteral(": no start line; ") +
                                 QString::fromLocal8Bit(child.readAllStandardError())));
        }
        QCOMPARE(child.readLine(), QByteArray("started\n"));

        QThread::msleep(static_cast<unsigned long>(delay));
        child.kill(); // SIGKILL: no handler, no flush, no rollback
        QVERIFY2(child.waitForFinished(30000), qPrintable(where));
        QVERIFY2(child.exitStatus() == QProcess::CrashExit,
                 qPrintable(where + QStringLiteral(": the child ended by itself: ") +
                            QString::fromLocal8Bit(child.readAllStandardError())));

        const int reported = static_cast<int>(child.readAllStandardOutput().count("done\n"));
        ordersReported += reported;
        if (QFile::exists(path + QStringLiteral("-journal")))
            ++killedInTransaction;

        const QString problem = inconsistency(path);
        QVERIFY2(problem.isEmpty(), qPrintable(where + QStringLiteral(": ") + problem));
        // every order reported done is kept; at most one more was committed but not yet reported
        const int now = journalRows(path);
        QVERIFY2(now - rows >= reported && now - rows <= reported + 1,
                 qPrintable(where + QStringLiteral(": %1 new journal rows, %2 orders reported")
                                        .arg(now - rows)
                                        .arg(reported)));
        rows = now;
    }
    qInfo("seed %u: %d rounds, %d orders reported, %d kills inside a transaction", seed, rounds,
          ordersReported, killedInTransaction);
}

QTEST_GUILESS_MAIN(TestTradingCrash)
#include "tst_trading_crash.moc"
