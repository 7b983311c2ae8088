// What the order screen's pages load, called through the registry as the
// dispatcher calls them, on SQLite and (when PED_TEST_PG_URL is set)
// PostgreSQL demo databases. Two orders are added to the demo data: one
// without items and one whose totals are known to the cent.

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

#include <QTest>
#include <memory>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");
const QString withItems = QStringLiteral("0000000001");
const QString withoutItems = QStringLiteral("0000009001");
const QString knownTotals = QStringLiteral("0000009002");
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
const QStringList addressFields = names(
    "CDFILIAL NRPEDIDO NMRAZSOCPED DSENDEPED NRCEPPED NRTELEPED NRINSJURPED NRINSESTPED NMPAISPED SGESTADOPED NMMUNIPED "
    "NMBAIRROPED CDPAISPED NMESTADOPED CDMUNICIPIOPED CDCLIENTE IDTPENDECLIE NRSEQEND NRLOCALENTRCLIENTE CDFILIALPED "
    "DSLOCALENTRCLIENTE");
const QStringList itemFields = names(
    "VRITEPREBASE VRCUSTPRODBASE NRPEDIDO CDARVPROD QTITEMPED NMPRODUTO CDTIPODESC NMTIPODESC SGUNIDADE VRPREUNITPED "
    "VRACREDESCITPEDUNIT VRACREDESCITPED NRITEMPED IDSITITEMPED QTEXPITEMPED VRPREUNIT CDFILIAL CDFATPRECO QTITEMPED2 "
    "SGFATPRECO CDPRODESTO DTENTITPED IDITPEDDIFER DSITEMPED VRPESOITPED SGUNIDPAI CDPRODUTO VRPESOBRUTPR VRPESOLIQUPR "
    "VRDESITPED PERDESC IDCOMP IDITPEDRESER VRPRTABITPED VRPERCMARKUPIT CDOPERADOR VRPEDEMAXIPE QTOITTPDESC QTSETTPDESC "
    "QTSEXTPDESC QTQUITPDESC QTQUATPDESC QTTERTPDESC VRPEFORMPREC QTSEGTPDESC QTPRITPDESC IDITPEDSEMQTDIS NRHISIMPITEEEEP "
    "DSPRAZOENTITPED DSEMISSAOITPED CDEMISSAOITPED IDPRECOPROM IDITEMERRO VRVARIAVEL CDFATOR IDITEMPEDTERC VRALTURAPROD "
    "VRCOMPRIPROD VRITRENTABIL VRCRRENTABIL DSFORMCALCSUGE DSFORMCALCRENT VRPRPARPRECO VRDESCCOMISS NRITORDEMCMPPED "
    "IDPRODBONIF");
const QStringList totalFields =
    names("CDFILIAL NRPEDIDO ENCARGOACRESC ENCARGODECRESC IMPOSACRES IMPOSDECRES VRTOTAL VRRECEBIMENTO DESCPED VRBONI");

// The two orders of the tests. 9002: item 1 is 10.005 (10.01) x 3 less
// 1.004 (1.00) = 29.03; item 2 is free goods, 5 x 2 = 10; item 3 is
// cancelled. Taxes: 4.50 added, 1.20 deducted, 7.00 in the price.
// Charges: 35.00 + 2.50 added, 3.00 deducted.
void addTestOrders(const QSqlDatabase& db)
{
    const QString header = QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, CDCLIENTE, CDMODPGTO)"
                                          " SELECT CDFILIAL, ?, DTPEDIDO, '1', CDCLIENTE, CDMODPGTO FROM PEDIDO"
                                          " WHERE CDFILIAL = ? AND NRPEDIDO = ?");
    execSql(db, header, {withoutItems, branch, withItems});
    execSql(db, header, {knownTotals, branch, withItems});
    const QString item = QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED,"
                                        " VRDESITPED, IDSITITEMPED, IDPRODBONIF) VALUES (?, ?, ?, '1', ?, ?, ?, ?, ?)");
    execSql(db, item, {branch, knownTotals, QStringLiteral("0000000001"), 3.0, 10.005, 1.004, QStringLiteral("1"), QStringLiteral("N")});
    execSql(db, item, {branch, knownTotals, QStringLiteral("0000000002"), 2.0, 5.0, 0.0, QStringLiteral("1"), QStringLiteral("S")});
    execSql(db, item, {branch, knownTotals, QStringLiteral("0000000003"), 1.0, 100.0, 0.0, QStringLiteral("5"), QStringLiteral("N")});
    execSql(db, QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, SGIMPOSTO, NMIMPOSTO, IDTRATIMPO) VALUES ('91', 'RET', 'Retenção', 'D')"));
    const QString tax = QStringLiteral("INSERT INTO IMPOSPEDTOT (CDFILIAL, NRPEDIDO, CDIMPOSTO, VRTOTIMPPED, VRTOTBCALCPED) VALUES (?, ?, ?, ?, 39.03)");
    execSql(db, tax, {branch, knownTotals, QStringLiteral("02"), 4.5});
    execSql(db, tax, {branch, knownTotals, QStringLiteral("91"), 1.2});
    execSql(db, tax, {branch, knownTotals, QStringLiteral("01"), 7.0});
    const QString charge = QStringLiteral("INSERT INTO ENCARGOPED (CDFILIAL, NRPEDIDO, CDENCARGO, VRENCARGOPED) VALUES (?, ?, ?, ?)");
    execSql(db, charge, {branch, knownTotals, QStringLiteral("01"), 35.0});
    execSql(db, charge, {branch, knownTotals, QStringLiteral("04"), 2.5});
    execSql(db, charge, {branch, knownTotals, QStringLiteral("03"), 3.0});
}

} // namespace

class TestPageMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void methodsAreDeclared();

    void pgcChangeElements_data();
    void pgcChangeElements();
    void pgcChangeRemembersModality_data();
    void pgcChangeRemembersModality();
    void pgcChangeOverHttpReturnsTheModality();
    void pgcChangeCommitmentBalance_data() { addKinds(); }
    void pgcChangeCommitmentBalance();

    void itemPedido_data();
    void itemPedido();
    void itemPedidoInvoicePostings_data() { addKinds(); }
    void itemPedidoInvoicePostings();

    void imposPedTot_data();
    void imposPedTot();
    void imposEncar_data();
    void imposEncar();
    void imposEncarMatchesStoredTotals_data() { addKinds(); }
    void imposEncarMatchesStoredTotals();

    void pesqObser_data() { addKinds(); }
    void pesqObser();

    void pedidoImpressao_data();
    void pedidoImpressao();

    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();

private:
    static void addKinds() { PedTest::DemoBackends::addKinds(); }
    static void addOrders();
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray params);
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray& params, bool keepParams);

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

// Orders by kind of backend: one with items (and a note, terms, an
// address), one without, one never stored, and no order at all.
void TestPageMethods::addOrders()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("order");
    for (const char* kind : {"sqlite", "postgresql"}) {
        QTest::addRow("%s with items", kind) << QString::fromLatin1(kind) << withItems;
        QTest::addRow("%s without items", kind) << QString::fromLatin1(kind) << withoutItems;
        QTest::addRow("%s unknown", kind) << QString::fromLatin1(kind) << unknownOrder;
        QTest::addRow("%s none", kind) << QString::fromLatin1(kind) << QString();
    }
}

#define OPEN_BACKEND() PED_OPEN_BACKEND(m_backends, backend)

void TestPageMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_page_methods"), addTestOrders);
}

void TestPageMethods::cleanupTestCase()
{
    m_backends.close();
}

QJsonValue TestPageMethods::call(QSqlDatabase db, const QString& method, QJsonArray params)
{
    return call(db, method, params, true);
}

QJsonValue TestPageMethods::call(QSqlDatabase db, const QString& method, QJsonArray& params, bool)
{
    return PedTest::callMethod(m_registry, db, lanPedido, method, params);
}

void TestPageMethods::methodsAreDeclared()
{
    const struct { const char* name; int argCount; } expected[] = {
        {"GetPgcChange", 9}, {"GetItemPedido", 3}, {"GetImposPedTot", 2},
        {"GetImposEncar", 2}, {"GetPesqObser", 2}, {"GetPedidoImpressao", 2},
    };
    for (const auto& method : expected) {
        const MethodSpec* spec = m_registry.find(lanPedido, QLatin1String(method.name));
        QVERIFY2(spec, method.name);
        QCOMPARE(spec->args.size(), method.argCount);
        QVERIFY(!spec->doc.isEmpty() && !spec->resultDoc.isEmpty());
        QVERIFY(spec->needsSession);
        QVERIFY(spec->readOnly);
        for (int index = 0; index < spec->args.size(); ++index) {
            const ArgSpec& arg = spec->args.at(index);
            QVERIFY(!arg.doc.isEmpty());
            const bool rememberedModality = QLatin1String(method.name) == QLatin1String("GetPgcChange") && index == 5;
            QCOMPARE(arg.byReference, rememberedModality);
        }
    }
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
        {10, addressFields, "ENDEPEDIDO"},
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
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("expected");   // "stored": the order's stored modality
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromLatin1(kind);
        QTest::addRow("%s stored order, nothing remembered", kind) << k << withItems << QString() << QStringLiteral("stored");
        QTest::addRow("%s stored order, other remembered", kind) << k << withItems << QStringLiteral("XX") << QStringLiteral("stored");
        QTest::addRow("%s new order, nothing remembered", kind) << k << unknownOrder << QString() << QStringLiteral("M9");
        QTest::addRow("%s new order, one remembered", kind) << k << unknownOrder << QStringLiteral("XX") << QStringLiteral("XX");
        QTest::addRow("%s no order", kind) << k << QString() << QStringLiteral("XX") << QStringLiteral("XX");
    }
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
    call(db, QStringLiteral("GetPgcChange"), params, true);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(params.at(5).toString(), expected);
}

