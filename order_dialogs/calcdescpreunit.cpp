#include "calcdescpreunit.h"

#include "abort.h"
#include "autoriza.h"
#include "busy.h"
#include "context.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "messages.h"
#include "method_catalogue.h"
#include "netconnection.h"
#include "recordset.h"
#include "serverresult.h"
#include "values.h"
#include "widgets/datasource.h"
#include "widgets/dbgrid.h"
#include "widgets/form.h"
#include "widgets/numberedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace CalcDescPreUnit {
// Created on first use and kept; it goes with the screen that owns it.
QPointer<TfrmCalcDescPreUnit> frmCalcDescPreUnit;

const QString dinheiro = QStringLiteral("###0.00");

// The keys the dialog answers itself; anything else goes to the result check.
const QStringList chavesConhecidas{QStringLiteral("OK"),       QStringLiteral("IDPERALTPRECO"), QStringLiteral("DSPERALTMAIOR"),
                                   QStringLiteral("DSPERALTMENOR"), QStringLiteral("ALTMAIOR"),  QStringLiteral("ALTMENOR"),
                                   QStringLiteral("OP_N_AUT")};
} // namespace CalcDescPreUnit

using namespace CalcDescPreUnit;

RespostaPreco separaResposta(const QString& resposta)
{
    if (chavesConhecidas.contains(resposta))
        return {resposta, {}};
    const qsizetype separador = resposta.indexOf(u'_');
    if (separador < 0)
        return {resposta, {}};
    return {resposta.left(separador), resposta.mid(separador + 1)};
}

void CriaCalcDescPreUnit(const CalcDescPreUnitTela& tela)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    if (frmCalcDescPreUnit && frmCalcDescPreUnit->parentWidget() != tela.parent)
        delete frmCalcDescPreUnit;
    if (!frmCalcDescPreUnit)
        frmCalcDescPreUnit = new TfrmCalcDescPreUnit(tela.parent);
    frmCalcDescPreUnit->carrega(tela);
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    host().execModal(*frmCalcDescPreUnit);
}

// ---- the calculator -----------------------------------------------------------------

TfrmCalcDescPreUnit::TfrmCalcDescPreUnit(QWidget* parent)
    : TfrmRotiGeral(QStringLiteral("PED00118"), QStringLiteral("Alterar Preço Unitário"), parent),
      cdsItem(new RecordSet(QStringLiteral("cdsItem"), this))
{
    using Form::named;
    setObjectName(QStringLiteral("frmCalcDescPreUnit"));
    msgPadrao.load(QStringLiteral(":/catalogs/PED00118.msg"));

    auto* grade = new QGridLayout(panPrincipal);
    grade->setContentsMargins(12, 12, 12, 12);
    grade->setHorizontalSpacing(8);
    grade->setVerticalSpacing(8);

    rbtApenas = named(new QRadioButton(QStringLiteral("Apenas o Item Selecionado:"), panPrincipal), QStringLiteral("rbtApenas"));
    rbtTodos = named(new QRadioButton(QStringLiteral("Todos os Itens"), panPrincipal), QStringLiteral("rbtTodos"));
    rbtApenas->setChecked(true);
    edtPrecoUnitario = named(new QLineEdit(panPrincipal), QStringLiteral("edtPrecoUnitario"));
    edtPrecoUnitario->setEnabled(false);
    edtPrecoUnitario->setAlignment(Qt::AlignRight);

    chbValor = named(new QCheckBox(QStringLiteral("Valor"), panPrincipal), QStringLiteral("chbValor"));
    nedValor = named(new TNumberEdit(panPrincipal), QStringLiteral("nedValor"));
    nedValor->setDecimals(2);
    chbPercentual = named(new QCheckBox(QStringLiteral("Percentual"), panPrincipal), QStringLiteral("chbPercentual"));
    nedPercentual = named(new TNumberEdit(panPrincipal), QStringLiteral("nedPercentual"));
    nedPercentual->setDecimals(2);
    nedPercentual->installEventFilter(this);
    // The action options make one group of their own, apart from the scope.
    auto* acoes = new QWidget(panPrincipal);
    auto* linhaAcoes = new QHBoxLayout(acoes);
    linhaAcoes->setContentsMargins(0, 0, 0, 0);
    rbtAcrescimo = named(new QRadioButton(QStringLiteral("Acréscimo"), acoes), QStringLiteral("rbtAcrescimo"));
    rbtDesconto = named(new QRadioButton(QStringLiteral("Desconto"), acoes), QStringLiteral("rbtDesconto"));
    linhaAcoes->addWidget(rbtAcrescimo);
    linhaAcoes->addWidget(rbtDesconto);
    linhaAcoes->addStretch();

    grade->addWidget(rbtApenas, 0, 0, 1, 2);
    grade->addWidget(rbtTodos, 1, 0, 1, 2);
    grade->addWidget(Form::caption(panPrincipal, QStringLiteral("Preço Unitário"), edtPrecoUnitario), 2, 0);
    grade->addWidget(edtPrecoUnitario, 2, 1);
    grade->addWidget(chbValor, 3, 0);
    grade->addWidget(nedValor, 3, 1);
    grade->addWidget(chbPercentual, 4, 0);
    grade->addWidget(nedPercentual, 4, 1);
    grade->addWidget(acoes, 5, 1);
    grade->setColumnStretch(1, 1);

    btfVisualizar = named(new QPushButton(QStringLiteral("&Visualizar"), panBotoes), QStringLiteral("btfVisualizar"));
    btfVisualizar->setToolTip(QStringLiteral("Visualizar alteração(es)."));
    buttonBarLayout()->insertWidget(1, btfVisualizar);

    connect(chbValor, &QCheckBox::clicked, this, [this] { guarded([&] { chbValorClick(); }); });
    connect(chbPercentual, &QCheckBox::clicked, this, [this] { guarded([&] { chbPercentualClick(); }); });
    connect(btfVisualizar, &QPushButton::clicked, this, [this] { guarded([&] { btfVisualizarClick(); }); });
}

