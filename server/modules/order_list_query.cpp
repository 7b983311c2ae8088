#include "order_list_query.h"

#include "iso_datetime.h"
#include "list_text.h"
#include "order_packets.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <algorithm>

using OrderPackets::KeyArg;
using OrderPackets::keyValue;

namespace {

const QString all = QStringLiteral("T");

// The widening the client does to interval bounds: digits are zero-padded
// to the column width, so the texts compare like the numbers.
QString widened(const QString& bound, int width)
{
    const QString trimmed = bound.trimmed();
    for (const QChar c : trimmed) {
        if (!c.isDigit() || c.unicode() > 127)
            return trimmed;
    }
    return trimmed.isEmpty() ? trimmed : trimmed.rightJustified(width, u'0');
}

// Every data field of `cdsPedido`, in record order; its calculated fields
// are the client's.
const QList<SelectColumn> orderListColumns = [] {
    using OrderPackets::dateTime;
    using OrderPackets::number;
    using OrderPackets::text;
    QList<SelectColumn> columns;
    const auto add = [&](const SelectColumn& column) { columns.append({column.field, QStringLiteral("P.") + column.field.name}); };
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"CDTIPOEDITAL", 3}, {"NMFILIAL", 30}, {"CDTIPODESC", 10}, {"NRPEDIDO", 10}, {"NMRAZSOCCLIE", 50}})
        add(text(QString::fromLatin1(name), size));
    add(dateTime(QStringLiteral("DTPEDIDO")));
    add(dateTime(QStringLiteral("DTENTPED")));
    add(number(QStringLiteral("VRPBRUVOLPED")));
    add(number(QStringLiteral("VRPLIQVOLPED")));
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"CDCLIENTE", 21}, {"IDTPIJURTRED", 1}, {"NRINSJURTRED", 20}, {"IDTPIJURTRAN", 1}, {"NRINSJURTRAN", 20},
             {"CDTIPTRANS", 4}, {"CDFILIAL", 4}, {"CDVENDEDOR", 4}})
        add(text(QString::fromLatin1(name), size));
    for (const char* name : {"VRPECOMVDPED", "VRPEDENFPED", "VRPEDEDUPED"})
        add(number(QString::fromLatin1(name)));
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"IDPRIOPED", 1}, {"DSPEDCLI", 200}, {"DSPEDVEN", 200}})
        add(text(QString::fromLatin1(name), size));
    add(dateTime(QStringLiteral("DTHRLANPED")));
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"IDSITPEDIDO", 1}, {"IDPGFRETTRAN", 1}, {"CDFORMPGTO", 2}, {"IDTPFORPGTPED", 1}})
        add(text(QString::fromLatin1(name), size));
    add(number(QStringLiteral("NRDIAPGFIXPED")));
    add(number(QStringLiteral("NRPARCPGTOPED")));
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"IDUTDIAPAGPED", 1}, {"IDTPIJURCLIE", 1}, {"NRINSJURCLIE", 20}, {"CDMODPGTO", 5}, {"CDFILIALPED", 4},
             {"NMFANVEN", 50}, {"DSMODPGTO", 100}, {"IDTIPOPEDIDO", 1}, {"NMFANTTRAN", 40}, {"IDPEDIDOIMPR", 1},
             {"CDOPELANPED", 12}, {"CDPRECOBASE", 2}, {"DSPRECOBASE", 30}, {"CDTIPOOPER", 2}, {"NMTIPOOPER", 30},
             {"IDENTRSAIDOP", 1}})
        add(text(QString::fromLatin1(name), size));
    add(dateTime(QStringLiteral("DTVALIPED")));
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"NMFANTCLIE", 50}, {"CDFILIALORC", 4}, {"NRORCAEVENTO", 10}, {"NRSEQORCAEVE", 2}, {"CDDEPTO", 3},
             {"NREMPENHO", 20}, {"IDORIGPED", 1}, {"NMROTATRANS", 40}, {"CDROTATRANSPED", 6}, {"IDORIGDESTOP", 1},
             {"NMTIPODESC", 50}})
        add(text(QString::fromLatin1(name), size));
    for (const char* name : {"QTPRITPDESC", "QTSEGTPDESC", "QTTERTPDESC", "QTQUATPDESC", "QTQUITPDESC", "QTSEXTPDESC",
                             "QTSETTPDESC", "QTOITTPDESC", "COR_RENTABILIDADE"})
        add(number(QString::fromLatin1(name)));
    add(text(QStringLiteral("DSPRAZOENTPED"), 50));
    add(text(QStringLiteral("NRORDEMCMPPED"), 15));
    for (const char* name : {"VRTOTALPED", "VRMULTICASH", "VRBONIFICACAO"})
        add(number(QString::fromLatin1(name)));
    add(text(QStringLiteral("IDPEDINDUSTRIA"), 1));
    add(number(QStringLiteral("VRTOTPEDLIQ")));
    add(OrderPackets::column(integerField(QStringLiteral("NRITPEDAPROVADO")), {}));
    add(OrderPackets::column(integerField(QStringLiteral("NRITPEDCONFIRMADO")), {}));
    for (const auto& [name, size] : std::initializer_list<std::pair<const char*, int>>{
             {"IDULTPRECPROMO", 1}, {"IDCANCCOMISPED", 20}, {"IDPESQTRANSP", 1}, {"DSNFVENDAFUTURA", 14}})
        add(text(QString::fromLatin1(name), size));
    return columns;
}();

