// How a connection behaves when the network or the peer fails: a TCP peer in
// the test stands in for a server that refuses, hangs, drops the connection
// or answers something that is no JSON-RPC.

#include "netconnection.h"
#include "serversession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

using namespace Rpc::LanPedido;

// Methods that only the peers below answer.
constexpr Rpc::Method<0> TstGrava{Rpc::Module::LanPedido, "TstGrava", {}};
constexpr Rpc::Method<0> TstLeitura{Rpc::Module::LanPedido, "TstLeitura", {}};
constexpr Rpc::Method<0> TstOutraLeitura{Rpc::Module::LanPedido, "TstOutraLeitura", {}};

// Reads whole HTTP requests and hands each to `onRequest`, which answers
// through the socket or leaves it waiting.
class TcpPeer : public QObject {
public:
    using Handler = std::function<void(QTcpSocket* socket, const QByteArray& request)>;

    explicit TcpPeer(Handler onRequest)
        : m_onRequest(std::move(onRequest))
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    int port() const { return m_server.serverPort(); }
    int requests() const { return m_requests; }
    QByteArray lastRequest() const { return m_lastRequest; }

    static void answer(QTcpSocket* socket, int status, const QByteArray& body)
    {
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: application/json\r\n"
                      "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    // A handler answering every call with `result`.
    static Handler answering(const QJsonValue& result)
    {
        return [result](QTcpSocket* socket, const QByteArray& request) { answer(socket, 200, okBody(request, result)); };
    }
    static QByteArray okBody(const QByteArray& request, const QJsonValue& result)
    {
        const QJsonObject call = QJsonDocument::fromJson(request.mid(request.indexOf("\r\n\r\n") + 4)).object();
        return QJsonDocument(QJsonObject{{"jsonrpc", "2.0"}, {"id", call.value("id")}, {"result", result}})
            .toJson(QJsonDocument::Compact);
    }

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QByteArray headers = buffer.left(headerEnd).toLower();
        const qsizetype lengthAt = headers.indexOf("content-length:");
        const int length = lengthAt < 0 ? 0 : headers.mid(lengthAt + 15, headers.indexOf('\r', lengthAt) - lengthAt - 15).trimmed().toInt();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        m_lastRequest = buffer.left(headerEnd + 4 + length);
        buffer.remove(0, headerEnd + 4 + length);
        ++m_requests;
        m_onRequest(socket, m_lastRequest);
    }

    QTcpServer m_server;
    Handler m_onRequest;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QByteArray m_lastRequest;
    int m_requests = 0;
};

int unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();   // closed again when probe goes
}

std::unique_ptr<TNetConnection> connectionTo(int port)
{
    auto connection = std::make_unique<TNetConnection>(ServerNames::LanPedido);
    connection->BeforeConnect = [port](TNetConnection& c) {
        c.setHost(QStringLiteral("127.0.0.1"));
        c.setPort(port);
    };
    return connection;
}

} // namespace

class TstTransport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void noAddressIsReportedBeforeAnyTraffic();
    void refusedConnectionNamesTheAddress();
    void silentServerTimesOutWithoutResending();
    void connectionDroppedAfterTheRequestIsNeverResent();
    void answerThatIsNoJsonRpc_data();
    void answerThatIsNoJsonRpc();
    void keepAliveChannelIsReused();
    void requestCarriesTokenAndServerName();
    void endpointComesFromTheProviderAndIsTakenAfreshOnReconnect();
    void timersKeepRunningDuringACall();
    void busyIndicatorShowsOnlyForALongCall();
    void callStartedByATimerDuringACallGetsItsOwnAnswer();
    void closingTheConnectionDuringACallEndsIt();
    void callThatDoesNotFitTheMethodIsNeverSent_data();
    void callThatDoesNotFitTheMethodIsNeverSent();
    void referencesThatDoNotFitAreRefusedBeforeSending_data();
    void referencesThatDoNotFitAreRefusedBeforeSending();
};

void TstTransport::init()
{
    ServerSession::instance().logout();
    TNetConnection::setEndpointProvider({});
    TNetConnection::setBusyHooks({}, {});
    TNetConnection::setBusyDelayMs(300);
}

void TstTransport::cleanup()
{
    init();
}

void TstTransport::noAddressIsReportedBeforeAnyTraffic()
{
    TNetConnection connection(ServerNames::LanPedido);
    const ServerResult result = connection.call(GetPrxPedido, {QStringLiteral("0001")});
    QCOMPARE(result.errorCode(), int(ServerError::NotConfigured));
    QVERIFY2(result.errorMessage().contains(QStringLiteral("não está configurado")), qPrintable(result.errorMessage()));
}

