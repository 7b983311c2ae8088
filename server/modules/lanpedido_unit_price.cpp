// The unit-price calculator's methods: a new unit price, typed or as a
// percentage up or down, for the selected item of a stored order or for all
// of its items. SetGeraItemPed shows what SetPreco would store.
//
// The branch's band around each item's parameter price (DSPERALTMAIOR,
// DSPERALTMENOR of PARAMPEDIDO, bounds at the cent as the order screen
// holds a typed price to them) is the range a price is accepted in without
// a supervisor. With an operator group for price changes (CDGRUALTPRECO) a
// supervisor may release a price outside it, and only that group's operators
// change prices unreleased; without one the band is final. The item's
// discount value (VRDESITPED) stays as it was.

#include "topics.h"

#include "argument_checks.h"
#include "changeable_order.h"
#include "method_declarations.h"
#include "modules/goods_value.h"
#include "money.h"
#include "order_totals.h"
#include "price_band.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "store/supervisor_releases.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>

#include <cmath>
#include <optional>

namespace {

using OrderPackets::OrderKey;

// The kind of supervisor release a price change stands on.
constexpr qint64 PriceReleaseKind = 14;

enum Arg : int {
    BranchArg = 0,
    OrderArg,
    ItemNumberArg,
    OnlySelectedArg,
    KindArg,
    ValueArg,
    ActionArg,
    OperatorArg,
    CheckPermissionArg,
};

const QString Percentage = QStringLiteral("P");
const QString Value = QStringLiteral("V");
const QString Increase = QStringLiteral("A");
const QString Decrease = QStringLiteral("D");

// What the clerk asked for, checked.
struct Change {
    OrderKey order;
    std::optional<QString> item;   // none: every changeable item
    QString kind;
    double value = 0;
    QString action;

    double priceOf(double current) const
    {
        if (kind == Value)
            return RoundDec(value, 2);
        const double factor = action == Increase ? 1 + value / 100 : 1 - value / 100;
        return RoundDec(current * factor, 2);
    }
};

Change changeArgs(const QJsonArray& params)
{
    Change change;
    change.order = OrderPackets::orderKeyArgs(params, BranchArg, OrderArg);
    if (change.order.isEmpty())
        throw MethodError("Informe a filial e o número do pedido.");
    const QString item = keyValue(params, ItemNumberArg, orderItemArg);
    if (params.at(OnlySelectedArg).toBool()) {
        if (item.isEmpty())
            throw MethodError("Informe o item do pedido.");
        change.item = item;
    }
    change.kind = checkedCode(params, KindArg, "Tipo de alteração", {Percentage, Value});
    change.action = checkedCode(params, ActionArg, "Ação da alteração", {Increase, Decrease});
    change.value = params.at(ValueArg).toDouble();
    if (!std::isfinite(change.value) || !(change.value > 0))
        throw MethodError(change.kind == Value ? "Novo preço unitário deve ser informado."
                                               : "Percentual de alteração do preço unitário deve ser informado.");
    if (change.kind == Percentage && change.action == Decrease && change.value >= 100)
        throw MethodError("O percentual de desconto não pode ser superior ou igual a 100%.");
    if (change.kind == Value && RoundDec(change.value, 2) <= 0)
        throw MethodError("Novo preço unitário deve ser informado.");
    return change;
}

// The branch's rules for price changes.
struct PriceRules {
    bool changeAllowed = false;   // IDPERALTPRECO "S"
    QString maior;                // DSPERALTMAIOR as stored: "10", "2,5" or empty
    QString menor;
    QString group;                // CDGRUALTPRECO

    static PriceRules of(const QSqlDatabase& db, const QString& branch)
    {
        QSqlQuery row = execSql(db,
                                QStringLiteral("SELECT IDPERALTPRECO, DSPERALTMAIOR, DSPERALTMENOR, CDGRUALTPRECO FROM PARAMPEDIDO"
                                               " WHERE CDFILIAL = ?"),
                                {branch});
        PriceRules rules;
        if (row.next())
            rules = {row.value(0).toString() == u"S", row.value(1).toString().trimmed(), row.value(2).toString().trimmed(),
                     row.value(3).toString().trimmed()};
        return rules;
    }
};

// One item as it is and as it would be.
struct ItemChange {
    QString number;
    double quantity = 0;
    double discount = 0;
    double parameterPrice = 0;
    bool hasParameterPrice = false;
    double oldPrice = 0;
    double newPrice = 0;
    std::optional<double> highest;   // none: the band does not limit that way
    std::optional<double> lowest;

