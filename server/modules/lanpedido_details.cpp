// What the order-entry screen loads for the current order page by page:
// item taxes with the product's last sale prices, payment terms, note and
// additional data, charges, delivery address; and the removal of the
// order's charges before the order is deleted.
//
// An empty or unknown order reads as empty packets with their fields.

#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "topics.h"

namespace {

using namespace OrderPackets;

constexpr int lastSalesShown = 10;

// `cdsItemProImpos`: the item's taxes.
const QList<SelectColumn> itemTaxColumns = {
    text(QStringLiteral("NRITEMPED"), 10, QStringLiteral("T.NRITEMPED")),
    text(QStringLiteral("SGIMPOSTO"), 10, QStringLiteral("I.SGIMPOSTO")),
    number(QStringLiteral("VRPERCIMPOS"), QStringLiteral("T.VRALIQITPED")),
    number(QStringLiteral("VRIMPOSTO"), QStringLiteral("T.VRIMPOSTOITPED")),
};

// `cdsConUltPrecVen`: earlier sales of the product to the customer.
const QList<SelectColumn> lastSaleColumns = {
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("P.NRPEDIDO")),
    dateTime(QStringLiteral("DTPEDIDO"), QStringLiteral("P.DTPEDIDO")),
    number(QStringLiteral("QTITEMPED"), QStringLiteral("I.QTITEMPED")),
    number(QStringLiteral("VRPREUNITPED"), QStringLiteral("I.VRPREUNITPED")),
    text(QStringLiteral("IDSITITEMPED"), 1, QStringLiteral("I.IDSITITEMPED")),
    number(QStringLiteral("VRDESITPED"), QStringLiteral("I.VRDESITPED")),
};

QJsonValue getImpostoUltVendaP(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    const QString item = keyValue(params, 2, orderItemArg);
    const QString product = keyValue(params, 3, productArg);
    const QString customer = keyValue(params, 4, customerArg);

    const DataPacket taxes = keyedColumns(
        context.db, !order.isEmpty() && !item.isEmpty(), itemTaxColumns,
        QStringLiteral("FROM ITEMPEDIMPOS T INNER JOIN IMPOSTO I ON I.CDIMPOSTO = T.CDIMPOSTO"
                       " WHERE T.CDFILIAL = ? AND T.NRPEDIDO = ? AND T.NRITEMPED = ? ORDER BY T.CDIMPOSTO"),
        {order.branch, order.number, item});
    // Sales: items of orders (not quotations) that were not cancelled,
    // other than the order on the screen.
    const DataPacket lastSales = keyedColumns(
        context.db, !order.branch.isEmpty() && !product.isEmpty() && !customer.isEmpty(), lastSaleColumns,
        QStringLiteral("FROM PEDIDO P INNER JOIN ITEMPEDIDO I ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                       " WHERE P.CDFILIAL = ? AND P.CDCLIENTE = ? AND I.CDPRODUTO = ? AND P.NRPEDIDO <> ?"
                       " AND P.IDTIPOPEDIDO = '1' AND P.IDSITPEDIDO <> '4' AND I.IDSITITEMPED <> '5'"
                       " ORDER BY P.DTPEDIDO DESC, P.NRPEDIDO DESC, I.NRITEMPED LIMIT %1")
            .arg(lastSalesShown),
        {order.branch, customer, product, order.number});
    return QJsonArray{taxes.toJson(), lastSales.toJson()};
}

QJsonValue getPrazoPgto(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params, 1, 0);
    return orderTerms(context.db, order).toJson();
}

QJsonValue getTObser(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    return QJsonArray{orderNote(context.db, order).toJson(), orderAdditionalData(context.db, order).toJson()};
}

// The charge kinds the order does not carry come along only for a stored
// order; an unknown one has no charges to show.
QJsonValue getEncargo(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    return orderCharges(context.db, orderExists(context.db, order) ? order : OrderKey{}).toJson();
}

QJsonValue getDadosEndPed(CallContext& context, QJsonArray& params)
{
    return orderDeliveryAddress(context.db, orderKeyArgs(params)).toJson();
}

