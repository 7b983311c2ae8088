// The discount calculator's method on the demo database (SQLite, and
// PostgreSQL when PED_TEST_PG_URL is set): a formula applied to one item or
// to every item of a stored order, the maximum discount asked about before
// anything is stored, and the orders and prices it refuses.

#include "demo_backends.h"
#include "method_calls.h"
#include "money.h"
#include "modules/goods_value.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;

struct Item {
    QString number;
    double price = 0;
    double quantity = 0;
    double discount = 0;
};

struct Order {
    QString branch;
    QString number;
    QList<Item> items;   // those not settled or cancelled, by number
};

// The `skip`-th pending or under-way order of branch 0001 with two or more priced items
// that may still change; each test takes its own.
Order pendingOrder(const QSqlDatabase& db, int skip)
{
    const QList<QVariantList> found = PedTest::rowsOf(
        db, QStringLiteral("SELECT P.NRPEDIDO FROM PEDIDO P WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO IN ('1', '2')"
                           " AND (SELECT COUNT(*) FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                           "      AND I.IDSITITEMPED NOT IN ('4', '5', '6') AND I.VRPREUNITPED > 0) >= 2"
                           " ORDER BY P.NRPEDIDO"));
    if (found.size() <= skip)
        qFatal("the demo database has too few pending orders");
    Order order{QStringLiteral("0001"), found.at(skip).at(0).toString(), {}};
    const QList<QVariantList> items = PedTest::rowsOf(
        db, QStringLiteral("SELECT NRITEMPED, VRPREUNITPED, QTITEMPED, VRDESITPED FROM ITEMPEDIDO"
                           " WHERE CDFILIAL = ? AND NRPEDIDO = ? AND IDSITITEMPED NOT IN ('4', '5', '6') ORDER BY NRITEMPED"),
        {order.branch, order.number});
    for (const QVariantList& row : items)
        order.items.append({row.at(0).toString(), row.at(1).toDouble(), row.at(2).toDouble(), row.at(3).toDouble()});
    return order;
}

QList<Item> storedItems(const QSqlDatabase& db, const Order& order)
{
    QList<Item> items;
    for (const Item& before : order.items) {
        const QList<QVariantList> row = PedTest::rowsOf(
            db, QStringLiteral("SELECT VRPREUNITPED, QTITEMPED, VRDESITPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                               " AND NRITEMPED = ?"),
            {order.branch, order.number, before.number});
        items.append({before.number, row.at(0).at(0).toDouble(), row.at(0).at(1).toDouble(), row.at(0).at(2).toDouble()});
    }
    return items;
}

// SetAplicaDesconto's arguments: under "Item" for the first item at
// `percentage`, as the dialog previews it; under "Todos" for every item.
QJsonArray arguments(const Order& order, const QString& scope, double percentage, bool aboveMaximumAccepted,
                     const QString& seller = QString())
{
    const QJsonObject items{{QStringLiteral("fields"), QJsonArray()}, {QStringLiteral("rows"), QJsonArray()}};
    const bool item = scope == u"Item";
    const Item& first = order.items.first();
    const double newPrice = first.price * (1 - percentage / 100);
    return {items, percentage, scope, item ? newPrice : 0.0, item ? first.number : QString(), order.number, order.branch,
            item ? first.discount : 0.0, (first.price - newPrice) * first.quantity, seller, aboveMaximumAccepted};
}

} // namespace

class TestDiscountMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void aplica_data();
    void aplica();
    void descontoAcimaDoMaximo_data() { PedTest::DemoBackends::addKinds(); }
    void descontoAcimaDoMaximo();
    void recusas_data();
    void recusas();

private:
    QJsonValue call(QSqlDatabase db, QJsonArray& params)
    {
        return PedTest::callMethod(m_registry, db, lanPedido, QStringLiteral("SetAplicaDesconto"), params);
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND() PED_OPEN_BACKEND(m_backends, backend)

void TestDiscountMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_discount_methods"));
}

void TestDiscountMethods::aplica_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("scope");
    QTest::addColumn<int>("skip");
    for (const char* kind : {"sqlite", "postgresql"}) {
        QTest::addRow("%s, the selected item", kind) << QString::fromUtf8(kind) << QStringLiteral("Item") << 0;
        QTest::addRow("%s, every item", kind) << QString::fromUtf8(kind) << QStringLiteral("Todos") << 1;
    }
}

