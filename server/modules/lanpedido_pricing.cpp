// Item prices: the price-table row of a product with the adjustment of the
// price parameter, whether an order's items all have a price in force, the
// base prices a customer may use, optional prices, the customer's
// commission discount, and moving an order's delivery date to its items.
//
// Price-table rows are looked up by price kind: an item without a kind, or
// of kind "N", takes the normal row; "P", "G" and "S" take rows of their own
// kind. Kinds "O" (typed) and "R" (parameter price) have no rows: the screen
// keeps such a price.

#include "topics.h"

#include "argument_checks.h"
#include "iso_datetime.h"
#include "money.h"
#include "method_declarations.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

namespace {

using namespace OrderPackets;

constexpr KeyArg companyArg{"Empresa", 4};
constexpr KeyArg priceKindArg{"Tipo de preço", 1};

const QString NotRegistered = QStringLiteral("PRECO_NAO_CAD");
const QString NotInForce = QStringLiteral("PRECO_N_VIGOR");

QDate dayArg(const QJsonArray& params, int index, const char* label)
{
    const QDate day = parseIsoLenient(params.at(index).toString().trimmed()).date();
    if (!day.isValid())
        throw MethodError(QStringLiteral("%1 inválida: \"%2\".").arg(QString::fromUtf8(label), params.at(index).toString().left(40))
                              .toStdString());
    return day;
}

QString rowKind(const QString& itemKind)
{
    return itemKind.isEmpty() ? QStringLiteral("N") : itemKind;
}

// `cdsPrecoBase` and `cdsPrecoUtil`.
const QList<SelectColumn> priceRowColumns = {
    number(QStringLiteral("VRITEPREBASE"), QStringLiteral("I.VRITEPREBASE")),
    text(QStringLiteral("CDARVPROD"), 20, QStringLiteral("P.CDARVPROD")),
    text(QStringLiteral("CDPRECOBASE"), 2, QStringLiteral("I.CDPRECOBASE")),
    dateTime(QStringLiteral("DTINIVALIPB"), QStringLiteral("I.DTINIVALIPB")),
    dateTime(QStringLiteral("DTFIMVALIPB"), QStringLiteral("I.DTFIMVALIPB")),
    text(QStringLiteral("IDITPEDDIFER"), 1, QStringLiteral("I.IDITPEDDIFER")),
    text(QStringLiteral("IDPRECOPROM"), 1, QStringLiteral("I.IDPRECOPROM")),
    text(QStringLiteral("CDPRODUTO"), 10, QStringLiteral("P.CDPRODUTO")),
};
const QList<FieldDef> adjustmentFields = {floatField(QStringLiteral("VRPEADPBASE"))};

// The base price may be used at the branch and by the customer: a customer
// with base prices of its own uses only those.
const QString usableBasePrice = QStringLiteral(
    " AND EXISTS (SELECT 1 FROM PRECOBASEFIL F WHERE F.CDFILIAL = ? AND F.CDPRECOBASE = I.CDPRECOBASE)"
    " AND (? = '' OR NOT EXISTS (SELECT 1 FROM PRECOBASECLI C WHERE C.CDCLIENTE = ?)"
    "      OR EXISTS (SELECT 1 FROM PRECOBASECLI C WHERE C.CDCLIENTE = ? AND C.CDPRECOBASE = I.CDPRECOBASE))");

// What a price depends on besides the product: the order's header and the
// item's price kind.
struct PriceQuestion {
    QString basePrice;
    QString branch;
    QString modality;
    QDate day;
    QString customer;
    QString kind;
};

// The arguments GetPreco and GetPrecos share; the product (argument 1) is
// read by each.
PriceQuestion priceQuestion(const QJsonArray& params)
{
    PriceQuestion question;
    question.basePrice = keyValue(params, 0, basePriceArg);
    keyValue(params, 2, companyArg);
    question.branch = keyValue(params, 3, branchArg);
    question.modality = keyValue(params, 4, modalityArg);
    question.day = dayArg(params, 5, "Data do pedido");
    question.customer = keyValue(params, 6, customerArg);
    question.kind = rowKind(keyValue(params, 7, priceKindArg));
    return question;
}

// GetPreco's answer from the first row of a product: the row in force, or
// the reason there is none.
QJsonArray priceAnswer(const QVariantList* firstRow)
{
    DataPacket priceRow = emptyPacket(fieldsOf(priceRowColumns));
    DataPacket adjustment = emptyPacket(adjustmentFields);
    QJsonValue refusal;
    if (!firstRow) {
        refusal = NotRegistered;
    } else if (firstRow->last().toInt() != 1) {
        refusal = NotInForce;
    } else {
        priceRow.rows.append(firstRow->mid(0, priceRowColumns.size()));
        adjustment.rows.append({firstRow->at(priceRowColumns.size())});
    }
    return QJsonArray{priceRow.toJson(), adjustment.toJson(), refusal};
}

// One query per few hundred products: every row of each product for the
// base price and kind, the one in force on the day first (the latest start
// among them), with the adjustment of the branch's price parameter for the
// modality. The answers come in the order of `products`.
QJsonArray pricesOf(CallContext& context, const PriceQuestion& question, const QStringList& products)
{
    QList<SelectColumn> columns = priceRowColumns;
    columns.append(number(QStringLiteral("VRPEADPBASE"), QStringLiteral("COALESCE(A.VRPEADPBASE, 0)")));
    columns.append(column(integerField(QStringLiteral("EMVIGOR")),
                          QStringLiteral("CASE WHEN I.DTINIVALIPB < ? AND (I.DTFIMVALIPB IS NULL OR I.DTFIMVALIPB >= ?)"
                                         " THEN 1 ELSE 0 END")));
    const bool postgres = isPostgres(context.db);
    const QVariant from = dayStart(postgres, question.day);
    const QVariant until = dayStart(postgres, question.day.addDays(1));

    QHash<QString, QVariantList> firstRows;   // CDARVPROD -> its first row
    constexpr qsizetype productsPerQuery = 500;
    for (qsizetype start = 0; start < products.size(); start += productsPerQuery) {
        const QStringList chunk = products.mid(start, productsPerQuery);
        QVariantList values{until, from, question.basePrice, question.kind, question.branch, question.modality};
        for (const QString& product : chunk)
            values.append(product);
        values.append({question.branch, question.customer, question.customer, question.customer});
        const DataPacket rows = selectColumns(
            context.db, columns,
            QStringLiteral("FROM PRODUTO P"
                           " INNER JOIN ITEMPRECOBASE I ON I.CDPRODUTO = P.CDPRODUTO AND I.CDPRECOBASE = ? AND I.IDITPEDDIFER = ?"
                           " LEFT JOIN PARAMPRECO A ON A.CDFILIAL = ? AND A.CDMODPGTO = ? AND A.CDPRECOBASE = I.CDPRECOBASE"
                           " WHERE P.CDARVPROD IN (%1)")
                    .arg(placeholders(chunk.size()))
                + usableBasePrice + QStringLiteral(" ORDER BY 2, 10 DESC, I.DTINIVALIPB DESC"),
            values);
        for (const QVariantList& row : rows.rows) {
            const QString product = row.at(1).toString();
            if (!firstRows.contains(product))
                firstRows.insert(product, row);
        }
    }
    QJsonArray answers;
    for (const QString& product : products) {
        const auto first = firstRows.constFind(product);
        answers.append(priceAnswer(first == firstRows.constEnd() ? nullptr : &*first));
    }
    return answers;
}

QJsonValue getPreco(CallContext& context, QJsonArray& params)
{
    const QString product = keyValue(params, 1, typedProductArg);
    return pricesOf(context, priceQuestion(params), {product}).first();
}

// Repricing a whole order asks for every product in one call: the answer
// per product is GetPreco's, in the order of the list.
QJsonValue getPrecos(CallContext& context, QJsonArray& params)
{
    const QJsonArray list = params.at(1).toArray();
    QStringList products;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list.at(i).isString())
            throw MethodError(QStringLiteral("Código do produto inválido na posição %1 da lista: deve ser um texto.")
                                  .arg(i + 1)
                                  .toStdString());
        products.append(keyValue(list, int(i), typedProductArg));
    }
    return pricesOf(context, priceQuestion(params), products);
}

