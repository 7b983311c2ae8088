// Order replication and the future-delivery invoice on the demo database
// (SQLite, and PostgreSQL when PED_TEST_PG_URL is set): a copy equals its
// source but for what the copy changes, takes the branch's next number,
// and stores nothing when it lists problems or is refused; an invoice is
// issued once, read back, and refused the second time.

#include "demo_backends.h"
#include "iso_datetime.h"
#include "method_calls.h"
#include "modules/modules.h"
#include "modules/order_tables.h"
#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSqlRecord>
#include <QTest>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString geraNF = ServerNames::GeraNFFutura;

QString today(int days = 0)
{
    return isoDateTimeText(QDateTime(QDate::currentDate().addDays(days), QTime(0, 0)));
}

QVariant one(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    return selectValue(db, sql, values);
}

// A live order of branch 0001 with a delivery address whose items are all of
// the normal price kind
// with a normal price in force today, none of a product branch 0002 does not
// sell: it copies cleanly to either branch.
QString cleanSource(const QSqlDatabase& db)
{
    const bool postgres = isPostgres(db);
    const QVariant number = one(
        db,
        QStringLiteral("SELECT MIN(P.NRPEDIDO) FROM PEDIDO P WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO IN ('1', '2')"
                       " AND P.DSNFVENDAFUTURA IS NULL"
                       " AND EXISTS (SELECT 1 FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO)"
                       " AND EXISTS (SELECT 1 FROM ENDEPEDIDO E WHERE E.CDFILIAL = P.CDFILIAL AND E.NRPEDIDO = P.NRPEDIDO)"
                       " AND NOT EXISTS (SELECT 1 FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                       "  AND I.IDSITITEMPED <> '5' AND (COALESCE(I.IDITPEDDIFER, 'N') <> 'N'"
                       "   OR EXISTS (SELECT 1 FROM PRODFILIAL F WHERE F.CDPRODUTO = I.CDPRODUTO)"
                       "   OR NOT EXISTS (SELECT 1 FROM ITEMPRECOBASE B WHERE B.CDPRECOBASE = P.CDPRECOBASE"
                       "    AND B.CDPRODUTO = I.CDPRODUTO AND B.IDITPEDDIFER = 'N' AND B.DTINIVALIPB < ?"
                       "    AND (B.DTFIMVALIPB IS NULL OR B.DTFIMVALIPB >= ?))))"),
        {dayStart(postgres, QDate::currentDate().addDays(1)), dayStart(postgres, QDate::currentDate())});
    if (number.isNull())
        qFatal("the demo database has no order that copies cleanly");
    return number.toString();
}

QJsonArray replicaArgs(const QString& branch, const QString& customer, const QString& source, const QString& orderDate = today(),
                       const QString& deliveryDate = today(3), const QString& destination = {})
{
    return {branch, customer, destination, orderDate, deliveryDate, today(30), QStringLiteral("OC-REPL-01"),
            QStringLiteral("0001"), source, QStringLiteral("DEMO")};
}

// The rows of an order's table, each as column -> value, by the row key.
QList<QVariantMap> tableRows(const QSqlDatabase& db, const OrderTables::Table& table, const QString& branch, const QString& order)
{
    QString where = QStringLiteral(" WHERE CDFILIAL = ? AND NRPEDIDO = ?");
    if (table.name == u"ITEMPEDIDO" && branch == u"0001")
        where += QStringLiteral(" AND IDSITITEMPED <> '5'");
    QSqlQuery query = execSql(db, QStringLiteral("SELECT * FROM ") + table.name + where
                                      + (table.rowKey.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + table.rowKey.join(u',')),
                              {branch, order});
    QList<QVariantMap> rows;
    while (query.next()) {
        QVariantMap row;
        for (int i = 0; i < query.record().count(); ++i)
            row.insert(query.record().fieldName(i).toUpper(), query.value(i));
        rows.append(row);
    }
    return rows;
}

int orderCount(const QSqlDatabase& db)
{
    return one(db, QStringLiteral("SELECT COUNT(*) FROM PEDIDO")).toInt();
}

} // namespace

class TestReplicationMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void initTestCase_data() { PedTest::DemoBackends::addKinds(); }

    void copiaIgualAoOriginal_data();
    void copiaIgualAoOriginal();
    void nadaGravado_data();
    void nadaGravado();
    void notaFuturaUmaVez();
    void notaFuturaRecusada_data();
    void notaFuturaRecusada();

private:
    QJsonValue call(QSqlDatabase db, const QString& module, const QString& method, QJsonArray& params)
    {
        return PedTest::callMethod(m_registry, db, module, method, params);
    }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

void TestReplicationMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_replication_methods"));
}

void TestReplicationMethods::copiaIgualAoOriginal_data()
{
    QTest::addColumn<QString>("branch");
    QTest::addColumn<bool>("otherCustomer");
    QTest::addColumn<QStringList>("changedItemColumns");
    const QStringList always = PedTest::names("IDSITITEMPED DTENTITPED QTEXPITEMPED IDITEMERRO IDITPEDRESER NRHISIMPITEEEEP CDOPERADOR");
    // Branch 0001 prices from its tables again, branch 0002 keeps the prices.
    QTest::newRow("same branch, same customer") << "0001" << false
                                                << always + PedTest::names("VRITEPREBASE VRPREUNITPED VRPRTABITPED VRDESITPED");
    QTest::newRow("another branch and customer") << "0002" << true << always;
}