TfrmCalcDescPreUnit::~TfrmCalcDescPreUnit() = default;

void TfrmCalcDescPreUnit::carrega(const CalcDescPreUnitTela& dados)
{
    tela = dados;
    cdsItem->setData(tela.itens);
    cdsItem->locate(QStringLiteral("NRITEMPED"), tela.nrItemPed);
    const bool temItem = cdsItem->isActive() && !cdsItem->isEmpty();
    rbtApenas->setChecked(true);
    rbtApenas->setText(QStringLiteral("Apenas o Item Selecionado: ")
                       + (temItem ? cdsItem->fieldByName(QStringLiteral("NMPRODUTO")).asString() : QString()));
    edtPrecoUnitario->setText(temItem ? cdsItem->fieldByName(QStringLiteral("VRPREUNITPED")).text() : QString());
    for (QCheckBox* modo : {chbValor, chbPercentual})
        modo->setChecked(false);
    for (TNumberEdit* edicao : {nedValor, nedPercentual}) {
        edicao->clear();
        edicao->setEnabled(false);
    }
    for (QRadioButton* acao : {rbtAcrescimo, rbtDesconto}) {
        acao->setAutoExclusive(false);
        acao->setChecked(false);
        acao->setAutoExclusive(true);
        acao->setEnabled(false);
    }
    sbtConfirma->setEnabled(temItem);
    btfVisualizar->setEnabled(temItem);
}

// Digits, "," and ".", and the keys that edit and move: nothing else
// reaches the percentage.
bool TfrmCalcDescPreUnit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == nedPercentual && event->type() == QEvent::KeyPress) {
        const QString texto = static_cast<QKeyEvent*>(event)->text();
        if (!texto.isEmpty() && texto.at(0).isPrint() && !texto.at(0).isDigit() && texto.at(0) != u',' && texto.at(0) != u'.')
            return true;
    }
    return TfrmRotiGeral::eventFilter(watched, event);
}

void TfrmCalcDescPreUnit::chbValorClick()
{
    const bool valor = chbValor->isChecked();
    nedValor->setEnabled(valor);
    if (valor) {
        chbPercentual->setChecked(false);
        nedPercentual->setValue(0);
        nedPercentual->setEnabled(false);
        for (QRadioButton* acao : {rbtAcrescimo, rbtDesconto}) {
            acao->setAutoExclusive(false);
            acao->setChecked(false);
            acao->setAutoExclusive(true);
            acao->setEnabled(false);
        }
        nedValor->setFocus();
    }
}

