// Marshalling of call arguments, by-reference outputs and the JSON-RPC answer.

#include "datapacket.h"
#include "rpcarg.h"
#include "rpcwire.h"

#include <QJsonDocument>
#include <QTest>

namespace {

DataPacket orderPacket()
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("NRPEDIDO"), FieldType::String, 10},
                     {QStringLiteral("QTITEMPED"), FieldType::Float, 0}};
    packet.rows = {{QStringLiteral("0000000001"), 12.5}};
    return packet;
}

QJsonObject envelope(const QJsonValue& value, const QJsonArray& refs)
{
    return QJsonObject{{QStringLiteral("value"), value}, {QStringLiteral("refs"), refs}};
}

QByteArray answer(const QJsonObject& body)
{
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

} // namespace

class TstRpcArg : public QObject {
    Q_OBJECT
private slots:
    void valueOnTheWire_data();
    void valueOnTheWire();
    void requestCarriesPositionalParamsAndReferencesAtCallTime();
    void everyReferenceKindTakesItsOutput();
    void nullOutputs();
    void unfitOutputLeavesEveryVariableUntouched_data();
    void unfitOutputLeavesEveryVariableUntouched();
    void envelopeWithoutReferencesPassedGivesTheValue();
    void referencesWithoutEnvelopeAreABadResponse();
    void referenceCountMismatchIsABadResponse();
    void parseResponse_data();
    void parseResponse();
};

void TstRpcArg::valueOnTheWire_data()
{
    QTest::addColumn<QJsonValue>("actual");
    QTest::addColumn<QJsonValue>("expected");

    Delta delta;
    delta.fields = orderPacket().fields;
    delta.changes = {RowChange{ChangeOp::Insert, {}, {QStringLiteral("0000000002"), 1.0}}};

    QTest::newRow("text") << RpcArg(QStringLiteral("Ação")).toJson() << QJsonValue(QStringLiteral("Ação"));
    QTest::newRow("literal text") << RpcArg("T").toJson() << QJsonValue(QStringLiteral("T"));
    QTest::newRow("empty text stays text") << RpcArg(QString()).toJson() << QJsonValue(QString());
    QTest::newRow("boolean") << RpcArg(false).toJson() << QJsonValue(false);
    QTest::newRow("integer") << RpcArg(14).toJson() << QJsonValue(14);
    QTest::newRow("large integer") << RpcArg(qint64(9007199254740991)).toJson()
                                   << QJsonValue(qint64(9007199254740991));
    QTest::newRow("size") << RpcArg(QList<int>{1, 2, 3}.size()).toJson() << QJsonValue(3);
    QTest::newRow("unsigned") << RpcArg(7u).toJson() << QJsonValue(7);
    QTest::newRow("float") << RpcArg(1234.56).toJson() << QJsonValue(1234.56);
    QTest::newRow("date") << RpcArg(QDate(2026, 3, 1)).toJson() << QJsonValue(QStringLiteral("2026-03-01"));
    QTest::newRow("invalid date is null") << RpcArg(QDate()).toJson() << QJsonValue(QJsonValue::Null);
    QTest::newRow("date-time") << RpcArg(QDateTime(QDate(2026, 3, 10), QTime(14, 30))).toJson()
                               << QJsonValue(QStringLiteral("2026-03-10T14:30:00"));
    QTest::newRow("date-time keeps milliseconds")
        << RpcArg(QDateTime(QDate(2026, 3, 10), QTime(14, 30, 5, 120))).toJson()
        << QJsonValue(QStringLiteral("2026-03-10T14:30:05.120"));
    QTest::newRow("invalid date-time is null") << RpcArg(QDateTime()).toJson() << QJsonValue(QJsonValue::Null);
    QTest::newRow("data packet") << RpcArg(orderPacket()).toJson() << QJsonValue(orderPacket().toJson());
    QTest::newRow("delta") << RpcArg(delta).toJson() << QJsonValue(delta.toJson());
    QTest::newRow("delta without changes is null") << RpcArg(Delta()).toJson() << QJsonValue(QJsonValue::Null);
    QTest::newRow("value array") << RpcArg(QJsonArray{1, QStringLiteral("A")}).toJson()
                                 << QJsonValue(QJsonArray{1, QStringLiteral("A")});
    QTest::newRow("null") << RpcArg(nullptr).toJson() << QJsonValue(QJsonValue::Null);
}

void TstRpcArg::valueOnTheWire()
{
    QFETCH(QJsonValue, actual);
    QFETCH(QJsonValue, expected);
    QCOMPARE(actual, expected);
}

void TstRpcArg::requestCarriesPositionalParamsAndReferencesAtCallTime()
{
    QString modality = QStringLiteral("01");
    const QList<RpcArg> args{QStringLiteral("0001"), RpcArg::ref(modality), 3, true};
    modality = QStringLiteral("02");   // the request reads the variable when it is built

    const QJsonObject request = QJsonDocument::fromJson(RpcWire::request(42, QStringLiteral("GetPgcChange"), args)).object();
    QCOMPARE(request.value("jsonrpc").toString(), QStringLiteral("2.0"));
    QCOMPARE(request.value("id").toInteger(), 42);
    QCOMPARE(request.value("method").toString(), QStringLiteral("GetPgcChange"));
    QCOMPARE(request.value("params").toArray(), (QJsonArray{QStringLiteral("0001"), QStringLiteral("02"), 3, true}));
}

