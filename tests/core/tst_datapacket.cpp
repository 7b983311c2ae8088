#include "datapacket.h"
#include "errorof.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

constexpr qlonglong maxSafeInteger = (qlonglong(1) << 53) - 1;

DataPacket onePacket(FieldType type, const QVariant& value, int size = 0)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("CDFILIAL"), FieldType::String, 4}, {QStringLiteral("VALOR"), type, size}};
    packet.rows = {{QStringLiteral("0001"), value}};
    return packet;
}

QByteArray packetBytes(const char* fields, const char* rows)
{
    return QByteArray("{\"fields\":") + fields + ",\"rows\":" + rows + "}";
}

} // namespace

class TestDataPacket : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void nullReadsAsInvalidVariant_data();
    void nullReadsAsInvalidVariant();
    void acceptedValueForms_data();
    void acceptedValueForms();
    void malformedPacket_data();
    void malformedPacket();
    void unwritableValue_data();
    void unwritableValue();
    void keysInAnyOrderAndBlanks();
    void damagedBytesAreRejectedCleanly();
    void emptyPacket();
    void deltaRoundTrip();
    void malformedDelta_data();
    void malformedDelta();
    void recognisesPacketsAndDeltas_data();
    void recognisesPacketsAndDeltas();
    void indexOfIgnoresCase();
    void fieldTypeNames();
};

void TestDataPacket::roundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");

    const auto add = [](const char* name, FieldType type, const QVariant& value) {
        QTest::newRow(name) << int(type) << value;
    };
    add("string plain", FieldType::String, QStringLiteral("0000000012"));
    add("string empty", FieldType::String, QString(""));
    add("string accents", FieldType::String, QStringLiteral("Ação de preço à vista"));
    add("string beyond BMP", FieldType::String, QStringLiteral("lote 😀 ok"));
    add("string quotes and backslash", FieldType::String, QStringLiteral("a \"b\" c\\d / e"));
    add("string control characters", FieldType::String, QStringLiteral("linha1\nlinha2\tx\r\x01\x1f"));
    add("memo long", FieldType::Memo, QString(5000, QLatin1Char('x')) + QStringLiteral("ç"));
    add("integer zero", FieldType::Integer, QVariant(qlonglong(0)));
    add("integer negative", FieldType::Integer, QVariant(qlonglong(-42)));
    add("integer largest safe", FieldType::Integer, QVariant(maxSafeInteger));
    add("integer smallest safe", FieldType::Integer, QVariant(-maxSafeInteger));
    add("float fraction", FieldType::Float, 0.1);
    add("float negative", FieldType::Float, -12.345);
    add("float whole", FieldType::Float, 12.0);
    add("float huge", FieldType::Float, 1.7976931348623157e308);
    add("float tiny", FieldType::Float, 5e-324);
    add("float negative zero", FieldType::Float, -0.0);
    add("boolean true", FieldType::Boolean, true);
    add("boolean false", FieldType::Boolean, false);
    add("date", FieldType::Date, QDate(2026, 3, 10));
    add("date first year", FieldType::Date, QDate(1, 1, 1));
    add("date last year", FieldType::Date, QDate(9999, 12, 31));
    add("date leap day", FieldType::Date, QDate(2024, 2, 29));
    add("datetime", FieldType::DateTime, QDateTime(QDate(2026, 3, 10), QTime(14, 30, 0)));
    add("datetime with milliseconds", FieldType::DateTime, QDateTime(QDate(2026, 3, 10), QTime(23, 59, 59, 7)));
    add("datetime midnight", FieldType::DateTime, QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    for (FieldType type : {FieldType::String, FieldType::Memo, FieldType::Integer, FieldType::Float, FieldType::Boolean,
                           FieldType::Date, FieldType::DateTime}) {
        QTest::addRow("null %s", qPrintable(fieldTypeName(type))) << int(type) << QVariant();
    }
}