    bool aboveBand() const { return highest && newPrice > *highest; }
    bool belowBand() const { return lowest && newPrice < *lowest; }
    bool insideBand() const { return !aboveBand() && !belowBand(); }
    double total() const { return RoundDec(netGoodsValue(newPrice, quantity, discount), 2); }
};

const QString itemColumns = QStringLiteral("NRITEMPED, QTITEMPED, VRDESITPED, VRPRPARPRECO, VRPREUNITPED");

QString itemWhere(const Change& change)
{
    return QStringLiteral(" FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?") + changeableItemCondition
           + (change.item ? QStringLiteral(" AND NRITEMPED = ?") : QString());
}

QVariantList itemValues(const Change& change)
{
    QVariantList values{change.order.branch, change.order.number};
    if (change.item)
        values.append(*change.item);
    return values;
}

// The items the change reaches, by number, with their new prices and band.
// A price the clerk could not post (0 or less, or a net total of 0 or
// less) refuses the whole change.
QList<ItemChange> itemChanges(const QSqlDatabase& db, const Change& change, const PriceRules& rules)
{
    QSqlQuery query = execSql(db, QStringLiteral("SELECT ") + itemColumns + itemWhere(change) + QStringLiteral(" ORDER BY NRITEMPED"),
                              itemValues(change));
    QList<ItemChange> items;
    while (query.next()) {
        ItemChange item;
        item.number = query.value(0).toString();
        item.quantity = query.value(1).toDouble();
        item.discount = query.value(2).toDouble();
        item.hasParameterPrice = !query.value(3).isNull();
        item.parameterPrice = query.value(3).toDouble();
        item.oldPrice = query.value(4).toDouble();
        item.newPrice = change.priceOf(item.oldPrice);
        // Without a parameter price the item was never priced: no band.
        if (item.hasParameterPrice) {
            const RegrasPedido::FaixaAlteracao faixa = RegrasPedido::faixaAlteracao(item.parameterPrice, rules.maior, rules.menor);
            item.highest = faixa.maximo;
            item.lowest = faixa.minimo;
        }
        if (!(item.newPrice > 0))
            throw MethodError(QStringLiteral("O novo preço unitário do item %1 deve ser maior que zero.").arg(item.number).toStdString());
        if (item.quantity > 0 && !(item.total() > 0))
            throw MethodError(QStringLiteral("O novo preço unitário deixaria o valor total do item %1 menor ou igual a zero.")
                                  .arg(item.number)
                                  .toStdString());
        items.append(item);
    }
    if (items.isEmpty())
        throw MethodError(change.item ? QStringLiteral("Item %1 do pedido %2 não encontrado, liquidado ou cancelado.")
                                            .arg(*change.item, change.order.number)
                                            .toStdString()
                                      : QStringLiteral("O pedido %1 não tem itens que possam ser alterados.")
                                            .arg(change.order.number)
                                            .toStdString());
    return items;
}

QList<ItemChange> checkedChanges(const QSqlDatabase& db, const QJsonArray& params, Change& change, PriceRules& rules)
{
    change = changeArgs(params);
    requireChangeableOrder(db, change.order);
    rules = PriceRules::of(db, change.order.branch);
    return itemChanges(db, change, rules);
}

// The checked input goes back into the by-reference arguments.
void writeBack(QJsonArray& params, const Change& change)
{
    params[KindArg] = change.kind;
    params[ValueArg] = change.kind == Value ? RoundDec(change.value, 2) : change.value;
    params[ActionArg] = change.action;
}

// ---- SetGeraItemPed ------------------------------------------------------------

QList<SelectColumn> previewColumns()
{
    using namespace OrderPackets;
    return {text(QStringLiteral("CDFILIAL"), 4), text(QStringLiteral("NRPEDIDO"), 10), text(QStringLiteral("NRITEMPED"), 10),
            text(QStringLiteral("CDPRODUTO"), 10), text(QStringLiteral("CDARVPROD"), 20), text(QStringLiteral("NMPRODUTO"), 250),
            text(QStringLiteral("SGUNIDADE"), 5), text(QStringLiteral("IDSITITEMPED"), 1), number(QStringLiteral("QTITEMPED")),
            number(QStringLiteral("VRPREUNITPED")), number(QStringLiteral("VRTOTALITPED"), QStringLiteral("0")),
            number(QStringLiteral("VRDESITPED")), number(QStringLiteral("VRPRECOMAX"), QStringLiteral("NULL")),
            number(QStringLiteral("VRPRECOMIN"), QStringLiteral("NULL")), text(QStringLiteral("IDPRECOOK"), 1, QStringLiteral("'S'")),
            number(QStringLiteral("VRPRPARPRECO"))};
}

QJsonValue setGeraItemPed(CallContext& context, QJsonArray& params)
{
    Change change;
    PriceRules rules;
    const QList<ItemChange> items = checkedChanges(context.db, params, change, rules);
    DataPacket preview = selectColumns(context.db, previewColumns(), itemWhere(change) + QStringLiteral(" ORDER BY NRITEMPED"),
                                       itemValues(change));
    const auto at = [&](const char* name) { return preview.indexOf(QString::fromLatin1(name)); };
    if (preview.rows.size() != items.size())
        throw MethodError("Os itens do pedido mudaram durante a consulta; tente novamente.");
    double total = 0;
    for (qsizetype row = 0; row < items.size(); ++row) {
        const ItemChange& item = items.at(row);
        QVariantList& values = preview.rows[row];
        values[at("VRPREUNITPED")] = item.newPrice;
        values[at("VRTOTALITPED")] = item.total();
        values[at("VRPRECOMAX")] = item.highest ? QVariant(*item.highest) : QVariant();
        values[at("VRPRECOMIN")] = item.lowest ? QVariant(*item.lowest) : QVariant();
        values[at("IDPRECOOK")] = item.insideBand() ? QStringLiteral("S") : QStringLiteral("N");
        total += item.total();
    }
    writeBack(params, change);
    return QJsonArray{preview.toJson(), RoundDec(total, 2)};
}

// ---- SetPreco ------------------------------------------------------------------

// The refusal for the first item outside the band, when the operator may
// not store it as it is; empty when every price may be stored.
QString bandRefusal(const QList<ItemChange>& items, const PriceRules& rules, bool checkPermission)
{
    for (const ItemChange& item : items) {
        if (item.insideBand())
            continue;
        const bool above = item.aboveBand();
        if (rules.group.isEmpty())
            return above ? QStringLiteral("DSPERALTMAIOR") : QStringLiteral("DSPERALTMENOR");
        if (checkPermission)
            return above ? QStringLiteral("ALTMAIOR_") + rules.maior : QStringLiteral("ALTMENOR_") + rules.menor;
    }
    return {};
}

QString operatorGroup(const QSqlDatabase& db, const QString& operatorCode)
{
    return selectValue(db, QStringLiteral("SELECT CDGRUPOPER FROM OPERADOR WHERE CDOPERADOR = ?"), {operatorCode}).toString();
}

QJsonValue setPreco(CallContext& context, QJsonArray& params)
{
    const QString operatorCode = keyValue(params, OperatorArg, KeyArg{"Operador", 12});
    // The session says who is working; the argument may not name another.
    if (!context.operatorCode.isEmpty() && operatorCode.compare(context.operatorCode, Qt::CaseInsensitive) != 0)
        throw MethodError(QStringLiteral("Operador \"%1\" não é o operador da sessão.").arg(operatorCode.left(40)).toStdString());
    const bool checkPermission = params.at(CheckPermissionArg).toBool();
    Change change;
    PriceRules rules;
    const QList<ItemChange> items = checkedChanges(context.db, params, change, rules);
    writeBack(params, change);

    if (!rules.changeAllowed)
        return QStringLiteral("IDPERALTPRECO");
    const bool inGroup = rules.group.isEmpty() || operatorGroup(context.db, context.operatorCode) == rules.group;
    if (checkPermission && !inGroup)
        return QStringLiteral("OP_N_AUT");
    if (const QString refusal = bandRefusal(items, rules, checkPermission); !refusal.isEmpty())
        return refusal;
    // Unchecked, a price only the group may give, or one outside the band,
    // stands on a supervisor's release the server recorded itself.
    const bool needsRelease = !inGroup || !std::all_of(items.begin(), items.end(), [](const ItemChange& item) { return item.insideBand(); });
    if (!checkPermission && needsRelease
        && !takeSupervisorRelease(context.db, context.operatorCode, PriceReleaseKind, QDateTime::currentSecsSinceEpoch()))
        throw MethodError("Alteração de preço sem liberação do supervisor: peça a liberação e confirme de novo.");

    for (const ItemChange& item : items)
        execChange(context.db,
                   QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = ? WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                   {item.newPrice, change.order.branch, change.order.number, item.number});
    // The totals, item taxes and installments follow the new prices, so the
    // screen's reload shows them.
    storeOrderValues(context.db, change.order, QDateTime::currentDateTime());
    return QStringLiteral("OK");
}

// ---- registration --------------------------------------------------------------

ArgSpec valueArg(const QString& name, ArgKind kind, const QString& doc, bool byReference = false)
{
    return ArgSpec{name, kind, byReference, false, doc};
}

QList<ArgSpec> changeArgSpecs()
{
    return {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
            textArg(QStringLiteral("item"), QStringLiteral("The selected item's number (NRITEMPED); read only when onlySelected.")),
            valueArg(QStringLiteral("onlySelected"), ArgKind::Boolean,
                     QStringLiteral("true: the selected item only; false: every item of the order not settled or cancelled.")),
            textArg(QStringLiteral("kind"), QStringLiteral("\"P\": a percentage of the current price; \"V\": a new price. Written back as checked."),
                    true),
            valueArg(QStringLiteral("value"), ArgKind::Float,
                     QStringLiteral("The percentage (above 0; below 100 for a decrease) or the new price (above 0, at the cent). "
                                    "Written back as applied."),
                     true),
            textArg(QStringLiteral("action"), QStringLiteral("\"A\": increase; \"D\": decrease (sent, and not read, with \"V\"). "
                                                             "Written back as checked."),
                    true)};
}

const QString changeRefusals = QStringLiteral(
    " Refused with a message, storing nothing: an empty key, an order not stored, an order that may no longer be changed "
    "(status other than \"1\", or \"2\" where IDLANCPED is not \"2\" or \"3\"), an item not found, settled or cancelled, "
    "a kind, action or value out of range, a new price at or below 0 or one that leaves an item's net total at or below 0.");

} // namespace

