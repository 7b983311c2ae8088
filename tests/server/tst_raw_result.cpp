// Results written as JSON text: a packet written straight from a query must
// read back as the packet built through values, on SQLite and PostgreSQL,
// and the dispatcher must splice such text into every kind of answer.

#include "datapacket.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "modules/order_list_query.h"
#include "modules/packet_sql.h"
#include "rpc/method_registry.h"
#include "rpc/rpc_dispatcher.h"
#include "rpc/session_service.h"
#include "rpc/worker_databases.h"
#include "store/database.h"
#include "store/sql.h"
#include "store/temporary_database.h"
#include "test_server.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

const QString lanPedido = ServerNames::LanPedido;

QJsonObject objectOf(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw std::runtime_error("not a JSON object: " + error.errorString().toStdString() + " in "
                                 + bytes.left(200).toStdString());
    return document.object();
}

QByteArray packetBytes(const QSqlDatabase& db, const QList<FieldDef>& fields, const QString& sql,
                       const QVariantList& values = {})
{
    QByteArray bytes;
    appendSelectedPacket(bytes, db, fields, sql, values);
    return bytes;
}

ArgSpec textArg(const QString& name, bool byReference = false)
{
    return PedTest::testArg(name, ArgKind::Text, byReference);
}

MethodSpec rawMethod(const QString& name, QList<ArgSpec> args, RawMethodFunction function)
{
    MethodSpec spec = PedTest::testMethod(name, std::move(args), {});
    spec.rawFunction = std::move(function);
    spec.readOnly = true;
    return spec;
}

// A packet of text with every character JSON must escape.
const QByteArray awkwardPacket =
    "{\"fields\":[{\"name\":\"T\",\"size\":20,\"type\":\"string\"}],\"rows\":[[\"a\\\"b\\\\c\\n\\u0001\xc3\xa7\xc3\xa3o\"]]}";

void registerRawMethods(MethodRegistry& registry)
{
    registry.addOutsideCatalogue(rawMethod(QStringLiteral("TstBruto"), {textArg(QStringLiteral("label"))},
        [](CallContext&, QJsonArray&) { return RawJson{awkwardPacket}; }));
    registry.addOutsideCatalogue(rawMethod(QStringLiteral("TstBrutoRef"),
        {textArg(QStringLiteral("label")), textArg(QStringLiteral("echo"), true)},
        [](CallContext&, QJsonArray& params) {
            params[1] = params[1].toString() + QStringLiteral(" lido");
            return RawJson{'[' + awkwardPacket + ",null]"};
        }));
    registry.addOutsideCatalogue(rawMethod(QStringLiteral("TstBrutoFalha"), {},
        [](CallContext&, QJsonArray&) -> RawJson { throw MethodError("SEM_PEDIDO"); }));
}

} // namespace

class TestRawResult : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void packetTextReadsLikeThePacket_data();
    void packetTextReadsLikeThePacket();
    void orderTableReadsLikeThePacket_data() { PedTest::DemoBackends::addKinds(); }
    void orderTableReadsLikeThePacket();
    void emptyResultIsAPacketWithoutRows_data() { PedTest::DemoBackends::addKinds(); }
    void emptyResultIsAPacketWithoutRows();
    void malformedStoredValueFails_data() { PedTest::DemoBackends::addKinds(); }
    void malformedStoredValueFails();

    void dispatcherSplicesRawResults();
    void registryParsesRawResultsForCallersInProcess();

private:
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND() PED_OPEN_BACKEND(m_backends, backend)

void TestRawResult::initTestCase()
{
    m_backends.open(QStringLiteral("tst_raw_result"));
}

