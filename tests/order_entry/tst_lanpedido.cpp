// The order entry screen: creation, the branch's parameters, the open/locked
// rule, page loading, cancelling a new order, the saved column order, notes
// and printing.

#include "lanpedido_testcase.h"

#include "lanpedido.h"
#include "lanpedido_unit.h"
#include "recordset.h"
#include "store/database.h"
#include "store/sql.h"
#include "taxnumbers.h"
#include "cds_values.h"
#include "eventguard.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest/QtTest>

using namespace PedTest;

class TstLanPedido : public LanPedidoTestCase {
    Q_OBJECT

private slots:
    void abreComFilialFixaEParametros();
    void filialLivreValidadaAoSair_data();
    void filialLivreValidadaAoSair();
    void ordemDeColunasSalvaELida();
    void ordemDeColunasDanificadaNaoImpedeATela();
    void editabilidade_data();
    void editabilidade();
    void efeitosDosParametros_data();
    void efeitosDosParametros();
    void itensRecarregamEmConsulta();
    void cancelarInclusao_data();
    void cancelarInclusao();
    void f12VoltaAFilialComTelaVazia();
    void imprimirAbreImpressao();
    void importaObservacaoDeArquivo();
    void paginasEmConsulta();
    void paginaMostradaEEscolhidaConcordam_data();
    void paginaMostradaEEscolhidaConcordam();
    void cancelarNovoPedidoMostraOPedidoAtual_data();
    void cancelarNovoPedidoMostraOPedidoAtual();
    void incluirNaFormaDePagamento_data();
    void incluirNaFormaDePagamento();

private:
    void aoAbrirServidor() override;
    // Every test starts on the fixed working branch.
    void depoisDoTeste() override
    {
        WorkingContext fixa = workingContext();
        fixa.modulosFilialFixa = {QStringLiteral("PED00100")};
        setWorkingContext(fixa);
        QVERIFY(!LanPedido::boStCriado);
    }
    // The working branch left free for the screen, for the rest of the test.
    static void soltaFilial()
    {
        WorkingContext context = workingContext();
        context.modulosFilialFixa.clear();
        setWorkingContext(context);
    }
    void carregaPedidoDemo();

    int demoItemCount = 0;
};

void TstLanPedido::aoAbrirServidor()
{
    // The operator's saved column order, beside another operator's.
    QDir().mkpath(configDir.path() + QStringLiteral("/DEMO"));
    RecordSet salvas(QStringLiteral("cdsSalvaOpcoes"));
    for (const char* name : {"NMPRODUTO", "CDARVPROD", "CDPRODINTE", "CDOPERADOR"})
        salvas.addField(QString::fromUtf8(name), FieldType::String, 12);
    salvas.createDataSet();
    for (const QStringList& row : {QStringList{"0", "1", "2", "OUTRO"}, QStringList{"2", "0", "1", "DEMO"}}) {
        salvas.append();
        for (int i = 0; i < row.size(); ++i)
            salvas.field(i).setValue(row.at(i));
        salvas.post();
    }
    salvas.saveToFile(configDir.path() + QStringLiteral("/DEMO/Config.Cds"));
}

// A branch with order parameters on the fixed working branch: the list opens
// and orders can be included.
void TstLanPedido::abreComFilialFixaEParametros()
{
    abreTela();
    QCOMPARE(tela->medCdFilial->text(), QStringLiteral("0001"));
    QVERIFY(!tela->medCdFilial->isEnabled());
    QCOMPARE(tela->cdsParamGerPed->recordCount(), 1);
    QVERIFY(tela->cdsPedido->isActive());
    QVERIFY(tela->sbtIncluir->isEnabled());
    QVERIFY(!tela->primeiraAtivacao());
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshPadrao);
    QCOMPARE(LanPedido::Filtro.Emissao.dtDe, QDate::currentDate().addDays(-10));
    QCOMPARE(LanPedido::Filtro.Emissao.dtAte, QDate::currentDate());
}