void TestDataPacket::roundTrip()
{
    QFETCH(int, type);
    QFETCH(QVariant, value);
    const DataPacket packet = onePacket(FieldType(type), value, type == int(FieldType::String) ? 30 : 0);

    const QByteArray bytes = packet.toBytes();
    const DataPacket fromBytes = DataPacket::fromBytes(bytes);
    QCOMPARE(fromBytes.fields, packet.fields);
    QCOMPARE(fromBytes.rows.size(), 1);
    QCOMPARE(fromBytes.rows[0][1], value);
    if (value.metaType().id() == QMetaType::Double)
        QCOMPARE(std::signbit(fromBytes.rows[0][1].toDouble()), std::signbit(value.toDouble()));

    // The tree path (packets inside a remote call) reads the same values,
    // also from the bytes the direct writer made.
    const DataPacket fromTree = DataPacket::fromJson(QJsonDocument::fromJson(bytes).object());
    QCOMPARE(fromTree.rows, fromBytes.rows);
    const DataPacket fromObject = DataPacket::fromJson(packet.toJson());
    QCOMPARE(fromObject.rows, fromBytes.rows);
    QCOMPARE(DataPacket::fromBytes(QJsonDocument(packet.toJson()).toJson()).rows, fromBytes.rows);
}

void TestDataPacket::nullReadsAsInvalidVariant_data()
{
    QTest::addColumn<QVariant>("null");
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("typed null") << QVariant(QMetaType::fromType<QDate>());
    QTest::newRow("invalid date") << QVariant(QDate());
    QTest::newRow("invalid datetime") << QVariant(QDateTime());
}

void TestDataPacket::nullReadsAsInvalidVariant()
{
    QFETCH(QVariant, null);
    const DataPacket packet = onePacket(FieldType::Date, null);
    QVERIFY(packet.toBytes().contains(",null]"));
    QVERIFY(!DataPacket::fromBytes(packet.toBytes()).rows[0][1].isValid());
}

void TestDataPacket::acceptedValueForms_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("json");

    QTest::newRow("int into integer") << int(FieldType::Integer) << QVariant(7) << "7";
    QTest::newRow("whole double into integer") << int(FieldType::Integer) << QVariant(7.0) << "7";
    QTest::newRow("int into float") << int(FieldType::Float) << QVariant(3) << "3";
    QTest::newRow("iso text into date") << int(FieldType::Date) << QVariant(QStringLiteral("2026-03-10")) << "\"2026-03-10\"";
    QTest::newRow("midnight into date") << int(FieldType::Date) << QVariant(QDateTime(QDate(2026, 3, 10), QTime(0, 0)))
                                        << "\"2026-03-10\"";
    QTest::newRow("date into datetime") << int(FieldType::DateTime) << QVariant(QDate(2026, 3, 10)) << "\"2026-03-10T00:00:00\"";
    QTest::newRow("iso text into datetime") << int(FieldType::DateTime) << QVariant(QStringLiteral("2026-03-10T08:05:09.120"))
                                            << "\"2026-03-10T08:05:09.120\"";
    QTest::newRow("utf-8 bytes into string") << int(FieldType::String) << QVariant(QByteArray("pão")) << "\"pão\"";
}

void TestDataPacket::acceptedValueForms()
{
    QFETCH(int, type);
    QFETCH(QVariant, value);
    QFETCH(QString, json);
    const QByteArray bytes = onePacket(FieldType(type), value).toBytes();
    QVERIFY2(bytes.contains(",\"rows\":[[\"0001\"," + json.toUtf8() + "]]}"), bytes.constData());
    QCOMPARE(QJsonDocument(onePacket(FieldType(type), value).toJson()).toJson(QJsonDocument::Compact), bytes);
}

