#include "rpc_dispatcher.h"

#include "method_registry.h"
#include "session_service.h"
#include "worker_databases.h"

#include "iso_datetime.h"
#include "json_text.h"
#include "strict_json.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <cmath>

Q_LOGGING_CATEGORY(lcRpc, "ped.rpc")

namespace {

constexpr double MaxExactInteger = 9007199254740992.0;   // 2^53
QAtomicInteger<quint64> incidentCounter;

bool isKnownModule(const MethodRegistry& registry, const QString& module)
{
    static const QStringList fixed{ServerNames::LanPedido, ServerNames::NotaPedido,
                                   ServerNames::GeraNFFutura, ServerNames::DBGeral};
    return fixed.contains(module) || registry.hasModule(module);
}

QString printable(const QString& text)
{
    QString shown = text.left(64);
    for (QChar& c : shown) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    return shown;
}

// Answers are written as text around the id exactly as the caller sent it
// and around the result's own text, so that neither is parsed or copied into
// a tree; the keys stay in the order QJsonObject writes them.
QByteArray errorResponse(QByteArrayView idText, int code, const QString& message)
{
    QByteArray body = "{\"error\":{\"code\":" + QByteArray::number(code) + ",\"message\":";
    appendJsonString(body, message);
    body.append("},\"id\":").append(idText).append(",\"jsonrpc\":\"2.0\"}");
    return body;
}

QByteArray resultResponse(QByteArrayView idText, const QByteArray& result)
{
    QByteArray body;
    body.reserve(result.size() + idText.size() + 32);
    body.append("{\"id\":").append(idText).append(",\"jsonrpc\":\"2.0\",\"result\":").append(result).append('}');
    return body;
}

QByteArray compact(const QJsonDocument& document)
{
    return document.toJson(QJsonDocument::Compact);
}

QByteArray refsEnvelope(const QJsonArray& refs, const QByteArray& value)
{
    const QByteArray refsText = compact(QJsonDocument(refs));
    QByteArray envelope;
    envelope.reserve(value.size() + refsText.size() + 20);
    envelope.append("{\"refs\":").append(refsText).append(",\"value\":").append(value).append('}');
    return envelope;
}

QString kindText(ArgKind kind)
{
    switch (kind) {
    case ArgKind::Text: return QStringLiteral("text");
    case ArgKind::Boolean: return QStringLiteral("boolean");
    case ArgKind::Integer: return QStringLiteral("integer");
    case ArgKind::Float: return QStringLiteral("number");
    case ArgKind::Date: return QStringLiteral("date (ISO 8601 text)");
    case ArgKind::Packet: return QStringLiteral("data packet (object)");
    case ArgKind::ValueArray: return QStringLiteral("value array (array)");
    }
    return {};
}

bool isIsoDate(const QString& text)
{
    return scanIso(text, IsoForm::Lenient).has_value();
}

bool matchesKind(const QJsonValue& value, ArgKind kind)
{
    switch (kind) {
    case ArgKind::Text: return value.isString();
    case ArgKind::Boolean: return value.isBool();
    case ArgKind::Integer: {
        if (!value.isDouble())
            return false;
        const double number = value.toDouble();
        return std::trunc(number) == number && std::fabs(number) <= MaxExactInteger;
    }
    case ArgKind::Float: return value.isDouble();
    case ArgKind::Date: return value.isString() && isIsoDate(value.toString());
    case ArgKind::Packet: return value.isObject();
    case ArgKind::ValueArray: return value.isArray();
    }
    return false;
}

bool hasByReferenceArgs(const MethodSpec& spec)
{
    return std::any_of(spec.args.cbegin(), spec.args.cend(),
                       [](const ArgSpec& arg) { return arg.byReference; });
}

bool holdsNul(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().contains(QChar(u'\0'));
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::any_of(array.begin(), array.end(), [](const QJsonValue& element) { return holdsNul(element); });
    }
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto member = object.begin(); member != object.end(); ++member) {
            if (member.key().contains(QChar(u'\0')) || holdsNul(member.value()))
                return true;
        }
    }
    return false;
}

// Raised inside a call's transaction when the call may not run after all.
struct Refusal {
    int code;
    QString message;
};

} // namespace

struct RpcDispatcher::Request {
    QString clientAddress;
    QString token;
    QString idempotencyKey;
    bool inBatch = false;
    bool escapedNul = false;   // some string of the body holds \u0000
    bool sessionChecked = false;
    bool sessionUpkeepDue = false;
    std::optional<QString> operatorCode;
    QString claimedOperator;   // Login's first argument, for the log
};

