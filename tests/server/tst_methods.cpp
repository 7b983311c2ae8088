// The order screen's opening set, customer, note and numbering methods,
// called through the registry as the dispatcher calls them (a transaction
// open on the caller's connection), on SQLite and (when PED_TEST_PG_URL is
// set) PostgreSQL demo databases.

#include "datapacket.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/database.h"
#include "store/sql.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "store/temporary_database.h"

#include <QJsonDocument>
#include <QTest>
#include <memory>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString dbGeral = ServerNames::DBGeral;

using PedTest::fieldNames;
using PedTest::names;
using PedTest::packetOf;

QString text(const DataPacket& packet, int row, const QString& field)
{
    return PedTest::value(packet, row, field).toString();
}

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

class TestMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addKinds(); }
    void initTestCase();

    void getParamGerPed();
    void getPermissao_data();
    void getPermissao();
    void getAbertura_data();
    void getAbertura();
    void getAberturaShowsCurrentNames();
    void getFilial_data();
    void getFilial();

    void clienteRestrictions_data();
    void clienteRestrictions();
    void clienteBringsItsOrderData();
    void clienteLatestOrderPerBranch();
    void obser();

    void getPrxPedidoCountsUpPadded();
    void getPrxPedidoStartsAfterStoredOrders();
    void getPrxPedidoRefusesUnknownBranch();

private:
    static void addKinds() { PedTest::DemoBackends::addKinds(); }
    QJsonValue call(QSqlDatabase db, const QString& module, const QString& method, QJsonArray params,
                    const QString& operatorCode = QStringLiteral("DEMO"));
    QString nextNumber(QSqlDatabase db, const QString& branch) { return call(db, lanPedido, QStringLiteral("GetPrxPedido"), {branch}).toString(); }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND(name) PED_OPEN_GLOBAL_BACKEND(m_backends, name)

void TestMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_methods"), addTestRows);
}

QJsonValue TestMethods::call(QSqlDatabase db, const QString& module, const QString& method, QJsonArray params,
                             const QString& operatorCode)
{
    return PedTest::callMethod(m_registry, db, module, method, params, operatorCode);
}

void TestMethods::getParamGerPed()
{
    OPEN_BACKEND(backend);
    const DataPacket packet = packetOf(call(db, lanPedido, QStringLiteral("getParamGerPed"), {}));
    QCOMPARE(packet.fields, (QList<FieldDef>{{QStringLiteral("IDUTTABPRECOITEM"), FieldType::String, 1}}));
    QCOMPARE(packet.rows, (QList<QVariantList>{{QStringLiteral("N")}}));
}

void TestMethods::getPermissao_data()
{
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("permission");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<bool>("granted");
    QTest::newRow("leader holds the right") << "DEMO" << "ALTP" << "0003" << true;
    QTest::newRow("other branch") << "DEMO" << "ALTP" << "0009" << false;
    QTest::newRow("other right") << "DEMO" << "EXCP" << "0001" << false;
    QTest::newRow("operator without rights") << "MARIA" << "ALTP" << "0001" << false;
    QTest::newRow("inactive operator") << "ANTIGO" << "ALTP" << "0001" << false;
    QTest::newRow("unknown operator") << "NINGUEM" << "ALTP" << "0001" << false;
    QTest::newRow("SQL in the argument") << "DEMO' OR '1'='1" << "ALTP" << "0001" << false;
}

void TestMethods::getPermissao()
{
    OPEN_BACKEND(backend);
    QFETCH(QString, operatorCode);
    QFETCH(QString, permission);
    QFETCH(QString, branch);
    QFETCH(bool, granted);
    const QJsonValue result = call(db, lanPedido, QStringLiteral("GetPermissao"), {operatorCode, permission, branch});
    const DataPacket packet = packetOf(result);
    QCOMPARE(packet.fields, (QList<FieldDef>{{QStringLiteral("CDGRUPOPER"), FieldType::String, 2},
                                             {QStringLiteral("CDOPERADOR"), FieldType::String, 12},
                                             {QStringLiteral("NMOPERADOR"), FieldType::String, 40},
                                             {QStringLiteral("CDSENHOPER"), FieldType::String, 20},
                                             {QStringLiteral("CDLIDGRUPOP"), FieldType::String, 12},
                                             {QStringLiteral("IDLIDER"), FieldType::String, 1}}));
    QCOMPARE(packet.rows.size(), granted ? 1 : 0);
    if (granted) {
        QCOMPARE(packet.rows.first(), (QVariantList{QStringLiteral("01"), operatorCode, QStringLiteral("Operador de Demonstração"),
                                                    QString(), QStringLiteral("DEMO"), QStringLiteral("S")}));
    }
    const QByteArray wire = QJsonDocument(result.toObject()).toJson(QJsonDocument::Compact);
    QVERIFY2(!wire.contains("pbkdf2") && !wire.contains("demo\""), wire.constData());
}

