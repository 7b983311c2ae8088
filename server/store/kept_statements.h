#pragma once
// Statements prepared once per connection and kept for the connection's
// life. A statement that every call runs is then parsed (SQLite) or
// prepared on the server (PostgreSQL) once, instead of on each run; on
// PostgreSQL that also saves the round trips of PREPARE and DEALLOCATE.
//
// A kept statement is used by the thread of its connection only. Removing
// the connection (QSqlDatabase::removeDatabase) drops its statements; a
// connection closed and opened again on the same QSqlDatabase must call
// forgetStatements before closing.

#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <memory>

class KeptStatement {
public:
    // Takes the connection's prepared `sql`, or prepares it; throws StoreError.
    // While taken, the same text run again (a nested call) prepares a second one.
    KeptStatement(const QSqlDatabase& db, const QString& sql);
    // The same, executed with `values` bound in order.
    KeptStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& values);
    ~KeptStatement();   // resets the statement and keeps it for the next run
    KeptStatement(const KeptStatement&) = delete;
    KeptStatement& operator=(const KeptStatement&) = delete;

    // Binds `values` in order and executes; throws StoreError.
    QSqlQuery& exec(const QVariantList& values);
    QSqlQuery& query() { return *m_query; }
    QSqlQuery* operator->() { return m_query.get(); }

private:
    QPointer<QObject> m_connection;   // the statements of the connection
    QString m_sql;
    std::unique_ptr<QSqlQuery> m_query;
};

// Frees the statements kept for `db`: after PostgreSQL's DEALLOCATE ALL,
// and before closing a connection that is opened again.
void forgetStatements(const QSqlDatabase& db);