void TestDataPacket::malformedPacket_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const char* floatField = R"([{"name":"CDFILIAL","type":"string","size":4},{"name":"QTITEM","type":"float"}])";
    const auto row = [](const char* name, const char* type, const char* value) {
        return packetBytes((QByteArray(R"([{"name":")") + name + R"(","type":")" + type + R"("}])").constData(),
                           (QByteArray("[[") + value + "]]").constData());
    };

    // A date or date-time text refused, with the form the reader expects.
    const auto badMoment = [&row](const char* name, const char* type, const char* text) {
        const QString form = qstrcmp(type, "date") == 0 ? R"(a date "yyyy-MM-dd")" : R"(a date-time "yyyy-MM-ddTHH:mm:ss")";
        QTest::newRow(name) << row("DT", type, (QByteArray("\"") + text + '"').constData())
                            << QStringLiteral("row 1, field \"DT\": expected %1, found text \"%2\"").arg(form, QLatin1String(text));
    };

    QTest::newRow("not json") << QByteArray("{\"fields\":[") << "malformed JSON at byte 11: the text ends before the value does";
    QTest::newRow("not an object") << QByteArray("[1,2]") << "expected a JSON object";
    QTest::newRow("trailing garbage") << packetBytes("[]", "[]") + "x" << "malformed JSON at byte 23: bytes after the value";
    QTest::newRow("invalid utf-8") << packetBytes(R"([{"name":"A","type":"string"}])", "[[\"\xff\"]]")
                                   << "malformed JSON at byte 51: invalid UTF-8 byte 0xff";
    QTest::newRow("no fields") << QByteArray(R"({"rows":[]})") << "\"fields\": expected an array, found nothing";
    QTest::newRow("no rows") << QByteArray(R"({"fields":[]})") << "\"rows\": expected an array, found nothing";
    QTest::newRow("rows not array") << packetBytes("[]", "{}") << "\"rows\": expected an array, found an object";
    QTest::newRow("unknown key") << QByteArray(R"({"fields":[],"rows":[],"row":[]})") << "packet: unknown key \"row\"";
    QTest::newRow("field not object") << packetBytes("[\"A\"]", "[]") << "field 1: expected an object, found text \"A\"";
    QTest::newRow("field without name") << packetBytes(R"([{"type":"string"}])", "[]")
                                        << "field 1: expected a non-empty \"name\", found nothing";
    QTest::newRow("field empty name") << packetBytes(R"([{"name":"","type":"string"}])", "[]")
                                      << "field 1: expected a non-empty \"name\", found text \"\"";
    QTest::newRow("field without type") << packetBytes(R"([{"name":"A"}])", "[]") << "field \"A\": expected a \"type\", found nothing";
    QTest::newRow("unknown type") << packetBytes(R"([{"name":"VR","type":"money"}])", "[]")
                                  << "field \"VR\": unknown field type \"money\"";
    QTest::newRow("type in capitals") << packetBytes(R"([{"name":"VR","type":"Float"}])", "[]")
                                      << "field \"VR\": unknown field type \"Float\"";
    QTest::newRow("size on float") << packetBytes(R"([{"name":"VR","type":"float","size":3}])", "[]")
                                   << "field \"VR\": \"size\" belongs to string and memo fields only";
    QTest::newRow("negative size") << packetBytes(R"([{"name":"NM","type":"string","size":-1}])", "[]")
                                   << "field \"NM\": \"size\" must be a whole number of characters, found a number";
    QTest::newRow("size as text") << packetBytes(R"([{"name":"NM","type":"string","size":"10"}])", "[]")
                                  << "field \"NM\": \"size\" must be a whole number of characters, found text \"10\"";
    QTest::newRow("unknown field key") << packetBytes(R"([{"name":"NM","type":"string","label":"Nome"}])", "[]")
                                       << "field 1: unknown key \"label\"";
    QTest::newRow("duplicate field") << packetBytes(R"([{"name":"NM","type":"string"},{"name":"nm","type":"string"}])", "[]")
                                     << "field 2: the name \"nm\" appears twice";
    QTest::newRow("row not array") << packetBytes(floatField, R"([["0001",1],{"a":1}])")
                                   << "row 2: expected an array of values, found an object";
    QTest::newRow("row too short") << packetBytes(floatField, R"([["0001",1],["0001"]])") << "row 2: expected 2 values, found 1";
    QTest::newRow("row too long") << packetBytes(floatField, R"([["0001",1,2]])") << "row 1: expected 2 values, found 3";
    QTest::newRow("text in float") << packetBytes(floatField, R"([["0001",1],["0001",2],["0001","abc"]])")
                                   << "row 3, field \"QTITEM\": expected a number, found text \"abc\"";
    QTest::newRow("number in string") << packetBytes(floatField, R"([[1,2]])")
                                      << "row 1, field \"CDFILIAL\": expected text, found a number";
    QTest::newRow("boolean in float") << packetBytes(floatField, R"([["0001",true]])")
                                      << "row 1, field \"QTITEM\": expected a number, found a boolean";
    QTest::newRow("array in string") << row("NM", "string", "[]") << "row 1, field \"NM\": expected text, found an array";
    QTest::newRow("fraction in integer") << row("NR", "integer", "1.5") << "row 1, field \"NR\": expected an integer, found 1.5";
    QTest::newRow("integer 2^53") << row("NR", "integer", "9007199254740992")
                                  << "row 1, field \"NR\": integer 9007199254740992 is beyond 2^53";
    QTest::newRow("integer 2^53+1") << row("NR", "integer", "9007199254740993")
                                    << "row 1, field \"NR\": integer 9007199254740993 is beyond 2^53";
    QTest::newRow("integer -2^53") << row("NR", "integer", "-9007199254740992")
                                   << "row 1, field \"NR\": integer -9007199254740992 is beyond 2^53";
    QTest::newRow("integer as exponent beyond") << row("NR", "integer", "1e20")
                                                << "row 1, field \"NR\": integer 1e+20 is beyond 2^53";
    QTest::newRow("float beyond double") << row("VR", "float", "1e400") << "malformed JSON at byte 50: number out of range";
    QTest::newRow("S in boolean") << row("ID", "boolean", "\"S\"") << "row 1, field \"ID\": expected a boolean, found text \"S\"";
    QTest::newRow("number in boolean") << row("ID", "boolean", "1") << "row 1, field \"ID\": expected a boolean, found a number";
    badMoment("month 13", "date", "2026-13-01");
    badMoment("february 30", "date", "2026-02-30");
    badMoment("year 0", "date", "0000-01-01");
    badMoment("brazilian date", "date", "10/03/2026");
    badMoment("short date", "date", "2026-3-1");
    badMoment("time in date", "date", "2026-03-10T00:00:00");
    QTest::newRow("number in date") << row("DT", "date", "20260310")
                                    << "row 1, field \"DT\": expected a date \"yyyy-MM-dd\", found a number";
    badMoment("date in datetime", "datetime", "2026-03-10");
    badMoment("zone in datetime", "datetime", "2026-03-10T14:30:00Z");
    badMoment("blank separator", "datetime", "2026-03-10 14:30:00");
    badMoment("two-digit milliseconds", "datetime", "2026-03-10T14:30:00.12");
    badMoment("hour 24", "datetime", "2026-03-10T24:00:00");
    QTest::newRow("escaped date") << row("DT", "date", "\"2026\\u002d03-10\"") << "<no error>";
}

