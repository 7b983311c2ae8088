// The toolbar commands as they act on each page, the filter button, printing
// and the note's import and export.

#include "lanpedido.h"
#include "cds_values.h"
#include "filterexpression.h"
#include "lanpedido_unit.h"

#include "eventguard.h"
#include "host.h"
#include "loadbpl.h"
#include "lookups/locate.h"
#include "lookups/pesquisar.h"
#include "messages.h"
#include "netconnection.h"
#include "recordset.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>

using namespace LanPedido;
using namespace Rpc::LanPedido;

namespace {

void esvazia(RecordSet* cds)
{
    if (cds->fieldCount() == 0)
        return;
    if (cds->isActive())
        cds->emptyDataSet();
    else
        cds->createDataSet();
}

// A row to write into: a new one when the record set has none.
void editaOuInsere(RecordSet* cds)
{
    if (!cds->isActive())
        cds->createDataSet();
    if (cds->isEditing())
        return;
    if (cds->isEmpty())
        cds->append();
    else
        cds->edit();
}

void cancelaTudo(RecordSet* cds)
{
    if (!cds->isActive())
        return;
    cds->cancel();
    cds->cancelUpdates();
}

bool confirma(const TMessages& catalog, const QString& key)
{
    return host().showMessage(MsgType::Confirmation, catalog.Msg(key), MsgButton::Yes | MsgButton::No, MsgButton::No)
        == MsgButton::Yes;
}

} // namespace

void TfrmLanPedido::sbtIncluirClick()
{
    QWidget* page = pgcPadrao->currentWidget();
    if (page == tshFormaPgto) {
        if (paramPedido(QStringLiteral("IDALTFORMAPAG")) != u"S" || !temLinhas(cdsPedido))
            return;
        // A term belongs to the order on screen: the order goes into edit
        // (a closed order refuses), so that Confirm or Cancel takes the term.
        if (!pedidoEmEdicao())
            cdsPedido->edit();
        if (!cdsPrazoPgto->isActive())
            cdsPrazoPgto->createDataSet();
        cdsPrazoPgto->insert();
        return;
    }
    if (page == tshObservacao) {
        if (dbrObservacao->hasFocus() || !dbgDadosAdic->hasFocus())
            editaOuInsere(cdsObser);
        else
            editaOuInsere(cdsDadosAdicPed);
        return;
    }
    if (page == tshItemPedido) {
        cdsItemPedAux->setData(cdsItemPedido->data());
        cdsItemPedAux->setFilter(QStringLiteral("CDFILIAL = ") + quoteFilterValue(medCdFilial->text())
                                 + QStringLiteral("AND NRPEDIDO = ") + quoteFilterValue(valor(cdsPedido, "NRPEDIDO")));
        cdsItemPedAux->setFiltered(true);
        // Items belong to the order on screen: it goes into edit rather than
        // a new, empty order being started under them.
        if (cdsPedido->state() == RecordSet::State::Browse)
            cdsPedido->edit();
        insereItem();
        return;
    }

    for (QString* lembrado : {&stCdClie, &stVend, &stIns, &stModPgto, &stCdModPag, &stNovoModPag, &stPreco, &stItem,
                              &stNrItem, &stCdProdAnt, &stDadoTrans, &stForma, &stCdCliente})
        lembrado->clear();
    vrLimiteDesconto = -1.0;
    vrLimiteCredito = -1.0;
    if (!valor(cdsPedido, "NRINSJURCLIE").isEmpty())
        lblNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    for (RecordSet* cds : {cdsImposto, cdsItemProImpos, cdsConUltPrecVen, cdsPosiEstoq, cdsObser, cdsDadosAdicPed,
                           cdsDadosEndPed})
        esvazia(cds);
    for (TNumberEdit* contador : {nedQtPed, nedQtDisp, nedTotal, nedTotLiq, nedDescTotal})
        contador->setValue(0);
    TfrmPadraoGrid::sbtIncluirClick();
    esvazia(cdsItemPedido);
    cdsPedido->fieldByName(QStringLiteral("CDFILIAL")).setValue(medCdFilial->text());
    selecionaPagina(tshDadosPed);
}

