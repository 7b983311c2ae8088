// The automatic price change's methods on the demo database (SQLite, and
// PostgreSQL when PED_TEST_PG_URL is set), over orders of their own: three
// open orders of one customer and operation type, with two products, and a
// settled one the change leaves alone.

#include "demo_backends.h"
#include "list_text.h"
#include "method_calls.h"
#include "money.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");
const QString operation = QStringLiteral("ZP");
// Orders: 1 and 2 pending, 3 under way, 4 settled; each has both products
// at 10.00 and 20.00, with a parameter price of 10.00 and 20.00.
const QStringList orders{QStringLiteral("9900000001"), QStringLiteral("9900000002"), QStringLiteral("9900000003"),
                         QStringLiteral("9900000004")};

struct Fixture {
    QString customer;
    QString productX, productY;   // X carries a tax
};

Fixture fixtureOf(const QSqlDatabase& db)
{
    Fixture f{selectValue(db, QStringLiteral("SELECT MIN(CDCLIENTE) FROM CLIENTE")).toString(),
              selectValue(db, QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODIMPOSTO WHERE VRALIQIMPOSTO > 0")).toString(), {}};
    f.productY = selectValue(db, QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODUTO WHERE CDPRODUTO <> ?"), {f.productX}).toString();
    return f;
}

QVariant deliveryDay(const QSqlDatabase& db, int day)
{
    const QDateTime when(QDate(2031, 5, day), QTime(10, 0));
    return isPostgres(db) ? QVariant(when) : QVariant(when.toString(Qt::ISODate));
}

// The orders as the tests start from, and the branch's parameters that the
// change reads.
void resetOrders(const QSqlDatabase& db, const Fixture& f)
{
    execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET IDLANCPED = '2', IDTABPRECO = '1', IDPERALTPRECO = 'S',"
                               " DSPERALTMAIOR = '10', DSPERALTMENOR = '10' WHERE CDFILIAL = ?"),
            {branch});
    for (const QString& table : {QStringLiteral("ITEMPEDIMPOS"), QStringLiteral("IMPOSPEDTOT"), QStringLiteral("ITEMPEDIDO"),
                                 QStringLiteral("PRAZOPGTOPED"), QStringLiteral("PEDIDO")})
        execSql(db, QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO LIKE '99000000%'").arg(table), {branch});
    const QStringList statuses{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    for (qsizetype i = 0; i < orders.size(); ++i) {
        execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, DTENTPED, CDCLIENTE, CDTIPOOPER, IDSITPEDIDO)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {branch, orders[i], deliveryDay(db, 1), deliveryDay(db, 10 + int(i)), f.customer, operation, statuses[i]});
        int item = 0;
        for (const auto& [product, price] : {std::pair{f.productX, 10.0}, std::pair{f.productY, 20.0}})
            execSql(db, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED,"
                                       " VRPRPARPRECO, IDSITITEMPED) VALUES (?, ?, ?, ?, 3, ?, ?, '1')"),
                    {branch, orders[i], QStringLiteral("%1").arg(++item, 10, 10, QChar(u'0')), product, price, price});
    }
    for (const double days : {30.0, 60.0})
        execSql(db, QStringLiteral("INSERT INTO PRAZOPGTOPED (CDFILIAL, NRPEDIDO, NRDIASPGTOPED, VRPERCPGTOPED, VRPARCELA)"
                                   " VALUES (?, ?, ?, 50, 45)"),
                {branch, orders[0], days});
}

QMap<QString, double> storedPrices(const QSqlDatabase& db)
{
    QMap<QString, double> prices;
    for (const QVariantList& row : PedTest::rowsOf(db, QStringLiteral("SELECT NRPEDIDO, CDPRODUTO, VRPREUNITPED FROM ITEMPEDIDO"
                                                                      " WHERE CDFILIAL = ? AND NRPEDIDO LIKE '99000000%'"),
                                                   {branch}))
        prices.insert(row.at(0).toString() + u'/' + row.at(1).toString(), row.at(2).toDouble());
    return prices;
}

QJsonArray criteria(const Fixture& f, const QString& noDates = QString(), int fromDay = 10, int toDay = 13)
{
    return {false, listText({f.customer}), noDates, QStringLiteral("2031-05-%1").arg(fromDay, 2, 10, QChar(u'0')),
            QStringLiteral("2031-05-%1").arg(toDay, 2, 10, QChar(u'0')), false, listText({operation})};
}

QJsonArray gridArgs(const Fixture& f)
{
    QJsonArray params = criteria(f);
    params << true << QString();
    return params;
}

