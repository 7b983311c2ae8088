#pragma once
// Check digits of Brazilian tax numbers, for demo and generated data.

#include <QString>

// "123456789" (9 digits) -> the 11-digit CPF with its two check digits.
QString cpfWithCheckDigits(const QString& nineDigits);

// "123456780001" (12 digits) -> the 14-digit CNPJ with its two check digits.
QString cnpjWithCheckDigits(const QString& twelveDigits);
