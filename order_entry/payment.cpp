// The payment page: the modality and the payment type it sets, the
// fixed-day settings, the terms grid and its checks, the automatic
// installments, and the terms sent to the server.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "busy.h"
#include "eventguard.h"
#include "guard.h"
#include "lookupquery.h"
#include "messages.h"
#include "netconnection.h"
#include "recordset.h"
#include "rules/payment.h"
#include "screens/dbgeral.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

using namespace LanPedido;
using namespace Rpc::LanPedido;

namespace {

const QString qryPesqModSql = QStringLiteral(
    "SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, IDUTDIAPAGMOD, VRPEDESMODPG, NRPARCPGTOMOD,"
    " NRDIAPGFIXMOD, IDLANCPEDMOD FROM MODPGTO WHERE (CDMODPGTO = :P_CDMODPGTO) ORDER BY CDMODPGTO");
const QString qryModPgtoSql = QStringLiteral(
    "SELECT CDMODPGTO, DSMODPGTO, CDFORMPGTO, IDTPFORPGTOMOD, IDUTDIAPAGMOD, NRPARCPGTOMOD, NRDIAPGFIXMOD"
    " FROM MODPGTO ORDER BY CDMODPGTO");
const QString qryFormaPgtSql = QStringLiteral(
    "SELECT CDFORMPGTO, NMFORMPGTO FROM FORMPGTO WHERE (CDFORMPGTO = :P_CDFORMPGTO) ORDER BY CDFORMPGTO");

const QString AVista = QStringLiteral("X");
const QString DiaFixo = QStringLiteral("F");
const QString PelaForma = QStringLiteral("V");

std::optional<double> numeroDoTexto(const QString& texto)
{
    double valor = 0;
    if (texto.trimmed().isEmpty() || !FieldText::parseNumber(texto.trimmed(), &valor))
        return std::nullopt;
    return valor;
}

// A spin edit at 0 is empty.
std::optional<int> valorDoSpin(const QSpinBox* spin)
{
    return spin->value() == 0 ? std::nullopt : std::optional<int>(spin->value());
}

void mostraNoSpin(QSpinBox* spin, int valor)
{
    const QSignalBlocker semTroca(spin);
    spin->setValue(valor);
}

} // namespace

// A modality as a look-up row gives it.
struct TfrmLanPedido::ModalidadePagamento {
    QString descricao;
    QString formaPgto;
    QString tipo;
    QString proximoMes;
    double parcelas = 0;
    double diaFixo = 0;

    static ModalidadePagamento de(const LookupQuery& query)
    {
        auto texto = [&](const char* name) { return query.fieldByName(QString::fromUtf8(name)).asString(); };
        auto numero = [&](const char* name) { return query.fieldByName(QString::fromUtf8(name)).asFloat(); };
        return {texto("DSMODPGTO"), texto("CDFORMPGTO").trimmed(), texto("IDTPFORPGTOMOD"), texto("IDUTDIAPAGMOD"),
                numero("NRPARCPGTOMOD"), numero("NRDIAPGFIXMOD")};
    }
};

// ---- wiring -----------------------------------------------------------------------

void TfrmLanPedido::ligaPagamento()
{
    dbeModPgto->onExit = [this](DBEdit&) { dbeModPgtoExit(); };
    dbeModPgto->onChange = [this](DBEdit&) { dbeModPgtoChange(); };
    btnModPgto->setTitle(QStringLiteral("Modalidade de Pagamento|Não há modalidade de pagamento cadastrada."));
    PesquisaOpcoes modalidades;
    modalidades.columns = {{QStringLiteral("CDMODPGTO"), QStringLiteral("Código")},
                           {QStringLiteral("DSMODPGTO"), QStringLiteral("Descrição")}};
    btnModPgto->setOptions(modalidades);
    btnModPgto->beforePesq = [this](TBtnPesquisa& button, bool& cancel) {
        btnModPgtoBeforePesq(cancel);
        if (!cancel)
            button.setSource(m_qryModPgto.get());
    };
    btnModPgto->afterPesq = [this](TBtnPesquisa&) { btnModPgtoAfterPesq(); };

    dbgPrazoPg->onKeyPress = [this](DBGrid&, QChar& key) { dbgPrazoPgKeyPress(key); };
    dbgPrazoPg->onColExit = [this](DBGrid&) { dbgPrazoPgColExit(); };
    dbgPrazoPg->onExit = [this](DBGrid&) { dbgPrazoPgExit(); };
    cdsPrazoPgto->beforeInsert = [this](RecordSet&) { cdsPrazoPgtoBeforeInsert(); };
    cdsPrazoPgto->afterInsert = [this](RecordSet&) { cdsPrazoPgtoAfterInsert(); };
    cdsPrazoPgto->beforeEdit = [this](RecordSet&) { cdsPrazoPgtoBeforeEdit(); };
    cdsPrazoPgto->beforeScroll = [this](RecordSet&) { cdsPrazoPgtoBeforeScroll(); };
    cdsPrazoPgto->afterDelete = [this](RecordSet&) { cdsPrazoPgtoAfterDelete(); };
    dtsPrazoPgto->onStateChange = [this](DataSource&) { dtsPrazoPgtoStateChange(); };

    connectGuarded(speDiaFixo, &QSpinBox::valueChanged, this, [this] { speDiaFixoChange(); });
    connectGuarded(speDiaFixo, &QSpinBox::editingFinished, this, [this] { Vd_DiaFixo(false); });
    connectGuarded(sbtGeraParcAutomatico, &QToolButton::clicked, this, &TfrmLanPedido::sbtGeraParcAutomaticoClick);
    connectGuarded(lblGerarParcelas, &QLabel::linkActivated, this, [this] { lblGerarParcelasClick(); });
    for (QWidget* controle : std::initializer_list<QWidget*>{speDiaFixo, speParcela, lblCom, lblParcelas, lblParenteses, dckProxMes})
        controle->setEnabled(false);
    dckProxMes->setAttribute(Qt::WA_TransparentForMouseEvents);
}

