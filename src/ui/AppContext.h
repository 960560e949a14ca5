#pragma once

#include "common/Seams.h"
#include "market/QuotePanel.h"
#include "market/QuoteSettings.h"
#include "storage/Ledger.h"

#include <QString>

namespace yanlan {

// What the screens share: the ledger, the quote service, the user's dialogs, today, and the
// record of the last looked-up security.
struct AppContext {
    Ledger *ledger = nullptr;
    QuoteSettings quoteSettings;
    Prompter *prompter = nullptr;
    Clock *clock = nullptr;
    SaveFileChooser *fileChooser = nullptr;
    CurrentQuote currentQuote;
    QString userCode = QStringLiteral("Admin");
};

} // namespace yanlan