[[noreturn]] void fail(int number, const QString& what)
{
    throw MethodError(QStringLiteral("Argumento %1 de GetPedido inválido: %2").arg(number).arg(what).toStdString());
}

} // namespace

OrderListQuery::OrderListQuery(const QJsonArray& params, bool postgres)
    : m_params(params)
    , m_postgres(postgres)
{
    if (params.size() != argumentCount)
        throw MethodError(QStringLiteral("GetPedido espera %1 argumentos, recebeu %2.").arg(argumentCount).arg(params.size()).toStdString());
    m_branch = keyValue(params, 30, OrderPackets::branchArg);
    m_loadDetails = params.at(31).toBool();
    m_currentOrder = keyValue(params, 32, OrderPackets::orderArg);
    add(QStringLiteral("P.CDFILIAL = ?"), {m_branch});

    orderNumbers();
    itemsAndSellers();
    statuses();
    periods();
    customerMunicipality();
    kindsAndOrigins();
    branchesAndOperations();
    quotation();
    imports();
    purchaseOrderAndInvoices();
}

QStringList OrderListQuery::codesOf(const QString& list, const QString& argumentName)
{
    if (!list.startsWith(u'\'')) {
        QStringList codes;
        for (const QChar c : list)
            codes.append(QString(c));
        return codes;
    }
    try {
        return listTextCodes(list);
    } catch (const ListTextError& error) {
        throw MethodError(QStringLiteral("%1: %2").arg(argumentName, QString::fromStdString(error.what())).toStdString());
    }
}

// ---- argument access -------------------------------------------------------------

QString OrderListQuery::text(int number) const
{
    return m_params.at(number - 1).toString();
}

// A marker is "T" (the criterion does not restrict) or empty.
bool OrderListQuery::restricts(int markerNumber) const
{
    const QString marker = text(markerNumber);
    if (marker != all && !marker.isEmpty())
        fail(markerNumber, QStringLiteral("\"%1\" não é \"T\" nem vazio.").arg(marker.left(20)));
    return marker.isEmpty();
}

// Null, or a day not after 30/12/1899 (the zero date), means no date.
QDate OrderListQuery::date(int number) const
{
    const QJsonValue value = m_params.at(number - 1);
    if (value.isNull() || value.isUndefined())
        return {};
    const QString textValue = value.toString();
    const QDate day = parseIsoLenient(textValue).date();
    if (!day.isValid())
        fail(number, QStringLiteral("\"%1\" não é uma data.").arg(textValue.left(30)));
    return day > QDate(1899, 12, 30) ? day : QDate();
}

QList<FieldDef> OrderListQuery::fields()
{
    return fieldsOf(orderListColumns);
}

QString OrderListQuery::selectSql() const
{
    QStringList expressions;
    for (const SelectColumn& column : orderListColumns)
        expressions.append(column.expression);
    return QStringLiteral("SELECT ") + expressions.join(QStringLiteral(", ")) + QStringLiteral(" FROM PEDIDO P WHERE ")
           + whereClause() + QStringLiteral(" ORDER BY ") + orderBy();
}