void TestRawResult::packetTextReadsLikeThePacket_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<FieldDef>("field");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("postgresType");
    QTest::addColumn<QString>("wire");   // how a date goes out, when the row says

    const FieldDef text{QStringLiteral("T"), FieldType::String, 200};
    const FieldDef memo{QStringLiteral("M"), FieldType::Memo, 0};
    const FieldDef number{QStringLiteral("F"), FieldType::Float, 0};
    const FieldDef integer{QStringLiteral("I"), FieldType::Integer, 0};
    const FieldDef date{QStringLiteral("D"), FieldType::Date, 0};
    const FieldDef dateTime{QStringLiteral("H"), FieldType::DateTime, 0};
    QString longMemo;
    for (int line = 0; line < 200; ++line)
        longMemo += QStringLiteral("linha %1: \"entrega\" \\ às 8h\r\n").arg(line);
    const struct {
        const char* name;
        FieldDef field;
        QVariant stored;
        const char* postgresType;
        const char* wire = "";
    } rows[] = {
        {"plain text", text, QStringLiteral("PEDIDO 0001"), "VARCHAR(200)"},
        {"empty text", text, QString(""), "VARCHAR(200)"},
        {"quotes and backslashes", text, QStringLiteral("D'AVILA \"o\" C:\\pasta\\"), "VARCHAR(200)"},
        {"control characters", text, QStringLiteral("a\tb\nc\rd\be\ff\x01g\x1fh\x7fi"), "VARCHAR(200)"},
        {"non-ASCII", text, QStringLiteral("Ação São João ½ € 日本 𝄞"), "VARCHAR(200)"},
        {"escape after non-ASCII", text, QStringLiteral("ção\"\\"), "VARCHAR(200)"},
        {"null text", text, QVariant(QMetaType::fromType<QString>()), "VARCHAR(200)"},
        {"long memo", memo, longMemo, "TEXT"},
        {"float", number, 1234.56, "DOUBLE PRECISION"},
        {"whole float", number, 12.0, "DOUBLE PRECISION"},
        {"negative float", number, -0.1, "DOUBLE PRECISION"},
        {"large float", number, 1.5e300, "DOUBLE PRECISION"},
        {"small float", number, 2.5e-300, "DOUBLE PRECISION"},
        {"float beyond integers", number, 123456789012345.67, "DOUBLE PRECISION"},
        {"null float", number, QVariant(QMetaType::fromType<double>()), "DOUBLE PRECISION"},
        {"integer", integer, qlonglong(42), "BIGINT"},
        {"largest safe integer", integer, qlonglong(9007199254740991), "BIGINT"},
        {"negative integer", integer, qlonglong(-7), "BIGINT"},
        {"date", date, QDate(2026, 3, 10), "DATE"},
        {"date as date-time text", date, QStringLiteral("2026-03-10T00:00:00"), "VARCHAR(30)"},
        {"date of a date-time text", date, QStringLiteral("2026-03-10T14:30:00.000"), "VARCHAR(30)", "2026-03-10"},
        {"null date", date, QVariant(QMetaType::fromType<QDate>()), "DATE"},
        {"date-time", dateTime, QDateTime(QDate(2026, 3, 10), QTime(14, 30, 59)), "TIMESTAMP"},
        {"date-time with milliseconds cut", dateTime, QStringLiteral("2026-03-10T14:30:59.999"), "VARCHAR(30)", "2026-03-10T14:30:59"},
        {"date-time with a blank", dateTime, QStringLiteral("2026-12-31 23:59:59"), "VARCHAR(30)", "2026-12-31T23:59:59"},
        {"date-time of a day", dateTime, QStringLiteral("2026-03-10"), "VARCHAR(30)", "2026-03-10T00:00:00"},
        {"hour 24 read as the next midnight", dateTime, QStringLiteral("2026-03-10T24:00:00"), "VARCHAR(30)", "2026-03-11T00:00:00"},
        {"null date-time", dateTime, QVariant(QMetaType::fromType<QDateTime>()), "TIMESTAMP"},
    };
    for (const char* kind : {"sqlite", "postgresql"}) {
        for (const auto& row : rows)
            QTest::addRow("%s %s", kind, row.name)
                << QString::fromLatin1(kind) << row.field << row.stored << QString::fromLatin1(row.postgresType)
                << QString::fromLatin1(row.wire);
    }
}

