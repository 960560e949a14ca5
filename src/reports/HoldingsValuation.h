#pragma once

#include "AccountSummary.h"
#include "common/AccountCode.h"
#include "common/Seams.h"
#include "market/QuoteSettings.h"
#include "storage/Ledger.h"

#include <QString>
#include <QVector>

#include <optional>

namespace yanlan {

// One held security valued at its current price.
struct HoldingRow
{
    QString gp;     // GP: prefixed code, "sz000001"
    QString gpCode; // GPCODE: the code without its market prefix, "000001"
    QString gpName; // GPNAME: the name of the latest buy
    int zqsl = 0;   // ZQSL: shares held
    int kmsl = 0;   // KMSL: shares that may be sold today (bought before today)
    double cbj = 0;   // CBJ: cost price, to two decimals
    double curDj = 0; // CurDJ: current price (the previous close while the price is 0)
    double cgje = 0;  // CGJE: market value, ZQSL × CurDJ
    double fdyk = 0;  // FDYK: floating profit including what the sells realised
    std::optional<double> ykl; // YKL: profit in percent of the amount bought; none when nothing was paid
};

struct HoldingsRefresh
{
    // The list of securities the account ever bought was read; the export tests these two.
    bool listOpened = false;
    int listRowCount = 0;
    // Held securities valued before the walk ended, in ascending code order.
    QVector<HoldingRow> rows;
    // Every security was valued; only then is there a summary.
    bool completed = false;
    std::optional<AccountSummaryTexts> summary;
};

// Values every security the account holds at its current quote and works out the
// account summary. Quotes are fetched together; the first failure, in the order a
// one-by-one walk over the securities meets it, is reported through the prompter and
// ends the valuation.
HoldingsRefresh refreshHoldings(AccountCode account, Ledger &ledger, const QuoteSettings &quotes,
                                const Clock &clock, Prompter &prompter);

} // namespace yanlan