void TstLanPedido::filialLivreValidadaAoSair_data()
{
    QTest::addColumn<bool>("confirma");
    QTest::newRow("filtro confirmado") << true;
    QTest::newRow("filtro cancelado") << false;
}

// Without a fixed branch the clerk leaves the branch field first; until
// then nothing can be included. The order filter follows: confirmed, the
// clerk goes on with the list; cancelled, the list of the unchanged filter
// shows and the clerk is back on the branch. Either way the branch's page
// options apply.
void TstLanPedido::filialLivreValidadaAoSair()
{
    QFETCH(bool, confirma);
    soltaFilial();
    abreTela();
    QVERIFY(tela->medCdFilial->isEnabled());
    QCOMPARE(tela->medCdFilial->text(), QStringLiteral("0001"));
    QVERIFY(!tela->sbtIncluir->isEnabled());
    QVERIFY(tela->ultimaFilialValidada().isEmpty());
    const int dadosGerais = tela->pgcPadrao->indexOf(tela->tshDadosPed);
    QVERIFY(!tela->pgcPadrao->isTabEnabled(dadosGerais));

    const int encargos = tela->pgcPadrao->indexOf(tela->tshEncargos);
    tela->pgcPadrao->setTabVisible(encargos, false);
    // The clerk leaves the branch field for the list.
    QCOMPARE(tela->focusWidget(), tela->medCdFilial);
    respondeFiltro(*scripted, confirma ? RespostaFiltro::Confirma : RespostaFiltro::Cancela);
    tela->dbgPadrao->setFocus();
    QCOMPARE(tela->ultimaFilialValidada(), QStringLiteral("0001"));
    QCOMPARE(tela->edtNmFilial->text(), QStringLiteral("Matriz São Paulo"));
    QVERIFY(tela->cdsPedido->recordCount() > 0);
    QVERIFY(tela->pgcPadrao->isTabEnabled(dadosGerais));
    QCOMPARE(tela->focusWidget() == tela->medCdFilial, !confirma);
    // 0001 takes charges on the order: its page shows.
    QVERIFY(tela->pgcPadrao->isTabVisible(encargos));
    QVERIFY(scripted->messages().isEmpty());
    if (!confirma)
        return;
    QVERIFY(tela->sbtIncluir->isEnabled());

    // Another branch that is not registered is refused and keeps the old one.
    tela->medCdFilial->setText(QStringLiteral("0099"));
    emit tela->medCdFilial->editingFinished();
    QVERIFY(scripted->hasMessage(QStringLiteral("Filial não cadastrada.")));
    QCOMPARE(tela->ultimaFilialValidada(), QStringLiteral("0001"));
    scripted->clear();
}

void TstLanPedido::ordemDeColunasSalvaELida()
{
    abreTela();
    QCOMPARE(tela->posicaoColunaListaPreco(QStringLiteral("NMPRODUTO")), 2);
    QCOMPARE(tela->posicaoColunaListaPreco(QStringLiteral("CDARVPROD")), 0);
    QCOMPARE(tela->posicaoColunaListaPreco(QStringLiteral("CDPRODINTE")), 1);
}

