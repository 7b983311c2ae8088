#include "replicapedido.h"

#include "abort.h"
#include "busy.h"
#include "check_digits.h"
#include "context.h"
#include "datapacket.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "loadbpl.h"
#include "lookupquery.h"
#include "messages.h"
#include "method_catalogue.h"
#include "netconnection.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "serverresult.h"
#include "taxnumbers.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dateeditplus.h"
#include "widgets/form.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>

namespace ReplicaPedido {
// One dialog at a time; it goes when it closes.
QPointer<TfrmReplicaPedido> frmReplicaPedido;

const QDate menorData(1899, 12, 30);

const QString qryPesqClienteSql = QStringLiteral(
    "SELECT NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, IDTPIJURCLIE, CDCLIENTE FROM CLIENTE ORDER BY NMFANTCLIE");
const QString qryClienteSql = QStringLiteral(
    "SELECT NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, IDTPIJURCLIE, CDCLIENTE, IDCLIEATIV FROM CLIENTE"
    " WHERE (NRINSJURCLIE = :P_NRINSJURCLIE AND :P_OK = 'N') OR (CDCLIENTE = :P_CDCLIENTE AND :P_OK = 'OK')");
const QString qryPesqSql = QStringLiteral("SELECT CDFILIAL, NMFILIAL, CDSEGMER FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL");
const QString qryFiliDestSql = QStringLiteral(
    "SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE (CDFILIAL = :P_CDFILIAL OR :P_TCDFILIAL = 'T') ORDER BY CDFILIAL");

// The refusals the dialog answers with its own texts.
const QStringList recusas{QStringLiteral("FILIAL_N_PARAM"), QStringLiteral("VENDEDOR_INF"), QStringLiteral("MOD_PAGAMENTO"),
                          QStringLiteral("TIPOOPER_INF")};
} // namespace ReplicaPedido

using namespace ReplicaPedido;

QString chaveDataPedido(const QString& texto, const QDate& hoje, bool obrigatoria)
{
    if (texto.trimmed().isEmpty() || texto.trimmed() == u"/  /")
        return obrigatoria ? QStringLiteral("DT_NULO") : QString();
    const QDate data = TDateEditPlus::parse(texto);
    if (!data.isValid())
        return QStringLiteral("DT_INV");
    if (data > hoje)
        return QStringLiteral("DT_ERRO");
    if (data < menorData)
        return QStringLiteral("DT_MENOR");
    return {};
}

QString chaveDataEntrega(const QString& texto, const QDate& hoje, bool obrigatoria)
{
    if (texto.trimmed().isEmpty() || texto.trimmed() == u"/  /")
        return obrigatoria ? QStringLiteral("DTENT_NULO") : QString();
    const QDate data = TDateEditPlus::parse(texto);
    if (!data.isValid() || data <= menorData)
        return QStringLiteral("DTENT_INV");
    if (data < hoje)
        return QStringLiteral("DTENT_DTATU");
    return {};
}

FalhaReplicacao classificaFalha(const QString& mensagem)
{
    if (mensagem == u"OK")
        return FalhaReplicacao::Sucesso;
    return recusas.contains(mensagem) ? FalhaReplicacao::Recusa : FalhaReplicacao::Outra;
}

bool CriaReplicacaoPedido(const ReplicaPedidoTela& tela)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    // One at a time: a second start shows the one already open.
    if (frmReplicaPedido) {
        frmReplicaPedido->raise();
        return false;
    }
    TfrmReplicaPedido dialogo(tela);
    frmReplicaPedido = &dialogo;
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    host().execModal(dialogo);
    return dialogo.replicado();
}

// ---- creation -----------------------------------------------------------------------

