// The payment page's methods on the demo database (SQLite, and PostgreSQL
// when PED_TEST_PG_URL is set): the installment values add up to the amount
// to receive at the cent, fixed-day forecasts keep to the month, a change of
// modality waits for the clerk's consent, and bad input stores nothing.

#include "demo_backends.h"
#include "iso_datetime.h"
#include "method_calls.h"
#include "modules/modules.h"
#include "money.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");

// A pending order of branch 0001 under modality 00003 whose amount to
// receive is `amount`: one live item worth it, no taxes, no charges.
QString orderReceiving(const QSqlDatabase& db, double amount)
{
    const QString order = PedTest::rowsOf(db, QStringLiteral("SELECT MIN(P.NRPEDIDO) FROM PEDIDO P WHERE P.CDFILIAL = '0001'"
                                                             " AND P.IDSITPEDIDO = '1' AND EXISTS (SELECT 1 FROM ITEMPEDIDO I"
                                                             " WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO)"))
                              .value(0)
                              .value(0)
                              .toString();
    const QVariantList key{branch, order};
    execSql(db, QStringLiteral("UPDATE PEDIDO SET CDMODPGTO = '00003' WHERE CDFILIAL = ? AND NRPEDIDO = ?"), key);
    execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '5' WHERE CDFILIAL = ? AND NRPEDIDO = ?"), key);
    execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '1', VRPREUNITPED = ?, QTITEMPED = 1, VRDESITPED = 0,"
                               " IDPRODBONIF = 'N' WHERE CDFILIAL = ? AND NRPEDIDO = ? AND NRITEMPED = (SELECT MIN(NRITEMPED)"
                               " FROM ITEMPEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = ?)"),
            {amount, branch, order, branch, order});
    for (const char* table : {"IMPOSPEDTOT", "ENCARGOPED"})
        execSql(db, QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(QLatin1String(table)), key);
    return order;
}

// The automatic installments' shares: RoundDec(100 / n, 2), the last one
// made up to 100 as the screen makes it.
QList<double> generatedShares(int n)
{
    const double p = RoundDec(100.0 / n, 2);
    QList<double> shares(n - 1, p);
    const double t = p * n;
    shares.append(t < 100 ? RoundDec(100 - t + p, 2) : t > 100 ? 100 - t + p : p);
    return shares;
}

QJsonObject termsPacket(const QList<double>& days, const QList<double>& shares)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("NRDIASPGTOPED"), FieldType::Float, 0},
                     {QStringLiteral("VRPERCPGTOPED"), FieldType::Float, 0},
                     {QStringLiteral("DSPRAZOPGTOPED"), FieldType::String, 20}};
    for (qsizetype n = 0; n < days.size(); ++n)
        packet.rows.append({days.at(n), shares.value(n), QStringLiteral("Parcela")});
    return packet.toJson();
}

QJsonArray paymentArgs(const QString& order, const QJsonObject& terms, const QString& mode = QStringLiteral("0"),
                       const QString& modality = QStringLiteral("00003"), const QString& type = QStringLiteral("V"),
                       bool apply = true)
{
    return {terms, order, branch, mode, modality, type, QString(), QString(), QStringLiteral("I"), QStringLiteral("02"), apply};
}

// Days, forecast day, share and value of the stored terms, by days.
QList<QVariantList> storedTerms(const QSqlDatabase& db, const QString& order)
{
    QList<QVariantList> rows = PedTest::rowsOf(db, QStringLiteral("SELECT NRDIASPGTOPED, PREVISAO, VRPERCPGTOPED, VRPARCELA, DTPEDIDO"
                                                                  " FROM PRAZOPGTOPED WHERE CDFILIAL = ? AND NRPEDIDO = ?"
                                                                  " ORDER BY NRDIASPGTOPED"),
                                               {branch, order});
    for (QVariantList& row : rows) {
        const QDateTime orderDate = row.at(4).typeId() == QMetaType::QDateTime ? row.at(4).toDateTime()
                                                                                : parseIsoLenient(row.at(4).toString());
        const QDateTime forecast = row.at(1).typeId() == QMetaType::QDateTime ? row.at(1).toDateTime()
                                                                               : parseIsoLenient(row.at(1).toString());
        row = {row.at(0).toDouble(), orderDate.daysTo(forecast), forecast.date(), row.at(2).toDouble(), row.at(3).toDouble()};
    }
    return rows;
}

} // namespace

class TestPaymentMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void valoresSomamORecebimento_data();
    void valoresSomamORecebimento();
    void diaFixo_data();
    void diaFixo();
    void trocaDeModalidade_data();
    void trocaDeModalidade();
    void recusados_data();
    void recusados();
    void prazosDaModalidade_data();
    void prazosDaModalidade();

