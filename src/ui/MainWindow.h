#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace yanlan {

struct AppContext;
class AccountPage;
class SettingsPage;

// The main window: navigation on the left, the caption strip and the page stack on the right.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(AppContext &context, QWidget *parent = nullptr);

    AccountPage *accountPage(int digit) const { return m_pages.at(digit - 1); }
    SettingsPage *settingsPage() const { return m_settings; }
    QString currentPageName() const;

public slots:
    void loadAccountTitles();
    void openAccount(int digit);
    void openSettings();
    void exitSystem();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *navigationButton(const QString &objectName, const QString &caption, int top,
                                  QWidget *parent);
    void focusNextField(QWidget *from);

    AppContext &m_context;
    std::array<QPushButton *, 3> m_accountButtons{};
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    QLabel *m_caption = nullptr;
    QStackedWidget *m_stack = nullptr;
    std::array<AccountPage *, 3> m_pages{};
    SettingsPage *m_settings = nullptr;
    bool m_shownOnce = false;
    bool m_exitConfirmed = false;
};

} // namespace yanlan
