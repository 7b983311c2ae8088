#pragma once
// The branch's next order number, for every method that creates an order.

#include <QSqlDatabase>
#include <QString>

// Advances the branch's order counter in the caller's transaction and
// returns the number zero-padded to 10 digits; a MethodError for a branch
// not registered. Call it before reading anything else in the transaction.
QString nextOrderNumber(const QSqlDatabase& db, const QString& branch);