// SQLite would read the whole branch by its key to save the sort; the
// period, status and list indexes find the few rows first.
QString OrderListQuery::orderBy() const
{
    return m_postgres ? QStringLiteral("P.NRPEDIDO") : QStringLiteral("+P.NRPEDIDO");
}

// ---- SQL pieces ------------------------------------------------------------------

void OrderListQuery::add(const QString& condition, const QVariantList& values)
{
    m_conditions.append(condition);
    m_values.append(values);
}

// All codes travel as one JSON array bound as a single value, so a list of
// any length needs neither one placeholder per code nor text in the SQL.
QString OrderListQuery::inCodes(const QStringList& codes)
{
    m_values.append(QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(codes)).toJson(QJsonDocument::Compact)));
    return m_postgres ? QStringLiteral("IN (SELECT json_array_elements_text(CAST(? AS json)))")
                      : QStringLiteral("IN (SELECT value FROM json_each(?))");
}

void OrderListQuery::codeList(const QString& column, int listNumber, int markerNumber, const QString& name)
{
    if (!restricts(markerNumber))
        return;
    m_conditions.append(column + u' ' + inCodes(quotedCodes(listNumber, name)));
}

QStringList OrderListQuery::quotedCodes(int listNumber, const QString& name)
{
    const QString list = text(listNumber);
    if (!list.isEmpty() && !list.startsWith(u'\''))
        fail(listNumber, QStringLiteral("%1: a lista deve ter os códigos entre aspas ('0001'_'0002').").arg(name));
    return codesOf(list, name);
}

void OrderListQuery::charList(const QString& column, int listNumber, int markerNumber, const QString& name)
{
    if (markerNumber > 0 && !restricts(markerNumber))
        return;
    m_conditions.append(column + u' ' + inCodes(codesOf(text(listNumber), name)));
}

void OrderListQuery::textRange(const QString& column, const QString& from, const QString& to, int width)
{
    if (!from.isEmpty())
        add(column + QStringLiteral(" >= ?"), {widened(from, width)});
    if (!to.isEmpty())
        add(column + QStringLiteral(" <= ?"), {widened(to, width)});
}

// Invoice numbers are stored with as many leading zeros as the issuer
// gave them, and the client widens its bounds to 20 digits: digits compare
// as numbers (fewer significant digits is smaller), anything else as text.
// Appends to the last condition.
void OrderListQuery::numberBound(const QString& column, const QString& direction, const QString& bound)
{
    const QString trimmed = bound.trimmed();
    const bool digits = !trimmed.isEmpty() && std::all_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits) {
        m_conditions.last() += QStringLiteral(" AND %1 %2= ?").arg(column, direction);
        m_values.append(trimmed);
        return;
    }
    qsizetype first = 0;
    while (first < trimmed.size() - 1 && trimmed.at(first) == u'0')
        ++first;
    const QString significant = trimmed.mid(first);
    const QString stripped = QStringLiteral("COALESCE(NULLIF(LTRIM(%1, '0'), ''), '0')").arg(column);
    m_conditions.last() += QStringLiteral(" AND (LENGTH(%1) %2 ? OR (LENGTH(%1) = ? AND %1 %2= ?))").arg(stripped, direction);
    m_values.append(QVariant::fromValue(qlonglong(significant.size())));
    m_values.append(QVariant::fromValue(qlonglong(significant.size())));
    m_values.append(significant);
}

// Whole days: from the start of the first day to the end of the last.
void OrderListQuery::dayRange(const QString& column, int fromNumber, int toNumber, const QString& name)
{
    const QDate from = date(fromNumber);
    const QDate to = date(toNumber);
    if (!from.isValid())
        fail(fromNumber, QStringLiteral("%1: a data inicial deve ser informada.").arg(name));
    if (to.isValid() && to < from)
        fail(toNumber, QStringLiteral("%1: a data final é anterior à inicial.").arg(name));
    add(column + QStringLiteral(" >= ?"), {dayStart(m_postgres, from)});
    if (to.isValid())
        add(column + QStringLiteral(" < ?"), {dayStart(m_postgres, to.addDays(1))});
}

// ---- criteria --------------------------------------------------------------------

