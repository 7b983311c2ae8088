#pragma once
// Moving from SQLite to PostgreSQL: every table of a SQLite database into an
// empty PostgreSQL database, in one transaction, checked before it commits.

#include "database.h"

#include <QList>
#include <QString>
#include <functional>

struct TableCopy {
    QString table;
    qint64 rows = 0;
    QString checksum;   // 16 hex digits, the same on both sides
};

// The order-independent checksum of a table's rows, each value in one
// canonical form whatever the database returned it as (12 and 12.0, a
// date-time as text or as a value): equal checksums mean equal contents.
QString tableChecksum(const QSqlDatabase& db, const QString& table);

// Brings both schemas up to date, refuses a target that holds any row,
// copies the tables parents first and, in the same transaction, compares
// each table's row count and checksum on both sides: any difference rolls
// everything back. The source is held with its write lock throughout, so
// nothing changes it meanwhile. Throws StoreError naming the table.
// `progress` hears of each table once it is written.
QList<TableCopy> copyDatabase(QSqlDatabase& source, QSqlDatabase& target,
                              const std::function<void(const TableCopy&)>& progress = {});
