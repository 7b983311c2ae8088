// pedserver --copy-to: the demo SQLite database of a stopped server moves into
// an empty PostgreSQL database, every table with the same rows; a target that
// is not empty is refused and left as it was.

#include "server_process.h"
#include "store/database.h"
#include "store/database_copy.h"
#include "store/sql.h"
#include "store/temporary_database.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace PedTest;

namespace {

QStringList userTables(QSqlDatabase& db)
{
    QStringList tables;
    for (const QString& table : db.tables())
        tables.append(table.toUpper());
    tables.removeAll(QStringLiteral("SCHEMAVERSION"));
    tables.sort();
    return tables;
}

} // namespace

class TstCopy : public QObject {
    Q_OBJECT

private slots:
    void demoDatabaseMovesToPostgres();
};

void TstCopy::demoDatabaseMovesToPostgres()
{
    const QString clusterUrl = qEnvironmentVariable("PED_TEST_PG_URL");
    if (clusterUrl.isEmpty())
        QSKIP("PED_TEST_PG_URL is not set; scripts/test starts a PostgreSQL cluster and sets it");
    QTemporaryDir dataDir;
    const ServerProcess::Run demo = ServerProcess::run({QStringLiteral("--data-dir"), dataDir.path(), QStringLiteral("--init-demo"),
                                QStringLiteral("--generate-orders"), QStringLiteral("300")});
    QVERIFY2(demo.exitCode == 0, qPrintable(demo.output));
    const std::unique_ptr<TemporaryDatabase> target = TemporaryDatabase::createPostgres(clusterUrl);
    const QStringList copyArguments{QStringLiteral("--data-dir"), dataDir.path(), QStringLiteral("--copy-to"),
                                    target->config().displayText()};

    const ServerProcess::Run copy = ServerProcess::run(copyArguments);
    QVERIFY2(copy.exitCode == 0, qPrintable(copy.output));
    QVERIFY2(copy.output.contains(QStringLiteral("counts and checksums match")), qPrintable(copy.output));

    {
        DatabaseConfig sqliteConfig;
        sqliteConfig.sqlitePath = dataDir.filePath(QStringLiteral("erp.sqlite"));
        QSqlDatabase from = openDatabase(sqliteConfig, QStringLiteral("tst-copy-from"));
        QSqlDatabase to = openDatabase(target->config(), QStringLiteral("tst-copy-to"));
        const QStringList tables = userTables(from);
        QCOMPARE(userTables(to), tables);
        qint64 rows = 0;
        for (const QString& table : tables) {
            const QString countSql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(table);
            const qint64 fromRows = selectValue(from, countSql).toLongLong();
            QCOMPARE(selectValue(to, countSql).toLongLong(), fromRows);
            QVERIFY2(tableChecksum(from, table) == tableChecksum(to, table), qPrintable(table));
            rows += fromRows;
        }
        QVERIFY(rows > 1000);
        QCOMPARE(selectValue(to, QStringLiteral("SELECT COUNT(*) FROM PEDIDO")).toLongLong(),
                 selectValue(from, QStringLiteral("SELECT COUNT(*) FROM PEDIDO")).toLongLong());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tst-copy-from"));
    QSqlDatabase::removeDatabase(QStringLiteral("tst-copy-to"));

    // A second copy finds rows and writes nothing.
    const ServerProcess::Run again = ServerProcess::run(copyArguments);
    QVERIFY(again.exitCode != 0);
    QVERIFY2(again.output.contains(QStringLiteral("not empty")), qPrintable(again.output));

    // A server starts on the copy: its schema is current and complete.
    ServerProcess server({QStringLiteral("--db"), target->config().displayText()});
    QCOMPARE(server.terminate(), 0);
}

QTEST_GUILESS_MAIN(TstCopy)
#include "tst_copy.moc"
