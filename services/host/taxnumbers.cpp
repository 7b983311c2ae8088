#include "taxnumbers.h"

#include "check_digits.h"

namespace {

bool isAllDigits(const QString& text)
{
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return !text.isEmpty();
}

} // namespace

bool isMaskPlaceholder(QChar c)
{
    return QStringLiteral("09#LlAaCc").contains(c);
}

bool CPFOk(const QString& number)
{
    return isValidCpf(number);
}

bool CGCOk(const QString& number)
{
    return isValidCnpj(number);
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
    const QString bare = withoutMaskPunctuation(trimmed).toUpper();
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
