// The items of an order as the order-entry screen loads them, the order's
// tax totals and order totals (docs/taxes.md), and the side data of the
// current item: stock position, quantities, taxes, last sale prices and
// whether stock is controlled.
//
// An order that is not stored (a new order, an empty list) reads as empty
// packets: the screen loads them into its record sets like any other.

#include "topics.h"

#include "argument_checks.h"
#include "goods_value.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "order_totals.h"
#include "packet_sql.h"
#include "stock_figures.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QLocale>
#include <QString>

#include <cmath>

namespace {

using namespace OrderPackets;
using namespace StockFigures;

// ---- arguments -----------------------------------------------------------------

constexpr KeyArg itemArg{"Número do item", 10};
constexpr KeyArg statusArg{"Situação", 1};

// ---- items ---------------------------------------------------------------------

// Every data field of the item record set, in its order; the calculated
// and aggregate fields are the client's.
const QList<SelectColumn> itemColumns = {
    number(QStringLiteral("VRITEPREBASE")),
    number(QStringLiteral("VRCUSTPRODBASE")),
    text(QStringLiteral("NRPEDIDO"), 10),
    text(QStringLiteral("CDARVPROD"), 20),
    number(QStringLiteral("QTITEMPED")),
    text(QStringLiteral("NMPRODUTO"), 50),
    text(QStringLiteral("CDTIPODESC"), 10),
    text(QStringLiteral("NMTIPODESC"), 50),
    text(QStringLiteral("SGUNIDADE"), 10),
    number(QStringLiteral("VRPREUNITPED")),
    number(QStringLiteral("VRACREDESCITPEDUNIT")),
    number(QStringLiteral("VRACREDESCITPED")),
    text(QStringLiteral("NRITEMPED"), 10),
    text(QStringLiteral("IDSITITEMPED"), 1),
    number(QStringLiteral("QTEXPITEMPED")),
    number(QStringLiteral("VRPREUNIT")),
    text(QStringLiteral("CDFILIAL"), 4),
    text(QStringLiteral("CDFATPRECO"), 3),
    number(QStringLiteral("QTITEMPED2")),
    text(QStringLiteral("SGFATPRECO"), 4),
    text(QStringLiteral("CDPRODESTO"), 10),
    dateTime(QStringLiteral("DTENTITPED")),
    text(QStringLiteral("IDITPEDDIFER"), 1),
    text(QStringLiteral("DSITEMPED"), 2000),
    number(QStringLiteral("VRPESOITPED")),
    text(QStringLiteral("SGUNIDPAI"), 5),
    text(QStringLiteral("CDPRODUTO"), 10),
    number(QStringLiteral("VRPESOBRUTPR")),
    number(QStringLiteral("VRPESOLIQUPR")),
    number(QStringLiteral("VRDESITPED")),
    number(QStringLiteral("PERDESC")),
    text(QStringLiteral("IDCOMP"), 1),
    text(QStringLiteral("IDITPEDRESER"), 1),
    number(QStringLiteral("VRPRTABITPED")),
    number(QStringLiteral("VRPERCMARKUPIT")),
    text(QStringLiteral("CDOPERADOR"), 12),
    number(QStringLiteral("VRPEDEMAXIPE")),
    number(QStringLiteral("QTOITTPDESC")),
    number(QStringLiteral("QTSETTPDESC")),
    number(QStringLiteral("QTSEXTPDESC")),
    number(QStringLiteral("QTQUITPDESC")),
    number(QStringLiteral("QTQUATPDESC")),
    number(QStringLiteral("QTTERTPDESC")),
    number(QStringLiteral("VRPEFORMPREC")),
    number(QStringLiteral("QTSEGTPDESC")),
    number(QStringLiteral("QTPRITPDESC")),
    text(QStringLiteral("IDITPEDSEMQTDIS"), 1),
    text(QStringLiteral("NRHISIMPITEEEEP"), 10),
    text(QStringLiteral("DSPRAZOENTITPED"), 50),
    text(QStringLiteral("DSEMISSAOITPED"), 400),
    text(QStringLiteral("CDEMISSAOITPED"), 20),
    text(QStringLiteral("IDPRECOPROM"), 1),
    text(QStringLiteral("IDITEMERRO"), 1),
    number(QStringLiteral("VRVARIAVEL")),
    text(QStringLiteral("CDFATOR"), 3),
    text(QStringLiteral("IDITEMPEDTERC"), 1),
    number(QStringLiteral("VRALTURAPROD")),
    number(QStringLiteral("VRCOMPRIPROD")),
    number(QStringLiteral("VRITRENTABIL")),
    number(QStringLiteral("VRCRRENTABIL")),
    text(QStringLiteral("DSFORMCALCSUGE"), 255),
    text(QStringLiteral("DSFORMCALCRENT"), 255),
    number(QStringLiteral("VRPRPARPRECO")),
    number(QStringLiteral("VRDESCCOMISS")),
    text(QStringLiteral("NRITORDEMCMPPED"), 6),
    text(QStringLiteral("IDPRODBONIF"), 1),
};

// `cdsLancNf`: the invoice postings of the order's items; cancelled
// invoices posted nothing.
const QList<SelectColumn> invoicePostingColumns = {
    text(QStringLiteral("NRLANCTONF"), 10, QStringLiteral("N.NRLANCTONF")),
    dateTime(QStringLiteral("DTENTRSAID"), QStringLiteral("N.DTENTRSAID")),
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("I.NRPEDIDO")),
    text(QStringLiteral("NRITEMPED"), 10, QStringLiteral("I.NRITEMPED")),
};

