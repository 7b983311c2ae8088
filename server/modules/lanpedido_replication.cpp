// Order replication: a stored order copied into a new order of a branch
// (its own or another), for a customer, a destination branch and new dates,
// in one transaction. What would make the copy unusable (a customer that is
// inactive or blocked, a product the branch does not sell, an item without a
// price in force) is listed for the clerk and nothing is stored.
//
// The new order takes its number from the branch's counter. Header, items
// with their compositions, payment terms, note, additional data, charges,
// commissioned sellers and, for the same customer, the delivery address are
// copied; the taxes are worked out again. At a branch that prices from price
// tables each item is priced again from the order's base price at the new
// order date (a typed or parameter price stays); elsewhere prices stay.

#include "topics.h"

#include "argument_checks.h"
#include "goods_value.h"
#include "iso_datetime.h"
#include "method_declarations.h"
#include "money.h"
#include "order_numbers.h"
#include "order_packets.h"
#include "order_status.h"
#include "order_tables.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "tax_model.h"

#include <QDateTime>
#include <QJsonArray>
#include <QSet>

namespace {

using OrderPackets::OrderKey;

enum Arg : int {
    BranchArg = 0,
    CustomerArg,
    DestinationArg,
    OrderDateArg,
    DeliveryDateArg,
    ValidityDateArg,
    PurchaseOrderArg,
    SourceBranchArg,
    SourceOrderArg,
    OperatorArg,
};

constexpr KeyArg destinationArg{"Filial destino", 4};
constexpr KeyArg purchaseOrderArg{"Ordem de compra", 15};
constexpr KeyArg operatorArg{"Operador", 12};

// The tables the copy takes, parents first; the taxes are worked out anew,
// profitability and patient data belong to the source order alone.
const QStringList copiedTables{QStringLiteral("PEDIDO"),      QStringLiteral("ITEMPEDIDO"),  QStringLiteral("COMPITEMPED"),
                               QStringLiteral("TERCITEMPED"), QStringLiteral("OBSPEDIDO"),   QStringLiteral("DADOADICPED"),
                               QStringLiteral("ENDEPEDIDO"),  QStringLiteral("ENCARGOPED"),  QStringLiteral("PRAZOPGTOPED"),
                               QStringLiteral("VENDPEDIDO")};

// Price kinds whose price comes from a price-table row.
const QStringList tableKinds{QString(), QStringLiteral("N"), QStringLiteral("P"), QStringLiteral("G"), QStringLiteral("S")};

QDateTime dateArg(const QJsonArray& params, int index, const char* label, bool required)
{
    const QString text = params.at(index).toString().trimmed();
    if (text.isEmpty()) {
        if (required)
            throw MethodError(QStringLiteral("%1 deve ser informada.").arg(QString::fromUtf8(label)).toStdString());
        return {};
    }
    const QDateTime when = parseIsoLenient(text);
    if (!when.isValid())
        throw MethodError(QStringLiteral("%1 inválida: \"%2\".").arg(QString::fromUtf8(label), text.left(40)).toStdString());
    return when;
}

struct Request {
    QString branch;
    QString customer;
    QString destination;
    QDateTime orderDate;
    QDateTime deliveryDate;
    QDateTime validityDate;   // invalid: none
    QString purchaseOrder;
    OrderKey source;
    QString operatorCode;
};

Request requestArgs(const CallContext& context, const QJsonArray& params)
{
    Request request;
    request.branch = keyValue(params, BranchArg, branchArg).trimmed();
    request.customer = keyValue(params, CustomerArg, customerArg).trimmed();
    request.destination = keyValue(params, DestinationArg, destinationArg).trimmed();
    request.purchaseOrder = keyValue(params, PurchaseOrderArg, purchaseOrderArg);
    request.source = OrderPackets::orderKeyArgs(params, SourceBranchArg, SourceOrderArg);
    request.operatorCode = keyValue(params, OperatorArg, operatorArg);
    // The session says who is working; the argument may not name another.
    if (!context.operatorCode.isEmpty() && request.operatorCode.compare(context.operatorCode, Qt::CaseInsensitive) != 0)
        throw MethodError(QStringLiteral("Operador \"%1\" não é o operador da sessão.").arg(request.operatorCode.left(40)).toStdString());
    if (request.source.isEmpty())
        throw MethodError("Informe a filial e o número do pedido a replicar.");
    if (request.branch.isEmpty())
        throw MethodError("Filial deve ser informada.");
    if (request.customer.isEmpty())
        throw MethodError("Código do cliente deve ser informado.");
    request.orderDate = dateArg(params, OrderDateArg, "Data pedido", true);
    request.deliveryDate = dateArg(params, DeliveryDateArg, "Data de entrega", true);
    request.validityDate = dateArg(params, ValidityDateArg, "Data de validade", false);
    if (request.deliveryDate.date() < request.orderDate.date())
        throw MethodError("Data de entrega deve ser maior ou igual à data do pedido.");
    if (request.validityDate.isValid() && request.validityDate.date() < request.orderDate.date())
        throw MethodError("Data de validade deve ser maior ou igual à data do pedido.");
    return request;
}

// What the new order takes from its source and from the branch.
struct Header {
    QString seller;
    QString modality;
    QString operationType;
    QString basePrice;
    QString orderType;    // IDTIPOPEDIDO: "2" quotation
    QString customer;     // the source's CDCLIENTE
    QString priceMode;    // the branch's IDTABPRECO
    QString status;       // of the new order
};

Header headerOf(const QSqlDatabase& db, const Request& request)
{
    QSqlQuery source = execSql(db,
                               QStringLiteral("SELECT IDSITPEDIDO, CDVENDEDOR, CDMODPGTO, CDTIPOOPER, CDPRECOBASE, IDTIPOPEDIDO, CDCLIENTE"
                                              " FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                               {request.source.branch, request.source.number});
    if (!source.next())
        throw MethodError(QStringLiteral("Pedido %1 da filial %2 não encontrado.")
                              .arg(request.source.number, request.source.branch)
                              .toStdString());
    if (source.value(0).toString() == u"4")
        throw MethodError(QStringLiteral("Pedido %1 cancelado não pode ser replicado.").arg(request.source.number).toStdString());
    Header header{source.value(1).toString().trimmed(), source.value(2).toString().trimmed(), source.value(3).toString().trimmed(),
                  source.value(4).toString().trimmed(), source.value(5).toString(), source.value(6).toString(), {}, {}};

    if (!selectValue(db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = ?"), {request.branch}).isValid())
        throw MethodError(QStringLiteral("Filial %1 não cadastrada.").arg(request.branch).toStdString());
    QSqlQuery params = execSql(db,
                               QStringLiteral("SELECT CDVENDEDOR, CDMODPGTO, CDTIPOOPER, IDTABPRECO, IDLANCPED FROM PARAMPEDIDO"
                                              " WHERE CDFILIAL = ?"),
                               {request.branch});
    if (!params.next())
        throw MethodError("FILIAL_N_PARAM");
    // What the source order lacks the branch's defaults give.
    const auto orDefault = [&](QString& value, int column, const char* refusal) {
        if (value.isEmpty())
            value = params.value(column).toString().trimmed();
        if (value.isEmpty())
            throw MethodError(refusal);
    };
    orDefault(header.seller, 0, "VENDEDOR_INF");
    orDefault(header.modality, 1, "MOD_PAGAMENTO");
    orDefault(header.operationType, 2, "TIPOOPER_INF");
    header.priceMode = params.value(3).toString();
    // A new order's status as the screen gives it: quotations are pending;
    // otherwise the modality's launch code, or the branch's, decides.
    const QString modalityLaunch =
        selectValue(db, QStringLiteral("SELECT IDLANCPEDMOD FROM MODPGTO WHERE CDMODPGTO = ?"), {header.modality}).toString().trimmed();
    header.status = RegrasPedido::situacaoDoPedido(header.orderType == u"2", QStringLiteral("1"), modalityLaunch,
                                                   params.value(4).toString().trimmed());

    if (!request.destination.isEmpty()
        && !selectValue(db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = ?"), {request.destination}).isValid())
        throw MethodError(QStringLiteral("Filial destino %1 não cadastrada.").arg(request.destination).toStdString());
    return header;
}

// The problem list: one row per table and code.
class Problems {
public:
    void add(const QString& table, const QString& code)
    {
        if (m_seen.contains({table, code}))
            return;
        m_seen.insert({table, code});
        m_packet.rows.append({table, code});
    }
    bool isEmpty() const { return m_packet.rows.isEmpty(); }
    QJsonObject toJson() const { return m_packet.toJson(); }

private:
    DataPacket m_packet = emptyPacket({textField(QStringLiteral("CDTABELA"), 20), textField(QStringLiteral("CDERRO"), 12)});
    QSet<std::pair<QString, QString>> m_seen;
};

void checkCustomer(const QSqlDatabase& db, const QString& customer, Problems& problems)
{
    QSqlQuery row = execSql(db, QStringLiteral("SELECT IDCLIEATIV, IDBLOQUEADO FROM CLIENTE WHERE CDCLIENTE = ?"), {customer});
    if (!row.next())
        throw MethodError(QStringLiteral("Cliente %1 não cadastrado.").arg(customer.left(40)).toStdString());
    if (row.value(0).toString() == u"N")
        problems.add(QStringLiteral("CLIENTE"), QStringLiteral("CLIE_INATIVO"));
    if (row.value(1).toString() == u"S")
        problems.add(QStringLiteral("CLIENTE"), QStringLiteral("CLIE_BLOQ"));
}

// One item of the source with the price the copy gives it.
struct Item {
    QString number;
    QString product;
    QString kind;
    double quantity = 0;
    double discountPercent = 0;
    double discount = 0;
    double tablePrice = 0;
    double price = 0;
    bool repriced = false;
};

QList<Item> liveItems(const QSqlDatabase& db, const OrderKey& source)
{
    QSqlQuery query = execSql(db,
                              QStringLiteral("SELECT NRITEMPED, CDPRODUTO, IDITPEDDIFER, QTITEMPED, PERDESC, VRDESITPED, VRITEPREBASE,"
                                             " VRPREUNITPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"
                                             " ORDER BY NRITEMPED"),
                              {source.branch, source.number});
    QList<Item> items;
    while (query.next())
        items.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString().trimmed(),
                      query.value(3).toDouble(), query.value(4).toDouble(), query.value(5).toDouble(), query.value(6).toDouble(),
                      query.value(7).toDouble(), false});
    return items;
}

void checkProductsSold(const QSqlDatabase& db, const QString& branch, const QList<Item>& items, Problems& problems)
{
    for (const Item& item : items)
        if (selectValue(db, QStringLiteral("SELECT 1 FROM PRODFILIAL WHERE CDFILIAL = ? AND CDPRODUTO = ? AND IDVENDPRODFIL = 'N'"),
                        {branch, item.product})
                .isValid())
            problems.add(QStringLiteral("PRODFILIAL"), QStringLiteral("PROD_N_FIL"));
}

// The price-table row of each item's kind in force on the order date, from
// a base price the branch offers and the customer may use, with the branch's
// adjustment for the modality.
void reprice(const QSqlDatabase& db, const Request& request, const Header& header, QList<Item>& items, Problems& problems)
{
    const bool postgres = isPostgres(db);
    const QDate day = request.orderDate.date();
    const QVariant adjustment = selectValue(
        db, QStringLiteral("SELECT VRPEADPBASE FROM PARAMPRECO WHERE CDFILIAL = ? AND CDMODPGTO = ? AND CDPRECOBASE = ?"),
        {request.branch, header.modality, header.basePrice});
    const bool usable =
        selectValue(db, QStringLiteral("SELECT 1 FROM PRECOBASEFIL WHERE CDFILIAL = ? AND CDPRECOBASE = ?"), {request.branch, header.basePrice})
            .isValid()
        && (!selectValue(db, QStringLiteral("SELECT 1 FROM PRECOBASECLI WHERE CDCLIENTE = ?"), {request.customer}).isValid()
            || selectValue(db, QStringLiteral("SELECT 1 FROM PRECOBASECLI WHERE CDCLIENTE = ? AND CDPRECOBASE = ?"),
                           {request.customer, header.basePrice})
                   .isValid());
    for (Item& item : items) {
        if (!tableKinds.contains(item.kind))
            continue;
        QSqlQuery rows = execSql(db,
                                 QStringLiteral("SELECT VRITEPREBASE, CASE WHEN DTINIVALIPB < ? AND (DTFIMVALIPB IS NULL OR DTFIMVALIPB >= ?)"
                                                " THEN 1 ELSE 0 END AS EMVIGOR FROM ITEMPRECOBASE"
                                                " WHERE CDPRECOBASE = ? AND CDPRODUTO = ? AND IDITPEDDIFER = ?"
                                                " ORDER BY 2 DESC, DTINIVALIPB DESC"),
                                 {dayStart(postgres, day.addDays(1)), dayStart(postgres, day), header.basePrice, item.product,
                                  item.kind.isEmpty() ? QStringLiteral("N") : item.kind});
        if (!usable || !rows.next()) {
            problems.add(QStringLiteral("ITEMPRECOBASE"), QStringLiteral("VRITEPREBASE"));
            continue;
        }
        if (rows.value(1).toInt() != 1) {
            problems.add(QStringLiteral("ITEMPRECOBASE"), QStringLiteral("PRECOVENC"));
            continue;
        }
        item.tablePrice = rows.value(0).toDouble();
        item.price = RoundDec(item.tablePrice * (1 + adjustment.toDouble() / 100), 2);
        item.discount = RoundDec(goodsValue(item.price, item.quantity) * item.discountPercent / 100, 2);
        item.repriced = true;
    }
}

// ---- the copy -------------------------------------------------------------------

void copyOrder(const QSqlDatabase& db, const Request& request, const Header& header, const QList<Item>& items, const OrderKey& target)
{
    for (const QString& table : copiedTables)
        OrderTables::copyRows(db, table, request.source, target);
    const QVariantList key{target.branch, target.number};
    // Cancelled items stay behind, with what hangs on them.
    for (const char* table : {"COMPITEMPED", "TERCITEMPED"})
        execChange(db,
                   QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED IN"
                                  " (SELECT NRITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED = '5')")
                       .arg(QLatin1String(table)),
                   key + key);
    execChange(db, QStringLiteral("DELETE FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED = '5'"), key);
    // Another customer's delivery address is not this customer's: the
    // screen brings the customer's own when the order is opened.
    if (request.customer != header.customer)
        execChange(db, QStringLiteral("DELETE FROM ENDEPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), key);

    double total = 0;
    for (const Item& item : items) {
        if (item.repriced)
            execChange(db,
                       QStringLiteral("UPDATE ITEMPEDIDO SET VRITEPREBASE = ?, VRPREUNITPED = ?, VRPRTABITPED = ?, VRDESITPED = ?"
                                      " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                       {item.tablePrice, item.price, item.tablePrice, item.discount, target.branch, target.number, item.number});
        total += netGoodsValue(item.price, item.quantity, item.discount);
    }
    execChange(db,
               QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = ?, DTENTITPED = ?, QTEXPITEMPED = 0, IDITEMERRO = 'N',"
                              " IDITPEDRESER = 'N', NRHISIMPITEEEEP = NULL, CDOPERADOR = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {header.status, request.deliveryDate, request.operatorCode, target.branch, target.number});

    QSqlQuery customer = execSql(db,
                                 QStringLiteral("SELECT NMRAZSOCCLIE, NMFANTCLIE, IDTPIJURCLIE, NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?"),
                                 {request.customer});
    customer.next();
    const QVariant branchName = selectValue(db, QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = ?"),
                                            {request.destination.isEmpty() ? request.branch : request.destination});
    const QVariant now = QDateTime::currentDateTime();
    execChange(db,
               QStringLiteral("UPDATE PEDIDO SET CDCLIENTE = ?, NMRAZSOCCLIE = ?, NMFANTCLIE = ?, IDTPIJURCLIE = ?, NRINSJURCLIE = ?,"
                              " CDFILIALPED = ?, NMFILIAL = ?, DTPEDIDO = ?, DTENTPED = ?, DTVALIPED = ?, NRORDEMCMPPED = ?,"
                              " CDVENDEDOR = ?, CDMODPGTO = ?, CDTIPOOPER = ?, IDSITPEDIDO = ?, DTHRLANPED = ?, CDOPELANPED = ?,"
                              " DTHRALTPED = NULL, NRITPEDAPROVADO = 0, NRITPEDCONFIRMADO = 0, DSNFVENDAFUTURA = NULL,"
                              " IDPEDIDOIMPR = 'N', IDCANCCOMISPED = NULL, CDFILIALORC = NULL, NRORCAEVENTO = NULL,"
                              " NRSEQORCAEVE = NULL, VRTOTALPED = ?, VRTOTPEDLIQ = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {request.customer, customer.value(0), customer.value(1), customer.value(2), customer.value(3),
                request.destination.isEmpty() ? QVariant() : QVariant(request.destination),
                request.destination.isEmpty() ? QVariant() : branchName, request.orderDate, request.deliveryDate,
                request.validityDate.isValid() ? QVariant(request.validityDate) : QVariant(), request.purchaseOrder, header.seller,
                header.modality, header.operationType, header.status, now, request.operatorCode, RoundDec(total, 2),
                RoundDec(total, 2), target.branch, target.number});
    execChange(db, QStringLiteral("UPDATE PRAZOPGTOPED SET DTPEDIDO = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
               {request.orderDate, target.branch, target.number});
    storeOrderTaxes(db, target.branch, target.number);
}

QJsonValue replicaPedido(CallContext& context, QJsonArray& params)
{
    const Request request = requestArgs(context, params);
    const Header header = headerOf(context.db, request);
    Problems problems;
    checkCustomer(context.db, request.customer, problems);
    QList<Item> items = liveItems(context.db, request.source);
    checkProductsSold(context.db, request.branch, items, problems);
    if (header.priceMode == u"1")
        reprice(context.db, request, header, items, problems);
    for (const Item& item : items)
        if (!(item.price > 0))
            problems.add(QStringLiteral("ITEMPEDIDO"), QStringLiteral("VRPREUNITPED"));
    params[CustomerArg] = request.customer;
    if (!problems.isEmpty())
        return problems.toJson();
    const OrderKey target{request.branch, nextOrderNumber(context.db, request.branch)};
    copyOrder(context.db, request, header, items, target);
    return QJsonValue::Null;
}

ArgSpec dateArgSpec(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Date, false, true, doc};
}

} // namespace

void registerLanPedidoReplication(MethodRegistry& registry)
{
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("replicaPedido"),
        {textArg(QStringLiteral("branch"), QStringLiteral("Branch of the new order (CDFILIAL); it must have order-entry parameters.")),
         textArg(QStringLiteral("customer"), QStringLiteral("Customer of the new order (CDCLIENTE). Written back as taken."), true),
         textArg(QStringLiteral("destinationBranch"), QStringLiteral("Destination branch (CDFILIALPED); empty for none.")),
         dateArgSpec(QStringLiteral("orderDate"), QStringLiteral("Order date (DTPEDIDO).")),
         dateArgSpec(QStringLiteral("deliveryDate"), QStringLiteral("Delivery date of the order and its items; not before the order date.")),
         dateArgSpec(QStringLiteral("validityDate"), QStringLiteral("Validity date (DTVALIPED); null or empty for none, else not before the order date.")),
         textArg(QStringLiteral("purchaseOrder"), QStringLiteral("Customer purchase order number (NRORDEMCMPPED), up to 15 characters.")),
         textArg(QStringLiteral("sourceBranch"), QStringLiteral("Branch of the order copied.")),
         textArg(QStringLiteral("sourceOrder"), QStringLiteral("Number of the order copied.")),
         textArg(QStringLiteral("operator"), QStringLiteral("The logged-in operator (CDOPERADOR); must be the session's."))},
        QStringLiteral("Copies a stored order into a new order of the branch, numbered from the branch's counter, in one "
                       "transaction: header, live items (cancelled ones stay behind) with their compositions, payment terms, "
                       "note, additional data, charges and commissioned sellers, and the delivery address when the customer is "
                       "the source's; the taxes are worked out again. The new order takes the customer, destination branch, "
                       "dates and purchase order given; seller, modality and operation type of the source, or the branch's "
                       "defaults where the source has none; status \"1\", or \"2\" when the modality's (else the branch's) "
                       "launch code is \"2\" or \"3\" (quotations stay \"1\"); its items the same status, the delivery date and "
                       "nothing shipped. At a branch that prices from price tables (IDTABPRECO \"1\") every item of a table "
                       "price kind is priced again from the order's base price at the order date, with the branch's adjustment "
                       "for the modality, its discount percentage kept; elsewhere prices stay. When the copy would be unusable "
                       "nothing is stored and the problems come back. Refused with a message, storing nothing: a source order "
                       "not stored or cancelled, an unknown branch, destination branch or customer, missing or invalid dates, "
                       "a delivery or validity date before the order date, an operator other than the session's; with a key: "
                       "\"FILIAL_N_PARAM\" (the branch has no order-entry parameters), \"VENDEDOR_INF\", \"MOD_PAGAMENTO\", "
                       "\"TIPOOPER_INF\" (neither the source nor the branch's parameters name a seller, modality or "
                       "operation type)."),
        QStringLiteral("Null when the order was copied. Otherwise a packet of problems, one row per table and code, "
                       "CDTABELA (20), CDERRO (12): CLIENTE CLIE_INATIVO (inactive customer), CLIENTE CLIE_BLOQ (blocked "
                       "customer), PRODFILIAL PROD_N_FIL (a product the branch does not sell), ITEMPRECOBASE VRITEPREBASE "
                       "(no price row of the item's kind in a base price the branch offers and the customer may use), "
                       "ITEMPRECOBASE PRECOVENC (price rows, none in force on the order date), ITEMPEDIDO VRPREUNITPED (a "
                       "unit price at or below 0). customer is written back."),
        replicaPedido});
}
