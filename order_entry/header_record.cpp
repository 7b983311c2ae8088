// The order header record set cdsPedido: its fields and coded values, the
// order list fetched by the filter, a new order's number and defaults, what
// the screen shows and fetches when the current order changes, and the small
// record-set events.

#include "lanpedido.h"
#include "field_list.h"
#include "cds_values.h"
#include "getpedido_args.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "eventguard.h"
#include "filtropedido.h"
#include "guard.h"
#include "lookupquery.h"
#include "messages.h"
#include "netconnection.h"
#include "paintonce.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "taxnumbers.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <iterator>

using namespace LanPedido;
using namespace Rpc::LanPedido;
using namespace FieldList;

namespace {

// Catalog keys of the origin codes 1 to 9.
const char* const chavesOrigem[] = {"SISTEMA", "SITE", "PALM", "EXE_ORC_PROD", "EXE_ORC_MAT",
                                    "FECHA_DEGUSTACAO", "APROV_ENC", "PRATARIA", "PEDIDO_OL"};

// Freight entry texts by catalog key, and the code each stores; in the
// order the freight combo lists them.
const std::pair<const char*, const char*> fretes[] = {
    {"FRETE_CIF", "0"}, {"FRETE_FOB", "1"}, {"FRETE_TERCEIROS", "2"},
    {"FRETE_REMETENTE", "3"}, {"FRETE_DESTINATARIO", "4"}, {"SEM_FRETE", "9"},
};

QString nome(const char* name)
{
    return QString::fromUtf8(name);
}

void limpaPendencias(RecordSet* cds)
{
    if (!cds->isActive())
        return;
    cds->cancel();
    cds->cancelUpdates();
}

} // namespace

QColor CorSituacaoPedido(const QString& idSitPedido)
{
    if (idSitPedido == u"1")
        return QColor(0, 0, 255);
    if (idSitPedido == u"2")
        return QColor(128, 128, 0);
    if (idSitPedido == u"3" || idSitPedido == u"5")
        return QColor(128, 0, 128);
    if (idSitPedido == u"4")
        return QColor(255, 0, 0);
    if (idSitPedido == u"6")
        return QColor(0, 128, 128);
    return {};
}

QString TextoSituacaoPedido(const TMessages& catalog, const QString& idSitPedido)
{
    const QString key = QStringLiteral("SIT_") + idSitPedido;
    return idSitPedido.size() == 1 && catalog.contains(key) ? catalog.Msg(key) : QString();
}

QString TextoOrigemPedido(const TMessages& catalog, const QString& idOrigPed)
{
    bool ok = false;
    const int origem = idOrigPed.trimmed().toInt(&ok);
    if (!ok || origem < 1 || origem > 9)
        return {};
    return catalog.Msg(nome(chavesOrigem[origem - 1]));
}

QString CodigoFrete(const TMessages& catalog, const QString& texto)
{
    for (const auto& [chave, codigo] : fretes)
        if (texto == catalog.Msg(nome(chave)))
            return nome(codigo);
    return QStringLiteral("9");
}

// --- Fields and events --------------------------------------------------------------

