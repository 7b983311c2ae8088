#pragma once
// Opening the order entry screen in the screen tests: the order filter
// that validating the branch opens is scripted.

#include "lanpedido_fixture.h"

#include "filtropedidodialog.h"
#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "scriptedhost.h"
#include "store/database.h"
#include "store/sql.h"

#include <QDialog>
#include <QPointer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <memory>

namespace PedTest {

// How the script answers the order filter that validating a branch with
// order parameters opens: confirmed as it comes, the list of the initial
// filter loads and the data pages open; cancelled, they stay closed.
enum class RespostaFiltro { Cancela, Confirma };

// The next order filter the screen opens is answered with `resposta`.
inline void respondeFiltro(ScriptedHost& host, RespostaFiltro resposta)
{
    host.expectDialog(QStringLiteral("TfrmFiltroPedido"), [resposta](QDialog& dialog) {
        if (resposta == RespostaFiltro::Confirma)
            static_cast<TfrmFiltroPedido&>(dialog).sbtConfirmaClick();
        else
            dialog.reject();
    });
}

// Opens the order entry screen on the fixed working `branch`. The demo's
// branch 0003 has no order parameters and so opens no filter.
inline TfrmLanPedido* abreTela(ScriptedHost& host, const QString& branch,
                               RespostaFiltro resposta = RespostaFiltro::Confirma)
{
    WorkingContext context = workingContext();
    context.filial = branch;
    setWorkingContext(context);
    if (branch != u"0003" && context.modulosFilialFixa.contains(QStringLiteral("PED00100")))
        respondeFiltro(host, resposta);
    CriaLanctoPedido();
    return LanPedido::frmLanPedido;
}

// Closes the screen a test left open and waits until it is gone. Unsaved
// edits are dropped first: a screen with an order or item being entered
// would ask before closing.
inline void fechaTela()
{
    QPointer<TfrmLanPedido> closing = LanPedido::frmLanPedido;
    if (!closing)
        return;
    for (RecordSet* cds : {closing->cdsItemPedido, closing->cdsObser, closing->cdsPedido})
        if (cds->isEditing())
            cds->cancel();
    closing->closeScreen();
    QTRY_VERIFY(closing.isNull());
}

// A pending order of branch 0001 with two or more priced items, as the demo
// database holds it: the price tools' tests change its prices and put them
// back.
struct PedidoDeTeste {
    QString pedido;
    QStringList itens;       // not settled or cancelled, by number
    QList<double> precos;    // as found

    static PedidoDeTeste encontra(const QSqlDatabase& demo)
    {
        PedidoDeTeste found;
        found.pedido = selectValue(demo, QStringLiteral(
            "SELECT MIN(P.NRPEDIDO) FROM PEDIDO P WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO IN ('1', '2')"
            " AND (SELECT COUNT(*) FROM ITEMPEDIDO I WHERE I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
            "      AND I.IDSITITEMPED NOT IN ('4', '5', '6') AND I.VRPREUNITPED > 0) >= 2")).toString();
        if (found.pedido.isEmpty())
            qFatal("the demo database has no pending order with two priced items");
        QSqlQuery items = execSql(demo, QStringLiteral("SELECT NRITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = ?"
                                                       " AND IDSITITEMPED NOT IN ('4', '5', '6') ORDER BY NRITEMPED"),
                                  {found.pedido});
        while (items.next())
            found.itens << items.value(0).toString();
        found.precos = found.precosGravados(demo);
        return found;
    }

    QList<double> precosGravados(const QSqlDatabase& demo) const
    {
        QList<double> stored;
        for (const QString& item : itens)
            stored << selectValue(demo, QStringLiteral("SELECT VRPREUNITPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001'"
                                                       " AND NRPEDIDO = ? AND NRITEMPED = ?"),
                                  {pedido, item})
                          .toDouble();
        return stored;
    }

