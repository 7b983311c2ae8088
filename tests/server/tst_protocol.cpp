// The wire protocol: JSON-RPC 2.0 over HTTP, against a real in-process
// server, and the dispatcher's call semantics (transactions, retries,
// by-reference arguments) with methods of the test's own.

#include "http_client.h"
#include "method_calls.h"
#include "rpc/method_registry.h"
#include "rpc/rpc_dispatcher.h"
#include "rpc/session_service.h"
#include "rpc/worker_databases.h"
#include "test_server.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>

using namespace PedTest;

namespace {

const QString LanPedido = QStringLiteral("PED00100.rdmLanPedido");
const QString DBGeral = QStringLiteral("Bib.rdmDBGeral");
constexpr qint64 SmallBodyLimitBytes = 64 * 1024;

std::atomic<int> conflictAttempts{0};

QJsonObject errorOf(const QJsonValue& answer)
{
    return answer.toObject().value(QStringLiteral("error")).toObject();
}


void writeRow(CallContext& context, const QString& text)
{
    QSqlQuery query(context.db);
    query.prepare(QStringLiteral("INSERT INTO TESTE_ESCRITA (DSTEXTO) VALUES (?)"));
    query.addBindValue(text);
    if (!query.exec())
        throw std::runtime_error("insert failed");
}

// Methods that exercise the dispatcher: by-reference outputs, failures
// after a write, transient conflicts, a commit that cannot succeed.
void registerTestMethods(MethodRegistry& registry)
{
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstDobra"),
        {testArg(QStringLiteral("label"), ArgKind::Text), testArg(QStringLiteral("number"), ArgKind::Integer, true),
         testArg(QStringLiteral("items"), ArgKind::ValueArray, true)},
        [](CallContext&, QJsonArray& params) {
            params[1] = params[1].toInteger() * 2;
            QJsonArray items = params[2].toArray();
            items.append(QStringLiteral("novo"));
            params[2] = items;
            return QJsonValue(QStringLiteral("feito ") + params[0].toString());
        }));
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstFalhaAposGravar"), {testArg(QStringLiteral("text"), ArgKind::Text)},
        [](CallContext& context, QJsonArray& params) -> QJsonValue {
            writeRow(context, params[0].toString());
            throw MethodError("SALDO_INSU");
        }));
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstQuebra"), {},
        [](CallContext&, QJsonArray&) -> QJsonValue {
            throw std::runtime_error("SELECT DSSENHAHASH FROM OPERADOR failed: segredo");
        }));
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstGrava"), {testArg(QStringLiteral("text"), ArgKind::Text)},
        [](CallContext& context, QJsonArray& params) {
            writeRow(context, params[0].toString());
            return QJsonValue(true);
        }));
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstConflito"),
        {testArg(QStringLiteral("failures"), ArgKind::Integer), testArg(QStringLiteral("log"), ArgKind::ValueArray, true)},
        [](CallContext& context, QJsonArray& params) {
            writeRow(context, QStringLiteral("tentativa"));
            QJsonArray log = params[1].toArray();
            log.append(QStringLiteral("passou"));
            params[1] = log;
            const int attempt = ++conflictAttempts;
            if (attempt <= params[0].toInt())
                throw DatabaseFailure(QStringLiteral("could not serialize"),
                                      QSqlError(QString(), QStringLiteral("conflict"),
                                                QSqlError::StatementError, QStringLiteral("40001")));
            return QJsonValue(attempt);
        }));
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstSemCommit"), {testArg(QStringLiteral("text"), ArgKind::Text)},
        [](CallContext& context, QJsonArray& params) {
            // Ends the transaction behind the dispatcher's back: the commit
            // that follows must fail and the call must not report success.
            writeRow(context, params[0].toString());
            QSqlQuery(context.db).exec(QStringLiteral("ROLLBACK"));
            return QJsonValue(QStringLiteral("ok"));
        }));
    registry.addOutsideCatalogue(testMethod(QStringLiteral("TstData"),
        {testArg(QStringLiteral("day"), ArgKind::Date, false, false), testArg(QStringLiteral("flag"), ArgKind::Boolean),
         testArg(QStringLiteral("packet"), ArgKind::Packet), testArg(QStringLiteral("amount"), ArgKind::Float)},
        [](CallContext&, QJsonArray& params) { return QJsonValue(params); }));
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void errors_data();
    void errors();
    void argumentKinds_data();
    void argumentKinds();
    void idsAreEchoed_data();
    void idsAreEchoed();
    void batchMixesAnswersInOrder();
    void notificationsGetNoAnswer_data();
    void notificationsGetNoAnswer();
    void byReferenceArgumentsComeBackInRefs();
    void failedCallsWriteNothing_data();
    void failedCallsWriteNothing();
    void transientConflictsAreRetried_data();
    void transientConflictsAreRetried();
    void oversizedBodies_data();
    void oversizedBodies();
    void malformedHttp_data();
    void malformedHttp();
    void paths_data();
    void paths();
    void keepAliveServesManyCalls();
    void networkAccessManagerClientWorks();
    void garbageNeverBreaksTheServer();
    void dispatcherNeedsNoSockets();