void TfrmLanPedido::criaPedido()
{
    cdsPedido = new RecordSet(QStringLiteral("cdsPedido"), this);
    auto add = [this](std::initializer_list<Def> defs) { addFields(*cdsPedido, defs, Visibility::Hidden); };
    cdsPedido->addField(QStringLiteral("vrRentabilidade"), F, 0, Field::Kind::Calculated)
        .setDisplayLabel(QStringLiteral("Rent."));
    add({{"CDTIPOEDITAL", S, 3, "Tipo Edital"}, {"NMFILIAL", S, 30, "Filial Destino"}});
    cdsPedido->addField(QStringLiteral("DsPedido"), S, 70, Field::Kind::Calculated).setVisible(false);
    add({
        {"CDTIPODESC", S, 10, ""}, {"NRPEDIDO", S, 10, "Nº Pedido"},
        {"NMRAZSOCCLIE", S, 50, "Cliente/Filial Destino"}, {"DTPEDIDO", DT, 0, "Data Pedido"},
        {"DTENTPED", DT, 0, "Data Entrega"}, {"VRPBRUVOLPED", F, 0, "Peso Bruto"},
        {"VRPLIQVOLPED", F, 0, "Peso Liquido"}, {"CDCLIENTE", S, 21, "Código do Cliente"},
        {"IDTPIJURTRED", S, 1, ""}, {"NRINSJURTRED", S, 20, ""}, {"IDTPIJURTRAN", S, 1, ""},
        {"NRINSJURTRAN", S, 20, ""}, {"CDTIPTRANS", S, 4, ""}, {"CDFILIAL", S, 4, ""},
        {"CDVENDEDOR", S, 4, ""}, {"VRPECOMVDPED", F, 0, "Vendedor (%)"},
        {"VRPEDENFPED", F, 0, "Nota Fiscal (%)"}, {"VRPEDEDUPED", F, 0, "Duplicata (%)"},
        {"IDPRIOPED", S, 1, ""}, {"DSPEDCLI", S, 200, ""}, {"DSPEDVEN", S, 200, ""},
        {"DTHRLANPED", DT, 0, ""}, {"IDSITPEDIDO", S, 1, "Sit."}, {"IDPGFRETTRAN", S, 1, ""},
        {"CDFORMPGTO", S, 2, ""}, {"IDTPFORPGTPED", S, 1, ""},
        {"NRDIAPGFIXPED", F, 0, "Dia do Pagamento Fixo"}, {"NRPARCPGTOPED", F, 0, "Parcela(s)"},
        {"IDUTDIAPAGPED", S, 1, ""}, {"IDTPIJURCLIE", S, 1, ""}, {"NRINSJURCLIE", S, 20, ""},
        {"CDMODPGTO", S, 5, ""}, {"CDFILIALPED", S, 4, ""}, {"NMFANVEN", S, 50, "Vendedor"},
        {"DSMODPGTO", S, 100, ""}, {"IDTIPOPEDIDO", S, 1, ""}, {"NMFANTTRAN", S, 40, ""},
        {"IDPEDIDOIMPR", S, 1, "Espelho"}, {"CDOPELANPED", S, 12, ""}, {"CDPRECOBASE", S, 2, ""},
        {"DSPRECOBASE", S, 30, ""}, {"CDTIPOOPER", S, 2, ""}, {"NMTIPOOPER", S, 30, "Tipo de Operação"},
        {"IDENTRSAIDOP", S, 1, ""}, {"DTVALIPED", DT, 0, ""}, {"NMFANTCLIE", S, 50, "Cliente"},
        {"CDFILIALORC", S, 4, "Filial Orc."}, {"NRORCAEVENTO", S, 10, "Nr. Orçamento"},
        {"NRSEQORCAEVE", S, 2, "Seq"}, {"CDDEPTO", S, 3, "Cod.Depto"}, {"NREMPENHO", S, 20, ""},
        {"IDORIGPED", S, 1, ""}, {"NMROTATRANS", S, 40, ""}, {"CDROTATRANSPED", S, 6, ""},
        {"IDORIGDESTOP", S, 1, ""}, {"NMTIPODESC", S, 50, ""}, {"QTPRITPDESC", F, 0, ""},
        {"QTSEGTPDESC", F, 0, ""}, {"QTTERTPDESC", F, 0, ""}, {"QTQUATPDESC", F, 0, ""},
        {"QTQUITPDESC", F, 0, ""}, {"QTSEXTPDESC", F, 0, ""}, {"QTSETTPDESC", F, 0, ""},
        {"QTOITTPDESC", F, 0, ""}, {"COR_RENTABILIDADE", F, 0, "Rent."}, {"DSPRAZOENTPED", S, 50, ""},
        {"NRORDEMCMPPED", S, 15, "Ordem de Compra"}, {"VRTOTALPED", F, 0, "Valor Total"},
        {"VRMULTICASH", F, 0, "Multicash"}, {"VRBONIFICACAO", F, 0, "Bonificacao"},
        {"IDPEDINDUSTRIA", S, 1, "Industrialização"}, {"VRTOTPEDLIQ", F, 0, "Total Liqudo"},
        {"NRITPEDAPROVADO", I, 0, "Itens Aprovados"}, {"NRITPEDCONFIRMADO", I, 0, "Itens Confirmados"},
        {"IDULTPRECPROMO", S, 1, ""}, {"IDCANCCOMISPED", S, 20, ""}, {"IDPESQTRANSP", S, 1, ""},
        {"DSNFVENDAFUTURA", S, 14, ""},
    });
    // The list columns and the carrier search marker are the fields shown.
    for (const char* name : {"NRPEDIDO", "NMRAZSOCCLIE", "DTPEDIDO", "DTENTPED", "VRPBRUVOLPED", "VRPLIQVOLPED",
                             "NMFANVEN", "IDPEDIDOIMPR", "CDFILIALORC", "NRORCAEVENTO", "NRSEQORCAEVE", "CDDEPTO",
                             "VRTOTALPED", "IDPESQTRANSP"})
        cdsPedido->fieldByName(nome(name)).setVisible(true);
    cdsPedido->fieldByName(QStringLiteral("NRSEQORCAEVE")).setDisplayWidth(2);
    for (const char* name : {"DTPEDIDO", "DTENTPED", "DTVALIPED"})
        cdsPedido->fieldByName(nome(name)).setDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    cdsPedido->fieldByName(QStringLiteral("VRPBRUVOLPED")).setDisplayFormat(QStringLiteral("##,#0.00000"));
    cdsPedido->fieldByName(QStringLiteral("VRPLIQVOLPED")).setEditFormat(QStringLiteral("##,#0.00000"));
    for (const char* name : {"VRTOTALPED", "VRMULTICASH", "VRBONIFICACAO"})
        cdsPedido->fieldByName(nome(name)).setDisplayFormat(QStringLiteral("###0.00"));
    cdsPedido->fieldByName(QStringLiteral("CDVENDEDOR")).setEditMask(QStringLiteral("9999;1; "));

    cdsPedido->onCalcFields = [this](RecordSet&) { cdsPedidoCalcFields(); };
    cdsPedido->fieldByName(QStringLiteral("IDSITPEDIDO")).onGetText = [this](Field& field, bool) {
        return TextoSituacaoPedido(msgPadrao, field.asString());
    };
    cdsPedido->fieldByName(QStringLiteral("IDTPFORPGTPED")).onGetText = [](Field& field, bool) {
        return field.asString().isEmpty() ? QStringLiteral("X") : field.asString();
    };
    cdsPedido->fieldByName(QStringLiteral("IDPEDIDOIMPR")).onGetText = [this](Field& field, bool) {
        return field.asString() == u"S" ? texto(QStringLiteral("EMITIDO")) : QString();
    };
    cdsPedido->fieldByName(QStringLiteral("IDPGFRETTRAN")).onSetText = [this](Field& field, const QString& text) {
        field.setValue(CodigoFrete(msgPadrao, text));
    };
    cdsPedido->fieldByName(QStringLiteral("CDCLIENTE")).onChange = [this](Field& field) { cdsPedidoCDCLIENTEChange(field); };
    cdsPedido->fieldByName(QStringLiteral("CDFILIALPED")).onChange = [this](Field& field) { cdsPedidoCDFILIALPEDChange(field); };
    cdsPedido->fieldByName(QStringLiteral("CDMODPGTO")).onChange = [this](Field& field) { cdsPedidoCDMODPGTOChange(field); };

    cdsPedido->beforeInsert = [this](RecordSet&) { cdsPedidoBeforeInsert(); };
    cdsPedido->afterInsert = [this](RecordSet&) { cdsPedidoAfterInsert(); };
    cdsPedido->beforeEdit = [this](RecordSet&) { cdsPedidoBeforeEdit(); };
    cdsPedido->afterEdit = [this](RecordSet&) { cdsPedidoAfterEdit(); };
    cdsPedido->afterCancel = [this](RecordSet&) { cdsPedidoAfterCancel(); };
    cdsPedido->beforePost = [this](RecordSet&) { cdsPedidoBeforePost(); };
    cdsPedido->afterPost = [this](RecordSet&) { cdsPedidoAfterPost(); };
    cdsPedido->afterOpen = [this](RecordSet&) { cdsPedidoAfterOpen(); };
    cdsPedido->beforeDelete = [this](RecordSet&) { cdsPedidoBeforeDelete(); };
    cdsPedido->afterScroll = [this](RecordSet&) { cdsPedidoAfterScroll(); };

    criaListaPedidos();
}

