// The checks of an order header as the order screen posts it: whether the
// stock can take a quotation that becomes an order (VD_ESTPED), and an
// item's stock position and quantities refreshed after the header changed
// (GetAtuItemPed).

#include "topics.h"

#include "argument_checks.h"
#include "method_catalogue.h"
#include "method_declarations.h"
#include "money.h"
#include "order_packets.h"
#include "stock_figures.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace {

using namespace OrderPackets;
using namespace StockFigures;

constexpr KeyArg stockProductArg{"Produto de estoque", 10};
constexpr KeyArg itemStatusArg{"Situação do item", 1};

// ---- stock of an order ---------------------------------------------------------

enum StockArg { BranchArg = 0, OrderArg, IsOrderArg, OperationArg };

// An open item of the order with its quantity still to ship, in stock units.
struct OpenItem {
    QString product;
    QString typedCode;
    QString name;
    QString stockUnit;
    QString stockProduct;
    double quantity = 0;
};

QList<OpenItem> openItems(const QSqlDatabase& db, const OrderKey& order)
{
    QSqlQuery query = execSql(
        db,
        QStringLiteral("SELECT I.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, COALESCE(E.SGUNIDADE, P.SGUNIDADE),"
                       " COALESCE(I.CDPRODESTO, P.CDPRODESTO, P.CDPRODUTO),"
                       " (I.QTITEMPED - COALESCE(I.QTEXPITEMPED, 0)) * P.VRFATOCONV"
                       " FROM ITEMPEDIDO I INNER JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                       " LEFT JOIN PRODUTO E ON E.CDPRODUTO = COALESCE(I.CDPRODESTO, P.CDPRODESTO)"
                       " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND I.IDSITITEMPED IN ('1', '2', '3', '7')"
                       " ORDER BY I.NRITEMPED"),
        {order.branch, order.number});
    QList<OpenItem> items;
    while (query.next())
        items.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                      query.value(4).toString(), RoundDec(query.value(5).toDouble(), 5)});
    return items;
}

// The order's items, in order, against what the stock holds once other
// orders and quotations are served; an item also counts the order's earlier
// items of the same stock product. The stock leaves in whole stock units:
// a quantity that fits only before it is rounded up to one is refused too.
QJsonValue vdEstPed(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params, BranchArg, OrderArg);
    const bool isOrder = params.at(IsOrderArg).toBool();
    const QString operation = keyValue(params, OperationArg, operationArg);
    if (!isOrder || order.isEmpty())
        return QJsonValue::Null;

    QHash<QString, ShortageFigures> figures;
    QHash<QString, double> earlierItems;
    for (const OpenItem& item : openItems(context.db, order)) {
        if (stockControl(context.db, order.branch, item.stockProduct, operation) != u"S")
            continue;
        if (!figures.contains(item.stockProduct))
            figures.insert(item.stockProduct, shortageFigures(context.db, order.branch, item.stockProduct, order.number));
        const ShortageFigures& stock = figures.value(item.stockProduct);
        double& earlier = earlierItems[item.stockProduct];
        const double available = RoundDec(stock.available() - earlier, 5);
        if (item.quantity > available)
            return QJsonArray{QStringLiteral("QUANT_PROD"), item.product, item.typedCode, item.name, item.stockUnit, item.quantity,
                              earlier, stock.stock, stock.ordered, stock.quoted};
        const double rounded = std::ceil(item.quantity);
        if (rounded > available)
            return QJsonArray{QStringLiteral("QUANT_PROD_ARRED"), item.typedCode, rounded, available};
        earlier = RoundDec(earlier + item.quantity, 5);
    }
    return QJsonValue::Null;
}

// ---- an item's stock after the header changed --------------------------------

enum ItemArg { ItemBranchArg = 0, ItemOrderArg, ItemArg, ProductArg, StockProductArg, ItemStatusArg };

