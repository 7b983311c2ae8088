#pragma once
// JSON-RPC 2.0 over the method registry, independent of HTTP: takes the body
// of one POST /rpc/<module> and gives back the answer to send.

#include "protocol.h"
#include "transaction.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QString>
#include <optional>

class MethodRegistry;
class SessionService;
class WorkerDatabases;
struct MethodSpec;

struct RpcReply {
    int httpStatus = 200;
    QByteArray body;      // empty for 204 (only notifications)
    int delayMs = 0;      // hold the answer back this long (failed log-ins)
};

class RpcDispatcher {
public:
    // Calls run on the calling thread's own connection from `databases`.
    RpcDispatcher(const MethodRegistry& registry, SessionService& sessions,
                  WorkerDatabases& databases, RetryPolicy retryPolicy = {});

    // Logs one line per call: client, operator, module, method, duration, outcome.
    RpcReply handle(const QString& module, const QString& bearerToken, const QByteArray& body,
                    const QString& clientAddress = QStringLiteral("-"));

    // A complete error answer (id null), for failures outside any call.
    static QByteArray errorBody(int code, const QString& message);

private:
    struct Request;
    struct Outcome;
    static void logCall(const Request& request, const QString& module, const QString& method,
                        qint64 elapsedMs, int errorCode);
    Outcome handleOne(const QString& module, Request& request, const QJsonValue& element);
    Outcome invoke(const MethodSpec& spec, const QString& operatorCode, const QJsonArray& params);
    Outcome internalFailure(const char* where, const QString& detail);
    std::optional<QString> sessionOperator(Request& request);
    static QString checkParams(const MethodSpec& spec, const QJsonArray& params);

    const MethodRegistry& m_registry;
    SessionService& m_sessions;
    WorkerDatabases& m_databases;
    RetryPolicy m_retryPolicy;
};
