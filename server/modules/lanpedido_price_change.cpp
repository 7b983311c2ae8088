// The automatic price change: the unit price of products changed in every
// open order of the chosen customers, delivery period and operation types.
//
// The orders concerned are the open ones (not settled, "3" and "5", nor
// cancelled, "4") and, in them, the items that are neither settled nor
// cancelled. The grid lists each product at each price it has there; a new
// price replaces that price only, so what changes is what the clerk saw.
// Orders of branches that work their prices out only at shipping are not
// part of it. The change is all or nothing: an order of the selection that may no
// longer be changed, or a price outside an item's band, changes nothing.

#include "topics.h"

#include "argument_checks.h"
#include "iso_datetime.h"
#include "list_text.h"
#include "method_declarations.h"
#include "money.h"
#include "order_totals.h"
#include "price_band.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "tax_model.h"

#include <QHash>
#include <QJsonDocument>
#include <QMap>
#include <QSet>

#include <cmath>
#include <optional>

namespace {

enum Arg : int {
    AllCustomersArg = 0,
    CustomersArg,
    NoDatesArg,
    FromArg,
    ToArg,
    AllOperationsArg,
    OperationsArg,
    AllProductsArg,
    ProductsArg,
};
// SetAlteracaoPreco takes the grid first, then the criteria of GetProdCli.
constexpr int GridArg = 0;
constexpr int CriteriaAfterGrid = 1;

const QString Accepted = QStringLiteral("OK");
const QString Blocked = QStringLiteral("BLOQUEADO");

// Codes bound as one JSON array, so a list of any length needs one placeholder.
QString inCodes(const QSqlDatabase& db)
{
    return isPostgres(db) ? QStringLiteral("IN (SELECT json_array_elements_text(CAST(? AS json)))")
                          : QStringLiteral("IN (SELECT value FROM json_each(?))");
}

QString codesValue(const QStringList& codes)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(codes)).toJson(QJsonDocument::Compact));
}

QStringList listArg(const QJsonArray& params, int index, const KeyArg& arg)
{
    QStringList codes;
    try {
        codes = listTextCodes(params.at(index).toString());
    } catch (const ListTextError& error) {
        throw MethodError(QStringLiteral("%1: lista inválida (%2).").arg(QString::fromUtf8(arg.label), QString::fromUtf8(error.what()))
                              .toStdString());
    }
    for (const QString& code : codes) {
        if (code.size() > arg.maxSize)
            throw MethodError(QStringLiteral("%1 inválido(a) na lista: \"%2\" tem mais de %3 caracteres.")
                                  .arg(QString::fromUtf8(arg.label), code.left(40))
                                  .arg(arg.maxSize)
                                  .toStdString());
    }
    return codes;
}

QDate dayArg(const QJsonArray& params, int index, const char* label)
{
    const QString text = params.at(index).toString().trimmed();
    const QDate day = parseIsoLenient(text).date();
    if (!day.isValid() || day <= QDate(1899, 12, 30))
        throw MethodError(QStringLiteral("%1 inválida: \"%2\".").arg(QString::fromUtf8(label), text.left(40)).toStdString());
    return day;
}


