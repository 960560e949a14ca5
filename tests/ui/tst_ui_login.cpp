// The login dialog offscreen over a real ledger and a Config.ini in a temporary folder:
// the remembered password, what a login writes back, and how failures leave the dialog.
#include "RecordingPrompter.h"
#include "TestLedger.h"

#include "common/Text.h"
#include "storage/AccountAdmin.h"
#include "storage/LedgerSchema.h"
#include "storage/LoginService.h"
#include "storage/PasswordScrambler.h"
#include "ui/LoginDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

using namespace yanlan;
using namespace yanlan::test;

namespace {

const QString WrongPassword = QStringLiteral("对不起,密码错误!");

// A Config.ini as the program's earlier versions left it: one section, CR LF line ends.
QByteArray configText(const QString &flag, const QString &scrambled)
{
    QByteArray text = "[SysSet]\r\n";
    if (!flag.isNull())
        text += "PWDFlag=" + flag.toLatin1() + "\r\n";
    if (!scrambled.isNull())
        text += "UserPWD=" + scrambled.toLatin1() + "\r\n";
    return text;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

struct LoginFixture {
    TestLedger ledger;
    RecordingPrompter prompter;
    const QString config = ledger.folder() + QStringLiteral("/Config.ini");
    std::unique_ptr<LoginDialog> dialog;

    void writeConfig(const QByteArray &text)
    {
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    void open()
    {
        dialog = std::make_unique<LoginDialog>(ledger.ledger(), prompter, config);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    template <typename T> T *child(const QString &name) const
    {
        return dialog->findChild<T *>(name);
    }
    QLineEdit *password() const { return child<QLineEdit>(QStringLiteral("edt_PWD")); }
    QCheckBox *remember() const { return child<QCheckBox>(QStringLiteral("chk_PWD")); }
    void clickLogin()
    {
        QTest::mouseClick(child<QPushButton>(QStringLiteral("sbtnLogin")), Qt::LeftButton);
    }
    QString setting(const QString &key) const
    {
        return QSettings(config, QSettings::IniFormat)
            .value(QStringLiteral("SysSet/") + key)
            .toString();
    }
    // the frame as the widget and the window system both see it, or "mixed"
    QString frame() const
    {
        const bool widget = dialog->windowFlags().testFlag(Qt::FramelessWindowHint);
        const bool window = dialog->windowHandle()->flags().testFlag(Qt::FramelessWindowHint);
        if (widget != window)
            return QStringLiteral("mixed");
        return widget ? QStringLiteral("frameless") : QStringLiteral("bordered");
    }
};

} // namespace

class TestUiLogin : public QObject
{
    Q_OBJECT

private slots:
    void freshDialog();
    void rememberedAtOpen_data();
    void rememberedAtOpen();
    void enterLogsInWithRememberedPassword();
    void loginStoresTheChoice_data();
    void loginStoresTheChoice();
    void failedLoginStaysOpen_data();
    void failedLoginStaysOpen();
    void readFailureKeepsTheDialogModal();
    void cancelRejects();
    void unwritableConfigKeepsTheDialogOpen();
    void changedPasswordDefeatsRememberedOne();
};

void TestUiLogin::freshDialog()
{
    LoginFixture f;
    f.open();
    LoginDialog &dialog = *f.dialog;

    QCOMPARE(dialog.size(), QSize(408, 246));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("登录"));
    QCOMPARE(f.frame(), QStringLiteral("frameless"));
    auto *code = f.child<QLineEdit>("edt_Code");
    QVERIFY(code);
    QCOMPARE(code->text(), QStringLiteral("Admin"));
    QVERIFY(code->isReadOnly());
    QCOMPARE(dialog.userCode(), QStringLiteral("Admin"));
    QVERIFY(f.password());
    QCOMPARE(f.password()->echoMode(), QLineEdit::Password);
    QVERIFY(f.remember());
    QVERIFY(f.child<QPushButton>("sbtnLogin"));
    QVERIFY(f.child<QPushButton>("sbtnCancel"));
}

void TestUiLogin::rememberedAtOpen_data()
{
    QTest::addColumn<QByteArray>("config"); // null: no Config.ini at all
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("shown");

    const QString abc = scrambleTypedPassword(" abc ");

    QTest::newRow("no file") << QByteArray() << false << "";
    QTest::newRow("remembered") << configText("1", abc) << true << "ABC";
    QTest::newRow("remembered, Chinese")
        << configText("1", scrambleTypedPassword("密码x")) << true << "密码X";
    QTest::newRow("not remembered") << configText("0", abc) << false << "";
    QTest::newRow("flag not a number") << configText("yes", abc) << false << "";
    QTest::newRow("flag empty") << configText("", abc) << false << "";
    QTest::newRow("flag missing") << configText(QString(), abc) << false << "";
    QTest::newRow("flag without a password") << configText("1", QString()) << true << "";
    QTest::newRow("other section")
        << QByteArray("[Other]\r\nPWDFlag=1\r\nUserPWD=" + abc.toLatin1()) << false << "";
}

void TestUiLogin::rememberedAtOpen()
{
    QFETCH(QByteArray, config);
    QFETCH(bool, checked);
    QFETCH(QString, shown);

    LoginFixture f;
    if (!config.isNull())
        f.writeConfig(config);
    f.open();

    QCOMPARE(f.remember()->isChecked(), checked);
    QCOMPARE(f.password()->text(), shown);
}

void TestUiLogin::enterLogsInWithRememberedPassword()
{
    LoginFixture f;
    const QString scrambled = scrambleTypedPassword(InitialPassword);
    f.writeConfig(configText("1", scrambled));
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);

    QTest::keyClick(f.password(), Qt::Key_Return);

    QCOMPARE(f.prompter.all, QStringList{});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    QCOMPARE(f.setting("PWDFlag"), QStringLiteral("1"));
    QCOMPARE(f.setting("UserPWD"), scrambled);
}

void TestUiLogin::loginStoresTheChoice_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("userPwd"); // null: no such key

