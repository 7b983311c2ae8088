// The unit-price calculator's methods on the demo database (SQLite, and
// PostgreSQL when PED_TEST_PG_URL is set): the preview is what is stored,
// prices outside branch 0001's band (+10 % / -5 % around the parameter
// price, operator group "01") are refused with the key the dialog answers,
// and a refused call or a bad argument stores nothing.

#include "demo_backends.h"
#include "method_calls.h"
#include "modules/goods_value.h"
#include "modules/modules.h"
#include "money.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "store/supervisor_releases.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;

struct Order {
    QString number;
    QStringList items;   // not settled or cancelled, by number
    QList<double> prices;
};

// A pending order of branch 0001 with two or more priced items, whose
// parameter prices are their prices, so that the band is around them.
Order pendingOrder(const QSqlDatabase& db)
{
    const QList<QVariantList> found = PedTest::rowsOf(
        db, QStringLiteral("SELECT P.NRPEDIDO FROM PEDIDO P WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO = '1'"
                           " AND (SELECT COUNT(*) FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                           "      AND I.IDSITITEMPED NOT IN ('4', '5', '6') AND I.VRPREUNITPED > 1) >= 2"
                           " ORDER BY P.NRPEDIDO"));
    if (found.isEmpty())
        qFatal("the demo database has no pending order");
    Order order{found.first().first().toString(), {}, {}};
    execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET VRPRPARPRECO = VRPREUNITPED, VRDESITPED = 0 WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
            {order.number});
    for (const QVariantList& row : PedTest::rowsOf(db, QStringLiteral("SELECT NRITEMPED, VRPREUNITPED FROM ITEMPEDIDO"
                                                                      " WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"
                                                                      " AND IDSITITEMPED NOT IN ('4', '5', '6') ORDER BY NRITEMPED"),
                                                   {order.number})) {
        order.items << row.at(0).toString();
        order.prices << row.at(1).toDouble();
    }
    return order;
}

QList<double> storedPrices(const QSqlDatabase& db, const Order& order)
{
    QList<double> prices;
    for (const QString& item : order.items)
        prices << selectValue(db, QStringLiteral("SELECT VRPREUNITPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?"),
                              {order.number, item})
                      .toDouble();
    return prices;
}

QJsonArray previewArgs(const Order& order, bool onlySelected, const QString& kind, double value, const QString& action)
{
    return {QStringLiteral("0001"), order.number, order.items.first(), onlySelected, kind, value, action};
}

QJsonArray storeArgs(const Order& order, bool onlySelected, const QString& kind, double value, const QString& action,
                     const QString& operatorCode = QStringLiteral("DEMO"), bool checkPermission = true)
{
    QJsonArray args = previewArgs(order, onlySelected, kind, value, action);
    args << operatorCode << checkPermission;
    return args;
}

} // namespace

class TestUnitPriceMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void previaEhOQueGrava_data();
    void previaEhOQueGrava();
    void faixa_data();
    void faixa();
    void argumentosRecusados_data();
    void argumentosRecusados();

private:
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray& params, const QString& operatorCode = QStringLiteral("DEMO"))
    {
        return PedTest::callMethod(m_registry, db, lanPedido, method, params, operatorCode);
    }
    void restore(const QSqlDatabase& db)
    {
        for (qsizetype i = 0; i < m_order.items.size(); ++i)
            execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?"),
                    {m_order.prices.at(i), m_order.number, m_order.items.at(i)});
        execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET IDPERALTPRECO = 'S', DSPERALTMAIOR = '10', DSPERALTMENOR = '5',"
                                   " CDGRUALTPRECO = '01' WHERE CDFILIAL = '0001'"));
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
    Order m_order;
};

#define OPEN_BACKEND()                        \
    PED_OPEN_BACKEND(m_backends, backend);    \
    m_order = pendingOrder(db);               \
    const auto restored = qScopeGuard([&] { restore(db); })

void TestUnitPriceMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_unit_price_methods"));
}

void TestUnitPriceMethods::previaEhOQueGrava_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("onlySelected");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("action");
    for (const char* kind : {"sqlite", "postgresql"}) {
        QTest::addRow("%s, selected item up 7,5 %%", kind) << QString::fromUtf8(kind) << true << "P" << 7.5 << "A";
        QTest::addRow("%s, every item down 3 %%", kind) << QString::fromUtf8(kind) << false << "P" << 3.0 << "D";
        QTest::addRow("%s, every item up 10 %%, the band's edge", kind) << QString::fromUtf8(kind) << false << "P" << 10.0 << "A";
    }
}

