#include "list_text.h"

QString listText(const QStringList& codes)
{
    QStringList quoted;
    quoted.reserve(codes.size());
    for (const QString& code : codes) {
        QString escaped = code;
        escaped.replace(QLatin1Char('\''), QLatin1String("''"));
        quoted.append(QLatin1Char('\'') + escaped + QLatin1Char('\''));
    }
    return quoted.join(QLatin1Char('_'));
}

QStringList listTextCodes(const QString& list)
{
    QStringList codes;
    if (list.isEmpty())
        return codes;
    const auto fail = [&](const QString& what, qsizetype position) {
        throw ListTextError(QStringLiteral("Lista de códigos inválida: %1 na posição %2.")
                                .arg(what)
                                .arg(position)
                                .toStdString());
    };
    qsizetype i = 0;
    const qsizetype size = list.size();
    while (true) {
        if (i >= size || list.at(i) != QLatin1Char('\''))
            fail(QStringLiteral("esperado um código entre aspas"), i);
        ++i;
        QString code;
        bool closed = false;
        while (i < size) {
            const QChar c = list.at(i);
            if (c == QLatin1Char('\'')) {
                if (i + 1 < size && list.at(i + 1) == QLatin1Char('\'')) {
                    code.append(c);
                    i += 2;
                    continue;
                }
                ++i;
                closed = true;
                break;
            }
            code.append(c);
            ++i;
        }
        if (!closed)
            fail(QStringLiteral("aspas não fechadas"), size);
        codes.append(code);
        if (i == size)
            return codes;
        if (list.at(i) != QLatin1Char('_'))
            fail(QStringLiteral("esperado \"_\" entre os códigos"), i);
        ++i;
    }
}