QJsonValue getItemPedido(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    keyValue(params, 2, statusArg);
    const DataPacket items =
        orderPacket(context.db, itemColumns, QStringLiteral("FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRITEMPED"), order);
    const DataPacket postings = orderPacket(
        context.db, invoicePostingColumns,
        QStringLiteral("FROM ITEMNOTAFISCAL I"
                       " INNER JOIN NOTAFISCAL N ON N.CDFILIEMIT = I.CDFILIEMIT AND N.NRLANCTONF = I.NRLANCTONF"
                       " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND N.IDSITNF <> 'C'"
                       " ORDER BY I.NRITEMPED, N.DTENTRSAID, N.NRLANCTONF"),
        order);
    return QJsonArray{items.toJson(), postings.toJson()};
}

// ---- taxes and totals ----------------------------------------------------------

const QList<SelectColumn> orderTaxColumns = {
    text(QStringLiteral("CDFILIAL"), 4, QStringLiteral("T.CDFILIAL")),
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("T.NRPEDIDO")),
    text(QStringLiteral("CDIMPOSTO"), 2, QStringLiteral("T.CDIMPOSTO")),
    number(QStringLiteral("VRTOTIMPPED"), QStringLiteral("T.VRTOTIMPPED")),
    number(QStringLiteral("VRTOTBCALCPED"), QStringLiteral("T.VRTOTBCALCPED")),
    text(QStringLiteral("SGIMPOSTO"), 10, QStringLiteral("I.SGIMPOSTO")),
    text(QStringLiteral("IDTRATIMPO"), 1, QStringLiteral("COALESCE(T.IDTRATIMPO, I.IDTRATIMPO)")),
};

QJsonValue getImposPedTot(CallContext& context, QJsonArray& params)
{
    return orderPacket(context.db, orderTaxColumns,
                       QStringLiteral("FROM IMPOSPEDTOT T LEFT JOIN IMPOSTO I ON I.CDIMPOSTO = T.CDIMPOSTO"
                                      " WHERE T.CDFILIAL = ? AND T.NRPEDIDO = ? ORDER BY T.CDIMPOSTO"),
                       orderKeyArgs(params))
        .toJson();
}

const QList<FieldDef> orderTotalFields = {
    textField(QStringLiteral("CDFILIAL"), 4),     textField(QStringLiteral("NRPEDIDO"), 10),
    floatField(QStringLiteral("ENCARGOACRESC")),  floatField(QStringLiteral("ENCARGODECRESC")),
    floatField(QStringLiteral("IMPOSACRES")),     floatField(QStringLiteral("IMPOSDECRES")),
    floatField(QStringLiteral("VRTOTAL")),        floatField(QStringLiteral("VRRECEBIMENTO")),
    floatField(QStringLiteral("DESCPED")),        floatField(QStringLiteral("VRBONI")),
};

