// The order header as it is posted: the editors reach the record, every
// header check runs strictly, the order takes its status, a quotation that
// becomes an order must find its stock, and the items follow the header's
// new delivery date, base price and modality. A refusal shows the page of
// the field to correct with the cursor on it, and the header stays in edit
// as the clerk left it. The decisions are in rules/header_post.h.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "context.h"
#include "eventguard.h"
#include "lookupquery.h"
#include "messages.h"
#include "money.h"
#include "msgsaldoest.h"
#include "recordset.h"
#include "rules/header_post.h"
#include "screens/dbgeral.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"

#include <QSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>

using namespace LanPedido;
using namespace RegrasPedido;
using namespace Rpc::LanPedido;

namespace {

const QString qryTipoOperSql = QStringLiteral(
    "SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP, IDATUESTTPOP FROM TIPOOPERAC WHERE CDTIPOOPER = :P_CDTIPOOPER");
const QString qryPesqTipoOperSql = QStringLiteral(
    "SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP FROM TIPOOPERAC ORDER BY CDTIPOOPER");
const QString qryVd_TpEditalSql = QStringLiteral(
    "SELECT CDTIPOEDITAL, NMTIPOEDITAL FROM TIPOEDITAL WHERE CDTIPOEDITAL = :P_CDTIPOEDITAL");
const QString qryTipoEditalSql = QStringLiteral("SELECT CDTIPOEDITAL, NMTIPOEDITAL FROM TIPOEDITAL ORDER BY CDTIPOEDITAL");
const QString qryPesqTransSql = QStringLiteral("SELECT CDTIPTRANS, NMTIPTRANS FROM TIPOTRANSP WHERE CDTIPTRANS = :P_CDTIPTRANS");

// The one-row look-up by its key parameter.
std::unique_ptr<LookupQuery> procura(const char* nome, const QString& sql, const char* parametro, const QString& valor)
{
    auto qry = std::make_unique<LookupQuery>(QString::fromLatin1(nome), dtmDBGeral(), sql);
    qry->setParam(QString::fromLatin1(parametro), valor);
    qry->open();
    return qry;
}

// A percentage of one row (VRPE...), none when the row or the value is missing.
std::optional<double> percentual(const char* coluna, const char* tabela, const char* chave, const QString& valor)
{
    if (valor.isEmpty() || !isDtmDBGeralOpen())
        return std::nullopt;
    const auto qry = procura("qryMaximo", QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :P_%3").arg(QLatin1String(coluna), QLatin1String(tabela), QLatin1String(chave)),
                             (QByteArray("P_") + chave).constData(), valor);
    const ResultField campo = qry->fieldByName(QString::fromLatin1(coluna));
    if (qry->isEmpty() || campo.isNull())
        return std::nullopt;
    return campo.asFloat();
}

DataDigitada digitada(const TDateEditPlus* editor)
{
    return {editor->text(), editor->date()};
}

void grava(RecordSet* cds, const char* name, const QVariant& value)
{
    cds->fieldByName(QString::fromUtf8(name)).setValue(value);
}

// Priority buttons by the code each stores.
QString codigoPrioridade(const std::initializer_list<std::pair<QRadioButton*, const char*>>& botoes)
{
    for (const auto& [botao, codigo] : botoes)
        if (botao->isChecked())
            return QString::fromLatin1(codigo);
    return QStringLiteral("3");
}

// A code look-up shows the code and the name, with Portuguese titles.
PesquisaOpcoes colunas(const char* codigo, const char* nome, const char* titulo)
{
    PesquisaOpcoes opcoes;
    opcoes.columns = {{QString::fromLatin1(codigo), QStringLiteral("Código")}, {QString::fromLatin1(nome), QString::fromUtf8(titulo)}};
    return opcoes;
}

} // namespace

