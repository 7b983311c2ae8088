// What the order screen's pages and its current item load, called through
// the registry as the dispatcher calls them, on SQLite and (when
// PED_TEST_PG_URL is set) PostgreSQL demo databases: order totals from
// items, taxes and charges, and the side data of the current item against
// the demo stock, orders and invoices. Test orders are added to the demo
// data, among them one without items and one whose totals are known to the
// cent.

#include "datapacket.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/database.h"
#include "store/sql.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "store/temporary_database.h"
#include "test_server.h"
#include "money.h"

#include <QSqlQuery>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");
const QString withItems = QStringLiteral("0000000001");
const QString withoutItems = QStringLiteral("0000009001");
const QString unknownOrder = QStringLiteral("0000009999");

using PedTest::fieldNames;
using PedTest::names;
using PedTest::packetOf;
using PedTest::rowsOf;
using PedTest::value;

int count(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    return selectValue(db, sql, values).toInt();
}

const QStringList noteFields = names("NRPEDIDO TXOBSPED CDFILIAL");
const QStringList termFields = names("CDFILIAL NRPEDIDO DTPEDIDO NRDIASPGTOPED PREVISAO VRPERCPGTOPED DSPRAZOPGTOPED VRPARCELA");
const QStringList additionalDataFields = names("CDFILIAL NRPEDIDO NRDADOADICPED CDMENSAGEM DSDADOADICPED");
const QStringList chargeFields = names("CDFILIAL NRPEDIDO CDENCARGO NMENCARGO VRENCARGOPED VRPERCENTENC");
const QStringList totalFields =
    names("CDFILIAL NRPEDIDO ENCARGOACRESC ENCARGODECRESC IMPOSACRES IMPOSDECRES VRTOTAL VRRECEBIMENTO DESCPED VRBONI");

struct TestItem {
    double quantity, price, discount;
    const char* bonus;    // IDPRODBONIF
    const char* status;   // IDSITITEMPED
};
struct Amount {
    const char* code;
    double value;
};
struct TestOrder {
    const char* name;
    const char* number;
    QList<TestItem> items;
    QList<Amount> taxes;     // IMPOSPEDTOT by CDIMPOSTO
    QList<Amount> charges;   // ENCARGOPED by CDENCARGO
    QList<double> figures = {};   // GetImposEncar's eight totals worked out by hand, in field order
};

// Tax "01" is in the price, "02" and "05" add, "91" (added here) deducts;
// charges "01", "02", "04" add, "03" deducts.
// 9002: item 1 is 10.005 (10.01) x 3 less 1.004 (1.00) = 29.03; item 2 is
// free goods, 5 x 2 = 10; item 3 is cancelled. Taxes: 4.50 added, 1.20
// deducted, 7.00 in the price. Charges: 35.00 + 2.50 added, 3.00 deducted.
const QList<TestOrder> testOrders = {
    {"without items", "0000009001", {}, {}, {}},
    {"known totals", "0000009002", {{3, 10.005, 1.004, "N", "1"}, {2, 5.0, 0, "S", "1"}, {1, 100.0, 0, "N", "5"}},
     {{"02", 4.5}, {"91", 1.2}, {"01", 7.0}}, {{"01", 35.0}, {"04", 2.5}, {"03", 3.0}}, {37.5, 3.0, 4.5, 1.2, 39.03, 66.83, 1.0, 10.0}},
    {"goods only", "0000009011", {{2, 12.5, 1.0, "N", "1"}, {3, 4.333, 0, "N", "1"}}, {}, {}},
    {"taxes in the price", "0000009012", {{2, 12.5, 1.0, "N", "1"}}, {{"01", 4.32}}, {}},
    {"added tax and charge", "0000009013", {{1, 99.99, 0, "N", "2"}, {4, 2.505, 0.004, "N", "1"}},
     {{"02", 5.5}, {"05", 1.25}, {"01", 18.0}}, {{"01", 35.0}, {"02", 0.55}}},
    {"deducted tax and charge", "0000009014", {{10, 3.1, 2.5, "N", "1"}}, {{"91", 1.5}}, {{"03", 2.0}}},
    {"free goods and a cancelled item", "0000009015",
     {{5, 10.0, 10.239, "S", "1"}, {1, 7.0, 0, "N", "1"}, {3, 50.0, 0, "N", "5"}}, {{"02", 0.35}}, {{"04", 1.0}, {"03", 0.5}}},
};

double cents(double value)
{
    return RoundDec(value, 2);
}

