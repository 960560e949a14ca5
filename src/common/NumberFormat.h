#pragma once

#include <QString>

namespace yanlan {

// The display masks. All round halves away from zero on the decimal value of the
// number (taken to 15 significant digits first), use "." and no digit grouping.
QString formatFixed2(double value);  // "0.00": exactly two decimals
QString formatShort(double value);   // "0.##": at most two decimals, no trailing zeros
QString formatWhole(double value);   // "0":    a whole number

// The number a mask's text denotes ("0.00" of 1.005 read back is 1.01).
double roundTo2(double value);

// Trimmed text read as a decimal number with "." as the point; empty or
// unreadable text counts as 0.
double textToNumber(const QString &text);

// Shortest decimal form of a double, as the grids show plain numbers ("10.5", "7").
QString formatPlain(double value);

} // namespace yanlan