void TfrmCalcDescPreUnit::chbPercentualClick()
{
    const bool percentual = chbPercentual->isChecked();
    nedPercentual->setEnabled(percentual);
    rbtAcrescimo->setEnabled(percentual);
    rbtDesconto->setEnabled(percentual);
    if (percentual) {
        chbValor->setChecked(false);
        nedValor->setValue(0);
        nedValor->setEnabled(false);
        nedPercentual->setFocus();
    }
}

void TfrmCalcDescPreUnit::falha(QWidget* controle, const QString& texto)
{
    if (controle->isEnabled())
        controle->setFocus();
    MensErro(texto, true);
    throw Abort();   // MensErro with the abort flag does not return
}

void TfrmCalcDescPreUnit::Vd_Validacoes()
{
    const auto msg = [this](const char* chave) { return msgPadrao.Msg(QString::fromLatin1(chave)); };
    nedValor->updateValue();
    nedPercentual->updateValue();
    if (!chbValor->isChecked() && !chbPercentual->isChecked())
        falha(chbValor, msg("NovoPreco_Inf"));
    if (chbPercentual->isChecked()) {
        if (nedPercentual->isEmpty() || nedPercentual->value() == 0)
            falha(nedPercentual, msg("Percentual_Inf"));
        if (!rbtAcrescimo->isChecked() && !rbtDesconto->isChecked())
            falha(rbtAcrescimo, msg("AcaoPercentual_Inf"));
        if (rbtDesconto->isChecked() && nedPercentual->value() >= 100)
            falha(nedPercentual, msg("Percentual_Total"));
        // A negative percentage has no meaning for either action.
        if (nedPercentual->value() < 0)
            falha(nedPercentual, msg("Percentual_Inf"));
        return;
    }
    if (nedValor->isEmpty() || nedValor->value() == 0)
        falha(nedValor, msg("Valor_Inf"));
    if (nedValor->value() < 0)
        falha(nedValor, msg("Valor_N_Zero"));
}

AlteracaoPreco TfrmCalcDescPreUnit::alteracao() const
{
    const bool percentual = chbPercentual->isChecked();
    return {rbtApenas->isChecked(), percentual ? QStringLiteral("P") : QStringLiteral("V"),
            percentual ? nedPercentual->value() : nedValor->value(),
            percentual && rbtAcrescimo->isChecked() ? QStringLiteral("A") : QStringLiteral("D")};
}

void TfrmCalcDescPreUnit::btfVisualizarClick()
{
    Vd_Validacoes();
    CriaAltPreco(*this);
}

QString TfrmCalcDescPreUnit::setPreco(const AlteracaoPreco& pedida, bool verificaPermissao)
{
    const BusyScope aguarde(this);
    QString tipo = pedida.tipo;
    double valor = pedida.valor;
    QString acao = pedida.acao;
    const auto campo = [this](const char* nome) { return cdsItem->fieldByName(QString::fromUtf8(nome)).asString(); };
    const ServerResult resposta = tela.netLanPed->call(
        Rpc::LanPedido::SetPreco, {campo("CDFILIAL"), campo("NRPEDIDO"), campo("NRITEMPED"), pedida.apenasItem, RpcArg::ref(tipo),
                                   RpcArg::ref(valor), RpcArg::ref(acao), tela.operador, verificaPermissao});
    return CheckResultServ(resposta).toString();
}

void TfrmCalcDescPreUnit::alterado()
{
    msgPadrao.ShowMsg(QStringLiteral("OK"), MsgType::Information, MsgButton::Ok);
    accept();
}

