// The confirmation (SetConfirma): every pending change of an order stored
// in one transaction, or none of them, and what the server found for the
// clerk to review. docs/confirmation.md states the rules and the meaning
// of the submission flags; in short:
//
// - a review pass (argument 21 true) stores only on the first submission
//   and only when it finds nothing at all; whatever it finds comes back and
//   nothing is stored, so that declining a review leaves the order as it was;
// - a final pass (argument 21 false) follows the clerk's review: it stores,
//   with the reviewed price changes and reservations applied, unless the
//   order was changed meanwhile ("PED_ALTER"), a lot would be over-reserved
//   ("QTRES_ANT") or every item is in error.
//
// A stored confirmation also brings the order's item statuses, totals,
// taxes and installment values up to date, writes its audit row and its
// row of the logistics outbox. With an Idempotency-Key the answer is kept
// with the key, in the same transaction.

#include "topics.h"

#include "argument_checks.h"
#include "changeable_order.h"
#include "confirm_findings.h"
#include "confirmation_keys.h"
#include "json_text.h"
#include "method_declarations.h"
#include "money.h"
#include "order_delta.h"
#include "order_packets.h"
#include "order_totals.h"
#include "order_reservations.h"
#include "rows_json.h"
#include "rpc/method_registry.h"
#include "store/kept_statements.h"
#include "store/sql.h"
#include "tax_model.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

using OrderPackets::OrderKey;

enum Arg : int {
    HeaderArg = 0, TermsArg, AllItemsArg, ItemsArg, StockArg,
    FirstArg, IsOrderArg, OperatorArg, DateChangedArg, BasePriceChangedArg,
    SellerArg, StoredSellerArg, NoteArg, ItemCountArg, DeliveryDateArg,
    ItemNullsArg, AdditionalArg, ReservedArg, SellersArg, AddressArg,
    ReviewArg, ServerTextArg, FirstOnlyArg, AddressNullsArg, ChargesArg,
};

// The record sets whose change logs travel, with their tables, parents first.
struct DeltaArg {
    Arg arg;
    QString table;
    QString label;   // as a message names it
};
const QList<DeltaArg> deltaArgs{
    {HeaderArg, QStringLiteral("PEDIDO"), QStringLiteral("pedido")},
    {ItemsArg, QStringLiteral("ITEMPEDIDO"), QStringLiteral("itens")},
    {TermsArg, QStringLiteral("PRAZOPGTOPED"), QStringLiteral("prazos de pagamento")},
    {NoteArg, QStringLiteral("OBSPEDIDO"), QStringLiteral("observação")},
    {AdditionalArg, QStringLiteral("DADOADICPED"), QStringLiteral("dados adicionais")},
    {SellersArg, QStringLiteral("VENDPEDIDO"), QStringLiteral("vendedores")},
    {AddressArg, QStringLiteral("ENDEPEDIDO"), QStringLiteral("endereço de entrega")},
    {ChargesArg, QStringLiteral("ENCARGOPED"), QStringLiteral("encargos")},
};

constexpr KeyArg operatorArg{"Operador", 12};
const QString newOrderStatus = QStringLiteral("1");   // a new order's IDSITPEDIDO unless it names one
constexpr int elementCount = 6;

[[noreturn]] void refuse(const QString& message)
{
    throw MethodError(message.toStdString());
}

// Which submission of a confirmation this is (docs/confirmation.md).
enum class Pass {
    First,     // 6 and 21 true: stores when it finds nothing
    Recheck,   // 6 false, 21 true: after a review, finds again, stores nothing
    Final,     // 21 false: stores what the clerk reviewed
};

struct Request {
    bool newOrder() const { return !newHeader.isEmpty(); }
    OrderKey order;
    Delta newHeader;   // a new order's header row, alone; empty for a stored order
    QList<std::pair<DeltaArg, Delta>> deltas;
    Delta stock;
    QString operatorCode;
    Pass pass = Pass::First;
    bool checkCommission = false;
    bool quotation = false;
    QStringList pricedItems;   // inserted or changed by the item delta
};

