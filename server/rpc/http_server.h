#pragma once
// A small HTTP/1.1 server (keep-alive, Content-Length bodies, plain or TLS)
// that hands each complete request to a handler on a worker pool and writes
// the answers back in order. Requests that must not wait for a worker (the
// health check) are answered on the I/O thread. It checks the body size from
// the headers before reading the body and drains calls in flight when closed.

#include <QByteArray>
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

struct HttpRequest {
    QByteArray method;
    QByteArray path;          // without the query
    QList<QPair<QByteArray, QByteArray>> headers;   // names in lower case
    QByteArray body;
    QString clientAddress;    // the peer's address, for the log
    QByteArray header(const QByteArray& lowerCaseName) const;
};

struct HttpResponse {
    int status = 200;
    QByteArray body;                  // JSON
    QList<QPair<QByteArray, QByteArray>> headers;
    int delayMs = 0;                  // hold the answer back (without a worker)
};

struct HttpLimits {
    qint64 maxBodyBytes = 32 * 1024 * 1024;
    qint64 maxHeaderBytes = 64 * 1024;
    int idleTimeoutMs = 120'000;      // keep-alive connection without a request
    int readTimeoutMs = 30'000;       // a request that stops arriving half-way
    int maxConnections = 1000;        // more are refused with 503, before file handles run out
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
    quint64 m_nextConnectionId = 1;
    int m_inFlight = 0;
    bool m_closing = false;
};
