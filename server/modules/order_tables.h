#pragma once
// The tables an order is stored in, with the columns that key a row within
// its order, kept in one list so that every routine that works on a whole
// order (copying it, confirming it) walks the same tables.

#include "order_packets.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace OrderTables {

struct Table {
    QString name;
    QStringList rowKey;   // beyond CDFILIAL + NRPEDIDO; empty: one row per order
};

// Parents before children: PEDIDO first, the item's own tables after ITEMPEDIDO.
const QList<Table>& all();
// The table of the list by name; std::logic_error for another name.
const Table& table(const QString& name);

// Copies every row of `tableName` stored under order `from` into order
// `to`, each column as stored except the order key. Returns the rows copied.
// The caller holds the transaction.
int copyRows(const QSqlDatabase& db, const QString& tableName, const OrderPackets::OrderKey& from,
             const OrderPackets::OrderKey& to);

} // namespace OrderTables