// The list page's own parts: every row in its status colour and the entry
// period the list covers.
void TfrmLanPedido::criaListaPedidos()
{
    dbgPadrao->onDrawColumnCell = [](DBGrid&, DBGridCell& cell) {
        if (cell.selected || cell.column.fieldName() == u"COR_RENTABILIDADE")
            return;
        const QColor cor = CorSituacaoPedido(cell.value(QStringLiteral("IDSITPEDIDO")).toString());
        if (cor.isValid())
            cell.foreground = cor;
    };

    panPeriodo = new QWidget(tshPadrao);
    panPeriodo->setObjectName(QStringLiteral("panPeriodo"));
    auto* linha = new QHBoxLayout(panPeriodo);
    linha->setContentsMargins(0, 0, 0, 0);
    lblintde = new QLabel(panPeriodo);
    lblintde->setObjectName(QStringLiteral("lblintde"));
    lblintate = new QLabel(panPeriodo);
    lblintate->setObjectName(QStringLiteral("lblintate"));
    linha->addWidget(new QLabel(QStringLiteral("Pedidos lançados de"), panPeriodo));
    linha->addWidget(lblintde);
    linha->addWidget(new QLabel(QStringLiteral("até"), panPeriodo));
    linha->addWidget(lblintate);
    linha->addStretch(1);
    static_cast<QVBoxLayout*>(tshPadrao->layout())->insertWidget(0, panPeriodo);
    panPeriodo->setVisible(false);
}

void TfrmLanPedido::cdsPedidoCalcFields()
{
    cdsPedido->fieldByName(QStringLiteral("DsPedido"))
        .setValue(cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).asString() + QStringLiteral(" - ")
                  + cdsPedido->fieldByName(QStringLiteral("NMRAZSOCCLIE")).asString());
}

void TfrmLanPedido::cdsPedidoCDCLIENTEChange(Field& field)
{
    if (cdsPedido->state() == RecordSet::State::Edit) {
        boAlteraCliente = field.oldValue().toString() != field.asString();
        boNaoAlterado = !boAlteraCliente;
    } else {
        boAlteraCliente = false;
        boNaoAlterado = false;
    }
}

