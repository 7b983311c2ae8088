#include "sql.h"

#include "database.h"
#include "iso_datetime.h"
#include "kept_statements.h"

#include <QSqlDriver>
#include <QSqlError>

namespace {

// PostgreSQL pays a round trip per statement, so rows go in batches. The
// SQLite library call per row is cheap while Qt's cost of binding grows
// faster than the number of values in one statement: one row per statement
// is fastest there (measured: a 16000-value statement was 5x slower).
int defaultRowsPerStatement(const QSqlDatabase& db, int columnCount)
{
    constexpr int postgresValuesPerStatement = 3000;
    return isPostgres(db) ? qMax(1, postgresValuesPerStatement / columnCount) : 1;
}

QString shortened(const QString& sql)
{
    QString text = sql.simplified();
    constexpr int maxChars = 160;
    return text.size() > maxChars ? text.left(maxChars) + QStringLiteral(" ...") : text;
}

} // namespace

void throwQueryError(const QSqlQuery& query, const QString& sql)
{
    throw StoreError(QStringLiteral("SQL statement failed: %1 (%2)")
                         .arg(query.lastError().text(), shortened(sql))
                         .toStdString());
}

bool isPostgres(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

QVariant dayStart(bool postgres, const QDate& day)
{
    if (postgres)
        return day.startOfDay();
    return isoDateText(day);
}

QString placeholders(qsizetype count)
{
    return QStringLiteral("?") + QStringLiteral(",?").repeated(count - 1);
}

void execPrepared(QSqlQuery& query)
{
    if (!query.exec())
        throwQueryError(query, query.lastQuery());
}

QSqlQuery execSql(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // PostgreSQL prepares only queries and data changes, not DDL or LOCK:
    // a statement without values runs as it is.
    if (values.isEmpty()) {
        if (!query.exec(sql))
            throwQueryError(query, sql);
        return query;
    }
    if (!query.prepare(sql))
        throwQueryError(query, sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throwQueryError(query, sql);
    return query;
}

int execChange(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    KeptStatement statement(db, sql);
    return statement.exec(values).numRowsAffected();
}

QVariant selectValue(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    KeptStatement statement(db, sql);
    QSqlQuery& query = statement.exec(values);
    return query.next() ? query.value(0) : QVariant();
}

BatchInserter::BatchInserter(QSqlDatabase db, QString table, QStringList columns, int rowsPerStatement)
    : m_db(std::move(db))
    , m_table(std::move(table))
    , m_columns(std::move(columns))
    , m_rowsPerStatement(rowsPerStatement > 0 ? rowsPerStatement : defaultRowsPerStatement(m_db, int(m_columns.size())))
    , m_fullStatement(statementFor(m_rowsPerStatement))
{
}

BatchInserter::~BatchInserter() = default;

void BatchInserter::add(const QVariantList& row)
{
    if (row.size() != m_columns.size())
        throw StoreError(QStringLiteral("%1: row with %2 values for %3 columns")
                             .arg(m_table).arg(row.size()).arg(m_columns.size()).toStdString());
    m_pending.append(row);
    ++m_pendingRows;
    if (m_pendingRows == m_rowsPerStatement)
        writeRows(m_pendingRows);
}

void BatchInserter::flush()
{
    if (m_pendingRows > 0)
        writeRows(m_pendingRows);
}

QString BatchInserter::statementFor(int rowCount) const
{
    const QString oneRow = QLatin1Char('(') + QStringList(m_columns.size(), QStringLiteral("?")).join(u',') + QLatin1Char(')');
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_table, m_columns.join(u','));
    sql.reserve(sql.size() + rowCount * (oneRow.size() + 1));
    for (int i = 0; i < rowCount; ++i) {
        if (i > 0)
            sql += QLatin1Char(',');
        sql += oneRow;
    }
    return sql;
}

void BatchInserter::writeRows(int rowCount)
{
    if (m_beforeWrite)
        m_beforeWrite();
    // Kept per connection: the full-size statement serves every batch of
    // every inserter of this table and columns; only a last, shorter batch
    // has a text of its own.
    KeptStatement statement(m_db, rowCount == m_rowsPerStatement ? m_fullStatement : statementFor(rowCount));
    statement.exec(m_pending);
    m_rowsWritten += rowCount;
    m_pending.clear();
    m_pendingRows = 0;
}
