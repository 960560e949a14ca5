#include "SellOrder.h"

#include "OrderChecks.h"
#include "TradeMessages.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

namespace yanlan {

OrderOutcome placeSellOrder(const OrderInput &input, const CurrentQuote &current, Ledger &ledger,
                            Prompter &prompter)
{
    const FieldCheck check = checkOrderFields(input);
    if (!check.passed()) {
        prompter.inform(check.refusal);
        return OrderOutcome::Refused;
    }
    const int quantity = check.quantity;
    if (quantity > current.sellableQuantity) {
        prompter.inform(msg::trade::sellableExceeded(current.sellableQuantity));
        return OrderOutcome::Refused;
    }
    if (!prompter.confirm(msg::trade::ConfirmSell))
        return OrderOutcome::Cancelled;

    const QString account = input.account.digitText();
    const QString code = sqlLiteral(current.code);
    const QString quantityText = QString::number(quantity);
    const QString amountText = formatShort(static_cast<double>(quantity) * current.price);

    LedgerTransaction transaction(ledger);
    QString error;
    auto fail = [&]() {
        transaction.rollback(); // before the message: nothing stays locked behind the box
        prompter.inform(failureText(msg::trade::SellFailed, error));
        return OrderOutcome::Failed;
    };

    if (!transaction.begin(&error))
        return fail();

    // the journal keeps the cost price of the sale, from which the history derives the profit
    if (!ledger.execute(QStringLiteral("INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,cbj,flag) VALUES (") +
                            account + QLatin1Char(',') + code + QLatin1Char(',') +
                            sqlLiteral(current.name) + QLatin1Char(',') + quantityText +
                            QLatin1Char(',') + formatShort(current.price) + QLatin1Char(',') +
                            amountText + QLatin1Char(',') + formatShort(current.heldCost) +
                            QStringLiteral(",2)"),
                        &error))
        return fail();

    // the row stays, also at 0 shares, and keeps its cost price for the next buy to replace
    if (!ledger.execute(QStringLiteral("UPDATE tStore SET SL=IIF(SL IS NULL,0,SL)-") + quantityText +
                            QStringLiteral(" WHERE CODE=") + account + QStringLiteral(" AND GP=") + code,
                        &error))
        return fail();

    if (!ledger.execute(QStringLiteral("UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)+") + amountText +
                            QStringLiteral(" WHERE CODE=") + account,
                        &error))
        return fail();

    // a commit that fails has been rolled back by the ledger when this returns
    if (!transaction.commit(&error))
        return fail();

    prompter.inform(msg::trade::SellDone);
    return OrderOutcome::Done;
}

} // namespace yanlan
