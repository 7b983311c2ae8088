// The customer of an order as the order-entry screen checks it: the
// customer's row with everything a new customer may bring into the order
// (seller, base price, operation type, discount condition, route, carrier,
// freight, modality) and its latest order at the branch; and the order's
// note, which a customer's standing note may fill.

#include "argument_checks.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "topics.h"

namespace {

using OrderPackets::memo;
using OrderPackets::number;
using OrderPackets::text;

// The customer record set, field by field in its order. The two "?" of the
// select list are the branch (latest order) and the order's modality.
const QList<SelectColumn> customerColumns = {
    text("CDCLIENTE", 21, "C.CDCLIENTE"),
    text("IDTPIJURCLIE", 1, "C.IDTPIJURCLIE"),
    text("CDVENDEDOR", 4, "C.CDVENDEDOR"),
    text("IDTPIJURVEN", 1, "V.IDTPIJURVEN"),
    number("VRPECOMVEN", "V.VRPECOMVEN"),
    text("NMFANVEN", 50, "V.NMFANVEN"),
    text("NRINSJURCLIE", 20, "C.NRINSJURCLIE"),
    text("NMFANTCLIE", 50, "C.NMFANTCLIE"),
    text("NMRAZSOCCLIE", 50, "C.NMRAZSOCCLIE"),
    text("NMPAIS", 30, "PA.NMPAIS"),
    text("SGESTADO", 2, "COALESCE(E.SGESTADO, C.SGESTADO)"),
    text("NMMUNICIPIO", 30, "MU.NMMUNICIPIO"),
    text("DSENDECLIE", 50, "E.DSENDECLIE"),
    text("IDGRAVOBSCLIPED", 1, "C.IDGRAVOBSCLIPED"),
    text("IDPGFRETTRANCLI", 1, "C.IDPGFRETTRANCLI"),
    text("IDTIPOCLIE", 1, "C.IDTIPOCLIE"),
    text("CDTIPOOPERPED", 2, "C.CDTIPOOPERPED"),
    text("CDGRUPOFISC", 3, "C.CDGRUPOFISC"),
    memo("DSOBSERVCLIE", "C.DSOBSERVCLIE"),
    text("NRINSESTCLIE", 20, "C.NRINSESTCLIE"),
    text("IDENDEMISCLI", 1, "C.IDENDEMISCLI"),
    number("VRPEMAXDESCL", "C.VRPEMAXDESCL"),
    text("IDBLOQUEADO", 1, "C.IDBLOQUEADO"),
    text("NRTELECLIE", 25, "C.NRTELECLIE"),
    text("NRINSJURTRAN", 20, "C.NRINSJURTRAN"),
    text("IDTPIJURTRAN", 1, "C.IDTPIJURTRAN"),
    text("CDTIPTRANS", 4, "C.CDTIPTRANS"),
    text("NMFANTTRAN", 40, "T.NMFANTTRAN"),
    text("NMTIPTRANS", 40, "TT.NMTIPTRANS"),
    text("CDMODPGTO", 5, "M.CDMODPGTO"),
    text("DSMODPGTO", 100, "M.DSMODPGTO"),
    text("CDTIPODESC", 10, "C.CDTIPODESC"),
    text("NMTIPODESC", 50, "CD.NMTIPODESC"),
    number("QTPRITPDESC", "CD.QTPRITPDESC"),
    number("QTSEGTPDESC", "CD.QTSEGTPDESC"),
    number("QTTERTPDESC", "CD.QTTERTPDESC"),
    number("QTQUATPDESC", "CD.QTQUATPDESC"),
    number("QTQUITPDESC", "CD.QTQUITPDESC"),
    number("QTSEXTPDESC", "CD.QTSEXTPDESC"),
    number("QTSETTPDESC", "CD.QTSETTPDESC"),
    number("QTOITTPDESC", "CD.QTOITTPDESC"),
    text("CDPRECOBASE", 2,
         "COALESCE((SELECT MIN(PB.CDPRECOBASE) FROM PRECOBASECLI PB"
         " WHERE PB.CDCLIENTE = C.CDCLIENTE AND PB.IDPRBASEPRIN = 'S'), V.CDPRECOBASE)"),
    text("ULT_NRPEDIDO", 10,
         "(SELECT MAX(P.NRPEDIDO) FROM PEDIDO P WHERE P.CDFILIAL = ? AND P.CDCLIENTE = C.CDCLIENTE)"),
    text("NMTIPOOPER", 30, "OP.NMTIPOOPER"),
    text("IDENTRSAIDOP", 1, "OP.IDENTRSAIDOP"),
    text("IDORIGDESTOP", 1, "OP.IDORIGDESTOP"),
    text("CDROTATRANS", 6, "C.CDROTATRANS"),
    text("NMROTATRANS", 50, "R.NMROTATRANS"),
    text("IDLOCALENTREGACLIE", 1, "C.IDLOCALENTREGACLIE"),
    text("IDPESQTRANSP", 1, "C.IDPESQTRANSP"),
};

// The customer's own modality; without one, the order's stays.
const QString customerFrom = QStringLiteral(
    "FROM CLIENTE C"
    " LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = C.CDVENDEDOR"
    " LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.NRSEQEND = (SELECT MIN(E2.NRSEQEND) FROM ENDECLIE E2"
    "   WHERE E2.CDCLIENTE = C.CDCLIENTE AND E2.IDTPENDECLIE = 'P')"
    " LEFT JOIN PAIS PA ON PA.CDPAIS = E.CDPAIS"
    " LEFT JOIN MUNICIPIO MU ON MU.CDPAIS = E.CDPAIS AND MU.SGESTADO = E.SGESTADO AND MU.CDMUNICIPIO = E.CDMUNICIPIO"
    " LEFT JOIN TRANSPORT T ON T.IDTPIJURTRAN = C.IDTPIJURTRAN AND T.NRINSJURTRAN = C.NRINSJURTRAN"
    " LEFT JOIN TIPOTRANSP TT ON TT.CDTIPTRANS = C.CDTIPTRANS"
    " LEFT JOIN MODPGTO M ON M.CDMODPGTO = COALESCE(C.CDMODPGTO, ?)"
    " LEFT JOIN CONDDESC CD ON CD.CDTIPODESC = C.CDTIPODESC"
    " LEFT JOIN TIPOOPERAC OP ON OP.CDTIPOOPER = C.CDTIPOOPERPED"
    " LEFT JOIN ROTATRANS R ON R.CDROTATRANS = C.CDROTATRANS"
    " WHERE C.CDCLIENTE = ?"
    "   AND (? = 'T' OR C.IDBLOQUEADO = ?)"
    "   AND (? = 'N' OR C.CDVENDEDOR = ?)");

QJsonValue getCliente(CallContext& context, QJsonArray& params)
{
    if (!params.at(0).isBool())
        throw MethodError("Vendedor logado fixo deve ser verdadeiro ou falso.");
    const bool sellerFixed = params.at(0).toBool();
    const QString seller = keyValue(params, 1, sellerArg).trimmed();
    const QString customer = keyValue(params, 2, customerArg).trimmed();
    const QString mode = checkedCode(params, 3, "Situação de bloqueio", {QStringLiteral("T"), QStringLiteral("N"), QStringLiteral("S")});
    const QString branch = keyValue(params, 4, branchArg);
    const QString modality = keyValue(params, 5, modalityArg).trimmed();
    if (customer.isEmpty() || (sellerFixed && seller.isEmpty()))
        return emptyPacket(fieldsOf(customerColumns)).toJson();
    const QVariant modalityValue = modality.isEmpty() ? QVariant() : QVariant(modality);
    const QString fixed = sellerFixed ? QStringLiteral("S") : QStringLiteral("N");
    return selectColumns(context.db, customerColumns, customerFrom,
                         {branch, modalityValue, customer, mode, mode, fixed, seller})
        .toJson();
}

const QList<FieldDef> noteFields = {
    textField(QStringLiteral("CDFILIAL"), 4),
    textField(QStringLiteral("NRPEDIDO"), 10),
    memoField(QStringLiteral("TXOBSPED")),
};

QJsonValue getObser(CallContext& context, QJsonArray& params)
{
    const QString branch = keyValue(params, 0, branchArg);
    const QString order = keyValue(params, 1, orderArg);
    if (branch.isEmpty() || order.isEmpty())
        return emptyPacket(noteFields).toJson();
    return selectPacket(context.db, noteFields,
                        QStringLiteral("SELECT CDFILIAL, NRPEDIDO, TXOBSPED FROM OBSPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                        {branch, order})
        .toJson();
}

} // namespace

void registerLanPedidoCustomer(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetCliente"),
        {ArgSpec{QStringLiteral("loggedSellerFixed"), ArgKind::Boolean, false, false,
                 QStringLiteral("True when the screen fixes the logged-in seller: only that seller's customers are found.")},
         textArg(QStringLiteral("seller"), QStringLiteral("Seller code (CDVENDEDOR) on the screen, up to 4 characters.")),
         textArg(QStringLiteral("customer"), QStringLiteral("Customer code (CDCLIENTE), up to 21 characters.")),
         textArg(QStringLiteral("mode"), QStringLiteral("\"T\" any customer, \"N\" only customers not blocked, \"S\" only blocked ones.")),
         textArg(QStringLiteral("branch"), QStringLiteral("Branch code (CDFILIAL) of the order, up to 4 characters.")),
         textArg(QStringLiteral("modality"), QStringLiteral("Payment modality (CDMODPGTO) of the order, up to 5 characters."))},
        QStringLiteral("Reads a customer with what it brings into an order."),
        QStringLiteral("Data packet of the customer record set, one row or none: CDCLIENTE, IDTPIJURCLIE, CDVENDEDOR, "
                       "IDTPIJURVEN, VRPECOMVEN, NMFANVEN (the customer's seller), NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, "
                       "NMPAIS, SGESTADO, NMMUNICIPIO, DSENDECLIE (principal address), IDGRAVOBSCLIPED, IDPGFRETTRANCLI, "
                       "IDTIPOCLIE, CDTIPOOPERPED, CDGRUPOFISC, DSOBSERVCLIE (memo), NRINSESTCLIE, IDENDEMISCLI, VRPEMAXDESCL, "
                       "IDBLOQUEADO, NRTELECLIE, NRINSJURTRAN, IDTPIJURTRAN, CDTIPTRANS, NMFANTTRAN, NMTIPTRANS, CDMODPGTO, "
                       "DSMODPGTO (the customer's modality, or the order's when the customer has none), CDTIPODESC, "
                       "NMTIPODESC, QTPRITPDESC ... QTOITTPDESC, CDPRECOBASE (the customer's principal price table, else "
                       "the seller's), ULT_NRPEDIDO (the customer's highest order number at the branch), NMTIPOOPER, "
                       "IDENTRSAIDOP, IDORIGDESTOP (the customer's operation type), CDROTATRANS, NMROTATRANS, "
                       "IDLOCALENTREGACLIE, IDPESQTRANSP. No row for an unknown customer, one the mode leaves out, or, with "
                       "the seller fixed, a customer of another seller (or no seller given). A code longer than its column "
                       "or another mode fails with a message naming it."),
        getCliente));
    registry.add(readMethod(
        QStringLiteral("GetObser"),
        {textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("order"), QStringLiteral("Order number (NRPEDIDO), up to 10 characters."))},
        QStringLiteral("Reads the note of an order."),
        QStringLiteral("Data packet CDFILIAL (4), NRPEDIDO (10), TXOBSPED (memo): one row when the order has a note, else "
                       "none (also for an empty branch or order). A code longer than its column fails with a message "
                       "naming it."),
        getObser));
}
