#include "OrderChecks.h"

#include "OrderQuantity.h"
#include "TradeMessages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

namespace yanlan {

namespace {

FieldCheck refuse(const QString &message)
{
    FieldCheck check;
    check.refusal = message;
    return check;
}

} // namespace

FieldCheck checkOrderFields(const OrderInput &input)
{
    if (trimText(input.codeText).isEmpty())
        return refuse(msg::trade::CodeEmpty);
    // a suspended security is quoted at 0
    if (textToNumber(input.priceText) == 0)
        return refuse(msg::trade::Suspended);
    if (textToNumber(input.quantityText) == 0)
        return refuse(msg::trade::QuantityEmpty);
    if (trimText(input.quantityText).contains(QLatin1Char('.')))
        return refuse(msg::trade::QuantityNotWhole);

    // Reading the text as a decimal number lets "1e3", "+100", "-100" and numbers
    // past the 32-bit range through; none of them may reach the statements.
    const OrderQuantity quantity = parseOrderQuantity(input.quantityText);
    switch (quantity.problem) {
    case OrderQuantity::Problem::None:
        break;
    case OrderQuantity::Problem::Zero:
        return refuse(msg::trade::QuantityEmpty);
    case OrderQuantity::Problem::NotWhole:
        return refuse(msg::trade::QuantityNotWhole);
    case OrderQuantity::Problem::Negative:
        return refuse(msg::trade::QuantityNegative);
    case OrderQuantity::Problem::TooLarge:
        return refuse(msg::trade::QuantityTooLarge);
    }
    FieldCheck check;
    check.quantity = quantity.value;
    return check;
}

} // namespace yanlan
