#include "server_config.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

namespace {

[[noreturn]] void fail(const QString& message)
{
    throw ConfigError(message.toStdString());
}

// One setting: its command-line option and its key in the file.
struct Setting {
    const char* option;
    const char* key;
};

constexpr Setting DataDir{"data-dir", "database/data-dir"};
constexpr Setting DatabaseUrl{"db", "database/url"};
constexpr Setting DatabasePassword{nullptr, "database/password"};
constexpr Setting CopyPassword{nullptr, "copy-to/password"};
constexpr Setting Listen{"listen", "server/listen"};
constexpr Setting Workers{"workers", "server/workers"};
constexpr Setting SessionIdle{"session-idle-minutes", "server/session-idle-minutes"};
constexpr Setting MaxBody{"max-body-mb", "server/max-body-mb"};
constexpr Setting TlsCert{"tls-cert", "server/tls-cert"};
constexpr Setting TlsKey{"tls-key", "server/tls-key"};
constexpr Setting InitDemo{"init-demo", "server/init-demo"};
// The HTTP layer's bounds, for a site whose network or load needs others
// than the defaults; the file only.
constexpr Setting MaxConnections{nullptr, "http/max-connections"};
constexpr Setting MaxConnectionsPerAddress{nullptr, "http/max-connections-per-address"};
constexpr Setting RequestTimeout{nullptr, "http/request-timeout-seconds"};
constexpr Setting IdleTimeout{nullptr, "http/idle-timeout-seconds"};
constexpr Setting MaxHeaderKb{nullptr, "http/max-header-kb"};
constexpr Setting MaxUnsentKb{nullptr, "http/max-unsent-kb"};
constexpr Setting MaxHeldMb{nullptr, "http/max-held-mb"};
constexpr Setting AllSettings[] = {DataDir, DatabaseUrl, DatabasePassword, CopyPassword, Listen, Workers,
                                   SessionIdle, MaxBody, TlsCert, TlsKey, InitDemo,
                                   MaxConnections, MaxConnectionsPerAddress, RequestTimeout, IdleTimeout,
                                   MaxHeaderKb, MaxUnsentKb, MaxHeldMb};

const QString PasswordHint = QStringLiteral(
    "put the password into the configuration file ([database] password=...) and start with --config FILE");

class Sources {
public:
    Sources(const QCommandLineParser& parser, const QString& configFile) : m_parser(parser)
    {
        if (configFile.isEmpty())
            return;
        const QFileInfo info(configFile);
        if (!info.isFile() || !info.isReadable())
            fail(QStringLiteral("cannot read the configuration file %1").arg(configFile));
        m_folder = info.absoluteDir();
        m_file = std::make_unique<QSettings>(configFile, QSettings::IniFormat);
        if (m_file->status() != QSettings::NoError)
            fail(QStringLiteral("the configuration file %1 is not a valid INI file").arg(configFile));
        refuseUnknownKeys(configFile);
        if (m_file->contains(QLatin1String(DatabasePassword.key)) && (info.permissions() & QFileDevice::ReadOther))
            std::fprintf(stderr, "pedserver: warning: %s holds the database password and every user can read it "
                                 "(chmod 640 it)\n", qPrintable(configFile));
    }

    bool isSet(const Setting& setting) const
    {
        return (setting.option && m_parser.isSet(QLatin1String(setting.option)))
            || (m_file && m_file->contains(QLatin1String(setting.key)));
    }

    bool fromCommandLine(const Setting& setting) const
    {
        return setting.option && m_parser.isSet(QLatin1String(setting.option));
    }

    // The command line first, then the file, then `fallback`.
    QString text(const Setting& setting, const QString& fallback = {}) const
    {
        if (fromCommandLine(setting))
            return m_parser.value(QLatin1String(setting.option));
        if (!m_file || !m_file->contains(QLatin1String(setting.key)))
            return fallback;
        const QVariant value = m_file->value(QLatin1String(setting.key));
        // The INI format reads an unquoted a,b as a list of two texts.
        if (value.typeId() == QMetaType::QStringList)
            fail(QStringLiteral("%1 in the configuration file holds a comma: write the value in double quotes")
                     .arg(QLatin1String(setting.key)));
        return value.toString();
    }

    // A path from the file is relative to the file's folder.
    QString path(const Setting& setting) const
    {
        const QString value = text(setting);
        if (value.isEmpty() || fromCommandLine(setting) || !m_file)
            return value;
        return QDir::cleanPath(m_folder.absoluteFilePath(value));
    }

    bool flag(const Setting& setting) const
    {
        if (fromCommandLine(setting))
            return true;
        if (!m_file || !m_file->contains(QLatin1String(setting.key)))
            return false;
        const QString value = m_file->value(QLatin1String(setting.key)).toString().toLower();
        if (value != QLatin1String("true") && value != QLatin1String("false"))
            fail(QStringLiteral("%1 must be true or false, not '%2'").arg(QLatin1String(setting.key), value));
        return value == QLatin1String("true");
    }

