// pedserver: the application server of the sales-order module.

#include "rpc/app_server.h"
#include "rpc/http_server.h"
#include "rpc/protocol_doc.h"
#include "rpc/server_config.h"
#include "demo/demo_data.h"
#include "store/database.h"
#include "store/database_copy.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int ShutdownGraceMs = 30'000;
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void installSignalPipe()
{
    if (::pipe(signalPipe) != 0)
        throw std::runtime_error("cannot create the signal pipe");
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// The reference of every method the server registers, without a database.
QString serverMethodReference()
{
    MethodRegistry registry;
    SessionService sessions({});
    AppServer::registerMethods(registry, sessions);
    return methodReference(registry);
}

void updateProtocolDoc(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("cannot read %1").arg(path).toStdString());
    const QString updated = withMethodReference(QString::fromUtf8(file.readAll()), serverMethodReference());
    file.close();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(updated.toUtf8()) < 0)
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
}

// Migrates; loads the demo data or generates orders when asked.
void prepareDatabase(const ServerStartup& startup)
{
    const QString connectionName = QStringLiteral("ped-setup");
    {
        QSqlDatabase db = openDatabase(startup.server.database, connectionName);
        migrateSchema(db);
        if (startup.initDemo && isEmptyDatabase(db))
            loadDemoData(db);
        if (startup.generateOrders > 0)
            generateOrders(db, startup.generateOrders);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

void copyToPostgres(const DatabaseConfig& source, const DatabaseConfig& target)
{
    std::printf("pedserver: copying %s to %s\n", qPrintable(source.displayText()), qPrintable(target.displayText()));
    std::fflush(stdout);
    const QString sourceName = QStringLiteral("ped-copy-source");
    const QString targetName = QStringLiteral("ped-copy-target");
    qint64 rows = 0;
    int tables = 0;
    {
        QSqlDatabase from = openDatabase(source, sourceName);
        QSqlDatabase to = openDatabase(target, targetName);
        const QList<TableCopy> copied = copyDatabase(from, to, [](const TableCopy& table) {
            std::printf("%-24s %10lld rows  checksum %s  ok\n", qPrintable(table.table),
                        static_cast<long long>(table.rows), qPrintable(table.checksum));
            std::fflush(stdout);
        });
        for (const TableCopy& table : copied)
            rows += table.rows;
        tables = int(copied.size());
        from.close();
        to.close();
    }
    QSqlDatabase::removeDatabase(sourceName);
    QSqlDatabase::removeDatabase(targetName);
    std::printf("pedserver: copied %d tables, %lld rows; counts and checksums match\n", tables,
                static_cast<long long>(rows));
}

int run(QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Application server of the sales-order module (JSON-RPC 2.0 over HTTP or HTTPS)."));
    parser.addHelpOption();
    parser.addVersionOption();
    addServerOptions(parser);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        throw ConfigError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()).toStdString());

    if (parser.isSet(QStringLiteral("print-protocol-doc"))) {
        std::fputs(serverMethodReference().toUtf8().constData(), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("update-protocol-doc"))) {
        updateProtocolDoc(parser.value(QStringLiteral("update-protocol-doc")));
        return 0;
    }

    const ServerStartup startup = serverStartup(parser);
    const ServerOptions& options = startup.server;
    if (startup.copyTarget) {
        copyToPostgres(options.database, *startup.copyTarget);
        return 0;
    }
    prepareDatabase(startup);
    if (startup.generateOrders > 0)
        return 0;

    installSignalPipe();
    AppServer server(options);
    server.listen();
    std::printf("pedserver %s listening on %s://%s:%u (%s, %d workers)\n",
                qPrintable(PedServerVersion), qPrintable(server.scheme()), qPrintable(options.address.toString()),
                unsigned(server.port()), qPrintable(options.database.kindName()), server.workerCount());
    std::fflush(stdout);

    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        [[maybe_unused]] const auto readBytes = ::read(signalPipe[0], &byte, 1);
        signalNotifier.setEnabled(false);
        std::fprintf(stderr, "pedserver: stopping after the calls in flight\n");
        QObject::connect(&server.http(), &HttpServer::drained, &app, &QCoreApplication::quit);
        QTimer::singleShot(ShutdownGraceMs, &app, &QCoreApplication::quit);
        server.close();
    });
    app.exec();
    return 0;
}

// Driver messages span several lines; a start-up error is one line.
QString oneLine(const std::exception& error)
{
    return QString::fromUtf8(error.what()).simplified();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pedserver"));
    QCoreApplication::setApplicationVersion(PedServerVersion);
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-ddTHH:mm:ss.zzz} %{type} %{if-category}%{category}: %{endif}%{message}"));
    try {
        return run(app);
    } catch (const ConfigError& error) {
        std::fprintf(stderr, "pedserver: %s (see --help)\n", qPrintable(oneLine(error)));
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pedserver: %s\n", qPrintable(oneLine(error)));
        return 1;
    }
}