    void restauraPrecos(const QSqlDatabase& demo) const
    {
        for (qsizetype i = 0; i < itens.size(); ++i)
            execSql(demo, QStringLiteral("UPDATE ITEMPEDIDO SET VRPREUNITPED = ? WHERE CDFILIAL = '0001' AND NRPEDIDO = ? AND NRITEMPED = ?"),
                    {precos.at(i), pedido, itens.at(i)});
    }
};

// What every order entry screen test class holds: the server with its demo
// database read directly, the scripted host of the running test and the
// screen it opened. Test classes derive from it beside QObject and call
// these from their own slots.
class TelaTeste {
protected:
    // From initTestCase: the server and DEMO's session at branch 0001; the
    // demo database opens on `demoConnection`.
    // PED_TEST_SCREEN_BACKEND=postgresql runs the screen over PostgreSQL,
    // skipped when PED_TEST_PG_URL names none.
    void abreServidor(const QString& demoConnection)
    {
        QVERIFY(configDir.isValid());
        TestServerOptions options;
        if (qEnvironmentVariable("PED_TEST_SCREEN_BACKEND") == u"postgresql") {
            if (!TestServer::postgresRequested())
                QSKIP("PostgreSQL not asked for (PED_TEST_PG_URL)");
            options.backend = TestServerOptions::Backend::PostgreSQL;
        }
        server = std::make_unique<TestServer>(options);
        openSession(*server, QStringLiteral("0001"), configDir.path() + u'/');
        demoConnectionName = demoConnection;
        demo = openDatabase(server->databaseConfig(), demoConnectionName);
    }

    // From cleanupTestCase.
    void fechaServidor()
    {
        closeDtmDBGeral();
        demo = QSqlDatabase();
        QSqlDatabase::removeDatabase(demoConnectionName);
        ServerSession::instance().logout();
    }

    void abreTela(const QString& branch = QStringLiteral("0001"))
    {
        tela = PedTest::abreTela(*scripted, branch);
        QVERIFY(tela);
    }

    // From cleanup: the screen the test left open is closed...
    void fechaTelaDoTeste()
    {
        fechaTela();
        tela = nullptr;
    }

    // ...and the scripted host must have seen everything it expected.
    void liberaHost()
    {
        PED_VERIFY_HOST(*scripted);
        scripted.reset();
        LanPedido::resetUnit();
    }

    // A demo order of branch 0001 with a reserved item, on screen with its
    // items page showing, under lot reservation and table prices.
    QString abrePedidoReservado(const QString& tipoOperacao = QStringLiteral("01"))
    {
        setParam(*tela->cdsParamPedido, QStringLiteral("IDUTRESELOTE"), QStringLiteral("S"));
        setParam(*tela->cdsParamPedido, QStringLiteral("IDEXIBIMPITPED"), QStringLiteral("S"));
        setParam(*tela->cdsParamPedido, QStringLiteral("IDTABPRECO"), QStringLiteral("1"));
        setParam(*tela->cdsParamPedido, QStringLiteral("IDEXIBRENTPED"), QStringLiteral("S"));
        QSqlQuery query(demo);
        if (!query.exec(QStringLiteral("SELECT MIN(R.NRPEDIDO) FROM RESPRODPED R INNER JOIN PEDIDO P ON P.CDFILIAL = R.CDFILIAL"
                                       " AND P.NRPEDIDO = R.NRPEDIDO WHERE R.CDFILIAL = '0001' AND P.IDSITPEDIDO = '1'"))
            || !query.next())
            return {};
        const QString pedido = query.value(0).toString();
        DataPacket packet = orderRows(demo, QStringLiteral("PEDIDO"), tela->cdsPedido->fieldDefs(), QStringLiteral("0001"), pedido);
        packet.rows[0][packet.indexOf(QStringLiteral("CDTIPOOPER"))] = tipoOperacao;
        tela->cdsPedido->setData(packet);
        tela->dtsPadraoStateChange();
        tela->selecionaPagina(tela->tshItemPedido);
        return pedido;
    }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<ScriptedHost> scripted;
    QTemporaryDir configDir;
    QSqlDatabase demo;
    TfrmLanPedido* tela = nullptr;

private:
    QString demoConnectionName;
};

} // namespace PedTest
