// The pages of the order entry screen and their controls, laid out the way a
// clerk reads an order: who and when first, then what, how it travels, notes,
// charges and how it is paid.

#include "lanpedido.h"

#include "guard.h"
#include "screens/screenicons.h"
#include "widgets/btnpesquisa.h"
#include "widgets/datasource.h"
#include "widgets/dateeditplus.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/form.h"
#include "widgets/numberedit.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Form::named;
using Form::lookupButton;

DBEdit* dbEdit(QWidget* parent, const char* name, DataSource* source, const char* field, int widthChars = 0)
{
    auto* edit = named(new DBEdit(parent), name);
    edit->setDataSource(source);
    edit->setDataField(QString::fromUtf8(field));
    if (widthChars > 0)
        edit->setMaximumWidth(edit->fontMetrics().averageCharWidth() * (widthChars + 3) + 12);
    return edit;
}

QLineEdit* nameBox(QWidget* parent, const char* name)
{
    auto* edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}

TNumberEdit* numberBox(QWidget* parent, const char* name, int decimals = 2)
{
    auto* edit = named(new TNumberEdit(parent), name);
    edit->setDecimals(decimals);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setMaximumWidth(130);
    return edit;
}

// code | lookup | name, in one row of a grid layout.
void codeRow(QGridLayout* grid, int row, QLabel* caption, QWidget* code, QWidget* button, QWidget* name)
{
    grid->addWidget(caption, row, 0);
    auto* line = new QHBoxLayout;
    line->setSpacing(2);
    line->addWidget(code);
    if (button)
        line->addWidget(button);
    if (name)
        line->addWidget(name, 1);
    else
        line->addStretch(1);
    grid->addLayout(line, row, 1);
}

// The same, with a caption made for the code, in the grid's box.
void codeRow(QGridLayout* grid, int row, const QString& caption, QWidget* code, QWidget* button, QWidget* name)
{
    codeRow(grid, row, Form::caption(grid->parentWidget(), caption, code), code, button, name);
}

void addColumns(DBGrid* grid, std::initializer_list<std::pair<const char*, int>> columns)
{
    for (const auto& [field, width] : columns)
        grid->addColumn(QString::fromUtf8(field), QString(), width);
}

} // namespace

void TfrmLanPedido::criaPaginas()
{
    criaPaginaLista();
    criaPaginaDadosGerais();
    criaPaginaItens();
    criaPaginaTransportadora();
    criaPaginaObservacao();
    criaPaginaEncargos();
    criaPaginaFormaPgto();
    criaMenuPaginas();
}

void TfrmLanPedido::criaPaginaLista()
{
    pgcPadrao->setTabText(0, QStringLiteral("Pedidos"));
    addColumns(dbgPadrao, {{"IDSITPEDIDO", 40}, {"NRPEDIDO", 90}, {"COR_RENTABILIDADE", 45}, {"NMRAZSOCCLIE", 260},
                           {"DTPEDIDO", 90}, {"DTENTPED", 90}, {"NMFANVEN", 150}, {"VRPBRUVOLPED", 95},
                           {"VRPLIQVOLPED", 95}, {"IDPEDIDOIMPR", 65}, {"VRTOTALPED", 100}});
    if (DBGridColumn* cor = dbgPadrao->columnByField(QStringLiteral("COR_RENTABILIDADE")))
        cor->setColorFieldName(QStringLiteral("COR_RENTABILIDADE"));
    dbgPadrao->setReadOnly(true);

    auto* rodape = new QHBoxLayout;
    lblNmCliente = named(new QLabel(tshPadrao), "lblNmCliente");
    QFont bold = lblNmCliente->font();
    bold.setBold(true);
    lblNmCliente->setFont(bold);
    edtOrigem = nameBox(tshPadrao, "edtOrigem");
    edtOrigem->setMaximumWidth(280);
    rodape->addWidget(new QLabel(QStringLiteral("Cliente:"), tshPadrao));
    rodape->addWidget(lblNmCliente, 1);
    rodape->addWidget(Form::caption(tshPadrao, QStringLiteral("Origem:"), edtOrigem));
    rodape->addWidget(edtOrigem);
    static_cast<QVBoxLayout*>(tshPadrao->layout())->addLayout(rodape);
}