private:
    int rowsWritten(const QString& text);
    HttpResult rpc(const QString& module, const QByteArray& body, bool withToken = false);

    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<HttpClient> m_client;
    QString m_token;
};

void TestProtocol::initTestCase()
{
    TestServerOptions options;
    options.maxBodyBytes = SmallBodyLimitBytes;
    options.extraMethods = registerTestMethods;
    m_server = std::make_unique<TestServer>(options);
    m_server->execSql(QStringLiteral("CREATE TABLE TESTE_ESCRITA (DSTEXTO VARCHAR(40))"));
    m_client = std::make_unique<HttpClient>(m_server->port());
    m_token = m_server->login();
}

void TestProtocol::cleanupTestCase()
{
    m_client.reset();
    m_server.reset();
}

int TestProtocol::rowsWritten(const QString& text)
{
    return m_server->rows(QStringLiteral("SELECT COUNT(*) FROM TESTE_ESCRITA WHERE DSTEXTO = ?"), {text}).at(0).at(0).toInt();
}

HttpResult TestProtocol::rpc(const QString& module, const QByteArray& body, bool withToken)
{
    HeaderList headers;
    if (withToken)
        headers.append({"Authorization", "Bearer " + m_token.toLatin1()});
    return m_client->post("/rpc/" + module.toUtf8(), body, headers);
}

