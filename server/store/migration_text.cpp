#include "migration_text.h"

QStringList migrationStatements(const QString& fileText, DatabaseConfig::Kind kind)
{
    const QString mine = kind == DatabaseConfig::Kind::PostgreSQL ? QStringLiteral("-- postgresql:") : QStringLiteral("-- sqlite:");
    QStringList statements;
    QString current;
    for (const QString& rawLine : fileText.split(u'\n')) {
        QString line = rawLine.trimmed();
        if (line.startsWith(mine))
            line = line.mid(mine.size()).trimmed();
        else if (line.startsWith(QLatin1String("--")) || line.isEmpty())
            continue;
        if (line.endsWith(u';')) {
            current += line.chopped(1);
            statements.append(current.trimmed());
            current.clear();
        } else {
            current += line + QLatin1Char('\n');
        }
    }
    if (!current.trimmed().isEmpty())
        throw StoreError(QStringLiteral("A migration ends inside a statement: %1").arg(current.simplified().left(80)).toStdString());
    return statements;
}
