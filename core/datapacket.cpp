#include "datapacket.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QTime>
#include <cmath>

namespace {

// Beyond this a JSON reader that keeps numbers as doubles loses digits, so
// such an integer is refused rather than written or read as something else.
constexpr qint64 maxSafeInteger = (qint64(1) << 53) - 1;

[[noreturn]] void fail(const QString& message)
{
    throw DataPacketError(message.toStdString());
}

QString jsonKindName(const QJsonValue& json)
{
    switch (json.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a boolean");
    case QJsonValue::Double: return QStringLiteral("a number");
    case QJsonValue::String: return QStringLiteral("text");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("nothing");
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString foundJson(const QJsonValue& json)
{
    QString found = QStringLiteral(", found ") + jsonKindName(json);
    if (json.isString())
        found += QLatin1Char(' ') + quoted(json.toString().left(40));
    return found;
}

// --- dates ---------------------------------------------------------------

bool digitsAt(QStringView text, qsizetype from, qsizetype count, int& value)
{
    value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    return true;
}

// Exactly "yyyy-MM-dd"; QDate::fromString would also take other shapes.
QDate parseIsoDate(QStringView text)
{
    int year, month, day;
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-'
        || !digitsAt(text, 0, 4, year) || !digitsAt(text, 5, 2, month) || !digitsAt(text, 8, 2, day))
        return {};
    return QDate(year, month, day);   // invalid for 2026-02-30 or year 0
}

// Exactly "yyyy-MM-ddTHH:mm:ss" with an optional ".zzz".
QDateTime parseIsoDateTime(QStringView text)
{
    if (text.size() != 19 && text.size() != 23)
        return {};
    const QDate date = parseIsoDate(text.first(10));
    int hour, minute, second, msec = 0;
    if (!date.isValid() || text[10] != u'T' || text[13] != u':' || text[16] != u':'
        || !digitsAt(text, 11, 2, hour) || !digitsAt(text, 14, 2, minute) || !digitsAt(text, 17, 2, second))
        return {};
    if (text.size() == 23 && (text[19] != u'.' || !digitsAt(text, 20, 3, msec)))
        return {};
    const QTime time(hour, minute, second, msec);
    if (!time.isValid())
        return {};
    return QDateTime(date, time);
}

void appendDigits(QString& out, int value, int width)
{
    QChar buffer[4];
    for (int i = width - 1; i >= 0; --i) {
        buffer[i] = QChar(u'0' + value % 10);
        value /= 10;
    }
    out.append(buffer, width);
}

QString formatIsoDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        fail(QStringLiteral("expected a date between the years 1 and 9999"));
    QString out;
    out.reserve(10);
    appendDigits(out, date.year(), 4);
    out.append(u'-');
    appendDigits(out, date.month(), 2);
    out.append(u'-');
    appendDigits(out, date.day(), 2);
    return out;
}

QString formatIsoDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        fail(QStringLiteral("expected a valid date-time"));
    const QTime time = dateTime.time();
    QString out = formatIsoDate(dateTime.date());
    out.reserve(23);
    out.append(u'T');
    appendDigits(out, time.hour(), 2);
    out.append(u':');
    appendDigits(out, time.minute(), 2);
    out.append(u':');
    appendDigits(out, time.second(), 2);
    if (time.msec() != 0) {
        out.append(u'.');
        appendDigits(out, time.msec(), 3);
    }
    return out;
}

// --- values in memory ----------------------------------------------------

