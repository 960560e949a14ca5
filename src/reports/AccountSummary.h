#pragma once

#include "common/AccountCode.h"
#include "common/Seams.h"
#include "storage/Ledger.h"

#include <QString>

namespace yanlan {

// The six figures under the holdings grid, as the screen shows them.
struct AccountSummaryTexts
{
    QString marketValue; // 持股市值
    QString cash;        // 可用资金
    QString total;       // 总资产
    QString initial;     // 初始资金
    QString profit;      // 盈亏
    QString rate;        // 盈亏率(%): empty when the initial capital is 0
    // false when the account could not be read: then only marketValue is new
    bool accountRead = false;
};

// The account's figures for a market value M of its holdings. A failed read of the
// account is reported through the prompter.
AccountSummaryTexts computeSummary(AccountCode account, double marketValue, Ledger &ledger,
                                   Prompter &prompter);

} // namespace yanlan
