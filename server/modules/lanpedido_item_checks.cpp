// The checks of an item as the order screen posts it: the product of a new
// item with what the screen shows beside it, the stock figures of the
// shortage test and the stored status of an item.
//
// The product is the one the clerk typed (CDARVPROD) when a code was typed:
// the item's CDPRODUTO still names the previous product while its code is
// being changed. Its stock product is the product's own, for the same reason.

#include "topics.h"

#include "argument_checks.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "stock_figures.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QSqlQuery>

#include <cmath>

namespace {

using namespace OrderPackets;
using namespace StockFigures;

constexpr KeyArg stockProductArg{"Produto de estoque", 10};

struct Product {
    QString code;          // CDPRODUTO; empty when none was found
    QString typedCode;     // CDARVPROD
    QString stockProduct;
    bool found() const { return !code.isEmpty(); }
};

// The product by the typed code, else by the product code.
Product findProduct(const QSqlDatabase& db, const QString& product, const QString& typedCode)
{
    if (product.isEmpty() && typedCode.isEmpty())
        return {};
    const QString by = typedCode.isEmpty() ? QStringLiteral("CDPRODUTO") : QStringLiteral("CDARVPROD");
    QSqlQuery query = execSql(db, QStringLiteral("SELECT CDPRODUTO, CDARVPROD, COALESCE(CDPRODESTO, CDPRODUTO) FROM PRODUTO WHERE %1 = ?").arg(by),
                              {typedCode.isEmpty() ? product : typedCode});
    if (!query.next())
        return {};
    return {query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
}

// ---- new item ------------------------------------------------------------------

enum NewItemArg {
    BranchArg = 0, OrderArg = 1, ProductArg = 2, CustomerArg = 3, TypedProductArg = 4, FirstBlanksArg = 5,
    StockProductArg = 10, SecondBlanksArg = 11, BasePriceArg = 16, LastBlankArg = 17, QuantitiesArg = 18
};
constexpr int blanksInARow = 5;
constexpr int newItemResultSize = 14;

// `cdsPesqItem`
const QList<SelectColumn> storedItemColumns = {
    text(QStringLiteral("CDFILIAL"), 4),       text(QStringLiteral("NRPEDIDO"), 10), text(QStringLiteral("NRITEMPED"), 10),
    text(QStringLiteral("CDPRODUTO"), 10),     text(QStringLiteral("CDARVPROD"), 20), number(QStringLiteral("QTITEMPED")),
    text(QStringLiteral("IDSITITEMPED"), 1),
};

// `cdsProdEsto`: the product with the customer's own code and description.
const QList<SelectColumn> customerProductColumns = {
    text(QStringLiteral("CDPRODUTO"), 10, QStringLiteral("P.CDPRODUTO")),
    text(QStringLiteral("CDARVPROD"), 20, QStringLiteral("P.CDARVPROD")),
    text(QStringLiteral("NMPRODUTO"), 50, QStringLiteral("P.NMPRODUTO")),
    text(QStringLiteral("SGUNIDADE"), 10, QStringLiteral("P.SGUNIDADE")),
    text(QStringLiteral("CDPRODCLIEPED"), 20, QStringLiteral("C.CDPRODCLIEPED")),
    text(QStringLiteral("DSPRODCLIEPED"), 400, QStringLiteral("C.DSPRODCLIEPED")),
};

// `cdsVdProdRent`
const QList<SelectColumn> profitabilityColumns = {
    text(QStringLiteral("CDPRODUTO"), 10), number(QStringLiteral("VRCUSTPROD")), number(QStringLiteral("VRPEFORMPREC")),
    text(QStringLiteral("CDGRUNRENTAVEL"), 2),
};

QJsonValue getNovoItem(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params, BranchArg, OrderArg);
    const QString productCode = keyValue(params, ProductArg, productArg);
    const QString customer = keyValue(params, CustomerArg, customerArg);
    const QString typedCode = keyValue(params, TypedProductArg, typedProductArg);
    for (int i = 0; i < blanksInARow; ++i) {
        keyValue(params, FirstBlanksArg + i, blankArg);
        keyValue(params, SecondBlanksArg + i, blankArg);
    }
    keyValue(params, StockProductArg, stockProductArg);
    keyValue(params, BasePriceArg, basePriceArg);
    keyValue(params, LastBlankArg, blankArg);

    const Product product = findProduct(context.db, productCode, typedCode);
    if (product.found())
        params[TypedProductArg] = product.typedCode;
    const QSqlDatabase& db = context.db;
    QJsonArray result;
    for (int i = 0; i < newItemResultSize; ++i)
        result.append(0.0);
    result[0] = keyedColumns(db, product.found() && !order.isEmpty(), storedItemColumns,
                             QStringLiteral("FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND CDPRODUTO = ? ORDER BY NRITEMPED"),
                             {order.branch, order.number, product.code})
                    .toJson();
    result[1] = keyedColumns(db, product.found(), customerProductColumns,
                             QStringLiteral("FROM PRODUTO P LEFT JOIN PRODCLIENTE C ON C.CDPRODUTO = P.CDPRODUTO AND C.CDCLIENTE = ?"
                                            " WHERE P.CDPRODUTO = ?"),
                             {customer, product.code})
                    .toJson();
    result[2] = lastPrices(db, order, product.code, customer).toJson();
    result[11] = keyedColumns(db, product.found(), profitabilityColumns, QStringLiteral("FROM PRODUTO WHERE CDPRODUTO = ?"),
                              {product.code})
                     .toJson();
    if (product.found()) {
        result[3] = openQuantity(db, order.branch, product.stockProduct, orders);
        result[4] = availableQuantity(db, order.branch, product.stockProduct);
        result[13] = openQuantity(db, order.branch, product.stockProduct, orders, order.number);
    }
    return result;
}

// ---- stock figures -------------------------------------------------------------

enum StockArg { StockBranchArg = 0, StockProductCodeArg, StockTypedProductArg, StockQuantityArg, StockOrderArg, StockOperationArg };

// The figures leave this order out: the screen adds up its other items of
// the product itself.
QJsonValue vdEstItem(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params, StockBranchArg, StockOrderArg);
    const QString productCode = keyValue(params, StockProductCodeArg, productArg);
    const QString typedCode = keyValue(params, StockTypedProductArg, typedProductArg);
    const double quantity = params.at(StockQuantityArg).toDouble();
    if (!std::isfinite(quantity) || quantity < 0)
        throw MethodError(QStringLiteral("Quantidade em estoque inválida: %1; informe um número maior ou igual a zero.")
                              .arg(quantity)
                              .toStdString());
    const QString operation = keyValue(params, StockOperationArg, operationArg);

