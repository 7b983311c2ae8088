#include "order_totals.h"

#include "goods_value.h"
#include "packet_sql.h"
#include "store/kept_statements.h"
#include "store/sql.h"
#include "tax_model.h"

#include <QDateTime>
#include <QSqlQuery>

#include <utility>

namespace {

using OrderPackets::OrderKey;

// Sums a value over the order's rows split by a kind column: "A" adds to
// the order total, "D" is deducted; other kinds ("I", included in the
// price) change nothing.
std::pair<double, double> addedAndDeducted(const QSqlDatabase& db, const QString& sql, const OrderKey& order)
{
    const DataPacket sums = selectPacket(db, {textField(QStringLiteral("KIND"), 1), floatField(QStringLiteral("TOTAL"))}, sql,
                                         {order.branch, order.number});
    double added = 0, deducted = 0;
    for (const QVariantList& row : sums.rows) {
        if (row.at(0).toString() == QLatin1String("A"))
            added += row.at(1).toDouble();
        else if (row.at(0).toString() == QLatin1String("D"))
            deducted += row.at(1).toDouble();
    }
    return {RoundDec(added, 2), RoundDec(deducted, 2)};
}

} // namespace

// Per live item: goods = RoundDec(VRPREUNITPED, 2) x QTITEMPED at the cent,
// less RoundDec(VRDESITPED, 2).
OrderTotals itemTotals(const QSqlDatabase& db, const OrderKey& order)
{
    OrderTotals totals;
    const DataPacket items = selectPacket(
        db, {floatField(QStringLiteral("VRPREUNITPED")), floatField(QStringLiteral("QTITEMPED")),
             floatField(QStringLiteral("VRDESITPED")), textField(QStringLiteral("IDPRODBONIF"), 1)},
        QStringLiteral("SELECT VRPREUNITPED, QTITEMPED, VRDESITPED, IDPRODBONIF FROM ITEMPEDIDO"
                       " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"),
        {order.branch, order.number});
    for (const QVariantList& row : items.rows) {
        const double goods = goodsValue(row.at(0).toDouble(), row.at(1).toDouble());
        const double discount = RoundDec(row.at(2).toDouble(), 2);
        totals.goods += goods - discount;
        totals.discount += discount;
        if (row.at(3).toString() == QLatin1String("S"))
            totals.bonus += goods - discount;
    }
    totals.goods = RoundDec(totals.goods, 2);
    totals.discount = RoundDec(totals.discount, 2);
    totals.bonus = RoundDec(totals.bonus, 2);
    return totals;
}

// The amount to receive leaves out the free goods and adds or deducts the
// taxes and charges by their kind.
OrderTotals orderTotals(const QSqlDatabase& db, const OrderKey& order)
{
    OrderTotals totals = itemTotals(db, order);
    std::tie(totals.taxesAdded, totals.taxesDeducted) = addedAndDeducted(
        db,
        QStringLiteral("SELECT COALESCE(T.IDTRATIMPO, I.IDTRATIMPO), SUM(T.VRTOTIMPPED) FROM IMPOSPEDTOT T"
                       " INNER JOIN IMPOSTO I ON I.CDIMPOSTO = T.CDIMPOSTO"
                       " WHERE T.CDFILIAL = ? AND T.NRPEDIDO = ? GROUP BY COALESCE(T.IDTRATIMPO, I.IDTRATIMPO)"),
        order);
    std::tie(totals.chargesAdded, totals.chargesDeducted) = addedAndDeducted(
        db,
        QStringLiteral("SELECT E.IDTPENCARGO, SUM(P.VRENCARGOPED) FROM ENCARGOPED P INNER JOIN ENCARGO E ON E.CDENCARGO = P.CDENCARGO"
                       " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ? GROUP BY E.IDTPENCARGO"),
        order);
    totals.receivable = RoundDec(totals.goods - totals.bonus + totals.taxesAdded - totals.taxesDeducted + totals.chargesAdded
                                     - totals.chargesDeducted,
                                 2);
    return totals;
}

void storeOrderTotals(const QSqlDatabase& db, const OrderKey& order, const QDateTime& changedAt)
{
    const double goods = itemTotals(db, order).goods;
    const QVariant changed = changedAt.isValid() ? QVariant(changedAt) : QVariant();
    execChange(db,
            QStringLiteral("UPDATE PEDIDO SET VRTOTALPED = ?, VRTOTPEDLIQ = ?, DTHRALTPED = COALESCE(?, DTHRALTPED)"
                           " WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
            {goods, goods, changed, order.branch, order.number});
}

void storeInstallments(const QSqlDatabase& db, const OrderKey& order)
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
    const QList<Cents> values = splitByPercentages(orderReceivable(db, order), percentages);
    for (qsizetype n = 0; n < days.size(); ++n)
        execChange(db, QStringLiteral("UPDATE PRAZOPGTOPED SET VRPARCELA = ? WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRDIASPGTOPED = ?"),
                {values.at(n).value(), order.branch, order.number, days.at(n)});
}

void storeOrderValues(const QSqlDatabase& db, const OrderKey& order, const QDateTime& changedAt)
{
    storeOrderTotals(db, order, changedAt);
    storeOrdersTaxes(db, order.branch, {order.number});   // in batches: an order of many lines
    storeInstallments(db, order);
}