struct RpcDispatcher::Outcome {
    QByteArray result;                     // JSON text of a successful call's result
    std::optional<QByteArray> response;    // the whole answer; none for a notification
    int errorCode = 0;                     // 0: success
    QString errorMessage;
    int delayMs = 0;

    static Outcome error(int code, const QString& message)
    {
        Outcome outcome;
        outcome.errorCode = code;
        outcome.errorMessage = message;
        return outcome;
    }
};

RpcDispatcher::RpcDispatcher(const MethodRegistry& registry, SessionService& sessions,
                             WorkerDatabases& databases, RetryPolicy retryPolicy)
    : m_registry(registry), m_sessions(sessions), m_databases(databases),
      m_retryPolicy(retryPolicy)
{
}

QByteArray RpcDispatcher::errorBody(int code, const QString& message)
{
    return errorResponse("null", code, message);
}

void RpcDispatcher::logCall(const Request& request, const QString& module, const QString& method,
                            qint64 elapsedMs, int errorCode)
{
    QString who = request.operatorCode.value_or(request.claimedOperator);
    if (who.isEmpty())
        who = QStringLiteral("-");
    const QString outcome = errorCode == 0 ? QStringLiteral("ok") : QStringLiteral("error code=%1").arg(errorCode);
    const QString line = QStringLiteral("client=%1 operator=%2 module=%3 method=%4 ms=%5 outcome=%6")
                             .arg(request.clientAddress, who, printable(module), method)
                             .arg(elapsedMs)
                             .arg(outcome);
    if (errorCode == RpcErrorCode::Internal)
        qCWarning(lcRpc).noquote() << line;
    else
        qCInfo(lcRpc).noquote() << line;
}

RpcReply RpcDispatcher::handle(const QString& module, const QString& bearerToken,
                               const QByteArray& body, const QString& clientAddress,
                               const QString& idempotencyKey)
{
    Request request;
    request.clientAddress = clientAddress;
    request.idempotencyKey = idempotencyKey;
    request.token = bearerToken;
    if (!isKnownModule(m_registry, module)) {
        logCall(request, module, QStringLiteral("-"), 0, RpcErrorCode::MethodNotFound);
        return {404, errorBody(RpcErrorCode::MethodNotFound,
                               QStringLiteral("unknown server name '%1'").arg(printable(module)))};
    }
    if (body.trimmed().isEmpty()) {
        logCall(request, module, QStringLiteral("-"), 0, RpcErrorCode::ParseError);
        return {400, errorBody(RpcErrorCode::ParseError, QStringLiteral("parse error: empty body"))};
    }
    QJsonValue parsed;
    try {
        parsed = readStrictJson(body, &request.escapedNul);
    } catch (const StrictJsonError& error) {
        // A repeated key is sound JSON text, but which "method" was meant?
        const bool repeatedKey = error.fault().kind == JsonFault::Kind::DuplicateKey;
        const int code = repeatedKey ? RpcErrorCode::InvalidRequest : RpcErrorCode::ParseError;
        logCall(request, module, QStringLiteral("-"), 0, code);
        return {400, errorBody(code, (repeatedKey ? QStringLiteral("invalid request ") : QStringLiteral("parse error "))
                                         + error.fault().message)};
    }

    if (!parsed.isArray()) {
        Outcome outcome = handleOne(module, request, parsed, body);
        if (!outcome.response)
            return {204, {}, outcome.delayMs};
        int status = 200;
        if (outcome.errorCode == RpcErrorCode::NoSession)
            status = 401;
        else if (outcome.errorCode == RpcErrorCode::InvalidRequest)
            status = 400;
        return {status, *outcome.response, outcome.delayMs};
    }

    const QJsonArray batch = parsed.toArray();
    if (batch.isEmpty())
        return {400, errorBody(RpcErrorCode::InvalidRequest, QStringLiteral("empty batch"))};
    const QList<QByteArrayView> elementTexts = jsonArrayElementTexts(body);
    request.inBatch = true;
    QByteArrayList responses;
    int delayMs = 0;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        Outcome outcome = handleOne(module, request, batch.at(i), elementTexts.value(i));
        delayMs = qMax(delayMs, outcome.delayMs);
        if (outcome.response)
            responses.append(std::move(*outcome.response));
    }
    if (responses.isEmpty())
        return {204, {}, delayMs};
    return {200, '[' + responses.join(',') + ']', delayMs};
}

