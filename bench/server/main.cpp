// bench_server: what a call through the application server costs.
//
// For GetPrxPedido (a write) and getParamGerPed (a read), with 1 and 8 client
// threads, on SQLite and (when PED_TEST_PG_URL is set) PostgreSQL:
//   calls per second and p50/p99 latency through TNetConnection and a real
//   in-process server over HTTP, and the calls per second of the same method
//   work run directly: the registered method body in its transaction on the
//   thread's own QtSql connection, without HTTP, JSON-RPC or session check.
// Also, as the physical bound of a call, the round trip of a bare HTTP
// request (GET /health, answered on the server's I/O thread) over the same
// loopback to the same server, and each call's p50 against it; the same call
// sent by a bare HTTP client beside the one through TNetConnection shows what
// the server costs apart from the client library.
// --method and --threads narrow the run to one figure, to profile it.
// Prints "server.<db>.<method>.<n>thread.<measure> <value> <unit>".

#include "http_client.h"
#include "netconnection.h"
#include "rpcwire.h"
#include "serversession.h"
#include "test_server.h"

#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "rpc/transaction.h"
#include "store/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <latch>
#include <memory>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;
using Call = std::function<bool()>;   // one call; false when it failed
using CallFactory = std::function<Call()>;   // runs on the calling thread

const QString LanPedido = ServerNames::LanPedido;
constexpr int WarmUpCalls = 20;

struct BenchMethod {
    Rpc::MethodInfo method;
    QJsonArray params;
    QString name() const { return method.methodName(); }
    QList<RpcArg> args() const
    {
        QList<RpcArg> list;
        for (const QJsonValue& param : params)
            list.append(param);
        return list;
    }
};

struct Figures {
    double callsPerSecond = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    qint64 failures = 0;
};

// Every thread makes its own caller, warms it up, then all call for
// `seconds` from one common start.
Figures measure(int threadCount, double seconds, const CallFactory& makeCall)
{
    std::latch ready(threadCount + 1);
    std::mutex mutex;
    std::vector<double> latenciesMs;
    qint64 failures = 0;
    Clock::time_point start;
    Clock::time_point deadline;
    std::latch go(1);

    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back(QThread::create([&] {
            Call call = makeCall();
            for (int w = 0; w < WarmUpCalls; ++w)
                call();
            ready.count_down();
            go.wait();
            std::vector<double> mine;
            qint64 myFailures = 0;
            while (Clock::now() < deadline) {
                const Clock::time_point before = Clock::now();
                if (!call())
                    ++myFailures;
                mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
            }
            std::lock_guard lock(mutex);
            latenciesMs.insert(latenciesMs.end(), mine.begin(), mine.end());
            failures += myFailures;
        }));
        threads.back()->start();
    }
    ready.arrive_and_wait();
    start = Clock::now();
    deadline = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    go.count_down();
    for (auto& thread : threads)
        thread->wait();
    const double elapsedSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    Figures figures;
    figures.failures = failures;
    if (latenciesMs.empty())
        return figures;
    std::sort(latenciesMs.begin(), latenciesMs.end());
    figures.callsPerSecond = double(latenciesMs.size()) / elapsedSeconds;
    figures.p50Ms = latenciesMs[latenciesMs.size() / 2];
    figures.p99Ms = latenciesMs[std::min(latenciesMs.size() - 1, latenciesMs.size() * 99 / 100)];
    return figures;
}

CallFactory throughServer(quint16 port, const BenchMethod& method)
{
    return [port, method]() -> Call {
        auto connection = std::make_shared<TNetConnection>(LanPedido);
        connection->BeforeConnect = [port](TNetConnection& c) {
            c.setHost(QStringLiteral("127.0.0.1"));
            c.setPort(port);
        };
        return [connection, method, args = method.args()] {
            const ServerResult result = connection->call(method.method, args);
            if (!result.ok())
                fprintf(stderr, "# %s: %s\n", qPrintable(method.name()), qPrintable(result.errorMessage()));
            return result.ok();
        };
    };
}

