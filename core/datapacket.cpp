#include "datapacket.h"

#include "iso_datetime.h"
#include "json_text.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QTime>
#include <charconv>
#include <cmath>
#include <optional>

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

QString formatIsoDate(const QDate& date)
{
    try {
        return isoDateText(date);
    } catch (const std::invalid_argument& error) {
        fail(QString::fromLatin1(error.what()));
    }
}

QString formatIsoDateTime(const QDateTime& dateTime)
{
    try {
        return isoDateTimeText(dateTime);
    } catch (const std::invalid_argument& error) {
        fail(QString::fromLatin1(error.what()));
    }
}

// --- values in memory ----------------------------------------------------

// An invalid QDate or QDateTime is how Qt spells "no date", so it is null too.
bool isNullValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return true;
    switch (value.metaType().id()) {
    case QMetaType::QDate: return !static_cast<const QDate*>(value.constData())->isValid();
    case QMetaType::QDateTime: return !static_cast<const QDateTime*>(value.constData())->isValid();
    default: return false;
    }
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

QString rowPlace(qsizetype row)
{
    return QStringLiteral("row %1").arg(row + 1);   // counted from 1, as people count
}

QString fieldPlace(const QList<FieldDef>& fields, qsizetype column)
{
    return QStringLiteral("field ") + quoted(fields[column].name);
}

