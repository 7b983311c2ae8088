#include "packet_sql.h"

#include "store/database.h"
#include "store/sql.h"

#include "json_text.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

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
// Gives how many characters of `text` to send (the separator at 10 sent as
// "T"), or 0 when the text must take the checked path.
qsizetype isoTextOnWire(const QString& text, FieldType type)
{
    const bool date = text.size() >= 10 && text.at(4) == u'-' && text.at(7) == u'-' && digitsIn(text, 0, 4, 1, 9999)
                      && digitsIn(text, 5, 2, 1, 12) && digitsIn(text, 8, 2, 1, 31);
    if (!date)
        return 0;
    if (type == FieldType::Date)
        return text.size() == 10 || text.at(10) == u'T' || text.at(10) == u' ' ? 10 : 0;
    const bool time = text.size() >= 19 && (text.at(10) == u'T' || text.at(10) == u' ') && text.at(13) == u':'
                      && text.at(16) == u':' && digitsIn(text, 11, 2, 0, 23) && digitsIn(text, 14, 2, 0, 59)
                      && digitsIn(text, 17, 2, 0, 59) && (text.size() == 19 || text.at(19) == u'.');
    return time ? 19 : 0;
}

// Writes a packet's JSON text (docs/data-packet.md) row by row, as DataPacket
// itself writes it, from the values a query hands back.
class PacketWriter {
public:
    PacketWriter(QByteArray& out, const QList<FieldDef>& fields) : m_out(out), m_fields(fields) {}

    void begin()
    {
        const QJsonArray fields = emptyPacket(m_fields).toJson().value(QStringLiteral("fields")).toArray();
        m_out.append("{\"fields\":").append(QJsonDocument(fields).toJson(QJsonDocument::Compact)).append(",\"rows\":[");
    }

    void row(const QSqlQuery& query)
    {
        if (m_rows++ > 0)
            m_out.append(',');
        m_out.append('[');
        for (qsizetype column = 0; column < m_fields.size(); ++column) {
            if (column > 0)
                m_out.append(',');
            value(m_fields.at(column), query.value(int(column)));
        }
        m_out.append(']');
    }

    void end() { m_out.append("]}"); }

private:
    void value(const FieldDef& field, const QVariant& value)
    {
        if (value.isNull()) {
            m_out.append("null");
            return;
        }
        const int typeId = value.metaType().id();
        switch (field.type) {
        case FieldType::String:
        case FieldType::Memo:
            if (typeId == QMetaType::QString) {
                appendJsonString(m_out, *static_cast<const QString*>(value.constData()));
                return;
            }
            break;
        case FieldType::Float:
            if (typeId == QMetaType::Double && std::isfinite(value.toDouble())) {
                appendJsonNumber(m_out, value.toDouble());
                return;
            }
            break;
        case FieldType::Date:
        case FieldType::DateTime:
            if (typeId == QMetaType::QString) {
                const QString& text = *static_cast<const QString*>(value.constData());
                const qsizetype length = isoTextOnWire(text, field.type);
                if (length > 0) {
                    isoText(text, length);
                    return;
                }
            }
            break;
        default:
            break;
        }
        checked(valueToJson(packetValue(field, value), field.type));
    }

    void checked(const QJsonValue& json)
    {
        switch (json.type()) {
        case QJsonValue::Bool: m_out.append(json.toBool() ? "true" : "false"); return;
        case QJsonValue::Double: appendJsonNumber(m_out, json.toDouble()); return;
        case QJsonValue::String: appendJsonString(m_out, json.toString()); return;
        default: m_out.append("null"); return;
        }
    }

    void isoText(const QString& text, qsizetype length)
    {
        const qsizetype start = m_out.size();
        m_out.resize(start + length + 2);
        char* out = m_out.data() + start;
        *out++ = '"';
        for (qsizetype i = 0; i < length; ++i)
            *out++ = char(text.at(i).unicode());
        if (length > 10)
            m_out[start + 11] = 'T';
        *out = '"';
    }

    QByteArray& m_out;
    const QList<FieldDef>& m_fields;
    qsizetype m_rows = 0;
};

QSqlQuery checkedSelect(const QSqlDatabase& db, const QList<FieldDef>& fields, const QString& sql,
                        const QVariantList& values)
{
    QSqlQuery query = execSql(db, sql, values);
    const int columnCount = query.record().count();
    if (columnCount != fields.size())
        throw StoreError(QStringLiteral("A query selects %1 columns for %2 fields: %3")
                             .arg(columnCount).arg(fields.size()).arg(sql.simplified().left(120))
                             .toStdString());
    return query;
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
    QSqlQuery query = checkedSelect(db, fields, sql, values);
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
    QSqlQuery query = checkedSelect(db, fields, sql, values);
    PacketWriter writer(out, fields);
    writer.begin();
    while (query.next())
        writer.row(query);
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