// The text must be what the client's packet parser accepts, with the same
// fields and values as the packet built through values.
void TestRawResult::packetTextReadsLikeThePacket()
{
    OPEN_BACKEND();
    QFETCH(FieldDef, field);
    QFETCH(QVariant, stored);
    QFETCH(QString, postgresType);
    QFETCH(QString, wire);
    const bool postgres = isPostgres(db);
    const QString value = postgres ? QStringLiteral("CAST(? AS %1)").arg(postgresType) : QStringLiteral("?");
    // Three rows: the separators between rows matter as much as the values.
    const QString sql = QStringLiteral("SELECT %1 UNION ALL SELECT %1 UNION ALL SELECT %1").arg(value);
    const QList<FieldDef> fields = {field};
    const QVariantList values = {stored, stored, stored};

    const QByteArray bytes = packetBytes(db, fields, sql, values);
    const DataPacket expected = selectPacket(db, fields, sql, values);
    QCOMPARE(objectOf(bytes), expected.toJson());
    if (!wire.isEmpty())
        QCOMPARE(objectOf(bytes).value(QStringLiteral("rows")).toArray().at(0).toArray().at(0).toString(), wire);
    const DataPacket parsed = DataPacket::fromBytes(bytes);
    QCOMPARE(parsed.fields, expected.fields);
    QCOMPARE(parsed.rows.size(), 3);
    QCOMPARE(parsed.rows, DataPacket::fromJson(expected.toJson()).rows);
}

void TestRawResult::orderTableReadsLikeThePacket()
{
    OPEN_BACKEND();
    const OrderListQuery query(PedTest::openOrderListArguments(), isPostgres(db));
    const QByteArray bytes = packetBytes(db, OrderListQuery::fields(), query.selectSql(), query.values());
    const DataPacket expected = selectPacket(db, OrderListQuery::fields(), query.selectSql(), query.values());
    QVERIFY(expected.rows.size() > 3);
    QCOMPARE(objectOf(bytes), expected.toJson());
}

void TestRawResult::emptyResultIsAPacketWithoutRows()
{
    OPEN_BACKEND();
    const QList<FieldDef> fields = {textField(QStringLiteral("NRPEDIDO"), 10), dateTimeField(QStringLiteral("DTPEDIDO"))};
    const QString sql = QStringLiteral("SELECT NRPEDIDO, DTPEDIDO FROM PEDIDO WHERE CDFILIAL = ?");
    const QByteArray bytes = packetBytes(db, fields, sql, {QStringLiteral("XXXX")});
    QCOMPARE(objectOf(bytes), emptyPacket(fields).toJson());
}

void TestRawResult::malformedStoredValueFails()
{
    OPEN_BACKEND();
    const QList<FieldDef> fields = {dateTimeField(QStringLiteral("DTPEDIDO"))};
    QVERIFY_THROWS_EXCEPTION(StoreError, packetBytes(db, fields, QStringLiteral("SELECT '10/03/2026 14:30'")));
    QVERIFY_THROWS_EXCEPTION(StoreError, packetBytes(db, fields, QStringLiteral("SELECT '2026-13-10T14:30:00'")));
    QVERIFY_THROWS_EXCEPTION(StoreError, packetBytes(db, {floatField(QStringLiteral("V"))}, QStringLiteral("SELECT 'doze'")));
    QVERIFY_THROWS_EXCEPTION(StoreError, packetBytes(db, fields, QStringLiteral("SELECT 1, 2")));
}

