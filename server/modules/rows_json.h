#pragma once
// Rows a query reads, written as JSON text straight from their values: the
// text QJsonDocument writes for them in compact form (keys in order, whole
// numbers as integers, others in their shortest form), without building the
// document first. A NULL is null whatever its column.

#include <QByteArray>

class QSqlQuery;
class QVariant;

namespace RowsJson {

// Appends the rows left in `query` as an array of objects keyed by the
// column names in upper case.
void appendRows(QByteArray& json, QSqlQuery& query);

// Appends one value.
void appendValue(QByteArray& json, const QVariant& value);

// Appends `text` as a JSON string.
void appendString(QByteArray& json, const QString& text);

} // namespace RowsJson