// The payment page shown: its controls as the order stands, and the
// automatic installments where the branch lets the terms be edited.
void TfrmLanPedido::mostraPaginaPagamento()
{
    FormPgto();
    const bool prazosEditaveis = paramPedido(QStringLiteral("IDALTFORMAPAG")) == u"S";
    for (QWidget* automatico : std::initializer_list<QWidget*>{grbParcAutomatico, sbtGeraParcAutomatico, lblGerarParcelas})
        automatico->setVisible(prazosEditaveis);
}

// ---- modality ---------------------------------------------------------------------

void TfrmLanPedido::dbeModPgtoExit()
{
    if (pedidoEmEdicao() && !m_refazendoPaginaPagamento)
        Vd_CdModPgto(false);
}

// Steps shared by the typed and the picked modality: its description, type,
// fixed-day settings and payment form.
void TfrmLanPedido::aplicaModalidade(const ModalidadePagamento& modalidade)
{
    edtModPgto->setText(modalidade.descricao);
    campo(cdsPedido, "DSMODPGTO").setValue(modalidade.descricao);
    campo(cdsPedido, "IDTPFORPGTPED").setValue(modalidade.tipo);
    drgFormPgtoClick();
    if (modalidade.tipo == DiaFixo) {
        campo(cdsPedido, "NRDIAPGFIXPED").setValue(modalidade.diaFixo);
        mostraNoSpin(speDiaFixo, int(modalidade.diaFixo));
        campo(cdsPedido, "NRPARCPGTOPED").setValue(modalidade.parcelas);
        mostraNoSpin(speParcela, int(modalidade.parcelas));
        campo(cdsPedido, "IDUTDIAPAGPED").setValue(modalidade.proximoMes);
        dckProxMes->setChecked(modalidade.proximoMes == u"E");
    }
    if (modalidade.formaPgto.isEmpty())
        campo(cdsPedido, "CDFORMPGTO").clear();
    else
        campo(cdsPedido, "CDFORMPGTO").setValue(modalidade.formaPgto);
    AtualizaFormaPgto();
    if (DBGridColumn* parcela = dbgPrazoPg->columnByField(QStringLiteral("VRPARCELA")))
        parcela->setVisible(false);
}

// The modality's default terms in place of the order's: days, percentage and
// forecast of each, in the modality's order. Without default terms the
// order's terms stay unless `mesmoSemPrazos`, which leaves none.
void TfrmLanPedido::carregaPrazosDaModalidade(const QString& codigo, bool mesmoSemPrazos)
{
    CarregaPacote(*cdsPrazoMod, Servidor(GetPrazoMod, {codigo}));
    if (!temLinhas(cdsPrazoMod) && !mesmoSemPrazos)
        return;
    EventDetach semEstado(dtsPrazoPgto->onStateChange);
    EventDetach semAntesDeIncluir(cdsPrazoPgto->beforeInsert);
    EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
    apagaPrazos();
    for (cdsPrazoMod->first(); !cdsPrazoMod->eof(); cdsPrazoMod->next()) {
        cdsPrazoPgto->append();
        campo(cdsPrazoPgto, "NRDIASPGTOPED").setValue(campo(cdsPrazoMod, "NRDIASMODPGTO").value());
        campo(cdsPrazoPgto, "VRPERCPGTOPED").setValue(campo(cdsPrazoMod, "VRPERCMODPGTO").value());
        campo(cdsPrazoPgto, "PREVISAO").setValue(campo(cdsPrazoMod, "DTPREVISAO").value());
        cdsPrazoPgto->post();
    }
    cdsPrazoPgto->first();
}

