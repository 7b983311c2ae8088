#pragma once
// Numbers handed out from the CONTADOR table (reservations "RESPRODPED",
// invoice postings "LANCTONF.<branch>", stock postings "LANCESTQ.<branch>",
// ...). Order numbers have their own table and method (GetPrxPedido).

#include <QSqlDatabase>
#include <QString>

// Advances the counter by one inside the caller's transaction and returns
// the new value; a counter used for the first time starts at 1. Call it
// before reading anything else in the transaction: the UPDATE takes the
// write lock (SQLite) or row lock (PostgreSQL), so parallel callers queue.
qlonglong nextCounterValue(const QSqlDatabase& db, const QString& counterName);
