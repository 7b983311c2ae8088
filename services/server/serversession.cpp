#include "serversession.h"

#include "server_address.h"

#include <QJsonObject>
#include <QMutexLocker>

namespace {

// Login answers the token as text, or as an object carrying it.
QString tokenOf(const QJsonValue& answer)
{
    if (answer.isString())
        return answer.toString();
    return answer.toObject().value(QLatin1String("token")).toString();
}

template <std::size_t N>
ServerResult callSessionMethod(const ServerEndpoint& endpoint, const Rpc::Method<N>& method,
                               const std::array<RpcArg, N>& args)
{
    TNetConnection connection(ServerNames::DBGeral);
    connection.BeforeConnect = [](TNetConnection&) {};   // this endpoint, whatever is installed
    connection.setHost(endpoint.host);
    connection.setPort(endpoint.port);
    return connection.call(method, args);
}

} // namespace

ServerSession& ServerSession::instance()
{
    static ServerSession session;
    return session;
}

ServerResult ServerSession::login(const QString& host, int port, const QString& operatorCode,
                                  const QString& password)
{
    logout();
    const ServerEndpoint endpoint{host, port};
    const ServerResult result = callSessionMethod(endpoint, Rpc::DBGeral::Login, {operatorCode, password});
    if (!result.ok())
        return result;

    const QString token = tokenOf(result.value());
    if (token.isEmpty())
        return ServerResult::failure(ServerError::BadResponse,
                                     QStringLiteral("O servidor de aplicação em %1 aceitou o log-in mas não "
                                                    "devolveu a sessão.")
                                         .arg(ServerAddress::fromContext(host, port)->text()));
    adopt(endpoint, operatorCode, token);
    return result;
}

void ServerSession::adopt(const ServerEndpoint& endpoint, const QString& operatorCode, const QString& token)
{
    QMutexLocker locker(&m_mutex);
    m_endpoint = endpoint;
    m_operatorCode = operatorCode;
    m_token = token;
}

ServerResult ServerSession::logout()
{
    const QString ending = token();
    const ServerEndpoint where = endpoint();
    forget();
    if (ending.isEmpty())
        return ServerResult::success(false);
    return callSessionMethod(where, Rpc::DBGeral::Logout, {ending});
}

void ServerSession::forget()
{
    adopt(ServerEndpoint{}, QString(), QString());
}

bool ServerSession::isOpen() const
{
    QMutexLocker locker(&m_mutex);
    return !m_token.isEmpty();
}

QString ServerSession::token() const
{
    QMutexLocker locker(&m_mutex);
    return m_token;
}

QString ServerSession::operatorCode() const
{
    QMutexLocker locker(&m_mutex);
    return m_operatorCode;
}

ServerEndpoint ServerSession::endpoint() const
{
    QMutexLocker locker(&m_mutex);
    return m_endpoint;
}
