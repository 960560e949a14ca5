#include "LoginService.h"

#include "PasswordScrambler.h"
#include "common/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace yanlan {

namespace {
const QString FlagKey = QStringLiteral("SysSet/PWDFlag");
const QString PasswordKey = QStringLiteral("SysSet/UserPWD");
} // namespace

QString defaultConfigPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Config.ini"));
}

RememberedLogin loadRememberedLogin(const QString &configPath)
{
    RememberedLogin result;
    QSettings ini(configPath, QSettings::IniFormat);
    bool ok = false;
    const int flag = ini.value(FlagKey).toString().trimmed().toInt(&ok);
    result.remember = ok && flag != 0;
    if (result.remember)
        result.password = unscrambleToText(ini.value(PasswordKey).toString());
    return result;
}

bool storeRememberedLogin(const QString &configPath, bool remember, const QString &typedPassword,
                          QString *error)
{
    QSettings ini(configPath, QSettings::IniFormat);
    ini.setValue(FlagKey, remember ? QStringLiteral("1") : QStringLiteral("0"));
    if (remember)
        ini.setValue(PasswordKey, scrambleTypedPassword(typedPassword));
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("%1 cannot be written").arg(configPath);
        return false;
    }
    return true;
}

LoginCheck checkLogin(Ledger &ledger, const QString &userCode, const QString &typedPassword)
{
    LedgerRows rows;
    QString error;
    if (!ledger.select(QStringLiteral("select * from tUser where code=") + sqlLiteral(trimText(userCode)),
                       rows, &error))
        return LoginCheck::ReadFailed;
    if (rows.isEmpty())
        return LoginCheck::NoSuchUser;
    if (trimText(rows.text(0, QStringLiteral("pwd"))) != scrambleTypedPassword(typedPassword))
        return LoginCheck::WrongPassword;
    return LoginCheck::Accepted;
}

QString loginMessage(LoginCheck check)
{
    switch (check) {
    case LoginCheck::ReadFailed: return QStringLiteral("对不起,读取数据表错误!");
    case LoginCheck::NoSuchUser: return QStringLiteral("对不起,用户不存在!");
    case LoginCheck::WrongPassword: return QStringLiteral("对不起,密码错误!");
    case LoginCheck::Accepted: break;
    }
    return {};
}

} // namespace yanlan