// Every term row goes, a row being typed in first (handlers as the caller left them).
void TfrmLanPedido::apagaPrazos()
{
    // The terms' fields are declared: an empty table needs no packet.
    if (!cdsPrazoPgto->isActive()) {
        cdsPrazoPgto->createDataSet();
        return;
    }
    EventDetach semAposApagar(cdsPrazoPgto->afterDelete);
    if (cdsPrazoPgto->isEditing())
        cdsPrazoPgto->cancel();
    while (!cdsPrazoPgto->isEmpty()) {
        cdsPrazoPgto->first();
        cdsPrazoPgto->deleteRecord();
    }
}

void TfrmLanPedido::Vd_CdModPgto(bool Consist)
{
    try {
        const QString digitado = dbeModPgto->text().trimmed();
        if (digitado.isEmpty()) {
            if (Consist)
                MensErro(texto(paramPedido(QStringLiteral("IDALTMODPAG")) == u"S" ? QStringLiteral("MODPGT")
                                                                                  : QStringLiteral("MOD_INF_PARAM")),
                         true);
            return;
        }
        if (!pedidoEmEdicao())
            return;
        {
            const QScopedValueRollback aplicando(m_aplicandoModalidade, true);
            campo(cdsPedido, "CDMODPGTO").setValue(Ajusta(digitado, 5));
        }
        LookupQuery qryPesqMod(QStringLiteral("qryPesqMod"), dtmDBGeral(), qryPesqModSql);
        qryPesqMod.setParam(QStringLiteral("P_CDMODPGTO"), valor(cdsPedido, "CDMODPGTO"));
        qryPesqMod.open();
        if (qryPesqMod.isEmpty())
            MensErro(texto(QStringLiteral("MODPGT_INV")), true);
        const ModalidadePagamento modalidade = ModalidadePagamento::de(qryPesqMod);
        aplicaModalidade(modalidade);
        // The modality's terms come into an order that has none (typing
        // another modality removes them); terms the clerk set or generated
        // stay, also when the confirmation checks the modality again.
        if (modalidade.tipo == PelaForma && !temLinhas(cdsPrazoPgto))
            carregaPrazosDaModalidade(valor(cdsPedido, "CDMODPGTO"), false);
    } catch (...) {
        refazPaginaPagamento();
        if (dbeModPgto->isEnabled() && dbeModPgto->isVisible())
            dbeModPgto->setFocus();
        throw;
    }
}

// A failed check shows the payment page as the page change leaves it; the
// modality is not checked again meanwhile.
void TfrmLanPedido::refazPaginaPagamento()
{
    const QScopedValueRollback refazendo(m_refazendoPaginaPagamento, true);
    selecionaPagina(tshFormaPgto);
}

void TfrmLanPedido::btnModPgtoBeforePesq(bool&)
{
    // Read anew for every look-up.
    auto qryModPgto = std::make_shared<LookupQuery>(QStringLiteral("qryModPgto"), dtmDBGeral(), qryModPgtoSql);
    qryModPgto->open();
    m_qryModPgto = qryModPgto;
}

void TfrmLanPedido::btnModPgtoAfterPesq()
{
    if (cdsPedido->state() == RecordSet::State::Browse)
        cdsPedido->edit();
    EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
    const QString codigo = m_qryModPgto->fieldByName(QStringLiteral("CDMODPGTO")).asString();
    {
        const QScopedValueRollback aplicando(m_aplicandoModalidade, true);
        campo(cdsPedido, "CDMODPGTO").setValue(codigo);
    }
    const ModalidadePagamento modalidade = ModalidadePagamento::de(*m_qryModPgto);
    aplicaModalidade(modalidade);
    if (modalidade.tipo == PelaForma)
        carregaPrazosDaModalidade(codigo, true);
}

// A modality typed anew: what the old one set no longer holds.
void TfrmLanPedido::dbeModPgtoChange()
{
    if (m_aplicandoModalidade || !cdsPedido->isActive())
        return;
    const RecordSet::State estado = cdsPedido->state();
    const Field& modalidade = campo(cdsPedido, "CDMODPGTO");
    if (estado != RecordSet::State::Insert
        && !(estado == RecordSet::State::Edit && dbeModPgto->text() != modalidade.oldValue().toString()))
        return;
    if (DBGridColumn* parcela = dbgPrazoPg->columnByField(QStringLiteral("VRPARCELA")))
        parcela->setVisible(false);
    edtModPgto->clear();
    if (valor(cdsPedido, "IDTPFORPGTPED") == PelaForma) {
        // The form's code follows the modality when the editor is left: a
        // field written now would show the row again over the typed text.
        edtFormPgto->clear();
        EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
        EventDetach semEstado(dtsPrazoPgto->onStateChange);
        if (cdsPrazoPgto->isActive())
            apagaPrazos();
    } else {
        mostraNoSpin(speDiaFixo, 0);
        mostraNoSpin(speParcela, 0);
        dckProxMes->setChecked(false);
    }
}

