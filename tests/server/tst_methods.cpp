// The first order-entry methods, called through the registry as the
// dispatcher calls them (a transaction open on the caller's connection), on
// SQLite and (when PED_TEST_PG_URL is set) PostgreSQL demo databases.

#include "datapacket.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "store/database.h"
#include "store/sql.h"
#include "demo_backends.h"
#include "method_calls.h"
#include "store/temporary_database.h"

#include <QJsonDocument>
#include <QMutex>
#include <QSet>
#include <QTest>
#include <QThread>
#include <memory>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString dbGeral = ServerNames::DBGeral;

using PedTest::fieldNames;
using PedTest::names;
using PedTest::packetOf;

QString text(const DataPacket& packet, int row, const QString& field)
{
    return PedTest::value(packet, row, field).toString();
}

} // namespace

class TestMethods : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void methodsAreDeclared();

    void getParamGerPed_data() { addKinds(); }
    void getParamGerPed();
    void getPermissao_data();
    void getPermissao();
    void getAbertura_data();
    void getAbertura();
    void getAberturaShowsCurrentNames_data() { addKinds(); }
    void getAberturaShowsCurrentNames();
    void getFilial_data();
    void getFilial();

    void getPrxPedidoCountsUpPadded_data() { addKinds(); }
    void getPrxPedidoCountsUpPadded();
    void getPrxPedidoStartsAfterStoredOrders_data() { addKinds(); }
    void getPrxPedidoStartsAfterStoredOrders();
    void getPrxPedidoRefusesUnknownBranch_data() { addKinds(); }
    void getPrxPedidoRefusesUnknownBranch();
    void getPrxPedidoParallelCallersGetDistinctNumbers_data() { addKinds(); }
    void getPrxPedidoParallelCallersGetDistinctNumbers();

private:
    static void addKinds() { PedTest::DemoBackends::addKinds(); }
    QJsonValue call(QSqlDatabase db, const QString& module, const QString& method, QJsonArray params,
                    const QString& operatorCode = QStringLiteral("DEMO"));
    QString nextNumber(QSqlDatabase db, const QString& branch) { return call(db, lanPedido, QStringLiteral("GetPrxPedido"), {branch}).toString(); }

    MethodRegistry m_registry;
    PedTest::DemoBackends m_backends;
};

#define OPEN_BACKEND(name) PED_OPEN_BACKEND(m_backends, name)

void TestMethods::initTestCase()
{
    registerAllMethods(m_registry);
    m_backends.open(QStringLiteral("tst_methods"));
}

void TestMethods::cleanupTestCase()
{
    m_backends.close();
}

QJsonValue TestMethods::call(QSqlDatabase db, const QString& module, const QString& method, QJsonArray params,
                             const QString& operatorCode)
{
    return PedTest::callMethod(m_registry, db, module, method, params, operatorCode);
}

void TestMethods::methodsAreDeclared()
{
    const struct { QString module; const char* name; int argCount; } expected[] = {
        {lanPedido, "getParamGerPed", 0}, {lanPedido, "GetPermissao", 3}, {lanPedido, "GetAbertura", 2},
        {lanPedido, "GetPrxPedido", 1},   {lanPedido, "getFilial", 2},    {dbGeral, "getFilial", 2},
    };
    for (const auto& method : expected) {
        const MethodSpec* spec = m_registry.find(method.module, QLatin1String(method.name));
        QVERIFY2(spec, method.name);
        QCOMPARE(spec->args.size(), method.argCount);
        QVERIFY(!spec->doc.isEmpty() && !spec->resultDoc.isEmpty());
        QVERIFY(spec->needsSession);
        for (const ArgSpec& arg : spec->args)
            QVERIFY(!arg.doc.isEmpty() && !arg.byReference);
    }
}

void TestMethods::getParamGerPed()
{
    OPEN_BACKEND(backend);
    const DataPacket packet = packetOf(call(db, lanPedido, QStringLiteral("getParamGerPed"), {}));
    QCOMPARE(packet.fields, (QList<FieldDef>{{QStringLiteral("IDUTTABPRECOITEM"), FieldType::String, 1}}));
    QCOMPARE(packet.rows, (QList<QVariantList>{{QStringLiteral("N")}}));
}