TfrmReplicaPedido::TfrmReplicaPedido(const ReplicaPedidoTela& dados)
    : TfrmRotiGeral(QStringLiteral("PED00115"), QStringLiteral("Replicação de Pedidos"), dados.parent),
      cdsErroImp(new RecordSet(QStringLiteral("cdsErroImp"), this)), tela(dados)
{
    setObjectName(QStringLiteral("frmReplicaPedido"));
    msgPadrao.load(QStringLiteral(":/catalogs/PED00115.msg"));
    criaControles();
    ligaPesquisas();

    cdsErroImp->addField(QStringLiteral("CDTABELA"), FieldType::String, 20).setDisplayLabel(QStringLiteral("Tabela"));
    Field& erro = cdsErroImp->addField(QStringLiteral("CDERRO"), FieldType::String, 12);
    erro.setDisplayLabel(QStringLiteral("Descrição do Erro"));
    cdsErroImp->createDataSet();

    edtFilial->setText(tela.cdFilial);
    edtPedido->setText(tela.nrPedido);
    medInscClie->setText(FormatInscricao(tela.nrInsJurClie, tela.idTpIjurClie));
    edtNmCliente->setText(tela.nmFantClie);
    stCliente = tela.cdCliente;
    m_cdClientePesquisa = tela.cdCliente;
    edtFilialDest->setText(tela.cdFilialPed);
    const QDate processamento = DataProc(FiliProc());
    depDtPedido->setDate(processamento);
    const bool semValidade = tela.idUtValiPed == u"N";
    depDtValidade->setEnabled(!semValidade);
    QPalette cores = depDtValidade->palette();
    cores.setColor(QPalette::Base, semValidade ? palette().color(QPalette::Window) : QColor(255, 255, 204));
    depDtValidade->setPalette(cores);
    if (semValidade)
        depDtValidade->clear();
    else
        depDtValidade->setDate(processamento.addDays(qRound(tela.qtDiaValiPed)));
}

TfrmReplicaPedido::~TfrmReplicaPedido() = default;

void TfrmReplicaPedido::criaControles()
{
    using Form::named;
    auto* grade = new QGridLayout(panPrincipal);
    grade->setContentsMargins(12, 12, 12, 12);
    grade->setHorizontalSpacing(6);
    grade->setVerticalSpacing(8);
    const auto edicao = [this](const char* nome, int tamanho, bool leitura) {
        auto* campo = named(new QLineEdit(panPrincipal), QString::fromLatin1(nome));
        campo->setMaxLength(tamanho);
        campo->setReadOnly(leitura);
        if (leitura)
            campo->setFocusPolicy(Qt::NoFocus);
        return campo;
    };
    const auto data = [this](const char* nome) { return named(new TDateEditPlus(panPrincipal), QString::fromLatin1(nome)); };
    // A code, its look-up and the name beside it, in one cell row.
    const auto linha = [&](int row, const QString& legenda, QWidget* codigo, QWidget* pesquisa, QWidget* nome) {
        auto* juntos = new QWidget(panPrincipal);
        auto* caixa = new QHBoxLayout(juntos);
        caixa->setContentsMargins(0, 0, 0, 0);
        caixa->setSpacing(4);
        caixa->addWidget(codigo);
        if (pesquisa)
            caixa->addWidget(pesquisa);
        if (nome)
            caixa->addWidget(nome, 1);
        else
            caixa->addStretch(1);
        grade->addWidget(Form::caption(panPrincipal, legenda, codigo), row, 0);
        grade->addWidget(juntos, row, 1);
    };
    const int codigo4 = fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16;

    edtFilial = edicao("edtFilial", 4, false);
    edtFilial->setFixedWidth(codigo4);
    btnFilial = Form::lookupButton(panPrincipal, QStringLiteral("btnFilial"));
    edtPedido = edicao("edtPedido", 10, true);
    edtPedido->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000000000")) + 16);
    medInscClie = edicao("medInscClie", 20, false);
    medInscClie->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-000")) + 16);
    btnCliente = Form::lookupButton(panPrincipal, QStringLiteral("btnCliente"));
    edtNmCliente = edicao("edtNmCliente", 50, true);
    edtNmCliente->setMinimumWidth(260);
    edtFilialDest = edicao("edtFilialDest", 4, false);
    edtFilialDest->setFixedWidth(codigo4);
    btnFilialDest = Form::lookupButton(panPrincipal, QStringLiteral("btnFilialDest"));
    edtFiliDest = edicao("edtFiliDest", 30, true);
    depDtPedido = data("depDtPedido");
    depDtEntrega = data("depDtEntrega");
    depDtValidade = data("depDtValidade");
    for (TDateEditPlus* edit : {depDtPedido, depDtEntrega, depDtValidade})
        edit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 40);
    edtNrOrdCompra = edicao("edtNrOrdCompra", 15, false);
    edtNrOrdCompra->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("OC-0000000000000")) + 16);

    linha(0, QStringLiteral("Filial"), edtFilial, btnFilial, nullptr);
    linha(1, QStringLiteral("N° Pedido"), edtPedido, nullptr, nullptr);
    linha(2, QStringLiteral("Cliente"), medInscClie, btnCliente, edtNmCliente);
    linha(3, QStringLiteral("Filial Destino"), edtFilialDest, btnFilialDest, edtFiliDest);
    linha(4, QStringLiteral("Data Pedido"), depDtPedido, nullptr, nullptr);
    linha(5, QStringLiteral("Data Entrega"), depDtEntrega, nullptr, nullptr);
    linha(6, QStringLiteral("Data Validade"), depDtValidade, nullptr, nullptr);
    linha(7, QStringLiteral("N° Ordem de Compra"), edtNrOrdCompra, nullptr, nullptr);
    grade->setColumnStretch(1, 1);
    grade->setRowStretch(8, 1);
    resize(560, sizeHint().height());

    medInscClie->installEventFilter(this);
    connect(medInscClie, &QLineEdit::textEdited, this, [this] {
        m_cdClientePesquisa.clear();
        edtNmCliente->clear();
    });
    connect(medInscClie, &QLineEdit::editingFinished, this, [this] {
        guarded([&] {
            if (isVisible())
                Vd_NrInsJurClie(false);
        });
    });
    connect(edtFilialDest, &QLineEdit::textEdited, this, [this] { edtFiliDest->clear(); });
    depDtPedido->onExit = [this](TDateEditPlus&) { guarded([&] { depDtPedidoExit(); }); };
    depDtEntrega->onExit = [this](TDateEditPlus&) { guarded([&] { Vd_DataEntrega(false); }); };
}