bool isNullValue(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

bool isIntegerKind(int typeId)
{
    switch (typeId) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatKind(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

QString variantKindName(const QVariant& value)
{
    const int typeId = value.metaType().id();
    if (isIntegerKind(typeId) || isFloatKind(typeId))
        return QStringLiteral("a number");
    switch (typeId) {
    case QMetaType::QString: case QMetaType::QByteArray: return QStringLiteral("text");
    case QMetaType::Bool: return QStringLiteral("a boolean");
    case QMetaType::QDate: return QStringLiteral("a date");
    case QMetaType::QDateTime: return QStringLiteral("a date-time");
    default: return QStringLiteral("a value of type ") + QString::fromLatin1(value.typeName());
    }
}

[[noreturn]] void failKind(const QString& expected, const QVariant& value)
{
    fail(QStringLiteral("expected ") + expected + QStringLiteral(", found ") + variantKindName(value));
}

QString textOf(const QVariant& value)
{
    const int typeId = value.metaType().id();
    if (typeId == QMetaType::QString)
        return value.toString();
    if (typeId == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    if (typeId == QMetaType::QChar)
        return QString(value.toChar());
    failKind(QStringLiteral("text"), value);
}

qint64 safeInteger(const QVariant& value)
{
    const int typeId = value.metaType().id();
    if (typeId == QMetaType::ULongLong || typeId == QMetaType::ULong) {
        const qulonglong number = value.toULongLong();
        if (number > qulonglong(maxSafeInteger))
            fail(QStringLiteral("integer %1 is beyond 2^53").arg(number));
        return qint64(number);
    }
    if (isIntegerKind(typeId)) {
        const qint64 number = value.toLongLong();
        if (number > maxSafeInteger || number < -maxSafeInteger)
            fail(QStringLiteral("integer %1 is beyond 2^53").arg(number));
        return number;
    }
    if (isFloatKind(typeId)) {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number)
            fail(QStringLiteral("expected an integer, found %1").arg(number));
        if (std::fabs(number) > double(maxSafeInteger))
            fail(QStringLiteral("integer %1 is beyond 2^53").arg(number, 0, 'f', 0));
        return qint64(number);
    }
    failKind(QStringLiteral("an integer"), value);
}

double finiteFloat(const QVariant& value)
{
    const int typeId = value.metaType().id();
    if (!isIntegerKind(typeId) && !isFloatKind(typeId))
        failKind(QStringLiteral("a number"), value);
    const double number = value.toDouble();
    if (!std::isfinite(number))
        fail(QStringLiteral("%1 cannot be written as JSON").arg(number));
    return number;
}

QDate dateOf(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate();
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        if (dateTime.time() != QTime(0, 0))
            fail(QStringLiteral("a date field cannot hold the time of ") + formatIsoDateTime(dateTime));
        return dateTime.date();
    }
    case QMetaType::QString: {
        const QDate date = parseIsoDate(value.toString());
        if (!date.isValid())
            fail(QStringLiteral("expected a date \"yyyy-MM-dd\", found ") + quoted(value.toString()));
        return date;
    }
    default:
        failKind(QStringLiteral("a date"), value);
    }
}

QDateTime dateTimeOf(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return value.toDate().startOfDay();
    case QMetaType::QString: {
        const QDateTime dateTime = parseIsoDateTime(value.toString());
        if (!dateTime.isValid())
            fail(QStringLiteral("expected a date-time \"yyyy-MM-ddTHH:mm:ss\", found ") + quoted(value.toString()));
        return dateTime;
    }
    default:
        failKind(QStringLiteral("a date-time"), value);
    }
}

// --- packet structure ----------------------------------------------------

QString fieldPlace(const QList<FieldDef>& fields, qsizetype column)
{
    return QStringLiteral("field ") + quoted(fields[column].name);
}

QJsonArray valuesToJson(const QVariantList& values, const QList<FieldDef>& fields, const QString& place)
{
    if (values.size() != fields.size())
        fail(place + QStringLiteral(": has %1 values for %2 fields").arg(values.size()).arg(fields.size()));
    QJsonArray json;
    for (qsizetype column = 0; column < values.size(); ++column) {
        try {
            json.append(valueToJson(values[column], fields[column].type));
        } catch (const DataPacketError& error) {
            fail(place + QStringLiteral(", ") + fieldPlace(fields, column) + QStringLiteral(": ") + QString::fromStdString(error.what()));
        }
    }
    return json;
}

QVariantList valuesFromJson(const QJsonValue& json, const QList<FieldDef>& fields, const QString& place)
{
    if (!json.isArray())
        fail(place + QStringLiteral(": expected an array of values") + foundJson(json));
    const QJsonArray array = json.toArray();
    if (array.size() != fields.size())
        fail(place + QStringLiteral(": expected %1 values, found %2").arg(fields.size()).arg(array.size()));
    QVariantList values;
    values.reserve(array.size());
    for (qsizetype column = 0; column < array.size(); ++column) {
        try {
            values.append(valueFromJson(array[column], fields[column].type));
        } catch (const DataPacketError& error) {
            fail(place + QStringLiteral(", ") + fieldPlace(fields, column) + QStringLiteral(": ") + QString::fromStdString(error.what()));
        }
    }
    return values;
}

