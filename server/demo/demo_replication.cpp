#include "demo_replication.h"

#include "check_digits.h"
#include "store/database.h"
#include "store/sql.h"

#include <QDateTime>

void loadDemoReplication(const QSqlDatabase& db)
{
    // A chain store whose purchases the credit department stopped.
    const QString blocked = QStringLiteral("000900");
    execSql(db,
            QStringLiteral("INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, NRINSESTCLIE,"
                           " IDCLIEATIV, IDBLOQUEADO, CDPAIS, SGESTADO, CDVENDEDOR, CDGRUPOFISC, DTCADASTRO)"
                           " VALUES (?, 'J', ?, 'Drogaria Vila Rica', 'Drogaria Vila Rica Ltda.', 'ISENTO', 'S', 'S', '1058', 'SP',"
                           " '0001', '001', ?)"),
            {blocked, cnpjWithCheckDigits(u"451739820001"), QDateTime::currentDateTime().addDays(-400)});
    execSql(db,
            QStringLiteral("INSERT INTO ENDECLIE (CDCLIENTE, NRSEQEND, IDTPENDECLIE, CDPAIS, SGESTADO, CDMUNICIPIO, DSENDECLIE,"
                           " NMBAIRCLIE, NRCEPCLIE) VALUES (?, '001', 'P', '1058', 'SP', '0001', 'Rua Vergueiro, 2210',"
                           " 'Vila Mariana', '04102-000')"),
            {blocked});

    const QVariant thermometer =
        selectValue(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = ?"), {QStringLiteral("Termômetro Clínico Digital")});
    if (!thermometer.isValid())
        throw StoreError("The demo has no thermometer to keep from branch 0002.");
    execSql(db, QStringLiteral("INSERT INTO PRODFILIAL (CDFILIAL, CDPRODUTO, IDVENDPRODFIL) VALUES ('0002', ?, 'N')"), {thermometer});

    // The last order of branch 0001 in progress without an invoice becomes
    // a sale for future delivery, ready to be invoiced.
    const QVariant order = selectValue(
        db, QStringLiteral("SELECT MAX(P.NRPEDIDO) FROM PEDIDO P WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO = '2'"
                           " AND NOT EXISTS (SELECT 1 FROM NOTAFISCAL N WHERE N.CDFILIAL = P.CDFILIAL AND N.NRPEDIDO = P.NRPEDIDO)"));
    if (order.isNull())
        throw StoreError("The demo has no order of branch 0001 in progress to sell for future delivery.");
    execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '3' WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"),
            {order});
    execSql(db,
            QStringLiteral("UPDATE PEDIDO SET CDTIPOOPER = '02', NMTIPOOPER = 'Venda para entrega futura', IDORIGDESTOP = 'C',"
                           " NRITPEDAPROVADO = (SELECT COUNT(*) FROM ITEMPEDIDO I WHERE I.CDFILIAL = PEDIDO.CDFILIAL"
                           "  AND I.NRPEDIDO = PEDIDO.NRPEDIDO AND I.IDSITITEMPED = '3')"
                           " WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
            {order});
}