void TfrmReplicaPedido::ligaPesquisas()
{
    btnFilial->setTitle(QStringLiteral("Filial|Não há filial cadastrada."));
    btnFilial->setSource(tela.cdsPesqFilial);
    btnFilial->setOptions({false, {{QStringLiteral("CDFILIAL"), QStringLiteral("Filial")}, {QStringLiteral("NMFILIAL"), QStringLiteral("Nome")}}, {}});
    btnFilial->beforePesq = [this](TBtnPesquisa&, bool&) { carregaFiliais(QStringLiteral("T")); };
    btnFilial->afterPesq = [this](TBtnPesquisa&) {
        edtFilial->setText(tela.cdsPesqFilial->fieldByName(QStringLiteral("CDFILIAL")).asString());
    };

    auto* cdsPesqCliente = new RecordSet(QStringLiteral("cdsPesqCliente"), this);
    btnCliente->setTitle(QStringLiteral("Cliente|Não há cliente cadastrado."));
    btnCliente->setSource(cdsPesqCliente);
    btnCliente->setOptions({false,
                            {{QStringLiteral("NRINSJURCLIE"), QStringLiteral("CNPJ/CPF")},
                             {QStringLiteral("NMFANTCLIE"), QStringLiteral("Nome Fantasia")},
                             {QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("Razão Social")},
                             {QStringLiteral("CDCLIENTE"), QStringLiteral("Código")}},
                            QStringLiteral("NMFANTCLIE")});
    btnCliente->beforePesq = [cdsPesqCliente](TBtnPesquisa&, bool&) {
        LookupQuery qryPesqCliente(QStringLiteral("qryPesqCliente"), dtmDBGeral(), qryPesqClienteSql);
        qryPesqCliente.open();
        cdsPesqCliente->setData(qryPesqCliente.toPacket());
        Field& tipo = cdsPesqCliente->fieldByName(QStringLiteral("IDTPIJURCLIE"));
        cdsPesqCliente->fieldByName(QStringLiteral("NRINSJURCLIE")).onGetText = [&tipo](Field& numero, bool) {
            return FormatInscricao(numero.asString(), tipo.asString());
        };
    };
    btnCliente->afterPesq = [this, cdsPesqCliente](TBtnPesquisa&) {
        medInscClie->setText(cdsPesqCliente->fieldByName(QStringLiteral("NRINSJURCLIE")).asString());
        m_cdClientePesquisa = cdsPesqCliente->fieldByName(QStringLiteral("CDCLIENTE")).asString();
        Vd_NrInsJurClie(false);
    };

    auto qryFiliDest = std::make_shared<LookupQuery>(QStringLiteral("qryFiliDest"), dtmDBGeral(), qryFiliDestSql);
    btnFilialDest->setTitle(QStringLiteral("Filial Destino|Não há filial cadastrada."));
    btnFilialDest->setOptions({false, {{QStringLiteral("CDFILIAL"), QStringLiteral("Filial")}, {QStringLiteral("NMFILIAL"), QStringLiteral("Nome")}}, {}});
    btnFilialDest->beforePesq = [this, qryFiliDest](TBtnPesquisa& botao, bool&) {
        qryFiliDest->setOptionalParam(QStringLiteral("P_CDFILIAL"), QString(), true);
        qryFiliDest->open();
        botao.setSource(qryFiliDest.get());
    };
    btnFilialDest->afterPesq = [this, qryFiliDest](TBtnPesquisa&) {
        edtFilialDest->setText(qryFiliDest->fieldByName(QStringLiteral("CDFILIAL")).asString());
        edtFiliDest->setText(qryFiliDest->fieldByName(QStringLiteral("NMFILIAL")).asString());
    };
}

