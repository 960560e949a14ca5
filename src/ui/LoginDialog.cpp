#include "LoginDialog.h"

#include "common/Seams.h"
#include "common/Text.h"
#include "storage/LoginService.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace yanlan {

namespace {
void centre(QWidget *w)
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        w->move(area.center() - QPoint(w->frameGeometry().width() / 2, w->frameGeometry().height() / 2));
    }
}

QLabel *pictureLabel(const QString &text, const QRect &rect, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setStyleSheet(QStringLiteral("color:#1d3557;"));
    return label;
}
} // namespace

LoginDialog::LoginDialog(Ledger &ledger, Prompter &prompter, const QString &configPath,
                         QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_ledger(ledger),
      m_prompter(prompter), m_configPath(configPath)
{
    setObjectName(QStringLiteral("fm_Login"));
    setWindowTitle(QStringLiteral("登录"));
    setFixedSize(408, 246);

    auto *banner = new QLabel(QStringLiteral("欢迎使用砚澜模拟炒股软件"), this);
    banner->setGeometry(20, 30, 368, 40);
    banner->setAlignment(Qt::AlignCenter);
    QFont bannerFont = banner->font();
    bannerFont.setPixelSize(20);
    bannerFont.setBold(true);
    banner->setFont(bannerFont);
    banner->setStyleSheet(QStringLiteral("color:#8b1a1a;"));

    pictureLabel(QStringLiteral("用户名："), QRect(140, 100, 60, 21), this);
    pictureLabel(QStringLiteral("密 码："), QRect(140, 138, 60, 21), this);

    m_code = new QLineEdit(QStringLiteral("Admin"), this);
    m_code->setObjectName(QStringLiteral("edt_Code"));
    m_code->setGeometry(201, 100, 138, 21);
    m_code->setReadOnly(true);
    m_code->setFocusPolicy(Qt::ClickFocus);
    m_code->setAccessibleName(QStringLiteral("用户名："));

    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("edt_PWD"));
    m_password->setGeometry(201, 138, 138, 21);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAccessibleName(QStringLiteral("密 码："));
    m_password->installEventFilter(this);

    m_remember = new QCheckBox(this);
    m_remember->setObjectName(QStringLiteral("chk_PWD"));
    m_remember->setGeometry(198, 169, 39, 21);
    m_remember->setAccessibleName(QStringLiteral("保存密码"));
    pictureLabel(QStringLiteral("保存密码"), QRect(220, 169, 60, 21), this);

    m_login = new QPushButton(QStringLiteral("登 录"), this);
    m_login->setObjectName(QStringLiteral("sbtnLogin"));
    m_login->setGeometry(200, 199, 59, 20);
    m_login->setCursor(Qt::PointingHandCursor);
    m_login->setAutoDefault(false);
    m_login->setAccessibleName(QStringLiteral("登 录"));
    connect(m_login, &QPushButton::clicked, this, &LoginDialog::login);

    m_cancel = new QPushButton(QStringLiteral("退 出"), this);
    m_cancel->setObjectName(QStringLiteral("sbtnCancel"));
    m_cancel->setGeometry(279, 199, 59, 20);
    m_cancel->setCursor(Qt::PointingHandCursor);
    m_cancel->setAutoDefault(false);
    m_cancel->setAccessibleName(QStringLiteral("退 出"));
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // the remembered password, if any
    const RememberedLogin remembered = loadRememberedLogin(m_configPath);
    m_remember->setChecked(remembered.remember);
    if (remembered.remember)
        m_password->setText(remembered.password);

    m_password->setFocus();
    centre(this);
}

QString LoginDialog::userCode() const
{
    return trimText(m_code->text());
}

void LoginDialog::login()
{
    const LoginCheck check = checkLogin(m_ledger, userCode(), m_password->text());
    if (check != LoginCheck::Accepted) {
        m_prompter.inform(loginMessage(check));
        if (check == LoginCheck::ReadFailed)
            showWithBorder();
        return;
    }
    QString error;
    if (!storeRememberedLogin(m_configPath, m_remember->isChecked(), m_password->text(), &error)) {
        m_prompter.inform(QStringLiteral("对不起,保存配置失败!") + QChar(13) + error);
        return;
    }
    done(QDialog::Accepted);
}

void LoginDialog::showWithBorder()
{
    const Qt::WindowFlags bordered = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                     Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (QWindow *window = windowHandle()) {
        // setWindowFlags() would hide the window to re-create it, and a dialog that is hidden
        // leaves its exec() loop: the start-up would take that for "退出". Change the flags of
        // the window as it stands instead.
        overrideWindowFlags(bordered);
        window->setFlags(bordered);
    } else {
        setWindowFlags(bordered);
    }
    fitOuterSize();
    // the window manager decorates the window a moment later; fit again once it has
    QTimer::singleShot(200, this, &LoginDialog::fitOuterSize);
}

void LoginDialog::fitOuterSize()
{
    // 405 x 269 including the frame and the title bar, as far as they are known
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(QSize(405, 269) - frame.expandedTo(QSize(0, 0)));
    centre(this);
}

bool LoginDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_password && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            login();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LoginDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xf6, 0xf1, 0xe7));
    g.setColorAt(1, QColor(0xe4, 0xd6, 0xbd));
    p.fillRect(rect(), g);
    p.setPen(QColor(0x8b, 0x1a, 0x1a));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace yanlan
