#pragma once
// Where the application server listens, as the working context keeps it:
// WebURL is a host name ("erp.loja") or a URL with a scheme and a path prefix
// ("https://erp.loja/ped", for a server behind a TLS proxy), WebPort the
// port. An https address is always reached over TLS with the server's
// certificate verified; nothing ever falls back to plain HTTP.

#include <QString>
#include <QUrl>
#include <optional>
#include <stdexcept>

class ServerAddressError : public std::runtime_error {
public:
    explicit ServerAddressError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

struct ServerAddress {
    bool tls = false;
    QString host;
    int port = 0;
    QString pathPrefix;   // "" or "/ped": never ends with '/'

    // What an administrator types: "host:port" or
    // "http[s]://host[:port][/prefix]" (port 80 or 443 when left out).
    // Throws ServerAddressError with a message for the user.
    static ServerAddress parse(const QString& text);
    // WebURL and WebPort of the working context; a port written in the URL
    // wins. None when the host is missing or the scheme unknown.
    static std::optional<ServerAddress> fromContext(const QString& webUrl, int webPort);

    QString webUrl() const;   // the context's WebURL: "host" or "https://host/ped"
    QString text() const;     // for messages: "host:port" or "https://host:port/ped"
    QUrl callUrl(const QString& serverName) const;   // .../rpc/<ServerName>
};