// ---- every item of an order ------------------------------------------------------

const QList<FieldDef> priceProblemFields = {
    textField(QStringLiteral("CDFILIAL"), 4),   textField(QStringLiteral("NRPEDIDO"), 10),
    textField(QStringLiteral("NRITEMPED"), 10), textField(QStringLiteral("CDARVPROD"), 20),
    textField(QStringLiteral("NMPRODUTO"), 50), textField(QStringLiteral("CDERRO"), 20),
    textField(QStringLiteral("DSERRO"), 120),
};

QString itemText(const DataPacket& items, const QVariantList& row, const char* field)
{
    const int index = items.indexOf(QString::fromUtf8(field));
    return index < 0 ? QString() : row.at(index).toString();
}

// After a change of base price or date every item is priced again as a
// normal price: each needs a normal row in force. The rows of all the
// order's products are read in one query.
QJsonValue vdPrecoOk(CallContext& context, QJsonArray& params)
{
    const QString basePrice = keyValue(params, 0, basePriceArg);
    const QDate day = dayArg(params, 1, "Data do pedido");
    const DataPacket items = DataPacket::fromJson(params.at(2).toObject());
    const QString customer = keyValue(params, 3, customerArg);
    if (items.indexOf(QStringLiteral("CDPRODUTO")) < 0 && !items.rows.isEmpty())
        throw MethodError("Itens do pedido sem o campo CDPRODUTO.");

    QList<QVariantList> priced;
    QStringList products;
    QSet<QString> seen;
    for (const QVariantList& row : items.rows) {
        const QString product = itemText(items, row, "CDPRODUTO");
        if (product.isEmpty() || itemText(items, row, "IDSITITEMPED") == u"5")
            continue;
        priced.append(row);
        if (!seen.contains(product)) {
            seen.insert(product);
            products.append(product);
        }
    }
    if (priced.isEmpty())
        return QJsonValue::Null;

    // product -> whether a normal row is in force (false: rows, none in force)
    QHash<QString, bool> inForce;
    for (qsizetype start = 0; start < products.size(); start += 20000) {
        const QStringList chunk = products.mid(start, 20000);
        const bool postgres = isPostgres(context.db);
        QVariantList values{dayStart(postgres, day.addDays(1)), dayStart(postgres, day), basePrice};
        for (const QString& product : chunk)
            values.append(product);
        QSqlQuery query = execSql(
            context.db,
            QStringLiteral("SELECT I.CDPRODUTO, MAX(CASE WHEN I.DTINIVALIPB < ? AND (I.DTFIMVALIPB IS NULL OR I.DTFIMVALIPB >= ?)"
                           " THEN 1 ELSE 0 END) FROM ITEMPRECOBASE I"
                           " WHERE I.CDPRECOBASE = ? AND I.IDITPEDDIFER = 'N' AND I.CDPRODUTO IN (%1) GROUP BY I.CDPRODUTO")
                .arg(placeholders(chunk.size())),
            values);
        while (query.next())
            inForce.insert(query.value(0).toString(), query.value(1).toInt() == 1);
    }
    const bool customerMayUse =
        customer.isEmpty()
        || !selectValue(context.db, QStringLiteral("SELECT 1 FROM PRECOBASECLI WHERE CDCLIENTE = ?"), {customer}).isValid()
        || selectValue(context.db, QStringLiteral("SELECT 1 FROM PRECOBASECLI WHERE CDCLIENTE = ? AND CDPRECOBASE = ?"),
                       {customer, basePrice})
               .isValid();

    DataPacket problems = emptyPacket(priceProblemFields);
    for (const QVariantList& row : priced) {
        const auto found = inForce.constFind(itemText(items, row, "CDPRODUTO"));
        QString key;
        QString text;
        if (!customerMayUse || found == inForce.constEnd()) {
            key = NotRegistered;
            text = QStringLiteral("Preço não cadastrado no preço base %1.").arg(basePrice);
        } else if (!found.value()) {
            key = NotInForce;
            text = QStringLiteral("Preço do produto fora da validade em %1.").arg(day.toString(QStringLiteral("dd/MM/yyyy")));
        } else {
            continue;
        }
        problems.rows.append({itemText(items, row, "CDFILIAL"), itemText(items, row, "NRPEDIDO"), itemText(items, row, "NRITEMPED"),
                              itemText(items, row, "CDARVPROD"), itemText(items, row, "NMPRODUTO"), key, text});
    }
    if (problems.rows.isEmpty())
        return QJsonValue::Null;
    return problems.toJson();
}

