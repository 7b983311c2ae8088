#pragma once
// An item's goods value at the cent, as the order totals count it.

#include "money.h"

// The unit price at the cent times the quantity, at the cent.
inline double goodsValue(double unitPrice, double quantity)
{
    return RoundDec(RoundDec(unitPrice, 2) * quantity, 2);
}

// The goods value less the discount at the cent, before rounding the result.
inline double netGoodsValue(double unitPrice, double quantity, double discount)
{
    return goodsValue(unitPrice, quantity) - RoundDec(discount, 2);
}