void addTestOrders(const QSqlDatabase& db)
{
    execSql(db, QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, SGIMPOSTO, NMIMPOSTO, IDTRATIMPO) VALUES ('91', 'RET', 'Retenção', 'D')"));
    for (const TestOrder& order : testOrders) {
        const QString number = QString::fromLatin1(order.number);
        execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, CDCLIENTE, CDMODPGTO)"
                                   " SELECT CDFILIAL, ?, DTPEDIDO, '1', CDCLIENTE, CDMODPGTO FROM PEDIDO"
                                   " WHERE CDFILIAL = ? AND NRPEDIDO = '0000000001'"),
                {number, branch});
        int n = 0;
        for (const TestItem& item : order.items)
            execSql(db, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED,"
                                       " VRDESITPED, IDSITITEMPED, IDPRODBONIF) VALUES (?, ?, ?, '1', ?, ?, ?, ?, ?)"),
                    {branch, number, QStringLiteral("%1").arg(++n, 10, 10, QLatin1Char('0')), item.quantity, item.price, item.discount,
                     QString::fromLatin1(item.status), QString::fromLatin1(item.bonus)});
        for (const Amount& tax : order.taxes)
            execSql(db, QStringLiteral("INSERT INTO IMPOSPEDTOT (CDFILIAL, NRPEDIDO, CDIMPOSTO, VRTOTIMPPED, VRTOTBCALCPED) VALUES (?, ?, ?, ?, 0)"),
                    {branch, number, QString::fromLatin1(tax.code), tax.value});
        for (const Amount& charge : order.charges)
            execSql(db, QStringLiteral("INSERT INTO ENCARGOPED (CDFILIAL, NRPEDIDO, CDENCARGO, VRENCARGOPED) VALUES (?, ?, ?, ?)"),
                    {branch, number, QString::fromLatin1(charge.code), charge.value});
    }
}

double number(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    return selectValue(db, sql, values).toDouble();
}

// Arguments of GetDadosAfterScroll for one item, asking for everything.
QJsonArray afterScrollArgs(const QString& order, const QString& item, const QString& product, const QString& status,
                           const QString& customer, const QString& operation = QStringLiteral("01"))
{
    return {branch, QString(), order, item, product, QString(), status, customer, QStringLiteral("S"), QStringLiteral("S"),
            QStringLiteral("S"), QStringLiteral("S"), QStringLiteral("T"), operation};
}

} // namespace

class TestPageMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addKinds(); }
    void initTestCase();

    void pgcChangeElements_data();
    void pgcChangeElements();
    void pgcChangeRemembersModality_data();
    void pgcChangeRemembersModality();
    void pgcChangeOverHttpReturnsTheModality();
    void pgcChangeCommitmentBalance();

    void itemPedido_data();
    void itemPedido();
    void itemPedidoInvoicePostings();

    void imposPedTot_data();
    void imposPedTot();
    void imposEncar_data();
    void imposEncar();
    void demoTaxesFollowTheRules_data();
    void demoTaxesFollowTheRules();
    void imposEncarMatchesStoredTotals();

    void pesqObser();

    void pedidoImpressao_data();
    void pedidoImpressao();

    void dadosAfterScrollStockPosition();
    void dadosAfterScrollQuantities();
    void dadosAfterScrollLotsUsedAndTaxes();
    void dadosAfterScrollStockControl_data();
    void dadosAfterScrollStockControl();
    void dadosAfterScrollWithoutFlags();

private:
    static void addKinds() { PedTest::DemoBackends::addKinds(); }
    static void addOrders();
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray& params);
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray&& params) { return call(db, method, params); }
    // A demo item of branch 0001 with lots in stock and a reservation.
    QSqlQuery reservedItem(const QSqlDatabase& db);
    // GetDadosAfterScroll's arguments for it, asking for everything.
    static QJsonArray argsFor(const QSqlQuery& item, const QString& operation = QStringLiteral("01"))
    {
        return afterScrollArgs(item.value(0).toString(), item.value(1).toString(), item.value(2).toString(),
                                 item.value(5).toString(), item.value(4).toString(), operation);
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

// Orders: one with items (and a note, terms, an
// address), one without, one never stored, and no order at all.
void TestPageMethods::addOrders()
{
    QTest::addColumn<QString>("order");
    QTest::newRow("with items") << withItems;
    QTest::newRow("without items") << withoutItems;
    QTest::newRow("unknown") << unknownOrder;
    QTest::newRow("none") << QString();
}

#define OPEN_BACKEND() PED_OPEN_GLOBAL_BACKEND(m_backends, backend)

void TestPageMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_page_methods"), addTestOrders);
}

QJsonValue TestPageMethods::call(QSqlDatabase db, const QString& method, QJsonArray& params)
{
    return PedTest::callMethod(m_registry, db, lanPedido, method, params);
}

void TestPageMethods::pgcChangeElements_data() { addOrders(); }

