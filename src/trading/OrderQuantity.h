#pragma once

#include <QString>

namespace yanlan {

// A quantity text read as a whole number of shares.
struct OrderQuantity
{
    enum class Problem {
        None,       // value holds the quantity
        Zero,       // "0", "000"
        NotWhole,   // anything but ASCII digits: "1e3", "１００", "+100", "12abc", "1 000", "1.5"
        Negative,   // "-" followed by ASCII digits only
        TooLarge,   // more than 2147483647
    };
    Problem problem = Problem::Zero;
    int value = 0;

    bool isValid() const { return problem == Problem::None; }
};

// Reads a quantity text: after trimming, a plain whole number of ASCII digits (no
// sign, no exponent, no point, no blanks inside) that fits a 32-bit signed integer
// and is greater than 0.
OrderQuantity parseOrderQuantity(const QString &text);

} // namespace yanlan