// `place` names the row for a message; it is only called when something is wrong.
template <typename Place>
QVariantList valuesFromJson(const QJsonValue& json, const QList<FieldDef>& fields, const Place& place)
{
    if (!json.isArray())
        fail(place() + QStringLiteral(": expected an array of values") + foundJson(json));
    const QJsonArray array = json.toArray();
    if (array.size() != fields.size())
        fail(place() + QStringLiteral(": expected %1 values, found %2").arg(fields.size()).arg(array.size()));
    QVariantList values;
    values.reserve(array.size());
    for (qsizetype column = 0; column < array.size(); ++column) {
        try {
            values.append(valueFromJson(array[column], fields[column].type));
        } catch (const DataPacketError& error) {
            fail(place() + QStringLiteral(", ") + fieldPlace(fields, column) + QStringLiteral(": ") + QString::fromStdString(error.what()));
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

// --- bytes, directly -------------------------------------------------------
//
// Big packets are read and written straight from and to bytes, without an
// intermediate JSON tree: that tree costs more than the packet itself. The
// reader is a fast path only: whenever anything is unusual or wrong it steps
// aside, and the tree-based reader reads the bytes again and names the fault.

class FastPacketReader {
public:
    explicit FastPacketReader(const QByteArray& bytes)
        : m_pos(bytes.constData()), m_end(bytes.constData() + bytes.size())
    {
    }

    std::optional<DataPacket> read()
    {
        try {
            return readPacket();
        } catch (const StepAside&) {
            return std::nullopt;
        } catch (const DataPacketError&) {
            return std::nullopt;
        }
    }

private:
    struct StepAside {};

    [[noreturn]] static void stepAside() { throw StepAside{}; }

    DataPacket readPacket()
    {
        DataPacket packet;
        bool haveFields = false;
        bool haveRows = false;
        expect('{');
        do {
            const QByteArrayView key = readKey();
            expect(':');
            skipBlanks();
            if (key == "fields" && !haveFields) {
                packet.fields = readFields();
                haveFields = true;
            } else if (key == "rows" && haveFields && !haveRows) {
                readRows(packet);
                haveRows = true;
            } else {
                stepAside();   // rows before fields, a repeated or an unknown key
            }
        } while (next() == ',');
        if (m_pos[-1] != '}' || !haveRows)
            stepAside();
        skipBlanks();
        if (m_pos != m_end)
            stepAside();
        return packet;
    }

    void skipBlanks()
    {
        while (m_pos < m_end && (*m_pos == ' ' || *m_pos == '\n' || *m_pos == '\r' || *m_pos == '\t'))
            ++m_pos;
    }

    char next()
    {
        skipBlanks();
        if (m_pos >= m_end)
            stepAside();
        return *m_pos++;
    }

    void expect(char wanted)
    {
        if (next() != wanted)
            stepAside();
    }

    void expectWord(const char* word)
    {
        for (; *word; ++word, ++m_pos) {
            if (m_pos >= m_end || *m_pos != *word)
                stepAside();
        }
    }

    QByteArrayView readKey()
    {
        expect('"');
        const char* start = m_pos;
        while (m_pos < m_end && *m_pos != '"' && *m_pos != '\\')
            ++m_pos;
        if (m_pos >= m_end || *m_pos != '"')
            stepAside();
        return QByteArrayView(start, m_pos++ - start);
    }

    QList<FieldDef> readFields()
    {
        const char* start = m_pos;
        skipValue(0);
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(start, m_pos - start));
        if (!document.isArray())
            stepAside();
        return fieldsFromJson(QJsonObject{{QStringLiteral("fields"), document.array()}});
    }

    void skipValue(int depth)
    {
        if (depth > 64)
            stepAside();
        switch (next()) {
        case '"':
            --m_pos;
            skipString();
            return;
        case '{':
            if (next() == '}')
                return;
            --m_pos;
            do {
                skipBlanks();
                skipString();
                expect(':');
                skipValue(depth + 1);
            } while (next() == ',');
            if (m_pos[-1] != '}')
                stepAside();
            return;
        case '[':
            if (next() == ']')
                return;
            --m_pos;
            do
                skipValue(depth + 1);
            while (next() == ',');
            if (m_pos[-1] != ']')
                stepAside();
            return;
        default:
            --m_pos;
            readNumberOrWord();
        }
    }

    void skipString()
    {
        if (m_pos >= m_end || *m_pos != '"')
            stepAside();
        for (++m_pos; m_pos < m_end && *m_pos != '"'; ++m_pos) {
            if (*m_pos == '\\' || uchar(*m_pos) < 0x20)
                stepAside();
        }
        if (m_pos >= m_end)
            stepAside();
        ++m_pos;
    }

    void readNumberOrWord()
    {
        if (m_pos < m_end && (*m_pos == 't' || *m_pos == 'f' || *m_pos == 'n')) {
            expectWord(*m_pos == 't' ? "true" : *m_pos == 'f' ? "false" : "null");
            return;
        }
        double ignored;
        readNumber(ignored);
    }

    // JSON number grammar; true when it has no fraction and no exponent.
    bool scanNumber(const char*& start)
    {
        start = m_pos;
        if (m_pos < m_end && *m_pos == '-')
            ++m_pos;
        const char* digits = m_pos;
        while (m_pos < m_end && *m_pos >= '0' && *m_pos <= '9')
            ++m_pos;
        if (m_pos == digits || (*digits == '0' && m_pos - digits > 1))
            stepAside();
        bool integral = true;
        if (m_pos < m_end && *m_pos == '.') {
            const char* fraction = ++m_pos;
            while (m_pos < m_end && *m_pos >= '0' && *m_pos <= '9')
                ++m_pos;
            if (m_pos == fraction)
                stepAside();
            integral = false;
        }
        if (m_pos < m_end && (*m_pos == 'e' || *m_pos == 'E')) {
            ++m_pos;
            if (m_pos < m_end && (*m_pos == '+' || *m_pos == '-'))
                ++m_pos;
            const char* exponent = m_pos;
            while (m_pos < m_end && *m_pos >= '0' && *m_pos <= '9')
                ++m_pos;
            if (m_pos == exponent)
                stepAside();
            integral = false;
        }
        return integral;
    }

    bool readNumber(double& number)
    {
        const char* start;
        const bool integral = scanNumber(start);
        const auto [end, error] = std::from_chars(start, m_pos, number);
        if (error != std::errc() || end != m_pos || !std::isfinite(number))
            stepAside();
        return integral;
    }

    qint64 readInteger()
    {
        const char* start;
        if (scanNumber(start)) {
            qint64 integer;
            const auto [end, error] = std::from_chars(start, m_pos, integer);
            if (error != std::errc() || end != m_pos || integer > maxSafeInteger || integer < -maxSafeInteger)
                stepAside();
            return integer;
        }
        double number;
        const auto [end, error] = std::from_chars(start, m_pos, number);
        if (error != std::errc() || end != m_pos || std::trunc(number) != number || std::fabs(number) > double(maxSafeInteger))
            stepAside();
        return qint64(number);
    }

    QString readString()
    {
        expect('"');
        const char* start = m_pos;
        bool plainAscii = true;
        while (m_pos < m_end && *m_pos != '"') {
            const uchar c = uchar(*m_pos);
            if (c == '\\' || c < 0x20)
                return readEscapedString(start);
            if (c >= 0x80)
                plainAscii = false;
            ++m_pos;
        }
        if (m_pos >= m_end)
            stepAside();
        const QByteArrayView bytes(start, m_pos++ - start);
        if (plainAscii)
            return QString::fromLatin1(bytes.data(), bytes.size());
        if (!bytes.isValidUtf8())
            stepAside();
        return QString::fromUtf8(bytes);
    }

    QString readEscapedString(const char* start)
    {
        m_buffer.clear();
        m_buffer.append(start, m_pos - start);
        while (m_pos < m_end && *m_pos != '"') {
            const uchar c = uchar(*m_pos++);
            if (c < 0x20)
                stepAside();
            if (c != '\\') {
                m_buffer.append(char(c));
                continue;
            }
            if (m_pos >= m_end)
                stepAside();
            switch (*m_pos++) {
            case '"': m_buffer.append('"'); break;
            case '\\': m_buffer.append('\\'); break;
            case '/': m_buffer.append('/'); break;
            case 'b': m_buffer.append('\b'); break;
            case 'f': m_buffer.append('\f'); break;
            case 'n': m_buffer.append('\n'); break;
            case 'r': m_buffer.append('\r'); break;
            case 't': m_buffer.append('\t'); break;
            case 'u': appendEscapedUnicode(); break;
            default: stepAside();
            }
        }
        if (m_pos >= m_end || !QByteArrayView(m_buffer).isValidUtf8())
            stepAside();
        ++m_pos;
        return QString::fromUtf8(m_buffer);
    }

    char16_t readHex4()
    {
        if (m_end - m_pos < 4)
            stepAside();
        unsigned value = 0;
        const auto [end, error] = std::from_chars(m_pos, m_pos + 4, value, 16);
        if (error != std::errc() || end != m_pos + 4)
            stepAside();
        m_pos += 4;
        return char16_t(value);
    }

    void appendEscapedUnicode()
    {
        char16_t units[2] = {readHex4(), 0};
        qsizetype count = 1;
        if (QChar::isHighSurrogate(units[0])) {
            expectWord("\\u");
            units[1] = readHex4();
            count = 2;
            if (!QChar::isLowSurrogate(units[1]))
                stepAside();
        } else if (QChar::isLowSurrogate(units[0])) {
            stepAside();
        }
        m_buffer.append(QStringView(units, count).toUtf8());
    }

    // The raw text of a string that cannot hold escapes (dates).
    QByteArrayView readPlainString()
    {
        expect('"');
        const char* start = m_pos;
        while (m_pos < m_end && *m_pos != '"') {
            if (*m_pos == '\\' || uchar(*m_pos) < 0x20)
                stepAside();
            ++m_pos;
        }
        if (m_pos >= m_end)
            stepAside();
        return QByteArrayView(start, m_pos++ - start);
    }

    QVariant readValue(FieldType type)
    {
        skipBlanks();
        if (m_pos < m_end && *m_pos == 'n') {
            expectWord("null");
            return {};
        }
        switch (type) {
        case FieldType::String:
        case FieldType::Memo:
            return readString();
        case FieldType::Integer:
            return QVariant(qlonglong(readInteger()));
        case FieldType::Float: {
            double number;
            readNumber(number);
            return number;
        }
        case FieldType::Boolean:
            if (m_pos < m_end && *m_pos == 't') {
                expectWord("true");
                return true;
            }
            expectWord("false");
            return false;
        case FieldType::Date: {
            const std::optional<IsoParts> parts = scanIso(readPlainString(), IsoForm::Date);
            if (!parts)
                stepAside();
            return parts->date();
        }
        case FieldType::DateTime: {
            const std::optional<IsoParts> parts = scanIso(readPlainString(), IsoForm::DateTime);
            if (!parts)
                stepAside();
            return parts->dateTime();
        }
        }
        stepAside();
    }

    void readRows(DataPacket& packet)
    {
        const qsizetype width = packet.fields.size();
        expect('[');
        if (next() == ']')
            return;
        --m_pos;
        do {
            expect('[');
            QVariantList row;
            row.reserve(width);
            for (qsizetype column = 0; column < width; ++column) {
                if (column > 0)
                    expect(',');
                row.append(readValue(packet.fields[column].type));
            }
            expect(']');
            packet.rows.append(std::move(row));
        } while (next() == ',');
        if (m_pos[-1] != ']')
            stepAside();
    }

    const char* m_pos;
    const char* m_end;
    QByteArray m_buffer;
};

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
        if (std::fabs(number) > double(maxSafeInteger) || integer > maxSafeInteger || integer < -maxSafeInteger) {
            const QString written = integer != maxSafeInteger + 1 ? QString::number(integer) : QString::number(number, 'g', 17);
            fail(QStringLiteral("integer %1 is beyond 2^53").arg(written));
        }
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

// --- PacketWriter ------------------------------------------------------------

PacketWriter::PacketWriter(QByteArray& out, const QList<FieldDef>& fields, Body body)
    : m_out(out), m_fields(fields), m_body(body)
{
}

void PacketWriter::begin()
{
    m_out.append("{\"fields\":");
    m_out.append(QJsonDocument(fieldsToJson(m_fields)).toJson(QJsonDocument::Compact));
    m_out.append(m_body == Body::Rows ? ",\"rows\":[" : ",\"changes\":[");
}

void PacketWriter::row(const QVariantList& values)
{
    writeValues(values, [this] { return rowPlace(m_items); });
    ++m_items;
}

void PacketWriter::change(const RowChange& change)
{
    if (m_items > 0)
        m_out.append(',');
    m_out.append("{\"op\":\"");
    m_out.append(opName(change.op).toLatin1());
    m_out.append('"');
    const auto place = [&](const char* side) {
        return QStringLiteral("change %1 (%2) \"%3\"").arg(m_items + 1).arg(opName(change.op), QLatin1String(side));
    };
    if (change.op != ChangeOp::Insert) {
        m_out.append(",\"old\":");
        writeValues(change.oldValues, [&] { return place("old"); }, false);
    }
    if (change.op != ChangeOp::Delete) {
        m_out.append(",\"new\":");
        writeValues(change.newValues, [&] { return place("new"); }, false);
    }
    m_out.append('}');
    ++m_items;
}

void PacketWriter::beginRow()
{
    if (m_items > 0)
        m_out.append(',');
    m_out.append('[');
    m_column = 0;
}

void PacketWriter::value(const QVariant& value)
{
    valueAt([&] { return rowPlace(m_items); }, value);
}

bool PacketWriter::isoTextValue(QStringView text)
{
    const FieldType type = m_fields.at(m_column).type;
    if (type != FieldType::Date && type != FieldType::DateTime)
        return false;
    const std::optional<IsoParts> parts = scanIso(text, IsoForm::Lenient);
    if (!parts)
        return false;
    separate();
    m_out.append('"');
    m_out.append(isoText(*parts, type == FieldType::DateTime).toLatin1());
    m_out.append('"');
    ++m_column;
    return true;
}

void PacketWriter::endRow()
{
    if (m_column != m_fields.size())
        fail(rowPlace(m_items) + QStringLiteral(": has %1 values for %2 fields").arg(m_column).arg(m_fields.size()));
    m_out.append(']');
    ++m_items;
}

void PacketWriter::end()
{
    m_out.append("]}");
}

void PacketWriter::separate()
{
    if (m_column >= m_fields.size())
        fail(rowPlace(m_items) + QStringLiteral(": has more values than the %1 fields").arg(m_fields.size()));
    if (m_column > 0)
        m_out.append(',');
}

template <typename Place>
void PacketWriter::writeValues(const QVariantList& values, const Place& place, bool separateItem)
{
    if (values.size() != m_fields.size())
        fail(place() + QStringLiteral(": has %1 values for %2 fields").arg(values.size()).arg(m_fields.size()));
    if (separateItem && m_items > 0)
        m_out.append(',');
    m_out.append('[');
    m_column = 0;
    for (const QVariant& value : values)
        valueAt(place, value);
    m_out.append(']');
}

template <typename Place>
void PacketWriter::valueAt(const Place& place, const QVariant& value)
{
    separate();
    try {
        writeValue(value, m_fields.at(m_column).type);
    } catch (const DataPacketError& error) {
        fail(place() + QStringLiteral(", ") + fieldPlace(m_fields, m_column) + QStringLiteral(": ")
             + QString::fromStdString(error.what()));
    }
    ++m_column;
}

void PacketWriter::writeValue(const QVariant& value, FieldType type)
{
    if (isNullValue(value)) {
        m_out.append("null");
        return;
    }
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        if (value.metaType().id() == QMetaType::QString)
            appendJsonString(m_out, *static_cast<const QString*>(value.constData()));
        else
            appendJsonString(m_out, textOf(value));
        return;
    case FieldType::Integer:
        appendJsonNumber(m_out, safeInteger(value));
        return;
    case FieldType::Float:
        appendJsonNumber(m_out, finiteFloat(value));
        return;
    case FieldType::Boolean:
        if (value.metaType().id() != QMetaType::Bool)
            failKind(QStringLiteral("a boolean"), value);
        m_out.append(value.toBool() ? "true" : "false");
        return;
    case FieldType::Date:
        appendAscii(formatIsoDate(dateOf(value)));
        return;
    case FieldType::DateTime:
        appendAscii(formatIsoDateTime(dateTimeOf(value)));
        return;
    }
    fail(QStringLiteral("unknown field type %1").arg(int(type)));
}

void PacketWriter::appendAscii(const QString& text)
{
    m_out.append('"');
    m_out.append(text.toLatin1());
    m_out.append('"');
}

// --- DataPacket ------------------------------------------------------------

int DataPacket::indexOf(const QString& fieldName) const
{
    return indexOfField(fields, fieldName);
}

QJsonObject DataPacket::toJson() const
{
    return QJsonDocument::fromJson(toBytes()).object();
}

QByteArray DataPacket::toBytes() const
{
    QByteArray out;
    out.reserve(64 + rows.size() * fields.size() * 12);
    PacketWriter writer(out, fields);
    writer.begin();
    for (const QVariantList& values : rows)
        writer.row(values);
    writer.end();
    return out;
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
        packet.rows.append(valuesFromJson(array[row], packet.fields, [row] { return rowPlace(row); }));
    return packet;
}

DataPacket DataPacket::fromBytes(const QByteArray& bytes)
{
    if (std::optional<DataPacket> packet = FastPacketReader(bytes).read())
        return std::move(*packet);
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
    return QJsonDocument::fromJson(toBytes()).object();
}

QByteArray Delta::toBytes() const
{
    QByteArray out;
    out.reserve(64 + changes.size() * fields.size() * 24);
    PacketWriter writer(out, fields, PacketWriter::Body::Changes);
    writer.begin();
    for (const RowChange& change : changes)
        writer.change(change);
    writer.end();
    return out;
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
            change.oldValues = valuesFromJson(object.value(QLatin1String("old")), delta.fields, [&] { return place + QStringLiteral(" \"old\""); });
        if (wantsNew)
            change.newValues = valuesFromJson(object.value(QLatin1String("new")), delta.fields, [&] { return place + QStringLiteral(" \"new\""); });
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
