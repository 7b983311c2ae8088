#include "msgsaldoest.h"

#include "host.h"
#include "recordset.h"
#include "widgets/datasource.h"
#include "widgets/dbedits.h"
#include "widgets/form.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

using Form::named;

namespace MsgSaldoEst {
// Created on first use and kept; it goes with the screen that owns it.
QPointer<TfrmMsgSaldoEst> frmMsgSaldoEst;

const QString quantidade = QStringLiteral("#,###0.000");
} // namespace MsgSaldoEst

void criaCamposConsisteSaldEst(RecordSet& cds)
{
    using MsgSaldoEst::quantidade;
    const auto texto = [&](const char* name, int size) { cds.addField(QString::fromUtf8(name), FieldType::String, size); };
    const auto numero = [&](const char* name, const QString& format) {
        cds.addField(QString::fromUtf8(name), FieldType::Float).setDisplayFormat(format);
    };
    texto("CDPRODUTO", 10);
    texto("CDARVPROD", 20);
    texto("NMPRODUTO", 50);
    texto("SGUNIDADE", 10);
    numero("QTORCAPED", QStringLiteral("#,##0.00"));
    numero("QTPEDIDO", quantidade);
    numero("QTPEDATUAL", quantidade);
    numero("QTDISPONIVEL", quantidade);
    numero("VRDIFERENCA", quantidade);
    numero("QTSOLICITADA", quantidade);
    numero("QTESTOQUE", quantidade);
    texto("MSG", 45);
    numero("QTPEDTOTAL", quantidade);
}

void CriaMsgSaldoEst(QWidget* parent, const DataPacket& data)
{
    using MsgSaldoEst::frmMsgSaldoEst;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    if (frmMsgSaldoEst && frmMsgSaldoEst->parentWidget() != parent)
        delete frmMsgSaldoEst;
    if (!frmMsgSaldoEst)
        frmMsgSaldoEst = new TfrmMsgSaldoEst(parent);
    frmMsgSaldoEst->carrega(data);
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    host().execModal(*frmMsgSaldoEst);
}

