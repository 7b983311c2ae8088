#pragma once
// Rows a query reads, written as JSON text straight from their values,
// without a JSON value tree in between: an array of objects keyed by the
// column names, a NULL as null whatever its column.

#include <QByteArray>

class QSqlQuery;
class QVariant;

namespace RowsJson {

// Appends the rows left in `query` as an array of objects keyed by the
// column names in upper case, in order.
void appendRows(QByteArray& json, QSqlQuery& query);

// Appends one value: a number, a boolean, a text, a date as its ISO text.
void appendValue(QByteArray& json, const QVariant& value);

} // namespace RowsJson