// One row of the order's totals; none for an order that is not stored.
QJsonValue getImposEncar(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    DataPacket packet = emptyPacket(orderTotalFields);
    if (!orderExists(context.db, order))
        return packet.toJson();

    const OrderTotals totals = orderTotals(context.db, order);
    packet.rows.append({order.branch, order.number, totals.chargesAdded, totals.chargesDeducted, totals.taxesAdded,
                        totals.taxesDeducted, totals.goods, totals.receivable, totals.discount, totals.bonus});
    return packet.toJson();
}

// ---- side data of the current item -----------------------------------------------

// Argument positions of GetDadosAfterScroll.
enum AfterScrollArg {
    BranchArg = 0, BlankArg, OrderArg, ItemArg, ProductArg, StockProductArg, ItemStatusArg, CustomerArg,
    StockFlagArg, QuantitiesFlagArg, TaxesWantedArg, TaxesShownArg, AllArg, OperationArg, AfterScrollArgCount
};

// One row per lot and location of the stock product at the branch.
// QTRESPRODPED is what this item reserved there; QTDISPONIVEL the lot's
// stock less every reservation on it.
const QList<SelectColumn> stockPositionColumns = {
    text(QStringLiteral("CDFABRIC"), 20, QStringLiteral("L.CDFABRIC")),
    text(QStringLiteral("NMFABRIC"), 50, QStringLiteral("F.NMFABRIC")),
    text(QStringLiteral("CDALMOXARIFE"), 6, QStringLiteral("E.CDALMOXARIFE")),
    text(QStringLiteral("DSALMOXARIFE"), 30, QStringLiteral("A.DSALMOXARIFE")),
    text(QStringLiteral("CDLOCALESTOQ"), 6, QStringLiteral("E.CDLOCALESTOQ")),
    text(QStringLiteral("DSLOCALESTOQ"), 30, QStringLiteral("LE.DSLOCALESTOQ")),
    text(QStringLiteral("NRLOTEESTQ"), 20, QStringLiteral("E.NRLOTEESTQ")),
    text(QStringLiteral("NRSUBLOTE"), 4, QStringLiteral("E.NRSUBLOTE")),
    number(QStringLiteral("QTTOTALESTOQ"), QStringLiteral("E.QTTOTALESTOQ")),
    number(QStringLiteral("QTRESPRODPED"), QStringLiteral("COALESCE(R.QTRESPRODPED, 0)")),
    dateTime(QStringLiteral("DTENTRLOTE"), QStringLiteral("L.DTENTRLOTE")),
    text(QStringLiteral("CDFILIAL"), 4, QStringLiteral("CAST(? AS VARCHAR(4))")),
    text(QStringLiteral("CDARVPROD"), 20, QStringLiteral("P.CDARVPROD")),
    text(QStringLiteral("CDPRODUTO"), 10, QStringLiteral("E.CDPRODUTO")),
    text(QStringLiteral("IDDISPCONPED"), 1, QStringLiteral("L.IDDISPCONPED")),
    text(QStringLiteral("NRPEDIDO"), 10, QStringLiteral("CAST(? AS VARCHAR(10))")),
    text(QStringLiteral("NRITEMPED"), 10, QStringLiteral("CAST(? AS VARCHAR(10))")),
    text(QStringLiteral("SGUNIDADE"), 10, QStringLiteral("P.SGUNIDADE")),
    text(QStringLiteral("CDPRODRES"), 10, QStringLiteral("E.CDPRODUTO")),
    dateTime(QStringLiteral("DTVALILOTE"), QStringLiteral("L.DTVALILOTE")),
    number(QStringLiteral("QTDISPONIVEL"), QStringLiteral("E.QTTOTALESTOQ - COALESCE(T.QTRESERVADA, 0)")),
    number(QStringLiteral("QTRESPRODARR"), QStringLiteral("R.QTRESPRODARR")),
    text(QStringLiteral("NRRESPRODPED"), 10, QStringLiteral("R.NRRESPRODPED")),
    text(QStringLiteral("CDORDENAFIL"), 4, QStringLiteral("E.CDFILIAL")),
    text(QStringLiteral("CDFILIALDEP"), 4, QStringLiteral("E.CDFILIAL")),
    text(QStringLiteral("NMPRINATIV"), 50, QStringLiteral("P.NMPRINATIV")),
};

} // namespace

