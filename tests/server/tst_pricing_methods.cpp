// The pricing methods of the order screen on the demo database (SQLite, and
// PostgreSQL when PED_TEST_PG_URL is set): the price-table row of a product
// in every validity case, the check of an order's prices before repricing,
// the base prices of a customer, optional prices, the commission discount
// and the change of the items' delivery date.

#include "datapacket.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "money.h"
#include "modules/modules.h"
#include "modules/packet_sql.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QDate>
#include <QJsonArray>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;

using PedTest::packetOf;
using PedTest::value;

QString today()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

// The typed code of the first product (by CDPRODUTO) the condition finds.
QString productWhere(const QSqlDatabase& db, const QString& condition)
{
    const QVariant code = selectValue(db, QStringLiteral("SELECT P.CDARVPROD FROM PRODUTO P WHERE ") + condition
                                              + QStringLiteral(" ORDER BY P.CDPRODUTO LIMIT 1"));
    if (!code.isValid())
        qFatal("no demo product where %s", qPrintable(condition));
    return code.toString();
}

// Named cases of the demo price tables.
QString demoProduct(const QSqlDatabase& db, const QString& name)
{
    const QString table = QStringLiteral("EXISTS (SELECT 1 FROM ITEMPRECOBASE I WHERE I.CDPRODUTO = P.CDPRODUTO AND ");
    if (name == u"normal")
        return productWhere(db, table + QStringLiteral("I.CDPRECOBASE = '01' AND I.IDITPEDDIFER = 'N')"));
    if (name == u"promotion")
        return productWhere(db, table + QStringLiteral("I.CDPRECOBASE = '01' AND I.IDITPEDDIFER = 'P' AND I.IDPRECOPROM = 'S'"
                                                       " AND I.DTINIVALIPB < CURRENT_TIMESTAMP AND I.DTFIMVALIPB > CURRENT_TIMESTAMP)"));
    if (name == u"promotion ended")
        return productWhere(db, table + QStringLiteral("I.CDPRECOBASE = '01' AND I.IDITPEDDIFER = 'P')")
                                    + QStringLiteral(" AND NOT ") + table
                                    + QStringLiteral("I.CDPRECOBASE = '01' AND I.IDITPEDDIFER = 'P' AND I.DTFIMVALIPB > CURRENT_TIMESTAMP)"));
    if (name == u"not in government table")
        return productWhere(db, QStringLiteral("NOT ") + table + QStringLiteral("I.CDPRECOBASE = '03')"));
    if (name == u"contract renewed")
        return productWhere(db, QStringLiteral("(SELECT COUNT(*) FROM ITEMPRECOBASE I WHERE I.CDPRODUTO = P.CDPRODUTO"
                                               " AND I.CDPRECOBASE = '04') = 2"));
    if (name == u"contract ended")
        return productWhere(db, table + QStringLiteral("I.CDPRECOBASE = '04' AND I.DTFIMVALIPB IS NOT NULL)")
                                    + QStringLiteral(" AND NOT ") + table + QStringLiteral("I.CDPRECOBASE = '04' AND I.DTFIMVALIPB IS NULL)"));
    if (name == u"contract next month")
        return productWhere(db, table + QStringLiteral("I.CDPRECOBASE = '04' AND I.DTINIVALIPB > CURRENT_TIMESTAMP)"));
    if (name == u"no contract")
        return productWhere(db, QStringLiteral("NOT ") + table + QStringLiteral("I.CDPRECOBASE = '04')"));
    qFatal("unknown demo product %s", qPrintable(name));
}

} // namespace

class TestPricingMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void getPreco_data();
    void getPreco();
    void vdPrecoOk_data() { PedTest::DemoBackends::addKinds(); }
    void vdPrecoOk();
    void pesqPrcBase_data() { PedTest::DemoBackends::addKinds(); }
    void pesqPrcBase();
    void condDescParamOpcionaisComissao_data() { PedTest::DemoBackends::addKinds(); }
    void condDescParamOpcionaisComissao();
    void setMudaData_data() { PedTest::DemoBackends::addKinds(); }
    void setMudaData();

private:
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray params)
    {
        return PedTest::callMethod(m_registry, db, lanPedido, method, params);
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND() PED_OPEN_BACKEND(m_backends, backend)

void TestPricingMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_pricing_methods"));
}