QJsonValue setDelTdsEncargos(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    execChange(context.db, QStringLiteral("DELETE FROM ENCARGOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {order.branch, order.number});
    return true;
}

// ---- registration ----------------------------------------------------------------

MethodSpec detailMethod(const QString& name, QList<ArgSpec> args, const QString& doc, const QString& resultDoc,
                        MethodFunction function, bool readOnly = true)
{
    MethodSpec spec = readMethod(name, std::move(args), doc, resultDoc + unknownOrderDoc, std::move(function));
    spec.readOnly = readOnly;
    return spec;
}

} // namespace

void registerLanPedidoDetails(MethodRegistry& registry)
{
    const QList<ArgSpec> branchOrder = {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc)};
    registry.add(detailMethod(
        QStringLiteral("GetImposto_UltVendaP"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
         textArg(QStringLiteral("item"), QStringLiteral("Item number (NRITEMPED), up to 10 characters.")),
         textArg(QStringLiteral("product"), QStringLiteral("Product code of the item (CDPRODUTO), up to 10 characters.")),
         textArg(QStringLiteral("customer"), QStringLiteral("Customer code of the order (CDCLIENTE), up to 21 characters."))},
        QStringLiteral("Loads the taxes of an order item and the last sale prices of its product to the customer."),
        QStringLiteral("Value array: [0] item taxes NRITEMPED, SGIMPOSTO, VRPERCIMPOS (rate), VRIMPOSTO (amount), by "
                       "CDIMPOSTO; [1] last sales NRPEDIDO, DTPEDIDO, QTITEMPED, VRPREUNITPED, IDSITITEMPED, VRDESITPED: "
                       "items of the product in the customer's orders at the branch (not quotations, not cancelled orders "
                       "or items, not the given order), newest first, at most 10."),
        getImpostoUltVendaP));
    registry.add(detailMethod(
        QStringLiteral("GetPrazoPgto"),
        {textArg(QStringLiteral("order"), orderDoc), textArg(QStringLiteral("branch"), branchDoc)},
        QStringLiteral("Loads the payment terms of an order (note: the order number comes first)."),
        QStringLiteral("Data packet CDFILIAL, NRPEDIDO, DTPEDIDO, NRDIASPGTOPED, PREVISAO, VRPERCPGTOPED, DSPRAZOPGTOPED, "
                       "VRPARCELA, by days; two empty texts give the empty packet."),
        getPrazoPgto));
    registry.add(detailMethod(
        QStringLiteral("GetTObser"), branchOrder, QStringLiteral("Loads the note and the additional data of an order."),
        QStringLiteral("Value array: [0] note NRPEDIDO, TXOBSPED (memo), CDFILIAL; [1] additional data CDFILIAL, NRPEDIDO, "
                       "NRDADOADICPED, CDMENSAGEM, DSDADOADICPED, by line."),
        getTObser));
    registry.add(detailMethod(
        QStringLiteral("getEncargo"), branchOrder, QStringLiteral("Loads the charges of an order for the charges page."),
        QStringLiteral("Data packet CDFILIAL, NRPEDIDO, CDENCARGO, NMENCARGO, VRENCARGOPED, VRPERCENTENC: every charge kind "
                       "with the order's amount or 0, by CDENCARGO."),
        getEncargo));
    registry.add(detailMethod(
        QStringLiteral("GetDadosEndPed"), branchOrder, QStringLiteral("Loads the delivery address of an order."),
        QStringLiteral("Data packet with the 21 fields of the address record set (CDFILIAL, NRPEDIDO, NMRAZSOCPED ... "
                       "DSLOCALENTRCLIENTE); at most one row."),
        getDadosEndPed));
    registry.add(detailMethod(
        QStringLiteral("SetDelTdsEncargos"), branchOrder,
        QStringLiteral("Deletes every charge (ENCARGOPED) of an order, before the order itself is deleted."),
        QStringLiteral("true, also when the order had no charges."), setDelTdsEncargos, false));
}
