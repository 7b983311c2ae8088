#include "dbgeral.h"

#include "postgres_url.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

bool isPostgresUrl(const QString& text)
{
    return PostgresUrl::isPostgresUrl(text);
}

QSqlDatabase addSqlite(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw DbGeralError(QStringLiteral("Banco de dados %1 não encontrado.").arg(path));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), DbGeralConnectionName);
    db.setDatabaseName(path);
    // The server writes the file meanwhile (WAL); a look-up waits for a lock
    // instead of failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    return db;
}

PostgresUrl parsedUrl(const QString& text)
{
    try {
        return PostgresUrl::parse(text);
    } catch (const PostgresUrlError& error) {
        throw DbGeralError(QStringLiteral("Endereço de banco de dados inválido: %1").arg(QString::fromUtf8(error.what())));
    }
}

QSqlDatabase addPostgres(const QString& text)
{
    const PostgresUrl url = parsedUrl(text);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), DbGeralConnectionName);
    url.applyTo(db);
    return db;
}

QString describe(const QString& pathOrUrl)
{
    return isPostgresUrl(pathOrUrl) ? parsedUrl(pathOrUrl).withoutPassword() : pathOrUrl;
}

} // namespace

// Empty when the connection is open and read only; otherwise why not.
static QString openReadOnly(const QString& pathOrUrl)
{
    QSqlDatabase db = isPostgresUrl(pathOrUrl) ? addPostgres(pathOrUrl) : addSqlite(pathOrUrl);
    if (!db.open())
        return db.lastError().text();
    if (db.driverName() == u"QPSQL") {
        QSqlQuery readOnly(db);
        if (!readOnly.exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY")))
            return readOnly.lastError().text();
    }
    return {};
}

void openDtmDBGeral(const QString& pathOrUrl)
{
    closeDtmDBGeral();
    if (pathOrUrl.trimmed().isEmpty())
        throw DbGeralError(QStringLiteral("Nenhum banco de dados informado."));
    const QString failure = openReadOnly(pathOrUrl);
    if (!failure.isEmpty()) {
        closeDtmDBGeral();
        throw DbGeralError(QStringLiteral("Não foi possível abrir o banco de dados %1: %2").arg(describe(pathOrUrl), failure));
    }
}

void closeDtmDBGeral()
{
    if (!QSqlDatabase::contains(DbGeralConnectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(DbGeralConnectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(DbGeralConnectionName);
}

QString dbGeralSettingText(const QString& pathOrUrl)
{
    return isPostgresUrl(pathOrUrl) ? parsedUrl(pathOrUrl).withoutPassword() : pathOrUrl.trimmed();
}

bool isDtmDBGeralOpen()
{
    return QSqlDatabase::contains(DbGeralConnectionName) && QSqlDatabase::database(DbGeralConnectionName, false).isOpen();
}

QSqlDatabase dtmDBGeral()
{
    if (!isDtmDBGeralOpen())
        throw DbGeralError(QStringLiteral("A conexão geral com o banco de dados (dtmDBGeral) não está aberta."));
    return QSqlDatabase::database(DbGeralConnectionName, false);
}
