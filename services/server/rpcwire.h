#pragma once
// The JSON-RPC 2.0 envelope of a call, apart from HTTP: building the request
// body and reading the answer. Messages here describe what is wrong with an
// answer; the connection adds where it came from.

#include "method_catalogue.h"
#include "rpcarg.h"
#include "serverresult.h"

#include <QByteArray>
#include <QList>

namespace RpcWire {

QByteArray request(qint64 id, const QString& method, const QList<RpcArg>& args);

// Why `args` do not fit the method: another number of arguments, a value
// passed by reference where the method takes it by value, or some of the
// method's by-reference arguments passed by value while others are passed
// by reference (a caller that reads no outputs may pass them all by value).
// Empty when they fit.
QString argumentMismatch(const Rpc::MethodInfo& method, const QList<RpcArg>& args);

// The result or the JSON-RPC error of the answer to request `id`;
// BadResponse when the body is not such an answer.
ServerResult parseResponse(const QByteArray& body, qint64 id);

// A method that declares by-reference arguments answers
//   {"value": V, "refs": [outputs in argument order]}.
// Stores the outputs into the caller's referenced variables and returns V.
// A caller that passed no references reads V only. BadResponse, with every
// variable untouched, when the outputs don't match the references passed.
ServerResult takeReferences(const QJsonValue& result, const QList<RpcArg>& args);

} // namespace RpcWire
