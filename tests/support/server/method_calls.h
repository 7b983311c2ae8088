#pragma once
// What the server tests do alike: call a registered method as the
// dispatcher calls it, and read the packets and rows that come back.

#include "datapacket.h"
#include "rpc/method_registry.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace PedTest {

// A method no client calls, beside the real ones of the order module; it
// needs no session.
MethodSpec testMethod(const QString& name, QList<ArgSpec> args, MethodFunction function);
ArgSpec testArg(const QString& name, ArgKind kind, bool byReference = false, bool nullable = true);

// Runs the method on `db` with a transaction open, committed when it
// returns and rolled back when it throws; by-reference outputs land in
// `params`. A method that is not registered, or takes another number of
// arguments, is a std::logic_error: the test itself is wrong.
QJsonValue callMethod(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                      QJsonArray& params, const QString& operatorCode = QStringLiteral("DEMO"));
// The text of the MethodError a call is refused with; none when the call
// was accepted.
std::optional<QString> refusalOf(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                                 QJsonArray params, const QString& operatorCode = QStringLiteral("DEMO"));

// "A B C" as {"A", "B", "C"}: field lists written the way the docs list them.
QStringList names(const char* spaceSeparated);
QStringList fieldNames(const DataPacket& packet);
// Throws std::runtime_error with the value when it is no data packet.
DataPacket packetOf(const QJsonValue& value);
QVariant value(const DataPacket& packet, int row, const QString& field);

// The fields of the packets the order screen loads, in their order; the
// tables they come from have these columns.
namespace Fields {
extern const QStringList orderParameters;   // PARAMPEDIDO: GetAbertura's parameters
extern const QStringList orderList;         // PEDIDO: GetPedido's list
extern const QStringList orderItems;        // ITEMPEDIDO: GetItemPedido's items
extern const QStringList orderAddress;      // ENDEPEDIDO: the delivery address
} // namespace Fields

// GetPedido's 53 arguments under which no criterion restricts the branch's
// list, no order is current and no details are loaded.
QJsonArray openOrderListArguments(const QString& branch = QStringLiteral("0001"));

// Rows read whole before the next statement runs: PostgreSQL streams them.
QList<QVariantList> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

} // namespace PedTest