void TestDataPacket::malformedPacket()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QCOMPARE(errorOf<DataPacketError>([&] { DataPacket::fromBytes(bytes); }), message);
}

void TestDataPacket::unwritableValue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");

    const auto add = [](const char* name, FieldType type, const QVariant& value, const QString& problem) {
        QTest::newRow(name) << int(type) << value << (QStringLiteral("row 1, field \"VALOR\": ") + problem);
    };
    add("text in float", FieldType::Float, QStringLiteral("12,5"), "expected a number, found text");
    add("NaN", FieldType::Float, std::numeric_limits<double>::quiet_NaN(), "nan cannot be written as JSON");
    add("infinity", FieldType::Float, std::numeric_limits<double>::infinity(), "inf cannot be written as JSON");
    add("integer 2^53", FieldType::Integer, QVariant(maxSafeInteger + 1), "integer 9007199254740992 is beyond 2^53");
    add("unsigned beyond", FieldType::Integer, QVariant(qulonglong(1) << 60), "integer 1152921504606846976 is beyond 2^53");
    add("fraction in integer", FieldType::Integer, 2.5, "expected an integer, found 2.5");
    add("text in integer", FieldType::Integer, QStringLiteral("12"), "expected an integer, found text");
    add("boolean in string", FieldType::String, true, "expected text, found a boolean");
    add("number in string", FieldType::String, 12, "expected text, found a number");
    add("text in boolean", FieldType::Boolean, QStringLiteral("S"), "expected a boolean, found text");
    add("time in date", FieldType::Date, QDateTime(QDate(2026, 3, 10), QTime(9, 0)),
        "a date field cannot hold the time of 2026-03-10T09:00:00");
    add("garbage text in date", FieldType::Date, QStringLiteral("10/03/2026"), "expected a date \"yyyy-MM-dd\", found \"10/03/2026\"");
    add("year beyond 9999", FieldType::Date, QDate(10000, 1, 1), "expected a date between the years 1 and 9999");
    add("number in datetime", FieldType::DateTime, 5, "expected a date-time, found a number");
}