QList<FieldDef> OrderPackets::stockPositionFields()
{
    return fieldsOf(stockPositionColumns);
}

namespace {

const QString lotKeyJoin = QStringLiteral("%1.CDFILIALDEP = E.CDFILIAL AND %1.CDALMOXARIFE = E.CDALMOXARIFE"
                                          " AND %1.CDLOCALESTOQ = E.CDLOCALESTOQ AND %1.CDPRODRES = E.CDPRODUTO"
                                          " AND %1.NRLOTEESTQ = E.NRLOTEESTQ AND %1.NRSUBLOTE = E.NRSUBLOTE");

DataPacket stockPosition(const QSqlDatabase& db, const OrderKey& order, const QString& item, const QString& stockProduct)
{
    return selectColumns(
        db, stockPositionColumns,
        QStringLiteral("FROM ESTOQUELOTE E"
                       " INNER JOIN LOTE L ON L.CDPRODUTO = E.CDPRODUTO AND L.NRLOTEESTQ = E.NRLOTEESTQ AND L.NRSUBLOTE = E.NRSUBLOTE"
                       " INNER JOIN PRODUTO P ON P.CDPRODUTO = E.CDPRODUTO"
                       " LEFT JOIN FABRICANTE F ON F.CDFABRIC = L.CDFABRIC"
                       " LEFT JOIN ALMOXARIFADO A ON A.CDFILIAL = E.CDFILIAL AND A.CDALMOXARIFE = E.CDALMOXARIFE"
                       " LEFT JOIN LOCALESTOQUE LE ON LE.CDFILIAL = E.CDFILIAL AND LE.CDALMOXARIFE = E.CDALMOXARIFE"
                       "  AND LE.CDLOCALESTOQ = E.CDLOCALESTOQ"
                       " LEFT JOIN (SELECT CDFILIALDEP, CDALMOXARIFE, CDLOCALESTOQ, CDPRODRES, NRLOTEESTQ, NRSUBLOTE,"
                       "  SUM(QTRESPRODPED) AS QTRESERVADA FROM RESPRODPED"
                       "  GROUP BY CDFILIALDEP, CDALMOXARIFE, CDLOCALESTOQ, CDPRODRES, NRLOTEESTQ, NRSUBLOTE) T ON %1"
                       " LEFT JOIN (SELECT CDFILIALDEP, CDALMOXARIFE, CDLOCALESTOQ, CDPRODRES, NRLOTEESTQ, NRSUBLOTE,"
                       "  MIN(NRRESPRODPED) AS NRRESPRODPED, SUM(QTRESPRODPED) AS QTRESPRODPED, SUM(QTRESPRODARR) AS QTRESPRODARR"
                       "  FROM RESPRODPED WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"
                       "  GROUP BY CDFILIALDEP, CDALMOXARIFE, CDLOCALESTOQ, CDPRODRES, NRLOTEESTQ, NRSUBLOTE) R ON %2"
                       " WHERE E.CDFILIAL = ? AND E.CDPRODUTO = ? AND E.QTTOTALESTOQ > 0"
                       " ORDER BY L.DTVALILOTE, E.NRLOTEESTQ, E.NRSUBLOTE, E.CDALMOXARIFE, E.CDLOCALESTOQ")
            .arg(lotKeyJoin.arg(QStringLiteral("T")), lotKeyJoin.arg(QStringLiteral("R"))),
        {order.branch, order.number, item, order.branch, order.number, item, order.branch, stockProduct});
}

// `cdsLoteUtil`: the lots a settled item actually shipped from.
const QList<SelectColumn> usedLotColumns = {
    text(QStringLiteral("CDFABRIC"), 20, QStringLiteral("L.CDFABRIC")),
    text(QStringLiteral("NMFABRIC"), 50, QStringLiteral("F.NMFABRIC")),
    text(QStringLiteral("CDFILIMOVI"), 4, QStringLiteral("NL.CDFILIMOVI")),
    text(QStringLiteral("CDALMOXARIFE"), 6, QStringLiteral("NL.CDALMOXARIFE")),
    text(QStringLiteral("CDLOCALESTOQ"), 6, QStringLiteral("NL.CDLOCALESTOQ")),
    text(QStringLiteral("NRLOTEESTQ"), 20, QStringLiteral("NL.NRLOTEESTQ")),
    text(QStringLiteral("NRSUBLOTE"), 4, QStringLiteral("NL.NRSUBLOTE")),
    dateTime(QStringLiteral("DTENTRLOTE"), QStringLiteral("L.DTENTRLOTE")),
    dateTime(QStringLiteral("DTVALILOTE"), QStringLiteral("L.DTVALILOTE")),
    text(QStringLiteral("SGUNIDADE"), 10, QStringLiteral("P.SGUNIDADE")),
    number(QStringLiteral("QTRESPRODPED"), QStringLiteral("NL.QTLOTEITNF")),
    number(QStringLiteral("QTDISPONIVEL"), QStringLiteral("COALESCE(E.QTTOTALESTOQ, 0)")),
    text(QStringLiteral("CDFILIAL"), 4, QStringLiteral("I.CDFILIAL")),
    text(QStringLiteral("CDFILIALDEP"), 4, QStringLiteral("NL.CDFILIMOVI")),
};

DataPacket usedLots(const QSqlDatabase& db, const OrderKey& order, const QString& item, const QString& stockProduct)
{
    return selectColumns(
        db, usedLotColumns,
        QStringLiteral("FROM ITEMNOTAFISCAL I"
                       " INNER JOIN NOTAFISCAL N ON N.CDFILIEMIT = I.CDFILIEMIT AND N.NRLANCTONF = I.NRLANCTONF"
                       " INNER JOIN ITEMNFLOTE NL ON NL.CDFILIEMIT = I.CDFILIEMIT AND NL.NRLANCTONF = I.NRLANCTONF"
                       "  AND NL.NRSEQITNF = I.NRSEQITNF"
                       " LEFT JOIN LOTE L ON L.CDPRODUTO = ? AND L.NRLOTEESTQ = NL.NRLOTEESTQ AND L.NRSUBLOTE = NL.NRSUBLOTE"
                       " LEFT JOIN FABRICANTE F ON F.CDFABRIC = L.CDFABRIC"
                       " LEFT JOIN PRODUTO P ON P.CDPRODUTO = ?"
                       " LEFT JOIN ESTOQUELOTE E ON E.CDFILIAL = NL.CDFILIMOVI AND E.CDALMOXARIFE = NL.CDALMOXARIFE"
                       "  AND E.CDLOCALESTOQ = NL.CDLOCALESTOQ AND E.CDPRODUTO = ? AND E.NRLOTEESTQ = NL.NRLOTEESTQ"
                       "  AND E.NRSUBLOTE = NL.NRSUBLOTE"
                       " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.NRITEMPED = ? AND N.IDSITNF <> 'C'"
                       " ORDER BY N.DTENTRSAID, NL.NRLOTEESTQ"),
        {stockProduct, stockProduct, stockProduct, order.branch, order.number, item});
}

// `cdsItemProImpos`: the stored taxes of the item.
const QList<SelectColumn> itemTaxColumns = {
    text(QStringLiteral("NRITEMPED"), 10, QStringLiteral("T.NRITEMPED")),
    text(QStringLiteral("CDIMPOSTO"), 2, QStringLiteral("T.CDIMPOSTO")),
    text(QStringLiteral("SGIMPOSTO"), 10, QStringLiteral("I.SGIMPOSTO")),
    number(QStringLiteral("VRBASECALC"), QStringLiteral("T.VRBASECALCITPED")),
    number(QStringLiteral("VRPERCIMPOS"), QStringLiteral("T.VRALIQITPED")),
    number(QStringLiteral("VRIMPOSTO"), QStringLiteral("T.VRIMPOSTOITPED")),
    text(QStringLiteral("IDTRATIMPO"), 1, QStringLiteral("COALESCE(T.IDTRATIMPO, I.IDTRATIMPO)")),
};

DataPacket itemTaxes(const QSqlDatabase& db, const OrderKey& order, const QString& item)
{
    return selectColumns(db, itemTaxColumns,
                         QStringLiteral("FROM ITEMPEDIMPOS T LEFT JOIN IMPOSTO I ON I.CDIMPOSTO = T.CDIMPOSTO"
                                        " WHERE T.CDFILIAL = ? AND T.NRPEDIDO = ? AND T.NRITEMPED = ? ORDER BY T.CDIMPOSTO"),
                         {order.branch, order.number, item});
}

QJsonValue getDadosAfterScroll(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params, BranchArg, OrderArg);
    keyValue(params, BlankArg, blankArg);
    const QString item = keyValue(params, ItemArg, itemArg);
    const QString product = keyValue(params, ProductArg, productArg);
    QString stockProduct = keyValue(params, StockProductArg, productArg);
    const QString itemStatus = keyValue(params, ItemStatusArg, statusArg);
    const QString customer = keyValue(params, CustomerArg, customerArg);
    const bool wantsStock = flagValue(params, StockFlagArg, "Posição de estoque");
    const bool wantsQuantities = flagValue(params, QuantitiesFlagArg, "Quantidades");
    const bool wantsTaxes = flagValue(params, TaxesWantedArg, "Impostos do item");
    flagValue(params, TaxesShownArg, "Exibe impostos");
    keyValue(params, AllArg, statusArg);
    const QString operation = keyValue(params, OperationArg, operationArg);

