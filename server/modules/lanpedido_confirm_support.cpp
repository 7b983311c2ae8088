// What the confirmation reads and writes beside SetConfirma: the
// modality's price adjustments (GetPrecoUtil), the branch's minimum order
// value (getVrMinPed), the items marked irregular after a review
// (SetItemIrregular), an order's confirmation history (GetHistPedido) and
// the hand-over to the logistics integration (IntegraNeolog).

#include "topics.h"

#include "argument_checks.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonArray>

namespace {

using OrderPackets::OrderKey;

constexpr KeyArg companyArg{"Empresa", 4};

QJsonValue getPrecoUtil(CallContext& context, QJsonArray& params)
{
    const QString company = keyValue(params, 0, companyArg).trimmed();
    const QString modality = keyValue(params, 1, modalityArg).trimmed();
    const QString branch = keyValue(params, 2, branchArg).trimmed();
    const QString basePrice = keyValue(params, 3, basePriceArg).trimmed();
    return selectPacketJson(context.db,
                            {textField(QStringLiteral("CDFILIAL"), 4), textField(QStringLiteral("CDMODPGTO"), 5),
                             textField(QStringLiteral("CDPRECOBASE"), 2), floatField(QStringLiteral("VRPEADPBASE"))},
                            QStringLiteral("SELECT R.CDFILIAL, R.CDMODPGTO, R.CDPRECOBASE, R.VRPEADPBASE FROM PARAMPRECO R"
                                           " INNER JOIN FILIAL F ON F.CDFILIAL = R.CDFILIAL"
                                           " WHERE R.CDFILIAL = ? AND R.CDMODPGTO = ? AND R.CDPRECOBASE = ? AND R.VRPEADPBASE <> 0"
                                           " AND (? = '' OR F.CDEMPRESA = ?)"),
                            {branch, modality, basePrice, company, company});
}

QJsonValue getVrMinPed(CallContext& context, QJsonArray& params)
{
    const QString branch = keyValue(params, 0, branchArg).trimmed();
    return selectPacketJson(context.db, {textField(QStringLiteral("CDFILIAL"), 4), floatField(QStringLiteral("VRMINPEDIDO"))},
                            QStringLiteral("SELECT CDFILIAL, VRMINPEDIDO FROM PARAMPEDIDO WHERE CDFILIAL = ?"), {branch});
}

// Each listed item of a stored order takes the IDITEMERRO it carries.
QJsonValue setItemIrregular(CallContext& context, QJsonArray& params)
{
    DataPacket items;
    try {
        items = DataPacket::fromJson(params.at(0).toObject());
    } catch (const DataPacketError& error) {
        throw MethodError(QStringLiteral("Itens do pedido inválidos: %1").arg(QString::fromUtf8(error.what())).toStdString());
    }
    const int branchAt = items.indexOf(QStringLiteral("CDFILIAL"));
    const int orderAt = items.indexOf(QStringLiteral("NRPEDIDO"));
    const int itemAt = items.indexOf(QStringLiteral("NRITEMPED"));
    const int flagAt = items.indexOf(QStringLiteral("IDITEMERRO"));
    if (branchAt < 0 || orderAt < 0 || itemAt < 0 || flagAt < 0)
        throw MethodError("Itens do pedido inválidos: faltam CDFILIAL, NRPEDIDO, NRITEMPED e IDITEMERRO.");
    for (const QVariantList& row : items.rows) {
        const QString flag = row.at(flagAt).toString();
        if (!flag.isEmpty() && flag != u"S" && flag != u"N")
            throw MethodError(QStringLiteral("IDITEMERRO inválido: \"%1\"; use \"S\" ou \"N\".").arg(flag.left(10)).toStdString());
        execChange(context.db,
                   QStringLiteral("UPDATE ITEMPEDIDO SET IDITEMERRO = ? WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"
                                  " AND IDSITITEMPED NOT IN ('4', '5')"),
                   {flag.isEmpty() ? QStringLiteral("N") : flag, row.at(branchAt), row.at(orderAt), row.at(itemAt)});
    }
    return QJsonValue::Null;
}

QJsonValue getHistPedido(CallContext& context, QJsonArray& params)
{
    const OrderKey order = OrderPackets::orderKeyArgs(params);
    return selectPacketJson(context.db,
                            {textField(QStringLiteral("CDFILIAL"), 4), textField(QStringLiteral("NRPEDIDO"), 10),
                             integerField(QStringLiteral("NRSEQHISTPED")), textField(QStringLiteral("CDOPERADOR"), 12),
                             dateTimeField(QStringLiteral("DTHRHISTPED")), memoField(QStringLiteral("TXALTERACOES"))},
                            QStringLiteral("SELECT CDFILIAL, NRPEDIDO, NRSEQHISTPED, CDOPERADOR, DTHRHISTPED, TXALTERACOES FROM HISTPEDIDO"
                                           " WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRSEQHISTPED"),
                            {order.branch, order.number});
}

// The operator's confirmed orders waiting in the outbox are released for
// the integration to read.
QJsonValue integraNeolog(CallContext& context, QJsonArray&)
{
    execChange(context.db, QStringLiteral("UPDATE SAIDALOGISTICA SET IDLIBERADO = 'S' WHERE CDOPERADOR = ? AND IDLIBERADO = 'N'"),
               {context.operatorCode});
    return QStringLiteral("OK");
}

} // namespace