// Which orders and items a call is about, as a WHERE clause over PEDIDO P
// and ITEMPEDIDO I with its bound values.
class Selection {
public:
    Selection(const QSqlDatabase& db, const QJsonArray& params, int first, bool withProducts)
        : m_db(db)
    {
        // The change is for chosen customers only: the whole customer base at
        // once is not offered.
        if (params.at(first + AllCustomersArg).toBool())
            throw MethodError("Escolha os clientes: a alteração de preços não vale para todos os clientes.");
        const QStringList customers = listArg(params, first + CustomersArg, customerArg);
        if (customers.isEmpty())
            throw MethodError("Cliente deve ser informado.");
        // A branch that works its prices out only at shipping has no item
        // price to change.
        m_where = QStringLiteral("P.IDSITPEDIDO NOT IN ('3', '4', '5') AND I.IDSITITEMPED NOT IN ('4', '5', '6')"
                                 " AND P.CDFILIAL IN (SELECT F.CDFILIAL FROM PARAMPEDIDO F WHERE ")
                  + RegrasPedido::usaPrecoNoItemSql(QStringLiteral("F")) + QStringLiteral(") AND P.CDCLIENTE ") + inCodes(db);
        m_values.append(codesValue(customers));

        const QString noDates = checkedCode(params, first + NoDatesArg, "Datas vazias", {QString(), QStringLiteral("T")});
        if (noDates.isEmpty()) {
            const QDate from = dayArg(params, first + FromArg, "Data inicial");
            const QDate to = dayArg(params, first + ToArg, "Data final");
            if (to < from)
                throw MethodError("Data inicial deve ser menor que a data final.");
            // Whole days: from the start of the first to the end of the last.
            m_where += QStringLiteral(" AND P.DTENTPED >= ? AND P.DTENTPED < ?");
            m_values << dayStart(isPostgres(db), from) << dayStart(isPostgres(db), to.addDays(1));
        }
        if (!params.at(first + AllOperationsArg).toBool()) {
            const QStringList operations = listArg(params, first + OperationsArg, operationArg);
            if (operations.isEmpty())
                throw MethodError("Tipo de Operação deve ser informado.");
            m_where += QStringLiteral(" AND P.CDTIPOOPER ") + inCodes(db);
            m_values.append(codesValue(operations));
        }
        if (withProducts && !params.at(first + AllProductsArg).toBool()) {
            const QStringList products = listArg(params, first + ProductsArg, productArg);
            if (products.isEmpty())
                throw MethodError("Produto deve ser informado.");
            restrictToProducts(products);
        }
    }

    void restrictToProducts(const QStringList& products)
    {
        m_where += QStringLiteral(" AND I.CDPRODUTO ") + inCodes(m_db);
        m_values.append(codesValue(products));
    }

    QString from() const
    {
        return QStringLiteral(" FROM PEDIDO P INNER JOIN ITEMPEDIDO I ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO");
    }
    const QString& where() const { return m_where; }
    const QVariantList& values() const { return m_values; }

private:
    QSqlDatabase m_db;
    QString m_where;
    QVariantList m_values;
};

QJsonValue getProdCli(CallContext& context, QJsonArray& params)
{
    const Selection selection(context.db, params, 0, false);
    return selectPacket(context.db,
                        {textField(QStringLiteral("IDMARCADO"), 1), textField(QStringLiteral("CDARVPROD"), 20),
                         textField(QStringLiteral("NMPRODUTO"), 50), textField(QStringLiteral("CDPRODUTO"), 10),
                         textField(QStringLiteral("CDPRODINTE"), 20)},
                        QStringLiteral("SELECT 'N', R.CDARVPROD, R.NMPRODUTO, R.CDPRODUTO, R.CDPRODINTE FROM PRODUTO R"
                                       " WHERE R.CDPRODUTO IN (SELECT I.CDPRODUTO")
                            + selection.from() + QStringLiteral(" WHERE ") + selection.where() + QStringLiteral(") ORDER BY R.CDARVPROD"),
                        selection.values())
        .toJson();
}

// The grid: each product at each price (to the cent) it has in the selection.
QJsonValue getProdGrid(CallContext& context, QJsonArray& params)
{
    const Selection selection(context.db, params, 0, true);
    return selectPacket(context.db,
                        {textField(QStringLiteral("CDARVPROD"), 20), textField(QStringLiteral("NMPRODUTO"), 50),
                         textField(QStringLiteral("CDPRODUTO"), 10), textField(QStringLiteral("CDPRODINTE"), 20),
                         floatField(QStringLiteral("VRPREUNITPED")), floatField(QStringLiteral("NOVOVALOR"))},
                        QStringLiteral("SELECT R.CDARVPROD, R.NMPRODUTO, R.CDPRODUTO, R.CDPRODINTE, G.PRECO, NULL FROM"
                                       " (SELECT I.CDPRODUTO AS CDPRODUTO, ROUND(I.VRPREUNITPED * 100) / 100 AS PRECO")
                            + selection.from() + QStringLiteral(" WHERE ") + selection.where()
                            + QStringLiteral(" GROUP BY I.CDPRODUTO, ROUND(I.VRPREUNITPED * 100) / 100) G"
                                             " INNER JOIN PRODUTO R ON R.CDPRODUTO = G.CDPRODUTO ORDER BY R.CDARVPROD, G.PRECO"),
                        selection.values())
        .toJson();
}