    const QString old = scrambleTypedPassword("OLD");
    const QString initial = scrambleTypedPassword(InitialPassword);

    QTest::newRow("checked, no file") << QByteArray() << " 123456 " << true << "1" << initial;
    QTest::newRow("checked replaces the old")
        << configText("1", old) << "123456" << true << "1" << initial;
    QTest::newRow("unchecked keeps the old")
        << configText("1", old) << "123456" << false << "0" << old;
    QTest::newRow("unchecked, no file") << QByteArray() << "123456" << false << "0" << QString();
}

void TestUiLogin::loginStoresTheChoice()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, typed);
    QFETCH(bool, checked);
    QFETCH(QString, flag);
    QFETCH(QString, userPwd);

    LoginFixture f;
    if (!config.isNull())
        f.writeConfig(config);
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);
    f.password()->setText(typed);
    f.remember()->setChecked(checked);

    f.clickLogin();

    QCOMPARE(f.prompter.all, QStringList{});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    QVERIFY(fileBytes(f.config).startsWith("[SysSet]"));
    QCOMPARE(f.setting("PWDFlag"), flag);
    QSettings ini(f.config, QSettings::IniFormat);
    QCOMPARE(ini.contains("SysSet/UserPWD"), !userPwd.isNull());
    QCOMPARE(f.setting("UserPWD"), userPwd);
}

void TestUiLogin::failedLoginStaysOpen_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("bordered");

    QTest::newRow("user table unreadable") << "ALTER TABLE tUser RENAME TO tUserGone"
                                           << "对不起,读取数据表错误!" << true;
    QTest::newRow("no user row") << "DELETE FROM tUser"
                                 << "对不起,用户不存在!" << false;
    QTest::newRow("wrong password")
        << "UPDATE tUser SET pwd='" + scrambleTypedPassword("other") + "'" << WrongPassword
        << false;
}

void TestUiLogin::failedLoginStaysOpen()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    QFETCH(bool, bordered);

    LoginFixture f;
    f.ledger.exec(setup);
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);
    f.password()->setText(QStringLiteral(" 123456"));
    f.remember()->setChecked(true);

    f.clickLogin();

    QCOMPARE(f.prompter.all, QStringList{message});
    QCOMPARE(finished.size(), 0);
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.password()->text(), QStringLiteral(" 123456"));
    QCOMPARE(f.frame(), bordered ? QStringLiteral("bordered") : QStringLiteral("frameless"));
    // bordered, the whole window with its frame is 405 x 269
    QCOMPARE(f.dialog->frameGeometry().size(), bordered ? QSize(405, 269) : QSize(408, 246));
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("登录"));
    QVERIFY2(!QFile::exists(f.config), "a failed login wrote Config.ini");
}

