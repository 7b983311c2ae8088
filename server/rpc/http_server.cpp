#include "http_server.h"

#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QLoggingCategory>
#include <QThreadPool>
#include <QTimer>
#include <QElapsedTimer>
#include <stdexcept>
#include <sys/socket.h>

Q_LOGGING_CATEGORY(lcHttp, "ped.http")

namespace {

constexpr int LingerAfterErrorMs = 2000;
constexpr qint64 SocketReadBufferBytes = 1024 * 1024;
constexpr int TlsHandshakeTimeoutMs = 10'000;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 417: return "Expectation Failed";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    }
    return "Status";
}

// What a call costs beside its body (the request, its task, its answer),
// so that a flood of small calls counts too.
constexpr qint64 RequestOverheadBytes = 4096;

} // namespace

class HttpServer::Connection {
public:
    Connection(HttpServer* server, quint64 id, QTcpSocket* socket);
    ~Connection();

    void respond(const HttpResponse& response);
    void closeWhenIdle();
    bool isBusy() const { return m_state == State::Busy; }
    const QString& address() const { return m_address; }

private:
    enum class State { Head, Body, Busy, Draining, Closed };

    void readAvailable();
    void parse();
    bool parseHead();   // false: wait for more bytes or gave up
    void fail(int status, const QString& message);
    void writeResponse(const HttpResponse& response, bool keepAlive);
    qint64 unsentBytes() const;
    void onBytesWritten();
    void shutDown();
    void onTimeout();
    void restartTimer();

    HttpServer* m_server;
    quint64 m_id;
    QTcpSocket* m_socket;
    QString m_address;
    QTimer m_timer;
    State m_state = State::Head;
    QByteArray m_buffer;
    HttpHeadReader m_headReader;
    QElapsedTimer m_requestClock;   // since the request's first byte
    HttpRequest m_request;
    qint64 m_bodyBytes = 0;
    qint64 m_heldBytes = 0;      // reserved with the server for this request
    bool m_keepAlive = true;
    bool m_headOnly = false;     // HEAD: the answer's head without its body
    bool m_waitingForReader = false;   // answers unread: the next request waits
};

HttpServer::Connection::Connection(HttpServer* server, quint64 id, QTcpSocket* socket)
    : m_server(server), m_id(id), m_socket(socket), m_address(socket->peerAddress().toString()),
      m_headReader(server->m_limits.maxHeaderBytes, server->m_limits.maxBodyBytes)
{
    m_socket->setParent(nullptr);
    m_socket->setReadBufferSize(SocketReadBufferBytes);
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, m_socket, [this] { onTimeout(); });
    QObject::connect(m_socket, &QTcpSocket::readyRead, m_socket, [this] { readAvailable(); });
    QObject::connect(m_socket, &QTcpSocket::disconnected, m_socket, [this] { shutDown(); });
    QObject::connect(m_socket, &QTcpSocket::errorOccurred, m_socket, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            shutDown();
    });
    QObject::connect(m_socket, &QTcpSocket::bytesWritten, m_socket, [this] { onBytesWritten(); });
    if (auto* tls = qobject_cast<QSslSocket*>(m_socket))
        QObject::connect(tls, &QSslSocket::encryptedBytesWritten, m_socket, [this] { onBytesWritten(); });
    restartTimer();
    readAvailable();
}

HttpServer::Connection::~Connection()
{
    m_server->release(std::exchange(m_heldBytes, 0));
    m_timer.stop();
    m_socket->disconnect();
    m_socket->abort();
    m_socket->deleteLater();
}

qint64 HttpServer::Connection::unsentBytes() const
{
    // Over TLS the encrypted bytes wait in a buffer of their own.
    const auto* tls = qobject_cast<const QSslSocket*>(m_socket);
    return m_socket->bytesToWrite() + (tls ? tls->encryptedBytesToWrite() : 0);
}

void HttpServer::Connection::onBytesWritten()
{
    // After an error answer, stop sending but keep reading (and dropping)
    // what the client still sends, so that it sees the answer instead of a reset.
    if (m_state == State::Draining && unsentBytes() == 0)
        ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    if (m_waitingForReader && unsentBytes() <= m_server->m_limits.maxUnsentBytes / 2) {
        m_waitingForReader = false;
        restartTimer();
        parse();
        if (m_state == State::Head || m_state == State::Body)
            readAvailable();
    }
}

void HttpServer::Connection::restartTimer()
{
    const HttpLimits& limits = m_server->m_limits;
    if (m_waitingForReader) {
        m_timer.start(limits.idleTimeoutMs);
        return;
    }
    const auto untilDeadline = [&] {
        return int(qMax<qint64>(0, limits.readTimeoutMs - m_requestClock.elapsed()));
    };
    switch (m_state) {
    case State::Head:
        if (m_buffer.isEmpty())
            m_timer.start(limits.idleTimeoutMs);
        else
            m_timer.start(untilDeadline());
        break;
    case State::Body: m_timer.start(untilDeadline()); break;
    case State::Draining: m_timer.start(LingerAfterErrorMs); break;
    case State::Closed: m_timer.start(limits.idleTimeoutMs); break;   // the last answer, unread
    case State::Busy: m_timer.stop(); break;
    }
}