// The items still open take the new delivery date and time.
QJsonValue setMudaData(CallContext& context, QJsonArray& params)
{
    const OrderKey order = orderKeyArgs(params);
    const QDateTime when = parseIsoLenient(params.at(2).toString().trimmed());
    if (!when.isValid())
        throw MethodError(QStringLiteral("Data de entrega inválida: \"%1\".").arg(params.at(2).toString().left(40)).toStdString());
    if (order.isEmpty())
        return 0;
    QSqlQuery update = execSql(context.db,
                               QStringLiteral("UPDATE ITEMPEDIDO SET DTENTITPED = ?"
                                              " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED NOT IN ('4', '5', '6')"),
                               {when, order.branch, order.number});
    return update.numRowsAffected();
}

// ---- base prices, optional prices, commission discount ---------------------------

// The customer's own base prices (IDPESQ "1") before every base price ("2"):
// the screen keeps the rows of the first row's kind.
QJsonValue getPesqPrcBase(CallContext& context, QJsonArray& params)
{
    const QString customer = keyValue(params, 0, customerArg);
    return selectPacket(context.db,
                        {textField(QStringLiteral("CDPRECOBASE"), 2), textField(QStringLiteral("DSPRECOBASE"), 30),
                         textField(QStringLiteral("IDPESQ"), 1), textField(QStringLiteral("IDULTPRECPROMO"), 1)},
                        QStringLiteral("SELECT B.CDPRECOBASE, B.DSPRECOBASE, '1', 'N' FROM PRECOBASECLI C"
                                       " INNER JOIN PRECOBASE B ON B.CDPRECOBASE = C.CDPRECOBASE WHERE C.CDCLIENTE = ?"
                                       " UNION ALL"
                                       " SELECT B.CDPRECOBASE, B.DSPRECOBASE, '2', 'N' FROM PRECOBASE B"
                                       " ORDER BY 3, 1"),
                        {customer})
        .toJson();
}

