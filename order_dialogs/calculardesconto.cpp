#include "calculardesconto.h"

#include "abort.h"
#include "busy.h"
#include "field.h"
#include "guard.h"
#include "host.h"
#include "messages.h"
#include "method_catalogue.h"
#include "netconnection.h"
#include "recordset.h"
#include "rules/formula_desconto.h"
#include "rules/pricing.h"
#include "serverresult.h"
#include "widgets/form.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

using namespace RegrasPedido;

namespace CalcularDesconto {
// Created on first use and kept; it goes with the screen that owns it.
QPointer<TfrmCalcularDesconto> frmCalcularDesconto;
} // namespace CalcularDesconto

void CriaCalcularDesconto(const CalcularDescontoTela& tela)
{
    using CalcularDesconto::frmCalcularDesconto;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    if (frmCalcularDesconto && frmCalcularDesconto->parentWidget() != tela.parent)
        delete frmCalcularDesconto;
    if (!frmCalcularDesconto)
        frmCalcularDesconto = new TfrmCalcularDesconto(tela.parent);
    frmCalcularDesconto->carrega(tela);
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    host().execModal(*frmCalcularDesconto);
}

TfrmCalcularDesconto::TfrmCalcularDesconto(QWidget* parent)
    : TfrmRotiGeral(QStringLiteral("PED00111"), QStringLiteral("Calcular Desconto"), parent),
      cdsItem(new RecordSet(QStringLiteral("cdsItem"), this))
{
    setObjectName(QStringLiteral("frmCalcularDesconto"));
    msgPadrao.load(QStringLiteral(":/catalogs/PED00111.msg"));

    auto* grade = new QGridLayout(panPrincipal);
    grade->setContentsMargins(12, 12, 12, 12);
    grade->setHorizontalSpacing(8);
    grade->setVerticalSpacing(8);

    edtFormulaDesconto = Form::named(new QLineEdit(panPrincipal), QStringLiteral("edtFormulaDesconto"));
    edtFormulaDesconto->setToolTip(QStringLiteral("Utilize ;"));
    edtFormulaDesconto->installEventFilter(this);
    edtPrecoUnitario = Form::named(new QLineEdit(panPrincipal), QStringLiteral("edtPrecoUnitario"));
    edtPrecoUnitario->setEnabled(false);
    edtPrecoUnitario->setAlignment(Qt::AlignRight);
    edtAplicaDesconto = Form::named(new QLineEdit(panPrincipal), QStringLiteral("edtAplicaDesconto"));
    edtAplicaDesconto->setReadOnly(true);
    edtAplicaDesconto->setMinimumWidth(320);

    grade->addWidget(Form::caption(panPrincipal, QStringLiteral("&Fórmula de Desconto"), edtFormulaDesconto), 0, 0);
    grade->addWidget(edtFormulaDesconto, 0, 1);
    grade->addWidget(Form::caption(panPrincipal, QStringLiteral("Preço Unitário"), edtPrecoUnitario), 1, 0);
    grade->addWidget(edtPrecoUnitario, 1, 1);
    grade->addWidget(Form::caption(panPrincipal, QStringLiteral("Aplicação de Desconto"), edtAplicaDesconto), 2, 0);
    grade->addWidget(edtAplicaDesconto, 2, 1);

    rbtApenas = Form::named(new QRadioButton(QStringLiteral("Apenas o Item Selecionado:"), panPrincipal), QStringLiteral("rbtApenas"));
    rbtTodos = Form::named(new QRadioButton(QStringLiteral("Todos os Itens"), panPrincipal), QStringLiteral("rbtTodos"));
    rbtApenas->setChecked(true);
    grade->addWidget(rbtApenas, 3, 1);
    grade->addWidget(rbtTodos, 4, 1);
    grade->setColumnStretch(1, 1);

    sbtConfirma->setEnabled(false);
    connect(edtFormulaDesconto, &QLineEdit::textChanged, this, [this] { guarded([&] { edtFormulaDescontoChange(); }); });
}

TfrmCalcularDesconto::~TfrmCalcularDesconto() = default;

void TfrmCalcularDesconto::carrega(const CalcularDescontoTela& dados)
{
    tela = dados;
    cdsItem->setData(tela.itens);
    cdsItem->locate(QStringLiteral("NRITEMPED"), tela.nrItemPed);
    rbtApenas->setChecked(true);
    {
        const QSignalBlocker semPrevia(edtFormulaDesconto);
        edtFormulaDesconto->clear();
    }
    edtAplicaDesconto->clear();
    sbtConfirma->setEnabled(false);
    dbPrecoUnit = 0;
    const bool temItem = cdsItem->isActive() && !cdsItem->isEmpty();
    rbtApenas->setText(QStringLiteral("Apenas o Item Selecionado: ")
                       + (temItem ? cdsItem->fieldByName(QStringLiteral("NMPRODUTO")).asString() : QString()));
    const Field* preco = temItem ? &cdsItem->fieldByName(QStringLiteral("VRPREUNITPED")) : nullptr;
    edtPrecoUnitario->setText(preco ? preco->asString() : QString());
    if (preco && !preco->isNull()) {
        dbPrecoUnit = preco->asFloat();
        edtAplicaDesconto->setText(textoPercentual(dbPrecoUnit));
    }
    dbResultado = dbPrecoUnit;
    dbDesconto = 0;
    dbPercentualTotal = 0;
    edtFormulaDesconto->setFocus();
}