void TstTransport::refusedConnectionNamesTheAddress()
{
    const int port = unusedPort();
    auto connection = connectionTo(port);
    const ServerResult result = connection->call(getParamGerPed, {});
    QCOMPARE(result.errorCode(), int(ServerError::ConnectionFailed));
    QVERIFY2(result.errorMessage().contains(QStringLiteral("127.0.0.1:%1").arg(port)), qPrintable(result.errorMessage()));
    QVERIFY(result.errorMessage().contains(QStringLiteral("recusada")));
}

void TstTransport::silentServerTimesOutWithoutResending()
{
    TcpPeer peer([](QTcpSocket*, const QByteArray&) {});
    auto connection = connectionTo(peer.port());
    connection->setTimeoutMs(200);
    const ServerResult result = connection->call(TstGrava, {});
    QCOMPARE(result.errorCode(), int(ServerError::Timeout));
    QVERIFY2(result.errorMessage().startsWith(QStringLiteral("O servidor de aplicação não respondeu em 0,2 s")),
             qPrintable(result.errorMessage()));
    QCOMPARE(peer.requests(), 1);
}

void TstTransport::connectionDroppedAfterTheRequestIsNeverResent()
{
    // The server may have stored the change before it went down.
    TcpPeer peer([](QTcpSocket* socket, const QByteArray&) { socket->abort(); });
    auto connection = connectionTo(peer.port());
    const ServerResult result = connection->call(TstGrava, {});
    QCOMPARE(result.errorCode(), int(ServerError::ConnectionFailed));
    QVERIFY2(result.errorMessage().contains(QStringLiteral("pode ter sido concluída")), qPrintable(result.errorMessage()));
    QTest::qWait(100);   // a resend would arrive now
    QCOMPARE(peer.requests(), 1);
}

void TstTransport::answerThatIsNoJsonRpc_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("proxy error page") << 502 << QByteArray("<html>Bad Gateway</html>")
                                      << int(ServerError::BadResponse) << "HTTP 502";
    QTest::newRow("unknown path") << 404 << QByteArray() << int(ServerError::BadResponse) << "HTTP 404";
    QTest::newRow("session refused without body") << 401 << QByteArray() << int(ServerError::SessionInvalid)
                                                  << "Sessão expirada ou inválida. Entre novamente.";
    QTest::newRow("session refused")
        << 401 << QByteArray(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32001,"message":"No session"}})")
        << int(ServerError::SessionInvalid) << "Sessão expirada ou inválida. Entre novamente.";
    QTest::newRow("wrong kind of argument")
        << 200 << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":{"code":-32602,"message":"argument 1 (branch): text expected"}})")
        << int(ServerError::InvalidParams) << "PED00100.rdmLanPedido.GetPrxPedido (erro -32602): argument 1 (branch)";
    QTest::newRow("method failure word for word")
        << 200 << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":{"code":-32000,"message":"SALDO_INSU"}})")
        << int(ServerError::MethodFailed) << "SALDO_INSU";
}

void TstTransport::answerThatIsNoJsonRpc()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, message);

    TcpPeer peer([&](QTcpSocket* socket, const QByteArray&) { TcpPeer::answer(socket, status, body); });
    auto connection = connectionTo(peer.port());
    const ServerResult result = connection->call(GetPrxPedido, {QStringLiteral("0001")});
    QCOMPARE(result.errorCode(), code);
    if (code == ServerError::MethodFailed)
        QCOMPARE(result.errorMessage(), message);
    else
        QVERIFY2(result.errorMessage().contains(message), qPrintable(result.errorMessage()));
}

void TstTransport::keepAliveChannelIsReused()
{
    QSet<QTcpSocket*> sockets;
    TcpPeer peer([&](QTcpSocket* socket, const QByteArray& request) {
        sockets.insert(socket);
        TcpPeer::answer(socket, 200, TcpPeer::okBody(request, 1));
    });
    auto connection = connectionTo(peer.port());
    for (int i = 0; i < 5; ++i)
        QVERIFY(connection->call(GetPrxPedido, {QStringLiteral("0001")}).ok());
    QCOMPARE(peer.requests(), 5);
    QCOMPARE(sockets.size(), 1);

    connection->Reconnect();
    QVERIFY(connection->call(GetPrxPedido, {QStringLiteral("0001")}).ok());
    QCOMPARE(sockets.size(), 2);
}