// ---- SetAlteracaoPreco ----------------------------------------------------------

qint64 cents(double value)
{
    return std::llround(RoundDec(value, 2) * 100);
}

// A typed new price: the product at its old price becomes `newPrice`.
struct PriceChange {
    QString product;
    double oldPrice = 0;
    double newPrice = 0;
};

QString changeKey(const QString& product, double price)
{
    return product + u'|' + QString::number(cents(price));
}

// The grid's rows with a new price, checked. Rows without one stay as they are.
QList<PriceChange> priceChanges(const QJsonArray& params)
{
    DataPacket grid;
    try {
        grid = DataPacket::fromJson(params.at(GridArg).toObject());
    } catch (const DataPacketError& error) {
        throw MethodError(QStringLiteral("Grade de preços inválida: %1").arg(QString::fromUtf8(error.what())).toStdString());
    }
    const int product = grid.indexOf(QStringLiteral("CDPRODUTO"));
    const int oldPrice = grid.indexOf(QStringLiteral("VRPREUNITPED"));
    const int newPrice = grid.indexOf(QStringLiteral("NOVOVALOR"));
    if (product < 0 || oldPrice < 0 || newPrice < 0)
        throw MethodError("Grade de preços inválida: faltam CDPRODUTO, VRPREUNITPED ou NOVOVALOR.");
    QList<PriceChange> changes;
    QHash<QString, double> seen;
    for (const QVariantList& row : grid.rows) {
        if (row.at(newPrice).isNull())
            continue;
        PriceChange change{row.at(product).toString(), row.at(oldPrice).toDouble(), RoundDec(row.at(newPrice).toDouble(), 2)};
        if (change.product.isEmpty() || change.product.size() > productArg.maxSize || row.at(oldPrice).isNull())
            throw MethodError(QStringLiteral("Grade de preços inválida: linha do produto \"%1\" sem produto ou sem preço atual.")
                                  .arg(change.product.left(40))
                                  .toStdString());
        if (!std::isfinite(change.newPrice) || !(change.newPrice > 0) || change.newPrice >= 1e12)
            throw MethodError(QStringLiteral("Novo preço unitário do produto %1 deve ser maior que zero.").arg(change.product).toStdString());
        const QString key = changeKey(change.product, change.oldPrice);
        if (const auto known = seen.constFind(key); known != seen.cend()) {
            if (cents(*known) != cents(change.newPrice))
                throw MethodError(QStringLiteral("Produto %1 ao preço %2 aparece na grade com dois novos preços.")
                                      .arg(change.product, QString::number(RoundDec(change.oldPrice, 2), 'f', 2))
                                      .toStdString());
            continue;
        }
        seen.insert(key, change.newPrice);
        if (cents(change.newPrice) != cents(change.oldPrice))
            changes.append(change);
    }
    return changes;
}

// An item the change would reprice, with what decides whether it may be.
struct Candidate {
    QString branch, order, item, status, entryMode, tablePrices, mayChangePrice, raiseBy, lowerBy;
    std::optional<double> parameterPrice;
    double newPrice = 0;
};

// An order may be repriced while pending, and while under way where the
// branch lets the clerk change orders in that state.
bool orderChangeable(const Candidate& item)
{
    return item.status == u"1" || (item.status == u"2" && (item.entryMode == u"2" || item.entryMode == u"3"));
}

