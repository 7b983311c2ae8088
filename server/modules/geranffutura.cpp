// Ped00120.rdmGeraNFFutura: the future-delivery invoice of an order, issued
// before the goods leave. GeraNFFutura creates the invoice and one line per
// live item in one transaction and marks the order with it; an order has at
// most one such invoice that is not cancelled. GetNFFutura reads it back.

#include "topics.h"

#include "argument_checks.h"
#include "goods_value.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/counters.h"
#include "store/sql.h"

#include <QDateTime>
#include <QJsonArray>
#include <QMap>

namespace {

using OrderPackets::OrderKey;

enum Arg : int { BranchArg = 0, OrderArg, OperationArg, SeriesArg };

constexpr KeyArg seriesArg{"Série", 5};

const QString futureInvoiceWhere = QStringLiteral(
    " FROM NOTAFISCAL WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDVENDAFUTURA = 'S' AND IDSITNF <> 'C'");

OrderKey orderArgs(QJsonArray& params)
{
    const OrderKey order = OrderPackets::orderKeyArgs(params, BranchArg, OrderArg);
    if (order.isEmpty())
        throw MethodError("Informe a filial e o número do pedido.");
    params[BranchArg] = order.branch;
    params[OrderArg] = order.number;
    return order;
}

// The operation types the dialog offers: outgoing, of kind F or C, that do
// not move stock, in use, and not blocked for the branch.
bool operationOffered(const QSqlDatabase& db, const QString& branch, const QString& operation)
{
    return selectValue(db,
                       QStringLiteral("SELECT 1 FROM TIPOOPERAC T WHERE T.CDTIPOOPER = ? AND T.IDENTRSAIDOP = 'S'"
                                      " AND T.IDORIGDESTOP IN ('F', 'C') AND T.IDATUESTTPOP = 'N' AND T.IDUTILOPER = 'S'"
                                      " AND NOT EXISTS (SELECT 1 FROM TIPOOPERACFIL F WHERE F.CDFILIAL = ? AND F.CDTIPOOPER = T.CDTIPOOPER"
                                      "  AND F.IDENTRSAIDOP = 'S' AND F.IDLIBERADO = 'N')"),
                       {operation, branch})
        .isValid();
}

// A series of the company and registrations of the order's branch.
bool seriesOffered(const QSqlDatabase& db, const QString& branch, const QString& series)
{
    return selectValue(db,
                       QStringLiteral("SELECT 1 FROM SERIENF S INNER JOIN FILIAL F ON F.CDEMPRESA = S.CDEMPRESA"
                                      " AND F.CDINSCESTA = S.CDINSCESTA AND F.CDINSCMUNI = S.CDINSCMUNI"
                                      " WHERE F.CDFILIAL = ? AND S.CDSERIE = ?"),
                       {branch, series})
        .isValid();
}

struct Line {
    QString item;
    QString product;
    double quantity = 0;
    double price = 0;
    double value = 0;
};

// Products of the lines without a rate for a tax every sold product needs:
// neither their own rate nor a rule of the customer's fiscal group for
// them or for every product.
DataPacket missingTaxes(const QSqlDatabase& db, const OrderKey& order)
{
    QSqlQuery query = execSql(
        db,
        QStringLiteral("SELECT DISTINCT P.CDARVPROD, T.SGIMPOSTO FROM ITEMPEDIDO I"
                       " INNER JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                       " INNER JOIN PEDIDO O ON O.CDFILIAL = I.CDFILIAL AND O.NRPEDIDO = I.NRPEDIDO"
                       " LEFT JOIN CLIENTE C ON C.CDCLIENTE = O.CDCLIENTE"
                       " CROSS JOIN IMPOSTO T"
                       " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.IDSITITEMPED <> '5' AND T.IDOBRIGATORIO = 'S'"
                       " AND NOT EXISTS (SELECT 1 FROM PRODIMPOSTO X WHERE X.CDPRODUTO = I.CDPRODUTO AND X.CDIMPOSTO = T.CDIMPOSTO)"
                       " AND NOT EXISTS (SELECT 1 FROM REGRAIMPOSTO R WHERE R.CDGRUPOFISC = C.CDGRUPOFISC"
                       "  AND R.CDIMPOSTO = T.CDIMPOSTO AND R.CDPRODUTO IN (I.CDPRODUTO, '*'))"
                       " ORDER BY 1, 2"),
        {order.branch, order.number});
    QMap<QString, QStringList> taxesOf;
    while (query.next())
        taxesOf[query.value(0).toString()] << query.value(1).toString();
    DataPacket packet = emptyPacket({textField(QStringLiteral("CDARVPROD"), 20), textField(QStringLiteral("stImpostos"), 50)});
    for (auto it = taxesOf.cbegin(); it != taxesOf.cend(); ++it)
        packet.rows.append({it.key(), it.value().join(QStringLiteral(", ")).left(50)});
    return packet;
}

QString paddedNumber(qlonglong number, int digits)
{
    return QStringLiteral("%1").arg(number, digits, 10, QLatin1Char('0'));
}

QJsonValue geraNFFutura(CallContext& context, QJsonArray& params)
{
    const QSqlDatabase& db = context.db;
    const OrderKey order = orderArgs(params);
    const QString operation = keyValue(params, OperationArg, operationArg).trimmed();
    const QString series = keyValue(params, SeriesArg, seriesArg).trimmed();
    if (operation.isEmpty())
        throw MethodError("Tipo de operação deve ser informado.");
    if (series.isEmpty())
        throw MethodError("Série de saída deve ser informada.");
    // The order's row is locked first, so that two calls for one order queue
    // here and the second sees the first one's invoice.
    execChange(db, QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = IDSITPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {order.branch, order.number});
    QSqlQuery header = execSql(db, QStringLiteral("SELECT IDSITPEDIDO, CDCLIENTE FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                               {order.branch, order.number});
    if (!header.next())
        throw MethodError(QStringLiteral("Pedido %1 da filial %2 não encontrado.").arg(order.number, order.branch).toStdString());
    if (header.value(0).toString() != u"2")
        throw MethodError(QStringLiteral("Pedido %1 não está em andamento: não pode ter nota fiscal de venda futura.")
                              .arg(order.number)
                              .toStdString());
    const QString customer = header.value(1).toString();
    if (!operationOffered(db, order.branch, operation))
        return QJsonArray{QStringLiteral("TipoOper_N_Cad")};
    if (!seriesOffered(db, order.branch, series))
        return QJsonArray{QStringLiteral("Serie_N_Cad")};
    if (selectValue(db, QStringLiteral("SELECT 1") + futureInvoiceWhere, {order.branch, order.number}).isValid())
        return QJsonArray{QStringLiteral("NF_FUT_EX")};

    QSqlQuery items = execSql(db,
                              QStringLiteral("SELECT NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, VRDESITPED, IDSITITEMPED"
                                             " FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"
                                             " ORDER BY NRITEMPED"),
                              {order.branch, order.number});
    QList<Line> lines;
    bool allApproved = true;
    while (items.next()) {
        allApproved = allApproved && items.value(5).toString() == u"3";
        const double quantity = items.value(2).toDouble();
        const double price = items.value(3).toDouble();
        lines.append({items.value(0).toString(), items.value(1).toString(), quantity, RoundDec(price, 2),
                      RoundDec(netGoodsValue(price, quantity, items.value(4).toDouble()), 2)});
    }
    if (lines.isEmpty() || !allApproved)
        return QJsonArray{QStringLiteral("IT_N_APR")};
    const DataPacket missing = missingTaxes(db, order);
    if (!missing.rows.isEmpty())
        return QJsonArray{QStringLiteral("IMPOBRIG"), missing.toJson()};

    const QString postingNumber = paddedNumber(nextCounterValue(db, QStringLiteral("LANCTONF.") + order.branch), 10);
    const qlonglong lastInvoice =
        selectValue(db, QStringLiteral("SELECT MAX(CAST(NRNOTAFISCAL AS BIGINT)) FROM NOTAFISCAL WHERE CDFILIEMIT = ? AND CDSERIE = ?"),
                    {order.branch, series})
            .toLongLong();
    const QString invoiceNumber = paddedNumber(lastInvoice + 1, 9);
    double total = 0;
    for (const Line& line : lines)
        total += line.value;
    execChange(db,
               QStringLiteral("INSERT INTO NOTAFISCAL (CDFILIEMIT, NRLANCTONF, NRNOTAFISCAL, CDSERIE, DTENTRSAID, CDCLIENTE, CDTIPOOPER,"
                              " VRTOTALNF, IDSITNF, IDVENDAFUTURA, CDFILIAL, NRPEDIDO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'N', 'S', ?, ?)"),
               {order.branch, postingNumber, invoiceNumber, series, QDateTime::currentDateTime(), customer, operation, RoundDec(total, 2),
                order.branch, order.number});
    int sequence = 0;
    for (const Line& line : lines)
        execChange(db,
                   QStringLiteral("INSERT INTO ITEMNOTAFISCAL (CDFILIEMIT, NRLANCTONF, NRSEQITNF, CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO,"
                                  " QTITEMNF, VRUNITITNF, VRTOTALITNF) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {order.branch, postingNumber, paddedNumber(++sequence, 4), order.branch, order.number, line.item, line.product,
                    line.quantity, line.price, line.value});
    execChange(db, QStringLiteral("UPDATE PEDIDO SET DSNFVENDAFUTURA = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {order.branch + QLatin1Char('/') + invoiceNumber, order.branch, order.number});
    return QJsonArray{QStringLiteral("OK")};
}

QJsonValue getNFFutura(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderArgs(params);
    return selectPacket(context.db,
                        {dateTimeField(QStringLiteral("DTENTRSAID")), textField(QStringLiteral("CDFILIEMIT"), 4),
                         textField(QStringLiteral("CDFILIAL"), 4), textField(QStringLiteral("NRLANCTONF"), 10)},
                        QStringLiteral("SELECT DTENTRSAID, CDFILIEMIT, CDFILIAL, NRLANCTONF") + futureInvoiceWhere
                            + QStringLiteral(" ORDER BY DTENTRSAID"),
                        {order.branch, order.number})
        .toJson();
}

const QString orderRefsDoc = QStringLiteral(" Both written back as checked.");

} // namespace

void registerGeraNFFutura(MethodRegistry& registry)
{
    const QList<ArgSpec> orderArgSpecs{textArg(QStringLiteral("branch"), branchDoc + orderRefsDoc, true),
                                       textArg(QStringLiteral("order"), orderDoc, true)};
    QList<ArgSpec> generationArgs = orderArgSpecs;
    generationArgs << textArg(QStringLiteral("operationType"),
                              QStringLiteral("Operation type (CDTIPOOPER): outgoing, of kind \"F\" or \"C\", not moving stock, in "
                                             "use and not blocked for the branch."))
                   << textArg(QStringLiteral("series"),
                              QStringLiteral("Output series (CDSERIE) of the company and registrations of the order's branch."));
    registry.add(MethodSpec{
        ServerNames::GeraNFFutura, QStringLiteral("GeraNFFutura"), generationArgs,
        QStringLiteral("Issues the future-delivery invoice of an order in progress (status \"2\") whose live items are all "
                       "approved (\"3\"), in one transaction: a NOTAFISCAL row (IDVENDAFUTURA \"S\", issued by the order's "
                       "branch, posting number from the branch's LANCTONF counter, the next invoice number of the series, the "
                       "order's customer, the operation type, the items' net total) and one ITEMNOTAFISCAL line per live "
                       "item (its quantity, unit price and net value); the order's DSNFVENDAFUTURA becomes \"<branch>/<invoice "
                       "number>\". Only one invoice that is not cancelled per order. An outcome key other than \"OK\" stores "
                       "nothing. Refused with a message: an order not stored or not in progress, an empty operation type or "
                       "series, a code longer than its column."),
        QStringLiteral("Array: [\"OK\"] when issued; [\"IMPOBRIG\", packet] when a product lacks a rate for a mandatory tax "
                       "(IMPOSTO.IDOBRIGATORIO \"S\", no PRODIMPOSTO row and no REGRAIMPOSTO rule of the customer's fiscal "
                       "group): CDARVPROD (20), stImpostos (50, the taxes' SGIMPOSTO joined with \", \"); [\"NF_FUT_EX\"] "
                       "when the order already has one; [\"IT_N_APR\"] when an item is not approved or there is none; "
                       "[\"TipoOper_N_Cad\"] or [\"Serie_N_Cad\"] for an operation type or series not offered. branch and "
                       "order are written back."),
        geraNFFutura});

    MethodSpec lookup{ServerNames::GeraNFFutura, QStringLiteral("GetNFFutura"), orderArgSpecs,
                      QStringLiteral("The order's future-delivery invoice that is not cancelled. Refused with a message: an "
                                     "empty key, a code longer than its column."),
                      QStringLiteral("Packet DTENTRSAID (date-time of issue), CDFILIEMIT (4), CDFILIAL (4), NRLANCTONF (10); "
                                     "no row when the order has none. branch and order are written back."),
                      getNFFutura};
    lookup.readOnly = true;
    registry.add(lookup);
}
