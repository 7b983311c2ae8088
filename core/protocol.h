#pragma once
// What client and server both name on the wire: the four remote data
// modules (POST /rpc/<server name>) and the JSON-RPC error codes.

#include <QString>

namespace ServerNames {
inline const QString LanPedido = QStringLiteral("PED00100.rdmLanPedido");
inline const QString NotaPedido = QStringLiteral("Ped00103.rdmNotaPedido");
inline const QString GeraNFFutura = QStringLiteral("Ped00120.rdmGeraNFFutura");
inline const QString DBGeral = QStringLiteral("Bib.rdmDBGeral");
}

namespace RpcErrorCode {
// The standard JSON-RPC codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;   // also an unknown server name
constexpr int InvalidParams = -32602;    // wrong number or kind of arguments
constexpr int Internal = -32603;
// The method's own failure; its message is the server's text, often a
// catalog key such as "SALDO_INSU".
constexpr int MethodFailed = -32000;
// No valid session (answered with HTTP 401).
constexpr int NoSession = -32001;
}