// The band an item's price must stay in, as the order screen holds a
// typed price to it; no supervisor can release a change across orders, so
// where the screen would ask for one the change is refused. Empty when
// the price is allowed.
QString outOfBand(const Candidate& item)
{
    if (item.tablePrices != u"1" || !item.parameterPrice)
        return {};
    const double parameter = *item.parameterPrice;
    if (item.mayChangePrice != u"S") {
        return cents(item.newPrice) == cents(parameter)
                   ? QString()
                   : QStringLiteral("a filial não permite alterar o preço (preço do parâmetro %1)").arg(parameter, 0, 'f', 2);
    }
    const RegrasPedido::FaixaAlteracao faixa = RegrasPedido::faixaAlteracao(parameter, item.raiseBy, item.lowerBy);
    if (faixa.maximo && cents(item.newPrice) > cents(*faixa.maximo))
        return QStringLiteral("acima do máximo de %1 (%2% sobre %3)").arg(*faixa.maximo, 0, 'f', 2).arg(item.raiseBy, QString::number(parameter, 'f', 2));
    if (faixa.minimo && cents(item.newPrice) < cents(*faixa.minimo))
        return QStringLiteral("abaixo do mínimo de %1 (%2% sobre %3)").arg(*faixa.minimo, 0, 'f', 2).arg(item.lowerBy, QString::number(parameter, 'f', 2));
    return {};
}

