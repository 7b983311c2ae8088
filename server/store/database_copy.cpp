#include "database_copy.h"

#include "iso_datetime.h"

#include "sql.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlError>
#include <QtEndian>
#include <map>
#include <set>

namespace {

// Every database keeps its own record of the migrations it went through.
const QString VersionTable = QStringLiteral("SCHEMAVERSION");

[[noreturn]] void fail(const QString& message)
{
    throw StoreError(message.toStdString());
}

enum class ColumnKind { Integer, Number, DateTime, Text };

struct Column {
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

ColumnKind kindOfDeclaredType(const QString& declared)
{
    const QString type = declared.toUpper();
    if (type.contains(QLatin1String("INT")))
        return ColumnKind::Integer;
    if (type.contains(QLatin1String("DOUBLE")) || type.contains(QLatin1String("REAL"))
        || type.contains(QLatin1String("NUMERIC")) || type.contains(QLatin1String("DECIMAL")))
        return ColumnKind::Number;
    if (type.contains(QLatin1String("TIMESTAMP")) || type.contains(QLatin1String("DATE")))
        return ColumnKind::DateTime;
    return ColumnKind::Text;
}

// The columns as the SQLite schema declares them (the migrations declare
// the same types for both databases).
QList<Column> sqliteColumns(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query = execSql(db, QStringLiteral("SELECT name, type FROM pragma_table_info(?) ORDER BY cid"), {table});
    QList<Column> columns;
    while (query.next())
        columns.append({query.value(0).toString().toUpper(), kindOfDeclaredType(query.value(1).toString())});
    return columns;
}

QStringList namesOf(const QList<Column>& columns)
{
    QStringList names;
    for (const Column& column : columns)
        names.append(column.name);
    return names;
}

// A value the other database could not hold as it is keeps a mark, so that
// it shows as a difference instead of disappearing into a conversion.
QString canonical(const QVariant& value, ColumnKind kind)
{
    if (value.isNull())
        return QStringLiteral("\u0000");
    bool ok = true;
    switch (kind) {
    case ColumnKind::Integer: {
        const qlonglong number = value.toLongLong(&ok);
        return ok ? QString::number(number) : QLatin1Char('?') + value.toString();
    }
    case ColumnKind::Number: {
        const double number = value.toDouble(&ok);
        return ok ? QString::number(number, 'g', 17) : QLatin1Char('?') + value.toString();
    }
    case ColumnKind::DateTime: {
        const QDateTime moment = value.userType() == QMetaType::QDateTime
                                     ? value.toDateTime()
                                     : parseIsoLenient(value.toString());
        return moment.isValid() ? moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                : QLatin1Char('?') + value.toString();
    }
    case ColumnKind::Text:
        return value.toString();
    }
    return value.toString();
}

// Sums a 64-bit hash of each row: the order the rows come in does not
// matter (the two databases sort text differently), a repeated row counts twice.
class RowChecksum {
public:
    void add(const QSqlQuery& query, const QList<Column>& columns)
    {
        QByteArray row;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            row += canonical(query.value(int(i)), columns.at(i).kind).toUtf8();
            row += '\x1f';
        }
        const QByteArray hash = QCryptographicHash::hash(row, QCryptographicHash::Sha256);
        m_sum += qFromBigEndian<quint64>(hash.constData());
        ++m_rows;
    }
    qint64 rows() const { return m_rows; }
    QString text() const { return QStringLiteral("%1").arg(m_sum, 16, 16, QLatin1Char('0')); }

private:
    quint64 m_sum = 0;
    qint64 m_rows = 0;
};

QString selectAll(const QString& table, const QList<Column>& columns)
{
    return QStringLiteral("SELECT %1 FROM %2").arg(namesOf(columns).join(u','), table);
}

RowChecksum checksumOf(const QSqlDatabase& db, const QString& table, const QList<Column>& columns)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectAll(table, columns)))
        fail(QStringLiteral("Cannot read %1: %2").arg(table, query.lastError().text()));
    RowChecksum checksum;
    while (query.next())
        checksum.add(query, columns);
    return checksum;
}