// The screen sends nulls for empty fields and reads the modality from the
// envelope's references.
void TestPageMethods::pgcChangeOverHttpReturnsTheModality()
{
    PedTest::TestServer server;
    const QString token = server.login();
    const QJsonObject answer =
        server.result(lanPedido, QStringLiteral("GetPgcChange"),
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
    QCOMPARE(fieldNames(items), itemFields);
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
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QList<double>>("totals");   // the eight figures in field order; empty: no row
    const QList<double> none;
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromLatin1(kind);
        QTest::addRow("%s known totals", kind) << k << knownTotals
                                               << QList<double>{37.5, 3.0, 4.5, 1.2, 39.03, 66.83, 1.0, 10.0};
        QTest::addRow("%s without items", kind) << k << withoutItems << QList<double>{0, 0, 0, 0, 0, 0, 0, 0};
        QTest::addRow("%s unknown", kind) << k << unknownOrder << none;
        QTest::addRow("%s none", kind) << k << QString() << none;
    }
}

void TestPageMethods::imposEncar()
{
    OPEN_BACKEND();
    QFETCH(QString, order);
    QFETCH(QList<double>, totals);
    const DataPacket packet = packetOf(call(db, QStringLiteral("GetImposEncar"), {order.isEmpty() ? QString() : branch, order}));
    QCOMPARE(fieldNames(packet), totalFields);
    QCOMPARE(packet.rows.size(), totals.isEmpty() ? 0 : 1);
    if (totals.isEmpty())
        return;
    QCOMPARE(value(packet, 0, QStringLiteral("NRPEDIDO")).toString(), order);
    for (int figure = 0; figure < totals.size(); ++figure)
        QCOMPARE(packet.rows.at(0).at(2 + figure).toDouble(), totals.at(figure));
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

void TestPageMethods::badArgumentsAreRefused_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QJsonArray>("params");
    QTest::addColumn<QString>("message");
    const QString blank = QStringLiteral(" ");
    const QString longBranch = QStringLiteral("00001");
    const QString longOrder = QStringLiteral("00000000001");
    QTest::newRow("page change, long branch")
        << "GetPgcChange" << QJsonArray{QString(), QString(), blank, QString(), blank, QString(), longBranch, withItems, "1"} << "Filial";
    QTest::newRow("page change, long order")
        << "GetPgcChange" << QJsonArray{QString(), QString(), blank, QString(), blank, QString(), branch, longOrder, "1"}
        << "Número do pedido";
    QTest::newRow("page change, long status")
        << "GetPgcChange" << QJsonArray{QString(), QString(), blank, QString(), blank, QString(), branch, withItems, "12"}
        << "Situação do pedido";
    QTest::newRow("page change, long modality")
        << "GetPgcChange" << QJsonArray{QString(), QString(), blank, "123456", blank, QString(), branch, withItems, "1"}
        << "Modalidade de pagamento";
    QTest::newRow("items, SQL in the order") << "GetItemPedido" << QJsonArray{branch, "' OR 1=1 --", "1"} << "Número do pedido";
    QTest::newRow("tax totals, long branch") << "GetImposPedTot" << QJsonArray{longBranch, withItems} << "Filial";
    QTest::newRow("totals, long order") << "GetImposEncar" << QJsonArray{branch, longOrder} << "Número do pedido";
    QTest::newRow("notes, long customer") << "GetPesqObser" << QJsonArray{branch, QString(22, u'9')} << "Cliente";
    QTest::newRow("print, long branch") << "GetPedidoImpressao" << QJsonArray{longBranch, withItems} << "Filial";
}

void TestPageMethods::badArgumentsAreRefused()
{
    QFETCH(QString, method);
    QFETCH(QJsonArray, params);
    QFETCH(QString, message);
    const std::optional<QString> refusal = PedTest::refusalOf(m_registry, m_backends.sqlite().db(), lanPedido, method, params);
    QVERIFY2(refusal, "the call was accepted");
    QVERIFY2(refusal->startsWith(message), qPrintable(*refusal));
}

QTEST_GUILESS_MAIN(TestPageMethods)
#include "tst_page_methods.moc"
