#include "tax_model.h"

#include "goods_value.h"
#include "packet_sql.h"
#include "store/kept_statements.h"
#include "store/sql.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
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

// The taxes of one item under its product's rules.
void appendItemTaxes(QList<ItemTax>& taxes, const QString& item, double goods, const QMap<QString, Rule>& rules)
{
    for (auto rule = rules.cbegin(); rule != rules.cend(); ++rule) {
        if (rule->rate == 0)
            continue;
        ItemTax tax;
        tax.item = item;
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

// Many items share a product and a fiscal group: their rules are read once.
class RuleBook {
public:
    explicit RuleBook(const QSqlDatabase& db) : m_db(db) {}
    const QMap<QString, Rule>& of(const QString& group, const QString& product)
    {
        const QString key = group + QChar(u'\x1f') + product;
        auto known = m_rules.constFind(key);
        if (known == m_rules.cend())
            known = m_rules.insert(key, productRules(m_db, group, product));
        return *known;
    }

private:
    QSqlDatabase m_db;
    QHash<QString, QMap<QString, Rule>> m_rules;
};

// Codes bound as one JSON array, so a long list needs one placeholder.
QString inCodes(const QSqlDatabase& db)
{
    return isPostgres(db) ? QStringLiteral("IN (SELECT json_array_elements_text(CAST(? AS json)))")
                          : QStringLiteral("IN (SELECT value FROM json_each(?))");
}

QString codesValue(const QStringList& codes)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(codes)).toJson(QJsonDocument::Compact));
}

struct TaxTotal {
    double value = 0, base = 0;
    QString treatment;
};

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
    RuleBook rules(db);
    for (const QVariantList& row : items.rows)
        appendItemTaxes(taxes, row.at(0).toString(), netGoodsValue(row.at(3).toDouble(), row.at(2).toDouble(), row.at(4).toDouble()),
                        rules.of(group, row.at(1).toString()));
    return taxes;
}

void storeOrderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order)
{
    storeOrdersTaxes(db, branch, {order});
}

namespace {

// Writes orders' item taxes and their totals by tax, in batches.
class TaxWriter {
public:
    explicit TaxWriter(const QSqlDatabase& db)
        : m_itemTaxes(db, QStringLiteral("ITEMPEDIMPOS"),
                      {QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("NRITEMPED"), QStringLiteral("CDIMPOSTO"),
                       QStringLiteral("VRCONTIMPITPED"), QStringLiteral("VRPERREDBCITPED"), QStringLiteral("VRBASECALCITPED"),
                       QStringLiteral("VRPARCDEDITPED"), QStringLiteral("VRIMPOSTOITPED"), QStringLiteral("VRALIQITPED"),
                       QStringLiteral("VRACREDESCITPED"), QStringLiteral("CDFISCALITPED"), QStringLiteral("IDTRATIMPO")}),
          m_orderTotals(db, QStringLiteral("IMPOSPEDTOT"),
                        {QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("CDIMPOSTO"), QStringLiteral("VRTOTIMPPED"),
                         QStringLiteral("VRTOTBCALCPED"), QStringLiteral("IDTRATIMPO")})
    {
    }

    void add(const QString& branch, const QString& order, const QList<ItemTax>& taxes)
    {
        QMap<QString, TaxTotal> totals;
        for (const ItemTax& tax : taxes) {
            m_itemTaxes.add({branch, order, tax.item, tax.tax, tax.goods, tax.reduction, tax.base, 0, tax.value, tax.rate, 0,
                             tax.fiscalCode.isEmpty() ? QVariant() : QVariant(tax.fiscalCode), tax.treatment});
            TaxTotal& total = totals[tax.tax];
            total.value += tax.value;
            total.base += tax.base;
            total.treatment = tax.treatment;
        }
        for (auto total = totals.cbegin(); total != totals.cend(); ++total)
            m_orderTotals.add({branch, order, total.key(), RoundDec(total->value, 2), RoundDec(total->base, 2), total->treatment});
    }

    void flush()
    {
        m_itemTaxes.flush();
        m_orderTotals.flush();
    }

private:
    BatchInserter m_itemTaxes;
    BatchInserter m_orderTotals;
};

// `orders`: "= ?" with one order, or a list (inCodes) with `round` its codes.
void removeTaxes(const QSqlDatabase& db, const QString& branch, const QString& orders, const QVariant& round)
{
    execChange(db, QStringLiteral("DELETE FROM ITEMPEDIMPOS WHERE CDFILIAL = ? AND NRPEDIDO ") + orders, {branch, round});
    execChange(db, QStringLiteral("DELETE FROM IMPOSPEDTOT WHERE CDFILIAL = ? AND NRPEDIDO ") + orders, {branch, round});
}

} // namespace

void storeOrdersTaxes(const QSqlDatabase& db, const QString& branch, const QStringList& orders)
{
    constexpr qsizetype ordersPerRound = 500;
    RuleBook rules(db);
    TaxWriter writer(db);
    for (qsizetype first = 0; first < orders.size(); first += ordersPerRound) {
        // One order (a confirmation) is found through the key, which
        // PostgreSQL does not use for a list bound as JSON.
        const QStringList codes = orders.mid(first, ordersPerRound);
        const QString inRound = codes.size() == 1 ? QStringLiteral("= ?") : inCodes(db);
        const QVariant round = codes.size() == 1 ? QVariant(codes.first()) : QVariant(codesValue(codes));
        KeptStatement items(
            db,
            QStringLiteral("SELECT I.NRPEDIDO, I.NRITEMPED, I.CDPRODUTO, I.QTITEMPED, I.VRPREUNITPED, I.VRDESITPED, C.CDGRUPOFISC"
                           " FROM ITEMPEDIDO I INNER JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL AND P.NRPEDIDO = I.NRPEDIDO"
                           " LEFT JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                           " WHERE I.CDFILIAL = ? AND I.IDSITITEMPED <> '5' AND I.NRPEDIDO ")
                + inRound + QStringLiteral(" ORDER BY I.NRPEDIDO, I.NRITEMPED"),
            {branch, round});
        // Read whole first: PostgreSQL streams the rows, and the rules are
        // read by other statements.
        QList<QVariantList> rows;
        while (items->next())
            rows.append({items->value(0), items->value(1), items->value(2), items->value(3), items->value(4), items->value(5), items->value(6)});
        items->finish();
        QMap<QString, QList<ItemTax>> taxesByOrder;
        for (const QVariantList& row : rows) {
            const double goods = netGoodsValue(row.at(4).toDouble(), row.at(3).toDouble(), row.at(5).toDouble());
            appendItemTaxes(taxesByOrder[row.at(0).toString()], row.at(1).toString(), goods,
                            rules.of(row.at(6).toString(), row.at(2).toString()));
        }
            removeTaxes(db, branch, inRound, round);
        for (auto order = taxesByOrder.cbegin(); order != taxesByOrder.cend(); ++order)
            writer.add(branch, order.key(), *order);
        writer.flush();
    }
}

void storeOrderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order, const LiveItems& items,
                     StoredBefore stored)
{
    RuleBook rules(db);
    QList<ItemTax> taxes;
    for (const LiveItem& item : items.items)
        appendItemTaxes(taxes, item.number, item.value.netGoods(), rules.of(items.fiscalGroup, item.product));
    if (stored == StoredBefore::Yes)
        removeTaxes(db, branch, QStringLiteral("= ?"), order);
    TaxWriter writer(db);
    writer.add(branch, order, taxes);
    writer.flush();
}
