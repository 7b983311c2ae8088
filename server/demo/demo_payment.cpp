#include "demo_payment.h"

#include "store/sql.h"

void loadDemoPayment(const QSqlDatabase& db)
{
    const QString modality = QStringLiteral("INSERT INTO MODPGTO (CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, IDUTDIAPAGMOD,"
                                            " NRPARCPGTOMOD, NRDIAPGFIXMOD, VRPEDESMODPG, IDLANCPEDMOD) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    execSql(db, modality, {QStringLiteral("00007"), QStringLiteral("Dia fixo 31 - 2 parcelas"), QStringLiteral("04"), QStringLiteral("F"),
                           QStringLiteral("I"), 2.0, 31.0, 0.0, QStringLiteral("1")});
    execSql(db, modality, {QStringLiteral("00008"), QStringLiteral("28/56 dias com 1,5% de desconto"), QStringLiteral("02"),
                           QStringLiteral("V"), QStringLiteral("I"), 2.0, 0.0, 1.5, QStringLiteral("1")});
    const QString term = QStringLiteral("INSERT INTO PRAZOMODPGTO (CDMODPGTO, NRDIASMODPGTO, VRPERCMODPGTO, IDTPPERIODO) VALUES (?, ?, ?, 'D')");
    execSql(db, term, {QStringLiteral("00008"), 28.0, 50.0});
    execSql(db, term, {QStringLiteral("00008"), 56.0, 50.0});
    const QString parameter = QStringLiteral("INSERT INTO PARAMPRECO (CDFILIAL, CDMODPGTO, CDPRECOBASE, VRPEADPBASE) VALUES ('0001', '00008', ?, 1.0)");
    for (const char* table : {"01", "02"})
        execSql(db, parameter, {QString::fromLatin1(table)});
}