void TstLanPedido::ordemDeColunasDanificadaNaoImpedeATela()
{
    const QString caminho = configDir.path() + QStringLiteral("/DEMO/Config.Cds");
    const QString copia = caminho + QStringLiteral(".bom");
    QVERIFY(QFile::copy(caminho, copia));
    const auto restaura = qScopeGuard([&] {
        QFile::remove(caminho);
        QFile::rename(copia, caminho);
    });
    QFile arquivo(caminho);
    QVERIFY(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
    arquivo.write("{\"fields\": [");
    arquivo.close();

    abreTela();
    QVERIFY(scripted->hasMessage(QStringLiteral("não pôde ser lida e foi ignorada")));
    QCOMPARE(tela->posicaoColunaListaPreco(QStringLiteral("NMPRODUTO")), tela->cdsListaPreco->fieldIndex(QStringLiteral("NMPRODUTO")));
    QVERIFY(tela->sbtIncluir->isEnabled());
    scripted->clear();
}

void TstLanPedido::editabilidade_data()
{
    QTest::addColumn<QString>("lancamento");
    QTest::addColumn<QString>("situacao");
    QTest::addColumn<int>("confirmados");
    QTest::addColumn<bool>("aberto");
    QTest::addColumn<bool>("incluiItem");

    QTest::newRow("L1 pendente") << "1" << "1" << 0 << true << true;
    QTest::newRow("L1 andamento") << "1" << "2" << 0 << false << false;
    QTest::newRow("L1 parcial") << "1" << "6" << 0 << false << true;
    QTest::newRow("L2 pendente") << "2" << "1" << 0 << true << true;
    QTest::newRow("L2 andamento sem confirmados") << "2" << "2" << 0 << false << false;
    QTest::newRow("L2 andamento com um confirmado") << "2" << "2" << 1 << true << true;
    QTest::newRow("L2 liquidado") << "2" << "3" << 3 << false << false;
    QTest::newRow("L3 pendente") << "3" << "1" << 0 << true << true;
    QTest::newRow("L3 andamento") << "3" << "2" << 0 << true << true;
    QTest::newRow("L3 liquidado") << "3" << "3" << 0 << false << false;
    QTest::newRow("L3 cancelado") << "3" << "4" << 0 << false << false;
    QTest::newRow("L3 parcial") << "3" << "6" << 0 << false << true;
    QTest::newRow("outro liquidado") << "9" << "3" << 0 << true << true;
    QTest::newRow("vazio cancelado") << "" << "4" << 0 << true << true;
}

void TstLanPedido::editabilidade()
{
    QFETCH(QString, lancamento);
    QFETCH(QString, situacao);
    QFETCH(int, confirmados);
    QFETCH(bool, aberto);
    QFETCH(bool, incluiItem);

    abreTela();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDLANCPED"), lancamento);
    setParam(*tela->cdsParamPedido, QStringLiteral("IDEXCLPEDIDO"), QStringLiteral("S"));
    tela->cdsPedido->setData(rowsOf(*tela->cdsPedido, {{{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000000001"},
                                                         {"IDSITPEDIDO", situacao},
                                                         {"NRITPEDCONFIRMADO", qlonglong(confirmados)}}}));
    tela->dtsPadraoStateChange();

    QCOMPARE(tela->sbtAlterar->isEnabled(), aberto);
    QCOMPARE(tela->sbtExcluir->isEnabled(), aberto);
    QCOMPARE(tela->panDadosGerais->isEnabled(), aberto);
    QCOMPARE(tela->panFormaPgto->isEnabled(), aberto);
    QCOMPARE(tela->dbrObservacao->isReadOnly(), !aberto);
    QCOMPARE(LanPedido::boBotaoIncuiItem, incluiItem);
    QCOMPARE(tela->nrItPedConfirmado(), confirmados);
    QCOMPARE(tela->sbtReplicaPedido->isEnabled(), situacao != u"4");
    // A new order is always open, whatever the list's order.
    QVERIFY(PedidoAberto(lancamento, situacao, confirmados, true, false));
}

void TstLanPedido::efeitosDosParametros_data()
{
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<QString>("controle");
    QTest::addColumn<bool>("visivel");

    QTest::newRow("encargos S") << "IDLANENCARGOPED" << "S" << "tshEncargos" << true;
    QTest::newRow("encargos N") << "IDLANENCARGOPED" << "N" << "tshEncargos" << false;
    QTest::newRow("tipo de operação S") << "IDOBRTPOPPED" << "S" << "dbeTipoOper" << true;
    QTest::newRow("tipo de operação N") << "IDOBRTPOPPED" << "N" << "dbeTipoOper" << false;
    QTest::newRow("coluna tipo de operação S") << "IDOBRTPOPPED" << "S" << "dbgPadrao.NMTIPOOPER" << true;
    QTest::newRow("coluna tipo de operação N") << "IDOBRTPOPPED" << "N" << "dbgPadrao.NMTIPOOPER" << false;
    QTest::newRow("orçamento S") << "IDEXIBDADORC" << "S" << "dbgPadrao.NRORCAEVENTO" << true;
    QTest::newRow("orçamento N") << "IDEXIBDADORC" << "N" << "dbgPadrao.NRORCAEVENTO" << false;
    QTest::newRow("validade N") << "IDUTVALIPED" << "N" << "grbDtVal" << false;
    QTest::newRow("validade S") << "IDUTVALIPED" << "S" << "grbDtVal" << true;
    QTest::newRow("fator de preço") << "IDTABPRECO" << "2" << "dbgItemPedido.QTITEMPED2" << true;
    QTest::newRow("tabela de preço") << "IDTABPRECO" << "1" << "dbgItemPedido.QTITEMPED2" << false;
    QTest::newRow("reserva por lote S") << "IDUTRESELOTE" << "S" << "panPosiEstoq" << true;
    QTest::newRow("reserva por lote N") << "IDUTRESELOTE" << "N" << "panPosiEstoq" << false;
    QTest::newRow("impostos S") << "IDEXIBIMPITPED" << "S" << "panImposto" << true;
    QTest::newRow("empenho 2") << "IDUTCTRELANP" << "2" << "dbeEmpenho" << true;
    QTest::newRow("empenho 1") << "IDUTCTRELANP" << "1" << "dbeEmpenho" << false;
    QTest::newRow("prazo de entrega S") << "IDEXIBEPRAZOPED" << "S" << "dbgItemPedido.DSPRAZOENTITPED" << true;
    QTest::newRow("princípio ativo N") << "IDEXIBPRINATIV" << "N" << "dbgPosiEstoq.NMPRINATIV" << false;
    QTest::newRow("princípio ativo vazio") << "IDEXIBPRINATIV" << "" << "dbgPosiEstoq.NMPRINATIV" << true;
}

void TstLanPedido::efeitosDosParametros()
{
    QFETCH(QString, campo);
    QFETCH(QString, valor);
    QFETCH(QString, controle);
    QFETCH(bool, visivel);

    abreTela();
    setParam(*tela->cdsParamPedido, campo, valor);
    tela->AplicaParamPedido();
    tela->AplicaParamPedidoSempre();

    if (controle == u"tshEncargos") {
        QCOMPARE(tela->pgcPadrao->isTabVisible(tela->pgcPadrao->indexOf(tela->tshEncargos)), visivel);
        QCOMPARE(tela->mnuEncargos->isVisible(), visivel);
    } else if (controle.contains(u'.')) {
        const QString gridName = controle.section(u'.', 0, 0);
        auto* grid = tela->findChild<DBGrid*>(gridName);
        QVERIFY(grid);
        const DBGridColumn* column = grid->columnByField(controle.section(u'.', 1));
        QCOMPARE(column != nullptr && column->isVisible(), visivel);
    } else {
        auto* widget = tela->findChild<QWidget*>(controle);
        QVERIFY(widget);
        QCOMPARE(!widget->isHidden(), visivel);
    }
}

// Puts a demo order of branch 0001 that has items into the list, with the
// names the order list shows.
void TstLanPedido::carregaPedidoDemo()
{
    QSqlQuery query(demo);
    QVERIFY(query.exec(QStringLiteral("SELECT P.NRPEDIDO, COUNT(*), MAX(C.NMRAZSOCCLIE), MAX(C.NMFANTCLIE), MAX(V.NMFANVEN)"
                                      " FROM PEDIDO P"
                                      " INNER JOIN ITEMPEDIDO I ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                                      " LEFT JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                                      " LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = P.CDVENDEDOR"
                                      " WHERE P.CDFILIAL = '0001' GROUP BY P.NRPEDIDO"
                                      " HAVING COUNT(*) > 1 ORDER BY P.NRPEDIDO")));
    QVERIFY(query.next());
    const QString pedido = query.value(0).toString();
    DataPacket packet = orderRows(demo, QStringLiteral("PEDIDO"), tela->cdsPedido->fieldDefs(), QStringLiteral("0001"), pedido);
    QCOMPARE(packet.rows.size(), 1);
    const QStringList nomes{QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("NMFANTCLIE"), QStringLiteral("NMFANVEN")};
    for (int i = 0; i < nomes.size(); ++i)
        packet.rows[0][packet.indexOf(nomes.at(i))] = query.value(2 + i).toString();
    tela->cdsPedido->setData(packet);
    tela->dtsPadraoStateChange();
    demoItemCount = query.value(1).toInt();
}

// In browse state the items page always asks the server again.
void TstLanPedido::itensRecarregamEmConsulta()
{
    abreTela();
    carregaPedidoDemo();
    tela->selecionaPagina(tela->tshItemPedido);
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshItemPedido);
    QCOMPARE(tela->cdsItemPedido->recordCount(), demoItemCount);
    QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Browse);

    tela->cdsItemPedido->emptyDataSet();
    tela->selecionaPagina(tela->tshPadrao);
    tela->selecionaPagina(tela->tshItemPedido);
    QCOMPARE(tela->cdsItemPedido->recordCount(), demoItemCount);

    // The list scrolls to an open order without reading items; changing it
    // must not show, nor let the clerk edit, those of the order seen before.
    const QString visto = valor(tela->cdsPedido, "NRPEDIDO");
    tela->selecionaPagina(tela->tshPadrao);
    const QString aberto = selectValue(demo, QStringLiteral("SELECT MIN(P.NRPEDIDO) FROM PEDIDO P INNER JOIN ITEMPEDIDO I"
                                                            " ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                                                            " WHERE P.CDFILIAL = '0001' AND P.IDSITPEDIDO = '1'"
                                                            " AND P.IDTIPOPEDIDO = '1' AND P.NRPEDIDO <> ?"),
                                           {visto})
                               .toString();
    QVERIFY(!aberto.isEmpty());
    tela->cdsPedido->setData(orderRows(demo, QStringLiteral("PEDIDO"), tela->cdsPedido->fieldDefs(), QStringLiteral("0001"), aberto));
    tela->dtsPadraoStateChange();
    QVERIFY(temLinhas(tela->cdsItemProImpos));
    tela->sbtAlterarClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Edit);
    for (QWidget* pagina : {tela->tshItemPedido, tela->tshFormaPgto}) {
        tela->selecionaPagina(pagina);
        QCOMPARE(valor(tela->cdsItemPedido, "NRPEDIDO"), aberto);
        // Nor the taxes of the item seen before.
        QVERIFY(!temLinhas(tela->cdsItemProImpos));
    }
    // Every item deleted and still unsent: neither page reads them back.
    while (temLinhas(tela->cdsItemPedido))
        tela->cdsItemPedido->deleteRecord();
    for (QWidget* pagina : {tela->tshItemPedido, tela->tshFormaPgto, tela->tshItemPedido}) {
        tela->selecionaPagina(pagina);
        QCOMPARE(tela->cdsItemPedido->recordCount(), 0);
    }
}

