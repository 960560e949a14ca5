#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace yanlan {

class Ledger;
class Prompter;

// The login: user "Admin", the password, and whether to remember it in Config.ini.
class LoginDialog : public QDialog
{
    Q_OBJECT
public:
    LoginDialog(Ledger &ledger, Prompter &prompter, const QString &configPath,
                QWidget *parent = nullptr);

    // The user of the run, for the password change.
    QString userCode() const;

public slots:
    void login();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showWithBorder();
    void fitOuterSize();

    Ledger &m_ledger;
    Prompter &m_prompter;
    QString m_configPath;
    QLineEdit *m_code;
    QLineEdit *m_password;
    QCheckBox *m_remember;
    QPushButton *m_login;
    QPushButton *m_cancel;
};

} // namespace yanlan
