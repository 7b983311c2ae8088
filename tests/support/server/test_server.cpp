#include "test_server.h"

#include "demo/demo_data.h"
#include "rpc/app_server.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
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

void execAdmin(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw std::runtime_error(QStringLiteral("%1: %2").arg(sql, query.lastError().text()).toStdString());
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

TestServer::TestServer(TestServerOptions options)
    : m_options(options), m_clockOffsetSeconds(std::make_shared<std::atomic<qint64>>(0))
{
    if (m_options.backend == TestServerOptions::Backend::PostgreSQL) {
        createPostgresDatabase();
    } else {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid())
            throw std::runtime_error("cannot create a temporary folder");
        m_database.kind = DatabaseConfig::Kind::SQLite;
        m_database.sqlitePath = m_dir->filePath(QStringLiteral("erp.sqlite"));
    }
    try {
        prepareSchema();
        ServerOptions serverOptions;
        serverOptions.database = m_database;
        serverOptions.address = QHostAddress::LocalHost;
        serverOptions.port = 0;
        serverOptions.workers = m_options.workers;
        serverOptions.maxBodyBytes = m_options.maxBodyBytes;
        serverOptions.sessions.idleSeconds = m_options.sessionIdleSeconds;
        serverOptions.sessions.loginFailureDelayMs = m_options.loginFailureDelayMs;
        serverOptions.sessions.maxLoginFailureDelayMs = m_options.loginFailureDelayMs * 4;
        serverOptions.extraMethods = m_options.extraMethods;
        serverOptions.tlsCertificateFile = m_options.tlsCertificateFile;
        serverOptions.tlsKeyFile = m_options.tlsKeyFile;
        serverOptions.sessions.nowSeconds = [offset = m_clockOffsetSeconds] {
            return QDateTime::currentSecsSinceEpoch() + offset->load();
        };
        m_thread = std::make_unique<Thread>(serverOptions);
        m_thread->start();
        m_port = m_thread->waitUntilListening();
    } catch (...) {
        if (m_thread) {
            m_thread->wait();
            m_thread.reset();
        }
        dropPostgresDatabase();
        throw;
    }
}

TestServer::~TestServer()
{
    m_thread->quit();
    m_thread->wait();
    m_thread.reset();
    try {
        dropPostgresDatabase();
    } catch (const std::exception& error) {
        qWarning("test server: %s", error.what());
    }
}

void TestServer::prepareSchema()
{
    const QString name = QStringLiteral("ped-test-setup-%1").arg(++serverCounter);
    {
        QSqlDatabase db = openDatabase(m_database, name);
        migrateSchema(db);
        if (m_options.demoData)
            loadDemoData(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void TestServer::createPostgresDatabase()
{
    if (!postgresRequested())
        throw std::runtime_error("PED_TEST_PG_URL is not set");
    m_adminDatabase = DatabaseConfig::fromText(qEnvironmentVariable("PED_TEST_PG_URL"));
    m_database = m_adminDatabase;
    m_database.databaseName = QStringLiteral("ped_test_%1_%2_%3")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(++serverCounter)
                                  .arg(QDateTime::currentMSecsSinceEpoch() % 1'000'000);
    const QString name = QStringLiteral("ped-test-admin-%1").arg(++serverCounter);
    {
        QSqlDatabase admin = openDatabase(m_adminDatabase, name);
        execAdmin(admin, QStringLiteral("CREATE DATABASE %1").arg(m_database.databaseName));
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void TestServer::dropPostgresDatabase()
{
    if (m_adminDatabase.databaseName.isEmpty() || m_database.databaseName.isEmpty())
        return;
    const QString name = QStringLiteral("ped-test-admin-%1").arg(++serverCounter);
    {
        QSqlDatabase admin = openDatabase(m_adminDatabase, name);
        execAdmin(admin, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database.databaseName));
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
    m_database.databaseName.clear();
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
    HeaderList headers;
    if (!token.isEmpty())
        headers.append({"Authorization", "Bearer " + token.toLatin1()});
    const HttpResult answer = clientFor(m_port).post("/rpc/" + module.toUtf8(),
                                                     rpcRequest(method, params), headers);
    return answer.json().toObject();
}

QJsonValue TestServer::result(const QString& module, const QString& method, const QJsonArray& params,
                              const QString& token)
{
    const QJsonObject answer = call(module, method, params, token);
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

QByteArray rpcRequest(const QString& method, const QJsonArray& params, const QJsonValue& id)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                                     {QStringLiteral("id"), id},
                                     {QStringLiteral("method"), method},
                                     {QStringLiteral("params"), params}})
        .toJson(QJsonDocument::Compact);
}

} // namespace PedTest
