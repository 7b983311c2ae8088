#include "lookupquery.h"

#include "iso_datetime.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// --- parameters in the text --------------------------------------------------

bool isNameStart(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool isNamePart(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9');
}

struct PreparedText {
    QString sql;               // placeholders instead of ":NAME"
    QStringList occurrences;   // upper-case name per placeholder, in order
    QStringList names;         // as first written
};

// Replaces each ":NAME" outside literals and quoted names, and drops comments. PostgreSQL
// gets "$n" once per name, so that ":P_X IS NULL" learns its type from another
// use of P_X; other databases get one "?" per use.
PreparedText prepareText(const QString& sql, bool positionalPerName)
{
    PreparedText prepared;
    QStringList upperNames;
    const qsizetype length = sql.size();
    qsizetype i = 0;
    const auto copyUntil = [&](qsizetype end) {
        prepared.sql += QStringView(sql).mid(i, end - i);
        i = end;
    };
    while (i < length) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            qsizetype end = i + 1;
            while (end < length && sql[end] != c)
                ++end;
            copyUntil(std::min(end + 1, length));   // a doubled quote is two literals in a row
        } else if (c == u'-' && i + 1 < length && sql[i + 1] == u'-') {
            const qsizetype end = sql.indexOf(u'\n', i);
            i = end < 0 ? length : end;   // dropped: the driver would take ":X" in a comment for a parameter
        } else if (c == u'/' && i + 1 < length && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? length : end + 2;
            prepared.sql += u' ';
        } else if (c == u':' && i + 1 < length && isNameStart(sql[i + 1]) && (i == 0 || sql[i - 1] != u':')) {
            qsizetype end = i + 1;
            while (end < length && isNamePart(sql[end]))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            const QString upper = name.toUpper();
            qsizetype index = upperNames.indexOf(upper);
            if (index < 0) {
                index = upperNames.size();
                upperNames.append(upper);
                prepared.names.append(name);
            }
            prepared.occurrences.append(upper);
            prepared.sql += positionalPerName ? QStringLiteral("$%1").arg(index + 1) : QStringLiteral("?");
            i = end;
        } else {
            copyUntil(i + 1);
        }
    }
    return prepared;
}

// The first word after blanks and comments.
QString firstWord(const QString& sql)
{
    qsizetype i = 0;
    for (;;) {
        while (i < sql.size() && sql[i].isSpace())
            ++i;
        if (sql.mid(i, 2) == QLatin1String("--")) {
            const qsizetype end = sql.indexOf(u'\n', i);
            i = end < 0 ? sql.size() : end;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? sql.size() : end + 2;
        } else {
            break;
        }
    }
    qsizetype end = i;
    while (end < sql.size() && isNamePart(sql[end]))
        ++end;
    return sql.mid(i, end - i).toUpper();
}

// --- column types and values ---------------------------------------------------

std::optional<FieldType> typeFromDriver(const QSqlField& field)
{
    switch (field.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        return FieldType::Integer;
    case QMetaType::Double: case QMetaType::Float:
        return FieldType::Float;
    case QMetaType::Bool:
        return FieldType::Boolean;
    case QMetaType::QDate:
        return FieldType::Date;
    case QMetaType::QDateTime:
        return FieldType::DateTime;
    default:
        return std::nullopt;   // text, or a database that types by value
    }
}

