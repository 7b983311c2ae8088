#pragma once
// The demo database on SQLite and, when PED_TEST_PG_URL is set, on a fresh
// PostgreSQL database, for server tests that run each case on both. Rows of
// a test name their backend in a "kind" column ("sqlite", "postgresql").

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

class TemporaryDatabase;

namespace PedTest {

struct DemoBackend {
    std::unique_ptr<TemporaryDatabase> temporary;
    QString connection;
    QString skipReason;   // PostgreSQL not asked for
    QString failure;      // PostgreSQL asked for but unusable: the rows fail
    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
};

class DemoBackends {
public:
    DemoBackends();
    ~DemoBackends();

    // Creates, migrates and fills both databases; `extra` runs after the
    // demo data on each. Connection names start with `prefix`.
    void open(const QString& prefix, const std::function<void(QSqlDatabase&)>& extra = {});
    void close();

    DemoBackend& of(const QString& kind);
    DemoBackend& sqlite() { return m_sqlite; }

    static void addKinds();   // the "kind" column with one row per backend

private:
    DemoBackend m_sqlite;
    DemoBackend m_postgres;
};

} // namespace PedTest

// Starts a test row on its backend: fails when PostgreSQL was asked for but
// is unusable, skips when it was not asked for, and names the connection `db`.
#define PED_OPEN_BACKEND(backends, name)              \
    QFETCH(QString, kind);                            \
    PedTest::DemoBackend& name = (backends).of(kind); \
    if (!name.failure.isEmpty())                      \
        QFAIL(qPrintable(name.failure));              \
    if (!name.skipReason.isEmpty())                   \
        QSKIP(qPrintable(name.skipReason));           \
    QSqlDatabase db = name.db();
