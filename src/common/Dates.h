#pragma once

#include <QDate>
#include <QString>

namespace yanlan {

QString yyyymmdd(const QDate &date);

// First day of the default history range: one calendar month back, plus one day.
QDate historyRangeBegin(const QDate &today);

} // namespace yanlan
