// The client against a real application server over HTTP: log-in, real
// methods, error mapping, expired sessions, a server that stops and comes
// back on the same port. Methods that exist only for these tests (echoing
// every argument kind, waiting) are added beside the real ones.

#include "abort.h"
#include "datapacket.h"
#include "netconnection.h"
#include "serversession.h"
#include "method_calls.h"
#include "test_server.h"

#include "rpc/app_server.h"
#include "rpc/method_registry.h"
#include "iso_datetime.h"

#include <QJsonDocument>
#include <QTest>
#include <QThread>

namespace {

const QString LanPedido = ServerNames::LanPedido;

// The client's view of the methods below.
using namespace Rpc::Kind;
constexpr Rpc::Method<9> TstEcoTipos{Rpc::Module::LanPedido, "TstEcoTipos",
                                     {Text, Boolean, Integer, Float, Date, Date, Packet, Values, Packet}};
constexpr Rpc::Method<5> TstEcoReferencias{Rpc::Module::LanPedido, "TstEcoReferencias",
                                           {TextRef, Integer, FloatRef, DateRef, PacketRef}};
constexpr Rpc::Method<1> TstAguarda{Rpc::Module::LanPedido, "TstAguarda", {Integer}};

using PedTest::testArg;
using PedTest::testMethod;

void addTestMethods(MethodRegistry& registry)
{
    // Answers its arguments as the server received them.
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstEcoTipos"),
                        {testArg(QStringLiteral("text"), ArgKind::Text), testArg(QStringLiteral("flag"), ArgKind::Boolean),
                         testArg(QStringLiteral("count"), ArgKind::Integer), testArg(QStringLiteral("amount"), ArgKind::Float),
                         testArg(QStringLiteral("day"), ArgKind::Date), testArg(QStringLiteral("moment"), ArgKind::Date),
                         testArg(QStringLiteral("packet"), ArgKind::Packet),
                         testArg(QStringLiteral("values"), ArgKind::ValueArray),
                         testArg(QStringLiteral("nothing"), ArgKind::Packet)},
                        [](CallContext&, QJsonArray& params) { return QJsonValue(params); }));

    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstEcoReferencias"),
                        {testArg(QStringLiteral("text"), ArgKind::Text, true),
                         testArg(QStringLiteral("factor"), ArgKind::Integer),
                         testArg(QStringLiteral("amount"), ArgKind::Float, true),
                         testArg(QStringLiteral("day"), ArgKind::Date, true),
                         testArg(QStringLiteral("packet"), ArgKind::Packet, true)},
                        [](CallContext&, QJsonArray& params) {
                            params[0] = params[0].toString() + QStringLiteral("-servidor");
                            params[2] = params[2].toDouble() * params[1].toInt();
                            params[3] = isoDateText(parseIsoDate(params[3].toString()).addDays(1));
                            DataPacket packet = DataPacket::fromJson(params[4].toObject());
                            packet.rows.append({QStringLiteral("0000000099")});
                            params[4] = packet.toJson();
                            return QJsonValue(QStringLiteral("OK"));
                        }));

    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstAguarda"), {testArg(QStringLiteral("milliseconds"), ArgKind::Integer)},
                        [](CallContext&, QJsonArray& params) {
                            QThread::msleep(ulong(params[0].toInt()));
                            return QJsonValue(true);
                        }));
}

// A server over the test server's database on the given port, so that it
// can be stopped and started again on the same port.
std::unique_ptr<PedTest::TestServer> serverOver(const DatabaseConfig& database, quint16 port)
{
    PedTest::TestServerOptions options;
    options.database = database;
    options.port = port;
    return std::make_unique<PedTest::TestServer>(options);
}

DataPacket onePacket()
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("NRPEDIDO"), FieldType::String, 10}};
    packet.rows = {{QStringLiteral("0000000001")}};
    return packet;
}

} // namespace

class TstNetConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void loginKeepsTheTokenNotThePassword();
    void wrongPasswordLeavesNoSession();
    void generalParameterComesAsAPacket();
    void nextOrderNumberIncreases();
    void methodFailureIsReportedAndAborts();
    void callThatDoesNotFitTheDeclaration_data();
    void callThatDoesNotFitTheDeclaration();
    void everyArgumentKindArrivesAsDeclared();
    void byReferenceArgumentsTakeTheServersOutputs();
    void invalidOrExpiredSessionAsksToLogInAgain();
    void slowCallTimesOutAndTheConnectionStaysUsable();
    void stoppedServerIsReportedAndRestartedServerIsReconnected();

private:
    std::unique_ptr<PedTest::TestServer> m_server;
    std::unique_ptr<TNetConnection> m_netLanPed;
    QList<QPair<QString, int>> m_reported;
};

void TstNetConnection::initTestCase()
{
    PedTest::TestServerOptions options;
    options.extraMethods = addTestMethods;
    m_server = std::make_unique<PedTest::TestServer>(options);
}

void TstNetConnection::init()
{
    m_reported.clear();
    setServerErrorReporter([this](const QString& message, int code) { m_reported.append({message, code}); });
    m_netLanPed = std::make_unique<TNetConnection>(LanPedido);
    // A log-in costs the password hashing: one serves every test that leaves the session alone.
    if (!ServerSession::instance().isOpen())
        QVERIFY(ServerSession::instance().login(QStringLiteral("127.0.0.1"), m_server->port(), QStringLiteral("DEMO"),
                                                QStringLiteral("demo")).ok());
}

void TstNetConnection::cleanup()
{
    m_netLanPed.reset();
    setServerErrorReporter({});
}

void TstNetConnection::cleanupTestCase()
{
    ServerSession::instance().logout();
    m_server.reset();
}

void TstNetConnection::loginKeepsTheTokenNotThePassword()
{
    ServerSession& session = ServerSession::instance();
    QVERIFY(session.isOpen());
    QVERIFY(!session.token().isEmpty());
    QVERIFY(!session.token().contains(QStringLiteral("demo")));
    QCOMPARE(session.operatorCode(), QStringLiteral("DEMO"));
    QCOMPARE(session.endpoint().port, int(m_server->port()));

    const QString token = session.token();
    QVERIFY(session.logout().ok());
    QVERIFY(!session.isOpen());
    session.adopt({QStringLiteral("127.0.0.1"), m_server->port()}, QStringLiteral("DEMO"), token);
    QCOMPARE(m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0001")}).errorCode(),
             int(ServerError::SessionInvalid));   // logged out on the server too
}

void TstNetConnection::wrongPasswordLeavesNoSession()
{
    const ServerResult result = ServerSession::instance().login(QStringLiteral("127.0.0.1"), m_server->port(),
                                                                QStringLiteral("DEMO"), QStringLiteral("errada"));
    QCOMPARE(result.errorCode(), int(ServerError::MethodFailed));
    QCOMPARE(result.errorMessage(), QStringLiteral("Operador ou senha inválidos."));
    QVERIFY(!ServerSession::instance().isOpen());
}

void TstNetConnection::generalParameterComesAsAPacket()
{
    // No host set: the connection goes where the session logged in.
    const QJsonValue value = CheckResultServ(m_netLanPed->call(Rpc::LanPedido::getParamGerPed, {}));
    QVERIFY(m_netLanPed->Connected());
    QVERIFY2(DataPacket::isPacket(value), qPrintable(QJsonDocument(value.toObject()).toJson()));
    QVERIFY(!DataPacket::fromJson(value.toObject()).fields.isEmpty());
}

