// The order discount calculator's method: a discount formula applied to one
// item of a stored order or to all of its items.
//
// The formula reaches the server as the one percentage it amounts to (10;5
// is 14.5 %), which is all "Todos" needs; for "Item" the client also sends
// the new unit price and the discount per item it previewed. A discount
// lowers the unit price; the item's discount value (VRDESITPED) stays as it
// was, since the net total already subtracts it and would otherwise count
// the new discount twice.

#include "topics.h"

#include "argument_checks.h"
#include "changeable_order.h"
#include "discount_maxima.h"
#include "method_declarations.h"
#include "money.h"
#include "order_totals.h"
#include "order_packets.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QDateTime>
#include <QHash>

#include <optional>

namespace {

using OrderPackets::OrderKey;

const QString SelectedItem = QStringLiteral("Item");
const QString AllItems = QStringLiteral("Todos");

enum Arg : int {
    ItemsArg = 0,
    PercentageArg,
    ScopeArg,
    NewPriceArg,
    ItemNumberArg,
    OrderArg,
    BranchArg,
    CurrentDiscountArg,
    TotalDiscountArg,
    SellerArg,
    AboveMaximumAcceptedArg,
};

struct StoredItem {
    QString number;
    QString product;
    double price = 0;
    double quantity = 0;
    double discount = 0;
};

QList<StoredItem> storedItems(const QSqlDatabase& db, const OrderKey& order, const std::optional<QString>& itemNumber)
{
    QString sql = QStringLiteral("SELECT NRITEMPED, CDPRODUTO, VRPREUNITPED, QTITEMPED, VRDESITPED FROM ITEMPEDIDO"
                                 " WHERE CDFILIAL = ? AND NRPEDIDO = ?")
                  + changeableItemCondition;
    QVariantList values{order.branch, order.number};
    if (itemNumber) {
        sql += QStringLiteral(" AND NRITEMPED = ?");
        values.append(*itemNumber);
    }
    QSqlQuery query = execSql(db, sql + QStringLiteral(" ORDER BY NRITEMPED"), values);
    QList<StoredItem> items;
    while (query.next())
        items.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toDouble(),
                      query.value(3).toDouble(), query.value(4).toDouble()});
    return items;
}

// The largest discount the order screen allows each item of the order (the
// shared rule of core/discount_maxima.h), read once for the whole order: the
// customer's and the seller's maxima, and the product maxima of the order's
// products for its base price and the customer's state.
class DiscountMaxima {
public:
    DiscountMaxima(const QSqlDatabase& db, const OrderKey& order, const QString& seller)
    {
        QSqlQuery header = execSql(db,
                                   QStringLiteral("SELECT C.VRPEMAXDESCL FROM PEDIDO P LEFT JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                                                  " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ?"),
                                   {order.branch, order.number});
        if (header.next())
            m_orderMaxima.cliente = optionalNumber(header.value(0));
        if (!seller.isEmpty())
            m_orderMaxima.vendedor =
                optionalNumber(selectValue(db, QStringLiteral("SELECT VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = ?"), {seller}));
        QSqlQuery products = execSql(
            db,
            QStringLiteral("SELECT D.CDPRODUTO, D.VRPEMAXDESPR FROM PEDIDO P INNER JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                           " INNER JOIN ITDESPREBASE D ON D.CDPRECOBASE = P.CDPRECOBASE AND D.CDPAIS = C.CDPAIS"
                           "  AND D.SGESTADO = C.SGESTADO"
                           " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ? AND D.VRPEMAXDESPR IS NOT NULL AND D.CDPRODUTO IN"
                           "  (SELECT I.CDPRODUTO FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO)"),
            {order.branch, order.number});
        while (products.next())
            m_productMaxima.insert(products.value(0).toString(), products.value(1).toDouble());
    }

    std::optional<double> of(const QString& product) const
    {
        RegrasPedido::MaximosDesconto maxima = m_orderMaxima;
        if (const auto found = m_productMaxima.constFind(product); found != m_productMaxima.constEnd())
            maxima.produto = *found;
        return RegrasPedido::descontoMaximo(maxima);
    }

private:
    static std::optional<double> optionalNumber(const QVariant& value)
    {
        return value.isValid() && !value.isNull() ? std::optional<double>(value.toDouble()) : std::nullopt;
    }

    RegrasPedido::MaximosDesconto m_orderMaxima;
    QHash<QString, double> m_productMaxima;
};

// The discount of the whole item after the change, as a percentage of what
// it cost before: the new per-unit discount and the discount it had.
double discountPercentage(const StoredItem& item, double newPrice)
{
    const double before = item.price * item.quantity;
    if (before <= 0)
        return 0;
    return ((item.price - newPrice) * item.quantity + item.discount) * 100 / before;
}

void storePrice(const QSqlDatabase& db, const OrderKey& order, const StoredItem& item, double price)
{
    execChange(db, QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = ? WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
               {price, order.branch, order.number, item.number});
}

QJsonValue setAplicaDesconto(CallContext& context, QJsonArray& params)
{
    const QString scope = checkedCode(params, ScopeArg, "Aplicação", {SelectedItem, AllItems});
    const OrderKey order = OrderPackets::orderKeyArgs(params, BranchArg, OrderArg);
    const QString seller = keyValue(params, SellerArg, sellerArg);
    const bool aboveMaximumAccepted = params.at(AboveMaximumAcceptedArg).toBool();
    if (order.isEmpty())
        throw MethodError("Informe a filial e o número do pedido.");
    requireChangeableOrder(context.db, order);

    // New unit price of each item, in the order of `items`.
    QList<StoredItem> items;
    QList<double> prices;
    if (scope == SelectedItem) {
        const QString itemNumber = keyValue(params, ItemNumberArg, orderItemArg);
        const double newPrice = RoundDec(params.at(NewPriceArg).toDouble(), 2);
        if (!(newPrice > 0))
            throw MethodError("O resultado da Aplicação de Desconto deve ser maior que zero.");
        items = storedItems(context.db, order, itemNumber);
        if (items.isEmpty())
            throw MethodError(QStringLiteral("Item %1 do pedido %2 não encontrado, liquidado ou cancelado.")
                                  .arg(itemNumber, order.number)
                                  .toStdString());
        prices.append(newPrice);
    } else {
        const double percentage = params.at(PercentageArg).toDouble();
        if (!(percentage >= 0 && percentage < 100))
            throw MethodError("O resultado da Aplicação de Desconto deve ser maior que zero.");
        items = storedItems(context.db, order, std::nullopt);
        for (const StoredItem& item : items) {
            const double newPrice = RoundDec(item.price * (1 - percentage / 100), 2);
            if (!(newPrice > 0) && item.price > 0)
                throw MethodError("O resultado da Aplicação de Desconto deve ser maior que zero.");
            prices.append(newPrice);
        }
    }

    if (!aboveMaximumAccepted) {
        const QString policy = selectValue(context.db, QStringLiteral("SELECT IDUTDESCMAXI FROM PARAMPEDIDO WHERE CDFILIAL = ?"),
                                           {order.branch})
                                   .toString();
        if (policy == u"2" || policy == u"3") {
            const DiscountMaxima maxima(context.db, order, seller);
            for (qsizetype i = 0; i < items.size(); ++i) {
                const std::optional<double> maximum = maxima.of(items[i].product);
                if (maximum && RoundDec(discountPercentage(items[i], prices[i]), 2) > *maximum)
                    return QJsonArray{QStringLiteral("DESC"), *maximum};
            }
        }
    }

    double totalDiscount = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        storePrice(context.db, order, items[i], prices[i]);
        totalDiscount += (items[i].price - prices[i]) * items[i].quantity;
    }
    // The totals, item taxes and installments follow the new prices, so the
    // screen's reload shows them.
    storeOrderValues(context.db, order, QDateTime::currentDateTime());
    params[NewPriceArg] = scope == SelectedItem ? prices.first() : 0.0;
    params[TotalDiscountArg] = RoundDec(totalDiscount, 2);
    return QJsonArray{QStringLiteral("OK")};
}