void TfrmLanPedido::criaPaginaDadosGerais()
{
    tshDadosPed = named(new QWidget(pgcPadrao), "tshDadosPed");
    auto* page = new QVBoxLayout(tshDadosPed);
    panDadosGerais = named(new QWidget(tshDadosPed), "panDadosGerais");
    page->addWidget(panDadosGerais);
    page->addStretch(1);
    auto* columns = new QHBoxLayout(panDadosGerais);
    columns->setContentsMargins(0, 0, 0, 0);

    // Left: the order and its parties.
    auto* grbPedido = named(new QGroupBox(QStringLiteral("Pedido"), panDadosGerais), "grbPedido");
    auto* grid = new QGridLayout(grbPedido);
    grid->setColumnStretch(1, 1);
    int row = 0;
    medNrPedido = named(new QLineEdit(grbPedido), "medNrPedido");
    medNrPedido->setReadOnly(true);
    medNrPedido->setMaximumWidth(110);
    depDtRetirada = named(new TDateEditPlus(grbPedido), "depDtRetirada");
    depDtRetirada->setMaximumWidth(120);
    auto* numeroData = new QHBoxLayout;
    numeroData->addWidget(medNrPedido);
    numeroData->addSpacing(16);
    numeroData->addWidget(new QLabel(QStringLiteral("Data do pedido:"), grbPedido));
    numeroData->addWidget(depDtRetirada);
    numeroData->addStretch(1);
    grid->addWidget(Form::caption(grbPedido, QStringLiteral("Nº pedido:"), medNrPedido), row, 0);
    grid->addLayout(numeroData, row++, 1);

    dbeCliente = dbEdit(grbPedido, "dbeCliente", dtsPadrao, "NRINSJURCLIE", 20);
    // Wide enough for a CNPJ with its punctuation.
    dbeCliente->setMinimumWidth(dbeCliente->fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-00")) + 16);
    btnCliente = lookupButton(grbPedido, "btnCliente");
    edtNmCliente = nameBox(grbPedido, "edtNmCliente");
    codeRow(grid, row++, QStringLiteral("Cliente:"), dbeCliente, btnCliente, edtNmCliente);

    dbeVendedor = dbEdit(grbPedido, "dbeVendedor", dtsPadrao, "CDVENDEDOR", 4);
    btnVend = lookupButton(grbPedido, "btnVend");
    edtNmVendedor = nameBox(grbPedido, "edtNmVendedor");
    codeRow(grid, row++, QStringLiteral("Vendedor:"), dbeVendedor, btnVend, edtNmVendedor);

    dbeFiliDest = dbEdit(grbPedido, "dbeFiliDest", dtsPadrao, "CDFILIALPED", 4);
    btnFiliDest = lookupButton(grbPedido, "btnFiliDest");
    edtNmFiliDest = nameBox(grbPedido, "edtNmFiliDest");
    codeRow(grid, row++, QStringLiteral("Filial destino:"), dbeFiliDest, btnFiliDest, edtNmFiliDest);

    dbeTipoOper = dbEdit(grbPedido, "dbeTipoOper", dtsPadrao, "CDTIPOOPER", 2);
    btnTipoOper = lookupButton(grbPedido, "btnTipoOper");
    edtNmTipoOper = nameBox(grbPedido, "edtNmTipoOper");
    lblTipoOper = Form::caption(grbPedido, QStringLiteral("Tipo de operação:"), dbeTipoOper);
    lblTipoOper->setObjectName(QStringLiteral("lblTipoOper"));
    codeRow(grid, row++, lblTipoOper, dbeTipoOper, btnTipoOper, edtNmTipoOper);

    dbePrcBase = dbEdit(grbPedido, "dbePrcBase", dtsPadrao, "CDPRECOBASE", 2);
    btnPrcBase = lookupButton(grbPedido, "btnPrcBase");
    edtPrcBase = nameBox(grbPedido, "edtPrcBase");
    codeRow(grid, row++, QStringLiteral("Preço base:"), dbePrcBase, btnPrcBase, edtPrcBase);

    dbeTipoEdital = dbEdit(grbPedido, "dbeTipoEdital", dtsPadrao, "CDTIPOEDITAL", 3);
    chbPedIndustria = named(new QCheckBox(QStringLiteral("Pedido de industrialização"), grbPedido), "chbPedIndustria");
    auto* edital = new QHBoxLayout;
    btpTipoEdita = lookupButton(grbPedido, "btpTipoEdita");
    edtNmTipoEdital = nameBox(grbPedido, "edtNmTipoEdital");
    edital->setSpacing(2);
    edital->addWidget(dbeTipoEdital);
    edital->addWidget(btpTipoEdita);
    edital->addWidget(edtNmTipoEdital, 1);
    edital->addSpacing(16);
    edital->addWidget(chbPedIndustria);
    edital->addStretch(1);
    grid->addWidget(Form::caption(grbPedido, QStringLiteral("Tipo de edital:"), dbeTipoEdital), row, 0);
    grid->addLayout(edital, row++, 1);

    dbeEmpenho = dbEdit(grbPedido, "dbeEmpenho", dtsPadrao, "NREMPENHO", 20);
    btpEmpenho = lookupButton(grbPedido, "btpEmpenho");
    nedVrEmpenho = numberBox(grbPedido, "nedVrEmpenho");
    nedVrEmpenho->setToolTip(QStringLiteral("Saldo do empenho"));
    lblEmpenho = Form::caption(grbPedido, QStringLiteral("Empenho:"), dbeEmpenho);
    lblEmpenho->setObjectName(QStringLiteral("lblEmpenho"));
    auto* lblSaldo = new QLabel(QStringLiteral("Saldo:"), grbPedido);
    auto* empenho = new QHBoxLayout;
    empenho->setSpacing(2);
    empenho->addWidget(dbeEmpenho);
    empenho->addWidget(btpEmpenho);
    empenho->addSpacing(16);
    empenho->addWidget(lblSaldo);
    empenho->addWidget(nedVrEmpenho);
    empenho->addStretch(1);
    grid->addWidget(lblEmpenho, row, 0);
    grid->addLayout(empenho, row++, 1);
    lblSaldo->setObjectName(QStringLiteral("lblSaldoEmpenho"));

    dbeOrdemCompra = dbEdit(grbPedido, "dbeOrdemCompra", dtsPadrao, "NRORDEMCMPPED", 15);
    codeRow(grid, row++, QStringLiteral("Ordem de compra:"), dbeOrdemCompra, nullptr, nullptr);
    dbePedCliente = dbEdit(grbPedido, "dbePedCliente", dtsPadrao, "DSPEDCLI");
    grid->addWidget(Form::caption(grbPedido, QStringLiteral("Texto ao cliente:"), dbePedCliente), row, 0);
    grid->addWidget(dbePedCliente, row++, 1);
    dbePedVendedor = dbEdit(grbPedido, "dbePedVendedor", dtsPadrao, "DSPEDVEN");
    grid->addWidget(Form::caption(grbPedido, QStringLiteral("Texto ao vendedor:"), dbePedVendedor), row, 0);
    grid->addWidget(dbePedVendedor, row++, 1);
    columns->addWidget(grbPedido, 3);

    // Right: kind, priority, dates and values.
    auto* lado = new QVBoxLayout;
    grbTipoPedido = named(new QGroupBox(QStringLiteral("Tipo"), panDadosGerais), "grbTipoPedido");
    auto* tipo = new QHBoxLayout(grbTipoPedido);
    rdbPedido = named(new QRadioButton(QStringLiteral("Pedido"), grbTipoPedido), "rdbPedido");
    rdbOrcamento = named(new QRadioButton(QStringLiteral("Orçamento"), grbTipoPedido), "rdbOrcamento");
    rdbPedido->setChecked(true);
    tipo->addWidget(rdbPedido);
    tipo->addWidget(rdbOrcamento);
    tipo->addStretch(1);
    lado->addWidget(grbTipoPedido);

    auto* prioridadeValidade = new QHBoxLayout;
    grbPrioridade = named(new QGroupBox(QStringLiteral("Prioridade"), panDadosGerais), "grbPrioridade");
    auto* prio = new QGridLayout(grbPrioridade);
    rdbPrioritaria = named(new QRadioButton(QStringLiteral("Prioritária"), grbPrioridade), "rdbPrioritaria");
    rdbUrgente = named(new QRadioButton(QStringLiteral("Urgente"), grbPrioridade), "rdbUrgente");
    rdbAlta = named(new QRadioButton(QStringLiteral("Alta"), grbPrioridade), "rdbAlta");
    rdbNormal = named(new QRadioButton(QStringLiteral("Normal"), grbPrioridade), "rdbNormal");
    rdbBaixa = named(new QRadioButton(QStringLiteral("Baixa"), grbPrioridade), "rdbBaixa");
    rdbNormal->setChecked(true);
    prio->addWidget(rdbPrioritaria, 0, 0);
    prio->addWidget(rdbUrgente, 0, 1);
    prio->addWidget(rdbAlta, 1, 0);
    prio->addWidget(rdbNormal, 1, 1);
    prio->addWidget(rdbBaixa, 2, 0);
    prioridadeValidade->addWidget(grbPrioridade, 1);
    grbDtVal = named(new QGroupBox(QStringLiteral("Validade"), panDadosGerais), "grbDtVal");
    auto* validade = new QVBoxLayout(grbDtVal);
    depDtVal = named(new TDateEditPlus(grbDtVal), "depDtVal");
    depDtVal->setMaximumWidth(120);
    validade->addWidget(depDtVal);
    validade->addStretch(1);
    prioridadeValidade->addWidget(grbDtVal);
    lado->addLayout(prioridadeValidade);

    grbEntrega = named(new QGroupBox(QStringLiteral("Entrega"), panDadosGerais), "grbEntrega");
    auto* entrega = new QGridLayout(grbEntrega);
    depData = named(new TDateEditPlus(grbEntrega), "depData");
    depData->setMaximumWidth(120);
    dbePrazo = dbEdit(grbEntrega, "dbePrazo", dtsPadrao, "DSPRAZOENTPED");
    entrega->addWidget(Form::caption(grbEntrega, QStringLiteral("Data:"), depData), 0, 0);
    entrega->addWidget(depData, 0, 1, Qt::AlignLeft);
    entrega->addWidget(Form::caption(grbEntrega, QStringLiteral("Prazo:"), dbePrazo), 1, 0);
    entrega->addWidget(dbePrazo, 1, 1);
    entrega->setColumnStretch(1, 1);
    lado->addWidget(grbEntrega);

    auto* grbValores = named(new QGroupBox(QStringLiteral("Valores"), panDadosGerais), "grbValores");
    auto* valores = new QGridLayout(grbValores);
    dbeMulticash = dbEdit(grbValores, "dbeMulticash", dtsPadrao, "VRMULTICASH", 12);
    dbeBonificacao = dbEdit(grbValores, "dbeBonificacao", dtsPadrao, "VRBONIFICACAO", 12);
    valores->addWidget(Form::caption(grbValores, QStringLiteral("Multicash:"), dbeMulticash), 0, 0);
    valores->addWidget(dbeMulticash, 0, 1);
    valores->addWidget(Form::caption(grbValores, QStringLiteral("Bonificação:"), dbeBonificacao), 1, 0);
    valores->addWidget(dbeBonificacao, 1, 1);
    valores->setColumnStretch(2, 1);
    lado->addWidget(grbValores);
    lado->addStretch(1);
    columns->addLayout(lado, 2);

    pgcPadrao->addTab(tshDadosPed, QStringLiteral("Dados Gerais"));
}

void TfrmLanPedido::criaPaginaItens()
{
    tshItemPedido = named(new QWidget(pgcPadrao), "tshItemPedido");
    auto* page = new QVBoxLayout(tshItemPedido);
    panItem = named(new QWidget(tshItemPedido), "panItem");
    auto* itemLayout = new QVBoxLayout(panItem);
    itemLayout->setContentsMargins(0, 0, 0, 0);

    splPosiEstoq = named(new QSplitter(Qt::Vertical, panItem), "splPosiEstoq");
    dbgItemPedido = named(new DBGrid(splPosiEstoq), "dbgItemPedido");
    dbgItemPedido->setDataSource(dtsItemPedido);
    const struct {
        const char* field;
        int width;
        const char* title;
        bool readOnly;
    } colunasItem[] = {
        {"IDCOMP", 19, " ", true}, {"IDITEMPEDTERC", 70, nullptr, false}, {"IDSITITEMPED", 30, nullptr, true},
        {"IDITPEDSEMQTDIS", 0, nullptr, false}, {"vrRentabilidade", 30, nullptr, false}, {"NRITEMPED", 77, nullptr, true},
        {"CDARVPROD", 110, nullptr, false}, {"NMPRODUTO", 250, nullptr, true}, {"QTITEMPED", 62, nullptr, false},
        {"SGUNIDADE", 28, nullptr, true}, {"VRPREUNITPED", 73, nullptr, false}, {"SGFATPRECO", 47, nullptr, false},
        {"CDTIPODESC", 93, nullptr, false}, {"VRACREDESCITPEDUNIT", 0, nullptr, false}, {"VRPERCMARKUPIT", 0, nullptr, true},
        {"PERDESC", 0, nullptr, false}, {"QTITEMPED2", 0, nullptr, false}, {"VRDESCCOMISS", 99, nullptr, false},
        {"VRDESITPED", 0, nullptr, false}, {"SGUNIDPAI", 25, "Un Prod. Est.", true}, {"VrTotal", 69, nullptr, true},
        {"IDITPEDDIFER", 70, nullptr, false}, {"DTENTITPED", 115, nullptr, false}, {"DSPRAZOENTITPED", 0, nullptr, false},
        {"DSITEMPED", 100, "Obs.", false}, {"CDEMISSAOITPED", 115, nullptr, false}, {"DSEMISSAOITPED", 170, nullptr, false},
        {"NRITORDEMCMPPED", 0, nullptr, false}, {"IDPRODBONIF", 47, "Bonif.", false},
    };
    for (const auto& coluna : colunasItem) {
        DBGridColumn& column = dbgItemPedido->addColumn(QString::fromUtf8(coluna.field),
                                                        coluna.title ? QString::fromUtf8(coluna.title) : QString(), coluna.width);
        column.setReadOnly(coluna.readOnly);
    }
    for (const char* direita : {"QTITEMPED", "VRPREUNITPED", "QTITEMPED2", "VrTotal"})
        dbgItemPedido->columnByField(QString::fromUtf8(direita))->setTitleAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dbgItemPedido->columnByField(QStringLiteral("IDPRODBONIF"))->setTitleAlignment(Qt::AlignCenter);
    dbgItemPedido->columnByField(QStringLiteral("IDITPEDSEMQTDIS"))->setVisible(false);
    dbgItemPedido->columnByField(QStringLiteral("vrRentabilidade"))->setColorFieldName(QStringLiteral("vrRentabilidade"));
    dbgItemPedido->columnByField(QStringLiteral("IDITPEDDIFER"))
        ->setPickList({QStringLiteral("Normal"), QStringLiteral("Personalizado"), QStringLiteral("Promocional"),
                       QStringLiteral("Grupo Promocional"), QStringLiteral("Outros")});
    dbgItemPedido->columnByField(QStringLiteral("IDPRODBONIF"))->setPickList({QStringLiteral("Sim"), QStringLiteral("Não")});
    // Price factors and the delivery term come and go with the parameters.
    for (const char* hidden : {"QTITEMPED2", "SGFATPRECO", "DSPRAZOENTITPED"})
        dbgItemPedido->columnByField(QString::fromUtf8(hidden))->setVisible(false);

    panPosiEstoq = named(new QGroupBox(QStringLiteral("Posição de estoque"), splPosiEstoq), "panPosiEstoq");
    auto* estoque = new QVBoxLayout(panPosiEstoq);
    dbgPosiEstoq = named(new DBGrid(panPosiEstoq), "dbgPosiEstoq");
    dbgPosiEstoq->setDataSource(dtsPosiEstoq);
    dbgPosiEstoq->setReadOnly(true);
    addColumns(dbgPosiEstoq, {{"CDFILIAL", 38}, {"CDFILIALDEP", 80}, {"CDALMOXARIFE", 65}, {"CDLOCALESTOQ", 63},
                              {"NMFABRIC", 110}, {"NRLOTEESTQ", 110}, {"NRSUBLOTE", 55}, {"QTDISPONIVEL", 86}, {"DTENTRLOTE", 110},
                              {"DTVALILOTE", 86}, {"QTRESPRODPED", 86}, {"SGUNIDADE", 25}, {"NMPRINATIV", 150}});
    estoque->addWidget(dbgPosiEstoq);
    panPosiEstoq->setVisible(false);
    splPosiEstoq->setStretchFactor(0, 3);
    splPosiEstoq->setStretchFactor(1, 1);
    itemLayout->addWidget(splPosiEstoq, 1);

    auto* rodape = new QHBoxLayout;
    auto* grbTotais = named(new QGroupBox(QStringLiteral("Totais do pedido"), panItem), "grbTotais");
    auto* totais = new QGridLayout(grbTotais);
    nedQtPed = numberBox(grbTotais, "nedQtPed", 3);
    nedQtOrcamento = numberBox(grbTotais, "nedQtOrcamento", 3);
    nedQtDisp = numberBox(grbTotais, "nedQtDisp", 3);
    lblUnidDisp = named(new QLabel(grbTotais), "lblUnidDisp");
    nedTotal = numberBox(grbTotais, "nedTotal");
    nedDescTotal = numberBox(grbTotais, "nedDescTotal");
    nedTotLiq = numberBox(grbTotais, "nedTotLiq");
    lblTotal = Form::caption(grbTotais, QStringLiteral("Tot. Bruto:"), nedTotal);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    lblTotLiq = Form::caption(grbTotais, QStringLiteral("Tot. Líq.:"), nedTotLiq);
    lblTotLiq->setObjectName(QStringLiteral("lblTotLiq"));
    sbtVerQuantidades = named(new QToolButton(grbTotais), "sbtVerQuantidades");
    sbtVerQuantidades->setText(QStringLiteral("Quantidades"));
    sbtVerQuantidades->setCheckable(true);
    sbtVerQuantidades->setToolTip(QStringLiteral("Consulta Qt. Diponível e Qt. Pedido por Item"));
    totais->addWidget(sbtVerQuantidades, 0, 0);
    totais->addWidget(Form::caption(grbTotais, QStringLiteral("Qt. Pedido:"), nedQtPed), 0, 1);
    totais->addWidget(nedQtPed, 0, 2);
    totais->addWidget(Form::caption(grbTotais, QStringLiteral("Qt. Orçamento:"), nedQtOrcamento), 1, 1);
    totais->addWidget(nedQtOrcamento, 1, 2);
    totais->addWidget(Form::caption(grbTotais, QStringLiteral("Qt. Disponível:"), nedQtDisp), 2, 1);
    totais->addWidget(nedQtDisp, 2, 2);
    totais->addWidget(lblUnidDisp, 2, 3);
    totais->addWidget(lblTotal, 0, 4);
    totais->addWidget(nedTotal, 0, 5);
    totais->addWidget(Form::caption(grbTotais, QStringLiteral("Desc. Total:"), nedDescTotal), 1, 4);
    totais->addWidget(nedDescTotal, 1, 5);
    totais->addWidget(lblTotLiq, 2, 4);
    totais->addWidget(nedTotLiq, 2, 5);
    // The quantities show while their toggle is down.
    for (QLayoutItem* celula : {totais->itemAtPosition(0, 1), totais->itemAtPosition(1, 1), totais->itemAtPosition(2, 1),
                                totais->itemAtPosition(0, 2), totais->itemAtPosition(1, 2), totais->itemAtPosition(2, 2),
                                totais->itemAtPosition(2, 3)})
        celula->widget()->setVisible(false);
    lblCtrlEstoque = named(new QLabel(grbTotais), "lblCtrlEstoque");
    lblCtrlEstoque->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    lblCtrlEstoque->setVisible(false);
    totais->addWidget(lblCtrlEstoque, 3, 0, 1, 6);
    rodape->addWidget(grbTotais, 2);

    panImposto = named(new QGroupBox(QStringLiteral("Impostos do item"), panItem), "panImposto");
    auto* impostos = new QVBoxLayout(panImposto);
    dbgItemProImpos = named(new DBGrid(panImposto), "dbgItemProImpos");
    dbgItemProImpos->setDataSource(dtsImposPedTot);
    dbgItemProImpos->setReadOnly(true);
    addColumns(dbgItemProImpos, {{"SGIMPOSTO", 70}, {"VRPERCIMPOS", 70}, {"VRIMPOSTO", 80}});
    dbgItemProImpos->setMaximumHeight(90);
    impostos->addWidget(dbgItemProImpos);
    panImposto->setVisible(false);
    rodape->addWidget(panImposto, 1);

    panConUltPrecVen = named(new QWidget(panItem), "panConUltPrecVen");
    panConUltPrecVen->setVisible(false);
    dbgConUltPrecVen = named(new DBGrid(panConUltPrecVen), "dbgConUltPrecVen");

    panExped = named(new QGroupBox(QStringLiteral("Expedição"), panItem), "panExped");
    auto* exped = new QHBoxLayout(panExped);
    auto* dbeQtExp = dbEdit(panExped, "dbeQtExp", dtsItemPedido, "QTEXPITEMPED", 12);
    dbeQtExp->setReadOnly(true);
    edtLanc = nameBox(panExped, "edtLanc");
    edtLanc->setMaximumWidth(110);
    edtDataSaida = nameBox(panExped, "edtDataSaida");
    edtDataSaida->setMaximumWidth(150);
    exped->addWidget(Form::caption(panExped, QStringLiteral("Qt. Exp.:"), dbeQtExp));
    exped->addWidget(dbeQtExp);
    exped->addWidget(Form::caption(panExped, QStringLiteral("Lançamento:"), edtLanc));
    exped->addWidget(edtLanc);
    exped->addWidget(Form::caption(panExped, QStringLiteral("Dt. Saída:"), edtDataSaida));
    exped->addWidget(edtDataSaida);
    panExped->setVisible(false);
    rodape->addWidget(panExped);
    itemLayout->addLayout(rodape);
    page->addWidget(panItem);

    pgcPadrao->addTab(tshItemPedido, QStringLiteral("Itens"));
    connectGuarded(sbtVerQuantidades, &QToolButton::clicked, this, &TfrmLanPedido::sbtVerQuantidadesClick);
}

void TfrmLanPedido::criaPaginaTransportadora()
{
    tshTransportadora = named(new QWidget(pgcPadrao), "tshTransportadora");
    auto* page = new QVBoxLayout(tshTransportadora);
    panTransp = named(new QGroupBox(QStringLiteral("Transporte"), tshTransportadora), "panTransp");
    auto* grid = new QGridLayout(panTransp);
    grid->setColumnStretch(1, 1);
    dbeTransp = dbEdit(panTransp, "dbeTransp", dtsPadrao, "NRINSJURTRAN", 18);
    btnTransp = lookupButton(panTransp, "btnTransp");
    edtNmTransp = nameBox(panTransp, "edtNmTransp");
    codeRow(grid, 0, QStringLiteral("Transportadora:"), dbeTransp, btnTransp, edtNmTransp);
    dbeTipoTransp = dbEdit(panTransp, "dbeTipoTransp", dtsPadrao, "CDTIPTRANS", 4);
    btnTipoTransp = lookupButton(panTransp, "btnTipoTransp");
    edtNmTipoTransp = nameBox(panTransp, "edtNmTipoTransp");
    codeRow(grid, 1, QStringLiteral("Tipo de transporte:"), dbeTipoTransp, btnTipoTransp, edtNmTipoTransp);
    dbeRotaEntrega = dbEdit(panTransp, "dbeRotaEntrega", dtsPadrao, "CDROTATRANSPED", 6);
    btnRotaEntrega = lookupButton(panTransp, "btnRotaEntrega");
    edtNmRotaEntrega = nameBox(panTransp, "edtNmRotaEntrega");
    codeRow(grid, 2, QStringLiteral("Rota de entrega:"), dbeRotaEntrega, btnRotaEntrega, edtNmRotaEntrega);
    cmbFrete = named(new QComboBox(panTransp), "cmbFrete");
    cmbFrete->addItems({QStringLiteral("0 - Contratação do Frete por Conta do Remetente (CIF)"),
                        QStringLiteral("1 - Contratação do Frete por Conta do Destinatário (FOB)"),
                        QStringLiteral("2 - Contratação do Frete por Conta de Terceiros"),
                        QStringLiteral("3 - Transporte Próprio por Conta do Remetente"),
                        QStringLiteral("4 - Transporte Próprio por Conta do Destinatário"),
                        QStringLiteral("9 - Sem Ocorrência de Transporte")});
    cmbFrete->setCurrentIndex(-1);
    grid->addWidget(Form::caption(panTransp, QStringLiteral("Frete:"), cmbFrete), 3, 0);
    grid->addWidget(cmbFrete, 3, 1);
    page->addWidget(panTransp);

    auto* grbEndereco = named(new QGroupBox(QStringLiteral("Endereço de entrega"), tshTransportadora), "grbEndereco");
    auto* endereco = new QGridLayout(grbEndereco);
    dbeDSENDEPED = dbEdit(grbEndereco, "dbeDSENDEPED", dtsDadosEndPed, "DSENDEPED");
    dbeNMBAIRROPED = dbEdit(grbEndereco, "dbeNMBAIRROPED", dtsDadosEndPed, "NMBAIRROPED");
    dbeNMMUNIPED = dbEdit(grbEndereco, "dbeNMMUNIPED", dtsDadosEndPed, "NMMUNIPED");
    dbeSGESTADOPED = dbEdit(grbEndereco, "dbeSGESTADOPED", dtsDadosEndPed, "SGESTADOPED", 2);
    dbeNMPAISPED = dbEdit(grbEndereco, "dbeNMPAISPED", dtsDadosEndPed, "NMPAISPED");
    dbeNRCEPPED = dbEdit(grbEndereco, "dbeNRCEPPED", dtsDadosEndPed, "NRCEPPED", 9);
    endereco->addWidget(Form::caption(grbEndereco, QStringLiteral("Endereço:"), dbeDSENDEPED), 0, 0);
    endereco->addWidget(dbeDSENDEPED, 0, 1, 1, 3);
    endereco->addWidget(Form::caption(grbEndereco, QStringLiteral("Bairro:"), dbeNMBAIRROPED), 1, 0);
    endereco->addWidget(dbeNMBAIRROPED, 1, 1);
    endereco->addWidget(Form::caption(grbEndereco, QStringLiteral("CEP:"), dbeNRCEPPED), 1, 2);
    endereco->addWidget(dbeNRCEPPED, 1, 3);
    endereco->addWidget(Form::caption(grbEndereco, QStringLiteral("Município:"), dbeNMMUNIPED), 2, 0);
    endereco->addWidget(dbeNMMUNIPED, 2, 1);
    endereco->addWidget(Form::caption(grbEndereco, QStringLiteral("UF:"), dbeSGESTADOPED), 2, 2);
    endereco->addWidget(dbeSGESTADOPED, 2, 3);
    endereco->addWidget(Form::caption(grbEndereco, QStringLiteral("País:"), dbeNMPAISPED), 3, 0);
    endereco->addWidget(dbeNMPAISPED, 3, 1);
    endereco->setColumnStretch(1, 1);
    page->addWidget(grbEndereco);

    auto* grbLocal = named(new QGroupBox(QStringLiteral("Local de entrega"), tshTransportadora), "grbLocalEntrega");
    auto* local = new QGridLayout(grbLocal);
    local->setColumnStretch(1, 1);
    dbeNrLocalEntrega = named(new DBEdit(grbLocal), "dbeNrLocalEntrega");
    dbeNrLocalEntrega->setMaximumWidth(90);
    edtLocalEntrega = nameBox(grbLocal, "edtLocalEntrega");
    codeRow(local, 0, QStringLiteral("Local:"), dbeNrLocalEntrega, nullptr, edtLocalEntrega);
    page->addWidget(grbLocal);
    page->addStretch(1);

    pgcPadrao->addTab(tshTransportadora, QStringLiteral("Transportadora"));
}

void TfrmLanPedido::criaPaginaObservacao()
{
    tshObservacao = named(new QWidget(pgcPadrao), "tshObservacao");
    auto* page = new QVBoxLayout(tshObservacao);
    auto* grbObs = named(new QGroupBox(QStringLiteral("Observação do pedido"), tshObservacao), "grbObservacao");
    auto* obs = new QVBoxLayout(grbObs);
    panBotoesObs = named(new QWidget(grbObs), "panBotoesObs");
    auto* botoes = new QHBoxLayout(panBotoesObs);
    botoes->setContentsMargins(0, 0, 0, 0);
    sbtImp = named(new QToolButton(panBotoesObs), "sbtImp");
    sbtImp->setText(QStringLiteral("Importar"));
    sbtImp->setIcon(screenIcon(ScreenIcon::Abrir));
    sbtImp->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    sbtSalva = named(new QToolButton(panBotoesObs), "sbtSalva");
    sbtSalva->setText(QStringLiteral("Salvar em arquivo"));
    sbtSalva->setIcon(screenIcon(ScreenIcon::Salvar));
    sbtSalva->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    botoes->addWidget(sbtImp);
    botoes->addWidget(sbtSalva);
    botoes->addStretch(1);
    obs->addWidget(panBotoesObs);
    dbrObservacao = named(new DBRichEdit(grbObs), "dbrObservacao");
    dbrObservacao->setDataSource(dtsObser);
    dbrObservacao->setDataField(QStringLiteral("TXOBSPED"));
    obs->addWidget(dbrObservacao);
    page->addWidget(grbObs, 3);

    pmnImportar = named(new QMenu(this), "pmnImportar");
    mnuArquivo = pmnImportar->addAction(QStringLiteral("Arquivo"));
    mnuArquivo->setObjectName(QStringLiteral("mnuArquivo"));
    mnuImpPedido = pmnImportar->addAction(QStringLiteral("Pedido"));
    mnuImpPedido->setObjectName(QStringLiteral("mnuImpPedido"));

    auto* grbDadosAdic = named(new QGroupBox(QStringLiteral("Dados adicionais"), tshObservacao), "grbDadosAdic");
    auto* adic = new QVBoxLayout(grbDadosAdic);
    dbgDadosAdic = named(new DBGrid(grbDadosAdic), "dbgDadosAdic");
    dbgDadosAdic->setDataSource(dtsDadosAdicPed);
    addColumns(dbgDadosAdic, {{"NRDADOADICPED", 50}, {"CDMENSAGEM", 80}, {"DSDADOADICPED", 500}});
    adic->addWidget(dbgDadosAdic);
    page->addWidget(grbDadosAdic, 2);

    pgcPadrao->addTab(tshObservacao, QStringLiteral("Observação"));
}

void TfrmLanPedido::criaPaginaEncargos()
{
    tshEncargos = named(new QWidget(pgcPadrao), "tshEncargos");
    auto* page = new QVBoxLayout(tshEncargos);
    auto* grb = named(new QGroupBox(QStringLiteral("Encargos do pedido"), tshEncargos), "grbEncargos");
    auto* layout = new QVBoxLayout(grb);
    dbgEncargos = named(new DBGrid(grb), "dbgEncargos");
    dbgEncargos->setDataSource(dtsEncargos);
    addColumns(dbgEncargos, {{"CDENCARGO", 70}, {"NMENCARGO", 280}, {"VRPERCENTENC", 70}, {"VRENCARGOPED", 110}});
    layout->addWidget(dbgEncargos);
    page->addWidget(grb);
    pgcPadrao->addTab(tshEncargos, QStringLiteral("Encargos"));
}

void TfrmLanPedido::criaPaginaFormaPgto()
{
    tshFormaPgto = named(new QWidget(pgcPadrao), "tshFormaPgto");
    auto* page = new QVBoxLayout(tshFormaPgto);
    panFormaPgto = named(new QGroupBox(QStringLiteral("Pagamento"), tshFormaPgto), "panFormaPgto");
    auto* grid = new QGridLayout(panFormaPgto);
    grid->setColumnStretch(1, 1);
    dbeModPgto = dbEdit(panFormaPgto, "dbeModPgto", dtsPadrao, "CDMODPGTO", 5);
    btnModPgto = lookupButton(panFormaPgto, "btnModPgto");
    edtModPgto = nameBox(panFormaPgto, "edtModPgto");
    codeRow(grid, 0, QStringLiteral("Modalidade:"), dbeModPgto, btnModPgto, edtModPgto);
    dbeFormPgto = dbEdit(panFormaPgto, "dbeFormPgto", dtsPadrao, "CDFORMPGTO", 2);
    edtFormPgto = nameBox(panFormaPgto, "edtFormPgto");
    codeRow(grid, 1, QStringLiteral("Forma de pagamento:"), dbeFormPgto, nullptr, edtFormPgto);
    page->addWidget(panFormaPgto);

    auto* meio = new QHBoxLayout;
    auto* grbPrazos = named(new QGroupBox(QStringLiteral("Prazos e parcelas"), tshFormaPgto), "grbPrazos");
    auto* prazos = new QVBoxLayout(grbPrazos);
    dbgPrazoPg = named(new DBGrid(grbPrazos), "dbgPrazoPg");
    dbgPrazoPg->setDataSource(dtsPrazoPgto);
    addColumns(dbgPrazoPg, {{"NRDIASPGTOPED", 60}, {"PREVISAO", 95}, {"VRPERCPGTOPED", 60}, {"DSPRAZOPGTOPED", 220},
                            {"VRPARCELA", 110}});
    for (const char* name : {"NRDIASPGTOPED", "PREVISAO", "DSPRAZOPGTOPED"})
        dbgPrazoPg->columnByField(QString::fromUtf8(name))->setReadOnly(true);
    prazos->addWidget(dbgPrazoPg);
    grbParcAutomatico = named(new QGroupBox(QStringLiteral("Parcelas automáticas"), grbPrazos), "grbParcAutomatico");
    auto* parc = new QHBoxLayout(grbParcAutomatico);
    sbtGeraParcAutomatico = named(new QToolButton(grbParcAutomatico), "sbtGeraParcAutomatico");
    sbtGeraParcAutomatico->setText(QStringLiteral("Gerar parcelas"));
    parc->addWidget(sbtGeraParcAutomatico);
    parc->addStretch(1);
    prazos->addWidget(grbParcAutomatico);
    meio->addWidget(grbPrazos, 3);

    auto* grbTotais = named(new QGroupBox(QStringLiteral("Totais"), tshFormaPgto), "grbTotaisPgto");
    auto* totais = new QGridLayout(grbTotais);
    nedTotalBruto = numberBox(grbTotais, "nedTotalBruto");
    nedDescTot = numberBox(grbTotais, "nedDescTot");
    nedImposAcres = numberBox(grbTotais, "nedImposAcres");
    nedImposDecres = numberBox(grbTotais, "nedImposDecres");
    nedEncargoAcres = numberBox(grbTotais, "nedEncargoAcres");
    nedEncargoDecres = numberBox(grbTotais, "nedEncargoDecres");
    nedTotalPed = numberBox(grbTotais, "nedTotalPed");
    nedBonificacao2 = numberBox(grbTotais, "nedBonificacao2");
    nedRecebimento = numberBox(grbTotais, "nedRecebimento");
    int row = 0;
    for (auto [caption, edit] : {std::pair{"Tot. Bruto:", nedTotalBruto}, {"Desc. Total:", nedDescTot},
                                 {"Imposto Acrescer:", nedImposAcres}, {"Imposto Decrescer:", nedImposDecres},
                                 {"Encargo Acrescer:", nedEncargoAcres}, {"Encargo Decrescer:", nedEncargoDecres},
                                 {"Bonificação:", nedBonificacao2}, {"Total Pedido:", nedTotalPed},
                                 {"Total Recebimento:", nedRecebimento}}) {
        totais->addWidget(Form::caption(grbTotais, QString::fromUtf8(caption), edit), row, 0);
        totais->addWidget(edit, row++, 1);
    }
    totais->setRowStretch(row, 1);
    meio->addWidget(grbTotais, 1);
    page->addLayout(meio, 1);

    // The payment type the modality sets, the fixed-day settings and the
    // automatic installments.
    {
        drgFormPgto = named(new QGroupBox(QStringLiteral("Tipo de Pagamento"), panFormaPgto), "drgFormPgto");
        auto* tipos = new QHBoxLayout(drgFormPgto);
        rbtAVista = named(new QRadioButton(QStringLiteral("À Vista"), drgFormPgto), "rbtAVista");
        rbtDiaFixo = named(new QRadioButton(QStringLiteral("Pagamento Fixo no Dia"), drgFormPgto), "rbtDiaFixo");
        rbtPelaForma = named(new QRadioButton(QStringLiteral("Pela Forma de Pagamento"), drgFormPgto), "rbtPelaForma");
        for (QRadioButton* tipo : {rbtAVista, rbtDiaFixo, rbtPelaForma}) {
            // Read-only: the modality sets the type.
            tipo->setAttribute(Qt::WA_TransparentForMouseEvents);
            tipo->setFocusPolicy(Qt::NoFocus);
            tipos->addWidget(tipo);
        }
        tipos->addStretch(1);
        grid->addWidget(drgFormPgto, 2, 0, 1, 2);

        auto* fixo = new QHBoxLayout;
        speDiaFixo = named(new QSpinBox(panFormaPgto), "speDiaFixo");
        speParcela = named(new QSpinBox(panFormaPgto), "speParcela");
        // 0 stands for an empty spin edit.
        speDiaFixo->setRange(0, 99);
        speParcela->setRange(0, 99);
        for (QSpinBox* spin : {speDiaFixo, speParcela}) {
            spin->setSpecialValueText(QStringLiteral(" "));
            spin->setMaximumWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("999")) + 40);
        }
        lblCom = named(new QLabel(QStringLiteral("com"), panFormaPgto), "lblCom");
        lblParenteses = named(new QLabel(QStringLiteral("("), panFormaPgto), "lblParenteses");
        lblParcelas = named(new QLabel(QStringLiteral("Parcela(s)"), panFormaPgto), "lblParcelas");
        dckProxMes = named(new QCheckBox(QStringLiteral("1ª Próximo Mês )"), panFormaPgto), "dckProxMes");
        auto* lblDiaFixo = Form::caption(panFormaPgto, QStringLiteral("Dia fixo:"), speDiaFixo);
        for (QWidget* parte : std::initializer_list<QWidget*>{speDiaFixo, lblCom, speParcela, lblParcelas, lblParenteses, dckProxMes})
            fixo->addWidget(parte);
        fixo->addStretch(1);
        grid->addWidget(lblDiaFixo, 3, 0);
        grid->addLayout(fixo, 3, 1);

        const std::pair<const char*, const char*> titulos[] = {{"NRDIASPGTOPED", "Prazo (dias)"}, {"PREVISAO", "Previsão"},
                                                                {"VRPERCPGTOPED", "Percentual (%)"}, {"DSPRAZOPGTOPED", "Descrição"},
                                                                {"VRPARCELA", "Valor"}};
        for (const auto& [campo, titulo] : titulos)
            dbgPrazoPg->columnByField(QString::fromUtf8(campo))->setTitle(QString::fromUtf8(titulo));
        dbgPrazoPg->columnByField(QStringLiteral("PREVISAO"))->setWidth(115);

        grbParcAutomatico->setTitle(QStringLiteral("Parcelamento Automático"));
        speQtParcela = named(new QSpinBox(grbParcAutomatico), "speQtParcela");
        speQtParcela->setRange(1, 31);
        spePrazo = named(new QSpinBox(grbParcAutomatico), "spePrazo");
        spePrazo->setRange(1, 31);
        spePrazo->setValue(30);
        edtDescricao = named(new QLineEdit(grbParcAutomatico), "edtDescricao");
        edtDescricao->setMaxLength(20);
        int posicao = 0;
        for (auto [legenda, controle] : {std::pair<const char*, QWidget*>{"Quantidade de Parcelas", speQtParcela},
                                         {"Prazo(Dias)", spePrazo}, {"Descrição", edtDescricao}}) {
            parc->insertWidget(posicao++, Form::caption(grbParcAutomatico, QString::fromUtf8(legenda), controle));
            parc->insertWidget(posicao++, controle, controle == edtDescricao ? 1 : 0);
        }
        sbtGeraParcAutomatico->setToolTip(QStringLiteral("Gerar Parcelas Automáticas"));
        sbtGeraParcAutomatico->setIcon(screenIcon(ScreenIcon::Confirmar));
        lblGerarParcelas = named(new QLabel(QStringLiteral("<a href=\"gerar\">Gerar Parcelas</a>"), grbParcAutomatico),
                                 "lblGerarParcelas");
        parc->insertWidget(posicao + 1, lblGerarParcelas);
        for (QWidget* automatico : std::initializer_list<QWidget*>{grbParcAutomatico, sbtGeraParcAutomatico, lblGerarParcelas})
            automatico->setVisible(false);
        ligaPagamento();
    }

    pgcPadrao->addTab(tshFormaPgto, QStringLiteral("Forma de Pagamento"));
}

