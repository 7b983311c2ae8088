#include "order_totals.h"

#include "goods_value.h"
#include "store/kept_statements.h"
#include "store/sql.h"
#include "tax_model.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

using OrderPackets::OrderKey;

// The order's taxes and charges summed by kind: "A" adds to the order
// total, "D" is deducted; other kinds ("I", included in the price) change
// nothing.
void addTaxesAndCharges(const QSqlDatabase& db, const OrderKey& order, OrderTotals& totals)
{
    KeptStatement sums(db,
                       QStringLiteral("SELECT 'T', COALESCE(T.IDTRATIMPO, I.IDTRATIMPO), SUM(T.VRTOTIMPPED) FROM IMPOSPEDTOT T"
                                      " INNER JOIN IMPOSTO I ON I.CDIMPOSTO = T.CDIMPOSTO"
                                      " WHERE T.CDFILIAL = ? AND T.NRPEDIDO = ? GROUP BY COALESCE(T.IDTRATIMPO, I.IDTRATIMPO)"
                                      " UNION ALL SELECT 'E', E.IDTPENCARGO, SUM(P.VRENCARGOPED) FROM ENCARGOPED P"
                                      " INNER JOIN ENCARGO E ON E.CDENCARGO = P.CDENCARGO"
                                      " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ? GROUP BY E.IDTPENCARGO"),
                       {order.branch, order.number, order.branch, order.number});
    double taxesAdded = 0, taxesDeducted = 0, chargesAdded = 0, chargesDeducted = 0;
    while (sums->next()) {
        const bool tax = sums->value(0).toString() == u"T";
        const QString kind = sums->value(1).toString();
        const double total = sums->value(2).toDouble();
        if (kind == u"A")
            (tax ? taxesAdded : chargesAdded) += total;
        else if (kind == u"D")
            (tax ? taxesDeducted : chargesDeducted) += total;
    }
    totals.taxesAdded = RoundDec(taxesAdded, 2);
    totals.taxesDeducted = RoundDec(taxesDeducted, 2);
    totals.chargesAdded = RoundDec(chargesAdded, 2);
    totals.chargesDeducted = RoundDec(chargesDeducted, 2);
    totals.receivable = RoundDec(totals.goods - totals.bonus + totals.taxesAdded - totals.taxesDeducted + totals.chargesAdded
                                     - totals.chargesDeducted,
                                 2);
}

void writeOrderTotals(const QSqlDatabase& db, const OrderKey& order, double goods, const QDateTime& changedAt)
{
    const QVariant changed = changedAt.isValid() ? QVariant(changedAt) : QVariant();
    execChange(db,
               QStringLiteral("UPDATE PEDIDO SET VRTOTALPED = ?, VRTOTPEDLIQ = ?, DTHRALTPED = COALESCE(?, DTHRALTPED)"
                              " WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {goods, goods, changed, order.branch, order.number});
}

// VRPARCELA of each term from the order's item totals.
void writeInstallments(const QSqlDatabase& db, const OrderKey& order, OrderTotals totals)
{
    KeptStatement terms(db,
                        QStringLiteral("SELECT NRDIASPGTOPED, VRPERCPGTOPED FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                       " ORDER BY NRDIASPGTOPED"),
                        {order.branch, order.number});
    QVariantList days;
    QList<double> percentages;
    while (terms->next()) {
        days << terms->value(0);
        percentages << terms->value(1).toDouble();
    }
    terms->finish();
    if (days.isEmpty())
        return;
    addTaxesAndCharges(db, order, totals);
    const QList<Cents> values = splitByPercentages(Cents::fromValue(totals.receivable), percentages);
    for (qsizetype n = 0; n < days.size(); ++n)
        execChange(db, QStringLiteral("UPDATE PRAZOPGTOPED SET VRPARCELA = ? WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRDIASPGTOPED = ?"),
                   {values.at(n).value(), order.branch, order.number, days.at(n)});
}

} // namespace

// Per live item: goods = RoundDec(VRPREUNITPED, 2) x QTITEMPED at the cent,
// less RoundDec(VRDESITPED, 2).
OrderTotals totalsOfItems(const LiveItems& items)
{
    OrderTotals totals;
    for (const LiveItem& live : items.items) {
        const ItemValue& item = live.value;
        const double goods = goodsValue(item.unitPrice, item.quantity);
        const double discount = RoundDec(item.discount, 2);
        totals.goods += goods - discount;
        totals.discount += discount;
        if (item.freeGood)
            totals.bonus += goods - discount;
    }
    totals.goods = RoundDec(totals.goods, 2);
    totals.discount = RoundDec(totals.discount, 2);
    totals.bonus = RoundDec(totals.bonus, 2);
    return totals;
}

LiveItems readLiveItems(const QSqlDatabase& db, const OrderKey& order)
{
    KeptStatement items(db,
                        QStringLiteral("SELECT I.NRITEMPED, I.CDPRODUTO, I.VRPREUNITPED, I.QTITEMPED, I.VRDESITPED, I.IDPRODBONIF, C.CDGRUPOFISC"
                                       " FROM ITEMPEDIDO I INNER JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL AND P.NRPEDIDO = I.NRPEDIDO"
                                       " LEFT JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                                       " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.IDSITITEMPED <> '5' ORDER BY I.NRITEMPED"),
                        {order.branch, order.number});
    LiveItems live;
    while (items->next()) {
        live.fiscalGroup = items->value(6).toString();
        live.items.append({items->value(0).toString(), items->value(1).toString(),
                           {items->value(2).toDouble(), items->value(3).toDouble(), items->value(4).toDouble(),
                            items->value(5).toString() == u"S"}});
    }
    return live;
}

OrderTotals itemTotals(const QSqlDatabase& db, const OrderKey& order)
{
    return totalsOfItems(readLiveItems(db, order));
}

// The amount to receive leaves out the free goods and adds or deducts the
// taxes and charges by their kind.
OrderTotals orderTotals(const QSqlDatabase& db, const OrderKey& order)
{
    OrderTotals totals = itemTotals(db, order);
    addTaxesAndCharges(db, order, totals);
    return totals;
}

void storeOrderTotals(const QSqlDatabase& db, const OrderKey& order, const QDateTime& changedAt)
{
    writeOrderTotals(db, order, itemTotals(db, order).goods, changedAt);
}

void storeInstallments(const QSqlDatabase& db, const OrderKey& order)
{
    writeInstallments(db, order, itemTotals(db, order));
}

void storeOrderValues(const QSqlDatabase& db, const OrderKey& order, const QDateTime& changedAt, StoredBefore stored,
                      const std::optional<LiveItems>& known)
{
    const LiveItems items = known ? *known : readLiveItems(db, order);
    const OrderTotals totals = totalsOfItems(items);
    writeOrderTotals(db, order, totals.goods, changedAt);
    storeOrderTaxes(db, order.branch, order.number, items, stored);
    writeInstallments(db, order, totals);
}
