#pragma once

#include "common/AccountCode.h"

#include <QString>

namespace yanlan {

// The texts of a trading tab's fields as the user left them.
struct OrderInput
{
    AccountCode account{1};
    QString codeText;
    QString priceText;
    QString quantityText;
};

// How an order ended. Refused, Failed and Done have told the user why; the
// screen empties the code field and refreshes only after Done.
enum class OrderOutcome { Refused, Cancelled, Failed, Done };

} // namespace yanlan
