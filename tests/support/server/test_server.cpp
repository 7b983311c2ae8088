#include "test_server.h"

#include "demo/demo_data.h"
#include "method_calls.h"
#include "rpc/app_server.h"
#include "store/sql.h"
#include "store/temporary_database.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <QThreadStorage>
#include <map>
#include <stdexcept>

namespace PedTest {

namespace {

QAtomicInteger<int> serverCounter;

// Each calling thread keeps one keep-alive connection per server port.
QThreadStorage<std::map<quint16, std::unique_ptr<HttpClient>>*> threadClients;

HttpClient& clientFor(quint16 port)
{
    if (!threadClients.hasLocalData())
        threadClients.setLocalData(new std::map<quint16, std::unique_ptr<HttpClient>>());
    auto& clients = *threadClients.localData();
    auto& client = clients[port];
    if (!client)
        client = std::make_unique<HttpClient>(port);
    return *client;
}

// Runs `work` on a connection to `config` of its own, removed afterwards.
template <typename Work>
auto onOwnConnection(const DatabaseConfig& config, Work work)
{
    const QString name = QStringLiteral("ped-test-server-%1").arg(++serverCounter);
    const auto removeConnection = qScopeGuard([&] { QSqlDatabase::removeDatabase(name); });
    QSqlDatabase db = openDatabase(config, name);
    const auto closeConnection = qScopeGuard([&] { db.close(); db = QSqlDatabase(); });
    return work(db);
}

} // namespace

class TestServer::Thread : public QThread {
public:
    explicit Thread(ServerOptions options) : m_options(std::move(options)) {}

    void run() override
    {
        try {
            m_server = std::make_unique<AppServer>(m_options);
            m_server->listen();
            m_port = m_server->port();
        } catch (const std::exception& error) {
            m_error = QString::fromUtf8(error.what());
            m_server.reset();
        }
        m_started.release();
        if (m_server)
            exec();
        m_server.reset();
    }