    int number(const Setting& setting, int fallback, int maximum) const
    {
        if (!isSet(setting))
            return fallback;
        const QString value = text(setting);
        bool numeric = false;
        const int number = value.toInt(&numeric);
        if (!numeric || number < 1 || number > maximum)
            fail(QStringLiteral("%1 needs a whole number from 1 to %2, not '%3'")
                     .arg(whereSet(setting)).arg(maximum).arg(value));
        return number;
    }

    QString whereSet(const Setting& setting) const
    {
        if (fromCommandLine(setting))
            return QStringLiteral("--%1").arg(QLatin1String(setting.option));
        return QStringLiteral("%1 in the configuration file").arg(QLatin1String(setting.key));
    }

private:
    void refuseUnknownKeys(const QString& configFile) const
    {
        for (const QString& key : m_file->allKeys()) {
            const bool known = std::any_of(std::begin(AllSettings), std::end(AllSettings),
                                           [&](const Setting& setting) { return key == QLatin1String(setting.key); });
            if (!known)
                fail(QStringLiteral("unknown setting '%1' in %2").arg(key, configFile));
        }
    }

    const QCommandLineParser& m_parser;
    std::unique_ptr<QSettings> m_file;
    QDir m_folder;
};

void parseListen(const QString& text, const QString& where, ServerOptions& options)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    bool numeric = false;
    const uint port = colon > 0 ? text.mid(colon + 1).toUInt(&numeric) : 0;
    QString host = colon > 0 ? text.left(colon) : QString();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const QHostAddress address = host == QLatin1String("localhost") ? QHostAddress(QHostAddress::LocalHost)
                                                                     : QHostAddress(host);
    if (!numeric || port > 65535 || address.isNull())
        fail(QStringLiteral("%1 needs ADDRESS:PORT such as 127.0.0.1:8100, not '%2'").arg(where, text));
    options.address = address;
    options.port = quint16(port);
}

DatabaseConfig postgresConfig(const QString& url, const Sources& sources, const Setting& urlSetting,
                              const Setting& passwordSetting)
{
    DatabaseConfig config;
    try {
        config = DatabaseConfig::fromText(url);
    } catch (const StoreError& error) {
        fail(QString::fromUtf8(error.what()));
    }
    if (config.kind != DatabaseConfig::Kind::PostgreSQL)
        fail(QStringLiteral("%1 needs a postgresql:// URL").arg(sources.whereSet(urlSetting)));
    if (!config.password.isEmpty() && sources.fromCommandLine(urlSetting))
        fail(QStringLiteral("a password in %1 is visible to every user of this machine; %2")
                 .arg(sources.whereSet(urlSetting), PasswordHint));
    if (sources.isSet(passwordSetting)) {
        if (!config.password.isEmpty())
            fail(QStringLiteral("the password is given twice, in the URL and as %1").arg(QLatin1String(passwordSetting.key)));
        config.password = sources.text(passwordSetting);
    }
    return config;
}

DatabaseConfig serverDatabase(const Sources& sources)
{
    if (sources.isSet(DatabaseUrl)) {
        if (sources.isSet(DataDir))
            fail(QStringLiteral("give either --db or --data-dir, not both (a PostgreSQL URL or a SQLite folder)"));
        return postgresConfig(sources.text(DatabaseUrl), sources, DatabaseUrl, DatabasePassword);
    }
    if (sources.isSet(DatabasePassword))
        fail(QStringLiteral("[database] password is set but there is no PostgreSQL URL ([database] url)"));
    QString dataDir = sources.path(DataDir);
    if (dataDir.isEmpty())
        dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(dataDir))
        fail(QStringLiteral("cannot create the data folder %1").arg(dataDir));
    DatabaseConfig config;
    config.kind = DatabaseConfig::Kind::SQLite;
    config.sqlitePath = QDir(dataDir).absoluteFilePath(QStringLiteral("erp.sqlite"));
    return config;
}