    if (stockProduct.isEmpty())
        stockProduct = stockProductOf(context.db, product);
    params[StockProductArg] = stockProduct;

    const bool settled = itemStatus == u"4";
    DataPacket position = emptyPacket(fieldsOf(settled ? usedLotColumns : stockPositionColumns));
    if (wantsStock && !stockProduct.isEmpty())
        position = settled ? usedLots(context.db, order, item, stockProduct) : stockPosition(context.db, order, item, stockProduct);
    const bool quantities = wantsQuantities && !stockProduct.isEmpty();
    const double ordered = quantities ? openQuantity(context.db, order.branch, stockProduct, orders) : 0.0;
    const double quoted = quantities ? openQuantity(context.db, order.branch, stockProduct, quotations) : 0.0;
    const double available = quantities ? availableQuantity(context.db, order.branch, stockProduct) : 0.0;
    const DataPacket taxes = wantsTaxes && !order.isEmpty() && !item.isEmpty() ? itemTaxes(context.db, order, item)
                                                                              : emptyPacket(fieldsOf(itemTaxColumns));
    return QJsonArray{position.toJson(),
                      ordered,
                      taxes.toJson(),
                      lastPrices(context.db, order, product, customer).toJson(),
                      available,
                      stockControl(context.db, order.branch, stockProduct, operation),
                      quoted};
}