ArgSpec valueArg(const QString& name, ArgKind kind, const QString& doc, bool byReference = false)
{
    return ArgSpec{name, kind, byReference, false, doc};
}

} // namespace

void registerLanPedidoDiscount(MethodRegistry& registry)
{
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("SetAplicaDesconto"),
        {valueArg(QStringLiteral("items"), ArgKind::Packet,
                  QStringLiteral("Data packet of the order's items as the screen holds them; the stored items are the ones "
                                 "changed.")),
         valueArg(QStringLiteral("percentage"), ArgKind::Float,
                  QStringLiteral("The one percentage the formula amounts to (10;5 is 14.5); applied to every item under "
                                 "\"Todos\", from 0 up to less than 100.")),
         textArg(QStringLiteral("scope"), QStringLiteral("\"Item\": the selected item only; \"Todos\": every item.")),
         valueArg(QStringLiteral("newPrice"), ArgKind::Float,
                  QStringLiteral("Under \"Item\" the item's new unit price, above 0, stored rounded to the cent; 0 under "
                                 "\"Todos\"."),
                  true),
         textArg(QStringLiteral("item"), QStringLiteral("Item number (NRITEMPED) under \"Item\"; empty under \"Todos\".")),
         textArg(QStringLiteral("order"), orderDoc), textArg(QStringLiteral("branch"), branchDoc),
         valueArg(QStringLiteral("currentDiscount"), ArgKind::Float,
                  QStringLiteral("The item's discount value (VRDESITPED) as the screen shows it; the stored one is kept.")),
         valueArg(QStringLiteral("totalDiscount"), ArgKind::Float,
                  QStringLiteral("The discount the screen previewed for the item (per unit times the quantity)."), true),
         textArg(QStringLiteral("seller"), QStringLiteral("The logged-in seller (CDVENDEDOR), whose maximum discount counts; "
                                                          "empty for none.")),
         valueArg(QStringLiteral("aboveMaximumAccepted"), ArgKind::Boolean,
                  QStringLiteral("false on the first call; true when the clerk accepted a discount above the maximum."))},
        QStringLiteral("Lowers the unit price of the selected item, or of every item of the order that is not settled or "
                       "cancelled, in one transaction, and works the order's stored taxes out again; each item's discount value stays. Under the branch's IDUTDESCMAXI "
                       "\"2\" or \"3\", and unless aboveMaximumAccepted, an item whose whole discount (the price cut times "
                       "the quantity plus its discount value, against its value before) would pass the largest maximum the "
                       "order screen allows it changes nothing. Refused with a message: an empty key, an order not stored, "
                       "an order that may no longer be changed (status other than \"1\", or \"2\" where IDLANCPED is not "
                       "\"2\" or \"3\"), an item not found, settled or cancelled, a price that would not stay above 0."),
        QStringLiteral("[\"OK\"] when applied, newPrice set to the stored price (0 under \"Todos\") and totalDiscount to "
                       "the discount applied, price cut times quantity summed over the items, to the cent; [\"DESC\", "
                       "maximum percentage] when a discount passes the maximum and nothing was stored."),
        setAplicaDesconto});
}