void TestDataPacket::unwritableValue()
{
    QFETCH(int, type);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    const DataPacket packet = onePacket(FieldType(type), value);
    QCOMPARE(errorOf<DataPacketError>([&] { packet.toBytes(); }), message);
    QCOMPARE(errorOf<DataPacketError>([&] { packet.toJson(); }), message);
}

void TestDataPacket::keysInAnyOrderAndBlanks()
{
    const QByteArray bytes = " \n{ \"rows\" : [ [ \"A\" , 1 ] ] ,\t\"fields\":[{\"type\":\"string\",\"name\":\"NM\"},"
                             "{\"name\":\"NR\",\"type\":\"integer\"}] } \r\n";
    const DataPacket packet = DataPacket::fromBytes(bytes);
    QCOMPARE(packet.fields.size(), 2);
    QCOMPARE(packet.rows, QList<QVariantList>({{QStringLiteral("A"), QVariant(qlonglong(1))}}));

    DataPacket wrongWidth = packet;
    wrongWidth.rows[0].append(2);
    QCOMPARE(errorOf<DataPacketError>([&] { wrongWidth.toBytes(); }), QStringLiteral("row 1: has 3 values for 2 fields"));
}

void TestDataPacket::damagedBytesAreRejectedCleanly()
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("NM"), FieldType::String, 10}, {QStringLiteral("NR"), FieldType::Integer, 0},
                     {QStringLiteral("VR"), FieldType::Float, 0}, {QStringLiteral("ID"), FieldType::Boolean, 0},
                     {QStringLiteral("DT"), FieldType::Date, 0}, {QStringLiteral("DH"), FieldType::DateTime, 0}};
    packet.rows = {{QStringLiteral("a\"ç\n"), QVariant(qlonglong(-12)), 1.5e-3, true, QDate(2026, 3, 10),
                    QDateTime(QDate(2026, 3, 10), QTime(1, 2, 3, 4))},
                   {QVariant(), QVariant(), QVariant(), false, QVariant(), QVariant()}};
    const QByteArray bytes = packet.toBytes();

    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const QString error = errorOf<DataPacketError>([&] { DataPacket::fromBytes(bytes.left(length)); });
        QVERIFY2(error != QStringLiteral("<no error>"), qPrintable(QString::number(length)));
    }
    // Every single-byte damage either still reads as the generic reader
    // reads it, or fails with a DataPacketError; nothing else escapes.
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        for (const char replacement : {'"', ',', ']', '}', '\\', '0', 'x', ' ', '\x80'}) {
            QByteArray damaged = bytes;
            damaged[at] = replacement;
            QString generic;
            QList<QVariantList> genericRows;
            try {
                genericRows = DataPacket::fromJson(QJsonDocument::fromJson(damaged).object()).rows;
            } catch (const DataPacketError&) {
                generic = QStringLiteral("error");
            }
            try {
                const DataPacket read = DataPacket::fromBytes(damaged);
                QVERIFY2(generic.isEmpty() && read.rows == genericRows, damaged.constData());
            } catch (const DataPacketError&) {
            }
        }
    }
}

