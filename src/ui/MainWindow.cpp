#include "MainWindow.h"

#include "AccountPage.h"
#include "AppContext.h"
#include "SettingsPage.h"
#include "storage/AccountAdmin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace yanlan {

namespace {
const QString Mark = QStringLiteral("▲");
const QString PlacePrefix = QStringLiteral("当前位置：");
const QString SettingsCaption = QStringLiteral("系统设置");

QWidget *strip(const QString &objectName, const QString &style, QWidget *parent)
{
    auto *w = new QWidget(parent);
    w->setObjectName(objectName);
    w->setAttribute(Qt::WA_StyledBackground);
    w->setStyleSheet(QStringLiteral("#%1{%2}").arg(objectName, style));
    return w;
}
} // namespace

MainWindow::MainWindow(AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_context(context)
{
    setObjectName(QStringLiteral("fm_Main"));
    setWindowTitle(QStringLiteral("砚澜模拟炒股软件"));
    setFixedSize(986, 628);
    QFont windowFont(QStringLiteral("AR PL UMing CN"));
    windowFont.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                            QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei")});
    windowFont.setPixelSize(12);
    setFont(windowFont);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // banner
    QWidget *banner = strip(QStringLiteral("Panel1"),
                            QStringLiteral("background:qlineargradient(x1:0,y1:0,x2:1,y2:0,"
                                           "stop:0 #7a0c0c,stop:1 #d9534f);"
                                           "border-bottom:2px solid #f0c040;"),
                            this);
    banner->setFixedHeight(70);
    auto *bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(24, 0, 0, 0);
    auto *bannerTitle = new QLabel(QStringLiteral("砚澜模拟炒股软件"), banner);
    QFont bannerFont = windowFont;
    bannerFont.setPixelSize(28);
    bannerFont.setBold(true);
    bannerTitle->setFont(bannerFont);
    bannerTitle->setStyleSheet(QStringLiteral("color:white;"));
    bannerLayout->addWidget(bannerTitle);
    root->addWidget(banner);

    auto *middle = new QHBoxLayout;
    middle->setSpacing(0);
    root->addLayout(middle, 1);

    // navigation
    QWidget *navigation = strip(QStringLiteral("Panel4"),
                                QStringLiteral("background:qlineargradient(x1:0,y1:0,x2:0,y2:1,"
                                               "stop:0 #3b3b4f,stop:1 #1f1f2b);"),
                                this);
    navigation->setFixedWidth(169);
    static const char *const buttonNames[] = {"btn_DX", "btn_ZX", "btn_CX"};
    for (AccountCode account : AccountCode::all()) {
        const int i = account.digit() - 1;
        m_accountButtons[i] = navigationButton(QString::fromLatin1(buttonNames[i]),
                                               account.defaultTitle(), 17 + 69 * i, navigation);
        const int digit = account.digit();
        connect(m_accountButtons[i], &QPushButton::clicked, this, [this, digit] { openAccount(digit); });
    }
    m_settingsButton = navigationButton(QStringLiteral("btn_SysSet"), SettingsCaption, 225, navigation);
    m_exitButton = navigationButton(QStringLiteral("btn_Exit"), QStringLiteral("退出系统"), 295, navigation);
    connect(m_settingsButton, &QPushButton::clicked, this, &MainWindow::openSettings);
    connect(m_exitButton, &QPushButton::clicked, this, &MainWindow::exitSystem);
    middle->addWidget(navigation);

    // caption strip and pages, framed
    auto *right = new QVBoxLayout;
    right->setSpacing(0);
    QWidget *captionStrip = strip(QStringLiteral("pnl_Caption"),
                                  QStringLiteral("background:#f3ead8;border-bottom:1px solid #d8c8a8;"),
                                  this);
    captionStrip->setFixedHeight(50);
    m_caption = new QLabel(QStringLiteral("当前位置"), captionStrip);
    m_caption->setObjectName(QStringLiteral("lbl_Caption"));
    m_caption->move(58, 28);
    m_caption->setMinimumWidth(400);
    m_caption->setStyleSheet(QStringLiteral("color:#7a0c0c;font-weight:bold;"));
    right->addWidget(captionStrip);

    auto *framed = new QHBoxLayout;
    framed->setSpacing(0);
    QWidget *frameLeft = strip(QStringLiteral("frameLeft"), QStringLiteral("background:#efe4cf;"), this);
    frameLeft->setFixedWidth(27);
    framed->addWidget(frameLeft);
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("nb_Main"));
    m_settings = new SettingsPage(m_context, m_stack);
    m_stack->addWidget(m_settings);
    for (AccountCode account : AccountCode::all()) {
        auto *page = new AccountPage(account, m_context, m_stack);
        QPushButton *nav = m_accountButtons[account.digit() - 1];
        page->setNavigationCaption([nav] { return nav->text(); });
        m_pages[account.digit() - 1] = page;
        m_stack->addWidget(page);
    }
    m_stack->setCurrentWidget(m_pages[0]);
    framed->addWidget(m_stack, 1);
    QWidget *frameRight = strip(QStringLiteral("frameRight"), QStringLiteral("background:#efe4cf;"), this);
    frameRight->setFixedWidth(27);
    framed->addWidget(frameRight);
    right->addLayout(framed, 1);
    QWidget *frameBottom = strip(QStringLiteral("frameBottom"), QStringLiteral("background:#efe4cf;"), this);
    frameBottom->setFixedHeight(32);
    right->addWidget(frameBottom);
    middle->addLayout(right, 1);

    QWidget *footer = strip(QStringLiteral("Panel2"), QStringLiteral("background:#3b3b4f;"), this);
    footer->setFixedHeight(32);
    auto *footerLayout = new QHBoxLayout(footer);
    footerLayout->setContentsMargins(12, 0, 12, 0);
    auto *footerText = new QLabel(QStringLiteral("模拟交易,不涉及真实资金"), footer);
    footerText->setStyleSheet(QStringLiteral("color:#d0d0e0;"));
    footerLayout->addWidget(footerText);
    root->addWidget(footer);

    connect(m_settings, &SettingsPage::accountsChanged, this, &MainWindow::loadAccountTitles);
    qApp->installEventFilter(this);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QPushButton *MainWindow::navigationButton(const QString &objectName, const QString &caption,
                                          int top, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(caption);
    b->setGeometry(10, top, 152, 42);
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    b->setStyleSheet(QStringLiteral(
        "QPushButton{color:white;font-weight:bold;font-size:14px;border:1px solid #8a6d3b;"
        "border-radius:4px;background:qlineargradient(x1:0,y1:0,x2:0,y2:1,stop:0 #a83232,"
        "stop:1 #6e1414);}QPushButton:hover{background:#c04040;}"
        "QPushButton:disabled{color:#f0d0d0;}"));
    return b;
}

QString MainWindow::currentPageName() const
{
    return m_stack->currentWidget() ? m_stack->currentWidget()->objectName() : QString();
}

void MainWindow::loadAccountTitles()
{
    // the titles come with the defaults where the ledger has none; this also drops the mark
    m_settingsButton->setText(SettingsCaption);
    const AccountTitles titles = yanlan::loadAccountTitles(*m_context.ledger, *m_context.prompter);
    for (int i = 0; i < 3; ++i) {
        m_accountButtons[i]->setText(titles.titles[i]);
        m_accountButtons[i]->setAccessibleName(titles.titles[i]);
    }
    m_settings->showTitles(titles);
}

void MainWindow::openAccount(int digit)
{
    QPushButton *nav = m_accountButtons.at(digit - 1);
    nav->setEnabled(false);
    loadAccountTitles();
    m_caption->setText(PlacePrefix + nav->text());
    nav->setText(Mark + nav->text());
    AccountPage *page = m_pages.at(digit - 1);
    page->prepareForShow();
    m_stack->setCurrentWidget(page);
    nav->setEnabled(true);
}

void MainWindow::openSettings()
{
    m_stack->setCurrentWidget(m_settings);
    loadAccountTitles();
    m_caption->setText(PlacePrefix + m_settingsButton->text());
    m_settingsButton->setText(Mark + m_settingsButton->text());
}

void MainWindow::exitSystem()
{
    if (!m_context.prompter->confirm(QStringLiteral("请确认是否退出系统")))
        return;
    m_exitConfirmed = true;
    close();
    QApplication::quit();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    loadAccountTitles();
    openAccount(1);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_exitConfirmed || m_context.prompter->confirm(QStringLiteral("请确认是否退出系统"))) {
        m_exitConfirmed = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::focusNextField(QWidget *from)
{
    QWidget *next = from->nextInFocusChain();
    while (next && next != from) {
        if (next->window() == this && next->isVisible() && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
        next = next->nextInFocusChain();
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter moves the focus on to the next field; the key still reaches the field it was
    // pressed in.
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()) {
        auto *widget = qobject_cast<QWidget *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (widget && widget->window() == this &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            focusNextField(widget);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace yanlan
