// What the pages of the order-entry screen load for the current order: the
// page-change set (commitment balance, note, terms, additional data,
// charges, delivery address), the items with their invoice postings, the
// order's tax totals, the order totals, earlier notes of the customer, and
// the order as the print preview shows it.
//
// An order that is not stored (a new order, an empty list) reads as empty
// packets: the screen loads them into its record sets like any other.

#include "lanpedido_pages.h"

#include "goods_value.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"

#include <QString>

namespace {

using namespace OrderPackets;

// ---- page change ---------------------------------------------------------------

// `cdsVd_Empenho`: the balance of the customer's commitment.
const QList<SelectColumn> commitmentColumns = {number(QStringLiteral("VRSALDOEMP"))};

DataPacket commitmentBalance(const QSqlDatabase& db, const QString& customer, const QString& commitment)
{
    return keyedColumns(db, !customer.isEmpty() && !commitment.isEmpty(), commitmentColumns, QStringLiteral("FROM EMPENHO WHERE CDCLIENTE = ? AND NREMPENHO = ?"),
                         {customer, commitment});
}

// The remembered modality follows the stored order; an order not stored yet
// takes the modality it carries on the screen when none is remembered.
QString rememberedModality(const QSqlDatabase& db, const OrderKey& order, const QString& orderModality,
                           const QString& remembered)
{
    if (!order.isEmpty()) {
        const DataPacket stored = selectPacket(db, {textField(QStringLiteral("CDMODPGTO"), 5)},
                                               QStringLiteral("SELECT CDMODPGTO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                                               {order.branch, order.number});
        if (!stored.rows.isEmpty())
            return stored.rows.first().first().toString();
    }
    return remembered.isEmpty() ? orderModality : remembered;
}

constexpr int pgcChangeElements = 11;
constexpr int rememberedModalityArg = 5;

QJsonValue getPgcChange(CallContext& context, QJsonArray& params)
{
    const QString customer = keyValue(params, 0, customerArg);
    const QString commitment = keyValue(params, 1, commitmentArg).trimmed();
    const QString orderModality = keyValue(params, 3, modalityArg);
    const QString remembered = keyValue(params, rememberedModalityArg, modalityArg);
    const OrderKey order = orderKeyArgs(params, 6, 7);
    keyValue(params, 8, orderStatusArg);

    QJsonArray result;
    for (int element = 0; element < pgcChangeElements; ++element)
        result.append(QJsonValue::Null);
    result[0] = commitmentBalance(context.db, customer, commitment).toJson();
    result[6] = orderNote(context.db, order).toJson();
    result[7] = orderTerms(context.db, order).toJson();
    result[8] = orderAdditionalData(context.db, order).toJson();
    result[9] = orderCharges(context.db, order).toJson();
    result[10] = orderDeliveryAddress(context.db, order).toJson();
    params[rememberedModalityArg] = rememberedModality(context.db, order, orderModality, remembered);
    return result;
}

// ---- earlier notes -------------------------------------------------------------

QJsonValue getPesqObser(CallContext& context, QJsonArray& params)
{
    const QString branch = keyValue(params, 0, branchArg);
    const QString customer = keyValue(params, 1, customerArg);
    const QList<SelectColumn> columns = {text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("P.NRPEDIDO")),
                                         memo(QStringLiteral("TXOBSPED"), QStringLiteral("O.TXOBSPED"))};
    return keyedColumns(context.db, !branch.isEmpty() && !customer.isEmpty(), columns,
                         QStringLiteral("FROM PEDIDO P INNER JOIN OBSPEDIDO O ON O.CDFILIAL = P.CDFILIAL AND O.NRPEDIDO = P.NRPEDIDO"
                                        " WHERE P.CDFILIAL = ? AND P.CDCLIENTE = ? AND O.TXOBSPED IS NOT NULL AND O.TXOBSPED <> ''"
                                        " ORDER BY P.NRPEDIDO DESC"),
                         {branch, customer})
        .toJson();
}

// ---- print ---------------------------------------------------------------------

const QList<SelectColumn> printHeaderColumns = {
    text(QStringLiteral("NMEMPRESA"), 50, QStringLiteral("E.NMEMPRESA")),
    text(QStringLiteral("CDFILIAL"), 4, QStringLiteral("P.CDFILIAL")),
    text(QStringLiteral("NMFILIAL"), 30, QStringLiteral("F.NMFILIAL")),
    text(QStringLiteral("NRINSJURFILI"), 20, QStringLiteral("F.NRINSJURFILI")),
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("P.NRPEDIDO")),
    text(QStringLiteral("IDTIPOPEDIDO"), 1, QStringLiteral("P.IDTIPOPEDIDO")),
    text(QStringLiteral("IDSITPEDIDO"), 1, QStringLiteral("P.IDSITPEDIDO")),
    dateTime(QStringLiteral("DTPEDIDO"), QStringLiteral("P.DTPEDIDO")),
    dateTime(QStringLiteral("DTENTPED"), QStringLiteral("P.DTENTPED")),
    text(QStringLiteral("CDCLIENTE"), 21, QStringLiteral("P.CDCLIENTE")),
    text(QStringLiteral("NMRAZSOCCLIE"), 50, QStringLiteral("P.NMRAZSOCCLIE")),
    text(QStringLiteral("IDTPIJURCLIE"), 1, QStringLiteral("P.IDTPIJURCLIE")),
    text(QStringLiteral("NRINSJURCLIE"), 20, QStringLiteral("P.NRINSJURCLIE")),
    text(QStringLiteral("CDVENDEDOR"), 4, QStringLiteral("P.CDVENDEDOR")),
    text(QStringLiteral("NMFANVEN"), 50, QStringLiteral("P.NMFANVEN")),
    text(QStringLiteral("DSMODPGTO"), 100, QStringLiteral("P.DSMODPGTO")),
    text(QStringLiteral("NMFANTTRAN"), 40, QStringLiteral("P.NMFANTTRAN")),
    text(QStringLiteral("NRORDEMCMPPED"), 15, QStringLiteral("P.NRORDEMCMPPED")),
    number(QStringLiteral("VRTOTALPED"), QStringLiteral("P.VRTOTALPED")),
    memo(QStringLiteral("TXOBSPED"), QStringLiteral("O.TXOBSPED")),
};

const QList<SelectColumn> printItemColumns = {
    text(QStringLiteral("NRITEMPED"), 10),
    text(QStringLiteral("CDARVPROD"), 20),
    text(QStringLiteral("NMPRODUTO"), 50),
    text(QStringLiteral("SGUNIDADE"), 10),
    text(QStringLiteral("IDSITITEMPED"), 1),
    number(QStringLiteral("QTITEMPED")),
    number(QStringLiteral("VRPREUNITPED")),
    number(QStringLiteral("VRDESITPED")),
};

// The item total as the order shows it: RoundDec(price, 2) x quantity at
// the cent, less the discount; cancelled items are listed but total 0.
DataPacket withItemTotals(DataPacket items)
{
    const int status = items.indexOf(QStringLiteral("IDSITITEMPED"));
    const int quantity = items.indexOf(QStringLiteral("QTITEMPED"));
    const int price = items.indexOf(QStringLiteral("VRPREUNITPED"));
    const int discount = items.indexOf(QStringLiteral("VRDESITPED"));
    items.fields.append(floatField(QStringLiteral("VRTOTALITEM")));
    for (QVariantList& row : items.rows) {
        const bool cancelled = row.at(status).toString() == QLatin1String("5");
        const double total = netGoodsValue(row.at(price).toDouble(), row.at(quantity).toDouble(), row.at(discount).toDouble());
        row.append(cancelled ? 0.0 : RoundDec(total, 2));
    }
    return items;
}

QJsonValue getPedidoImpressao(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    const DataPacket header = orderPacket(
        context.db, printHeaderColumns,
        QStringLiteral("FROM PEDIDO P"
                       " LEFT JOIN FILIAL F ON F.CDFILIAL = P.CDFILIAL"
                       " LEFT JOIN EMPRESA E ON E.CDEMPRESA = F.CDEMPRESA"
                       " LEFT JOIN OBSPEDIDO O ON O.CDFILIAL = P.CDFILIAL AND O.NRPEDIDO = P.NRPEDIDO"
                       " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ?"),
        order);
    const DataPacket items = withItemTotals(orderPacket(
        context.db, printItemColumns, QStringLiteral("FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRITEMPED"), order));
    return QJsonArray{header.toJson(), items.toJson()};
}

// ---- registration --------------------------------------------------------------

} // namespace