// The order a change names through its CDFILIAL and NRPEDIDO.
OrderKey keyOfChange(const Delta& delta, const RowChange& change)
{
    const int branchAt = delta.indexOf(QStringLiteral("CDFILIAL"));
    const int orderAt = delta.indexOf(QStringLiteral("NRPEDIDO"));
    if (branchAt < 0 || orderAt < 0)
        return {};
    const QVariantList& values = change.op == ChangeOp::Delete ? change.oldValues : change.newValues;
    return {values.at(branchAt).toString(), values.at(orderAt).toString()};
}

// The order confirmed: the one the header names, else the items.
OrderKey orderOf(const Request& request, const QJsonArray& params)
{
    for (const auto& [arg, delta] : request.deltas)
        for (const RowChange& change : delta.changes) {
            const OrderKey key = keyOfChange(delta, change);
            if (!key.isEmpty())
                return key;
        }
    if (params.at(AllItemsArg).isObject()) {
        DataPacket items;
        try {
            items = DataPacket::fromJson(params.at(AllItemsArg).toObject());
        } catch (const DataPacketError& error) {
            refuse(QStringLiteral("Itens do pedido inválidos: %1").arg(QString::fromUtf8(error.what())));
        }
        const int branchAt = items.indexOf(QStringLiteral("CDFILIAL"));
        const int orderAt = items.indexOf(QStringLiteral("NRPEDIDO"));
        if (branchAt >= 0 && orderAt >= 0 && !items.rows.isEmpty())
            return {items.rows.first().at(branchAt).toString(), items.rows.first().at(orderAt).toString()};
    }
    return {};
}

// The arguments read and checked, without reading the database.
Request requestOf(const CallContext& context, const QJsonArray& params)
{
    Request request;
    request.operatorCode = keyValue(params, OperatorArg, operatorArg);
    if (!context.operatorCode.isEmpty() && request.operatorCode.compare(context.operatorCode, Qt::CaseInsensitive) != 0)
        refuse(QStringLiteral("Operador \"%1\" não é o operador da sessão.").arg(request.operatorCode.left(40)));
    if (request.operatorCode.isEmpty())
        request.operatorCode = context.operatorCode;
    for (const DeltaArg& arg : deltaArgs) {
        if (params.at(arg.arg).isNull())
            continue;
        const Delta delta = OrderDelta::readDelta(params.at(arg.arg), arg.label);
        if (!delta.isEmpty())
            request.deltas.append({arg, delta});
    }
    if (!params.at(StockArg).isNull())
        request.stock = OrderDelta::readDelta(params.at(StockArg), QStringLiteral("posição de estoque"));

    for (const auto& [arg, delta] : request.deltas) {
        if (arg.table == u"PEDIDO") {
            if (delta.changes.size() > 1)
                refuse(QStringLiteral("Alterações de pedido inválidas: uma confirmação grava um único pedido."));
            if (delta.changes.first().op == ChangeOp::Delete)
                refuse(QStringLiteral("Alterações de pedido inválidas: a exclusão do pedido não é feita pela confirmação."));
            if (delta.changes.first().op == ChangeOp::Insert)
                request.newHeader = delta;
        }
        if (arg.table == u"ITEMPEDIDO") {
            const int itemAt = delta.indexOf(QStringLiteral("NRITEMPED"));
            for (const RowChange& change : delta.changes)
                if (change.op != ChangeOp::Delete && itemAt >= 0)
                    request.pricedItems << change.newValues.at(itemAt).toString();
        }
    }
    request.order = orderOf(request, params);
    if (request.order.isEmpty())
        refuse(QStringLiteral("Informe o pedido a confirmar: nenhuma alteração nem item traz CDFILIAL e NRPEDIDO."));
    if (request.order.branch.size() > branchArg.maxSize || request.order.number.size() > orderArg.maxSize)
        refuse(QStringLiteral("Pedido %1/%2 inválido.").arg(request.order.branch.left(10), request.order.number.left(20)));

    const bool review = params.at(ReviewArg).toBool();
    request.pass = !review ? Pass::Final : params.at(FirstArg).toBool() ? Pass::First : Pass::Recheck;
    request.checkCommission = params.at(FirstOnlyArg).toBool();
    request.quotation = !params.at(IsOrderArg).isNull() && !params.at(IsOrderArg).toBool();
    return request;
}