void readHttpLimits(const Sources& sources, HttpLimits& limits)
{
    const HttpLimits defaults;
    limits.maxConnections = sources.number(MaxConnections, defaults.maxConnections, 100'000);
    limits.maxConnectionsPerAddress = sources.number(MaxConnectionsPerAddress, defaults.maxConnectionsPerAddress, 100'000);
    limits.readTimeoutMs = sources.number(RequestTimeout, defaults.readTimeoutMs / 1000, 3600) * 1000;
    limits.idleTimeoutMs = sources.number(IdleTimeout, defaults.idleTimeoutMs / 1000, 86'400) * 1000;
    limits.maxHeaderBytes = qint64(sources.number(MaxHeaderKb, int(defaults.maxHeaderBytes / 1024), 1024)) * 1024;
    limits.maxUnsentBytes = qint64(sources.number(MaxUnsentKb, int(defaults.maxUnsentBytes / 1024), 1024 * 1024)) * 1024;
    limits.maxHeldBytes = qint64(sources.number(MaxHeldMb, int(defaults.maxHeldBytes / (1024 * 1024)), 65'536)) * 1024 * 1024;
    if (limits.maxConnectionsPerAddress > limits.maxConnections)
        fail(QStringLiteral("http/max-connections-per-address (%1) is above http/max-connections (%2)")
                 .arg(limits.maxConnectionsPerAddress).arg(limits.maxConnections));
    if (limits.maxHeldBytes < limits.maxBodyBytes)
        fail(QStringLiteral("http/max-held-mb is below the largest request body (max-body-mb)"));
}

} // namespace

void addServerOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {QStringLiteral("config"), QStringLiteral("Read the settings from this INI file (the command line wins)."), QStringLiteral("FILE")},
        {QStringLiteral("data-dir"), QStringLiteral("Folder of the SQLite database erp.sqlite (created when missing)."), QStringLiteral("DIR")},
        {QStringLiteral("db"), QStringLiteral("PostgreSQL database instead of SQLite: postgresql://user@host:port/dbname?sslmode=... "
                                              "(the password goes into the --config file)."), QStringLiteral("URL")},
        {QStringLiteral("listen"), QStringLiteral("Address and port to serve on (port 0: any free port; default 127.0.0.1:8100)."), QStringLiteral("ADDRESS:PORT")},
        {QStringLiteral("tls-cert"), QStringLiteral("Serve HTTPS with this PEM certificate (and its chain)."), QStringLiteral("FILE")},
        {QStringLiteral("tls-key"), QStringLiteral("The certificate's PEM private key."), QStringLiteral("FILE")},
        {QStringLiteral("init-demo"), QStringLiteral("Load the demo data into an empty database.")},
        {QStringLiteral("generate-orders"), QStringLiteral("Add N generated orders, then exit."), QStringLiteral("N")},
        {QStringLiteral("copy-to"), QStringLiteral("Copy the SQLite database into this empty PostgreSQL database, then exit."), QStringLiteral("URL")},
        {QStringLiteral("workers"), QStringLiteral("Calls served in parallel (default: max(4, 2 x cores))."), QStringLiteral("N")},
        {QStringLiteral("session-idle-minutes"), QStringLiteral("A session unused this long expires (default 480)."), QStringLiteral("MINUTES")},
        {QStringLiteral("max-body-mb"), QStringLiteral("Largest request body accepted (default 32)."), QStringLiteral("MB")},
        {QStringLiteral("update-protocol-doc"), QStringLiteral("Regenerate the method reference in FILE (docs/protocol.md), then exit."), QStringLiteral("FILE")},
        {QStringLiteral("print-protocol-doc"), QStringLiteral("Print the method reference, then exit.")},
    });
}

ServerStartup serverStartup(const QCommandLineParser& parser)
{
    ServerStartup startup;
    startup.configFile = parser.value(QStringLiteral("config"));
    const Sources sources(parser, startup.configFile);

    ServerOptions& options = startup.server;
    parseListen(sources.text(Listen, QStringLiteral("127.0.0.1:8100")), sources.whereSet(Listen), options);
    options.workers = sources.number(Workers, 0, 1024);
    options.sessions.idleSeconds = qint64(sources.number(SessionIdle, 480, 525'600)) * 60;
    options.http.maxBodyBytes = qint64(sources.number(MaxBody, 32, 4096)) * 1024 * 1024;
    readHttpLimits(sources, options.http);
    options.tlsCertificateFile = sources.path(TlsCert);
    options.tlsKeyFile = sources.path(TlsKey);
    if (options.tlsCertificateFile.isEmpty() != options.tlsKeyFile.isEmpty())
        fail(QStringLiteral("TLS needs both --tls-cert and --tls-key"));
    options.database = serverDatabase(sources);
    startup.initDemo = sources.flag(InitDemo);

    if (parser.isSet(QStringLiteral("generate-orders"))) {
        bool numeric = false;
        startup.generateOrders = parser.value(QStringLiteral("generate-orders")).toInt(&numeric);
        if (!numeric || startup.generateOrders < 1 || startup.generateOrders > 100'000'000)
            fail(QStringLiteral("--generate-orders needs a whole number from 1 to 100000000, not '%1'")
                     .arg(parser.value(QStringLiteral("generate-orders"))));
    }
    if (parser.isSet(QStringLiteral("copy-to"))) {
        if (options.database.kind != DatabaseConfig::Kind::SQLite)
            fail(QStringLiteral("--copy-to copies a SQLite database: give its folder with --data-dir, not a --db URL"));
        startup.copyTarget = postgresConfig(parser.value(QStringLiteral("copy-to")), sources,
                                            Setting{"copy-to", "copy-to/url"}, CopyPassword);
    }
    return startup;
}