void TestMethods::getPermissao_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("permission");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<bool>("granted");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s: %s", kind, name) << QString::fromLatin1(kind); };
        row("leader holds the right") << "DEMO" << "ALTP" << "0003" << true;
        row("other branch") << "DEMO" << "ALTP" << "0009" << false;
        row("other right") << "DEMO" << "EXCP" << "0001" << false;
        row("operator without rights") << "MARIA" << "ALTP" << "0001" << false;
        row("inactive operator") << "ANTIGO" << "ALTP" << "0001" << false;
        row("unknown operator") << "NINGUEM" << "ALTP" << "0001" << false;
        row("SQL in the argument") << "DEMO' OR '1'='1" << "ALTP" << "0001" << false;
    }
}

void TestMethods::getPermissao()
{
    OPEN_BACKEND(backend);
    QFETCH(QString, operatorCode);
    QFETCH(QString, permission);
    QFETCH(QString, branch);
    QFETCH(bool, granted);
    const QJsonValue result = call(db, lanPedido, QStringLiteral("GetPermissao"), {operatorCode, permission, branch});
    const DataPacket packet = packetOf(result);
    QCOMPARE(packet.fields, (QList<FieldDef>{{QStringLiteral("CDGRUPOPER"), FieldType::String, 2},
                                             {QStringLiteral("CDOPERADOR"), FieldType::String, 12},
                                             {QStringLiteral("NMOPERADOR"), FieldType::String, 40},
                                             {QStringLiteral("CDSENHOPER"), FieldType::String, 20},
                                             {QStringLiteral("CDLIDGRUPOP"), FieldType::String, 12},
                                             {QStringLiteral("IDLIDER"), FieldType::String, 1}}));
    QCOMPARE(packet.rows.size(), granted ? 1 : 0);
    if (granted) {
        QCOMPARE(packet.rows.first(), (QVariantList{QStringLiteral("01"), operatorCode, QStringLiteral("Operador de Demonstração"),
                                                    QString(), QStringLiteral("DEMO"), QStringLiteral("S")}));
    }
    const QByteArray wire = QJsonDocument(result.toObject()).toJson(QJsonDocument::Compact);
    QVERIFY2(!wire.contains("pbkdf2") && !wire.contains("demo\""), wire.constData());
}

void TestMethods::getAbertura_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("priceMode");   // empty: no parameters
    QTest::addColumn<bool>("customerPriceTables");
    QTest::addColumn<QString>("boundSeller");
    for (const char* kind : {"sqlite", "postgresql"}) {
        const auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s: %s", kind, name) << QString::fromLatin1(kind); };
        row("0001 price tables") << "0001" << "DEMO" << "1" << true << "";
        row("0002 price factor") << "0002" << "DEMO" << "2" << false << "";
        row("0003 without parameters") << "0003" << "DEMO" << "" << true << "";
        row("unknown branch") << "0077" << "DEMO" << "" << false << "";
        row("operator bound to a seller") << "0002" << "MARIA" << "2" << false << "0002";
    }
}

