#include "counters.h"

#include "sql.h"

#include <QSqlQuery>

namespace {

bool advance(const QSqlDatabase& db, const QString& counterName)
{
    return execSql(db, QStringLiteral("UPDATE CONTADOR SET NRULTIMO = NRULTIMO + 1 WHERE NMCONTADOR = ?"), {counterName})
               .numRowsAffected() > 0;
}

} // namespace

qlonglong nextCounterValue(const QSqlDatabase& db, const QString& counterName)
{
    if (!advance(db, counterName)) {
        execSql(db, QStringLiteral("INSERT INTO CONTADOR (NMCONTADOR, NRULTIMO) VALUES (?, 0) ON CONFLICT (NMCONTADOR) DO NOTHING"),
                {counterName});
        advance(db, counterName);
    }
    return selectValue(db, QStringLiteral("SELECT NRULTIMO FROM CONTADOR WHERE NMCONTADOR = ?"), {counterName}).toLongLong();
}