void TfrmLanPedido::ligaConferenciasDoCabecalho()
{
    depDtRetirada->onExit = [this](TDateEditPlus&) {
        if (pedidoEmEdicao())
            Vd_DataPedido(false);
    };
    depData->onExit = [this](TDateEditPlus&) {
        if (pedidoEmEdicao())
            Vd_DataEntrega(false);
    };
    dbeTipoOper->onExit = [this](DBEdit&) { Vd_TipoOper(false); };
    dbeTipoOperExit = [this] { Vd_TipoOper(false); };
    btnTipoOper->setTitle(QStringLiteral("Tipo de Operação|Não há tipo de operação cadastrado."));
    btnTipoOper->setOptions(colunas("CDTIPOOPER", "NMTIPOOPER", "Tipo de operação"));
    btnTipoOper->beforePesq = [this](TBtnPesquisa&, bool& cancel) { btnTipoOperBeforePesq(cancel); };
    btnTipoOper->afterPesq = [this](TBtnPesquisa&) { btnTipoOperAfterPesq(); };
    dbeTipoEdital->onExit = [this](DBEdit&) { Vd_TipoEital(); };
    btpTipoEdita->setTitle(QStringLiteral("Tipo Edital|Não há tipo de edital cadastrado."));
    btpTipoEdita->setOptions(colunas("CDTIPOEDITAL", "NMTIPOEDITAL", "Tipo de edital"));
    btpTipoEdita->beforePesq = [this](TBtnPesquisa& botao, bool&) {
        m_qryTipoEdital = std::make_shared<LookupQuery>(QStringLiteral("qryTipoEdital"), dtmDBGeral(), qryTipoEditalSql);
        m_qryTipoEdital->open();
        botao.setSource(m_qryTipoEdital.get());
    };
    btpTipoEdita->afterPesq = [this](TBtnPesquisa&) { btpTipoEditaAfterPesq(); };
    dbeTipoTransp->onExit = [this](DBEdit&) { Vd_CdTipTrans(false); };
}

// ---- the post ------------------------------------------------------------------------

void TfrmLanPedido::cdsPedidoBeforePost()
{
    try {
        copiaEditoresNoCabecalho();
        const bool editando = cdsPedido->state() == RecordSet::State::Edit;
        if (editando)
            VerificaSit();
        if (!itensEmEdicao())
            Vd_Geral();
        if (!depData->date().isValid() || depData->date() < primeiroDiaValido()) {
            pgcPadrao->setCurrentWidget(tshDadosPed);
            recusaCabecalho(QStringLiteral("DTENT_INV"), true, depData->text());
        }

        grava(cdsPedido, "CDROTATRANSPED", dbeRotaEntrega->text().trimmed().isEmpty() ? QVariant() : QVariant(dbeRotaEntrega->text()));
        // The modality's exit check, without putting its own terms over
        // those the clerk typed under the same modality.
        if (!cdsPrazoPgto->isEditing() && cdsPedido->state() != RecordSet::State::Insert && !m_refazendoPaginaPagamento)
            confereModalidade(false);
        guardaDataNoCabecalho(*depData, "DTENTPED");
        const Field& entrega = campo(cdsPedido, "DTENTPED");
        if (cdsPedido->state() == RecordSet::State::Insert) {
            grava(cdsPedido, "DTHRLANPED", QDateTime::currentDateTime());
            grava(cdsPedido, "CDOPELANPED", Operador());
        }

        if (!grbDtVal->isHidden())
            grava(cdsPedido, "DTVALIPED", depDtVal->date().isValid() ? QVariant(QDateTime(depDtVal->date(), QTime(0, 0))) : QVariant());
        grava(cdsPedido, "IDPRIOPED", codigoPrioridade({{rdbBaixa, "4"}, {rdbNormal, "3"}, {rdbAlta, "2"}, {rdbUrgente, "1"},
                                                        {rdbPrioritaria, "0"}}));
        Vd_PedIndustria();
        grava(cdsPedido, "IDTIPOPEDIDO", rdbPedido->isChecked() ? QStringLiteral("1") : QStringLiteral("2"));

        situacaoAoGravar();
        if (valor(cdsPedido, "IDTPFORPGTPED") == u"X")
            grava(cdsPedido, "IDTPFORPGTPED", QVariant());
        if (valor(cdsPedido, "IDTPFORPGTPED") == u"F") {
            grava(cdsPedido, "NRDIAPGFIXPED", speDiaFixo->value());
            grava(cdsPedido, "NRPARCPGTOPED", speParcela->value());
        }

        // The server tests the stored items, so also when the items page was
        // never opened; only an item being typed holds the test back.
        const Field& tipo = campo(cdsPedido, "IDTIPOPEDIDO");
        if (editando && tipo.value() != tipo.oldValue() && !itensEmEdicao())
            confereEstoqueDoPedido();

        if (editando) {
            if (itensDeOutroPedido())
                CarregaItens();
            if (entrega.value().toString() != entrega.oldValue().toString() && pgcPadrao->currentWidget() != tshItemPedido)
                MudaData(true);
            const Field& precoBase = campo(cdsPedido, "CDPRECOBASE");
            if (precoBase.value() != precoBase.oldValue())
                MudaPrcBase();
            const Field& modalidade = campo(cdsPedido, "CDMODPGTO");
            if (modalidade.value() != modalidade.oldValue() && paramPedido(QStringLiteral("IDTABPRECO")) == u"1")
                aplicaDescontoDaModalidade();
            if (paramPedido(QStringLiteral("IDUTRESELOTE")) == u"S")
                atualizaEstoqueDosItens();
        }

        stItem = valor(cdsItemPedido, "NRITEMPED");
        if (cdsPedido->state() == RecordSet::State::Insert) {
            pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshItemPedido), true);
            selecionaPagina(tshItemPedido);
        }
        dtsObser->updateRecord();   // the note's editor holds what was typed until it loses the focus
        for (RecordSet* detalhe : {cdsObser, cdsDadosAdicPed})
            if (detalhe->isEditing())
                detalhe->post();
        grava(cdsPedido, "NMRAZSOCCLIE", valor(cdsPedido, "IDORIGDESTOP") == u"L" ? valor(cdsPedido, "NMFILIAL")
                                                                                  : valor(cdsPedido, "NMFANTCLIE"));
    } catch (...) {
        setUpdatesEnabled(true);
        throw;
    }
}

