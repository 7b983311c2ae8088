// The confirm action: the last checks of the whole order, the payment
// modality's prices and discounts, every pending change sent in one
// SetConfirma, the review of what the server found, the payment terms and,
// once the server stored the order, the list showing what it stored.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"
#include "rules/confirmation.h"
#include "rules/order_values.h"

#include "abort.h"
#include "consisteproduto.h"
#include "context.h"
#include "datapacket.h"
#include "eventguard.h"
#include "host.h"
#include "loadbpl.h"
#include "lookupquery.h"
#include "messages.h"
#include "netconnection.h"
#include "paintonce.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "screens/ped00105_revisao.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/gridutils.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>
#include <QUuid>
#include <memory>

using namespace LanPedido;
using namespace Rpc::LanPedido;
using RegrasPedido::Submissao;

namespace {

// Ends the action quietly through the end stage: what had to be said was said.
struct FimDaConfirmacao {};
// A submission after the first refused with "SALDO_INSU".
struct SaldoInsuficiente {};

const QString SaldoInsu = QStringLiteral("SALDO_INSU");

QJsonValue deltaDe(const RecordSet* cds)
{
    if (!cds || !cds->isActive())
        return QJsonValue::Null;
    const std::optional<Delta> delta = cds->delta();
    return delta ? QJsonValue(delta->toJson()) : QJsonValue(QJsonValue::Null);
}

void postaSeEditando(RecordSet* cds)
{
    if (cds->isActive() && cds->isEditing())
        cds->post();
}

void descarta(RecordSet* cds)
{
    if (!cds->isActive())
        return;
    if (cds->isEditing())
        cds->cancel();
    cds->cancelUpdates();
}

void aceita(RecordSet* cds)
{
    if (cds->isActive() && cds->hasChanges())
        cds->mergeChangeLog();
}

bool temPacote(const QJsonArray& resposta, int elemento)
{
    return resposta.at(elemento).isObject();
}

// The fields of the current row for the null-field list; no row: none.
QString listaCampoNullDe(const RecordSet* cds)
{
    if (!temLinhas(cds))
        return {};
    QList<RegrasPedido::CampoDaLinha> campos;
    for (const Field* field : cds->fields())
        campos.append({field->name(), field->kind() != Field::Kind::Data, field->isNull()});
    return RegrasPedido::ListaCampoNull(campos);
}

// Suspends the window's repainting while findings are applied.
class JanelaCongelada {
public:
    explicit JanelaCongelada(QWidget* janela) : m_janela(janela) { m_janela->setUpdatesEnabled(false); }
    ~JanelaCongelada() { m_janela->setUpdatesEnabled(true); }
    JanelaCongelada(const JanelaCongelada&) = delete;
    JanelaCongelada& operator=(const JanelaCongelada&) = delete;

private:
    QWidget* m_janela;
};

// The item handlers that the bulk item edits of the confirmation run without.
struct ItensSemEventos {
    explicit ItensSemEventos(RecordSet& itens)
        : afterEdit(itens.afterEdit), beforePost(itens.beforePost), afterPost(itens.afterPost),
          afterScroll(itens.afterScroll), beforeDelete(itens.beforeDelete), congelado(itens)
    {
    }
    EventDetach<RecordSet::Event> afterEdit, beforePost, afterPost, afterScroll, beforeDelete;
    ControlsFreeze congelado;
};

} // namespace

// The state of one confirmation. The temporary record sets of the findings
// belong to it and go with it on every exit.
struct TfrmLanPedido::EstadoConfirmacao {
    RegrasPedido::Reconexoes reconexoes;
    bool limpo = true;              // no findings so far
    RespostaRevisao revisao;        // the last review's answer
    bool descarta = true;           // a failure drops every unsent change
    bool pendentes = false;         // charges, items or header were being edited
    bool enviado = false;           // the first submission went out
    bool gravado = false;           // the server stored the order
    QString decisaoRentabilidade;
    QString decisaoAlvara;
    QString ultimaDecisao;          // the last profitability or permit decision
    bool emEdicao = false;          // the header was in edit (not insert) state
    QString itemAtual;
    QString dataNoInicio;           // the delivery date's text
    QString prazoGuardado;          // the stored delivery term
    std::unique_ptr<RecordSet> tmpRentabilidade;
    std::unique_ptr<RecordSet> tmpAlvara;
    std::unique_ptr<RecordSet> tmpMensagem;
};

void TfrmLanPedido::criaRecordSetsDaConfirmacao()
{
    if (cdsConfirmaRes)
        return;
    // Their fields come with the server's packets.
    cdsVrMinPed = new RecordSet(QStringLiteral("cdsVrMinPed"), this);
    cdsValidadeComissao = new RecordSet(QStringLiteral("cdsValidadeComissao"), this);
    cdsAuxErroRentProd = new RecordSet(QStringLiteral("cdsAuxErroRentProd"), this);
    cdsAuxErroTpFiscProd = new RecordSet(QStringLiteral("cdsAuxErroTpFiscProd"), this);
    cdsConfirmaRes = new RecordSet(QStringLiteral("cdsConfirmaRes"), this);
}

