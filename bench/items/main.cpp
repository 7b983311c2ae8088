// Figures of the order items on the real screen: loading an order of 1,000
// items (packet -> record set with calculated fields and aggregates),
// posting an edit to one item with its totals at 10, 100 and 1,000 items
// (the item checks and the server call left out: the record set's own cost
// must not grow with the order), and VrTotalItemPed with its GetImposEncar
// call on SQLite through the in-process server; repricing every item of a
// 1,000-item order after a change of base price, client and server
// together on SQLite, with the number of server calls it made; posting a
// new item with the full check and its server calls in an order of 10 and
// of 1,000 items. Prints "items.<measure> <value> <unit>".

#include "lanpedido_fixture.h"
#include "lanpedido_screen.h"
#include "scriptedhost.h"

#include "eventguard.h"
#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "store/database.h"
#include "store/sql.h"
#include "widgets/datasource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const QString branch = QStringLiteral("0001");
const QString benchOrder = QStringLiteral("0000007000");

void print(const char* measure, double value, const char* unit)
{
    std::printf("items.%s %.*f %s\n", measure, value < 10 ? 3 : (value < 1000 ? 2 : 0), value, unit);
    std::fflush(stdout);
}

// Best of a few runs, in milliseconds: the machine is shared.
double bestMs(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// An order of `count` items with prices, discounts, markups, free goods
// and profitability data, as GetItemPedido sends it.
DataPacket itemPacket(const RecordSet& items, int count)
{
    DataPacket packet;
    packet.fields = items.fieldDefs();
    for (int n = 1; n <= count; ++n) {
        QVariantMap values = {{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRPEDIDO"), benchOrder},
                              {QStringLiteral("NRITEMPED"), QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'))},
                              {QStringLiteral("CDARVPROD"), QStringLiteral("01%1").arg(n % 90, 4, 10, QLatin1Char('0'))},
                              {QStringLiteral("NMPRODUTO"), QStringLiteral("Produto de teste %1").arg(n)},
                              {QStringLiteral("QTITEMPED"), double(1 + n % 40)},
                              {QStringLiteral("VRPREUNITPED"), 3.5 + (n % 17) * 1.25},
                              {QStringLiteral("VRDESITPED"), (n % 5) * 0.333},
                              {QStringLiteral("VRPERCMARKUPIT"), n % 11 == 0 ? 10.0 : 0.0},
                              {QStringLiteral("IDPRODBONIF"), n % 13 == 0 ? QStringLiteral("S") : QStringLiteral("N")},
                              {QStringLiteral("VRITEPREBASE"), 3.0 + (n % 17) * 1.25},
                              {QStringLiteral("VRCUSTPRODBASE"), 2.0 + (n % 7) * 0.5},
                              {QStringLiteral("IDSITITEMPED"), QStringLiteral("1")}};
        QVariantList row;
        for (const FieldDef& field : packet.fields)
            row << values.value(field.name);
        packet.rows << row;
    }
    return packet;
}

void storeOrder(const QSqlDatabase& db, const DataPacket& items)
{
    execSql(db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, IDSITPEDIDO, CDCLIENTE, CDMODPGTO)"
                               " SELECT CDFILIAL, ?, DTPEDIDO, '1', CDCLIENTE, CDMODPGTO FROM PEDIDO WHERE CDFILIAL = ? AND NRPEDIDO = '0000000001'"),
            {benchOrder, branch});
    QSqlDatabase(db).transaction();
    for (const QVariantList& row : items.rows)
        execSql(db, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, VRDESITPED,"
                                   " IDSITITEMPED, IDPRODBONIF) VALUES (?, ?, ?, '1', ?, ?, ?, '1', ?)"),
                {branch, benchOrder, row.at(items.indexOf(QStringLiteral("NRITEMPED"))), row.at(items.indexOf(QStringLiteral("QTITEMPED"))),
                 row.at(items.indexOf(QStringLiteral("VRPREUNITPED"))), row.at(items.indexOf(QStringLiteral("VRDESITPED"))),
                 row.at(items.indexOf(QStringLiteral("IDPRODBONIF")))});
    QSqlDatabase(db).commit();
}

// The server logs one line per call: counted by method here, not printed
// among the figures.
QHash<QString, int> serverCalls;
double serverMs = 0;   // the time the server logged for those calls
QtMessageHandler previousHandler = nullptr;

void countServerCalls(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtInfoMsg && context.category && QLatin1String(context.category).startsWith(QLatin1String("ped."))) {
        static const QRegularExpression method(QStringLiteral("method=(\\S+) ms=(\\S+)"));
        if (const QRegularExpressionMatch match = method.match(message); match.hasMatch()) {
            ++serverCalls[match.captured(1)];
            serverMs += match.captured(2).toDouble();
        }
        return;
    }
    previousHandler(type, context, message);
}

int totalCalls()
{
    int total = 0;
    for (const int calls : std::as_const(serverCalls))
        total += calls;
    return total;
}