// What the clerk typed reaches the record: the bound editors that still
// hold their text, and the date editors and buttons that are not bound.
void TfrmLanPedido::copiaEditoresNoCabecalho()
{
    dtsPadrao->updateRecord();
    if (!depDtRetirada->hasValidDate())
        recusaCabecalho(QStringLiteral("DT_INV"), true, depDtRetirada->text());
    grava(cdsPedido, "DTPEDIDO", depDtRetirada->date().isValid() ? QVariant(QDateTime(depDtRetirada->date(), QTime(0, 0))) : QVariant());
    const std::pair<DBEdit*, const char*> editores[] = {
        {dbePedCliente, "DSPEDCLI"}, {dbePedVendedor, "DSPEDVEN"}, {dbeTipoEdital, "CDTIPOEDITAL"},
        {dbeEmpenho, "NREMPENHO"},   {dbePrazo, "DSPRAZOENTPED"},  {dbeOrdemCompra, "NRORDEMCMPPED"},
    };
    for (const auto& [editor, nome] : editores)
        grava(cdsPedido, nome, editor->text().isEmpty() ? QVariant() : QVariant(editor->text()));
    if (cmbFrete->currentIndex() >= 0)
        grava(cdsPedido, "IDPGFRETTRAN", CodigoFrete(msgPadrao, cmbFrete->currentText()));
}

// A quotation is pending; otherwise the modality, or the branch, says how
// an order is launched. A partly served order stays so.
void TfrmLanPedido::situacaoAoGravar()
{
    QString idLancPedMod;
    const QString modalidade = dbeModPgto->text().trimmed();
    if (!modalidade.isEmpty() && isDtmDBGeralOpen()) {
        const auto qryPesqParam = procura("qryPesqParam", QStringLiteral("SELECT IDLANCPEDMOD FROM MODPGTO WHERE CDMODPGTO = :P_CDMODPGTO"),
                                          "P_CDMODPGTO", modalidade);
        idLancPedMod = qryPesqParam->fieldByName(QStringLiteral("IDLANCPEDMOD")).asString();
    }
    grava(cdsPedido, "IDSITPEDIDO", situacaoDoPedido(rdbOrcamento->isChecked(), valor(cdsPedido, "IDSITPEDIDO"), idLancPedMod,
                                                     paramPedido(QStringLiteral("IDLANCPED"))));
}

// ---- stock of a quotation that becomes an order --------------------------------------

