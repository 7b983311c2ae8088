#include "demo_backends.h"

#include "demo/demo_data.h"
#include "store/database.h"
#include "store/temporary_database.h"

#include <QTest>

namespace PedTest {

DemoBackend::DemoBackend() = default;
DemoBackend::~DemoBackend() { close(); }

void DemoBackend::create(const QString& kind, const QString& connectionName)
{
    connection = connectionName;
    if (kind == QLatin1String("sqlite")) {
        temporary = TemporaryDatabase::createSqlite();
    } else {
        const QString url = qEnvironmentVariable("PED_TEST_PG_URL");
        if (url.isEmpty()) {
            skipReason = QStringLiteral("PED_TEST_PG_URL is not set: PostgreSQL rows skipped (scripts/test sets it)");
            return;
        }
        try {
            temporary = TemporaryDatabase::createPostgres(url);
        } catch (const StoreError& error) {
            failure = QStringLiteral("PED_TEST_PG_URL is set but unusable: %1").arg(QString::fromUtf8(error.what()));
            return;
        }
    }
    openDatabase(temporary->config(), connection);
}

void DemoBackend::close()
{
    if (QSqlDatabase::contains(connection))
        QSqlDatabase::removeDatabase(connection);
    temporary.reset();
}

DemoBackends::DemoBackends() = default;
DemoBackends::~DemoBackends() { close(); }

void DemoBackends::open(const QString& prefix, const std::function<void(QSqlDatabase&)>& extra)
{
    for (const char* kind : {"sqlite", "postgresql"}) {
        DemoBackend& backend = of(QLatin1String(kind));
        backend.create(QLatin1String(kind), prefix + u'_' + QLatin1String(kind));
        if (!backend.temporary)
            continue;
        QSqlDatabase db = backend.db();
        migrateSchema(db);
        loadDemoData(db);
        if (extra)
            extra(db);
    }
}

void DemoBackends::close()
{
    m_sqlite.close();
    m_postgres.close();
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
