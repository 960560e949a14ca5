#pragma once

#include "OrderInput.h"
#include "common/Seams.h"
#include "market/QuotePanel.h"
#include "storage/Ledger.h"

namespace yanlan {

// The sell button of an account's sell tab: checks the fields and the sellable
// quantity (shares bought today are not in it), asks for confirmation, then books
// the journal row with the cost price, the lowered position and the cash credit in
// one transaction. Every message goes through the prompter; none is shown while
// the transaction is open.
OrderOutcome placeSellOrder(const OrderInput &input, const CurrentQuote &current, Ledger &ledger,
                            Prompter &prompter);

} // namespace yanlan
