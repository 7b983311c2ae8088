#include "check_digits.h"

#include <array>
#include <span>
#include <stdexcept>

namespace {

constexpr std::array<int, 9> CpfFirstWeights{10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr std::array<int, 10> CpfSecondWeights{11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr std::array<int, 12> CnpjFirstWeights{5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr std::array<int, 13> CnpjSecondWeights{6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

bool isMaskPunctuation(QChar c)
{
    return c == u'.' || c == u'-' || c == u'/' || c.isSpace();
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isDigitOrCapital(QChar c)
{
    return isDigit(c) || (c >= u'A' && c <= u'Z');
}

bool isAllDigits(QStringView text)
{
    for (const QChar c : text)
        if (!isDigit(c))
            return false;
    return !text.isEmpty();
}

bool isOneRepeatedChar(QStringView text)
{
    for (const QChar c : text)
        if (c != text.front())
            return false;
    return true;
}

// Modulus 11 over character values: a digit or a letter minus '0'.
QChar checkDigit(QStringView chars, std::span<const int> weights)
{
    int sum = 0;
    for (std::size_t i = 0; i < weights.size(); ++i)
        sum += (chars[qsizetype(i)].unicode() - u'0') * weights[i];
    const int remainder = sum % 11;
    return QChar(u'0' + (remainder < 2 ? 0 : 11 - remainder));
}

QString completedCpf(QStringView nineDigits)
{
    QString cpf = nineDigits.toString();
    cpf += checkDigit(cpf, CpfFirstWeights);
    cpf += checkDigit(cpf, CpfSecondWeights);
    return cpf;
}

QString completedCnpj(QStringView twelveCharacters)
{
    QString cnpj = twelveCharacters.toString();
    cnpj += checkDigit(cnpj, CnpjFirstWeights);
    cnpj += checkDigit(cnpj, CnpjSecondWeights);
    return cnpj;
}

} // namespace

QString withoutMaskPunctuation(QStringView number)
{
    QString bare;
    bare.reserve(number.size());
    for (const QChar c : number)
        if (!isMaskPunctuation(c))
            bare += c;
    return bare;
}

bool hasCnpjShape(QStringView bare)
{
    if (bare.size() != 14)
        return false;
    for (qsizetype i = 0; i < 12; ++i)
        if (!isDigitOrCapital(bare[i]))
            return false;
    return isDigit(bare[12]) && isDigit(bare[13]);
}

bool isValidCpf(QStringView number)
{
    const QString bare = withoutMaskPunctuation(number);
    if (bare.size() != 11 || !isAllDigits(bare) || isOneRepeatedChar(bare))
        return false;
    return completedCpf(QStringView(bare).left(9)) == bare;
}

bool isValidCnpj(QStringView number)
{
    const QString bare = withoutMaskPunctuation(number).toUpper();
    if (!hasCnpjShape(bare) || isOneRepeatedChar(bare))
        return false;
    return completedCnpj(QStringView(bare).left(12)) == bare;
}

QString cpfWithCheckDigits(QStringView nineDigits)
{
    if (nineDigits.size() != 9 || !isAllDigits(nineDigits))
        throw std::invalid_argument(QStringLiteral("A base de um CPF tem 9 dígitos: \"%1\"")
                                        .arg(nineDigits.left(40)).toStdString());
    return completedCpf(nineDigits);
}

QString cnpjWithCheckDigits(QStringView twelveCharacters)
{
    bool valid = twelveCharacters.size() == 12;
    for (const QChar c : twelveCharacters)
        valid = valid && isDigitOrCapital(c);
    if (!valid)
        throw std::invalid_argument(QStringLiteral("A base de um CNPJ tem 12 caracteres de 0 a 9 ou A a Z: \"%1\"")
                                        .arg(twelveCharacters.left(40)).toStdString());
    return completedCnpj(twelveCharacters);
}
