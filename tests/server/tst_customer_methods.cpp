// The customer, the order note and the opening set of a branch, called
// through the registry as the dispatcher calls them, on SQLite and (when
// PED_TEST_PG_URL is set) PostgreSQL demo databases.

#include "datapacket.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;

using PedTest::fieldNames;
using PedTest::names;
using PedTest::packetOf;

QVariant value(const DataPacket& packet, const QString& field)
{
    return PedTest::value(packet, 0, field);
}

const QStringList customerFields = names(
    "CDCLIENTE IDTPIJURCLIE CDVENDEDOR IDTPIJURVEN VRPECOMVEN NMFANVEN NRINSJURCLIE NMFANTCLIE NMRAZSOCCLIE NMPAIS "
    "SGESTADO NMMUNICIPIO DSENDECLIE IDGRAVOBSCLIPED IDPGFRETTRANCLI IDTIPOCLIE CDTIPOOPERPED CDGRUPOFISC DSOBSERVCLIE "
    "NRINSESTCLIE IDENDEMISCLI VRPEMAXDESCL IDBLOQUEADO NRTELECLIE NRINSJURTRAN IDTPIJURTRAN CDTIPTRANS NMFANTTRAN "
    "NMTIPTRANS CDMODPGTO DSMODPGTO CDTIPODESC NMTIPODESC QTPRITPDESC QTSEGTPDESC QTTERTPDESC QTQUATPDESC QTQUITPDESC "
    "QTSEXTPDESC QTSETTPDESC QTOITTPDESC CDPRECOBASE ULT_NRPEDIDO NMTIPOOPER IDENTRSAIDOP IDORIGDESTOP CDROTATRANS "
    "NMROTATRANS IDLOCALENTREGACLIE IDPESQTRANSP");

// A customer without a modality of its own, to see the order's one kept.
void addTestRows(QSqlDatabase& db)
{
    execSql(db, QStringLiteral("UPDATE CLIENTE SET CDMODPGTO = NULL WHERE CDCLIENTE = '000105'"));
}

} // namespace

class TestCustomerMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void methodsAreDeclared();
    void clienteRestrictions_data();
    void clienteRestrictions();
    void clienteBringsItsOrderData_data() { PedTest::DemoBackends::addKinds(); }
    void clienteBringsItsOrderData();
    void clienteLatestOrderPerBranch_data() { PedTest::DemoBackends::addKinds(); }
    void clienteLatestOrderPerBranch();
    void obser_data() { PedTest::DemoBackends::addKinds(); }
    void obser();
    void aberturaPerBranch_data();
    void aberturaPerBranch();
    void aberturaLoggedSeller_data();
    void aberturaLoggedSeller();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();

private:
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray params);

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND() PED_OPEN_BACKEND(m_backends, backend)

void TestCustomerMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_customer_methods"), addTestRows);
}

void TestCustomerMethods::cleanupTestCase()
{
    m_backends.close();
}

QJsonValue TestCustomerMethods::call(QSqlDatabase db, const QString& method, QJsonArray params)
{
    return PedTest::callMethod(m_registry, db, lanPedido, method, params);
}

void TestCustomerMethods::methodsAreDeclared()
{
    const struct { const char* name; int argCount; } expected[] = {{"GetCliente", 6}, {"GetObser", 2}};
    for (const auto& method : expected) {
        const MethodSpec* spec = m_registry.find(lanPedido, QLatin1String(method.name));
        QVERIFY2(spec, method.name);
        QCOMPARE(spec->args.size(), method.argCount);
        QVERIFY(spec->readOnly);
        QVERIFY(spec->needsSession);
    }
    QCOMPARE(m_registry.find(lanPedido, QStringLiteral("GetCliente"))->args.at(0).kind, ArgKind::Boolean);
}

