// The header checks on the demo database (SQLite, and PostgreSQL when
// PED_TEST_PG_URL is set): the stock test of a quotation that becomes an
// order, against stock figures set here, and an item's stock refreshed.

#include "demo_backends.h"
#include "method_calls.h"
#include "modules/modules.h"
#include "store/sql.h"

#include <QJsonDocument>
#include <QTest>

namespace {

const QString branch = QStringLiteral("0001"), saoBento = QStringLiteral("000001");
const QString quotation = QStringLiteral("0000009201"), otherOrder = QStringLiteral("0000009202"),
              otherQuotation = QStringLiteral("0000009203");
const QString thermometerSql = QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE NMPRODUTO = 'Termômetro Clínico Digital'");

// The quotation asks 3 and 1.5 thermometers; another order and another
// quotation ask one each beside what the demo's ask.
void addThermometerOrders(QSqlDatabase& db)
{
    const QString thermometer = selectValue(db, thermometerSql).toString();
    for (const auto& [number, kind] : {std::pair{quotation, "2"}, std::pair{otherOrder, "1"}, std::pair{otherQuotation, "2"}})
        execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, IDTIPOPEDIDO, CDCLIENTE)"
                                   " VALUES (?, ?, CURRENT_TIMESTAMP, '1', ?, ?)"), {branch, number, QLatin1String(kind), saoBento});
    const struct { QString order; const char* item; double quantity; } items[] = {
        {quotation, "0000000001", 3}, {quotation, "0000000002", 1.5}, {otherOrder, "0000000001", 1}, {otherQuotation, "0000000001", 1}};
    for (const auto& i : items)
        execSql(db, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, QTEXPITEMPED, IDSITITEMPED)"
                                   " VALUES (?, ?, ?, ?, ?, 0, '1')"), {branch, i.order, QLatin1String(i.item), thermometer, i.quantity});
}

} // namespace

class TestHeaderCheckMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { PedTest::DemoBackends::addKinds(); }
    void initTestCase()
    {
        registerAllMethods(m_registry);
        m_backends.open(QStringLiteral("tst_header_check_methods"), addThermometerOrders);
    }
    void estoqueDoPedido_data();
    void estoqueDoPedido();
    void estoqueDoItem();

private:
    QJsonValue call(const QSqlDatabase& db, const char* method, QJsonArray params)
    {
        return PedTest::callMethod(m_registry, db, ServerNames::LanPedido, QLatin1String(method), params);
    }
    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

void TestHeaderCheckMethods::estoqueDoPedido_data()
{
    QTest::addColumn<double>("stock");
    QTest::addColumn<bool>("isOrder");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("answer");   // "" null; else the key
    QTest::addColumn<QList<double>>("figures");   // the item's quantity and the earlier items', or rounded and available
    using L = QList<double>;
    QTest::newRow("both items fit") << 7.0 << true << quotation << "01" << "" << L{};
    QTest::newRow("the second item after the first") << 6.2 << true << quotation << "01" << "QUANT_PROD" << L{1.5, 3};
    QTest::newRow("the first item") << 4.0 << true << quotation << "01" << "QUANT_PROD" << L{3, 0};
    QTest::newRow("fits only before rounding up") << 6.8 << true << quotation << "01" << "QUANT_PROD_ARRED" << L{2, 1.8};
    QTest::newRow("saved as a quotation") << 0.0 << false << quotation << "01" << "" << L{};
    QTest::newRow("operation moving no stock") << 0.0 << true << quotation << "02" << "" << L{};
    QTest::newRow("unknown order") << 0.0 << true << QStringLiteral("0000009999") << "01" << "" << L{};
}