void registerLanPedidoConfirmSupport(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetPrecoUtil"),
        {textArg(QStringLiteral("company"), QStringLiteral("Company code (CDEMPRESA) of the branch; empty for any.")),
         textArg(QStringLiteral("modality"), QStringLiteral("Payment modality (CDMODPGTO).")), textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("basePrice"), QStringLiteral("Base price (CDPRECOBASE), up to 2 characters."))},
        QStringLiteral("The automatic price adjustments of a payment modality for a base price at the branch (PARAMPRECO)."),
        QStringLiteral("Data packet CDFILIAL, CDMODPGTO, CDPRECOBASE, VRPEADPBASE (percent); a row only where the adjustment is not 0. "
                       "A code longer than its column fails with a message naming it."),
        getPrecoUtil));
    registry.add(readMethod(QStringLiteral("getVrMinPed"), {textArg(QStringLiteral("branch"), branchDoc)},
                            QStringLiteral("The branch's minimum order value (PARAMPEDIDO)."),
                            QStringLiteral("Data packet CDFILIAL, VRMINPEDIDO; no row for a branch without order-entry parameters."),
                            getVrMinPed));
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("SetItemIrregular"),
        {ArgSpec{QStringLiteral("items"), ArgKind::Packet, false, false,
                 QStringLiteral("Data packet of the order's items with CDFILIAL, NRPEDIDO, NRITEMPED and IDITEMERRO (\"S\", \"N\" or "
                                "empty for \"N\").")}},
        QStringLiteral("Stores each listed item's IDITEMERRO (the clerk's review left it irregular, or not). Items not stored, "
                       "settled or cancelled are left as they are."),
        QStringLiteral("Null. A malformed packet or another IDITEMERRO fails with a message."), setItemIrregular});
    registry.add(readMethod(
        QStringLiteral("GetHistPedido"), {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc)},
        QStringLiteral("The order's history: one row per stored confirmation."),
        QStringLiteral("Data packet CDFILIAL, NRPEDIDO, NRSEQHISTPED (1, 2, ...), CDOPERADOR, DTHRHISTPED, TXALTERACOES (JSON object: "
                       "the deltas applied by table name, RESPRODPED for the reservations, and the flags DTENTREGAALTERADA, "
                       "PRECOBASEALTERADO, CDVENDEDOR, CDVENDEDORANTERIOR as sent), by NRSEQHISTPED.")
            + unknownOrderDoc,
        getHistPedido));
    registry.add(MethodSpec{ServerNames::LanPedido, QStringLiteral("IntegraNeolog"), {},
                            QStringLiteral("Hands the orders the operator confirmed to the logistics integration: every stored "
                                           "confirmation wrote the order into the outbox (SAIDALOGISTICA) in its own transaction; "
                                           "this releases the operator's waiting rows (IDLIBERADO \"S\") for the integration to read."),
                            QStringLiteral("Text: \"OK\"."), integraNeolog});
}