// Who is found: the mode filters blocked customers, a fixed logged-in
// seller sees only customers of that seller.
void TestCustomerMethods::clienteRestrictions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("seller");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("found");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromLatin1(kind);
        QTest::addRow("%s any seller", kind) << k << false << "0002" << "000001" << "T" << true;
        QTest::addRow("%s fixed, own customer", kind) << k << true << "0001" << "000001" << "T" << true;
        QTest::addRow("%s fixed, other seller's customer", kind) << k << true << "0002" << "000001" << "T" << false;
        QTest::addRow("%s fixed without seller", kind) << k << true << "" << "000001" << "T" << false;
        QTest::addRow("%s blocked, all modes", kind) << k << false << "" << "000003" << "T" << true;
        QTest::addRow("%s blocked, not blocked only", kind) << k << false << "" << "000003" << "N" << false;
        QTest::addRow("%s blocked, blocked only", kind) << k << false << "" << "000003" << "S" << true;
        QTest::addRow("%s unknown", kind) << k << false << "" << "999999" << "T" << false;
        QTest::addRow("%s quote in the code", kind) << k << false << "" << "' OR '1'='1" << "T" << false;
        QTest::addRow("%s empty code", kind) << k << false << "" << "" << "T" << false;
    }
}

void TestCustomerMethods::clienteRestrictions()
{
    OPEN_BACKEND();
    QFETCH(bool, fixed);
    QFETCH(QString, seller);
    QFETCH(QString, customer);
    QFETCH(QString, mode);
    QFETCH(bool, found);
    const DataPacket packet = packetOf(call(db, QStringLiteral("GetCliente"), {fixed, seller, customer, mode, QStringLiteral("0001"), QString()}));
    QCOMPARE(fieldNames(packet), customerFields);
    QCOMPARE(packet.rows.size(), found ? 1 : 0);
    if (found)
        QCOMPARE(value(packet, QStringLiteral("CDCLIENTE")).toString(), customer);
}

void TestCustomerMethods::clienteBringsItsOrderData()
{
    OPEN_BACKEND();
    const DataPacket horizonte = packetOf(call(db, QStringLiteral("GetCliente"),
                                               {false, QString(), QStringLiteral("000103"), QStringLiteral("T"), QStringLiteral("0001"),
                                                QStringLiteral("00001")}));
    QCOMPARE(horizonte.rows.size(), 1);
    const QVariantMap expected = {
        {QStringLiteral("CDVENDEDOR"), QStringLiteral("0005")}, {QStringLiteral("NMFANVEN"), QStringLiteral("Sérgio Nogueira")},
        {QStringLiteral("CDPRECOBASE"), QStringLiteral("03")}, {QStringLiteral("CDTIPOOPERPED"), QStringLiteral("05")},
        {QStringLiteral("NMTIPOOPER"), QStringLiteral("Bonificação")}, {QStringLiteral("IDORIGDESTOP"), QStringLiteral("C")},
        {QStringLiteral("CDTIPODESC"), QStringLiteral("0000000003")}, {QStringLiteral("NMTIPODESC"), QStringLiteral("Revenda 5% + 2%")},
        {QStringLiteral("CDTIPTRANS"), QStringLiteral("0002")}, {QStringLiteral("NMTIPTRANS"), QStringLiteral("Aéreo")},
        {QStringLiteral("IDPGFRETTRANCLI"), QStringLiteral("2")}, {QStringLiteral("CDMODPGTO"), QStringLiteral("00004")},
        {QStringLiteral("DSMODPGTO"), QStringLiteral("Dia fixo 10 - 3 parcelas")}, {QStringLiteral("IDPESQTRANSP"), QStringLiteral("P")},
        {QStringLiteral("NMMUNICIPIO"), QStringLiteral("São Paulo")}, {QStringLiteral("NMPAIS"), QStringLiteral("Brasil")},
        {QStringLiteral("DSENDECLIE"), QStringLiteral("Avenida do Estado, 5533")}, {QStringLiteral("IDBLOQUEADO"), QStringLiteral("N")},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(value(horizonte, it.key()).toString(), it.value().toString());
    QCOMPARE(value(horizonte, QStringLiteral("QTSEGTPDESC")).toDouble(), 2.0);
    QVERIFY(!value(horizonte, QStringLiteral("NMFANTTRAN")).toString().isEmpty());
    QVERIFY(value(horizonte, QStringLiteral("ULT_NRPEDIDO")).isNull());

    // Without a modality of its own the customer keeps the order's.
    const DataPacket semModalidade = packetOf(call(db, QStringLiteral("GetCliente"),
                                                   {false, QString(), QStringLiteral("000105"), QStringLiteral("T"),
                                                    QStringLiteral("0001"), QStringLiteral("00006")}));
    QCOMPARE(value(semModalidade, QStringLiteral("CDMODPGTO")).toString(), QStringLiteral("00006"));
    QCOMPARE(value(semModalidade, QStringLiteral("DSMODPGTO")).toString(), QStringLiteral("PIX antecipado"));
    QCOMPARE(value(semModalidade, QStringLiteral("IDGRAVOBSCLIPED")).toString(), QStringLiteral("S"));
    QVERIFY(value(semModalidade, QStringLiteral("DSOBSERVCLIE")).toString().startsWith(QStringLiteral("Entregar somente")));
}

void TestCustomerMethods::clienteLatestOrderPerBranch()
{
    OPEN_BACKEND();
    const QString customer = selectValue(db, QStringLiteral("SELECT MIN(CDCLIENTE) FROM PEDIDO WHERE CDFILIAL = '0001'")).toString();
    const QString latest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001' AND CDCLIENTE = ?"),
                                       {customer}).toString();
    QVERIFY(!latest.isEmpty());
    auto ultimo = [&](const char* branch) {
        const DataPacket packet = packetOf(call(db, QStringLiteral("GetCliente"),
                                                {false, QString(), customer, QStringLiteral("T"), QString::fromLatin1(branch), QString()}));
        return value(packet, QStringLiteral("ULT_NRPEDIDO"));
    };
    QCOMPARE(ultimo("0001").toString(), latest);
    QVERIFY(ultimo("0003").isNull());
}