void OrderListQuery::orderNumbers()
{
    const QString from = keyValue(m_params, 1, OrderPackets::orderArg);
    const QString to = keyValue(m_params, 2, OrderPackets::orderArg);
    if (restricts(1))
        textRange(QStringLiteral("P.NRPEDIDO"), from, to, 10);
    else
        codeList(QStringLiteral("P.NRPEDIDO"), 5, 4, QStringLiteral("Pedidos"));
}

void OrderListQuery::itemsAndSellers()
{
    codeList(QStringLiteral("P.CDVENDEDOR"), 7, 6, QStringLiteral("Vendedores"));
    if (restricts(8)) {
        add(QStringLiteral("P.NRPEDIDO IN (SELECT V.NRPEDIDO FROM VENDPEDIDO V WHERE V.CDFILIAL = ?"), {m_branch});
        m_conditions.last() += QStringLiteral(" AND V.CDVENDEDOR ") + inCodes(quotedCodes(9, QStringLiteral("Vendedores comissionados"))) + u')';
    }
    codeList(QStringLiteral("P.CDCLIENTE"), 11, 10, QStringLiteral("Clientes"));
    if (restricts(12)) {
        // Products first, then their items at the branch (by product index).
        add(QStringLiteral("P.NRPEDIDO IN (SELECT I.NRPEDIDO FROM ITEMPEDIDO I WHERE I.CDFILIAL = ?"
                           " AND I.CDPRODUTO IN (SELECT R.CDPRODUTO FROM PRODUTO R WHERE R.CDARVPROD "),
            {m_branch});
        m_conditions.last() += inCodes(quotedCodes(13, QStringLiteral("Produtos"))) + QStringLiteral("))");
    }
}