    quint16 waitUntilListening()
    {
        m_started.acquire();
        if (!m_error.isEmpty())
            throw std::runtime_error("test server did not start: " + m_error.toStdString());
        return m_port;
    }

private:
    ServerOptions m_options;
    std::unique_ptr<AppServer> m_server;
    QSemaphore m_started;
    QString m_error;
    quint16 m_port = 0;
};

bool TestServer::postgresRequested()
{
    return !qEnvironmentVariableIsEmpty("PED_TEST_PG_URL");
}

TestServerOptions::Backend TestServer::backendOf(const QString& kind)
{
    return kind == QLatin1String("postgresql") ? TestServerOptions::Backend::PostgreSQL : TestServerOptions::Backend::SQLite;
}

TestServer::TestServer(TestServerOptions options)
    : m_options(options), m_clockOffsetSeconds(std::make_shared<std::atomic<qint64>>(0))
{
    if (m_options.database) {
        m_database = *m_options.database;
    } else if (m_options.backend == TestServerOptions::Backend::PostgreSQL) {
        if (!postgresRequested())
            throw std::runtime_error("PED_TEST_PG_URL is not set");
        m_temporary = TemporaryDatabase::createPostgres(qEnvironmentVariable("PED_TEST_PG_URL"));
    } else {
        m_temporary = TemporaryDatabase::createSqlite();
    }
    if (m_temporary)
        m_database = m_temporary->config();
    try {
        if (m_temporary)
            prepareSchema();
        ServerOptions serverOptions;
        serverOptions.database = m_database;
        serverOptions.address = QHostAddress::LocalHost;
        serverOptions.port = m_options.port;
        serverOptions.workers = m_options.workers;
        serverOptions.http.maxBodyBytes = m_options.maxBodyBytes;
        serverOptions.sessions.idleSeconds = m_options.sessionIdleSeconds;
        serverOptions.sessions.loginFailureDelayMs = m_options.loginFailureDelayMs;
        serverOptions.sessions.maxLoginFailureDelayMs = m_options.loginFailureDelayMs * 4;
        serverOptions.extraMethods = m_options.extraMethods;
        serverOptions.tlsCertificateFile = m_options.tlsCertificateFile;
        serverOptions.tlsKeyFile = m_options.tlsKeyFile;
        serverOptions.sessions.nowSeconds = [offset = m_clockOffsetSeconds] {
            return QDateTime::currentSecsSinceEpoch() + offset->load();
        };
        if (m_options.adjust)
            m_options.adjust(serverOptions);
        m_thread = std::make_unique<Thread>(serverOptions);
        m_thread->start();
        m_port = m_thread->waitUntilListening();
    } catch (...) {
        if (m_thread) {
            m_thread->wait();
            m_thread.reset();
        }
        throw;
    }
}

TestServer::~TestServer()
{
    m_thread->quit();
    m_thread->wait();
    m_thread.reset();
}

void TestServer::prepareSchema()
{
    onOwnConnection(m_database, [&](QSqlDatabase& db) {
        migrateSchema(db);
        if (m_options.demoData)
            loadDemoData(db);
    });
}

void TestServer::execSql(const QString& sql, const QVariantList& values)
{
    onOwnConnection(m_database, [&](QSqlDatabase& db) { ::execSql(db, sql, values); });
}

QList<QVariantList> TestServer::rows(const QString& sql, const QVariantList& values)
{
    return onOwnConnection(m_database, [&](QSqlDatabase& db) { return rowsOf(db, sql, values); });
}

QString TestServer::baseUrl() const
{
    const bool tls = !m_options.tlsCertificateFile.isEmpty();
    return QStringLiteral("%1://127.0.0.1:%2").arg(tls ? QStringLiteral("https") : QStringLiteral("http")).arg(m_port);
}

QString TestServer::login(const QString& operatorCode, const QString& password)
{
    return result(QStringLiteral("Bib.rdmDBGeral"), QStringLiteral("Login"),
                  QJsonArray{operatorCode, password}).toString();
}

QJsonObject TestServer::call(const QString& module, const QString& method, const QJsonArray& params,
                             const QString& token)
{
    return rpcCall(clientFor(m_port), module, method, params, token);
}

QJsonValue TestServer::result(const QString& module, const QString& method, const QJsonArray& params,
                              const QString& token)
{
    return rpcResult(clientFor(m_port), module, method, params, token);
}

QJsonObject rpcCall(HttpClient& client, const QString& module, const QString& method, const QJsonArray& params,
                    const QString& token)
{
    HeaderList headers;
    if (!token.isEmpty())
        headers.append({"Authorization", "Bearer " + token.toLatin1()});
    return client.post("/rpc/" + module.toUtf8(), rpcRequest(method, params), headers).json().toObject();
}

QJsonValue rpcResult(HttpClient& client, const QString& module, const QString& method, const QJsonArray& params,
                     const QString& token)
{
    const QJsonObject answer = rpcCall(client, module, method, params, token);
    if (answer.contains(QStringLiteral("error"))) {
        const QJsonObject error = answer.value(QStringLiteral("error")).toObject();
        throw std::runtime_error(QStringLiteral("%1 failed with %2: %3")
                                     .arg(method)
                                     .arg(error.value(QStringLiteral("code")).toInt())
                                     .arg(error.value(QStringLiteral("message")).toString())
                                     .toStdString());
    }
    return answer.value(QStringLiteral("result"));
}

std::unique_ptr<TestServer> startServer(const QString& kind, TestServerOptions options)
{
    if (kind == QLatin1String("postgresql") && !TestServer::postgresRequested()) {
        QTest::qSkip("PED_TEST_PG_URL is not set: PostgreSQL rows skipped (scripts/test sets it)", __FILE__, __LINE__);
        return nullptr;
    }
    options.backend = TestServer::backendOf(kind);
    try {
        return std::make_unique<TestServer>(options);
    } catch (const std::exception& error) {
        QTest::qFail(error.what(), __FILE__, __LINE__);
        return nullptr;
    }
}

ServerBackends::ServerBackends(TestServerOptions options, std::function<void(TestServer&)> prepare)
    : m_options(std::move(options)), m_prepare(std::move(prepare))
{
}

ServerBackends::~ServerBackends() = default;

TestServer* ServerBackends::of(const QString& kind)
{
    std::unique_ptr<TestServer>& server = m_servers[kind];
    if (!server) {
        server = startServer(kind, m_options);
        if (server && m_prepare)
            m_prepare(*server);
    }
    return server.get();
}

ThreadGroup::ThreadGroup(int count, const std::function<void(int index)>& work)
{
    for (int index = 0; index < count; ++index) {
        m_threads.emplace_back(QThread::create(work, index));
        m_threads.back()->start();
    }
}

ThreadGroup::~ThreadGroup()
{
    wait();
}

void ThreadGroup::wait()
{
    for (const auto& thread : m_threads)
        thread->wait();
}

QByteArray rpcRequest(const QString& method, const QJsonArray& params, const QJsonValue& id)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                                     {QStringLiteral("id"), id},
                                     {QStringLiteral("method"), method},
                                     {QStringLiteral("params"), params}})
        .toJson(QJsonDocument::Compact);
}

} // namespace PedTest
