#include "database.h"

DatabaseConfig DatabaseConfig::fromText(const QString& pathOrUrl)
{
    DatabaseConfig config;
    config.sqlitePath = pathOrUrl;
    return config;
}

QString DatabaseConfig::kindName() const
{
    return kind == Kind::SQLite ? QStringLiteral("sqlite") : QStringLiteral("postgresql");
}

QSqlDatabase openDatabase(const DatabaseConfig& config, const QString& connectionName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(config.sqlitePath);
    if (!db.open())
        throw StoreError("cannot open the database");
    return db;
}

void migrateSchema(QSqlDatabase&) {}
bool isEmptyDatabase(QSqlDatabase&) { return true; }
void loadDemoData(QSqlDatabase&) {}
void generateOrders(QSqlDatabase&, int) {}