// The grid as GetProdGrid gives it, with `newX` typed on product X.
QJsonArray changeArgs(const DataPacket& grid, const QString& productX, const QVariant& newX, const QJsonArray& criteria)
{
    DataPacket typed = grid;
    const int product = typed.indexOf(QStringLiteral("CDPRODUTO"));
    const int newPrice = typed.indexOf(QStringLiteral("NOVOVALOR"));
    for (QVariantList& row : typed.rows)
        if (row.at(product).toString() == productX)
            row[newPrice] = newX;
    QJsonArray params{typed.toJson()};
    for (const QJsonValue& value : criteria)
        params.append(value);
    return params;
}

} // namespace

class TestPriceChangeMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void alteracao_data() { PedTest::DemoBackends::addKinds(); }
    void alteracao();
    void recusas_data();
    void recusas();

private:
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray params)
    {
        return PedTest::callMethod(m_registry, db, lanPedido, method, params);
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND()                          \
    PED_OPEN_BACKEND(m_backends, backend)       \
    const Fixture f = fixtureOf(db);            \
    resetOrders(db, f);                         \
    const QMap<QString, double> before = storedPrices(db);

void TestPriceChangeMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_price_change_methods"), [](QSqlDatabase& db) {
        execSql(db, QStringLiteral("INSERT INTO TIPOOPERAC (CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP) VALUES (?, ?, 'S', 'C')"),
                {operation, QStringLiteral("Venda de teste")});
    });
}

// The products and the grid of the three open orders; X typed at 10.90
// changes it in those three, taxes included, and nothing else.
void TestPriceChangeMethods::alteracao()
{
    OPEN_BACKEND();
    const DataPacket products = PedTest::packetOf(call(db, QStringLiteral("GetProdCli"), criteria(f)));
    QCOMPARE(products.rows.size(), 2);
    const DataPacket grid = PedTest::packetOf(call(db, QStringLiteral("GetProdGrid"), gridArgs(f)));
    QCOMPARE(PedTest::fieldNames(grid), PedTest::names("CDARVPROD NMPRODUTO CDPRODUTO CDPRODINTE VRPREUNITPED NOVOVALOR"));
    QCOMPARE(grid.rows.size(), 2);

    QJsonArray params = changeArgs(grid, f.productX, 10.9, criteria(f));
    const QJsonArray answer = call(db, QStringLiteral("SetAlteracaoPreco"), params).toArray();
    QCOMPARE(answer, (QJsonArray{QStringLiteral("OK"), 3.0, 3.0}));

    QMap<QString, double> expected = before;
    for (int i = 0; i < 3; ++i)
        expected[orders[i] + u'/' + f.productX] = 10.9;
    QCOMPARE(storedPrices(db), expected);
    // The order's total and its installments follow: 3 x 10,90 + 3 x 20,00,
    // and the amount to receive, taxes included, in two halves.
    QCOMPARE(selectValue(db, QStringLiteral("SELECT VRTOTALPED FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, orders[0]})
                 .toDouble(),
             92.7);
    const DataPacket totals = PedTest::packetOf(call(db, QStringLiteral("GetImposEncar"), {branch, orders[0]}));
    const double receivable = totals.rows.first().at(totals.indexOf(QStringLiteral("VRRECEBIMENTO"))).toDouble();
    QVERIFY(receivable > 92.7);
    const QList<QVariantList> installments = PedTest::rowsOf(
        db, QStringLiteral("SELECT VRPARCELA FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRDIASPGTOPED"),
        {branch, orders[0]});
    QCOMPARE(installments.size(), 2);
    QCOMPARE(RoundDec(installments.at(0).first().toDouble() + installments.at(1).first().toDouble(), 2), receivable);
    const QList<QVariantList> taxes = PedTest::rowsOf(
        db, QStringLiteral("SELECT DISTINCT VRCONTIMPITPED FROM ITEMPEDIMPOS WHERE CDFILIAL = ? AND NRPEDIDO LIKE '99000000%'"
                           " AND NRITEMPED = '0000000001'"),
        {branch});
    QCOMPARE(taxes.size(), 1);
    QCOMPARE(taxes.first().first().toDouble(), 32.7);
    QCOMPARE(PedTest::rowsOf(db, QStringLiteral("SELECT COUNT(DISTINCT NRPEDIDO) FROM IMPOSPEDTOT WHERE CDFILIAL = ?"
                                                " AND NRPEDIDO LIKE '99000000%'"),
                             {branch})
                 .first()
                 .first()
                 .toInt(),
             3);

    // A branch that works its prices out only at shipping has no item price
    // to change: its orders drop out of the products, the grid and the change.
    const DataPacket current = PedTest::packetOf(call(db, QStringLiteral("GetProdGrid"), gridArgs(f)));
    execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET IDTABPRECO = '2', IDCALCPRECFAT = 'E' WHERE CDFILIAL = ?"), {branch});
    QCOMPARE(PedTest::packetOf(call(db, QStringLiteral("GetProdCli"), criteria(f))).rows.size(), 0);
    QCOMPARE(PedTest::packetOf(call(db, QStringLiteral("GetProdGrid"), gridArgs(f))).rows.size(), 0);
    QVERIFY(PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("SetAlteracaoPreco"),
                               changeArgs(current, f.productX, 11.5, criteria(f))));
    QCOMPARE(storedPrices(db), expected);
}

void TestPriceChangeMethods::recusas_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");      // SQL run before the call, with the branch bound
    QTest::addColumn<QVariant>("newX");      // product X's new price
    QTest::addColumn<int>("argument");       // criterion replaced, -1: none
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");    // in the refusal; "BLOQUEADO": the orders listed instead
    QTest::addColumn<QStringList>("blocked");
    const QString status = QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = '%1' WHERE CDFILIAL = ? AND NRPEDIDO = '%2'");
    const QString params = QStringLiteral("UPDATE PARAMPEDIDO SET %1 WHERE CDFILIAL = ?");
    struct Case {
        const char* name;
        QString setup;
        QVariant newX;
        int argument;
        QJsonValue value;
        const char* message;
        QStringList blocked;
    };
    const QList<Case> cases{
        {"an order partly served", status.arg(QStringLiteral("6")).arg(orders[1]), 10.9, -1, {}, "BLOQUEADO", {orders[1]}},
        {"orders under way where only pending ones change", params.arg(QStringLiteral("IDLANCPED = '1'")) + u';'
             + status.arg(QStringLiteral("2")).arg(orders[0]), 10.9, -1, {}, "BLOQUEADO", {orders[0], orders[2]}},
        {"above the band", {}, 11.01, -1, {}, "acima do máximo de 11.00", {}},
        {"below the band", {}, 8.99, -1, {}, "abaixo do mínimo de 9.00", {}},
        {"branch without price changes", params.arg(QStringLiteral("IDPERALTPRECO = 'N'")), 10.5, -1, {}, "não permite alterar", {}},
        {"new price 0", {}, 0.0, -1, {}, "maior que zero", {}},
        {"no new price", {}, QVariant(), -1, {}, "Nenhum novo preço", {}},
        {"every customer", {}, 10.9, 1, true, "não vale para todos", {}},
        {"no customer", {}, 10.9, 2, QString(), "Cliente deve ser informado", {}},
        {"customer list malformed", {}, 10.9, 2, QStringLiteral("0001"), "lista inválida", {}},
        {"dates flag unknown", {}, 10.9, 3, QStringLiteral("X"), "Datas vazias", {}},
        {"no initial date", {}, 10.9, 4, QString(), "Data inicial inválida", {}},
        {"period reversed", {}, 10.9, 5, QStringLiteral("2031-05-01"), "menor que a data final", {}},
        {"no operation type", {}, 10.9, 7, QString(), "Tipo de Operação deve ser informado", {}},
        {"grid of other prices", QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = 9.5 WHERE CDFILIAL = ? AND NRPEDIDO LIKE '99000000%'"),
         10.9, -1, {}, "desatualizada", {}},
    };
    for (const char* kind : {"sqlite", "postgresql"})
        for (const Case& c : cases)
            QTest::addRow("%s, %s", kind, c.name) << QString::fromUtf8(kind) << c.setup << c.newX << c.argument << c.value
                                                  << QString::fromUtf8(c.message) << c.blocked;
}