// "Operação" lists the pages above the commands; each item opens its page.
void TfrmLanPedido::criaMenuPaginas()
{
    QAction* primeiro = mnuOperacao->actions().value(0);
    auto item = [&](const char* name, const QString& caption, QWidget* page) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromUtf8(name));
        action->setCheckable(true);
        mnuOperacao->insertAction(primeiro, action);
        connect(action, &QAction::triggered, this, [this, page] { selecionaPagina(page); });
        return action;
    };
    mnuPedido = item("mnuPedido", QStringLiteral("Pedidos"), tshPadrao);
    mnuDadosGerais = item("mnuDadosGerais", QStringLiteral("Dados Gerais"), tshDadosPed);
    mnuItemPed = item("mnuItemPed", QStringLiteral("Itens"), tshItemPedido);
    mnuFormaPgto = item("mnuFormaPgto", QStringLiteral("Forma de Pagamento"), tshFormaPgto);
    mnuTransp = item("mnuTransp", QStringLiteral("Transportadora"), tshTransportadora);
    mnuObser = item("mnuObser", QStringLiteral("Observação"), tshObservacao);
    mnuEncargos = item("mnuEncargos", QStringLiteral("Encargos"), tshEncargos);
    mnuOperacao->insertSeparator(primeiro);
}