void TestMethods::getAbertura_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("priceMode");   // empty: no parameters
    QTest::addColumn<bool>("customerPriceTables");
    QTest::addColumn<QString>("sellerShown");            // IDEXIBPEDIDO
    QTest::addColumn<QString>("dispatchSellerControl");  // IDCTRLVENEXP; empty: no row
    QTest::addColumn<bool>("bound");                     // the operator is bound to a seller
    QTest::addColumn<QVariantList>("seller");            // the bound seller's row; empty: none
    const QVariantList maria{QStringLiteral("0002"), QStringLiteral("Maria Souza"), 2.5, QStringLiteral("01"), QStringLiteral("Tabela Varejo")};
    const QVariantList roberto{QStringLiteral("0001"), QStringLiteral("Roberto Alves"), 3.0, QStringLiteral("01"), QStringLiteral("Tabela Varejo")};
    QTest::newRow("0001 price tables") << "0001" << "DEMO" << "1" << true << "1" << "N" << false << QVariantList();
    QTest::newRow("0002 price factor") << "0002" << "DEMO" << "2" << false << "2" << "S" << false << QVariantList();
    QTest::newRow("0003 without parameters") << "0003" << "DEMO" << "" << true << "" << "N" << false << QVariantList();
    QTest::newRow("unknown branch") << "0077" << "DEMO" << "" << false << "" << "" << false << QVariantList();
    QTest::newRow("operator bound to a seller") << "0002" << "MARIA" << "2" << false << "2" << "S" << true << maria;
    QTest::newRow("another bound operator") << "0002" << "VEND01" << "2" << false << "2" << "S" << true << roberto;
    QTest::newRow("bound to a seller who left") << "0002" << "EXVEND" << "2" << false << "2" << "S" << true << QVariantList();
}

