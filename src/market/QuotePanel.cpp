#include "QuotePanel.h"

#include "QuoteClient.h"
#include "common/Dates.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

#include <cmath>

namespace yanlan {

namespace {

PanelOutcome failed(const QString &message)
{
    PanelOutcome outcome;
    outcome.kind = PanelOutcome::Kind::Failed;
    outcome.message = message;
    return outcome;
}

// "price/lots": a price level and its volume in lots of 100 shares, rounded.
QString levelText(const StockQuote &quote, int priceField, int volumeField)
{
    return quote.text(priceField) + QLatin1Char('/') + formatWhole(quote.number(volumeField) / 100);
}

} // namespace

QStringList quoteFieldCaptions()
{
    return {
        QStringLiteral("涨停价(元)"),  QStringLiteral("跌停价(元)"),  QStringLiteral("涨跌额(元)"),
        QStringLiteral("最低价(元)"),  QStringLiteral("最高价(元)"),  QStringLiteral("涨跌幅%"),
        QStringLiteral("成交量(手)"),  QStringLiteral("成交额(万)"),  QStringLiteral("竞买价(元)"),
        QStringLiteral("竞卖价(元)"),  QStringLiteral("买一(元)/手"), QStringLiteral("买二(元)/手"),
        QStringLiteral("买三(元)/手"), QStringLiteral("买四(元)/手"), QStringLiteral("买五(元)/手"),
        QStringLiteral("卖一(元)/手"), QStringLiteral("卖二(元)/手"), QStringLiteral("卖三(元)/手"),
        QStringLiteral("卖四(元)/手"), QStringLiteral("卖五(元)/手"),
    };
}

QStringList quoteFieldTexts(const StockQuote &quote)
{
    const double prevClose = quote.prevClose();
    const double price = quote.price();
    QStringList texts;
    texts << formatFixed2(prevClose * 1.1);
    texts << formatFixed2(prevClose * 0.9);
    texts << formatFixed2(price - prevClose);
    texts << quote.text(StockQuote::LowField);
    texts << quote.text(StockQuote::HighField);
    texts << (prevClose == 0 ? QString() : formatFixed2((price - prevClose) * 100 / prevClose));
    texts << formatWhole(std::trunc(quote.volume() / 100)); // whole lots, the rest cut off
    texts << formatFixed2(quote.turnover() / 10000);
    texts << quote.text(StockQuote::BidField);
    texts << quote.text(StockQuote::AskField);
    for (int k = 1; k <= 5; ++k)
        texts << levelText(quote, StockQuote::bidPriceField(k), StockQuote::bidVolumeField(k));
    for (int k = 1; k <= 5; ++k)
        texts << levelText(quote, StockQuote::askPriceField(k), StockQuote::askVolumeField(k));
    return texts;
}

PanelOutcome lookupPanel(AccountCode account, PanelSide side, const QString &codeText,
                         CurrentQuote &current, Ledger &ledger, const QuoteSettings &settings,
                         const Clock &clock)
{
    const QString code = trimText(codeText);
    if (code.isEmpty())
        return PanelOutcome{};

    const LookupResult lookup = lookupQuote(settings, code);
    if (lookup.status == LookupResult::Status::ReadFailed)
        return failed(failureText(msg::ReadQuoteFailed, lookup.error));
    if (lookup.status == LookupResult::Status::NotFound)
        return failed(msg::QuoteNotFound);

    const StockQuote quote = parseQuote(lookup.body);
    current.code = lookup.prefixedCode;
    current.name = quote.name();

    PanelView view;
    const QString accountDigit = account.digitText();
    LedgerRows rows;
    QString error;

    if (!ledger.select(QStringLiteral("SELECT YE From tAccount WHERE CODE=") + accountDigit, rows,
                       &error))
        return failed(failureText(msg::ReadTableFailed, error));
    current.cash = rows.number(0, QStringLiteral("YE"));
    if (side == PanelSide::Buy)
        view.cashText = formatFixed2(current.cash);

    if (!ledger.select(QStringLiteral("SELECT cbj,SL From tStore WHERE CODE=") + accountDigit +
                           QStringLiteral(" AND GP=") + sqlLiteral(current.code),
                       rows, &error))
        return failed(failureText(msg::ReadTableFailed, error));
    current.heldCost = rows.number(0, QStringLiteral("cbj"));
    current.heldQuantity = static_cast<int>(rows.integer(0, QStringLiteral("SL")));

    if (side == PanelSide::Sell) {
        // shares bought today cannot be sold before the next trading day
        if (!ledger.select(
                QStringLiteral("SELECT SUM(IIF(SL IS NULL,0,SL)) FROM tJXC WHERE code=") +
                    accountDigit + QStringLiteral(" AND flag=1 AND GP=") +
                    sqlLiteral(current.code) + QStringLiteral(" AND format(dtDate,\"yyyymmdd\")=") +
                    sqlLiteral(yyyymmdd(clock.today())),
                rows, &error))
            return failed(failureText(msg::ReadTableFailed, error));
        current.sellableQuantity = current.heldQuantity - static_cast<int>(rows.integer(0, 0));
        view.sellableText = QString::number(current.sellableQuantity);
    }

    current.price = quote.price();
    view.name = quote.name();
    view.priceText = formatShort(quote.price());

    if (side == PanelSide::Buy) {
        const double shownPrice = textToNumber(view.priceText);
        if (shownPrice != 0)
            view.buyableText = formatWhole(std::trunc(current.cash / shownPrice)); // fraction cut off
    }

    view.quoteFields = quoteFieldTexts(quote);
    if (quote.price() != 0 && quote.prevClose() != 0) {
        const double change = textToNumber(view.quoteFields.value(2)); // as shown, "0.00"
        view.trend = change > 0 ? 1 : (change < 0 ? -1 : 0);
    }

    PanelOutcome outcome;
    outcome.kind = PanelOutcome::Kind::Filled;
    outcome.view = view;
    return outcome;
}

} // namespace yanlan
