#include "netconnection.h"

#include "clientlog.h"
#include "rpcwire.h"
#include "server_address.h"
#include "serversession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QIODevice>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cstring>

namespace {

struct ProcessHooks {
    std::function<ServerEndpoint()> endpointProvider;
    std::function<void()> busyBegin;
    std::function<void()> busyEnd;
    int busyDelayMs = 300;
    int busyDepth = 0;   // nested calls show the indicator once
    QList<QSslCertificate> extraCaCertificates;
};

ProcessHooks& hooks()
{
    static ProcessHooks instance;
    return instance;
}

// Shows the host's busy indicator while a call on the main thread outlasts
// the busy delay. The hooks must not throw: they run inside the call's loop.
class BusyScope {
public:
    BusyScope()
    {
        const QCoreApplication* app = QCoreApplication::instance();
        m_active = app && QThread::currentThread() == app->thread();
        if (!m_active || hooks().busyDepth++ > 0)
            return;
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_shown = true;
            if (hooks().busyBegin)
                hooks().busyBegin();
        });
        m_timer.start(hooks().busyDelayMs);
    }
    ~BusyScope()
    {
        if (!m_active)
            return;
        --hooks().busyDepth;
        if (m_shown && hooks().busyEnd)
            hooks().busyEnd();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QTimer m_timer;
    bool m_active = false;
    bool m_shown = false;
};

QString secondsText(int milliseconds)
{
    QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    brazil.setNumberOptions(QLocale::OmitGroupSeparator);
    return brazil.toString(milliseconds / 1000.0, 'g', 6);
}

// The request body as a device that cannot be rewound. On its own, the
// network stack sends a request again when the connection closes before the
// answer; the server may already have run it, so a change would run twice.
// A body that cannot be read a second time turns that resend into an error.
class OneShotBody : public QIODevice {
public:
    explicit OneShotBody(QByteArray bytes, QObject* parent)
        : QIODevice(parent)
        , m_bytes(std::move(bytes))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return m_bytes.size() - m_position + QIODevice::bytesAvailable(); }
    qint64 size() const override { return m_bytes.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, m_bytes.size() - m_position);
        memcpy(data, m_bytes.constData() + m_position, size_t(count));
        m_position += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
};

const QString SessionInvalidMessage = QStringLiteral("Sessão expirada ou inválida. Entre novamente.");

} // namespace

struct TNetConnection::Attempt {
    qint64 requestId = 0;
    bool timedOut = false;
    bool channelClosed = false;   // the connection was closed while the call waited
    QNetworkReply::NetworkError networkError = QNetworkReply::NoError;
    QString networkErrorText;
    QStringList sslErrors;        // why the server's certificate was not accepted
    int httpStatus = 0;           // 0: no HTTP answer at all
    QByteArray body;

    // A refused connection proves that the request never reached the server.
    bool neverReachedServer() const
    {
        return httpStatus == 0 && !timedOut && !channelClosed
               && networkError == QNetworkReply::ConnectionRefusedError;
    }
};