void HttpServer::Connection::onTimeout()
{
    if (m_waitingForReader || m_state == State::Closed || m_state == State::Draining
        || (m_state == State::Head && m_buffer.isEmpty())) {
        m_socket->abort();
        shutDown();
    } else if (m_state == State::Head || m_state == State::Body) {
        fail(408, QStringLiteral("the request did not arrive in time"));
    }
}

void HttpServer::Connection::readAvailable()
{
    if (m_state == State::Draining) {
        m_socket->readAll();
        return;
    }
    // Otherwise the rest waits in the socket (and the client, once its
    // buffer is full) until the answer is out and read.
    if ((m_state != State::Head && m_state != State::Body) || m_waitingForReader)
        return;
    m_buffer.append(m_socket->readAll());
    parse();
}

void HttpServer::Connection::parse()
{
    if (m_state == State::Head && !m_buffer.isEmpty() && !m_requestClock.isValid())
        m_requestClock.start();
    if (m_state == State::Head && !parseHead()) {
        if (m_state == State::Head)
            restartTimer();
        return;
    }
    if (m_state != State::Body)
        return;
    if (m_buffer.size() < m_bodyBytes) {
        restartTimer();
        return;
    }
    m_request.body = m_buffer.left(m_bodyBytes);
    m_request.clientAddress = m_address;
    m_buffer.remove(0, m_bodyBytes);
    m_requestClock.invalidate();
    m_state = State::Busy;
    restartTimer();
    m_server->dispatch(m_id, std::exchange(m_request, HttpRequest()));
}

bool HttpServer::Connection::parseHead()
{
    std::optional<HttpHead> head;
    try {
        head = m_headReader.read(m_buffer);
        if (!head)
            return false;
        if (!m_server->reserve(head->bodyBytes + RequestOverheadBytes))
            throw HttpHeadError{503, QStringLiteral("the server holds too many requests; try again shortly")};
    } catch (const HttpHeadError& error) {
        m_headOnly = m_headReader.isHeadRequest();
        fail(error.status, error.message);
        return false;
    }
    m_heldBytes = head->bodyBytes + RequestOverheadBytes;
    m_headOnly = head->request.method == "HEAD";
    if (head->expectContinue)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    m_request = std::move(head->request);
    m_bodyBytes = head->bodyBytes;
    m_keepAlive = head->keepAlive;
    m_state = State::Body;
    return true;
}

void HttpServer::Connection::fail(int status, const QString& message)
{
    HttpResponse response;
    response.status = status;
    response.body = m_server->m_errorBody(status, message);
    writeResponse(response, false);
    m_buffer.clear();
    m_waitingForReader = false;
    m_state = State::Draining;
    restartTimer();
    onBytesWritten();
    m_socket->readAll();
}

void HttpServer::Connection::writeResponse(const HttpResponse& response, bool keepAlive)
{
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(response.status) + ' '
        + reasonPhrase(response.status) + "\r\n";
    if (response.status != 204) {
        bytes += "Content-Type: application/json; charset=utf-8\r\n";
        bytes += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    }
    for (const auto& [name, value] : response.headers)
        bytes += name + ": " + value + "\r\n";
    bytes += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    m_socket->write(bytes);
    // Apart from the head: a long body is not copied once more to join them.
    if (response.status != 204 && !m_headOnly)
        m_socket->write(response.body);
}

void HttpServer::Connection::respond(const HttpResponse& response)
{
    if (m_state != State::Busy)
        return;
    m_server->release(std::exchange(m_heldBytes, 0));
    const bool keepAlive = m_keepAlive && !m_server->m_closing;
    writeResponse(response, keepAlive);
    m_headOnly = false;
    if (!keepAlive) {
        m_state = State::Closed;
        restartTimer();
        m_socket->disconnectFromHost();
        return;
    }
    m_state = State::Head;
    m_waitingForReader = unsentBytes() > m_server->m_limits.maxUnsentBytes;
    restartTimer();
    if (m_waitingForReader)
        return;
    parse();
    if (m_state == State::Head || m_state == State::Body)
        readAvailable();
}

void HttpServer::Connection::closeWhenIdle()
{
    if (m_state == State::Busy)
        return;   // closes after its answer
    if (m_state == State::Head && m_buffer.isEmpty()) {
        m_state = State::Closed;
        m_socket->disconnectFromHost();
        return;
    }
    if (m_state != State::Draining && m_state != State::Closed)
        fail(503, QStringLiteral("the server is shutting down"));
}

void HttpServer::Connection::shutDown()
{
    if (m_state == State::Closed && m_socket->state() != QAbstractSocket::UnconnectedState)
        return;   // disconnected() follows once the answer is out
    m_state = State::Closed;
    m_timer.stop();
    m_server->forget(m_id);
}

