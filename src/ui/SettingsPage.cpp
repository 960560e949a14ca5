#include "SettingsPage.h"

#include "AppContext.h"
#include "storage/AccountAdmin.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace yanlan {

namespace {

constexpr int BodyTop = 18; // below the banner caption

const QString GroupStyle = QStringLiteral(
    "QGroupBox{border:1px solid #b22222;margin-top:0px;padding-top:%1px;background:#fff8f5;}"
    "QGroupBox::title{subcontrol-origin:border;subcontrol-position:top left;left:0px;top:0px;"
    "padding:2px 1200px 2px 8px;color:white;font-weight:bold;"
    "background:qlineargradient(x1:0,y1:0,x2:1,y2:0,stop:0 #8b0000,stop:1 #e06060);}")
                              .arg(BodyTop);

QGroupBox *bannerGroup(const QString &objectName, const QString &title, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(objectName);
    group->setFixedHeight(65);
    group->setStyleSheet(GroupStyle);
    return group;
}

QLabel *label(const QString &text, int left, int top, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->adjustSize();
    l->move(left, BodyTop + top - 2);
    return l;
}

QLineEdit *edit(const QString &objectName, const QString &accessible, QRect rect, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setAccessibleName(accessible);
    e->setGeometry(rect.translated(0, BodyTop));
    return e;
}

QPushButton *pushButton(const QString &objectName, const QString &text, int left, int top,
                        int width, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(text);
    b->setAutoDefault(false);
    b->setGeometry(left, BodyTop + top, width, 24);
    return b;
}

} // namespace

SettingsPage::SettingsPage(AppContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("SysSet"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(8);
    for (AccountCode account : AccountCode::all())
        layout->addWidget(buildAccountGroup(account));
    layout->addWidget(buildPasswordGroup());
    layout->addStretch();
}

QGroupBox *SettingsPage::buildAccountGroup(AccountCode account)
{
    const QString prefix = account.prefix();
    const int i = account.digit() - 1;
    QGroupBox *group = bannerGroup(QStringLiteral("grp_") + prefix, account.defaultTitle(), this);
    m_groups[i] = group;

    label(QStringLiteral("标题："), 31, 16, group);
    QLineEdit *title = edit(QStringLiteral("edt_") + prefix, QStringLiteral("标题："),
                            QRect(66, 12, 119, 20), group);
    title->setText(account.defaultTitle());
    auto *save = new QToolButton(title);
    save->setObjectName(QStringLiteral("edt_") + prefix + QStringLiteral("Button"));
    save->setText(QStringLiteral("保存"));
    save->setAccessibleName(QStringLiteral("保存"));
    save->setCursor(Qt::PointingHandCursor);
    save->setGeometry(119 - 34, 1, 33, 18);
    title->setTextMargins(0, 0, 34, 0);
    m_titles[i] = title;

    label(QStringLiteral("帐户余额："), 233, 16, group);
    m_balances[i] = edit(QStringLiteral("edt_") + prefix + QStringLiteral("Money"),
                         QStringLiteral("帐户余额："), QRect(292, 12, 86, 20), group);
    m_balances[i]->setText(QStringLiteral("100000"));
    m_balances[i]->setAlignment(Qt::AlignRight);
    QPushButton *init = pushButton(QStringLiteral("btn_") + prefix + QStringLiteral("Init"),
                                   QStringLiteral("重新初始化"), 388, 10, 78, group);

    const int digit = account.digit();
    connect(save, &QToolButton::clicked, this, [this, digit] { saveTitle(digit); });
    connect(init, &QPushButton::clicked, this, [this, digit] { reinitialise(digit); });
    return group;
}

QGroupBox *SettingsPage::buildPasswordGroup()
{
    QGroupBox *group = bannerGroup(QStringLiteral("grp_PWD"), QStringLiteral("修改密码"), this);
    label(QStringLiteral("旧密码："), 31, 16, group);
    m_old = edit(QStringLiteral("edt_Old"), QStringLiteral("旧密码："), QRect(80, 12, 65, 20), group);
    label(QStringLiteral("新密码："), 151, 16, group);
    m_new = edit(QStringLiteral("edt_New"), QStringLiteral("新密码："), QRect(200, 12, 65, 20), group);
    label(QStringLiteral("密码确认："), 271, 16, group);
    m_confirm = edit(QStringLiteral("edt_Confirm"), QStringLiteral("密码确认："),
                     QRect(331, 12, 65, 20), group);
    for (QLineEdit *e : {m_old, m_new, m_confirm}) {
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("QLineEdit{lineedit-password-character:42;}")); // "*"
    }
    QPushButton *change = pushButton(QStringLiteral("btn_ChangePWD"), QStringLiteral("修改密码"),
                                     404, 10, 61, group);
    connect(change, &QPushButton::clicked, this, &SettingsPage::changePassword);
    return group;
}

void SettingsPage::showTitles(const AccountTitles &titles)
{
    for (int i = 0; i < 3; ++i) {
        m_groups[i]->setTitle(titles.titles[i]);
        m_titles[i]->setText(titles.titles[i]);
        m_balances[i]->setText(titles.balances[i]);
    }
}

void SettingsPage::saveTitle(int digit)
{
    const AccountCode account(digit);
    if (saveAccountTitle(account, m_titles[digit - 1]->text(), *m_context.ledger, *m_context.prompter))
        emit accountsChanged();
}

void SettingsPage::reinitialise(int digit)
{
    const AccountCode account(digit);
    if (reinitialiseAccount(account, m_balances[digit - 1]->text(), m_titles[digit - 1]->text(),
                            *m_context.ledger, *m_context.prompter))
        emit accountsChanged();
}

void SettingsPage::changePassword()
{
    yanlan::changePassword(m_context.userCode, m_old->text(), m_new->text(), m_confirm->text(),
                           *m_context.ledger, *m_context.prompter);
}

} // namespace yanlan