TNetConnection::TNetConnection(const QString& serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(serverName)
{
}

TNetConnection::~TNetConnection() = default;

void TNetConnection::setEndpointProvider(std::function<ServerEndpoint()> provider)
{
    hooks().endpointProvider = std::move(provider);
}

void TNetConnection::setBusyHooks(std::function<void()> begin, std::function<void()> end)
{
    hooks().busyBegin = std::move(begin);
    hooks().busyEnd = std::move(end);
}

void TNetConnection::setBusyDelayMs(int busyDelayMs)
{
    hooks().busyDelayMs = busyDelayMs;
}

void TNetConnection::setCaCertificatesFile(const QString& path)
{
    if (path.isEmpty()) {
        hooks().extraCaCertificates.clear();
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Não foi possível ler o arquivo da autoridade certificadora %1: %2")
                                     .arg(path, file.errorString()).toStdString());
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (certificates.isEmpty())
        throw std::runtime_error(QStringLiteral("O arquivo %1 não contém nenhum certificado PEM "
                                                "(-----BEGIN CERTIFICATE-----).").arg(path).toStdString());
    hooks().extraCaCertificates = certificates;
}

void TNetConnection::setConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

void TNetConnection::Open()
{
    if (m_connected)
        return;
    takeEndpoint();
    m_manager = new QNetworkAccessManager(this);
    // The server is reached directly on the company network, never through
    // a web proxy named in the environment.
    m_manager->setProxy(QNetworkProxy::NoProxy);
    m_connected = true;
}

void TNetConnection::Close()
{
    if (!m_connected)
        return;
    // A call may still be waiting on this channel inside its own loop.
    m_manager->deleteLater();
    m_manager = nullptr;
    m_connected = false;
}

void TNetConnection::Reconnect()
{
    Close();
    Open();
}

void TNetConnection::takeEndpoint()
{
    if (BeforeConnect) {
        BeforeConnect(*this);
    } else if (hooks().endpointProvider) {
        const ServerEndpoint endpoint = hooks().endpointProvider();
        m_host = endpoint.host;
        m_port = endpoint.port;
    } else if (m_host.isEmpty()) {
        const ServerEndpoint endpoint = ServerSession::instance().endpoint();
        m_host = endpoint.host;
        m_port = endpoint.port;
    }
}

ServerResult TNetConnection::call(const Rpc::MethodInfo& catalogued, const QList<RpcArg>& args)
{
    const QString method = catalogued.methodName();
    if (catalogued.serverName() != m_serverName)
        return ServerResult::failure(ServerError::BadCall,
                                     QStringLiteral("Chamada inválida: %1 não é um método de %2.")
                                         .arg(catalogued.label(), m_serverName));
    const QString mismatch = RpcWire::argumentMismatch(catalogued, args);
    if (!mismatch.isEmpty())
        return ServerResult::failure(ServerError::BadCall, QStringLiteral("Chamada inválida: %1.").arg(mismatch));

    Open();
    if (!ServerAddress::fromContext(m_host, m_port))
        return ServerResult::failure(ServerError::NotConfigured,
                                     QStringLiteral("O endereço do servidor de aplicação não está configurado "
                                                    "(servidor \"%1\", endereço \"%2\").")
                                         .arg(m_serverName, address()));

    BusyScope busy;
    Attempt attempt = send(method, args);
    if (attempt.neverReachedServer()) {
        qCInfo(lcServerClient) << "Reconectando a" << address() << "para" << callLabel(method);
        Reconnect();
        attempt = send(method, args);
    }
    return interpret(attempt, method, args);
}

QNetworkRequest TNetConnection::httpRequest(qint64 contentLength) const
{
    const ServerAddress target = *ServerAddress::fromContext(m_host, m_port);
    QNetworkRequest request(target.callUrl(m_serverName));
    if (target.tls && !hooks().extraCaCertificates.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(tls.caCertificates() + hooks().extraCaCertificates);
        request.setSslConfiguration(tls);
    }
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setHeader(QNetworkRequest::ContentLengthHeader, contentLength);
    const QString token = ServerSession::instance().token();
    if (!token.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    if (!m_idempotencyKey.isEmpty())
        request.setRawHeader("Idempotency-Key", m_idempotencyKey.toUtf8());
    return request;
}

TNetConnection::Attempt TNetConnection::send(const QString& method, const QList<RpcArg>& args)
{
    Attempt attempt;
    attempt.requestId = m_nextRequestId++;
    auto* body = new OneShotBody(RpcWire::request(attempt.requestId, method, args), nullptr);
    QPointer<QNetworkReply> reply = m_manager->post(httpRequest(body->size()), body);
    body->setParent(reply);
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
        attempt.timedOut = true;
        if (reply)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::sslErrors, &loop, [&](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            attempt.sslErrors.append(error.errorString());
    });
    QObject::connect(reply, &QObject::destroyed, &loop, &QEventLoop::quit);
    timeout.start(m_timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!reply) {
        attempt.channelClosed = true;
        return attempt;
    }
    attempt.networkError = reply->error();
    attempt.networkErrorText = reply->errorString();
    attempt.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        attempt.body = reply->readAll();
    delete reply.data();
    return attempt;
}

ServerResult TNetConnection::interpret(const Attempt& attempt, const QString& method,
                                       const QList<RpcArg>& args) const
{
    if (attempt.timedOut)
        return ServerResult::failure(ServerError::Timeout,
                                     QStringLiteral("O servidor de aplicação não respondeu em %1 s (%2, %3).")
                                         .arg(secondsText(m_timeoutMs), address(), callLabel(method)));
    if (attempt.channelClosed)
        return ServerResult::failure(ServerError::ConnectionFailed,
                                     QStringLiteral("A conexão com o servidor de aplicação em %1 foi fechada "
                                                    "durante a chamada %2.")
                                         .arg(address(), callLabel(method)));
    if (attempt.httpStatus == 401)
        return ServerResult::failure(ServerError::SessionInvalid, SessionInvalidMessage);
    if (attempt.httpStatus == 0)
        return networkFailure(attempt, method);
    return answerOf(attempt, method, args);
}

ServerResult TNetConnection::networkFailure(const Attempt& attempt, const QString& method) const
{
    qCDebug(lcServerClient) << callLabel(method) << "sem resposta HTTP:" << attempt.networkError
                            << attempt.networkErrorText;
    QString message;
    switch (attempt.networkError) {
    case QNetworkReply::ConnectionRefusedError:
        message = QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1: a conexão foi recusada. "
                                 "Verifique se o servidor está em execução.")
                      .arg(address());
        break;
    case QNetworkReply::HostNotFoundError:
        message = QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1: endereço não encontrado.")
                      .arg(address());
        break;
    case QNetworkReply::SslHandshakeFailedError:
        // Never retried over plain HTTP: the operator's password would cross the network in clear.
        message = attempt.sslErrors.isEmpty()
            ? QStringLiteral("Não foi possível abrir uma conexão segura (TLS) com o servidor de aplicação em %1: %2. "
                             "Verifique se o servidor atende HTTPS nesse endereço.")
                  .arg(address(), attempt.networkErrorText)
            : QStringLiteral("O certificado do servidor de aplicação em %1 não foi aceito: %2. A conexão não foi feita; "
                             "verifique o endereço e a autoridade certificadora configurada (--ca-file).")
                  .arg(address(), attempt.sslErrors.join(QStringLiteral("; ")));
        break;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ContentReSendError:
        message = QStringLiteral("A conexão com o servidor de aplicação em %1 caiu durante a chamada %2. A operação "
                                 "pode ter sido concluída no servidor; confira antes de repeti-la.")
                      .arg(address(), callLabel(method));
        break;
    default:
        message = QStringLiteral("Falha na comunicação com o servidor de aplicação em %1 (%2): %3")
                      .arg(address(), callLabel(method), attempt.networkErrorText);
        break;
    }
    return ServerResult::failure(ServerError::ConnectionFailed, message);
}

