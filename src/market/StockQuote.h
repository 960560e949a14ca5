#pragma once

#include <QString>
#include <QStringList>

namespace yanlan {

// One quote reply split into its comma-separated fields:
// 0 name, 1 open, 2 previous close, 3 price, 4 high, 5 low, 6 bid, 7 ask, 8 volume (shares),
// 9 turnover (yuan), 10-19 the five bids (volume, price), 20-29 the five asks
// (volume, price), then date, time and a status.
struct StockQuote
{
    enum Field {
        NameField = 0,
        OpenField = 1,
        PrevCloseField = 2,
        PriceField = 3,
        HighField = 4,
        LowField = 5,
        BidField = 6,
        AskField = 7,
        VolumeField = 8,
        TurnoverField = 9,
    };
    // k = 1..5, best first
    static constexpr int bidVolumeField(int k) { return 8 + 2 * k; }
    static constexpr int bidPriceField(int k) { return 9 + 2 * k; }
    static constexpr int askVolumeField(int k) { return 18 + 2 * k; }
    static constexpr int askPriceField(int k) { return 19 + 2 * k; }

    QStringList fields;

    int fieldCount() const { return static_cast<int>(fields.size()); }
    // The field without characters of code 32 or less at either end; empty when missing.
    QString text(int index) const;
    // The field read as a decimal number; 0 when missing or unreadable.
    double number(int index) const;

    QString name() const { return text(NameField); }
    double open() const { return number(OpenField); }
    double prevClose() const { return number(PrevCloseField); }
    double price() const { return number(PriceField); }
    double high() const { return number(HighField); }
    double low() const { return number(LowField); }
    double bid() const { return number(BidField); }
    double ask() const { return number(AskField); }
    double volume() const { return number(VolumeField); }
    double turnover() const { return number(TurnoverField); }
    double bidVolume(int k) const { return number(bidVolumeField(k)); }
    double bidPrice(int k) const { return number(bidPriceField(k)); }
    double askVolume(int k) const { return number(askVolumeField(k)); }
    double askPrice(int k) const { return number(askPriceField(k)); }
};

// Splits a reply such as `var hq_str_sz000001="平安银行,10.50,...,00";` into fields.
// Everything after the first double quote is read, except the reply's very last
// character; a name with blanks in it stays one field. Never reads out of range.
StockQuote parseQuote(const QString &body);

} // namespace yanlan