void TstLanPedido::cancelarInclusao_data()
{
    QTest::addColumn<bool>("sim");
    QTest::newRow("Não mantém a inclusão") << false;
    QTest::newRow("Sim desfaz a inclusão") << true;
}

// A new order keeps what was entered on its items page: the items of the
// order on screen are not reloaded, and its first item is being inserted.
// Cancelling the item and then the order: No keeps the new order as it is,
// Yes drops it.
void TstLanPedido::cancelarInclusao()
{
    QFETCH(bool, sim);
    abreTela();
    carregaPedidoDemo();
    tela->selecionaPagina(tela->tshPadrao);
    tela->sbtIncluirClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshDadosPed);
    QVERIFY(!tela->pgcPadrao->isTabEnabled(tela->pgcPadrao->indexOf(tela->tshPadrao)));
    tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).setValue(QStringLiteral("0000009999"));
    tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).setValue(QStringLiteral("000000000000000000001"));
    // The branch prices by customer tables: items wait for a customer.
    tela->cdsPedido->fieldByName(QStringLiteral("NRINSJURCLIE")).setValue(QStringLiteral("11222333000181"));
    const QDate entrega = QDate::currentDate().addDays(5);
    // The clerk types the delivery day and leaves it for the items page.
    tela->depData->setDate(entrega);
    tela->depData->onExit(*tela->depData);
    tela->selecionaPagina(tela->tshItemPedido);
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshItemPedido);
    QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Insert);
    QCOMPARE(tela->cdsItemPedido->recordCount(), 1);
    QCOMPARE(tela->cdsItemPedido->fieldByName(QStringLiteral("NRITEMPED")).asString(), QStringLiteral("0000000001"));
    scripted->expectQuestion(QStringLiteral("Deseja cancelar a inclusão do produto?"), MsgButton::Yes);
    tela->sbtCancelarClick();
    QCOMPARE(tela->cdsItemPedido->state(), RecordSet::State::Browse);

    scripted->expectQuestion(QStringLiteral("Deseja cancelar a inclusão do pedido?"), sim ? MsgButton::Yes : MsgButton::No);
    tela->sbtCancelarClick();
    if (sim) {
        QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
        QVERIFY(!tela->cdsPedido->locate(QStringLiteral("NRPEDIDO"), QStringLiteral("0000009999")));
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshPadrao);
    } else {
        QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
        QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString(), QStringLiteral("0000009999"));
        QCOMPARE(tela->cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).asString(),
                 QStringLiteral("000000000000000000001"));
        QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshItemPedido);
        // The delivery day typed before the items is still there.
        tela->selecionaPagina(tela->tshDadosPed);
        QCOMPARE(tela->depData->date(), entrega);
        tela->cdsPedido->cancel();
    }
}

