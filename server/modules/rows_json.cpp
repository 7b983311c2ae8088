#include "rows_json.h"

#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace RowsJson {

namespace {

void appendNumber(QByteArray& json, double value)
{
    if (!std::isfinite(value)) {
        json += "null";
        return;
    }
    // A whole number a double holds exactly is an integer, as QJsonValue keeps it.
    constexpr double exactWhole = 9007199254740992.0;   // 2^53
    if (value == std::trunc(value) && std::fabs(value) <= exactWhole)
        json += QByteArray::number(qint64(value));
    else
        json += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

void appendString(QByteArray& json, const QString& text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    json += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20) {
                json += "\\u00";
                json += hex[byte >> 4];
                json += hex[byte & 0xf];
            } else {
                json += c;
            }
        }
    }
    json += '"';
}

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
        json += QByteArray::number(value.toLongLong());
        return;
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        appendNumber(json, value.toDouble());
        return;
    case QMetaType::QString:
        appendString(json, value.toString());
        return;
    default: {
        // Dates and the rest as their text, as QJsonValue::fromVariant has them.
        const QString text = value.toString();
        if (text.isEmpty())
            json += "null";
        else
            appendString(json, text);
    }
    }
}

void appendRows(QByteArray& json, QSqlQuery& query)
{
    const QSqlRecord record = query.record();
    QList<std::pair<QByteArray, int>> columns;   // `"NAME":` and where the query has it
    for (int i = 0; i < record.count(); ++i) {
        QByteArray name;
        appendString(name, record.fieldName(i).toUpper());
        columns.append({name + ':', i});
    }
    std::sort(columns.begin(), columns.end());
    json += '[';
    bool firstRow = true;
    while (query.next()) {
        json += firstRow ? "{" : ",{";
        firstRow = false;
        bool firstColumn = true;
        for (const auto& [name, at] : columns) {
            if (!firstColumn)
                json += ',';
            firstColumn = false;
            json += name;
            appendValue(json, query.value(at));
        }
        json += '}';
    }
    json += ']';
}

} // namespace RowsJson