// A new order takes the number GetPrxPedido handed out for its branch.
void requireHandedOutNumber(const QSqlDatabase& db, const OrderKey& order)
{
    bool numeric = false;
    const qlonglong number = order.number.toLongLong(&numeric);
    const QVariant last = selectValue(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {order.branch});
    if (!numeric || order.number.size() != 10 || !last.isValid() || number < 1 || number > last.toLongLong())
        refuse(QStringLiteral("Número de pedido %1 não foi reservado para a filial %2; obtenha-o com GetPrxPedido.")
                   .arg(order.number.left(20), order.branch));
}

// An order drawn on a customer commitment may not be worth more than the
// commitment's balance: its goods less discounts and free goods, as the
// submission leaves them. The failure text is the code the screen knows.
void requireCommitmentBalance(const QSqlDatabase& db, const OrderKey& order)
{
    const QVariant balance = selectValue(db,
                                         QStringLiteral("SELECT E.VRSALDOEMP FROM PEDIDO P INNER JOIN EMPENHO E"
                                                        " ON E.CDCLIENTE = P.CDCLIENTE AND E.NREMPENHO = P.NREMPENHO"
                                                        " WHERE P.CDFILIAL = ? AND P.NRPEDIDO = ?"),
                                         {order.branch, order.number});
    if (!balance.isValid() || balance.isNull())
        return;
    const OrderTotals totals = itemTotals(db, order);
    if (Cents::fromValue(totals.goods - totals.bonus) > Cents::fromValue(balance.toDouble()))
        throw MethodError("SALDO_INSU");
}

QString notFound(const OrderKey& order)
{
    return QStringLiteral("Pedido %1 da filial %2 não encontrado.").arg(order.number, order.branch);
}

// A field of a new order's header as the submission inserts it; null
// when it leaves the field out.
QVariant newHeaderValue(const Request& request, const QString& field)
{
    const int at = request.newHeader.indexOf(field);
    return at < 0 ? QVariant() : request.newHeader.changes.first().newValues.at(at);
}

// The order's status once its header is written: a new order's is the one
// it is inserted with.
QString orderStatus(const QSqlDatabase& db, const Request& request)
{
    if (request.newOrder()) {
        const QVariant status = newHeaderValue(request, QStringLiteral("IDSITPEDIDO"));
        return status.isNull() ? newOrderStatus : status.toString();
    }
    return selectValue(db, QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                       {request.order.branch, request.order.number})
        .toString();
}