void TestPricingMethods::getPreco_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("basePrice");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("modality");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("priceKind");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<double>("adjustment");
    QTest::addColumn<QString>("rowKind");

    struct Case {
        const char* name;
        const char* product;
        const char* basePrice;
        const char* branch;
        const char* modality;
        const char* customer;
        const char* priceKind;
        const char* refusal;
        double adjustment;
        const char* rowKind;
    };
    const Case cases[] = {
        {"normal price, no kind, 2.5 % for 30/60/90", "normal", "01", "0001", "00003", "", "", "", 2.5, "N"},
        {"normal price, kind N, cash -3 %", "normal", "01", "0001", "00001", "", "N", "", -3.0, "N"},
        {"modality without parameter: 0 %", "normal", "01", "0001", "00006", "", "", "", 0.0, "N"},
        {"promotion in force", "promotion", "01", "0001", "00002", "", "P", "", 0.0, "P"},
        {"promotion ended yesterday", "promotion ended", "01", "0001", "00002", "", "P", "PRECO_N_VIGOR", 0.0, ""},
        {"no promotion at all", "normal", "03", "0001", "00002", "", "P", "PRECO_NAO_CAD", 0.0, ""},
        {"not in the government table", "not in government table", "03", "0001", "00002", "", "", "PRECO_NAO_CAD", 0.0, ""},
        {"contract renewed: the window in force", "contract renewed", "04", "0001", "00002", "000002", "", "", 0.0, "N"},
        {"contract ended last month", "contract ended", "04", "0001", "00002", "000002", "", "PRECO_N_VIGOR", 0.0, ""},
        {"contract starts next month", "contract next month", "04", "0001", "00002", "000002", "", "PRECO_N_VIGOR", 0.0, ""},
        {"customer without tables of its own may use it", "contract renewed", "04", "0001", "00002", "000029", "", "", 0.0, "N"},
        {"customer tied to other tables", "contract renewed", "04", "0001", "00002", "000001", "", "PRECO_NAO_CAD", 0.0, ""},
        {"base price not offered at the branch", "normal", "01", "0002", "00002", "", "", "PRECO_NAO_CAD", 0.0, ""},
        {"typed price has no row", "normal", "01", "0001", "00002", "", "O", "PRECO_NAO_CAD", 0.0, ""},
        {"unknown product", "", "01", "0001", "00002", "", "", "PRECO_NAO_CAD", 0.0, ""},
    };
    for (const char* kind : {"sqlite", "postgresql"})
        for (const Case& c : cases)
            QTest::addRow("%s %s", kind, c.name) << QString::fromLatin1(kind) << QString::fromLatin1(c.product)
                                                 << c.basePrice << c.branch << c.modality << c.customer << c.priceKind
                                                 << c.refusal << c.adjustment << c.rowKind;
}

void TestPricingMethods::getPreco()
{
    OPEN_BACKEND();
    QFETCH(QString, product);
    QFETCH(QString, basePrice);
    QFETCH(QString, branch);
    QFETCH(QString, modality);
    QFETCH(QString, customer);
    QFETCH(QString, priceKind);
    QFETCH(QString, refusal);
    QFETCH(QString, rowKind);
    const QString code = product.isEmpty() ? QStringLiteral("NAO-EXISTE") : demoProduct(db, product);

    const QJsonArray answer = call(db, QStringLiteral("GetPreco"),
                                   {basePrice, code, QStringLiteral("01"), branch, modality, today(), customer, priceKind})
                                  .toArray();
    QCOMPARE(answer.size(), 3);
    // Repricing asks for many products at once: the same answer for each, in the order asked.
    const QJsonArray none = call(db, QStringLiteral("GetPreco"), {basePrice, QStringLiteral("NAO-EXISTE"), QStringLiteral("01"),
                                                                  branch, modality, today(), customer, priceKind})
                                .toArray();
    QCOMPARE(call(db, QStringLiteral("GetPrecos"), {basePrice, QJsonArray{code, QStringLiteral("NAO-EXISTE"), code},
                                                    QStringLiteral("01"), branch, modality, today(), customer, priceKind}),
             QJsonValue(QJsonArray{answer, none, answer}));
    const DataPacket row = packetOf(answer.at(0));
    const DataPacket adjustment = packetOf(answer.at(1));
    QCOMPARE(PedTest::fieldNames(row), PedTest::names("VRITEPREBASE CDARVPROD CDPRECOBASE DTINIVALIPB DTFIMVALIPB IDITPEDDIFER IDPRECOPROM CDPRODUTO"));
    QCOMPARE(PedTest::fieldNames(adjustment), PedTest::names("VRPEADPBASE"));
    if (!refusal.isEmpty()) {
        QCOMPARE(answer.at(2).toString(), refusal);
        QCOMPARE(row.rows.size(), 0);
        return;
    }
    QVERIFY(answer.at(2).isNull());
    QCOMPARE(row.rows.size(), 1);
    QCOMPARE(value(row, 0, "CDARVPROD").toString(), code);
    QCOMPARE(value(row, 0, "IDITPEDDIFER").toString(), rowKind);
    QTEST(value(adjustment, 0, "VRPEADPBASE").toDouble(), "adjustment");
    const double stored = selectValue(db, QStringLiteral("SELECT I.VRITEPREBASE FROM ITEMPRECOBASE I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                                         " WHERE P.CDARVPROD = ? AND I.CDPRECOBASE = ? AND I.IDITPEDDIFER = ?"
                                                         " AND I.DTFIMVALIPB IS NULL OR (P.CDARVPROD = ? AND I.CDPRECOBASE = ?"
                                                         " AND I.IDITPEDDIFER = ? AND I.DTFIMVALIPB > CURRENT_TIMESTAMP"
                                                         " AND I.DTINIVALIPB < CURRENT_TIMESTAMP)"),
                                      {code, basePrice, rowKind, code, basePrice, rowKind})
                              .toDouble();
    QCOMPARE(value(row, 0, "VRITEPREBASE").toDouble(), stored);
}

