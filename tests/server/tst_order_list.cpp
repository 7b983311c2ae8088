// The order list (GetPedido) and the order detail methods, called over HTTP
// on a real server with the demo data, on SQLite and (when PED_TEST_PG_URL
// is set) on PostgreSQL. Expected orders come from plain SQL on the same
// database, written independently of the server's query.

#include "datapacket.h"
#include "demo_backends.h"
#include "list_text.h"
#include "method_calls.h"
#include "modules/order_list_query.h"
#include "modules/order_packets.h"
#include "modules/packet_sql.h"
#include "rpc/method_registry.h"
#include "store/database.h"
#include "store/sql.h"
#include "test_server.h"
#include "iso_datetime.h"

#include <QDate>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using PedTest::TestServer;
using PedTest::TestServerOptions;

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");
const QString detailOrder = QStringLiteral("0000000007");

using PedTest::fieldNames;
using PedTest::names;
using PedTest::packetOf;
using PedTest::rowsOf;


QStringList column(const DataPacket& packet, const QString& field)
{
    QStringList values;
    const int index = packet.indexOf(field);
    for (const QVariantList& row : packet.rows)
        values.append(row.at(index).toString());
    return values;
}

QString day(int daysFromToday)
{
    return isoDateText(QDate::currentDate().addDays(daysFromToday));
}

// Overrides keyed by the argument's number (1-53).
QJsonArray argumentsWith(const QJsonObject& overrides)
{
    QJsonArray args = PedTest::openOrderListArguments();
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        args[it.key().toInt() - 1] = it.value();
    return args;
}

// A server of one kind, logged in, with a connection of the test's own to
// its database.
struct Backend {
    std::unique_ptr<TestServer> server;
    QString token;
    QString connection;
    bool postgres = false;
    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
};

// Rows that give every criterion something to find: destination branches,
// another operation type, origin 7, an import of its own, a delivery
// address of the detail order, another commissioned seller, and a run of
// earlier sales of one product to one customer.
void addTestRows(const QSqlDatabase& db)
{
    execSql(db, QStringLiteral("UPDATE PEDIDO SET CDFILIALPED = '0002' WHERE CDFILIAL = '0001' AND NRPEDIDO IN ('0000000007', '0000000014')"));
    execSql(db, QStringLiteral("UPDATE PEDIDO SET CDTIPOOPER = '02' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000003'"));
    execSql(db, QStringLiteral("UPDATE PEDIDO SET IDORIGPED = '7' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000019'"));
    execSql(db, QStringLiteral("INSERT INTO HISTIMPPEDIDO (NRHISIMPITEEEEP, DTIMPORTACAO, DSARQUIVO) VALUES ('0000000002', ?, 'velho.xml')"),
            {QDateTime(QDate::currentDate().addDays(-20), QTime(23, 59, 59))});
    execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET NRHISIMPITEEEEP = '0000000002' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000002'"
                               " AND NRITEMPED = '0000000001'"));
    execSql(db, QStringLiteral("INSERT INTO VENDPEDIDO (CDFILIAL, NRPEDIDO, CDVENDEDOR, VRPECOMVEN) VALUES ('0001', '0000000011', '0003', 1)"));
    execSql(db, QStringLiteral("INSERT INTO ENDEPEDIDO (CDFILIAL, NRPEDIDO, NMRAZSOCPED, DSENDEPED, SGESTADOPED) VALUES (?, ?, 'Entrega', 'Rua A, 1', 'SP')"),
            {branch, detailOrder});

    // Fourteen sales of item 1 of order 2 to its customer, a day apart and
    // newer than any demo order; the two newest are a cancelled item and a
    // quotation, which are no sales.
    const QString copyOrder = QStringLiteral(
        "INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, IDTIPOPEDIDO, CDCLIENTE, CDMODPGTO)"
        " SELECT CDFILIAL, ?, ?, '2', ?, CDCLIENTE, CDMODPGTO FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000002'");
    const QString copyItem = QStringLiteral(
        "INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, VRDESITPED, IDSITITEMPED)"
        " SELECT CDFILIAL, ?, NRITEMPED, CDPRODUTO, QTITEMPED, ?, 0, ? FROM ITEMPEDIDO"
        " WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000002' AND NRITEMPED = '0000000001'");
    for (int n = 1; n <= 14; ++n) {
        const QString number = QStringLiteral("00000091%1").arg(n, 2, 10, QLatin1Char('0'));
        const QString kind = n == 14 ? QStringLiteral("2") : QStringLiteral("1");
        const QString itemStatus = n == 13 ? QStringLiteral("5") : QStringLiteral("1");
        execSql(db, copyOrder, {number, QDateTime(QDate::currentDate().addDays(n), QTime(10, 0)), kind});
        execSql(db, copyItem, {number, 100.0 + n, itemStatus});
    }
}

} // namespace

