#include "http_server.h"

#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QLoggingCategory>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
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

private:
    enum class State { Head, Body, Busy, Draining, Closed };

    void readAvailable();
    void parse();
    bool parseHead();   // false: wait for more bytes or gave up
    void readHead(const QByteArray& head);
    void fail(int status, const QString& message);
    void writeResponse(const HttpResponse& response, bool keepAlive);
    bool everythingSent() const;
    void stopSendingWhenSent();
    void shutDown();
    void onTimeout();
    void restartTimer();

    HttpServer* m_server;
    quint64 m_id;
    QTcpSocket* m_socket;
    QTimer m_timer;
    State m_state = State::Head;
    QByteArray m_buffer;
    HttpRequest m_request;
    qint64 m_bodyBytes = 0;
    bool m_keepAlive = true;
    bool m_headOnly = false;   // HEAD: the answer's head without its body
};

HttpServer::Connection::Connection(HttpServer* server, quint64 id, QTcpSocket* socket)
    : m_server(server), m_id(id), m_socket(socket)
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
    // After an error answer, stop sending but keep reading (and dropping)
    // what the client still sends, so that it sees the answer instead of a reset.
    QObject::connect(m_socket, &QTcpSocket::bytesWritten, m_socket, [this] { stopSendingWhenSent(); });
    if (auto* tls = qobject_cast<QSslSocket*>(m_socket))
        QObject::connect(tls, &QSslSocket::encryptedBytesWritten, m_socket, [this] { stopSendingWhenSent(); });
    restartTimer();
    readAvailable();
}

HttpServer::Connection::~Connection()
{
    m_timer.stop();
    m_socket->disconnect();
    m_socket->abort();
    m_socket->deleteLater();
}

bool HttpServer::Connection::everythingSent() const
{
    // Over TLS the encrypted bytes wait in a buffer of their own.
    const auto* tls = qobject_cast<const QSslSocket*>(m_socket);
    return m_socket->bytesToWrite() == 0 && (!tls || tls->encryptedBytesToWrite() == 0);
}

void HttpServer::Connection::stopSendingWhenSent()
{
    if (m_state == State::Draining && everythingSent())
        ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
}

void HttpServer::Connection::restartTimer()
{
    switch (m_state) {
    case State::Head:
        m_timer.start(m_buffer.isEmpty() ? m_server->m_limits.idleTimeoutMs
                                         : m_server->m_limits.readTimeoutMs);
        break;
    case State::Body: m_timer.start(m_server->m_limits.readTimeoutMs); break;
    case State::Draining: m_timer.start(LingerAfterErrorMs); break;
    case State::Busy:
    case State::Closed: m_timer.stop(); break;
    }
}

void HttpServer::Connection::onTimeout()
{
    if (m_state == State::Head && m_buffer.isEmpty())
        shutDown();
    else if (m_state == State::Head || m_state == State::Body)
        fail(408, QStringLiteral("the request did not arrive in time"));
    else if (m_state == State::Draining)
        shutDown();
}

void HttpServer::Connection::readAvailable()
{
    if (m_state == State::Draining) {
        m_socket->readAll();
        return;
    }
    if (m_state != State::Head && m_state != State::Body)
        return;   // the rest waits in the socket until the answer is out
    m_buffer.append(m_socket->readAll());
    parse();
}

void HttpServer::Connection::parse()
{
    if (m_state == State::Head && !parseHead()) {
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
    m_request.clientAddress = m_socket->peerAddress().toString();
    m_buffer.remove(0, m_bodyBytes);
    m_state = State::Busy;
    restartTimer();
    m_server->dispatch(m_id, std::exchange(m_request, HttpRequest()));
}

bool HttpServer::Connection::parseHead()
{
    while (m_buffer.startsWith("\r\n"))
        m_buffer.remove(0, 2);
    // Bytes that cannot begin a request line (a TLS handshake sent to the
    // plain port, above all) are refused now, not after the read timeout.
    const qsizetype space = m_buffer.indexOf(' ');
    const QByteArray method = m_buffer.left(space < 0 ? qMin<qsizetype>(m_buffer.size(), 32) : space);
    if (!method.isEmpty() && (!isToken(method) || method.size() >= 32)) {
        fail(400, m_buffer.startsWith('\x16') ? QStringLiteral("this port speaks plain HTTP, not TLS")
                                               : QStringLiteral("malformed request line"));
        return false;
    }
    const qsizetype end = m_buffer.indexOf("\r\n\r\n");
    const qint64 maxHeaderBytes = m_server->m_limits.maxHeaderBytes;
    if (end < 0 || end > maxHeaderBytes) {
        if (m_buffer.size() > maxHeaderBytes)
            fail(431, QStringLiteral("request head larger than %1 bytes").arg(maxHeaderBytes));
        return false;
    }
    const QByteArray head = m_buffer.left(end + 2);   // every line with its CRLF
    m_buffer.remove(0, end + 4);
    try {
        readHead(head);
    } catch (const HeadError& error) {
        fail(error.status, error.message);
        return false;
    }
    return true;
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
    const QList<QByteArray> requestLine = lines.first().split(' ');
    if (requestLine.size() != 3 || !isToken(requestLine[0]) || !requestLine[1].startsWith('/'))
        throw HeadError{400, QStringLiteral("malformed request line")};
    const QByteArray& version = requestLine[2];
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        throw HeadError{505, QStringLiteral("only HTTP/1.1 and HTTP/1.0 are served")};

    HttpRequest request;
    request.method = requestLine[0];
    m_headOnly = request.method == "HEAD";
    QByteArray target = requestLine[1];
    const qsizetype queryStart = target.indexOf('?');
    if (queryStart >= 0)
        target.truncate(queryStart);
    request.path = QByteArray::fromPercentEncoding(target);

    bool keepAlive = version == "HTTP/1.1";
    bool expectContinue = false;
    QByteArray contentLength;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            throw HeadError{400, QStringLiteral("malformed header line")};
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name == "content-length") {
            if (!contentLength.isEmpty() && contentLength != value)
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
    if (!contentLength.isEmpty()) {
        bool numeric = contentLength.size() <= 18
            && std::all_of(contentLength.cbegin(), contentLength.cend(),
                           [](char c) { return c >= '0' && c <= '9'; });
        bodyBytes = numeric ? contentLength.toLongLong(&numeric) : 0;
        if (!numeric)
            throw HeadError{400, QStringLiteral("malformed Content-Length")};
    }
    const qint64 maxBodyBytes = m_server->m_limits.maxBodyBytes;
    if (bodyBytes > maxBodyBytes)
        throw HeadError{413, QStringLiteral("request body of %1 bytes is over the limit of %2 bytes")
                                 .arg(bodyBytes).arg(maxBodyBytes)};
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
    m_state = State::Draining;
    restartTimer();
    stopSendingWhenSent();
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
    const bool keepAlive = m_keepAlive && !m_server->m_closing;
    writeResponse(response, keepAlive);
    if (!keepAlive) {
        m_state = State::Closed;
        m_socket->disconnectFromHost();
        return;
    }
    m_state = State::Head;
    restartTimer();
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
            const QByteArray body = m_errorBody(503, QStringLiteral("too many connections"));
            socket->write("HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json; charset=utf-8\r\n"
                          "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        const quint64 id = m_nextConnectionId++;
        m_connections.emplace(id, std::make_unique<Connection>(this, id, socket));
    }
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
        m_connections.erase(connectionId);
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
