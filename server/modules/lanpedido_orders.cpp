// The order list of the order-entry screen (GetPedido, with the current
// order's details) and the two look-ups of the filter dialog: the branch's
// orders (GetNrPedido) and invoices (GetNota).

#include "method_catalogue.h"
#include "method_declarations.h"
#include "order_list_query.h"
#include "order_packets.h"
#include "packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "topics.h"

namespace {

using OrderPackets::OrderKey;
using OrderPackets::text;

// The detail elements come from the detail methods themselves, so the list
// and the pages load the same packets.
class DetailCalls {
public:
    DetailCalls(const MethodRegistry& registry, CallContext& context) : m_registry(registry), m_context(context) {}

    template <std::size_t N>
    QJsonValue operator()(const Rpc::Method<N>& method, const std::array<QJsonValue, N>& args) const
    {
        const Rpc::MethodInfo info = method.info();
        const MethodSpec* spec = m_registry.find(info.serverName(), info.methodName());
        if (!spec)
            throw std::logic_error(QStringLiteral("GetPedido needs %1, which is not registered.").arg(info.label()).toStdString());
        QJsonArray params;
        for (const QJsonValue& arg : args)
            params.append(arg);
        return spec->function(m_context, params);
    }

private:
    const MethodRegistry& m_registry;
    CallContext& m_context;
};

QString storedStatus(const QSqlDatabase& db, const OrderKey& order)
{
    return selectValue(db, QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                       {order.branch, order.number})
        .toString();
}

// The orders can be many (a year of a branch is well over 100,000): their
// packet is written as text straight from the query and the details, all
// short, are appended to it.
RawJson listOrders(const MethodRegistry& registry, CallContext& context, QJsonArray& params)
{
    const OrderListQuery query(params, isPostgres(context.db));
    const DetailCalls call(registry, context);
    const OrderKey current{query.branch(), query.currentOrder()};
    // Without details the methods are asked with an empty key: same fields, no rows.
    const OrderKey details = query.loadDetails() ? current : OrderKey{};
    const QString status = details.isEmpty() ? QString() : storedStatus(context.db, details);

    RawJson result;
    result.bytes.append('[');
    appendSelectedPacket(result.bytes, context.db, OrderListQuery::fields(), query.selectSql(), query.values());
    using namespace Rpc::LanPedido;
    const QJsonArray items = call(GetItemPedido, {details.branch, details.number, status}).toArray();
    const QJsonArray notes = call(GetTObser, {details.branch, details.number}).toArray();
    // GetPedidoResult::Pedidos, the list itself, is written above.
    QList<QJsonValue> detailElements(GetPedidoResult::Count - 1);
    const auto element = [&](GetPedidoResult::Element position) -> QJsonValue& { return detailElements[position - 1]; };
    element(GetPedidoResult::Itens) = items.at(GetItemPedidoResult::Itens);
    element(GetPedidoResult::Observacao) = notes.at(GetTObserResult::Observacao);
    element(GetPedidoResult::PrazoPgto) = call(GetPrazoPgto, {details.number, details.branch});
    // The stock position belongs to the current item, which the items page
    // loads when it scrolls; the list sends its empty form.
    element(GetPedidoResult::PosicaoEstoque) = emptyPacket(OrderPackets::stockPositionFields()).toJson();
    element(GetPedidoResult::LancamentosNf) = items.at(GetItemPedidoResult::LancamentosNf);
    element(GetPedidoResult::DadosAdicionais) = notes.at(GetTObserResult::DadosAdicionais);
    element(GetPedidoResult::Encargos) = call(getEncargo, {details.branch, details.number});
    element(GetPedidoResult::ImpostosPedido) = call(GetImposPedTot, {details.branch, details.number});
    element(GetPedidoResult::DadosEndereco) = call(GetDadosEndPed, {current.branch, current.number});
    for (const QJsonValue& element : detailElements)
        result.bytes.append(',').append(RawJson::of(element).bytes);
    result.bytes.append(']');
    return result;
}

// ---- filter look-ups -------------------------------------------------------------

const QList<SelectColumn> orderLookupColumns = {
    text(QStringLiteral("IDMARCADO"), 1, QStringLiteral("'N'")),
    text(QStringLiteral("NRPEDIDO"), 10),
    text(QStringLiteral("NMFANTCLIE"), 50),
};

QJsonValue getNrPedido(CallContext& context, QJsonArray& params)
{
    const QString branch = OrderPackets::keyValue(params, 0, OrderPackets::branchArg);
    return OrderPackets::keyedColumns(context.db, !branch.isEmpty(), orderLookupColumns,
                                      QStringLiteral("FROM PEDIDO WHERE CDFILIAL = ? ORDER BY NRPEDIDO"), {branch})
        .toJson();
}

QJsonValue getNota(CallContext& context, QJsonArray& params)
{
    const QString branch = OrderPackets::keyValue(params, 0, OrderPackets::branchArg);
    const QList<FieldDef> fields = {textField(QStringLiteral("IDMARCADO"), 1), textField(QStringLiteral("NRLANCTONF"), 10),
                                    textField(QStringLiteral("DATASAIDA"), 10)};
    DataPacket packet = emptyPacket(fields);
    if (branch.isEmpty())
        return packet.toJson();
    const DataPacket invoices = selectPacket(
        context.db, {textField(QStringLiteral("NRLANCTONF"), 10), dateTimeField(QStringLiteral("DTENTRSAID"))},
        QStringLiteral("SELECT NRLANCTONF, DTENTRSAID FROM NOTAFISCAL WHERE CDFILIAL = ? ORDER BY NRLANCTONF"), {branch});
    for (const QVariantList& row : invoices.rows)
        packet.rows.append({QStringLiteral("N"), row.at(0), row.at(1).toDateTime().date().toString(QStringLiteral("dd/MM/yyyy"))});
    return packet.toJson();
}

// ---- registration ----------------------------------------------------------------

ArgSpec dateRef(const QString& name, const QString& doc)
{
    return ArgSpec{name, ArgKind::Date, true, true, doc + QStringLiteral(" Null means no date.")};
}

QString listDoc(const QString& what)
{
    return QStringLiteral("List text of %1 ('0001'_'0002'); read when its marker is empty.").arg(what);
}

const QString markerDoc = QStringLiteral("\"T\": the criterion does not restrict; empty: it does.");

QList<ArgSpec> getPedidoArgs()
{
    return {
        textArg(QStringLiteral("orderNotByInterval"), QStringLiteral("\"T\" unless order numbers are given as an interval."), true),
        textArg(QStringLiteral("orderFrom"), QStringLiteral("First order number of the interval (NRPEDIDO)."), true),
        textArg(QStringLiteral("orderTo"), QStringLiteral("Last order number of the interval."), true),
        textArg(QStringLiteral("allOrders"), QStringLiteral("Order-number list marker. ") + markerDoc, true),
        textArg(QStringLiteral("orders"), listDoc(QStringLiteral("order numbers")), true),
        textArg(QStringLiteral("allSellers"), QStringLiteral("Seller marker. ") + markerDoc, true),
        textArg(QStringLiteral("sellers"), listDoc(QStringLiteral("sellers (PEDIDO.CDVENDEDOR)")), true),
        textArg(QStringLiteral("allCommissionedSellers"), QStringLiteral("Commissioned-seller marker. ") + markerDoc, true),
        textArg(QStringLiteral("commissionedSellers"), listDoc(QStringLiteral("sellers of VENDPEDIDO")), true),
        textArg(QStringLiteral("allCustomers"), QStringLiteral("Customer marker. ") + markerDoc, true),
        textArg(QStringLiteral("customers"), listDoc(QStringLiteral("customers (CDCLIENTE)")), true),
        textArg(QStringLiteral("allProducts"), QStringLiteral("Product marker. ") + markerDoc, true),
        textArg(QStringLiteral("products"), listDoc(QStringLiteral("products (PRODUTO.CDARVPROD)")), true),
        textArg(QStringLiteral("priorities"), QStringLiteral("Priority codes (IDPRIOPED) joined, e.g. \"43\".")),
        textArg(QStringLiteral("allPriorities"), QStringLiteral("Priority marker. ") + markerDoc, true),
        textArg(QStringLiteral("orderStatuses"), QStringLiteral("Order status codes (IDSITPEDIDO) joined, e.g. \"12\".")),
        textArg(QStringLiteral("allOrderStatuses"), QStringLiteral("Order-status marker. ") + markerDoc, true),
        textArg(QStringLiteral("itemStatuses"), QStringLiteral("Item status codes (IDSITITEMPED) joined, e.g. \"1234657\".")),
        textArg(QStringLiteral("allItemStatuses"), QStringLiteral("Item-status marker. ") + markerDoc, true),
        textArg(QStringLiteral("anyEntryDate"), QStringLiteral("Entry-period marker. ") + markerDoc, true),
        dateRef(QStringLiteral("entryFrom"), QStringLiteral("First day of the entry period (DTPEDIDO).")),
        dateRef(QStringLiteral("entryTo"), QStringLiteral("Last day of the entry period, included.")),
        textArg(QStringLiteral("anyDeliveryDate"), QStringLiteral("Delivery-period marker. ") + markerDoc, true),
        dateRef(QStringLiteral("deliveryFrom"), QStringLiteral("First day of the delivery period (DTENTPED).")),
        dateRef(QStringLiteral("deliveryTo"), QStringLiteral("Last day of the delivery period, included.")),
        textArg(QStringLiteral("municipalities"), listDoc(QStringLiteral("municipalities (CDPAIS || SGESTADO || CDMUNICIPIO of the customer's principal address)")), true),
        textArg(QStringLiteral("allMunicipalities"), QStringLiteral("Municipality marker. ") + markerDoc, true),
        textArg(QStringLiteral("kindOrder"), QStringLiteral("\"1\" to list orders (IDTIPOPEDIDO \"1\"), else empty.")),
        textArg(QStringLiteral("kindQuotation"), QStringLiteral("\"2\" to list quotations (IDTIPOPEDIDO \"2\"), else empty.")),
        textArg(QStringLiteral("origins"), QStringLiteral("Origin codes (IDORIGPED) joined (\"1239\") or as a list text.")),
        textArg(QStringLiteral("branch"), QStringLiteral("Branch of the orders (CDFILIAL), up to 4 characters.")),
        ArgSpec{QStringLiteral("loadDetails"), ArgKind::Boolean, false, false,
                QStringLiteral("Whether elements 1-8 carry the current order's details.")},
        textArg(QStringLiteral("currentOrder"), QStringLiteral("The current order number (NRPEDIDO) for the detail elements.")),
        textArg(QStringLiteral("allDestinationBranches"), QStringLiteral("Destination-branch marker. ") + markerDoc, true),
        textArg(QStringLiteral("destinationBranches"), listDoc(QStringLiteral("destination branches (CDFILIALPED)")), true),
        textArg(QStringLiteral("operationTypes"), listDoc(QStringLiteral("operation types (CDTIPOOPER)")), true),
        textArg(QStringLiteral("allOperationTypes"), QStringLiteral("Operation-type marker. ") + markerDoc, true),
        textArg(QStringLiteral("departments"), listDoc(QStringLiteral("departments (CDDEPTO)")), true),
        textArg(QStringLiteral("allDepartments"), QStringLiteral("Department marker. ") + markerDoc, true),
        textArg(QStringLiteral("quotationFrom"), QStringLiteral("First event quotation number (NRORCAEVENTO).")),
        textArg(QStringLiteral("quotationTo"), QStringLiteral("Last event quotation number.")),
        textArg(QStringLiteral("anyQuotation"), QStringLiteral("Quotation-range marker. ") + markerDoc),
        textArg(QStringLiteral("anyImportDate"), QStringLiteral("Import-period marker. ") + markerDoc, true),
        dateRef(QStringLiteral("importFrom"), QStringLiteral("First day of the import period (HISTIMPPEDIDO.DTIMPORTACAO).")),
        dateRef(QStringLiteral("importTo"), QStringLiteral("Last day of the import period, included.")),
        textArg(QStringLiteral("importNumber"), QStringLiteral("Import number (NRHISIMPITEEEEP), or \"T\" for any."), true),
        textArg(QStringLiteral("withoutStock"), QStringLiteral("\"S\": only orders with an imported item without stock (IDITPEDSEMQTDIS \"S\"); \"T\": any."), true),
        textArg(QStringLiteral("purchaseOrder"), QStringLiteral("Customer purchase order (NRORDEMCMPPED); empty for any."), true),
        textArg(QStringLiteral("invoices"), listDoc(QStringLiteral("invoice postings (NOTAFISCAL.NRLANCTONF)")), true),
        textArg(QStringLiteral("allInvoices"), QStringLiteral("Invoice-list marker. ") + markerDoc, true),
        textArg(QStringLiteral("invoiceFrom"), QStringLiteral("First invoice number of the interval (NRNOTAFISCAL, width 20)."), true),
        textArg(QStringLiteral("invoiceTo"), QStringLiteral("Last invoice number of the interval."), true),
        textArg(QStringLiteral("invoiceNotByInterval"), QStringLiteral("\"T\" unless invoice numbers are given as an interval."), true),
    };
}

} // namespace

