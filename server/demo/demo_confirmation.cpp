#include "demo_confirmation.h"

#include "store/sql.h"

#include <QDateTime>

void loadDemoConfirmation(const QSqlDatabase& db)
{
    const QString licence = QStringLiteral("0001");
    execSql(db, QStringLiteral("INSERT INTO TIPOALVARA (CDTIPOALVARA, NMTIPOALVARA) VALUES (?, ?)"),
            {licence, QStringLiteral("Autorização especial - medicamentos controlados")});
    for (const char* name : {"Clonazepam%", "Sertralina%", "Fluoxetina%"})
        execSql(db, QStringLiteral("INSERT INTO PRODALVARA (CDPRODUTO, CDTIPOALVARA) SELECT CDPRODUTO, ? FROM PRODUTO WHERE NMPRODUTO LIKE ?"),
                {licence, QLatin1String(name)});
    const QVariant customer =
        selectValue(db, QStringLiteral("SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000004'"));
    if (customer.isValid())
        execSql(db, QStringLiteral("INSERT INTO CLIEALVARA (CDCLIENTE, CDTIPOALVARA, NRALVARA, DTVALIALVARA) VALUES (?, ?, ?, ?)"),
                {customer, licence, QStringLiteral("AE-2026-0417"), QDateTime(QDate::currentDate().addYears(1), QTime(0, 0))});
    execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET VRMINPEDIDO = 150 WHERE CDFILIAL = '0001'"));
}