void TestDataPacket::emptyPacket()
{
    DataPacket packet;
    QCOMPARE(packet.toBytes(), QByteArray(R"({"fields":[],"rows":[]})"));
    const DataPacket read = DataPacket::fromBytes(packet.toBytes());
    QVERIFY(read.fields.isEmpty());
    QVERIFY(read.rows.isEmpty());
}

void TestDataPacket::deltaRoundTrip()
{
    Delta delta;
    delta.fields = {{QStringLiteral("NRPEDIDO"), FieldType::String, 10}, {QStringLiteral("QTITEMPED"), FieldType::Float, 0},
                    {QStringLiteral("DTENTITPED"), FieldType::DateTime, 0}};
    const QDateTime delivery(QDate(2026, 3, 10), QTime(14, 30));
    delta.changes = {{ChangeOp::Insert, {}, {QStringLiteral("0000000001"), 12.0, delivery}},
                     {ChangeOp::Update, {QStringLiteral("0000000002"), 1.0, QVariant()}, {QStringLiteral("0000000002"), 3.5, delivery}},
                     {ChangeOp::Delete, {QStringLiteral("0000000003"), 2.0, delivery}, {}}};

    const QJsonObject json = delta.toJson();
    QVERIFY(Delta::isDelta(json));
    QVERIFY(!DataPacket::isPacket(json));
    const QJsonArray changes = json.value(QLatin1String("changes")).toArray();
    QCOMPARE(changes[0].toObject().keys(), QStringList({"new", "op"}));
    QCOMPARE(changes[1].toObject().keys(), QStringList({"new", "old", "op"}));
    QCOMPARE(changes[2].toObject().keys(), QStringList({"old", "op"}));

    const Delta read = Delta::fromJson(QJsonDocument::fromJson(QJsonDocument(json).toJson()).object());
    QCOMPARE(read.fields, delta.fields);
    QCOMPARE(read.changes.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(read.changes[i].op, delta.changes[i].op);
        QCOMPARE(read.changes[i].oldValues, delta.changes[i].oldValues);
        QCOMPARE(read.changes[i].newValues, delta.changes[i].newValues);
    }
    QCOMPARE(read.indexOf(QStringLiteral("qtitemped")), 1);

    // The direct writer and the JSON tree must say the same thing.
    QCOMPARE(QJsonDocument::fromJson(delta.toBytes()).object(), json);
    QVERIFY(Delta().isEmpty());
    QVERIFY(!read.isEmpty());
}

