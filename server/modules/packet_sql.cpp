#include "packet_sql.h"

#include "store/database.h"
#include "store/sql.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

[[noreturn]] void failField(const FieldDef& field, const QVariant& value)
{
    throw StoreError(QStringLiteral("Column %1 holds %2, which is not a %3.")
                         .arg(field.name, value.toString().left(40), fieldTypeName(field.type))
                         .toStdString());
}

// SQLite keeps date-times as ISO text ("yyyy-MM-ddTHH:mm:ss[.zzz]"); a
// space instead of the "T" is accepted for rows written by hand.
QDateTime dateTimeFrom(const FieldDef& field, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().startOfDay();
    QString text = value.toString().trimmed();
    if (text.size() > 10 && text.at(10) == u' ')
        text[10] = u'T';
    QDateTime dateTime = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dateTime.isValid()) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            dateTime = date.startOfDay();
    }
    if (!dateTime.isValid())
        failField(field, value);
    // Whole seconds on the wire, the precision the record sets show.
    const QTime time = dateTime.time();
    dateTime.setTime(QTime(time.hour(), time.minute(), time.second()));
    return dateTime;
}

QVariant packetValue(const FieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    bool ok = true;
    switch (field.type) {
    case FieldType::String:
    case FieldType::Memo:
        return value.toString();
    case FieldType::Integer: {
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            failField(field, value);
        return number;
    }
    case FieldType::Float: {
        const double number = value.toDouble(&ok);
        if (!ok)
            failField(field, value);
        return number;
    }
    case FieldType::Boolean: {
        const QString text = value.toString().trimmed().toUpper();
        return text == QLatin1String("S") || text == QLatin1String("1") || text == QLatin1String("TRUE");
    }
    case FieldType::Date:
        return dateTimeFrom(field, value).date();
    case FieldType::DateTime:
        return dateTimeFrom(field, value);
    }
    failField(field, value);
}

bool digitsIn(const QString& text, qsizetype from, qsizetype count, int low, int high)
{
    int number = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number >= low && number <= high;
}

// SQLite hands dates back as ISO text. Well-formed text goes to the wire as
// it is, cut to whole seconds: a round trip through QDateTime asks the time
// zone of every value, which costs more than the rest of a long list.
// Anything else takes the checked path.
QJsonValue isoTextOnWire(const QVariant& value, FieldType type)
{
    if (value.metaType().id() != QMetaType::QString)
        return QJsonValue::Undefined;
    const QString text = value.toString();
    const bool date = text.size() >= 10 && text.at(4) == u'-' && text.at(7) == u'-' && digitsIn(text, 0, 4, 1, 9999)
                      && digitsIn(text, 5, 2, 1, 12) && digitsIn(text, 8, 2, 1, 31);
    if (!date)
        return QJsonValue::Undefined;
    if (type == FieldType::Date)
        return text.size() == 10 || text.at(10) == u'T' || text.at(10) == u' ' ? QJsonValue(text.left(10)) : QJsonValue::Undefined;
    const bool time = text.size() >= 19 && (text.at(10) == u'T' || text.at(10) == u' ') && text.at(13) == u':'
                      && text.at(16) == u':' && digitsIn(text, 11, 2, 0, 23) && digitsIn(text, 14, 2, 0, 59)
                      && digitsIn(text, 17, 2, 0, 59) && (text.size() == 19 || text.at(19) == u'.');
    if (!time)
        return QJsonValue::Undefined;
    QString wire = text.left(19);
    wire[10] = u'T';
    return wire;
}

QJsonValue jsonValue(const FieldDef& field, const QVariant& value)
{
    if (field.type == FieldType::Date || field.type == FieldType::DateTime) {
        const QJsonValue wire = isoTextOnWire(value, field.type);
        if (!wire.isUndefined())
            return wire;
    }
    return valueToJson(packetValue(field, value), field.type);
}

FieldDef field(const QString& name, FieldType type, int size = 0)
{
    return FieldDef{name, type, size};
}

} // namespace

FieldDef textField(const QString& name, int size) { return field(name, FieldType::String, size); }
FieldDef memoField(const QString& name) { return field(name, FieldType::Memo); }
FieldDef floatField(const QString& name) { return field(name, FieldType::Float); }
FieldDef integerField(const QString& name) { return field(name, FieldType::Integer); }
FieldDef dateField(const QString& name) { return field(name, FieldType::Date); }
FieldDef dateTimeField(const QString& name) { return field(name, FieldType::DateTime); }

DataPacket emptyPacket(const QList<FieldDef>& fields)
{
    DataPacket packet;
    packet.fields = fields;
    return packet;
}

DataPacket selectPacket(const QSqlDatabase& db, const QList<FieldDef>& fields,
                        const QString& sql, const QVariantList& values)
{
    QSqlQuery query = execSql(db, sql, values);
    const int columnCount = query.record().count();
    if (columnCount != fields.size())
        throw StoreError(QStringLiteral("A query selects %1 columns for %2 fields: %3")
                             .arg(columnCount).arg(fields.size()).arg(sql.simplified().left(120))
                             .toStdString());
    DataPacket packet = emptyPacket(fields);
    while (query.next()) {
        QVariantList row;
        row.reserve(columnCount);
        for (int column = 0; column < columnCount; ++column)
            row.append(packetValue(fields.at(column), query.value(column)));
        packet.rows.append(row);
    }
    return packet;
}

QJsonObject selectPacketJson(const QSqlDatabase& db, const QList<FieldDef>& fields, const QString& sql,
                             const QVariantList& values)
{
    QSqlQuery query = execSql(db, sql, values);
    const int columnCount = query.record().count();
    if (columnCount != fields.size())
        throw StoreError(QStringLiteral("A query selects %1 columns for %2 fields: %3")
                             .arg(columnCount).arg(fields.size()).arg(sql.simplified().left(120))
                             .toStdString());
    QJsonObject packet = emptyPacket(fields).toJson();
    QJsonArray rows;
    while (query.next()) {
        QJsonArray row;
        for (int column = 0; column < columnCount; ++column)
            row.append(jsonValue(fields.at(column), query.value(column)));
        rows.append(row);
    }
    packet.insert(QStringLiteral("rows"), rows);
    return packet;
}

QList<FieldDef> fieldsOf(const QList<SelectColumn>& columns)
{
    QList<FieldDef> fields;
    fields.reserve(columns.size());
    for (const SelectColumn& column : columns)
        fields.append(column.field);
    return fields;
}

DataPacket selectColumns(const QSqlDatabase& db, const QList<SelectColumn>& columns,
                         const QString& fromAndWhere, const QVariantList& values)
{
    QStringList expressions;
    for (const SelectColumn& column : columns)
        expressions.append(column.expression);
    return selectPacket(db, fieldsOf(columns), QStringLiteral("SELECT ") + expressions.join(QStringLiteral(", ")) + QLatin1Char(' ') + fromAndWhere, values);
}