private:
    QJsonValue call(QSqlDatabase db, const QString& method, QJsonArray params)
    {
        return PedTest::callMethod(m_registry, db, lanPedido, method, params);
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

void TestPaymentMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_payment_methods"));
}

void TestPaymentMethods::valoresSomamORecebimento_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("amount");
    QTest::addColumn<int>("parts");
    QTest::addColumn<QString>("priceMode");   // IDTABPRECO of branch 0001
    QTest::addColumn<QString>("answer");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromUtf8(kind);
        QTest::addRow("%s, 100,00 / 3", kind) << k << 100.0 << 3 << "1" << "";
        QTest::addRow("%s, 0,05 / 2", kind) << k << 0.05 << 2 << "1" << "";
        QTest::addRow("%s, 1.000.000,01 / 7", kind) << k << 1000000.01 << 7 << "1" << "";
        QTest::addRow("%s, 999,99 / 15", kind) << k << 999.99 << 15 << "1" << "";
        // Installments of nothing: refused where the screen refuses them,
        // stored under price mode "2".
        QTest::addRow("%s, 0,01 / 3, by table", kind) << k << 0.01 << 3 << "1" << "PARCMZERO";
        QTest::addRow("%s, 0,01 / 3, by factor", kind) << k << 0.01 << 3 << "2" << "PARCMZERO";
    }
}

// Each value but the last is its share at the cent; the last takes the
// rest, so that they add up to the amount; the forecasts count from the
// order date.
void TestPaymentMethods::valoresSomamORecebimento()
{
    PED_OPEN_BACKEND(m_backends, backend);
    QFETCH(double, amount);
    QFETCH(int, parts);
    QFETCH(QString, priceMode);
    QFETCH(QString, answer);
    execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET IDTABPRECO = ? WHERE CDFILIAL = '0001'"), {priceMode});
    const auto restore = qScopeGuard([&] { execSql(db, QStringLiteral("UPDATE PARAMPEDIDO SET IDTABPRECO = '1' WHERE CDFILIAL = '0001'")); });
    const QString order = orderReceiving(db, amount);
    const QList<QVariantList> before = storedTerms(db, order);
    QList<double> days;
    for (int n = 1; n <= parts; ++n)
        days.append(30.0 * n);
    const QList<double> shares = generatedShares(parts);

    const QJsonArray check = call(db, QStringLiteral("setFormaPagto"), paymentArgs(order, termsPacket(days, shares), "0", "00003", "V", false)).toArray();
    QCOMPARE(check, (QJsonArray{false, answer}));
    QCOMPARE(storedTerms(db, order), before);

    const QJsonArray stored = call(db, QStringLiteral("setFormaPagto"), paymentArgs(order, termsPacket(days, shares))).toArray();
    QCOMPARE(stored, (QJsonArray{false, answer}));
    const QList<QVariantList> terms = storedTerms(db, order);
    if (answer == u"PARCMZERO" && priceMode != u"2") {
        QCOMPARE(terms, before);
        return;
    }
    QCOMPARE(terms.size(), parts);
    Cents sum;
    for (int n = 0; n < parts; ++n) {
        const QVariantList& term = terms.at(n);
        QCOMPARE(term.at(0).toDouble(), days.at(n));
        QCOMPARE(term.at(1).toLongLong(), qint64(days.at(n)));
        QCOMPARE(term.at(3).toDouble(), shares.at(n));
        const Cents value = Cents::fromValue(term.at(4).toDouble());
        QCOMPARE(value.value(), term.at(4).toDouble());
        if (n + 1 < parts)
            QCOMPARE(value, Cents::fromValue(amount * shares.at(n) / 100));
        sum += value;
    }
    QCOMPARE(sum, Cents::fromValue(amount));
    // The screen reloads what was stored.
    const DataPacket reloaded = PedTest::packetOf(call(db, QStringLiteral("GetPrazoPgto"), {order, branch}));
    QCOMPARE(reloaded.rows.size(), parts);
    QCOMPARE(PedTest::value(reloaded, parts - 1, QStringLiteral("VRPARCELA")).toDouble(), terms.last().at(4).toDouble());
}

