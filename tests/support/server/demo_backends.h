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

    DemoBackend();
    ~DemoBackend();
    // An empty database of the kind, opened as `connection` (nothing is
    // created in it); on PostgreSQL not asked for or unusable, none.
    void create(const QString& kind, const QString& connectionName);
    void close();
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

    // The "kind" column with one row per backend; from initTestCase_data
    // every test runs on each.
    static void addKinds();

private:
    DemoBackend m_sqlite;
    DemoBackend m_postgres;
};

} // namespace PedTest

// Fails the test row when PostgreSQL was asked for but is unusable, skips
// it when it was not asked for.
#define PED_CHECK_BACKEND(backend)                 \
    if (!(backend).failure.isEmpty())              \
        QFAIL(qPrintable((backend).failure));      \
    if (!(backend).skipReason.isEmpty())           \
        QSKIP(qPrintable((backend).skipReason));

// Starts a test row on its backend and names the connection `db`.
#define PED_OPEN_BACKEND(backends, name) PED_OPEN_BACKEND_OF(backends, name, QFETCH)
// The same where the backends are the rows of initTestCase_data.
#define PED_OPEN_GLOBAL_BACKEND(backends, name) PED_OPEN_BACKEND_OF(backends, name, QFETCH_GLOBAL)
#define PED_OPEN_BACKEND_OF(backends, name, fetch)    \
    fetch(QString, kind);                             \
    PedTest::DemoBackend& name = (backends).of(kind); \
    PED_CHECK_BACKEND(name)                           \
    QSqlDatabase db = name.db();
