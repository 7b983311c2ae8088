#include "worker_databases.h"

#include <QAtomicInteger>
#include <QMutexLocker>

namespace {
// Distinct across every WorkerDatabases of the process (tests run several servers).
QAtomicInteger<quint64> instanceCounter;
}

WorkerDatabases::WorkerDatabases(DatabaseConfig config) : m_config(std::move(config)) {}

WorkerDatabases::~WorkerDatabases()
{
    QMutexLocker lock(&m_mutex);
    for (const QString& name : std::as_const(m_opened))
        QSqlDatabase::removeDatabase(name);
}

QSqlDatabase WorkerDatabases::current()
{
    if (!m_names.localData().isEmpty()) {
        QSqlDatabase db = QSqlDatabase::database(m_names.localData(), false);
        if (db.isOpen())
            return db;
        discardCurrent();
    }
    const QString name = QStringLiteral("ped-worker-%1").arg(++instanceCounter);
    QSqlDatabase db = openDatabase(m_config, name);
    m_names.setLocalData(name);
    QMutexLocker lock(&m_mutex);
    m_opened.append(name);
    return db;
}

void WorkerDatabases::discardCurrent()
{
    const QString name = m_names.localData();
    if (name.isEmpty())
        return;
    m_names.setLocalData(QString());
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    QMutexLocker lock(&m_mutex);
    m_opened.removeAll(name);
}
