#pragma once

#include "storage/Ledger.h"

#include <QString>

namespace yanlan {

// The remembered password in Config.ini, section SysSet.
struct RememberedLogin {
    bool remember = false;
    QString password; // unscrambled, as the password field shows it
};

RememberedLogin loadRememberedLogin(const QString &configPath);
// Writes PWDFlag and, while remembering, UserPWD. False when the file cannot be written.
bool storeRememberedLogin(const QString &configPath, bool remember, const QString &typedPassword,
                          QString *error);

enum class LoginCheck { Accepted, ReadFailed, NoSuchUser, WrongPassword };
LoginCheck checkLogin(Ledger &ledger, const QString &userCode, const QString &typedPassword);
QString loginMessage(LoginCheck check);

// Config.ini in the folder of the running executable.
QString defaultConfigPath();

} // namespace yanlan