void TfrmLanPedido::cdsPedidoCDFILIALPEDChange(Field& field)
{
    if (cdsPedido->state() == RecordSet::State::Edit) {
        boAlteraFilialDest = field.oldValue().toString() != field.asString();
        boNaoAlterado = !boAlteraFilialDest;
    } else {
        boAlteraFilialDest = !boLocalEntregaCli;
        boNaoAlterado = false;
    }
}

void TfrmLanPedido::cdsPedidoCDMODPGTOChange(Field& field)
{
    if (!cdsPedido->isEditing())
        return;
    if (stCdModPag.isEmpty() || stCdModPag != field.asString())
        stCdModPag = field.asString();
    stNovoModPag = stCdModPag;
}

// --- The order list -----------------------------------------------------------------

bool TfrmLanPedido::sbtFiltroClick()
{
    Filtro.Filial = medCdFilial->text();
    bool confirmado = false;
    {
        EventDetach semSaidaFilial(onPanFilialExit);
        boGetPedido = true;
        cdsPedido->close();
        confirmado = CriaFiltroPedido(Filtro, FiltroPedidoTela{netLanPed, cdsParamPedido, cdsOperTPed, cdsVendLog, this});
        // Also when cancelled: the list was closed above and the filter is unchanged.
        DadosPedido(false);
    }
    update();
    dtsPadraoStateChange();
    return confirmado;
}

void TfrmLanPedido::DadosPedido(bool loadDetails)
{
    if (boGetPedido) {
        ArgumentosGetPedido argumentos(Filtro, medCdFilial->text(), paramPedido(QStringLiteral("IDEXIBDADORC")),
                                       loadDetails, valor(cdsPedido, "NRPEDIDO"));
        const QJsonArray resultado = Servidor(GetPedido, argumentos.lista()).toArray();
        CarregaPacote(*cdsPedido, resultado.at(GetPedidoResult::Pedidos));
        CarregaPacote(*cdsDadosEndPed, resultado.at(GetPedidoResult::DadosEndereco));
        if (loadDetails)
            carregaDetalhesPedido(resultado);
    }
    atualizaPeriodoEBotoes();
}

// The details GetPedido brings along when asked to.
void TfrmLanPedido::carregaDetalhesPedido(const QJsonArray& resultado)
{
    stItem = valor(cdsItemPedido, "NRITEMPED");
    {
        ControlsFreeze congelaItens(*cdsItemPedido);
        const PaintOnce pintaUmaVez(*this);
        CarregaPacote(*cdsItemPedido, resultado.at(GetPedidoResult::Itens));
        if (!stItem.isEmpty())
            cdsItemPedido->locate(QStringLiteral("NRITEMPED"), stItem);
    }
    if (cdsItemPedido->state() == RecordSet::State::Browse && temLinhas(cdsItemPedido)
        && paramPedido(QStringLiteral("IDEXIBIMPITPED")) == u"S") {
        const QJsonArray impostos = Servidor(GetImposto_UltVendaP,
                                             {valor(cdsItemPedido, "CDFILIAL"), valor(cdsItemPedido, "NRPEDIDO"),
                                              valor(cdsItemPedido, "NRITEMPED"), valor(cdsItemPedido, "CDPRODUTO"),
                                              valor(cdsPedido, "CDCLIENTE")}).toArray();
        CarregaPacote(*cdsItemProImpos, impostos.at(GetImposto_UltVendaPResult::ImpostosItem));
        CarregaPacote(*cdsConUltPrecVen, impostos.at(GetImposto_UltVendaPResult::UltimasVendas));
    }
    using namespace GetPedidoResult;
    const std::pair<Element, RecordSet*> destinos[] = {{LancamentosNf, cdsLancNf},     {Observacao, cdsObser},
                                                       {PrazoPgto, cdsPrazoPgto},       {PosicaoEstoque, cdsPosiEstoq},
                                                       {DadosAdicionais, cdsDadosAdicPed}, {Encargos, cdsEncargos},
                                                       {ImpostosPedido, cdsImposPedTot}};
    for (const auto& [elemento, cds] : destinos)
        CarregaPacote(*cds, resultado.at(elemento));
    VrTotalItemPed();
}

void TfrmLanPedido::atualizaPeriodoEBotoes()
{
    lblintde->setText(Filtro.Emissao.dtDe.toString(QStringLiteral("dd/MM/yyyy")));
    lblintate->setText(Filtro.Emissao.dtAte.toString(QStringLiteral("dd/MM/yyyy")));
    // Shown while an entry period restricts the list; with none there is no
    // period to show.
    panPeriodo->setVisible(!Filtro.Emissao.boTodos && Filtro.Emissao.dtDe.isValid());

    const bool temPedidos = temLinhas(cdsPedido);
    const bool temItens = temLinhas(cdsItemPedido);
    const bool editando = pedidoEmEdicao() || itensEmEdicao();
    sbtNotaPed->setEnabled(temPedidos);
    sbtIncPed->setEnabled(temPedidos && !editando);
    sbtCalcularDesconto->setEnabled(temItens && !editando && sbtAlterar->isEnabled());
    sbtConsVendAdic->setEnabled(temPedidos && paramPedido(QStringLiteral("IDEXIBVENDCOM")) == u"S");
    sbtAtuEndeEntrega->setEnabled(temPedidos);
    stbInconsistencia->setEnabled(temItens && !editando);
}

