#pragma once
// What several methods of the order-entry module read the same way: the
// order key, select columns by field, and the packets of an order's note,
// payment terms, additional data, charges and delivery address.

#include "argument_checks.h"
#include "packet_sql.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QString>

namespace OrderPackets {

// The argument checks, also under the names the order-list code reads.
using ::KeyArg;
using ::keyValue;
using ::branchArg;
using ::orderArg;

struct OrderKey {
    QString branch;
    QString number;
    bool isEmpty() const { return branch.isEmpty() || number.isEmpty(); }
};

// The order key from two code arguments, the branch checked first.
OrderKey orderKeyArgs(const QJsonArray& params, int branchIndex = 0, int orderIndex = 1);

// A column selected by its own name unless an expression is given.
SelectColumn column(const FieldDef& field, const QString& expression);
SelectColumn text(const QString& name, int size, const QString& expression = {});
SelectColumn number(const QString& name, const QString& expression = {});
SelectColumn dateTime(const QString& name, const QString& expression = {});
SelectColumn memo(const QString& name, const QString& expression = {});

// A lookup whose key is incomplete can match no row: it reads as an empty
// packet without asking the database.
DataPacket keyedColumns(const QSqlDatabase& db, bool keyComplete, const QList<SelectColumn>& columns,
                        const QString& fromAndWhere, const QVariantList& values);
// `fromWhereOrder` binds the branch and the order number, in this order.
DataPacket orderPacket(const QSqlDatabase& db, const QList<SelectColumn>& columns, const QString& fromWhereOrder,
                       const OrderKey& order);

bool orderExists(const QSqlDatabase& db, const OrderKey& order);

// `cdsObser`: NRPEDIDO, TXOBSPED, CDFILIAL.
DataPacket orderNote(const QSqlDatabase& db, const OrderKey& order);
// `cdsPrazoPgto`: the terms by days.
DataPacket orderTerms(const QSqlDatabase& db, const OrderKey& order);
// `cdsDadosAdicPed`: the additional data lines in order.
DataPacket orderAdditionalData(const QSqlDatabase& db, const OrderKey& order);
// `cdsEncargos`: every charge kind with the order's amount or 0, so that a
// charge the order does not carry yet can be typed in; none for an
// incomplete key.
DataPacket orderCharges(const QSqlDatabase& db, const OrderKey& order);
// `cdsDadosEndPed`: the delivery address (at most one row).
DataPacket orderDeliveryAddress(const QSqlDatabase& db, const OrderKey& order);

// `cdsPosiEstoq`: the fields of the current item's stock position by lot.
QList<FieldDef> stockPositionFields();

} // namespace OrderPackets
