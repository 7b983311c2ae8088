#pragma once
// Money at the cent, rounded as the order screen rounds it.

#include <QString>
#include <cmath>

// Half away from zero at the cent, on the decimal the value prints as, so
// 1.005 becomes 1.01 as it does on the screen.
inline double roundCents(double value)
{
    const double cents = QString::number(value * 100.0, 'g', 15).toDouble();
    return std::round(cents) / 100.0;
}

// An item's goods before its discount: the unit price at the cent times the
// quantity, at the cent.
inline double goodsValue(double unitPrice, double quantity)
{
    return roundCents(roundCents(unitPrice) * quantity);
}

// An item's goods less its discount at the cent, before rounding the result.
inline double netGoodsValue(double unitPrice, double quantity, double discount)
{
    return goodsValue(unitPrice, quantity) - roundCents(discount);
}
