// The settings page's actions on a real ledger: saving a title, reinitialising an account
// and changing the password, with the statements they run and the messages they show.
#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "WatchingPrompter.h"

#include "storage/AccountAdmin.h"
#include "storage/LedgerSchema.h"
#include "storage/LoginService.h"
#include "storage/PasswordScrambler.h"

#include <QTest>

using namespace yanlan;
using yanlan::test::RecordingPrompter;
using yanlan::test::TestLedger;
using yanlan::test::WatchingPrompter;
using yanlan::test::engineInTransaction;

namespace {

// Every column of one account's rows in the three tables it owns.
QStringList accountState(TestLedger &t, int account)
{
    const QStringList queries{
        QStringLiteral("SELECT * FROM tAccount WHERE Code=%1"),
        QStringLiteral("SELECT * FROM tJXC WHERE Code=%1 ORDER BY AutoID"),
        QStringLiteral("SELECT * FROM tStore WHERE CODE=%1 ORDER BY GP"),
    };
    QStringList out;
    for (const QString &query : queries) {
        LedgerRows rows;
        QString error;
        if (!t.ledger().select(query.arg(account), rows, &error))
            return {QStringLiteral("failed: ") + error};
        for (int r = 0; r < rows.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < rows.columnCount(); ++c)
                cells << rows.text(r, c);
            out << cells.join(QLatin1Char('|'));
        }
    }
    return out;
}

std::array<QStringList, 3> allAccounts(TestLedger &t)
{
    std::array<QStringList, 3> out{accountState(t, 1), accountState(t, 2), accountState(t, 3)};
    t.takeStatements();
    return out;
}

// Each account gets its own balance, two journal rows and a holding.
void seedAccounts(TestLedger &t)
{
    LedgerTransaction seeding(t.ledger());
    QVERIFY(seeding.begin(nullptr));
    for (int account = 1; account <= 3; ++account) {
        t.exec(QStringLiteral("UPDATE tAccount SET YE=%1.25,Init=%2 WHERE Code=%3")
                   .arg(90000 + account * 111)
                   .arg(100000 + account)
                   .arg(account));
        t.addTrade(account, "sz00000" + QString::number(account), "示例" + QString::number(account),
                   1, 100 * account, 10.5, 0, "2024-03-01 09:30:00");
        t.addTrade(account, "sz00000" + QString::number(account), "示例" + QString::number(account),
                   2, 50, 11.0, 10.5, "2024-03-04 10:00:00");
        t.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (%1,'sz00000%1',%2,10.5)")
                   .arg(account)
                   .arg(100 * account - 50));
    }
    QVERIFY(seeding.commit(nullptr));
    t.takeStatements();
}

const QString Boom = QStringLiteral("boom");

QString failTrigger(const QString &when)
{
    return QStringLiteral("CREATE TRIGGER fail %1 BEGIN SELECT RAISE(ABORT,'boom'); END").arg(when);
}

QString reinitQuestion(const QString &title)
{
    return QStringLiteral("\"重新初始化\"操作将清空\"") + title +
           QStringLiteral("\"的历史数据(如需初始化,请先录入帐户余额),请确认是否初始化");
}

} // namespace

class TestStorageAccounts : public QObject
{
    Q_OBJECT

private slots:
    void saveTitle_data();
    void saveTitle();
    void reinitialiseRefusesNoBalance_data();
    void reinitialiseRefusesNoBalance();
    void reinitialiseTouchesOnlyItsAccount_data();
    void reinitialiseTouchesOnlyItsAccount();
    void reinitialiseDeclinedChangesNothing();
    void reinitialiseFailureRollsBackAll_data();
    void reinitialiseFailureRollsBackAll();
    void changePassword_data();
    void changePassword();
};

