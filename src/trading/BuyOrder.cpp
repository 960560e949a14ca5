#include "BuyOrder.h"

#include "OrderChecks.h"
#include "TradeMessages.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

#include <limits>

namespace yanlan {

OrderOutcome placeBuyOrder(const OrderInput &input, const CurrentQuote &current, Ledger &ledger,
                           Prompter &prompter)
{
    const FieldCheck check = checkOrderFields(input);
    if (!check.passed()) {
        prompter.inform(check.refusal);
        return OrderOutcome::Refused;
    }
    const int quantity = check.quantity;
    const double amount = static_cast<double>(quantity) * current.price; // kept unrounded
    // compared as the two-decimal values the screen shows, so equal cash buys
    if (roundTo2(current.cash) < roundTo2(amount)) {
        prompter.inform(msg::trade::CashShort);
        return OrderOutcome::Refused;
    }
    if (!prompter.confirm(msg::trade::ConfirmBuy))
        return OrderOutcome::Cancelled;

    const QString account = input.account.digitText();
    const QString code = sqlLiteral(current.code);
    const QString quantityText = QString::number(quantity);
    const QString priceText = formatShort(current.price);
    const QString amountText = formatShort(amount);
    const QString position = QStringLiteral(" WHERE CODE=") + account + QStringLiteral(" AND GP=") + code;

    LedgerTransaction transaction(ledger);
    QString error;
    auto fail = [&](const QString &fixedText) {
        transaction.rollback(); // before the message: nothing stays locked behind the box
        prompter.inform(failureText(fixedText, error));
        return OrderOutcome::Failed;
    };

    if (!transaction.begin(&error))
        return fail(msg::trade::BuyFailed);

    if (!ledger.execute(QStringLiteral("INSERT INTO tJXC (CODE,GP,GPNAME,sl,dj,je,flag) VALUES (") +
                            account + QLatin1Char(',') + code + QLatin1Char(',') +
                            sqlLiteral(current.name) + QLatin1Char(',') + quantityText +
                            QLatin1Char(',') + priceText + QLatin1Char(',') + amountText +
                            QStringLiteral(",1)"),
                        &error))
        return fail(msg::trade::BuyFailed);

    LedgerRows held;
    if (!ledger.select(QStringLiteral("SELECT SL,IIF(SL IS NULL,0,SL)*IIF(CBJ IS NULL,0,CBJ) AS CBJE "
                                      "FROM tStore") + position,
                       held, &error))
        return fail(msg::ReadTableFailed);

    QString positionWrite;
    if (held.isEmpty()) {
        // the first cost price of a position is the price itself
        positionWrite = QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (") + account +
                        QLatin1Char(',') + code + QLatin1Char(',') + quantityText + QLatin1Char(',') +
                        priceText + QLatin1Char(')');
    } else {
        const qint64 newQuantity = held.integer(0, QStringLiteral("SL")) + quantity;
        if (newQuantity > std::numeric_limits<int>::max()) {
            // quantities are 32-bit everywhere they are read back
            transaction.rollback();
            prompter.inform(msg::trade::PositionTooLarge);
            return OrderOutcome::Refused;
        }
        if (newQuantity == 0) {
            // no average can be formed; the cost price stays
            positionWrite = QStringLiteral("UPDATE tStore SET SL=0") + position;
        } else {
            const double heldCost = held.number(0, QStringLiteral("CBJE"));
            positionWrite = QStringLiteral("UPDATE tStore SET SL=") + QString::number(newQuantity) +
                            QStringLiteral(",CBJ=") +
                            formatShort((heldCost + amount) / static_cast<double>(newQuantity)) +
                            position;
        }
    }
    if (!ledger.execute(positionWrite, &error))
        return fail(msg::trade::BuyFailed);

    if (!ledger.execute(QStringLiteral("UPDATE tAccount SET YE=iif(YE IS NULL,0,YE)-") + amountText +
                            QStringLiteral(" WHERE CODE=") + account,
                        &error))
        return fail(msg::trade::BuyFailed);

    // a commit that fails has been rolled back by the ledger when this returns
    if (!transaction.commit(&error))
        return fail(msg::trade::BuyFailed);

    prompter.inform(msg::trade::BuyDone);
    return OrderOutcome::Done;
}

} // namespace yanlan