void TfrmCalcDescPreUnit::sbtConfirmaClick()
{
    Vd_Validacoes();
    const AlteracaoPreco pedida = alteracao();
    const RespostaPreco resposta = separaResposta(setPreco(pedida, true));
    const QString& chave = resposta.chave;
    const auto recusa = [&](const QString& argumento) {
        MensErro(FormatMsg(msgPadrao.Msg(chave), {argumento + u'%'}), true);
    };
    if (chave == u"OK")
        return alterado();
    if (chave == u"IDPERALTPRECO")
        return MensErro(msgPadrao.Msg(chave), true);
    if (chave == u"DSPERALTMAIOR")
        return recusa(tela.dsPerAltMaior);
    if (chave == u"DSPERALTMENOR")
        return recusa(tela.dsPerAltMenor);
    if (chave == u"ALTMAIOR" || chave == u"ALTMENOR" || chave == u"OP_N_AUT") {
        if (!Autoriza(*tela.netLanPed, 14, QStringLiteral("ALTERA_PRECO_PEDIDO"), cdsItem->fieldByName(QStringLiteral("CDFILIAL")).asString()))
            return recusa(resposta.argumento);
        const QString liberada = setPreco(pedida, false);
        if (liberada == u"OK")
            return alterado();
        CheckResultServ(ServerResult::failure(ServerError::MethodFailed, liberada));
        return;
    }
    CheckResultServ(ServerResult::failure(ServerError::MethodFailed, chave));
}

// ---- the preview ------------------------------------------------------------------

