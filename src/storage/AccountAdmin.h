#pragma once

#include "common/AccountCode.h"
#include "common/Seams.h"
#include "storage/Ledger.h"

#include <QString>
#include <array>

namespace yanlan {

// Titles and balances of the three accounts as the navigation and the settings page show them.
struct AccountTitles {
    std::array<QString, 3> titles;
    std::array<QString, 3> balances; // "0.##" text of YE
    bool loaded = false;             // false when the read failed and the defaults stand
};

// Defaults first, then every tAccount row of account 1, 2 or 3; a failed read is reported
// and leaves the defaults.
AccountTitles loadAccountTitles(Ledger &ledger, Prompter &prompter);

// The settings page's actions; each returns true when it changed the ledger.
bool saveAccountTitle(AccountCode account, const QString &titleText, Ledger &ledger,
                      Prompter &prompter);
bool reinitialiseAccount(AccountCode account, const QString &balanceText,
                         const QString &titleText, Ledger &ledger, Prompter &prompter);
bool changePassword(const QString &userCode, const QString &oldText, const QString &newText,
                    const QString &confirmText, Ledger &ledger, Prompter &prompter);

} // namespace yanlan