void TstRpcArg::everyReferenceKindTakesItsOutput()
{
    QString text = QStringLiteral("in");
    double price = 1.0;
    int count = 1;
    bool flag = false;
    QDate date(2026, 1, 1);
    QDateTime moment(QDate(2026, 1, 1), QTime(8, 0));
    QJsonObject packet = orderPacket().toJson();
    QJsonValue anything = 7;
    const QList<RpcArg> args{QStringLiteral("by value"), RpcArg::ref(text), RpcArg::ref(price),
                             RpcArg::ref(count), RpcArg::ref(flag), 99, RpcArg::ref(date),
                             RpcArg::ref(moment), RpcArg::ref(packet), RpcArg::ref(anything)};

    DataPacket changed = orderPacket();
    changed.rows.append({QStringLiteral("0000000003"), 2.0});
    const QJsonArray outputs{QStringLiteral("out"), 19.9, 5, true, QStringLiteral("2026-12-31"),
                             QStringLiteral("2026-12-31T23:59:58"), changed.toJson(),
                             QJsonArray{QStringLiteral("x")}};
    const ServerResult result = RpcWire::takeReferences(envelope(QStringLiteral("OK"), outputs), args);

    QVERIFY2(result.ok(), qPrintable(result.errorMessage()));
    QCOMPARE(result.value(), QJsonValue(QStringLiteral("OK")));
    QCOMPARE(text, QStringLiteral("out"));
    QCOMPARE(price, 19.9);
    QCOMPARE(count, 5);
    QCOMPARE(flag, true);
    QCOMPARE(date, QDate(2026, 12, 31));
    QCOMPARE(moment, QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
    QCOMPARE(DataPacket::fromJson(packet).rows.size(), 2);
    QCOMPARE(anything, QJsonValue(QJsonArray{QStringLiteral("x")}));
}

void TstRpcArg::nullOutputs()
{
    QString text = QStringLiteral("in");
    QDate date(2026, 1, 1);
    QDateTime moment(QDate(2026, 1, 1), QTime(8, 0));
    QJsonObject packet = orderPacket().toJson();
    QJsonValue anything = 7;
    const QList<RpcArg> args{RpcArg::ref(text), RpcArg::ref(date), RpcArg::ref(moment), RpcArg::ref(packet),
                             RpcArg::ref(anything)};
    const QJsonArray outputs{QJsonValue::Null, QJsonValue::Null, QJsonValue::Null, QJsonValue::Null,
                             QJsonValue::Null};

    QVERIFY(RpcWire::takeReferences(envelope(QJsonValue::Null, outputs), args).ok());
    QVERIFY(text.isNull());
    QVERIFY(!date.isValid());
    QVERIFY(!moment.isValid());
    QVERIFY(packet.isEmpty());
    QVERIFY(anything.isNull());
}

void TstRpcArg::unfitOutputLeavesEveryVariableUntouched_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QJsonValue>("output");

    QTest::newRow("number into text") << "text" << QJsonValue(3);
    QTest::newRow("text into float") << "float" << QJsonValue(QStringLiteral("3,5"));
    QTest::newRow("null into float") << "float" << QJsonValue(QJsonValue::Null);
    QTest::newRow("fraction into integer") << "integer" << QJsonValue(2.5);
    QTest::newRow("text into boolean") << "boolean" << QJsonValue(QStringLiteral("S"));
    QTest::newRow("no date") << "date" << QJsonValue(QStringLiteral("31/12/2026"));
    QTest::newRow("number into date-time") << "datetime" << QJsonValue(20261231);
    QTest::newRow("array into packet") << "packet" << QJsonValue(QJsonArray{});
}

void TstRpcArg::unfitOutputLeavesEveryVariableUntouched()
{
    QFETCH(QString, kind);
    QFETCH(QJsonValue, output);

    QString first = QStringLiteral("in");
    QString text = QStringLiteral("in");
    double number = 1.5;
    int count = 1;
    bool flag = false;
    QDate date(2026, 1, 1);
    QDateTime moment(QDate(2026, 1, 1), QTime(8, 0));
    QJsonObject packet{{QStringLiteral("a"), 1}};
    const QMap<QString, RpcArg> byKind{{"text", RpcArg::ref(text)},       {"float", RpcArg::ref(number)},
                                       {"integer", RpcArg::ref(count)},   {"boolean", RpcArg::ref(flag)},
                                       {"date", RpcArg::ref(date)},       {"datetime", RpcArg::ref(moment)},
                                       {"packet", RpcArg::ref(packet)}};

    const QList<RpcArg> args{RpcArg::ref(first), byKind.value(kind, RpcArg(nullptr))};
    const ServerResult result = RpcWire::takeReferences(envelope(true, {QStringLiteral("out"), output}), args);

    QCOMPARE(result.errorCode(), int(ServerError::BadResponse));
    QVERIFY2(result.errorMessage().contains(QStringLiteral("valor por referência 2")),
             qPrintable(result.errorMessage()));
    QCOMPARE(first, QStringLiteral("in"));
    QCOMPARE(text, QStringLiteral("in"));
    QCOMPARE(number, 1.5);
    QCOMPARE(count, 1);
    QCOMPARE(flag, false);
    QCOMPARE(date, QDate(2026, 1, 1));
    QCOMPARE(packet, (QJsonObject{{QStringLiteral("a"), 1}}));
}

