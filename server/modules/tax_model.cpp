#include "tax_model.h"

#include "goods_value.h"
#include "packet_sql.h"
#include "store/sql.h"

#include <QHash>
#include <QMap>

namespace {

struct Rule {
    double rate = 0;
    double reduction = 0;
    QString treatment;
    QString fiscalCode;
};

QString customerGroup(const QSqlDatabase& db, const QString& branch, const QString& order)
{
    const DataPacket group = selectPacket(db, {textField(QStringLiteral("CDGRUPOFISC"), 3)},
                                          QStringLiteral("SELECT C.CDGRUPOFISC FROM PEDIDO P INNER JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                                                         " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ?"),
                                          {branch, order});
    return group.rows.isEmpty() ? QString() : group.rows.first().at(0).toString();
}

// The taxes of one product for one fiscal group, by tax code.
QMap<QString, Rule> productRules(const QSqlDatabase& db, const QString& group, const QString& product)
{
    QMap<QString, Rule> rules;
    const DataPacket own = selectPacket(
        db, {textField(QStringLiteral("CDIMPOSTO"), 2), floatField(QStringLiteral("VRALIQIMPOSTO")), floatField(QStringLiteral("VRPERREDBC")),
             textField(QStringLiteral("IDTRATIMPO"), 1), textField(QStringLiteral("CDFISCAL"), 5)},
        QStringLiteral("SELECT P.CDIMPOSTO, P.VRALIQIMPOSTO, P.VRPERREDBC, I.IDTRATIMPO, P.CDFISCAL FROM PRODIMPOSTO P"
                       " INNER JOIN IMPOSTO I ON I.CDIMPOSTO = P.CDIMPOSTO WHERE P.CDPRODUTO = ?"),
        {product});
    for (const QVariantList& row : own.rows)
        rules.insert(row.at(0).toString(), {row.at(1).toDouble(), row.at(2).toDouble(), row.at(3).toString(), row.at(4).toString()});

    // The '*' rule sorts before a product code, so the product's own rule is applied last and wins.
    const DataPacket groupRules = selectPacket(
        db, {textField(QStringLiteral("CDIMPOSTO"), 2), floatField(QStringLiteral("VRALIQIMPOSTO")), floatField(QStringLiteral("VRPERREDBC")),
             textField(QStringLiteral("IDTRATIMPO"), 1)},
        QStringLiteral("SELECT R.CDIMPOSTO, R.VRALIQIMPOSTO, R.VRPERREDBC, COALESCE(R.IDTRATIMPO, I.IDTRATIMPO) FROM REGRAIMPOSTO R"
                       " INNER JOIN IMPOSTO I ON I.CDIMPOSTO = R.CDIMPOSTO"
                       " WHERE R.CDGRUPOFISC = ? AND R.CDPRODUTO IN ('*', ?) ORDER BY R.CDIMPOSTO, R.CDPRODUTO"),
        {group, product});
    for (const QVariantList& row : groupRules.rows) {
        Rule& rule = rules[row.at(0).toString()];
        rule.rate = row.at(1).toDouble();
        rule.reduction = row.at(2).toDouble();
        rule.treatment = row.at(3).toString();
    }
    return rules;
}

} // namespace

QList<ItemTax> orderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order)
{
    const QString group = customerGroup(db, branch, order);
    const DataPacket items = selectPacket(
        db, {textField(QStringLiteral("NRITEMPED"), 10), textField(QStringLiteral("CDPRODUTO"), 10), floatField(QStringLiteral("QTITEMPED")),
             floatField(QStringLiteral("VRPREUNITPED")), floatField(QStringLiteral("VRDESITPED"))},
        QStringLiteral("SELECT NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, VRDESITPED FROM ITEMPEDIDO"
                       " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED <> '5' ORDER BY NRITEMPED"),
        {branch, order});
    QList<ItemTax> taxes;
    // Many items share a product: its rules are read once per order.
    QHash<QString, QMap<QString, Rule>> rulesByProduct;
    for (const QVariantList& row : items.rows) {
        const double goods = netGoodsValue(row.at(3).toDouble(), row.at(2).toDouble(), row.at(4).toDouble());
        const QString product = row.at(1).toString();
        auto known = rulesByProduct.constFind(product);
        if (known == rulesByProduct.cend())
            known = rulesByProduct.insert(product, productRules(db, group, product));
        const QMap<QString, Rule>& rules = *known;
        for (auto rule = rules.cbegin(); rule != rules.cend(); ++rule) {
            if (rule->rate == 0)
                continue;
            ItemTax tax;
            tax.item = row.at(0).toString();
            tax.tax = rule.key();
            tax.goods = RoundDec(goods, 2);
            tax.reduction = rule->reduction;
            tax.base = RoundDec(goods * (1.0 - rule->reduction / 100.0), 2);
            tax.rate = rule->rate;
            tax.value = RoundDec(tax.base * rule->rate / 100.0, 2);
            tax.treatment = rule->treatment;
            tax.fiscalCode = rule->fiscalCode;
            taxes.append(tax);
        }
    }
    return taxes;
}

void storeOrderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order)
{
    const QList<ItemTax> taxes = orderTaxes(db, branch, order);
    execSql(db, QStringLiteral("DELETE FROM ITEMPEDIMPOS WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order});
    execSql(db, QStringLiteral("DELETE FROM IMPOSPEDTOT WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order});
    struct Total {
        double value = 0, base = 0;
        QString treatment;
    };
    QMap<QString, Total> totals;
    for (const ItemTax& tax : taxes) {
        execSql(db, QStringLiteral("INSERT INTO ITEMPEDIMPOS (CDFILIAL, NRPEDIDO, NRITEMPED, CDIMPOSTO, VRCONTIMPITPED, VRPERREDBCITPED,"
                                   " VRBASECALCITPED, VRPARCDEDITPED, VRIMPOSTOITPED, VRALIQITPED, VRACREDESCITPED, CDFISCALITPED, IDTRATIMPO)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?, 0, ?, ?, 0, ?, ?)"),
                {branch, order, tax.item, tax.tax, tax.goods, tax.reduction, tax.base, tax.value, tax.rate,
                 tax.fiscalCode.isEmpty() ? QVariant() : QVariant(tax.fiscalCode), tax.treatment});
        Total& total = totals[tax.tax];
        total.value += tax.value;
        total.base += tax.base;
        total.treatment = tax.treatment;
    }
    for (auto total = totals.cbegin(); total != totals.cend(); ++total)
        execSql(db, QStringLiteral("INSERT INTO IMPOSPEDTOT (CDFILIAL, NRPEDIDO, CDIMPOSTO, VRTOTIMPPED, VRTOTBCALCPED, IDTRATIMPO)"
                                   " VALUES (?, ?, ?, ?, ?, ?)"),
                {branch, order, total.key(), RoundDec(total->value, 2), RoundDec(total->base, 2), total->treatment});
}