void TestMethods::getAbertura()
{
    OPEN_BACKEND(backend);
    QFETCH(QString, branch);
    QFETCH(QString, operatorCode);
    QFETCH(QString, priceMode);
    QFETCH(bool, customerPriceTables);
    QFETCH(QString, boundSeller);

    const QJsonValue result = call(db, lanPedido, QStringLiteral("GetAbertura"), {branch, operatorCode});
    QVERIFY(result.isArray());
    const QJsonArray elements = result.toArray();
    QCOMPARE(elements.size(), 6);

    const DataPacket priceTableUse = packetOf(elements.at(0));
    QCOMPARE(priceTableUse.fields, (QList<FieldDef>{{QStringLiteral("COUNT"), FieldType::Integer, 0}}));
    QCOMPARE(priceTableUse.rows.first().first().toLongLong() > 0, customerPriceTables);

    const DataPacket parameters = packetOf(elements.at(1));
    QCOMPARE(fieldNames(parameters),
             names("IDTPCOMPPROD IDPERALTPRECO CDMODPGTO CDVENDEDOR IDTABPRECO IDUTRESELOTE IDLANCPED IDTESTAEST IDOBRINFTRAN "
                   "NRDIASENTPED NRMAXITNFPED IDEXIBPEDIDO DSMODPGTO IDMENSVEND IDOBRTPOPPED NMFANVEN IDUTVALIPED QTDIAVALIPED "
                   "IDUTDESCMAXI IDEXCLPEDIDO CDTIPOOPER CDCLIENTE NMFANTCLIE IDTPIJURCLIE NRINSJURCLIE IDEXIBDADORC IDUTCTRELANP "
                   "IDEXIBIMPITPED IDEXIBRENTPED IDEXIBPRINATIV IDLANENCARGOPED IDEXIBEPRAZOPED IDTIPOPEDINC IDALTFORMAPAG "
                   "DSPERALTMAIOR DSPERALTMENOR CDGRUALTPRECO IDEXIBVENDCOM IDALTMODPAG IDOBRDIMENSAO IDALTPRECOPC IDDIMEVARDESC "
                   "IDCALCPRECODIME IDUTDEPOSITO CDFILDEPOSITO CDGRUNRENTAVEL NRTPCUSTORENT IDCONFISPRODCLIE IDCONFISPRODFIL "
                   "IDCONFISPRODTRA IDCALCPRECFAT IDUTFILIALDESTINO IDEXIBLOCALENTRCLI VRPECOMVEN CDPRECOBASE DSPRECOBASE "
                   "IDUTENDEENTRPED IDCTRLESTQ IDCONSORCSALDEST CDFILIAL"));
    QCOMPARE(parameters.fields.at(parameters.indexOf(QStringLiteral("NRMAXITNFPED"))).type, FieldType::Float);
    QCOMPARE(parameters.fields.at(parameters.indexOf(QStringLiteral("DSMODPGTO"))).size, 100);
    QCOMPARE(parameters.fields.at(parameters.indexOf(QStringLiteral("IDUTFILIALDESTINO"))).size, 3);
    QCOMPARE(parameters.rows.size(), priceMode.isEmpty() ? 0 : 1);
    if (branch == QLatin1String("0001")) {
        QCOMPARE(text(parameters, 0, QStringLiteral("IDTABPRECO")), QStringLiteral("1"));
        QCOMPARE(text(parameters, 0, QStringLiteral("IDUTRESELOTE")), QStringLiteral("S"));
        QCOMPARE(text(parameters, 0, QStringLiteral("IDTESTAEST")), QStringLiteral("2"));
        QCOMPARE(text(parameters, 0, QStringLiteral("DSMODPGTO")), QStringLiteral("30 dias"));
        QCOMPARE(text(parameters, 0, QStringLiteral("DSPRECOBASE")), QStringLiteral("Tabela Varejo"));
        QCOMPARE(text(parameters, 0, QStringLiteral("CDFILIAL")), QStringLiteral("0001"));
    } else if (!priceMode.isEmpty()) {
        QCOMPARE(text(parameters, 0, QStringLiteral("IDTABPRECO")), priceMode);
        QCOMPARE(text(parameters, 0, QStringLiteral("NMFANVEN")), QStringLiteral("João Martins"));
        QCOMPARE(text(parameters, 0, QStringLiteral("NMFANTCLIE")), QStringLiteral("Ana Paula Ferreira"));
        QCOMPARE(text(parameters, 0, QStringLiteral("NRINSJURCLIE")).size(), 11);
    }

    const DataPacket dispatch = packetOf(elements.at(2));
    QCOMPARE(fieldNames(dispatch), names("IDCTRLVENEXP IDGERPRODEST IDCUSEXP"));
    QCOMPARE(dispatch.rows.size(), branch == QLatin1String("0077") ? 0 : 1);

    const DataPacket conditions = packetOf(elements.at(3));
    QCOMPARE(fieldNames(conditions),
             names("CDTIPODESC NMTIPODESC QTPRITPDESC QTSEGTPDESC QTTERTPDESC QTQUATPDESC QTQUITPDESC QTSEXTPDESC QTSETTPDESC QTOITTPDESC"));
    QCOMPARE(conditions.rows.size(), 5);   // the closed campaign is left out
    QCOMPARE(conditions.rows.at(2), (QVariantList{QStringLiteral("0000000003"), QStringLiteral("Revenda 5% + 2%"), 5.0, 2.0,
                                                  0.0, 0.0, 0.0, 0.0, 0.0, 0.0}));

    const DataPacket binding = packetOf(elements.at(4));
    QCOMPARE(binding.fields, (QList<FieldDef>{{QStringLiteral("CDOPERADOR"), FieldType::String, 32}}));
    QCOMPARE(binding.rows.size(), boundSeller.isEmpty() ? 0 : 1);
    const DataPacket seller = packetOf(elements.at(5));
    QCOMPARE(fieldNames(seller), names("CDVENDEDOR NMFANVEN VRPECOMVEN CDPRECOBASE DSPRECOBASE"));
    QCOMPARE(seller.rows.size(), boundSeller.isEmpty() ? 0 : 1);
    if (!boundSeller.isEmpty())
        QCOMPARE(seller.rows.first(), (QVariantList{boundSeller, QStringLiteral("Maria Souza"), 2.5, QStringLiteral("01"),
                                                    QStringLiteral("Tabela Varejo")}));
}