void TstNetConnection::nextOrderNumberIncreases()
{
    const QString first = CheckResultServ(m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0001")}), true, 10).toString();
    const QString second = CheckResultServ(m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0001")}), true, 10).toString();
    QCOMPARE(first.size(), 10);
    QCOMPARE(second.toLongLong(), first.toLongLong() + 1);
    QVERIFY(m_reported.isEmpty());
}

// Reported and aborting, unless the caller reports it itself (kind 10).
void TstNetConnection::methodFailureIsReportedAndAborts()
{
    const ServerResult result = m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("9999")});
    QCOMPARE(result.errorCode(), int(ServerError::MethodFailed));
    QVERIFY_THROWS_EXCEPTION(Abort, CheckResultServ(result, true, 10));
    QVERIFY(m_reported.isEmpty());
    QVERIFY_THROWS_EXCEPTION(Abort, CheckResultServ(result, true, 0));
    QCOMPARE(m_reported, (QList<QPair<QString, int>>{{QStringLiteral("Filial 9999 não cadastrada."), int(ServerError::MethodFailed)}}));
}

void TstNetConnection::callThatDoesNotFitTheDeclaration_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QJsonArray>("params");
    QTest::addColumn<int>("code");

    QTest::newRow("number where text belongs") << "GetPrxPedido" << QJsonArray{1} << int(ServerError::InvalidParams);
    QTest::newRow("argument missing") << "GetPrxPedido" << QJsonArray{} << int(ServerError::InvalidParams);
    QTest::newRow("argument too many") << "GetPrxPedido" << QJsonArray{"0001", "0002"} << int(ServerError::InvalidParams);
    QTest::newRow("unknown method") << "GetNadaDisso" << QJsonArray{} << int(ServerError::MethodNotFound);
}

void TstNetConnection::callThatDoesNotFitTheDeclaration()
{
    QFETCH(QString, method);
    QFETCH(QJsonArray, params);
    QFETCH(int, code);

    // Declared here as the call is made, so that only the server checks it.
    QList<RpcArg> args;
    for (const QJsonValue& param : params)
        args.append(param);
    const QByteArray name = method.toLatin1();
    const std::vector<Rpc::Arg> kinds(std::size_t(args.size()));
    const Rpc::MethodInfo declared{Rpc::Module::LanPedido, std::string_view(name.constData(), std::size_t(name.size())), kinds};
    const ServerResult result = m_netLanPed->call(declared, args);
    QCOMPARE(result.errorCode(), code);
    QVERIFY2(result.errorMessage().startsWith(QStringLiteral("O servidor de aplicação recusou a chamada "
                                                             "PED00100.rdmLanPedido.%1").arg(method)),
             qPrintable(result.errorMessage()));
    QVERIFY_THROWS_EXCEPTION(Abort, CheckResultServ(result));
    QCOMPARE(m_reported.size(), 1);
}

void TstNetConnection::everyArgumentKindArrivesAsDeclared()
{
    const QDateTime moment(QDate(2026, 3, 10), QTime(14, 30, 5));
    const QJsonValue echoed = CheckResultServ(m_netLanPed->call(
        TstEcoTipos,
        {QStringLiteral("São Paulo"), true, 42, 1234.5, QDate(2026, 2, 28), moment, onePacket(),
         QJsonArray{1, QStringLiteral("dois")}, nullptr}));

    const QJsonArray expected{QStringLiteral("São Paulo"), true, 42, 1234.5, QStringLiteral("2026-02-28"),
                              QStringLiteral("2026-03-10T14:30:05"), onePacket().toJson(),
                              QJsonArray{1, QStringLiteral("dois")}, QJsonValue::Null};
    QCOMPARE(echoed, QJsonValue(expected));
}

