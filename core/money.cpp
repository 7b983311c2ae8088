#include "money.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace {

// A non-negative decimal number as its digits and the position of the point
// within them: "123.45" is {"12345", 3}.
struct DecimalDigits {
    std::string digits;
    std::size_t pointPos = 0;
};

DecimalDigits toDecimalDigits(double magnitude)
{
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed);
    if (written.ec != std::errc())
        throw std::runtime_error("RoundDec: valor não representável");
    const std::string text(buffer, written.ptr);
    const std::size_t point = text.find('.');
    if (point == std::string::npos)
        return {text, text.size()};
    return {text.substr(0, point) + text.substr(point + 1), point};
}

// Keeps the first `keep` digits, rounding half up on the next one.
void roundAt(DecimalDigits& number, std::size_t keep)
{
    if (keep >= number.digits.size())
        return;
    const bool roundUp = number.digits[keep] >= '5';
    number.digits.resize(keep);
    if (!roundUp)
        return;
    std::size_t i = keep;
    while (i > 0) {
        --i;
        if (number.digits[i] != '9') {
            ++number.digits[i];
            return;
        }
        number.digits[i] = '0';
    }
    number.digits.insert(number.digits.begin(), '1');
    ++number.pointPos;
}

constexpr std::size_t SafeSignificantDigits = 15;

// |value| rounded half away from zero at `decimals` places.
DecimalDigits rounded(double value, int decimals)
{
    DecimalDigits number = toDecimalDigits(std::fabs(value));
    const std::size_t firstSignificant = number.digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return {std::string(), number.pointPos};
    roundAt(number, firstSignificant + SafeSignificantDigits);
    roundAt(number, number.pointPos + std::size_t(decimals));
    return number;
}

double fromDecimalDigits(const DecimalDigits& number)
{
    std::string text = number.digits;
    if (text.size() < number.pointPos)
        text.append(number.pointPos - text.size(), '0');
    if (text.size() > number.pointPos)
        text.insert(number.pointPos, 1, '.');
    if (text.empty())
        return 0.0;
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Beyond this a double no longer tells every cent from the next.
constexpr double MaxCentsMagnitude = 1e13;

// a / b rounded half away from zero; b > 0.
qint64 divideRounded(qint64 a, qint64 b)
{
    const qint64 quotient = a / b;
    const qint64 remainder = a % b;
    if (2 * (remainder < 0 ? -remainder : remainder) >= b)
        return quotient + (a < 0 ? -1 : 1);
    return quotient;
}

} // namespace

double RoundDec(double value, int decimals)
{
    if (decimals < 0 || decimals > 15)
        throw std::invalid_argument("RoundDec: casas decimais devem estar entre 0 e 15");
    if (!std::isfinite(value) || value == 0.0)
        return value;
    const double magnitude = fromDecimalDigits(rounded(value, decimals));
    if (magnitude == 0.0)
        return 0.0;   // never a negative zero
    return value < 0 ? -magnitude : magnitude;
}

RoundedDigits roundedDigits(double value, int decimals)
{
    if (decimals < 0)
        throw std::invalid_argument("roundedDigits: casas decimais negativas");
    if (!std::isfinite(value))
        throw std::invalid_argument("roundedDigits: valor não finito");
    DecimalDigits number = rounded(value, decimals);
    const std::size_t wanted = number.pointPos + std::size_t(decimals);
    if (number.digits.size() < wanted)
        number.digits.append(wanted - number.digits.size(), '0');
    RoundedDigits result{number.digits.substr(0, number.pointPos), number.digits.substr(number.pointPos)};
    const std::size_t firstSignificant = result.integer.find_first_not_of('0');
    result.integer = firstSignificant == std::string::npos ? std::string("0") : result.integer.substr(firstSignificant);
    return result;
}

Cents Cents::fromValue(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= MaxCentsMagnitude)
        throw std::out_of_range("Cents: valor fora do intervalo de centavos exatos");
    // RoundDec gives the double nearest to a whole number of cents, so the
    // product is within far less than half a cent of it.
    return Cents(std::llround(RoundDec(value, 2) * 100.0));
}

QList<Cents> splitEvenly(Cents total, int parts)
{
    if (parts < 1)
        throw std::invalid_argument("splitEvenly: ao menos uma parcela");
    const Cents each = Cents::fromCount(divideRounded(total.count(), parts));
    QList<Cents> split(parts - 1, each);
    split.append(total - Cents::fromCount(each.count() * (parts - 1)));
    return split;
}

QList<Cents> splitByPercentages(Cents total, const QList<double>& percentages)
{
    QList<Cents> split;
    split.reserve(percentages.size());
    Cents assigned;
    for (qsizetype i = 0; i + 1 < percentages.size(); ++i) {
        const Cents part = Cents::fromValue(total.value() * percentages.at(i) / 100.0);
        split.append(part);
        assigned += part;
    }
    if (!percentages.isEmpty())
        split.append(total - assigned);
    return split;
}
