// The confirmation over HTTP on the demo database (SQLite, and PostgreSQL
// when PED_TEST_PG_URL is set): a new order is stored whole with its taxes,
// installments, audit and outbox rows; changes are applied by their keys;
// of two clerks changing the same item one wins and the other is told
// "PED_ALTER"; a retried submission applies once; a review pass that finds
// something stores nothing and the final pass stores; bad input stores
// nothing; cancelled items pay no tax.

#include "demo_backends.h"
#include "iso_datetime.h"
#include "method_calls.h"
#include "modules/rows_json.h"
#include "rpc/method_registry.h"
#include "store/sql.h"
#include "test_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QTest>
#include <QUuid>
#include <limits>

using namespace PedTest;

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");

FieldDef text(const char* name) { return {QLatin1String(name), FieldType::String, 0}; }
FieldDef number(const char* name) { return {QLatin1String(name), FieldType::Float, 0}; }
FieldDef when(const char* name) { return {QLatin1String(name), FieldType::DateTime, 0}; }

QJsonObject deltaOf(const QList<FieldDef>& fields, const QList<RowChange>& changes)
{
    Delta delta;
    delta.fields = fields;
    delta.changes = changes;
    return delta.toJson();
}

RowChange inserted(const QVariantList& values) { return {ChangeOp::Insert, {}, values}; }
RowChange updated(const QVariantList& before, const QVariantList& after) { return {ChangeOp::Update, before, after}; }
RowChange deleted(const QVariantList& before) { return {ChangeOp::Delete, before, {}}; }

const QList<FieldDef> headerFields{text("CDFILIAL"),   text("NRPEDIDO"),  when("DTPEDIDO"),   when("DTENTPED"),
                                   text("CDCLIENTE"),  text("CDVENDEDOR"), text("CDMODPGTO"), text("CDPRECOBASE"),
                                   text("CDTIPOOPER"), text("IDSITPEDIDO"), text("DSPEDCLI"),  text("NMFANVEN")};
const QList<FieldDef> itemFields{text("CDFILIAL"),  text("NRPEDIDO"),     text("NRITEMPED"),    text("CDPRODUTO"),
                                 text("CDARVPROD"), number("QTITEMPED"),  number("VRPREUNITPED"), number("VRDESITPED"),
                                 text("IDSITITEMPED"), number("VRITEPREBASE"), number("VRITRENTABIL")};
const QList<FieldDef> termFields{text("CDFILIAL"), text("NRPEDIDO"), number("NRDIASPGTOPED"), number("VRPERCPGTOPED")};
const QList<FieldDef> stockFields{text("NRPEDIDO"),  text("NRITEMPED"),  text("CDFILIALDEP"), text("CDALMOXARIFE"), text("CDLOCALESTOQ"),
                                  text("CDPRODRES"), text("NRLOTEESTQ"), text("NRSUBLOTE"),   number("QTRESPRODPED")};

// The 25 arguments of one submission.
struct Submission {
    QJsonValue header, terms, itemsDelta, stock, note, additional, sellers, address, charges;
    enum Kind { First, Recheck, Final } kind = First;

    QJsonArray args() const
    {
        const bool first = kind == First;
        return {header,  terms,          QJsonValue::Null, itemsDelta, stock,      first,  true,
                QStringLiteral("DEMO"), false, false, QString(), QString(), note, 0,
                isoDateTimeText(QDateTime(QDate::currentDate().addDays(5), QTime(0, 0))), QString(), additional, 0.0, sellers, address,
                kind != Final, QString(), first, QString(), charges};
    }
};

// What a new order of the demo is made of: a customer holding no licence,
// a seller whose commission is valid, branch 0001's defaults, and a product
// it sells with a normal price in force and stock in a lot.
struct Fixture {
    QString customer, seller, expiredSeller, modality, basePrice, operation;
    QString product, userCode, controlled;
    QVariantList lot;   // CDFILIAL, CDALMOXARIFE, CDLOCALESTOQ, CDPRODUTO, NRLOTEESTQ, NRSUBLOTE, available

