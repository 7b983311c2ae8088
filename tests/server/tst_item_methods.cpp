// The item methods of the order screen, called through the registry on the
// demo database (SQLite, and PostgreSQL when PED_TEST_PG_URL is set): order
// totals from items, taxes and charges, and the side data of the current
// item against the demo stock, orders and invoices.

#include "datapacket.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/database.h"
#include "store/sql.h"
#include "money.h"

#include <QSqlQuery>
#include <QTest>
#include <cmath>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");

using PedTest::packetOf;
using PedTest::rowsOf;
using PedTest::value;

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
};

// Tax "01" is in the price, "02" and "05" add, "91" (added here) deducts;
// charges "01", "02", "04" add, "03" deducts.
const QList<TestOrder> testOrders = {
    {"goods only", "0000008001", {{2, 12.5, 1.0, "N", "1"}, {3, 4.333, 0, "N", "1"}}, {}, {}},
    {"taxes in the price", "0000008002", {{2, 12.5, 1.0, "N", "1"}}, {{"01", 4.32}}, {}},
    {"added tax and charge", "0000008003", {{1, 99.99, 0, "N", "2"}, {4, 2.505, 0.004, "N", "1"}},
     {{"02", 5.5}, {"05", 1.25}, {"01", 18.0}}, {{"01", 35.0}, {"02", 0.55}}},
    {"deducted tax and charge", "0000008004", {{10, 3.1, 2.5, "N", "1"}}, {{"91", 1.5}}, {{"03", 2.0}}},
    {"free goods and a cancelled item", "0000008005",
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

class TestItemMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void imposEncar_data();
    void imposEncar();
    void demoTaxesFollowTheRules_data();
    void demoTaxesFollowTheRules();
    void dadosAfterScrollStockPosition_data() { addKinds(); }
    void dadosAfterScrollStockPosition();
    void dadosAfterScrollQuantities_data() { addKinds(); }
    void dadosAfterScrollQuantities();
    void dadosAfterScrollLotsUsedAndTaxes_data() { addKinds(); }
    void dadosAfterScrollLotsUsedAndTaxes();
    void dadosAfterScrollStockControl_data();
    void dadosAfterScrollStockControl();
    void dadosAfterScrollWithoutFlags_data() { addKinds(); }
    void dadosAfterScrollWithoutFlags();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();

private:
    static void addKinds() { PedTest::DemoBackends::addKinds(); }
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray& params);
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray&& params) { return call(db, method, params); }
    // A demo item of branch 0001 with lots in stock and a reservation.
    QSqlQuery reservedItem(const QSqlDatabase& db);

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND() PED_OPEN_BACKEND(m_backends, backend)

void TestItemMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_item_methods"), addTestOrders);
}

void TestItemMethods::cleanupTestCase()
{
    m_backends.close();
}

QJsonValue TestItemMethods::call(QSqlDatabase db, const QString& method, QJsonArray& params)
{
    return PedTest::callMethod(m_registry, db, lanPedido, method, params);
}

void TestItemMethods::imposEncar_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("order");
    for (const char* kind : {"sqlite", "postgresql"})
        for (int i = 0; i < testOrders.size(); ++i)
            QTest::addRow("%s %s", kind, testOrders.at(i).name) << QString::fromLatin1(kind) << i;
}

// The figures worked out here from what was stored: goods at the cent less
// the discount at the cent per live item; taxes and charges by their kind.
void TestItemMethods::imposEncar()
{
    OPEN_BACKEND();
    QFETCH(int, order);
    const TestOrder& test = testOrders.at(order);
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

    const DataPacket packet =
        packetOf(call(db, QStringLiteral("GetImposEncar"), QJsonArray{branch, QString::fromLatin1(test.number)}));
    QCOMPARE(packet.rows.size(), 1);
    QCOMPARE(value(packet, 0, "ENCARGOACRESC").toDouble(), cents(chargeAdded));
    QCOMPARE(value(packet, 0, "ENCARGODECRESC").toDouble(), cents(chargeDeducted));
    QCOMPARE(value(packet, 0, "IMPOSACRES").toDouble(), cents(taxAdded));
    QCOMPARE(value(packet, 0, "IMPOSDECRES").toDouble(), cents(taxDeducted));
    QCOMPARE(value(packet, 0, "VRTOTAL").toDouble(), cents(total));
    QCOMPARE(value(packet, 0, "VRRECEBIMENTO").toDouble(), cents(receivable));
    QCOMPARE(value(packet, 0, "DESCPED").toDouble(), cents(discount));
    QCOMPARE(value(packet, 0, "VRBONI").toDouble(), cents(bonus));
}

void TestItemMethods::demoTaxesFollowTheRules_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("group");   // fiscal group of the customer
    for (const char* kind : {"sqlite", "postgresql"}) {
        QTest::addRow("%s public body", kind) << QString::fromLatin1(kind) << "003";
        QTest::addRow("%s ICMS taxpayer", kind) << QString::fromLatin1(kind) << "001";
        QTest::addRow("%s final consumer", kind) << QString::fromLatin1(kind) << "002";
    }
}

