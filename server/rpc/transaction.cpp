#include "transaction.h"

#include "method_registry.h"
#include "store/kept_statements.h"

#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QThread>

namespace {

bool isSQLite(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QSQLITE");
}

void begin(QSqlDatabase& db, TransactionMode mode)
{
    if (isSQLite(db) && mode == TransactionMode::ReadWrite) {
        // Take the write lock up front: a deferred transaction that reads and
        // then writes fails at once when another connection writes meanwhile,
        // whereas IMMEDIATE waits for the busy timeout instead.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw DatabaseFailure(QStringLiteral("cannot begin a transaction: %1")
                                      .arg(query.lastError().text()), query.lastError());
        return;
    }
    if (!db.transaction())
        throw DatabaseFailure(QStringLiteral("cannot begin a transaction: %1")
                                  .arg(db.lastError().text()), db.lastError());
}

void commit(QSqlDatabase& db)
{
    if (!db.commit())
        throw DatabaseFailure(QStringLiteral("commit failed: %1").arg(db.lastError().text()),
                              db.lastError());
}

void rollbackQuietly(QSqlDatabase& db)
{
    // A rollback after a failed commit or a broken connection fails as well;
    // the original failure is what matters.
    db.rollback();
    // Statements prepared in a transaction that then failed could not be
    // freed (PostgreSQL refuses everything until the rollback); without this
    // they would pile up on the kept connection. No query outlives a call;
    // the kept statements go first, as DEALLOCATE ALL frees theirs too.
    if (!isSQLite(db)) {
        forgetStatements(db);
        QSqlQuery(db).exec(QStringLiteral("DEALLOCATE ALL"));
    }
}

void backOff(const RetryPolicy& policy, int attempt)
{
    const int baseMs = policy.firstBackoffMs << (attempt - 1);
    QThread::msleep(ulong(baseMs + QRandomGenerator::global()->bounded(baseMs + 1)));
}

} // namespace

bool isTransientConflict(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("40001") || code == QLatin1String("40P01")
        || code == QLatin1String("5") || code == QLatin1String("6")
        || code == QLatin1String("517");
}

bool isTransientConflict(const std::exception& failure)
{
    if (dynamic_cast<const MethodError*>(&failure))
        return false;
    if (const auto* database = dynamic_cast<const DatabaseFailure*>(&failure))
        return isTransientConflict(database->sqlError);
    // Errors that only carry the driver's text.
    const QString text = QString::fromUtf8(failure.what());
    return text.contains(QLatin1String("(40001)")) || text.contains(QLatin1String("(40P01)"))
        || text.contains(QLatin1String("could not serialize access"))
        || text.contains(QLatin1String("deadlock detected"))
        || text.contains(QLatin1String("database is locked"));
}

QJsonValue runInTransaction(QSqlDatabase& db, const std::function<QJsonValue()>& work,
                            const RetryPolicy& policy, TransactionMode mode)
{
    for (int attempt = 1;; ++attempt) {
        try {
            begin(db, mode);
            try {
                QJsonValue result = work();
                commit(db);
                return result;
            } catch (...) {
                rollbackQuietly(db);
                throw;
            }
        } catch (const std::exception& failure) {
            if (attempt >= policy.maxAttempts || !isTransientConflict(failure))
                throw;
            backOff(policy, attempt);
        }
    }
}