void TestUnitPriceMethods::previaEhOQueGrava()
{
    OPEN_BACKEND();
    QFETCH(bool, onlySelected);
    QFETCH(QString, tipo);
    QFETCH(double, value);
    QFETCH(QString, action);
    QJsonArray preview = previewArgs(m_order, onlySelected, tipo, value, action);
    const QJsonArray answer = call(db, QStringLiteral("SetGeraItemPed"), preview).toArray();
    const DataPacket rows = PedTest::packetOf(answer.at(0));
    QCOMPARE(rows.rows.size(), onlySelected ? 1 : m_order.items.size());
    QCOMPARE(storedPrices(db, m_order), m_order.prices);   // a preview stores nothing

    QJsonArray store = storeArgs(m_order, onlySelected, tipo, value, action);
    QCOMPARE(call(db, QStringLiteral("SetPreco"), store).toString(), QStringLiteral("OK"));
    const QList<double> after = storedPrices(db, m_order);
    double total = 0;
    for (qsizetype i = 0; i < m_order.items.size(); ++i) {
        const bool changed = !onlySelected || i == 0;
        const double factor = action == u"A" ? 1 + value / 100 : 1 - value / 100;
        QCOMPARE(after.at(i), changed ? RoundDec(m_order.prices.at(i) * factor, 2) : m_order.prices.at(i));
        if (!changed)
            continue;
        QCOMPARE(PedTest::value(rows, int(i), QStringLiteral("VRPREUNITPED")).toDouble(), after.at(i));
        QCOMPARE(PedTest::value(rows, int(i), QStringLiteral("IDPRECOOK")).toString(), QStringLiteral("S"));
        total += PedTest::value(rows, int(i), QStringLiteral("VRTOTALITPED")).toDouble();
    }
    QCOMPARE(answer.at(1).toDouble(), RoundDec(total, 2));
    // The stored taxes follow the first item's new price.
    const QVariant goods = PedTest::rowsOf(db, QStringLiteral("SELECT MAX(VRCONTIMPITPED) FROM ITEMPEDIMPOS WHERE CDFILIAL = '0001'"
                                                              " AND NRPEDIDO = ? AND NRITEMPED = ?"),
                                           {m_order.number, m_order.items.first()})
                               .value(0)
                               .value(0);
    const double quantity = PedTest::value(rows, 0, QStringLiteral("QTITEMPED")).toDouble();
    if (!goods.isNull())
        QCOMPARE(goods.toDouble(), goodsValue(after.first(), quantity));
}

// Outside the band: the key, the preview's IDPRECOOK "N", nothing stored;
// unchecked (checkPermission false) it is stored where a group is named and
// a supervisor's release was recorded for the operator, which it uses up.
void TestUnitPriceMethods::faixa_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("action");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<bool>("checkPermission");
    QTest::addColumn<QString>("parameters");   // SET clause for branch 0001's PARAMPEDIDO; empty: as in the demo
    QTest::addColumn<int>("releasedAgo");      // seconds since the operator's release; -1: none
    QTest::addColumn<QString>("answer");       // "!": refused with a message
    QTest::addColumn<QString>("idPrecoOk");
    struct Case {
        const char* name;
        const char* action;
        double value;
        const char* operatorCode;
        bool check;
        const char* parameters;
        int releasedAgo;
        const char* answer;
        const char* ok;
    };
    const Case cases[] = {
        {"up 15 %", "A", 15, "DEMO", true, "", -1, "ALTMAIOR_10", "N"},
        {"down 8 %", "D", 8, "DEMO", true, "", -1, "ALTMENOR_5", "N"},
        {"operator of another group", "A", 2, "MARIA", true, "", -1, "OP_N_AUT", "S"},
        {"released", "A", 15, "DEMO", false, "", 10, "OK", "N"},
        {"another group's operator released", "A", 2, "MARIA", false, "", 0, "OK", "S"},
        {"unchecked without a release", "A", 15, "DEMO", false, "", -1, "!", "N"},
        {"another group's operator unchecked without a release", "A", 2, "MARIA", false, "", -1, "!", "S"},
        {"release too old", "A", 15, "DEMO", false, "", 301, "!", "N"},
        {"group's operator unchecked inside the band", "A", 2, "DEMO", false, "", -1, "OK", "S"},
        {"no group", "A", 15, "DEMO", true, "CDGRUALTPRECO = NULL", -1, "DSPERALTMAIOR", "N"},
        {"no group, released all the same", "D", 8, "DEMO", false, "CDGRUALTPRECO = NULL", 0, "DSPERALTMENOR", "N"},
        {"no group, inside", "A", 5, "MARIA", true, "CDGRUALTPRECO = NULL", -1, "OK", "S"},
        {"no raise limit", "A", 50, "DEMO", true, "DSPERALTMAIOR = NULL", -1, "OK", "S"},
        {"prices may not change", "A", 1, "DEMO", false, "IDPERALTPRECO = 'N'", 0, "IDPERALTPRECO", "S"},
    };
    for (const char* kind : {"sqlite", "postgresql"})
        for (const Case& c : cases)
            QTest::addRow("%s, %s", kind, c.name) << QString::fromUtf8(kind) << c.action << c.value << c.operatorCode << c.check
                                                  << c.parameters << c.releasedAgo << c.answer << c.ok;
}