void TestPaymentMethods::diaFixo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QDate>("orderDate");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("parts");
    QTest::addColumn<QString>("nextMonth");
    QTest::addColumn<QList<QDate>>("due");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const QString k = QString::fromUtf8(kind);
        QTest::addRow("%s, day 10 not passed yet", kind)
            << k << QDate(2027, 1, 5) << 10 << 2 << "I" << QList<QDate>{{2027, 1, 10}, {2027, 2, 10}};
        QTest::addRow("%s, day 10 passed", kind)
            << k << QDate(2027, 1, 15) << 10 << 2 << "I" << QList<QDate>{{2027, 2, 10}, {2027, 3, 10}};
        QTest::addRow("%s, the order's own day", kind) << k << QDate(2027, 1, 10) << 10 << 1 << "I" << QList<QDate>{{2027, 1, 10}};
        QTest::addRow("%s, first in the next month", kind)
            << k << QDate(2027, 1, 5) << 10 << 2 << "E" << QList<QDate>{{2027, 2, 10}, {2027, 3, 10}};
        QTest::addRow("%s, day 31 through February", kind)
            << k << QDate(2027, 1, 31) << 31 << 3 << "I" << QList<QDate>{{2027, 1, 31}, {2027, 2, 28}, {2027, 3, 31}};
        QTest::addRow("%s, day 30 in a leap February", kind)
            << k << QDate(2028, 1, 31) << 30 << 2 << "E" << QList<QDate>{{2028, 2, 29}, {2028, 3, 30}};
        QTest::addRow("%s, day 29 in December's next year", kind)
            << k << QDate(2026, 12, 30) << 29 << 2 << "I" << QList<QDate>{{2027, 1, 29}, {2027, 2, 28}};
    }
}

