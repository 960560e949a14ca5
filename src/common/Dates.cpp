#include "Dates.h"

namespace yanlan {

QString yyyymmdd(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QDate historyRangeBegin(const QDate &today)
{
    // addMonths keeps the day or falls back to the last day of a shorter month
    return today.addMonths(-1).addDays(1);
}

} // namespace yanlan
