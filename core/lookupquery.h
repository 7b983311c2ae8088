#pragma once
// Look-up queries (qry...): read-only SQL on the host's database connection,
// with named parameters ":P_X". Optional filters come in pairs, the value
// P_X and its switch P_TX, where "T" means all rows (setOptionalParam).
//
// Every value is bound, never pasted into the text. A parameter named in the
// text must be given a value (null counts) before open(); naming one that is
// not in the text is an error, so a typo cannot silently widen a look-up.
// open() reads every row at once and keeps them, so no cursor stays open on
// the database while a screen browses the result.
//
// Columns come back upper-case, as the ERP names them, whatever the database
// folds them to. Types follow the database; SQLite keeps dates as text, so a
// text column named "DT..." whose values are all ISO dates or date-times
// becomes a date or date-time column (one holding only nulls, a date-time),
// and setFieldType() can state a column's type outright.

#include "datapacket.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <stdexcept>

class QSqlQuery;

class LookupQueryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One column of the current row, read the way screens read look-up results.
class ResultField {
public:
    ResultField() = default;
    ResultField(QString name, FieldType type, QVariant value);

    const QString& name() const { return m_name; }
    FieldType type() const { return m_type; }
    const QVariant& value() const { return m_value; }   // QVariant() for null
    bool isNull() const { return !m_value.isValid(); }

    // Null reads as "", 0, false or an invalid date. A value that cannot be
    // read as asked (text that is no number, a fraction as an integer) throws.
    QString asString() const;      // numbers with a decimal comma, dates "dd/MM/yyyy"
    double asFloat() const;        // text with a decimal point or comma
    qint64 asInteger() const;
    bool asBoolean() const;        // "S"/"N", "T"/"F", "true"/"false", 1/0
    QDate asDate() const;          // the day of a date-time
    QDateTime asDateTime() const;

private:
    [[noreturn]] void failRead(const QString& wanted) const;

    QString m_name;
    FieldType m_type = FieldType::String;
    QVariant m_value;
};

class LookupQuery {
public:
    LookupQuery(QString name, QSqlDatabase database, const QString& sql = {});

    QString name() const { return m_name; }
    void setDatabase(const QSqlDatabase& database);   // closes

    void setSql(const QString& sql);   // closes and forgets every parameter value
    QString sql() const { return m_sql; }
    QStringList paramNames() const { return m_paramNames; }   // as written, in order of first use
    bool hasParam(const QString& name) const;

    // Names are case-insensitive and written without the colon.
    void setParam(const QString& name, const QVariant& value);
    // Sets "P_X" to value and its switch "P_TX" to "T" (all) or "" (only value).
    void setOptionalParam(const QString& name, const QVariant& value, bool all);
    QVariant param(const QString& name) const;
    void clearParams();

    // States a column's type instead of taking it from the database.
    void setFieldType(const QString& fieldName, FieldType type);

    void open();    // runs the statement anew, also when open; throws LookupQueryError
    void close();
    bool isOpen() const { return m_open; }

    void first();
    void next();
    bool eof() const;
    bool isEmpty() const;
    int recordCount() const;
    int currentRow() const;            // 0-based; -1 when empty
    void setCurrentRow(int row);       // throws when out of range

    QList<FieldDef> fields() const;
    ResultField fieldByName(const QString& name) const;   // null value when empty; throws for an unknown name
    QVariant value(int row, int column) const;
    DataPacket toPacket() const;

private:
    [[noreturn]] void fail(const QString& message) const;
    QString paramKey(const QString& name) const;   // throws for a name not in the text
    void requireOpen() const;
    void readResult(QSqlQuery& query);

    QString m_name;
    QSqlDatabase m_database;
    QString m_sql;
    QString m_preparedSql;
    QStringList m_paramNames;
    QStringList m_occurrences;      // upper-case parameter name of each placeholder, in order
    QHash<QString, QVariant> m_values;   // by upper-case name; present = set
    QHash<QString, FieldType> m_fieldTypes;
    bool m_positionalPerName = false;   // "$n" once per name instead of "?" per use

    bool m_open = false;
    QList<FieldDef> m_fields;
    QList<QVariantList> m_rows;
    int m_current = -1;
    bool m_eof = true;
};
