#include "supervisor_releases.h"

#include "sql.h"

#include <QSqlQuery>

void recordSupervisorRelease(const QSqlDatabase& db, const QString& operatorCode, qint64 kind, const QString& supervisor,
                             qint64 nowSeconds)
{
    execSql(db, QStringLiteral("DELETE FROM LIBERACAOSUPERV WHERE CDOPERADOR = ? AND NRTIPOLIB = ?"), {operatorCode, kind});
    execSql(db,
            QStringLiteral("INSERT INTO LIBERACAOSUPERV (CDOPERADOR, NRTIPOLIB, CDSUPERVISOR, DTLIBERACAO) VALUES (?, ?, ?, ?)"),
            {operatorCode, kind, supervisor, nowSeconds});
}

bool takeSupervisorRelease(const QSqlDatabase& db, const QString& operatorCode, qint64 kind, qint64 nowSeconds)
{
    return execSql(db,
                   QStringLiteral("DELETE FROM LIBERACAOSUPERV WHERE CDOPERADOR = ? AND NRTIPOLIB = ? AND DTLIBERACAO >= ?"),
                   {operatorCode, kind, nowSeconds - SupervisorReleaseSeconds})
               .numRowsAffected()
        > 0;
}
