#include "postgres_url.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

namespace {

[[noreturn]] void fail(const QString& message)
{
    throw PostgresUrlError(message.toStdString());
}

// Parts of the address have their own place in the URL; the password belongs
// in a configuration file or libpq's password file, never in a query.
bool isAddressPart(const QString& key)
{
    static const QStringList parts{QStringLiteral("host"), QStringLiteral("hostaddr"), QStringLiteral("port"),
                                   QStringLiteral("user"), QStringLiteral("dbname"), QStringLiteral("password")};
    return parts.contains(key);
}

} // namespace

bool PostgresUrl::isPostgresUrl(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

PostgresUrl PostgresUrl::parse(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!isPostgresUrl(text) || !url.isValid())
        fail(QStringLiteral("Not a valid PostgreSQL URL (postgresql://user@host:port/dbname): %1")
                 .arg(url.isValid() ? url.toDisplayString(QUrl::RemovePassword) : url.errorString()));
    PostgresUrl parsed;
    parsed.host = url.host(QUrl::FullyDecoded);
    parsed.port = url.port(5432);
    parsed.user = url.userName(QUrl::FullyDecoded);
    parsed.password = url.password(QUrl::FullyDecoded);
    parsed.databaseName = url.path(QUrl::FullyDecoded).mid(1);
    if (parsed.host.isEmpty())
        fail(QStringLiteral("The PostgreSQL URL names no host: %1").arg(parsed.withoutPassword()));
    if (parsed.databaseName.isEmpty() || parsed.databaseName.contains(u'/'))
        fail(QStringLiteral("The PostgreSQL URL names no database (postgresql://host:port/dbname): %1")
                 .arg(parsed.withoutPassword()));

    static const QRegularExpression optionName(QStringLiteral("^[a-z_]{1,40}$"));
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!optionName.match(key).hasMatch())
            fail(QStringLiteral("Not a PostgreSQL connection option: '%1'").arg(key.left(40)));
        if (isAddressPart(key))
            fail(QStringLiteral("Give %1 in the URL itself (postgresql://user@host:port/dbname), not as ?%1=; "
                                "a password goes into the configuration file").arg(key));
        // The driver turns ';' into the separator between options.
        if (value.contains(QLatin1Char(';')))
            fail(QStringLiteral("The PostgreSQL option %1 must not contain ';'").arg(key));
        parsed.options.append({key, value});
    }
    return parsed;
}

QString PostgresUrl::withoutPassword() const
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setHost(host);
    url.setPort(port);
    url.setUserName(user);
    url.setPath(QLatin1Char('/') + databaseName);
    QUrlQuery query;
    for (const auto& [key, value] : options) {
        if (!key.contains(QLatin1String("password")))
            query.addQueryItem(key, value);
    }
    url.setQuery(query);
    return url.toString();
}

void PostgresUrl::applyTo(QSqlDatabase& db) const
{
    db.setHostName(host);
    db.setPort(port);
    db.setUserName(user);
    db.setPassword(password);
    db.setDatabaseName(databaseName);
    db.setConnectOptions(postgresConnectOptions(options));
}

QString postgresConnectOptions(const QList<QPair<QString, QString>>& options)
{
    QStringList parts;
    bool hasTimeout = false;
    for (const auto& [key, value] : options) {
        QString quoted = value;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
        parts.append(QStringLiteral("%1='%2'").arg(key, quoted));
        hasTimeout = hasTimeout || key == QLatin1String("connect_timeout");
    }
    if (!hasTimeout)
        parts.prepend(QStringLiteral("connect_timeout=10"));
    return parts.join(QLatin1Char(';'));
}
