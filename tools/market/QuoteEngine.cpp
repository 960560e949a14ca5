#include "QuoteEngine.h"

#include <QStringEncoder>
#include <algorithm>

namespace market {

namespace {

// splitmix64 finaliser: cheap, well spread, and the same on every platform and run
std::uint64_t mix(std::uint64_t z)
{
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t codeHash(const QString &code)
{
    std::uint64_t h = 0xCBF29CE484222325ULL;  // FNV-1a
    for (QChar c : code) {
        h ^= c.unicode();
        h *= 0x100000001B3ULL;
    }
    return h;
}

// what a hash draw is used for, so draws for different purposes are independent
enum Salt : std::uint64_t {
    PrevClose = 1, Gap, Liquidity, Step, MinuteVolume, OddLot, BookSide, BookVolume, BookOddLot
};

std::int64_t draw(std::uint64_t base, Salt salt, std::uint64_t k, std::int64_t range)
{
    return std::int64_t(mix(base ^ mix((std::uint64_t(salt) << 40) ^ k)) % std::uint64_t(range));
}

} // namespace

std::int64_t limitUpFor(std::int64_t prevClose) { return (prevClose * 11 + 5) / 10; }
std::int64_t limitDownFor(std::int64_t prevClose) { return (prevClose * 9 + 5) / 10; }

std::int64_t Quote::changeBasisPoints() const
{
    if (suspended || prevClose <= 0)
        return 0;
    const std::int64_t num = (price - prevClose) * 10000;
    return num >= 0 ? (num + prevClose / 2) / prevClose : -((-num + prevClose / 2) / prevClose);
}

int QuoteEngine::sessionMinute(const QTime &t)
{
    const int m = t.hour() * 60 + t.minute();
    constexpr int morningOpen = 9 * 60 + 30, morningClose = 11 * 60 + 30;
    constexpr int afternoonOpen = 13 * 60, afternoonClose = 15 * 60;
    if (m < morningOpen)
        return 0;
    if (m < morningClose)
        return m - morningOpen;
    if (m < afternoonOpen)
        return 120;
    if (m < afternoonClose)
        return 120 + (m - afternoonOpen);
    return 240;
}

Quote QuoteEngine::quote(const Security &s, const QDateTime &now) const
{
    Quote q;
    q.stamp = now;

    // With a seed the day and the minute are pinned, so only seed and code count.
    const QDate date = now.date();
    const std::uint64_t day = m_seed ? 0 : std::uint64_t(date.year() * 10000 + date.month() * 100 + date.day());
    const int minute = m_seed ? 240 : sessionMinute(now.time());
    const std::uint64_t seedPart = m_seed ? mix(*m_seed ^ 0x5EEDULL) : 0x0123456789ABCDEFULL;
    const std::uint64_t base = mix(seedPart ^ mix(codeHash(s.code) ^ mix(day)));

    std::int64_t prev;
    if (s.code == QLatin1String("sh000001"))
        prev = 280000 + draw(base, PrevClose, 0, 40001);      // 2800.00 .. 3200.00
    else if (s.code == QLatin1String("sz399001"))
        prev = 950000 + draw(base, PrevClose, 0, 100001);     // 9500.00 .. 10500.00
    else
        prev = 200 + draw(base, PrevClose, 0, 7801);          // 2.00 .. 80.00
    q.prevClose = prev;
    q.limitUp = limitUpFor(prev);
    q.limitDown = limitDownFor(prev);

    if (s.fixture == Fixture::Suspended) {
        q.suspended = true;
        return q;
    }

    const auto clamp = [&q](std::int64_t p) { return std::clamp(p, q.limitDown, q.limitUp); };
    const std::int64_t unit = std::max<std::int64_t>(1, s.isIndex ? prev / 2000 : prev / 500);
    const std::int64_t lotsPerMinute = s.isIndex ? 2000000 + draw(base, Liquidity, 0, 1000000)
                                                 : 10 + draw(base, Liquidity, 0, 2000);
    const auto minuteVolume = [&](int k) {
        const std::int64_t lots = std::max<std::int64_t>(1, lotsPerMinute * (50 + draw(base, MinuteVolume, k, 101)) / 100);
        std::int64_t shares = lots * 100;
        if (!s.isIndex && draw(base, OddLot, k, 23) == 0)
            shares += 1 + draw(base, OddLot, k + 1000, 99);
        return shares;
    };
    // An index trades in points, so its turnover is valued at a notional 12.00 yuan a share
    // that moves with the index; a stock's turnover is simply shares times trade price.
    const auto trade = [&](std::int64_t shares, std::int64_t price) {
        q.volume += shares;
        q.turnoverFen += shares * (s.isIndex ? 1200 * price / prev : price);
    };

    // opening auction, then a random walk of one step per session minute
    q.open = clamp(prev + prev * (draw(base, Gap, 0, 61) - 30) / 1000);
    q.price = q.high = q.low = q.open;
    trade(minuteVolume(0) * 2, q.open);
    for (int k = 1; k <= minute; ++k) {
        q.price = clamp(q.price + (draw(base, Step, k, 5) - 2) * unit);
        q.high = std::max(q.high, q.price);
        q.low = std::min(q.low, q.price);
        trade(minuteVolume(k), q.price);
    }
    if (s.fixture == Fixture::LimitUp || s.fixture == Fixture::LimitDown) {
        q.price = s.fixture == Fixture::LimitUp ? q.limitUp : q.limitDown;
        q.high = std::max(q.high, q.price);
        q.low = std::min(q.low, q.price);
        trade(minuteVolume(minute + 1), q.price);
    }

    if (s.isIndex)
        return q;  // an index has no order book

    // Five levels a side on consecutive ticks. At limit-up nobody sells below the limit and
    // nobody may sell above it, so the ask side is empty; at limit-down the bid side is.
    const bool atUp = q.price >= q.limitUp;
    const bool atDown = !atUp && q.price <= q.limitDown;
    std::int64_t bid1 = q.price;
    if (!atUp && !atDown && draw(base, BookSide, minute, 2) == 1)
        bid1 = q.price - 1;
    const std::int64_t ask1 = atDown ? q.limitDown : bid1 + 1;
    const auto levelVolume = [&](int side, int i, bool queueAtLimit) {
        std::int64_t lots = 1 + draw(base, BookVolume, std::uint64_t(minute * 10 + side * 5 + i), 600);
        if (queueAtLimit && i == 0)
            lots *= 40;
        std::int64_t shares = lots * 100;
        if (draw(base, BookOddLot, std::uint64_t(minute * 10 + side * 5 + i), 7) == 0)
            shares += 1 + draw(base, BookOddLot, std::uint64_t(100000 + minute * 10 + side * 5 + i), 99);
        return shares;
    };
    for (int i = 0; i < 5; ++i) {
        const std::int64_t bp = bid1 - i;
        if (!atDown && bp >= q.limitDown)
            q.bids[size_t(i)] = {bp, levelVolume(0, i, atUp)};
        const std::int64_t ap = ask1 + i;
        if (!atUp && ap <= q.limitUp)
            q.asks[size_t(i)] = {ap, levelVolume(1, i, atDown)};
    }
    return q;
}

QString priceText(std::int64_t fen)
{
    return QString::asprintf("%lld.%02lld0", static_cast<long long>(fen / 100),
                             static_cast<long long>(fen % 100));
}

QString quoteFields(const Security &s, const Quote &q)
{
    QStringList f;
    f.reserve(33);
    f << s.quoteName << priceText(q.open) << priceText(q.prevClose) << priceText(q.price)
      << priceText(q.high) << priceText(q.low) << priceText(q.bids[0].price)
      << priceText(q.asks[0].price) << QString::number(q.volume) << priceText(q.turnoverFen);
    for (const Level &l : q.bids)
        f << QString::number(l.volume) << priceText(l.price);
    for (const Level &l : q.asks)
        f << QString::number(l.volume) << priceText(l.price);
    f << q.stamp.toString(QStringLiteral("yyyy-MM-dd")) << q.stamp.toString(QStringLiteral("HH:mm:ss"))
      << (q.suspended ? QStringLiteral("03") : QStringLiteral("00"));
    return f.join(QLatin1Char(','));
}

QByteArray quoteLine(const QString &askedCode, const QString &fields)
{
    QStringEncoder gbk("GBK");
    return gbk(QStringLiteral("var hq_str_%1=\"%2\";\n").arg(askedCode, fields));
}

} // namespace market
