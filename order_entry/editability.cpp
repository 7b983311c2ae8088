// What the screen lets the person do: the pages and commands that follow the
// state of the order list, and the rule that keeps processed orders locked.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "recordset.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

using namespace LanPedido;

bool PedidoAberto(const QString& idLancPed, const QString& idSitPedido, int nrItPedConfirmado, bool inserting,
                  bool semPedido)
{
    if (inserting || semPedido)
        return true;
    if (idLancPed == u"1")
        return idSitPedido == u"1";
    if (idLancPed == u"2")
        return idSitPedido == u"1" || (idSitPedido == u"2" && nrItPedConfirmado >= 1);
    if (idLancPed == u"3")
        return idSitPedido == u"1" || idSitPedido == u"2";
    return true;
}


void TfrmLanPedido::habilitaPaginas(bool dados)
{
    for (QWidget* page : {tshDadosPed, tshItemPedido, tshTransportadora, tshObservacao, tshEncargos, tshFormaPgto})
        pgcPadrao->setTabEnabled(pgcPadrao->indexOf(page), dados);
    pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshPadrao), true);
    marcaMenuPaginas();
}

void TfrmLanPedido::dtsPadraoStateChange()
{
    if (!dtsPadrao->dataSet())
        return;
    TfrmPadraoGrid::dtsPadraoStateChange();
    if (!m_pronto)
        return;
    const RecordSet::State estado = dtsPadrao->state();
    const bool navegando = estado == RecordSet::State::Browse;
    const bool editandoPedido = estado == RecordSet::State::Edit || estado == RecordSet::State::Insert;
    const bool comPedidos = navegando && temLinhas(cdsPedido);
    const bool itensNavegando = !cdsItemPedido->isEditing();

    sbtClientes->setEnabled(false);
    const auto botaoColuna = itensNavegando ? DBGridColumn::ButtonStyle::Ellipsis : DBGridColumn::ButtonStyle::Auto;
    if (DBGridColumn* produto = dbgItemPedido->columnByField(QStringLiteral("CDARVPROD")))
        produto->setButtonStyle(botaoColuna);
    if (paramPedido(QStringLiteral("IDTABPRECO")) == u"2")
        if (DBGridColumn* preco = dbgItemPedido->columnByField(QStringLiteral("VRPREUNITPED")))
            preco->setButtonStyle(botaoColuna);

    if (comPedidos && itensNavegando) {
        habilitaPaginas(true);
        sbtClientes->setEnabled(true);
    }
    if (editandoPedido) {
        habilitaPaginas(true);
        pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshPadrao), false);
    }
    marcaMenuPaginas();
    sbtFiltro->setEnabled(navegando || estado == RecordSet::State::Inactive);
    sbtIncPed->setEnabled(comPedidos);

    if (!m_filialFixa) {
        const bool livre = !cdsPedido->isActive() || navegando;
        for (QWidget* control : std::initializer_list<QWidget*>{lblFilial, medCdFilial, btnFilial})
            control->setEnabled(livre);
    }
    if (navegando && !temLinhas(cdsPedido) && pgcPadrao->currentWidget() != tshPadrao)
        pgcPadrao->setCurrentWidget(tshPadrao);
    // The caption names the order on screen, and none without one.
    if (!temLinhas(cdsPedido))
        dbtNome->clear();

    HabilitaDesabilitaPedido();
    if (pgcPadrao->currentWidget() == tshItemPedido)
        HabilitaDesabilitaItemPedido();

    const bool temItens = temLinhas(cdsItemPedido);
    sbtCalcularDesconto->setEnabled(temItens && !cdsItemPedido->isEditing() && !editandoPedido
                                    && sbtAlterar->isEnabled());
    btnCancelaComissao->setEnabled(comPedidos && pgcPadrao->currentWidget() == tshPadrao);
    btnDadosPaciente->setEnabled(comPedidos);
    // Commands about the current order wait for one.
    for (QToolButton* botao : {sbtNotaPed, sbtPosCliente, sbtNFVendaFutura, sbtAtuEndeEntrega, stbInconsistencia})
        botao->setEnabled(comPedidos);
    HabilitaCliente();
}

void TfrmLanPedido::HabilitaDesabilitaPedido()
{
    m_nrItPedConfirmado = int(temLinhas(cdsPedido) ? cdsPedido->fieldByName(QStringLiteral("NRITPEDCONFIRMADO")).asInteger() : 0);
    const QString situacao = valor(cdsPedido, "IDSITPEDIDO");
    const bool semPedido = !temLinhas(cdsPedido);
    sbtReplicaPedido->setEnabled(!semPedido && situacao != u"4");

    const bool inserindo = cdsPedido->state() == RecordSet::State::Insert;
    const bool emEdicao = dtsPadrao->isEditing();
    const bool filialValidada = !m_ultimaFilial.isEmpty();
    QWidget* page = pgcPadrao->currentWidget();
    const bool aberto = PedidoAberto(paramPedido(QStringLiteral("IDLANCPED")), situacao, m_nrItPedConfirmado, inserindo,
                                     semPedido);
    const QList<QWidget*> paineis{panDadosGerais, panFormaPgto, panTransp, panBotoesObs};
    if (aberto) {
        boBotaoIncuiItem = true;
        sbtIncluir->setEnabled(filialValidada && !emEdicao);
        bool alterar = false;
        if (page == tshObservacao)
            alterar = !semPedido
                && ((cdsObser->isActive() && !cdsObser->isEditing())
                    || (cdsDadosAdicPed->isActive() && !cdsDadosAdicPed->isEditing()));
        else
            alterar = !emEdicao && !semPedido;
        sbtAlterar->setEnabled(alterar);
        sbtExcluir->setEnabled(alterar && paramPedido(QStringLiteral("IDEXCLPEDIDO")) == u"S");
        sbtCalcularDesconto->setEnabled(temLinhas(cdsItemPedido) && !cdsItemPedido->isEditing() && !emEdicao && alterar);
        rdbOrcamento->setEnabled(situacao == u"1" || (emEdicao && situacao.isEmpty()));
        dbrObservacao->setReadOnly(false);
    } else {
        boBotaoIncuiItem = situacao == u"6";
        sbtIncluir->setEnabled(filialValidada && !emEdicao && page != tshItemPedido && page != tshObservacao);
        sbtAlterar->setEnabled(false);
        sbtExcluir->setEnabled(false);
        sbtCalcularDesconto->setEnabled(false);
        dbrObservacao->setReadOnly(true);
    }
    for (QWidget* painel : paineis)
        painel->setEnabled(aberto);
    marcaMenuPaginas();
    sbtProdAvanc->setEnabled(!semPedido && !valor(cdsPedido, "CDPRECOBASE").isEmpty()
                             && paramPedido(QStringLiteral("IDTABPRECO")) != u"2");
}