void TstNetConnection::byReferenceArgumentsTakeTheServersOutputs()
{
    QString text = QStringLiteral("cliente");
    double amount = 10.25;
    QDate day(2026, 12, 31);
    QJsonObject packet = onePacket().toJson();

    const ServerResult result = m_netLanPed->call(
        TstEcoReferencias,
        {RpcArg::ref(text), 3, RpcArg::ref(amount), RpcArg::ref(day), RpcArg::ref(packet)});

    QCOMPARE(CheckResultServ(result), QJsonValue(QStringLiteral("OK")));
    QCOMPARE(text, QStringLiteral("cliente-servidor"));
    QCOMPARE(amount, 30.75);
    QCOMPARE(day, QDate(2027, 1, 1));
    QCOMPARE(DataPacket::fromJson(packet).rows.size(), 2);

    // Passed by value, the outputs are not read and the value still comes back.
    const ServerResult byValue = m_netLanPed->call(TstEcoReferencias,
                                                   {QStringLiteral("x"), 1, 1.0, QDate(2026, 1, 1), onePacket()});
    QCOMPARE(CheckResultServ(byValue), QJsonValue(QStringLiteral("OK")));
}

void TstNetConnection::invalidOrExpiredSessionAsksToLogInAgain()
{
    ServerSession& session = ServerSession::instance();
    const QString token = session.token();
    session.adopt(session.endpoint(), QStringLiteral("DEMO"), QStringLiteral("nao-e-um-token"));
    ServerResult result = m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0001")});
    QCOMPARE(result.errorCode(), int(ServerError::SessionInvalid));
    QCOMPARE(result.errorMessage(), QStringLiteral("Sessão expirada ou inválida. Entre novamente."));

    session.adopt(session.endpoint(), QStringLiteral("DEMO"), token);
    QVERIFY(m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0001")}).ok());
    m_server->advanceClock(481 * 60);
    result = m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0001")});
    m_server->advanceClock(-481 * 60);
    QCOMPARE(result.errorCode(), int(ServerError::SessionInvalid));
    QVERIFY_THROWS_EXCEPTION(Abort, CheckResultServ(result));
    QCOMPARE(m_reported.value(0).first, QStringLiteral("Sessão expirada ou inválida. Entre novamente."));
    session.logout();
}

void TstNetConnection::slowCallTimesOutAndTheConnectionStaysUsable()
{
    m_netLanPed->setTimeoutMs(100);
    const ServerResult result = m_netLanPed->call(TstAguarda, {1000});
    QCOMPARE(result.errorCode(), int(ServerError::Timeout));
    QCOMPARE(result.errorMessage(),
             QStringLiteral("O servidor de aplicação não respondeu em 0,1 s (127.0.0.1:%1, "
                            "PED00100.rdmLanPedido.TstAguarda).").arg(m_server->port()));

    m_netLanPed->setTimeoutMs(TNetConnection::DefaultTimeoutMs);
    QVERIFY(m_netLanPed->call(TstAguarda, {0}).ok());
}

void TstNetConnection::stoppedServerIsReportedAndRestartedServerIsReconnected()
{
    auto server = serverOver(m_server->databaseConfig(), 0);
    const quint16 port = server->port();
    m_netLanPed->BeforeConnect = [port](TNetConnection& connection) {
        connection.setHost(QStringLiteral("127.0.0.1"));
        connection.setPort(port);
    };
    QVERIFY(m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0002")}).ok());

    server.reset();
    // Refused, or, when the client has not yet seen the kept-alive
    // connection close, dropped: which one depends on timing.
    const ServerResult down = m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0002")});
    QCOMPARE(down.errorCode(), int(ServerError::ConnectionFailed));
    QVERIFY2(down.errorMessage().contains(QStringLiteral("servidor de aplicação em 127.0.0.1:%1").arg(port)),
             qPrintable(down.errorMessage()));
    const ServerResult stillDown = m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0002")});
    QCOMPARE(stillDown.errorMessage(),
             QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1: a conexão foi "
                            "recusada. Verifique se o servidor está em execução.").arg(port));

    server = serverOver(m_server->databaseConfig(), port);
    m_netLanPed->Reconnect();
    const ServerResult back = m_netLanPed->call(Rpc::LanPedido::GetPrxPedido, {QStringLiteral("0002")});
    QVERIFY2(back.ok(), qPrintable(back.errorMessage()));   // the session lives in the database
}

QTEST_GUILESS_MAIN(TstNetConnection)
#include "tst_netconnection.moc"