void TestMethods::getAbertura()
{
    OPEN_BACKEND(backend);
    QFETCH(QString, branch);
    QFETCH(QString, operatorCode);
    QFETCH(QString, priceMode);
    QFETCH(bool, customerPriceTables);
    QFETCH(QString, sellerShown);
    QFETCH(QString, dispatchSellerControl);
    QFETCH(bool, bound);
    QFETCH(QVariantList, seller);

    const QJsonValue result = call(db, lanPedido, QStringLiteral("GetAbertura"), {branch, operatorCode});
    QVERIFY(result.isArray());
    const QJsonArray elements = result.toArray();
    QCOMPARE(elements.size(), 6);

    const DataPacket priceTableUse = packetOf(elements.at(0));
    QCOMPARE(priceTableUse.fields, (QList<FieldDef>{{QStringLiteral("COUNT"), FieldType::Integer, 0}}));
    QCOMPARE(priceTableUse.rows.first().first().toLongLong() > 0, customerPriceTables);

    const DataPacket parameters = packetOf(elements.at(1));
    QCOMPARE(fieldNames(parameters), PedTest::Fields::orderParameters);
    QCOMPARE(parameters.fields.at(parameters.indexOf(QStringLiteral("NRMAXITNFPED"))).type, FieldType::Float);
    QCOMPARE(parameters.fields.at(parameters.indexOf(QStringLiteral("DSMODPGTO"))).size, 100);
    QCOMPARE(parameters.fields.at(parameters.indexOf(QStringLiteral("IDUTFILIALDESTINO"))).size, 3);
    QCOMPARE(parameters.rows.size(), priceMode.isEmpty() ? 0 : 1);
    if (!priceMode.isEmpty()) {
        QCOMPARE(text(parameters, 0, QStringLiteral("CDFILIAL")), branch);
        QCOMPARE(text(parameters, 0, QStringLiteral("IDEXIBPEDIDO")), sellerShown);
    }
    if (branch == QLatin1String("0001")) {
        QCOMPARE(text(parameters, 0, QStringLiteral("IDTABPRECO")), QStringLiteral("1"));
        QCOMPARE(text(parameters, 0, QStringLiteral("IDUTRESELOTE")), QStringLiteral("S"));
        QCOMPARE(text(parameters, 0, QStringLiteral("IDTESTAEST")), QStringLiteral("2"));
        QCOMPARE(text(parameters, 0, QStringLiteral("DSMODPGTO")), QStringLiteral("30 dias"));
        QCOMPARE(text(parameters, 0, QStringLiteral("DSPRECOBASE")), QStringLiteral("Tabela Varejo"));
    } else if (!priceMode.isEmpty()) {
        QCOMPARE(text(parameters, 0, QStringLiteral("IDTABPRECO")), priceMode);
        QCOMPARE(text(parameters, 0, QStringLiteral("NMFANVEN")), QStringLiteral("João Martins"));
        QCOMPARE(text(parameters, 0, QStringLiteral("NMFANTCLIE")), QStringLiteral("Ana Paula Ferreira"));
        QCOMPARE(text(parameters, 0, QStringLiteral("NRINSJURCLIE")).size(), 11);
    }

    const DataPacket dispatch = packetOf(elements.at(2));
    QCOMPARE(fieldNames(dispatch), names("IDCTRLVENEXP IDGERPRODEST IDCUSEXP"));
    QCOMPARE(dispatch.rows.size(), dispatchSellerControl.isEmpty() ? 0 : 1);
    if (!dispatchSellerControl.isEmpty())
        QCOMPARE(text(dispatch, 0, QStringLiteral("IDCTRLVENEXP")), dispatchSellerControl);

    const DataPacket conditions = packetOf(elements.at(3));
    QCOMPARE(fieldNames(conditions),
             names("CDTIPODESC NMTIPODESC QTPRITPDESC QTSEGTPDESC QTTERTPDESC QTQUATPDESC QTQUITPDESC QTSEXTPDESC QTSETTPDESC QTOITTPDESC"));
    QCOMPARE(conditions.rows.size(), 5);   // the closed campaign is left out
    QCOMPARE(conditions.rows.at(2), (QVariantList{QStringLiteral("0000000003"), QStringLiteral("Revenda 5% + 2%"), 5.0, 2.0,
                                                  0.0, 0.0, 0.0, 0.0, 0.0, 0.0}));

    const DataPacket binding = packetOf(elements.at(4));
    QCOMPARE(binding.fields, (QList<FieldDef>{{QStringLiteral("CDOPERADOR"), FieldType::String, 32}}));
    QCOMPARE(binding.rows.size(), bound ? 1 : 0);
    const DataPacket sellerRow = packetOf(elements.at(5));
    QCOMPARE(fieldNames(sellerRow), names("CDVENDEDOR NMFANVEN VRPECOMVEN CDPRECOBASE DSPRECOBASE"));
    QCOMPARE(sellerRow.rows, seller.isEmpty() ? QList<QVariantList>() : QList<QVariantList>{seller});
}

void TestMethods::getAberturaShowsCurrentNames()
{
    OPEN_BACKEND(backend);
    execSql(db, QStringLiteral("UPDATE VENDEDOR SET NMFANVEN = ? WHERE CDVENDEDOR = '0003'"), {QStringLiteral("João P. Martins")});
    const QJsonArray elements = call(db, lanPedido, QStringLiteral("GetAbertura"), {QStringLiteral("0002"), QStringLiteral("DEMO")}).toArray();
    execSql(db, QStringLiteral("UPDATE VENDEDOR SET NMFANVEN = ? WHERE CDVENDEDOR = '0003'"), {QStringLiteral("João Martins")});
    QCOMPARE(text(packetOf(elements.at(1)), 0, QStringLiteral("NMFANVEN")), QStringLiteral("João P. Martins"));
}