void TestMethods::getAberturaShowsCurrentNames()
{
    OPEN_BACKEND(backend);
    execSql(db, QStringLiteral("UPDATE VENDEDOR SET NMFANVEN = ? WHERE CDVENDEDOR = '0003'"), {QStringLiteral("João P. Martins")});
    const QJsonArray elements = call(db, lanPedido, QStringLiteral("GetAbertura"), {QStringLiteral("0002"), QStringLiteral("DEMO")}).toArray();
    execSql(db, QStringLiteral("UPDATE VENDEDOR SET NMFANVEN = ? WHERE CDVENDEDOR = '0003'"), {QStringLiteral("João Martins")});
    QCOMPARE(text(packetOf(elements.at(1)), 0, QStringLiteral("NMFANVEN")), QStringLiteral("João P. Martins"));
}

void TestMethods::getFilial_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QStringList>("expected");   // "CDFILIAL NMFILIAL"
    for (const char* kind : {"sqlite", "postgresql"}) {
        for (const QString& module : {lanPedido, dbGeral}) {
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s: %s: %s", kind, qPrintable(module), name) << QString::fromLatin1(kind) << module;
            };
            row("all branches") << "01" << "T"
                                << QStringList{QStringLiteral("0001 Matriz São Paulo"), QStringLiteral("0002 Filial Campinas"),
                                               QStringLiteral("0003 Filial Curitiba")};
            row("one branch") << "01" << "0002" << QStringList{QStringLiteral("0002 Filial Campinas")};
            row("unknown branch") << "01" << "0009" << QStringList{};
            row("other company") << "02" << "T" << QStringList{};
            row("SQL in the argument") << "01" << "0001' OR '1'='1" << QStringList{};
        }
    }
}

void TestMethods::getFilial()
{
    OPEN_BACKEND(backend);
    QFETCH(QString, module);
    QFETCH(QString, company);
    QFETCH(QString, branch);
    QFETCH(QStringList, expected);
    const DataPacket packet = packetOf(call(db, module, QStringLiteral("getFilial"), {company, branch}));
    QCOMPARE(packet.fields, (QList<FieldDef>{{QStringLiteral("CDFILIAL"), FieldType::String, 4},
                                             {QStringLiteral("NMFILIAL"), FieldType::String, 30},
                                             {QStringLiteral("CDSEGMER"), FieldType::String, 5}}));
    QStringList found;
    for (const QVariantList& row : packet.rows)
        found.append(row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString());
    QCOMPARE(found, expected);
}

void TestMethods::getPrxPedidoCountsUpPadded()
{
    OPEN_BACKEND(backend);
    const qlonglong highest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0001'")).toString().toLongLong();
    QVERIFY(highest > 0);
    const QString first = nextNumber(db, QStringLiteral("0001"));
    const QString second = nextNumber(db, QStringLiteral("0001"));
    QCOMPARE(first, QStringLiteral("%1").arg(highest + 1, 10, 10, QLatin1Char('0')));
    QCOMPARE(second.toLongLong(), first.toLongLong() + 1);
    QCOMPARE(second.size(), 10);
    // Branches count on their own; 0003 has no order yet.
    QCOMPARE(nextNumber(db, QStringLiteral("0003")), QStringLiteral("0000000001"));
    QCOMPARE(nextNumber(db, QStringLiteral("0001")).toLongLong(), second.toLongLong() + 1);
}