void TstTransport::requestCarriesTokenAndServerName()
{
    TcpPeer peer(TcpPeer::answering(QStringLiteral("0000000001")));
    ServerSession::instance().adopt({QStringLiteral("127.0.0.1"), peer.port()}, QStringLiteral("DEMO"),
                                    QStringLiteral("tok-123"));
    TNetConnection connection(ServerNames::LanPedido);   // takes the session's endpoint

    const ServerResult result = connection.call(GetPrxPedido, {QStringLiteral("0001")});
    QVERIFY2(result.ok(), qPrintable(result.errorMessage()));
    QCOMPARE(result.value(), QJsonValue(QStringLiteral("0000000001")));
    QVERIFY(peer.lastRequest().startsWith("POST /rpc/PED00100.rdmLanPedido HTTP/1.1\r\n"));
    QVERIFY(peer.lastRequest().contains("Authorization: Bearer tok-123\r\n"));
    ServerSession::instance().adopt({}, {}, {});   // the peer knows no Logout
}

void TstTransport::endpointComesFromTheProviderAndIsTakenAfreshOnReconnect()
{
    const auto answerOne = [](QTcpSocket* socket, const QByteArray& request) {
        TcpPeer::answer(socket, 200, TcpPeer::okBody(request, 1));
    };
    TcpPeer first(answerOne);
    TcpPeer second(answerOne);
    ServerEndpoint working{QStringLiteral("http://127.0.0.1"), first.port()};
    TNetConnection::setEndpointProvider([&] { return working; });

    TNetConnection connection(ServerNames::LanPedido);
    QVERIFY(connection.call(GetPrxPedido, {QStringLiteral("0001")}).ok());
    QCOMPARE(connection.Port(), first.port());

    working.port = second.port();
    QVERIFY(connection.call(GetPrxPedido, {QStringLiteral("0001")}).ok());   // still open on the first
    connection.Reconnect();
    QVERIFY(connection.call(GetPrxPedido, {QStringLiteral("0001")}).ok());
    QCOMPARE(first.requests(), 2);
    QCOMPARE(second.requests(), 1);
}

void TstTransport::timersKeepRunningDuringACall()
{
    // The peer answers only after the client's timer ticked: a call that
    // blocked the thread would time out instead.
    int ticks = 0;
    QList<QPair<QTcpSocket*, QByteArray>> waiting;
    TcpPeer peer([&](QTcpSocket* socket, const QByteArray& request) { waiting.append({socket, request}); });
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 3 && !waiting.isEmpty())
            TcpPeer::answer(waiting.first().first, 200, TcpPeer::okBody(waiting.first().second, true));
    });
    ticker.start(10);

    auto connection = connectionTo(peer.port());
    connection->setTimeoutMs(10000);
    const ServerResult result = connection->call(GetPrxPedido, {QStringLiteral("0001")});
    QVERIFY2(result.ok(), qPrintable(result.errorMessage()));
    QVERIFY(ticks >= 3);
}

void TstTransport::busyIndicatorShowsOnlyForALongCall()
{
    // The peer answers once the indicator shows, so this call outlasts the delay.
    QList<QPair<QTcpSocket*, QByteArray>> waiting;
    bool shown = false;
    const auto answerWhenShown = [&] {
        if (!shown)
            return;
        for (const auto& [socket, request] : waiting)
            TcpPeer::answer(socket, 200, TcpPeer::okBody(request, true));
        waiting.clear();
    };
    TcpPeer peer([&](QTcpSocket* socket, const QByteArray& request) {
        waiting.append({socket, request});
        answerWhenShown();
    });
    QStringList events;
    TNetConnection::setBusyHooks(
        [&] {
            events << QStringLiteral("begin");
            shown = true;
            answerWhenShown();
        },
        [&] { events << QStringLiteral("end"); });
    TNetConnection::setBusyDelayMs(0);
    auto connection = connectionTo(peer.port());
    connection->setTimeoutMs(10000);
    QVERIFY(connection->call(TstLeitura, {}).ok());
    QCOMPARE(events, (QStringList{QStringLiteral("begin"), QStringLiteral("end")}));

    events.clear();
    TNetConnection::setBusyDelayMs(60000);
    TcpPeer quick(TcpPeer::answering(true));
    auto quickConnection = connectionTo(quick.port());
    QVERIFY(quickConnection->call(TstLeitura, {}).ok());
    QVERIFY(events.isEmpty());
}

void TstTransport::callStartedByATimerDuringACallGetsItsOwnAnswer()
{
    // The first request is answered only after the second, which a timer
    // sends while the first waits.
    QPair<QTcpSocket*, QByteArray> first;
    TcpPeer peer([&](QTcpSocket* socket, const QByteArray& request) {
        if (!first.first) {
            first = {socket, request};
            return;
        }
        TcpPeer::answer(socket, 200, TcpPeer::okBody(request, QStringLiteral("segunda")));
        TcpPeer::answer(first.first, 200, TcpPeer::okBody(first.second, QStringLiteral("primeira")));
    });
    int begins = 0;
    int ends = 0;
    TNetConnection::setBusyHooks([&] { ++begins; }, [&] { ++ends; });
    TNetConnection::setBusyDelayMs(0);
    auto connection = connectionTo(peer.port());
    connection->setTimeoutMs(10000);

    ServerResult nested = ServerResult::failure(ServerError::ConnectionFailed, QStringLiteral("not called"));
    QTimer::singleShot(0, [&] { nested = connection->call(TstOutraLeitura, {}); });
    const ServerResult outer = connection->call(TstLeitura, {});

    QCOMPARE(outer.value(), QJsonValue(QStringLiteral("primeira")));
    QCOMPARE(nested.value(), QJsonValue(QStringLiteral("segunda")));
    QCOMPARE(begins, 1);
    QCOMPARE(ends, 1);
}

