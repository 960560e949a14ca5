#pragma once

#include "common/AccountCode.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QLineEdit;

namespace yanlan {

struct AppContext;
struct AccountTitles;

// Titles, reinitialisation of the accounts and the password change.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsPage(AppContext &context, QWidget *parent = nullptr);

    void showTitles(const AccountTitles &titles);

public slots:
    void saveTitle(int digit);
    void reinitialise(int digit);
    void changePassword();

signals:
    // a title or a balance changed in the ledger: reload them everywhere
    void accountsChanged();

private:
    QGroupBox *buildAccountGroup(AccountCode account);
    QGroupBox *buildPasswordGroup();

    AppContext &m_context;
    std::array<QGroupBox *, 3> m_groups{};
    std::array<QLineEdit *, 3> m_titles{};
    std::array<QLineEdit *, 3> m_balances{};
    QLineEdit *m_old = nullptr;
    QLineEdit *m_new = nullptr;
    QLineEdit *m_confirm = nullptr;
};

} // namespace yanlan