void TestProtocol::errors_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("withToken");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("messagePart");

    const auto call = [](const char* method, const char* params) {
        return QByteArray(R"({"jsonrpc":"2.0","id":1,"method":")") + method + R"(","params":)" + params + "}";
    };
    QTest::newRow("parse error") << DBGeral << QByteArray(R"({"jsonrpc":"2.0",)") << false << 400 << -32700 << "parse error";
    QTest::newRow("empty body") << DBGeral << QByteArray() << false << 400 << -32700 << "empty body";
    QTest::newRow("two values") << DBGeral << QByteArray("{} {}") << false << 400 << -32700 << "parse error";
    QTest::newRow("invalid utf-8") << DBGeral << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":\"\xff\xfe\"}") << false << 400 << -32700 << "parse error";
    QTest::newRow("bare number") << DBGeral << QByteArray("5") << false << 400 << -32600 << "object";
    QTest::newRow("jsonrpc missing") << DBGeral << QByteArray(R"({"id":1,"method":"Login","params":[]})") << false << 400 << -32600 << "\"2.0\"";
    QTest::newRow("jsonrpc 1.0") << DBGeral << QByteArray(R"({"jsonrpc":"1.0","id":1,"method":"Login","params":[]})") << false << 400 << -32600 << "\"2.0\"";
    QTest::newRow("method not text") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":7,"params":[]})") << false << 400 << -32600 << "method";
    QTest::newRow("params by name") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"Login","params":{"operator":"DEMO"}})") << false << 400 << -32600 << "positional";
    QTest::newRow("id an object") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":{},"method":"Login","params":[]})") << false << 400 << -32600 << "id must be";
    QTest::newRow("empty batch") << DBGeral << QByteArray("[]") << false << 400 << -32600 << "empty batch";
    QTest::newRow("unknown method") << DBGeral << call("NaoExiste", "[]") << false << 200 << -32601 << "unknown method 'NaoExiste'";
    QTest::newRow("unknown module") << QStringLiteral("XYZ.rdmNada") << call("Login", "[]") << false << 404 << -32601 << "unknown server name 'XYZ.rdmNada'";
    QTest::newRow("params missing") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"Login"})") << false << 200 << -32602 << "got 0";
    QTest::newRow("wrong kind") << DBGeral << call("Login", R"(["DEMO",5])") << false << 200 << -32602 << "argument 2 (password): expected text";
    QTest::newRow("text for integer") << DBGeral << call("AutorizaOperador", R"(["DEMO","demo","14"])") << true << 200 << -32602 << "argument 3 (kind): expected integer";
    QTest::newRow("method failure") << DBGeral << call("Login", R"(["DEMO","errada"])") << false << 200 << -32000 << "Operador ou senha inválidos.";
    QTest::newRow("no session") << DBGeral << call("AutorizaOperador", R"(["DEMO","demo",14])") << false << 401 << -32001 << "no session";
    QTest::newRow("session before arguments") << DBGeral << call("AutorizaOperador", R"([])") << false << 401 << -32001 << "no session";
    QTest::newRow("unknown escape") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"Login","params":["\x41","demo"]})") << false << 400 << -32700 << "parse error";
    QTest::newRow("raw control byte in a string") << DBGeral << QByteArray("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"Login\",\"params\":[\"DE\x01MO\",\"demo\"]}") << false << 400 << -32700 << "parse error";
    QTest::newRow("lone surrogate") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"Login","params":["\ud800","demo"]})") << false << 400 << -32700 << "parse error";
    QTest::newRow("second method key") << DBGeral << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"Logout","method":"Login","params":["DEMO","demo"]})") << false << 400 << -32600 << "invalid request";
    QTest::newRow("NUL in a text argument") << DBGeral << call("Login", R"(["DEMO\u0000","demo"])") << false << 200 << -32602 << "argument 1 (operator): must not hold the NUL";
    QTest::newRow("NUL inside a value array") << LanPedido << call("TstData", R"(["2026-03-10",true,{"x":["a\u0000"]},1])") << true << 200 << -32602 << "argument 3 (packet): must not hold the NUL";
    QTest::newRow("method name is case-insensitive") << DBGeral << call("login", R"(["DEMO"])") << false << 200 << -32602 << "Login expects";
}

void TestProtocol::errors()
{
    QFETCH(QString, module);
    QFETCH(QByteArray, body);
    QFETCH(bool, withToken);
    QFETCH(int, httpStatus);
    QFETCH(int, code);
    QFETCH(QString, messagePart);

    const HttpResult answer = rpc(module, body, withToken);
    QCOMPARE(answer.status, httpStatus);
    QVERIFY(answer.header("content-type").startsWith("application/json"));
    const QJsonObject error = errorOf(answer.json());
    QCOMPARE(error.value(QStringLiteral("code")).toInt(), code);
    QVERIFY2(error.value(QStringLiteral("message")).toString().contains(messagePart),
             qPrintable(error.value(QStringLiteral("message")).toString()));
    QCOMPARE(answer.json().toObject().value(QStringLiteral("jsonrpc")).toString(), QStringLiteral("2.0"));
    if (httpStatus == 401)
        QCOMPARE(answer.header("www-authenticate"), QByteArray("Bearer"));
}

