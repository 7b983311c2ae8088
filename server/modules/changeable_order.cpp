#include "changeable_order.h"

#include "rpc/method_registry.h"
#include "store/sql.h"

const QString changeableItemCondition = QStringLiteral(" AND IDSITITEMPED NOT IN ('4', '5', '6')");

void requireChangeableOrder(const QSqlDatabase& db, const OrderPackets::OrderKey& order)
{
    const QVariant status = selectValue(db, QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                                        {order.branch, order.number});
    if (!status.isValid())
        throw MethodError(QStringLiteral("Pedido %1 da filial %2 não encontrado.").arg(order.number, order.branch).toStdString());
    const QString entry = selectValue(db, QStringLiteral("SELECT IDLANCPED FROM PARAMPEDIDO WHERE CDFILIAL = ?"), {order.branch})
                              .toString();
    const QString code = status.toString();
    if (code == u"1" || (code == u"2" && (entry == u"2" || entry == u"3")))
        return;
    throw MethodError(QStringLiteral("Operação bloqueada! O pedido %1 não pode ser alterado na situação \"%2\".")
                          .arg(order.number, code)
                          .toStdString());
}