void TestDiscountMethods::aplica()
{
    OPEN_BACKEND();
    QFETCH(QString, scope);
    QFETCH(int, skip);
    const Order order = pendingOrder(db, skip);
    QJsonArray params = arguments(order, scope, 14.5, true);
    QCOMPARE(call(db, params).toArray(), QJsonArray{QStringLiteral("OK")});

    const bool todos = scope == u"Todos";
    const QList<Item> after = storedItems(db, order);
    double applied = 0;
    for (qsizetype i = 0; i < after.size(); ++i) {
        const Item& before = order.items.at(i);
        const double expected = todos || i == 0 ? RoundDec(before.price * (1 - 14.5 / 100), 2) : before.price;
        QCOMPARE(after.at(i).price, expected);
        QCOMPARE(after.at(i).discount, before.discount);
        applied += (before.price - expected) * before.quantity;
    }
    QCOMPARE(params.at(3).toDouble(), todos ? 0.0 : after.first().price);
    QCOMPARE(params.at(8).toDouble(), RoundDec(applied, 2));
    // The stored taxes follow: the first item's tax base is its new goods value.
    const Item& first = after.first();
    const QVariant goods = PedTest::rowsOf(db, QStringLiteral("SELECT MAX(VRCONTIMPITPED) FROM ITEMPEDIMPOS WHERE CDFILIAL = ?"
                                                              " AND NRPEDIDO = ? AND NRITEMPED = ?"),
                                           {order.branch, order.number, first.number})
                              .value(0)
                              .value(0);
    if (!goods.isNull())
        QCOMPARE(goods.toDouble(), RoundDec(netGoodsValue(first.price, first.quantity, first.discount), 2));
}

// With only the seller's 5 % limiting the items, 10 % asks first and
// stores nothing; accepted, it is applied.
void TestDiscountMethods::descontoAcimaDoMaximo()
{
    OPEN_BACKEND();
    const Order order = pendingOrder(db, 2);
    const QString seller = selectValue(db, QStringLiteral("SELECT CDVENDEDOR FROM VENDEDOR ORDER BY CDVENDEDOR")).toString();
    execSql(db, QStringLiteral("UPDATE VENDEDOR SET VRPEMAXDESVE = 5 WHERE CDVENDEDOR = ?"), {seller});
    execSql(db, QStringLiteral("UPDATE CLIENTE SET VRPEMAXDESCL = NULL WHERE CDCLIENTE ="
                               " (SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?)"),
            {order.branch, order.number});
    execSql(db, QStringLiteral("DELETE FROM ITDESPREBASE WHERE CDPRODUTO IN"
                               " (SELECT CDPRODUTO FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?)"),
            {order.branch, order.number});

    for (const QString& scope : {QStringLiteral("Item"), QStringLiteral("Todos")}) {
        QJsonArray asked = arguments(order, scope, 10, false, seller);
        QCOMPARE(call(db, asked).toArray(), (QJsonArray{QStringLiteral("DESC"), 5.0}));
        QCOMPARE(storedItems(db, order).first().price, order.items.first().price);
    }
    QJsonArray accepted = arguments(order, QStringLiteral("Item"), 10, true, seller);
    QCOMPARE(call(db, accepted).toArray(), QJsonArray{QStringLiteral("OK")});
    QCOMPARE(storedItems(db, order).first().price, RoundDec(order.items.first().price * 0.9, 2));
}

void TestDiscountMethods::recusas_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("scope");
    QTest::addColumn<double>("percentage");
    QTest::addColumn<QString>("status");      // the order's status for the call; empty: not stored
    QTest::addColumn<QString>("message");     // contained in the refusal
    struct Case {
        const char* name;
        const char* scope;
        double percentage;
        const char* status;
        const char* message;
    };
    const Case cases[] = {
        {"item priced at 0", "Item", 100, "1", "maior que zero"},
        {"every item at 100 %", "Todos", 100, "1", "maior que zero"},
        {"order settled", "Item", 10, "3", "não pode ser alterado"},
        {"order cancelled, every item", "Todos", 10, "4", "não pode ser alterado"},
        {"order not stored", "Todos", 10, "", "não encontrado"},
    };
    for (const char* kind : {"sqlite", "postgresql"})
        for (const Case& c : cases)
            QTest::addRow("%s, %s", kind, c.name) << QString::fromUtf8(kind) << QString::fromUtf8(c.scope) << c.percentage
                                                  << QString::fromUtf8(c.status) << QString::fromUtf8(c.message);
}

void TestDiscountMethods::recusas()
{
    OPEN_BACKEND();
    QFETCH(QString, scope);
    QFETCH(double, percentage);
    QFETCH(QString, status);
    QFETCH(QString, message);
    Order order = pendingOrder(db, 0);
    const QString stored = selectValue(db, QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                                       {order.branch, order.number}).toString();
    if (!status.isEmpty())
        execSql(db, QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                {status, order.branch, order.number});
    const auto restore = qScopeGuard([&] {
        execSql(db, QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                {stored, order.branch, order.number});
    });
    QJsonArray params = arguments(order, scope, percentage, true);
    if (status.isEmpty())
        params[5] = QStringLiteral("9999999999");
    const std::optional<QString> refusal =
        PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("SetAplicaDesconto"), params);
    QVERIFY(refusal);
    QVERIFY2(refusal->contains(message), qPrintable(*refusal));
    const QList<Item> after = storedItems(db, order);
    for (qsizetype i = 0; i < after.size(); ++i)
        QCOMPARE(after.at(i).price, order.items.at(i).price);
}

QTEST_GUILESS_MAIN(TestDiscountMethods)
#include "tst_discount_methods.moc"