void TestProtocol::argumentKinds_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<QString>("messagePart");   // empty: accepted

    QTest::newRow("all kinds") << QByteArray(R"(["2026-03-10",true,{"fields":[]},1.25])") << QString();
    QTest::newRow("date-time") << QByteArray(R"(["2026-03-10T14:30:00",false,{},3])") << QString();
    QTest::newRow("nullable nulls") << QByteArray(R"(["2026-03-10",null,null,null])") << QString();
    QTest::newRow("not a date") << QByteArray(R"(["10/03/2026",true,{},1])") << "argument 1 (day): expected date";
    QTest::newRow("impossible date") << QByteArray(R"(["2026-02-30",true,{},1])") << "argument 1 (day): expected date";
    QTest::newRow("null date") << QByteArray(R"([null,true,{},1])") << "argument 1 (day): must not be null";
    QTest::newRow("text for boolean") << QByteArray(R"(["2026-03-10","S",{},1])") << "argument 2 (flag): expected boolean";
    QTest::newRow("number for boolean") << QByteArray(R"(["2026-03-10",1,{},1])") << "argument 2 (flag): expected boolean";
    QTest::newRow("array for packet") << QByteArray(R"(["2026-03-10",true,[],1])") << "argument 3 (packet): expected data packet";
    QTest::newRow("text for number") << QByteArray(R"(["2026-03-10",true,{},"1,5"])") << "argument 4 (amount): expected number";
}

void TestProtocol::argumentKinds()
{
    QFETCH(QByteArray, params);
    QFETCH(QString, messagePart);
    const HttpResult answer = rpc(LanPedido, R"({"jsonrpc":"2.0","id":1,"method":"TstData","params":)" + params + "}");
    QCOMPARE(answer.status, 200);
    const QJsonObject response = answer.json().toObject();
    if (messagePart.isEmpty()) {
        QCOMPARE(response.value(QStringLiteral("result")).toArray(), QJsonDocument::fromJson(params).array());
        return;
    }
    QCOMPARE(errorOf(response).value(QStringLiteral("code")).toInt(), -32602);
    QVERIFY2(errorOf(response).value(QStringLiteral("message")).toString().contains(messagePart),
             qPrintable(errorOf(response).value(QStringLiteral("message")).toString()));
}

void TestProtocol::idsAreEchoed_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::newRow("text") << QByteArray(R"("pedido-1")");
    QTest::newRow("empty text") << QByteArray(R"("")");
    QTest::newRow("unicode text") << QByteArray(R"("ação")");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("negative") << QByteArray("-3");
    QTest::newRow("fraction") << QByteArray("1.5");
    QTest::newRow("large integer") << QByteArray("9007199254740993");
    QTest::newRow("beyond 64 bits") << QByteArray("18446744073709551617");
    QTest::newRow("exponent form") << QByteArray("1E+2");
    QTest::newRow("escaped text") << QByteArray(R"("a\u0041\n")");
    QTest::newRow("null") << QByteArray("null");
}

void TestProtocol::idsAreEchoed()
{
    QFETCH(QByteArray, id);
    for (const QByteArray& method : {QByteArray("TstGrava"), QByteArray("NaoExiste")}) {
        const HttpResult answer = rpc(LanPedido, R"({"jsonrpc":"2.0","method":")" + method
                                                     + R"(","params":["id"],"id":)" + id + "}");
        QVERIFY2(answer.body.contains(R"("id":)" + id), answer.body.constData());
    }
}

