#include "demo_item_checks.h"

#include "store/database.h"
#include "store/sql.h"

#include <QStringList>

namespace {

QVariant productNamed(const QSqlDatabase& db, const char* name)
{
    const QVariant code = selectValue(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = ?"), {QString::fromUtf8(name)});
    if (!code.isValid())
        throw StoreError(QStringLiteral("The demo has no product \"%1\".").arg(QString::fromUtf8(name)).toStdString());
    return code;
}

} // namespace

void loadDemoItemChecks(const QSqlDatabase& db)
{
    execSql(db, QStringLiteral("UPDATE PRODUTO SET QTVOLUMES = 12 WHERE CDPRODUTO = ?"), {productNamed(db, "Atadura de Crepe 10cm")});
    // The thermometer has no lots anywhere; branch 0001 keeps its stock row at 0.
    execSql(db, QStringLiteral("INSERT INTO ESTOQUE (CDFILIAL, CDPRODUTO, QTESTOQUE) VALUES ('0001', ?, 0)"),
            {productNamed(db, "Termômetro Clínico Digital")});
    // Caps are bought by the box as needed: nobody counts their stock.
    execSql(db, QStringLiteral("UPDATE PRODUTO SET IDCTRLESTOQUE = 'N' WHERE CDPRODUTO = ?"), {productNamed(db, "Touca Descartável pct c/100")});

    const QString saoBento = QStringLiteral("000001");
    const QString customerCode = QStringLiteral("INSERT INTO PRODCLIENTE (CDCLIENTE, CDPRODUTO, CDPRODCLIEPED, DSPRODCLIEPED) VALUES (?, ?, ?, ?)");
    execSql(db, customerCode, {saoBento, productNamed(db, "Dipirona Sódica 500mg bl c/10"), QStringLiteral("SB-004512"),
                               QStringLiteral("DIPIRONA 500MG BLISTER 10 COMP")});
    execSql(db, customerCode, {saoBento, productNamed(db, "Atadura de Crepe 10cm"), QStringLiteral("SB-220931"),
                               QStringLiteral("ATADURA CREPE 10CM (DUZIA)")});
    execSql(db, customerCode, {saoBento, productNamed(db, "Termômetro Clínico Digital"), QStringLiteral("SB-310077"), QVariant()});
}