void TestMethods::getFilial_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QStringList>("expected");   // "CDFILIAL NMFILIAL"
    for (const QString& module : {lanPedido, dbGeral}) {
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s: %s", qPrintable(module), name) << module;
        };
        row("all branches") << "01" << "T"
                            << QStringList{QStringLiteral("0001 Matriz São Paulo"), QStringLiteral("0002 Filial Campinas"),
                                           QStringLiteral("0003 Filial Curitiba")};
        row("one branch") << "01" << "0002" << QStringList{QStringLiteral("0002 Filial Campinas")};
        row("unknown branch") << "01" << "0009" << QStringList{};
        row("other company") << "02" << "T" << QStringList{};
        row("SQL in the argument") << "01" << "0001' OR '1'='1" << QStringList{};
    }
}

void TestMethods::getFilial()
{
    OPEN_BACKEND(backend);
    QFETCH(QString, module);
    QFETCH(QString, company);
    QFETCH(QString, branch);
    QFETCH(QStringList, expected);
    const DataPacket packet = packetOf(call(db, module, QStringLiteral("getFilial"), {company, branch}));
    QCOMPARE(packet.fields, (QList<FieldDef>{{QStringLiteral("CDFILIAL"), FieldType::String, 4},
                                             {QStringLiteral("NMFILIAL"), FieldType::String, 30},
                                             {QStringLiteral("CDSEGMER"), FieldType::String, 5}}));
    QStringList found;
    for (const QVariantList& row : packet.rows)
        found.append(row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString());
    QCOMPARE(found, expected);
}

// Who is found: the mode filters blocked customers, a fixed logged-in
// seller sees only customers of that seller.
void TestMethods::clienteRestrictions_data()
{
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("seller");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("found");
    QTest::newRow("any seller") << false << "0002" << "000001" << "T" << true;
    QTest::newRow("fixed, own customer") << true << "0001" << "000001" << "T" << true;
    QTest::newRow("fixed, other seller's customer") << true << "0002" << "000001" << "T" << false;
    QTest::newRow("fixed without seller") << true << "" << "000001" << "T" << false;
    QTest::newRow("blocked, all modes") << false << "" << "000003" << "T" << true;
    QTest::newRow("blocked, not blocked only") << false << "" << "000003" << "N" << false;
    QTest::newRow("blocked, blocked only") << false << "" << "000003" << "S" << true;
    QTest::newRow("unknown") << false << "" << "999999" << "T" << false;
    QTest::newRow("quote in the code") << false << "" << "' OR '1'='1" << "T" << false;
    QTest::newRow("empty code") << false << "" << "" << "T" << false;
}

void TestMethods::clienteRestrictions()
{
    OPEN_BACKEND(backend);
    QFETCH(bool, fixed);
    QFETCH(QString, seller);
    QFETCH(QString, customer);
    QFETCH(QString, mode);
    QFETCH(bool, found);
    const DataPacket packet = packetOf(call(db, lanPedido, QStringLiteral("GetCliente"), {fixed, seller, customer, mode, QStringLiteral("0001"), QString()}));
    QCOMPARE(fieldNames(packet), customerFields);
    QCOMPARE(packet.rows.size(), found ? 1 : 0);
    if (found)
        QCOMPARE(value(packet, QStringLiteral("CDCLIENTE")).toString(), customer);
}