QJsonValue setAlteracaoPreco(CallContext& context, QJsonArray& params)
{
    Selection selection(context.db, params, CriteriaAfterGrid, false);
    const QList<PriceChange> changes = priceChanges(params);
    if (changes.isEmpty())
        throw MethodError("Nenhum novo preço unitário foi informado.");
    QHash<QString, double> newPrices;
    QStringList products;
    for (const PriceChange& change : changes) {
        newPrices.insert(changeKey(change.product, change.oldPrice), change.newPrice);
        if (!products.contains(change.product))
            products.append(change.product);
    }
    selection.restrictToProducts(products);

    // Everything is checked on what is stored now, before anything is written.
    QSqlQuery rows = execSql(
        context.db,
        QStringLiteral("SELECT P.CDFILIAL, P.NRPEDIDO, I.NRITEMPED, P.IDSITPEDIDO, I.CDPRODUTO, I.VRPREUNITPED, I.VRPRPARPRECO,"
                       " M.IDLANCPED, M.IDTABPRECO, M.IDPERALTPRECO, M.DSPERALTMAIOR, M.DSPERALTMENOR")
            + selection.from() + QStringLiteral(" LEFT JOIN PARAMPEDIDO M ON M.CDFILIAL = P.CDFILIAL WHERE ") + selection.where(),
        selection.values());
    QMap<std::pair<QString, QString>, QString> blocked;   // branch and order: status
    QMap<QString, QStringList> changedOrders;             // branch: orders
    QSet<QString> changedKeys;
    qint64 itemCount = 0;
    QString firstOutOfBand;
    qint64 outOfBandCount = 0;
    while (rows.next()) {
        const auto found = newPrices.constFind(changeKey(rows.value(4).toString(), rows.value(5).toDouble()));
        if (found == newPrices.cend())
            continue;
        Candidate item{rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(), rows.value(3).toString(),
                       rows.value(7).toString(), rows.value(8).toString(), rows.value(9).toString(), rows.value(10).toString(),
                       rows.value(11).toString(),
                       rows.value(6).isNull() ? std::nullopt : std::optional<double>(rows.value(6).toDouble()), *found};
        ++itemCount;
        if (!orderChangeable(item))
            blocked.insert({item.branch, item.order}, item.status);
        if (const QString fault = outOfBand(item); !fault.isEmpty() && outOfBandCount++ == 0)
            firstOutOfBand = QStringLiteral("Preço unitário %1 do produto %2 fora da faixa permitida no item %3 do pedido %4 da filial %5: %6.")
                                 .arg(QString::number(item.newPrice, 'f', 2), rows.value(4).toString(), item.item, item.order, item.branch, fault);
        if (!changedKeys.contains(item.branch + u'|' + item.order)) {
            changedKeys.insert(item.branch + u'|' + item.order);
            changedOrders[item.branch].append(item.order);
        }
    }
    rows.finish();

    if (!blocked.isEmpty()) {
        DataPacket orders = emptyPacket({textField(QStringLiteral("CDFILIAL"), 4), textField(QStringLiteral("NRPEDIDO"), 10),
                                         textField(QStringLiteral("IDSITPEDIDO"), 1)});
        for (auto order = blocked.cbegin(); order != blocked.cend(); ++order)
            orders.rows.append({order.key().first, order.key().second, order.value()});
        return QJsonArray{Blocked, orders.toJson()};
    }
    if (outOfBandCount > 0)
        throw MethodError((firstOutOfBand
                           + (outOfBandCount > 1 ? QStringLiteral(" Outros %1 itens também estão fora da faixa.").arg(outOfBandCount - 1)
                                                 : QString())
                           + QStringLiteral(" Nenhum preço foi alterado."))
                              .toStdString());
    if (itemCount == 0)
        throw MethodError("Nenhum item dos pedidos escolhidos tem esses produtos a esses preços: a grade está desatualizada.");

    // One statement per typed price, over every chosen order at once.
    qint64 updated = 0;
    for (const PriceChange& change : changes) {
        QVariantList values{change.newPrice};
        values.append(selection.values());
        values << change.product << change.oldPrice;
        QSqlQuery update = execSql(
            context.db,
            QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = ? WHERE EXISTS (SELECT 1")
                + selection.from()
                + QStringLiteral(" WHERE I.CDFILIAL = ITEMPEDIDO.CDFILIAL AND I.NRPEDIDO = ITEMPEDIDO.NRPEDIDO"
                                 " AND I.NRITEMPED = ITEMPEDIDO.NRITEMPED AND ")
                + selection.where() + QStringLiteral(") AND CDPRODUTO = ? AND ABS(VRPREUNITPED - ?) < 0.005"),
            values);
        updated += update.numRowsAffected();
    }
    // Another writer got in between (PostgreSQL reads committed data).
    if (updated != itemCount)
        throw MethodError("Os pedidos mudaram durante a alteração; nenhum preço foi alterado. Tente de novo.");

    // The stored taxes, totals and installment values follow the new prices.
    qint64 orderCount = 0;
    const QDateTime now = QDateTime::currentDateTime();
    for (auto branch = changedOrders.cbegin(); branch != changedOrders.cend(); ++branch) {
        storeOrdersTaxes(context.db, branch.key(), *branch);
        for (const QString& number : *branch) {
            const OrderPackets::OrderKey order{branch.key(), number};
            storeOrderTotals(context.db, order, now);
            storeInstallments(context.db, order);
        }
        orderCount += branch->size();
    }
    return QJsonArray{Accepted, double(itemCount), double(orderCount)};
}

// ---- declarations -----------------------------------------------------------------

ArgSpec flagArg(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Boolean, false, false, doc};
}

ArgSpec dateArg(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Date, false, true, doc};
}

QList<ArgSpec> criteriaArgs()
{
    return {
        flagArg(QStringLiteral("allCustomers"), QStringLiteral("Must be false: the change is for chosen customers only.")),
        textArg(QStringLiteral("customers"), QStringLiteral("List text of the chosen customers (CDCLIENTE), not empty; returned unchanged."), true),
        textArg(QStringLiteral("noDates"), QStringLiteral("\"T\": any delivery date; empty: the delivery period below; returned unchanged."), true),
        dateArg(QStringLiteral("from"), QStringLiteral("First day of the delivery period (DTENTPED); null under noDates \"T\".")),
        dateArg(QStringLiteral("to"), QStringLiteral("Last day of the delivery period, not before `from`; null under noDates \"T\".")),
        flagArg(QStringLiteral("allOperations"), QStringLiteral("true: any operation type; false: those of `operations`.")),
        textArg(QStringLiteral("operations"), QStringLiteral("List text of operation types (CDTIPOOPER), not empty unless allOperations; returned unchanged."), true),
    };
}