void TfrmLanPedido::AtualizaTipoPed()
{
    const QSignalBlocker semPedido(rdbPedido);
    const QSignalBlocker semOrcamento(rdbOrcamento);
    if (valor(cdsPedido, "IDTIPOPEDIDO") == u"1")
        rdbPedido->setChecked(true);
    else
        rdbOrcamento->setChecked(true);
}

void TfrmLanPedido::HabilitaColunaImporta()
{
    if (DBGridColumn* column = dbgItemPedido->columnByField(QStringLiteral("IDITPEDSEMQTDIS")))
        column->setVisible(paramPedido(QStringLiteral("IDTESTAEST")) == u"2");
}

// --- A new order ----------------------------------------------------------------------

void TfrmLanPedido::cdsPedidoBeforeInsert()
{
    if (!sbtIncluir->isEnabled())
        throw Abort();
    {
        EventDetach semSaidaFilial(onPanFilialExit);
        edtNmCliente->clear();
        edtNmVendedor->clear();
        nedVrEmpenho->clear();
        pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshDadosPed), true);
        pgcPadrao->setCurrentWidget(tshDadosPed);
        mnuDadosGerais->setChecked(true);
        mnuPedido->setChecked(false);
        mnuTransp->setChecked(false);
    }
    panFormaPgto->setEnabled(true);
    panDadosGerais->setEnabled(true);
    edtNmFiliDest->clear();
    edtNmTipoOper->clear();
    boLocalEntregaCli = false;
}

void TfrmLanPedido::cdsPedidoAfterInsert()
{
    stAltSitItem.clear();
    boAlteraSituItem = false;
    // A new order asks about the discount maxima again and sees its items'
    // status afresh.
    FPerguntaDescMax = true;
    FSitItemInicial.clear();
    FSitItemAlterada = false;
    pintaNavegador(QColor());
    EventDetach semSaidaFilial(onPanFilialExit);

    numeraNovoPedido();
    preencheControlesNovoPedido();
    auto campo = [this](const char* name) -> Field& { return cdsPedido->fieldByName(nome(name)); };
    for (const char* name : {"IDTPFORPGTPED", "NRDIAPGFIXPED", "NRPARCPGTOPED", "CDFILIALPED"})
        campo(name).clear();
    campo("IDUTDIAPAGPED").setValue(QStringLiteral("I"));
    campo("CDFILIAL").setValue(medCdFilial->text());
    campo("IDPEDINDUSTRIA").setValue(QStringLiteral("N"));
    chbPedIndustria->setChecked(false);
    if (paramPedido(QStringLiteral("IDOBRTPOPPED")) == u"S")
        tipoOperacaoPadrao();
    AtualizaFormaPgto();
    stForma = campo("IDTPFORPGTPED").asString();
    vendedorPadrao();
    if (!paramPedido(QStringLiteral("CDMODPGTO")).isEmpty()) {
        campo("CDMODPGTO").setValue(paramPedido(QStringLiteral("CDMODPGTO")));
        campo("DSMODPGTO").setValue(paramPedido(QStringLiteral("DSMODPGTO")));
        edtModPgto->setText(paramPedido(QStringLiteral("DSMODPGTO")));
    }
    if (!paramPedido(QStringLiteral("CDCLIENTE")).isEmpty())
        clientePadrao();
    if (pgcPadrao->currentWidget() != tshItemPedido && cdsItemPedido->isActive())
        cdsItemPedido->emptyDataSet();
    boPrazo = true;
    boValidaDataComissao = true;
}

// The branch's next number; without one there is no new order.
void TfrmLanPedido::numeraNovoPedido()
{
    QJsonValue numero;
    {
        ControlaActiveShowAvi(boShowAvi, 0);
        const auto para = qScopeGuard([this] { ControlaDeActiveShowAvi(boShowAvi); });
        numero = CheckResultServ(netLanPed->call(GetPrxPedido, {medCdFilial->text()}), false,
                                 CallerReportsMethodFailure);
    }
    if (!numero.isString() || numero.toString().isEmpty()) {
        cdsPedido->cancel();
        MensErro(texto(QStringLiteral("ERRO_PED")), true);
    }
    medNrPedido->setText(numero.toString());
    cdsPedido->fieldByName(QStringLiteral("NRPEDIDO")).setValue(medNrPedido->text());
}

