#pragma once

#include "QuoteSettings.h"
#include "StockQuote.h"
#include "common/AccountCode.h"
#include "common/Seams.h"
#include "storage/Ledger.h"

#include <QString>
#include <QStringList>

namespace yanlan {

// The main window's record of the security looked up last.
struct CurrentQuote
{
    QString code; // prefixed, "sz000001"
    QString name;
    double price = 0;
    double cash = 0;
    double heldCost = 0;
    int heldQuantity = 0;
    int sellableQuantity = 0;
};

enum class PanelSide { Buy, Sell };

// The texts the quote panel shows.
struct PanelView
{
    QString name;
    QString priceText;
    QString cashText;        // buy side only
    QString buyableText;     // buy side only
    QString sellableText;    // sell side only
    QStringList quoteFields; // 20 texts under quoteFieldCaptions(), index 0 = field 1
    // +1 when the price is above the previous close, -1 below, 0 level or not trading:
    // the screen shows rises in red and falls in green
    int trend = 0;
};

struct PanelOutcome
{
    enum class Kind { Cleared, Filled, Failed };
    Kind kind = Kind::Cleared;
    PanelView view;
    QString message; // when Failed
};

// Captions of the 20 quote fields, in order.
QStringList quoteFieldCaptions();

// The 20 quote-field texts of a quote.
QStringList quoteFieldTexts(const StockQuote &quote);

// Looks the code up and fills the panel of one account's buy or sell page.
// An empty code clears the panel without a request. The fields of `current` are
// updated as the lookup goes; those set before a failure keep their new values.
PanelOutcome lookupPanel(AccountCode account, PanelSide side, const QString &codeText,
                         CurrentQuote &current, Ledger &ledger, const QuoteSettings &settings,
                         const Clock &clock);

} // namespace yanlan