void TestCustomerMethods::obser()
{
    OPEN_BACKEND();
    const QString order = selectValue(db, QStringLiteral("SELECT MIN(NRPEDIDO) FROM OBSPEDIDO WHERE CDFILIAL = '0001'")).toString();
    const QString text = selectValue(db, QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                                     {order}).toString();
    QVERIFY(!text.isEmpty());
    const DataPacket note = packetOf(call(db, QStringLiteral("GetObser"), {QStringLiteral("0001"), order}));
    QCOMPARE(fieldNames(note), names("CDFILIAL NRPEDIDO TXOBSPED"));
    QCOMPARE(note.rows.size(), 1);
    QCOMPARE(value(note, QStringLiteral("TXOBSPED")).toString(), text);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetObser"), {QStringLiteral("0003"), order})).rows.size(), 0);
    QCOMPARE(packetOf(call(db, QStringLiteral("GetObser"), {QStringLiteral("0001"), QString()})).rows.size(), 0);
}

void TestCustomerMethods::aberturaPerBranch_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<int>("parameterRows");
    QTest::addColumn<bool>("pricesPerCustomer");
    QTest::addColumn<QString>("sellerShown");
    QTest::addColumn<QString>("dispatchSellerControl");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromLatin1(kind);
        QTest::addRow("%s 0001", kind) << k << "0001" << 1 << true << "1" << "N";
        QTest::addRow("%s 0002", kind) << k << "0002" << 1 << false << "2" << "S";
        QTest::addRow("%s 0003", kind) << k << "0003" << 0 << true << "" << "N";
    }
}

void TestCustomerMethods::aberturaPerBranch()
{
    OPEN_BACKEND();
    QFETCH(QString, branch);
    QFETCH(int, parameterRows);
    QFETCH(bool, pricesPerCustomer);
    QFETCH(QString, sellerShown);
    QFETCH(QString, dispatchSellerControl);
    const QJsonArray abertura = call(db, QStringLiteral("GetAbertura"), {branch, QStringLiteral("DEMO")}).toArray();
    QCOMPARE(abertura.size(), 6);
    QCOMPARE(value(packetOf(abertura.at(0)), QStringLiteral("COUNT")).toInt() > 0, pricesPerCustomer);
    const DataPacket parameters = packetOf(abertura.at(1));
    QCOMPARE(parameters.rows.size(), parameterRows);
    if (parameterRows > 0) {
        QCOMPARE(value(parameters, QStringLiteral("CDFILIAL")).toString(), branch);
        QCOMPARE(value(parameters, QStringLiteral("IDEXIBPEDIDO")).toString(), sellerShown);
    }
    QCOMPARE(value(packetOf(abertura.at(2)), QStringLiteral("IDCTRLVENEXP")).toString(), dispatchSellerControl);
    QVERIFY(packetOf(abertura.at(3)).rows.size() >= 5);
}

