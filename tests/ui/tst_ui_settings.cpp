// The settings page offscreen over a real ledger, driven by clicks on its buttons: saving a
// title, reinitialising an account and changing the password.
#include "RecordingPrompter.h"
#include "TestLedger.h"

#include "storage/LoginService.h"
#include "ui/AppContext.h"
#include "ui/SettingsPage.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace yanlan;
using namespace yanlan::test;

namespace {

QString failTrigger(const QString &when)
{
    return QStringLiteral("CREATE TRIGGER fail %1 BEGIN SELECT RAISE(ABORT,'boom'); END").arg(when);
}

struct SettingsFixture {
    TestLedger ledger;
    RecordingPrompter prompter;
    FixedClock clock{QDate(2026, 3, 31)};
    AppContext context;
    std::unique_ptr<SettingsPage> page;

    void open()
    {
        context.ledger = &ledger.ledger();
        context.prompter = &prompter;
        context.clock = &clock;
        context.fileChooser = nullptr;
        page = std::make_unique<SettingsPage>(context);
        page->resize(480, 330);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    }
    QLineEdit *field(const QString &name) const { return page->findChild<QLineEdit *>(name); }
    void click(const QString &name)
    {
        auto *button = page->findChild<QAbstractButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString account(const QString &column, int code)
    {
        return ledger.scalar(
            QStringLiteral("SELECT %1 FROM tAccount WHERE Code=%2").arg(column).arg(code));
    }
};

int digitOf(const QString &prefix)
{
    return QStringList{"DX", "ZX", "CX"}.indexOf(prefix) + 1;
}

} // namespace

class TestUiSettings : public QObject
{
    Q_OBJECT

private slots:
    void widgetsByName();
    void saveTitle_data();
    void saveTitle();
    void reinitialise_data();
    void reinitialise();
    void changePassword_data();
    void changePassword();
};

void TestUiSettings::widgetsByName()
{
    SettingsFixture f;
    f.open();

    for (const QString prefix : {"DX", "ZX", "CX"}) {
        QVERIFY(f.page->findChild<QGroupBox *>("grp_" + prefix));
        QLineEdit *title = f.field("edt_" + prefix);
        QVERIFY(title);
        auto *save = f.page->findChild<QAbstractButton *>("edt_" + prefix + "Button");
        QVERIFY(save);
        QCOMPARE(save->parentWidget(), title); // the button sits inside the title field
        QVERIFY(title->rect().contains(save->geometry()));
        QVERIFY(f.field("edt_" + prefix + "Money"));
        QVERIFY(f.page->findChild<QAbstractButton *>("btn_" + prefix + "Init"));
    }
    for (const QString name : {"edt_Old", "edt_New", "edt_Confirm"}) {
        QVERIFY(f.field(name));
        QCOMPARE(f.field(name)->echoMode(), QLineEdit::Password);
    }
    QVERIFY(f.page->findChild<QAbstractButton *>("btn_ChangePWD"));
}

void TestUiSettings::saveTitle_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QStringList>("informed");
    QTest::addColumn<QString>("stored");

    QTest::newRow("saved") << "ZX"
                           << "  O'Neil 的 账户 " << QList<bool>{true} << QString()
                           << QStringList{"保存成功!"} << "O'Neil 的 账户";
    QTest::newRow("declined") << "CX"
                              << "新标题" << QList<bool>{false} << QString() << QStringList{}
                              << "长线投资";
    QTest::newRow("blank") << "DX"
                           << "   " << QList<bool>{} << QString()
                           << QStringList{"对不起,标题不能为空!"} << "短线试验";
    QTest::newRow("update fails") << "DX"
                                  << "新标题" << QList<bool>{true}
                                  << failTrigger("BEFORE UPDATE ON tAccount")
                                  << QStringList{"对不起,保存失败!\rboom"} << "短线试验";
}

void TestUiSettings::saveTitle()
{
    QFETCH(QString, prefix);
    QFETCH(QString, typed);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, trigger);
    QFETCH(QStringList, informed);
    QFETCH(QString, stored);

    SettingsFixture f;
    if (!trigger.isEmpty())
        f.ledger.exec(trigger);
    f.open();
    QSignalSpy changed(f.page.get(), &SettingsPage::accountsChanged);
    f.prompter.answers = answers;
    f.field("edt_" + prefix)->setText(typed);

    f.click("edt_" + prefix + "Button");

    QCOMPARE(f.prompter.informed, informed);
    QCOMPARE(f.account("Name", digitOf(prefix)), stored);
    QCOMPARE(changed.size(), informed == QStringList{"保存成功!"} ? 1 : 0);
}