void CriaAltPreco(TfrmCalcDescPreUnit& calculadora)
{
    // A closed grid screen deletes itself: each preview is made anew, and
    // asks the server on its creation.
    auto* previa = new TfrmAltPreco(calculadora, &calculadora);
    previa->setWindowState(previa->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    host().execModal(*previa);
}

TfrmAltPreco::TfrmAltPreco(TfrmCalcDescPreUnit& calculadora, QWidget* parent)
    : TfrmPadraoGrid(QStringLiteral("PED00118"), QStringLiteral("Consulta Alteração de Preço Unitário"), parent),
      cdsItemPed(new RecordSet(QStringLiteral("cdsItemPed"), this))
{
    using Form::named;
    setObjectName(QStringLiteral("frmAltPreco"));
    const auto texto = [&](const char* nome, int tamanho) { return &cdsItemPed->addField(QString::fromLatin1(nome), FieldType::String, tamanho); };
    const auto numero = [&](const char* nome, const QString& formato) {
        Field& campo = cdsItemPed->addField(QString::fromLatin1(nome), FieldType::Float);
        campo.setDisplayFormat(formato);
        return &campo;
    };
    texto("CDFILIAL", 4);
    texto("NRPEDIDO", 10);
    texto("NRITEMPED", 10);
    texto("CDPRODUTO", 10);
    texto("CDARVPROD", 20)->setEditMask(DBPict(PictProduto));
    texto("NMPRODUTO", 250);
    texto("SGUNIDADE", 5);
    texto("IDSITITEMPED", 1);
    numero("QTITEMPED", QStringLiteral("##0.000"));
    for (const char* dinheiroCampo : {"VRPREUNITPED", "VRTOTALITPED", "VRDESITPED", "VRPRECOMAX", "VRPRECOMIN"})
        numero(dinheiroCampo, dinheiro);
    texto("IDPRECOOK", 1);
    numero("VRPRPARPRECO", dinheiro);
    for (Field* campo : cdsItemPed->fields())
        campo->setReadOnly(true);
    cdsItemPed->beforeInsert = [](RecordSet&) { throw Abort(); };
    cdsItemPed->afterScroll = [this](RecordSet&) { mostraLinha(); };
    dtsPadrao->setDataSet(cdsItemPed);
    dtsPadrao->setAutoEdit(false);

    dbgPadrao->setReadOnly(true);
    dbgPadrao->setColor(QApplication::palette().color(QPalette::ToolTipBase));
    const QList<std::pair<const char*, const char*>> colunas{
        {"CDFILIAL", "Filial"},      {"NRPEDIDO", "Pedido"},           {"NRITEMPED", "Nº Item Pedido"},
        {"CDARVPROD", "Produto"},    {"NMPRODUTO", "Nome"},            {"SGUNIDADE", "UN"},
        {"QTITEMPED", "Quantidade"}, {"VRPREUNITPED", "Preço Unitário"}, {"VRDESITPED", "Vr. Desc."},
        {"VRTOTALITPED", "Valor Total"}};
    for (const auto& [campo, titulo] : colunas)
        dbgPadrao->addColumn(QString::fromLatin1(campo), QString::fromUtf8(titulo));
    dbgPadrao->onDrawColumnCell = [](DBGrid&, DBGridCell& cell) {
        if (cell.value(QStringLiteral("IDPRECOOK")).toString() == u"N")
            cell.foreground = Qt::red;
    };

    // The row's figures below the grid.
    auto* rodape = new QWidget(tshPadrao);
    auto* linha = new QHBoxLayout(rodape);
    linha->setContentsMargins(0, 4, 0, 0);
    const auto valor = [&](const char* nome, const char* titulo, QLabel** rotulo = nullptr) {
        auto* edicao = named(new QLineEdit(rodape), QString::fromLatin1(nome));
        edicao->setReadOnly(true);
        edicao->setAlignment(Qt::AlignRight);
        QLabel* legenda = Form::caption(rodape, QString::fromUtf8(titulo), edicao);
        if (rotulo)
            *rotulo = legenda;
        linha->addWidget(legenda);
        linha->addWidget(edicao);
        return edicao;
    };
    edtPrecoBase = valor("edtPrecoBase", "Preço Base");
    edtPrecoMaximo = valor("edtPrecoMaximo", "Preço Máximo", &lblPrecoMaximo);
    edtPrecoMinimo = valor("edtPrecoMinimo", "Preço Mínimo", &lblPrecoMinimo);
    linha->addStretch();
    edtVrTotalProdutos = valor("edtVrTotalProdutos", "Vr Total Produtos");
    if (auto* lista = qobject_cast<QVBoxLayout*>(tshPadrao->layout()))
        lista->addWidget(rodape);

    const bool mostraFaixa = calculadora.dadosTela().idPerAltPreco == u"S";
    for (QWidget* faixa : std::initializer_list<QWidget*>{lblPrecoMaximo, edtPrecoMaximo, lblPrecoMinimo, edtPrecoMinimo})
        faixa->setVisible(mostraFaixa);

    FormCreate();
    consulta(calculadora);
}

TfrmAltPreco::~TfrmAltPreco() = default;

void TfrmAltPreco::consulta(const TfrmCalcDescPreUnit& calculadora)
{
    const BusyScope aguarde(this);
    const AlteracaoPreco pedida = calculadora.alteracao();
    QString tipo = pedida.tipo;
    double valor = pedida.valor;
    QString acao = pedida.acao;
    const RecordSet& itens = *calculadora.cdsItem;
    const auto campo = [&](const char* nome) { return itens.fieldByName(QString::fromUtf8(nome)).asString(); };
    const QJsonArray previa = CheckResultServ(calculadora.dadosTela().netLanPed->call(
                                                  Rpc::LanPedido::SetGeraItemPed,
                                                  {campo("CDFILIAL"), campo("NRPEDIDO"), campo("NRITEMPED"), pedida.apenasItem,
                                                   RpcArg::ref(tipo), RpcArg::ref(valor), RpcArg::ref(acao)}))
                                  .toArray();
    using namespace Rpc::LanPedido::SetGeraItemPedResult;
    cdsItemPed->setData(DataPacket::fromJson(previa.at(Itens).toObject()));
    cdsItemPed->first();
    edtVrTotalProdutos->setText(FormatNumberBR(previa.at(VrTotalProdutos).toDouble(), 2));
    mostraLinha();
}

void TfrmAltPreco::mostraLinha()
{
    const auto texto = [this](const char* nome) {
        return cdsItemPed->isEmpty() ? QString() : cdsItemPed->fieldByName(QString::fromLatin1(nome)).text();
    };
    edtPrecoBase->setText(texto("VRPRPARPRECO"));
    edtPrecoMaximo->setText(texto("VRPRECOMAX"));
    edtPrecoMinimo->setText(texto("VRPRECOMIN"));
}

// A preview: nothing is typed into it.
void TfrmAltPreco::dtsPadraoStateChange()
{
    TfrmPadraoGrid::dtsPadraoStateChange();
    for (QToolButton* botao : {sbtIncluir, sbtAlterar, sbtExcluir, sbtConfirmar, sbtCancelar})
        botao->setVisible(false);
}

void TfrmAltPreco::sbtIncluirClick()
{
}
