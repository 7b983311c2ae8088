#pragma once
// A real application server inside the test process: real HTTP on
// 127.0.0.1 (a free port), over a temporary SQLite demo database or, when
// asked, over a fresh PostgreSQL database (created from PED_TEST_PG_URL and
// dropped afterwards). It runs on its own thread, so a test may call it
// synchronously from any thread.

#include "http_client.h"
#include "store/database.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QTemporaryDir;
class MethodRegistry;

namespace PedTest {

struct TestServerOptions {
    enum class Backend { SQLite, PostgreSQL };
    Backend backend = Backend::SQLite;
    bool demoData = true;
    int workers = 0;                           // 0: the server's default
    qint64 sessionIdleSeconds = 480 * 60;
    qint64 maxBodyBytes = 32 * 1024 * 1024;
    int loginFailureDelayMs = 20;              // short, so failing log-ins keep tests quick
    QString tlsCertificateFile;                // both set: HTTPS only (TestServer::call cannot reach it)
    QString tlsKeyFile;
    std::function<void(MethodRegistry&)> extraMethods;   // test methods beside the real ones
};

class TestServer {
public:
    // Throws std::runtime_error when the server cannot start (also when
    // PostgreSQL is asked for and PED_TEST_PG_URL is missing or unusable).
    explicit TestServer(TestServerOptions options = {});
    ~TestServer();

    // PED_TEST_PG_URL is set: the PostgreSQL variants must run (and fail
    // when the database is unusable).
    static bool postgresRequested();

    quint16 port() const { return m_port; }
    QString baseUrl() const;
    const DatabaseConfig& databaseConfig() const { return m_database; }

    // Moves the server's clock (sessions) forward.
    void advanceClock(qint64 seconds) { *m_clockOffsetSeconds += seconds; }

    // Logs in and returns the token; throws with the server's message on failure.
    QString login(const QString& operatorCode = QStringLiteral("DEMO"),
                  const QString& password = QStringLiteral("demo"));
    // One JSON-RPC call over this thread's own connection; the whole answer.
    QJsonObject call(const QString& module, const QString& method, const QJsonArray& params,
                     const QString& token = {});
    // The call's result; throws std::runtime_error with the error's code and message.
    QJsonValue result(const QString& module, const QString& method, const QJsonArray& params,
                      const QString& token = {});

private:
    void createPostgresDatabase();
    void dropPostgresDatabase();
    void prepareSchema();

    class Thread;
    TestServerOptions m_options;
    std::unique_ptr<QTemporaryDir> m_dir;
    DatabaseConfig m_database;
    DatabaseConfig m_adminDatabase;
    std::shared_ptr<std::atomic<qint64>> m_clockOffsetSeconds;
    std::unique_ptr<Thread> m_thread;
    quint16 m_port = 0;
};

// The JSON-RPC request body of one call.
QByteArray rpcRequest(const QString& method, const QJsonArray& params, const QJsonValue& id = 1);

} // namespace PedTest