void TestDataPacket::malformedDelta_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QByteArray fields = R"({"fields":[{"name":"NR","type":"string"},{"name":"QT","type":"float"}],"changes":)";
    QTest::newRow("no changes") << QByteArray(R"({"fields":[]})") << "\"changes\": expected an array, found nothing";
    QTest::newRow("rows instead") << QByteArray(R"({"fields":[],"rows":[]})") << "delta: unknown key \"rows\"";
    QTest::newRow("change not object") << fields + "[1]}" << "change 1: expected an object, found a number";
    QTest::newRow("unknown op") << fields + R"([{"op":"upsert","new":["1",1]}]})"
                                << "change 1: \"op\" must be \"insert\", \"update\" or \"delete\", found text \"upsert\"";
    QTest::newRow("op missing") << fields + R"([{"new":["1",1]}]})"
                                << "change 1: \"op\" must be \"insert\", \"update\" or \"delete\", found nothing";
    QTest::newRow("update without old") << fields + R"([{"op":"update","new":["1",1]}]})" << "change 1 (update): \"old\" is missing";
    QTest::newRow("update without new") << fields + R"([{"op":"update","old":["1",1]}]})" << "change 1 (update): \"new\" is missing";
    QTest::newRow("insert with old") << fields + R"([{"op":"insert","old":["1",1],"new":["1",1]}]})"
                                     << "change 1 (insert): an insert has no \"old\"";
    QTest::newRow("delete with new") << fields + R"([{"op":"delete","old":["1",1],"new":["1",1]}]})"
                                     << "change 1 (delete): a delete has no \"new\"";
    QTest::newRow("unknown change key") << fields + R"([{"op":"delete","old":["1",1],"why":1}]})" << "change 1: unknown key \"why\"";
    QTest::newRow("bad old value") << fields + R"([{"op":"insert","new":["1",1]},{"op":"update","old":["1","x"],"new":["1",2]}]})"
                                   << "change 2 (update) \"old\", field \"QT\": expected a number, found text \"x\"";
    QTest::newRow("short new") << fields + R"([{"op":"insert","new":["1"]}]})" << "change 1 (insert) \"new\": expected 2 values, found 1";
}

void TestDataPacket::malformedDelta()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QCOMPARE(errorOf<DataPacketError>([&] { Delta::fromJson(QJsonDocument::fromJson(bytes).object()); }), message);
}

void TestDataPacket::recognisesPacketsAndDeltas_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("packet");
    QTest::addColumn<bool>("delta");
    QTest::newRow("packet") << QByteArray(R"({"fields":[],"rows":[]})") << true << false;
    QTest::newRow("delta") << QByteArray(R"({"fields":[],"changes":[]})") << false << true;
    QTest::newRow("rows not array") << QByteArray(R"({"fields":[],"rows":{}})") << false << false;
    QTest::newRow("fields only") << QByteArray(R"({"fields":[]})") << false << false;
    QTest::newRow("array") << QByteArray(R"([[],[]])") << false << false;
}

void TestDataPacket::recognisesPacketsAndDeltas()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, packet);
    QFETCH(bool, delta);
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonValue value = document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    QCOMPARE(DataPacket::isPacket(value), packet);
    QCOMPARE(Delta::isDelta(value), delta);
}

void TestDataPacket::indexOfIgnoresCase()
{
    const DataPacket packet = onePacket(FieldType::Float, 1.0);
    QCOMPARE(packet.indexOf(QStringLiteral("VALOR")), 1);
    QCOMPARE(packet.indexOf(QStringLiteral("cdFilial")), 0);
    QCOMPARE(packet.indexOf(QStringLiteral("NRPEDIDO")), -1);
}

void TestDataPacket::fieldTypeNames()
{
    for (FieldType type : {FieldType::String, FieldType::Memo, FieldType::Integer, FieldType::Float, FieldType::Boolean,
                           FieldType::Date, FieldType::DateTime})
        QCOMPARE(fieldTypeFromName(fieldTypeName(type)), type);
    QCOMPARE(fieldTypeName(FieldType::DateTime), QStringLiteral("datetime"));
    QCOMPARE(errorOf<DataPacketError>([] { fieldTypeFromName(QStringLiteral("date-time")); }), QStringLiteral("unknown field type \"date-time\""));
}

QTEST_GUILESS_MAIN(TestDataPacket)
#include "tst_datapacket.moc"
