#pragma once

// Fills a CurrentQuote from the ledger with the statements the quote panels run
// (cash, position, today's buys), for a quote made up by the test instead of one
// fetched from the quote service. Header only: the crash test's child uses it too.

#include "common/AccountCode.h"
#include "common/Dates.h"
#include "common/Text.h"
#include "market/QuotePanel.h"
#include "storage/Ledger.h"

#include <QDate>

namespace yanlan::test {

inline bool quoteFromLedger(Ledger &ledger, AccountCode account, const QString &code,
                            const QString &name, double price, const QDate &today,
                            CurrentQuote &current, QString *error)
{
    const QString digit = account.digitText();
    current = CurrentQuote{};
    current.code = code;
    current.name = name;
    current.price = price;

    LedgerRows rows;
    if (!ledger.select(QStringLiteral("SELECT YE From tAccount WHERE CODE=") + digit, rows, error))
        return false;
    current.cash = rows.number(0, QStringLiteral("YE"));

    if (!ledger.select(QStringLiteral("SELECT cbj,SL From tStore WHERE CODE=") + digit +
                           QStringLiteral(" AND GP=") + sqlLiteral(code),
                       rows, error))
        return false;
    current.heldCost = rows.number(0, QStringLiteral("cbj"));
    current.heldQuantity = static_cast<int>(rows.integer(0, QStringLiteral("SL")));

    if (!ledger.select(QStringLiteral("SELECT SUM(IIF(SL IS NULL,0,SL)) FROM tJXC WHERE code=") + digit +
                           QStringLiteral(" AND flag=1 AND GP=") + sqlLiteral(code) +
                           QStringLiteral(" AND format(dtDate,\"yyyymmdd\")=") +
                           sqlLiteral(yyyymmdd(today)),
                       rows, error))
        return false;
    current.sellableQuantity = current.heldQuantity - static_cast<int>(rows.integer(0, 0));
    return true;
}

} // namespace yanlan::test