void registerLanPedidoPages(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetPgcChange"),
        {textArg(QStringLiteral("customer"), QStringLiteral("Customer code (CDCLIENTE) of the order.")),
         textArg(QStringLiteral("commitment"), QStringLiteral("Commitment number typed on the general page (NREMPENHO).")),
         textArg(QStringLiteral("blank1"), QStringLiteral("A single blank; not read.")),
         textArg(QStringLiteral("modality"), QStringLiteral("Payment modality of the order on the screen (CDMODPGTO).")),
         textArg(QStringLiteral("blank2"), QStringLiteral("A single blank; not read.")),
         textArg(QStringLiteral("rememberedModality"), QStringLiteral("By reference: the modality the screen remembers for the order."),
                 true),
         textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("order"), orderDoc),
         textArg(QStringLiteral("status"), statusDoc)},
        QStringLiteral("Loads what the pages of the order-entry screen show for the current order when the page changes."),
        QStringLiteral("Value array of 11 elements: [0] commitment balance VRSALDOEMP (one row when the customer has the "
                       "commitment, else none); [1]-[5] null (no page reads them); [6] note NRPEDIDO, TXOBSPED (memo), "
                       "CDFILIAL; [7] payment terms CDFILIAL, NRPEDIDO, DTPEDIDO, NRDIASPGTOPED, PREVISAO, VRPERCPGTOPED, "
                       "DSPRAZOPGTOPED, VRPARCELA, by days; [8] additional data CDFILIAL, NRPEDIDO, NRDADOADICPED, "
                       "CDMENSAGEM, DSDADOADICPED, by line; [9] charges CDFILIAL, NRPEDIDO, CDENCARGO, NMENCARGO, "
                       "VRENCARGOPED, VRPERCENTENC: every charge kind, with the order's amount or 0 (also for an order not "
                       "stored yet, so that its charges can be typed in); [10] delivery address, the 21 fields of the "
                       "address record set. The remembered modality comes back as the stored order's CDMODPGTO; for an "
                       "order not stored yet it comes back unchanged, or as the order's modality when it was empty.")
            + unknownOrderDoc,
        getPgcChange));
    registry.add(readMethod(
        QStringLiteral("GetPesqObser"),
        {textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("customer"), QStringLiteral("Customer code (CDCLIENTE)."))},
        QStringLiteral("Lists the notes of the customer's orders at the branch, to copy one into the current order."),
        QStringLiteral("Data packet NRPEDIDO (10), TXOBSPED (memo): the orders with a non-empty note, newest number first; "
                       "empty for an empty branch or customer. A code longer than its column fails with a message naming it."),
        getPesqObser));
    registry.add(readMethod(
        QStringLiteral("GetPedidoImpressao"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc)},
        QStringLiteral("Reads an order as its printed copy shows it."),
        QStringLiteral("Value array: [0] header NMEMPRESA, CDFILIAL, NMFILIAL, NRINSJURFILI, NRPEDIDO, IDTIPOPEDIDO, "
                       "IDSITPEDIDO, DTPEDIDO, DTENTPED, CDCLIENTE, NMRAZSOCCLIE, IDTPIJURCLIE, NRINSJURCLIE, CDVENDEDOR, "
                       "NMFANVEN, DSMODPGTO, NMFANTTRAN, NRORDEMCMPPED, VRTOTALPED, TXOBSPED (one row); [1] items "
                       "NRITEMPED, CDARVPROD, NMPRODUTO, SGUNIDADE, IDSITITEMPED, QTITEMPED, VRPREUNITPED, VRDESITPED, "
                       "VRTOTALITEM (RoundDec(price, 2) x quantity less discount; 0 for a cancelled item), by NRITEMPED.")
            + unknownOrderDoc,
        getPedidoImpressao));
}