// ---- checks -------------------------------------------------------------------------

QString TfrmReplicaPedido::textoTela(const char* chave) const
{
    const QString key = QString::fromLatin1(chave);
    return tela.msgTela ? tela.msgTela->Msg(key) : key;
}

void TfrmReplicaPedido::falha(QWidget* controle, const QString& texto)
{
    if (controle && controle->isEnabled())
        controle->setFocus();
    MensErro(texto, true);
    throw Abort();   // MensErro with the abort flag does not return
}

void TfrmReplicaPedido::carregaFiliais(const QString& filial)
{
    const BusyScope aguarde(this);
    const QJsonValue filiais = CheckResultServ(tela.netLanPed->call(Rpc::LanPedido::getFilial, {EmprProc(), filial}));
    tela.cdsPesqFilial->setData(DataPacket::fromJson(filiais.toObject()));
}

// The branch in the edit as stored, with its name; a failure focuses the edit.
QString TfrmReplicaPedido::filialCadastrada(QLineEdit* edicao)
{
    const QString codigo = Ajusta(edicao->text().trimmed(), 4);
    carregaFiliais(FiliProc());
    LookupQuery qryPesq(QStringLiteral("qryPesq"), dtmDBGeral(), qryPesqSql);
    qryPesq.setParam(QStringLiteral("P_CDFILIAL"), codigo);
    qryPesq.open();
    if (qryPesq.isEmpty())
        falha(edicao, textoTela("CD_NUL"));
    edicao->setText(qryPesq.fieldByName(QStringLiteral("CDFILIAL")).asString());
    return qryPesq.fieldByName(QStringLiteral("NMFILIAL")).asString();
}

void TfrmReplicaPedido::Vd_Filial()
{
    if (edtFilial->text().trimmed().isEmpty())
        falha(edtFilial, textoTela("FILIAL"));
    filialCadastrada(edtFilial);
}

void TfrmReplicaPedido::Vd_FilialDest()
{
    if (edtFilialDest->text().trimmed().isEmpty()) {
        edtFiliDest->clear();
        return;
    }
    edtFiliDest->setText(filialCadastrada(edtFilialDest));
}

void TfrmReplicaPedido::Vd_NrInsJurClie(bool obrigatorio)
{
    QString numero = medInscClie->text().trimmed();
    if (withoutMaskPunctuation(numero).isEmpty()) {
        if (obrigatorio)
            falha(medInscClie, textoTela("CLIE_NULO"));
        return;
    }
    stCliente.clear();
    Ajusta_Inscricao(numero);
    LookupQuery qryCliente(QStringLiteral("qryCliente"), dtmDBGeral(), qryClienteSql);
    const bool daPesquisa = !m_cdClientePesquisa.isEmpty();
    qryCliente.setParam(QStringLiteral("P_NRINSJURCLIE"), numero);
    qryCliente.setParam(QStringLiteral("P_CDCLIENTE"), m_cdClientePesquisa);
    qryCliente.setParam(QStringLiteral("P_OK"), daPesquisa ? QStringLiteral("OK") : QStringLiteral("N"));
    qryCliente.open();
    if (qryCliente.isEmpty())
        falha(medInscClie, textoTela("CLIE_NAO_CAD"));
    if (qryCliente.fieldByName(QStringLiteral("IDCLIEATIV")).asString() == u"N")
        falha(medInscClie, msgPadrao.Msg(QStringLiteral("CLIE_INATIVO")));
    stCliente = qryCliente.fieldByName(QStringLiteral("CDCLIENTE")).asString();
    m_cdClientePesquisa = stCliente;
    medInscClie->setText(FormatInscricao(qryCliente.fieldByName(QStringLiteral("NRINSJURCLIE")).asString(),
                                         qryCliente.fieldByName(QStringLiteral("IDTPIJURCLIE")).asString()));
    edtNmCliente->setText(qryCliente.fieldByName(QStringLiteral("NMFANTCLIE")).asString());
}

void TfrmReplicaPedido::Vd_DataPedido(bool obrigatoria)
{
    const QString chave = chaveDataPedido(depDtPedido->text(), QDate::currentDate(), obrigatoria);
    if (chave == u"DT_INV")
        falha(depDtPedido, u'\'' + depDtPedido->text() + QStringLiteral("' ") + textoTela("DT_INV"));
    if (!chave.isEmpty())
        falha(depDtPedido, textoTela(chave.toLatin1().constData()));
}

