#pragma once

#include "common/AccountCode.h"
#include "common/Seams.h"
#include "storage/Ledger.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

#include <optional>

namespace yanlan {

// What the history page asks for. A null date is a field left empty.
struct HistoryFilter
{
    QDate begin;
    QDate end;
    int direction = 0; // 0 either, 1 买入 (buys), 2 卖出 (sells)
    QString text;      // part of a code or a name
};

// The direction the page's drop-down text stands for: 1 for "买入", 2 for "卖出", else 0.
int historyDirection(const QString &choice);

// One journal row of tJXC.
struct HistoryRow
{
    qint64 autoId = 0;
    QString gp;
    QString gpName;
    QDateTime dtDate;
    int flag = 0;
    qint64 sl = 0;
    double dj = 0;
    double je = 0;
    std::optional<double> cbj; // none when the ledger holds NULL
    std::optional<double> sy;  // profit of a sell, (dj − cbj) × sl to two decimals
};

struct HistoryResult
{
    bool opened = false;
    QVector<HistoryRow> rows;
};

// SELECT * FROM tJXC WHERE CODE=d ... ORDER BY dtDate,AutoID for the filter.
QString historyStatement(AccountCode account, const HistoryFilter &filter);

// The account's journal rows the filter picks, oldest first. A failed read is reported
// through the prompter and gives no rows.
HistoryResult queryHistory(AccountCode account, const HistoryFilter &filter, Ledger &ledger,
                           Prompter &prompter);

} // namespace yanlan