void TfrmLanPedido::sbtConfirmarClick()
{
    const bool mostraAvi = boShowAvi;
    ControlaActiveShowAvi(mostraAvi, 0);
    boShowAvi = false;
    FConfirmacaoLivre = false;
    criaRecordSetsDaConfirmacao();
    EstadoConfirmacao estado;
    const auto fim = [&] { finalizaConfirmacao(mostraAvi); };

    try {
        if (!sbtVerQuantidades->isChecked())
            sbtVerQuantidadesClick();
        if (!pedidoEmEdicao()) {
            sbtVerificarClick();   // nothing to send: the order as stored
        } else {
            confirmaPedido(estado);
        }
    } catch (const FimDaConfirmacao&) {
        FConfirmacaoLivre = true;
        fim();
        return;
    } catch (const SaldoInsuficiente&) {
        if (estado.reconexoes.mostraSaldoInsuficiente())
            MensErro(texto(SaldoInsu), false);
        voltaAEdicao();
        FConfirmacaoLivre = true;
        fim();
        return;
    } catch (...) {
        if (estado.enviado)
            falhaDepoisDeEnviar(estado);
        else
            FConfirmacaoLivre = true;
        fim();
        throw;
    }
    fim();
}

void TfrmLanPedido::confirmaPedido(EstadoConfirmacao& estado)
{
    confereOPedido(estado);
    if (paramPedido(QStringLiteral("IDTABPRECO")) == u"1")
        aplicaModalidadeNosItens();
    conferePrazosETotais(estado);

    estado.enviado = true;
    QJsonArray resposta = submete(estado, Submissao::Primeira);
    CarregaPacote(*cdsImposEncar, Servidor(GetImposEncar, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO")}));
    trataAchados(estado, resposta, true);
    trataErrosDosItens(estado, resposta, false);
    trataPrecosEReservas(estado, resposta);
    ressubmete(estado);
    estado.gravado = true;

    try {
        confereRespostaFormaPagto(Servidor(setFormaPagto, argumentosFormaPagto(prazosDoPedido(), QStringLiteral("1"), true))
                                      .toArray());
    } catch (...) {
        pgcPadrao->setCurrentWidget(tshFormaPgto);
        throw;
    }
    concluiConfirmacao(estado);
}

// ---- client checks ------------------------------------------------------------------

void TfrmLanPedido::confereOPedido(EstadoConfirmacao& estado)
{
    estado.emEdicao = cdsPedido->state() == RecordSet::State::Edit;
    estado.itemAtual = valor(cdsItemPedido, "NRITEMPED");
    estado.dataNoInicio = depData->text();
    bkPosItPed = temLinhas(cdsItemPedido) ? cdsItemPedido->bookmark() : Bookmark();
    if (AtualizaEndereco)
        AtualizaEndereco();

    if (!valor(cdsPedido, "DSNFVENDAFUTURA").trimmed().isEmpty())
        MensErro(msgPadrao1.Msg(QStringLiteral("NF_Futura")), true);
    const QString quantidade = temLinhas(cdsItemPedido) ? GridText(*dbgItemPedido, QStringLiteral("QTITEMPED")) : QString();
    if (quantidade.contains(u'E', Qt::CaseInsensitive)) {
        selecionaPagina(tshItemPedido);
        dbgItemPedido->setFocus();
        dbgItemPedido->setSelectedField(QStringLiteral("QTITEMPED"));
        MensErro(texto(QStringLiteral("Qtd_Invalida")), true);
    }

    postaSeEditando(cdsPrazoPgto);
    if (paramPedido(QStringLiteral("IDALTFORMAPAG")) == u"S") {
        cdsPrazoPgtoBeforeScroll();
        Vd_Percentual(true);
    } else {
        Vd_Percentual(false);
    }
    Vd_VerifSomaPerc();

    estado.pendentes = cdsEncargos->isEditing() || cdsItemPedido->isEditing() || cdsPedido->isEditing();
    if (estado.pendentes)
        cdsPedidoBeforePost();
    if (!dbeVendedor->text().isEmpty())
        Vd_Vendedor(true);
    if (paramPedido(QStringLiteral("IDOBRINFTRAN")) == u"2") {
        Vd_Transport();
        Vd_CdTipTrans(true);
    }
    Vd_CdModPgto(true);
    if (cdsItemPedido->isEditing())
        cdsItemPedidoBeforePost();
}

// ---- the payment modality's prices and discounts -------------------------------------

bool TfrmLanPedido::modalidadeAlterada() const
{
    const Field& modalidade = campo(cdsPedido, "CDMODPGTO");
    return modalidade.asString() != modalidade.oldValue().toString();
}

void TfrmLanPedido::aplicaModalidadeNosItens()
{
    ItensSemEventos semEventos(*cdsItemPedido);
    if (modalidadeAlterada())
        reprecificaPelaModalidade();
    aplicaDescontoDaModalidadeNosItens();
    if (boConfirmaMod) {
        Servidor(setFormaPagto, argumentosFormaPagto(prazosDoPedido(), QStringLiteral("1"), true));
        aceita(cdsPrazoPgto);
    }
}

bool TfrmLanPedido::itensFiltrados(const QString& filtro)
{
    cdsItemPedAux->setFiltered(false);
    cdsItemPedAux->setData(cdsItemPedido->data());
    cdsItemPedAux->setFilter(filtro);
    cdsItemPedAux->setFiltered(true);
    const bool algum = !cdsItemPedAux->isEmpty();
    cdsItemPedAux->setFiltered(false);
    return algum;
}

void TfrmLanPedido::reprecificaPelaModalidade()
{
    CarregaPacote(*cdsPrecoUtil, Servidor(GetPrecoUtil, {EmprProc(), valor(cdsPedido, "CDMODPGTO"),
                                                         valor(cdsPedido, "CDFILIAL"), valor(cdsPedido, "CDPRECOBASE")}));
    const bool comAjustes = temLinhas(cdsPrecoUtil);
    if (!itensFiltrados(QStringLiteral("IDITPEDDIFER = 'R'")) && !comAjustes)
        return;
    const QString pergunta = comAjustes ? QStringLiteral("MOD_PARPRECO") : QStringLiteral("MOD_S_PARPRECO");
    if (msgPadrao1.ShowMsg(pergunta, MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;
    const bool precoDigitado = FPrecoDigitado;
    FPrecoDigitado = false;
    const auto restaura = qScopeGuard([&] { FPrecoDigitado = precoDigitado; });
    for (cdsItemPedido->first(); !cdsItemPedido->eof(); cdsItemPedido->next()) {
        if (!cdsItemPedido->isEditing())
            cdsItemPedido->edit();
        stPreco.clear();
        campo(cdsItemPedido, "IDITPEDDIFER").clear();
        PrecoBase(false);
        cdsItemPedido->post();
    }
}

void TfrmLanPedido::aplicaDescontoDaModalidadeNosItens()
{
    LookupQuery qryPesqMod(QStringLiteral("qryPesqMod"), dtmDBGeral(),
                           QStringLiteral("SELECT VRPEDESMODPG FROM MODPGTO WHERE CDMODPGTO = :P_CDMODPGTO"));
    qryPesqMod.setParam(QStringLiteral("P_CDMODPGTO"), valor(cdsPedido, "CDMODPGTO"));
    qryPesqMod.open();
    if (qryPesqMod.isEmpty())
        return;
    const double desconto = qryPesqMod.fieldByName(QStringLiteral("VRPEDESMODPG")).asFloat();
    const bool itensComDesconto = cdsPedido->state() == RecordSet::State::Edit && modalidadeAlterada()
                                  && itensFiltrados(QStringLiteral("VRDESITPED > 0"));
    const RegrasPedido::PerguntaDesconto pergunta = RegrasPedido::perguntaDoDesconto(desconto, itensComDesconto);
    if (pergunta == RegrasPedido::PerguntaDesconto::Nenhuma)
        return;
    const QString chave = pergunta == RegrasPedido::PerguntaDesconto::SemDesconto ? QStringLiteral("MOD_SITSDESC")
                                                                                  : QStringLiteral("MOD_SITDESC");
    if (msgPadrao1.ShowMsg(chave, MsgType::Confirmation, MsgButton::Yes | MsgButton::No) == MsgButton::No)
        return;
    const QVariantList atual{valor(cdsItemPedido, "CDFILIAL"), valor(cdsItemPedido, "NRPEDIDO"),
                             valor(cdsItemPedido, "NRITEMPED")};
    for (cdsItemPedido->first(); !cdsItemPedido->eof(); cdsItemPedido->next()) {
        if (!cdsItemPedido->isEditing())
            cdsItemPedido->edit();
        campo(cdsItemPedido, "PERDESC").setValue(desconto);
        campo(cdsItemPedido, "VRDESITPED")
            .setValue(RegrasPedido::descontoDaModalidade(numero(cdsItemPedido, "VRPREUNITPED"),
                                                         numero(cdsItemPedido, "QTITEMPED"), desconto));
        cdsItemPedido->post();
    }
    Vd_DescMax();
    if (!atual.first().toString().isEmpty())
        cdsItemPedido->locate(QStringLiteral("CDFILIAL;NRPEDIDO;NRITEMPED"), atual);
}

// ---- dates, terms and totals --------------------------------------------------------

void TfrmLanPedido::conferePrazosETotais(EstadoConfirmacao& estado)
{
    if (grbDtVal->isVisible()) {
        if (depDtVal->text().trimmed().isEmpty() || !depDtVal->date().isValid()) {
            selecionaPagina(tshDadosPed);
            depDtVal->setFocus();
            MensErro(texto(QStringLiteral("DtVal_Deve")), true);
        }
        if (depDtRetiradaData() > depDtVal->date())
            MensErro(texto(QStringLiteral("DtVal<DtPed")), true);
    }
    if (estado.emEdicao)
        estado.prazoGuardado = campo(cdsPedido, "DSPRAZOENTPED").oldValue().toString();

    if (cdsItemPedido->isEditing()) {
        EventDetach semConferencia(cdsItemPedido->beforePost);
        cdsItemPedido->post();
    }
    if (cdsEncargos->isEditing()) {
        EventDetach semConferencia(cdsPedido->beforePost);
        postaSeEditando(cdsPedido);
        postaSeEditando(cdsItemPedido);
        cdsEncargos->post();
    }

    const bool dataAlterada = estado.emEdicao && depData->text() != estado.dataNoInicio
                              && campo(cdsItemPedido, "DTENTITPED").value() != campo(cdsItemPedido, "DTENTITPED").oldValue();
    carregaItensQueFaltam(dataAlterada);
    confereValorMinimo();

    const bool prazoAlterado = estado.emEdicao && dbePrazo->text() != estado.prazoGuardado;
    carregaItensQueFaltam(prazoAlterado);
    if (prazoAlterado
        && msgPadrao.ShowMsg(QStringLiteral("ALT_PRENTR"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No)
               == MsgButton::Yes) {
        ItensSemEventos semEventos(*cdsItemPedido);
        for (cdsItemPedido->first(); !cdsItemPedido->eof(); cdsItemPedido->next()) {
            cdsItemPedido->edit();
            campo(cdsItemPedido, "DSPRAZOENTITPED").setValue(dbePrazo->text());
            cdsItemPedido->post();
        }
    }
    if (DBGridColumn* parcela = dbgPrazoPg->columnByField(QStringLiteral("VRPARCELA"));
        parcela && !parcela->isVisible() && cdsPedido->state() != RecordSet::State::Insert)
        parcela->setVisible(true);

    if (estado.emEdicao) {
        const Field& tipo = campo(cdsPedido, "IDTIPOPEDIDO");
        boAlteraSituItem = tipo.asString() != tipo.oldValue().toString();
    }
    if (boAlteraSituItem) {
        stAltSitItem.clear();
        Busca_SitItem();
    }
    postaTudo();
}

// The items of an order whose items page was never opened, when the date or
// term of every item may change or the branch keeps items in the header's
// control; with items present nothing is loaded.
void TfrmLanPedido::carregaItensQueFaltam(bool alterou)
{
    if (temLinhas(cdsItemPedido) || !(alterou || paramPedido(QStringLiteral("IDUTCTRELANP")) == u"2"))
        return;
    EventDetach semScroll(cdsItemPedido->afterScroll);
    EventDetach semAntesPost(cdsItemPedido->beforePost);
    EventDetach semDepoisPost(cdsItemPedido->afterPost);
    CarregaItens();
}

void TfrmLanPedido::confereValorMinimo()
{
    CarregaPacote(*cdsVrMinPed, Servidor(getVrMinPed, {medCdFilial->text()}));
    if (!temLinhas(cdsVrMinPed))
        return;
    const auto agregado = [this](const char* nome) -> std::optional<double> {
        const Field* total = cdsItemPedido->isActive() ? cdsItemPedido->findField(QString::fromLatin1(nome)) : nullptr;
        if (!total || total->text().isEmpty())
            return std::nullopt;
        return total->asFloat();
    };
    const double minimo = numero(cdsVrMinPed, "VRMINPEDIDO");
    const double valorPedido = RegrasPedido::valorParaMinimo({agregado("VRTOTAPROD"), agregado("VRTOTADESCPED"),
                                                              agregado("VRTOTABONIFPED")});
    if (!RegrasPedido::abaixoDoMinimo(minimo, valorPedido))
        return;
    if (paramPedido(QStringLiteral("IDUTRESELOTE")) == u"S" && TipoOperAtualizaEstoque()) {
        cdsPosiEstoq->close();
        boAlteraSituItem = true;
    }
    MensErro(FormatMsg(texto(QStringLiteral("VALOR_INSU")), {RegrasPedido::textoValorMinimo(minimo)}), true);
}

// Every item gets the status a new item of this order would get now.
void TfrmLanPedido::Busca_SitItem()
{
    LookupQuery qryPesqMod(QStringLiteral("qryPesqMod"), dtmDBGeral(),
                           QStringLiteral("SELECT IDLANCPEDMOD FROM MODPGTO WHERE CDMODPGTO = :P_CDMODPGTO"));
    qryPesqMod.setParam(QStringLiteral("P_CDMODPGTO"), valor(cdsPedido, "CDMODPGTO"));
    qryPesqMod.open();
    const QString idLancPedMod = qryPesqMod.isEmpty() ? QString() : qryPesqMod.fieldByName(QStringLiteral("IDLANCPEDMOD")).asString();
    const std::optional<QString> situacao = RegrasPedido::situacaoDoItem(rdbOrcamento->isChecked(), idLancPedMod,
                                                                         paramPedido(QStringLiteral("IDLANCPED")));
    ItensSemEventos semEventos(*cdsItemPedido);
    for (cdsItemPedido->first(); !cdsItemPedido->eof(); cdsItemPedido->next()) {
        cdsItemPedido->edit();
        if (situacao)
            campo(cdsItemPedido, "IDSITITEMPED").setValue(*situacao);
        campo(cdsItemPedido, "IDITEMERRO").setValue(QStringLiteral("N"));
        cdsItemPedido->post();
    }
}

void TfrmLanPedido::postaTudo()
{
    {
        // Both checks ran above; posting runs them no second time.
        EventDetach semCabecalho(cdsPedido->beforePost);
        EventDetach semItem(cdsItemPedido->beforePost);
        for (RecordSet* cds : {cdsPedido, cdsItemPedido, cdsObser, cdsPosiEstoq})
            postaSeEditando(cds);
    }
    if (cdsDadosAdicPed->isActive() && cdsDadosAdicPed->isEditing())
        cdsDadosAdicPed->post();
    else if (temLinhas(cdsDadosAdicPed) && valor(cdsDadosAdicPed, "CDMENSAGEM").isEmpty()
             && valor(cdsDadosAdicPed, "DSDADOADICPED").isEmpty())
        cdsDadosAdicPed->deleteRecord();   // an empty row is no additional data
    postaSeEditando(cdsDadosEndPed);
}

// ---- submissions ----------------------------------------------------------------------

QList<RpcArg> TfrmLanPedido::argumentosConfirma(const RegrasPedido::SinaisSubmissao& sinais, bool inserindo,
                                                ArgumentosConfirma& saida)
{
    saida.pedido = deltaDe(cdsPedido);
    saida.prazos = deltaDe(cdsPrazoPgto);
    saida.itens = deltaDe(cdsItemPedido);
    saida.posicao = inserindo ? QJsonValue(QJsonValue::Null) : deltaDe(cdsPosiEstoq);
    saida.observacao = valor(cdsObser, "TXOBSPED").isEmpty() ? QJsonValue(QJsonValue::Null) : deltaDe(cdsObser);
    saida.dadosAdicionais = deltaDe(cdsDadosAdicPed);
    saida.vendedores = QJsonValue::Null;   // the sellers' record set comes with the commission topic
    saida.endereco = deltaDe(cdsDadosEndPed);
    saida.encargos = deltaDe(cdsEncargos);
    saida.textoServidor.clear();
    double reservado = 0;
    if (cdsPosiEstoq->isActive() && cdsPosiEstoq->findField(QStringLiteral("QTRESPRODPED"))) {
        const Bookmark atual = cdsPosiEstoq->bookmark();
        for (cdsPosiEstoq->first(); !cdsPosiEstoq->eof(); cdsPosiEstoq->next())
            reservado += numero(cdsPosiEstoq, "QTRESPRODPED");
        if (cdsPosiEstoq->bookmarkValid(atual))
            cdsPosiEstoq->gotoBookmark(atual);
    }
    const DataPacket itens = cdsItemPedido->isActive() ? cdsItemPedido->data() : DataPacket();
    const Field& vendedor = campo(cdsPedido, "CDVENDEDOR");
    return {RpcArg::ref(saida.pedido), RpcArg::ref(saida.prazos), RpcArg(itens), RpcArg::ref(saida.itens),
            RpcArg::ref(saida.posicao), sinais.primeira, rdbPedido->isChecked(), Operador(), FDataAlterada,
            FPrecosRecalculados, vendedor.asString(), vendedor.oldValue().toString(), RpcArg::ref(saida.observacao),
            cdsItemPedido->isActive() ? cdsItemPedido->recordCount() : 0, depData->date(),
            listaCampoNullDe(cdsItemPedido), RpcArg::ref(saida.dadosAdicionais), reservado,
            RpcArg::ref(saida.vendedores), RpcArg::ref(saida.endereco), sinais.revisao,
            RpcArg::ref(saida.textoServidor), sinais.somentePrimeira, listaCampoNullDe(cdsDadosEndPed),
            RpcArg::ref(saida.encargos)};
}

// One submission under its own idempotency key, kept while the first one
// is sent again after a lost connection: the server applies it once.
QJsonArray TfrmLanPedido::submete(EstadoConfirmacao& estado, Submissao submissao)
{
    ArgumentosConfirma saida;
    const QList<RpcArg> args = argumentosConfirma(RegrasPedido::sinaisDaSubmissao(submissao), !estado.emEdicao, saida);
    netLanPed->setIdempotencyKey(QUuid::createUuid().toString(QUuid::WithoutBraces));
    const auto semChave = qScopeGuard([this] { netLanPed->setIdempotencyKey(QString()); });
    for (;;) {
        const ServerResult resultado = netLanPed->call(SetConfirma, args);
        if (resultado.ok())
            return resultado.value().toArray();
        if (submissao != Submissao::Primeira) {
            if (resultado.errorMessage() == SaldoInsu)
                throw SaldoInsuficiente();
            CheckResultServ(resultado);
        }
        switch (estado.reconexoes.falhou(resultado.errorMessage())) {
        case RegrasPedido::Reconexoes::Acao::SaldoInsuficiente:
            msgPadrao.ShowMsg(SaldoInsu, MsgType::Warning, MsgButton::Ok);
            voltaAEdicao();
            throw FimDaConfirmacao();
        case RegrasPedido::Reconexoes::Acao::ReconectaSemPerguntar:
            break;
        case RegrasPedido::Reconexoes::Acao::Pergunta:
            if (!perguntaSeReconecta(resultado.errorMessage())) {
                voltaAEdicao();
                throw FimDaConfirmacao();
            }
            break;
        }
        netLanPed->Reconnect();
    }
}

bool TfrmLanPedido::perguntaSeReconecta(const QString& falha)
{
    const QString pergunta = msgPadrao1.Msg(QStringLiteral("Err_Conex")) + QStringLiteral("\n\n")
                             + msgPadrao1.Msg(QStringLiteral("DsErro")) + falha + QStringLiteral("\n\n")
                             + msgPadrao1.Msg(QStringLiteral("Reestab_Conex"));
    return MsgAlertEx(pergunta, MsgType::Error, {msgPadrao1.Msg(QStringLiteral("Sim")), msgPadrao1.Msg(QStringLiteral("Nao"))})
           == MsgAlertFirstButton;
}

// Nothing was stored: the order goes back into edit on the items page, its
// changes kept for the next try.
void TfrmLanPedido::voltaAEdicao()
{
    selecionaPagina(tshItemPedido);
    if (cdsPedido->state() == RecordSet::State::Browse && temLinhas(cdsPedido)) {
        EventDetach semAntes(cdsPedido->beforeEdit);
        EventDetach semDepois(cdsPedido->afterEdit);
        cdsPedido->edit();
    }
}

void TfrmLanPedido::ressubmete(EstadoConfirmacao& estado)
{
    if (estado.revisao.aceito) {
        const QJsonArray segunda = submete(estado, Submissao::Revisada);
        trataAchados(estado, segunda, false);
        if (estado.limpo)
            return;
        trataMensagemFinal(estado, submete(estado, Submissao::Final));
        if (RegrasPedido::marcaIrregulares(estado.ultimaDecisao))
            Servidor(SetItemIrregular, {cdsItemPedido->data()});
        return;
    }
    if (estado.limpo)
        return;
    const QJsonArray recusada = submete(estado, Submissao::Recusada);
    trataErrosDosItens(estado, recusada, true);
    trataMensagemFinal(estado, recusada);
}

// A closing submission stores nothing when someone changed the order
// meanwhile or a lot ran short; that comes in element 2.
void TfrmLanPedido::trataMensagemFinal(EstadoConfirmacao& estado, const QJsonArray& resposta)
{
    if (temPacote(resposta, SetConfirmaResult::Mensagem))
        trataMensagem(estado, resposta.at(SetConfirmaResult::Mensagem));
}

// ---- findings --------------------------------------------------------------------------

bool TfrmLanPedido::revisa(EstadoConfirmacao& estado, const QJsonValue& achados, const QString& modo)
{
    LoadBPL(QStringLiteral("PED00105"), {achados.toVariant(), QVariant::fromValue(&estado.revisao), modo});
    return estado.revisao.aceito;
}

// Elements 5 to 2 of an answer (the second submission: 4 and 3 only).
void TfrmLanPedido::trataAchados(EstadoConfirmacao& estado, const QJsonArray& resposta, bool primeira)
{
    using namespace SetConfirmaResult;
    if (primeira && temPacote(resposta, ValidadeComissao) && boValidaDataComissao) {
        estado.limpo = false;
        CarregaPacote(*cdsValidadeComissao, resposta.at(ValidadeComissao));
        if (!revisa(estado, resposta.at(ValidadeComissao), QStringLiteral("C"))) {
            // Declined: the order goes as it was stored, unsent changes and all.
            estado.descarta = true;
            selecionaPagina(tshPadrao);
            throw Abort();
        }
    }
    if (temPacote(resposta, RentabilidadeProd)) {
        estado.decisaoRentabilidade = revisaProdutos(estado, resposta.at(RentabilidadeProd), *cdsAuxErroRentProd,
                                                     estado.tmpRentabilidade, ConsisteRentabilidadeProd);
        estado.ultimaDecisao = estado.decisaoRentabilidade;
    }
    if (temPacote(resposta, AlvaraProd)) {
        estado.decisaoAlvara = revisaProdutos(estado, resposta.at(AlvaraProd), *cdsAuxErroTpFiscProd, estado.tmpAlvara,
                                              ConsisteAlvaraProd);
        estado.ultimaDecisao = estado.decisaoAlvara;
    }
    if (primeira && temPacote(resposta, Mensagem))
        trataMensagem(estado, resposta.at(Mensagem));
}

QString TfrmLanPedido::revisaProdutos(EstadoConfirmacao& estado, const QJsonValue& achados, RecordSet& lista,
                                      std::unique_ptr<RecordSet>& temporario,
                                      const std::function<QString(TNetConnection*, const QJsonValue&)>& dialogo)
{
    estado.limpo = false;
    estado.descarta = false;
    temporario = std::make_unique<RecordSet>(lista.name() + QStringLiteral("Tmp"));
    CarregaPacote(*temporario, achados);
    CarregaPacote(lista, achados);
    QString decisao = dialogo(netLanPed, achados);

    JanelaCongelada congelada(window());
    QStringList produtos;
    for (lista.first(); !lista.eof(); lista.next())
        produtos << valor(&lista, "CDARVPROD");
    const auto doProduto = [&] { return produtos.contains(valor(cdsItemPedido, "CDARVPROD")); };

    switch (RegrasPedido::efeitoDaRevisao(decisao, !produtos.isEmpty())) {
    case RegrasPedido::EfeitoRevisao::PerguntaExclusao:
        if (msgMensagensPadroes().ShowMsg(QStringLiteral("Excl_Item"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No)
            == MsgButton::Yes) {
            ItensSemEventos semEventos(*cdsItemPedido);
            for (cdsItemPedido->first(); !cdsItemPedido->eof();)
                doProduto() ? cdsItemPedido->deleteRecord() : cdsItemPedido->next();
        } else {
            decisao = QStringLiteral("StandBy");
        }
        cdsItemPedido->first();
        selecionaPagina(tshItemPedido);
        break;
    case RegrasPedido::EfeitoRevisao::MarcaIrregulares: {
        {
            ItensSemEventos semEventos(*cdsItemPedido);
            for (cdsItemPedido->first(); !cdsItemPedido->eof(); cdsItemPedido->next())
                if (doProduto() && valor(cdsItemPedido, "IDITEMERRO") != u"S") {
                    cdsItemPedido->edit();
                    campo(cdsItemPedido, "IDITEMERRO").setValue(QStringLiteral("S"));
                    cdsItemPedido->post();
                }
        }
        Servidor(SetItemIrregular, {cdsItemPedido->data()});
        cdsItemPedido->first();
        selecionaPagina(tshItemPedido);
        break;
    }
    case RegrasPedido::EfeitoRevisao::SoMostraItens:
        selecionaPagina(tshItemPedido);
        break;
    case RegrasPedido::EfeitoRevisao::Nenhum:
        break;
    }
    return decisao;
}

void TfrmLanPedido::trataMensagem(EstadoConfirmacao& estado, const QJsonValue& mensagem)
{
    estado.limpo = false;
    estado.descarta = true;
    estado.tmpMensagem = std::make_unique<RecordSet>(QStringLiteral("cdsMensagemConfirma"));
    CarregaPacote(*estado.tmpMensagem, mensagem);
    const QString codigo = valor(estado.tmpMensagem.get(), "DSMENSERRO");
    const QString quantidade = valor(estado.tmpMensagem.get(), "QTPEDIDO");
    if (codigo == u"PED_ALTER")
        MensErro(texto(QStringLiteral("PED_ALTER")), true);
    if (codigo == u"QTRES_ANT")
        MensErro(FormatMsg(texto(QStringLiteral("QTRES_ANT")), {quantidade}), true);
    if (codigo == u"QTRES_SEST")
        host().showMessage(MsgType::Warning, FormatMsg(texto(QStringLiteral("QTRES_SEST")), {quantidade}), MsgButton::Ok,
                           MsgButton::Ok);
}

// Element 0: the item errors. After the declined review's submission, every
// item in error drops the order's unsent changes.
void TfrmLanPedido::trataErrosDosItens(EstadoConfirmacao& estado, const QJsonArray& resposta, bool depoisDaRecusa)
{
    const QJsonValue erros = resposta.at(SetConfirmaResult::ErrosItem);
    if (erros.isObject())
        CarregaPacote(*cdsErroItemPed, erros);
    else if (cdsErroItemPed->isActive())
        cdsErroItemPed->emptyDataSet();
    if (!temLinhas(cdsErroItemPed))
        return;
    revisa(estado, erros, QStringLiteral("1"));
    if (cdsItemPedido->recordCount() == cdsErroItemPed->recordCount()) {
        if (depoisDaRecusa)
            estado.descarta = true;
        throw Abort();
    }
}

void TfrmLanPedido::trataPrecosEReservas(EstadoConfirmacao& estado, const QJsonArray& resposta)
{
    const QJsonValue achados = resposta.at(SetConfirmaResult::ConfirmaRes);
    if (achados.isObject()) {
        estado.limpo = false;
        cdsConfirmaRes->setFiltered(false);
        CarregaPacote(*cdsConfirmaRes, achados);
    } else if (temLinhas(cdsConfirmaRes)) {
        cdsConfirmaRes->setFiltered(false);
        cdsConfirmaRes->emptyDataSet();
    }
    CarregaPacote(*cdsImposEncar, Servidor(GetImposEncar, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO")}));
    if (!temLinhas(cdsConfirmaRes))
        return;

    const auto filtra = [this](const QString& codigo) {
        cdsConfirmaRes->setFilter(QStringLiteral("(CDERRO = '%1')").arg(codigo));
        cdsConfirmaRes->setFiltered(true);
        const bool algum = !cdsConfirmaRes->isEmpty();
        const DataPacket linhas = cdsConfirmaRes->data();
        cdsConfirmaRes->setFiltered(false);
        return algum ? QJsonValue(linhas.toJson()) : QJsonValue();
    };
    estado.revisao.aceito = true;
    if (const QJsonValue precos = filtra(QStringLiteral("ALT_PR")); precos.isObject() && !revisa(estado, precos, QStringLiteral("P"))) {
        estado.descarta = true;
        throw Abort();
    }
    estado.revisao.aceito = true;
    if (const QJsonValue reservas = filtra(QStringLiteral("QT_RESE")); reservas.isObject())
        revisa(estado, reservas, paramPedido(QStringLiteral("IDTESTAEST")) == u"2" ? QStringLiteral("R") : QString());

    if (estado.revisao.aceito) {
        if (cdsConfirmaRes->recordCount() < cdsItemPedido->recordCount()) {
            // Findings of products the order keeps are settled by the review.
            QStringList produtos;
            for (cdsItemPedido->first(); !cdsItemPedido->eof(); cdsItemPedido->next())
                produtos << valor(cdsItemPedido, "CDARVPROD");
            for (cdsConfirmaRes->first(); !cdsConfirmaRes->eof();)
                produtos.contains(valor(cdsConfirmaRes, "CDARVPROD")) ? cdsConfirmaRes->deleteRecord() : cdsConfirmaRes->next();
        }
        return;
    }
    // Reservations declined: their items leave the order, which goes without them.
    ItensSemEventos semEventos(*cdsItemPedido);
    for (cdsConfirmaRes->first(); !cdsConfirmaRes->eof(); cdsConfirmaRes->next())
        if (cdsItemPedido->locate(QStringLiteral("NRPEDIDO;NRITEMPED"),
                                  {valor(cdsConfirmaRes, "NRPEDIDO"), valor(cdsConfirmaRes, "NRITEMPED")}))
            cdsItemPedido->deleteRecord();
}

// ---- success and failure ----------------------------------------------------------------

DataPacket TfrmLanPedido::prazosDoPedido() const
{
    return cdsPrazoPgto->isActive() ? cdsPrazoPgto->data() : DataPacket();
}

void TfrmLanPedido::concluiConfirmacao(EstadoConfirmacao& estado)
{
    if (estado.pendentes) {
        CarregaPacote(*cdsImposEncar, Servidor(GetImposEncar, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO")}));
        if (temLinhas(cdsPrazoPgto)) {
            for (cdsPrazoPgto->first(); !cdsPrazoPgto->eof(); cdsPrazoPgto->next()) {
                cdsPrazoPgto->edit();
                campo(cdsPrazoPgto, "VRPARCELA").clear();
                cdsPrazoPgto->post();
            }
            atualizaFormaPagto(true);
        }
    }
    mostraPedidoGravado();
    const QJsonValue integracao = Servidor(IntegraNeolog, {});
    if (integracao.toString() != u"OK")
        MensErro(integracao.toString(), true);
    stModPgto.clear();
}

// The server stored the order: the change logs are its, and the list shows
// what it stored (numbers, statuses, installment values).
void TfrmLanPedido::mostraPedidoGravado()
{
    for (RecordSet* cds : {cdsPedido, cdsPrazoPgto, cdsItemPedido, cdsPosiEstoq, cdsObser, cdsDadosAdicPed, cdsDadosEndPed,
                           cdsEncargos})
        aceita(cds);
    const QString pedido = valor(cdsPedido, "NRPEDIDO");
    const QString item = valor(cdsItemPedido, "NRITEMPED");
    {
        EventDetach semScroll(cdsPedido->afterScroll);
        boGetPedido = true;
        DadosPedido(true);
    }
    if (temLinhas(cdsPedido)) {
        if (!cdsPedido->locate(QStringLiteral("NRPEDIDO"), pedido) || valor(cdsPedido, "NRPEDIDO") == pedido)
            cdsPedidoAfterScroll();
    }
    if (!item.isEmpty() && valor(cdsItemPedido, "NRITEMPED") != item && temLinhas(cdsItemPedido))
        cdsItemPedido->locate(QStringLiteral("NRITEMPED"), item);
    dtsPadraoStateChange();
    FConfirmacaoLivre = true;
    FDataAlterada = FPrecosRecalculados = FItemIncluido = false;
}

void TfrmLanPedido::falhaDepoisDeEnviar(EstadoConfirmacao& estado)
{
    if (estado.gravado) {
        // The order is stored; what failed after it must not take the
        // stored order off the screen.
        mostraPedidoGravado();
        return;
    }
    if (estado.descarta)
        for (RecordSet* cds : {cdsPedido, cdsPrazoPgto, cdsItemPedido, cdsPosiEstoq, cdsObser, cdsDadosAdicPed})
            descarta(cds);
    if (cdsValidaProduto->isActive())
        cdsValidaProduto->emptyDataSet();
    FConfirmacaoLivre = true;
    FDataAlterada = FPrecosRecalculados = FItemIncluido = false;
    dtsPadraoStateChange();
    if (!estado.itemAtual.isEmpty() && temLinhas(cdsItemPedido))
        cdsItemPedido->locate(QStringLiteral("NRITEMPED"), estado.itemAtual);
}

void TfrmLanPedido::finalizaConfirmacao(bool mostraAvi)
{
    const auto desliga = qScopeGuard([&] {
        boValidaDataComissao = false;
        boShowAvi = true;
        ControlaDeActiveShowAvi(mostraAvi);
    });
    if (!pedidoEmEdicao())
        sbtVerificarClick();
    ItensSemEventos semEventos(*cdsItemPedido);
    if (FItemEditado && cdsItemPedido->isActive() && cdsItemPedido->bookmarkValid(bkPosItPed))
        cdsItemPedido->gotoBookmark(bkPosItPed);
}