// ---- payment type -------------------------------------------------------------------

void TfrmLanPedido::mostraTipoPagamento()
{
    const QString tipo = valor(cdsPedido, "IDTPFORPGTPED");
    rbtAVista->setChecked(tipo.isEmpty() || tipo == AVista);
    rbtDiaFixo->setChecked(tipo == DiaFixo);
    rbtPelaForma->setChecked(tipo == PelaForma);
}

// The fixed-day controls cleared and disabled (cash and terms).
void TfrmLanPedido::limpaDiaFixo()
{
    mostraNoSpin(speDiaFixo, 0);
    mostraNoSpin(speParcela, 0);
    for (QWidget* controle : std::initializer_list<QWidget*>{speDiaFixo, speParcela, lblCom, lblParcelas, lblParenteses, dckProxMes})
        controle->setEnabled(false);
}

// The fixed day is typed; the number of installments and the next month
// come with the modality.
void TfrmLanPedido::habilitaDiaFixo()
{
    for (QWidget* controle : std::initializer_list<QWidget*>{speDiaFixo, lblCom, lblParcelas, lblParenteses})
        controle->setEnabled(true);
    speParcela->setEnabled(false);
    dckProxMes->setEnabled(false);
}

void TfrmLanPedido::drgFormPgtoClick()
{
    if (!pedidoEmEdicao())
        return;
    EventDetach semAposApagar(cdsPrazoPgto->afterDelete);
    const QString tipo = valor(cdsPedido, "IDTPFORPGTPED");
    if (tipo == PelaForma) {
        limpaDiaFixo();
        campo(cdsPedido, "NRDIAPGFIXPED").clear();
        campo(cdsPedido, "NRPARCPGTOPED").clear();
    } else if (tipo == DiaFixo) {
        mostraNoSpin(speDiaFixo, 1);
        campo(cdsPedido, "NRDIAPGFIXPED").setValue(1);
        mostraNoSpin(speParcela, 1);
        campo(cdsPedido, "NRPARCPGTOPED").setValue(1);
        habilitaDiaFixo();
    } else {
        limpaDiaFixo();
        campo(cdsPedido, "NRDIAPGFIXPED").clear();
        campo(cdsPedido, "NRPARCPGTOPED").clear();
    }
    campo(cdsPedido, "IDUTDIAPAGPED").setValue(QStringLiteral("I"));
    dckProxMes->setChecked(false);
    campo(cdsPedido, "CDFORMPGTO").clear();
    edtFormPgto->clear();
    dbgPrazoPg->setVisible(tipo == PelaForma);
    if (tipo == PelaForma) {
        EventDetach semSaidaDeColuna(dbgPrazoPg->onColExit);
        dbgPrazoPg->setSelectedIndex(0);
    } else {
        // Cash and fixed-day orders carry no terms of their own.
        EventDetach semEstado(dtsPrazoPgto->onStateChange);
        EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
        if (cdsPrazoPgto->isActive())
            apagaPrazos();
    }
    mostraTipoPagamento();
}

void TfrmLanPedido::FormPgto()
{
    const QString tipo = valor(cdsPedido, "IDTPFORPGTPED");
    mostraTipoPagamento();
    dckProxMes->setChecked(valor(cdsPedido, "IDUTDIAPAGPED") == u"E");
    if (tipo == DiaFixo) {
        mostraNoSpin(speDiaFixo, int(numero(cdsPedido, "NRDIAPGFIXPED")));
        mostraNoSpin(speParcela, int(numero(cdsPedido, "NRPARCPGTOPED")));
        habilitaDiaFixo();
    } else {
        limpaDiaFixo();
    }
    dbgPrazoPg->setVisible(!tipo.isEmpty() && tipo != AVista && tipo != DiaFixo);
}

// The payment form's name; the modality's description as the order has it.
void TfrmLanPedido::AtualizaFormaPgto()
{
    if (!pedidoEmEdicao())
        edtModPgto->setText(valor(cdsPedido, "DSMODPGTO"));
    const QString forma = valor(cdsPedido, "CDFORMPGTO").trimmed();
    if (forma.isEmpty() || !isDtmDBGeralOpen()) {
        edtFormPgto->clear();
    } else {
        LookupQuery qryFormaPgt(QStringLiteral("qryFormaPgt"), dtmDBGeral(), qryFormaPgtSql);
        qryFormaPgt.setParam(QStringLiteral("P_CDFORMPGTO"), forma);
        qryFormaPgt.open();
        edtFormPgto->setText(qryFormaPgt.isEmpty() ? QString() : qryFormaPgt.fieldByName(QStringLiteral("NMFORMPGTO")).asString());
    }
    MostraTotaisItens();
}