RpcDispatcher::Outcome RpcDispatcher::handleOne(const QString& module, Request& request,
                                                const QJsonValue& element, QByteArrayView elementText)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray idText = QByteArrayLiteral("null");
    bool notification = false;
    QString methodName = QStringLiteral("-");

    auto decide = [&]() -> Outcome {
        if (!element.isObject())
            return Outcome::error(RpcErrorCode::InvalidRequest,
                                  QStringLiteral("a request must be a JSON object"));
        const QJsonObject object = element.toObject();
        const QJsonValue givenId = object.value(QStringLiteral("id"));
        if (!givenId.isUndefined() && !givenId.isString() && !givenId.isDouble() && !givenId.isNull())
            return Outcome::error(RpcErrorCode::InvalidRequest,
                                  QStringLiteral("id must be a string, a number or null"));
        // The id goes back as the caller wrote it: a number beyond a double's
        // precision must not come back as another number.
        if (!givenId.isUndefined())
            idText = jsonMemberText(elementText, "id").value_or("null").toByteArray();
        if (object.value(QStringLiteral("jsonrpc")) != QJsonValue(QStringLiteral("2.0")))
            return Outcome::error(RpcErrorCode::InvalidRequest,
                                  QStringLiteral("\"jsonrpc\" must be \"2.0\""));
        const QJsonValue method = object.value(QStringLiteral("method"));
        if (!method.isString())
            return Outcome::error(RpcErrorCode::InvalidRequest,
                                  QStringLiteral("\"method\" must be a string"));
        const QJsonValue params = object.value(QStringLiteral("params"));
        if (!params.isUndefined() && !params.isArray())
            return Outcome::error(RpcErrorCode::InvalidRequest,
                                  QStringLiteral("\"params\" must be an array (positional arguments only)"));
        notification = givenId.isUndefined();
        methodName = printable(method.toString());

        const MethodSpec* spec = m_registry.find(module, method.toString());
        if (!spec)
            return Outcome::error(RpcErrorCode::MethodNotFound,
                                  QStringLiteral("unknown method '%1' on %2").arg(methodName, module));
        methodName = spec->name;
        if (spec->checksPassword && request.inBatch)
            return Outcome::error(RpcErrorCode::InvalidRequest,
                                  QStringLiteral("%1 checks a password and must be sent on its own, not in a batch")
                                      .arg(spec->name));
        // Who tries to log in is worth a line; Logout's argument is a token and is never logged.
        if (spec->name == QLatin1String("Login") && params.toArray().first().isString())
            request.claimedOperator = printable(params.toArray().first().toString());
        if (spec->needsSession && request.token.isEmpty())
            return Outcome::error(RpcErrorCode::NoSession,
                                  QStringLiteral("no session: log in and send "
                                                 "'Authorization: Bearer <token>'"));
        return invoke(*spec, request, params.toArray());
    };

    Outcome outcome;
    try {
        outcome = decide();
    } catch (const std::exception& failure) {
        outcome = internalFailure("request", QString::fromUtf8(failure.what()));
    }

    logCall(request, module, methodName, timer.elapsed(), outcome.errorCode);

    if (notification) {
        outcome.response.reset();   // a notification gets no answer, not even an error
        return outcome;
    }
    if (outcome.errorCode == 0) {
        outcome.response = resultResponse(idText, outcome.result.isEmpty() ? QByteArrayLiteral("null") : outcome.result);
        outcome.result.clear();
    } else {
        outcome.response = errorResponse(idText, outcome.errorCode, outcome.errorMessage);
    }
    return outcome;
}

// Inside the call's transaction, before the method: the session (read
// once per request, also for a batch) and then the arguments.
QString RpcDispatcher::admit(const MethodSpec& spec, Request& request, QSqlDatabase& db, const QJsonArray& params)
{
    if (spec.needsSession) {
        if (!request.sessionChecked) {
            const SessionCheck check = m_sessions.checkToken(db, request.token);
            request.operatorCode = check.operatorCode;
            request.sessionUpkeepDue = check.upkeepDue;
            request.sessionChecked = true;
        }
        if (!request.operatorCode)
            throw Refusal{RpcErrorCode::NoSession, QStringLiteral("session invalid or expired: log in again")};
    }
    const QString paramsError = checkParams(spec, params, request.escapedNul);
    if (!paramsError.isEmpty())
        throw Refusal{RpcErrorCode::InvalidParams, paramsError};
    return request.operatorCode.value_or(QString());
}

// The last use of a session, written apart from the call so that parallel
// calls of one clerk never wait for each other on the session's row.
void RpcDispatcher::keepSessionUp(Request& request)
{
    if (!request.sessionUpkeepDue)
        return;
    request.sessionUpkeepDue = false;
    try {
        QSqlDatabase db = m_databases.current();
        runInTransaction(db, [&] {
            m_sessions.keepUp(db, request.token);
            return QJsonValue();
        }, m_retryPolicy);
    } catch (const std::exception& failure) {
        qCWarning(lcRpc).noquote() << "cannot record the last use of a session:" << failure.what();
    }
}

