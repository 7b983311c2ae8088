// Calls whose arguments do not fit. Every catalogued method refuses, before
// any of its code runs, a call with an argument missing or one too many, an
// argument of another kind, or null where it takes none (-32602). The order screen's methods refuse a code that cannot name
// anything stored, naming the argument (-32000), on SQLite and (when
// PED_TEST_PG_URL is set) PostgreSQL.

#include "demo_backends.h"
#include "method_calls.h"
#include "method_catalogue.h"
#include "modules/modules.h"
#include "rpc/app_server.h"
#include "rpc/rpc_dispatcher.h"
#include "rpc/worker_databases.h"
#include "store/temporary_database.h"
#include "test_server.h"

#include <QDate>
#include <QJsonDocument>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;

// A value of the kind, and one of another kind that a careless client sends.
QJsonValue fitting(ArgKind kind)
{
    switch (kind) {
    case ArgKind::Text: return QString();
    case ArgKind::Boolean: return false;
    case ArgKind::Integer: return 0;
    case ArgKind::Float: return 0.5;
    case ArgKind::Date: return QStringLiteral("2026-03-10");
    case ArgKind::Packet: return QJsonObject();
    case ArgKind::ValueArray: return QJsonArray();
    }
    return {};
}

QJsonValue unfitting(ArgKind kind)
{
    switch (kind) {
    case ArgKind::Text: return 5;
    case ArgKind::Boolean: return QStringLiteral("S");
    case ArgKind::Integer: return 1.5;
    case ArgKind::Float: return QStringLiteral("1,5");
    case ArgKind::Date: return QStringLiteral("10/03/2026");
    case ArgKind::Packet: return QJsonArray();
    case ArgKind::ValueArray: return QJsonObject();
    }
    return {};
}

QJsonArray with(QJsonArray params, int index, const QJsonValue& value)
{
    params[index] = value;
    return params;
}

} // namespace

class TestBadArguments : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void callsThatDoNotFitTheMethodAreRefused_data();
    void callsThatDoNotFitTheMethodAreRefused();
    void codesThatCannotNameAnythingAreRefused_data();
    void codesThatCannotNameAnythingAreRefused();

private:
    QJsonObject dispatch(const QString& module, const QString& method, const QJsonArray& params, const QString& token = {});

    SessionService m_sessions{{}};
    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
    std::unique_ptr<WorkerDatabases> m_databases;
    std::unique_ptr<RpcDispatcher> m_dispatcher;   // over the SQLite demo database
    QString m_token;
};

void TestBadArguments::initTestCase()
{
    AppServer::registerMethods(m_registry, m_sessions);
    m_backends.open(QStringLiteral("tst_bad_arguments"));
    m_databases = std::make_unique<WorkerDatabases>(m_backends.sqlite().temporary->config());
    m_dispatcher = std::make_unique<RpcDispatcher>(m_registry, m_sessions, *m_databases);
    m_token = dispatch(ServerNames::DBGeral, QStringLiteral("Login"), {QStringLiteral("DEMO"), QStringLiteral("demo")})
                  .value(QStringLiteral("result")).toString();
    QVERIFY(!m_token.isEmpty());
}

QJsonObject TestBadArguments::dispatch(const QString& module, const QString& method, const QJsonArray& params,
                                       const QString& token)
{
    return QJsonDocument::fromJson(m_dispatcher->handle(module, token, PedTest::rpcRequest(method, params)).body).object();
}

void TestBadArguments::callsThatDoNotFitTheMethodAreRefused_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QJsonArray>("params");
    QTest::addColumn<QString>("message");
    for (const Rpc::MethodInfo& method : Rpc::catalogue()) {
        const MethodSpec* spec = m_registry.find(method.serverName(), method.methodName());
        QVERIFY2(spec, qPrintable(method.label()));
        const QByteArray label = method.label().toUtf8();
        const auto row = [&](const char* what, const QJsonArray& params, const QString& message) {
            QTest::addRow("%s: %s", label.constData(), what) << method.serverName() << method.methodName() << params << message;
        };
        QJsonArray fits;
        for (const Rpc::Arg& arg : method.args)
            fits.append(fitting(arg.kind));
        const QString count = QStringLiteral("%1 expects %2 argument(s), got %3").arg(method.methodName()).arg(fits.size());
        QJsonArray tooMany = fits;
        row("one argument too many", tooMany << QString(), count.arg(fits.size() + 1));
        if (!fits.isEmpty()) {
            QJsonArray tooFew = fits;
            tooFew.removeLast();
            row("one argument short", tooFew, count.arg(fits.size() - 1));
        }
        for (int i = 0; i < fits.size(); ++i) {
            const ArgSpec& arg = spec->args.at(i);
            const QString which = QStringLiteral("argument %1 (%2): ").arg(i + 1).arg(arg.name);
            row(qPrintable(QStringLiteral("argument %1 of another kind").arg(i + 1)),
                with(fits, i, unfitting(method.args[std::size_t(i)].kind)), which + QStringLiteral("expected"));
            if (!arg.nullable)
                row(qPrintable(QStringLiteral("argument %1 null").arg(i + 1)), with(fits, i, QJsonValue()),
                    which + QStringLiteral("must not be null"));
        }
    }
}

void TestBadArguments::callsThatDoNotFitTheMethodAreRefused()
{
    QFETCH(QString, module);
    QFETCH(QString, method);
    QFETCH(QJsonArray, params);
    QFETCH(QString, message);
    const QJsonObject error = dispatch(module, method, params, m_token).value(QStringLiteral("error")).toObject();
    QCOMPARE(error.value(QStringLiteral("code")).toInt(), -32602);
    QVERIFY2(error.value(QStringLiteral("message")).toString().startsWith(message),
             qPrintable(error.value(QStringLiteral("message")).toString()));
}

