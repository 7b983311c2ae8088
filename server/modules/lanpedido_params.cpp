// What the order-entry screen loads before anything else: the general order
// parameter, the operator's permission row and, per branch, the opening set
// (price-table use, order parameters, dispatch parameters, discount
// conditions, the operator's seller binding).

#include "argument_checks.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "topics.h"

namespace {

SelectColumn text(const QString& name, int size, const QString& expression = {})
{
    return {textField(name, size), expression.isEmpty() ? QStringLiteral("P.") + name : expression};
}

SelectColumn number(const QString& name, const QString& expression = {})
{
    return {floatField(name), expression.isEmpty() ? QStringLiteral("P.") + name : expression};
}

// The parameters record set, field by field in its order. The names of the
// default seller, customer, modality and price table are taken from their
// tables, so a renamed seller shows its new name.
const QList<SelectColumn> paramPedidoColumns = {
    text(QStringLiteral("IDTPCOMPPROD"), 1),
    text(QStringLiteral("IDPERALTPRECO"), 1),
    text(QStringLiteral("CDMODPGTO"), 5),
    text(QStringLiteral("CDVENDEDOR"), 4),
    text(QStringLiteral("IDTABPRECO"), 1),
    text(QStringLiteral("IDUTRESELOTE"), 1),
    text(QStringLiteral("IDLANCPED"), 1),
    text(QStringLiteral("IDTESTAEST"), 1),
    text(QStringLiteral("IDOBRINFTRAN"), 1),
    text(QStringLiteral("NRDIASENTPED"), 4),
    number(QStringLiteral("NRMAXITNFPED")),
    text(QStringLiteral("IDEXIBPEDIDO"), 1),
    text(QStringLiteral("DSMODPGTO"), 100, QStringLiteral("COALESCE(M.DSMODPGTO, P.DSMODPGTO)")),
    text(QStringLiteral("IDMENSVEND"), 1),
    text(QStringLiteral("IDOBRTPOPPED"), 1),
    text(QStringLiteral("NMFANVEN"), 50, QStringLiteral("COALESCE(V.NMFANVEN, P.NMFANVEN)")),
    text(QStringLiteral("IDUTVALIPED"), 1),
    number(QStringLiteral("QTDIAVALIPED")),
    text(QStringLiteral("IDUTDESCMAXI"), 1),
    text(QStringLiteral("IDEXCLPEDIDO"), 1),
    text(QStringLiteral("CDTIPOOPER"), 2),
    text(QStringLiteral("CDCLIENTE"), 21),
    text(QStringLiteral("NMFANTCLIE"), 50, QStringLiteral("COALESCE(C.NMFANTCLIE, P.NMFANTCLIE)")),
    text(QStringLiteral("IDTPIJURCLIE"), 1, QStringLiteral("COALESCE(C.IDTPIJURCLIE, P.IDTPIJURCLIE)")),
    text(QStringLiteral("NRINSJURCLIE"), 20, QStringLiteral("COALESCE(C.NRINSJURCLIE, P.NRINSJURCLIE)")),
    text(QStringLiteral("IDEXIBDADORC"), 1),
    text(QStringLiteral("IDUTCTRELANP"), 1),
    text(QStringLiteral("IDEXIBIMPITPED"), 1),
    text(QStringLiteral("IDEXIBRENTPED"), 1),
    text(QStringLiteral("IDEXIBPRINATIV"), 1),
    text(QStringLiteral("IDLANENCARGOPED"), 1),
    text(QStringLiteral("IDEXIBEPRAZOPED"), 1),
    text(QStringLiteral("IDTIPOPEDINC"), 1),
    text(QStringLiteral("IDALTFORMAPAG"), 1),
    text(QStringLiteral("DSPERALTMAIOR"), 10),
    text(QStringLiteral("DSPERALTMENOR"), 10),
    text(QStringLiteral("CDGRUALTPRECO"), 2),
    text(QStringLiteral("IDEXIBVENDCOM"), 1),
    text(QStringLiteral("IDALTMODPAG"), 1),
    text(QStringLiteral("IDOBRDIMENSAO"), 1),
    text(QStringLiteral("IDALTPRECOPC"), 1),
    text(QStringLiteral("IDDIMEVARDESC"), 1),
    text(QStringLiteral("IDCALCPRECODIME"), 1),
    text(QStringLiteral("IDUTDEPOSITO"), 1),
    text(QStringLiteral("CDFILDEPOSITO"), 4),
    text(QStringLiteral("CDGRUNRENTAVEL"), 2),
    text(QStringLiteral("NRTPCUSTORENT"), 2),
    text(QStringLiteral("IDCONFISPRODCLIE"), 1),
    text(QStringLiteral("IDCONFISPRODFIL"), 1),
    text(QStringLiteral("IDCONFISPRODTRA"), 1),
    text(QStringLiteral("IDCALCPRECFAT"), 1),
    text(QStringLiteral("IDUTFILIALDESTINO"), 3),
    text(QStringLiteral("IDEXIBLOCALENTRCLI"), 3),
    number(QStringLiteral("VRPECOMVEN"), QStringLiteral("COALESCE(P.VRPECOMVEN, V.VRPECOMVEN)")),
    text(QStringLiteral("CDPRECOBASE"), 2),
    text(QStringLiteral("DSPRECOBASE"), 30, QStringLiteral("COALESCE(B.DSPRECOBASE, P.DSPRECOBASE)")),
    text(QStringLiteral("IDUTENDEENTRPED"), 1),
    text(QStringLiteral("IDCTRLESTQ"), 1),
    text(QStringLiteral("IDCONSORCSALDEST"), 1),
    text(QStringLiteral("CDFILIAL"), 4),
};

DataPacket priceTablesPerCustomer(const QSqlDatabase& db, const QString& branch)
{
    return selectPacket(db, {integerField(QStringLiteral("COUNT"))},
                        QStringLiteral("SELECT COUNT(*) FROM PRECOBASECLI C"
                                       " INNER JOIN PRECOBASEFIL F ON F.CDPRECOBASE = C.CDPRECOBASE"
                                       " WHERE F.CDFILIAL = ?"),
                        {branch});
}

DataPacket orderParameters(const QSqlDatabase& db, const QString& branch)
{
    return selectColumns(db, paramPedidoColumns,
                         QStringLiteral("FROM PARAMPEDIDO P"
                                        " LEFT JOIN MODPGTO M ON M.CDMODPGTO = P.CDMODPGTO"
                                        " LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = P.CDVENDEDOR"
                                        " LEFT JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                                        " LEFT JOIN PRECOBASE B ON B.CDPRECOBASE = P.CDPRECOBASE"
                                        " WHERE P.CDFILIAL = ?"),
                         {branch});
}

DataPacket dispatchParameters(const QSqlDatabase& db, const QString& branch)
{
    return selectPacket(db,
                        {textField(QStringLiteral("IDCTRLVENEXP"), 1), textField(QStringLiteral("IDGERPRODEST"), 1),
                         textField(QStringLiteral("IDCUSEXP"), 2)},
                        QStringLiteral("SELECT IDCTRLVENEXP, IDGERPRODEST, IDCUSEXP FROM PAREXPEDICAO WHERE CDFILIAL = ?"),
                        {branch});
}

DataPacket discountConditions(const QSqlDatabase& db)
{
    return selectPacket(db,
                        {textField(QStringLiteral("CDTIPODESC"), 10), textField(QStringLiteral("NMTIPODESC"), 50),
                         floatField(QStringLiteral("QTPRITPDESC")), floatField(QStringLiteral("QTSEGTPDESC")),
                         floatField(QStringLiteral("QTTERTPDESC")), floatField(QStringLiteral("QTQUATPDESC")),
                         floatField(QStringLiteral("QTQUITPDESC")), floatField(QStringLiteral("QTSEXTPDESC")),
                         floatField(QStringLiteral("QTSETTPDESC")), floatField(QStringLiteral("QTOITTPDESC"))},
                        QStringLiteral("SELECT CDTIPODESC, NMTIPODESC, QTPRITPDESC, QTSEGTPDESC, QTTERTPDESC,"
                                       " QTQUATPDESC, QTQUITPDESC, QTSEXTPDESC, QTSETTPDESC, QTOITTPDESC"
                                       " FROM CONDDESC WHERE IDATIVO = 'S' ORDER BY CDTIPODESC"));
}

DataPacket operatorSellerBinding(const QSqlDatabase& db, const QString& operatorCode)
{
    return selectPacket(db, {textField(QStringLiteral("CDOPERADOR"), 32)},
                        QStringLiteral("SELECT CDOPERADOR FROM OPERVENDEDOR WHERE CDOPERADOR = ?"),
                        {operatorCode});
}

DataPacket operatorSeller(const QSqlDatabase& db, const QString& operatorCode)
{
    return selectPacket(db,
                        {textField(QStringLiteral("CDVENDEDOR"), 4), textField(QStringLiteral("NMFANVEN"), 50),
                         floatField(QStringLiteral("VRPECOMVEN")), textField(QStringLiteral("CDPRECOBASE"), 2),
                         textField(QStringLiteral("DSPRECOBASE"), 30)},
                        QStringLiteral("SELECT V.CDVENDEDOR, V.NMFANVEN, V.VRPECOMVEN, V.CDPRECOBASE, B.DSPRECOBASE"
                                       " FROM OPERVENDEDOR O"
                                       " INNER JOIN VENDEDOR V ON V.CDVENDEDOR = O.CDVENDEDOR"
                                       " LEFT JOIN PRECOBASE B ON B.CDPRECOBASE = V.CDPRECOBASE"
                                       " WHERE O.CDOPERADOR = ? AND V.IDVENDATIVO = 'S'"),
                        {operatorCode});
}

QJsonValue getAbertura(CallContext& context, QJsonArray& params)
{
    const QString branch = keyValue(params, 0, branchArg);
    const QString operatorCode = keyValue(params, 1, KeyArg{"Operador", 12});
    return QJsonArray{
        priceTablesPerCustomer(context.db, branch).toJson(),
        orderParameters(context.db, branch).toJson(),
        dispatchParameters(context.db, branch).toJson(),
        discountConditions(context.db).toJson(),
        operatorSellerBinding(context.db, operatorCode).toJson(),
        operatorSeller(context.db, operatorCode).toJson(),
    };
}

// The parameters record set of one branch; the branch goes back unchanged.
QJsonValue getParam(CallContext& context, QJsonArray& params)
{
    const QString branch = keyValue(params, 0, branchArg);
    checkedCode(params, 1, "Parâmetro", {QStringLiteral("PARAMPEDIDO")});
    return orderParameters(context.db, branch).toJson();
}

// One condition by its code; with the switch "T" and no code, every active
// condition. An inactive or unknown condition gives no row.
QJsonValue getCondDesc(CallContext& context, QJsonArray& params)
{
    const QString all = checkedCode(params, 0, "Todas", {QStringLiteral("T"), QStringLiteral("N"), QString()});
    const QString code = keyValue(params, 1, KeyArg{"Condição de desconto", 10});
    DataPacket conditions = discountConditions(context.db);
    // The condition look-up of the item grid asks ("T", "T").
    if (all == u"T" && (code.isEmpty() || code == u"T"))
        return conditions.toJson();
    conditions.rows.removeIf([&](const QVariantList& row) { return row.first().toString() != code; });
    return conditions.toJson();
}

QJsonValue getParamGerPed(CallContext& context, QJsonArray&)
{
    return selectPacket(context.db, {textField(QStringLiteral("IDUTTABPRECOITEM"), 1)},
                        QStringLiteral("SELECT IDUTTABPRECOITEM FROM PARAMGERPED ORDER BY CDEMPRESA LIMIT 1"))
        .toJson();
}

// The password column of the record set stays in the packet for the
// screen's sake but is always empty: no password material leaves the server.
QJsonValue getPermissao(CallContext& context, QJsonArray& params)
{
    const QString operatorCode = params.at(0).toString();
    const QString permission = params.at(1).toString();
    const QString branch = params.at(2).toString();
    DataPacket packet = selectPacket(
        context.db,
        {textField(QStringLiteral("CDGRUPOPER"), 2), textField(QStringLiteral("CDOPERADOR"), 12),
         textField(QStringLiteral("NMOPERADOR"), 40), textField(QStringLiteral("CDLIDGRUPOP"), 12),
         textField(QStringLiteral("IDLIDER"), 1)},
        QStringLiteral("SELECT O.CDGRUPOPER, O.CDOPERADOR, O.NMOPERADOR, O.CDLIDGRUPOP, O.IDLIDER"
                       " FROM OPERADOR O"
                       " INNER JOIN PERMISSAOOPER P ON P.CDOPERADOR = O.CDOPERADOR"
                       " WHERE O.CDOPERADOR = ? AND P.CDPERMISSAO = ? AND P.CDFILIAL = ? AND O.IDATIVO = 'S'"),
        {operatorCode, permission, branch});
    constexpr int passwordColumn = 3;
    packet.fields.insert(passwordColumn, textField(QStringLiteral("CDSENHOPER"), 20));
    for (QVariantList& row : packet.rows)
        row.insert(passwordColumn, QString());
    return packet.toJson();
}

ArgSpec textArg(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Text, false, false, doc};
}

} // namespace

