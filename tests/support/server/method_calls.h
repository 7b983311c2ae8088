#pragma once
// What the server tests do alike: call a registered method as the
// dispatcher calls it, and read the packets and rows that come back.

#include "datapacket.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class MethodRegistry;

namespace PedTest {

// Runs the method on `db` with a transaction open, committed when it
// returns and rolled back when it throws; by-reference outputs land in
// `params`. A method that is not registered, or takes another number of
// arguments, is a std::logic_error: the test itself is wrong.
QJsonValue callMethod(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                      QJsonArray& params, const QString& operatorCode = QStringLiteral("DEMO"));
// The text of the MethodError a call is refused with; none when the call
// was accepted.
std::optional<QString> refusalOf(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                                 QJsonArray params);

// "A B C" as {"A", "B", "C"}: field lists written the way the docs list them.
QStringList names(const char* spaceSeparated);
QStringList fieldNames(const DataPacket& packet);
// Throws std::runtime_error with the value when it is no data packet.
DataPacket packetOf(const QJsonValue& value);
QVariant value(const DataPacket& packet, int row, const QString& field);

// Rows read whole before the next statement runs: PostgreSQL streams them.
QList<QVariantList> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

} // namespace PedTest