// ---- sales multiple and discount proportions -----------------------------------

// A quantity as the screen writes it: "12.5", or the Brazilian "12,5".
double quantityValue(const QJsonArray& params, int index)
{
    const QString text = params.at(index).toString().trimmed();
    bool ok = false;
    double value = text.toDouble(&ok);
    if (!ok)
        value = QLocale(QLocale::Portuguese, QLocale::Brazil).toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        throw MethodError(QStringLiteral("Quantidade inválida: \"%1\".").arg(text.left(40)).toStdString());
    return value;
}

QJsonValue getQtVolumes(CallContext& context, QJsonArray& params)
{
    const QString product = keyValue(params, 0, typedProductArg);
    return selectPacket(context.db, {floatField(QStringLiteral("QTVOLUMES"))},
                        QStringLiteral("SELECT QTVOLUMES FROM PRODUTO WHERE CDARVPROD = ?"), {product})
        .toJson();
}

// The customer's discount for the quantity: the proportion whose range
// holds it, the largest discount where ranges overlap.
QJsonValue getDesconto(CallContext& context, QJsonArray& params)
{
    const QString customer = keyValue(params, 0, customerArg);
    const QString product = keyValue(params, 1, productArg);
    const double quantity = quantityValue(params, 2);
    return selectPacket(context.db, {floatField(QStringLiteral("VRPERDESC"))},
                        QStringLiteral("SELECT VRPERDESC FROM DESCPROPCLIE WHERE CDCLIENTE = ? AND CDPRODUTO = ?"
                                       " AND QTINIDESC <= ? AND QTFINDESC >= ? ORDER BY VRPERDESC DESC LIMIT 1"),
                        {customer, product, quantity, quantity})
        .toJson();
}