void TestProtocol::batchMixesAnswersInOrder()
{
    const QByteArray batch = R"([
        {"jsonrpc":"2.0","id":1,"method":"TstGrava","params":["lote-1"]},
        {"jsonrpc":"2.0","method":"TstGrava","params":["lote-notificacao"]},
        5,
        {"jsonrpc":"2.0","id":"x","method":"NaoExiste","params":[]},
        {"jsonrpc":"2.0","id":2,"method":"TstFalhaAposGravar","params":["lote-falha"]},
        {"jsonrpc":"2.0","id":3,"method":"TstGrava","params":[1]}
    ])";
    const HttpResult answer = rpc(LanPedido, batch);
    QCOMPARE(answer.status, 200);
    const QJsonArray responses = answer.json().toArray();
    QCOMPARE(responses.size(), 5);
    QCOMPARE(responses[0].toObject().value(QStringLiteral("result")), QJsonValue(true));
    QCOMPARE(responses[0].toObject().value(QStringLiteral("id")), QJsonValue(1));
    QCOMPARE(errorOf(responses[1]).value(QStringLiteral("code")).toInt(), -32600);
    QVERIFY(responses[1].toObject().value(QStringLiteral("id")).isNull());
    QCOMPARE(errorOf(responses[2]).value(QStringLiteral("code")).toInt(), -32601);
    QCOMPARE(responses[2].toObject().value(QStringLiteral("id")), QJsonValue(QStringLiteral("x")));
    QCOMPARE(errorOf(responses[3]).value(QStringLiteral("code")).toInt(), -32000);
    QCOMPARE(errorOf(responses[3]).value(QStringLiteral("message")).toString(), QStringLiteral("SALDO_INSU"));
    QCOMPARE(errorOf(responses[4]).value(QStringLiteral("code")).toInt(), -32602);
    // Each call has its own transaction: the failure of one undoes only its own write.
    QCOMPARE(rowsWritten(QStringLiteral("lote-1")), 1);
    QCOMPARE(rowsWritten(QStringLiteral("lote-notificacao")), 1);
    QCOMPARE(rowsWritten(QStringLiteral("lote-falha")), 0);
}

void TestProtocol::notificationsGetNoAnswer_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("single") << QByteArray(R"({"jsonrpc":"2.0","method":"TstGrava","params":["n1"]})");
    QTest::newRow("failing single") << QByteArray(R"({"jsonrpc":"2.0","method":"NaoExiste","params":[]})");
    QTest::newRow("batch of notifications") << QByteArray(R"([{"jsonrpc":"2.0","method":"TstGrava","params":["n2"]},
                                                             {"jsonrpc":"2.0","method":"TstQuebra","params":[]}])");
}

void TestProtocol::notificationsGetNoAnswer()
{
    QFETCH(QByteArray, body);
    const HttpResult answer = rpc(LanPedido, body);
    QCOMPARE(answer.status, 204);
    QVERIFY(answer.body.isEmpty());
    QVERIFY(m_client->isConnected());   // and the connection stays usable
}

void TestProtocol::byReferenceArgumentsComeBackInRefs()
{
    const QJsonValue result = m_server->result(LanPedido, QStringLiteral("TstDobra"),
                                               QJsonArray{QStringLiteral("x"), 21, QJsonArray{1}});
    const QJsonObject expected{{QStringLiteral("value"), QStringLiteral("feito x")},
                               {QStringLiteral("refs"), QJsonArray{42, QJsonArray{1, QStringLiteral("novo")}}}};
    QCOMPARE(result.toObject(), expected);
    // Methods without by-reference arguments return their value bare.
    QCOMPARE(m_server->result(LanPedido, QStringLiteral("TstGrava"), {QStringLiteral("bare")}), QJsonValue(true));
}

void TestProtocol::failedCallsWriteNothing_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("text");   // what the method writes first; empty: it takes no argument
    QTest::addColumn<int>("code");
    QTest::newRow("method failure after a write") << "TstFalhaAposGravar" << "desfeito" << -32000;
    QTest::newRow("commit that cannot succeed") << "TstSemCommit" << "sem-commit" << -32603;
    QTest::newRow("internal error") << "TstQuebra" << "" << -32603;
}