void TfrmLanPedido::sbtAlterarClick()
{
    QWidget* page = pgcPadrao->currentWidget();
    if (page == tshObservacao) {
        sbtIncluirClick();
        return;
    }
    if (page == tshItemPedido) {
        cdsItemPedido->edit();
        dbgItemPedido->setFocus();
        dbgItemPedido->setSelectedField(QStringLiteral("QTITEMPED"));
        return;
    }
    if (page == tshEncargos) {
        dbgEncargos->setFocus();
        dbgEncargos->setSelectedField(QStringLiteral("VRENCARGOPED"));
        cdsEncargos->edit();
        return;
    }
    cdsPedido->edit();
    const QString situacao = valor(cdsPedido, "IDSITPEDIDO");
    if (situacao == u"1" || situacao == u"2") {
        selecionaPagina(tshDadosPed);
        if (situacao == u"1")
            depDtRetirada->setFocus();
        else
            depData->setFocus();
    }
}

void TfrmLanPedido::sbtCancelarClick()
{
    EventDetach semScrollItem(cdsItemPedido->afterScroll);
    const QString itemAtual = valor(cdsItemPedido, "NRITEMPED");
    QWidget* page = pgcPadrao->currentWidget();

    if (page == tshItemPedido) {
        if (cdsItemPedido->isEditing()) {
            if (!confirma(msgPadrao, QStringLiteral("CancelaItem")))
                return;
            if (cdsValidaProduto->isActive()
                && cdsValidaProduto->locate(QStringLiteral("CDFILIAL;NRPEDIDO;NRITEMPED"),
                                            {valor(cdsItemPedido, "CDFILIAL"), valor(cdsItemPedido, "NRPEDIDO"),
                                             itemAtual}))
                cdsValidaProduto->deleteRecord();
            cdsItemPedido->cancel();
        } else {
            if (!confirma(msgPadrao, QStringLiteral("CancelaPedido")))
                return;
            cancelaTudo(cdsItemPedido);
            esvazia(cdsValidaProduto);
            for (RecordSet* cds : {cdsPedido, cdsObser, cdsDadosAdicPed})
                cancelaTudo(cds);
            sbtVerificarClick();
            cdsItemPedido->afterScroll = semScrollItem.saved();
            dtsPadraoStateChange();
            cancelaTudo(cdsPosiEstoq);
            selecionaPagina(tshPadrao);
        }
        return;
    }
    if (page == tshEncargos) {
        if (cdsEncargos->isEditing())
            cdsEncargos->cancel();
        return;
    }

    cancelaTudo(cdsItemPedido);
    if (pedidoEmEdicao()) {
        dtsPadrao->updateRecord();
        cancelaTudo(cdsPedido);
    }
    if (!itemAtual.isEmpty() && temLinhas(cdsItemPedido))
        cdsItemPedido->locate(QStringLiteral("NRITEMPED"), itemAtual);
    cancelaTudo(cdsObser);
    cancelaTudo(cdsDadosAdicPed);
    esvazia(cdsValidaProduto);
    dtsPadraoStateChange();
    // The order on screen again, also after a new order without items.
    if (temLinhas(cdsPedido))
        cdsPedidoAfterScroll();
    AtualizaTipoPed();
    selecionaPagina(tshDadosPed);
}

void TfrmLanPedido::sbtVerificarClick()
{
    ControlaActiveShowAvi(boShowAvi, 0);
    const auto stop = qScopeGuard([this] { ControlaDeActiveShowAvi(boShowAvi); });
    const QString pedido = valor(cdsPedido, "NRPEDIDO");
    boModMsg = false;
    {
        EventDetach semScroll(cdsPedido->afterScroll);
        boGetPedido = true;
        DadosPedido(true);
    }
    if (!temLinhas(cdsPedido))
        return;
    // An order no longer listed, or none remembered (a closed list): the
    // first order is the one on screen, and every page shows it.
    if (pedido.isEmpty() || !cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido))
        cdsPedidoAfterScroll();
}

