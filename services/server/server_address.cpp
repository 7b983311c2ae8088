#include "server_address.h"

namespace {

const QString Http = QStringLiteral("http");
const QString Https = QStringLiteral("https");

bool hasScheme(const QString& text)
{
    return text.contains(QLatin1String("://"));
}

QString invalid(const QString& text)
{
    return QStringLiteral("Endereço de servidor inválido: \"%1\" (use HOST:PORTA ou "
                          "https://HOST[:PORTA][/CAMINHO], por exemplo 127.0.0.1:8100).").arg(text);
}

// The URL form; `fallbackPort` when the URL names none (0: by scheme).
std::optional<ServerAddress> fromUrl(const QString& text, int fallbackPort)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != Http && scheme != Https) || url.host().isEmpty()
        || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    ServerAddress address;
    address.tls = scheme == Https;
    address.host = url.host();
    address.port = url.port(fallbackPort > 0 ? fallbackPort : (address.tls ? 443 : 80));
    address.pathPrefix = url.path();
    while (address.pathPrefix.endsWith(QLatin1Char('/')))
        address.pathPrefix.chop(1);
    return address;
}

} // namespace

ServerAddress ServerAddress::parse(const QString& text)
{
    if (hasScheme(text)) {
        const std::optional<ServerAddress> address = fromUrl(text, 0);
        if (!address)
            throw ServerAddressError(invalid(text));
        return *address;
    }
    const qsizetype colon = text.lastIndexOf(u':');
    bool numeric = false;
    const int port = colon > 0 ? text.mid(colon + 1).toInt(&numeric) : 0;
    if (colon <= 0 || !numeric || port < 1 || port > 65535)
        throw ServerAddressError(invalid(text));
    ServerAddress address;
    address.host = text.left(colon).trimmed();
    address.port = port;
    return address;
}

std::optional<ServerAddress> ServerAddress::fromContext(const QString& webUrl, int webPort)
{
    std::optional<ServerAddress> address;
    if (hasScheme(webUrl)) {
        address = fromUrl(webUrl, webPort);
    } else if (!webUrl.trimmed().isEmpty()) {
        address = ServerAddress{false, webUrl.trimmed(), webPort, QString()};
    }
    if (address && (address->port < 1 || address->port > 65535))
        return std::nullopt;
    return address;
}

QString ServerAddress::webUrl() const
{
    if (!tls && pathPrefix.isEmpty())
        return host;
    QUrl url;
    url.setScheme(tls ? Https : Http);
    url.setHost(host);
    url.setPath(pathPrefix);
    return url.toString();
}

QString ServerAddress::text() const
{
    if (!tls && pathPrefix.isEmpty())
        return QStringLiteral("%1:%2").arg(host).arg(port);
    QUrl url;
    url.setScheme(tls ? Https : Http);
    url.setHost(host);
    url.setPort(port);
    url.setPath(pathPrefix);
    return url.toString();
}

QUrl ServerAddress::callUrl(const QString& serverName) const
{
    QUrl url;
    url.setScheme(tls ? Https : Http);
    url.setHost(host);
    url.setPort(port);
    url.setPath(pathPrefix + QStringLiteral("/rpc/") + serverName);
    return url;
}