void TestStorageAccounts::saveTitle_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("informed");
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("stored");

    const QString question = QStringLiteral("请确认是否修改当前标题");
    const QString refused = QStringLiteral("对不起,标题不能为空!");
    const QString saved = QStringLiteral("保存成功!");

    QTest::newRow("trimmed") << "  新标题\t" << QList<bool>{true} << QString()
                             << QStringList{question} << QStringList{saved}
                             << QStringList{"UPDATE tAccount SET NAME='新标题' WHERE CODE=2"}
                             << "新标题";
    QTest::newRow("blanks and a quote inside")
        << "O'Neil 的 账户" << QList<bool>{true} << QString() << QStringList{question}
        << QStringList{saved}
        << QStringList{"UPDATE tAccount SET NAME='O''Neil 的 账户' WHERE CODE=2"}
        << "O'Neil 的 账户";
    QTest::newRow("empty") << "" << QList<bool>{} << QString() << QStringList{}
                           << QStringList{refused} << QStringList{} << "中线操作";
    QTest::newRow("blank") << " \t " << QList<bool>{} << QString() << QStringList{}
                           << QStringList{refused} << QStringList{} << "中线操作";
    QTest::newRow("declined") << "新标题" << QList<bool>{false} << QString()
                              << QStringList{question} << QStringList{} << QStringList{}
                              << "中线操作";
    QTest::newRow("update fails") << "新标题" << QList<bool>{true}
                                  << failTrigger("BEFORE UPDATE ON tAccount")
                                  << QStringList{question}
                                  << QStringList{QStringLiteral("对不起,保存失败!") + '\r' + Boom}
                                  << QStringList{"UPDATE tAccount SET NAME='新标题' WHERE CODE=2"}
                                  << "中线操作";
}

void TestStorageAccounts::saveTitle()
{
    QFETCH(QString, typed);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, trigger);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, informed);
    QFETCH(QStringList, statements);
    QFETCH(QString, stored);

    TestLedger t;
    if (!trigger.isEmpty())
        t.exec(trigger);
    t.takeStatements();
    RecordingPrompter prompter;
    prompter.answers = answers;

    const bool changed = saveAccountTitle(AccountCode(2), typed, t.ledger(), prompter);

    QCOMPARE(t.takeStatements(), statements);
    QCOMPARE(prompter.asked, asked);
    QCOMPARE(prompter.informed, informed);
    QCOMPARE(changed, informed == QStringList{QStringLiteral("保存成功!")});
    QCOMPARE(t.scalar("SELECT Name FROM tAccount WHERE Code=2"), stored);
    QCOMPARE(t.scalar("SELECT GROUP_CONCAT(Name,'/') FROM tAccount WHERE Code<>2"),
             QStringLiteral("短线试验/长线投资"));
}

void TestStorageAccounts::reinitialiseRefusesNoBalance_data()
{
    QTest::addColumn<QString>("balance");

    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "   ";
    QTest::newRow("zero") << "0";
    QTest::newRow("zero with decimals") << " 0.00 ";
    QTest::newRow("letters") << "abc";
}

void TestStorageAccounts::reinitialiseRefusesNoBalance()
{
    QFETCH(QString, balance);

    TestLedger t;
    seedAccounts(t);
    const auto before = allAccounts(t);
    RecordingPrompter prompter;

    QVERIFY(!reinitialiseAccount(AccountCode(2), balance, "中线操作", t.ledger(), prompter));

    QCOMPARE(prompter.all, QStringList{QStringLiteral("对不起,帐户余额不能为空或零!")});
    QCOMPARE(t.takeStatements(), QStringList{});
    QCOMPARE(allAccounts(t), before);
}

void TestStorageAccounts::reinitialiseTouchesOnlyItsAccount_data()
{
    QTest::addColumn<int>("account");
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("title"); // the title field as typed, perhaps unsaved
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("question");

    QTest::newRow("blanks and a trailing zero") << 2 << " 5000.50 "
                                                << "中线操作"
                                                << "5000.5" << reinitQuestion("中线操作");
    QTest::newRow("third decimal rounds") << 2 << "1234.567"
                                          << "  试 验 "
                                          << "1234.57" << reinitQuestion("试 验");
    QTest::newRow("negative") << 2 << "-250"
                              << "中线操作"
                              << "-250" << reinitQuestion("中线操作");
    QTest::newRow("first account") << 1 << "100000.00"
                                   << "短线试验"
                                   << "100000" << reinitQuestion("短线试验");
    QTest::newRow("third account") << 3 << "0.005"
                                   << "O'Neil"
                                   << "0.01" << reinitQuestion("O'Neil");
}