void TestPricingMethods::vdPrecoOk()
{
    OPEN_BACKEND();
    const QString priced = demoProduct(db, QStringLiteral("contract renewed"));
    const QString ended = demoProduct(db, QStringLiteral("contract ended"));
    const QString none = demoProduct(db, QStringLiteral("no contract"));
    auto productOf = [&](const QString& code) {
        return selectValue(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE CDARVPROD = ?"), {code}).toString();
    };
    auto items = [&](const QList<std::pair<QString, QString>>& codesAndStatus) {
        DataPacket packet;
        packet.fields = {textField(QStringLiteral("NRITEMPED"), 10), textField(QStringLiteral("CDARVPROD"), 20),
                         textField(QStringLiteral("CDPRODUTO"), 10), textField(QStringLiteral("IDSITITEMPED"), 1)};
        int n = 0;
        for (const auto& [code, status] : codesAndStatus)
            packet.rows.append({QStringLiteral("%1").arg(++n, 10, 10, QLatin1Char('0')), code, productOf(code), status});
        return packet.toJson();
    };
    const QString customer = QStringLiteral("000002");

    QVERIFY(call(db, QStringLiteral("VD_PRECOOK"), {QStringLiteral("04"), today(), items({{priced, "1"}}), customer}).isNull());
    // A cancelled item is not repriced.
    QVERIFY(call(db, QStringLiteral("VD_PRECOOK"), {QStringLiteral("04"), today(), items({{priced, "1"}, {none, "5"}}), customer}).isNull());

    const DataPacket problems = packetOf(call(db, QStringLiteral("VD_PRECOOK"),
                                              {QStringLiteral("04"), today(), items({{priced, "1"}, {ended, "1"}, {none, "2"}}), customer}));
    QCOMPARE(PedTest::fieldNames(problems), PedTest::names("CDFILIAL NRPEDIDO NRITEMPED CDARVPROD NMPRODUTO CDERRO DSERRO"));
    QCOMPARE(problems.rows.size(), 2);
    QCOMPARE(value(problems, 0, "NRITEMPED").toString(), QStringLiteral("0000000002"));
    QCOMPARE(value(problems, 0, "CDERRO").toString(), QStringLiteral("PRECO_N_VIGOR"));
    QCOMPARE(value(problems, 1, "CDARVPROD").toString(), none);
    QCOMPARE(value(problems, 1, "CDERRO").toString(), QStringLiteral("PRECO_NAO_CAD"));

    // A reseller tied to its own table may not take the contract.
    const DataPacket tied = packetOf(call(db, QStringLiteral("VD_PRECOOK"),
                                          {QStringLiteral("04"), today(), items({{priced, "1"}}), QStringLiteral("000001")}));
    QCOMPARE(tied.rows.size(), 1);
    QVERIFY(call(db, QStringLiteral("VD_PRECOOK"), {QStringLiteral("04"), today(), items({}), customer}).isNull());
}

void TestPricingMethods::pesqPrcBase()
{
    OPEN_BACKEND();
    auto idPesq = [](const DataPacket& p) {
        QStringList rows;
        for (int i = 0; i < p.rows.size(); ++i)
            rows.append(value(p, i, "IDPESQ").toString() + value(p, i, "CDPRECOBASE").toString());
        return rows.join(u' ');
    };
    const DataPacket hospital = packetOf(call(db, QStringLiteral("GetPesqPrcBase"), {QStringLiteral("000002")}));
    QCOMPARE(PedTest::fieldNames(hospital), PedTest::names("CDPRECOBASE DSPRECOBASE IDPESQ IDULTPRECPROMO"));
    QCOMPARE(idPesq(hospital), QStringLiteral("101 102 104 201 202 203 204"));
    QCOMPARE(value(hospital, 2, "DSPRECOBASE").toString(), QStringLiteral("Contrato Hospitalar"));
    const DataPacket person = packetOf(call(db, QStringLiteral("GetPesqPrcBase"), {QStringLiteral("000029")}));
    QCOMPARE(idPesq(person), QStringLiteral("201 202 203 204"));
}

void TestPricingMethods::condDescParamOpcionaisComissao()
{
    OPEN_BACKEND();
    const DataPacket one = packetOf(call(db, QStringLiteral("GetCondDesc"), {QStringLiteral("T"), QStringLiteral("0000000003")}));
    QCOMPARE(one.rows.size(), 1);
    QCOMPARE(value(one, 0, "QTSEGTPDESC").toDouble(), 2.0);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetCondDesc"), {QStringLiteral("T"), QStringLiteral("0000000006")})).rows.size(), 0);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetCondDesc"), {QStringLiteral("T"), QStringLiteral("9999")})).rows.size(), 0);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetCondDesc"), {QStringLiteral("T"), QString()})).rows.size(), 5);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetCondDesc"), {QStringLiteral("T"), QStringLiteral("T")})).rows.size(), 5);

    QJsonArray paramArgs{QStringLiteral("0001"), QStringLiteral("PARAMPEDIDO")};
    const DataPacket parameters =
        packetOf(PedTest::callMethod(m_registry, db, lanPedido, QStringLiteral("GetParam"), paramArgs));
    QCOMPARE(value(parameters, 0, "CDFILIAL").toString(), QStringLiteral("0001"));
    QCOMPARE(value(parameters, 0, "IDTABPRECO").toString(), QStringLiteral("1"));
    QCOMPARE(paramArgs.at(0).toString(), QStringLiteral("0001"));
    QCOMPARE(packetOf(call(db, QStringLiteral("GetParam"), {QStringLiteral("0009"), QStringLiteral("PARAMPEDIDO")})).rows.size(), 0);

    const QString product = selectValue(db, QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRECOOPCIONAL WHERE CDPRECOBASE = '01'")).toString();
    const DataPacket optional = packetOf(call(db, QStringLiteral("getPrOpcionais"), {product, QStringLiteral("01")}));
    QCOMPARE(PedTest::fieldNames(optional), PedTest::names("SGFATPRECO NMFATPRECO VROPCIOPRBASE PROPCIO"));
    QCOMPARE(optional.rows.size(), 2);
    QVERIFY(value(optional, 0, "VROPCIOPRBASE").toDouble() < value(optional, 1, "VROPCIOPRBASE").toDouble());

    // Factors with cost: the latest cost of the branch's cost type ("01" at
    // 0001) before the product's own; another type's cost does not count.
    const QString withFactors = selectValue(db, QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODFATOR WHERE CDFATPRECO = '003'")).toString();
    const auto factorsOf = [&](const QString& factor, const QString& all) {
        return packetOf(call(db, QStringLiteral("getFatorPre"), {withFactors, factor, all, QStringLiteral("0001")}));
    };
    DataPacket factors = factorsOf(QString(), QStringLiteral("T"));
    QCOMPARE(PedTest::fieldNames(factors), PedTest::names("CDFATPRECO SGFATPRECO NMFATPRECO VRFATPRECO VRCUSTFATPR VRCUSTOPROD"));
    QCOMPARE(factors.rows.size(), 3);
    QCOMPARE(value(factors, 1, "VRCUSTFATPR").toDouble(), RoundDec(value(factors, 1, "VRFATPRECO").toDouble(), 2));
    QCOMPARE(value(factors, 0, "VRCUSTOPROD").toDouble(),
             selectValue(db, QStringLiteral("SELECT VRCUSTPROD FROM PRODUTO WHERE CDPRODUTO = ?"), {withFactors}).toDouble());
    const QDate later = QDate::currentDate().addDays(-1);
    for (const QVariantList& cost : {QVariantList{QStringLiteral("01"), later, 7.25}, QVariantList{QStringLiteral("02"), later.addDays(1), 9.5}})
        execSql(db, QStringLiteral("INSERT INTO HISTCUSTOPROD (CDFILIALHIST, CDPRODUTOHIST, NRTPCUSTORENT, DTHISCUSTO, VRHISCUSTOPROD)"
                                   " VALUES ('0001', ?, ?, ?, ?)"),
                {withFactors, cost.at(0), dayStart(isPostgres(db), cost.at(1).toDate()), cost.at(2)});
    QCOMPARE(value(factorsOf(QString(), QStringLiteral("T")), 2, "VRCUSTOPROD").toDouble(), 7.25);
    factors = factorsOf(QStringLiteral("atac"), QString());
    QCOMPARE(factors.rows.size(), 1);
    QCOMPARE(value(factors, 0, "CDFATPRECO").toString(), QStringLiteral("003"));

    const DataPacket reseller = packetOf(call(db, QStringLiteral("getVrDescClie"), {QStringLiteral("000001")}));
    QCOMPARE(reseller.rows.size(), 1);
    QCOMPARE(value(reseller, 0, "VRDESCCOMISS").toDouble(), 1.5);
    QCOMPARE(packetOf(call(db, QStringLiteral("getVrDescClie"), {QStringLiteral("000002")})).rows.size(), 0);

    // The sales multiple, and the customer's proportions: 2 % from 0 to 99,
    // 5 % from 100 to 999, nothing in between or beyond.
    const QString byUnit = selectValue(db, QStringLiteral("SELECT MIN(CDARVPROD) FROM PRODUTO WHERE QTVOLUMES = 10")).toString();
    QCOMPARE(value(packetOf(call(db, QStringLiteral("GetQtVolumes"), {byUnit})), 0, "QTVOLUMES").toDouble(), 10.0);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetQtVolumes"), {QStringLiteral("nenhum")})).rows.size(), 0);
    const QVariantList proportioned = PedTest::rowsOf(db, QStringLiteral("SELECT P.CDPRODUTO, P.CDARVPROD FROM PRODUTO P JOIN DESCPROPCLIE D"
                                                                         " ON D.CDPRODUTO = P.CDPRODUTO WHERE D.CDCLIENTE = '000001'"
                                                                         " ORDER BY P.CDPRODUTO LIMIT 1")).value(0);
    const QString customer = QStringLiteral("000001");
    for (const auto& [quantity, percent] : QList<std::pair<QString, double>>{
             {QStringLiteral("5"), 2.0}, {QStringLiteral("150,5"), 5.0}, {QStringLiteral("99.5"), -1}, {QStringLiteral("1000"), -1}}) {
        const DataPacket found = packetOf(call(db, QStringLiteral("GetDesconto"), {customer, proportioned.value(0).toString(), quantity}));
        QCOMPARE(found.rows.isEmpty() ? -1.0 : value(found, 0, "VRPERDESC").toDouble(), percent);
    }
    QVERIFY(PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("GetDesconto"),
                               {customer, proportioned.value(0).toString(), QStringLiteral("muitos")})
                .value_or(QString())
                .contains(QStringLiteral("Quantidade inválida")));
    QCOMPARE(value(packetOf(call(db, QStringLiteral("getQtProd"), {proportioned.value(1).toString(), customer})), 0, "QTFINDESC").toDouble(),
             999.0);
    QCOMPARE(packetOf(call(db, QStringLiteral("getQtProd"), {proportioned.value(1).toString(), QStringLiteral("000002")})).rows.size(), 0);
}

