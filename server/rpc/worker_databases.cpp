#include "worker_databases.h"

#include <QAtomicInteger>
#include <QHash>
#include <QMutexLocker>

namespace {
// Distinct across every WorkerDatabases of the process (tests run several servers).
QAtomicInteger<quint64> instanceCounter;
QAtomicInteger<quint64> connectionCounter;
// This thread's connection name per WorkerDatabases.
thread_local QHash<quint64, QString> threadConnections;
}

WorkerDatabases::WorkerDatabases(DatabaseConfig config)
    : m_config(std::move(config)), m_id(++instanceCounter)
{
}

WorkerDatabases::~WorkerDatabases()
{
    threadConnections.remove(m_id);
    QMutexLocker lock(&m_mutex);
    for (const QString& name : std::as_const(m_opened))
        QSqlDatabase::removeDatabase(name);
}

QSqlDatabase WorkerDatabases::current()
{
    if (threadConnections.contains(m_id)) {
        QSqlDatabase db = QSqlDatabase::database(threadConnections.value(m_id), false);
        if (db.isOpen())
            return db;
        discardCurrent();
    }
    const QString name = QStringLiteral("ped-worker-%1").arg(++connectionCounter);
    QSqlDatabase db = openDatabase(m_config, name);
    threadConnections.insert(m_id, name);
    QMutexLocker lock(&m_mutex);
    m_opened.append(name);
    return db;
}

void WorkerDatabases::discardCurrent()
{
    const QString name = threadConnections.take(m_id);
    if (name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    QMutexLocker lock(&m_mutex);
    m_opened.removeAll(name);
}