void TestStorageAccounts::reinitialiseTouchesOnlyItsAccount()
{
    QFETCH(int, account);
    QFETCH(QString, balance);
    QFETCH(QString, title);
    QFETCH(QString, amount);
    QFETCH(QString, question);

    TestLedger t;
    seedAccounts(t);
    const auto before = allAccounts(t);
    const QString name = before[account - 1].first().section('|', 1, 1);
    RecordingPrompter prompter;

    QVERIFY(reinitialiseAccount(AccountCode(account), balance, title, t.ledger(), prompter));

    const QString d = QString::number(account);
    QCOMPARE(
        t.takeStatements(),
        (QStringList{"UPDATE tAccount SET YE=" + amount + ",Init=" + amount + " WHERE CODE=" + d,
                     "DELETE FROM tJXC WHERE CODE=" + d, "DELETE FROM tStore WHERE CODE=" + d}));
    QCOMPARE(prompter.asked, QStringList{question});
    QCOMPARE(prompter.informed, QStringList{QStringLiteral("初始化成功!")});

    const auto after = allAccounts(t);
    for (int other = 1; other <= 3; ++other) {
        if (other != account)
            QCOMPARE(after[other - 1], before[other - 1]);
    }
    // the title stays the saved one, whatever the field held
    QCOMPARE(after[account - 1], QStringList{d + '|' + name + '|' + amount + '|' + amount});
}

void TestStorageAccounts::reinitialiseDeclinedChangesNothing()
{
    TestLedger t;
    seedAccounts(t);
    const auto before = allAccounts(t);
    RecordingPrompter prompter;
    prompter.answers = {false};

    QVERIFY(!reinitialiseAccount(AccountCode(2), "5000", "中线操作", t.ledger(), prompter));

    QCOMPARE(prompter.asked.size(), 1);
    QCOMPARE(prompter.informed, QStringList{});
    QCOMPARE(t.takeStatements(), QStringList{});
    QCOMPARE(allAccounts(t), before);
}

void TestStorageAccounts::reinitialiseFailureRollsBackAll_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<int>("statementsRun");

    QTest::newRow("balance update fails") << failTrigger("BEFORE UPDATE ON tAccount") << 1;
    QTest::newRow("journal delete fails") << failTrigger("BEFORE DELETE ON tJXC") << 2;
    QTest::newRow("holdings delete fails") << failTrigger("BEFORE DELETE ON tStore") << 3;
}

void TestStorageAccounts::reinitialiseFailureRollsBackAll()
{
    QFETCH(QString, trigger);
    QFETCH(int, statementsRun);

    TestLedger t;
    seedAccounts(t);
    t.exec(trigger);
    const auto before = allAccounts(t);
    WatchingPrompter prompter(t.ledger());

    QVERIFY(!reinitialiseAccount(AccountCode(2), "5000", "中线操作", t.ledger(), prompter));

    QCOMPARE(t.takeStatements().size(), statementsRun);
    QCOMPARE(prompter.informed, QStringList{QStringLiteral("对不起,初始化失败!") + '\r' + Boom});
    QVERIFY2(!prompter.boxShownInTransaction(), "a box went up inside the transaction");
    QVERIFY(!t.ledger().inTransaction());
    QVERIFY(!engineInTransaction(t.ledger()));
    QCOMPARE(allAccounts(t), before);
}