QJsonValue getPrOpcionais(CallContext& context, QJsonArray& params)
{
    const QString product = keyValue(params, 0, productArg);
    const QString basePrice = keyValue(params, 1, basePriceArg);
    return selectPacket(context.db,
                        {textField(QStringLiteral("SGFATPRECO"), 4), textField(QStringLiteral("NMFATPRECO"), 30),
                         floatField(QStringLiteral("VROPCIOPRBASE")), textField(QStringLiteral("PROPCIO"), 1)},
                        QStringLiteral("SELECT F.SGFATPRECO, F.NMFATPRECO, O.VROPCIOPRBASE, O.IDPROPCIO FROM PRECOOPCIONAL O"
                                       " INNER JOIN FATORPRECO F ON F.CDFATPRECO = O.CDFATPRECO"
                                       " WHERE O.CDPRODUTO = ? AND O.CDPRECOBASE = ? ORDER BY O.VROPCIOPRBASE"),
                        {product, basePrice})
        .toJson();
}

// The factors of a product with the price each gives, to the cent, beside
// the product's cost at the branch (the latest cost of the branch's cost
// type, or the product's own cost without one), so the clerk who prices by
// factor at entry sees the margin of each.
QJsonValue getFatorPre(CallContext& context, QJsonArray& params)
{
    constexpr KeyArg factorArg{"Fator", 4};
    const QString product = keyValue(params, 0, productArg);
    const QString factor = keyValue(params, 1, factorArg);
    const QString all = params.at(2).toString();
    const QString branch = keyValue(params, 3, branchArg);
    DataPacket factors = selectPacket(
        context.db,
        {textField(QStringLiteral("CDFATPRECO"), 3), textField(QStringLiteral("SGFATPRECO"), 4),
         textField(QStringLiteral("NMFATPRECO"), 30), floatField(QStringLiteral("VRFATPRECO")),
         floatField(QStringLiteral("VRCUSTFATPR")), floatField(QStringLiteral("VRCUSTOPROD"))},
        QStringLiteral("SELECT F.CDFATPRECO, F.SGFATPRECO, F.NMFATPRECO, P.VRFATPRECO, NULL,"
                       " COALESCE((SELECT H.VRHISCUSTOPROD FROM HISTCUSTOPROD H"
                       "           WHERE H.CDFILIALHIST = ? AND H.CDPRODUTOHIST = P.CDPRODUTO"
                       "             AND H.NRTPCUSTORENT = (SELECT M.NRTPCUSTORENT FROM PARAMPEDIDO M WHERE M.CDFILIAL = ?)"
                       "           ORDER BY H.DTHISCUSTO DESC LIMIT 1), R.VRCUSTPROD)"
                       " FROM PRODFATOR P INNER JOIN FATORPRECO F ON F.CDFATPRECO = P.CDFATPRECO"
                       " INNER JOIN PRODUTO R ON R.CDPRODUTO = P.CDPRODUTO"
                       " WHERE P.CDPRODUTO = ? AND (? = 'T' OR UPPER(F.SGFATPRECO) = UPPER(?)) ORDER BY F.CDFATPRECO"),
        {branch, branch, product, all, factor});
    for (QVariantList& row : factors.rows)
        row[4] = RoundDec(row.at(3).toDouble(), 2);
    return factors.toJson();
}