ServerResult TNetConnection::answerOf(const Attempt& attempt, const QString& method, const QList<RpcArg>& args) const
{
    const auto badResponse = [&](const QString& detail) {
        return ServerResult::failure(ServerError::BadResponse,
                                     QStringLiteral("Resposta inválida do servidor de aplicação em %1 (%2, HTTP %3): %4")
                                         .arg(address(), callLabel(method))
                                         .arg(attempt.httpStatus)
                                         .arg(detail));
    };
    const ServerResult answer = RpcWire::parseResponse(attempt.body, attempt.requestId);
    switch (answer.errorCode()) {
    case ServerError::None:
        break;
    case ServerError::MethodFailed:
        return answer;   // the method's own message, word for word: callers compare catalog keys
    case ServerError::BadResponse:
        return badResponse(answer.errorMessage());
    case ServerError::SessionInvalid:
        return ServerResult::failure(ServerError::SessionInvalid, SessionInvalidMessage);
    case ServerError::InternalError:
        return ServerResult::failure(answer.errorCode(),
                                     QStringLiteral("Erro interno do servidor de aplicação em %1 (%2): %3")
                                         .arg(address(), callLabel(method), answer.errorMessage()));
    default:
        return ServerResult::failure(answer.errorCode(),
                                     QStringLiteral("O servidor de aplicação recusou a chamada %1 (erro %2): %3")
                                         .arg(callLabel(method))
                                         .arg(answer.errorCode())
                                         .arg(answer.errorMessage()));
    }

    const ServerResult result = RpcWire::takeReferences(answer.value(), args);
    if (result.errorCode() == ServerError::BadResponse)
        return badResponse(result.errorMessage());
    return result;
}

QString TNetConnection::address() const
{
    const std::optional<ServerAddress> target = ServerAddress::fromContext(m_host, m_port);
    return target ? target->text() : QStringLiteral("%1:%2").arg(m_host).arg(m_port);
}

QString TNetConnection::callLabel(const QString& method) const
{
    return m_serverName + QLatin1Char('.') + method;
}