class TestOrderList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addKinds(); }
    void cleanupTestCase();

    void listsTheOrdersOfEachCriterion_data();
    void listsTheOrdersOfEachCriterion();
    void orderListHasTheRecordSetsFields();
    void longListsAreBound();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void detailsOfTheCurrentOrder();
    void withoutDetailsOnlyTheAddress();

    void orderAndInvoiceLookups();
    void itemTaxesAndLastSales();
    void detailMethodsOfAnUnknownOrder();
    void deletingChargesKeepsOtherOrders();

private:
    static void addKinds() { PedTest::DemoBackends::addKinds(); }
    Backend& backend();
    QJsonObject rpc(Backend& backend, const QString& method, const QJsonArray& params);
    QJsonValue result(Backend& backend, const QString& method, const QJsonArray& params);
    QJsonArray orderList(Backend& backend, const QJsonArray& args);
    QStringList expectedOrders(Backend& backend, const QString& where);

    Backend m_sqlite;
    Backend m_postgres;
};

void TestOrderList::cleanupTestCase()
{
    for (Backend* backend : {&m_sqlite, &m_postgres}) {
        if (backend->connection.isEmpty())
            continue;
        QSqlDatabase::database(backend->connection, false).close();
        QSqlDatabase::removeDatabase(backend->connection);
        backend->server.reset();
    }
}

// The server of the row's kind, started and given the test rows when a row
// first needs it.
Backend& TestOrderList::backend()
{
    QFETCH_GLOBAL(QString, kind);
    Backend& backend = kind == QLatin1String("postgresql") ? m_postgres : m_sqlite;
    if (!backend.server && (backend.server = PedTest::startServer(kind))) {
        backend.token = backend.server->login();
        backend.connection = QStringLiteral("tst_order_list_") + kind;
        backend.postgres = kind == QLatin1String("postgresql");
        addTestRows(openDatabase(backend.server->databaseConfig(), backend.connection));
    }
    return backend;
}

#define OPEN_BACKEND()       \
    Backend& be = backend(); \
    if (!be.server)          \
        return;

QJsonObject TestOrderList::rpc(Backend& backend, const QString& method, const QJsonArray& params)
{
    return backend.server->call(lanPedido, method, params, backend.token);
}

QJsonValue TestOrderList::result(Backend& backend, const QString& method, const QJsonArray& params)
{
    return backend.server->result(lanPedido, method, params, backend.token);
}

QJsonArray TestOrderList::orderList(Backend& backend, const QJsonArray& args)
{
    return result(backend, QStringLiteral("GetPedido"), args).toObject().value(QStringLiteral("value")).toArray();
}

// `where` may write DAY(column) for the day of a date-time column.
QStringList TestOrderList::expectedOrders(Backend& backend, const QString& where)
{
    QString condition = where;
    condition.replace(QRegularExpression(QStringLiteral("DAY\\(([\\w.]+)\\)")),
                      backend.postgres ? QStringLiteral("CAST(\\1 AS DATE)") : QStringLiteral("date(\\1)"));
    QStringList orders;
    for (const QVariantList& row : rowsOf(backend.db(), QStringLiteral("SELECT NRPEDIDO FROM PEDIDO WHERE CDFILIAL = '0001'"
                                                                       " AND IDTIPOPEDIDO IN ('1', '2') AND (%1) ORDER BY NRPEDIDO")
                                                            .arg(condition)))
        orders.append(row.at(0).toString());
    return orders;
}

