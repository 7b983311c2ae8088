#include "taxnumbers.h"

#include <QList>

namespace {

bool isMaskPunctuation(QChar c)
{
    return c == u'.' || c == u'-' || c == u'/' || c.isSpace();
}

QString withoutPunctuation(const QString& number)
{
    QString bare;
    for (const QChar c : number)
        if (!isMaskPunctuation(c))
            bare += c;
    return bare;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAllDigits(const QString& text)
{
    for (const QChar c : text)
        if (!isDigit(c))
            return false;
    return !text.isEmpty();
}

bool isOneRepeatedChar(const QString& text)
{
    return text.count(text.front()) == text.size();
}

// Modulus-11 check digit over character values (digit or letter minus '0').
int checkDigit(const QString& chars, const QList<int>& weights)
{
    int sum = 0;
    for (qsizetype i = 0; i < weights.size(); ++i)
        sum += (chars[i].unicode() - u'0') * weights[i];
    const int remainder = sum % 11;
    return remainder < 2 ? 0 : 11 - remainder;
}

bool hasCnpjShape(const QString& bare)
{
    if (bare.size() != 14)
        return false;
    for (qsizetype i = 0; i < 12; ++i)
        if (!isDigit(bare[i]) && !(bare[i] >= u'A' && bare[i] <= u'Z'))
            return false;
    return isDigit(bare[12]) && isDigit(bare[13]);
}

} // namespace

bool isMaskPlaceholder(QChar c)
{
    return QStringLiteral("09#LlAaCc").contains(c);
}

bool CPFOk(const QString& number)
{
    const QString bare = withoutPunctuation(number);
    if (bare.size() != 11 || !isAllDigits(bare) || isOneRepeatedChar(bare))
        return false;
    const int first = checkDigit(bare, {10, 9, 8, 7, 6, 5, 4, 3, 2});
    const int second = checkDigit(bare, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    return bare[9].digitValue() == first && bare[10].digitValue() == second;
}

bool CGCOk(const QString& number)
{
    const QString bare = withoutPunctuation(number).toUpper();
    if (!hasCnpjShape(bare) || isOneRepeatedChar(bare))
        return false;
    const int first = checkDigit(bare, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    const int second = checkDigit(bare, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    return bare[12].digitValue() == first && bare[13].digitValue() == second;
}

QString PictPess(const QString& kind)
{
    const QString k = kind.trimmed().toUpper();
    if (k == u"F")
        return QStringLiteral("000.000.000-00;0;_");
    if (k == u"J")
        return QStringLiteral("00.000.000/0000-00;0;_");
    if (k == u"O")
        return QStringLiteral("99999;0;_");
    return QString();
}

QString Ajusta_Inscricao(QString& number)
{
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty()) {
        number = QString();
        return QString();
    }
    const QString bare = withoutPunctuation(trimmed).toUpper();
    QString kind;
    if (bare.size() == 11 && isAllDigits(bare))
        kind = QStringLiteral("F");
    else if (hasCnpjShape(bare))
        kind = QStringLiteral("J");
    else if (bare.size() <= 5 && isAllDigits(bare))
        kind = QStringLiteral("O");
    else
        kind = QStringLiteral("I");
    number = kind == u"I" ? trimmed : bare;
    return kind;
}

QString FormatWithMask(const QString& value, const QString& mask)
{
    const QString pattern = mask.section(u';', 0, 0);
    if (pattern.isEmpty())
        return value;
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'!' || c == u'>' || c == u'<')
            continue;
        if (c == u'\\' && i + 1 < pattern.size()) {
            result += pattern[++i];
            continue;
        }
        if (isMaskPlaceholder(c)) {
            if (next >= value.size())
                return value;
            result += value[next++];
        } else {
            result += c;
        }
    }
    return next == value.size() ? result : value;
}

QString FormatInscricao(const QString& number, const QString& kind)
{
    return FormatWithMask(number, PictPess(kind));
}
