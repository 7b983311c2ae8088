#include "order_factory.h"

#include "store/database.h"
#include "money.h"

#include <QSqlQuery>
#include <cmath>

namespace {

QString text(const QSqlQuery& query, int column)
{
    return query.value(column).toString();
}

double number(const QSqlQuery& query, int column)
{
    return query.value(column).toDouble();
}

// Item statuses that fit the order's status: an order in progress has
// confirmed and approved items, a partly served one has partly shipped items.
QString itemStatusFor(const QString& orderStatus, int itemIndex, double quantity)
{
    if (orderStatus == QLatin1String("2"))
        return itemIndex % 2 == 0 ? QStringLiteral("2") : QStringLiteral("3");
    if (orderStatus == QLatin1String("3"))
        return QStringLiteral("4");
    if (orderStatus == QLatin1String("4"))
        return QStringLiteral("5");
    if (orderStatus == QLatin1String("5"))
        return QStringLiteral("6");
    if (orderStatus == QLatin1String("6"))
        return itemIndex == 0 || quantity < 2 ? QStringLiteral("4") : QStringLiteral("7");
    return QStringLiteral("1");
}

double shippedQuantity(const QString& itemStatus, double quantity)
{
    if (itemStatus == QLatin1String("4") || itemStatus == QLatin1String("6"))
        return quantity;
    if (itemStatus == QLatin1String("7"))
        return std::floor(quantity / 2);
    return 0;
}

QVariant textOrNull(const QString& value)
{
    return value.isEmpty() ? QVariant() : QVariant(value);
}

const QStringList headerColumns = {
    QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("DTPEDIDO"), QStringLiteral("DTENTPED"),
    QStringLiteral("DTVALIPED"), QStringLiteral("DTHRLANPED"), QStringLiteral("DTHRALTPED"),
    QStringLiteral("CDCLIENTE"), QStringLiteral("IDTPIJURCLIE"), QStringLiteral("NRINSJURCLIE"),
    QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("NMFANTCLIE"),
    QStringLiteral("CDVENDEDOR"), QStringLiteral("NMFANVEN"), QStringLiteral("VRPECOMVDPED"),
    QStringLiteral("IDSITPEDIDO"), QStringLiteral("IDTIPOPEDIDO"), QStringLiteral("IDPRIOPED"),
    QStringLiteral("IDORIGPED"), QStringLiteral("IDPGFRETTRAN"), QStringLiteral("IDPEDIDOIMPR"),
    QStringLiteral("IDPEDINDUSTRIA"), QStringLiteral("CDOPELANPED"),
    QStringLiteral("CDMODPGTO"), QStringLiteral("DSMODPGTO"), QStringLiteral("CDFORMPGTO"),
    QStringLiteral("IDTPFORPGTPED"), QStringLiteral("NRDIAPGFIXPED"), QStringLiteral("NRPARCPGTOPED"),
    QStringLiteral("IDUTDIAPAGPED"), QStringLiteral("CDPRECOBASE"), QStringLiteral("DSPRECOBASE"),
    QStringLiteral("CDTIPOOPER"), QStringLiteral("NMTIPOOPER"), QStringLiteral("IDENTRSAIDOP"),
    QStringLiteral("IDORIGDESTOP"), QStringLiteral("NRORDEMCMPPED"),
    QStringLiteral("VRTOTALPED"), QStringLiteral("VRTOTPEDLIQ"), QStringLiteral("VRPBRUVOLPED"),
    QStringLiteral("VRPLIQVOLPED"), QStringLiteral("COR_RENTABILIDADE"),
    QStringLiteral("NRITPEDAPROVADO"), QStringLiteral("NRITPEDCONFIRMADO"),
};

const QStringList itemColumns = {
    QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("NRITEMPED"),
    QStringLiteral("CDPRODUTO"), QStringLiteral("CDARVPROD"), QStringLiteral("NMPRODUTO"),
    QStringLiteral("SGUNIDADE"), QStringLiteral("CDPRODESTO"), QStringLiteral("SGUNIDPAI"),
    QStringLiteral("QTITEMPED"), QStringLiteral("QTITEMPED2"), QStringLiteral("VRPREUNITPED"),
    QStringLiteral("VRITEPREBASE"), QStringLiteral("VRPRTABITPED"), QStringLiteral("VRPRPARPRECO"),
    QStringLiteral("VRDESITPED"), QStringLiteral("PERDESC"), QStringLiteral("IDSITITEMPED"),
    QStringLiteral("QTEXPITEMPED"), QStringLiteral("DTENTITPED"), QStringLiteral("IDITPEDDIFER"),
    QStringLiteral("VRPESOITPED"), QStringLiteral("VRPESOBRUTPR"), QStringLiteral("VRPESOLIQUPR"),
    QStringLiteral("VRCUSTPRODBASE"), QStringLiteral("VRPEFORMPREC"), QStringLiteral("CDOPERADOR"),
    QStringLiteral("CDFATPRECO"), QStringLiteral("SGFATPRECO"), QStringLiteral("IDPRODBONIF"),
};

} // namespace