QJsonArray fieldsToJson(const QList<FieldDef>& fields)
{
    QJsonArray json;
    for (const FieldDef& field : fields) {
        QJsonObject object{{QStringLiteral("name"), field.name}, {QStringLiteral("type"), fieldTypeName(field.type)}};
        if (field.size > 0)
            object.insert(QStringLiteral("size"), field.size);
        json.append(object);
    }
    return json;
}

void checkKeys(const QJsonObject& object, const QStringList& allowed, const QString& place)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key()))
            fail(place + QStringLiteral(": unknown key ") + quoted(it.key()));
    }
}

FieldDef fieldFromJson(const QJsonValue& json, qsizetype number)
{
    const QString place = QStringLiteral("field %1").arg(number);
    if (!json.isObject())
        fail(place + QStringLiteral(": expected an object") + foundJson(json));
    const QJsonObject object = json.toObject();
    checkKeys(object, {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("size")}, place);

    const QJsonValue name = object.value(QLatin1String("name"));
    if (!name.isString() || name.toString().isEmpty())
        fail(place + QStringLiteral(": expected a non-empty \"name\"") + foundJson(name));
    FieldDef field;
    field.name = name.toString();
    const QString named = QStringLiteral("field ") + quoted(field.name);

    const QJsonValue type = object.value(QLatin1String("type"));
    if (!type.isString())
        fail(named + QStringLiteral(": expected a \"type\"") + foundJson(type));
    try {
        field.type = fieldTypeFromName(type.toString());
    } catch (const DataPacketError& error) {
        fail(named + QStringLiteral(": ") + QString::fromStdString(error.what()));
    }

    const QJsonValue size = object.value(QLatin1String("size"));
    if (!size.isUndefined()) {
        if (field.type != FieldType::String && field.type != FieldType::Memo)
            fail(named + QStringLiteral(": \"size\" belongs to string and memo fields only"));
        const double number = size.toDouble(-1);
        if (!size.isDouble() || number < 0 || number > 1e9 || std::trunc(number) != number)
            fail(named + QStringLiteral(": \"size\" must be a whole number of characters") + foundJson(size));
        field.size = int(number);
    }
    return field;
}

QList<FieldDef> fieldsFromJson(const QJsonObject& json)
{
    const QJsonValue value = json.value(QLatin1String("fields"));
    if (!value.isArray())
        fail(QStringLiteral("\"fields\": expected an array") + foundJson(value));
    const QJsonArray array = value.toArray();
    QList<FieldDef> fields;
    fields.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        FieldDef field = fieldFromJson(array[i], i + 1);
        for (const FieldDef& earlier : std::as_const(fields)) {
            if (earlier.name.compare(field.name, Qt::CaseInsensitive) == 0)
                fail(QStringLiteral("field %1: the name %2 appears twice").arg(i + 1).arg(quoted(field.name)));
        }
        fields.append(std::move(field));
    }
    return fields;
}

int indexOfField(const QList<FieldDef>& fields, const QString& fieldName)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QJsonObject parseObject(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        fail(QStringLiteral("malformed JSON at byte %1: %2").arg(error.offset).arg(error.errorString()));
    if (!document.isObject())
        fail(QStringLiteral("expected a JSON object"));
    return document.object();
}

const QString opInsert = QStringLiteral("insert");
const QString opUpdate = QStringLiteral("update");
const QString opDelete = QStringLiteral("delete");

QString opName(ChangeOp op)
{
    switch (op) {
    case ChangeOp::Insert: return opInsert;
    case ChangeOp::Update: return opUpdate;
    case ChangeOp::Delete: return opDelete;
    }
    return {};
}

} // namespace

// --- field types -----------------------------------------------------------

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String: return QStringLiteral("string");
    case FieldType::Memo: return QStringLiteral("memo");
    case FieldType::Integer: return QStringLiteral("integer");
    case FieldType::Float: return QStringLiteral("float");
    case FieldType::Boolean: return QStringLiteral("boolean");
    case FieldType::Date: return QStringLiteral("date");
    case FieldType::DateTime: return QStringLiteral("datetime");
    }
    fail(QStringLiteral("unknown field type %1").arg(int(type)));
}

