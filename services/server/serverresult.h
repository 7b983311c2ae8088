#pragma once
// What a server call returns, and the result check every caller applies
// before using it. Calls never throw: a failure travels in the result until
// CheckResultServ reports it and abandons the action.

#include "protocol.h"

#include <QJsonValue>
#include <QString>
#include <functional>

namespace ServerError {
enum Code : int {
    None = 0,
    // Client side: the call did not get a usable answer.
    ConnectionFailed = -1,   // refused, host not found, dropped mid-call, ...
    Timeout = -2,
    BadResponse = -3,        // not JSON-RPC, or outputs that don't fit the caller's variables
    NotConfigured = -4,      // no host or port for the connection
    BadCall = -5,            // arguments that don't fit the method, or the wrong connection; never sent
    // Answered by the server.
    MethodFailed = RpcErrorCode::MethodFailed,   // the method's own message, often a catalog key ("SALDO_INSU")
    SessionInvalid = RpcErrorCode::NoSession,
    InvalidRequest = RpcErrorCode::InvalidRequest,
    MethodNotFound = RpcErrorCode::MethodNotFound,
    InvalidParams = RpcErrorCode::InvalidParams,
    InternalError = RpcErrorCode::Internal,
    ParseError = RpcErrorCode::ParseError,
};
}

class ServerResult {
public:
    static ServerResult success(const QJsonValue& value);
    static ServerResult failure(int errorCode, const QString& message);

    bool ok() const { return m_errorCode == ServerError::None; }
    // A data packet (object), a value array (array), a scalar or null.
    const QJsonValue& value() const { return m_value; }
    int errorCode() const { return m_errorCode; }
    // For MethodFailed exactly the server's text, so callers can compare keys.
    const QString& errorMessage() const { return m_errorMessage; }

private:
    QJsonValue m_value;
    int m_errorCode = ServerError::None;
    QString m_errorMessage;
};

// The last argument of CheckResultServ.
enum CheckResultKind : int {
    // The server's message is shown to the user.
    ShowServerMessage = 0,
    // The caller shows its own text for a method failure (the next order
    // number request says "the number could not be generated"); the server's
    // message then goes to the log only. Connection, session and protocol
    // failures are still shown, since the caller's text would hide their cause.
    CallerReportsMethodFailure = 10,
};

// Returns the value of a good result. Otherwise reports the failure through
// the server error reporter (unless `kind` says the caller reports it) and
// throws Abort when `abort` is true, or returns null when it is false.
// Kinds other than those above behave as ShowServerMessage.
QJsonValue CheckResultServ(const ServerResult& result, bool abort = true, int kind = ShowServerMessage);

// The host installs the reporter that shows server errors to the user; tests
// install one that records them. An empty function restores the default,
// which writes the message to the log.
using ServerErrorReporter = std::function<void(const QString& message, int code)>;
void setServerErrorReporter(ServerErrorReporter reporter);
