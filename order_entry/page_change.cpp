// Changing pages: one server call brings what the pages share, then the
// target page loads what it shows, unless that is being edited.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "busy.h"
#include "eventguard.h"
#include "guard.h"
#include "netconnection.h"
#include "paintonce.h"
#include "recordset.h"
#include "rules/order_values.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

using namespace LanPedido;
using namespace Rpc::LanPedido;

namespace {


} // namespace

bool TfrmLanPedido::pedidoEmEdicao() const
{
    return cdsPedido->isEditing();
}

bool TfrmLanPedido::itensEmEdicao() const
{
    return cdsItemPedido->isEditing();
}

void TfrmLanPedido::selecionaPagina(QWidget* page)
{
    if (!pgcPadrao->isTabEnabled(pgcPadrao->indexOf(page)))
        return;
    if (pgcPadrao->currentWidget() == page)
        guarded([&] { pgcPadraoChange(); });
    else
        pgcPadrao->setCurrentWidget(page);
    marcaMenuPaginas();
}

// The branch exit and the date editors' change handlers stay away while the
// page's data is reloaded; pgcPadraoChange puts them back.
void TfrmLanPedido::pgcPadraoChanging()
{
    m_handlersGuardados = {onPanFilialExit, onDtRetiradaChange, onDataChange};
    onPanFilialExit = nullptr;
    onDtRetiradaChange = nullptr;
    onDataChange = nullptr;
}

void TfrmLanPedido::pgcPadraoChange()
{
    if (m_mudandoPagina || !cdsPedido)
        return;
    m_mudandoPagina = true;
    pgcPadraoChanging();
    bool reattached = false;
    auto reattach = [&] {
        if (reattached)
            return;
        reattached = true;
        onPanFilialExit = m_handlersGuardados[0];
        onDtRetiradaChange = m_handlersGuardados[1];
        onDataChange = m_handlersGuardados[2];
    };
    // The person has seen the server's message already; the page changes anyway.
    guarded([&] {
        try {
            mudaPagina(reattach);
        } catch (...) {
            ControlaDeActiveShowAvi(boShowAvi);
            throw;
        }
    });
    reattach();
    m_mudandoPagina = false;
}

std::array<RpcArg, GetPgcChange.args.size()> TfrmLanPedido::argumentosPgcChange() const
{
    return {valor(cdsPedido, "CDCLIENTE"), dbeEmpenho->text(), QStringLiteral(" "),
            valor(cdsPedido, "CDMODPGTO"), QStringLiteral(" "), RpcArg::ref(stModPgtoAux),
            medCdFilial->text(), valor(cdsPedido, "NRPEDIDO"), valor(cdsPedido, "IDSITPEDIDO")};
}

// The rows loaded belong to another order than the header's, by the key
// fields given, or none are loaded.
bool TfrmLanPedido::linhasDeOutroPedido(const RecordSet* cds, std::initializer_list<const char*> chaves) const
{
    return !temLinhas(cds)
        || std::any_of(chaves.begin(), chaves.end(), [&](const char* chave) { return valor(cds, chave) != valor(cdsPedido, chave); });
}

bool TfrmLanPedido::prazosDeOutroPedido() const
{
    return linhasDeOutroPedido(cdsPrazoPgto, {"NRPEDIDO"});
}

// The items loaded belong to another order (or none are loaded): the list
// scrolls without reading items, so those of the order looked at before
// may still be there when another one is changed. Items holding unsent
// changes are this order's own work (all of them may have been deleted)
// and are never read over.
bool TfrmLanPedido::itensDeOutroPedido() const
{
    return !cdsItemPedido->hasChanges() && linhasDeOutroPedido(cdsItemPedido, {"CDFILIAL", "NRPEDIDO"});
}