FieldType fieldTypeFromName(const QString& name)
{
    static const FieldType all[] = {FieldType::String, FieldType::Memo, FieldType::Integer, FieldType::Float,
                                    FieldType::Boolean, FieldType::Date, FieldType::DateTime};
    for (FieldType type : all) {
        if (fieldTypeName(type) == name)
            return type;
    }
    fail(QStringLiteral("unknown field type ") + quoted(name));
}

// --- values ----------------------------------------------------------------

QJsonValue valueToJson(const QVariant& value, FieldType type)
{
    if (isNullValue(value))
        return QJsonValue(QJsonValue::Null);
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return textOf(value);
    case FieldType::Integer:
        return safeInteger(value);
    case FieldType::Float:
        return finiteFloat(value);
    case FieldType::Boolean:
        if (value.metaType().id() != QMetaType::Bool)
            failKind(QStringLiteral("a boolean"), value);
        return value.toBool();
    case FieldType::Date:
        return formatIsoDate(dateOf(value));
    case FieldType::DateTime:
        return formatIsoDateTime(dateTimeOf(value));
    }
    fail(QStringLiteral("unknown field type %1").arg(int(type)));
}

QVariant valueFromJson(const QJsonValue& json, FieldType type)
{
    if (json.isNull())
        return {};
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        if (json.isString())
            return json.toString();
        fail(QStringLiteral("expected text") + foundJson(json));
    case FieldType::Integer: {
        if (!json.isDouble())
            fail(QStringLiteral("expected an integer") + foundJson(json));
        const double number = json.toDouble();
        if (std::trunc(number) != number)
            fail(QStringLiteral("expected an integer, found %1").arg(number));
        const qint64 integer = json.toInteger(maxSafeInteger + 1);
        if (std::fabs(number) > double(maxSafeInteger) || integer > maxSafeInteger || integer < -maxSafeInteger)
            fail(QStringLiteral("integer beyond 2^53 (%1)").arg(number, 0, 'f', 0));
        return QVariant(qlonglong(integer));
    }
    case FieldType::Float: {
        if (!json.isDouble())
            fail(QStringLiteral("expected a number") + foundJson(json));
        const double number = json.toDouble();
        if (!std::isfinite(number))
            fail(QStringLiteral("number out of range"));
        return number;
    }
    case FieldType::Boolean:
        if (json.isBool())
            return json.toBool();
        fail(QStringLiteral("expected a boolean") + foundJson(json));
    case FieldType::Date: {
        const QDate date = json.isString() ? parseIsoDate(json.toString()) : QDate();
        if (!date.isValid())
            fail(QStringLiteral("expected a date \"yyyy-MM-dd\"") + foundJson(json));
        return date;
    }
    case FieldType::DateTime: {
        const QDateTime dateTime = json.isString() ? parseIsoDateTime(json.toString()) : QDateTime();
        if (!dateTime.isValid())
            fail(QStringLiteral("expected a date-time \"yyyy-MM-ddTHH:mm:ss\"") + foundJson(json));
        return dateTime;
    }
    }
    fail(QStringLiteral("unknown field type %1").arg(int(type)));
}

// --- DataPacket ------------------------------------------------------------

int DataPacket::indexOf(const QString& fieldName) const
{
    return indexOfField(fields, fieldName);
}

QJsonObject DataPacket::toJson() const
{
    QJsonArray jsonRows;
    for (qsizetype row = 0; row < rows.size(); ++row)
        jsonRows.append(valuesToJson(rows[row], fields, QStringLiteral("row %1").arg(row + 1)));
    return {{QStringLiteral("fields"), fieldsToJson(fields)}, {QStringLiteral("rows"), jsonRows}};
}

QByteArray DataPacket::toBytes() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

DataPacket DataPacket::fromJson(const QJsonObject& json)
{
    checkKeys(json, {QStringLiteral("fields"), QStringLiteral("rows")}, QStringLiteral("packet"));
    DataPacket packet;
    packet.fields = fieldsFromJson(json);
    const QJsonValue rows = json.value(QLatin1String("rows"));
    if (!rows.isArray())
        fail(QStringLiteral("\"rows\": expected an array") + foundJson(rows));
    const QJsonArray array = rows.toArray();
    packet.rows.reserve(array.size());
    for (qsizetype row = 0; row < array.size(); ++row)
        packet.rows.append(valuesFromJson(array[row], packet.fields, QStringLiteral("row %1").arg(row + 1)));
    return packet;
}

