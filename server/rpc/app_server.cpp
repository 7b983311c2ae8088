#include "app_server.h"

#include "http_server.h"
#include "modules/modules.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QThreadPool>

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
    HttpLimits limits;
    limits.maxBodyBytes = m_options.maxBodyBytes;
    m_http = std::make_unique<HttpServer>(
        m_pool.get(), [this](const HttpRequest& request) { return route(request); },
        [](int, const QString& message) {
            return RpcDispatcher::errorBody(RpcErrorCode::InvalidRequest, message);
        },
        limits);
}

AppServer::~AppServer()
{
    m_http.reset();
    m_pool.reset();
}

void AppServer::registerMethods(MethodRegistry& registry, SessionService& sessions)
{
    registerAllMethods(registry);
    sessions.registerMethods(registry);
    registry.requireWholeCatalogue();
}

void AppServer::listen()
{
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

int AppServer::workerCount() const
{
    return m_pool->maxThreadCount();
}

HttpResponse AppServer::route(const HttpRequest& request)
{
    try {
        if (request.path == "/health") {
            if (request.method != "GET")
                return methodNotAllowed("GET", request);
            HttpResponse response;
            response.body = QJsonDocument(QJsonObject{
                {QStringLiteral("version"), PedServerVersion},
                {QStringLiteral("database"), m_options.database.kindName()}}).toJson(QJsonDocument::Compact);
            return response;
        }
        if (request.path.startsWith("/rpc/")) {
            if (request.method != "POST")
                return methodNotAllowed("POST", request);
            const QString module = QString::fromUtf8(request.path.mid(5));
            const RpcReply reply = m_dispatcher.handle(module, bearerToken(request), request.body);
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
