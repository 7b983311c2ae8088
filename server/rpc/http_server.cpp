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

bool isToken(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c <= ' ' || c >= 127 || QByteArrayView("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    }
    return true;
}

struct HeadError {
    int status;
    QString message;
};

// What a call costs beside its body (the request, its task, its answer),
// so that a flood of small calls counts too.
constexpr qint64 RequestOverheadBytes = 4096;

bool isControlByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7f;
}

// Checked as soon as the line has arrived, so that what is no HTTP is told
// so at once instead of after the read timeout.
void checkRequestLine(const QByteArray& line)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/')
        || std::any_of(parts[1].begin(), parts[1].end(), isControlByte))
        throw HeadError{400, QStringLiteral("malformed request line")};
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        throw HeadError{505, QStringLiteral("only HTTP/1.1 and HTTP/1.0 are served")};
}

} // namespace

QByteArray HttpRequest::header(const QByteArray& lowerCaseName) const
{
    for (const auto& [name, value] : headers) {
        if (name == lowerCaseName)
            return value;
    }
    return {};
}

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
    bool findHeadEnd();  // false: wait for more bytes or gave up
    void readHead(const QByteArray& head);
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
    qsizetype m_scanned = 0;     // bytes of the head already searched for its end
    qsizetype m_lineStart = 0;   // where the head's current line begins
    QElapsedTimer m_requestClock;   // since the request's first byte
    HttpRequest m_request;
    qint64 m_bodyBytes = 0;
    qint64 m_heldBytes = 0;      // reserved with the server for this request
    bool m_keepAlive = true;
    bool m_headOnly = false;     // HEAD: the answer's head without its body
    bool m_waitingForReader = false;   // answers unread: the next request waits
};

HttpServer::Connection::Connection(HttpServer* server, quint64 id, QTcpSocket* socket)
    : m_server(server), m_id(id), m_socket(socket), m_address(socket->peerAddress().toString())
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
    if (m_scanned == 0) {
        while (m_buffer.startsWith("\r\n"))
            m_buffer.remove(0, 2);
        // Bytes that cannot begin a request line (a TLS handshake sent to the
        // plain port, above all) are refused now, not after the read timeout.
        const QByteArray start = m_buffer.left(33);
        const qsizetype space = start.indexOf(' ');
        const QByteArray method = start.left(space < 0 ? 32 : space);
        if (!method.isEmpty() && (!isToken(method) || method.size() >= 32)) {
            fail(400, m_buffer.startsWith('\x16') ? QStringLiteral("this port speaks plain HTTP, not TLS")
                                                   : QStringLiteral("malformed request line"));
            return false;
        }
    }
    try {
        if (!findHeadEnd())
            return false;
        const QByteArray head = m_buffer.left(m_lineStart);   // every line with its CRLF
        m_buffer.remove(0, m_lineStart + 2);
        m_scanned = m_lineStart = 0;
        readHead(head);
    } catch (const HeadError& error) {
        fail(error.status, error.message);
        return false;
    }
    return true;
}

// Searches only the bytes that arrived since the last search, line by line;
// true with m_lineStart at the empty line that ends the head.
bool HttpServer::Connection::findHeadEnd()
{
    const qint64 maxHeaderBytes = m_server->m_limits.maxHeaderBytes;
    const HeadError tooLarge{431, QStringLiteral("request head larger than %1 bytes").arg(maxHeaderBytes)};
    for (qsizetype lf; (lf = m_buffer.indexOf('\n', m_scanned)) >= 0;) {
        if (lf == 0 || m_buffer.at(lf - 1) != '\r')
            throw HeadError{400, QStringLiteral("header lines must end with CRLF")};
        if (m_lineStart > 0 && lf - 1 == m_lineStart)
            return true;
        if (m_lineStart == 0)
            checkRequestLine(m_buffer.left(lf - 1));
        m_lineStart = m_scanned = lf + 1;
        if (m_lineStart > maxHeaderBytes)
            throw tooLarge;
    }
    m_scanned = m_buffer.size();
    if (m_buffer.size() > maxHeaderBytes)
        throw tooLarge;
    return false;
}

void HttpServer::Connection::readHead(const QByteArray& head)
{
    QList<QByteArray> lines = head.split('\n');
    lines.removeLast();   // after the final CRLF
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r'))
            throw HeadError{400, QStringLiteral("header lines must end with CRLF")};
        line.chop(1);
    }
    checkRequestLine(lines.first());
    const QList<QByteArray> requestLine = lines.first().split(' ');
    const QByteArray& version = requestLine[2];

    HttpRequest request;
    request.method = requestLine[0];
    m_headOnly = request.method == "HEAD";
    QByteArray target = requestLine[1];
    const qsizetype queryStart = target.indexOf('?');
    if (queryStart >= 0)
        target.truncate(queryStart);
    request.path = target;   // routed as sent: "/rpc/%50ED..." names no server

    bool keepAlive = version == "HTTP/1.1";
    bool expectContinue = false;
    std::optional<QByteArray> contentLength;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            throw HeadError{400, QStringLiteral("malformed header line")};
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (std::any_of(value.cbegin(), value.cend(), isControlByte))
            throw HeadError{400, QStringLiteral("control character in the value of header %1")
                                     .arg(QString::fromLatin1(name.left(64)))};
        request.headers.append({name, value});
        if (name == "content-length") {
            if (contentLength && *contentLength != value)
                throw HeadError{400, QStringLiteral("conflicting Content-Length headers")};
            contentLength = value;
        } else if (name == "transfer-encoding") {
            throw HeadError{411, QStringLiteral("send the body with Content-Length; "
                                                "chunked bodies are not accepted")};
        } else if (name == "connection") {
            const QByteArray options = value.toLower();
            if (options.contains("close"))
                keepAlive = false;
            else if (options.contains("keep-alive"))
                keepAlive = true;
        } else if (name == "expect") {
            if (value.toLower() != "100-continue")
                throw HeadError{417, QStringLiteral("unsupported expectation")};
            expectContinue = version == "HTTP/1.1";
        }
    }

    qint64 bodyBytes = 0;
    if (contentLength) {
        bool numeric = !contentLength->isEmpty() && contentLength->size() <= 18
            && std::all_of(contentLength->cbegin(), contentLength->cend(),
                           [](char c) { return c >= '0' && c <= '9'; });
        bodyBytes = numeric ? contentLength->toLongLong(&numeric) : 0;
        if (!numeric)
            throw HeadError{400, QStringLiteral("malformed Content-Length")};
    }
    const qint64 maxBodyBytes = m_server->m_limits.maxBodyBytes;
    if (bodyBytes > maxBodyBytes)
        throw HeadError{413, QStringLiteral("request body of %1 bytes is over the limit of %2 bytes")
                                 .arg(bodyBytes).arg(maxBodyBytes)};
    if (!m_server->reserve(bodyBytes + RequestOverheadBytes))
        throw HeadError{503, QStringLiteral("the server holds too many requests; try again shortly")};
    m_heldBytes = bodyBytes + RequestOverheadBytes;
    if (expectContinue)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");

    m_request = std::move(request);
    m_bodyBytes = bodyBytes;
    m_keepAlive = keepAlive;
    m_state = State::Body;
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