void TestUnitPriceMethods::faixa()
{
    OPEN_BACKEND();
    QFETCH(QString, action);
    QFETCH(double, value);
    QFETCH(QString, operatorCode);
    QFETCH(bool, checkPermission);
    QFETCH(QString, parameters);
    QFETCH(int, releasedAgo);
    QFETCH(QString, answer);
    QFETCH(QString, idPrecoOk);
    if (!parameters.isEmpty())
        execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET %1 WHERE CDFILIAL = '0001'").arg(parameters));
    QJsonArray preview = previewArgs(m_order, false, QStringLiteral("P"), value, action);
    const DataPacket rows = PedTest::packetOf(call(db, QStringLiteral("SetGeraItemPed"), preview).toArray().at(0));
    QCOMPARE(PedTest::value(rows, 0, QStringLiteral("IDPRECOOK")).toString(), idPrecoOk);

    execSql(db, QStringLiteral("DELETE FROM LIBERACAOSUPERV"));
    if (releasedAgo >= 0)
        recordSupervisorRelease(db, operatorCode, 14, QStringLiteral("SUPER"), QDateTime::currentSecsSinceEpoch() - releasedAgo);
    QJsonArray store = storeArgs(m_order, false, QStringLiteral("P"), value, action, operatorCode, checkPermission);
    if (answer == u"!") {
        const std::optional<QString> refused = PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("SetPreco"), store, operatorCode);
        QVERIFY(refused && refused->startsWith(u"Alteração de preço sem liberação do supervisor"));
    } else {
        QCOMPARE(call(db, QStringLiteral("SetPreco"), store, operatorCode).toString(), answer);
    }
    // A release serves one change only.
    if (answer == u"OK" && !checkPermission && releasedAgo >= 0)
        QCOMPARE(selectValue(db, QStringLiteral("SELECT COUNT(*) FROM LIBERACAOSUPERV")).toInt(), 0);
    const QList<double> after = storedPrices(db, m_order);
    for (qsizetype i = 0; i < after.size(); ++i)
        QCOMPARE(after.at(i), answer == u"OK" ? PedTest::value(rows, int(i), QStringLiteral("VRPREUNITPED")).toDouble()
                                              : m_order.prices.at(i));
}

void TestUnitPriceMethods::argumentosRecusados_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("index");         // the argument of SetPreco changed
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");   // the refusal begins with it
    struct Case {
        const char* name;
        int index;
        QJsonValue value;
        const char* message;
    };
    const Case cases[] = {
        {"unknown kind", 4, QStringLiteral("X"), "Tipo de alteração inválido(a)"},
        {"unknown action", 6, QStringLiteral("S"), "Ação da alteração inválido(a)"},
        {"no percentage", 5, 0.0, "Percentual de alteração"},
        {"negative percentage", 5, -3.0, "Percentual de alteração"},
        {"a decrease of 100 %", 5, 100.0, "O percentual de desconto não pode"},
        {"selected item empty", 2, QString(), "Informe o item"},
        {"item not stored", 2, QStringLiteral("999"), "Item 999"},
        {"item too long", 2, QString(11, u'9'), "Item do pedido inválido(a)"},
        {"order not stored", 1, QStringLiteral("9999999999"), "Pedido 9999999999"},
        {"branch empty", 0, QString(), "Informe a filial"},
        {"another operator", 7, QStringLiteral("MARIA"), "Operador \"MARIA\""},
    };
    for (const char* kind : {"sqlite", "postgresql"})
        for (const Case& c : cases)
            QTest::addRow("%s, %s", kind, c.name) << QString::fromUtf8(kind) << c.index << c.value << c.message;
}

// Both methods refuse alike (SetGeraItemPed takes SetPreco's first seven).
void TestUnitPriceMethods::argumentosRecusados()
{
    OPEN_BACKEND();
    QFETCH(int, index);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    QJsonArray store = storeArgs(m_order, true, QStringLiteral("P"), 5, QStringLiteral("D"));
    store[index] = value;
    const std::optional<QString> refused = PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("SetPreco"), store);
    QVERIFY(refused);
    QVERIFY2(refused->startsWith(message), qPrintable(*refused));
    if (index < 7) {
        QJsonArray preview = store;
        preview.removeLast();
        preview.removeLast();
        const std::optional<QString> previewRefused =
            PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("SetGeraItemPed"), preview);
        QCOMPARE(previewRefused, refused);
    }
    QCOMPARE(storedPrices(db, m_order), m_order.prices);
}

QTEST_GUILESS_MAIN(TestUnitPriceMethods)
#include "tst_unit_price_methods.moc"