// ---- fixed day ---------------------------------------------------------------------

void TfrmLanPedido::speDiaFixoChange()
{
    if (!temLinhas(cdsPedido) || !panFormaPgto->isEnabled())
        return;
    if (!pedidoEmEdicao())
        cdsPedido->edit();
    if (const std::optional<int> dia = valorDoSpin(speDiaFixo))
        campo(cdsPedido, "NRDIAPGFIXPED").setValue(*dia);
    else
        campo(cdsPedido, "NRDIAPGFIXPED").clear();
}

void TfrmLanPedido::Vd_DiaFixo(bool Consist)
{
    if (!pedidoEmEdicao() || valor(cdsPedido, "IDSITPEDIDO") != u"1" || !rbtDiaFixo->isChecked())
        return;
    const RegrasPedido::RecusaDiaFixo recusa = RegrasPedido::confereDiaFixo(valorDoSpin(speDiaFixo), Consist);
    if (recusa == RegrasPedido::RecusaDiaFixo::Nenhuma)
        return;
    pgcPadrao->setCurrentWidget(tshFormaPgto);
    speDiaFixo->setFocus();
    MensErro(texto(recusa == RegrasPedido::RecusaDiaFixo::NaoInformado ? QStringLiteral("DIAFIXO_NULL")
                                                                        : QStringLiteral("DIAFIXO_INV")),
             true);
}

// ---- terms grid ----------------------------------------------------------------------

// The text of a cell of the current row: the open editor's while typing.
QString TfrmLanPedido::textoDaCelulaDoPrazo(const char* fieldName) const
{
    const Field* selecionado = dbgPrazoPg->selectedField();
    if (dbgPrazoPg->editorMode() && selecionado && selecionado->name() == QLatin1String(fieldName))
        return dbgPrazoPg->editorText();
    return temLinhas(cdsPrazoPgto) || cdsPrazoPgto->isEditing() ? campo(cdsPrazoPgto, fieldName).asString() : QString();
}

void TfrmLanPedido::dbgPrazoPgKeyPress(QChar& key)
{
    const Field* selecionado = dbgPrazoPg->selectedField();
    const QString nome = selecionado ? selecionado->name() : QString();
    RegrasPedido::ColunaPrazo coluna = RegrasPedido::ColunaPrazo::Outra;
    if (nome == u"NRDIASPGTOPED")
        coluna = RegrasPedido::ColunaPrazo::Dias;
    else if (nome == u"PREVISAO")
        coluna = RegrasPedido::ColunaPrazo::Previsao;
    else if (nome == u"VRPERCPGTOPED")
        coluna = RegrasPedido::ColunaPrazo::Percentual;
    else if (nome == u"VRPARCELA")
        coluna = RegrasPedido::ColunaPrazo::Valor;
    const QString celula = selecionado ? textoDaCelulaDoPrazo(selecionado->name().toLatin1().constData()) : QString();
    if (!RegrasPedido::teclaAceita(coluna, key, celula, paramPedido(QStringLiteral("IDALTFORMAPAG")) == u"S"))
        key = QChar();
}

void TfrmLanPedido::cdsPrazoPgtoBeforeInsert()
{
    cdsAuxPrazoPgto->setData(cdsPrazoPgto->data());
    dbgPrazoPg->setSelectedField(QStringLiteral("NRDIASPGTOPED"));
}

void TfrmLanPedido::cdsPrazoPgtoAfterInsert()
{
    campo(cdsPrazoPgto, "CDFILIAL").setValue(valor(cdsPedido, "CDFILIAL"));
    campo(cdsPrazoPgto, "NRPEDIDO").setValue(valor(cdsPedido, "NRPEDIDO"));
    campo(cdsPrazoPgto, "DTPEDIDO").setValue(campo(cdsPedido, "DTPEDIDO").value());
}

// Also while the order is edited: the repeated-days check compares with
// the terms as they stand.
void TfrmLanPedido::cdsPrazoPgtoBeforeEdit()
{
    cdsAuxPrazoPgto->setData(cdsPrazoPgto->data());
    m_diasDaLinhaEditada = opcional(cdsPrazoPgto, "NRDIASPGTOPED");
}

void TfrmLanPedido::dtsPrazoPgtoStateChange()
{
    if (cdsPrazoPgto->isEditing() && cdsPedido->state() == RecordSet::State::Browse && temLinhas(cdsPedido))
        cdsPedido->edit();
}