void TestPricingMethods::setMudaData()
{
    OPEN_BACKEND();
    const QList<QVariantList> order = PedTest::rowsOf(
        db, QStringLiteral("SELECT CDFILIAL, NRPEDIDO FROM ITEMPEDIDO WHERE IDSITITEMPED = '1' ORDER BY CDFILIAL, NRPEDIDO LIMIT 1"));
    QVERIFY(!order.isEmpty());
    const QString branch = order.first().at(0).toString();
    const QString number = order.first().at(1).toString();
    const qint64 open = selectValue(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                                       " AND IDSITITEMPED NOT IN ('4', '5', '6')"), {branch, number}).toLongLong();
    const QDateTime when(QDate::currentDate().addDays(9), QTime(14, 30));
    QCOMPARE(call(db, QStringLiteral("SetMudaData"), {branch, number, when.toString(Qt::ISODate)}).toInteger(), open);
    const QDateTime stored = selectValue(db, QStringLiteral("SELECT MIN(DTENTITPED) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                                            " AND IDSITITEMPED = '1'"), {branch, number}).toDateTime();
    QCOMPARE(stored, when);
    QCOMPARE(call(db, QStringLiteral("SetMudaData"), {branch, QString(), when.toString(Qt::ISODate)}).toInteger(), 0);
}

QTEST_GUILESS_MAIN(TestPricingMethods)
#include "tst_pricing_methods.moc"
