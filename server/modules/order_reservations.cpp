#include "order_reservations.h"

#include "confirm_findings.h"
#include "money.h"
#include "rpc/method_registry.h"
#include "store/counters.h"
#include "store/sql.h"

#include <QDateTime>
#include <cmath>

namespace OrderReservations {

namespace {

using OrderPackets::OrderKey;

const QStringList lotFields{QStringLiteral("CDFILIALDEP"), QStringLiteral("CDALMOXARIFE"), QStringLiteral("CDLOCALESTOQ"),
                            QStringLiteral("CDPRODRES"),   QStringLiteral("NRLOTEESTQ"),   QStringLiteral("NRSUBLOTE")};
const QString lotWhere = QStringLiteral("CDFILIALDEP = ? AND CDALMOXARIFE = ? AND CDLOCALESTOQ = ? AND CDPRODRES = ?"
                                        " AND NRLOTEESTQ = ? AND NRSUBLOTE = ?");

[[noreturn]] void refuse(const QString& message)
{
    throw MethodError(message.toStdString());
}

QVariantList lotValues(const Lot& lot)
{
    return {lot.branch, lot.store, lot.place, lot.product, lot.lot, lot.subLot};
}

double reservedBy(const QSqlDatabase& db, const OrderKey& order, const QString& item, const Lot& lot)
{
    return selectValue(db,
                       QStringLiteral("SELECT COALESCE(SUM(QTRESPRODPED), 0) FROM RESPRODPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                      " AND NRITEMPED = ? AND ")
                           + lotWhere,
                       QVariantList{order.branch, order.number, item} + lotValues(lot))
        .toDouble();
}

bool same(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

} // namespace

Applied apply(const QSqlDatabase& db, const OrderKey& order, const Delta& delta)
{
    Applied applied;
    if (delta.isEmpty())
        return applied;
    QList<int> lotAt;
    for (const QString& name : lotFields) {
        lotAt << delta.indexOf(name);
        if (lotAt.last() < 0)
            refuse(QStringLiteral("Alterações da posição de estoque sem o campo %1.").arg(name));
    }
    const int orderAt = delta.indexOf(QStringLiteral("NRPEDIDO"));
    const int itemAt = delta.indexOf(QStringLiteral("NRITEMPED"));
    const int quantityAt = delta.indexOf(QStringLiteral("QTRESPRODPED"));
    const int roundedAt = delta.indexOf(QStringLiteral("QTRESPRODARR"));
    if (itemAt < 0 || quantityAt < 0)
        refuse(QStringLiteral("Alterações da posição de estoque sem os campos NRITEMPED e QTRESPRODPED."));

    int number = 0;
    for (const RowChange& change : delta.changes) {
        ++number;
        const QVariantList& values = change.op == ChangeOp::Delete ? change.oldValues : change.newValues;
        if (orderAt >= 0 && !values.at(orderAt).isNull() && values.at(orderAt).toString() != order.number)
            refuse(QStringLiteral("Alterações da posição de estoque (alteração %1): o pedido \"%2\" não é o pedido confirmado.")
                       .arg(number)
                       .arg(values.at(orderAt).toString().left(20)));
        const QString item = values.at(itemAt).toString();
        Lot lot;
        QStringList parts;
        for (int at : lotAt)
            parts << values.at(at).toString();
        lot = {parts.at(0), parts.at(1), parts.at(2), parts.at(3), parts.at(4), parts.at(5)};
        if (item.isEmpty() || parts.contains(QString()))
            refuse(QStringLiteral("Alterações da posição de estoque (alteração %1): item e lote devem ser informados.").arg(number));
        const double wanted = change.op == ChangeOp::Delete ? 0.0 : values.at(quantityAt).toDouble();
        if (!std::isfinite(wanted) || wanted < 0)
            refuse(QStringLiteral("Alterações da posição de estoque (alteração %1): quantidade reservada inválida.").arg(number));
        const double read = change.op == ChangeOp::Insert ? 0.0 : change.oldValues.at(quantityAt).toDouble();
        const double stored = reservedBy(db, order, item, lot);
        if (!same(stored, read) && !same(stored, wanted)) {
            applied.outcome = OrderDelta::Outcome::Conflict;
            return applied;
        }
        if (!selectValue(db, QStringLiteral("SELECT 1 FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                         {order.branch, order.number, item})
                 .isValid())
            refuse(QStringLiteral("Alterações da posição de estoque (alteração %1): item %2 não pertence ao pedido.").arg(number).arg(item.left(10)));
        execChange(db, QStringLiteral("DELETE FROM RESPRODPED WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ? AND ") + lotWhere,
                   QVariantList{order.branch, order.number, item} + lotValues(lot));
        if (wanted > 0) {
            const QString reservation = QStringLiteral("%1").arg(nextCounterValue(db, QStringLiteral("RESPRODPED")), 10, 10, QLatin1Char('0'));
            execChange(db,
                       QStringLiteral("INSERT INTO RESPRODPED (NRRESPRODPED, CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODRES, CDFILIALDEP, CDALMOXARIFE,"
                                      " CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, QTRESPRODPED, QTRESPRODARR, DTRESPRODPED)"
                                      " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {reservation, order.branch, order.number, item, lot.product, lot.branch, lot.store, lot.place, lot.lot, lot.subLot,
                        wanted, roundedAt >= 0 ? values.at(roundedAt) : QVariant(), QDateTime::currentDateTime()});
        }
        if (!applied.lots.contains(lot))
            applied.lots << lot;
        if (!applied.items.contains(item))
            applied.items << item;
    }
    return applied;
}

QJsonValue check(const QSqlDatabase& db, const OrderKey& order, const Applied& applied, bool* blocking)
{
    *blocking = false;
    for (const Lot& lot : applied.lots) {
        const double stock = selectValue(db,
                                         QStringLiteral("SELECT COALESCE(SUM(QTTOTALESTOQ), 0) FROM ESTOQUELOTE WHERE CDFILIAL = ?"
                                                        " AND CDALMOXARIFE = ? AND CDLOCALESTOQ = ? AND CDPRODUTO = ? AND NRLOTEESTQ = ?"
                                                        " AND NRSUBLOTE = ?"),
                                         lotValues(lot))
                                 .toDouble();
        const double all = selectValue(db, QStringLiteral("SELECT COALESCE(SUM(QTRESPRODPED), 0) FROM RESPRODPED WHERE ") + lotWhere,
                                       lotValues(lot))
                               .toDouble();
        if (all > stock + 1e-9) {
            const double ours = selectValue(db,
                                            QStringLiteral("SELECT COALESCE(SUM(QTRESPRODPED), 0) FROM RESPRODPED WHERE CDFILIAL = ?"
                                                           " AND NRPEDIDO = ? AND ")
                                                + lotWhere,
                                            QVariantList{order.branch, order.number} + lotValues(lot))
                                    .toDouble();
            *blocking = true;
            return ConfirmFindings::message(QStringLiteral("QTRES_ANT"), RoundDec(std::max(0.0, stock - (all - ours)), 5));
        }
    }
    for (const QString& item : applied.items) {
        QSqlQuery row = execSql(db,
                                QStringLiteral("SELECT I.QTITEMPED * COALESCE(P.VRFATOCONV, 1), (SELECT COALESCE(SUM(R.QTRESPRODPED), 0)"
                                               " FROM RESPRODPED R WHERE R.CDFILIAL = I.CDFILIAL AND R.NRPEDIDO = I.NRPEDIDO"
                                               " AND R.NRITEMPED = I.NRITEMPED) FROM ITEMPEDIDO I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                               " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.NRITEMPED = ? AND I.IDSITITEMPED <> '5'"),
                                {order.branch, order.number, item});
        if (!row.next())
            continue;
        const double uncovered = RoundDec(row.value(0).toDouble(), 5) - row.value(1).toDouble();
        if (uncovered > 1e-9)
            return ConfirmFindings::message(QStringLiteral("QTRES_SEST"), RoundDec(uncovered, 5));
    }
    return QJsonValue::Null;
}

} // namespace OrderReservations