// Raw text in a single answer, in the by-reference envelope, beside other
// answers of a batch, and a raw method's failure as a plain error.
void TestRawResult::dispatcherSplicesRawResults()
{
    WorkerDatabases databases(m_backends.sqlite().temporary->config());
    MethodRegistry registry;
    SessionService sessions({});
    sessions.registerMethods(registry);
    registerRawMethods(registry);
    RpcDispatcher dispatcher(registry, sessions, databases);
    const QJsonObject expectedPacket = objectOf(awkwardPacket);

    const RpcReply single = dispatcher.handle(lanPedido, QString(), PedTest::rpcRequest(QStringLiteral("TstBruto"), {"x"}, "a\"1"));
    QCOMPARE(single.httpStatus, 200);
    const QJsonObject answer = objectOf(single.body);
    QCOMPARE(answer.value(QStringLiteral("jsonrpc")), QJsonValue(QStringLiteral("2.0")));
    QCOMPARE(answer.value(QStringLiteral("id")), QJsonValue(QStringLiteral("a\"1")));
    QCOMPARE(answer.value(QStringLiteral("result")).toObject(), expectedPacket);

    const RpcReply byReference =
        dispatcher.handle(lanPedido, QString(), PedTest::rpcRequest(QStringLiteral("TstBrutoRef"), {"x", "pedido"}, 7));
    const QJsonObject envelope = objectOf(byReference.body).value(QStringLiteral("result")).toObject();
    QCOMPARE(envelope.value(QStringLiteral("refs")), QJsonValue(QJsonArray{QStringLiteral("pedido lido")}));
    QCOMPARE(envelope.value(QStringLiteral("value")), QJsonValue(QJsonArray{expectedPacket, QJsonValue()}));
    QCOMPARE(objectOf(byReference.body).value(QStringLiteral("id")), QJsonValue(7));

    const QByteArray batchBody = '[' + PedTest::rpcRequest(QStringLiteral("TstBruto"), {"x"}, 1) + ','
                                 + PedTest::rpcRequest(QStringLiteral("TstBrutoFalha"), {}, 2) + ','
                                 + PedTest::rpcRequest(QStringLiteral("TstBruto"), {"aviso"}).replace("\"id\":1,", "") + ','
                                 + PedTest::rpcRequest(QStringLiteral("TstBrutoRef"), {"x", "y"}, 3) + ']';
    const RpcReply batch = dispatcher.handle(lanPedido, QString(), batchBody);
    QCOMPARE(batch.httpStatus, 200);
    const QJsonArray answers = QJsonDocument::fromJson(batch.body).array();
    QCOMPARE(answers.size(), 3);
    QCOMPARE(answers.at(0).toObject().value(QStringLiteral("result")).toObject(), expectedPacket);
    QCOMPARE(answers.at(1).toObject().value(QStringLiteral("id")), QJsonValue(2));
    QCOMPARE(answers.at(1).toObject().value(QStringLiteral("error")).toObject().value(QStringLiteral("message")),
             QJsonValue(QStringLiteral("SEM_PEDIDO")));
    QVERIFY(!answers.at(1).toObject().contains(QStringLiteral("result")));
    QCOMPARE(answers.at(2).toObject().value(QStringLiteral("result")).toObject().value(QStringLiteral("refs")),
             QJsonValue(QJsonArray{QStringLiteral("y lido")}));
}

void TestRawResult::registryParsesRawResultsForCallersInProcess()
{
    MethodRegistry registry;
    registerRawMethods(registry);
    CallContext context;
    QJsonArray params{QStringLiteral("x"), QStringLiteral("pedido")};
    const QJsonValue value = registry.find(lanPedido, QStringLiteral("TstBrutoRef"))->function(context, params);
    QCOMPARE(value, QJsonValue(QJsonArray{objectOf(awkwardPacket), QJsonValue()}));
    QCOMPARE(params.at(1), QJsonValue(QStringLiteral("pedido lido")));

    registry.addOutsideCatalogue(rawMethod(QStringLiteral("TstQuebrado"), {}, [](CallContext&, QJsonArray&) { return RawJson{"[1,"}; }));
    QJsonArray none;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             registry.find(lanPedido, QStringLiteral("TstQuebrado"))->function(context, none));
}

QTEST_GUILESS_MAIN(TestRawResult)
#include "tst_raw_result.moc"