void registerLanPedidoParams(MethodRegistry& registry)
{
    registry.add(MethodSpec{
        ServerNames::LanPedido,
        QStringLiteral("getParamGerPed"),
        {},
        QStringLiteral("Reads the general order parameter."),
        QStringLiteral("Data packet with one row: IDUTTABPRECOITEM (1), \"S\" when the price table is chosen per item."),
        getParamGerPed,
    });
    registry.add(MethodSpec{
        ServerNames::LanPedido,
        QStringLiteral("GetPermissao"),
        {textArg(QStringLiteral("operator"), QStringLiteral("Operator code (CDOPERADOR).")),
         textArg(QStringLiteral("permission"), QStringLiteral("Right key, e.g. \"ALTP\" (price change).")),
         textArg(QStringLiteral("branch"), QStringLiteral("Branch code (CDFILIAL)."))},
        QStringLiteral("Reads the operator's row for a right at a branch; an operator without the right gets no row."),
        QStringLiteral("Data packet CDGRUPOPER (2), CDOPERADOR (12), NMOPERADOR (40), CDSENHOPER (20, always empty), "
                       "CDLIDGRUPOP (12), IDLIDER (1): one row when the active operator holds the right, else none."),
        getPermissao,
    });
    registry.add(MethodSpec{
        ServerNames::LanPedido,
        QStringLiteral("GetParam"),
        {ArgSpec{QStringLiteral("branch"), ArgKind::Text, true, false,
                 QStringLiteral("By reference: branch code (CDFILIAL); comes back unchanged.")},
         textArg(QStringLiteral("table"), QStringLiteral("\"PARAMPEDIDO\", the only parameter table read here."))},
        QStringLiteral("Reads the order-entry parameters of one branch."),
        QStringLiteral("Data packet with every field of the parameters record set, as element [1] of GetAbertura; no row "
                       "when the branch has none."),
        getParam,
        true,
        true,
    });
    registry.add(MethodSpec{
        ServerNames::LanPedido,
        QStringLiteral("GetCondDesc"),
        {ArgSpec{QStringLiteral("all"), ArgKind::Text, false, true, QStringLiteral("\"T\" with an empty code or \"T\" lists every condition.")},
         ArgSpec{QStringLiteral("condition"), ArgKind::Text, false, true,
                 QStringLiteral("Discount condition (CDTIPODESC), up to 10 characters.")}},
        QStringLiteral("Reads a discount condition, or every active one."),
        QStringLiteral("Data packet CDTIPODESC (10), NMTIPODESC (50) and the eight percentages QTPRITPDESC ... QTOITTPDESC: "
                       "the active condition of that code (no row when there is none or it is inactive), or with \"T\" "
                       "and no code (or the code \"T\") every active condition by code."),
        getCondDesc,
        true,
        true,
    });
    registry.add(MethodSpec{
        ServerNames::LanPedido,
        QStringLiteral("GetAbertura"),
        {textArg(QStringLiteral("branch"), QStringLiteral("Branch code (CDFILIAL) being opened.")),
         textArg(QStringLiteral("operator"), QStringLiteral("Operator code (CDOPERADOR)."))},
        QStringLiteral("Loads what order entry needs to open a branch."),
        QStringLiteral("Value array of six data packets: [0] COUNT (integer), price-table bindings of customers for "
                       "the tables the branch offers; [1] the branch's order parameters (PARAMPEDIDO, every field of "
                       "the parameters record set; no row when the branch has none); [2] dispatch parameters "
                       "IDCTRLVENEXP, IDGERPRODEST, IDCUSEXP; [3] active discount conditions CDTIPODESC, NMTIPODESC "
                       "and the eight percentages QTPRITPDESC ... QTOITTPDESC; [4] CDOPERADOR (32), one row when the "
                       "operator is bound to a seller; [5] that seller: CDVENDEDOR, NMFANVEN, VRPECOMVEN, "
                       "CDPRECOBASE, DSPRECOBASE (no row when none, or when that seller is no longer active). A branch "
                       "longer than 4 or an operator longer than 12 characters fails with a message naming it."),
        getAbertura,
    });
}
