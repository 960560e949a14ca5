#include "AccountSummary.h"

#include "common/Messages.h"
#include "common/NumberFormat.h"

namespace yanlan {

AccountSummaryTexts computeSummary(AccountCode account, double marketValue, Ledger &ledger,
                                   Prompter &prompter)
{
    AccountSummaryTexts texts;
    texts.marketValue = formatFixed2(marketValue);

    LedgerRows rows;
    QString error;
    if (!ledger.select(QStringLiteral("SELECT YE,Init From tAccount WHERE CODE=") +
                           account.digitText(),
                       rows, &error)) {
        prompter.inform(reportFailureText(msg::ReadTableFailed, error));
        return texts;
    }
    // a missing account row reads as zeros
    const double cash = rows.number(0, QStringLiteral("YE"));
    const double initial = rows.number(0, QStringLiteral("Init"));
    const double total = cash + marketValue;
    texts.cash = formatFixed2(cash);
    texts.total = formatFixed2(total);
    texts.initial = formatFixed2(initial);
    texts.profit = formatFixed2(total - initial);
    texts.rate = initial != 0 ? formatShort((total - initial) * 100 / initial) : QString();
    texts.accountRead = true;
    return texts;
}

} // namespace yanlan