void TfrmLanPedido::preencheControlesNovoPedido()
{
    EventDetach semDataPedido(onDtRetiradaChange);
    EventDetach semDataEntrega(onDataChange);
    pgcPadrao->setCurrentWidget(tshDadosPed);
    depDtRetirada->setFocus();
    depDtRetirada->setDate(QDate::currentDate());
    // The order keeps what its editors show, so that showing the page anew
    // shows the same.
    cdsPedido->fieldByName(QStringLiteral("DTPEDIDO")).setValue(QDateTime(QDate::currentDate(), QTime(0, 0)));
    cdsPedido->fieldByName(QStringLiteral("IDTIPOPEDIDO")).setValue(QStringLiteral("1"));
    cdsPedido->fieldByName(QStringLiteral("IDPRIOPED")).setValue(QStringLiteral("3"));
    rdbPedido->setChecked(true);
    rdbNormal->setChecked(true);
    for (QLineEdit* texto : {edtNmCliente, edtNmTransp, edtFormPgto, edtModPgto, edtPrcBase, edtNmRotaEntrega,
                             edtNmFiliDest})
        texto->clear();
    depData->clear();
    depDtVal->clear();
    nedVrEmpenho->clear();
    cmbFrete->setCurrentIndex(5);
    cdsPedido->fieldByName(QStringLiteral("IDPGFRETTRAN")).setText(cmbFrete->currentText());
}

void TfrmLanPedido::tipoOperacaoPadrao()
{
    LookupQuery qryTipoOper(QStringLiteral("qryTipoOper"), dtmDBGeral(),
                            QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP"
                                           " FROM TIPOOPERAC WHERE CDTIPOOPER = :P_CDTIPOOPER"));
    qryTipoOper.setParam(QStringLiteral("P_CDTIPOOPER"), paramPedido(QStringLiteral("CDTIPOOPER")));
    qryTipoOper.open();
    for (const char* name : {"IDENTRSAIDOP", "IDORIGDESTOP", "CDTIPOOPER", "NMTIPOOPER"}) {
        Field& campo = cdsPedido->fieldByName(nome(name));
        if (qryTipoOper.isEmpty())
            campo.clear();
        else
            campo.setValue(qryTipoOper.fieldByName(nome(name)).value());
    }
    edtNmTipoOper->setText(valor(cdsPedido, "NMTIPOOPER"));
}

void TfrmLanPedido::vendedorPadrao()
{
    const bool comissaoDoVendedor = valor(cdsParExpedicao, "IDCTRLVENEXP") == u"N";
    auto copia = [this, comissaoDoVendedor](const RecordSet* origem, const char* comissao) {
        for (const char* name : {"CDVENDEDOR", "NMFANVEN", "CDPRECOBASE", "DSPRECOBASE"})
            cdsPedido->fieldByName(nome(name)).setValue(origem->fieldByName(nome(name)).value());
        const Field& percentual = origem->fieldByName(nome(comissao));
        if (comissaoDoVendedor && !percentual.isNull())
            cdsPedido->fieldByName(QStringLiteral("VRPECOMVDPED")).setValue(percentual.value());
        edtNmVendedor->setText(valor(cdsPedido, "NMFANVEN"));
        edtPrcBase->setText(valor(cdsPedido, "DSPRECOBASE"));
    };
    if (ExibeVendedorLogado() && temLinhas(cdsVendLog))
        copia(cdsVendLog, "VRPECOMVEN");
    else if (!paramPedido(QStringLiteral("CDVENDEDOR")).isEmpty() && valor(cdsPedido, "CDVENDEDOR").trimmed().isEmpty())
        copia(cdsParamPedido, "VRPECOMVEN");
}