    static Fixture of(TestServer& server)
    {
        const auto one = [&](const QString& sql, const QVariantList& values = {}) {
            const QList<QVariantList> rows = server.rows(sql, values);
            if (rows.isEmpty() || rows.first().isEmpty())
                qFatal("demo fixture missing: %s", qPrintable(sql));
            return rows.first();
        };
        Fixture f;
        f.customer = one(QStringLiteral("SELECT MIN(CDCLIENTE) FROM CLIENTE WHERE IDCLIEATIV <> 'N' AND COALESCE(IDBLOQUEADO, 'N') <> 'S'"
                                        " AND CDCLIENTE NOT IN (SELECT CDCLIENTE FROM CLIEALVARA)")).at(0).toString();
        f.seller = one(QStringLiteral("SELECT MIN(CDVENDEDOR) FROM VENDEDOR WHERE CDCOMISSAO = '01'")).at(0).toString();
        f.expiredSeller = one(QStringLiteral("SELECT MIN(CDVENDEDOR) FROM VENDEDOR WHERE CDCOMISSAO = '03' AND IDGERACOMISVEND <> 'N'"))
                              .at(0).toString();
        const QVariantList params = one(QStringLiteral("SELECT CDMODPGTO, CDPRECOBASE, CDTIPOOPER FROM PARAMPEDIDO WHERE CDFILIAL = '0001'"));
        f.modality = params.at(0).toString();
        f.basePrice = params.at(1).toString();
        f.operation = params.at(2).toString();
        const bool postgres = server.databaseConfig().kindName() == u"postgresql";
        const QDate today = QDate::currentDate();
        f.lot = one(QStringLiteral(
                        "SELECT E.CDFILIAL, E.CDALMOXARIFE, E.CDLOCALESTOQ, E.CDPRODUTO, E.NRLOTEESTQ, E.NRSUBLOTE,"
                        " E.QTTOTALESTOQ - COALESCE((SELECT SUM(R.QTRESPRODPED) FROM RESPRODPED R WHERE R.CDFILIALDEP = E.CDFILIAL"
                        "  AND R.CDALMOXARIFE = E.CDALMOXARIFE AND R.CDLOCALESTOQ = E.CDLOCALESTOQ AND R.CDPRODRES = E.CDPRODUTO"
                        "  AND R.NRLOTEESTQ = E.NRLOTEESTQ AND R.NRSUBLOTE = E.NRSUBLOTE), 0) AS LIVRE"
                        " FROM ESTOQUELOTE E INNER JOIN PRODUTO P ON P.CDPRODUTO = E.CDPRODUTO"
                        " WHERE E.CDFILIAL = '0001' AND P.IDPRODATIVO = 'S' AND COALESCE(P.VRFATOCONV, 1) = 1 AND COALESCE(P.CDPRODESTO, P.CDPRODUTO) = P.CDPRODUTO"
                        " AND NOT EXISTS (SELECT 1 FROM PRODFILIAL F WHERE F.CDPRODUTO = P.CDPRODUTO)"
                        " AND NOT EXISTS (SELECT 1 FROM PRODALVARA A WHERE A.CDPRODUTO = P.CDPRODUTO)"
                        " AND EXISTS (SELECT 1 FROM ITEMPRECOBASE B WHERE B.CDPRECOBASE = ? AND B.CDPRODUTO = P.CDPRODUTO"
                        "  AND B.IDITPEDDIFER = 'N' AND B.DTINIVALIPB < ? AND (B.DTFIMVALIPB IS NULL OR B.DTFIMVALIPB >= ?))"
                        " ORDER BY LIVRE DESC, E.CDPRODUTO LIMIT 1"),
                    {f.basePrice, dayStart(postgres, today.addDays(1)), dayStart(postgres, today)});
        f.product = f.lot.at(3).toString();
        f.userCode = one(QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = ?"), {f.product}).at(0).toString();
        f.controlled = one(QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODALVARA")).at(0).toString();
        return f;
    }
};

// Everything one test does on a server: log in, number orders, submit.
class Clerk {
public:
    Clerk(TestServer& server) : m_server(server), m_token(server.login()), m_fixture(Fixture::of(server)) {}

    const Fixture& fixture() const { return m_fixture; }
    TestServer& server() { return m_server; }

    QString nextNumber()
    {
        return m_server.result(lanPedido, QStringLiteral("GetPrxPedido"), {branch}, m_token).toString();
    }
    QVariantList headerRow(const QString& order, const QString& seller = {}) const
    {
        const QDateTime today(QDate::currentDate(), QTime(9, 0));
        return {branch, order, today, today.addDays(5), m_fixture.customer, seller.isEmpty() ? m_fixture.seller : seller, m_fixture.modality,
                m_fixture.basePrice, m_fixture.operation, QStringLiteral("1"), QStringLiteral("Pedido de teste"), QString()};
    }
    QVariantList itemRow(const QString& order, int item, double quantity = 20, const QString& product = {}) const
    {
        return {branch, order, QStringLiteral("%1").arg(item, 3, 10, QLatin1Char('0')), product.isEmpty() ? m_fixture.product : product,
                m_fixture.userCode, quantity, 10.0, 0.0, QStringLiteral("1"), QVariant(), QVariant()};
    }
    // A new order of `items` lines with one term of 30 days.
    Submission newOrder(const QString& order, int items = 2) const
    {
        Submission s;
        s.header = deltaOf(headerFields, {inserted(headerRow(order))});
        QList<RowChange> lines;
        for (int n = 1; n <= items; ++n)
            lines << inserted(itemRow(order, n));
        s.itemsDelta = deltaOf(itemFields, lines);
        s.terms = deltaOf(termFields, {inserted({branch, order, 30.0, 100.0})});
        return s;
    }

    // The whole answer; with a key, sent with the Idempotency-Key header.
    QJsonObject send(const Submission& submission, const QString& key = {}, const QString& method = QStringLiteral("SetConfirma"))
    {
        return call(method, submission.args(), key);
    }
    QJsonObject call(const QString& method, const QJsonArray& params, const QString& key = {})
    {
        HttpClient client(m_server.port());
        HeaderList headers{{"Authorization", "Bearer " + m_token.toLatin1()}};
        if (!key.isEmpty())
            headers.append({"Idempotency-Key", key.toLatin1()});
        return client.post("/rpc/" + lanPedido.toUtf8(), rpcRequest(method, params), headers).json().toObject();
    }
    // The six elements of a successful answer.
    static QJsonArray elements(const QJsonObject& answer)
    {
        if (answer.contains(QStringLiteral("error")))
            qWarning() << answer;
        return answer.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toArray();
    }
    QJsonArray confirm(const Submission& submission) { return elements(send(submission)); }

    QVariant value(const QString& sql, const QVariantList& values = {})
    {
        const QList<QVariantList> rows = m_server.rows(sql, values);
        return rows.isEmpty() ? QVariant() : rows.first().value(0);
    }
    int count(const QString& table, const QString& order)
    {
        return value(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(table), {branch, order}).toInt();
    }
    // A new order stored: its number.
    QString storedOrder(int items = 2)
    {
        const QString order = nextNumber();
        const QJsonArray answer = confirm(newOrder(order, items));
        if (answer.size() != 6 || count(QStringLiteral("PEDIDO"), order) != 1)
            qFatal("could not store a new order");
        return order;
    }

private:
    TestServer& m_server;
    QString m_token;
    Fixture m_fixture;
};

bool allNull(const QJsonArray& elements)
{
    return elements.size() == 6 && std::all_of(elements.begin(), elements.end(), [](const QJsonValue& v) { return v.isNull(); });
}

QString messageOf(const QJsonArray& elements)
{
    if (elements.at(2).isNull())
        return {};
    const DataPacket packet = packetOf(elements.at(2));
    return packet.rows.isEmpty() ? QString() : packet.rows.first().at(0).toString();
}

} // namespace

#define CLERK() \
    PED_SERVER_OF_GLOBAL_KIND(m_servers, server); \
    Clerk clerk(server)

class TestConfirmMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { DemoBackends::addKinds(); }
    void cleanupTestCase() { m_servers.clear(); }