QStringList sqliteTables(const QSqlDatabase& db)
{
    QSqlQuery query = execSql(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                                                 " AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    QStringList tables;
    while (query.next())
        tables.append(query.value(0).toString().toUpper());
    tables.removeAll(VersionTable);
    return tables;
}

// Parents before the tables that reference them.
QStringList parentsFirst(const QSqlDatabase& db, const QStringList& tables)
{
    std::map<QString, std::set<QString>> parents;
    for (const QString& table : tables) {
        QSqlQuery query = execSql(db, QStringLiteral("SELECT \"table\" FROM pragma_foreign_key_list(?)"), {table});
        auto& mine = parents[table];
        while (query.next()) {
            const QString parent = query.value(0).toString().toUpper();
            if (parent != table)
                mine.insert(parent);
        }
    }
    QStringList ordered;
    while (ordered.size() < tables.size()) {
        const qsizetype before = ordered.size();
        for (const QString& table : tables) {
            if (ordered.contains(table))
                continue;
            const auto& mine = parents[table];
            if (std::all_of(mine.cbegin(), mine.cend(), [&](const QString& parent) { return ordered.contains(parent); }))
                ordered.append(table);
        }
        if (ordered.size() == before)
            fail(QStringLiteral("The tables reference each other in a circle; cannot order the copy."));
    }
    return ordered;
}

void refuseRows(const QSqlDatabase& target, const QStringList& tables)
{
    for (const QString& table : tables) {
        const qlonglong rows = selectValue(target, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toLongLong();
        if (rows > 0)
            fail(QStringLiteral("The target database is not empty: %1 holds %2 row(s). Copy into a new, empty database.")
                     .arg(table).arg(rows));
    }
}

void refuseDifferentSchemas(QSqlDatabase& source, QSqlDatabase& target)
{
    if (appliedMigrations(source) != appliedMigrations(target))
        fail(QStringLiteral("The two databases are at different schema versions after migrating."));
}

qint64 copyTable(const QSqlDatabase& source, const QSqlDatabase& target, const QString& table,
                 const QList<Column>& columns, RowChecksum& checksum)
{
    QSqlQuery read(source);
    read.setForwardOnly(true);
    if (!read.exec(selectAll(table, columns)))
        fail(QStringLiteral("Cannot read %1: %2").arg(table, read.lastError().text()));
    BatchInserter insert(target, table, namesOf(columns));
    QVariantList row;
    row.reserve(columns.size());
    while (read.next()) {
        row.clear();
        for (qsizetype i = 0; i < columns.size(); ++i)
            row.append(read.value(int(i)));
        insert.add(row);
        checksum.add(read, columns);
    }
    insert.flush();
    return insert.rowsWritten();
}

} // namespace

QString tableChecksum(const QSqlDatabase& db, const QString& table)
{
    QList<Column> columns;
    if (isPostgres(db)) {
        QSqlQuery query = execSql(db, QStringLiteral("SELECT column_name, data_type FROM information_schema.columns"
                                                     " WHERE table_schema = current_schema() AND table_name = ?"
                                                     " ORDER BY ordinal_position"),
                                  {table.toLower()});
        while (query.next())
            columns.append({query.value(0).toString().toUpper(), kindOfDeclaredType(query.value(1).toString())});
    } else {
        columns = sqliteColumns(db, table);
    }
    if (columns.isEmpty())
        fail(QStringLiteral("No table %1.").arg(table));
    return checksumOf(db, table, columns).text();
}

QList<TableCopy> copyDatabase(QSqlDatabase& source, QSqlDatabase& target,
                              const std::function<void(const TableCopy&)>& progress)
{
    if (isPostgres(source) || !isPostgres(target))
        fail(QStringLiteral("The copy goes from a SQLite database to a PostgreSQL database."));
    migrateSchema(source);
    migrateSchema(target);
    refuseDifferentSchemas(source, target);
    const QStringList tables = parentsFirst(source, sqliteTables(source));

    execSql(source, QStringLiteral("BEGIN IMMEDIATE"));
    if (!target.transaction()) {
        execSql(source, QStringLiteral("ROLLBACK"));
        fail(QStringLiteral("Cannot start a transaction on the target: %1").arg(target.lastError().text()));
    }
    QList<TableCopy> copied;
    try {
        refuseRows(target, tables);
        for (const QString& table : tables) {
            const QList<Column> columns = sqliteColumns(source, table);
            RowChecksum sent;
            const qint64 written = copyTable(source, target, table, columns, sent);
            const RowChecksum stored = checksumOf(target, table, columns);
            if (stored.rows() != written || stored.rows() != sent.rows())
                fail(QStringLiteral("%1: %2 row(s) read, %3 stored; nothing was copied.")
                         .arg(table).arg(sent.rows()).arg(stored.rows()));
            if (stored.text() != sent.text())
                fail(QStringLiteral("%1: the copied rows differ from the original (checksum %2, stored %3); "
                                    "a value the target cannot hold exactly? Nothing was copied.")
                         .arg(table, sent.text(), stored.text()));
            copied.append({table, stored.rows(), stored.text()});
            if (progress)
                progress(copied.last());
        }
        if (!target.commit())
            fail(QStringLiteral("Cannot commit the copy: %1").arg(target.lastError().text()));
    } catch (...) {
        target.rollback();
        QSqlQuery(source).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    execSql(source, QStringLiteral("ROLLBACK"));   // the source was only read
    return copied;
}