// Each refusal stores nothing; the blocked orders are all listed.
void TestPriceChangeMethods::recusas()
{
    OPEN_BACKEND();
    QFETCH(QString, setup);
    QFETCH(QVariant, newX);
    QFETCH(int, argument);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    QFETCH(QStringList, blocked);
    const DataPacket grid = PedTest::packetOf(call(db, QStringLiteral("GetProdGrid"), gridArgs(f)));
    QMap<QString, double> unchanged = before;
    for (const QString& statement : setup.split(u';', Qt::SkipEmptyParts))
        execSql(db, statement, {branch});
    if (setup.contains(u"9.5"))
        unchanged = storedPrices(db);
    QJsonArray params = changeArgs(grid, f.productX, newX, criteria(f));
    if (argument >= 0)
        params[argument] = value;

    if (message == u"BLOQUEADO") {
        const QJsonArray answer = call(db, QStringLiteral("SetAlteracaoPreco"), params).toArray();
        QCOMPARE(answer.at(0).toString(), message);
        const DataPacket orders = PedTest::packetOf(answer.at(1));
        QStringList listed;
        for (qsizetype row = 0; row < orders.rows.size(); ++row)
            listed.append(PedTest::value(orders, int(row), QStringLiteral("NRPEDIDO")).toString());
        QCOMPARE(listed, blocked);
    } else {
        const std::optional<QString> refusal =
            PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("SetAlteracaoPreco"), params);
        QVERIFY(refusal);
        QVERIFY2(refusal->contains(message), qPrintable(*refusal));
    }
    QCOMPARE(storedPrices(db), unchanged);
}

QTEST_GUILESS_MAIN(TestPriceChangeMethods)
#include "tst_price_change_methods.moc"