void TestPageMethods::pgcChangeElements()
{
    OPEN_BACKEND();
    QFETCH(QString, order);
    const QString orderBranch = order.isEmpty() ? QString() : branch;
    const QJsonArray result =
        call(db, QStringLiteral("GetPgcChange"), {QString(), QString(), QStringLiteral(" "), QString(), QStringLiteral(" "),
                                                  QString(), orderBranch, order, QStringLiteral("1")})
            .toArray();
    QCOMPARE(result.size(), 11);
    for (int element = 1; element <= 5; ++element)
        QVERIFY2(result.at(element).isNull(), qPrintable(QString::number(element)));

    const struct { int element; QStringList fields; const char* table; } stored[] = {
        {6, noteFields, "OBSPEDIDO"},
        {7, termFields, "PRAZOPGTOPED"},
        {8, additionalDataFields, "DADOADICPED"},
        {10, PedTest::Fields::orderAddress, "ENDEPEDIDO"},
    };
    for (const auto& each : stored) {
        const DataPacket packet = packetOf(result.at(each.element));
        QCOMPARE(fieldNames(packet), each.fields);
        const int rows = count(db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?")
                                       .arg(QLatin1String(each.table)),
                               {orderBranch, order});
        QCOMPARE(packet.rows.size(), rows);
        for (int row = 0; row < rows; ++row)
            QCOMPARE(value(packet, row, QStringLiteral("NRPEDIDO")).toString(), order);
    }
    if (order == withItems) {
        QVERIFY(!packetOf(result.at(6)).rows.isEmpty());
        QVERIFY(!packetOf(result.at(7)).rows.isEmpty());
        QVERIFY(!packetOf(result.at(10)).rows.isEmpty());
    }

    // Every charge kind of a named order, stored or not, so amounts can be typed in.
    const DataPacket charges = packetOf(result.at(9));
    QCOMPARE(fieldNames(charges), chargeFields);
    const int chargeKinds = count(db, QStringLiteral("SELECT COUNT(*) FROM ENCARGO"), {});
    QCOMPARE(charges.rows.size(), order.isEmpty() ? 0 : chargeKinds);
    for (int row = 0; row < charges.rows.size(); ++row) {
        const QVariant stored = selectValue(db, QStringLiteral("SELECT VRENCARGOPED FROM ENCARGOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                                               " AND CDENCARGO = ?"),
                                            {branch, order, value(charges, row, QStringLiteral("CDENCARGO"))});
        QCOMPARE(value(charges, row, QStringLiteral("VRENCARGOPED")).toDouble(), stored.isValid() ? stored.toDouble() : 0.0);
        QCOMPARE(value(charges, row, QStringLiteral("NRPEDIDO")).toString(), order);
    }
}

void TestPageMethods::pgcChangeRemembersModality_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("expected");   // "stored": the order's stored modality
    QTest::newRow("stored order, nothing remembered") << withItems << QString() << QStringLiteral("stored");
    QTest::newRow("stored order, other remembered") << withItems << QStringLiteral("XX") << QStringLiteral("stored");
    QTest::newRow("new order, nothing remembered") << unknownOrder << QString() << QStringLiteral("M9");
    QTest::newRow("new order, one remembered") << unknownOrder << QStringLiteral("XX") << QStringLiteral("XX");
    QTest::newRow("no order") << QString() << QStringLiteral("XX") << QStringLiteral("XX");
}

