// What JSON allows and forbids, case by case (the files in json_cases/:
// y_ must be read, n_ refused, i_ left open by JSON and decided here), run
// against the request reader and the data-packet reader, which must agree.

#include "datapacket.h"
#include "strict_json.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

enum class Verdict { Accepted, Refused, DuplicateKey };

// Our choice for each case JSON leaves to the reader.
const QHash<QString, Verdict> implementationChoices{
    {QStringLiteral("i_object_duplicate_key"), Verdict::DuplicateKey},
    {QStringLiteral("i_object_duplicate_key_same_value"), Verdict::DuplicateKey},
    {QStringLiteral("i_object_duplicate_key_after_escape"), Verdict::DuplicateKey},
    {QStringLiteral("i_object_duplicate_method"), Verdict::DuplicateKey},
    {QStringLiteral("i_object_duplicate_key_among_many"), Verdict::DuplicateKey},
    {QStringLiteral("i_object_duplicate_key_after_nested"), Verdict::DuplicateKey},
    {QStringLiteral("i_number_huge_exponent"), Verdict::Refused},
    {QStringLiteral("i_number_huge_negative"), Verdict::Refused},
    {QStringLiteral("i_number_400_digits"), Verdict::Refused},
    {QStringLiteral("i_number_underflow"), Verdict::Refused},
    {QStringLiteral("i_structure_byte_order_mark"), Verdict::Refused},
    {QStringLiteral("i_string_noncharacter_escaped"), Verdict::Accepted},
    {QStringLiteral("i_string_noncharacter_raw"), Verdict::Accepted},
};

QString casesFolder()
{
    return QString::fromLocal8Bit(qgetenv("PED_SOURCE_DIR")) + QStringLiteral("/tests/core/json_cases");
}

// A value case read as one row value of a packet: the field type that fits
// its category ("n_string_..." as text), none for whole structures.
QString rowFieldType(const QString& name)
{
    const QString category = name.section(u'_', 1, 1);
    if (category == u"string")
        return QStringLiteral("memo");
    if (category == u"number")
        return QStringLiteral("float");
    if (category == u"literal")
        return QStringLiteral("boolean");
    return {};
}

QVariant asVariant(const QJsonValue& value)
{
    return value.isNull() ? QVariant() : value.toVariant();
}

} // namespace

class TestStrictJson : public QObject {
    Q_OBJECT

private slots:
    void requestReader_data();
    void requestReader();
    void packetReader_data() { requestReader_data(); }
    void packetReader();
    void everyChoiceHasItsCase();
    void faultsNameTheirPlace_data();
    void faultsNameTheirPlace();
    void escapedNulIsNoticed_data();
    void escapedNulIsNoticed();
    void memberTextComesBackAsSent_data();
    void memberTextComesBackAsSent();
    void arrayElementTexts();
};

void TestStrictJson::requestReader_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("fieldType");
    const QDir folder(casesFolder());
    const QStringList files = folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QVERIFY2(files.size() > 50, qPrintable(casesFolder()));
    for (const QString& file : files) {
        const QString name = file.chopped(5);
        Verdict verdict = Verdict::Accepted;
        if (name.startsWith(u"n_"))
            verdict = Verdict::Refused;
        else if (name.startsWith(u"i_"))
            verdict = implementationChoices.value(name, Verdict::Accepted);
        QFile bytes(folder.filePath(file));
        QVERIFY(bytes.open(QIODevice::ReadOnly));
        QTest::newRow(qPrintable(name)) << bytes.readAll() << int(verdict) << rowFieldType(name);
    }
}

void TestStrictJson::requestReader()
{
    QFETCH(QByteArray, text);
    QFETCH(int, verdict);
    try {
        const QJsonValue value = readStrictJson(text);
        QVERIFY2(verdict == int(Verdict::Accepted), "read although JSON forbids it");
        // What is read is what QJsonDocument reads from sound text.
        const QJsonDocument document = QJsonDocument::fromJson(text);
        if (document.isArray())
            QCOMPARE(value, QJsonValue(document.array()));
        else if (document.isObject())
            QCOMPARE(value, QJsonValue(document.object()));
        else
            QCOMPARE(value, QJsonDocument::fromJson('[' + text + ']').array().at(0));
    } catch (const StrictJsonError& error) {
        QVERIFY2(verdict != int(Verdict::Accepted), qPrintable(error.fault().message));
        QCOMPARE(error.fault().kind == JsonFault::Kind::DuplicateKey, verdict == int(Verdict::DuplicateKey));
    }
}

void TestStrictJson::packetReader()
{
    QFETCH(QByteArray, text);
    QFETCH(int, verdict);
    QFETCH(QString, fieldType);
    const bool accepted = verdict == int(Verdict::Accepted);

    // As a whole document: a JSON fault, or no packet.
    try {
        DataPacket::fromBytes(text);
        QFAIL("no packet, yet read as one");
    } catch (const DataPacketError& error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.startsWith(u"malformed JSON") != accepted, qPrintable(message));
    }
    if (fieldType.isEmpty())
        return;

    // As the value of a row, where the fast reader reads it byte by byte.
    const QByteArray packet = R"({"fields":[{"name":"V","type":")" + fieldType.toLatin1()
        + R"("}],"rows":[[)" + text + "]]}";
    try {
        const DataPacket read = DataPacket::fromBytes(packet);
        QVERIFY2(accepted, "a row value JSON forbids was read");
        QCOMPARE(read.rows.size(), 1);
        const QJsonValue expected = readStrictJson(text);
        if (fieldType == u"float" && !expected.isNull())
            QCOMPARE(read.rows[0][0].toDouble(), expected.toDouble());
        else
            QCOMPARE(read.rows[0][0], asVariant(expected));
    } catch (const DataPacketError& error) {
        QVERIFY2(!accepted, error.what());
    }
}