    const Product product = findProduct(context.db, productCode, typedCode);
    if (!product.found())
        return QJsonArray{0.0, 0.0, 0.0, false, 0.0};
    const double ordered = openQuantity(context.db, order.branch, product.stockProduct, orders, order.number);
    const double quoted = openQuantity(context.db, order.branch, product.stockProduct, quotations, order.number);
    const double stock = stockQuantity(context.db, order.branch, product.stockProduct);
    const bool controlled = stockControl(context.db, order.branch, product.stockProduct, operation) == u"S";
    return QJsonArray{stock - ordered - quoted, ordered, stock, controlled, quoted};
}

// ---- item status ---------------------------------------------------------------

QJsonValue verificaSitItem(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    const QString item = keyValue(params, 2, orderItemArg);
    return keyedColumns(context.db, !order.isEmpty() && !item.isEmpty(), {text(QStringLiteral("IDSITITEMPED"), 1)},
                        QStringLiteral("FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                        {order.branch, order.number, item})
        .toJson();
}

// ---- registration --------------------------------------------------------------

ArgSpec valueArg(const QString& name, ArgKind kind, const QString& doc)
{
    return ArgSpec{name, kind, false, false, doc};
}

QList<ArgSpec> blanks(int first, int count)
{
    QList<ArgSpec> args;
    for (int i = first; i < first + count; ++i)
        args.append(textArg(QStringLiteral("blank%1").arg(i), QStringLiteral("An empty string; not read (up to 20 characters).")));
    return args;
}

const QString productDoc = QStringLiteral("Product (CDPRODUTO), up to 10 characters; read when no code is typed.");
const QString typedProductDoc = QStringLiteral("Product code as the clerk typed it (CDARVPROD), up to 20 characters; names the "
                                               "product when given.");

} // namespace

void registerLanPedidoItemChecks(MethodRegistry& registry)
{
    QList<ArgSpec> newItemArgs{
        textArg(QStringLiteral("branch"), branchDoc),
        textArg(QStringLiteral("order"), orderDoc + QStringLiteral(" Empty for a new order.")),
        textArg(QStringLiteral("product"), productDoc),
        textArg(QStringLiteral("customer"), QStringLiteral("Customer of the order (CDCLIENTE), up to 21 characters.")),
        textArg(QStringLiteral("typedProduct"), typedProductDoc + QStringLiteral(" By reference: comes back as the product's stored "
                                                                                 "code (unchanged when no product is found)."),
                true)};
    newItemArgs << blanks(1, blanksInARow)
                << textArg(QStringLiteral("stockProduct"), QStringLiteral("Stock product of the item (CDPRODESTO), up to 10 characters; "
                                                                          "not read: the product's own stock product counts."))
                << blanks(6, blanksInARow)
                << textArg(QStringLiteral("basePrice"), QStringLiteral("Base price of the order (CDPRECOBASE), up to 2 characters; not read."))
                << blanks(11, 1)
                << valueArg(QStringLiteral("quantitiesShown"), ArgKind::Boolean,
                            QStringLiteral("Whether the quantities toggle is down; not read: the quantities always come back."));
    registry.add(readMethod(
        QStringLiteral("GetNovoItem"), newItemArgs,
        QStringLiteral("Loads the product of a new or changed item with what the order screen shows beside it. The product is "
                       "the one the typed code names, else the one the product code names."),
        QStringLiteral("Value array of 14: [0] the stored items of this order with the product, CDFILIAL, NRPEDIDO, NRITEMPED, "
                       "CDPRODUTO, CDARVPROD, QTITEMPED, IDSITITEMPED, any status, by NRITEMPED; [1] the product for the "
                       "customer, CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE, CDPRODCLIEPED (20) and DSPRODCLIEPED (400), the "
                       "customer's own code and description of it (null when the customer has none); [2] the customer's last "
                       "purchases of the product at the branch in other orders, as GetDadosAfterScroll's [3]; [3] the open "
                       "quantity of the stock product in orders at the branch, in stock units; [4] the branch's stock less all "
                       "reservations; [5] to [10] and [12] not used, 0; [11] profitability data, CDPRODUTO, VRCUSTPROD, "
                       "VRPEFORMPREC, CDGRUNRENTAVEL; [13] the open quantity of the stock product in the branch's other "
                       "orders, this order left out. Packets [1] and [11] have one row for a stored product; for an unknown "
                       "product, or none given, every packet is empty and every number 0. A code longer than its column "
                       "fails with a message naming it."),
        getNovoItem));
    registry.add(readMethod(
        QStringLiteral("VD_ESTITEM"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("product"), productDoc),
         textArg(QStringLiteral("typedProduct"), typedProductDoc),
         valueArg(QStringLiteral("quantity"), ArgKind::Float,
                  QStringLiteral("The item's quantity in stock units (QTITEMPED x VRFATOCONV rounded to 5 places); checked, "
                                 "the figures do not depend on it.")),
         textArg(QStringLiteral("order"), orderDoc + QStringLiteral(" Left out of the figures; empty for a new order.")),
         textArg(QStringLiteral("operationType"), QStringLiteral("Operation type of the order (CDTIPOOPER), up to 2 characters."))},
        QStringLiteral("Reads the stock figures of the product's stock product at the branch for the shortage test of an item, "
                       "in stock units. Open quantities count the items with status \"1\", \"2\", \"3\" or \"7\" by what is "
                       "not shipped yet (QTITEMPED - QTEXPITEMPED, times the product's VRFATOCONV); this order is left out."),
        QStringLiteral("Value array of 5: [0] available, [2] - [1] - [4]; [1] open quantity in the branch's other orders "
                       "(IDTIPOPEDIDO \"1\"); [2] the branch's stock (ESTOQUE.QTESTOQUE); [3] true when the stock is "
                       "controlled: the branch controls stock, the operation type moves it and the product's IDCTRLESTOQUE is "
                       "\"S\"; [4] open quantity in the branch's other quotations (IDTIPOPEDIDO \"2\"). An unknown product "
                       "gives [0, 0, 0, false, 0]. A negative quantity, or a code longer than its column, fails with a "
                       "message naming it."),
        vdEstItem));
    registry.add(readMethod(
        QStringLiteral("VerificaSitItem"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
         textArg(QStringLiteral("item"), QStringLiteral("Item number (NRITEMPED), up to 10 characters."))},
        QStringLiteral("Reads the stored status of an item, so that the screen can refuse work on an item that moved on."),
        QStringLiteral("Data packet IDSITITEMPED; no row for an item that is not stored. A code longer than its column fails "
                       "with a message naming it."),
        verificaSitItem));
}