void TestUiSettings::reinitialise_data()
{
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QStringList>("all"); // every box, in order
    QTest::addColumn<QString>("ye");
    QTest::addColumn<int>("rowsLeft");

    // the title field holds a new title that was never saved
    const QString question = QStringLiteral("\"重新初始化\"操作将清空\"试验 账户\"的历史数据"
                                            "(如需初始化,请先录入帐户余额),请确认是否初始化");
    QTest::newRow("reinitialised")
        << " 5000.50 " << QString() << QStringList{question, "初始化成功!"} << "5000.5" << 0;
    QTest::newRow("no balance") << "abc" << QString() << QStringList{"对不起,帐户余额不能为空或零!"}
                                << "100000" << 1;
    QTest::newRow("holdings delete fails")
        << "5000" << failTrigger("BEFORE DELETE ON tStore")
        << QStringList{question, "对不起,初始化失败!\rboom"} << "100000" << 1;
}

void TestUiSettings::reinitialise()
{
    QFETCH(QString, balance);
    QFETCH(QString, trigger);
    QFETCH(QStringList, all);
    QFETCH(QString, ye);
    QFETCH(int, rowsLeft);

    SettingsFixture f;
    f.ledger.addTrade(3, "sz000001", "平安银行", 1, 100, 10.5, 0, "2026-03-30 10:00:00");
    f.ledger.exec("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (3,'sz000001',100,10.5)");
    f.ledger.addTrade(1, "sz000002", "万科A", 1, 100, 8.0, 0, "2026-03-30 10:00:00");
    if (!trigger.isEmpty())
        f.ledger.exec(trigger);
    f.open();
    QSignalSpy changed(f.page.get(), &SettingsPage::accountsChanged);
    f.field("edt_CX")->setText(QStringLiteral(" 试验 账户 "));
    f.field("edt_CXMoney")->setText(balance);

    f.click("btn_CXInit");

    QCOMPARE(f.prompter.all, all);
    QCOMPARE(f.account("YE", 3), ye);
    QCOMPARE(f.account("Init", 3), ye);
    QCOMPARE(f.account("Name", 3), QStringLiteral("长线投资"));
    QCOMPARE(f.ledger.scalar("SELECT COUNT(*) FROM tJXC WHERE Code=3"), QString::number(rowsLeft));
    QCOMPARE(f.ledger.scalar("SELECT COUNT(*) FROM tStore WHERE CODE=3"),
             QString::number(rowsLeft));
    QCOMPARE(f.ledger.scalar("SELECT COUNT(*) FROM tJXC WHERE Code=1"), QStringLiteral("1"));
    QCOMPARE(changed.size(), all.endsWith("初始化成功!") ? 1 : 0);
}

void TestUiSettings::changePassword_data()
{
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("confirmText");
    QTest::addColumn<QStringList>("all");
    QTest::addColumn<QString>("accepted"); // what the login takes afterwards

    QTest::newRow("changed") << " 123456 "
                             << "abc"
                             << "abc " << QStringList{"请确认是否修改密码", "修改密码成功!"}
                             << "ABC";
    QTest::newRow("confirmation differs")
        << "123456"
        << "abc"
        << "ABC" << QStringList{"对不起,新密码不一致!"} << "123456";
    QTest::newRow("wrong old") << "654321"
                               << "abc"
                               << "abc" << QStringList{"对不起,旧密码错误!"} << "123456";
}

void TestUiSettings::changePassword()
{
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, confirmText);
    QFETCH(QStringList, all);
    QFETCH(QString, accepted);

    SettingsFixture f;
    f.open();
    QTest::keyClicks(f.field("edt_Old"), oldText);
    QTest::keyClicks(f.field("edt_New"), newText);
    QTest::keyClicks(f.field("edt_Confirm"), confirmText);

    f.click("btn_ChangePWD");

    QCOMPARE(f.prompter.all, all);
    QCOMPARE(checkLogin(f.ledger.ledger(), "Admin", accepted), LoginCheck::Accepted);
}

QTEST_MAIN(TestUiSettings)
#include "tst_ui_settings.moc"