void TestStrictJson::everyChoiceHasItsCase()
{
    for (auto choice = implementationChoices.cbegin(); choice != implementationChoices.cend(); ++choice)
        QVERIFY2(QFile::exists(casesFolder() + u'/' + choice.key() + QStringLiteral(".json")), qPrintable(choice.key()));
    const QStringList open = QDir(casesFolder()).entryList({QStringLiteral("i_*.json")});
    for (const QString& file : open)
        QVERIFY2(implementationChoices.contains(file.chopped(5)), qPrintable(file + QStringLiteral(": no choice made")));
}

void TestStrictJson::faultsNameTheirPlace_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown escape") << QByteArray(R"({"a":"\x41"})") << "at byte 7: unknown escape \\x";
    QTest::newRow("raw control byte") << QByteArray("[\"a\x01\"]") << "at byte 3: raw control byte 0x01 in a string (write it as \\u0001)";
    QTest::newRow("lone surrogate") << QByteArray(R"(["\ud800"])") << "at byte 8: lone high surrogate in \\u escape";
    QTest::newRow("duplicate key") << QByteArray(R"({"method":"A","method":"B"})") << "at byte 14: the key \"method\" appears twice in one object";
    QTest::newRow("empty") << QByteArray() << "at byte 0: no JSON value (empty)";
    QTest::newRow("too deep") << QByteArray(MaxJsonDepth + 1, '[') << "at byte 1024: nested deeper than 1024 levels";
}

void TestStrictJson::faultsNameTheirPlace()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    const JsonCheck check = checkStrictJson(text);
    QVERIFY(check.fault);
    QCOMPARE(check.fault->message, message);
    QCOMPARE(check.fault->offset, message.section(u' ', 2, 2).chopped(1).toLongLong());
}

void TestStrictJson::escapedNulIsNoticed_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("escapedNul");
    QTest::newRow("none") << QByteArray(R"(["0000000001"])") << false;
    QTest::newRow("escaped zero digit") << QByteArray(R"(["\u0030"])") << false;
    QTest::newRow("escaped nul at the end") << QByteArray(R"(["0000000001\u0000"])") << true;
    QTest::newRow("escaped nul in a key") << QByteArray(R"({"a\u0000":1})") << true;
}

void TestStrictJson::escapedNulIsNoticed()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, escapedNul);
    bool found = !escapedNul;
    readStrictJson(text, &found);
    QCOMPARE(found, escapedNul);
}

void TestStrictJson::memberTextComesBackAsSent_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::addColumn<QByteArray>("text");   // empty: no such member
    QTest::newRow("number beyond a double") << QByteArray(R"({"jsonrpc":"2.0","id":18446744073709551617})") << QByteArray("18446744073709551617");
    QTest::newRow("text with escapes") << QByteArray(R"({"id":"a\"b\u00e7"})") << QByteArray(R"("a\"b\u00e7")");
    QTest::newRow("after a nested id") << QByteArray(R"({"params":[{"id":1}],"id":2.50})") << QByteArray("2.50");
    QTest::newRow("escaped key") << QByteArray(R"({"\u0069d" : null })") << QByteArray("null");
    QTest::newRow("blanks around") << QByteArray(" {\n\"id\" :\t7 \n} ") << QByteArray("7");
    QTest::newRow("missing") << QByteArray(R"({"idx":1,"params":{"id":3}})") << QByteArray();
    QTest::newRow("empty object") << QByteArray("{}") << QByteArray();
}

void TestStrictJson::memberTextComesBackAsSent()
{
    QFETCH(QByteArray, object);
    QFETCH(QByteArray, text);
    QVERIFY(!checkStrictJson(object).fault);
    const std::optional<QByteArrayView> found = jsonMemberText(object, "id");
    QCOMPARE(found.has_value(), !text.isEmpty());
    if (found)
        QCOMPARE(found->toByteArray(), text);
}

void TestStrictJson::arrayElementTexts()
{
    const QByteArray batch = R"([ {"id":1}, "x,]" ,[1,[2]], 3e5 ,{"a":"}"}])";
    const QList<QByteArrayView> elements = jsonArrayElementTexts(batch);
    QCOMPARE(elements.size(), 5);
    QCOMPARE(elements[0], QByteArrayView(R"({"id":1})"));
    QCOMPARE(elements[1], QByteArrayView(R"("x,]")"));
    QCOMPARE(elements[2], QByteArrayView("[1,[2]]"));
    QCOMPARE(elements[3], QByteArrayView("3e5"));
    QCOMPARE(elements[4], QByteArrayView(R"({"a":"}"})"));
    QVERIFY(jsonArrayElementTexts("[]").isEmpty());
}

QTEST_APPLESS_MAIN(TestStrictJson)
#include "tst_strict_json.moc"