void TestStorageAccounts::changePassword_data()
{
    QTest::addColumn<QString>("setup"); // a statement run first, if any
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("confirmText");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("informed");
    QTest::addColumn<QString>("accepted"); // the password the login takes afterwards

    const QString ask = QStringLiteral("请确认是否修改密码");
    const QStringList done{QStringLiteral("修改密码成功!")};
    const QString abc = scrambleTypedPassword("ABC");

    QTest::newRow("changed") << QString() << "123456"
                             << "secret"
                             << "secret" << QList<bool>{true} << done << "SECRET";
    QTest::newRow("new and confirmation trimmed") << QString() << "123456"
                                                  << " abc"
                                                  << "abc\t" << QList<bool>{true} << done << "abc";
    QTest::newRow("old with blanks") << QString() << " 123456  "
                                     << "x"
                                     << "x" << QList<bool>{true} << done << "x";
    QTest::newRow("old in another case") << "UPDATE tUser SET pwd='" + abc + "'"
                                         << "aBc"
                                         << "x"
                                         << "x" << QList<bool>{true} << done << "x";
    QTest::newRow("empty new password") << QString() << "123456"
                                        << ""
                                        << " " << QList<bool>{true} << done << "";
    QTest::newRow("confirmation differs in case")
        << QString() << "123456"
        << "abc"
        << "ABC" << QList<bool>{} << QStringList{"对不起,新密码不一致!"} << "123456";
    QTest::newRow("confirmation missing")
        << QString() << "123456"
        << "abc"
        << "" << QList<bool>{} << QStringList{"对不起,新密码不一致!"} << "123456";
    QTest::newRow("wrong old") << QString() << "12345"
                               << "abc"
                               << "abc" << QList<bool>{} << QStringList{"对不起,旧密码错误!"}
                               << "123456";
    QTest::newRow("declined") << QString() << "123456"
                              << "abc"
                              << "abc" << QList<bool>{false} << QStringList{} << "123456";
    QTest::newRow("user table unreadable")
        << "ALTER TABLE tUser RENAME TO tUserGone"
        << "123456"
        << "abc"
        << "abc" << QList<bool>{} << QStringList{"对不起,读取用户表失败!"} << QString();
    QTest::newRow("no such user") << "DELETE FROM tUser"
                                  << ""
                                  << ""
                                  << "" << QList<bool>{} << QStringList{"对不起,该用户不存在!"}
                                  << QString();
    QTest::newRow("update fails") << failTrigger("BEFORE UPDATE ON tUser") << "123456"
                                  << "abc"
                                  << "abc" << QList<bool>{true}
                                  << QStringList{"对不起,修改密码失败!"} << "123456";
}

void TestStorageAccounts::changePassword()
{
    QFETCH(QString, setup);
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, confirmText);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, informed);
    QFETCH(QString, accepted);

    TestLedger t;
    if (!setup.isEmpty())
        t.exec(setup);
    t.takeStatements();
    RecordingPrompter prompter;
    prompter.answers = answers;

    const bool changed =
        yanlan::changePassword("Admin", oldText, newText, confirmText, t.ledger(), prompter);

    QCOMPARE(prompter.informed, informed);
    QCOMPARE(changed, informed == QStringList{QStringLiteral("修改密码成功!")});
    const QStringList statements = t.takeStatements();
    if (informed != QStringList{QStringLiteral("对不起,新密码不一致!")})
        QCOMPARE(statements.value(0), QStringLiteral("SELECT PWD FROM TUSER WHERE CODE='Admin'"));
    else
        QCOMPARE(statements, QStringList{});
    QCOMPARE(prompter.asked.isEmpty(), answers.isEmpty());

    if (accepted.isNull())
        return; // no user to log in as
    QCOMPARE(checkLogin(t.ledger(), "Admin", accepted), LoginCheck::Accepted);
    if (changed)
        QCOMPARE(checkLogin(t.ledger(), "Admin", oldText), LoginCheck::WrongPassword);
}

QTEST_GUILESS_MAIN(TestStorageAccounts)
#include "tst_storage_accounts.moc"