void TestPageMethods::pgcChangeRemembersModality()
{
    OPEN_BACKEND();
    QFETCH(QString, order);
    QFETCH(QString, remembered);
    QFETCH(QString, expected);
    if (expected == QLatin1String("stored"))
        expected = selectValue(db, QStringLiteral("SELECT CDMODPGTO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toString();
    QJsonArray params{QString(), QString(), QStringLiteral(" "), QStringLiteral("M9"), QStringLiteral(" "),
                      remembered, branch, order, QStringLiteral("1")};
    call(db, QStringLiteral("GetPgcChange"), params);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(params.at(5).toString(), expected);
}

// The screen sends nulls for empty fields and reads the modality from the
// envelope's references.
void TestPageMethods::pgcChangeOverHttpReturnsTheModality()
{
    QFETCH_GLOBAL(QString, kind);
    const auto server = PedTest::startServer(kind);
    if (!server)
        return;
    const QString token = server->login();
    const QJsonObject answer =
        server->result(lanPedido, QStringLiteral("GetPgcChange"),
                      {QJsonValue::Null, QJsonValue::Null, QStringLiteral(" "), QJsonValue::Null, QStringLiteral(" "), QString(),
                       branch, withItems, QStringLiteral("1")},
                      token)
            .toObject();
    QCOMPARE(answer.value(QStringLiteral("value")).toArray().size(), 11);
    const QJsonArray refs = answer.value(QStringLiteral("refs")).toArray();
    QCOMPARE(refs.size(), 1);
    QVERIFY(!refs.at(0).toString().isEmpty());
}

void TestPageMethods::pgcChangeCommitmentBalance()
{
    OPEN_BACKEND();
    QSqlQuery commitment = execSql(db, QStringLiteral("SELECT CDCLIENTE, NREMPENHO, VRSALDOEMP FROM EMPENHO ORDER BY CDCLIENTE, NREMPENHO"));
    QVERIFY2(commitment.next(), "the demo data has commitments");
    const QString customer = commitment.value(0).toString();
    const QString number = commitment.value(1).toString();
    const double storedBalance = commitment.value(2).toDouble();
    commitment.finish();
    const QString otherCustomer = selectValue(db, QStringLiteral("SELECT MIN(CDCLIENTE) FROM CLIENTE WHERE CDCLIENTE <> ?"), {customer}).toString();

    const auto balance = [&](const QString& forCustomer, const QString& typed) {
        return packetOf(call(db, QStringLiteral("GetPgcChange"), {forCustomer, typed, QStringLiteral(" "), QString(), QStringLiteral(" "),
                                                                  QString(), branch, withItems, QStringLiteral("1")})
                            .toArray()
                            .at(0));
    };
    const DataPacket found = balance(customer, number + QStringLiteral("  "));
    QCOMPARE(fieldNames(found), QStringList{QStringLiteral("VRSALDOEMP")});
    QCOMPARE(found.rows.size(), 1);
    QCOMPARE(found.rows.at(0).at(0).toDouble(), storedBalance);
    QVERIFY(balance(otherCustomer, number).rows.isEmpty());
    QVERIFY(balance(customer, QString()).rows.isEmpty());
}

void TestPageMethods::itemPedido_data() { addOrders(); }

void TestPageMethods::itemPedido()
{
    OPEN_BACKEND();
    QFETCH(QString, order);
    const QString orderBranch = order.isEmpty() ? QString() : branch;
    const QJsonArray result = call(db, QStringLiteral("GetItemPedido"), {orderBranch, order, QStringLiteral("1")}).toArray();
    QCOMPARE(result.size(), 2);
    const DataPacket items = packetOf(result.at(0));
    QCOMPARE(fieldNames(items), PedTest::Fields::orderItems);
    QCOMPARE(items.fields.at(items.indexOf(QStringLiteral("DTENTITPED"))).type, FieldType::DateTime);
    QCOMPARE(items.fields.at(items.indexOf(QStringLiteral("DSITEMPED"))).size, 2000);
    QCOMPARE(fieldNames(packetOf(result.at(1))), names("NRLANCTONF DTENTRSAID NRPEDIDO NRITEMPED"));

    const int stored = count(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {orderBranch, order});
    QCOMPARE(items.rows.size(), stored);
    QCOMPARE(stored > 0, order == withItems);
    QString previous;
    for (int row = 0; row < items.rows.size(); ++row) {
        const QString number = value(items, row, QStringLiteral("NRITEMPED")).toString();
        QVERIFY2(number > previous, "items come by number");
        previous = number;
        QCOMPARE(value(items, row, QStringLiteral("NRPEDIDO")).toString(), order);
        QVERIFY(value(items, row, QStringLiteral("QTITEMPED")).toDouble() > 0);
    }
}

// A settled order (status "3", the demo's third order) was invoiced.
void TestPageMethods::itemPedidoInvoicePostings()
{
    OPEN_BACKEND();
    const QString settled = QStringLiteral("0000000003");
    const DataPacket postings =
        packetOf(call(db, QStringLiteral("GetItemPedido"), {branch, settled, QStringLiteral("3")}).toArray().at(1));
    const int expected = count(db, QStringLiteral("SELECT COUNT(*) FROM ITEMNOTAFISCAL I INNER JOIN NOTAFISCAL N"
                                                  " ON N.CDFILIEMIT = I.CDFILIEMIT AND N.NRLANCTONF = I.NRLANCTONF"
                                                  " WHERE I.CDFILIAL = ? AND I.NRPEDIDO = ? AND N.IDSITNF <> 'C'"),
                               {branch, settled});
    QVERIFY(expected > 0);
    QCOMPARE(postings.rows.size(), expected);
    QVERIFY(value(postings, 0, QStringLiteral("DTENTRSAID")).toDateTime().isValid());

    execSql(db, QStringLiteral("UPDATE NOTAFISCAL SET IDSITNF = 'C' WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, settled});
    const DataPacket afterCancel =
        packetOf(call(db, QStringLiteral("GetItemPedido"), {branch, settled, QStringLiteral("3")}).toArray().at(1));
    execSql(db, QStringLiteral("UPDATE NOTAFISCAL SET IDSITNF = 'N' WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, settled});
    QVERIFY2(afterCancel.rows.isEmpty(), "a cancelled invoice posted nothing");
}

void TestPageMethods::imposPedTot_data() { addOrders(); }

void TestPageMethods::imposPedTot()
{
    OPEN_BACKEND();
    QFETCH(QString, order);
    const QString orderBranch = order.isEmpty() ? QString() : branch;
    const DataPacket taxes = packetOf(call(db, QStringLiteral("GetImposPedTot"), {orderBranch, order}));
    QCOMPARE(fieldNames(taxes), names("CDFILIAL NRPEDIDO CDIMPOSTO VRTOTIMPPED VRTOTBCALCPED SGIMPOSTO IDTRATIMPO"));
    QCOMPARE(taxes.rows.size(),
             count(db, QStringLiteral("SELECT COUNT(*) FROM IMPOSPEDTOT WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {orderBranch, order}));
    for (int row = 0; row < taxes.rows.size(); ++row)
        QVERIFY(!value(taxes, row, QStringLiteral("SGIMPOSTO")).toString().isEmpty());
}

void TestPageMethods::imposEncar_data()
{
    QTest::addColumn<int>("order");   // in testOrders; -1: none stored
    QTest::addColumn<QString>("number");
    for (int i = 0; i < testOrders.size(); ++i)
        QTest::newRow(testOrders.at(i).name) << i << testOrders.at(i).number;
    QTest::newRow("unknown") << -1 << unknownOrder;
    QTest::newRow("none") << -1 << QString();
}

// The figures worked out here from what was stored: goods at the cent less
// the discount at the cent per live item; taxes and charges by their kind.
void TestPageMethods::imposEncar()
{
    OPEN_BACKEND();
    QFETCH(int, order);
    QFETCH(QString, number);
    const DataPacket packet = packetOf(call(db, QStringLiteral("GetImposEncar"), {number.isEmpty() ? QString() : branch, number}));
    QCOMPARE(fieldNames(packet), totalFields);
    QCOMPARE(packet.rows.size(), order < 0 ? 0 : 1);
    if (order < 0)
        return;
    QCOMPARE(value(packet, 0, QStringLiteral("NRPEDIDO")).toString(), number);
    const TestOrder& test = testOrders.at(order);
    for (int figure = 0; figure < test.figures.size(); ++figure)
        QCOMPARE(packet.rows.at(0).at(2 + figure).toDouble(), test.figures.at(figure));
    double total = 0, discount = 0, bonus = 0;
    for (const TestItem& item : test.items) {
        if (QLatin1String(item.status) == QLatin1String("5"))
            continue;
        const double net = cents(cents(item.price) * item.quantity) - cents(item.discount);
        total += net;
        discount += cents(item.discount);
        if (QLatin1String(item.bonus) == QLatin1String("S"))
            bonus += net;
    }
    double taxAdded = 0, taxDeducted = 0, chargeAdded = 0, chargeDeducted = 0;
    for (const Amount& tax : test.taxes) {
        const QString code = QString::fromLatin1(tax.code);
        if (code == u"91")
            taxDeducted += tax.value;
        else if (code == u"02" || code == u"05")
            taxAdded += tax.value;
    }
    for (const Amount& charge : test.charges)
        (QLatin1String(charge.code) == QLatin1String("03") ? chargeDeducted : chargeAdded) += charge.value;
    const double receivable = total - bonus + taxAdded - taxDeducted + chargeAdded - chargeDeducted;
    QCOMPARE(value(packet, 0, "ENCARGOACRESC").toDouble(), cents(chargeAdded));
    QCOMPARE(value(packet, 0, "ENCARGODECRESC").toDouble(), cents(chargeDeducted));
    QCOMPARE(value(packet, 0, "IMPOSACRES").toDouble(), cents(taxAdded));
    QCOMPARE(value(packet, 0, "IMPOSDECRES").toDouble(), cents(taxDeducted));
    QCOMPARE(value(packet, 0, "VRTOTAL").toDouble(), cents(total));
    QCOMPARE(value(packet, 0, "VRRECEBIMENTO").toDouble(), cents(receivable));
    QCOMPARE(value(packet, 0, "DESCPED").toDouble(), cents(discount));
    QCOMPARE(value(packet, 0, "VRBONI").toDouble(), cents(bonus));
}

void TestPageMethods::demoTaxesFollowTheRules_data()
{
    QTest::addColumn<QString>("group");   // fiscal group of the customer
    QTest::newRow("public body") << "003";
    QTest::newRow("ICMS taxpayer") << "001";
    QTest::newRow("final consumer") << "002";
}

// Branch 0002's demo orders: public bodies pay nothing; taxpayers add ICMS
// by substitution, 4 % on 70 % of the goods; everyone else pays the
// product's own rates, IPI (supplies) added.
void TestPageMethods::demoTaxesFollowTheRules()
{
    OPEN_BACKEND();
    QFETCH(QString, group);
    QSqlQuery orders = execSql(db, QStringLiteral("SELECT P.NRPEDIDO FROM PEDIDO P INNER JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                                                  " WHERE P.CDFILIAL = '0002' AND C.CDGRUPOFISC = ? ORDER BY P.NRPEDIDO"),
                               {group});
    QVERIFY(orders.next());
    const QString order = orders.value(0).toString();
    const QString campinas = QStringLiteral("0002");

    double added = 0, inPrice = 0;
    int taxRows = 0;
    const QList<QVariantList> items = rowsOf(db, QStringLiteral("SELECT NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, VRDESITPED"
                                                            " FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"),
                                             {campinas, order});
    for (const QVariantList& item : items) {
        if (group == u"003")
            break;
        const double goods = cents(cents(item.at(3).toDouble()) * item.at(2).toDouble()) - cents(item.at(4).toDouble());
        const bool thermometer = selectValue(db, QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = ?"), {item.at(1)})
                                     .toString() == QStringLiteral("Termômetro Clínico Digital");
        const QList<QVariantList> rates = rowsOf(db, QStringLiteral("SELECT P.CDIMPOSTO, P.VRALIQIMPOSTO, I.IDTRATIMPO FROM PRODIMPOSTO P"
                                                                " INNER JOIN IMPOSTO I ON I.CDIMPOSTO = P.CDIMPOSTO WHERE P.CDPRODUTO = ?"),
                                                 {item.at(1)});
        for (const QVariantList& rate : rates) {
            if (group == u"002" && rate.at(0).toString() == u"02" && thermometer)
                continue;
            const double value = cents(goods * rate.at(1).toDouble() / 100.0);
            (rate.at(2).toString() == u"A" ? added : inPrice) += value;
            ++taxRows;
        }
        if (group == u"001") {
            added += cents(cents(goods * 0.7) * 4.0 / 100.0);
            ++taxRows;
        }
    }
    QCOMPARE(int(number(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIMPOS WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {campinas, order})),
             taxRows);
    const DataPacket totals = packetOf(call(db, QStringLiteral("GetImposEncar"), QJsonArray{campinas, order}));
    QCOMPARE(value(totals, 0, "IMPOSACRES").toDouble(), cents(added));
    QCOMPARE(value(totals, 0, "IMPOSDECRES").toDouble(), 0.0);
    const double charges = number(db, QStringLiteral("SELECT COALESCE(SUM(CASE WHEN CDENCARGO = '03' THEN -VRENCARGOPED ELSE VRENCARGOPED END), 0)"
                                                     " FROM ENCARGOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                                  {campinas, order});
    QCOMPARE(value(totals, 0, "VRRECEBIMENTO").toDouble(),
             cents(value(totals, 0, "VRTOTAL").toDouble() - value(totals, 0, "VRBONI").toDouble() + cents(added) + charges));
    const DataPacket orderTaxes = packetOf(call(db, QStringLiteral("GetImposPedTot"), QJsonArray{campinas, order}));
    double inPriceTotal = 0;
    for (int row = 0; row < orderTaxes.rows.size(); ++row)
        if (value(orderTaxes, row, "IDTRATIMPO").toString() == u"I")
            inPriceTotal += value(orderTaxes, row, "VRTOTIMPPED").toDouble();
    QVERIFY(std::abs(inPriceTotal - inPrice) < 0.005 * std::max(1, taxRows));
}

// Orders written by the demo carry their net total: the server's sum agrees.
void TestPageMethods::imposEncarMatchesStoredTotals()
{
    OPEN_BACKEND();
    const QList<QVariantList> stored =
        rowsOf(db, QStringLiteral("SELECT NRPEDIDO, VRTOTALPED FROM PEDIDO WHERE CDFILIAL = ? AND IDSITPEDIDO <> '4'"
                                  " AND NRPEDIDO < '0000009000' ORDER BY NRPEDIDO"),
               {branch});
    QVERIFY(stored.size() > 10);
    for (const QVariantList& order : stored) {
        const DataPacket packet = packetOf(call(db, QStringLiteral("GetImposEncar"), {branch, order.at(0).toString()}));
        QCOMPARE(value(packet, 0, QStringLiteral("VRTOTAL")).toDouble(), order.at(1).toDouble());
    }
}

void TestPageMethods::pesqObser()
{
    OPEN_BACKEND();
    const QString customer =
        selectValue(db, QStringLiteral("SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, withItems}).toString();
    const DataPacket notes = packetOf(call(db, QStringLiteral("GetPesqObser"), {branch, customer}));
    QCOMPARE(fieldNames(notes), names("NRPEDIDO TXOBSPED"));
    const int expected = count(db, QStringLiteral("SELECT COUNT(*) FROM PEDIDO P INNER JOIN OBSPEDIDO O ON O.CDFILIAL = P.CDFILIAL"
                                                  " AND O.NRPEDIDO = P.NRPEDIDO WHERE P.CDFILIAL = ? AND P.CDCLIENTE = ?"),
                               {branch, customer});
    QVERIFY(expected > 0);
    QCOMPARE(notes.rows.size(), expected);
    QStringList numbers;
    for (int row = 0; row < notes.rows.size(); ++row) {
        numbers.append(value(notes, row, QStringLiteral("NRPEDIDO")).toString());
        QVERIFY(!value(notes, row, QStringLiteral("TXOBSPED")).toString().isEmpty());
    }
    QVERIFY(numbers.contains(withItems));
    QStringList newestFirst = numbers;
    std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
    QCOMPARE(numbers, newestFirst);

    QVERIFY(packetOf(call(db, QStringLiteral("GetPesqObser"), {branch, QString()})).rows.isEmpty());
    QVERIFY(packetOf(call(db, QStringLiteral("GetPesqObser"), {QStringLiteral("0002"), customer})).rows.size()
            == count(db, QStringLiteral("SELECT COUNT(*) FROM PEDIDO P INNER JOIN OBSPEDIDO O ON O.CDFILIAL = P.CDFILIAL"
                                        " AND O.NRPEDIDO = P.NRPEDIDO WHERE P.CDFILIAL = '0002' AND P.CDCLIENTE = ?"),
                     {customer}));
}

void TestPageMethods::pedidoImpressao_data() { addOrders(); }

void TestPageMethods::pedidoImpressao()
{
    OPEN_BACKEND();
    QFETCH(QString, order);
    const QString orderBranch = order.isEmpty() ? QString() : branch;
    const QJsonArray result = call(db, QStringLiteral("GetPedidoImpressao"), {orderBranch, order}).toArray();
    QCOMPARE(result.size(), 2);
    const DataPacket header = packetOf(result.at(0));
    const DataPacket items = packetOf(result.at(1));
    QVERIFY(header.indexOf(QStringLiteral("NMEMPRESA")) >= 0 && header.indexOf(QStringLiteral("NMFANVEN")) >= 0);
    QCOMPARE(fieldNames(items), names("NRITEMPED CDARVPROD NMPRODUTO SGUNIDADE IDSITITEMPED QTITEMPED VRPREUNITPED VRDESITPED VRTOTALITEM"));
    const bool stored = order == withItems || order == withoutItems;
    QCOMPARE(header.rows.size(), stored ? 1 : 0);
    if (!stored)
        return;
    QCOMPARE(value(header, 0, QStringLiteral("NRPEDIDO")).toString(), order);
    QVERIFY(!value(header, 0, QStringLiteral("NMFILIAL")).toString().isEmpty());
    QVERIFY(!value(header, 0, QStringLiteral("NMEMPRESA")).toString().isEmpty());
    QCOMPARE(items.rows.isEmpty(), order == withoutItems);
    double total = 0;
    for (int row = 0; row < items.rows.size(); ++row)
        total += value(items, row, QStringLiteral("VRTOTALITEM")).toDouble();
    if (order == withItems)
        QCOMPARE(RoundDec(total, 2), value(header, 0, QStringLiteral("VRTOTALPED")).toDouble());
}

QSqlQuery TestPageMethods::reservedItem(const QSqlDatabase& db)
{
    QSqlQuery query = execSql(db, QStringLiteral("SELECT I.NRPEDIDO, I.NRITEMPED, I.CDPRODUTO, I.CDPRODESTO, P.CDCLIENTE, I.IDSITITEMPED"
                                                 " FROM ITEMPEDIDO I INNER JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL AND P.NRPEDIDO = I.NRPEDIDO"
                                                 " WHERE I.CDFILIAL = ? AND EXISTS (SELECT 1 FROM RESPRODPED R WHERE R.CDFILIAL = I.CDFILIAL"
                                                 " AND R.NRPEDIDO = I.NRPEDIDO AND R.NRITEMPED = I.NRITEMPED)"
                                                 " ORDER BY I.NRPEDIDO, I.NRITEMPED"),
                                {branch});
    if (!query.next())
        throw std::runtime_error("the demo has no reserved item");
    return query;
}

// One row per lot and location with stock; available = stock less every
// reservation on the lot; the item's own reservation beside it.
void TestPageMethods::dadosAfterScrollStockPosition()
{
    OPEN_BACKEND();
    const QSqlQuery item = reservedItem(db);
    const QString order = item.value(0).toString(), itemNumber = item.value(1).toString(), stockProduct = item.value(3).toString();
    QJsonArray args = argsFor(item);
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"), args).toArray();
    QCOMPARE(result.size(), 7);
    QCOMPARE(args.at(5).toString(), stockProduct);

    const DataPacket lots = packetOf(result.at(0));
    const QList<QVariantList> expectedLots =
        rowsOf(db, QStringLiteral("SELECT CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, QTTOTALESTOQ FROM ESTOQUELOTE"
                                  " WHERE CDFILIAL = ? AND CDPRODUTO = ? AND QTTOTALESTOQ > 0"),
               {branch, stockProduct});
    int rows = 0;
    double ownReservation = 0;
    for (const QVariantList& expected : expectedLots) {
        ++rows;
        const QVariantList lotKey = {branch, expected.at(0), expected.at(1), stockProduct, expected.at(2), expected.at(3)};
        const double reserved = number(db, QStringLiteral("SELECT COALESCE(SUM(QTRESPRODPED), 0) FROM RESPRODPED WHERE CDFILIALDEP = ?"
                                                          " AND CDALMOXARIFE = ? AND CDLOCALESTOQ = ? AND CDPRODRES = ?"
                                                          " AND NRLOTEESTQ = ? AND NRSUBLOTE = ?"),
                                       lotKey);
        int found = -1;
        for (int row = 0; row < lots.rows.size(); ++row)
            if (value(lots, row, "NRLOTEESTQ") == expected.at(2) && value(lots, row, "CDLOCALESTOQ") == expected.at(1)
                && value(lots, row, "CDALMOXARIFE") == expected.at(0))
                found = row;
        QVERIFY2(found >= 0, qPrintable(expected.at(2).toString()));
        QCOMPARE(value(lots, found, "QTTOTALESTOQ").toDouble(), expected.at(4).toDouble());
        QCOMPARE(value(lots, found, "QTDISPONIVEL").toDouble(), expected.at(4).toDouble() - reserved);
        QCOMPARE(value(lots, found, "NRPEDIDO").toString(), order);
        ownReservation += value(lots, found, "QTRESPRODPED").toDouble();
    }
    QCOMPARE(lots.rows.size(), rows);
    QCOMPARE(ownReservation, number(db, QStringLiteral("SELECT SUM(QTRESPRODPED) FROM RESPRODPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                                       " AND NRITEMPED = ?"),
                                    {branch, order, itemNumber}));
}

// Open quantities in stock units, worked out item by item here.
void TestPageMethods::dadosAfterScrollQuantities()
{
    OPEN_BACKEND();
    const QSqlQuery item = reservedItem(db);
    const QString stockProduct = item.value(3).toString();
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"), argsFor(item)).toArray();
    double ordered = 0, quoted = 0;
    QSqlQuery items = execSql(db, QStringLiteral("SELECT I.QTITEMPED, I.QTEXPITEMPED, P.VRFATOCONV, I.IDSITITEMPED, D.IDTIPOPEDIDO"
                                                 " FROM ITEMPEDIDO I INNER JOIN PEDIDO D ON D.CDFILIAL = I.CDFILIAL AND D.NRPEDIDO = I.NRPEDIDO"
                                                 " INNER JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                                 " WHERE I.CDFILIAL = ? AND I.CDPRODESTO = ?"),
                              {branch, stockProduct});
    while (items.next()) {
        const QString status = items.value(3).toString();
        if (status != u"1" && status != u"2" && status != u"3" && status != u"7")
            continue;
        const double open = (items.value(0).toDouble() - items.value(1).toDouble()) * items.value(2).toDouble();
        (items.value(4).toString() == u"2" ? quoted : ordered) += open;
    }
    const double stock = number(db, QStringLiteral("SELECT QTESTOQUE FROM ESTOQUE WHERE CDFILIAL = ? AND CDPRODUTO = ?"), {branch, stockProduct});
    const double reserved = number(db, QStringLiteral("SELECT SUM(QTRESPRODPED) FROM RESPRODPED WHERE CDFILIALDEP = ? AND CDPRODRES = ?"),
                                   {branch, stockProduct});
    QVERIFY(ordered > 0);
    QCOMPARE(result.at(1).toDouble(), ordered);
    QCOMPARE(result.at(4).toDouble(), stock - reserved);
    QCOMPARE(result.at(6).toDouble(), quoted);
}

// A settled item shows the lots its invoice shipped; taxes are the item's.
void TestPageMethods::dadosAfterScrollLotsUsedAndTaxes()
{
    OPEN_BACKEND();
    QSqlQuery shipped = execSql(db, QStringLiteral("SELECT I.NRPEDIDO, I.NRITEMPED, I.CDPRODUTO, I.CDPRODESTO, SUM(L.QTLOTEITNF)"
                                                   " FROM ITEMNOTAFISCAL N INNER JOIN ITEMNFLOTE L ON L.CDFILIEMIT = N.CDFILIEMIT"
                                                   " AND L.NRLANCTONF = N.NRLANCTONF AND L.NRSEQITNF = N.NRSEQITNF"
                                                   " INNER JOIN ITEMPEDIDO I ON I.CDFILIAL = N.CDFILIAL AND I.NRPEDIDO = N.NRPEDIDO"
                                                   " AND I.NRITEMPED = N.NRITEMPED WHERE N.CDFILIAL = ?"
                                                   " GROUP BY I.NRPEDIDO, I.NRITEMPED, I.CDPRODUTO, I.CDPRODESTO ORDER BY I.NRPEDIDO, I.NRITEMPED"),
                                {branch});
    QVERIFY(shipped.next());
    const QString order = shipped.value(0).toString(), item = shipped.value(1).toString();
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"),
                                   afterScrollArgs(order, item, shipped.value(2).toString(), QStringLiteral("4"), QString()))
                                  .toArray();
    const DataPacket lots = packetOf(result.at(0));
    QVERIFY(!lots.rows.isEmpty());
    QVERIFY(lots.indexOf(QStringLiteral("CDFILIMOVI")) >= 0);
    double shippedQuantity = 0;
    for (int row = 0; row < lots.rows.size(); ++row)
        shippedQuantity += value(lots, row, "QTRESPRODPED").toDouble();
    QCOMPARE(shippedQuantity, shipped.value(4).toDouble());

    const DataPacket taxes = packetOf(result.at(2));
    QCOMPARE(taxes.rows.size(),
             int(number(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIMPOS WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = ?"),
                        {branch, order, item})));
    QVERIFY(!taxes.rows.isEmpty());
    for (int row = 0; row < taxes.rows.size(); ++row) {
        QCOMPARE(value(taxes, row, "NRITEMPED").toString(), item);
        QVERIFY(!value(taxes, row, "SGIMPOSTO").toString().isEmpty());
    }
}

void TestPageMethods::dadosAfterScrollStockControl_data()
{
    QTest::addColumn<QString>("change");     // an UPDATE run before, undone after
    QTest::addColumn<QString>("undo");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("indicator");
    QTest::newRow("controlled") << QString() << QString() << "01" << "S";
    QTest::newRow("branch without stock control")
        << "UPDATE FILIAL SET IDCTRLESTFIL = 'N' WHERE CDFILIAL = '0001'"
        << "UPDATE FILIAL SET IDCTRLESTFIL = 'S' WHERE CDFILIAL = '0001'" << "01" << "F";
    QTest::newRow("operation not moving stock") << QString() << QString() << "02" << "T";
    QTest::newRow("product not controlled")
        << "UPDATE PRODUTO SET IDCTRLESTOQUE = 'N' WHERE CDPRODUTO = '%1'"
        << "UPDATE PRODUTO SET IDCTRLESTOQUE = 'S' WHERE CDPRODUTO = '%1'" << "01" << "P";
}

void TestPageMethods::dadosAfterScrollStockControl()
{
    OPEN_BACKEND();
    QFETCH(QString, change);
    QFETCH(QString, undo);
    QFETCH(QString, operation);
    QFETCH(QString, indicator);
    const QSqlQuery item = reservedItem(db);
    const QString stockProduct = item.value(3).toString();
    if (!change.isEmpty())
        execSql(db, change.arg(stockProduct));
    const auto restore = qScopeGuard([&] {
        if (!undo.isEmpty())
            execSql(db, undo.arg(stockProduct));
    });
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"), argsFor(item, operation)).toArray();
    QCOMPARE(result.at(5).toString(), indicator);
}

// Without flags nothing is looked up but the last prices and the mark.
void TestPageMethods::dadosAfterScrollWithoutFlags()
{
    OPEN_BACKEND();
    const QSqlQuery item = reservedItem(db);
    QJsonArray args = argsFor(item);
    for (int flag = 8; flag <= 11; ++flag)
        args[flag] = QStringLiteral("N");
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"), args).toArray();
    QVERIFY(packetOf(result.at(0)).rows.isEmpty());
    QCOMPARE(result.at(1).toDouble(), 0.0);
    QVERIFY(packetOf(result.at(2)).rows.isEmpty());
    QCOMPARE(result.at(4).toDouble(), 0.0);
    QCOMPARE(result.at(6).toDouble(), 0.0);
    const DataPacket prices = packetOf(result.at(3));
    for (int row = 0; row < prices.rows.size(); ++row)
        QVERIFY(value(prices, row, "NRPEDIDO").toString() != item.value(0).toString());
    QCOMPARE(args.at(5).toString(), item.value(3).toString());
}

QTEST_GUILESS_MAIN(TestPageMethods)
#include "tst_page_methods.moc"