// Mode "1" stores the fixed-day settings on the order with its installments.
void TestPaymentMethods::diaFixo()
{
    PED_OPEN_BACKEND(m_backends, backend);
    QFETCH(QDate, orderDate);
    QFETCH(int, day);
    QFETCH(int, parts);
    QFETCH(QString, nextMonth);
    QFETCH(QList<QDate>, due);
    const QString order = orderReceiving(db, 100.0);
    execSql(db, QStringLiteral("UPDATE PEDIDO SET DTPEDIDO = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
            {QDateTime(orderDate, QTime(9, 30)), order});
    QJsonArray args = paymentArgs(order, termsPacket({}, {}), "1", "00004", "F");
    args[6] = QString::number(day);
    args[7] = QString::number(parts);
    args[8] = nextMonth;
    QCOMPARE(call(db, QStringLiteral("setFormaPagto"), args).toArray(), (QJsonArray{true, QString()}));
    const QList<QVariantList> terms = storedTerms(db, order);
    QCOMPARE(terms.size(), parts);
    const QList<double> shares = generatedShares(parts);
    for (int n = 0; n < parts; ++n) {
        QCOMPARE(terms.at(n).at(2).toDate(), due.at(n));
        QCOMPARE(terms.at(n).at(0).toDouble(), double(orderDate.daysTo(due.at(n))));
        QCOMPARE(terms.at(n).at(3).toDouble(), shares.at(n));
    }
    const QVariantList header = PedTest::rowsOf(db, QStringLiteral("SELECT CDMODPGTO, IDTPFORPGTPED, NRDIAPGFIXPED, NRPARCPGTOPED,"
                                                                   " IDUTDIAPAGPED FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                                                {order})
                                    .value(0);
    QCOMPARE(header, (QVariantList{QStringLiteral("00004"), QStringLiteral("F"), double(day), double(parts), nextMonth}));
}

void TestPaymentMethods::trocaDeModalidade_data()
{
    PedTest::DemoBackends::addKinds();
}

// Mode "0" under another modality says so and stores nothing; mode "1"
// stores the modality with its terms; cash leaves no terms.
void TestPaymentMethods::trocaDeModalidade()
{
    PED_OPEN_BACKEND(m_backends, backend);
    const QString order = orderReceiving(db, 90.0);
    const QList<QVariantList> before = storedTerms(db, order);
    const QJsonObject terms = termsPacket({30, 60}, {50, 50});
    QCOMPARE(call(db, QStringLiteral("setFormaPagto"), paymentArgs(order, terms, "0", "00005")).toArray(), (QJsonArray{true, QString()}));
    QCOMPARE(storedTerms(db, order), before);

    QCOMPARE(call(db, QStringLiteral("setFormaPagto"), paymentArgs(order, terms, "1", "00005")).toArray(), (QJsonArray{true, QString()}));
    QCOMPARE(storedTerms(db, order).size(), 2);
    QCOMPARE(storedTerms(db, order).last().at(4).toDouble(), 45.0);
    const auto header = [&] {
        return PedTest::rowsOf(db, QStringLiteral("SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, COALESCE(IDTPFORPGTPED, '')"
                                                  " FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                               {order})
            .value(0);
    };
    QCOMPARE(header(), (QVariantList{QStringLiteral("00005"), QStringLiteral("Cartão de crédito em 2 vezes"), QStringLiteral("02"),
                                     QStringLiteral("V")}));

    QJsonArray cash = paymentArgs(order, terms, "1", "00001", "X");
    QCOMPARE(call(db, QStringLiteral("setFormaPagto"), cash).toArray(), (QJsonArray{true, QString()}));
    QVERIFY(storedTerms(db, order).isEmpty());
    QCOMPARE(header().value(3).toString(), QString());
}

void TestPaymentMethods::recusados_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<double>>("days");
    QTest::addColumn<QList<double>>("shares");
    QTest::addColumn<int>("index");         // an argument replaced; -1 none
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");   // the refusal begins with it
    struct Case {
        const char* name;
        QList<double> days;
        QList<double> shares;
        int index;
        QJsonValue value;
        const char* message;
    };
    const QList<double> d = {30, 60, 90};
    const QList<double> s = {33.33, 33.33, 33.34};
    const Case cases[] = {
        {"33,33 % x 3", d, {33.33, 33.33, 33.33}, -1, {}, "Soma do(s) percentual(is)"},
        {"above 100 % in all", {30, 60}, {50, 50.01}, -1, {}, "Soma do(s) percentual(is)"},
        {"days below 0", {-1, 60, 90}, s, -1, {}, "Prazo não pode ser menor que zero."},
        {"days repeated", {30, 30, 90}, s, -1, {}, "Prazo já cadastrado: 30 dias."},
        {"a share of 0", {30, 60}, {0, 100}, -1, {}, "Percentual deve ser maior que zero."},
        {"a share above 100", {30, 60}, {100.01, -0.01}, -1, {}, "Percentual deve estar entre 1 e 100%."},
        {"order not stored", d, s, 1, QStringLiteral("9999999999"), "Pedido 9999999999 da filial 0001 não encontrado."},
        {"no branch", d, s, 2, QString(), "Informe a filial"},
        {"unknown mode", d, s, 3, QStringLiteral("2"), "Modo inválido(a)"},
        {"unknown modality", d, s, 4, QStringLiteral("99999"), "Modalidade de pagamento 99999 não cadastrada."},
        {"no modality", d, s, 4, QString(), "Modalidade de pagamento deve ser informada."},
        {"unknown type", d, s, 5, QStringLiteral("Z"), "Tipo de pagamento inválido(a)"},
        {"fixed day 32", d, s, 5, QStringLiteral("F"), "Dia do pagamento fixo inválido(a): \"32\""},
        {"not a terms packet", d, s, 0, QJsonObject{{QStringLiteral("fields"), 1}}, "Prazos de pagamento inválidos"},
    };
    for (const char* kind : {"sqlite", "postgresql"})
        for (const Case& c : cases)
            QTest::addRow("%s, %s", kind, c.name) << QString::fromUtf8(kind) << c.days << c.shares << c.index << c.value << c.message;
}

void TestPaymentMethods::recusados()
{
    PED_OPEN_BACKEND(m_backends, backend);
    QFETCH(QList<double>, days);
    QFETCH(QList<double>, shares);
    QFETCH(int, index);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    const QString order = orderReceiving(db, 100.0);
    const QList<QVariantList> before = storedTerms(db, order);
    QJsonArray args = paymentArgs(order, termsPacket(days, shares), "1");
    if (index >= 0)
        args[index] = value;
    if (value == QJsonValue(QStringLiteral("F")))
        args[6] = QStringLiteral("32");
    const std::optional<QString> refused = PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("setFormaPagto"), args);
    QVERIFY(refused);
    QVERIFY2(refused->startsWith(message), qPrintable(*refused));
    QCOMPARE(storedTerms(db, order), before);
}

void TestPaymentMethods::prazosDaModalidade_data()
{
    PedTest::DemoBackends::addKinds();
}

void TestPaymentMethods::prazosDaModalidade()
{
    PED_OPEN_BACKEND(m_backends, backend);
    const DataPacket terms = PedTest::packetOf(call(db, QStringLiteral("GetPrazoMod"), {QStringLiteral("00003")}));
    QCOMPARE(PedTest::fieldNames(terms), PedTest::names("NRDIASMODPGTO CDMODPGTO VRPERCMODPGTO DTPREVISAO IDTPPERIODO"));
    QCOMPARE(terms.rows.size(), 3);
    for (int n = 0; n < 3; ++n) {
        QCOMPARE(PedTest::value(terms, n, QStringLiteral("NRDIASMODPGTO")).toDouble(), 30.0 * (n + 1));
        QCOMPARE(PedTest::value(terms, n, QStringLiteral("DTPREVISAO")).toDateTime().date(), QDate::currentDate().addDays(30 * (n + 1)));
    }
    QVERIFY(PedTest::packetOf(call(db, QStringLiteral("GetPrazoMod"), {QStringLiteral("99999")})).rows.isEmpty());
}

QTEST_GUILESS_MAIN(TestPaymentMethods)
#include "tst_payment_methods.moc"