CallFactory bareHttp(quint16 port)
{
    return [port]() -> Call {
        auto client = std::make_shared<PedTest::HttpClient>(port);
        return [client] { return client->get("/health").status == 200; };
    };
}

// The same call as a client that writes its HTTP request by hand and waits
// on the socket: what the server costs, without the client library.
CallFactory rawRpc(quint16 port, const BenchMethod& method, const QString& token)
{
    return [port, method, token]() -> Call {
        auto client = std::make_shared<PedTest::HttpClient>(port);
        const QByteArray body = RpcWire::request(1, method.name(), method.args());
        const QByteArray path = "/rpc/" + LanPedido.toUtf8();
        const PedTest::HeaderList headers{{"Content-Type", "application/json"},
                                          {"Authorization", "Bearer " + token.toUtf8()}};
        return [client, body, path, headers] {
            const PedTest::HttpResult result = client->post(path, body, headers);
            return result.status == 200 && result.json().toObject().contains(QStringLiteral("result"));
        };
    };
}

// The thread's own connection, removed when the last copy of the call goes.
struct DirectConnection {
    explicit DirectConnection(const DatabaseConfig& config)
        : name(QStringLiteral("bench-direct-%1").arg(quintptr(QThread::currentThreadId())))
        , db(openDatabase(config, name))
    {
    }
    ~DirectConnection()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    QString name;
    QSqlDatabase db;
};

CallFactory direct(const DatabaseConfig& config, const MethodSpec* spec, const BenchMethod& method)
{
    return [config, spec, method]() -> Call {
        auto connection = std::make_shared<DirectConnection>(config);
        return [connection, spec, method] {
            CallContext context;
            context.db = connection->db;
            context.operatorCode = QStringLiteral("DEMO");
            context.module = spec->module;
            context.method = spec->name;
            try {
                runInTransaction(context.db, [&] {
                    QJsonArray params = method.params;
                    return spec->function(context, params);
                }, RetryPolicy{}, spec->readOnly ? TransactionMode::ReadOnly : TransactionMode::ReadWrite);
                return true;
            } catch (const std::exception& failure) {
                fprintf(stderr, "# direct %s: %s\n", qPrintable(method.name()), failure.what());
                return false;
            }
        };
    };
}

void print(const QString& prefix, const char* measure, double value, const char* unit, int decimals)
{
    printf("%s.%s %.*f %s\n", qPrintable(prefix), measure, decimals, value, unit);
    fflush(stdout);
}