    void newOrderIsStoredWhole();
    void changesApplyByKey_data();
    void changesApplyByKey();
    void twoClerksOneWins();
    void retriedSubmissionAppliesOnce_data();
    void retriedSubmissionAppliesOnce();
    void findingsStoreNothingUntilReviewed_data();
    void findingsStoreNothingUntilReviewed();
    void declinedReviewLeavesOrderAsItWas();
    void badInputStoresNothing_data();
    void badInputStoresNothing();
    void cancelledItemsPayNoTax();
    void supportMethods();
    void outboxValuesAsJson_data();
    void outboxValuesAsJson();

private:
    ServerBackends m_servers;
};

void TestConfirmMethods::newOrderIsStoredWhole()
{
    CLERK();
    const QString order = clerk.nextNumber();
    // On a commitment whose balance is exactly the order's 600,00.
    server.execSql(QStringLiteral("DELETE FROM EMPENHO WHERE NREMPENHO = 'EMP-INTEIRO'"));
    server.execSql(QStringLiteral("INSERT INTO EMPENHO (CDCLIENTE, NREMPENHO, DSEMPENHO, VREMPENHO, VRSALDOEMP)"
                                  " VALUES (?, 'EMP-INTEIRO', 'Empenho de teste', 600, 600)"),
                   {clerk.fixture().customer});
    Submission submission = clerk.newOrder(order, 3);
    submission.header = deltaOf(headerFields + QList<FieldDef>{text("NREMPENHO")},
                                {inserted(clerk.headerRow(order) + QVariantList{QStringLiteral("EMP-INTEIRO")})});
    const QJsonObject answer = clerk.send(submission);
    QVERIFY2(allNull(Clerk::elements(answer)), qPrintable(QJsonDocument(answer).toJson()));
    QCOMPARE(answer.value("result").toObject().value("refs").toArray().at(8).toString(), branch + u'/' + order);   // serverText

    QCOMPARE(clerk.count(QStringLiteral("ITEMPEDIDO"), order), 3);
    QCOMPARE(clerk.value(QStringLiteral("SELECT VRTOTALPED FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toDouble(), 600.0);
    QCOMPARE(clerk.value(QStringLiteral("SELECT CDOPELANPED FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toString(),
             QStringLiteral("DEMO"));
    // The installment is the amount to receive, taxes included.
    const DataPacket totals = packetOf(server.result(lanPedido, QStringLiteral("GetImposEncar"), {branch, order}, server.login()));
    const double receivable = value(totals, 0, QStringLiteral("VRRECEBIMENTO")).toDouble();
    QCOMPARE(clerk.value(QStringLiteral("SELECT VRPARCELA FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toDouble(),
             receivable);
    QCOMPARE(clerk.count(QStringLiteral("ITEMPEDIMPOS"), order) > 0, clerk.count(QStringLiteral("IMPOSPEDTOT"), order) > 0);
    QCOMPARE(clerk.count(QStringLiteral("HISTPEDIDO"), order), 1);
    QCOMPARE(clerk.count(QStringLiteral("SAIDALOGISTICA"), order), 1);

    // The history reads the deltas back; the outbox is released for the integration.
    const DataPacket history = packetOf(server.result(lanPedido, QStringLiteral("GetHistPedido"), {branch, order}, server.login()));
    QCOMPARE(history.rows.size(), 1);
    const QJsonObject changes = QJsonDocument::fromJson(value(history, 0, QStringLiteral("TXALTERACOES")).toString().toUtf8()).object();
    QCOMPARE(Delta::fromJson(changes.value("ITEMPEDIDO").toObject()).changes.size(), 3);
    // The outbox holds the order as stored, a NULL as null.
    const QJsonObject outbox = QJsonDocument::fromJson(
        clerk.value(QStringLiteral("SELECT TXPEDIDO FROM SAIDALOGISTICA WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toString().toUtf8())
                                   .object();
    QCOMPARE(outbox.keys(), QStringList({"ENDEPEDIDO", "ITEMPEDIDO", "OBSPEDIDO", "PEDIDO", "PRAZOPGTOPED", "RESPRODPED"}));
    QCOMPARE(outbox.value("ENDEPEDIDO").toArray().size(), 0);
    const QJsonObject header = outbox.value("PEDIDO").toArray().at(0).toObject();
    QCOMPARE(header.value("NRPEDIDO").toString(), order);
    QCOMPARE(header.value("VRTOTALPED").toDouble(), 600.0);
    QCOMPARE(clerk.value(QStringLiteral("SELECT COUNT(*) FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND DTVALIPED IS NULL"
                                        " AND VRPBRUVOLPED IS NULL AND DSPEDVEN IS NULL"),
                         {branch, order})
                 .toInt(),
             1);
    for (const char* empty : {"DTVALIPED", "VRPBRUVOLPED", "DSPEDVEN"})
        QVERIFY2(header.value(QLatin1String(empty)).isNull(), empty);
    const QJsonArray outboxItems = outbox.value("ITEMPEDIDO").toArray();
    const QList<QVariantList> items = server.rows(
        QStringLiteral("SELECT NRITEMPED, QTITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? ORDER BY NRITEMPED"), {branch, order});
    QCOMPARE(outboxItems.size(), items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        QCOMPARE(outboxItems.at(i).toObject().value("NRITEMPED").toString(), items.at(i).at(0).toString());
        QCOMPARE(outboxItems.at(i).toObject().value("QTITEMPED").toDouble(), items.at(i).at(1).toDouble());
    }
    QCOMPARE(clerk.call(QStringLiteral("IntegraNeolog"), {}).value("result").toString(), QStringLiteral("OK"));
    QCOMPARE(clerk.value(QStringLiteral("SELECT IDLIBERADO FROM SAIDALOGISTICA WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toString(),
             QStringLiteral("S"));
}

void TestConfirmMethods::changesApplyByKey_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("check");     // SQL over the order, one value
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("header") << "header" << "SELECT DSPEDCLI FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?" << QVariant("Alterado");
    QTest::newRow("item quantity") << "item"
                                   << "SELECT SUM(QTITEMPED) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?" << QVariant(45.0);
    QTest::newRow("item deleted") << "delete item" << "SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?" << QVariant(1);
    QTest::newRow("term days") << "terms" << "SELECT NRDIASPGTOPED FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?" << QVariant(45.0);
    QTest::newRow("charge not carried yet") << "charge" << "SELECT VRENCARGOPED FROM ENCARGOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                            << QVariant(12.5);
    QTest::newRow("note added") << "note" << "SELECT TXOBSPED FROM OBSPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                << QVariant("Entregar pela manhã");
}

void TestConfirmMethods::changesApplyByKey()
{
    CLERK();
    QFETCH(QString, change);
    QFETCH(QString, check);
    QFETCH(QVariant, expected);
    const QString order = clerk.storedOrder();
    Submission s;
    if (change == u"header") {
        QVariantList after = clerk.headerRow(order);
        after[10] = QStringLiteral("Alterado");
        s.header = deltaOf(headerFields, {updated(clerk.headerRow(order), after)});
    } else if (change == u"item") {
        s.itemsDelta = deltaOf(itemFields, {updated(clerk.itemRow(order, 1), clerk.itemRow(order, 1, 25))});
    } else if (change == u"delete item") {
        s.itemsDelta = deltaOf(itemFields, {deleted(clerk.itemRow(order, 2))});
    } else if (change == u"terms") {
        s.terms = deltaOf(termFields, {updated({branch, order, 30.0, 100.0}, {branch, order, 45.0, 100.0})});
    } else if (change == u"charge") {
        const QString charge = clerk.value(QStringLiteral("SELECT MIN(CDENCARGO) FROM ENCARGO")).toString();
        s.charges = deltaOf({text("CDFILIAL"), text("NRPEDIDO"), text("CDENCARGO"), number("VRENCARGOPED"), text("NMENCARGO")},
                            {updated({branch, order, charge, 0.0, "Frete"}, {branch, order, charge, 12.5, "Frete"})});
    } else {
        s.note = deltaOf({text("NRPEDIDO"), {QStringLiteral("TXOBSPED"), FieldType::Memo, 0}, text("CDFILIAL")},
                         {inserted({order, expected, branch})});
    }
    QVERIFY(allNull(clerk.confirm(s)));
    const QVariant stored = clerk.value(check, {branch, order});
    if (expected.typeId() == QMetaType::Double)
        QCOMPARE(stored.toDouble(), expected.toDouble());
    else
        QCOMPARE(stored.toString(), expected.toString());
    QCOMPARE(clerk.count(QStringLiteral("HISTPEDIDO"), order), 2);
}

void TestConfirmMethods::twoClerksOneWins()
{
    CLERK();
    const QString order = clerk.storedOrder();
    for (int round = 0; round < 4; ++round) {
        const double before = clerk.value(QStringLiteral("SELECT QTITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = '001'"),
                                          {branch, order})
                                  .toDouble();
        QMutex lock;
        QStringList outcomes;
        ThreadGroup clerks(2, [&](int n) {
            Submission s;
            s.itemsDelta = deltaOf(itemFields, {updated(clerk.itemRow(order, 1, before), clerk.itemRow(order, 1, before + 1 + n))});
            const QString outcome = messageOf(Clerk::elements(clerk.send(s)));
            QMutexLocker locked(&lock);
            outcomes << (outcome.isEmpty() ? QStringLiteral("stored") : outcome);
        });
        clerks.wait();
        outcomes.sort();
        QCOMPARE(outcomes, (QStringList{QStringLiteral("PED_ALTER"), QStringLiteral("stored")}));
        const double after = clerk.value(QStringLiteral("SELECT QTITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = '001'"),
                                         {branch, order})
                                 .toDouble();
        QVERIFY(after == before + 1 || after == before + 2);
    }
    QCOMPARE(clerk.count(QStringLiteral("HISTPEDIDO"), order), 5);
}

void TestConfirmMethods::retriedSubmissionAppliesOnce_data()
{
    QTest::addColumn<bool>("sameRequest");
    QTest::newRow("same request") << true;
    QTest::newRow("other request") << false;
}

void TestConfirmMethods::retriedSubmissionAppliesOnce()
{
    CLERK();
    QFETCH(bool, sameRequest);
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString order = clerk.nextNumber();
    const QJsonObject first = clerk.send(clerk.newOrder(order), key);
    QVERIFY(allNull(Clerk::elements(first)));
    const QJsonObject again = clerk.send(clerk.newOrder(order, sameRequest ? 2 : 3), key);
    if (sameRequest) {
        QCOMPARE(again.value("result"), first.value("result"));
    } else {
        QCOMPARE(again.value("error").toObject().value("code").toInt(), -32000);
        QVERIFY2(again.value("error").toObject().value("message").toString().startsWith(QStringLiteral("IDEMP_DIFER")),
                 qPrintable(QJsonDocument(again).toJson()));
    }
    QCOMPARE(clerk.count(QStringLiteral("ITEMPEDIDO"), order), 2);
    QCOMPARE(clerk.count(QStringLiteral("HISTPEDIDO"), order), 1);
    // Without the key the same submission is a second one, refused by the stored order.
    QCOMPARE(messageOf(Clerk::elements(clerk.send(clerk.newOrder(order)))), QStringLiteral("PED_ALTER"));
    QCOMPARE(clerk.send(clerk.newOrder(order), QStringLiteral("não-é-uuid")).value("error").toObject().value("code").toInt(), -32000);

    // Keys are kept a day at least; older ones go when the next key comes.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QString dayOld = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString twoDaysOld = QUuid::createUuid().toString(QUuid::WithoutBraces);
    for (const auto& [oldKey, age] : {std::pair{dayOld, 24 * 3600 + 60}, std::pair{twoDaysOld, 49 * 3600}})
        server.execSql(QStringLiteral("INSERT INTO CONFIRMACAOPED (CDCHAVECONF, CDOPERADOR, DSHASHREQ, TXRESPOSTA, DTCONFIRMA)"
                                      " VALUES (?, 'DEMO', 'x', 'j{}', ?)"),
                       {oldKey, now - age});
    clerk.send(clerk.newOrder(clerk.nextNumber()), QUuid::createUuid().toString(QUuid::WithoutBraces));
    QCOMPARE(clerk.value(QStringLiteral("SELECT COUNT(*) FROM CONFIRMACAOPED WHERE CDCHAVECONF IN (?, ?)"), {dayOld, twoDaysOld}).toInt(), 1);
    QCOMPARE(clerk.value(QStringLiteral("SELECT COUNT(*) FROM CONFIRMACAOPED WHERE CDCHAVECONF = ?"), {dayOld}).toInt(), 1);
}

void TestConfirmMethods::findingsStoreNothingUntilReviewed_data()
{
    QTest::addColumn<QString>("finding");
    QTest::addColumn<int>("element");
    QTest::addColumn<QString>("code");     // CDERRO or DSMENSERRO where the element has one
    QTest::addColumn<bool>("finalStores");
    QTest::newRow("item error") << "quantity 0" << 0 << "QTD_INVALIDA" << true;
    QTest::newRow("every item in error") << "all quantities 0" << 0 << "QTD_INVALIDA" << false;
    QTest::newRow("price table changed") << "price" << 1 << "ALT_PR" << true;
    QTest::newRow("reserved beyond the item") << "over reservation" << 1 << "QT_RESE" << true;
    QTest::newRow("reservation short of the item") << "short reservation" << 2 << "QTRES_SEST" << true;
    QTest::newRow("lot over-reserved") << "lot" << 2 << "QTRES_ANT" << false;
    QTest::newRow("licence missing") << "permit" << 3 << "" << true;
    QTest::newRow("below the lowest band") << "profitability" << 4 << "" << true;
    QTest::newRow("commission expired") << "commission" << 5 << "" << true;
}

void TestConfirmMethods::findingsStoreNothingUntilReviewed()
{
    CLERK();
    QFETCH(QString, finding);
    QFETCH(int, element);
    QFETCH(QString, code);
    QFETCH(bool, finalStores);
    const Fixture& f = clerk.fixture();
    const QString order = clerk.nextNumber();
    Submission s = clerk.newOrder(order, 2);
    QVariantList first = clerk.itemRow(order, 1), second = clerk.itemRow(order, 2);
    const auto reserve = [&](double quantity) {
        s.stock = deltaOf(stockFields, {updated({order, "001", f.lot.at(0), f.lot.at(1), f.lot.at(2), f.lot.at(3), f.lot.at(4), f.lot.at(5), 0.0},
                                                {order, "001", f.lot.at(0), f.lot.at(1), f.lot.at(2), f.lot.at(3), f.lot.at(4), f.lot.at(5), quantity})});
    };
    if (finding == u"quantity 0") {
        first[5] = 0.0;
    } else if (finding == u"all quantities 0") {
        first[5] = 0.0;
        second[5] = 0.0;
    } else if (finding == u"price") {
        first[9] = 0.01;   // priced from a table row that no longer holds
    } else if (finding == u"over reservation") {
        first[5] = 1.0;
        reserve(2.0);
    } else if (finding == u"short reservation") {
        first[5] = 2.0;
        reserve(1.0);
    } else if (finding == u"lot") {
        first[5] = f.lot.at(6).toDouble() + 5;
        reserve(f.lot.at(6).toDouble() + 1);
    } else if (finding == u"permit") {
        first[3] = f.controlled;
    } else if (finding == u"profitability") {
        first[10] = -12.5;
    } else {
        s.header = deltaOf(headerFields, {inserted(clerk.headerRow(order, f.expiredSeller))});
    }
    s.itemsDelta = deltaOf(itemFields, {inserted(first), inserted(second)});

    for (Submission::Kind pass : {Submission::First, Submission::Recheck}) {
        s.kind = pass;
        const QJsonArray answer = clerk.confirm(s);
        QCOMPARE(clerk.count(QStringLiteral("PEDIDO"), order), 0);
        if (element == 5 && pass == Submission::Recheck) {   // commission validity is reviewed on the first answer only
            QVERIFY(answer.at(element).isNull());
            continue;
        }
        QVERIFY2(!answer.at(element).isNull(), qPrintable(QJsonDocument(answer).toJson()));
        if (!code.isEmpty()) {
            const DataPacket packet = packetOf(answer.at(element));
            QCOMPARE(value(packet, 0, packet.indexOf(QStringLiteral("CDERRO")) >= 0 ? QStringLiteral("CDERRO") : QStringLiteral("DSMENSERRO"))
                         .toString(),
                     code);
        }
    }
    s.kind = Submission::Final;
    const QJsonArray final = clerk.confirm(s);
    QCOMPARE(final.size(), 6);
    QCOMPARE(clerk.count(QStringLiteral("PEDIDO"), order), finalStores ? 1 : 0);
    if (finding == u"price" && finalStores)   // the reviewed price is the table's
        QVERIFY(clerk.value(QStringLiteral("SELECT VRITEPREBASE FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = '001'"),
                            {branch, order}).toDouble() > 0.01);
    if (finding == u"over reservation")   // cut down to the quantity
        QCOMPARE(clerk.value(QStringLiteral("SELECT SUM(QTRESPRODPED) FROM RESPRODPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order})
                     .toDouble(),
                 1.0);
    if (finding == u"quantity 0")
        QCOMPARE(clerk.value(QStringLiteral("SELECT IDITEMERRO FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = '001'"),
                             {branch, order}).toString(),
                 QStringLiteral("S"));
}

// A stored order given an expired seller: the clerk declines the review,
// and the order is as it was.
void TestConfirmMethods::declinedReviewLeavesOrderAsItWas()
{
    CLERK();
    const QString order = clerk.storedOrder();
    Submission s;
    s.header = deltaOf(headerFields, {updated(clerk.headerRow(order), clerk.headerRow(order, clerk.fixture().expiredSeller))});
    s.itemsDelta = deltaOf(itemFields, {updated(clerk.itemRow(order, 1), clerk.itemRow(order, 1, 30))});
    const QJsonArray answer = clerk.confirm(s);
    QVERIFY(!answer.at(5).isNull());
    QCOMPARE(clerk.value(QStringLiteral("SELECT CDVENDEDOR FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toString(),
             clerk.fixture().seller);
    QCOMPARE(clerk.value(QStringLiteral("SELECT SUM(QTITEMPED) FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, order}).toDouble(),
             40.0);
    QCOMPARE(clerk.count(QStringLiteral("HISTPEDIDO"), order), 1);
}

void TestConfirmMethods::badInputStoresNothing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");   // a part of it
    QTest::newRow("no order") << "nothing" << "Informe o pedido a confirmar";
    QTest::newRow("malformed delta") << "malformed" << "Alterações de pedido inválidas";
    QTest::newRow("item without its key") << "no item key" << "sem o campo NRITEMPED";
    QTest::newRow("row of another order") << "other order" << "não é do pedido";
    QTest::newRow("number not handed out") << "number" << "não foi reservado";
    QTest::newRow("order not stored") << "missing order" << "não encontrado";
    QTest::newRow("required field empty") << "no product" << "não pode ser gravada";
    QTest::newRow("another operator") << "operator" << "não é o operador da sessão";
    QTest::newRow("above the commitment's balance") << "commitment" << "SALDO_INSU";
}

void TestConfirmMethods::badInputStoresNothing()
{
    CLERK();
    QFETCH(QString, input);
    QFETCH(QString, message);
    const QString order = clerk.nextNumber();
    Submission s = clerk.newOrder(order);
    QJsonArray args;
    if (input == u"nothing") {
        s = Submission();
    } else if (input == u"malformed") {
        s.header = QJsonObject{{"fields", QJsonArray{}}, {"changes", QStringLiteral("todas")}};
    } else if (input == u"no item key") {
        s.itemsDelta = deltaOf({text("CDFILIAL"), text("NRPEDIDO"), number("QTITEMPED")}, {inserted({branch, order, 1.0})});
    } else if (input == u"other order") {
        QVariantList item = clerk.itemRow(order, 1);
        item[1] = QStringLiteral("0000000001");
        s.itemsDelta = deltaOf(itemFields, {inserted(item)});
    } else if (input == u"number") {
        s = clerk.newOrder(QStringLiteral("9999999999"));
    } else if (input == u"missing order") {
        s.header = QJsonValue::Null;
    } else if (input == u"commitment") {   // 400,00 of goods against 399,99
        server.execSql(QStringLiteral("DELETE FROM EMPENHO WHERE NREMPENHO = 'EMP-TESTE'"));
        server.execSql(QStringLiteral("INSERT INTO EMPENHO (CDCLIENTE, NREMPENHO, DSEMPENHO, VREMPENHO, VRSALDOEMP)"
                                      " VALUES (?, 'EMP-TESTE', 'Empenho de teste', 1000, 399.99)"),
                       {clerk.fixture().customer});
        s.header = deltaOf(headerFields + QList<FieldDef>{text("NREMPENHO")},
                           {inserted(clerk.headerRow(order) + QVariantList{QStringLiteral("EMP-TESTE")})});
    } else if (input == u"no product") {
        QVariantList item = clerk.itemRow(order, 1);
        item[3] = QVariant();
        s.itemsDelta = deltaOf(itemFields, {inserted(item)});
    }
    args = s.args();
    if (input == u"operator")
        args[7] = QStringLiteral("MARIA");
    const QJsonObject error = clerk.call(QStringLiteral("SetConfirma"), args).value("error").toObject();
    QCOMPARE(error.value("code").toInt(), -32000);
    QVERIFY2(error.value("message").toString().contains(message), qPrintable(error.value("message").toString()));
    QCOMPARE(clerk.count(QStringLiteral("PEDIDO"), order), 0);
    QCOMPARE(clerk.count(QStringLiteral("ITEMPEDIDO"), order), 0);
}

void TestConfirmMethods::cancelledItemsPayNoTax()
{
    CLERK();
    const DataPacket totals =
        packetOf(server.result(lanPedido, QStringLiteral("GetImposEncar"), {branch, QStringLiteral("0000000004")}, server.login()));
    QCOMPARE(clerk.value(QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000004'"
                                        " AND IDSITITEMPED <> '5'")).toInt(),
             0);
    for (const char* field : {"IMPOSACRES", "IMPOSDECRES", "VRTOTAL", "VRRECEBIMENTO"})
        QCOMPARE(value(totals, 0, QLatin1String(field)).toDouble(), 0.0);
}

void TestConfirmMethods::supportMethods()
{
    CLERK();
    const QString token = server.login();
    QCOMPARE(value(packetOf(server.result(lanPedido, QStringLiteral("getVrMinPed"), {branch}, token)), 0, QStringLiteral("VRMINPEDIDO")).toDouble(),
             150.0);
    const QList<QVariantList> adjusted =
        server.rows(QStringLiteral("SELECT CDMODPGTO, CDPRECOBASE FROM PARAMPRECO WHERE CDFILIAL = '0001' AND VRPEADPBASE <> 0"));
    if (!adjusted.isEmpty())
        QCOMPARE(packetOf(server.result(lanPedido, QStringLiteral("GetPrecoUtil"),
                                        {QString(), adjusted.first().at(0).toString(), branch, adjusted.first().at(1).toString()}, token))
                     .rows.size(),
                 1);
    QCOMPARE(packetOf(server.result(lanPedido, QStringLiteral("GetPrecoUtil"), {QString(), QStringLiteral("99999"), branch, QStringLiteral("01")},
                                    token))
                 .rows.size(),
             0);

    const QString order = clerk.storedOrder();
    DataPacket items;
    items.fields = {text("CDFILIAL"), text("NRPEDIDO"), text("NRITEMPED"), text("IDITEMERRO")};
    items.rows = {{branch, order, QStringLiteral("002"), QStringLiteral("S")}};
    QVERIFY(server.result(lanPedido, QStringLiteral("SetItemIrregular"), {items.toJson()}, token).isNull());
    QCOMPARE(clerk.value(QStringLiteral("SELECT IDITEMERRO FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = '002'"),
                         {branch, order}).toString(),
             QStringLiteral("S"));
}

void TestConfirmMethods::outboxValuesAsJson_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("integer") << QVariant(42);
    QTest::newRow("large integer") << QVariant(qlonglong(9007199254740993LL));
    QTest::newRow("whole double") << QVariant(100000000.0);
    QTest::newRow("whole double at 2^53") << QVariant(9007199254740992.0);
    QTest::newRow("whole double past 2^53") << QVariant(9007199254740994.0);
    QTest::newRow("whole double in 64 bits") << QVariant(1e18);
    QTest::newRow("double past 64 bits") << QVariant(1e21);
    QTest::newRow("fraction") << QVariant(0.1);
    QTest::newRow("money") << QVariant(205.6);
    QTest::newRow("small") << QVariant(1e-7);
    QTest::newRow("negative zero") << QVariant(-0.0);
    QTest::newRow("negative") << QVariant(-12.345);
    QTest::newRow("infinite") << QVariant(std::numeric_limits<double>::infinity());
    QTest::newRow("boolean") << QVariant(true);
    QTest::newRow("text") << QVariant(QStringLiteral("Entregar pela manhã, \"fundos\" / doca 2 €"));
    QTest::newRow("control characters") << QVariant(QStringLiteral("a\\b\n\t\r\b\f") + QChar(1) + QChar(0x1f) + QChar(0x7f) + QChar(0x2028));
    QTest::newRow("empty text") << QVariant(QString(""));
    QTest::newRow("date and time") << QVariant(QDateTime(QDate(2026, 12, 9), QTime(9, 1, 2, 345)));
    QTest::newRow("date") << QVariant(QDate(2026, 12, 9));
    QTest::newRow("null text") << QVariant(QMetaType::fromType<QString>());
    QTest::newRow("null number") << QVariant(QMetaType::fromType<double>());
    QTest::newRow("null integer") << QVariant(QMetaType::fromType<int>());
    QTest::newRow("null date") << QVariant(QMetaType::fromType<QDateTime>());
}

// The outbox text reads back as the value, and a NULL of any column as
// null (QJsonValue makes a null number 0 and a null text "").
void TestConfirmMethods::outboxValuesAsJson()
{
    QFETCH(QVariant, value);
    QByteArray written = "[";
    RowsJson::appendValue(written, value);
    written += ']';
    QJsonParseError error;
    const QJsonDocument read = QJsonDocument::fromJson(written, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, written.constData());
    const QJsonValue expected = value.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue::fromVariant(value);
    const QJsonValue got = read.array().at(0);
    QCOMPARE(got.type(), expected.type());
    if (expected.isDouble()) {   // a whole number may be written either way
        QCOMPARE(got.toDouble(), expected.toDouble());
        QCOMPARE(got.toInteger(-1), expected.toInteger(-1));
    } else {
        QCOMPARE(got, expected);
    }
}

QTEST_GUILESS_MAIN(TestConfirmMethods)
#include "tst_confirm_methods.moc"
