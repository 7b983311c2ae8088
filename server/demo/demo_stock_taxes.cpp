#include "demo_stock_taxes.h"

#include "modules/tax_model.h"
#include "money.h"
#include "store/sql.h"

#include <QStringList>

namespace {

// Public bodies ("003") are exempt from the taxes in the price and from
// IPI; ICMS taxpayers ("001") pay ICMS by tax substitution on top; final
// consumers ("002") buy the digital thermometer without IPI.
void taxRules(const QSqlDatabase& db)
{
    const QString rule = QStringLiteral("INSERT INTO REGRAIMPOSTO (CDGRUPOFISC, CDIMPOSTO, CDPRODUTO, VRALIQIMPOSTO, VRPERREDBC, IDTRATIMPO)"
                                        " VALUES (?, ?, ?, ?, ?, ?)");
    for (const char* tax : {"01", "02", "03", "04"})
        execSql(db, rule, {QStringLiteral("003"), QLatin1String(tax), QStringLiteral("*"), 0.0, 0.0, QVariant()});
    execSql(db, rule, {QStringLiteral("001"), QStringLiteral("05"), QStringLiteral("*"), 4.0, 30.0, QVariant()});
    const QVariant thermometer = selectValue(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = 'Termômetro Clínico Digital'"));
    execSql(db, rule, {QStringLiteral("002"), QStringLiteral("02"), thermometer, 0.0, 0.0, QVariant()});
}

QStringList ordersOf(const QSqlDatabase& db, const QString& branch)
{
    QSqlQuery query = execSql(db, QStringLiteral("SELECT NRPEDIDO FROM PEDIDO WHERE CDFILIAL = ? ORDER BY NRPEDIDO"), {branch});
    QStringList orders;
    while (query.next())
        orders.append(query.value(0).toString());
    return orders;
}

// Every third order pays freight; every fourth, counting from the second,
// gets a 2 % financial discount on its goods.
void charges(const QSqlDatabase& db, const QString& branch, const QStringList& orders)
{
    const QString charge = QStringLiteral("INSERT INTO ENCARGOPED (CDFILIAL, NRPEDIDO, CDENCARGO, VRENCARGOPED, VRPERCENTENC) VALUES (?, ?, ?, ?, ?)");
    for (int n = 0; n < orders.size(); ++n) {
        if (n % 3 == 0)
            execSql(db, charge, {branch, orders.at(n), QStringLiteral("01"), 20.0, QVariant()});
        if (n % 4 == 1) {
            const double goods = selectValue(db, QStringLiteral("SELECT SUM(QTITEMPED * VRPREUNITPED - COALESCE(VRDESITPED, 0)) FROM ITEMPEDIDO"
                                                                " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"),
                                             {branch, orders.at(n)})
                                     .toDouble();
            execSql(db, charge, {branch, orders.at(n), QStringLiteral("03"), RoundDec(goods * 2.0 / 100.0, 2), 2.0});
        }
    }
}

} // namespace

void loadDemoStockAndTaxes(const QSqlDatabase& db)
{
    taxRules(db);
    const QString campinas = QStringLiteral("0002");
    const QStringList orders = ordersOf(db, campinas);
    for (const QString& order : orders)
        storeOrderTaxes(db, campinas, order);
    charges(db, campinas, orders);
}