void TstLanPedido::f12VoltaAFilialComTelaVazia()
{
    abreTela();
    carregaPedidoDemo();
    tela->selecionaPagina(tela->tshDadosPed);
    QKeyEvent f12(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
    tela->FormKeyDown(&f12);
    QVERIFY(f12.isAccepted());
    QVERIFY(!tela->cdsPedido->isActive());
    QVERIFY(!tela->cdsObser->isActive());
    QCOMPARE(tela->pgcPadrao->currentWidget(), tela->tshPadrao);
    QVERIFY(!tela->pgcPadrao->isTabEnabled(tela->pgcPadrao->indexOf(tela->tshItemPedido)));
    QVERIFY(!tela->mnuItemPed->isEnabled());
}

void TstLanPedido::imprimirAbreImpressao()
{
    abreTela();
    QVariantList recebidos;
    scripted->onScreen(QStringLiteral("PED01100"), [&](const QVariantList& args) { recebidos = args; });
    tela->cdsPedido->emptyDataSet();
    tela->sbtImprimirClick();
    QCOMPARE(recebidos, QVariantList{QStringLiteral("M")});   // no order on screen

    carregaPedidoDemo();
    tela->sbtImprimirClick();
    QCOMPARE(recebidos, (QVariantList{QStringLiteral("M"), QStringLiteral("0001"), valor(tela->cdsPedido, "NRPEDIDO")}));
}

void TstLanPedido::importaObservacaoDeArquivo()
{
    abreTela();
    carregaPedidoDemo();
    tela->selecionaPagina(tela->tshObservacao);
    const QString caminho = configDir.filePath(QStringLiteral("obs.txt"));
    QFile arquivo(caminho);
    QVERIFY(arquivo.open(QIODevice::WriteOnly));
    arquivo.write(QStringLiteral("Entregar pela manhã.").toUtf8());
    arquivo.close();

    auto importa = [this](const QString& escolhido) {
        tela->sbtImpClick();
        tela->pmnImportar->close();
        scripted->expectFileName(QStringLiteral("Importar"), escolhido);
        tela->mnuArquivoClick();
    };
    importa(caminho);
    QVERIFY(tela->cdsObser->isEditing());
    QCOMPARE(tela->cdsObser->fieldByName(QStringLiteral("TXOBSPED")).asString(), QStringLiteral("Entregar pela manhã."));

    // A cancelled choice leaves no empty note behind.
    tela->cdsObser->cancel();
    importa(QString());
    QVERIFY(!tela->cdsObser->isEditing());
}

// Every page of an order in browse state renders with its controls laid out
// (PED_SCREENSHOT_DIR keeps the pictures for a look).
void TstLanPedido::paginasEmConsulta()
{
    abreTela();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDLANENCARGOPED"), QStringLiteral("S"));
    tela->AplicaParamPedidoSempre();
    carregaPedidoDemo();
    tela->resize(1024, 640);
    QTemporaryDir fallback;
    const QString pasta = qEnvironmentVariable("PED_SCREENSHOT_DIR", fallback.path());
    const QList<QWidget*> paginas{tela->tshPadrao, tela->tshDadosPed, tela->tshItemPedido, tela->tshTransportadora,
                                  tela->tshObservacao, tela->tshEncargos, tela->tshFormaPgto};
    for (QWidget* pagina : paginas) {
        tela->selecionaPagina(pagina);
        QCOMPARE(tela->pgcPadrao->currentWidget(), pagina);
        QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
        QVERIFY(tela->grab().toImage().save(QStringLiteral("%1/ped00100_%2.png").arg(pasta, pagina->objectName())));
    }
}

void TstLanPedido::paginaMostradaEEscolhidaConcordam_data()
{
    QTest::addColumn<bool>("filialFixa");
    QTest::newRow("filial fixa") << true;
    QTest::newRow("filial livre") << false;
}

// Clicking from the list to each page: the tab chosen, the page shown and
// the menu item agree, the order list stays loaded and the page shows the
// current order. With a free branch, the focus the list held used to fall
// on the branch field as the list page hid, which emptied the screen.
void TstLanPedido::paginaMostradaEEscolhidaConcordam()
{
    QFETCH(bool, filialFixa);
    if (!filialFixa)
        soltaFilial();
    abreTela();
    if (!filialFixa) {
        respondeFiltro(*scripted, RespostaFiltro::Confirma);
        tela->dbgPadrao->setFocus();   // the clerk leaves the branch for the list
    }
    tela->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(tela));
    const QString pedido = valor(tela->cdsPedido, "NRPEDIDO");
    QVERIFY(!pedido.isEmpty());
    const QList<std::pair<QWidget*, QAction*>> paginas{{tela->tshDadosPed, tela->mnuDadosGerais},
                                                       {tela->tshItemPedido, tela->mnuItemPed},
                                                       {tela->tshTransportadora, tela->mnuTransp},
                                                       {tela->tshFormaPgto, tela->mnuFormaPgto}};
    QTabBar* abas = tela->pgcPadrao->tabBar();
    for (const auto& [pagina, menu] : paginas) {
        tela->selecionaPagina(tela->tshPadrao);
        tela->dbgPadrao->setFocus();
        QTest::mouseClick(abas, Qt::LeftButton, {}, abas->tabRect(tela->pgcPadrao->indexOf(pagina)).center());
        QCOMPARE(tela->pgcPadrao->currentWidget(), pagina);
        QCOMPARE(abas->currentIndex(), tela->pgcPadrao->indexOf(pagina));
        QVERIFY(pagina->isVisible());
        QVERIFY(menu->isChecked());
        QVERIFY(tela->cdsPedido->isActive());
        QVERIFY(tela->pgcPadrao->isTabEnabled(tela->pgcPadrao->indexOf(pagina)));
        QCOMPARE(tela->dbtNome->text().left(10), pedido);
        QVERIFY(tela->focusWidget() != tela->medCdFilial);
    }
    QCOMPARE(tela->medNrPedido->text(), pedido);
}

