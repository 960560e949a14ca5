// The login check on a real ledger: which stored passwords a typed one matches, the
// statement it reads with, and the texts of its failures.
#include "TestLedger.h"

#include "common/Text.h"
#include "storage/LedgerSchema.h"
#include "storage/LoginService.h"
#include "storage/PasswordScrambler.h"

#include <QTest>

using namespace yanlan;
using yanlan::test::TestLedger;

Q_DECLARE_METATYPE(yanlan::LoginCheck)

class TestStorageLogin : public QObject
{
    Q_OBJECT

private slots:
    void typedAgainstStored_data();
    void typedAgainstStored();
    void readsTheUserRow();
    void failures_data();
    void failures();
};

void TestStorageLogin::typedAgainstStored_data()
{
    QTest::addColumn<QString>(
        "storedPwd"); // the literal put into tUser.pwd; null keeps the fresh one
    QTest::addColumn<QString>("typed");
    QTest::addColumn<LoginCheck>("expected");

    const QString abc = scramblePassword("ABC");
    const auto accepted = LoginCheck::Accepted;
    const auto wrong = LoginCheck::WrongPassword;

    QTest::newRow("initial password") << QString() << InitialPassword << accepted;
    QTest::newRow("initial password padded") << QString() << "\t123456 " << accepted;
    QTest::newRow("initial password cut short") << QString() << "12345" << wrong;
    QTest::newRow("initial password longer") << QString() << "1234567" << wrong;
    QTest::newRow("empty against initial") << QString() << "" << wrong;
    QTest::newRow("lower case against upper") << abc << " abc " << accepted;
    QTest::newRow("mixed case padded") << abc << " aBc " << accepted;
    QTest::newRow("other letters") << abc << "abd" << wrong;
    QTest::newRow("stored with blanks around") << "  " + abc + " "
                                               << "ABC" << accepted;
    // a stored form made from lower-case bytes: the typed text is always upper-cased first
    QTest::newRow("stored from lower case") << scramblePassword("abc") << "abc" << wrong;
    QTest::newRow("Chinese, as GBK bytes")
        << scramblePassword(toGbk("密码A")) << " 密码a" << accepted;
    QTest::newRow("Chinese, as UTF-8 bytes")
        << scramblePassword(QStringLiteral("密码A").toUtf8()) << "密码A" << wrong;
    QTest::newRow("empty stored, empty typed") << ""
                                               << "" << accepted;
    QTest::newRow("empty stored, blank typed") << ""
                                               << "  " << accepted;
    QTest::newRow("empty stored, something typed") << ""
                                                   << "1" << wrong;
}

void TestStorageLogin::typedAgainstStored()
{
    QFETCH(QString, storedPwd);
    QFETCH(QString, typed);
    QFETCH(LoginCheck, expected);

    TestLedger t;
    if (!storedPwd.isNull())
        t.exec("UPDATE tUser SET pwd=" + sqlLiteral(storedPwd));

    QCOMPARE(checkLogin(t.ledger(), "Admin", typed), expected);
}

void TestStorageLogin::readsTheUserRow()
{
    // another user, with an empty password, comes first in the table
    TestLedger t;
    t.exec("DELETE FROM tUser");
    t.exec("INSERT INTO tUser (code,pwd) VALUES ('Guest','')");
    t.exec("INSERT INTO tUser (code,pwd) VALUES ('Admin'," +
           sqlLiteral(scrambleTypedPassword(InitialPassword)) + ")");
    t.takeStatements();

    QCOMPARE(checkLogin(t.ledger(), "Admin", ""), LoginCheck::WrongPassword);
    QCOMPARE(t.takeStatements(), QStringList{"select * from tUser where code='Admin'"});
}

void TestStorageLogin::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<LoginCheck>("expected");
    QTest::addColumn<QString>("message");

    QTest::newRow("user table unreadable") << "ALTER TABLE tUser RENAME TO tUserGone"
                                           << LoginCheck::ReadFailed << "对不起,读取数据表错误!";
    QTest::newRow("no user row") << "DELETE FROM tUser" << LoginCheck::NoSuchUser
                                 << "对不起,用户不存在!";
    QTest::newRow("wrong password")
        << "UPDATE tUser SET pwd='XX'" << LoginCheck::WrongPassword << "对不起,密码错误!";
}

void TestStorageLogin::failures()
{
    QFETCH(QString, setup);
    QFETCH(LoginCheck, expected);
    QFETCH(QString, message);

    TestLedger t;
    t.exec(setup);

    const LoginCheck check = checkLogin(t.ledger(), "Admin", InitialPassword);
    QCOMPARE(check, expected);
    QCOMPARE(loginMessage(check), message);
}

QTEST_GUILESS_MAIN(TestStorageLogin)
#include "tst_storage_login.moc"
