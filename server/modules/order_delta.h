#pragma once
// One order's change logs (deltas) written into its tables: inserts,
// updates and deletes, each row found by its table's key (OrderTables),
// each update and delete checked against the values the client read.
//
// A change conflicts when the stored row is no longer what the client read:
// an update whose changed fields hold neither the value read nor the new
// value (someone else changed them meanwhile), an update or delete of a row
// that is gone, a delete of a row changed since, an insert of a row that
// exists. The caller then undoes everything written (see ConfirmedOrder).

#include "datapacket.h"
#include "order_packets.h"

#include <QHash>
#include <QSqlDatabase>
#include <QVariantMap>
#include <QString>

namespace OrderDelta {

// The delta of one argument, read; a malformed one is a MethodError naming
// `label` (the record set, as the message tells the clerk).
Delta readDelta(const QJsonValue& json, const QString& label);

enum class Outcome { Applied, Conflict };

class Writer {
public:
    Writer(const QSqlDatabase& db, const OrderPackets::OrderKey& order);

    // Writes every change of `delta` into `table` (a table of
    // OrderTables::all()). Rows name their order by CDFILIAL and NRPEDIDO
    // when the delta has those fields, and must name this order; the other
    // key fields of the table must be in the delta. A wrong key, a value of
    // the wrong kind or too long for its column is a MethodError; fields
    // that are no column of the table are not written.
    Outcome apply(const QString& table, const Delta& delta, const QString& label);

    // Values an inserted row of `table` takes for columns it leaves null
    // or does not have. Other null columns are left out of the insert, so
    // that the column's own default applies.
    void setInsertDefaults(const QString& table, const QVariantMap& defaults) { m_defaults.insert(table, defaults); }

private:
    struct Shape;
    Shape shapeOf(const QString& table, const Delta& delta, const QString& label) const;

    QSqlDatabase m_db;
    OrderPackets::OrderKey m_order;
    QHash<QString, QVariantMap> m_defaults;
    bool m_headerInserted = false;   // the order's PEDIDO row was inserted here
};

} // namespace OrderDelta