void TfrmLanPedido::sbtProcurarClick()
{
    QWidget* page = pgcPadrao->currentWidget();
    if (page == tshItemPedido) {
        if (temLinhas(cdsItemPedido))
            Procura(*dbgItemPedido, pgcPadrao->tabText(pgcPadrao->indexOf(page)));
    } else if (page == tshEncargos) {
        if (temLinhas(cdsEncargos))
            Procura(*dbgEncargos, pgcPadrao->tabText(pgcPadrao->indexOf(page)));
    } else {
        TfrmPadraoGrid::sbtProcurarClick();
    }
}

void TfrmLanPedido::sbtImprimirClick()
{
    // The printing screen takes the order on screen after its mode, so it
    // can print it; without an order it says so.
    QVariantList args{QStringLiteral("M")};
    if (temLinhas(cdsPedido))
        args << medCdFilial->text() << valor(cdsPedido, "NRPEDIDO");
    LoadBPL(QStringLiteral("PED01100"), args);
}

void TfrmLanPedido::sbtImpClick()
{
    editaOuInsere(cdsObser);
    pmnImportar->popup(sbtImp->mapToGlobal(QPoint(0, sbtImp->height())));
}

void TfrmLanPedido::mnuArquivoClick()
{
    const QString caminho = host().openFileName(this, texto(QStringLiteral("ARQ_IMPORTAR")), texto(QStringLiteral("ARQ_TEXTO")));
    QString conteudo;
    if (!caminho.isEmpty()) {
        QFile arquivo(caminho);
        if (!arquivo.open(QIODevice::ReadOnly)) {
            cdsObser->cancel();
            MensErro(FormatMsg(texto(QStringLiteral("ARQ_ERRO_LER")), {caminho}), true);
        }
        conteudo = QString::fromUtf8(arquivo.readAll());
    }
    if (conteudo.trimmed().isEmpty()) {
        cdsObser->cancel();
        return;
    }
    editaOuInsere(cdsObser);
    cdsObser->fieldByName(QStringLiteral("TXOBSPED")).setValue(conteudo);
}

void TfrmLanPedido::mnuImpPedidoClick()
{
    const QString pedido = valor(cdsPedido, "NRPEDIDO");
    CarregaPacote(*cdsPesqObser, Servidor(GetPesqObser,
                                          {medCdFilial->text(), valor(cdsPedido, "CDCLIENTE")}));
    cdsPesqObser->setFilter(QStringLiteral("NRPEDIDO <> ") + quoteFilterValue(pedido));
    cdsPesqObser->setFiltered(true);
    if (!Pesquisar(*cdsPesqObser, texto(QStringLiteral("PEDIDO")) + QStringLiteral("|") + texto(QStringLiteral("OBS_CAD"))))
        return;
    editaOuInsere(cdsObser);
    cdsObser->fieldByName(QStringLiteral("TXOBSPED")).setValue(cdsPesqObser->fieldByName(QStringLiteral("TXOBSPED")).value());
}

void TfrmLanPedido::sbtSalvaClick()
{
    dtsObser->updateRecord();
    const QString conteudo = valor(cdsObser, "TXOBSPED");
    const QString caminho = host().saveFileName(this, texto(QStringLiteral("ARQ_SALVAR")), texto(QStringLiteral("ARQ_TEXTO")));
    if (!caminho.isEmpty()) {
        QFile arquivo(caminho);
        if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) || arquivo.write(conteudo.toUtf8()) < 0)
            MensErro(FormatMsg(texto(QStringLiteral("ARQ_ERRO_GRAVAR")), {caminho}), true);
    }
    if (!cdsObser->isEditing())
        return;
    if (conteudo.trimmed().isEmpty())
        cdsObser->cancel();
    else
        cdsObser->post();
}

// ---- order replication and future-delivery invoice ------------------------------

void TfrmLanPedido::sbtReplicaPedidoClick()
{
    abreFerramentaPreco(CriaReplicacaoPedido, mnuReplicarPedido);
}

void TfrmLanPedido::sbtNFVendaFuturaClick()
{
    abreFerramentaPreco(CriaNFFutura, mnuVendaFutura);
}
