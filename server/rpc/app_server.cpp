#include "app_server.h"

#include "database_probe.h"
#include "http_server.h"
#include "modules/modules.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QThread>
#include <QThreadPool>
#include <stdexcept>

namespace {

int defaultWorkerCount()
{
    return qMax(4, 2 * QThread::idealThreadCount());
}

HttpResponse jsonError(int status, int code, const QString& message)
{
    HttpResponse response;
    response.status = status;
    response.body = RpcDispatcher::errorBody(code, message);
    return response;
}

HttpResponse methodNotAllowed(const QByteArray& allowed, const HttpRequest& request)
{
    HttpResponse response = jsonError(405, RpcErrorCode::InvalidRequest,
                                      QStringLiteral("%1 is not allowed on %2; use %3")
                                          .arg(QString::fromLatin1(request.method),
                                               QString::fromUtf8(request.path).left(200),
                                               QString::fromLatin1(allowed)));
    response.headers.append({"Allow", allowed});
    return response;
}

[[noreturn]] void failTls(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

QByteArray readTlsFile(const QString& path, const char* what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        failTls(QStringLiteral("cannot read the TLS %1 %2: %3").arg(QLatin1String(what), path, file.errorString()));
    return file.readAll();
}

QSslConfiguration tlsConfiguration(const QString& certificateFile, const QString& keyFile)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromData(readTlsFile(certificateFile, "certificate"), QSsl::Pem);
    if (chain.isEmpty())
        failTls(QStringLiteral("%1 holds no PEM certificate (-----BEGIN CERTIFICATE-----)").arg(certificateFile));
    const QByteArray keyBytes = readTlsFile(keyFile, "key");
    QSslKey key;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec}) {
        key = QSslKey(keyBytes, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            break;
    }
    if (key.isNull())
        failTls(QStringLiteral("%1 holds no unencrypted PEM private key (RSA or EC)").arg(keyFile));

    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);   // clients prove who they are by logging in
    return configuration;
}

QString bearerToken(const HttpRequest& request)
{
    const QByteArray authorization = request.header("authorization");
    const qsizetype space = authorization.indexOf(' ');
    if (space < 0 || authorization.left(space).toLower() != "bearer")
        return {};
    return QString::fromLatin1(authorization.mid(space + 1).trimmed());
}

} // namespace

AppServer::AppServer(ServerOptions options)
    : m_options(std::move(options)),
      m_databases(m_options.database),
      m_sessions(m_options.sessions),
      m_dispatcher(m_registry, m_sessions, m_databases, m_options.retry),
      m_pool(std::make_unique<QThreadPool>())
{
    registerMethods(m_registry, m_sessions);
    if (m_options.extraMethods)
        m_options.extraMethods(m_registry);
    m_pool->setMaxThreadCount(m_options.workers > 0 ? m_options.workers : defaultWorkerCount());
    m_pool->setExpiryTimeout(-1);   // a worker keeps its database connection
    m_http = std::make_unique<HttpServer>(
        m_pool.get(), [this](const HttpRequest& request) { return route(request); },
        [](int, const QString& message) {
            return RpcDispatcher::errorBody(RpcErrorCode::InvalidRequest, message);
        },
        m_options.http);
    m_http->setImmediateHandler([this](const HttpRequest& request) { return answerAtOnce(request); });
    if (m_options.tlsCertificateFile.isEmpty() != m_options.tlsKeyFile.isEmpty())
        failTls(QStringLiteral("TLS needs both a certificate and a key file"));
    if (!m_options.tlsCertificateFile.isEmpty())
        m_http->useTls(tlsConfiguration(m_options.tlsCertificateFile, m_options.tlsKeyFile));
}

AppServer::~AppServer()
{
    m_http.reset();
    m_pool.reset();
    m_probe.reset();
}

void AppServer::registerMethods(MethodRegistry& registry, SessionService& sessions)
{
    registerAllMethods(registry);
    sessions.registerMethods(registry);
    registry.requireWholeCatalogue();
}

void AppServer::listen()
{
    if (!m_probe)
        m_probe = std::make_unique<DatabaseProbe>(m_options.database, m_options.healthCheckIntervalMs);
    m_http->listen(m_options.address, m_options.port);
}

quint16 AppServer::port() const
{
    return m_http->port();
}

void AppServer::close()
{
    m_http->close();
}

QString AppServer::scheme() const
{
    return m_http->usesTls() ? QStringLiteral("https") : QStringLiteral("http");
}

int AppServer::workerCount() const
{
    return m_pool->maxThreadCount();
}

// The health check never waits for a worker: a load balancer must see a
// busy server as alive.
std::optional<HttpResponse> AppServer::answerAtOnce(const HttpRequest& request)
{
    if (request.path != "/health")
        return std::nullopt;
    if (request.method != "GET" && request.method != "HEAD")
        return methodNotAllowed("GET, HEAD", request);
    return health();
}

HttpResponse AppServer::health()
{
    const DatabaseHealth database = m_probe ? m_probe->health() : DatabaseHealth{};
    QJsonObject body{{QStringLiteral("version"), PedServerVersion},
                     {QStringLiteral("database"), m_options.database.kindName()},
                     {QStringLiteral("databaseAnswers"), database.answers},
                     {QStringLiteral("databaseCheckedMsAgo"), database.checkedMsAgo}};
    if (!database.answers)
        body.insert(QStringLiteral("databaseProblem"), database.problem);
    HttpResponse response;
    response.status = database.answers ? 200 : 503;
    response.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return response;
}

HttpResponse AppServer::route(const HttpRequest& request)
{
    try {
        if (request.path.startsWith("/rpc/")) {
            if (request.method != "POST")
                return methodNotAllowed("POST", request);
            const QString module = QString::fromUtf8(request.path.mid(5));
            const RpcReply reply = m_dispatcher.handle(module, bearerToken(request), request.body,
                                                       request.clientAddress,
                                                       QString::fromLatin1(request.header("idempotency-key").trimmed()));
            HttpResponse response;
            response.status = reply.httpStatus;
            response.body = reply.body;
            response.delayMs = reply.delayMs;
            if (reply.httpStatus == 401)
                response.headers.append({QByteArrayLiteral("WWW-Authenticate"), QByteArrayLiteral("Bearer")});
            return response;
        }
        return jsonError(404, RpcErrorCode::MethodNotFound,
                         QStringLiteral("no such path: %1; use POST /rpc/<ServerName> or GET /health")
                             .arg(QString::fromUtf8(request.path).left(200)));
    } catch (...) {
        return jsonError(500, RpcErrorCode::Internal, QStringLiteral("internal error"));
    }
}