// The item's stock position is the one the item grid shows when it scrolls:
// it comes from GetDadosAfterScroll itself.
QJsonValue getAtuItemPed(const MethodRegistry& registry, CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params, ItemBranchArg, ItemOrderArg);
    const QString item = keyValue(params, ItemArg, orderItemArg);
    const QString product = keyValue(params, ProductArg, productArg);
    const QString stockProduct = keyValue(params, StockProductArg, stockProductArg);
    const QString status = keyValue(params, ItemStatusArg, itemStatusArg);

    const Rpc::MethodInfo afterScroll = Rpc::LanPedido::GetDadosAfterScroll.info();
    const MethodSpec* spec = registry.find(afterScroll.serverName(), afterScroll.methodName());
    if (!spec)
        throw std::logic_error("GetAtuItemPed needs GetDadosAfterScroll, which is not registered.");
    const QString yes = QStringLiteral("S");
    const QString no = QStringLiteral("N");
    QJsonArray afterScrollParams{order.branch, QString(), order.number, item, product, stockProduct, status, QString(),
                                 yes, yes, no, no, no, QString()};
    const QJsonArray data = spec->function(context, afterScrollParams).toArray();
    using namespace Rpc::LanPedido;
    return QJsonArray{data.at(GetDadosAfterScrollResult::PosicaoEstoque), data.at(GetDadosAfterScrollResult::QtPedida),
                      data.at(GetDadosAfterScrollResult::QtDisponivel)};
}

} // namespace

void registerLanPedidoHeaderChecks(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("VD_ESTPED"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
         ArgSpec{QStringLiteral("isOrder"), ArgKind::Boolean, false, false,
                 QStringLiteral("True when the order is to be saved as an order, false for a quotation (nothing is tested).")},
         textArg(QStringLiteral("operationType"), QStringLiteral("Operation type of the order (CDTIPOOPER), up to 2 characters."))},
        QStringLiteral("Tests whether the branch's stock can serve the stored items of an order, for a quotation that becomes "
                       "an order. Items with status \"1\", \"2\", \"3\" or \"7\" whose stock is controlled (as VD_ESTITEM [3] "
                       "says) are tested in item order by what is not shipped yet, in stock units (QTITEMPED - QTEXPITEMPED, "
                       "times VRFATOCONV); each against the stock less the open quantities of the branch's other orders and "
                       "quotations (as VD_ESTITEM [0]) less the order's earlier items of the same stock product. Stock leaves "
                       "in whole stock units, so the quantity rounded up to one must fit too."),
        QStringLiteral("Null when every item fits, for a quotation (isOrder false) and for an empty or unknown order. For the "
                       "first item that does not fit, a value array of 10: [0] \"QUANT_PROD\", [1] CDPRODUTO, [2] CDARVPROD, "
                       "[3] NMPRODUTO, [4] the stock unit (SGUNIDADE of the stock product), [5] the item's quantity, [6] the "
                       "order's earlier items of the stock product, [7] the branch's stock (ESTOQUE.QTESTOQUE), [8] the open "
                       "quantity in the branch's other orders, [9] the open quantity in the branch's other quotations, all in "
                       "stock units. For the first item whose quantity fits but not once rounded up to a whole stock unit, a "
                       "value array of 4: [0] \"QUANT_PROD_ARRED\", [1] CDARVPROD, [2] the rounded quantity, [3] what is "
                       "available to it. A code longer than its column fails with a message naming it."),
        vdEstPed));
    MethodSpec atuItemPed = readMethod(
        QStringLiteral("GetAtuItemPed"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
         textArg(QStringLiteral("item"), QStringLiteral("Item number (NRITEMPED), up to 10 characters.")),
         textArg(QStringLiteral("product"), QStringLiteral("Product of the item (CDPRODUTO), up to 10 characters.")),
         textArg(QStringLiteral("stockProduct"), QStringLiteral("Stock product of the item (CDPRODESTO), up to 10 characters; "
                                                                "empty for the product's own.")),
         textArg(QStringLiteral("itemStatus"), QStringLiteral("Item status (IDSITITEMPED), one character."))},
        QStringLiteral("Reads an item's stock position and the quantities shown beside it, as GetDadosAfterScroll reads them."),
        QStringLiteral("Value array of 3: [0] for a settled item (status \"4\") the lots it shipped from, else the stock "
                       "position by lot with this item's reservations, the packets of GetDadosAfterScroll [0]; [1] the open "
                       "quantity of the stock product in the branch's orders; [2] the branch's stock less all reservations. "
                       "A product that is not stored gives an empty packet and 0. A code longer than its column fails with a "
                       "message naming it."),
        nullptr);
    atuItemPed.function = [&registry](CallContext& context, QJsonArray& params) {
        return getAtuItemPed(registry, context, params);
    };
    registry.add(std::move(atuItemPed));
}