// A 1,000-item order of demo products priced in the retail and the
// wholesale tables, stored and on screen, in the wholesale table.
void repricingOrder(TfrmLanPedido& tela, const QSqlDatabase& db)
{
    QList<std::pair<QString, QString>> products;   // CDPRODUTO, CDARVPROD
    QSqlQuery query = execSql(db, QStringLiteral("SELECT P.CDPRODUTO, P.CDARVPROD FROM PRODUTO P WHERE"
                                                 " EXISTS (SELECT 1 FROM ITEMPRECOBASE I WHERE I.CDPRODUTO = P.CDPRODUTO AND I.CDPRECOBASE = '01')"
                                                 " AND EXISTS (SELECT 1 FROM ITEMPRECOBASE I WHERE I.CDPRODUTO = P.CDPRODUTO AND I.CDPRECOBASE = '02')"
                                                 " ORDER BY P.CDPRODUTO"));
    while (query.next())
        products.append({query.value(0).toString(), query.value(1).toString()});
    const QString order = QStringLiteral("0000007001");
    const QString customer = QStringLiteral("000002");   // may use both tables
    tela.cdsPedido->setData(PedTest::rowsOf(*tela.cdsPedido, {{{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRPEDIDO"), order},
                                                               {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                                                               {QStringLiteral("CDCLIENTE"), customer},
                                                               {QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
                                                               {QStringLiteral("CDMODPGTO"), QStringLiteral("00003")},
                                                               {QStringLiteral("DTPEDIDO"), QDateTime::currentDateTime()}}}));
    QList<QVariantMap> rows;
    for (int n = 1; n <= 1000; ++n) {
        const auto& [code, typed] = products.at(n % products.size());
        rows.append({{QStringLiteral("CDFILIAL"), branch}, {QStringLiteral("NRPEDIDO"), order},
                     {QStringLiteral("NRITEMPED"), QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'))},
                     {QStringLiteral("CDARVPROD"), typed}, {QStringLiteral("CDPRODUTO"), code},
                     {QStringLiteral("QTITEMPED"), double(1 + n % 12)}, {QStringLiteral("VRPREUNITPED"), 10.0},
                     {QStringLiteral("PERDESC"), double(n % 4)}, {QStringLiteral("IDSITITEMPED"), QStringLiteral("1")}});
    }
    EventDetach semScroll(tela.cdsItemPedido->afterScroll);
    tela.cdsItemPedido->setData(PedTest::rowsOf(*tela.cdsItemPedido, rows));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    previousHandler = qInstallMessageHandler(countServerCalls);
    ScriptedHost host;
    QTemporaryDir configDir;
    PedTest::TestServer server;
    PedTest::openSession(server, branch, configDir.path() + u'/');
    openDtmDBGeral(server.databaseConfig().sqlitePath);
    QSqlDatabase db = openDatabase(server.databaseConfig(), QStringLiteral("bench_items"));

    PedTest::respondeFiltro(host, PedTest::RespostaFiltro::Confirma);
    CriaLanctoPedido();
    TfrmLanPedido& tela = *LanPedido::frmLanPedido;
    tela.FConfirmacaoLivre = false;
    RecordSet& params = *tela.cdsParamPedido;
    params.edit();
    params.fieldByName(QStringLiteral("IDEXIBRENTPED")).setValue(QStringLiteral("S"));
    params.post();
    RecordSet& itens = *tela.cdsItemPedido;

    const DataPacket mil = itemPacket(itens, 1000);
    {
        EventDetach semScroll(itens.afterScroll);
        const double loadMs = bestMs(5, [&] { itens.setData(mil); });
        print("load_1000.ms", loadMs, "ms");
        print("load_1000.us_per_item", loadMs * 1000.0 / 1000, "us");
    }

    // One edit posted with its totals, the server's part of the totals aside:
    // first the record set alone, then with the item grid bound to it.
    for (bool withGrid : {false, true}) {
        tela.dtsItemPedido->setDataSet(withGrid ? &itens : nullptr);
        double perPost10 = 0;
        for (int count : {10, 100, 1000, 10000}) {
            EventDetach semScroll(itens.afterScroll);
            itens.setData(itemPacket(itens, count));
            EventReplace soTotaisDoCliente(itens.afterPost, RecordSet::Event([&tela](RecordSet&) { tela.MostraTotaisItens(); }));
            EventDetach semConferencia(itens.beforePost);
            constexpr int posts = 200;
            itens.setCurrentRow(count / 2);
            const double ms = bestMs(3, [&] {
                for (int i = 0; i < posts; ++i) {
                    itens.edit();
                    itens.fieldByName(QStringLiteral("QTITEMPED")).setValue(double(2 + i % 9));
                    itens.post();
                }
            });
            const double perPostUs = ms * 1000.0 / posts;
            if (count == 10)
                perPost10 = perPostUs;
            const QByteArray prefix = withGrid ? "post_edit_with_grid_" : "post_edit_";
            print((prefix + QByteArray::number(count) + ".us").constData(), perPostUs, "us");
            if (count == 1000)
                print((prefix + "ratio_1000_to_10").constData(), perPostUs / perPost10, "x");
        }
    }

    storeOrder(db, mil);
    {
        EventDetach semScroll(itens.afterScroll);
        itens.setData(mil);
    }
    constexpr int calls = 20;
    const double totalMs = bestMs(3, [&] {
        for (int i = 0; i < calls; ++i)
            tela.VrTotalItemPed();
    });
    print("vrtotalitemped_1000.sqlite.ms", totalMs / calls, "ms");

    // Repricing: the base price changes from the wholesale to the retail table.
    repricingOrder(tela, db);
    tela.cdsPedido->edit();
    tela.cdsPedido->fieldByName(QStringLiteral("CDPRECOBASE")).setValue(QStringLiteral("01"));
    host.expectQuestion(QStringLiteral("A mudança de preço base poderá"), MsgButton::Yes);
    serverCalls.clear();
    QElapsedTimer repricing;
    repricing.start();
    tela.MudaPrcBase();
    print("reprice_1000.sqlite.ms", double(repricing.nsecsElapsed()) / 1e6, "ms");
    print("reprice_1000.server_calls", totalCalls(), "calls");
    print("reprice_1000.getpreco_calls", serverCalls.value(QStringLiteral("GetPreco")), "calls");
    print("reprice_1000.getprecos_calls", serverCalls.value(QStringLiteral("GetPrecos")), "calls");
    tela.cdsPedido->cancel();

    // A new item posted with the full check: product, multiple, price,
    // discounts, delivery date and stock, every server call included.
    {
        const QString product = selectValue(db, QStringLiteral("SELECT MIN(P.CDARVPROD) FROM PRODUTO P JOIN ITEMPRECOBASE I"
                                                               " ON I.CDPRODUTO = P.CDPRODUTO WHERE I.CDPRECOBASE = '02'"
                                                               " AND I.IDITPEDDIFER = 'N' AND I.DTFIMVALIPB > CURRENT_TIMESTAMP"
                                                               " AND I.DTINIVALIPB < CURRENT_TIMESTAMP"))
                                    .toString();
        execSql(db, QStringLiteral("UPDATE ESTOQUE SET QTESTOQUE = 1e12"));
        // The branch's limit of 50 items per invoice would stop the large order.
        params.edit();
        params.fieldByName(QStringLiteral("NRMAXITNFPED")).setValue(0.0);
        params.post();
        tela.cdsPedido->setData(PedTest::rowsOf(*tela.cdsPedido, {{{QStringLiteral("CDFILIAL"), branch},
                                                                     {QStringLiteral("NRPEDIDO"), benchOrder},
                                                                     {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                                                                     {QStringLiteral("IDTIPOPEDIDO"), QStringLiteral("1")},
                                                                     {QStringLiteral("CDCLIENTE"), QStringLiteral("000001")},
                                                                     {QStringLiteral("NRINSJURCLIE"), QStringLiteral("11222333000181")},
                                                                     {QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
                                                                     {QStringLiteral("CDMODPGTO"), QStringLiteral("00002")},
                                                                     {QStringLiteral("DTPEDIDO"), QDateTime::currentDateTime()},
                                                                     {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")}}}));
        tela.rdbPedido->setChecked(true);
        {
            const QSignalBlocker semTroca(tela.pgcPadrao);
            tela.pgcPadrao->setCurrentWidget(tela.tshItemPedido);
        }
        double perPost10 = 0;
        for (int count : {10, 1000}) {
            {
                EventDetach semScroll(itens.afterScroll);
                itens.setData(itemPacket(itens, count));
            }
            constexpr int posts = 20;
            serverCalls.clear();
            serverMs = 0;
            const double ms = bestMs(3, [&] {
                for (int i = 0; i < posts; ++i) {
                    tela.insereItem();
                    itens.fieldByName(QStringLiteral("CDARVPROD")).setValue(product);
                    itens.fieldByName(QStringLiteral("QTITEMPED")).setValue(double(10 + i));
                    itens.fieldByName(QStringLiteral("DTENTITPED")).setValue(QDateTime(QDate::currentDate().addDays(3), QTime(14, 0)));
                    itens.post();
                    // Back in the event loop the screen shows the new item.
                    QApplication::processEvents();
                }
            });
            const double perPostMs = ms / posts;
            if (count == 10)
                perPost10 = perPostMs;
            print(("post_new_item_" + QByteArray::number(count) + ".sqlite.ms").constData(), perPostMs, "ms");
            if (count == 1000) {
                print("post_new_item_ratio_1000_to_10", perPostMs / perPost10, "x");
                print("post_new_item.server_calls", double(totalCalls()) / (3 * posts), "calls");
                print("post_new_item_1000.server_ms", serverMs / (3 * posts), "ms");
            }
        }
    }

    const QString problems = host.problems();
    if (!problems.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(problems));

    tela.closeScreen();
    closeDtmDBGeral();
    return 0;
}
