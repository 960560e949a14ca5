#pragma once

#include "Universe.h"

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <cstdint>
#include <optional>

namespace market {

// One book level; price 0 and volume 0 mean the level is empty.
struct Level {
    std::int64_t price = 0;   // in fen (0.01 yuan)
    std::int64_t volume = 0;  // in shares
};

// All prices in fen; an index is quoted in hundredths of a point.
struct Quote {
    std::int64_t prevClose = 0;
    std::int64_t open = 0;
    std::int64_t price = 0;
    std::int64_t high = 0;
    std::int64_t low = 0;
    std::int64_t limitUp = 0;
    std::int64_t limitDown = 0;
    std::int64_t volume = 0;          // shares
    std::int64_t turnoverFen = 0;     // sum of trade volume times trade price
    std::array<Level, 5> bids{};
    std::array<Level, 5> asks{};
    bool suspended = false;
    QDateTime stamp;                  // date and time shown in the quote

    // change against the previous close in hundredths of a percent, rounded half away from zero
    std::int64_t changeBasisPoints() const;
};

// Price limits for a previous close: ±10 %, rounded half-up to the fen.
std::int64_t limitUpFor(std::int64_t prevClose);
std::int64_t limitDownFor(std::int64_t prevClose);

// Makes the simulated quotes. Without a seed the figures follow the trading day and the
// minute of the session; with a seed they depend on the seed and the code only.
class QuoteEngine {
public:
    explicit QuoteEngine(std::optional<std::uint64_t> seed = std::nullopt) : m_seed(seed) {}

    Quote quote(const Security &s, const QDateTime &now) const;

    // Minute of the continuous session: 0 up to 09:30, 120 over the lunch break, 240 from 15:00.
    static int sessionMinute(const QTime &t);

private:
    std::optional<std::uint64_t> m_seed;
};

// The 33 comma-separated fields of a quote line (without the var hq_str_ wrapper).
QString quoteFields(const Security &s, const Quote &q);
// The full answer line `var hq_str_<code>="...";\n`, GBK-encoded.
QByteArray quoteLine(const QString &askedCode, const QString &fields);
// Price text with three decimals, e.g. 1050 → "10.500".
QString priceText(std::int64_t fen);

} // namespace market