quint64 DeterministicRandom::next()
{
    // splitmix64
    quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int DeterministicRandom::below(int count)
{
    return count <= 0 ? 0 : int(next() % quint64(count));
}

double DeterministicRandom::between(double low, double high)
{
    return low + (high - low) * double(next() >> 11) / double(1ULL << 53);
}

bool DeterministicRandom::chance(double probability)
{
    return between(0, 1) < probability;
}

QString zeroPadded(qlonglong number, int width)
{
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

OrderCatalog OrderCatalog::load(const QSqlDatabase& db)
{
    OrderCatalog catalog;
    QSqlQuery query = execSql(db, QStringLiteral("SELECT F.CDFILIAL, F.NMFILIAL, P.IDTABPRECO FROM FILIAL F"
                                                 " INNER JOIN PARAMPEDIDO P ON P.CDFILIAL = F.CDFILIAL ORDER BY F.CDFILIAL"));
    while (query.next())
        catalog.branches.append({text(query, 0), text(query, 1), text(query, 2)});

    query = execSql(db, QStringLiteral("SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, C.CDVENDEDOR,"
                                       " (SELECT MIN(B.CDPRECOBASE) FROM PRECOBASECLI B WHERE B.CDCLIENTE = C.CDCLIENTE"
                                       "  AND B.IDPRBASEPRIN = 'S')"
                                       " FROM CLIENTE C WHERE C.IDCLIEATIV = 'S' AND C.IDBLOQUEADO = 'N' ORDER BY C.CDCLIENTE"));
    while (query.next())
        catalog.customers.append(
            {text(query, 0), text(query, 1), text(query, 2), text(query, 3), text(query, 4), text(query, 5), text(query, 6)});

    query = execSql(db, QStringLiteral("SELECT CDVENDEDOR, NMFANVEN, VRPECOMVEN FROM VENDEDOR WHERE IDVENDATIVO = 'S' ORDER BY CDVENDEDOR"));
    while (query.next())
        catalog.sellers.append({text(query, 0), text(query, 1), number(query, 2)});

    QHash<QString, std::pair<QString, double>> tablePrices;
    query = execSql(db, QStringLiteral("SELECT CDPRODUTO, CDPRECOBASE, VRITEPREBASE FROM ITEMPRECOBASE"
                                       " WHERE IDITPEDDIFER = 'N' ORDER BY CDPRODUTO, CDPRECOBASE, DTINIVALIPB DESC"));
    while (query.next()) {
        if (!tablePrices.contains(text(query, 0)))
            tablePrices.insert(text(query, 0), {text(query, 1), number(query, 2)});
    }
    struct Factor { QString code, abbreviation; double price; };
    QHash<QString, Factor> factorPrices;
    query = execSql(db, QStringLiteral("SELECT P.CDPRODUTO, P.CDFATPRECO, F.SGFATPRECO, P.VRFATPRECO FROM PRODFATOR P"
                                       " INNER JOIN FATORPRECO F ON F.CDFATPRECO = P.CDFATPRECO ORDER BY P.CDPRODUTO, P.CDFATPRECO"));
    while (query.next()) {
        if (!factorPrices.contains(text(query, 0)))
            factorPrices.insert(text(query, 0), {text(query, 1), text(query, 2), number(query, 3)});
    }
    query = execSql(db, QStringLiteral("SELECT P.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, P.SGUNIDADE,"
                                       " COALESCE(P.CDPRODESTO, P.CDPRODUTO), COALESCE(E.SGUNIDADE, P.SGUNIDADE),"
                                       " P.VRFATOCONV, P.VRPESOBRUTPR, P.VRPESOLIQUPR, P.VRCUSTPROD, P.VRPEFORMPREC"
                                       " FROM PRODUTO P LEFT JOIN PRODUTO E ON E.CDPRODUTO = P.CDPRODESTO"
                                       " WHERE P.IDPRODATIVO = 'S' ORDER BY P.CDPRODUTO"));
    while (query.next()) {
        CatalogProduct product;
        product.code = text(query, 0);
        product.userCode = text(query, 1);
        product.name = text(query, 2);
        product.unit = text(query, 3);
        product.stockProduct = text(query, 4);
        product.stockUnit = text(query, 5);
        product.salesToStockFactor = number(query, 6);
        product.grossWeight = number(query, 7);
        product.netWeight = number(query, 8);
        product.cost = number(query, 9);
        product.priceFormationPercent = number(query, 10);
        const auto table = tablePrices.value(product.code);
        product.priceTable = table.first;
        product.tablePrice = table.second;
        const Factor factor = factorPrices.value(product.code);
        product.factorCode = factor.code;
        product.factorAbbreviation = factor.abbreviation;
        product.factorPrice = factor.price;
        if (product.tablePrice > 0 || product.factorPrice > 0)
            catalog.products.append(product);
    }

    query = execSql(db, QStringLiteral("SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, NRPARCPGTOMOD, NRDIAPGFIXMOD"
                                       " FROM MODPGTO ORDER BY CDMODPGTO"));
    while (query.next())
        catalog.modalities.append({text(query, 0), text(query, 1), text(query, 2), text(query, 3), number(query, 4), number(query, 5)});

    query = execSql(db, QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP FROM TIPOOPERAC"
                                       " WHERE IDENTRSAIDOP = 'S' AND IDORIGDESTOP = 'C' AND COALESCE(IDATUESTTPOP, 'S') = 'S'"
                                       " AND IDUTILOPER = 'S' ORDER BY CDTIPOOPER"));
    while (query.next())
        catalog.saleOperations.append({text(query, 0), text(query, 1), text(query, 2), text(query, 3)});

    query = execSql(db, QStringLiteral("SELECT VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT FROM RENTABILIDADE ORDER BY VRPERCINIRENT"));
    while (query.next())
        catalog.bands.append({number(query, 0), number(query, 1), number(query, 2)});

    query = execSql(db, QStringLiteral("SELECT CDPRECOBASE, DSPRECOBASE FROM PRECOBASE"));
    while (query.next())
        catalog.priceTableDescriptions.insert(text(query, 0), text(query, 1));

    if (catalog.branches.isEmpty() || catalog.customers.isEmpty() || catalog.sellers.isEmpty()
        || catalog.products.isEmpty() || catalog.modalities.isEmpty() || catalog.saleOperations.isEmpty())
        throw StoreError("Orders need branches with order parameters, active customers, sellers, priced products, "
                         "payment modalities and a sale operation type; load the demo data first.");
    return catalog;
}

int OrderCatalog::sellerIndex(const QString& code) const
{
    for (int i = 0; i < sellers.size(); ++i) {
        if (sellers.at(i).code == code)
            return i;
    }
    return -1;
}

double OrderCatalog::colourFor(double marginPercent) const
{
    for (const ProfitabilityBand& band : bands) {
        if (marginPercent >= band.fromPercent && marginPercent <= band.toPercent)
            return band.colour;
    }
    constexpr double noBandColour = 15269887;   // light yellow, as the item grid paints it
    return noBandColour;
}

OrderWriter::OrderWriter(const QSqlDatabase& db, const OrderCatalog& catalog)
    : m_catalog(catalog)
    , m_headers(db, QStringLiteral("PEDIDO"), headerColumns)
    , m_items(db, QStringLiteral("ITEMPEDIDO"), itemColumns)
{
    m_items.setBeforeWrite([this] { m_headers.flush(); });
}

WrittenOrder OrderWriter::write(const OrderPlan& plan)
{
    const CatalogBranch* branch = nullptr;
    for (const CatalogBranch& candidate : m_catalog.branches) {
        if (candidate.code == plan.branch)
            branch = &candidate;
    }
    const bool byFactor = branch && branch->priceMode == QLatin1String("2");

    WrittenOrder written;
    double grossTotal = 0, discountTotal = 0, cost = 0, grossWeight = 0, netWeight = 0;
    int approved = 0, confirmed = 0;
    QList<QVariantList> itemRows;
    for (int index = 0; index < plan.items.size(); ++index) {
        const ItemPlan& itemPlan = plan.items.at(index);
        const CatalogProduct& product = m_catalog.products.at(itemPlan.product);
        const bool factorPriced = (byFactor && product.factorPrice > 0) || product.tablePrice <= 0;
        const double listPrice = RoundDec(factorPriced ? product.factorPrice : product.tablePrice, 2);
        const double gross = listPrice * itemPlan.quantity;
        const double discount = RoundDec(gross * itemPlan.discountPercent / 100.0, 2);

        WrittenItem item;
        item.number = zeroPadded(index + 1, 10);
        item.status = itemStatusFor(plan.status, index, itemPlan.quantity);
        item.product = product.code;
        item.stockProduct = product.stockProduct;
        item.quantity = itemPlan.quantity;
        item.shippedQuantity = shippedQuantity(item.status, itemPlan.quantity);
        item.unitPrice = listPrice;
        item.discount = discount;
        item.stockQuantity = itemPlan.quantity * product.salesToStockFactor;
        written.items.append(item);

        approved += item.status == QLatin1String("3") ? 1 : 0;
        confirmed += item.status == QLatin1String("2") ? 1 : 0;
        grossTotal += gross;
        discountTotal += discount;
        cost += product.cost * itemPlan.quantity;
        grossWeight += product.grossWeight * itemPlan.quantity;
        netWeight += product.netWeight * itemPlan.quantity;

        itemRows.append({
            plan.branch, plan.number, item.number,
            product.code, product.userCode, product.name,
            product.unit, product.stockProduct, product.stockUnit,
            itemPlan.quantity, item.stockQuantity, listPrice,
            factorPriced ? QVariant() : QVariant(product.tablePrice), listPrice, listPrice,
            discount, itemPlan.discountPercent, item.status,
            item.shippedQuantity, plan.deliveryDate, QStringLiteral("N"),
            product.grossWeight * itemPlan.quantity, product.grossWeight, product.netWeight,
            product.cost, product.priceFormationPercent, plan.operatorCode,
            factorPriced ? QVariant(product.factorCode) : QVariant(),
            factorPriced ? QVariant(product.factorAbbreviation) : QVariant(), QStringLiteral("N"),
        });
    }

    const double netTotal = RoundDec(grossTotal - discountTotal, 2);
    const double marginPercent = netTotal > 0 ? (netTotal - cost) * 100.0 / netTotal : 0;
    written.total = netTotal;

    const CatalogCustomer& customer = m_catalog.customers.at(plan.customer);
    const CatalogSeller& seller = m_catalog.sellers.at(plan.seller);
    const CatalogModality& modality = m_catalog.modalities.at(plan.modality);
    const CatalogOperationType& operation = m_catalog.saleOperations.at(plan.operationType);
    const bool fixedDay = modality.paymentType == QLatin1String("F");
    // A customer with base prices of its own is sold at its main one, so
    // that new items of its orders find their prices.
    QString firstPriceTable = plan.items.isEmpty() ? QString() : m_catalog.products.at(plan.items.first().product).priceTable;
    if (!customer.priceTable.isEmpty() && !firstPriceTable.isEmpty())
        firstPriceTable = customer.priceTable;
    m_headers.add({
        plan.branch, plan.number, plan.orderDate, plan.deliveryDate,
        plan.orderDate.addDays(30), plan.orderDate, plan.orderDate,
        customer.code, customer.documentType, customer.document,
        customer.legalName, customer.tradeName,
        seller.code, seller.tradeName, seller.commissionPercent,
        plan.status, plan.orderType, plan.priority,
        plan.origin, QStringLiteral("9"), plan.status == QLatin1String("1") ? QStringLiteral("N") : QStringLiteral("S"),
        QStringLiteral("N"), plan.operatorCode,
        modality.code, modality.description, textOrNull(modality.paymentForm),
        modality.paymentType == QLatin1String("X") ? QString() : modality.paymentType,
        fixedDay ? QVariant(modality.fixedDay) : QVariant(), fixedDay ? QVariant(modality.installments) : QVariant(),
        QStringLiteral("I"), byFactor ? QVariant() : textOrNull(firstPriceTable),
        byFactor || firstPriceTable.isEmpty() ? QVariant() : QVariant(m_catalog.priceTableDescriptions.value(firstPriceTable)),
        operation.code, operation.name, operation.entryExit,
        operation.originDestination, textOrNull(plan.purchaseOrder),
        netTotal, netTotal, RoundDec(grossWeight, 5), RoundDec(netWeight, 5),
        m_catalog.colourFor(marginPercent),
        approved, confirmed,
    });
    ++m_orderCount;
    for (const QVariantList& row : itemRows)
        m_items.add(row);
    m_itemCount += itemRows.size();
    return written;
}

void OrderWriter::flush()
{
    // Items reference their header, so headers go first.
    m_headers.flush();
    m_items.flush();
}

OrderPlan randomOrderPlan(const OrderCatalog& catalog, DeterministicRandom& random, int maxItems)
{
    OrderPlan plan;
    plan.customer = random.below(int(catalog.customers.size()));
    const int customerSeller = catalog.sellerIndex(catalog.customers.at(plan.customer).seller);
    plan.seller = customerSeller >= 0 && random.chance(0.8) ? customerSeller : random.below(int(catalog.sellers.size()));
    plan.modality = random.below(int(catalog.modalities.size()));
    plan.operationType = random.chance(0.9) ? 0 : random.below(int(catalog.saleOperations.size()));
    plan.priority = QString::number(1 + random.below(4));

    // Most orders are small; a few fill the item limit.
    const double u = random.between(0, 1);
    const int itemCount = qMin(int(catalog.products.size()), 1 + int(std::floor((maxItems - 1) * u * u * u + 0.5)));
    QList<int> chosen;
    while (chosen.size() < itemCount) {
        const int product = random.below(int(catalog.products.size()));
        if (!chosen.contains(product))
            chosen.append(product);
    }
    for (int product : chosen) {
        ItemPlan item;
        item.product = product;
        item.quantity = 1 + random.below(random.chance(0.2) ? 200 : 24);
        item.discountPercent = random.chance(0.3) ? double(random.below(11)) : 0.0;
        plan.items.append(item);
    }
    return plan;
}