void registerLanPedidoUnitPrice(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("SetGeraItemPed"), changeArgSpecs(),
        QStringLiteral("The preview of SetPreco: the items the change reaches with their new unit prices, stores nothing. "
                       "The band around each item's parameter price VRPRPARPRECO is VRPRPARPRECO x (1 + DSPERALTMAIOR / 100) "
                       "to VRPRPARPRECO x (1 - DSPERALTMENOR / 100), each bound at the cent; a percentage not given, or an "
                       "item without a parameter price, does not limit.")
            + changeRefusals,
        QStringLiteral("[packet, total]: the packet has CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, CDARVPROD, NMPRODUTO, "
                       "SGUNIDADE, IDSITITEMPED, QTITEMPED, VRPREUNITPED (new), VRTOTALITPED (new goods value less the "
                       "discount, at the cent), VRDESITPED, VRPRECOMAX, VRPRECOMIN (the band, null where it does not limit), "
                       "IDPRECOOK (\"N\" when the new price is outside the band), VRPRPARPRECO, by item number; total is "
                       "the sum of VRTOTALITPED."),
        setGeraItemPed));

    QList<ArgSpec> args = changeArgSpecs();
    args.append(textArg(QStringLiteral("operator"), QStringLiteral("The logged-in operator (CDOPERADOR); must be the session's.")));
    args.append(valueArg(QStringLiteral("checkPermission"), ArgKind::Boolean,
                         QStringLiteral("true on the first call; false after a supervisor released the change.")));
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("SetPreco"), args,
        QStringLiteral("Stores the new unit prices SetGeraItemPed shows, in one transaction, and works the order's stored "
                       "taxes out again; each item's discount value stays. Every price must lie inside the band, except "
                       "where the branch names an operator group for price changes (CDGRUALTPRECO) and checkPermission is "
                       "false. Unchecked, a price outside the band, or any price by an operator outside the group, needs the "
                       "release of kind 14 that AutorizaOperador recorded for the session's operator within 5 minutes, and "
                       "takes it; without one the call fails with a message. A refusal key stores nothing.")
            + changeRefusals,
        QStringLiteral("Text: \"OK\" when stored. Otherwise a refusal key: \"IDPERALTPRECO\" (the branch does not let "
                       "unit prices change); \"DSPERALTMAIOR\" / \"DSPERALTMENOR\" (a price above / below the band, no "
                       "group: no release); with a group and checkPermission, \"OP_N_AUT\" (the operator is not of the "
                       "group) or \"ALTMAIOR_\" / \"ALTMENOR_\" followed by DSPERALTMAIOR / DSPERALTMENOR (a price above / "
                       "below the band), each of which a supervisor may release. kind, value and action are written back "
                       "as checked."),
        setPreco});
}