void TestBadArguments::codesThatCannotNameAnythingAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QJsonArray>("params");
    QTest::addColumn<QString>("message");   // how the refusal begins; empty: accepted
    const QString branch = QStringLiteral("0001");
    const QString order = QStringLiteral("0000000001");
    const QString blank = QStringLiteral(" ");
    const QString longBranch = QStringLiteral("00001");
    const QString longOrder = QStringLiteral("00000000001");
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QJsonArray price{"01", "X", "01", branch, "00001", today, "", ""};
    const QJsonArray prices{"01", QJsonArray{}, "01", branch, "00001", today, "", ""};
    const QJsonArray pageChange{"", "", blank, "", blank, "", branch, order, "1"};
    const QJsonArray afterScroll{branch, "", order, order, "1", "", "1", "", "S", "S", "S", "S", "T", "01"};
    const QJsonArray customer{false, "", "000001", "T", branch, ""};
    const struct {
        const char* name;
        const char* method;
        QJsonArray params;
        const char* message;
    } rows[] = {
        {"price, long base price", "GetPreco", with(price, 0, "011"), "Preço base"},
        {"price, day not a date", "GetPreco", with(price, 5, "ontem"), "Data do pedido"},
        {"prices, a product not a text", "GetPrecos", with(prices, 1, QJsonArray{"0101001", 7}), "Código do produto inválido na posição 2"},
        {"prices, long product", "GetPrecos", with(prices, 1, QJsonArray{QString(21, u'9')}), "Código do produto inválido(a)"},
        {"parameters of another table", "GetParam", {branch, "CLIENTE"}, "Parâmetro inválido(a): \"CLIENTE\"; use PARAMPEDIDO"},
        {"repricing without items", "VD_PRECOOK", {"01", today, DataPacket().toJson(), ""}, ""},
        {"delivery date not a date", "SetMudaData", {branch, "1", "x"}, "Data de entrega inválida"},
        {"items, SQL in the order", "GetItemPedido", {branch, "' OR 1=1 --", "1"}, "Número do pedido"},
        {"totals, long branch", "GetImposEncar", {longBranch, order}, "Filial"},
        {"totals, long order", "GetImposEncar", {branch, longOrder}, "Número do pedido"},
        {"tax totals, long branch", "GetImposPedTot", {longBranch, order}, "Filial"},
        {"after scroll, long item", "GetDadosAfterScroll", with(afterScroll, 3, longOrder), "Número do item"},
        {"after scroll, flag not S or N", "GetDadosAfterScroll", with(afterScroll, 8, "X"), "Posição de estoque"},
        {"after scroll, long operation", "GetDadosAfterScroll", with(afterScroll, 13, "001"), "Tipo de operação"},
        {"after scroll, SQL in the product", "GetDadosAfterScroll", with(afterScroll, 4, "1' OR '1'='1"), "Produto"},
        {"page change, long branch", "GetPgcChange", with(pageChange, 6, longBranch), "Filial"},
        {"page change, long order", "GetPgcChange", with(pageChange, 7, longOrder), "Número do pedido"},
        {"page change, long status", "GetPgcChange", with(pageChange, 8, "12"), "Situação do pedido"},
        {"page change, long modality", "GetPgcChange", with(pageChange, 3, "123456"), "Modalidade de pagamento"},
        {"notes, long customer", "GetPesqObser", {branch, QString(22, u'9')}, "Cliente"},
        {"print, long branch", "GetPedidoImpressao", {longBranch, order}, "Filial"},
        {"customer too long", "GetCliente", with(customer, 2, QString(22, u'9')), "Cliente inválido(a)"},
        {"seller too long", "GetCliente", with(with(customer, 0, true), 1, "00001"), "Vendedor inválido(a)"},
        {"unknown blocking mode", "GetCliente", with(customer, 3, "X"), "Situação de bloqueio inválido(a)"},
        {"customer's branch too long", "GetCliente", with(customer, 4, longBranch), "Filial inválido(a)"},
        {"modality too long", "GetCliente", with(customer, 5, "000001"), "Modalidade de pagamento inválido(a)"},
        {"seller fixed not a flag", "GetCliente", with(customer, 0, "S"), "Vendedor logado fixo"},
        {"note order too long", "GetObser", {branch, longOrder}, "Número do pedido inválido(a)"},
        {"opening branch too long", "GetAbertura", {"0001' OR '1'='1", "DEMO"}, "Filial inválido(a)"},
        {"opening operator too long", "GetAbertura", {branch, QString(13, u'X')}, "Operador inválido(a)"},
    };
    for (const char* kind : {"sqlite", "postgresql"}) {
        for (const auto& row : rows)
            QTest::addRow("%s %s", kind, row.name) << QString::fromLatin1(kind) << row.method << row.params
                                                   << QString::fromUtf8(row.message);
    }
}

void TestBadArguments::codesThatCannotNameAnythingAreRefused()
{
    PED_OPEN_BACKEND(m_backends, backend);
    QFETCH(QString, method);
    QFETCH(QJsonArray, params);
    QFETCH(QString, message);
    const std::optional<QString> refusal = PedTest::refusalOf(m_registry, db, lanPedido, method, params);
    if (message.isEmpty()) {
        QVERIFY2(!refusal, qPrintable(refusal.value_or(QString())));
        return;
    }
    QVERIFY2(refusal, "the call was accepted");
    QVERIFY2(refusal->startsWith(message), qPrintable(*refusal));
}

QTEST_GUILESS_MAIN(TestBadArguments)
#include "tst_bad_arguments.moc"