void TfrmLanPedido::cdsPrazoPgtoAfterDelete()
{
    if (cdsPrazoPgto->state() == RecordSet::State::Browse && temLinhas(cdsPrazoPgto))
        cdsPrazoPgto->edit();
    else if (cdsPedido->state() == RecordSet::State::Browse && temLinhas(cdsPedido))
        cdsPedido->edit();
}

void TfrmLanPedido::dbgPrazoPgColExit()
{
    if (!cdsPrazoPgto->isEditing() && !pedidoEmEdicao())
        return;
    const Field* selecionado = dbgPrazoPg->selectedField();
    const QString nome = selecionado ? selecionado->name() : QString();
    if (nome == u"NRDIASPGTOPED")
        Vd_Prazo(true);
    else if (nome == u"VRPERCPGTOPED")
        Vd_Percentual(paramPedido(QStringLiteral("IDALTFORMAPAG")) == u"S");
    if (cdsPedido->state() == RecordSet::State::Edit && temLinhas(cdsPrazoPgto)) {
        // Rewritten as it is, so that the terms count as changed.
        EventDetach semEstado(dtsPrazoPgto->onStateChange);
        EventDetach semAntesDeIncluir(cdsPrazoPgto->beforeInsert);
        EventDetach semAntesDeEditar(cdsPrazoPgto->beforeEdit);
        EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
        dbgPrazoPg->commitEditor();
        if (!cdsPrazoPgto->isEditing())
            cdsPrazoPgto->edit();
        cdsPrazoPgto->post();
    }
}

void TfrmLanPedido::dbgPrazoPgExit()
{
    if (cdsPrazoPgto->isEditing())
        cdsPrazoPgto->post();
}

void TfrmLanPedido::cdsPrazoPgtoBeforeScroll()
{
    if (!pedidoEmEdicao() || valor(cdsPrazoPgto, "NRPEDIDO").isEmpty())
        return;
    const bool altera = paramPedido(QStringLiteral("IDALTFORMAPAG")) == u"S";
    if (campo(cdsPrazoPgto, "NRDIASPGTOPED").isNull())
        Vd_Prazo(cdsPedido->state() == RecordSet::State::Insert);
    if (campo(cdsPrazoPgto, "VRPERCPGTOPED").isNull()) {
        Vd_Prazo(altera);
        Vd_Percentual(altera);
    }
}

void TfrmLanPedido::Vd_Prazo(bool Consist)
{
    if (!pedidoEmEdicao() || !temLinhas(cdsPrazoPgto) || valor(cdsPedido, "IDTPFORPGTPED") == DiaFixo)
        return;
    try {
        const QString celula = textoDaCelulaDoPrazo("NRDIASPGTOPED");
        Field& dias = campo(cdsPrazoPgto, "NRDIASPGTOPED");
        if (cdsPrazoPgto->isEditing() && !celula.trimmed().isEmpty())
            dias.setText(celula);
        if (pgcPadrao->currentWidget() != tshFormaPgto)
            return;
        const std::optional<double> digitados = numeroDoTexto(celula);
        // The other terms: the snapshot without this row as it was.
        QList<double> outros;
        if (cdsAuxPrazoPgto->isActive())
            for (cdsAuxPrazoPgto->first(); !cdsAuxPrazoPgto->eof(); cdsAuxPrazoPgto->next())
                outros.append(campo(cdsAuxPrazoPgto, "NRDIASPGTOPED").asFloat());
        if (cdsPrazoPgto->state() == RecordSet::State::Edit && m_diasDaLinhaEditada)
            outros.removeOne(*m_diasDaLinhaEditada);
        const RegrasPedido::RecusaPrazo recusa = RegrasPedido::conferePrazo(digitados, Consist, outros);
        if (recusa == RegrasPedido::RecusaPrazo::NaoInformado)
            MensErro(texto(QStringLiteral("Prazo_inf")), true);
        if (recusa == RegrasPedido::RecusaPrazo::Negativo) {
            dbgPrazoPg->setSelectedField(QStringLiteral("NRDIASPGTOPED"));
            MensErro(texto(QStringLiteral("Prazo_menor")), true);
        }
        if (recusa == RegrasPedido::RecusaPrazo::Repetido)
            MensErro(texto(QStringLiteral("Prazo_JCAD")), true);
    } catch (...) {
        pgcPadrao->setCurrentWidget(tshFormaPgto);
        dbgPrazoPg->setSelectedField(QStringLiteral("NRDIASPGTOPED"));
        throw;
    }
}