QJsonValue getVrDescClie(CallContext& context, QJsonArray& params)
{
    const QString customer = keyValue(params, 0, customerArg);
    return selectPacket(context.db, {floatField(QStringLiteral("VRDESCCOMISS"))},
                        QStringLiteral("SELECT VRDESCCOMISS FROM CLIENTE WHERE CDCLIENTE = ? AND VRDESCCOMISS IS NOT NULL"),
                        {customer})
        .toJson();
}

ArgSpec dateArg(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Date, false, false, doc};
}

ArgSpec packetArg(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Packet, false, false, doc};
}

const QString priceBaseDoc = QStringLiteral("Base price of the order (CDPRECOBASE), up to 2 characters.");
const QString customerDoc = QStringLiteral("Customer of the order (CDCLIENTE), up to 21 characters; empty for none.");

} // namespace

void registerLanPedidoPricing(MethodRegistry& registry)
{
    registry.add(readMethod(
        QStringLiteral("GetPreco"),
        {textArg(QStringLiteral("basePrice"), priceBaseDoc),
         textArg(QStringLiteral("product"), QStringLiteral("Product code as typed (CDARVPROD), up to 20 characters.")),
         textArg(QStringLiteral("company"), QStringLiteral("Company code (EmprProc), up to 4 characters; not read.")),
         textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("modality"), QStringLiteral("Payment modality of the order (CDMODPGTO), up to 5 characters.")),
         dateArg(QStringLiteral("orderDate"), QStringLiteral("Order date; its day decides the validity.")),
         textArg(QStringLiteral("customer"), customerDoc),
         textArg(QStringLiteral("priceKind"), QStringLiteral("Price kind of the item (IDITPEDDIFER); empty reads as \"N\"."))},
        QStringLiteral("Finds the price-table row of the product for the base price and price kind that is in force on the "
                       "order day (the latest start among those in force), in one query. The base price must be offered at "
                       "the branch (PRECOBASEFIL), and a customer with base prices of its own (PRECOBASECLI) uses only those."),
        QStringLiteral("Value array of 3: [0] data packet VRITEPREBASE, CDARVPROD (20), CDPRECOBASE (2), DTINIVALIPB, "
                       "DTFIMVALIPB, IDITPEDDIFER (1), IDPRECOPROM (1), CDPRODUTO (10), one row when found; [1] data packet "
                       "VRPEADPBASE, the adjustment % of the price parameter for branch, modality and base price (0 without "
                       "one), one row when found; [2] null when found, \"PRECO_NAO_CAD\" when there is no such row (or the "
                       "base price may not be used here), \"PRECO_N_VIGOR\" when no row is in force on the day."),
        getPreco));
    registry.add(readMethod(
        QStringLiteral("GetPrecos"),
        {textArg(QStringLiteral("basePrice"), priceBaseDoc),
         ArgSpec{QStringLiteral("products"), ArgKind::ValueArray, false, false,
                 QStringLiteral("Product codes as typed (CDARVPROD), each up to 20 characters.")},
         textArg(QStringLiteral("company"), QStringLiteral("Company code (EmprProc), up to 4 characters; not read.")),
         textArg(QStringLiteral("branch"), branchDoc),
         textArg(QStringLiteral("modality"), QStringLiteral("Payment modality of the order (CDMODPGTO), up to 5 characters.")),
         dateArg(QStringLiteral("orderDate"), QStringLiteral("Order date; its day decides the validity.")),
         textArg(QStringLiteral("customer"), customerDoc),
         textArg(QStringLiteral("priceKind"), QStringLiteral("Price kind of the items (IDITPEDDIFER); empty reads as \"N\"."))},
        QStringLiteral("GetPreco for many products of one order at once, as repricing after a change of base price or date "
                       "needs them: one call instead of one per item, and one query per 500 products."),
        QStringLiteral("Value array with one element per product, in the order given: GetPreco's value array of 3."),
        getPrecos));
    registry.add(readMethod(
        QStringLiteral("VD_PRECOOK"),
        {textArg(QStringLiteral("basePrice"), priceBaseDoc), dateArg(QStringLiteral("orderDate"), QStringLiteral("Order date.")),
         packetArg(QStringLiteral("items"), QStringLiteral("Data packet of the order's items (at least CDPRODUTO; CDFILIAL, "
                                                           "NRPEDIDO, NRITEMPED, CDARVPROD, NMPRODUTO, IDSITITEMPED are read "
                                                           "when present).")),
         textArg(QStringLiteral("customer"), customerDoc)},
        QStringLiteral("Checks that every item with a product (cancelled items aside) has a normal price in force on the day "
                       "in the base price, as repricing would look it up; the products' rows are read in one query."),
        QStringLiteral("Null when every item has a price; otherwise a data packet CDFILIAL, NRPEDIDO, NRITEMPED, CDARVPROD, "
                       "NMPRODUTO, CDERRO (\"PRECO_NAO_CAD\" or \"PRECO_N_VIGOR\"), DSERRO (120), one row per item without "
                       "a price."),
        vdPrecoOk));
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("SetMudaData"),
        {textArg(QStringLiteral("branch"), branchDoc), textArg(QStringLiteral("order"), orderDoc),
         dateArg(QStringLiteral("deliveryDate"), QStringLiteral("New delivery date and time of the items."))},
        QStringLiteral("Gives every item of the stored order that is not settled or cancelled the new delivery date and time."),
        QStringLiteral("The number of items changed (0 for an order that is not stored)."),
        setMudaData});
    registry.add(readMethod(
        QStringLiteral("GetPesqPrcBase"), {textArg(QStringLiteral("customer"), customerDoc)},
        QStringLiteral("Lists the base prices for the base-price look-up of an order."),
        QStringLiteral("Data packet CDPRECOBASE (2), DSPRECOBASE (30), IDPESQ (1), IDULTPRECPROMO (1, \"N\"): first the "
                       "customer's own base prices with IDPESQ \"1\", then every base price with IDPESQ \"2\", each by code."),
        getPesqPrcBase));
    registry.add(readMethod(
        QStringLiteral("getPrOpcionais"),
        {textArg(QStringLiteral("product"), QStringLiteral("Product (CDPRODUTO), up to 10 characters.")),
         textArg(QStringLiteral("basePrice"), priceBaseDoc)},
        QStringLiteral("Lists the optional prices of a product in a base price."),
        QStringLiteral("Data packet SGFATPRECO (4), NMFATPRECO (30), VROPCIOPRBASE, PROPCIO (1), lowest price first."),
        getPrOpcionais));
    registry.add(readMethod(
        QStringLiteral("getFatorPre"),
        {textArg(QStringLiteral("product"), QStringLiteral("Product (CDPRODUTO), up to 10 characters.")),
         textArg(QStringLiteral("factor"), QStringLiteral("Factor abbreviation (SGFATPRECO, any letter case), up to 4 "
                                                          "characters; read only when allFactors is not \"T\".")),
         textArg(QStringLiteral("allFactors"), QStringLiteral("\"T\" for every factor of the product.")),
         textArg(QStringLiteral("branch"), branchDoc)},
        QStringLiteral("Lists the price factors of a product with the price each gives and the product's cost at the "
                       "branch: the latest cost of the branch's cost type (PARAMPEDIDO.NRTPCUSTORENT), else the "
                       "product's VRCUSTPROD."),
        QStringLiteral("Data packet CDFATPRECO (3), SGFATPRECO (4), NMFATPRECO (30), VRFATPRECO, VRCUSTFATPR (the "
                       "factor's price to the cent, the unit price the item takes), VRCUSTOPROD (null without a cost), "
                       "by factor code."),
        getFatorPre));
    registry.add(readMethod(
        QStringLiteral("getVrDescClie"), {textArg(QStringLiteral("customer"), customerDoc)},
        QStringLiteral("Reads the customer's commission discount."),
        QStringLiteral("Data packet VRDESCCOMISS: one row when the customer has one, else none."), getVrDescClie));
}