bool isIntegerValue(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isFloatValue(const QVariant& value)
{
    return value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float;
}

// A stored date-time kept as ISO text, at least to the minute.
std::optional<QDateTime> parseStoredDateTime(const QString& text)
{
    if (text.size() < 16)
        return std::nullopt;
    const QDateTime dateTime = parseIsoLenient(text);
    if (!dateTime.isValid())
        return std::nullopt;
    return dateTime;
}

std::optional<QDate> parseStoredDate(const QString& text)
{
    QDate date;
    if (text.size() == 10)
        date = text[2] == u'/' ? QDate::fromString(text, QStringLiteral("dd/MM/yyyy")) : parseIsoDate(text);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// SQLite gives each value its own kind; the column takes the kind its values share.
FieldType typeFromValues(const QString& column, const QList<QVariantList>& rows, int index, bool datesAreText)
{
    bool any = false, allIntegers = true, allNumbers = true, allDates = true, allDateTimes = true;
    for (const QVariantList& row : rows) {
        const QVariant& value = row[index];
        if (!value.isValid())
            continue;
        any = true;
        allIntegers = allIntegers && isIntegerValue(value);
        allNumbers = allNumbers && (isIntegerValue(value) || isFloatValue(value));
        const bool isText = value.metaType().id() == QMetaType::QString;
        allDates = allDates && isText && parseStoredDate(value.toString()).has_value();
        allDateTimes = allDateTimes && isText && (parseStoredDate(value.toString()) || parseStoredDateTime(value.toString()));
    }
    const bool namedAsDate = datesAreText && column.startsWith(QLatin1String("DT"));
    if (!any)
        return namedAsDate ? FieldType::DateTime : FieldType::String;
    if (allIntegers)
        return FieldType::Integer;
    if (allNumbers)
        return FieldType::Float;
    if (namedAsDate && allDates)
        return FieldType::Date;
    if (namedAsDate && allDateTimes)
        return FieldType::DateTime;
    return FieldType::String;
}

QString describe(const QVariant& value)
{
    return QLatin1Char('\'') + value.toString().left(40) + QLatin1Char('\'');
}

// The value in the one kind the packet expects for the column's type.
QVariant convertValue(const QVariant& value, FieldType type)
{
    if (!value.isValid())
        return {};
    const int typeId = value.metaType().id();
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        if (typeId == QMetaType::QByteArray)
            return QString::fromUtf8(value.toByteArray());
        if (isFloatValue(value))
            return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return value.toString();
    case FieldType::Integer: {
        if (typeId == QMetaType::ULongLong && value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            throw LookupQueryError(QStringLiteral("%1 is too large for an integer").arg(value.toULongLong()).toStdString());
        bool ok = false;
        const qlonglong integer = value.toLongLong(&ok);
        if (!ok || (isFloatValue(value) && double(integer) != value.toDouble()))
            throw LookupQueryError((describe(value) + QStringLiteral(" is not an integer")).toStdString());
        return integer;
    }
    case FieldType::Float: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            throw LookupQueryError((describe(value) + QStringLiteral(" is not a number")).toStdString());
        return number;
    }
    case FieldType::Boolean:
        if (typeId == QMetaType::Bool)
            return value.toBool();
        if (isIntegerValue(value) && (value.toLongLong() == 0 || value.toLongLong() == 1))
            return value.toLongLong() == 1;
        throw LookupQueryError((describe(value) + QStringLiteral(" is not a boolean")).toStdString());
    case FieldType::Date:
        if (typeId == QMetaType::QDate)
            return value.toDate();
        if (typeId == QMetaType::QDateTime)
            return value.toDateTime().date();
        if (typeId == QMetaType::QString) {
            if (const std::optional<QDate> date = parseStoredDate(value.toString()))
                return *date;
            if (const std::optional<QDateTime> dateTime = parseStoredDateTime(value.toString()))
                return dateTime->date();
        }
        throw LookupQueryError((describe(value) + QStringLiteral(" is not a date")).toStdString());
    case FieldType::DateTime:
        if (typeId == QMetaType::QDateTime)
            return value.toDateTime();
        if (typeId == QMetaType::QDate)
            return value.toDate().startOfDay();
        if (typeId == QMetaType::QString) {
            if (const std::optional<QDateTime> dateTime = parseStoredDateTime(value.toString()))
                return *dateTime;
            if (const std::optional<QDate> date = parseStoredDate(value.toString()))
                return date->startOfDay();
        }
        throw LookupQueryError((describe(value) + QStringLiteral(" is not a date-time")).toStdString());
    }
    return {};
}

const QLocale& brazilianLocale()
{
    static const QLocale locale = [] {
        QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
        brazil.setNumberOptions(QLocale::OmitGroupSeparator);
        return brazil;
    }();
    return locale;
}

// A number kept as text by the database: one decimal separator, either
// kind, and no grouping (unlike a typed number, "1.234" is 1.234 here).
std::optional<double> parseNumberText(const QString& text)
{
    QString normalised = text.trimmed();
    if (normalised.count(u',') + normalised.count(u'.') > 1)
        return std::nullopt;
    normalised.replace(u',', u'.');
    bool ok = false;
    const double number = QLocale::c().toDouble(normalised, &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

} // namespace

// --- ResultField -----------------------------------------------------------------

ResultField::ResultField(QString name, FieldType type, QVariant value)
    : m_name(std::move(name)), m_type(type), m_value(std::move(value))
{
}

void ResultField::failRead(const QString& wanted) const
{
    throw LookupQueryError(QStringLiteral("field \"%1\": %2 is not %3").arg(m_name, describe(m_value), wanted).toStdString());
}

QString ResultField::asString() const
{
    if (isNull())
        return {};
    switch (m_value.metaType().id()) {
    case QMetaType::Double:
        return brazilianLocale().toString(m_value.toDouble(), 'f', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return m_value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime:
        return m_value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case QMetaType::Bool:
        return m_value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return m_value.toString();
    }
}

double ResultField::asFloat() const
{
    if (isNull())
        return 0;
    if (isIntegerValue(m_value) || isFloatValue(m_value))
        return m_value.toDouble();
    if (m_value.metaType().id() == QMetaType::QString) {
        if (const std::optional<double> number = parseNumberText(m_value.toString()))
            return *number;
    }
    failRead(QStringLiteral("a number"));
}

qint64 ResultField::asInteger() const
{
    if (isNull())
        return 0;
    const double number = asFloat();
    if (isIntegerValue(m_value))
        return m_value.toLongLong();
    if (std::trunc(number) != number || std::fabs(number) > 9.2e18)
        failRead(QStringLiteral("an integer"));
    return qint64(number);
}

bool ResultField::asBoolean() const
{
    if (isNull())
        return false;
    if (m_value.metaType().id() == QMetaType::Bool)
        return m_value.toBool();
    if (isIntegerValue(m_value) && (m_value.toLongLong() == 0 || m_value.toLongLong() == 1))
        return m_value.toLongLong() == 1;
    const QString text = m_value.toString().trimmed().toUpper();
    if (text == u"S" || text == u"T" || text == u"TRUE")
        return true;
    if (text == u"N" || text == u"F" || text == u"FALSE")
        return false;
    failRead(QStringLiteral("a boolean"));
}

QDate ResultField::asDate() const
{
    if (isNull())
        return {};
    try {
        return convertValue(m_value, FieldType::Date).toDate();
    } catch (const LookupQueryError&) {
        failRead(QStringLiteral("a date"));
    }
}

QDateTime ResultField::asDateTime() const
{
    if (isNull())
        return {};
    try {
        return convertValue(m_value, FieldType::DateTime).toDateTime();
    } catch (const LookupQueryError&) {
        failRead(QStringLiteral("a date-time"));
    }
}

// --- LookupQuery -------------------------------------------------------------------

LookupQuery::LookupQuery(QString name, QSqlDatabase database, const QString& sql)
    : m_name(std::move(name)), m_database(std::move(database))
{
    setSql(sql);
}

void LookupQuery::fail(const QString& message) const
{
    throw LookupQueryError((m_name + QStringLiteral(": ") + message).toStdString());
}

void LookupQuery::setDatabase(const QSqlDatabase& database)
{
    close();
    m_database = database;
    setSql(m_sql);
}

void LookupQuery::setSql(const QString& sql)
{
    close();
    m_sql = sql;
    m_positionalPerName = m_database.driverName() == QLatin1String("QPSQL");
    const PreparedText prepared = prepareText(sql, m_positionalPerName);
    m_preparedSql = prepared.sql;
    m_occurrences = prepared.occurrences;
    m_paramNames = prepared.names;
    m_values.clear();
}

bool LookupQuery::hasParam(const QString& name) const
{
    return m_occurrences.contains(name.toUpper());
}

QString LookupQuery::paramKey(const QString& name) const
{
    const QString key = name.toUpper();
    if (!m_occurrences.contains(key))
        fail(QStringLiteral("parameter \"%1\" is not in the query").arg(name));
    return key;
}

void LookupQuery::setParam(const QString& name, const QVariant& value)
{
    m_values.insert(paramKey(name), value);
}

void LookupQuery::setOptionalParam(const QString& name, const QVariant& value, bool all)
{
    if (!name.startsWith(QLatin1String("P_"), Qt::CaseInsensitive))
        fail(QStringLiteral("optional parameter \"%1\" must begin with P_").arg(name));
    const QString switchName = name.left(2) + QLatin1Char('T') + name.mid(2);
    const QString valueKey = paramKey(name);
    const QString switchKey = paramKey(switchName);
    m_values.insert(valueKey, value);
    m_values.insert(switchKey, all ? QStringLiteral("T") : QString(""));
}

QVariant LookupQuery::param(const QString& name) const
{
    return m_values.value(paramKey(name));
}

void LookupQuery::clearParams()
{
    m_values.clear();
}

void LookupQuery::setFieldType(const QString& fieldName, FieldType type)
{
    m_fieldTypes.insert(fieldName.toUpper(), type);
}

void LookupQuery::open()
{
    close();
    const QString word = firstWord(m_sql);
    if (word != u"SELECT" && word != u"WITH")
        fail(QStringLiteral("a look-up query only reads; it must begin with SELECT or WITH"));
    QStringList missing;
    for (const QString& name : std::as_const(m_paramNames)) {
        if (!m_values.contains(name.toUpper()))
            missing.append(name);
    }
    if (!missing.isEmpty())
        fail(QStringLiteral("no value for parameter %1").arg(missing.join(QStringLiteral(", "))));
    if (!m_database.isOpen())
        fail(QStringLiteral("the database connection is not open"));

    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.prepare(m_preparedSql))
        fail(query.lastError().text());
    if (m_positionalPerName) {
        for (const QString& name : std::as_const(m_paramNames))
            query.addBindValue(m_values.value(name.toUpper()));
    } else {
        for (const QString& key : std::as_const(m_occurrences))
            query.addBindValue(m_values.value(key));
    }
    if (!query.exec())
        fail(query.lastError().text());
    readResult(query);
    m_open = true;
    first();
}

void LookupQuery::readResult(QSqlQuery& query)
{
    const QSqlRecord record = query.record();
    const int columnCount = record.count();
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(columnCount);
        for (int column = 0; column < columnCount; ++column)
            row.append(query.isNull(column) ? QVariant() : query.value(column));
        rows.append(std::move(row));
    }
    if (query.lastError().isValid())
        fail(query.lastError().text());

    const bool datesAreText = m_database.driverName() == QLatin1String("QSQLITE");
    QList<FieldDef> fields;
    QStringList upperNames;
    for (int column = 0; column < columnCount; ++column) {
        const QSqlField sqlField = record.field(column);
        FieldDef field;
        field.name = sqlField.name().toUpper();
        for (int copy = 1; upperNames.contains(field.name); ++copy)
            field.name = sqlField.name().toUpper() + QStringLiteral("_%1").arg(copy);
        upperNames.append(field.name);
        if (m_fieldTypes.contains(field.name))
            field.type = m_fieldTypes.value(field.name);
        else if (const std::optional<FieldType> type = typeFromDriver(sqlField))
            field.type = *type;
        else
            field.type = typeFromValues(field.name, rows, column, datesAreText);
        if (field.type == FieldType::String && sqlField.length() > 0)
            field.size = sqlField.length();
        fields.append(field);
    }

    for (qsizetype row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columnCount; ++column) {
            try {
                rows[row][column] = convertValue(rows[row][column], fields[column].type);
            } catch (const LookupQueryError& error) {
                fail(QStringLiteral("row %1, field \"%2\": %3").arg(row + 1).arg(fields[column].name, QString::fromStdString(error.what())));
            }
        }
    }
    m_fields = std::move(fields);
    m_rows = std::move(rows);
}