void TfrmReplicaPedido::Vd_DataEntrega(bool obrigatoria)
{
    const QString chave = chaveDataEntrega(depDtEntrega->text(), QDate::currentDate(), obrigatoria);
    if (chave == u"DTENT_INV")
        falha(depDtEntrega, u'\'' + depDtEntrega->text() + QStringLiteral("' ") + msgPadrao.Msg(chave));
    if (!chave.isEmpty())
        falha(depDtEntrega, msgPadrao.Msg(chave));
}

// The delivery date follows the order date by the branch's working days.
void TfrmReplicaPedido::depDtPedidoExit()
{
    Vd_DataPedido(false);
    const int dias = tela.nrDiasEntPed.trimmed().toInt();
    if (dias == 0 || depDtPedido->date().isNull())
        return;
    const BusyScope aguarde(this, BusyStyle::Processando);
    setUpdatesEnabled(false);
    const auto descongela = qScopeGuard([this] { setUpdatesEnabled(true); });
    depDtEntrega->setDate(DataUtil(Ajusta(edtFilial->text().trimmed(), 4), depDtPedido->date(), dias));
}

// Entering the customer shows the bare number, to be typed over.
void TfrmReplicaPedido::medInscClieEnter()
{
    const QString numero = medInscClie->text();
    medInscClie->setMaxLength(20);
    medInscClie->setText(withoutMaskPunctuation(numero));
}

bool TfrmReplicaPedido::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == medInscClie && event->type() == QEvent::FocusIn)
        medInscClieEnter();
    return TfrmRotiGeral::eventFilter(watched, event);
}

// ---- confirmation -------------------------------------------------------------------

void TfrmReplicaPedido::sucesso()
{
    m_replicado = true;
    msgPadrao.ShowMsg(QStringLiteral("OK"), MsgType::Information, MsgButton::Ok);
    const QJsonValue integracao = CheckResultServ(tela.netLanPed->call(Rpc::LanPedido::IntegraNeolog, {}));
    if (integracao.toString() != u"OK")
        CheckResultServ(ServerResult::failure(ServerError::MethodFailed, integracao.toString()));
    accept();
}

void TfrmReplicaPedido::sbtConfirmaClick()
{
    Vd_Filial();
    Vd_NrInsJurClie(true);
    Vd_FilialDest();
    Vd_DataPedido(true);
    Vd_DataEntrega(true);

    const QDate validade = depDtValidade->date();
    ServerResult resposta = ServerResult::success({});
    {
        const BusyScope aguarde(this);
        resposta = tela.netLanPed->call(
            Rpc::LanPedido::replicaPedido,
            {edtFilial->text(), RpcArg::ref(stCliente), edtFilialDest->text().trimmed(), depDtPedido->date(), depDtEntrega->date(),
             validade.isValid() ? RpcArg(validade) : RpcArg(nullptr), edtNrOrdCompra->text(), tela.cdFilial, tela.nrPedido, Operador()});
    }
    if (!resposta.ok() && resposta.errorCode() == ServerError::MethodFailed) {
        // The copy made, reported as an error, is still a copy made.
        switch (classificaFalha(resposta.errorMessage())) {
        case FalhaReplicacao::Sucesso: return sucesso();
        case FalhaReplicacao::Recusa: MensErro(msgPadrao.Msg(resposta.errorMessage()), true); return;
        case FalhaReplicacao::Outra: break;
        }
    }
    const QJsonValue problemas = CheckResultServ(resposta);
    if (!problemas.isObject())
        return sucesso();
    cdsErroImp->setData(DataPacket::fromJson(problemas.toObject()));
    Field& erro = cdsErroImp->fieldByName(QStringLiteral("CDERRO"));
    erro.setDisplayLabel(QStringLiteral("Descrição do Erro"));
    erro.onGetText = [this](Field& codigo, bool) {
        return msgPadrao.contains(codigo.asString()) ? msgPadrao.Msg(codigo.asString()) : codigo.asString();
    };
    if (Field* tabela = cdsErroImp->findField(QStringLiteral("CDTABELA")))
        tabela->setDisplayLabel(QStringLiteral("Tabela"));
    if (!cdsErroImp->isEmpty())
        LoadBPL(QStringLiteral("EXP00107"), {QVariant::fromValue(quintptr(cdsErroImp)), msgPadrao.Msg(QStringLiteral("ERRO_IMP"))});
}
