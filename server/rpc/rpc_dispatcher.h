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
    // `idempotencyKey` is the request's Idempotency-Key header, handed to the method.
    RpcReply handle(const QString& module, const QString& bearerToken, const QByteArray& body,
                    const QString& clientAddress = QStringLiteral("-"), const QString& idempotencyKey = {});

    // A complete error answer (id null), for failures outside any call.
    static QByteArray errorBody(int code, const QString& message);

private:
    struct Request;
    struct Outcome;
    static void logCall(const Request& request, const QString& module, const QString& method,
                        qint64 elapsedMs, int errorCode);
    Outcome handleOne(const QString& module, Request& request, const QJsonValue& element,
                      QByteArrayView elementText);
    Outcome invoke(const MethodSpec& spec, Request& request, const QJsonArray& params);
    Outcome run(const MethodSpec& spec, Request& request, const QJsonArray& params);
    QString admit(const MethodSpec& spec, Request& request, QSqlDatabase& db, const QJsonArray& params);
    void keepSessionUp(Request& request);
    Outcome internalFailure(const char* where, const QString& detail);
    static QString checkParams(const MethodSpec& spec, const QJsonArray& params, bool escapedNul);

    const MethodRegistry& m_registry;
    SessionService& m_sessions;
    WorkerDatabases& m_databases;
    RetryPolicy m_retryPolicy;
};