DataPacket DataPacket::fromBytes(const QByteArray& bytes)
{
    return fromJson(parseObject(bytes));
}

bool DataPacket::isPacket(const QJsonValue& json)
{
    if (!json.isObject())
        return false;
    const QJsonObject object = json.toObject();
    return object.value(QLatin1String("fields")).isArray() && object.value(QLatin1String("rows")).isArray();
}

// --- Delta -----------------------------------------------------------------

int Delta::indexOf(const QString& fieldName) const
{
    return indexOfField(fields, fieldName);
}

QJsonObject Delta::toJson() const
{
    QJsonArray jsonChanges;
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const RowChange& change = changes[i];
        const QString place = QStringLiteral("change %1 (%2)").arg(i + 1).arg(opName(change.op));
        QJsonObject object{{QStringLiteral("op"), opName(change.op)}};
        if (change.op != ChangeOp::Insert)
            object.insert(QStringLiteral("old"), valuesToJson(change.oldValues, fields, place + QStringLiteral(" \"old\"")));
        if (change.op != ChangeOp::Delete)
            object.insert(QStringLiteral("new"), valuesToJson(change.newValues, fields, place + QStringLiteral(" \"new\"")));
        jsonChanges.append(object);
    }
    return {{QStringLiteral("fields"), fieldsToJson(fields)}, {QStringLiteral("changes"), jsonChanges}};
}

Delta Delta::fromJson(const QJsonObject& json)
{
    checkKeys(json, {QStringLiteral("fields"), QStringLiteral("changes")}, QStringLiteral("delta"));
    Delta delta;
    delta.fields = fieldsFromJson(json);
    const QJsonValue changes = json.value(QLatin1String("changes"));
    if (!changes.isArray())
        fail(QStringLiteral("\"changes\": expected an array") + foundJson(changes));
    const QJsonArray array = changes.toArray();
    delta.changes.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString number = QStringLiteral("change %1").arg(i + 1);
        if (!array[i].isObject())
            fail(number + QStringLiteral(": expected an object") + foundJson(array[i]));
        const QJsonObject object = array[i].toObject();
        checkKeys(object, {QStringLiteral("op"), QStringLiteral("old"), QStringLiteral("new")}, number);

        RowChange change;
        const QString op = object.value(QLatin1String("op")).toString();
        if (op == opInsert)
            change.op = ChangeOp::Insert;
        else if (op == opUpdate)
            change.op = ChangeOp::Update;
        else if (op == opDelete)
            change.op = ChangeOp::Delete;
        else
            fail(number + QStringLiteral(": \"op\" must be \"insert\", \"update\" or \"delete\"") + foundJson(object.value(QLatin1String("op"))));

        const QString place = number + QStringLiteral(" (") + op + QLatin1Char(')');
        const bool wantsOld = change.op != ChangeOp::Insert;
        const bool wantsNew = change.op != ChangeOp::Delete;
        if (object.contains(QLatin1String("old")) != wantsOld)
            fail(place + (wantsOld ? QStringLiteral(": \"old\" is missing") : QStringLiteral(": an insert has no \"old\"")));
        if (object.contains(QLatin1String("new")) != wantsNew)
            fail(place + (wantsNew ? QStringLiteral(": \"new\" is missing") : QStringLiteral(": a delete has no \"new\"")));
        if (wantsOld)
            change.oldValues = valuesFromJson(object.value(QLatin1String("old")), delta.fields, place + QStringLiteral(" \"old\""));
        if (wantsNew)
            change.newValues = valuesFromJson(object.value(QLatin1String("new")), delta.fields, place + QStringLiteral(" \"new\""));
        delta.changes.append(std::move(change));
    }
    return delta;
}

bool Delta::isDelta(const QJsonValue& json)
{
    if (!json.isObject())
        return false;
    const QJsonObject object = json.toObject();
    return object.value(QLatin1String("fields")).isArray() && object.value(QLatin1String("changes")).isArray();
}