void TstLanPedido::cancelarNovoPedidoMostraOPedidoAtual_data()
{
    QTest::addColumn<QString>("pagina");   // where the clerk cancels the new order
    QTest::newRow("dados gerais") << "tshDadosPed";
    QTest::newRow("transportadora") << "tshTransportadora";
}

// Cancelling a new order brings back the order that was on screen: the
// caption and the general page name it, and its payment page sums its items
// as its items page does.
void TstLanPedido::cancelarNovoPedidoMostraOPedidoAtual()
{
    QFETCH(QString, pagina);
    abreTela();
    carregaPedidoDemo();
    const QString pedido = valor(tela->cdsPedido, "NRPEDIDO");
    tela->selecionaPagina(tela->tshPadrao);
    tela->sbtIncluirClick();
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Insert);
    const QString novo = valor(tela->cdsPedido, "NRPEDIDO");
    QVERIFY(novo != pedido);
    tela->selecionaPagina(tela->findChild<QWidget*>(pagina));
    tela->sbtCancelarClick();

    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
    QCOMPARE(tela->dbtNome->text(), valor(tela->cdsPedido, "DsPedido"));
    QVERIFY(tela->dbtNome->text().startsWith(pedido));
    QCOMPARE(tela->medNrPedido->text(), pedido);
    QCOMPARE(tela->dbeCliente->text(),
             FormatInscricao(valor(tela->cdsPedido, "NRINSJURCLIE"), valor(tela->cdsPedido, "IDTPIJURCLIE")));
    tela->selecionaPagina(tela->tshFormaPgto);
    const double totalNoPagamento = tela->nedTotalBruto->value();
    tela->selecionaPagina(tela->tshItemPedido);
    QCOMPARE(tela->cdsItemPedido->recordCount(), demoItemCount);
    QVERIFY(tela->nedTotal->value() > 0);
    QCOMPARE(totalNoPagamento, tela->nedTotal->value());
}