void TestCustomerMethods::aberturaLoggedSeller_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<bool>("bound");
    QTest::addColumn<QString>("seller");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromLatin1(kind);
        QTest::addRow("%s operator not bound", kind) << k << "DEMO" << false << "";
        QTest::addRow("%s MARIA", kind) << k << "MARIA" << true << "0002";
        QTest::addRow("%s VEND01", kind) << k << "VEND01" << true << "0001";
        QTest::addRow("%s bound to a seller who left", kind) << k << "EXVEND" << true << "";
    }
}

void TestCustomerMethods::aberturaLoggedSeller()
{
    OPEN_BACKEND();
    QFETCH(QString, operatorCode);
    QFETCH(bool, bound);
    QFETCH(QString, seller);
    const QJsonArray abertura = call(db, QStringLiteral("GetAbertura"), {QStringLiteral("0002"), operatorCode}).toArray();
    QCOMPARE(packetOf(abertura.at(4)).rows.size(), bound ? 1 : 0);
    const DataPacket vendLog = packetOf(abertura.at(5));
    QCOMPARE(vendLog.rows.size(), seller.isEmpty() ? 0 : 1);
    if (!seller.isEmpty())
        QCOMPARE(value(vendLog, QStringLiteral("CDVENDEDOR")).toString(), seller);
}

void TestCustomerMethods::badArgumentsAreRefused_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QJsonArray>("params");
    QTest::addColumn<QString>("message");
    const QString longCode = QString(22, u'9');
    QTest::newRow("customer too long") << "GetCliente" << QJsonArray{false, "", longCode, "T", "0001", ""} << "Cliente inválido(a)";
    QTest::newRow("seller too long") << "GetCliente" << QJsonArray{true, "00001", "000001", "T", "0001", ""} << "Vendedor inválido(a)";
    QTest::newRow("unknown mode") << "GetCliente" << QJsonArray{false, "", "000001", "X", "0001", ""} << "Situação de bloqueio inválido(a)";
    QTest::newRow("branch too long") << "GetCliente" << QJsonArray{false, "", "000001", "T", "00001", ""} << "Filial inválido(a)";
    QTest::newRow("modality too long") << "GetCliente" << QJsonArray{false, "", "000001", "T", "0001", "000001"}
                                       << "Modalidade de pagamento inválido(a)";
    QTest::newRow("seller fixed not a flag") << "GetCliente" << QJsonArray{"S", "", "000001", "T", "0001", ""}
                                             << "Vendedor logado fixo";
    QTest::newRow("note order too long") << "GetObser" << QJsonArray{"0001", "00000000001"} << "Número do pedido inválido(a)";
    QTest::newRow("opening branch too long") << "GetAbertura" << QJsonArray{"0001' OR '1'='1", "DEMO"} << "Filial inválido(a)";
    QTest::newRow("opening operator too long") << "GetAbertura" << QJsonArray{"0001", QString(13, u'X')} << "Operador inválido(a)";
}

void TestCustomerMethods::badArgumentsAreRefused()
{
    QFETCH(QString, method);
    QFETCH(QJsonArray, params);
    QFETCH(QString, message);
    const std::optional<QString> refusal = PedTest::refusalOf(m_registry, m_backends.sqlite().db(), lanPedido, method, params);
    QVERIFY2(refusal, "the call was accepted");
    QVERIFY2(refusal->startsWith(message), qPrintable(*refusal));
}

QTEST_GUILESS_MAIN(TestCustomerMethods)
#include "tst_customer_methods.moc"
