#pragma once
// A throw-away database for tests and benchmarks: a SQLite file in a fresh
// temporary folder, or a uniquely named database created on a PostgreSQL
// cluster. Either is removed again when the object goes.

#include "database.h"

#include <QTemporaryDir>
#include <memory>

class TemporaryDatabase {
public:
    static std::unique_ptr<TemporaryDatabase> createSqlite();
    // `serverUrl` names any database of the cluster; the new database is
    // created and dropped through the cluster's "postgres" database.
    static std::unique_ptr<TemporaryDatabase> createPostgres(const QString& serverUrl);

    ~TemporaryDatabase();   // close every connection to it first
    TemporaryDatabase(const TemporaryDatabase&) = delete;
    TemporaryDatabase& operator=(const TemporaryDatabase&) = delete;

    const DatabaseConfig& config() const { return m_config; }

private:
    TemporaryDatabase() = default;

    DatabaseConfig m_config;
    DatabaseConfig m_adminConfig;   // PostgreSQL only
    std::unique_ptr<QTemporaryDir> m_folder;   // SQLite only
};