const QString selectionDoc = QStringLiteral(
    " The orders are the open ones (status other than \"3\", \"4\" and \"5\") of the chosen customers, delivery period and "
    "operation types, in branches that price their items on the order (PARAMPEDIDO IDTABPRECO \"1\", or \"2\" with "
    "IDCALCPRECFAT \"L\"); their items are those neither settled nor cancelled (status other than \"4\", \"5\" and \"6\"). "
    "Refused with a message: allCustomers true, an empty or malformed list, a code longer than its column, noDates other "
    "than \"T\" or empty, a missing or invalid date, a period that ends before it begins.");

} // namespace

void registerLanPedidoPriceChange(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetProdCli"), criteriaArgs(),
        QStringLiteral("The products of the chosen orders' items, for the product look-up of the automatic price change.")
            + selectionDoc,
        QStringLiteral("Data packet IDMARCADO (1, \"N\"), CDARVPROD (20), NMPRODUTO (50), CDPRODUTO (10), CDPRODINTE (20), by "
                       "CDARVPROD."),
        getProdCli));

    QList<ArgSpec> gridArgs = criteriaArgs();
    gridArgs << flagArg(QStringLiteral("allProducts"), QStringLiteral("true: every product; false: those of `products`."))
             << textArg(QStringLiteral("products"), QStringLiteral("List text of products (CDPRODUTO), not empty unless allProducts; returned unchanged."), true);
    registry.add(readMethod(
        QStringLiteral("GetProdGrid"), gridArgs,
        QStringLiteral("The price grid of the automatic price change: each product of the chosen orders' items at each unit "
                       "price, to the cent, it has there.")
            + selectionDoc,
        QStringLiteral("Data packet CDARVPROD (20), NMPRODUTO (50), CDPRODUTO (10), CDPRODINTE (20), VRPREUNITPED (the price "
                       "to the cent), NOVOVALOR (null, for the new price), by CDARVPROD and price."),
        getProdGrid));

    QList<ArgSpec> changeArgs{ArgSpec{QStringLiteral("grid"), ArgKind::Packet, false, false,
                                      QStringLiteral("The price grid as GetProdGrid gave it, with NOVOVALOR typed on the rows to change.")}};
    changeArgs.append(criteriaArgs());
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("SetAlteracaoPreco"), changeArgs,
        QStringLiteral("Sets, in one transaction, the unit price of every chosen item whose product and price (to the cent) "
                       "are those of a grid row with a NOVOVALOR, to that new price rounded to the cent, and works the "
                       "changed orders' stored taxes out again. All or nothing: when an order concerned may no longer be "
                       "changed (status other than \"1\", or \"2\" where the branch's IDLANCPED is not \"2\" or \"3\") "
                       "nothing is stored and the orders are listed; a new price outside an item's band (under IDTABPRECO "
                       "\"1\" and an item with VRPRPARPRECO: within DSPERALTMAIOR / DSPERALTMENOR percent of it where "
                       "IDPERALTPRECO is \"S\", equal to it otherwise) is refused, naming the first such item.")
            + selectionDoc
            + QStringLiteral(" Also refused: a grid without CDPRODUTO, VRPREUNITPED and NOVOVALOR, a row with a new price "
                             "not above 0, two new prices for one product and price, no new price at all, no item at the "
                             "grid's prices (an outdated grid)."),
        QStringLiteral("[\"OK\", items changed, orders changed]; or [\"BLOQUEADO\", data packet CDFILIAL (4), NRPEDIDO (10), "
                       "IDSITPEDIDO (1) of the orders that may no longer be changed] with nothing stored."),
        setAlteracaoPreco});
}