void TfrmLanPedido::mudaPagina(const std::function<void()>& reattach)
{
    QWidget* page = pgcPadrao->currentWidget();
    ControlaActiveShowAvi(boShowAvi, 0);
    const bool temPedido = temLinhas(cdsPedido);
    const QJsonArray elementos =
        CheckResultServ(netLanPed->call(GetPgcChange, argumentosPgcChange()), true, ShowServerMessage)
            .toArray();
    reattach();
    EventDetach semScrollItem(cdsItemPedido->afterScroll);

    AtualizaFiliDest();
    Atualiza_TipoEdital();
    Atualiza_Empenho(elementos.at(GetPgcChangeResult::SaldoEmpenho));
    AtualizaTipoTrans();

    if (page == tshDadosPed) {
        // Also while browsing: these editors are not bound, and an order
        // looked at should show its number, date and names.
        carregaPaginaDadosGerais();
    } else if (page == tshTransportadora) {
        if (pedidoEmEdicao()) {
            Vd_Transport();
            CarregaPacote(*cdsDadosEndPed, elementos.at(GetPgcChangeResult::DadosEndereco));
        }
    } else if (page == tshItemPedido) {
        const RecordSet::State estado = cdsPedido->state();
        // A confirmation under review shows the items with its changes
        // still unsent: reading them again would drop the changes.
        const bool pendentes = cdsItemPedido->hasChanges() || (cdsPosiEstoq->isActive() && cdsPosiEstoq->hasChanges());
        if ((estado == RecordSet::State::Browse && !pendentes)
            || (estado == RecordSet::State::Edit && itensDeOutroPedido()))
            CarregaItens();
        VrTotalItemPed();
        if (estado == RecordSet::State::Edit && temLinhas(cdsItemPedido))
            cdsItemPedido->edit();
        else if (estado == RecordSet::State::Insert && !temLinhas(cdsItemPedido))
            insereItem();
    } else if (page == tshObservacao) {
        if (!cdsObser->isEditing()) {
            CarregaPacote(*cdsObser, elementos.at(GetPgcChangeResult::Observacao));
            dbrObservacao->setDataSource(dtsObser);
        }
        if (!cdsDadosAdicPed->isEditing())
            CarregaPacote(*cdsDadosAdicPed, elementos.at(GetPgcChangeResult::DadosAdicionais));
    } else if (page == tshFormaPgto) {
        if ((!itensEmEdicao() && !pedidoEmEdicao()) || (cdsPedido->state() == RecordSet::State::Edit && itensDeOutroPedido()))
            CarregaItens();
        const bool alteraModalidade = paramPedido(QStringLiteral("IDALTMODPAG")) != u"N";
        dbeModPgto->setEnabled(alteraModalidade);
        btnModPgto->setEnabled(alteraModalidade);
        AtualizaFormaPgto();
        if (DBGridColumn* parcela = dbgPrazoPg->columnByField(QStringLiteral("VRPARCELA")))
            parcela->setVisible(cdsPedido->state() != RecordSet::State::Insert);
        if (prazosDeOutroPedido() && !cdsPrazoPgto->isEditing())
            CarregaPacote(*cdsPrazoPgto, elementos.at(GetPgcChangeResult::PrazoPgto));
        if (!valor(cdsPedido, "CDMODPGTO").isEmpty() && valor(cdsPedido, "CDPRECOBASE").isEmpty())
            dbeModPgtoExit();
        VrImposEncargo();
        mostraPaginaPagamento();
    } else if (page == tshEncargos) {
        if (!cdsEncargos->isEditing())
            CarregaPacote(*cdsEncargos, elementos.at(GetPgcChangeResult::Encargos));
        Soma = 0;
        if (cdsPedido->state() == RecordSet::State::Insert && temLinhas(cdsItemPedido)) {
            Soma = cdsItemPedido->fieldByName(QStringLiteral("VRTOTAPROD")).asFloat();
        } else if (temPedido) {
            const QString filial = medCdFilial->text();
            const QString pedido = valor(cdsPedido, "NRPEDIDO");
            CarregaPacote(*cdsImposEncar, Servidor(GetImposEncar, {filial, pedido}));
            const QJsonArray itens = Servidor(GetItemPedido,
                                              {filial, pedido, valor(cdsPedido, "IDSITPEDIDO")}).toArray();
            CarregaPacote(*cdsItemAux, itens.at(GetItemPedidoResult::Itens));
            QList<RegrasPedido::ValoresItem> mercadorias;
            for (cdsItemAux->first(); !cdsItemAux->eof(); cdsItemAux->next()) {
                RegrasPedido::ValoresItem item;
                item.precoUnitario = cdsItemAux->fieldByName(QStringLiteral("VRPREUNITPED")).asFloat();
                item.quantidade = cdsItemAux->fieldByName(QStringLiteral("QTITEMPED")).asFloat();
                item.desconto = cdsItemAux->fieldByName(QStringLiteral("VRDESITPED")).asFloat();
                mercadorias.append(item);
            }
            Soma = RegrasPedido::valorMercadorias(mercadorias);
        }
    } else if (page == tshPadrao) {
        dbgPadrao->setFocus();
        lblNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    }

    HabilitaDesabilitaPedido();
    marcaMenuPaginas();
    const QString situacaoItem = valor(cdsItemPedido, "IDSITITEMPED");
    panExped->setVisible(situacaoItem == u"4" || situacaoItem == u"7");
    const bool temItens = temLinhas(cdsItemPedido);
    if (page == tshItemPedido)
        cdsItemPedidoAfterScroll();
    sbtConUltPrecVen->setEnabled(page == tshItemPedido && paramPedido(QStringLiteral("IDTABPRECO")) == u"1"
                                 && !panImposto->isVisible() && temItens);
    sbtVerQuantidades->setEnabled(panItem->isVisible() && temItens);
    sbtIncPed->setEnabled(temItens && !itensEmEdicao() && !pedidoEmEdicao());

    if (page == tshPadrao) {
        boGetPedido = false;
        DadosPedido(false);
    }
    btnCancelaComissao->setEnabled(page == tshPadrao && temPedido && cdsPedido->state() == RecordSet::State::Browse);
    ControlaDeActiveShowAvi(boShowAvi);
}

