// The item checks on the demo database (SQLite, and PostgreSQL when
// PED_TEST_PG_URL is set): a new item's product and side data, the stock
// figures of the shortage test and an item's status, the figures summed
// again here item by item.

#include "demo_backends.h"
#include "method_calls.h"
#include "modules/modules.h"
#include "store/sql.h"

#include <QTest>

namespace {

const QString branch = QStringLiteral("0001"), demoOrder = QStringLiteral("0000000002"), saoBento = QStringLiteral("000001");
const QString quotation = QStringLiteral("0000009101"), otherOrder = QStringLiteral("0000009102");
const QString byName = QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = '%1'");
const QString box = byName.arg(QStringLiteral("Paracetamol 750mg cx c/20")), blister = byName.arg(QStringLiteral("Paracetamol 750mg bl c/10"));

QString text(const QSqlDatabase& db, const QString& sql) { return sql.isEmpty() ? QString() : selectValue(db, sql).toString(); }

// Beside the demo's: a quotation and an order of paracetamol, open, partly
// shipped, cancelled and settled, in boxes of two blisters and in blisters.
void addParacetamolOrders(QSqlDatabase& db)
{
    for (const auto& [number, kind] : {std::pair{quotation, "2"}, std::pair{otherOrder, "1"}})
        execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, IDTIPOPEDIDO, CDCLIENTE)"
                                   " VALUES (?, ?, CURRENT_TIMESTAMP, '1', ?, ?)"), {branch, number, QLatin1String(kind), saoBento});
    const struct { QString order; int item; QString product; double quantity, shipped; const char* status; } items[] = {
        {quotation, 1, box, 7, 0, "1"}, {otherOrder, 1, box, 5, 2, "7"}, {otherOrder, 2, blister, 4, 0, "2"},
        {otherOrder, 3, blister, 100, 0, "5"}, {otherOrder, 4, blister, 50, 50, "4"}};
    for (const auto& i : items)
        execSql(db, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, QTEXPITEMPED, IDSITITEMPED)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {branch, i.order, QStringLiteral("%1").arg(i.item, 10, 10, QLatin1Char('0')), text(db, i.product), i.quantity, i.shipped,
                 QLatin1String(i.status)});
}