HttpServer::HttpServer(QThreadPool* pool, Handler handler, ErrorBody errorBody, HttpLimits limits,
                       QObject* parent)
    : QObject(parent), m_pool(pool), m_handler(std::move(handler)),
      m_errorBody(std::move(errorBody)), m_limits(limits)
{
}

HttpServer::~HttpServer()
{
    // Tasks in flight post their answers to this object.
    m_pool->waitForDone();
    m_connections.clear();
}

void HttpServer::useTls(const QSslConfiguration& configuration)
{
    m_tls = configuration;
}

void HttpServer::listen(const QHostAddress& address, quint16 port)
{
    if (m_tls) {
        auto* tls = new QSslServer(this);
        tls->setSslConfiguration(*m_tls);
        tls->setHandshakeTimeout(TlsHandshakeTimeoutMs);
        // A client that does not trust the certificate ends here; say so, or
        // the administrator sees nothing at all.
        connect(tls, &QSslServer::errorOccurred, this, [](QSslSocket* socket, QAbstractSocket::SocketError) {
            qCInfo(lcHttp).noquote() << "client=" + socket->peerAddress().toString()
                                     << "TLS connection failed:" << socket->errorString();
        });
        m_tcp = tls;
    } else {
        m_tcp = new QTcpServer(this);
    }
    // A TLS connection becomes pending only once its handshake is done.
    connect(m_tcp, &QTcpServer::pendingConnectionAvailable, this, &HttpServer::acceptConnections);
    if (!m_tcp->listen(address, port))
        throw std::runtime_error(QStringLiteral("cannot listen on %1:%2: %3")
                                     .arg(address.toString()).arg(port).arg(m_tcp->errorString())
                                     .toStdString());
}

quint16 HttpServer::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

void HttpServer::acceptConnections()
{
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        if (m_closing) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (qsizetype(m_connections.size()) >= m_limits.maxConnections) {
            refuseConnection(socket, QStringLiteral("too many connections"));
            continue;
        }
        int& fromAddress = m_connectionsPerAddress[socket->peerAddress().toString()];
        if (fromAddress >= m_limits.maxConnectionsPerAddress) {
            refuseConnection(socket, QStringLiteral("too many connections from this address"));
            continue;
        }
        ++fromAddress;
        const quint64 id = m_nextConnectionId++;
        m_connections.emplace(id, std::make_unique<Connection>(this, id, socket));
    }
}

void HttpServer::refuseConnection(QTcpSocket* socket, const QString& message)
{
    const QByteArray body = m_errorBody(503, message);
    socket->write("HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json; charset=utf-8\r\n"
                  "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // Also when the client never reads the answer.
    QTimer::singleShot(LingerAfterErrorMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

bool HttpServer::reserve(qint64 bytes)
{
    if (m_heldBytes + bytes > m_limits.maxHeldBytes)
        return false;
    m_heldBytes += bytes;
    return true;
}

void HttpServer::release(qint64 bytes)
{
    m_heldBytes -= bytes;
}

void HttpServer::dispatch(quint64 connectionId, HttpRequest request)
{
    ++m_inFlight;
    if (m_immediate) {
        if (std::optional<HttpResponse> answer = m_immediate(request)) {
            // Queued, so the connection is not re-entered from its own parse().
            QMetaObject::invokeMethod(this, [this, connectionId, response = std::move(*answer)] {
                deliver(connectionId, response);
            }, Qt::QueuedConnection);
            return;
        }
    }
    m_pool->start([this, connectionId, request = std::move(request)] {
        HttpResponse response = m_handler(request);
        QMetaObject::invokeMethod(this, [this, connectionId, response = std::move(response)] {
            deliver(connectionId, response);
        }, Qt::QueuedConnection);
    });
}

void HttpServer::deliver(quint64 connectionId, HttpResponse response)
{
    if (response.delayMs > 0) {
        const int delayMs = std::exchange(response.delayMs, 0);
        QTimer::singleShot(delayMs, this, [this, connectionId, response] {
            deliver(connectionId, response);
        });
        return;
    }
    --m_inFlight;
    const auto found = m_connections.find(connectionId);
    if (found != m_connections.end())
        found->second->respond(response);
    checkDrained();
}

void HttpServer::forget(quint64 connectionId)
{
    // Deferred: the connection may be in the middle of one of its own functions.
    QMetaObject::invokeMethod(this, [this, connectionId] {
        const auto found = m_connections.find(connectionId);
        if (found != m_connections.end()) {
            const auto fromAddress = m_connectionsPerAddress.find(found->second->address());
            if (fromAddress != m_connectionsPerAddress.end() && --*fromAddress <= 0)
                m_connectionsPerAddress.erase(fromAddress);
            m_connections.erase(found);
        }
        checkDrained();
    }, Qt::QueuedConnection);
}

void HttpServer::close()
{
    m_closing = true;
    if (m_tcp)
        m_tcp->close();
    for (auto& [id, connection] : m_connections)
        connection->closeWhenIdle();
    checkDrained();
}

bool HttpServer::isDrained() const
{
    return m_closing && m_inFlight == 0 && m_connections.empty();
}

void HttpServer::checkDrained()
{
    if (isDrained())
        emit drained();
}