void TstTransport::closingTheConnectionDuringACallEndsIt()
{
    TcpPeer peer([](QTcpSocket*, const QByteArray&) {});
    auto connection = connectionTo(peer.port());
    connection->setTimeoutMs(10000);
    QTimer::singleShot(0, [&] { connection->Close(); });
    const ServerResult result = connection->call(TstLeitura, {});
    QCOMPARE(result.errorCode(), int(ServerError::ConnectionFailed));
    QVERIFY2(result.errorMessage().contains(QStringLiteral("foi fechada durante a chamada")),
             qPrintable(result.errorMessage()));
    QVERIFY(!connection->Connected());
}

void TstTransport::callThatDoesNotFitTheMethodIsNeverSent_data()
{
    QTest::addColumn<QString>("serverName");
    QTest::addColumn<int>("argumentCount");
    QTest::addColumn<QString>("message");

    QTest::newRow("argument missing") << ServerNames::LanPedido << 0
        << "Chamada inválida: PED00100.rdmLanPedido.GetPrxPedido recebe 1 argumentos; a chamada passou 0.";
    QTest::newRow("argument too many") << ServerNames::LanPedido << 2
        << "Chamada inválida: PED00100.rdmLanPedido.GetPrxPedido recebe 1 argumentos; a chamada passou 2.";
    QTest::newRow("another server's method") << ServerNames::DBGeral << 1
        << "Chamada inválida: PED00100.rdmLanPedido.GetPrxPedido não é um método de Bib.rdmDBGeral.";
}

// Counts that a braced list cannot get wrong (it does not compile), a list
// built at run time can.
void TstTransport::callThatDoesNotFitTheMethodIsNeverSent()
{
    QFETCH(QString, serverName);
    QFETCH(int, argumentCount);
    QFETCH(QString, message);

    TcpPeer peer(TcpPeer::answering(QStringLiteral("0000000001")));
    auto connection = connectionTo(peer.port());
    connection->setServerName(serverName);
    const QList<RpcArg> args(argumentCount, RpcArg(QStringLiteral("0001")));
    const ServerResult result = connection->call(GetPrxPedido, args);
    QCOMPARE(result.errorCode(), int(ServerError::BadCall));
    QCOMPARE(result.errorMessage(), message);
    QCOMPARE(peer.requests(), 0);
}

void TstTransport::referencesThatDoNotFitAreRefusedBeforeSending_data()
{
    QTest::addColumn<QList<int>>("references");
    QTest::addColumn<QString>("message");

    QTest::newRow("all by value: outputs not read") << QList<int>{} << QString();
    QTest::newRow("all by reference") << QList<int>{5, 8, 9, 10, 11, 12} << QString();
    QTest::newRow("one of six") << QList<int>{5}
        << "Chamada inválida: o argumento 9 de PED00100.rdmLanPedido.GetDadosAfterScroll é por referência, e a chamada "
           "o passou por valor.";
    QTest::newRow("a value by reference") << QList<int>{0}
        << "Chamada inválida: o argumento 1 de PED00100.rdmLanPedido.GetDadosAfterScroll é por valor, e a chamada "
           "o passou por referência.";
}

void TstTransport::referencesThatDoNotFitAreRefusedBeforeSending()
{
    QFETCH(QList<int>, references);
    QFETCH(QString, message);

    TcpPeer peer(TcpPeer::answering(QJsonArray{}));
    auto connection = connectionTo(peer.port());
    std::array<QString, GetDadosAfterScroll.args.size()> variables;
    QList<RpcArg> args;
    for (int i = 0; i < int(variables.size()); ++i)
        args.append(references.contains(i) ? RpcArg::ref(variables[std::size_t(i)]) : RpcArg(variables[std::size_t(i)]));
    const ServerResult result = connection->call(GetDadosAfterScroll, args);
    if (message.isEmpty()) {
        QCOMPARE(peer.requests(), 1);
        return;
    }
    QCOMPARE(result.errorCode(), int(ServerError::BadCall));
    QCOMPARE(result.errorMessage(), message);
    QCOMPARE(peer.requests(), 0);
}

QTEST_GUILESS_MAIN(TstTransport)
#include "tst_transport.moc"