void TfrmLanPedido::confereEstoqueDoPedido()
{
    const QJsonValue falta = Servidor(VD_ESTPED, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO"), rdbPedido->isChecked(),
                                                  valor(cdsPedido, "CDTIPOOPER")});
    const QJsonArray elementos = falta.toArray();
    if (paramPedido(QStringLiteral("IDTESTAEST")) == u"2" && !falta.isNull()) {
        using namespace VD_ESTPEDResult;
        const QString chave = elementos.at(Chave).toString();
        if (chave == u"QUANT_PROD")
            mostraFaltaDoPedido(elementos);
        if (chave == u"QUANT_PROD_ARRED")
            MensErro(FormatMsg(texto(chave), {brLocale().toString(elementos.at(ArredQuantidade).toDouble(), 'f', 3),
                                              elementos.at(ArredProduto).toString(),
                                              brLocale().toString(elementos.at(ArredDisponivel).toDouble(), 'f', 3)}),
                     true);
        return;
    }
    if (rdbPedido->isChecked() && paramPedido(QStringLiteral("IDUTRESELOTE")) == u"S" && !elementos.isEmpty()
        && msgPadrao.ShowMsg(QStringLiteral("PROD_SEM_QT_RES"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        throw Abort();
}

// The item short of stock as the stock-balance dialog shows it. What is
// available leaves out the other quotations as the item post does, and the
// difference is that item's own.
void TfrmLanPedido::mostraFaltaDoPedido(const QJsonArray& falta)
{
    using namespace VD_ESTPEDResult;
    const auto numero = [&](Element elemento) { return falta.at(elemento).toDouble(); };
    abreFaltaEstoque({falta.at(CdProduto).toString(), falta.at(CdArvProd).toString(), falta.at(NmProduto).toString(),
                      falta.at(SgUnidade).toString()},
                     RegrasPedido::figurasDaFalta(numero(QtEstoque), numero(QtPedido), numero(QtPedAtual), numero(QtOrcaPed),
                                                  numero(QtSolicitada)));
    throw Abort();
}

// ---- what the header's changes mean for the items ----------------------------------------

// Items above both the customer's and the seller's maximum take the larger
// maximum, held to the new modality's discount; the clerk is asked once.
void TfrmLanPedido::aplicaDescontoDaModalidade()
{
    const std::optional<double> cliente = percentual("VRPEMAXDESCL", "CLIENTE", "CDCLIENTE", valor(cdsPedido, "CDCLIENTE"));
    const std::optional<double> vendedor = percentual("VRPEMAXDESVE", "VENDEDOR", "CDVENDEDOR", valor(cdsPedido, "CDVENDEDOR"));
    const std::optional<double> modalidade = percentual("VRPEDESMODPG", "MODPGTO", "CDMODPGTO", valor(cdsPedido, "CDMODPGTO"));
    const std::optional<double> permitido = descontoPermitidoNaModalidade(cliente, vendedor, modalidade);
    RecordSet& itens = *cdsItemPedido;
    if (!temLinhas(&itens))
        return;
    const QString atual = valor(&itens, "NRITEMPED");
    EventDetach semAntesPost(itens.beforePost);
    EventDetach semDepoisPost(itens.afterPost);
    EventDetach semScroll(itens.afterScroll);
    ControlsFreeze congelado(itens);
    const auto volta = qScopeGuard([&] { itens.locate(QStringLiteral("NRITEMPED"), QVariant(atual)); });
    for (itens.first(); !itens.eof(); itens.next()) {
        const bool semPromocao = campo(&itens, "IDPRECOPROM").isNull();
        const bool acima = permitido && acimaDosMaximos(numero(&itens, "PERDESC"), cliente, vendedor);
        if (!semPromocao && !acima)
            continue;
        if (acima && boMens) {
            if (msgPadrao.ShowMsg(QStringLiteral("Per_Max"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
                throw Abort();
            boMens = false;
        }
        itens.edit();
        if (semPromocao)
            grava(&itens, "IDPRECOPROM", QStringLiteral("N"));
        if (acima)
            grava(&itens, "VRDESITPED", RoundDec(numero(&itens, "QTITEMPED") * numero(&itens, "VRPREUNITPED") * *permitido / 100, 2));
        itens.post();
    }
}

// Under lot reservation each item's stock is read again; what it shows is
// the items page's to load when it scrolls.
void TfrmLanPedido::atualizaEstoqueDosItens()
{
    RecordSet& itens = *cdsItemPedido;
    if (!temLinhas(&itens))
        return;
    // Reservations the clerk typed travel with the confirmation; loading the
    // stored positions over them would drop them unsaid.
    if (cdsPosiEstoq->isActive() && (cdsPosiEstoq->isEditing() || cdsPosiEstoq->hasChanges()))
        return;
    // Moving through the items would post the one being typed, from inside
    // the walk whose way back must not fail: it is posted first, where a
    // refusal stops the post of the order as any other.
    if (itens.isEditing())
        itens.post();
    const QString atual = valor(&itens, "NRITEMPED");
    EventDetach semScroll(itens.afterScroll);
    ControlsFreeze congelado(itens);
    const auto volta = qScopeGuard([&] {
        itens.locate(QStringLiteral("NRITEMPED"), QVariant(atual));
        cdsLoteUtil->close();
        cdsPosiEstoq->close();
    });
    for (itens.first(); !itens.eof(); itens.next()) {
        if (valor(&itens, "CDPRODUTO").isEmpty())
            continue;
        const QString situacao = valor(&itens, "IDSITITEMPED");
        const QJsonArray estoque = Servidor(GetAtuItemPed, {medCdFilial->text(), valor(cdsPedido, "NRPEDIDO"), valor(&itens, "NRITEMPED"),
                                                            valor(&itens, "CDPRODUTO"), valor(&itens, "CDPRODESTO"), situacao})
                                       .toArray();
        RecordSet* destino = situacao == u"4" ? cdsLoteUtil : cdsPosiEstoq;
        CarregaPacote(*destino, estoque.at(GetAtuItemPedResult::PosicaoEstoque));
        dtsPosiEstoq->setDataSet(destino);
    }
}

// ---- the general check --------------------------------------------------------------------

// The modality is applied again only when its editor holds a code the
// record does not have yet: applied again, it would put the modality's own
// terms and fixed day over those the clerk typed.
void TfrmLanPedido::confereModalidade(bool Consist)
{
    const QString digitado = dbeModPgto->text().trimmed();
    if (digitado.isEmpty() || Ajusta(digitado, 5) != valor(cdsPedido, "CDMODPGTO"))
        Vd_CdModPgto(Consist);
}

void TfrmLanPedido::naPagina(QWidget* pagina, QWidget* campo, const std::function<void()>& confere)
{
    try {
        confere();
    } catch (...) {
        if (pgcPadrao->currentWidget() != pagina)
            pgcPadrao->setCurrentWidget(pagina);
        if (campo->isEnabled() && !campo->isHidden())
            campo->setFocus();
        throw;
    }
}

void TfrmLanPedido::recusaCabecalho(const QString& chave, bool citaTexto, const QString& textoDigitado)
{
    if (const std::optional<LugarDaMensagem> lugar = lugarDaMensagem(chave, valor(cdsPedido, "IDSITPEDIDO"))) {
        auto* pagina = pgcPadrao->findChild<QWidget*>(QString::fromLatin1(lugar->pagina));
        auto* editor = pgcPadrao->findChild<QWidget*>(QString::fromLatin1(lugar->campo));
        if (pagina && pgcPadrao->currentWidget() != pagina)
            pgcPadrao->setCurrentWidget(pagina);
        if (editor && editor->isEnabled())
            editor->setFocus();
    }
    const QString mensagem = citaTexto ? u'\'' + textoDigitado + QStringLiteral("' ") + texto(chave) : texto(chave);
    MensErro(mensagem, true);
    throw Abort();   // MensErro with the abort flag does not return
}

void TfrmLanPedido::Vd_Geral()
{
    // A field left with the cursor in it has not run its exit check yet.
    QWidget* foco = focusWidget();
    if (foco == depDtRetirada)
        Vd_DataPedido(false);
    else if (foco == dbeCliente)
        dbeClienteExit();
    else if (foco == dbeVendedor)
        dbeVendedorExit();
    else if (foco == depData)
        Vd_DataEntrega(false);
    else if (foco == dbeModPgto)
        dbeModPgtoExit();
    else if (foco == dbeTransp)
        Vd_Transport();
    else if (foco == dbeRotaEntrega && dbeRotaEntrega->onExit)
        dbeRotaEntrega->onExit(*dbeRotaEntrega);
    else if (foco == dbeFiliDest)
        Vd_FilialDest(false);

    if (itensEmEdicao()) {
        Vd_CdProduto(true, false);
        Vd_Quantidade(true);
        Vd_Preco(true);
    }
    naPagina(tshDadosPed, dbeCliente, [this] { Vd_Cliente(true, false); });
    naPagina(tshDadosPed, dbeVendedor, [this] { Vd_Vendedor(true); });
    if (paramPedido(QStringLiteral("IDOBRTPOPPED")) == u"S")
        Vd_TipoOper(true);
    naPagina(tshDadosPed, dbeFiliDest, [this] { Vd_FilialDest(true); });
    Vd_PrcBase(true);
    Vd_TipoEital();
    naPagina(tshDadosPed, dbeEmpenho, [this] { Vd_Empenho(); });
    Vd_DataPedido(true);
    Vd_DataEntrega(true);
    Vd_Data();
    if (!grbDtVal->isHidden())
        if (const std::optional<RecusaData> recusa = confereValidade(digitada(depDtVal), depDtRetirada->date()))
            naPagina(tshDadosPed, depDtVal, [&] { recusaCabecalho(recusa->chave, recusa->citaTexto, depDtVal->text()); });
    naPagina(tshFormaPgto, dbeModPgto, [this] { confereModalidade(true); });
    naPagina(tshFormaPgto, speDiaFixo, [this] { Vd_DiaFixo(true); });
    const bool transporteObrigatorio = paramPedido(QStringLiteral("IDOBRINFTRAN")) == u"2" && rdbPedido->isChecked();
    naPagina(tshTransportadora, dbeTransp, [this] { Vd_Transport(); });
    Vd_CdTipTrans(transporteObrigatorio);
}

// ---- dates ------------------------------------------------------------------------------

void TfrmLanPedido::Vd_DataPedido(bool Consist)
{
    const std::optional<RecusaData> recusa = confereDataPedido(digitada(depDtRetirada), QDateTime::currentDateTime(), Consist);
    if (!recusa) {
        guardaDataNoCabecalho(*depDtRetirada, "DTPEDIDO");
        return;
    }
    revalidaPaginaDaData();
    if (!depDtRetirada->isEmpty() && !depData->isEmpty() && !dbeCliente->text().trimmed().isEmpty()
        && !dbeVendedor->text().trimmed().isEmpty()) {
        naPagina(tshDadosPed, dbeCliente, [this] { Vd_Cliente(true, false); });
        naPagina(tshDadosPed, dbeVendedor, [this] { Vd_Vendedor(true); });
    }
    recusaCabecalho(recusa->chave, recusa->citaTexto, depDtRetirada->text());
}

void TfrmLanPedido::Vd_DataEntrega(bool Consist)
{
    const std::optional<RecusaData> recusa = confereDataEntrega(digitada(depData), QDate::currentDate(),
                                                                Consist && pedidoEmEdicao());
    if (recusa) {
        revalidaPaginaDaData();
        if (depDtRetirada->isEmpty() || depData->isEmpty()) {
            // The customer and seller refuse in their own way; the date's
            // refusal is the one that travels on.
            try {
                Vd_Cliente(false, false);
                Vd_Vendedor(false);
            } catch (const std::exception&) {
            }
        }
        if (recusa->chave == u"DTENT_DTATU")
            panDadosGerais->setEnabled(true);
        const QString situacao = valor(cdsPedido, "IDSITPEDIDO");
        if (situacao == u"1" || situacao == u"2" || cdsPedido->state() == RecordSet::State::Insert) {
            EventDetach semMudanca(onDataChange);
            EventDetach semSaida(depData->onExit);
            depData->setFocus();
        }
        recusaCabecalho(recusa->chave, recusa->citaTexto, depData->text());
    }
    if (cdsItemPedido->state() == RecordSet::State::Insert) {
        // A new item follows a delivery day typed for the order, at its own hour.
        Field& entregaItem = campo(cdsItemPedido, "DTENTITPED");
        const QDate dia = depData->date();
        if (dia.isValid() && dia != campo(cdsPedido, "DTENTPED").asDateTime().date() && !entregaItem.isNull())
            entregaItem.setValue(QDateTime(dia, entregaItem.asDateTime().time()));
        const QString prazo = dbePrazo->text();
        if (!valor(cdsPedido, "DSPRAZOENTPED").isEmpty() && prazo != valor(cdsPedido, "DSPRAZOENTPED"))
            grava(cdsPedido, "DSPRAZOENTPED", prazo);
    }
    guardaDataNoCabecalho(*depData, "DTENTPED");
}

// A date the clerk leaves in its editor is the order's at once, as the
// commitment and the industry flag are: a page shown again reads the
// order, and would otherwise show the date from before the typing.
void TfrmLanPedido::guardaDataNoCabecalho(const TDateEditPlus& editor, const char* nome)
{
    if (!pedidoEmEdicao() || !editor.date().isValid())
        return;
    Field& data = campo(cdsPedido, nome);
    if (data.isNull() || data.asDateTime().date() != editor.date())
        data.setValue(QDateTime(editor.date(), data.isNull() ? QTime(0, 0) : data.asDateTime().time()));
}

// A date refused while another page shows: that page's own checks run
// without strictness, and the general page comes to the front without the
// exit checks of the modality, carrier and transport type running again.
void TfrmLanPedido::revalidaPaginaDaData()
{
    QWidget* pagina = pgcPadrao->currentWidget();
    if (pagina == tshDadosPed)
        return;
    try {
        if (pagina == tshFormaPgto) {
            confereModalidade(false);
            Vd_DiaFixo(false);
        } else if (pagina == tshTransportadora) {
            Vd_Transport();
            Vd_CdTipTrans(false);
        }
    } catch (const std::exception&) {
        // The date's refusal is the one that travels on.
    }
    EventDetach semSaidaModalidade(dbeModPgto->onExit);
    EventDetach semSaidaTransp(dbeTransp->onExit);
    EventDetach semSaidaTipoTransp(dbeTipoTransp->onExit);
    selecionaPagina(tshDadosPed);
}

void TfrmLanPedido::Vd_Data()
{
    const std::optional<RecusaData> recusa = confereDatas(digitada(depDtRetirada), digitada(depData));
    if (!recusa)
        return;
    selecionaPagina(tshDadosPed);
    recusaCabecalho(recusa->chave);
}

// ---- operation type, tender type, transport type --------------------------------------

void TfrmLanPedido::Vd_TipoOper(bool Consist)
{
    if (!pedidoEmEdicao())
        return;
    const QString anterior = campo(cdsPedido, "CDTIPOOPER").oldValue().toString();
    const QString digitado = dbeTipoOper->text().trimmed();
    if (digitado.isEmpty()) {
        if (Consist)
            recusaCabecalho(QStringLiteral("TipoOper_Deve"));
        return;
    }
    const QString codigo = Ajusta(digitado, 2);
    grava(cdsPedido, "CDTIPOOPER", codigo);
    const auto qryTipoOper = procura("qryTipoOper", qryTipoOperSql, "P_CDTIPOOPER", codigo);
    if (qryTipoOper->isEmpty())
        recusaCabecalho(QStringLiteral("TipoOper_Nc"));
    for (const char* nome : {"NMTIPOOPER", "IDENTRSAIDOP", "IDORIGDESTOP"})
        grava(cdsPedido, nome, qryTipoOper->fieldByName(QString::fromLatin1(nome)).value());
    edtNmTipoOper->setText(valor(cdsPedido, "NMTIPOOPER"));
    if (cdsPedido->state() == RecordSet::State::Edit && codigo != anterior && ChamaRotaEntrega)
        ChamaRotaEntrega();
}

void TfrmLanPedido::btnTipoOperBeforePesq(bool&)
{
    m_qryPesqTipoOper = std::make_shared<LookupQuery>(QStringLiteral("qryPesqTipoOper"), dtmDBGeral(), qryPesqTipoOperSql);
    m_qryPesqTipoOper->open();
    btnTipoOper->setSource(m_qryPesqTipoOper.get());
}

void TfrmLanPedido::btnTipoOperAfterPesq()
{
    if (!pedidoEmEdicao())
        cdsPedido->edit();
    for (const char* nome : {"CDTIPOOPER", "NMTIPOOPER", "IDORIGDESTOP", "IDENTRSAIDOP"})
        grava(cdsPedido, nome, m_qryPesqTipoOper->fieldByName(QString::fromLatin1(nome)).value());
    edtNmTipoOper->setText(valor(cdsPedido, "NMTIPOOPER"));
}

void TfrmLanPedido::Vd_TipoEital()
{
    const QString digitado = dbeTipoEdital->text().trimmed();
    if (digitado.isEmpty()) {
        edtNmTipoEdital->clear();
        return;
    }
    const QString codigo = Ajusta(digitado, 3);
    if (pedidoEmEdicao())
        grava(cdsPedido, "CDTIPOEDITAL", codigo);
    const auto qryVd_TpEdital = procura("qryVd_TpEdital", qryVd_TpEditalSql, "P_CDTIPOEDITAL", codigo);
    if (qryVd_TpEdital->isEmpty())
        recusaCabecalho(QStringLiteral("TIPO_N_CAD"));
    edtNmTipoEdital->setText(qryVd_TpEdital->fieldByName(QStringLiteral("NMTIPOEDITAL")).asString());
}

void TfrmLanPedido::Atualiza_TipoEdital()
{
    const QString codigo = valor(cdsPedido, "CDTIPOEDITAL").trimmed();
    if (codigo.isEmpty() || !isDtmDBGeralOpen()) {
        edtNmTipoEdital->clear();
        return;
    }
    edtNmTipoEdital->setText(procura("qryVd_TpEdital", qryVd_TpEditalSql, "P_CDTIPOEDITAL", codigo)
                                 ->fieldByName(QStringLiteral("NMTIPOEDITAL")).asString());
}

void TfrmLanPedido::btpTipoEditaAfterPesq()
{
    if (!pedidoEmEdicao())
        cdsPedido->edit();
    grava(cdsPedido, "CDTIPOEDITAL", m_qryTipoEdital->fieldByName(QStringLiteral("CDTIPOEDITAL")).asString());
    edtNmTipoEdital->setText(m_qryTipoEdital->fieldByName(QStringLiteral("NMTIPOEDITAL")).asString());
}

void TfrmLanPedido::Vd_CdTipTrans(bool Consist)
{
    const QString digitado = dbeTipoTransp->text().trimmed();
    if (digitado.isEmpty()) {
        edtNmTipoTransp->clear();
        if (Consist)
            recusaCabecalho(QStringLiteral("CDTIPTRANS_NULO"));
        return;
    }
    const QString codigo = Ajusta(digitado, 4);
    if (pedidoEmEdicao())
        grava(cdsPedido, "CDTIPTRANS", codigo);
    const auto qryPesqTrans = procura("qryPesqTrans", qryPesqTransSql, "P_CDTIPTRANS", codigo);
    if (qryPesqTrans->isEmpty())
        recusaCabecalho(QStringLiteral("CD_NAO_CAD"));
    edtNmTipoTransp->setText(qryPesqTrans->fieldByName(QStringLiteral("NMTIPTRANS")).asString());
}

void TfrmLanPedido::AtualizaTipoTrans()
{
    const QString codigo = valor(cdsPedido, "CDTIPTRANS").trimmed();
    if (codigo.isEmpty() || !isDtmDBGeralOpen()) {
        edtNmTipoTransp->clear();
        return;
    }
    edtNmTipoTransp->setText(procura("qryPesqTrans", qryPesqTransSql, "P_CDTIPTRANS", codigo)
                                 ->fieldByName(QStringLiteral("NMTIPTRANS")).asString());
}

// ---- until their own topics ----------------------------------------------------------------

void TfrmLanPedido::Vd_Empenho()
{
    if (pedidoEmEdicao())
        grava(cdsPedido, "NREMPENHO", dbeEmpenho->text().trimmed().isEmpty() ? QVariant() : QVariant(dbeEmpenho->text()));
}

void TfrmLanPedido::Vd_PedIndustria()
{
    grava(cdsPedido, "IDPEDINDUSTRIA", chbPedIndustria->isChecked() ? QStringLiteral("S") : QStringLiteral("N"));
}