// The branch's default customer, checked at once. A refused customer keeps
// the new order: the clerk corrects it in the customer field.
void TfrmLanPedido::clientePadrao()
{
    for (const char* name : {"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "NMFANTCLIE"})
        cdsPedido->fieldByName(nome(name)).setValue(paramPedido(nome(name)));
    edtNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    try {
        Vd_Cliente(false, false);
        if (dbeVendedor->isEnabled())
            dbeVendedor->setFocus();
        else if (dbeTipoOper->isEnabled() && !dbeTipoOper->isHidden())
            dbeTipoOper->setFocus();
        else
            dbeFiliDest->setFocus();
    } catch (const std::exception&) {
        dbeCliente->setFocus();
    }
}

// --- Edit, cancel, post, open, delete --------------------------------------------------

void TfrmLanPedido::cdsPedidoBeforeEdit()
{
    const bool paginaObservacao = pgcPadrao->currentWidget() == tshObservacao;
    if (!paginaObservacao)
        Vd_PedidoParcAtendido();
    const QString situacao = valor(cdsPedido, "IDSITPEDIDO");
    if (!paginaObservacao && situacao != u"1" && situacao != u"2" && situacao != u"6")
        throw Abort();
    if (pgcPadrao->currentWidget() == tshPadrao) {
        EventDetach semSaidaFilial(onPanFilialExit);
        pgcPadrao->setCurrentWidget(tshDadosPed);
    }
    stModPgto = valor(cdsPedido, "CDMODPGTO");
}

void TfrmLanPedido::cdsPedidoAfterEdit()
{
    stIns = valor(cdsPedido, "NRINSJURCLIE");
    stCdClie = valor(cdsPedido, "CDCLIENTE");
    stVend = valor(cdsPedido, "CDVENDEDOR");
    // The edit starts from the order's stored terms, also when no page has
    // shown them yet: else the modality check would bring its own terms in
    // as new ones over the stored, and the confirmation would be refused.
    if (prazosDeOutroPedido())
        CarregaPacote(*cdsPrazoPgto, Servidor(GetPrazoPgto, {valor(cdsPedido, "NRPEDIDO"), valor(cdsPedido, "CDFILIAL")}));
}

// An item, a note or an additional-data line changed while the order is
// only looked at puts the order into edit: Confirm stores the change,
// Cancel undoes it.
void TfrmLanPedido::detalheEmEdicao(const DataSource& detalhe)
{
    if (detalhe.isEditing() && cdsPedido->state() == RecordSet::State::Browse && temLinhas(cdsPedido))
        cdsPedido->edit();
}

void TfrmLanPedido::cdsPedidoAfterCancel()
{
    boModMsg = false;
    for (RecordSet* cds : {cdsObser, cdsDadosAdicPed, cdsPrazoPgto})
        limpaPendencias(cds);
}

void TfrmLanPedido::cdsPedidoAfterPost()
{
    boModMsg = false;
    if (cdsPrazoPgto->isEditing())
        cdsPrazoPgto->post();
    pintaNavegador(CorSituacaoPedido(valor(cdsPedido, "IDSITPEDIDO")));
}

void TfrmLanPedido::cdsPedidoAfterOpen()
{
    if (m_freteLigado)
        return;
    m_freteLigado = true;
    connect(cmbFrete, &QComboBox::currentIndexChanged, this, [this](int indice) {
        guarded([&] {
            if (indice >= 0 && pedidoEmEdicao())
                cdsPedido->fieldByName(QStringLiteral("IDPGFRETTRAN")).setText(cmbFrete->itemText(indice));
        });
    });
}

void TfrmLanPedido::cdsPedidoBeforeDelete()
{
    VerificaSit();
    if (paramPedido(QStringLiteral("IDLANENCARGOPED")) == u"S")
        Servidor(SetDelTdsEncargos, {valor(cdsPedido, "CDFILIAL"), valor(cdsPedido, "NRPEDIDO")});
}

// Orders that have moved on are not deleted: only a pending order is.
void TfrmLanPedido::VerificaSit()
{
    const QString situacao = valor(cdsPedido, "IDSITPEDIDO");
    const char* chave = nullptr;
    if (situacao == u"2")
        chave = "BLOQ_CONFIRMADO";
    else if (situacao == u"3" || situacao == u"5")
        chave = "BLOQ_LIQUIDADO";
    else if (situacao == u"4")
        chave = "BLOQ_CANCELADO";
    else if (situacao == u"6")
        chave = "BLOQ_PARCIAL";
    if (chave)
        MensErro(texto(nome(chave)), true);
}

// --- The current order changes ----------------------------------------------------------

void TfrmLanPedido::cdsPedidoAfterScroll()
{
    panItem->setVisible(!panExped->isHidden() || !nedTotal->isHidden());
    // The documents show with the masks of their person kinds.
    for (const auto& [documento, tipo] : {std::pair{"NRINSJURCLIE", "IDTPIJURCLIE"}, {"NRINSJURTRAN", "IDTPIJURTRAN"}}) {
        Field& campo = cdsPedido->fieldByName(nome(documento));
        campo.setEditMask(PictPess(valor(cdsPedido, tipo)));
        dtsPadrao->refreshField(campo);
    }

    const QString situacao = valor(cdsPedido, "IDSITPEDIDO");
    sbtNFVendaFutura->setEnabled(situacao == u"2");
    mnuVendaFutura->setEnabled(situacao == u"2");

    const QString origem = TextoOrigemPedido(msgPadrao, valor(cdsPedido, "IDORIGPED"));
    if (!origem.isEmpty())
        edtOrigem->setText(origem);
    dbtNome->setText(valor(cdsPedido, "DsPedido"));
    lblNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    pintaNavegador(CorSituacaoPedido(situacao));

    nedQtDisp->setVisible(false);
    for (QLabel* rotulo : tshItemPedido->findChildren<QLabel*>())
        if (rotulo->buddy() == nedQtDisp)
            rotulo->setVisible(false);
    sbtVerQuantidades->setChecked(false);

    if (cdsPedido->state() == RecordSet::State::Browse && temLinhas(cdsPedido))
        mostraPedidoAtual();

    HabilitaDesabilitaPedido();
    rdbOrcamento->setEnabled(situacao == u"1" || (pedidoEmEdicao() && situacao.isEmpty()));
    if (DBGridColumn* terceiros = dbgItemPedido->columnByField(QStringLiteral("IDITEMPEDTERC")))
        terceiros->setVisible(valor(cdsPedido, "IDPEDINDUSTRIA") == u"S");
    const bool comissaoCancelada = valor(cdsPedido, "IDCANCCOMISPED") == u"S";
    btnCancelaComissao->setCheckable(true);
    btnCancelaComissao->setChecked(comissaoCancelada);
    btnCancelaComissao->setText(comissaoCancelada ? QStringLiteral("Regerar Comissionamento")
                                                  : QStringLiteral("Cancelar Comissionamento"));
}

// The order looked at: its header in the controls and what the active page
// shows of it, from the server.
void TfrmLanPedido::mostraPedidoAtual()
{
    EventDetach semDataPedido(onDtRetiradaChange);
    EventDetach semDataEntrega(onDataChange);
    stIns = valor(cdsPedido, "NRINSJURCLIE");
    stVend = valor(cdsPedido, "CDVENDEDOR");
    medNrPedido->setText(valor(cdsPedido, "NRPEDIDO"));
    edtNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    edtNmVendedor->setText(valor(cdsPedido, "NMFANVEN"));
    edtNmTransp->setText(valor(cdsPedido, "NMFANTTRAN"));
    edtNmRotaEntrega->setText(valor(cdsPedido, "NMROTATRANS"));

    const QJsonArray elementos = Servidor(GetPgcChange, argumentosPgcChange()).toArray();
    AtualizaFiliDest();
    Atualiza_TipoEdital();
    Atualiza_Empenho(elementos.at(GetPgcChangeResult::SaldoEmpenho));
    AtualizaTipoTrans();

    mostraPrioridade(valor(cdsPedido, "IDPRIOPED"));
    chbPedIndustria->setChecked(valor(cdsPedido, "IDPEDINDUSTRIA") == u"S");
    depDtRetirada->setDate(cdsPedido->fieldByName(QStringLiteral("DTPEDIDO")).asDate());
    depData->setDate(cdsPedido->fieldByName(QStringLiteral("DTENTPED")).asDate());
    depDtVal->setDate(cdsPedido->fieldByName(QStringLiteral("DTVALIPED")).asDate());
    mostraFrete(valor(cdsPedido, "IDPGFRETTRAN"));
    AtualizaTipoPed();
    AtualizaFormaPgto();
    edtPrcBase->setText(valor(cdsPedido, "DSPRECOBASE"));
    edtNmTipoOper->setText(valor(cdsPedido, "NMTIPOOPER"));

    carregaDetalhesDaPagina(elementos);
}

// The page's data come with the GetPgcChange answer; the taxes and charges
// totals are asked for apart.
void TfrmLanPedido::carregaDetalhesDaPagina(const QJsonArray& elementos)
{
    QWidget* page = pgcPadrao->currentWidget();
    if (page == tshItemPedido || page == tshFormaPgto) {
        CarregaItens();
        cdsItemPedidoAfterScroll();
        AtualizaFormaPgto();
        if (prazosDeOutroPedido())
            CarregaPacote(*cdsPrazoPgto, elementos.at(GetPgcChangeResult::PrazoPgto));
        VrImposEncargo();
    } else if (page == tshObservacao) {
        CarregaPacote(*cdsObser, elementos.at(GetPgcChangeResult::Observacao));
        CarregaPacote(*cdsDadosAdicPed, elementos.at(GetPgcChangeResult::DadosAdicionais));
    } else if (page == tshEncargos && paramPedido(QStringLiteral("IDLANENCARGOPED")) == u"S") {
        CarregaPacote(*cdsEncargos, elementos.at(GetPgcChangeResult::Encargos));
    } else if (page == tshTransportadora) {
        CarregaPacote(*cdsDadosEndPed, elementos.at(GetPgcChangeResult::DadosEndereco));
    }
}

void TfrmLanPedido::mostraPrioridade(const QString& idPrioPed)
{
    const std::pair<const char*, QRadioButton*> botoes[] = {
        {"0", rdbPrioritaria}, {"1", rdbUrgente}, {"2", rdbAlta}, {"3", rdbNormal}, {"4", rdbBaixa}};
    for (const auto& [codigo, botao] : botoes)
        if (idPrioPed == QLatin1String(codigo))
            botao->setChecked(true);
}

void TfrmLanPedido::mostraFrete(const QString& idPgFretTran)
{
    int indice = -1;
    for (int i = 0; i < int(std::size(fretes)); ++i)
        if (idPgFretTran == QLatin1String(fretes[i].second))
            indice = i;
    const QSignalBlocker semTroca(cmbFrete);
    cmbFrete->setCurrentIndex(indice);
}

void TfrmLanPedido::pintaNavegador(const QColor& cor)
{
    QPalette paleta = dbtNome->palette();
    paleta.setColor(QPalette::WindowText, cor.isValid() ? cor : QPalette().color(QPalette::WindowText));
    dbtNome->setPalette(paleta);
}