void TstLanPedido::incluirNaFormaDePagamento_data()
{
    QTest::addColumn<QString>("altFormaPag");   // IDALTFORMAPAG
    QTest::addColumn<QString>("situacao");      // IDSITPEDIDO of the order on screen
    QTest::addColumn<bool>("incluiPrazo");
    QTest::newRow("prazos editáveis, pedido aberto") << "S" << "1" << true;
    QTest::newRow("prazos fixos") << "N" << "1" << false;
    QTest::newRow("pedido liquidado") << "S" << "3" << false;
}

// Include on the payment page adds a term to the order on screen, which
// goes into edit so that Confirm or Cancel takes the term with it; nothing
// is added to an order in browse state behind the clerk's back.
void TstLanPedido::incluirNaFormaDePagamento()
{
    QFETCH(QString, altFormaPag);
    QFETCH(QString, situacao);
    QFETCH(bool, incluiPrazo);
    abreTela();
    setParam(*tela->cdsParamPedido, QStringLiteral("IDALTFORMAPAG"), altFormaPag);
    carregaPedidoDemo();
    {
        EventDetach semChecagem(tela->cdsPedido->beforeEdit);
        setParam(*tela->cdsPedido, QStringLiteral("IDSITPEDIDO"), situacao);
    }
    tela->selecionaPagina(tela->tshFormaPgto);
    const int prazos = tela->cdsPrazoPgto->recordCount();
    tela->sbtIncluir->click();
    if (incluiPrazo) {
        QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Edit);
        QCOMPARE(tela->cdsPrazoPgto->state(), RecordSet::State::Insert);
        tela->sbtCancelarClick();
    } else {
        QVERIFY(!tela->cdsPrazoPgto->isEditing());
    }
    QCOMPARE(tela->cdsPrazoPgto->recordCount(), prazos);
    QCOMPARE(tela->cdsPedido->state(), RecordSet::State::Browse);
}

QTEST_MAIN(TstLanPedido)
#include "tst_lanpedido.moc"