void LookupQuery::close()
{
    m_open = false;
    m_fields.clear();
    m_rows.clear();
    m_current = -1;
    m_eof = true;
}

void LookupQuery::requireOpen() const
{
    if (!m_open)
        fail(QStringLiteral("the query is not open"));
}

void LookupQuery::first()
{
    requireOpen();
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_eof = m_rows.isEmpty();
}

void LookupQuery::next()
{
    requireOpen();
    if (m_current + 1 < m_rows.size())
        ++m_current;
    else
        m_eof = true;
}

bool LookupQuery::eof() const
{
    return m_eof;
}

bool LookupQuery::isEmpty() const
{
    return m_rows.isEmpty();
}

int LookupQuery::recordCount() const
{
    return int(m_rows.size());
}

int LookupQuery::currentRow() const
{
    return m_current;
}

void LookupQuery::setCurrentRow(int row)
{
    requireOpen();
    if (row < 0 || row >= m_rows.size())
        fail(QStringLiteral("row %1 is out of range (%2 rows)").arg(row).arg(m_rows.size()));
    m_current = row;
    m_eof = false;
}

QList<FieldDef> LookupQuery::fields() const
{
    return m_fields;
}

ResultField LookupQuery::fieldByName(const QString& name) const
{
    requireOpen();
    for (qsizetype column = 0; column < m_fields.size(); ++column) {
        if (m_fields[column].name.compare(name, Qt::CaseInsensitive) == 0) {
            const QVariant value = m_current >= 0 ? m_rows[m_current][column] : QVariant();
            return ResultField(m_fields[column].name, m_fields[column].type, value);
        }
    }
    fail(QStringLiteral("field \"%1\" not found").arg(name));
}

QVariant LookupQuery::value(int row, int column) const
{
    requireOpen();
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        fail(QStringLiteral("no value at row %1, column %2").arg(row).arg(column));
    return m_rows[row][column];
}

DataPacket LookupQuery::toPacket() const
{
    requireOpen();
    return DataPacket{m_fields, m_rows};
}
