#include "temporary_database.h"

#include "sql.h"

#include <QCoreApplication>
#include <QDebug>
#include <QRandomGenerator>
#include <atomic>

namespace {

// Runs one statement on a short-lived connection of its own.
void execOnOwnConnection(const DatabaseConfig& config, const QString& statement)
{
    static std::atomic<int> sequence{0};
    const QString connectionName = QStringLiteral("temporary-database-admin-%1").arg(++sequence);
    {
        QSqlDatabase db = openDatabase(config, connectionName);
        execSql(db, statement);
    }
    QSqlDatabase::removeDatabase(connectionName);
}

QString uniqueDatabaseName()
{
    static std::atomic<int> sequence{0};
    return QStringLiteral("ped_tmp_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++sequence)
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

} // namespace

std::unique_ptr<TemporaryDatabase> TemporaryDatabase::createSqlite()
{
    std::unique_ptr<TemporaryDatabase> database(new TemporaryDatabase);
    database->m_folder = std::make_unique<QTemporaryDir>();
    if (!database->m_folder->isValid())
        throw StoreError("Cannot create a temporary folder for a SQLite database.");
    database->m_config.kind = DatabaseConfig::Kind::SQLite;
    database->m_config.sqlitePath = database->m_folder->filePath(QStringLiteral("ped.sqlite"));
    return database;
}

std::unique_ptr<TemporaryDatabase> TemporaryDatabase::createPostgres(const QString& serverUrl)
{
    DatabaseConfig admin = DatabaseConfig::fromText(serverUrl);
    if (admin.kind != DatabaseConfig::Kind::PostgreSQL)
        throw StoreError("A temporary PostgreSQL database needs a postgresql:// URL.");
    admin.databaseName = QStringLiteral("postgres");

    std::unique_ptr<TemporaryDatabase> database(new TemporaryDatabase);
    database->m_adminConfig = admin;
    database->m_config = admin;
    database->m_config.databaseName = uniqueDatabaseName();
    // The name is ours and made of [a-z0-9_]: safe to put into the statement.
    execOnOwnConnection(admin, QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8'").arg(database->m_config.databaseName));
    return database;
}

TemporaryDatabase::~TemporaryDatabase()
{
    if (m_config.kind != DatabaseConfig::Kind::PostgreSQL)
        return;
    try {
        execOnOwnConnection(m_adminConfig, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_config.databaseName));
    } catch (const StoreError& error) {
        qWarning("Cannot drop the temporary database %s: %s", qPrintable(m_config.databaseName), error.what());
    }
}