void TestMethods::clienteBringsItsOrderData()
{
    OPEN_BACKEND(backend);
    const DataPacket horizonte = packetOf(call(db, lanPedido, QStringLiteral("GetCliente"),
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
    const DataPacket semModalidade = packetOf(call(db, lanPedido, QStringLiteral("GetCliente"),
                                                   {false, QString(), QStringLiteral("000105"), QStringLiteral("T"),
                                                    QStringLiteral("0001"), QStringLiteral("00006")}));
    QCOMPARE(value(semModalidade, QStringLiteral("CDMODPGTO")).toString(), QStringLiteral("00006"));
    QCOMPARE(value(semModalidade, QStringLiteral("DSMODPGTO")).toString(), QStringLiteral("PIX antecipado"));
    QCOMPARE(value(semModalidade, QStringLiteral("IDGRAVOBSCLIPED")).toString(), QStringLiteral("S"));
    QVERIFY(value(semModalidade, QStringLiteral("DSOBSERVCLIE")).toString().startsWith(QStringLiteral("Entregar somente")));
}

void TestMethods::clienteLatestOrderPerBranch()
{
    OPEN_BACKEND(backend);
    const QString customer = selectValue(db, QStringLiteral("SELECT MIN(CDCLIENTE) FROM PEDIDO WHERE CDFILIAL = '0001'")).toString();
    const QString latest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001' AND CDCLIENTE = ?"),
                                       {customer}).toString();
    QVERIFY(!latest.isEmpty());
    auto ultimo = [&](const char* branch) {
        const DataPacket packet = packetOf(call(db, lanPedido, QStringLiteral("GetCliente"),
                                                {false, QString(), customer, QStringLiteral("T"), QString::fromLatin1(branch), QString()}));
        return value(packet, QStringLiteral("ULT_NRPEDIDO"));
    };
    QCOMPARE(ultimo("0001").toString(), latest);
    QVERIFY(ultimo("0003").isNull());
}

void TestMethods::obser()
{
    OPEN_BACKEND(backend);
    const QString order = selectValue(db, QStringLiteral("SELECT MIN(NRPEDIDO) FROM OBSPEDIDO WHERE CDFILIAL = '0001'")).toString();
    const QString text = selectValue(db, QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                                     {order}).toString();
    QVERIFY(!text.isEmpty());
    const DataPacket note = packetOf(call(db, lanPedido, QStringLiteral("GetObser"), {QStringLiteral("0001"), order}));
    QCOMPARE(fieldNames(note), names("CDFILIAL NRPEDIDO TXOBSPED"));
    QCOMPARE(note.rows.size(), 1);
    QCOMPARE(value(note, QStringLiteral("TXOBSPED")).toString(), text);
    QCOMPARE(packetOf(call(db, lanPedido, QStringLiteral("GetObser"), {QStringLiteral("0003"), order})).rows.size(), 0);
    QCOMPARE(packetOf(call(db, lanPedido, QStringLiteral("GetObser"), {QStringLiteral("0001"), QString()})).rows.size(), 0);
}

void TestMethods::getPrxPedidoCountsUpPadded()
{
    OPEN_BACKEND(backend);
    const qlonglong highest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001'")).toString().toLongLong();
    QVERIFY(highest > 0);
    const QString first = nextNumber(db, QStringLiteral("0001"));
    const QString second = nextNumber(db, QStringLiteral("0001"));
    QCOMPARE(first, QStringLiteral("%1").arg(highest + 1, 10, 10, QLatin1Char('0')));
    QCOMPARE(second.toLongLong(), first.toLongLong() + 1);
    QCOMPARE(second.size(), 10);
    // Branches count on their own; 0003 has no order yet.
    QCOMPARE(nextNumber(db, QStringLiteral("0003")), QStringLiteral("0000000001"));
    QCOMPARE(nextNumber(db, QStringLiteral("0001")).toLongLong(), second.toLongLong() + 1);
}

void TestMethods::getPrxPedidoStartsAfterStoredOrders()
{
    OPEN_BACKEND(backend);
    // A branch whose counter row is missing continues after its orders.
    execSql(db, QStringLiteral("DELETE FROM CONTADORPEDIDO WHERE CDFILIAL = '0002'"));
    const qlonglong highest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0002'")).toString().toLongLong();
    const QString next = nextNumber(db, QStringLiteral("0002"));
    QCOMPARE(next.toLongLong(), highest + 1);

    // An order written around the counter (an import) is not numbered twice.
    const QString taken = QStringLiteral("%1").arg(next.toLongLong() + 1, 10, 10, QLatin1Char('0'));
    execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO) VALUES ('0002', ?, ?, '1')"),
            {taken, QDateTime::currentDateTime()});
    QCOMPARE(nextNumber(db, QStringLiteral("0002")).toLongLong(), taken.toLongLong() + 1);
    execSql(db, QStringLiteral("DELETE FROM PEDIDO WHERE CDFILIAL = '0002' AND NRPEDIDO = ?"), {taken});
}

void TestMethods::getPrxPedidoRefusesUnknownBranch()
{
    OPEN_BACKEND(backend);
    try {
        nextNumber(db, QStringLiteral("0099"));
        QFAIL("an unknown branch got an order number");
    } catch (const MethodError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Filial 0099 não cadastrada."));
    }
    QCOMPARE(selectValue(db, QStringLiteral("SELECT COUNT(*) FROM CONTADORPEDIDO WHERE CDFILIAL = '0099'")).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestMethods)
#include "tst_methods.moc"
