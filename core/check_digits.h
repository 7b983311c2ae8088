#pragma once
// Check digits of the Brazilian tax numbers: the personal CPF (11 digits) and
// the company CNPJ (14 characters; since July 2026 its first 12 may also be
// the letters A to Z, each valued as its ASCII code minus 48, while the two
// check digits stay digits). Both are modulus 11: a remainder below 2 gives
// 0, any other r gives 11 - r.

#include <QString>
#include <QStringView>

// True for a number with correct check digits. Dots, dashes, slashes and
// blanks of a mask are ignored, and CNPJ letters may be of either case; any
// other character, a wrong length, or a number of one repeated character
// ("111.111.111-11", "00.000.000/0000-00", whose digits check out) is refused.
bool isValidCpf(QStringView number);
bool isValidCnpj(QStringView number);

// The number completed with its two check digits: 9 digits give the 11-digit
// CPF, 12 characters ([0-9A-Z]) the 14-character CNPJ. Any other base throws
// std::invalid_argument.
QString cpfWithCheckDigits(QStringView nineDigits);
QString cnpjWithCheckDigits(QStringView twelveCharacters);

// The number without its mask's dots, dashes, slashes and blanks.
QString withoutMaskPunctuation(QStringView number);
// True for a 14-character CNPJ shape: 12 of [0-9A-Z], then 2 digits.
bool hasCnpjShape(QStringView bare);
