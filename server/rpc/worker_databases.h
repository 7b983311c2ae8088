#pragma once
// One database connection per worker thread, opened on the thread's first
// call and kept: a QSqlDatabase belongs to the thread that opened it.

#include "store/database.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QStringList>

class WorkerDatabases {
public:
    explicit WorkerDatabases(DatabaseConfig config);
    ~WorkerDatabases();   // call after every worker thread has stopped
    WorkerDatabases(const WorkerDatabases&) = delete;
    WorkerDatabases& operator=(const WorkerDatabases&) = delete;

    // The calling thread's connection; opens it when needed. Throws StoreError.
    QSqlDatabase current();
    // Drops the calling thread's connection (after it broke), so that the
    // next call opens a fresh one.
    void discardCurrent();
    const DatabaseConfig& config() const { return m_config; }

private:
    DatabaseConfig m_config;
    const quint64 m_id;   // key of this instance's connection in each thread
    QMutex m_mutex;
    QStringList m_opened;
};
