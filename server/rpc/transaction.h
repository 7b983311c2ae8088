#pragma once
// One call, one transaction: begin, run, commit; roll back when the work
// throws or the commit fails, and repeat the whole work (bounded) after a
// transient conflict between concurrent transactions.

#include <QJsonValue>
#include <QSqlDatabase>
#include <QSqlError>
#include <exception>
#include <functional>

struct RetryPolicy {
    int maxAttempts = 5;
    int firstBackoffMs = 10;   // doubled on each further attempt
};

// PostgreSQL serialization failure (40001) or deadlock (40P01); SQLite busy or locked.
bool isTransientConflict(const QSqlError& error);
bool isTransientConflict(const std::exception& failure);

// ReadOnly on SQLite begins without the write lock: readers run side by
// side, and a write met by a conflict is retried like any transient conflict.
enum class TransactionMode { ReadWrite, ReadOnly };

// Throws what the work threw, or DatabaseFailure when begin or commit fail.
QJsonValue runInTransaction(QSqlDatabase& db, const std::function<QJsonValue()>& work,
                            const RetryPolicy& policy = {},
                            TransactionMode mode = TransactionMode::ReadWrite);