void TstRpcArg::envelopeWithoutReferencesPassedGivesTheValue()
{
    // The caller passed by value what the method declares by reference: it reads the value only.
    const ServerResult result = RpcWire::takeReferences(envelope(QJsonArray{1, 2}, {QStringLiteral("x")}),
                                                        {QStringLiteral("x")});
    QVERIFY(result.ok());
    QCOMPARE(result.value(), QJsonValue(QJsonArray{1, 2}));
}

void TstRpcArg::referencesWithoutEnvelopeAreABadResponse()
{
    QString text = QStringLiteral("in");
    const ServerResult result = RpcWire::takeReferences(QJsonValue(QStringLiteral("OK")), {RpcArg::ref(text)});
    QCOMPARE(result.errorCode(), int(ServerError::BadResponse));
    QCOMPARE(text, QStringLiteral("in"));
}

void TstRpcArg::referenceCountMismatchIsABadResponse()
{
    QString a = QStringLiteral("a");
    QString b = QStringLiteral("b");
    const ServerResult result =
        RpcWire::takeReferences(envelope(true, {QStringLiteral("x")}), {RpcArg::ref(a), RpcArg::ref(b)});
    QCOMPARE(result.errorCode(), int(ServerError::BadResponse));
    QVERIFY(result.errorMessage().contains(QStringLiteral("devolveu 1")));
    QCOMPARE(a, QStringLiteral("a"));
}

void TstRpcArg::parseResponse_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");

    const QJsonObject ok{{"jsonrpc", "2.0"}, {"id", 5}, {"result", QJsonArray{QStringLiteral("0000000012")}}};
    QTest::newRow("result") << answer(ok) << 0 << QJsonValue(QJsonArray{QStringLiteral("0000000012")}) << QString();
    QTest::newRow("null result")
        << answer({{"jsonrpc", "2.0"}, {"id", 5}, {"result", QJsonValue::Null}}) << 0
        << QJsonValue(QJsonValue::Null) << QString();
    QTest::newRow("method failure keeps the key")
        << answer({{"jsonrpc", "2.0"}, {"id", 5}, {"error", QJsonObject{{"code", -32000}, {"message", "SALDO_INSU"}}}})
        << -32000 << QJsonValue() << "SALDO_INSU";
    QTest::newRow("error with null id")
        << answer({{"jsonrpc", "2.0"}, {"id", QJsonValue::Null},
                   {"error", QJsonObject{{"code", -32700}, {"message", "Parse error"}}}})
        << -32700 << QJsonValue() << "Parse error";
    QTest::newRow("not json") << QByteArray("<html>Bad gateway</html>") << int(ServerError::BadResponse)
                              << QJsonValue() << "não é JSON";
    QTest::newRow("empty body") << QByteArray() << int(ServerError::BadResponse) << QJsonValue() << "não é JSON";
    QTest::newRow("array") << QByteArray("[]") << int(ServerError::BadResponse) << QJsonValue() << "JSON-RPC 2.0";
    QTest::newRow("no version")
        << answer({{"id", 5}, {"result", 1}}) << int(ServerError::BadResponse) << QJsonValue() << "JSON-RPC 2.0";
    QTest::newRow("other call's answer")
        << answer({{"jsonrpc", "2.0"}, {"id", 4}, {"result", 1}}) << int(ServerError::BadResponse) << QJsonValue()
        << "id 5";
    QTest::newRow("neither result nor error")
        << answer({{"jsonrpc", "2.0"}, {"id", 5}}) << int(ServerError::BadResponse) << QJsonValue()
        << "nem erro";
    QTest::newRow("error without code")
        << answer({{"jsonrpc", "2.0"}, {"id", 5}, {"error", QJsonObject{{"message", "x"}}}})
        << int(ServerError::BadResponse) << QJsonValue() << "sem código";
    QTest::newRow("error code of the client's own")
        << answer({{"jsonrpc", "2.0"}, {"id", 5}, {"error", QJsonObject{{"code", -2}, {"message", "x"}}}})
        << int(ServerError::BadResponse) << QJsonValue() << "código de erro -2 inválido";
}

void TstRpcArg::parseResponse()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);

    const ServerResult result = RpcWire::parseResponse(body, 5);
    QCOMPARE(result.errorCode(), code);
    if (code == 0)
        QCOMPARE(result.value(), value);
    else
        QVERIFY2(result.errorMessage().contains(message), qPrintable(result.errorMessage()));
}

QTEST_GUILESS_MAIN(TstRpcArg)
#include "tst_rpcarg.moc"