void TfrmLanPedido::Vd_Percentual(bool Consist)
{
    const QString tipo = valor(cdsPedido, "IDTPFORPGTPED");
    if (tipo.isEmpty() || tipo == DiaFixo || !cdsPrazoPgto->isEditing())
        return;
    try {
        const std::optional<double> percentual = numeroDoTexto(textoDaCelulaDoPrazo("VRPERCPGTOPED"));
        switch (RegrasPedido::conferePercentual(percentual, Consist)) {
        case RegrasPedido::RecusaPercentual::NaoInformado: MensErro(texto(QStringLiteral("Perc_inf")), true); break;
        case RegrasPedido::RecusaPercentual::NaoPositivo: MensErro(texto(QStringLiteral("Perc_maior")), true); break;
        case RegrasPedido::RecusaPercentual::AcimaDe100: MensErro(texto(QStringLiteral("Percent_inv")), true); break;
        case RegrasPedido::RecusaPercentual::Nenhuma: break;
        }
        if (percentual && dtsPrazoPgto->isEditing())
            campo(cdsPrazoPgto, "VRPERCPGTOPED").setValue(*percentual);
    } catch (...) {
        refazPaginaPagamento();
        dbgPrazoPg->setSelectedField(QStringLiteral("VRPERCPGTOPED"));
        throw;
    }
}

void TfrmLanPedido::Vd_VerifSomaPerc()
{
    if (!cdsPrazoPgto->isActive())
        return;
    EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
    ControlsFreeze congela(*cdsPrazoPgto);
    QList<double> percentuais;
    const int coluna = cdsPrazoPgto->fieldIndex(QStringLiteral("VRPERCPGTOPED"));
    for (int linha = 0; linha < cdsPrazoPgto->recordCount(); ++linha)
        percentuais.append(cdsPrazoPgto->value(linha, coluna).toDouble());
    if (RegrasPedido::somaPercentuaisFecha(percentuais))
        return;
    pgcPadrao->setCurrentWidget(tshFormaPgto);
    if (dbgPrazoPg->isVisible() && dbgPrazoPg->isEnabled())
        dbgPrazoPg->setFocus();
    MensErro(texto(QStringLiteral("SomaPerc")), true);
}

// ---- the terms sent to the server -------------------------------------------------------

// setFormaPagto's arguments after the terms: order, branch, mode and the
// header's payment values as text, then the apply flag.
QList<RpcArg> TfrmLanPedido::argumentosFormaPagto(const DataPacket& prazos, const QString& modo, bool aplica) const
{
    auto inteiro = [this](const char* name) {
        const std::optional<double> numeroDoCampo = opcional(cdsPedido, name);
        return numeroDoCampo ? QString::number(qint64(*numeroDoCampo)) : QString();
    };
    return {RpcArg(prazos), valor(cdsPedido, "NRPEDIDO"), valor(cdsPedido, "CDFILIAL"), modo, valor(cdsPedido, "CDMODPGTO"),
            valor(cdsPedido, "IDTPFORPGTPED"), inteiro("NRDIAPGFIXPED"), inteiro("NRPARCPGTOPED"),
            valor(cdsPedido, "IDUTDIAPAGPED"), valor(cdsPedido, "CDFORMPGTO"), aplica};
}

// Element 1 of setFormaPagto: an installment of nothing is refused except
// under price mode "2"; any other text is the server's refusal.
void TfrmLanPedido::confereRespostaFormaPagto(const QJsonArray& resposta)
{
    const QString recusa = resposta.at(setFormaPagtoResult::Resposta).toString();
    if (recusa.isEmpty())
        return;
    if (recusa == u"PARCMZERO") {
        if (paramPedido(QStringLiteral("IDTABPRECO")) != u"2")
            MensErro(texto(QStringLiteral("PARCMZERO")), true);
        return;
    }
    MensErro(recusa, true);
}

void TfrmLanPedido::atualizaFormaPagto(bool aplica)
{
    if (!cdsPrazoPgto->isActive() || !cdsPrazoPgto->hasChanges())
        return;
    ControlaActiveShowAvi(boShowAvi, 0);
    try {
        const QJsonArray resposta = Servidor(setFormaPagto, argumentosFormaPagto(cdsPrazoPgto->data(), QStringLiteral("1"), aplica))
                                        .toArray();
        confereRespostaFormaPagto(resposta);
        cdsPrazoPgto->mergeChangeLog();
    } catch (...) {
        pgcPadrao->setCurrentWidget(tshFormaPgto);
        ControlaDeActiveShowAvi(boShowAvi);
        throw;
    }
    ControlaDeActiveShowAvi(boShowAvi);
}

void TfrmLanPedido::lblGerarParcelasClick()
{
    sbtGeraParcAutomaticoClick();
}

