#include "AccountAdmin.h"

#include "PasswordScrambler.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

namespace yanlan {

AccountTitles loadAccountTitles(Ledger &ledger, Prompter &prompter)
{
    AccountTitles result;
    for (AccountCode account : AccountCode::all()) {
        result.titles[account.digit() - 1] = account.defaultTitle();
        result.balances[account.digit() - 1] = QStringLiteral("100000");
    }
    LedgerRows rows;
    QString error;
    if (!ledger.select(QStringLiteral("SELECT * FROM tAccount ORDER BY CODE"), rows, &error)) {
        prompter.inform(failureText(msg::ReadTableFailed, error));
        return result;
    }
    for (int i = 0; i < rows.rowCount(); ++i) {
        const qint64 code = rows.integer(i, QStringLiteral("Code"));
        if (code < 1 || code > 3)
            continue;
        result.titles[code - 1] = trimText(rows.text(i, QStringLiteral("Name")));
        result.balances[code - 1] = formatShort(rows.number(i, QStringLiteral("YE")));
    }
    result.loaded = true;
    return result;
}

bool saveAccountTitle(AccountCode account, const QString &titleText, Ledger &ledger,
                      Prompter &prompter)
{
    const QString title = trimText(titleText);
    if (title.isEmpty()) {
        prompter.inform(QStringLiteral("对不起,标题不能为空!"));
        return false;
    }
    if (!prompter.confirm(QStringLiteral("请确认是否修改当前标题")))
        return false;
    QString error;
    const QString sql = QStringLiteral("UPDATE tAccount SET NAME=") + sqlLiteral(title) +
                        QStringLiteral(" WHERE CODE=") + account.digitText();
    if (!ledger.execute(sql, &error)) {
        prompter.inform(failureText(QStringLiteral("对不起,保存失败!"), error));
        return false;
    }
    prompter.inform(QStringLiteral("保存成功!"));
    return true;
}

bool reinitialiseAccount(AccountCode account, const QString &balanceText,
                         const QString &titleText, Ledger &ledger, Prompter &prompter)
{
    const double balance = textToNumber(balanceText);
    // the amount is written as the text of the number it denotes, never as typed
    const QString amount = formatShort(balance);
    if (balance == 0 || textToNumber(amount) == 0) {
        prompter.inform(QStringLiteral("对不起,帐户余额不能为空或零!"));
        return false;
    }
    const QString question = QStringLiteral("\"重新初始化\"操作将清空\"") + trimText(titleText) +
                             QStringLiteral("\"的历史数据(如需初始化,请先录入帐户余额),请确认是否初始化");
    if (!prompter.confirm(question))
        return false;

    const QString digit = account.digitText();
    const QString failed = QStringLiteral("对不起,初始化失败!");
    QString error;
    LedgerTransaction transaction(ledger);
    if (!transaction.begin(&error)) {
        prompter.inform(failureText(failed, error));
        return false;
    }
    const QStringList statements{
        QStringLiteral("UPDATE tAccount SET YE=") + amount + QStringLiteral(",Init=") + amount +
            QStringLiteral(" WHERE CODE=") + digit,
        QStringLiteral("DELETE FROM tJXC WHERE CODE=") + digit,
        QStringLiteral("DELETE FROM tStore WHERE CODE=") + digit,
    };
    for (const QString &sql : statements) {
        if (!ledger.execute(sql, &error)) {
            transaction.rollback();
            prompter.inform(failureText(failed, error));
            return false;
        }
    }
    if (!transaction.commit(&error)) {
        prompter.inform(failureText(failed, error));
        return false;
    }
    prompter.inform(QStringLiteral("初始化成功!"));
    return true;
}

bool changePassword(const QString &userCode, const QString &oldText, const QString &newText,
                    const QString &confirmText, Ledger &ledger, Prompter &prompter)
{
    const QString newPassword = trimText(newText);
    if (newPassword != trimText(confirmText)) {
        prompter.inform(QStringLiteral("对不起,新密码不一致!"));
        return false;
    }
    LedgerRows rows;
    QString error;
    if (!ledger.select(QStringLiteral("SELECT PWD FROM TUSER WHERE CODE=%1").arg(sqlLiteral(userCode)),
                       rows, &error)) {
        prompter.inform(QStringLiteral("对不起,读取用户表失败!"));
        return false;
    }
    if (rows.isEmpty()) {
        prompter.inform(QStringLiteral("对不起,该用户不存在!"));
        return false;
    }
    if (scrambleTypedPassword(oldText) != trimText(rows.text(0, QStringLiteral("PWD")))) {
        prompter.inform(QStringLiteral("对不起,旧密码错误!"));
        return false;
    }
    if (!prompter.confirm(QStringLiteral("请确认是否修改密码")))
        return false;
    const QString sql = QStringLiteral("UPDATE TUSER SET PWD=%1 WHERE CODE=%2")
                            .arg(sqlLiteral(scrambleTypedPassword(newPassword)), sqlLiteral(userCode));
    if (!ledger.execute(sql, &error)) {
        prompter.inform(QStringLiteral("对不起,修改密码失败!"));
        return false;
    }
    prompter.inform(QStringLiteral("修改密码成功!"));
    return true;
}

} // namespace yanlan