void TestMethods::getPrxPedidoStartsAfterStoredOrders()
{
    OPEN_BACKEND(backend);
    // A branch whose counter row is missing continues after its orders.
    execSql(db, QStringLiteral("DELETE FROM CONTADORPEDIDO WHERE CDFILIAL = '0002'"));
    const qlonglong highest = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = '0002'")).toString().toLongLong();
    const QString next = nextNumber(db, QStringLiteral("0002"));
    QCOMPARE(next.toLongLong(), highest + 1);

    // An order written around the counter (an import) is not numbered twice.
    const QString taken = QStringLiteral("%1").arg(next.toLongLong() + 1, 10, 10, QLatin1Char('0'));
    execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO) VALUES ('0002', ?, ?, '1')"),
            {taken, QDateTime::currentDateTime()});
    QCOMPARE(nextNumber(db, QStringLiteral("0002")).toLongLong(), taken.toLongLong() + 1);
    execSql(db, QStringLiteral("DELETE FROM PEDIDO WHERE CDFILIAL = '0002' AND NRPEDIDO = ?"), {taken});
}

void TestMethods::getPrxPedidoRefusesUnknownBranch()
{
    OPEN_BACKEND(backend);
    try {
        nextNumber(db, QStringLiteral("0099"));
        QFAIL("an unknown branch got an order number");
    } catch (const MethodError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Filial 0099 não cadastrada."));
    }
    QCOMPARE(selectValue(db, QStringLiteral("SELECT COUNT(*) FROM CONTADORPEDIDO WHERE CDFILIAL = '0099'")).toInt(), 0);
}

// Several workers, each with its own connection as the server's threads
// have, ask for numbers at once: none may get a number another one got.
void TestMethods::getPrxPedidoParallelCallersGetDistinctNumbers()
{
    OPEN_BACKEND(backend);
    constexpr int workerCount = 4;
    constexpr int callsPerWorker = 25;
    const MethodSpec* spec = m_registry.find(lanPedido, QStringLiteral("GetPrxPedido"));
    QVERIFY(spec);
    const DatabaseConfig config = backend.temporary->config();

    QMutex mutex;
    QStringList numbers, errors;
    QList<QThread*> workers;
    for (int w = 0; w < workerCount; ++w) {
        workers.append(QThread::create([&, w] {
            const QString connection = QStringLiteral("tst_methods_worker_%1_%2").arg(kind).arg(w);
            try {
                QSqlDatabase workerDb = openDatabase(config, connection);
                for (int i = 0; i < callsPerWorker; ++i) {
                    if (!workerDb.transaction())
                        throw StoreError("cannot begin a transaction");
                    CallContext context{workerDb, QStringLiteral("DEMO"), lanPedido, spec->name};
                    QJsonArray params{QStringLiteral("0002")};
                    const QString number = spec->function(context, params).toString();
                    if (!workerDb.commit())
                        throw StoreError("commit failed");
                    QMutexLocker lock(&mutex);
                    numbers.append(number);
                }
            } catch (const std::exception& error) {
                QMutexLocker lock(&mutex);
                errors.append(QString::fromUtf8(error.what()));
            }
            QSqlDatabase::removeDatabase(connection);
        }));
    }
    for (QThread* worker : workers)
        worker->start();
    for (QThread* worker : workers) {
        worker->wait();
        delete worker;
    }

    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QStringLiteral("; "))));
    QCOMPARE(numbers.size(), workerCount * callsPerWorker);
    QCOMPARE(QSet<QString>(numbers.cbegin(), numbers.cend()).size(), numbers.size());
    numbers.sort();
    QCOMPARE(numbers.last().toLongLong() - numbers.first().toLongLong() + 1, qlonglong(numbers.size()));
}

QTEST_GUILESS_MAIN(TestMethods)
#include "tst_methods.moc"