void benchBackend(const QString& dbName, PedTest::TestServerOptions::Backend backend, double seconds,
                  const QString& onlyMethod, const QList<int>& threadCounts)
{
    PedTest::TestServerOptions options;
    options.backend = backend;
    PedTest::TestServer server(options);
    const ServerResult login = ServerSession::instance().login(QStringLiteral("127.0.0.1"), server.port(),
                                                               QStringLiteral("DEMO"), QStringLiteral("demo"));
    if (!login.ok())
        throw std::runtime_error(login.errorMessage().toStdString());

    const Figures bare = measure(1, seconds, bareHttp(server.port()));
    const QString barePrefix = QStringLiteral("server.%1.http_roundtrip.1thread").arg(dbName);
    print(barePrefix, "calls_per_s", bare.callsPerSecond, "1/s", 0);
    print(barePrefix, "p50_ms", bare.p50Ms, "ms", 3);

    MethodRegistry registry;
    registerAllMethods(registry);
    const QList<BenchMethod> methods{{Rpc::LanPedido::GetPrxPedido.info(), {QStringLiteral("0001")}},
                                     {Rpc::LanPedido::getParamGerPed.info(), {}}};
    for (const BenchMethod& method : methods) {
        if (!onlyMethod.isEmpty() && method.name() != onlyMethod)
            continue;
        const MethodSpec* spec = registry.find(LanPedido, method.name());
        if (!spec)
            throw std::runtime_error("method not registered: " + method.name().toStdString());
        for (int threads : threadCounts) {
            const QString prefix = QStringLiteral("server.%1.%2.%3thread").arg(dbName, method.name()).arg(threads);
            const Figures viaServer = measure(threads, seconds, throughServer(server.port(), method));
            const Figures viaRaw = measure(threads, seconds,
                                           rawRpc(server.port(), method, ServerSession::instance().token()));
            const Figures viaDirect = measure(threads, seconds, direct(server.databaseConfig(), spec, method));
            print(prefix, "calls_per_s", viaServer.callsPerSecond, "1/s", 0);
            print(prefix, "p50_ms", viaServer.p50Ms, "ms", 3);
            print(prefix, "p99_ms", viaServer.p99Ms, "ms", 3);
            print(prefix, "raw_http_calls_per_s", viaRaw.callsPerSecond, "1/s", 0);
            print(prefix, "raw_http_p50_ms", viaRaw.p50Ms, "ms", 3);
            print(prefix, "direct_calls_per_s", viaDirect.callsPerSecond, "1/s", 0);
            print(prefix, "direct_p50_ms", viaDirect.p50Ms, "ms", 3);
            print(prefix, "ratio_to_direct", viaServer.callsPerSecond / viaDirect.callsPerSecond, "x", 2);
            if (threads == 1 && bare.p50Ms > 0) {
                print(prefix, "p50_ratio_to_http_roundtrip", viaServer.p50Ms / bare.p50Ms, "x", 2);
                print(prefix, "raw_http_p50_ratio_to_http_roundtrip", viaRaw.p50Ms / bare.p50Ms, "x", 2);
            }
            const qint64 failures = viaServer.failures + viaRaw.failures + viaDirect.failures;
            if (failures > 0)
                print(prefix, "failed_calls", double(failures), "calls", 0);
        }
    }
    ServerSession::instance().logout();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Calls through the application server against direct work."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Measuring time per figure (default 2)."),
                                           QStringLiteral("seconds"), QStringLiteral("2"));
    parser.addOption(secondsOption);
    const QCommandLineOption methodOption(QStringLiteral("method"),
                                          QStringLiteral("Measure only this method (to profile one call)."),
                                          QStringLiteral("name"));
    parser.addOption(methodOption);
    const QCommandLineOption threadsOption(QStringLiteral("threads"),
                                           QStringLiteral("Measure only with this many client threads."),
                                           QStringLiteral("count"));
    parser.addOption(threadsOption);
    parser.process(app);
    const QString onlyMethod = parser.value(methodOption);
    const QList<int> threadCounts = parser.isSet(threadsOption) ? QList<int>{parser.value(threadsOption).toInt()}
                                                                : QList<int>{1, 8};
    if (threadCounts.first() <= 0) {
        fprintf(stderr, "bench_server: --threads must be a positive number\n");
        return 2;
    }
    const double seconds = parser.value(secondsOption).toDouble();
    if (seconds <= 0) {
        fprintf(stderr, "bench_server: --seconds must be a positive number\n");
        return 2;
    }

    QLoggingCategory::setFilterRules(QStringLiteral("ped.*.info=false"));
    printf("# %d cores; the server runs in this process, its workers share the cores with the client threads\n",
           QThread::idealThreadCount());
    try {
        benchBackend(QStringLiteral("sqlite"), PedTest::TestServerOptions::Backend::SQLite, seconds, onlyMethod, threadCounts);
        if (PedTest::TestServer::postgresRequested())
            benchBackend(QStringLiteral("postgresql"), PedTest::TestServerOptions::Backend::PostgreSQL, seconds,
                         onlyMethod, threadCounts);
        else
            printf("# server.postgresql skipped: PED_TEST_PG_URL is not set\n");
    } catch (const std::exception& failure) {
        fprintf(stderr, "bench_server: %s\n", failure.what());
        return 1;
    }
    return 0;
}