// Nothing stays written, and an internal error names a reference for the
// log but nothing of what failed.
void TestProtocol::failedCallsWriteNothing()
{
    QFETCH(QString, method);
    QFETCH(QString, text);
    QFETCH(int, code);
    const QJsonObject answer = m_server->call(LanPedido, method, text.isEmpty() ? QJsonArray() : QJsonArray{text});
    QVERIFY2(!answer.contains(QStringLiteral("result")), QJsonDocument(answer).toJson().constData());
    QCOMPARE(errorOf(answer).value(QStringLiteral("code")).toInt(), code);
    if (!text.isEmpty())
        QCOMPARE(rowsWritten(text), 0);
    const QString message = errorOf(answer).value(QStringLiteral("message")).toString();
    QVERIFY2(code != -32603 || message.contains(QStringLiteral("reference")), qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("SELECT")) && !message.contains(QStringLiteral("segredo")));
}

void TestProtocol::transientConflictsAreRetried_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("no conflict") << 0 << true;
    QTest::newRow("two conflicts") << 2 << true;
    QTest::newRow("conflicts on every attempt") << 99 << false;
}

void TestProtocol::transientConflictsAreRetried()
{
    QFETCH(int, failures);
    QFETCH(bool, succeeds);
    conflictAttempts = 0;
    const int rowsBefore = rowsWritten(QStringLiteral("tentativa"));
    const QJsonObject answer = m_server->call(LanPedido, QStringLiteral("TstConflito"), {failures, QJsonArray()});
    if (!succeeds) {
        QCOMPARE(errorOf(answer).value(QStringLiteral("code")).toInt(), -32603);
        QCOMPARE(conflictAttempts.load(), 5);
        QCOMPARE(rowsWritten(QStringLiteral("tentativa")), rowsBefore);
        return;
    }
    const QJsonObject result = answer.value(QStringLiteral("result")).toObject();
    QCOMPARE(result.value(QStringLiteral("value")).toInt(), failures + 1);
    // Every attempt starts again from the caller's arguments, and only the
    // last attempt's write stays.
    QCOMPARE(result.value(QStringLiteral("refs")).toArray(), QJsonArray({QJsonArray{QStringLiteral("passou")}}));
    QCOMPARE(rowsWritten(QStringLiteral("tentativa")), rowsBefore + 1);
}

void TestProtocol::oversizedBodies_data()
{
    QTest::addColumn<QByteArray>("request");
    const QByteArray big(SmallBodyLimitBytes + 1, ' ');
    QTest::newRow("body over the limit")
        << "POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nContent-Length: " + QByteArray::number(big.size()) + "\r\n\r\n" + big;
    QTest::newRow("announced 10 GiB, nothing sent")
        << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nContent-Length: 10737418240\r\n\r\n");
    QTest::newRow("expect 100-continue")
        << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 10737418240\r\n\r\n");
}

void TestProtocol::oversizedBodies()
{
    QFETCH(QByteArray, request);
    HttpClient client(m_server->port());
    const HttpResult answer = client.sendRaw(request);
    QCOMPARE(answer.status, 413);
    QCOMPARE(errorOf(answer.json()).value(QStringLiteral("code")).toInt(), -32600);
    QVERIFY(errorOf(answer.json()).value(QStringLiteral("message")).toString().contains(QStringLiteral("over the limit")));
    // A body at the limit is still read.
    HttpClient other(m_server->port());
    const QByteArray atLimit = rpcRequest(QStringLiteral("NaoExiste"), {}).leftJustified(SmallBodyLimitBytes, ' ');
    QCOMPARE(other.post("/rpc/Bib.rdmDBGeral", atLimit).status, 200);
}

