#pragma once
// A small HTTP/1.1 server (keep-alive, Content-Length bodies, plain or TLS)
// that hands each complete request to a handler on a worker pool and writes
// the answers back in order. Requests that must not wait for a worker (the
// health check) are answered on the I/O thread. It checks the body size from
// the headers before reading the body and drains calls in flight when closed.

#include "http_head.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSslConfiguration>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QThreadPool;
class QTcpServer;
class QTcpSocket;

struct HttpResponse {
    int status = 200;
    QByteArray body;                  // JSON
    QList<QPair<QByteArray, QByteArray>> headers;
    int delayMs = 0;                  // hold the answer back (without a worker)
};

struct HttpLimits {
    qint64 maxBodyBytes = 32 * 1024 * 1024;
    qint64 maxHeaderBytes = 64 * 1024;
    // A keep-alive connection without a request, and an answer the client
    // does not read, are closed after this.
    int idleTimeoutMs = 120'000;
    int readTimeoutMs = 30'000;       // a whole request, counted from its first byte
    int maxConnections = 1000;        // more are refused with 503, before file handles run out
    int maxConnectionsPerAddress = 256;
    // A connection whose client leaves this much of its answers unread has
    // its next request left unread until the client catches up.
    qint64 maxUnsentBytes = 1024 * 1024;
    // Request bodies read and calls waiting for a worker, all connections
    // together; a request beyond it is refused with 503.
    qint64 maxHeldBytes = 512 * 1024 * 1024;
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    // Runs on a worker thread; must not throw.
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    // Runs on the I/O thread before a request goes to the pool, so it must be
    // quick; an answer here is sent at once, none sends the request on.
    using ImmediateHandler = std::function<std::optional<HttpResponse>(const HttpRequest&)>;
    // The answer to a request that never reaches the handler (413, 400, ...).
    using ErrorBody = std::function<QByteArray(int status, const QString& message)>;

    HttpServer(QThreadPool* pool, Handler handler, ErrorBody errorBody, HttpLimits limits,
               QObject* parent = nullptr);
    ~HttpServer() override;

    void setImmediateHandler(ImmediateHandler handler) { m_immediate = std::move(handler); }
    // Serves TLS with this configuration (certificate and key set); call before listen().
    void useTls(const QSslConfiguration& configuration);
    bool usesTls() const { return m_tls.has_value(); }

    // Throws std::runtime_error with a one-line reason (port in use, ...).
    void listen(const QHostAddress& address, quint16 port);
    quint16 port() const;

    // Stops accepting; connections close once their call in flight is answered.
    void close();
    bool isDrained() const;

signals:
    void drained();

private:
    class Connection;
    friend class Connection;
    void acceptConnections();
    void refuseConnection(QTcpSocket* socket, const QString& message);
    bool reserve(qint64 bytes);
    void release(qint64 bytes);
    void dispatch(quint64 connectionId, HttpRequest request);
    void deliver(quint64 connectionId, HttpResponse response);
    void forget(quint64 connectionId);
    void checkDrained();

    QThreadPool* m_pool;
    Handler m_handler;
    ImmediateHandler m_immediate;
    ErrorBody m_errorBody;
    HttpLimits m_limits;
    std::optional<QSslConfiguration> m_tls;
    QTcpServer* m_tcp = nullptr;
    std::map<quint64, std::unique_ptr<Connection>> m_connections;
    QHash<QString, int> m_connectionsPerAddress;
    qint64 m_heldBytes = 0;
    quint64 m_nextConnectionId = 1;
    int m_inFlight = 0;
    bool m_closing = false;
};