// The order's items, from the server; the current item stays current.
void TfrmLanPedido::CarregaItens()
{
    if (!temLinhas(cdsPedido))
        return;
    const QString itemAtual = valor(cdsItemPedido, "NRITEMPED");
    const QJsonArray resultado = Servidor(GetItemPedido,
                                          {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO"),
                                           valor(cdsPedido, "IDSITPEDIDO")}).toArray();
    CarregaPacote(*cdsLancNf, resultado.at(GetItemPedidoResult::LancamentosNf));
    // The item taxes shown were those of an item now replaced; they come
    // again when an item is looked at, not while one is being changed.
    if (cdsItemProImpos->isActive())
        cdsItemProImpos->emptyDataSet();
    {
        ControlsFreeze congelaItens(*cdsItemPedido);
        const PaintOnce pintaUmaVez(*this);
        CarregaPacote(*cdsItemPedido, resultado.at(GetItemPedidoResult::Itens));
        CarregaPacote(*cdsItemAux, resultado.at(GetItemPedidoResult::Itens));
        if (!itemAtual.isEmpty())
            cdsItemPedido->locate(QStringLiteral("NRITEMPED"), itemAtual);
    }
    if (paramPedido(QStringLiteral("IDEXIBIMPITPED")) == u"S")
        CarregaPacote(*cdsImposPedTot, Servidor(GetImposPedTot,
                                                {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO")}));
}

void TfrmLanPedido::carregaPaginaDadosGerais()
{
    medNrPedido->setText(valor(cdsPedido, "NRPEDIDO"));
    depDtRetirada->setDate(cdsPedido->fieldByName(QStringLiteral("DTPEDIDO")).asDate());
    chbPedIndustria->setChecked(valor(cdsPedido, "IDPEDINDUSTRIA") == u"S");
    edtNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    edtNmVendedor->setText(valor(cdsPedido, "NMFANVEN"));
    edtNmTipoOper->setText(valor(cdsPedido, "NMTIPOOPER"));
    edtPrcBase->setText(valor(cdsPedido, "DSPRECOBASE"));
    dbeEmpenho->setText(valor(cdsPedido, "NREMPENHO"));
    depData->setDate(cdsPedido->fieldByName(QStringLiteral("DTENTPED")).asDate());
    AtualizaTipoPed();
    const QString prioridade = valor(cdsPedido, "IDPRIOPED");
    if (prioridade == u"1")
        rdbUrgente->setChecked(true);
    else if (prioridade == u"2")
        rdbAlta->setChecked(true);
    else if (prioridade == u"3")
        rdbNormal->setChecked(true);
}

void TfrmLanPedido::marcaMenuPaginas()
{
    const std::pair<QAction*, QWidget*> itens[] = {
        {mnuPedido, tshPadrao}, {mnuDadosGerais, tshDadosPed}, {mnuItemPed, tshItemPedido},
        {mnuFormaPgto, tshFormaPgto}, {mnuTransp, tshTransportadora}, {mnuObser, tshObservacao},
        {mnuEncargos, tshEncargos}};
    for (const auto& [item, page] : itens) {
        const int index = pgcPadrao->indexOf(page);
        item->setEnabled(pgcPadrao->isTabEnabled(index));
        item->setChecked(pgcPadrao->currentWidget() == page);
    }
}