// The quantity up to which the customer's discount proportions of the
// product reach; no row when the customer has none.
QJsonValue getQtProd(CallContext& context, QJsonArray& params)
{
    const QString product = keyValue(params, 0, typedProductArg);
    const QString customer = keyValue(params, 1, customerArg);
    return selectPacket(context.db, {floatField(QStringLiteral("QTFINDESC"))},
                        QStringLiteral("SELECT MAX(D.QTFINDESC) FROM DESCPROPCLIE D INNER JOIN PRODUTO P ON P.CDPRODUTO = D.CDPRODUTO"
                                       " WHERE P.CDARVPROD = ? AND D.CDCLIENTE = ? HAVING COUNT(*) > 0"),
                        {product, customer})
        .toJson();
}

// ---- registration --------------------------------------------------------------

} // namespace

void registerLanPedidoItems(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetItemPedido"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
         textArg(QStringLiteral("status"), statusDoc)},
        QStringLiteral("Loads the items of an order and the invoice postings of its items."),
        QStringLiteral("Value array: [0] the items, every data field of the item record set (66 fields, VRITEPREBASE ... "
                       "IDPRODBONIF) by NRITEMPED; [1] invoice postings NRLANCTONF, DTENTRSAID, NRPEDIDO, NRITEMPED of the "
                       "items (cancelled invoices left out).")
            + unknownOrderDoc,
        getItemPedido));
    registry.add(readMethod(
        QStringLiteral("GetImposPedTot"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc)},
        QStringLiteral("Loads the tax totals of an order."),
        QStringLiteral("Data packet CDFILIAL, NRPEDIDO, CDIMPOSTO, VRTOTIMPPED, VRTOTBCALCPED, SGIMPOSTO (10), IDTRATIMPO "
                       "(1), one row per tax, by CDIMPOSTO.")
            + unknownOrderDoc,
        getImposPedTot));
    registry.add(readMethod(
        QStringLiteral("GetImposEncar"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc)},
        QStringLiteral("Works out the order totals from the stored items, taxes and charges (docs/taxes.md). Cancelled items "
                       "count nothing; per item the goods value is RoundDec(VRPREUNITPED, 2) x QTITEMPED at the cent, less "
                       "RoundDec(VRDESITPED, 2)."),
        QStringLiteral("Data packet with one row: CDFILIAL, NRPEDIDO, ENCARGOACRESC and ENCARGODECRESC (charges of kind "
                       "\"A\" and \"D\"), IMPOSACRES and IMPOSDECRES (tax totals treated \"A\" and \"D\"; taxes included "
                       "in the price count in neither), VRTOTAL (goods less discounts), VRRECEBIMENTO (VRTOTAL - VRBONI + "
                       "IMPOSACRES - IMPOSDECRES + ENCARGOACRESC - ENCARGODECRESC), DESCPED (item discounts), VRBONI "
                       "(net value of the free-goods items, IDPRODBONIF \"S\"). No row for an order that is not stored.")
            + unknownOrderDoc,
        getImposEncar));
    registry.add(readMethod(
        QStringLiteral("GetDadosAfterScroll"),
        {textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("blank"), QStringLiteral("An empty string; not read (up to 20 characters).")),
         textArg(QStringLiteral("order"), orderDoc),
         textArg(QStringLiteral("item"), QStringLiteral("Item number (NRITEMPED), up to 10 characters.")),
         textArg(QStringLiteral("product"), QStringLiteral("Product code of the item (CDPRODUTO), up to 10 characters.")),
         textArg(QStringLiteral("stockProduct"),
                 QStringLiteral("By reference: the stock product (CDPRODESTO); when empty the server finds it from the product."),
                 true),
         textArg(QStringLiteral("itemStatus"), QStringLiteral("Item status (IDSITITEMPED); \"4\" asks for the lots used.")),
         textArg(QStringLiteral("customer"), QStringLiteral("Customer of the order (CDCLIENTE), up to 21 characters.")),
         textArg(QStringLiteral("stockFlag"), QStringLiteral("By reference: \"S\" asks for the stock position."), true),
         textArg(QStringLiteral("quantitiesFlag"), QStringLiteral("By reference: \"S\" asks for the ordered, quoted and available "
                                                                  "quantities."), true),
         textArg(QStringLiteral("taxesWanted"), QStringLiteral("By reference: \"S\" asks for the item's taxes."), true),
         textArg(QStringLiteral("taxesShown"), QStringLiteral("By reference: \"S\" when the screen shows item taxes; not read."),
                 true),
         textArg(QStringLiteral("all"), QStringLiteral("By reference: \"T\", or empty while the item is edited; not read."), true),
         textArg(QStringLiteral("operationType"), QStringLiteral("Operation type of the order (CDTIPOOPER), up to 2 characters."))},
        QStringLiteral("Loads what the order-entry screen shows beside the current item. Flags are \"S\", \"N\" or empty."),
        QStringLiteral("Value array of 7: [0] with the stock flag, the stock position of the stock product at the branch (CDFABRIC, "
                       "NMFABRIC, CDALMOXARIFE, DSALMOXARIFE, CDLOCALESTOQ, DSLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, QTTOTALESTOQ, "
                       "QTRESPRODPED (this item's reservation), DTENTRLOTE, CDFILIAL, CDARVPROD, CDPRODUTO, IDDISPCONPED, "
                       "NRPEDIDO, NRITEMPED, SGUNIDADE, CDPRODRES, DTVALILOTE, QTDISPONIVEL (stock less all reservations), "
                       "QTRESPRODARR, NRRESPRODPED, CDORDENAFIL, CDFILIALDEP, NMPRINATIV; one row per lot and location with "
                       "stock), or for item status \"4\" the lots its invoices shipped (CDFABRIC, NMFABRIC, CDFILIMOVI, "
                       "CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, DTENTRLOTE, DTVALILOTE, SGUNIDADE, QTRESPRODPED, "
                       "QTDISPONIVEL, CDFILIAL, CDFILIALDEP); empty without the flag; [1] with the quantities flag, the open "
                       "quantity of the stock product in orders at the branch, in stock units, else 0; [2] with the taxes "
                       "flag, the item's taxes NRITEMPED, CDIMPOSTO, SGIMPOSTO, VRBASECALC, VRPERCIMPOS, VRIMPOSTO, IDTRATIMPO; "
                       "[3] the customer's last purchases of the product at the branch in other orders, NRPEDIDO, DTPEDIDO, "
                       "QTITEMPED, VRPREUNITPED, newest first, at most 10; [4] with the quantities flag, the branch's stock "
                       "less all reservations; [5] stock control: \"S\" controlled, \"F\" the branch does not control stock, "
                       "\"T\" the operation type does not move stock, \"P\" the product is not controlled; [6] with the "
                       "quantities flag, the open quantity in quotations. The by-reference stock product comes back found; "
                       "the flags come back unchanged. A flag other than \"S\", \"N\" or empty, or a code longer than its "
                       "column, fails with a message naming it."),
        getDadosAfterScroll));
    const QString typedProductDoc = QStringLiteral("Product code as the clerk types it (CDARVPROD), up to 20 characters.");
    registry.add(readMethod(QStringLiteral("GetQtVolumes"), {textArg(QStringLiteral("product"), typedProductDoc)},
                            QStringLiteral("Reads the product's sales multiple."),
                            QStringLiteral("Data packet QTVOLUMES (null when the product has none); no row for an unknown "
                                           "product."),
                            getQtVolumes));
    registry.add(readMethod(
        QStringLiteral("GetDesconto"),
        {textArg(QStringLiteral("customer"), QStringLiteral("Customer of the order (CDCLIENTE), up to 21 characters.")),
         textArg(QStringLiteral("product"), QStringLiteral("Product (CDPRODUTO), up to 10 characters.")),
         textArg(QStringLiteral("quantity"), QStringLiteral("The item's quantity as text (\"12.5\" or \"12,5\").") )},
        QStringLiteral("Reads the customer's discount proportion for the product and quantity (DESCPROPCLIE)."),
        QStringLiteral("Data packet VRPERDESC: the proportion whose range QTINIDESC ... QTFINDESC holds the quantity "
                       "(the largest where ranges overlap); no row when none does."),
        getDesconto));
    registry.add(readMethod(
        QStringLiteral("getQtProd"),
        {textArg(QStringLiteral("product"), typedProductDoc),
         textArg(QStringLiteral("customer"), QStringLiteral("Customer of the order (CDCLIENTE), up to 21 characters."))},
        QStringLiteral("Reads how far the customer's discount proportions of the product reach."),
        QStringLiteral("Data packet QTFINDESC, the highest end of the customer's ranges for the product; no row when "
                       "the customer has none."),
        getQtProd));
}
