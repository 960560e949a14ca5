#include "OrderQuantity.h"

#include "common/Text.h"

#include <limits>

namespace yanlan {

namespace {

bool isAsciiDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    }
    return true;
}

} // namespace

OrderQuantity parseOrderQuantity(const QString &text)
{
    const QString trimmed = trimText(text);
    OrderQuantity result;
    if (trimmed.startsWith(QLatin1Char('-')) && isAsciiDigits(QStringView(trimmed).mid(1))) {
        // "-0" is no quantity at all rather than a negative one
        const bool allZero = QStringView(trimmed).mid(1).count(QLatin1Char('0')) == trimmed.size() - 1;
        result.problem = allZero ? OrderQuantity::Problem::Zero : OrderQuantity::Problem::Negative;
        return result;
    }
    if (!isAsciiDigits(trimmed)) {
        result.problem = OrderQuantity::Problem::NotWhole;
        return result;
    }
    // only digits are left, so a failed conversion can only mean overflow
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok || value > std::numeric_limits<int>::max()) {
        result.problem = OrderQuantity::Problem::TooLarge;
        return result;
    }
    if (value == 0) {
        result.problem = OrderQuantity::Problem::Zero;
        return result;
    }
    result.problem = OrderQuantity::Problem::None;
    result.value = static_cast<int>(value);
    return result;
}

} // namespace yanlan
