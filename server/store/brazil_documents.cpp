#include "brazil_documents.h"

#include "database.h"

#include <span>

namespace {

int checkDigit(const QString& digits, std::span<const int> weights)
{
    int sum = 0;
    for (size_t i = 0; i < weights.size(); ++i)
        sum += digits.at(qsizetype(i)).digitValue() * weights[i];
    const int remainder = sum % 11;
    return remainder < 2 ? 0 : 11 - remainder;
}

void requireDigits(const QString& digits, int count, const char* what)
{
    bool allDigits = digits.size() == count;
    for (const QChar c : digits)
        allDigits = allDigits && c.isDigit();
    if (!allDigits)
        throw StoreError(QStringLiteral("%1 needs %2 digits, got \"%3\"").arg(QLatin1String(what)).arg(count).arg(digits).toStdString());
}

} // namespace

QString cpfWithCheckDigits(const QString& nineDigits)
{
    requireDigits(nineDigits, 9, "A CPF base");
    static constexpr int first[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
    static constexpr int second[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
    QString cpf = nineDigits + QString::number(checkDigit(nineDigits, first));
    return cpf + QString::number(checkDigit(cpf, second));
}

QString cnpjWithCheckDigits(const QString& twelveDigits)
{
    requireDigits(twelveDigits, 12, "A CNPJ base");
    static constexpr int first[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    static constexpr int second[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    QString cnpj = twelveDigits + QString::number(checkDigit(twelveDigits, first));
    return cnpj + QString::number(checkDigit(cnpj, second));
}