// Still to ship, in stock units, over the branch's open items of the kind.
double open(const QSqlDatabase& db, const QString& stockProduct, const char* kind, const QString& excludedOrder)
{
    double total = 0;
    for (const QVariantList& row : PedTest::rowsOf(
             db, QStringLiteral("SELECT D.NRPEDIDO, D.IDTIPOPEDIDO, I.IDSITITEMPED, (I.QTITEMPED - I.QTEXPITEMPED) * P.VRFATOCONV"
                                " FROM ITEMPEDIDO I JOIN PEDIDO D ON D.CDFILIAL = I.CDFILIAL AND D.NRPEDIDO = I.NRPEDIDO"
                                " JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                " WHERE I.CDFILIAL = ? AND COALESCE(I.CDPRODESTO, P.CDPRODESTO, P.CDPRODUTO) = ?"), {branch, stockProduct}))
        if (row.at(0).toString() != excludedOrder && row.at(1).toString() == QLatin1String(kind) && QStringLiteral("1237").contains(row.at(2).toString()))
            total += row.at(3).toDouble();
    return total;
}

QStringList column(const DataPacket& packet, const char* field)
{
    QStringList values;
    for (int row = 0; row < packet.rows.size(); ++row)
        values.append(PedTest::value(packet, row, QLatin1String(field)).toString());
    return values;
}

QStringList columnOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QStringList found;
    for (const QVariantList& row : PedTest::rowsOf(db, sql, values))
        found.append(row.at(0).toString());
    return found;
}

} // namespace

class TestItemCheckMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { PedTest::DemoBackends::addKinds(); }
    void initTestCase()
    {
        registerAllMethods(m_registry);
        m_backends.open(QStringLiteral("tst_item_check_methods"), addParacetamolOrders);
    }
    void novoItem_data();
    void novoItem();
    void estoqueDoItem_data();
    void estoqueDoItem();
    void situacaoDoItem();

private:
    QJsonValue call(const QSqlDatabase& db, const char* method, QJsonArray params)
    {
        return PedTest::callMethod(m_registry, db, ServerNames::LanPedido, QLatin1String(method), params);
    }
    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

void TestItemCheckMethods::novoItem_data()
{
    QTest::addColumn<QString>("productSql");   // CDPRODUTO argument
    QTest::addColumn<QString>("typedSql");     // CDARVPROD typed
    QTest::addColumn<QString>("expectedSql");  // the product found
    const QString item = QStringLiteral("SELECT MIN(CDPRODUTO) FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000002'");
    const QString code = QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = (%1)");
    const QString dipyrone = byName.arg(QStringLiteral("Dipirona Sódica 500mg bl c/10"));
    const QString thermometer = byName.arg(QStringLiteral("Termômetro Clínico Digital"));
    QTest::newRow("an item's product by its code") << item << QString() << item;
    QTest::newRow("typed over the item's previous product") << item << code.arg(dipyrone) << dipyrone;
    QTest::newRow("customer code without description") << QString() << code.arg(thermometer) << thermometer;
    QTest::newRow("ordered and quoted elsewhere") << QString() << code.arg(box) << box;
    QTest::newRow("unknown typed code") << QString() << QStringLiteral("SELECT 'NAO-EXISTE'") << QString();
    QTest::newRow("nothing given") << QString() << QString() << QString();
}

void TestItemCheckMethods::novoItem()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    QFETCH(QString, productSql);
    QFETCH(QString, typedSql);
    QFETCH(QString, expectedSql);
    const QString typed = text(db, typedSql), expected = text(db, expectedSql);
    QJsonArray params{branch, demoOrder, text(db, productSql), saoBento, typed, "", "", "", "", "", "", "", "", "", "", "", "01", "", true};
    const QJsonArray result = PedTest::callMethod(m_registry, db, ServerNames::LanPedido, QStringLiteral("GetNovoItem"), params).toArray();
    QCOMPARE(result.size(), 14);
    for (int unused : {5, 6, 7, 8, 9, 10, 12})
        QCOMPARE(result.at(unused).toDouble(), 0.0);
    QCOMPARE(params.at(4).toString(), expected.isEmpty() ? typed : text(db, QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = '%1'").arg(expected)));
    const DataPacket stored = PedTest::packetOf(result.at(0)), forCustomer = PedTest::packetOf(result.at(1));
    const DataPacket lastPrices = PedTest::packetOf(result.at(2)), profitability = PedTest::packetOf(result.at(11));
    QCOMPARE(PedTest::fieldNames(forCustomer), PedTest::names("CDPRODUTO CDARVPROD NMPRODUTO SGUNIDADE CDPRODCLIEPED DSPRODCLIEPED"));
    QCOMPARE(PedTest::fieldNames(profitability), PedTest::names("CDPRODUTO VRCUSTPROD VRPEFORMPREC CDGRUNRENTAVEL"));
    QCOMPARE(column(stored, "NRITEMPED"), columnOf(db, QStringLiteral("SELECT NRITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                                                      " AND CDPRODUTO = ? ORDER BY NRITEMPED"), {branch, demoOrder, expected}));
    QCOMPARE(column(lastPrices, "NRPEDIDO"),
             columnOf(db, QStringLiteral("SELECT D.NRPEDIDO FROM ITEMPEDIDO I JOIN PEDIDO D ON D.CDFILIAL = I.CDFILIAL AND D.NRPEDIDO = I.NRPEDIDO"
                                         " WHERE D.CDFILIAL = ? AND D.CDCLIENTE = ? AND I.CDPRODUTO = ? AND D.NRPEDIDO <> ?"
                                         " AND I.IDSITITEMPED <> '5' ORDER BY D.DTPEDIDO DESC, D.NRPEDIDO DESC LIMIT 10"),
                      {branch, saoBento, expected, demoOrder}));
    QCOMPARE(column(forCustomer, "CDPRODUTO"), column(profitability, "CDPRODUTO"));
    QCOMPARE(column(forCustomer, "CDPRODUTO"), expected.isEmpty() ? QStringList() : QStringList{expected});
    if (expected.isEmpty()) {
        QVERIFY(stored.rows.isEmpty() && lastPrices.rows.isEmpty());
        QCOMPARE(result.at(3).toDouble() + result.at(4).toDouble() + result.at(13).toDouble(), 0.0);
        return;
    }
    const QVariantList own = PedTest::rowsOf(db, QStringLiteral("SELECT CDPRODCLIEPED, DSPRODCLIEPED FROM PRODCLIENTE WHERE CDCLIENTE = ?"
                                                                " AND CDPRODUTO = ?"), {saoBento, expected}).value(0, {QVariant(), QVariant()});
    for (int field : {0, 1}) {
        const QVariant shown = PedTest::value(forCustomer, 0, field == 0 ? QStringLiteral("CDPRODCLIEPED") : QStringLiteral("DSPRODCLIEPED"));
        QCOMPARE(shown.isNull(), own.at(field).isNull());
        QCOMPARE(shown.toString(), own.at(field).toString());
    }
    QCOMPARE(PedTest::value(profitability, 0, "VRCUSTPROD").toDouble(),
             selectValue(db, QStringLiteral("SELECT VRCUSTPROD FROM PRODUTO WHERE CDPRODUTO = ?"), {expected}).toDouble());
    const QString stock = text(db, QStringLiteral("SELECT COALESCE(CDPRODESTO, CDPRODUTO) FROM PRODUTO WHERE CDPRODUTO = '%1'").arg(expected));
    QCOMPARE(result.at(3).toDouble(), open(db, stock, "1", QString()));
    QCOMPARE(result.at(13).toDouble(), open(db, stock, "1", demoOrder));
    QCOMPARE(result.at(4).toDouble(),
             selectValue(db, QStringLiteral("SELECT COALESCE(MAX(QTESTOQUE), 0) FROM ESTOQUE WHERE CDFILIAL = ? AND CDPRODUTO = ?"), {branch, stock}).toDouble()
                 - selectValue(db, QStringLiteral("SELECT SUM(QTRESPRODPED) FROM RESPRODPED WHERE CDFILIALDEP = ? AND CDPRODRES = ?"), {branch, stock}).toDouble());
}

void TestItemCheckMethods::estoqueDoItem_data()
{
    QTest::addColumn<QString>("productSql");
    QTest::addColumn<bool>("typed");       // named by CDARVPROD rather than CDPRODUTO
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("controlled");
    QTest::addColumn<double>("thisOrder");   // left out of [1]: 3 boxes of 2 still to ship and 4 blisters
    QTest::newRow("controlled, other orders and quotations") << box << false << otherOrder << "01" << true << 10.0;
    QTest::newRow("typed, for a new order") << box << true << QString() << "01" << true << 0.0;
    QTest::newRow("the stock product itself") << blister << false << otherOrder << "01" << true << 10.0;
    QTest::newRow("operation moving no stock") << box << false << otherOrder << "02" << false << 10.0;
    QTest::newRow("stock control off") << byName.arg(QStringLiteral("Touca Descartável pct c/100")) << true << QString() << "01" << false << 0.0;
    QTest::newRow("no stock at the branch") << byName.arg(QStringLiteral("Termômetro Clínico Digital")) << true << QString() << "01" << true << 0.0;
    QTest::newRow("unknown product") << QString() << true << otherOrder << "01" << false << 0.0;
}

void TestItemCheckMethods::estoqueDoItem()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    QFETCH(QString, productSql);
    QFETCH(bool, typed);
    QFETCH(QString, order);
    QFETCH(QString, operation);
    const QString product = text(db, productSql);
    const QString code = product.isEmpty() ? QStringLiteral("NAO-EXISTE") : text(db, QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = '%1'").arg(product));
    const QJsonArray figures = call(db, "VD_ESTITEM", {branch, typed ? QString() : product, typed ? code : QString(), 12.0, order, operation})
                                   .toArray();
    const QString stock = text(db, QStringLiteral("SELECT COALESCE(CDPRODESTO, CDPRODUTO) FROM PRODUTO WHERE CDPRODUTO = '%1'").arg(product));
    const double ordered = open(db, stock, "1", order), quoted = open(db, stock, "2", order);
    const double stocked = selectValue(db, QStringLiteral("SELECT QTESTOQUE FROM ESTOQUE WHERE CDFILIAL = ? AND CDPRODUTO = ?"), {branch, stock}).toDouble();
    QCOMPARE(figures, (QJsonArray{stocked - ordered - quoted, ordered, stocked, figures.at(3), quoted}));
    QTEST(figures.at(3).toBool(), "controlled");
    QTEST(open(db, stock, "1", QString()) - ordered, "thisOrder");
    QVERIFY(PedTest::refusalOf(m_registry, db, ServerNames::LanPedido, QStringLiteral("VD_ESTITEM"), {branch, product, code, -0.5, order, "01"})
                .value_or(QString()).startsWith(QStringLiteral("Quantidade em estoque inválida")));
}

// The stored status of settled, cancelled and missing items.
void TestItemCheckMethods::situacaoDoItem()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    for (const auto& [order, item] : QList<std::pair<QString, QString>>{
             {otherOrder, "0000000004"}, {otherOrder, "0000000003"}, {demoOrder, "0000000001"}, {demoOrder, "0000000999"}, {demoOrder, ""}}) {
        const DataPacket status = PedTest::packetOf(call(db, "VerificaSitItem", {branch, order, item}));
        QCOMPARE(PedTest::fieldNames(status), PedTest::names("IDSITITEMPED"));
        QCOMPARE(column(status, "IDSITITEMPED"), columnOf(db, QStringLiteral("SELECT IDSITITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = ?"
                                                                             " AND NRPEDIDO = ? AND NRITEMPED = ?"), {branch, order, item}));
    }
    QVERIFY(PedTest::refusalOf(m_registry, db, ServerNames::LanPedido, QStringLiteral("VerificaSitItem"), {branch, demoOrder, "00000000001"})
                .value_or(QString()).startsWith(QStringLiteral("Item do pedido")));
}

QTEST_GUILESS_MAIN(TestItemCheckMethods)
#include "tst_item_check_methods.moc"