TfrmMsgSaldoEst::TfrmMsgSaldoEst(QWidget* parent)
    : QDialog(parent),
      cdsConsisteSaldEst(new RecordSet(QStringLiteral("cdsConsisteSaldEst"), this)),
      dtsConsisteSaldEst(new DataSource(QStringLiteral("dtsConsisteSaldEst"), this))
{
    setObjectName(QStringLiteral("frmMsgSaldoEst"));
    setWindowTitle(QStringLiteral("Consiste saldo em Estoque"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    criaCamposConsisteSaldEst(*cdsConsisteSaldEst);
    // A report: the bound boxes take no typing.
    for (Field* field : cdsConsisteSaldEst->fields())
        field->setReadOnly(true);
    dtsConsisteSaldEst->setDataSet(cdsConsisteSaldEst);
    dtsConsisteSaldEst->setAutoEdit(false);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    lblMsg = named(new QLabel(this), QStringLiteral("lblMsg"));
    QFont destaque = lblMsg->font();
    destaque.setBold(true);
    lblMsg->setFont(destaque);
    lblNmProduto = named(new QLabel(this), QStringLiteral("lblNmProduto"));
    layout->addWidget(lblMsg);
    layout->addWidget(lblNmProduto);

    grbSaldo = named(new QGroupBox(this), QStringLiteral("grbSaldo"));
    auto* saldo = new QGridLayout(grbSaldo);
    saldo->setHorizontalSpacing(12);
    dbeQtSolicitada = valor(QStringLiteral("dbeQtSolicitada"), QStringLiteral("QTSOLICITADA"));
    dbeQtDispSaldo = valor(QStringLiteral("dbeQtDispSaldo"), QStringLiteral("QTDISPONIVEL"));
    dbeVrDiferenca = valor(QStringLiteral("dbeVrDiferenca"), QStringLiteral("VRDIFERENCA"));
    const QList<std::pair<QString, DBEdit*>> topo{{QStringLiteral("Qtde. Solicitada"), dbeQtSolicitada},
                                                   {QStringLiteral("Saldo Disponível"), dbeQtDispSaldo},
                                                   {QStringLiteral("Diferença"), dbeVrDiferenca}};
    for (int coluna = 0; coluna < topo.size(); ++coluna) {
        saldo->addWidget(new QLabel(topo.at(coluna).first, grbSaldo), 0, coluna);
        saldo->addWidget(topo.at(coluna).second, 1, coluna);
    }
    layout->addWidget(grbSaldo);

    // How the available balance was reached, one line per term.
    auto* composicao = new QGridLayout;
    composicao->setColumnStretch(0, 1);
    dbeQtEstoque = valor(QStringLiteral("dbeQtEstoque"), QStringLiteral("QTESTOQUE"));
    dbeQtPedido = valor(QStringLiteral("dbeQtPedido"), QStringLiteral("QTPEDIDO"));
    dbeQtPedAtual = valor(QStringLiteral("dbeQtPedAtual"), QStringLiteral("QTPEDATUAL"));
    dbeQtPedTotal = valor(QStringLiteral("dbeQtPedTotal"), QStringLiteral("QTPEDTOTAL"));
    dbeQtOrcaPed = valor(QStringLiteral("dbeQtOrcaPed"), QStringLiteral("QTORCAPED"));
    dbeQtDisponivel = valor(QStringLiteral("dbeQtDisponivel"), QStringLiteral("QTDISPONIVEL"));
    lblQtPedAtual = named(Form::caption(this, QStringLiteral("+ **Qtde. Pedido Atual (Iten(s) Anteriores) = "), dbeQtPedAtual),
                          QStringLiteral("lblQtPedAtual"));
    lblQtPedTotal = named(Form::caption(this, QStringLiteral("= "), dbeQtPedTotal), QStringLiteral("lblQtPedTotal"));
    const QList<std::pair<QLabel*, DBEdit*>> linhas{
        {Form::caption(this, QStringLiteral("Saldo tot. em Estoque"), dbeQtEstoque), dbeQtEstoque},
        {Form::caption(this, QStringLiteral("Qtde. em Pedidos*"), dbeQtPedido), dbeQtPedido},
        {lblQtPedAtual, dbeQtPedAtual},
        {lblQtPedTotal, dbeQtPedTotal},
        {Form::caption(this, QStringLiteral("Qtde. em Orçamento"), dbeQtOrcaPed), dbeQtOrcaPed},
        {Form::caption(this, QStringLiteral("Saldo Disponível"), dbeQtDisponivel), dbeQtDisponivel}};
    for (int linha = 0; linha < linhas.size(); ++linha) {
        composicao->addWidget(linhas.at(linha).first, linha, 0);
        composicao->addWidget(linhas.at(linha).second, linha, 1);
    }
    layout->addLayout(composicao);

    layout->addWidget(new QLabel(QStringLiteral("(Saldo tot. em Estoque  -  Qtde. em Pedidos* - Qtde. em Orçamentos)"), this));
    layout->addWidget(new QLabel(QStringLiteral("* Pendente / Confirmado / Aprovado / Parcialmente atendido"), this));
    lblItensDuplicados = named(new QLabel(QStringLiteral("** Itens Duplicados"), this), QStringLiteral("lblItensDuplicados"));
    layout->addWidget(lblItensDuplicados);

    btnGravarItem = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("btnGravarItem"));
    btnGravarItem->setDefault(true);
    btnGravarItem->setMinimumWidth(90);
    layout->addWidget(btnGravarItem, 0, Qt::AlignHCenter);
    connect(btnGravarItem, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmMsgSaldoEst::~TfrmMsgSaldoEst() = default;

// Wide enough for a negative quantity in the millions with its sign.
DBEdit* TfrmMsgSaldoEst::valor(const QString& name, const QString& field)
{
    auto* edit = named(new DBEdit(this), name);
    edit->setDataSource(dtsConsisteSaldEst);
    edit->setDataField(field);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-99.999.999,999")) + 16);
    return edit;
}

void TfrmMsgSaldoEst::carrega(const DataPacket& data)
{
    cdsConsisteSaldEst->setData(data);
    const auto campo = [this](const char* name) -> const Field& { return cdsConsisteSaldEst->fieldByName(QString::fromUtf8(name)); };
    lblMsg->setText(campo("MSG").asString());
    lblNmProduto->setText(campo("NMPRODUTO").asString() + u' ' + campo("SGUNIDADE").asString());
    const bool duplicados = campo("QTPEDATUAL").asFloat() > 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{lblQtPedAtual, dbeQtPedAtual, lblQtPedTotal, dbeQtPedTotal, lblItensDuplicados})
        widget->setVisible(duplicados);
    btnGravarItem->setFocus();
}

void TfrmMsgSaldoEst::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    layout()->activate();
    const QScreen* tela = parentWidget() ? parentWidget()->screen() : screen();
    if (!tela)
        return;
    QRect janela = frameGeometry();
    janela.moveCenter(tela->availableGeometry().center());
    move(janela.topLeft());
}