void TestProtocol::malformedHttp_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("httpStatus");
    QTest::newRow("garbage request line") << QByteArray("HELLO\r\n\r\n") << 400;
    QTest::newRow("no path") << QByteArray("GET health HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("tls handshake on the plain port") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11) << 400;
    QTest::newRow("unknown version") << QByteArray("GET /health HTTP/2.0\r\n\r\n") << 505;
    QTest::newRow("bad header line") << QByteArray("GET /health HTTP/1.1\r\nNoColonHere\r\n\r\n") << 400;
    QTest::newRow("bad content length") << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nContent-Length: -5\r\n\r\n") << 400;
    QTest::newRow("conflicting content lengths") << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n{}") << 400;
    QTest::newRow("chunked body") << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n") << 411;
    QTest::newRow("LF-only line endings") << QByteArray("GET /health HTTP/1.1\nHost: x\n\n") << 400;
    QTest::newRow("garbage line, head not ended") << QByteArray("HELLO WORLD\r\n") << 400;
    QTest::newRow("LF-only, head not ended") << QByteArray("GET /health HTTP/1.1\n") << 400;
    QTest::newRow("empty content length") << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nContent-Length:\r\n\r\n") << 400;
    QTest::newRow("control byte in a header value") << QByteArray("GET /health HTTP/1.1\r\nX-Note: a\x01b\r\n\r\n") << 400;
    QTest::newRow("huge head") << "GET /health HTTP/1.1\r\nX-Big: " + QByteArray(70 * 1024, 'a') + "\r\n\r\n" << 431;
    QTest::newRow("unknown expectation") << QByteArray("POST /rpc/Bib.rdmDBGeral HTTP/1.1\r\nExpect: magic\r\nContent-Length: 2\r\n\r\n{}") << 417;
}

void TestProtocol::malformedHttp()
{
    QFETCH(QByteArray, request);
    QFETCH(int, httpStatus);
    HttpClient client(m_server->port());
    QElapsedTimer clock;
    clock.start();
    const HttpResult answer = client.sendRaw(request);
    QCOMPARE(answer.status, httpStatus);
    QVERIFY(answer.json().isObject());
    QCOMPARE(answer.header("connection"), QByteArray("close"));
    QVERIFY2(clock.elapsed() < 5000, "refused only after the read timeout");
}

void TestProtocol::paths_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QByteArray>("allow");
    QTest::newRow("health") << QByteArray("GET /health HTTP/1.1\r\n\r\n") << 200 << QByteArray();
    QTest::newRow("health with query") << QByteArray("GET /health?x=1 HTTP/1.1\r\n\r\n") << 200 << QByteArray();
    QTest::newRow("head of health") << QByteArray("HEAD /health HTTP/1.1\r\n\r\n") << 200 << QByteArray();
    QTest::newRow("post to health") << QByteArray("POST /health HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 405 << QByteArray("GET, HEAD");
    QTest::newRow("get on rpc") << QByteArray("GET /rpc/Bib.rdmDBGeral HTTP/1.1\r\n\r\n") << 405 << QByteArray("POST");
    QTest::newRow("unknown path") << QByteArray("GET /index.html HTTP/1.1\r\n\r\n") << 404 << QByteArray();
    QTest::newRow("root") << QByteArray("DELETE / HTTP/1.1\r\n\r\n") << 404 << QByteArray();
    QTest::newRow("head on rpc") << QByteArray("HEAD /rpc/Bib.rdmDBGeral HTTP/1.1\r\n\r\n") << 405 << QByteArray("POST");
    QTest::newRow("head of an unknown path") << QByteArray("HEAD /index.html HTTP/1.1\r\n\r\n") << 404 << QByteArray();
    QTest::newRow("percent-encoded server name") << QByteArray("POST /rpc/Bib%2erdmDBGeral HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 404 << QByteArray();
}

void TestProtocol::paths()
{
    QFETCH(QByteArray, request);
    QFETCH(int, httpStatus);
    QFETCH(QByteArray, allow);
    const HttpResult answer = m_client->sendRaw(request);
    QCOMPARE(answer.status, httpStatus);
    QCOMPARE(answer.header("allow"), allow);
    const QJsonObject body = answer.json().toObject();
    if (request.startsWith("HEAD ")) {
        QVERIFY(answer.body.isEmpty());
        QVERIFY(answer.header("content-length").toInt() > 0);
        QVERIFY(m_client->isConnected());   // the next request on this connection is read as one
    } else if (httpStatus == 200) {
        QVERIFY(body.value(QStringLiteral("databaseAnswers")).toBool());
        QCOMPARE(body.value(QStringLiteral("database")).toString(), QStringLiteral("sqlite"));
        QVERIFY(!body.value(QStringLiteral("version")).toString().isEmpty());
    } else {
        QVERIFY(body.value(QStringLiteral("error")).isObject());
    }
}

void TestProtocol::keepAliveServesManyCalls()
{
    HttpClient client(m_server->port());
    for (int i = 0; i < 20; ++i)
        QCOMPARE(client.post("/rpc/" + LanPedido.toUtf8(), rpcRequest(QStringLiteral("TstGrava"), {QStringLiteral("ka")})).status, 200);
    QCOMPARE(client.connectionsOpened(), 1);
    // HTTP/1.0 closes unless asked otherwise.
    const HttpResult old = client.sendRaw("GET /health HTTP/1.0\r\n\r\n");
    QCOMPARE(old.status, 200);
    QCOMPARE(old.header("connection"), QByteArray("close"));
}

void TestProtocol::networkAccessManagerClientWorks()
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(m_server->baseUrl() + QStringLiteral("/rpc/") + LanPedido));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    for (int i = 0; i < 2; ++i) {
        QNetworkReply* reply = manager.post(request, rpcRequest(QStringLiteral("TstGrava"), {QStringLiteral("nam")}, i));
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        QCOMPARE(answer.value(QStringLiteral("id")).toInt(), i);
        QCOMPARE(answer.value(QStringLiteral("result")), QJsonValue(true));
        reply->deleteLater();
    }
}

