#pragma once

#include "OrderInput.h"
#include "common/Seams.h"
#include "market/QuotePanel.h"
#include "storage/Ledger.h"

namespace yanlan {

// The buy button of an account's buy tab: checks the fields and the cash, asks
// for confirmation, then books the journal row, the position and the cash debit
// in one transaction. Every message goes through the prompter; none is shown
// while the transaction is open.
OrderOutcome placeBuyOrder(const OrderInput &input, const CurrentQuote &current, Ledger &ledger,
                           Prompter &prompter);

} // namespace yanlan
