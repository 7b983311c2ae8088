#pragma once
// Money, prices, weights and quantities at a fixed number of decimals: the
// one rounding rule of client and server, and whole cents for sums that must
// add up to the cent.

#include <QList>
#include <QtGlobal>
#include <compare>
#include <string>

// Rounds half away from zero at `decimals` (0..15) places, on the decimal
// text of the value: the shortest text that reads back as the same double
// (1.005 is "1.005", not 1.00499999...), first taken to 15 significant
// digits, the precision a double carries safely, so that the noise of
// arithmetic (3.4499999999999997 from 1.15 * 3) does not decide the rounding.
// So 1.005 -> 1.01, 2.675 -> 2.68, -1.005 -> -1.01. NaN and infinities come
// back unchanged; decimals outside 0..15 throw std::invalid_argument.
// Money and prices take 2 decimals, quantities in stock units 5, weights
// whatever their column holds.
double RoundDec(double value, int decimals);

// The digits of |value| rounded as RoundDec rounds it: the integer digits
// (at least "0") and exactly `decimals` fraction digits. For display masks,
// which then group and pad them.
struct RoundedDigits {
    std::string integer;
    std::string fraction;
};
RoundedDigits roundedDigits(double value, int decimals);

// An amount of money as a whole number of cents. Sums, differences and
// splits of Cents are exact, so the parts of a split add up to its total.
//
//   const QList<Cents> parcelas = splitByPercentages(Cents::fromValue(100.0), {33.33, 33.33, 33.34});
//   parcelas.last().value()   // 33.34
class Cents {
public:
    constexpr Cents() = default;
    static constexpr Cents fromCount(qint64 cents) { return Cents(cents); }
    // RoundDec(value, 2) as cents. NaN, infinities and amounts beyond
    // 10^13 (where a double no longer holds every cent) throw
    // std::out_of_range.
    static Cents fromValue(double value);

    constexpr qint64 count() const { return m_cents; }
    double value() const { return double(m_cents) / 100.0; }

    constexpr Cents operator-() const { return Cents(-m_cents); }
    constexpr Cents& operator+=(Cents other) { m_cents += other.m_cents; return *this; }
    constexpr Cents& operator-=(Cents other) { m_cents -= other.m_cents; return *this; }
    friend constexpr Cents operator+(Cents a, Cents b) { return a += b; }
    friend constexpr Cents operator-(Cents a, Cents b) { return a -= b; }
    friend constexpr auto operator<=>(Cents, Cents) = default;

private:
    constexpr explicit Cents(qint64 cents) : m_cents(cents) {}
    qint64 m_cents = 0;
};

// `total` in `parts` (at least 1) installments: each but the last is the
// total divided by the parts, rounded half away from zero to the cent; the
// last takes what remains, so the parts add up to the total. 100.00 in 6
// parts: five of 16.67 and a last of 16.65.
QList<Cents> splitEvenly(Cents total, int parts);

// `total` shared by percentages (10 means 10 %): each part but the last is
// RoundDec(total x percentage / 100, 2); the last takes what remains, so the
// parts add up to the total whatever the percentages add up to. An empty
// list gives no parts.
QList<Cents> splitByPercentages(Cents total, const QList<double>& percentages);