void TestProtocol::garbageNeverBreaksTheServer()
{
    QRandomGenerator random(20260306);
    const QByteArray valid = rpcRequest(QStringLiteral("TstGrava"), {QStringLiteral("lixo")});
    for (int i = 0; i < 300; ++i) {
        QByteArray body;
        if (i % 3 == 0) {
            body = valid.left(random.bounded(valid.size()));             // cut short
        } else if (i % 3 == 1) {
            body = valid;
            body[random.bounded(body.size())] = char(random.bounded(256));   // one byte changed
        } else {
            body.resize(random.bounded(1, 200));
            for (char& c : body)
                c = char(random.bounded(256));
        }
        const HttpResult answer = m_client->post("/rpc/" + LanPedido.toUtf8(), body);
        QVERIFY2(answer.status == 200 || answer.status == 204 || answer.status == 400,
                 qPrintable(QString::number(answer.status)));
        if (answer.status != 204)
            QVERIFY2(answer.json().isObject() || answer.json().isArray(), answer.body.constData());
    }
    QCOMPARE(m_client->get("/health").status, 200);
}

void TestProtocol::dispatcherNeedsNoSockets()
{
    WorkerDatabases databases(m_server->databaseConfig());
    MethodRegistry registry;
    SessionService sessions({});
    sessions.registerMethods(registry);
    registerTestMethods(registry);
    RpcDispatcher dispatcher(registry, sessions, databases);

    const RpcReply written = dispatcher.handle(LanPedido, QString(), rpcRequest(QStringLiteral("TstGrava"), {QStringLiteral("direto")}));
    QCOMPARE(written.httpStatus, 200);
    QCOMPARE(QJsonDocument::fromJson(written.body).object().value(QStringLiteral("result")), QJsonValue(true));
    QCOMPARE(rowsWritten(QStringLiteral("direto")), 1);
    QCOMPARE(dispatcher.handle(QStringLiteral("Nada"), QString(), "{}").httpStatus, 404);
    QCOMPARE(dispatcher.handle(DBGeral, QStringLiteral("bad"), rpcRequest(QStringLiteral("AutorizaOperador"), {})).httpStatus, 401);
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