// Branch 0002's demo orders: public bodies pay nothing; taxpayers add ICMS
// by substitution, 4 % on 70 % of the goods; everyone else pays the
// product's own rates, IPI (supplies) added.
void TestItemMethods::demoTaxesFollowTheRules()
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

QSqlQuery TestItemMethods::reservedItem(const QSqlDatabase& db)
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
void TestItemMethods::dadosAfterScrollStockPosition()
{
    OPEN_BACKEND();
    const QSqlQuery item = reservedItem(db);
    const QString order = item.value(0).toString(), itemNumber = item.value(1).toString(), stockProduct = item.value(3).toString();
    QJsonArray args = afterScrollArgs(order, itemNumber, item.value(2).toString(), item.value(5).toString(), item.value(4).toString());
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
void TestItemMethods::dadosAfterScrollQuantities()
{
    OPEN_BACKEND();
    const QSqlQuery item = reservedItem(db);
    const QString stockProduct = item.value(3).toString();
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"),
                                   afterScrollArgs(item.value(0).toString(), item.value(1).toString(), item.value(2).toString(),
                                                   item.value(5).toString(), item.value(4).toString()))
                                  .toArray();
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
void TestItemMethods::dadosAfterScrollLotsUsedAndTaxes()
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

void TestItemMethods::dadosAfterScrollStockControl_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("change");     // an UPDATE run before, undone after
    QTest::addColumn<QString>("undo");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("indicator");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromLatin1(kind);
        QTest::addRow("%s controlled", kind) << k << QString() << QString() << "01" << "S";
        QTest::addRow("%s branch without stock control", kind)
            << k << "UPDATE FILIAL SET IDCTRLESTFIL = 'N' WHERE CDFILIAL = '0001'"
            << "UPDATE FILIAL SET IDCTRLESTFIL = 'S' WHERE CDFILIAL = '0001'" << "01" << "F";
        QTest::addRow("%s operation not moving stock", kind) << k << QString() << QString() << "02" << "T";
        QTest::addRow("%s product not controlled", kind)
            << k << "UPDATE PRODUTO SET IDCTRLESTOQUE = 'N' WHERE CDPRODUTO = '%1'"
            << "UPDATE PRODUTO SET IDCTRLESTOQUE = 'S' WHERE CDPRODUTO = '%1'" << "01" << "P";
    }
}

void TestItemMethods::dadosAfterScrollStockControl()
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
    const QJsonArray result = call(db, QStringLiteral("GetDadosAfterScroll"),
                                   afterScrollArgs(item.value(0).toString(), item.value(1).toString(), item.value(2).toString(),
                                                   item.value(5).toString(), item.value(4).toString(), operation))
                                  .toArray();
    QCOMPARE(result.at(5).toString(), indicator);
}

// Without flags nothing is looked up but the last prices and the mark.
void TestItemMethods::dadosAfterScrollWithoutFlags()
{
    OPEN_BACKEND();
    const QSqlQuery item = reservedItem(db);
    QJsonArray args = afterScrollArgs(item.value(0).toString(), item.value(1).toString(), item.value(2).toString(),
                                      item.value(5).toString(), item.value(4).toString());
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

void TestItemMethods::badArgumentsAreRefused_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("items, SQL in the order") << "GetItemPedido" << 1 << "' OR 1=1 --" << "Número do pedido";
    QTest::newRow("totals, long branch") << "GetImposEncar" << 0 << "00001" << "Filial";
    QTest::newRow("after scroll, long item") << "GetDadosAfterScroll" << 3 << "00000000001" << "Número do item";
    QTest::newRow("after scroll, flag not S or N") << "GetDadosAfterScroll" << 8 << "X" << "Posição de estoque";
    QTest::newRow("after scroll, long operation") << "GetDadosAfterScroll" << 13 << "001" << "Tipo de operação";
    QTest::newRow("after scroll, SQL in the product") << "GetDadosAfterScroll" << 4 << "1' OR '1'='1" << "Produto";
}

void TestItemMethods::badArgumentsAreRefused()
{
    QFETCH(QString, method);
    QFETCH(int, argument);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QSqlDatabase db = m_backends.sqlite().db();
    QJsonArray args = method == u"GetDadosAfterScroll" ? afterScrollArgs(QStringLiteral("0000000001"), QStringLiteral("0000000001"),
                                                                         QStringLiteral("1"), QStringLiteral("1"), QString())
                      : method == u"GetItemPedido" ? QJsonArray{branch, QStringLiteral("0000000001"), QStringLiteral("1")}
                                                   : QJsonArray{branch, QStringLiteral("0000000001")};
    args[argument] = text;
    const std::optional<QString> refusal = PedTest::refusalOf(m_registry, db, lanPedido, method, args);
    QVERIFY2(refusal, "the call was accepted");
    QVERIFY2(refusal->contains(message), qPrintable(*refusal));
}

QTEST_GUILESS_MAIN(TestItemMethods)
#include "tst_item_methods.moc"