QString compactText(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// One of the order's own logs: rows numbered per order, with the operator,
// the time and a text.
struct LogTable {
    QString table, sequence, time, text;
};
const LogTable historyLog{QStringLiteral("HISTPEDIDO"), QStringLiteral("NRSEQHISTPED"), QStringLiteral("DTHRHISTPED"),
                          QStringLiteral("TXALTERACOES")};
const LogTable outboxLog{QStringLiteral("SAIDALOGISTICA"), QStringLiteral("NRSEQSAIDA"), QStringLiteral("DTHRSAIDA"),
                         QStringLiteral("TXPEDIDO")};

// Appends a row to the log, numbered on from the order's last.
void appendLogRow(const QSqlDatabase& db, const LogTable& log, const OrderKey& order, const QString& operatorCode, const QDateTime& at,
                  const QString& text)
{
    execChange(db,
               QStringLiteral("INSERT INTO %1 (CDFILIAL, NRPEDIDO, %2, CDOPERADOR, %3, %4) SELECT ?, ?, COALESCE(MAX(%2), 0) + 1, ?, ?, ?"
                              " FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?")
                   .arg(log.table, log.sequence, log.time, log.text),
               {order.branch, order.number, operatorCode, at, text, order.branch, order.number});
}

// The tables of the outbox row, by name.
const QStringList outboxTables{QStringLiteral("ENDEPEDIDO"), QStringLiteral("ITEMPEDIDO"), QStringLiteral("OBSPEDIDO"),
                               QStringLiteral("PEDIDO"),     QStringLiteral("PRAZOPGTOPED"), QStringLiteral("RESPRODPED")};

// Of the order's tables, those that hold rows of it: the others need no reading.
QStringList tablesWithRows(const QSqlDatabase& db, const QStringList& tables, const OrderKey& order)
{
    QStringList parts;
    QVariantList values;
    for (const QString& table : tables) {
        parts << QStringLiteral("SELECT '%1' WHERE EXISTS (SELECT 1 FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?)").arg(table);
        values << order.branch << order.number;
    }
    KeptStatement query(db, parts.join(QStringLiteral(" UNION ALL ")), values);
    QStringList found;
    while (query->next())
        found << query->value(0).toString();
    return found;
}

struct Answer {
    QJsonArray elements;
    bool stores = false;
};

Answer nothingFound()
{
    Answer answer;
    for (int i = 0; i < elementCount; ++i)
        answer.elements.append(QJsonValue::Null);
    return answer;
}

Answer changedMeanwhile()
{
    Answer answer = nothingFound();
    answer.elements[Rpc::LanPedido::SetConfirmaResult::Mensagem] = ConfirmFindings::message(QStringLiteral("PED_ALTER"));
    return answer;
}

class ConfirmMethod {
public:
    QJsonValue operator()(CallContext& context, QJsonArray& params) const
    {
        const Request request = requestOf(context, params);
        const QString key = context.idempotencyKey;
        if (!key.isEmpty()) {
            const QString hash = ConfirmationKeys::requestHash(context.method, params);
            if (const std::optional<QJsonValue> earlier = ConfirmationKeys::claim(context.db, key, request.operatorCode, hash)) {
                params[ServerTextArg] = earlier->toObject().value(QStringLiteral("texto"));
                return earlier->toObject().value(QStringLiteral("resultado"));
            }
        }
        // Everything the submission writes can be taken back at once, while
        // the key (and the call's transaction) stays.
        execSql(context.db, QStringLiteral("SAVEPOINT CONFIRMACAO"));
        const Answer answer = submit(context, request);
        const QString text = answer.stores ? request.order.branch + u'/' + request.order.number : QString();
        if (answer.stores) {
            record(context.db, request, params);
            execSql(context.db, QStringLiteral("RELEASE SAVEPOINT CONFIRMACAO"));
        } else {
            execSql(context.db, QStringLiteral("ROLLBACK TO SAVEPOINT CONFIRMACAO"));
        }
        params[ServerTextArg] = text;
        if (!key.isEmpty())
            ConfirmationKeys::keepAnswer(context.db, key,
                                         QJsonObject{{QStringLiteral("resultado"), answer.elements}, {QStringLiteral("texto"), text}},
                                         request.order.branch, request.order.number);
        return answer.elements;
    }

private:
    Answer submit(CallContext& context, const Request& request) const
    {
        using namespace Rpc::LanPedido::SetConfirmaResult;
        const QSqlDatabase& db = context.db;
        if (request.newOrder())
            requireHandedOutNumber(db, request.order);
        else
            requireChangeableOrder(db, request.order);
        // One confirmation of an order at a time; an order removed since
        // it was found above is not found.
        if (!request.newOrder() && isPostgres(db)
            && !execSql(db, QStringLiteral("SELECT 1 FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? FOR UPDATE"),
                        {request.order.branch, request.order.number})
                    .next())
            refuse(notFound(request.order));

        OrderDelta::Writer writer(db, request.order);
        const QDateTime now = QDateTime::currentDateTime();
        writer.setInsertDefaults(QStringLiteral("PEDIDO"),
                                 {{QStringLiteral("IDSITPEDIDO"), newOrderStatus},
                                  {QStringLiteral("IDTIPOPEDIDO"), request.quotation ? QStringLiteral("2") : QStringLiteral("1")},
                                  {QStringLiteral("DTPEDIDO"), now},
                                  {QStringLiteral("DTHRLANPED"), now},
                                  {QStringLiteral("CDOPELANPED"), request.operatorCode}});
        for (const auto& [arg, delta] : request.deltas) {
            if (arg.table == u"ITEMPEDIDO")   // the header is written first
                writer.setInsertDefaults(arg.table, {{QStringLiteral("IDSITITEMPED"), orderStatus(db, request)},
                                                     {QStringLiteral("CDOPERADOR"), request.operatorCode},
                                                     {QStringLiteral("IDITEMERRO"), QStringLiteral("N")}});
            if (writer.apply(arg.table, delta, arg.label) == OrderDelta::Outcome::Conflict)
                return changedMeanwhile();
        }
        if (!request.newOrder() || !newHeaderValue(request, QStringLiteral("NREMPENHO")).isNull())
            requireCommitmentBalance(db, request.order);
        const OrderReservations::Applied reservations = OrderReservations::apply(db, request.order, request.stock);
        if (reservations.outcome == OrderDelta::Outcome::Conflict)
            return changedMeanwhile();

        Answer answer = nothingFound();
        bool overReserved = false;
        const QJsonValue stockMessage = OrderReservations::check(db, request.order, reservations, &overReserved);
        answer.elements[Mensagem] = stockMessage;
        const ConfirmFindings::Items items = ConfirmFindings::readItems(db, request.order);
        QStringList itemsInError;
        answer.elements[ErrosItem] = ConfirmFindings::itemErrors(items, request.order, &itemsInError);
        const QList<QVariantList> priceChanges = ConfirmFindings::priceChanges(db, items, request.order, request.pricedItems);
        const QList<QVariantList> overReservations =
            request.quotation ? QList<QVariantList>() : ConfirmFindings::overReservations(items, request.order);

        if (request.pass != Pass::Final) {
            answer.elements[ConfirmaRes] = ConfirmFindings::confirmaRes(priceChanges + overReservations);
            answer.elements[AlvaraProd] = ConfirmFindings::permits(db, items, request.order);
            answer.elements[RentabilidadeProd] = ConfirmFindings::profitability(items);
            if (request.checkCommission)
                answer.elements[ValidadeComissao] = ConfirmFindings::commissions(db, request.order);
            const bool clean = std::all_of(answer.elements.begin(), answer.elements.end(), [](const QJsonValue& v) { return v.isNull(); });
            answer.stores = request.pass == Pass::First && clean;
        } else {
            const bool everyItemInError = !itemsInError.isEmpty() && itemsInError.size() == items.live.size();
            answer.stores = !overReserved && !everyItemInError;
            if (answer.stores) {
                ConfirmFindings::reprice(db, request.order, priceChanges);
                ConfirmFindings::trimReservations(db, request.order, overReservations);
                markItemsInError(db, request.order, itemsInError);
            }
        }
        if (overReserved)
            answer.stores = false;
        if (answer.stores)   // the items as read above unless repriced
            bringUpToDate(context, request, items.orderStatus,
                          priceChanges.isEmpty() ? std::optional(ConfirmFindings::liveItems(items)) : std::nullopt);
        return answer;
    }

    static void markItemsInError(const QSqlDatabase& db, const OrderKey& order, const QStringList& items)
    {
        for (const QString& item : items)
            execChange(db, QStringLiteral("UPDATE ITEMPEDIDO SET IDITEMERRO = 'S' WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                       {order.branch, order.number, item});
    }

    // What the server works out of a stored order: open items follow the
    // order's `status` as a new or edited order gives them, the totals are
    // those of the live items (`items` when known), then the taxes and the
    // installment values.
    void bringUpToDate(CallContext& context, const Request& request, const QString& status,
                       const std::optional<LiveItems>& items) const
    {
        const QSqlDatabase& db = context.db;
        const OrderKey& order = request.order;
        if (status == u"1" || status == u"2")
            execChange(db,
                       QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                      " AND IDSITITEMPED IN ('1', '2') AND IDSITITEMPED <> ?"),
                       {status, order.branch, order.number, status});
        const bool stored = !request.newOrder();
        storeOrderValues(db, order, stored ? QDateTime::currentDateTime() : QDateTime(), stored ? StoredBefore::Yes : StoredBefore::No,
                         items);
    }

    // The audit row and the logistics outbox row of a stored confirmation.
    static void record(const QSqlDatabase& db, const Request& request, const QJsonArray& params)
    {
        QJsonObject changes;
        for (const DeltaArg& arg : deltaArgs)
            if (!params.at(arg.arg).isNull())
                changes.insert(arg.table, params.at(arg.arg));
        if (!params.at(StockArg).isNull())
            changes.insert(QStringLiteral("RESPRODPED"), params.at(StockArg));
        changes.insert(QStringLiteral("DTENTREGAALTERADA"), params.at(DateChangedArg));
        changes.insert(QStringLiteral("PRECOBASEALTERADO"), params.at(BasePriceChangedArg));
        changes.insert(QStringLiteral("CDVENDEDOR"), params.at(SellerArg));
        changes.insert(QStringLiteral("CDVENDEDORANTERIOR"), params.at(StoredSellerArg));
        const QDateTime now = QDateTime::currentDateTime();
        const OrderKey& order = request.order;
        appendLogRow(db, historyLog, order, request.operatorCode, now, compactText(changes));

        // The outbox row: {"<table>":[<row>, ...], ...}, tables and columns by name.
        const QStringList filled = tablesWithRows(db, outboxTables, order);
        QByteArray stored = "{";
        stored.reserve(16 * 1024);
        for (const QString& table : outboxTables) {
            if (stored.size() > 1)
                stored += ',';
            appendJsonString(stored, table);
            stored += ':';
            if (!filled.contains(table)) {
                stored += "[]";
                continue;
            }
            KeptStatement rows(db, QStringLiteral("SELECT * FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(table),
                               {order.branch, order.number});
            RowsJson::appendRows(stored, rows.query());
        }
        stored += '}';
        appendLogRow(db, outboxLog, order, request.operatorCode, now, QString::fromUtf8(stored));
    }

};

ArgSpec arg(const QString& name, ArgKind kind, bool byReference, const QString& doc)
{
    return ArgSpec{name, kind, byReference, true, doc};
}

QString deltaDoc(const QString& recordSet, const QString& table)
{
    return QStringLiteral("Delta of %1 (table %2) or null; written back unchanged.").arg(recordSet, table);
}

} // namespace

void registerLanPedidoConfirm(MethodRegistry& registry)
{
    registry.add(MethodSpec{
        ServerNames::LanPedido, QStringLiteral("SetConfirma"),
        {arg(QStringLiteral("header"), ArgKind::Packet, true,
             deltaDoc(QStringLiteral("cdsPedido"), QStringLiteral("PEDIDO")) + QStringLiteral(" One change at most; an insert "
                                                                                               "creates the order under the number GetPrxPedido handed out; a delete is refused.")),
         arg(QStringLiteral("terms"), ArgKind::Packet, true, deltaDoc(QStringLiteral("cdsPrazoPgto"), QStringLiteral("PRAZOPGTOPED"))),
         arg(QStringLiteral("items"), ArgKind::Packet, false,
             QStringLiteral("Data packet of all items; read only for the order key (CDFILIAL, NRPEDIDO) when no delta names it.")),
         arg(QStringLiteral("itemsDelta"), ArgKind::Packet, true, deltaDoc(QStringLiteral("cdsItemPedido"), QStringLiteral("ITEMPEDIDO"))),
         arg(QStringLiteral("stockPosition"), ArgKind::Packet, true,
             QStringLiteral("Delta of cdsPosiEstoq or null: each changed row sets the item's reservation (QTRESPRODPED) in its lot "
                            "(RESPRODPED); written back unchanged.")),
         arg(QStringLiteral("firstSubmission"), ArgKind::Boolean, false,
             QStringLiteral("True on the first submission: a review pass that finds nothing stores.")),
         arg(QStringLiteral("isOrder"), ArgKind::Boolean, false,
             QStringLiteral("True for an order, false for a quotation: a new order's IDTIPOPEDIDO when the header leaves it empty; "
                            "a quotation's reservations are not reviewed.")),
         arg(QStringLiteral("operator"), ArgKind::Text, false, QStringLiteral("The logged-in operator; must be the session's.")),
         arg(QStringLiteral("deliveryDateChanged"), ArgKind::Boolean, false, QStringLiteral("Kept in the audit row only.")),
         arg(QStringLiteral("basePriceChanged"), ArgKind::Boolean, false, QStringLiteral("Kept in the audit row only.")),
         arg(QStringLiteral("seller"), ArgKind::Text, false, QStringLiteral("CDVENDEDOR; kept in the audit row only.")),
         arg(QStringLiteral("storedSeller"), ArgKind::Text, false, QStringLiteral("The stored CDVENDEDOR; kept in the audit row only.")),
         arg(QStringLiteral("note"), ArgKind::Packet, true, deltaDoc(QStringLiteral("cdsObser"), QStringLiteral("OBSPEDIDO"))),
         arg(QStringLiteral("itemCount"), ArgKind::Integer, false, QStringLiteral("Not read: the server counts the stored items.")),
         arg(QStringLiteral("deliveryDate"), ArgKind::Date, false, QStringLiteral("Not read: the header delta carries DTENTPED.")),
         arg(QStringLiteral("itemNullFields"), ArgKind::Text, false, QStringLiteral("Not read: the deltas carry their nulls.")),
         arg(QStringLiteral("additionalData"), ArgKind::Packet, true, deltaDoc(QStringLiteral("cdsDadosAdicPed"), QStringLiteral("DADOADICPED"))),
         arg(QStringLiteral("reservedTotal"), ArgKind::Float, false, QStringLiteral("Not read: the server sums the stored reservations.")),
         arg(QStringLiteral("sellers"), ArgKind::Packet, true, deltaDoc(QStringLiteral("cdsVendedor"), QStringLiteral("VENDPEDIDO"))),
         arg(QStringLiteral("deliveryAddress"), ArgKind::Packet, true, deltaDoc(QStringLiteral("cdsDadosEndPed"), QStringLiteral("ENDEPEDIDO"))),
         arg(QStringLiteral("reviewPass"), ArgKind::Boolean, false,
             QStringLiteral("True on the first and second submissions: what is found comes back and nothing is stored; false: the "
                            "clerk reviewed, the order is stored.")),
         arg(QStringLiteral("serverText"), ArgKind::Text, true,
             QStringLiteral("Written back: \"<CDFILIAL>/<NRPEDIDO>\" when the order was stored, else empty.")),
         arg(QStringLiteral("firstOnly"), ArgKind::Boolean, false,
             QStringLiteral("True on the first submission only: commission validity (element 5) is checked.")),
         arg(QStringLiteral("addressNullFields"), ArgKind::Text, false, QStringLiteral("Not read: the deltas carry their nulls.")),
         arg(QStringLiteral("charges"), ArgKind::Packet, true,
             deltaDoc(QStringLiteral("cdsEncargos"), QStringLiteral("ENCARGOPED"))
                 + QStringLiteral(" An update of a charge the order does not carry adds it.")),
        },
        QStringLiteral(
            "Confirms an order: every delta applied in one transaction, each row found by its table's key, each update and "
            "delete checked against the values the client read (optimistic concurrency), then the item statuses, totals, taxes "
            "and installment values worked out, an audit row (GetHistPedido) and a row of the logistics outbox written. The "
            "submission flags and the findings are described in docs/confirmation.md: a review pass stores only on the first "
            "submission when it finds nothing; a final pass stores what the clerk reviewed. With an Idempotency-Key header (a "
            "UUID) the answer is kept with the key in the same transaction: the same key again returns the first answer and "
            "applies nothing; the same key with another request fails with \"IDEMP_DIFER: ...\"; keys are kept 48 hours. "
            "Refused with a message, storing nothing: no order named, a malformed delta, a delta without its table's key "
            "fields or with another order's rows, a value its column cannot take, a new order under a number not handed "
            "out, an order not stored or no longer changeable, an operator other than the session's; and with the message "
            "exactly \"SALDO_INSU\" an order on a customer commitment (NREMPENHO) worth more than its balance VRSALDOEMP."),
        QStringLiteral(
            "Value array of 6, each null when there is nothing to report: [0] item errors CDFILIAL, NRPEDIDO, NRITEMPED, "
            "CDARVPROD, NMPRODUTO, CDERRO, DSERRO; [1] CDERRO (\"ALT_PR\" price changed, \"QT_RESE\" reserved beyond the "
            "quantity), NRPEDIDO, NRITEMPED, CDARVPROD, DSERRO, VRANTERIOR, VRATUAL; [2] one row DSMENSERRO (\"PED_ALTER\", "
            "\"QTRES_ANT\", \"QTRES_SEST\"), QTPEDIDO; [3] product permits CDARVPROD, CDPRODUTO, NMPRODUTO, NRITEMPED, "
            "CDTIPOALVARA, NMTIPOALVARA; [4] profitability CDARVPROD, CDPRODUTO, NMPRODUTO, NRITEMPED, VRITRENTABIL, "
            "VRPERCMINRENT; [5] commission validity CDVENDEDOR, NMFANVEN, CDCOMISSAO, NMCOMISSAO, DTINIVALCOM, DTFIMVALCOM. "
            "serverText is written back."),
        ConfirmMethod()});
}