void OrderListQuery::statuses()
{
    charList(QStringLiteral("P.IDPRIOPED"), 14, 15, QStringLiteral("Prioridades"));
    // With a product list SQLite would walk the branch's orders in the
    // chosen statuses; the products' few orders, found by key, are faster.
    const bool byProducts = !m_postgres && restricts(12);
    charList(byProducts ? QStringLiteral("+P.IDSITPEDIDO") : QStringLiteral("P.IDSITPEDIDO"), 16, 17,
             QStringLiteral("Situações do pedido"));
    // Few orders lack an item in some status: checked per order, not
    // driven from the items.
    if (restricts(19))
        m_conditions.append(QStringLiteral("EXISTS (SELECT 1 FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                                           " AND I.IDSITITEMPED ")
                            + inCodes(codesOf(text(18), QStringLiteral("Situações do item"))) + u')');
}

void OrderListQuery::periods()
{
    if (restricts(20))
        dayRange(QStringLiteral("P.DTPEDIDO"), 21, 22, QStringLiteral("Data do pedido"));
    if (restricts(23))
        dayRange(QStringLiteral("P.DTENTPED"), 24, 25, QStringLiteral("Data de entrega"));
}

void OrderListQuery::customerMunicipality()
{
    if (!restricts(27))
        return;
    const QString list = text(26);
    if (!list.isEmpty() && !list.startsWith(u'\''))
        fail(26, QStringLiteral("Municípios: a lista deve ter os códigos entre aspas."));
    m_conditions.append(QStringLiteral("P.CDCLIENTE IN (SELECT E.CDCLIENTE FROM ENDECLIE E WHERE E.IDTPENDECLIE = 'P'"
                                       " AND E.CDPAIS || E.SGESTADO || E.CDMUNICIPIO ")
                        + inCodes(codesOf(list, QStringLiteral("Municípios"))) + u')');
}

void OrderListQuery::kindsAndOrigins()
{
    QStringList kinds;
    for (const auto& [number, kind] : {std::pair{28, QStringLiteral("1")}, std::pair{29, QStringLiteral("2")}}) {
        const QString value = text(number);
        if (value == kind)
            kinds.append(kind);
        else if (!value.isEmpty())
            fail(number, QStringLiteral("\"%1\" não é \"%2\" nem vazio.").arg(value.left(20), kind));
    }
    m_conditions.append(QStringLiteral("P.IDTIPOPEDIDO ") + inCodes(kinds));
    charList(QStringLiteral("P.IDORIGPED"), 30, 0, QStringLiteral("Origens"));
}

void OrderListQuery::branchesAndOperations()
{
    codeList(QStringLiteral("P.CDFILIALPED"), 35, 34, QStringLiteral("Filiais destino"));
    codeList(QStringLiteral("P.CDTIPOOPER"), 36, 37, QStringLiteral("Tipos de operação"));
    codeList(QStringLiteral("P.CDDEPTO"), 38, 39, QStringLiteral("Departamentos"));
}

void OrderListQuery::quotation()
{
    constexpr KeyArg quotationArg{"Orçamento", 10};
    const QString from = keyValue(m_params, 39, quotationArg);
    const QString to = keyValue(m_params, 40, quotationArg);
    if (restricts(42))
        textRange(QStringLiteral("P.NRORCAEVENTO"), from, to, 10);
}

// One imported item of the order meets every import criterion given.
void OrderListQuery::imports()
{
    constexpr KeyArg importArg{"Número da importação", 10};
    const QString importNumber = keyValue(m_params, 45, importArg);
    const QString withoutStock = text(47);
    if (withoutStock != QLatin1String("S") && withoutStock != all)
        fail(47, QStringLiteral("\"%1\" não é \"S\" nem \"T\".").arg(withoutStock.left(20)));
    const bool byPeriod = restricts(43);
    const bool byNumber = importNumber != all && !importNumber.isEmpty();
    const bool byStock = withoutStock == QLatin1String("S");
    if (!byPeriod && !byNumber && !byStock)
        return;

    QString sql = QStringLiteral("P.NRPEDIDO IN (SELECT I.NRPEDIDO FROM ITEMPEDIDO I");
    QVariantList values;
    if (byPeriod)
        sql += QStringLiteral(" INNER JOIN HISTIMPPEDIDO H ON H.NRHISIMPITEEEEP = I.NRHISIMPITEEEEP");
    sql += QStringLiteral(" WHERE I.CDFILIAL = ? AND I.NRHISIMPITEEEEP IS NOT NULL");
    values.append(m_branch);
    if (byPeriod) {
        const QDate from = date(44);
        const QDate to = date(45);
        if (!from.isValid())
            fail(44, QStringLiteral("Data da importação: a data inicial deve ser informada."));
        sql += QStringLiteral(" AND H.DTIMPORTACAO >= ?");
        values.append(dayStart(m_postgres, from));
        if (to.isValid()) {
            sql += QStringLiteral(" AND H.DTIMPORTACAO < ?");
            values.append(dayStart(m_postgres, to.addDays(1)));
        }
    }
    if (byNumber) {
        sql += QStringLiteral(" AND I.NRHISIMPITEEEEP = ?");
        values.append(widened(importNumber, 10));
    }
    if (byStock)
        sql += QStringLiteral(" AND I.IDITPEDSEMQTDIS = 'S'");
    add(sql + u')', values);
}

void OrderListQuery::purchaseOrderAndInvoices()
{
    constexpr KeyArg purchaseOrderArg{"Ordem de compra", 15};
    constexpr KeyArg invoiceArg{"Nota fiscal", 20};
    const QString purchaseOrder = keyValue(m_params, 47, purchaseOrderArg);
    if (!purchaseOrder.isEmpty())
        add(QStringLiteral("P.NRORDEMCMPPED = ?"), {purchaseOrder});

    const QString from = keyValue(m_params, 50, invoiceArg);
    const QString to = keyValue(m_params, 51, invoiceArg);
    const QString invoices = QStringLiteral("P.NRPEDIDO IN (SELECT N.NRPEDIDO FROM NOTAFISCAL N WHERE N.CDFILIAL = ?");
    if (restricts(53)) {
        add(invoices, {m_branch});
        if (!from.isEmpty())
            numberBound(QStringLiteral("N.NRNOTAFISCAL"), QStringLiteral(">"), from);
        if (!to.isEmpty())
            numberBound(QStringLiteral("N.NRNOTAFISCAL"), QStringLiteral("<"), to);
        m_conditions.last() += u')';
    } else if (restricts(50)) {
        const QString list = text(49);
        if (!list.isEmpty() && !list.startsWith(u'\''))
            fail(49, QStringLiteral("Notas fiscais: a lista deve ter os códigos entre aspas."));
        add(invoices, {m_branch});
        m_conditions.last() += QStringLiteral(" AND N.NRLANCTONF ") + inCodes(codesOf(list, QStringLiteral("Notas fiscais"))) + u')';
    }
}