QString RpcDispatcher::checkParams(const MethodSpec& spec, const QJsonArray& params, bool escapedNul)
{
    if (params.size() != spec.args.size())
        return QStringLiteral("%1 expects %2 argument(s), got %3")
            .arg(spec.name).arg(spec.args.size()).arg(params.size());
    for (qsizetype i = 0; i < params.size(); ++i) {
        const ArgSpec& arg = spec.args.at(i);
        const QJsonValue value = params.at(i);
        const QString which = QStringLiteral("argument %1 (%2)").arg(i + 1).arg(arg.name);
        if (value.isNull()) {
            if (!arg.nullable)
                return QStringLiteral("%1: must not be null").arg(which);
            continue;
        }
        if (!matchesKind(value, arg.kind))
            return QStringLiteral("%1: expected %2").arg(which, kindText(arg.kind));
        // Stored texts end at a NUL in some places and not in others: a code
        // with one would match another code, or a message would be cut short.
        if (escapedNul && holdsNul(value))
            return QStringLiteral("%1: must not hold the NUL character (\\u0000)").arg(which);
    }
    return {};
}

RpcDispatcher::Outcome RpcDispatcher::invoke(const MethodSpec& spec, Request& request, const QJsonArray& params)
{
    Outcome outcome = run(spec, request, params);
    keepSessionUp(request);
    return outcome;
}

RpcDispatcher::Outcome RpcDispatcher::run(const MethodSpec& spec, Request& request, const QJsonArray& params)
{
    CallContext context;
    context.module = spec.module;
    context.method = spec.name;
    context.clientAddress = request.clientAddress;
    context.idempotencyKey = request.idempotencyKey;
    const TransactionMode mode = spec.readOnly ? TransactionMode::ReadOnly : TransactionMode::ReadWrite;
    try {
        context.db = m_databases.current();
        QJsonArray finalParams;
        QByteArray value;
        const auto call = [&] {
            context.replyDelayMs = 0;
            QJsonArray working = params;   // each attempt starts from the caller's values
            value = spec.rawFunction ? spec.rawFunction(context, working).bytes
                                     : RawJson::of(spec.function(context, working)).bytes;
            finalParams = working;
            return QJsonValue();
        };
        if (spec.checksPassword) {
            runInTransaction(context.db, [&] {
                context.operatorCode = admit(spec, request, context.db, params);
                return QJsonValue();
            }, m_retryPolicy, TransactionMode::ReadOnly);
            call();
        } else {
            runInTransaction(context.db, [&] {
                context.operatorCode = admit(spec, request, context.db, params);
                return call();
            }, m_retryPolicy, mode);
        }

        Outcome outcome;
        if (hasByReferenceArgs(spec)) {
            QJsonArray refs;
            for (qsizetype i = 0; i < spec.args.size(); ++i) {
                if (spec.args.at(i).byReference)
                    refs.append(finalParams.at(i));
            }
            outcome.result = refsEnvelope(refs, value);
        } else {
            outcome.result = std::move(value);
        }
        outcome.delayMs = context.replyDelayMs;
        return outcome;
    } catch (const Refusal& refusal) {
        return Outcome::error(refusal.code, refusal.message);
    } catch (const MethodError& failure) {
        Outcome outcome = Outcome::error(RpcErrorCode::MethodFailed, QString::fromUtf8(failure.what()));
        outcome.delayMs = context.replyDelayMs;
        return outcome;
    } catch (const std::exception& failure) {
        return internalFailure(qPrintable(spec.name), QString::fromUtf8(failure.what()));
    } catch (...) {
        return internalFailure(qPrintable(spec.name), QStringLiteral("unknown exception"));
    }
}

RpcDispatcher::Outcome RpcDispatcher::internalFailure(const char* where, const QString& detail)
{
    const quint64 reference = ++incidentCounter;
    qCWarning(lcRpc).noquote() << "internal error" << reference << "in" << where << ":" << detail;
    // A broken connection stays broken: drop it so the next call opens a new one.
    try {
        QSqlDatabase db = m_databases.current();
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT 1")))
            m_databases.discardCurrent();
    } catch (const std::exception&) {
        m_databases.discardCurrent();
    }
    return Outcome::error(RpcErrorCode::Internal,
                          QStringLiteral("internal error (reference %1); see the server log")
                              .arg(reference));
}