void TestHeaderCheckMethods::estoqueDoPedido()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    QFETCH(double, stock);
    QFETCH(bool, isOrder);
    QFETCH(QString, order);
    QFETCH(QString, operation);
    QFETCH(QString, answer);
    QFETCH(QList<double>, figures);
    const QString thermometer = selectValue(db, thermometerSql).toString();
    // The stock is set on top of what the branch's other orders and
    // quotations, the demo's and the two above, still ask.
    const double elsewhere = selectValue(db, QStringLiteral("SELECT SUM(QTITEMPED - COALESCE(QTEXPITEMPED, 0)) FROM ITEMPEDIDO"
                                                            " WHERE CDFILIAL = ? AND CDPRODUTO = ? AND NRPEDIDO <> ?"
                                                            " AND IDSITITEMPED IN ('1', '2', '3', '7')"), {branch, thermometer, quotation}).toDouble();
    execSql(db, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = ? WHERE CDFILIAL = ? AND CDPRODUTO = ?"),
            {stock + elsewhere - 2, branch, thermometer});
    const QJsonValue result = call(db, "VD_ESTPED", {branch, order, isOrder, operation});
    if (answer.isEmpty()) {
        QVERIFY2(result.isNull(), qPrintable(QString::fromUtf8(QJsonDocument(result.toArray()).toJson(QJsonDocument::Compact))));
        return;
    }
    const QJsonArray elements = result.toArray();
    QCOMPARE(elements.at(0).toString(), answer);
    const QString typed = selectValue(db, QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?"), {thermometer}).toString();
    const int first = answer == u"QUANT_PROD" ? 5 : 2;
    QCOMPARE(elements.size(), answer == u"QUANT_PROD" ? 10 : 4);
    if (answer == u"QUANT_PROD") {
        QCOMPARE(elements.at(1).toString(), thermometer);
        QCOMPARE(elements.at(2).toString(), typed);
        QCOMPARE(elements.at(3).toString(), QStringLiteral("Termômetro Clínico Digital"));
        QCOMPARE(elements.at(4).toString(), selectValue(db, QStringLiteral("SELECT SGUNIDADE FROM PRODUTO WHERE CDPRODUTO = ?"), {thermometer}).toString());
        QCOMPARE(elements.at(7).toDouble(), stock + elsewhere - 2);
        QCOMPARE(elements.at(8).toDouble() + elements.at(9).toDouble(), elsewhere);
        QVERIFY(elements.at(8).toDouble() >= 1 && elements.at(9).toDouble() >= 1);
    } else {
        QCOMPARE(elements.at(1).toString(), typed);
    }
    for (int i = 0; i < figures.size(); ++i)
        QCOMPARE(elements.at(first + i).toDouble(), figures.at(i));
}

// An item's stock as the item grid reads it when it scrolls; a settled
// item's lots used; codes too long refused.
void TestHeaderCheckMethods::estoqueDoItem()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    const QList<QVariantList> items = PedTest::rowsOf(db, QStringLiteral("SELECT NRPEDIDO, NRITEMPED, CDPRODUTO, IDSITITEMPED FROM ITEMPEDIDO"
                                                                         " WHERE CDFILIAL = ? AND IDSITITEMPED IN ('1', '4') ORDER BY IDSITITEMPED DESC,"
                                                                         " NRPEDIDO, NRITEMPED"), {branch});
    QVERIFY(!items.isEmpty() && items.first().at(3).toString() == u"4");
    for (const QVariantList& item : {items.first(), items.last()}) {
        const QString order = item.at(0).toString(), number = item.at(1).toString(), product = item.at(2).toString();
        const QString status = item.at(3).toString();
        const QJsonArray fresh = call(db, "GetAtuItemPed", {branch, order, number, product, "", status}).toArray();
        const QJsonArray scrolled = call(db, "GetDadosAfterScroll", {branch, "", order, number, product, "", status, "", "S", "S", "N", "N", "N", ""})
                                        .toArray();
        QCOMPARE(fresh, (QJsonArray{scrolled.at(0), scrolled.at(1), scrolled.at(4)}));
        QCOMPARE(PedTest::fieldNames(PedTest::packetOf(fresh.at(0))).contains(QStringLiteral("CDFILIMOVI")), status == u"4");
    }
    QVERIFY(PedTest::refusalOf(m_registry, db, ServerNames::LanPedido, QStringLiteral("GetAtuItemPed"),
                               {branch, quotation, "00000000001", "", "", "1"})
                .value_or(QString()).startsWith(QStringLiteral("Item do pedido")));
}

QTEST_GUILESS_MAIN(TestHeaderCheckMethods)
#include "tst_header_check_methods.moc"
