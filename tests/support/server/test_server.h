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
#include <QList>
#include <QString>
#include <QVariantList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QThread;

class MethodRegistry;
class TemporaryDatabase;
struct ServerOptions;

namespace PedTest {

struct TestServerOptions {
    enum class Backend { SQLite, PostgreSQL };
    Backend backend = Backend::SQLite;
    bool demoData = true;
    // Set: serve this database as it is (another server's, say) instead of a new one.
    std::optional<DatabaseConfig> database;
    quint16 port = 0;                          // 0: a free port
    int workers = 0;                           // 0: the server's default
    qint64 sessionIdleSeconds = 480 * 60;
    qint64 maxBodyBytes = 32 * 1024 * 1024;
    int loginFailureDelayMs = 20;              // short, so failing log-ins keep tests quick
    QString tlsCertificateFile;                // both set: HTTPS only (TestServer::call cannot reach it)
    QString tlsKeyFile;
    std::function<void(MethodRegistry&)> extraMethods;   // test methods beside the real ones
    std::function<void(ServerOptions&)> adjust;          // any other server option
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
    // "sqlite" or "postgresql", as the "kind" column of the tests names them.
    static TestServerOptions::Backend backendOf(const QString& kind);

    quint16 port() const { return m_port; }
    QString baseUrl() const;
    const DatabaseConfig& databaseConfig() const { return m_database; }
    // Statements on the server's database, over a connection of the calling
    // thread opened for the one statement; throws StoreError.
    void execSql(const QString& sql, const QVariantList& values = {});
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {});

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
    void prepareSchema();

    class Thread;
    TestServerOptions m_options;
    std::unique_ptr<TemporaryDatabase> m_temporary;
    DatabaseConfig m_database;
    std::shared_ptr<std::atomic<qint64>> m_clockOffsetSeconds;
    std::unique_ptr<Thread> m_thread;
    quint16 m_port = 0;
};

// The JSON-RPC request body of one call.
QByteArray rpcRequest(const QString& method, const QJsonArray& params, const QJsonValue& id = 1);
// One call over `client`: the whole answer, or its result (throwing
// std::runtime_error with the error's code and message).
QJsonObject rpcCall(HttpClient& client, const QString& module, const QString& method, const QJsonArray& params,
                    const QString& token = {});
QJsonValue rpcResult(HttpClient& client, const QString& module, const QString& method, const QJsonArray& params,
                     const QString& token = {});

// A server over a new database of the kind ("sqlite", "postgresql"); none
// after skipping the running test row (PostgreSQL not asked for) or failing
// it (the server did not start).
std::unique_ptr<TestServer> startServer(const QString& kind, TestServerOptions options = {});

// One server per kind for the rows of a test that name their kind in a
// "kind" column (DemoBackends::addKinds), started when a row first needs it
// and then handed to `prepare`.
class ServerBackends {
public:
    explicit ServerBackends(TestServerOptions options = {}, std::function<void(TestServer&)> prepare = {});
    ~ServerBackends();
    TestServer* of(const QString& kind);   // null: see startServer
    void clear() { m_servers.clear(); }
    std::map<QString, std::unique_ptr<TestServer>>& started() { return m_servers; }

private:
    TestServerOptions m_options;
    std::function<void(TestServer&)> m_prepare;
    std::map<QString, std::unique_ptr<TestServer>> m_servers;
};

// Threads running work(0) ... work(count - 1) at once, joined by wait() or
// when the group goes.
class ThreadGroup {
public:
    ThreadGroup(int count, const std::function<void(int index)>& work);
    ~ThreadGroup();
    void wait();

private:
    std::vector<std::unique_ptr<QThread>> m_threads;
};

} // namespace PedTest

// Starts a test row on the server of its kind, named `name`; the row ends
// here when there is none.
#define PED_SERVER_OF_KIND(servers, name) PED_SERVER_OF_KIND_FROM(servers, name, QFETCH)
// The same where the kinds are the rows of initTestCase_data.
#define PED_SERVER_OF_GLOBAL_KIND(servers, name) PED_SERVER_OF_KIND_FROM(servers, name, QFETCH_GLOBAL)
#define PED_SERVER_OF_KIND_FROM(servers, name, fetch)          \
    fetch(QString, kind);                                      \
    PedTest::TestServer* name##Pointer = (servers).of(kind);   \
    if (!name##Pointer)                                        \
        return;                                                \
    PedTest::TestServer& name = *name##Pointer