// The new order is the source but for the fields the copy sets; its number
// is the branch's next one.
void TestReplicationMethods::copiaIgualAoOriginal()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    QFETCH(QString, branch);
    QFETCH(bool, otherCustomer);
    QFETCH(QStringList, changedItemColumns);
    const QString source = cleanSource(db);
    const QString sourceCustomer =
        one(db, QStringLiteral("SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {source}).toString();
    const QString customer = otherCustomer ? one(db, QStringLiteral("SELECT MIN(CDCLIENTE) FROM CLIENTE WHERE CDCLIENTE <> ?"
                                                                   " AND IDBLOQUEADO = 'N' AND IDCLIEATIV = 'S'"),
                                                 {sourceCustomer})
                                                 .toString()
                                           : sourceCustomer;
    const qlonglong counter =
        one(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {branch}).toLongLong();
    QJsonArray args = replicaArgs(branch, customer, source);
    QVERIFY(call(db, lanPedido, QStringLiteral("replicaPedido"), args).isNull());
    QCOMPARE(args.at(1).toString(), customer);
    const QString copy = QStringLiteral("%1").arg(counter + 1, 10, 10, QLatin1Char('0'));
    QCOMPARE(one(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {branch}).toLongLong(), counter + 1);

    const QHash<QString, QStringList> changed{
        {QStringLiteral("PEDIDO"),
         PedTest::names("CDCLIENTE NMRAZSOCCLIE NMFANTCLIE IDTPIJURCLIE NRINSJURCLIE CDFILIALPED NMFILIAL DTPEDIDO DTENTPED "
                        "DTVALIPED NRORDEMCMPPED IDSITPEDIDO DTHRLANPED CDOPELANPED DTHRALTPED NRITPEDAPROVADO "
                        "NRITPEDCONFIRMADO DSNFVENDAFUTURA IDPEDIDOIMPR IDCANCCOMISPED CDFILIALORC NRORCAEVENTO NRSEQORCAEVE "
                        "VRTOTALPED VRTOTPEDLIQ")},
        {QStringLiteral("ITEMPEDIDO"), changedItemColumns},
        {QStringLiteral("PRAZOPGTOPED"), {QStringLiteral("DTPEDIDO")}}};
    for (const char* name : {"PEDIDO", "ITEMPEDIDO", "COMPITEMPED", "TERCITEMPED", "OBSPEDIDO", "DADOADICPED", "ENDEPEDIDO",
                             "ENCARGOPED", "PRAZOPGTOPED", "VENDPEDIDO"}) {
        const OrderTables::Table& table = OrderTables::table(QString::fromLatin1(name));
        QList<QVariantMap> expected = tableRows(db, table, QStringLiteral("0001"), source);
        const QList<QVariantMap> copied = tableRows(db, table, branch, copy);
        if (table.name == u"ENDEPEDIDO" && otherCustomer)
            expected.clear();   // the source customer's address stays behind
        QVERIFY2(copied.size() == expected.size(), name);
        QVERIFY2(!expected.isEmpty() || table.name != u"ITEMPEDIDO", name);
        for (qsizetype row = 0; row < copied.size(); ++row)
            for (auto column = expected.at(row).cbegin(); column != expected.at(row).cend(); ++column) {
                if (column.key() == u"CDFILIAL" || column.key() == u"NRPEDIDO" || changed.value(table.name).contains(column.key()))
                    continue;
                QVERIFY2(copied.at(row).value(column.key()) == column.value(),
                         qPrintable(QStringLiteral("%1.%2: %3 instead of %4")
                                        .arg(table.name, column.key(), copied.at(row).value(column.key()).toString(),
                                             column.value().toString())));
            }
    }
    const auto header = tableRows(db, OrderTables::table(QStringLiteral("PEDIDO")), branch, copy).first();
    QCOMPARE(header.value(QStringLiteral("CDCLIENTE")).toString(), customer);
    QCOMPARE(header.value(QStringLiteral("NRORDEMCMPPED")).toString(), QStringLiteral("OC-REPL-01"));
    QCOMPARE(parseIsoLenient(header.value(QStringLiteral("DTENTPED")).toString()).date(), QDate::currentDate().addDays(3));
    QVERIFY(header.value(QStringLiteral("DSNFVENDAFUTURA")).isNull());
    // The taxes are worked out for the copy.
    QVERIFY(one(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIMPOS WHERE CDFILIAL = ? AND NRPEDIDO = ?"), {branch, copy}).toInt() > 0);
}

void TestReplicationMethods::nadaGravado_data()
{
    QTest::addColumn<QString>("change");       // what the row does to the request or the data
    QTest::addColumn<QString>("problem");      // the code listed, or empty
    QTest::addColumn<QString>("refusal");      // the message of a refusal, or empty
    QTest::newRow("blocked customer") << "blocked" << "CLIE_BLOQ" << "";
    QTest::newRow("product not sold at the branch") << "notSold" << "PROD_N_FIL" << "";
    QTest::newRow("no price in force") << "expired" << "PRECOVENC" << "";
    QTest::newRow("delivery before the order date") << "late" << "" << "Data de entrega deve ser maior ou igual à data do pedido.";
    QTest::newRow("branch without parameters") << "noParams" << "" << "FILIAL_N_PARAM";
    QTest::newRow("another operator") << "operator" << "" << "Operador \"MARIA\" não é o operador da sessão.";
}

// A problem list or a refusal stores nothing and advances no counter.
void TestReplicationMethods::nadaGravado()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    QFETCH(QString, change);
    QFETCH(QString, problem);
    QFETCH(QString, refusal);
    const QString source = cleanSource(db);
    const QString customer =
        one(db, QStringLiteral("SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {source}).toString();
    const QString product = one(db, QStringLiteral("SELECT MIN(CDPRODUTO) FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"),
                                {source})
                                .toString();
    QJsonArray args = replicaArgs(QStringLiteral("0001"), customer, source);
    QString undo;
    if (change == u"blocked") {
        args[1] = QStringLiteral("000900");
    } else if (change == u"notSold") {
        args[0] = QStringLiteral("0002");
        execSql(db, QStringLiteral("INSERT INTO PRODFILIAL (CDFILIAL, CDPRODUTO, IDVENDPRODFIL) VALUES ('0002', ?, 'N')"), {product});
        undo = QStringLiteral("DELETE FROM PRODFILIAL WHERE CDFILIAL = '0002' AND CDPRODUTO = '%1'").arg(product);
    } else if (change == u"expired") {
        args[3] = isoDateTimeText(QDateTime(QDate(2001, 1, 1), QTime(0, 0)));
    } else if (change == u"late") {
        args[3] = today(5);
    } else if (change == u"noParams") {
        args[0] = QStringLiteral("0003");
    } else if (change == u"operator") {
        args[9] = QStringLiteral("MARIA");
    }
    const int orders = orderCount(db);
    const QVariant counter = one(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {args.at(0).toString()});
    if (refusal.isEmpty()) {
        const DataPacket problems = PedTest::packetOf(call(db, lanPedido, QStringLiteral("replicaPedido"), args));
        QCOMPARE(PedTest::fieldNames(problems), PedTest::names("CDTABELA CDERRO"));
        QStringList codes;
        for (int row = 0; row < problems.rows.size(); ++row)
            codes << PedTest::value(problems, row, QStringLiteral("CDERRO")).toString();
        QVERIFY2(codes.contains(problem), qPrintable(codes.join(u' ')));
    } else {
        QCOMPARE(PedTest::refusalOf(m_registry, db, lanPedido, QStringLiteral("replicaPedido"), args).value_or(QString()), refusal);
    }
    if (!undo.isEmpty())
        execSql(db, undo);
    QCOMPARE(orderCount(db), orders);
    QCOMPARE(one(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {args.at(0).toString()}), counter);
}

// The demo's future-delivery order: issued once with a line per live item,
// read back, and refused the second time.
void TestReplicationMethods::notaFuturaUmaVez()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    const QString order = one(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001' AND CDTIPOOPER = '02'"
                                                 " AND IDSITPEDIDO = '2' AND DSNFVENDAFUTURA IS NULL")).toString();
    QVERIFY(!order.isEmpty());
    const QString series = one(db, QStringLiteral("SELECT MIN(S.CDSERIE) FROM SERIENF S INNER JOIN FILIAL F ON F.CDEMPRESA = S.CDEMPRESA"
                                                  " AND F.CDINSCESTA = S.CDINSCESTA AND F.CDINSCMUNI = S.CDINSCMUNI"
                                                  " WHERE F.CDFILIAL = '0001'")).toString();
    QJsonArray lookup{QStringLiteral("0001"), order};
    QVERIFY(PedTest::packetOf(call(db, geraNF, QStringLiteral("GetNFFutura"), lookup)).rows.isEmpty());

    QJsonArray args{QStringLiteral("0001"), order, QStringLiteral("02"), series};
    QCOMPARE(call(db, geraNF, QStringLiteral("GeraNFFutura"), args).toArray(), QJsonArray{QStringLiteral("OK")});
    const DataPacket invoice = PedTest::packetOf(call(db, geraNF, QStringLiteral("GetNFFutura"), lookup));
    QCOMPARE(PedTest::fieldNames(invoice), PedTest::names("DTENTRSAID CDFILIEMIT CDFILIAL NRLANCTONF"));
    QCOMPARE(invoice.rows.size(), 1);
    const QString posting = PedTest::value(invoice, 0, QStringLiteral("NRLANCTONF")).toString();
    QCOMPARE(one(db, QStringLiteral("SELECT COUNT(*) FROM ITEMNOTAFISCAL WHERE CDFILIEMIT = '0001' AND NRLANCTONF = ?"), {posting}).toInt(),
             one(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"), {order})
                 .toInt());
    QCOMPARE(one(db, QStringLiteral("SELECT VRTOTALNF FROM NOTAFISCAL WHERE CDFILIEMIT = '0001' AND NRLANCTONF = ?"), {posting}).toDouble(),
             one(db, QStringLiteral("SELECT SUM(VRTOTALITNF) FROM ITEMNOTAFISCAL WHERE CDFILIEMIT = '0001' AND NRLANCTONF = ?"), {posting})
                 .toDouble());
    const QString mark =
        one(db, QStringLiteral("SELECT DSNFVENDAFUTURA FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {order}).toString();
    QVERIFY2(mark.startsWith(u"0001/"), qPrintable(mark));

    const int invoices = one(db, QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")).toInt();
    QCOMPARE(call(db, geraNF, QStringLiteral("GeraNFFutura"), args).toArray(), QJsonArray{QStringLiteral("NF_FUT_EX")});
    QCOMPARE(one(db, QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")).toInt(), invoices);
}

void TestReplicationMethods::notaFuturaRecusada_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("an item not approved") << "notApproved" << "IT_N_APR";
    QTest::newRow("operation type that moves stock") << "stockType" << "TipoOper_N_Cad";
    QTest::newRow("operation type blocked for the branch") << "blockedType" << "TipoOper_N_Cad";
    QTest::newRow("series of no registration of the branch") << "series" << "Serie_N_Cad";
    QTest::newRow("a product without a mandatory tax") << "tax" << "IMPOBRIG";
}

// Each refusal answers its key and issues nothing.
void TestReplicationMethods::notaFuturaRecusada()
{
    PED_OPEN_GLOBAL_BACKEND(m_backends, backend);
    QFETCH(QString, change);
    QFETCH(QString, outcome);
    // An order in progress of its own, so that each row starts alike.
    const QString order = one(db, QStringLiteral("SELECT MIN(P.NRPEDIDO) FROM PEDIDO P WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO = '2'"
                                                 " AND NOT EXISTS (SELECT 1 FROM NOTAFISCAL N WHERE N.CDFILIAL = P.CDFILIAL"
                                                 "  AND N.NRPEDIDO = P.NRPEDIDO)")).toString();
    execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '3' WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND IDSITITEMPED <> '5'"),
            {order});
    const QString series = one(db, QStringLiteral("SELECT MIN(S.CDSERIE) FROM SERIENF S INNER JOIN FILIAL F ON F.CDEMPRESA = S.CDEMPRESA"
                                                  " AND F.CDINSCESTA = S.CDINSCESTA AND F.CDINSCMUNI = S.CDINSCMUNI"
                                                  " WHERE F.CDFILIAL = '0001'")).toString();
    QJsonArray args{QStringLiteral("0001"), order, QStringLiteral("02"), series};
    QStringList undo;
    const QString item = one(db, QStringLiteral("SELECT MIN(NRITEMPED) FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"), {order})
                             .toString();
    if (change == u"notApproved") {
        execSql(db, QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '2' WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?"),
                {order, item});
    } else if (change == u"stockType") {
        args[2] = QStringLiteral("01");
    } else if (change == u"blockedType") {
        execSql(db, QStringLiteral("UPDATE TIPOOPERACFIL SET IDLIBERADO = 'N' WHERE CDFILIAL = '0001' AND CDTIPOOPER = '02'"));
        undo << QStringLiteral("UPDATE TIPOOPERACFIL SET IDLIBERADO = 'S' WHERE CDFILIAL = '0001' AND CDTIPOOPER = '02'");
    } else if (change == u"series") {
        args[3] = QStringLiteral("ZZ");
    } else if (change == u"tax") {
        execSql(db, QStringLiteral("UPDATE IMPOSTO SET IDOBRIGATORIO = 'S' WHERE CDIMPOSTO = '05'"));
        undo << QStringLiteral("UPDATE IMPOSTO SET IDOBRIGATORIO = 'N' WHERE CDIMPOSTO = '05'");
    }
    const int invoices = one(db, QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")).toInt();
    const QJsonArray answer = call(db, geraNF, QStringLiteral("GeraNFFutura"), args).toArray();
    for (const QString& statement : undo)
        execSql(db, statement);
    QCOMPARE(answer.at(0).toString(), outcome);
    if (outcome == u"IMPOBRIG") {
        const DataPacket missing = PedTest::packetOf(answer.at(1));
        QCOMPARE(PedTest::fieldNames(missing), PedTest::names("CDARVPROD stImpostos"));
        QVERIFY(!missing.rows.isEmpty());
        QVERIFY(PedTest::value(missing, 0, QStringLiteral("stImpostos")).toString().contains(u"ICMS ST"));
    }
    QCOMPARE(one(db, QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")).toInt(), invoices);
}

QTEST_GUILESS_MAIN(TestReplicationMethods)
#include "tst_replication_methods.moc"