// The border comes after a failed read while the dialog runs modally, as at start-up;
// the dialog must still be waiting for a login afterwards.
void TestUiLogin::readFailureKeepsTheDialogModal()
{
    LoginFixture f;
    f.ledger.exec("ALTER TABLE tUser RENAME TO tUserGone");
    f.dialog = std::make_unique<LoginDialog>(f.ledger.ledger(), f.prompter, f.config);
    LoginDialog &dialog = *f.dialog;
    f.password()->setText(InitialPassword);
    QStringList steps;

    QTimer::singleShot(0, &dialog, [&] {
        f.clickLogin();
        steps << QStringLiteral("failed");
        QTimer::singleShot(0, &dialog, [&] {
            steps << (dialog.isVisible() ? QStringLiteral("still open") : QStringLiteral("hidden"));
            f.ledger.exec("ALTER TABLE tUserGone RENAME TO tUser");
            f.clickLogin();
            if (dialog.isVisible())
                dialog.done(-1); // never leave the test waiting
        });
    });
    const int result = dialog.exec();

    QCOMPARE(steps, (QStringList{"failed", "still open"}));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(f.prompter.all, QStringList{"对不起,读取数据表错误!"});
    QCOMPARE(f.frame(), QStringLiteral("bordered"));
}

void TestUiLogin::cancelRejects()
{
    LoginFixture f;
    f.writeConfig(configText("1", scrambleTypedPassword(InitialPassword)));
    const QByteArray config = fileBytes(f.config);
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);

    QTest::mouseClick(f.child<QPushButton>("sbtnCancel"), Qt::LeftButton);

    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.prompter.all, QStringList{});
    QCOMPARE(fileBytes(f.config), config);
}

// A Config.ini that cannot be written (here a folder stands in its place) is reported and
// the login does not complete.
void TestUiLogin::unwritableConfigKeepsTheDialogOpen()
{
    LoginFixture f;
    QVERIFY(QDir().mkpath(f.config));
    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);
    f.password()->setText(InitialPassword);
    f.clickLogin();

    QCOMPARE(finished.size(), 0);
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.prompter.informed.size(), 1);
    QVERIFY2(f.prompter.informed.at(0).startsWith(QStringLiteral("对不起,")),
             qPrintable(f.prompter.informed.at(0)));
    QVERIFY(f.prompter.informed.at(0).contains(f.config));
    QVERIFY(QFileInfo(f.config).isDir());
}

void TestUiLogin::changedPasswordDefeatsRememberedOne()
{
    LoginFixture f;
    f.writeConfig(configText("1", scrambleTypedPassword(InitialPassword)));
    const QByteArray config = fileBytes(f.config);
    const QByteArray besideProgram = fileBytes(defaultConfigPath());

    RecordingPrompter settings;
    QVERIFY(
        changePassword("Admin", InitialPassword, "new pw", "new pw", f.ledger.ledger(), settings));
    QCOMPARE(fileBytes(f.config), config);
    QCOMPARE(fileBytes(defaultConfigPath()), besideProgram);

    f.open();
    QSignalSpy finished(f.dialog.get(), &QDialog::finished);
    QCOMPARE(f.password()->text(), InitialPassword);
    f.clickLogin();
    QCOMPARE(f.prompter.all, QStringList{WrongPassword});
    QCOMPARE(finished.size(), 0);

    f.password()->clear();
    QTest::keyClicks(f.password(), QStringLiteral("new pw"));
    QTest::keyClick(f.password(), Qt::Key_Enter);
    QCOMPARE(f.prompter.all, QStringList{WrongPassword});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    QCOMPARE(f.setting("UserPWD"), scrambleTypedPassword("NEW PW"));
}

QTEST_MAIN(TestUiLogin)
#include "tst_ui_login.moc"