// Digits, "," and ";" make a formula; backspace and the moving keys edit
// it; nothing else, Enter included, reaches it.
bool TfrmCalcularDesconto::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtFormulaDesconto && event->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(event);
        if ((tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) && !(tecla->modifiers() & Qt::ControlModifier))
            return true;
        const QString texto = tecla->text();
        if (!texto.isEmpty() && texto.at(0).isPrint() && !teclaDaFormula(texto.at(0)))
            return true;
    }
    return TfrmRotiGeral::eventFilter(watched, event);
}

void TfrmCalcularDesconto::edtFormulaDescontoChange()
{
    const QString formula = edtFormulaDesconto->text();
    sbtConfirma->setEnabled(confirmaHabilitado(cdsItem->isActive() && !cdsItem->isEmpty(), formula));
    const PreviaDesconto previa = previaDesconto(dbPrecoUnit, formula);
    dbDesconto = previa.desconto;
    dbPercentualTotal = previa.percentualTotal;
    switch (previa.situacao) {
    case PreviaDesconto::Situacao::Vazia:
        edtAplicaDesconto->clear();
        return;
    case PreviaDesconto::Situacao::Invalida:
        edtAplicaDesconto->clear();
        sbtConfirma->setEnabled(false);
        falha(QStringLiteral("Formula_Invalida"));
    case PreviaDesconto::Situacao::Valida:
        dbResultado = previa.resultado;
        edtAplicaDesconto->setText(previa.previa);
        return;
    }
}

void TfrmCalcularDesconto::falha(const QString& key)
{
    edtFormulaDesconto->setFocus();
    MensErro(msgPadrao.Msg(key), true);
    throw Abort();   // MensErro with the abort flag does not return
}

QJsonArray TfrmCalcularDesconto::aplica(bool todos, bool acimaDoMaximo)
{
    const BusyScope aguarde(this);
    const double quantidade = cdsItem->fieldByName(QStringLiteral("QTITEMPED")).asFloat();
    double novoPreco = todos ? 0.0 : dbResultado;
    double descontoTotal = dbDesconto * quantidade;
    const auto campo = [this](const char* nome) { return cdsItem->fieldByName(QString::fromUtf8(nome)).asString(); };
    const ServerResult resposta = tela.netLanPed->call(
        Rpc::LanPedido::SetAplicaDesconto,
        {cdsItem->data(), dbPercentualTotal, todos ? QStringLiteral("Todos") : QStringLiteral("Item"), RpcArg::ref(novoPreco),
         todos ? QString() : campo("NRITEMPED"), campo("NRPEDIDO"), campo("CDFILIAL"),
         todos ? 0.0 : cdsItem->fieldByName(QStringLiteral("VRDESITPED")).asFloat(), RpcArg::ref(descontoTotal),
         tela.cdVendedor, acimaDoMaximo});
    return CheckResultServ(resposta).toArray();
}

void TfrmCalcularDesconto::sbtConfirmaClick()
{
    switch (recusaConfirmacao(edtFormulaDesconto->text(), dbResultado)) {
    case RecusaFormula::FormulaVazia:
        falha(QStringLiteral("Formula_NULL"));
    case RecusaFormula::ResultadoNaoPositivo:
        falha(QStringLiteral("Resultado>Zero"));
    case RecusaFormula::Nenhuma:
        break;
    }
    const bool todos = rbtTodos->isChecked();
    const QString pergunta = FormatMsg(msgPadrao.Msg(todos ? QStringLiteral("Confirma2") : QStringLiteral("Confirma1")),
                                       {cdsItem->fieldByName(QStringLiteral("CDPRODUTO")).asString()});
    if (host().showMessage(MsgType::Confirmation, pergunta, MsgButton::Yes | MsgButton::No, MsgButton::No) != MsgButton::Yes)
        return;

    QJsonArray resposta = aplica(todos, false);
    using namespace Rpc::LanPedido::SetAplicaDescontoResult;
    if (resposta.at(Resposta).toString() == u"DESC") {
        const QString maximo = textoPercentual(resposta.at(DescontoMaximo).toDouble()) + u'%';
        switch (politicaMaximo(tela.idUtDescMaxi)) {
        case PoliticaMaximo::Avisa:
            if (host().showMessage(MsgType::Confirmation, FormatMsg(tela.descMens, {maximo}), MsgButton::Yes | MsgButton::No,
                                   MsgButton::No)
                != MsgButton::Yes)
                return;
            resposta = aplica(todos, true);
            break;
        case PoliticaMaximo::Recusa:
            MensErro(FormatMsg(tela.descInv, {maximo}), true);
            return;
        default:
            return;
        }
    }
    const QString codigo = resposta.at(Resposta).toString();
    if (codigo != u"OK") {
        CheckResultServ(ServerResult::failure(ServerError::MethodFailed, codigo));
        return;
    }
    cdsItem->mergeChangeLog();
    msgPadrao.ShowMsg(QStringLiteral("Sucesso"), MsgType::Information, MsgButton::Ok);
}