void TfrmLanPedido::sbtGeraParcAutomaticoClick()
{
    if (msgPadrao.ShowMsg(QStringLiteral("Forma_pagto"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        return;
    // The buffer has the terms' columns already: no packet is asked for.
    if (!cdsAuxPrazoAutom->isActive())
        cdsAuxPrazoAutom->createDataSet();
    cdsAuxPrazoAutom->emptyDataSet();
    const QList<RegrasPedido::ParcelaGerada> parcelas = RegrasPedido::geraParcelas(speQtParcela->value(), spePrazo->value());
    QList<double> percentuais;
    for (const RegrasPedido::ParcelaGerada& parcela : parcelas)
        percentuais.append(parcela.percentual);
    const QList<Cents> valores = RegrasPedido::valoresDasParcelas(numero(cdsImposEncar, "VRRECEBIMENTO"), percentuais);
    const QDateTime dataPedido = campo(cdsPedido, "DTPEDIDO").asDateTime();
    for (qsizetype k = 0; k < parcelas.size(); ++k) {
        cdsAuxPrazoAutom->append();
        campo(cdsAuxPrazoAutom, "NRPEDIDO").setValue(valor(cdsPedido, "NRPEDIDO"));
        campo(cdsAuxPrazoAutom, "CDFILIAL").setValue(valor(cdsPedido, "CDFILIAL"));
        campo(cdsAuxPrazoAutom, "DTPEDIDO").setValue(dataPedido);
        campo(cdsAuxPrazoAutom, "NRDIASPGTOPED").setValue(parcelas.at(k).dias);
        if (dataPedido.isValid())
            campo(cdsAuxPrazoAutom, "PREVISAO").setValue(dataPedido.addDays(qint64(parcelas.at(k).dias)));
        campo(cdsAuxPrazoAutom, "DSPRAZOPGTOPED").setValue(edtDescricao->text());
        campo(cdsAuxPrazoAutom, "VRPERCPGTOPED").setValue(parcelas.at(k).percentual);
        campo(cdsAuxPrazoAutom, "VRPARCELA").setValue(valores.at(k).value());
        cdsAuxPrazoAutom->post();
    }

    if (cdsPedido->state() == RecordSet::State::Insert) {
        // A new order's terms wait for the confirmation, as changes of the terms.
        EventDetach semEstado(dtsPrazoPgto->onStateChange);
        EventDetach semAntesDeIncluir(cdsPrazoPgto->beforeInsert);
        EventDetach semRolagem(cdsPrazoPgto->beforeScroll);
        apagaPrazos();
        for (const QVariantList& linha : cdsAuxPrazoAutom->data().rows) {
            cdsPrazoPgto->append();
            const QList<FieldDef> campos = cdsAuxPrazoAutom->fieldDefs();
            for (qsizetype i = 0; i < campos.size(); ++i)
                cdsPrazoPgto->fieldByName(campos.at(i).name).setValue(linha.at(i));
            cdsPrazoPgto->post();
        }
        cdsPrazoPgto->first();
        return;
    }

    ControlaActiveShowAvi(boShowAvi, 0);
    try {
        const DataPacket buffer = cdsAuxPrazoAutom->data();
        const QJsonArray previa = Servidor(setFormaPagto, argumentosFormaPagto(buffer, QStringLiteral("0"), false)).toArray();
        confereRespostaFormaPagto(previa);
        if (previa.at(setFormaPagtoResult::ModalidadeAlterada).toBool()) {
            if (msgPadrao.ShowMsg(QStringLiteral("Alt_ModPgtoPed"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No)
                != MsgButton::Yes)
                MensErro(texto(QStringLiteral("ModPgtoPed")), true);
            confereRespostaFormaPagto(
                Servidor(setFormaPagto, argumentosFormaPagto(buffer, QStringLiteral("1"), true)).toArray());
            cdsAuxPrazoAutom->mergeChangeLog();
        } else {
            confereRespostaFormaPagto(
                Servidor(setFormaPagto, argumentosFormaPagto(buffer, QStringLiteral("0"), true)).toArray());
            pgcPadrao->setCurrentWidget(tshFormaPgto);
            if (dbeModPgto->isEnabled() && dbeModPgto->isVisible())
                dbeModPgto->setFocus();
            cdsPrazoPgto->mergeChangeLog();
        }
        msgPadrao.ShowMsg(QStringLiteral("Parcauto_Suc"), MsgType::Information, MsgButton::Ok);
    } catch (...) {
        ControlaDeActiveShowAvi(boShowAvi);
        throw;
    }
    ControlaDeActiveShowAvi(boShowAvi);
    // What was stored, header included, shows again.
    if (cdsPedido->isEditing()) {
        cdsPedido->cancel();
        cdsPrazoPgto->cancelUpdates();
    }
    sbtVerificarClick();
    if (DBGridColumn* parcela = dbgPrazoPg->columnByField(QStringLiteral("VRPARCELA"));
        parcela && !parcela->isVisible() && cdsPedido->state() != RecordSet::State::Insert)
        parcela->setVisible(true);
}
