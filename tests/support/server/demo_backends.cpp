#include "demo_backends.h"

#include "demo/demo_data.h"
#include "store/database.h"
#include "store/temporary_database.h"

#include <QTest>

namespace PedTest {

DemoBackends::DemoBackends() = default;
DemoBackends::~DemoBackends() { close(); }

void DemoBackends::open(const QString& prefix, const std::function<void(QSqlDatabase&)>& extra)
{
    const auto prepare = [&](DemoBackend& backend) {
        QSqlDatabase db = openDatabase(backend.temporary->config(), backend.connection);
        migrateSchema(db);
        loadDemoData(db);
        if (extra)
            extra(db);
    };

    m_sqlite.connection = prefix + QStringLiteral("_sqlite");
    m_sqlite.temporary = TemporaryDatabase::createSqlite();
    prepare(m_sqlite);

    m_postgres.connection = prefix + QStringLiteral("_postgresql");
    const QString url = qEnvironmentVariable("PED_TEST_PG_URL");
    if (url.isEmpty()) {
        m_postgres.skipReason = QStringLiteral("PED_TEST_PG_URL is not set: PostgreSQL rows skipped (scripts/test sets it)");
        return;
    }
    try {
        m_postgres.temporary = TemporaryDatabase::createPostgres(url);
        prepare(m_postgres);
    } catch (const StoreError& error) {
        m_postgres.failure = QStringLiteral("PED_TEST_PG_URL is set but unusable: %1").arg(QString::fromUtf8(error.what()));
    }
}

void DemoBackends::close()
{
    for (DemoBackend* each : {&m_sqlite, &m_postgres}) {
        if (!each->connection.isEmpty())
            QSqlDatabase::removeDatabase(each->connection);
        each->temporary.reset();
    }
}

DemoBackend& DemoBackends::of(const QString& kind)
{
    return kind == QLatin1String("sqlite") ? m_sqlite : m_postgres;
}

void DemoBackends::addKinds()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

} // namespace PedTest
