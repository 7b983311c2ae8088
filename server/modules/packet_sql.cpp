#include "packet_sql.h"

#include "store/database.h"
#include "store/kept_statements.h"
#include "store/sql.h"

#include "iso_datetime.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

[[noreturn]] void failField(const FieldDef& field, const QVariant& value)
{
    throw StoreError(QStringLiteral("Column %1 holds %2, which is not a %3.")
                         .arg(field.name, value.toString().left(40), fieldTypeName(field.type))
                         .toStdString());
}

// SQLite keeps date-times as ISO text; PostgreSQL hands back QDateTime.
QDateTime dateTimeFrom(const FieldDef& field, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().startOfDay();
    QDateTime dateTime = parseIsoLenient(value.toString().trimmed());
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

// One query row into the writer. Date texts go to the wire as they are:
// a round trip through QDateTime asks the time zone of every value, which
// costs more than the rest of a long list.
void writeRow(PacketWriter& writer, const QList<FieldDef>& fields, const QSqlQuery& query)
{
    writer.beginRow();
    for (qsizetype column = 0; column < fields.size(); ++column) {
        const QVariant value = query.value(int(column));
        const bool text = value.metaType().id() == QMetaType::QString && !value.isNull();
        if (text && writer.isoTextValue(*static_cast<const QString*>(value.constData())))
            continue;
        try {
            writer.value(packetValue(fields.at(column), value));
        } catch (const DataPacketError&) {
            failField(fields.at(column), value);
        }
    }
    writer.endRow();
}

void checkColumns(const QSqlQuery& query, const QList<FieldDef>& fields, const QString& sql)
{
    const int columnCount = query.record().count();
    if (columnCount != fields.size())
        throw StoreError(QStringLiteral("A query selects %1 columns for %2 fields: %3")
                             .arg(columnCount).arg(fields.size()).arg(sql.simplified().left(120))
                             .toStdString());
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
    KeptStatement statement(db, sql, values);
    QSqlQuery& query = statement.query();
    checkColumns(query, fields, sql);
    DataPacket packet = emptyPacket(fields);
    while (query.next()) {
        QVariantList row;
        row.reserve(fields.size());
        for (int column = 0; column < fields.size(); ++column)
            row.append(packetValue(fields.at(column), query.value(column)));
        packet.rows.append(row);
    }
    return packet;
}

void appendSelectedPacket(QByteArray& out, const QSqlDatabase& db, const QList<FieldDef>& fields,
                          const QString& sql, const QVariantList& values)
{
    KeptStatement statement(db, sql, values);
    QSqlQuery& query = statement.query();
    checkColumns(query, fields, sql);
    PacketWriter writer(out, fields);
    writer.begin();
    while (query.next())
        writeRow(writer, fields, query);
    writer.end();
}

QJsonObject selectPacketJson(const QSqlDatabase& db, const QList<FieldDef>& fields, const QString& sql,
                             const QVariantList& values)
{
    QByteArray bytes;
    appendSelectedPacket(bytes, db, fields, sql, values);
    return QJsonDocument::fromJson(bytes).object();
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