void TestOrderList::listsTheOrdersOfEachCriterion_data()
{
    QTest::addColumn<QJsonObject>("overrides");
    QTest::addColumn<QString>("where");
    const auto digitsIn = [](const QString& column, const char* codes) {
        QStringList quoted;
        for (const QChar c : QString::fromLatin1(codes))
            quoted.append(QStringLiteral("'%1'").arg(c));
        return QStringLiteral("%1 IN (%2)").arg(column, quoted.join(u','));
    };
    const QString itemsOf = QStringLiteral("NRPEDIDO IN (SELECT I.NRPEDIDO FROM ITEMPEDIDO I %1 WHERE I.CDFILIAL = '0001' AND %2)");
    const QString invoicesOf = QStringLiteral("NRPEDIDO IN (SELECT NRPEDIDO FROM NOTAFISCAL WHERE CDFILIAL = '0001' AND %1)");
    const struct {
        const char* name;
        QJsonObject overrides;
        QString where;
    } rows[] = {
        {"nothing restricts", {}, QStringLiteral("1 = 1")},
        {"order interval, unwidened bounds", {{"1", ""}, {"2", "3"}, {"3", "0000000007"}},
         QStringLiteral("NRPEDIDO BETWEEN '0000000003' AND '0000000007'")},
        {"order interval with equal ends", {{"1", ""}, {"2", "0000000012"}, {"3", "0000000012"}}, QStringLiteral("NRPEDIDO = '0000000012'")},
        {"order list of one", {{"4", ""}, {"5", "'0000000005'"}}, QStringLiteral("NRPEDIDO = '0000000005'")},
        {"order list of several", {{"4", ""}, {"5", "'0000000005'_'0000000011'_'0000009999'"}},
         QStringLiteral("NRPEDIDO IN ('0000000005', '0000000011')")},
        {"empty order list", {{"4", ""}, {"5", ""}}, QStringLiteral("1 = 0")},
        {"order list ignored under T", {{"5", "'0000000005'"}}, QStringLiteral("1 = 1")},
        {"sellers", {{"6", ""}, {"7", "'0005'_'0002'"}}, QStringLiteral("CDVENDEDOR IN ('0005', '0002')")},
        {"commissioned seller", {{"8", ""}, {"9", "'0003'"}},
         QStringLiteral("NRPEDIDO IN (SELECT NRPEDIDO FROM VENDPEDIDO WHERE CDFILIAL = '0001' AND CDVENDEDOR = '0003')")},
        {"customer", {{"10", ""}, {"11", "'000017'"}}, QStringLiteral("CDCLIENTE = '000017'")},
        {"customers, a quote inside a code", {{"10", ""}, {"11", "'D''AVILA'_'000017'_'000001'"}},
         QStringLiteral("CDCLIENTE IN ('000017', '000001')")},
        {"product", {{"12", ""}, {"13", "'0114003'"}},
         itemsOf.arg(QStringLiteral("INNER JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO"), QStringLiteral("R.CDARVPROD = '0114003'"))},
        {"products", {{"12", ""}, {"13", "'0114003'_'0108002'_'0117003'"}},
         itemsOf.arg(QStringLiteral("INNER JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO"),
                     QStringLiteral("R.CDARVPROD IN ('0114003', '0108002', '0117003')"))},
        // On SQLite a product list changes how the statuses are read (by key rather than by the status index).
        {"products of pending orders", {{"12", ""}, {"13", "'0114003'_'0108002'_'0117003'"}, {"16", "12"}, {"17", ""}},
         digitsIn(QStringLiteral("IDSITPEDIDO"), "12") + QStringLiteral(" AND ")
             + itemsOf.arg(QStringLiteral("INNER JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO"),
                           QStringLiteral("R.CDARVPROD IN ('0114003', '0108002', '0117003')"))},
        {"priorities", {{"14", "43"}, {"15", ""}}, digitsIn(QStringLiteral("IDPRIOPED"), "43")},
        {"priority list ignored under T", {{"14", "4"}}, QStringLiteral("1 = 1")},
        {"order statuses pending and in progress", {{"16", "12"}, {"17", ""}}, digitsIn(QStringLiteral("IDSITPEDIDO"), "12")},
        {"order statuses settled", {{"16", "35"}, {"17", ""}}, digitsIn(QStringLiteral("IDSITPEDIDO"), "35")},
        {"item status cancelled", {{"18", "5"}, {"19", ""}},
         itemsOf.arg(QString(), QStringLiteral("I.IDSITITEMPED = '5'"))},
        {"item statuses pending or approved", {{"18", "13"}, {"19", ""}},
         itemsOf.arg(QString(), QStringLiteral("I.IDSITITEMPED IN ('1', '3')"))},
        {"entry period of ten days", {{"20", ""}, {"21", day(-10)}, {"22", day(0)}},
         QStringLiteral("DAY(DTPEDIDO) BETWEEN '%1' AND '%2'").arg(day(-10), day(0))},
        {"entry period of one whole day", {{"20", ""}, {"21", day(-1)}, {"22", day(-1) + QStringLiteral("T00:00:00")}},
         QStringLiteral("DAY(DTPEDIDO) = '%1'").arg(day(-1))},
        {"entry period open at the end", {{"20", ""}, {"21", day(-3)}}, QStringLiteral("DAY(DTPEDIDO) >= '%1'").arg(day(-3))},
        {"delivery period", {{"23", ""}, {"24", day(0)}, {"25", day(3)}},
         QStringLiteral("DAY(DTENTPED) BETWEEN '%1' AND '%2'").arg(day(0), day(3))},
        {"customer municipality", {{"26", "'1058SP0001'"}, {"27", ""}},
         QStringLiteral("CDCLIENTE IN (SELECT CDCLIENTE FROM ENDECLIE WHERE IDTPENDECLIE = 'P' AND CDPAIS = '1058'"
                        " AND SGESTADO = 'SP' AND CDMUNICIPIO = '0001')")},
        {"orders only", {{"29", ""}}, QStringLiteral("IDTIPOPEDIDO = '1'")},
        {"quotations only", {{"28", ""}}, QStringLiteral("IDTIPOPEDIDO = '2'")},
        {"neither kind", {{"28", ""}, {"29", ""}}, QStringLiteral("1 = 0")},
        {"origins without 4-8", {{"30", "1239"}}, digitsIn(QStringLiteral("IDORIGPED"), "1239")},
        {"origins as a list text", {{"30", "'4'_'7'"}}, digitsIn(QStringLiteral("IDORIGPED"), "47")},
        {"destination branch", {{"34", ""}, {"35", "'0002'"}}, QStringLiteral("CDFILIALPED = '0002'")},
        {"operation type", {{"36", "'02'"}, {"37", ""}}, QStringLiteral("CDTIPOOPER = '02'")},
        {"department", {{"38", "'002'"}, {"39", ""}}, QStringLiteral("CDDEPTO = '002'")},
        {"quotation range", {{"40", "10"}, {"41", "0000000012"}, {"42", ""}},
         QStringLiteral("NRORCAEVENTO BETWEEN '0000000010' AND '0000000012'")},
        {"quotation range ignored under T", {{"40", "0000000099"}, {"41", "0000000099"}}, QStringLiteral("1 = 1")},
        {"import period", {{"43", ""}, {"44", day(-2)}, {"45", day(0)}},
         itemsOf.arg(QStringLiteral("INNER JOIN HISTIMPPEDIDO H ON H.NRHISIMPITEEEEP = I.NRHISIMPITEEEEP"),
                     QStringLiteral("DAY(H.DTIMPORTACAO) BETWEEN '%1' AND '%2'").arg(day(-2), day(0)))},
        {"import period, last second of the day", {{"43", ""}, {"44", day(-20)}, {"45", day(-20)}},
         itemsOf.arg(QString(), QStringLiteral("I.NRHISIMPITEEEEP = '0000000002'"))},
        {"import number", {{"46", "0000000002"}}, itemsOf.arg(QString(), QStringLiteral("I.NRHISIMPITEEEEP = '0000000002'"))},
        {"imported without stock", {{"47", "S"}},
         itemsOf.arg(QString(), QStringLiteral("I.NRHISIMPITEEEEP IS NOT NULL AND I.IDITPEDSEMQTDIS = 'S'"))},
        {"purchase order", {{"48", "OC-004101"}}, QStringLiteral("NRORDEMCMPPED = 'OC-004101'")},
        {"invoice list", {{"49", "'0000000001'_'0000000003'"}, {"50", ""}},
         invoicesOf.arg(QStringLiteral("NRLANCTONF IN ('0000000001', '0000000003')"))},
        {"invoice interval widened to 20", {{"51", "00000000000000001006"}, {"52", "00000000000000001012"}, {"53", ""}},
         invoicesOf.arg(QStringLiteral("NRNOTAFISCAL IN ('000001006', '000001009', '000001012')"))},
        {"invoice interval with equal ends", {{"51", "1009"}, {"52", "1009"}, {"53", ""}},
         invoicesOf.arg(QStringLiteral("NRNOTAFISCAL = '000001009'"))},
        {"default filter", {{"16", "12"}, {"17", ""}, {"20", ""}, {"21", day(-10)}, {"22", day(0)}, {"29", ""}, {"30", "1239"}},
         QStringLiteral("IDSITPEDIDO IN ('1', '2') AND DAY(DTPEDIDO) BETWEEN '%1' AND '%2' AND IDTIPOPEDIDO = '1'"
                        " AND IDORIGPED IN ('1', '2', '3', '9')")
             .arg(day(-10), day(0))},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << row.overrides << row.where;
}

void TestOrderList::listsTheOrdersOfEachCriterion()
{
    OPEN_BACKEND();
    QFETCH(QJsonObject, overrides);
    QFETCH(QString, where);
    const QStringList expected = expectedOrders(be, where);
    const QStringList listed = column(packetOf(orderList(be, argumentsWith(overrides)).at(0)), QStringLiteral("NRPEDIDO"));
    QCOMPARE(listed, expected);
    const bool matchesNothing = where == QLatin1String("1 = 0");
    QVERIFY2(expected.isEmpty() == matchesNothing, "a row that should find orders finds none");
}

void TestOrderList::orderListHasTheRecordSetsFields()
{
    OPEN_BACKEND();
    const DataPacket orders = packetOf(orderList(be, PedTest::openOrderListArguments()).at(0));
    QCOMPARE(fieldNames(orders), PedTest::Fields::orderList);
    const auto typeOf = [&](const char* name) { return orders.fields.at(orders.indexOf(QLatin1String(name))); };
    QCOMPARE(typeOf("NRPEDIDO"), (FieldDef{QStringLiteral("NRPEDIDO"), FieldType::String, 10}));
    QCOMPARE(typeOf("DTPEDIDO").type, FieldType::DateTime);
    QCOMPARE(typeOf("VRTOTALPED").type, FieldType::Float);
    QCOMPARE(typeOf("NRITPEDAPROVADO").type, FieldType::Integer);
    QCOMPARE(typeOf("IDCANCCOMISPED").size, 20);
    QVERIFY(!orders.rows.isEmpty());
    QCOMPARE(orders.rows.first().at(orders.indexOf(QStringLiteral("CDFILIAL"))).toString(), branch);
}

void TestOrderList::longListsAreBound()
{
    OPEN_BACKEND();
    QStringList customers;
    for (int n = 0; n < 5000; ++n)
        customers.append(QStringLiteral("X%1").arg(n, 6, 10, QLatin1Char('0')));
    customers.append(QStringLiteral("000017"));
    const DataPacket orders =
        packetOf(orderList(be, argumentsWith({{"10", ""}, {"11", listText(customers)}})).at(0));
    QCOMPARE(column(orders, QStringLiteral("NRPEDIDO")), expectedOrders(be, QStringLiteral("CDCLIENTE = '000017'")));
}

void TestOrderList::badArgumentsAreRefused_data()
{
    QTest::addColumn<QJsonArray>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const struct {
        const char* name;
        QJsonArray args;
        int code;
        const char* message;
    } rows[] = {
        {"injection after a code", argumentsWith({{"10", ""}, {"11", "'000017' OR 1=1"}}), -32000, "Clientes"},
        {"injection closing the quote", argumentsWith({{"10", ""}, {"11", "'000017'') OR (''1''=''1"}}), -32000, "Clientes"},
        {"unquoted code", argumentsWith({{"6", ""}, {"7", "0005"}}), -32000, "Vendedores"},
        {"unclosed quote", argumentsWith({{"12", ""}, {"13", "'0114003"}}), -32000, "Produtos"},
        {"no separator", argumentsWith({{"34", ""}, {"35", "'0002''0003'x"}}), -32000, "Filiais destino"},
        {"unquoted product", argumentsWith({{"12", ""}, {"13", "0114003"}}), -32000, "Argumento 13"},
        {"product list opening with a separator", argumentsWith({{"12", ""}, {"13", "_'0114003'"}}), -32000, "Argumento 13"},
        {"unquoted commissioned seller", argumentsWith({{"8", ""}, {"9", "0005"}}), -32000, "Argumento 9"},
        {"commissioned sellers opening with a separator", argumentsWith({{"8", ""}, {"9", "_'0005'"}}), -32000, "Argumento 9"},
        {"NUL after an order code", argumentsWith({{"4", ""}, {"5", QStringLiteral("'0000000001") + QChar(u'\0') + u'\''}}), -32602, "NUL"},
        {"marker neither T nor empty", argumentsWith({{"15", "X"}}), -32000, "Argumento 15"},
        {"unknown order kind", argumentsWith({{"28", "3"}}), -32000, "Argumento 28"},
        {"without-stock neither S nor T", argumentsWith({{"47", "N"}}), -32000, "Argumento 47"},
        {"period without its first day", argumentsWith({{"20", ""}, {"22", day(0)}}), -32000, "Argumento 21"},
        {"period ending before it starts", argumentsWith({{"20", ""}, {"21", day(0)}, {"22", day(-1)}}), -32000, "Argumento 22"},
        {"branch longer than its column", argumentsWith({{"31", "00001"}}), -32000, "Filial"},
        {"order bound longer than its column", argumentsWith({{"1", ""}, {"2", "00000000001"}}), -32000, "pedido"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << row.args << row.code << QString::fromUtf8(row.message);
}

void TestOrderList::badArgumentsAreRefused()
{
    OPEN_BACKEND();
    QFETCH(QJsonArray, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const auto rowCount = [&] {
        return selectValue(be.db(), QStringLiteral("SELECT (SELECT COUNT(*) FROM PEDIDO) + (SELECT COUNT(*) FROM ITEMPEDIDO)"
                                                   " + (SELECT COUNT(*) FROM CLIENTE)"))
            .toLongLong();
    };
    const qlonglong rowsBefore = rowCount();
    const QJsonObject answer = rpc(be, QStringLiteral("GetPedido"), args);
    const QJsonObject error = answer.value(QStringLiteral("error")).toObject();
    QVERIFY2(!error.isEmpty(), qPrintable(QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)).left(300)));
    QCOMPARE(error.value(QStringLiteral("code")).toInt(), code);
    QVERIFY2(error.value(QStringLiteral("message")).toString().contains(message), qPrintable(error.value(QStringLiteral("message")).toString()));
    QCOMPARE(rowCount(), rowsBefore);
}

void TestOrderList::detailsOfTheCurrentOrder()
{
    OPEN_BACKEND();
    const QJsonArray args = argumentsWith({{"32", true}, {"33", detailOrder}});
    const QJsonObject answer = result(be, QStringLiteral("GetPedido"), args).toObject();
    const QJsonArray elements = answer.value(QStringLiteral("value")).toArray();
    QCOMPARE(elements.size(), 10);
    // The list goes out as JSON text written straight from the query: it reads as the packet built through values.
    const OrderListQuery query(args, be.postgres);
    QCOMPARE(elements.at(0).toObject(), selectPacket(be.db(), OrderListQuery::fields(), query.selectSql(), query.values()).toJson());

    // By-reference arguments come back as they went.
    QJsonArray refs;
    for (int number : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 17, 19, 20, 21, 22, 23, 24, 25, 26, 27, 34, 35, 36, 37,
                       38, 39, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53})
        refs.append(args.at(number - 1));
    QCOMPARE(answer.value(QStringLiteral("refs")).toArray(), refs);

    const QJsonArray items = result(be, QStringLiteral("GetItemPedido"), {branch, detailOrder, QStringLiteral("1")}).toArray();
    const QJsonArray notes = result(be, QStringLiteral("GetTObser"), {branch, detailOrder}).toArray();
    const struct {
        int element;
        QJsonValue expected;
    } details[] = {
        {1, items.at(0)},
        {2, notes.at(0)},
        {3, result(be, QStringLiteral("GetPrazoPgto"), {detailOrder, branch})},
        {5, items.at(1)},
        {6, notes.at(1)},
        {7, result(be, QStringLiteral("getEncargo"), {branch, detailOrder})},
        {8, result(be, QStringLiteral("GetImposPedTot"), {branch, detailOrder})},
        {9, result(be, QStringLiteral("GetDadosEndPed"), {branch, detailOrder})},
    };
    for (const auto& detail : details)
        QVERIFY2(elements.at(detail.element) == detail.expected, qPrintable(QString::number(detail.element)));
    for (int element : {1, 2, 3, 6, 7, 9})
        QVERIFY2(!packetOf(elements.at(element)).rows.isEmpty(), qPrintable(QString::number(element)));
    const DataPacket charges = packetOf(elements.at(7));
    QCOMPARE(charges.rows.size(), selectValue(be.db(), QStringLiteral("SELECT COUNT(*) FROM ENCARGO")).toInt());
    double chargedTotal = 0;
    for (const QVariantList& row : charges.rows)
        chargedTotal += row.at(charges.indexOf(QStringLiteral("VRENCARGOPED"))).toDouble();
    QCOMPARE(chargedTotal, selectValue(be.db(), QStringLiteral("SELECT SUM(VRENCARGOPED) FROM ENCARGOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                                       {branch, detailOrder})
                               .toDouble());
    const DataPacket stock = packetOf(elements.at(4));
    // The screen loads it into the same record set as GetDadosAfterScroll's.
    QVERIFY(stock.fields == OrderPackets::stockPositionFields());
    QCOMPARE(fieldNames(stock).first(), QStringLiteral("CDFABRIC"));
    QVERIFY(stock.rows.isEmpty());
}

void TestOrderList::withoutDetailsOnlyTheAddress()
{
    OPEN_BACKEND();
    const QJsonArray withDetails = orderList(be, argumentsWith({{"32", true}, {"33", detailOrder}}));
    const QJsonArray without = orderList(be, argumentsWith({{"33", detailOrder}}));
    const QJsonArray unknownOrder = orderList(be, argumentsWith({{"32", true}, {"33", "0000009999"}}));
    for (int element = 1; element <= 8; ++element) {
        const QString label = QString::number(element);
        QCOMPARE(fieldNames(packetOf(without.at(element))), fieldNames(packetOf(withDetails.at(element))));
        QVERIFY2(packetOf(without.at(element)).rows.isEmpty(), qPrintable(label));
        QCOMPARE(fieldNames(packetOf(unknownOrder.at(element))), fieldNames(packetOf(withDetails.at(element))));
        QVERIFY2(packetOf(unknownOrder.at(element)).rows.isEmpty(), qPrintable(label));
    }
    QCOMPARE(without.at(9), withDetails.at(9));
    QCOMPARE(packetOf(without.at(9)).rows.size(), 1);
    QVERIFY(packetOf(unknownOrder.at(9)).rows.isEmpty());
}

void TestOrderList::orderAndInvoiceLookups()
{
    OPEN_BACKEND();
    const DataPacket orders = packetOf(result(be, QStringLiteral("GetNrPedido"), {branch}));
    QCOMPARE(orders.fields, (QList<FieldDef>{{QStringLiteral("IDMARCADO"), FieldType::String, 1},
                                            {QStringLiteral("NRPEDIDO"), FieldType::String, 10},
                                            {QStringLiteral("NMFANTCLIE"), FieldType::String, 50}}));
    QCOMPARE(orders.rows.size(), selectValue(be.db(), QStringLiteral("SELECT COUNT(*) FROM PEDIDO WHERE CDFILIAL = '0001'")).toInt());
    QCOMPARE(column(orders, QStringLiteral("IDMARCADO")).filter(QStringLiteral("N")).size(), orders.rows.size());
    QStringList sorted = column(orders, QStringLiteral("NRPEDIDO"));
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(column(orders, QStringLiteral("NRPEDIDO")), sorted);

    const DataPacket invoices = packetOf(result(be, QStringLiteral("GetNota"), {branch}));
    QCOMPARE(invoices.fields, (QList<FieldDef>{{QStringLiteral("IDMARCADO"), FieldType::String, 1},
                                              {QStringLiteral("NRLANCTONF"), FieldType::String, 10},
                                              {QStringLiteral("DATASAIDA"), FieldType::String, 10}}));
    QSqlQuery stored = execSql(be.db(), QStringLiteral("SELECT NRLANCTONF, DTENTRSAID FROM NOTAFISCAL WHERE CDFILIAL = '0001' ORDER BY NRLANCTONF"));
    int row = 0;
    while (stored.next()) {
        QVERIFY(row < invoices.rows.size());
        QCOMPARE(invoices.rows.at(row).at(1).toString(), stored.value(0).toString());
        const QDate exit = parseIsoLenient(stored.value(1).toString()).date();
        QCOMPARE(invoices.rows.at(row).at(2).toString(), exit.toString(QStringLiteral("dd/MM/yyyy")));
        ++row;
    }
    QCOMPARE(invoices.rows.size(), row);
    QVERIFY(row > 0);

    QVERIFY(packetOf(result(be, QStringLiteral("GetNrPedido"), {QStringLiteral("0009")})).rows.isEmpty());
    QVERIFY(packetOf(result(be, QStringLiteral("GetNota"), {QString()})).rows.isEmpty());
    const QJsonObject tooLong = rpc(be, QStringLiteral("GetNota"), {QStringLiteral("00001")});
    QCOMPARE(tooLong.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt(), -32000);
}

void TestOrderList::itemTaxesAndLastSales()
{
    OPEN_BACKEND();
    const QString product = selectValue(be.db(), QStringLiteral("SELECT CDPRODUTO FROM ITEMPEDIDO WHERE CDFILIAL = '0001'"
                                                                " AND NRPEDIDO = '0000000002' AND NRITEMPED = '0000000001'"))
                                .toString();
    const QString customer = selectValue(be.db(), QStringLiteral("SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000002'"))
                                 .toString();
    const QJsonArray answer = result(be, QStringLiteral("GetImposto_UltVendaP"),
                                     {branch, QStringLiteral("0000000001"), QStringLiteral("0000000001"), product, customer})
                                  .toArray();
    QCOMPARE(answer.size(), 2);
    const DataPacket taxes = packetOf(answer.at(0));
    QCOMPARE(fieldNames(taxes), names("NRITEMPED SGIMPOSTO VRPERCIMPOS VRIMPOSTO"));
    QCOMPARE(taxes.rows.size(), selectValue(be.db(), QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIMPOS WHERE CDFILIAL = '0001'"
                                                                    " AND NRPEDIDO = '0000000001' AND NRITEMPED = '0000000001'"))
                                    .toInt());
    QVERIFY(!taxes.rows.isEmpty());

    // Order 0000009112 is on the screen: the ten sales before it, newest
    // first; the quotation (9114) and the cancelled item (9113) are no sales.
    const QJsonArray lastSales = result(be, QStringLiteral("GetImposto_UltVendaP"),
                                        {branch, QStringLiteral("0000009112"), QStringLiteral("0000000001"), product, customer})
                                     .toArray();
    const DataPacket sales = packetOf(lastSales.at(1));
    QCOMPARE(fieldNames(sales), names("NRPEDIDO DTPEDIDO QTITEMPED VRPREUNITPED IDSITITEMPED VRDESITPED"));
    QStringList expected;
    for (int n = 11; n >= 2; --n)
        expected.append(QStringLiteral("00000091%1").arg(n, 2, 10, QLatin1Char('0')));
    QCOMPARE(column(sales, QStringLiteral("NRPEDIDO")), expected);
    QCOMPARE(sales.rows.first().at(sales.indexOf(QStringLiteral("VRPREUNITPED"))).toDouble(), 111.0);
}

void TestOrderList::detailMethodsOfAnUnknownOrder()
{
    OPEN_BACKEND();
    const QString unknown = QStringLiteral("0000009999");
    QVERIFY(packetOf(result(be, QStringLiteral("GetPrazoPgto"), {unknown, branch})).rows.isEmpty());
    QVERIFY(packetOf(result(be, QStringLiteral("GetPrazoPgto"), {QString(), QString()})).fields.size() == 8);
    const QJsonArray notes = result(be, QStringLiteral("GetTObser"), {branch, unknown}).toArray();
    QVERIFY(packetOf(notes.at(0)).rows.isEmpty() && packetOf(notes.at(1)).rows.isEmpty());
    QVERIFY(packetOf(result(be, QStringLiteral("getEncargo"), {branch, unknown})).rows.isEmpty());
    QVERIFY(packetOf(result(be, QStringLiteral("GetDadosEndPed"), {branch, unknown})).rows.isEmpty());
    const QJsonArray taxes = result(be, QStringLiteral("GetImposto_UltVendaP"), {branch, unknown, QStringLiteral("0000000001"),
                                                                                 QStringLiteral("X"), QStringLiteral("Y")})
                                 .toArray();
    QVERIFY(packetOf(taxes.at(0)).rows.isEmpty() && packetOf(taxes.at(1)).rows.isEmpty());
    const QJsonObject tooLong = rpc(be, QStringLiteral("GetPrazoPgto"), {QStringLiteral("00000000001"), branch});
    QVERIFY(tooLong.value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString().contains(QStringLiteral("pedido")));
}

void TestOrderList::deletingChargesKeepsOtherOrders()
{
    OPEN_BACKEND();
    const QString order = QStringLiteral("0000000017");
    const auto charges = [&](const QString& where) {
        return selectValue(be.db(), QStringLiteral("SELECT COUNT(*) FROM ENCARGOPED WHERE %1").arg(where), {branch, order}).toInt();
    };
    const int others = charges(QStringLiteral("NOT (CDFILIAL = ? AND NRPEDIDO = ?)"));
    QVERIFY(charges(QStringLiteral("CDFILIAL = ? AND NRPEDIDO = ?")) > 0);
    QVERIFY(others > 0);
    QCOMPARE(result(be, QStringLiteral("SetDelTdsEncargos"), {branch, order}), QJsonValue(true));
    QCOMPARE(charges(QStringLiteral("CDFILIAL = ? AND NRPEDIDO = ?")), 0);
    QCOMPARE(charges(QStringLiteral("NOT (CDFILIAL = ? AND NRPEDIDO = ?)")), others);
    QCOMPARE(result(be, QStringLiteral("SetDelTdsEncargos"), {branch, order}), QJsonValue(true));
}

QTEST_GUILESS_MAIN(TestOrderList)
#include "tst_order_list.moc"
