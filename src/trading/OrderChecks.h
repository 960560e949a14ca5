#pragma once

#include "OrderInput.h"

#include <QString>

namespace yanlan {

// What the field checks shared by buy and sell found: the refusal to show, or
// (when refusal is empty) the quantity to trade.
struct FieldCheck
{
    QString refusal;
    int quantity = 0;

    bool passed() const { return refusal.isEmpty(); }
};

// The checks both orders run first, in this order: code, price (suspension),
// quantity not zero, no decimal point, a plain positive whole number in range.
FieldCheck checkOrderFields(const OrderInput &input);

} // namespace yanlan
