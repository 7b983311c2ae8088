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