void registerLanPedidoOrders(MethodRegistry& registry)
{
    MethodSpec getPedido = readMethod(
        QStringLiteral("GetPedido"), getPedidoArgs(),
        QStringLiteral("Lists the branch's orders that meet every criterion of the order filter, and loads the current "
                       "order's details. docs/order-list.md says what each criterion means. Codes of a list are parsed "
                       "and bound, never put into the SQL; a malformed list or marker fails with a message naming the "
                       "argument."),
        QStringLiteral("Value array of 10 elements: [0] the orders, every data field of the order record set (80 fields, "
                       "CDTIPOEDITAL ... DSNFVENDAFUTURA), by NRPEDIDO; for the order currentOrder of the branch, when "
                       "loadDetails is true (else the same packets without rows): [1] items and [5] invoice postings as "
                       "GetItemPedido returns them, [2] note and [6] additional data as GetTObser, [3] payment terms as "
                       "GetPrazoPgto, [4] stock position with the fields GetDadosAfterScroll sends (no rows: it belongs "
                       "to the current item), [7] charges as "
                       "getEncargo, [8] tax totals as GetImposPedTot; [9] the delivery address as GetDadosEndPed, "
                       "whatever loadDetails says. The by-reference arguments come back unchanged."),
        nullptr);
    getPedido.rawFunction = [&registry](CallContext& context, QJsonArray& params) {
        return listOrders(registry, context, params);
    };
    registry.add(std::move(getPedido));
    registry.add(readMethod(
        QStringLiteral("GetNrPedido"),
        {textArg(QStringLiteral("branch"), branchDoc)},
        QStringLiteral("Lists the branch's orders for the order-number look-up of the order filter."),
        QStringLiteral("Data packet IDMARCADO (1, always \"N\"), NRPEDIDO (10), NMFANTCLIE (50), by NRPEDIDO; empty for an "
                       "empty branch."),
        getNrPedido));
    registry.add(readMethod(
        QStringLiteral("GetNota"),
        {textArg(QStringLiteral("branch"), branchDoc)},
        QStringLiteral("Lists the invoices of the branch's orders (NOTAFISCAL.CDFILIAL) for the invoice look-up of the order "
                       "filter."),
        QStringLiteral("Data packet IDMARCADO (1, always \"N\"), NRLANCTONF (10), DATASAIDA (10, the exit date DTENTRSAID as "
                       "dd/mm/yyyy), by NRLANCTONF; empty for an empty branch."),
        getNota));
}
