#include "rows_json.h"

#include "json_text.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace RowsJson {

void appendValue(QByteArray& json, const QVariant& value)
{
    if (value.isNull()) {
        json += "null";
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        json += value.toBool() ? "true" : "false";
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        appendJsonNumber(json, value.toLongLong());
        return;
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isfinite(number))
            appendJsonNumber(json, number);
        else
            json += "null";
        return;
    }
    case QMetaType::QString:
        appendJsonString(json, value.toString());
        return;
    default: {
        // A date or date-time (as PostgreSQL gives them) as its ISO text.
        const QString text = value.toString();
        if (text.isEmpty())
            json += "null";
        else
            appendJsonString(json, text);
    }
    }
}

void appendRows(QByteArray& json, QSqlQuery& query)
{
    const QSqlRecord record = query.record();
    QList<std::pair<QString, int>> columns;   // name, where the query has it
    for (int i = 0; i < record.count(); ++i)
        columns.append({record.fieldName(i).toUpper(), i});
    std::sort(columns.begin(), columns.end());
    QList<QByteArray> keys;   // `"NAME":`, written once
    for (const auto& column : columns) {
        QByteArray key;
        appendJsonString(key, column.first);
        keys.append(key + ':');
    }
    json += '[';
    bool firstRow = true;
    while (query.next()) {
        json += firstRow ? "{" : ",{";
        firstRow = false;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (i > 0)
                json += ',';
            json += keys.at(i);
            appendValue(json, query.value(columns.at(i).second));
        }
        json += '}';
    }
    json += ']';
}

} // namespace RowsJson
