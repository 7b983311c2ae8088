#pragma once
// The application server in one object: the method catalogue, sessions, the
// worker pool with its database connections, the dispatcher and the HTTP or
// HTTPS endpoint (POST /rpc/<ServerName>, GET or HEAD /health). Used by
// pedserver's main and by the in-process test server.

#include "method_registry.h"
#include "rpc_dispatcher.h"
#include "session_service.h"
#include "store/database.h"
#include "worker_databases.h"

#include <QHostAddress>
#include <memory>

class DatabaseProbe;
class HttpServer;
class QThreadPool;
struct HttpRequest;
struct HttpResponse;

inline const QString PedServerVersion = QStringLiteral("0.1.0");

struct ServerOptions {
    DatabaseConfig database;
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8100;          // 0: any free port
    int workers = 0;              // 0: max(4, 2 × cores)
    qint64 maxBodyBytes = 32 * 1024 * 1024;
    SessionConfig sessions;
    RetryPolicy retry;
    // PEM files; both set: the server speaks HTTPS only.
    QString tlsCertificateFile;   // the server's certificate, then its chain
    QString tlsKeyFile;           // its private key, unencrypted
    int healthCheckIntervalMs = 2000;
    // Tests add methods of their own (blocking, failing) here.
    std::function<void(MethodRegistry&)> extraMethods;
};

class AppServer {
public:
    explicit AppServer(ServerOptions options);
    ~AppServer();   // waits for calls in flight

    void listen();   // throws std::runtime_error with a one-line reason
    quint16 port() const;
    QString scheme() const;   // "http" or "https"
    // Stops accepting; HttpServer::drained follows when the last call is answered.
    void close();
    HttpServer& http() { return *m_http; }
    RpcDispatcher& dispatcher() { return m_dispatcher; }
    const MethodRegistry& registry() const { return m_registry; }
    int workerCount() const;

    // Every method the server offers: the remote data modules and the session methods.
    static void registerMethods(MethodRegistry& registry, SessionService& sessions);

private:
    HttpResponse route(const HttpRequest& request);
    std::optional<HttpResponse> answerAtOnce(const HttpRequest& request);
    HttpResponse health();

    ServerOptions m_options;
    WorkerDatabases m_databases;   // outlives the worker threads that use it
    MethodRegistry m_registry;
    SessionService m_sessions;
    RpcDispatcher m_dispatcher;
    std::unique_ptr<QThreadPool> m_pool;
    std::unique_ptr<HttpServer> m_http;
    std::unique_ptr<DatabaseProbe> m_probe;   // created at listen()
};
