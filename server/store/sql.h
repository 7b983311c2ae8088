#pragma once
// Small helpers over QSqlQuery: every statement is prepared with bound
// values, and a failure becomes a StoreError naming the statement.

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>

bool isPostgres(const QSqlDatabase& db);

// The value a "column >= ?" bound compares with for the start of `day`:
// PostgreSQL takes a timestamp, SQLite keeps date-times as ISO text where
// the bare day sorts before every time of that day.
QVariant dayStart(bool postgres, const QDate& day);

// "?,?,…,?" with `count` marks, for an IN list of bound values (count >= 1).
QString placeholders(qsizetype count);

// Prepares `sql`, binds `values` in order, executes; throws StoreError.
// Without values the statement is executed unprepared (DDL, LOCK, SET).
QSqlQuery execSql(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

// Executes an already prepared query with the values bound so far.
void execPrepared(QSqlQuery& query);

// Runs a data change through the connection's kept statement (see
// kept_statements.h); returns the number of rows it changed. Throws StoreError.
int execChange(const QSqlDatabase& db, const QString& sql, const QVariantList& values);

// The first column of the first row, or an invalid QVariant without rows;
// through the connection's kept statement.
QVariant selectValue(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

// Throws the StoreError of a failed `query`, naming the statement.
[[noreturn]] void throwQueryError(const QSqlQuery& query, const QString& sql);

// Inserts many rows into one table with multi-row VALUES statements, so a
// bulk load costs one round trip per batch instead of one per row.
class BatchInserter {
public:
    BatchInserter(QSqlDatabase db, QString table, QStringList columns, int rowsPerStatement = 0);
    ~BatchInserter();   // does not flush: a failure must not write half a batch silently

    void add(const QVariantList& row);   // row.size() must equal the column count
    // Runs before each batch is written: rows that others reference (order
    // headers) can be flushed ahead of the rows referencing them.
    void setBeforeWrite(std::function<void()> beforeWrite) { m_beforeWrite = std::move(beforeWrite); }
    void flush();
    qint64 rowsWritten() const { return m_rowsWritten; }

private:
    QString statementFor(int rowCount) const;
    void writeRows(int rowCount);

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement;
    QVariantList m_pending;
    int m_pendingRows = 0;
    qint64 m_rowsWritten = 0;
    std::function<void()> m_beforeWrite;
    QString m_fullStatement;   // the text of a full batch
};
