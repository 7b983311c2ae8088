// The dialog's controls and their places: numbers and dates at the left, the
// code-list groups in the middle, the check boxes and the import period at the
// right, so that the three columns come out about as tall.

#include "filtropedidodialog.h"

#include "lookupquery.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "screens/screenicons.h"
#include "widgets/buttonflat.h"
#include "widgets/dateeditplus.h"
#include "widgets/form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

using Form::named;

QGroupBox* group(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QGroupBox(caption, parent), name);
}

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QRadioButton(caption, parent), name);
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QCheckBox(caption, parent), name);
}

QLineEdit* digitsEdit(QWidget* parent, const char* name, int maxLength)
{
    auto* edit = named(new QLineEdit(parent), name);
    edit->setMaxLength(maxLength);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edit));
    return edit;
}

TButtonFlat* lookupButton(QWidget* parent, const QString& name)
{
    return Form::listButton(parent, name, QStringLiteral("Escolher a lista (F9)"));
}

TDateEditPlus* dateEdit(QWidget* parent, const char* name)
{
    auto* edit = named(new TDateEditPlus(parent), name);
    edit->setMinimumWidth(112);
    return edit;
}

// "De" [from] "Até" [to] in one row of a group.
QHBoxLayout* rangeRow(QLabel* fromLabel, QWidget* from, QLabel* toLabel, QWidget* to)
{
    auto* row = new QHBoxLayout;
    row->addWidget(fromLabel);
    row->addWidget(from, 1);
    row->addSpacing(6);
    row->addWidget(toLabel);
    row->addWidget(to, 1);
    return row;
}

QHBoxLayout* rangeRow(QWidget* parent, QWidget* from, QWidget* to)
{
    return rangeRow(new QLabel(QStringLiteral("De"), parent), from, new QLabel(QStringLiteral("Até"), parent), to);
}

void addChecks(QGroupBox* box, const QList<QCheckBox*>& checks, int columns)
{
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(14);
    for (int i = 0; i < checks.size(); ++i)
        grid->addWidget(checks.at(i), i / columns, i % columns);
}

// A number criterion: all, a range or a list (with its look-up button) on
// one line, the range's bounds below.
void numberCriterionLayout(QGroupBox* box, const QList<QRadioButton*>& options, TButtonFlat* lookup,
                           QHBoxLayout* range)
{
    auto* layout = new QVBoxLayout(box);
    auto* row = new QHBoxLayout;
    for (QRadioButton* option : options)
        row->addWidget(option);
    row->addStretch(1);
    row->addWidget(lookup);
    layout->addLayout(row);
    layout->addLayout(range);
}

QVBoxLayout* column(QHBoxLayout* columns)
{
    auto* layout = new QVBoxLayout;
    layout->setSpacing(6);
    columns->addLayout(layout, 1);
    return layout;
}

} // namespace

QGroupBox* TfrmFiltroPedido::listGroup(const QString& name, const QString& caption, QRadioButton*& todos,
                                       QRadioButton*& lista, TButtonFlat*& lookup)
{
    auto* box = new QGroupBox(caption, panPrincipal);
    box->setObjectName(QStringLiteral("grb") + name);
    todos = new QRadioButton(QStringLiteral("Todos"), box);
    todos->setObjectName(QStringLiteral("rbtT") + name);
    lista = new QRadioButton(QStringLiteral("Lista"), box);
    lista->setObjectName(QStringLiteral("rbtL") + name);
    lookup = lookupButton(box, QStringLiteral("btn") + name);
    todos->setChecked(true);
    lista->installEventFilter(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(9, 4, 9, 4);
    row->addWidget(todos);
    row->addWidget(lista);
    row->addStretch(1);
    row->addWidget(lookup);
    return box;
}

void TfrmFiltroPedido::buildControls()
{
    QWidget* const pan = panPrincipal;

    // Order number.
    grbNrPedido = group(pan, "grbNrPedido", QStringLiteral("Nº Pedido"));
    rbtTNrPedido = radio(grbNrPedido, "rbtTNrPedido", QStringLiteral("Todos"));
    rbtIntervalo = radio(grbNrPedido, "rbtIntervalo", QStringLiteral("Intervalo"));
    rbtLNrPedido = radio(grbNrPedido, "rbtLNrPedido", QStringLiteral("Lista"));
    lblDeIntervalo = named(new QLabel(QStringLiteral("De"), grbNrPedido), "lblDeIntervalo");
    lblAteIntervalo = named(new QLabel(QStringLiteral("Até"), grbNrPedido), "lblAteIntervalo");
    medDeIntervalo = digitsEdit(grbNrPedido, "medDeIntervalo", 10);
    medAteIntervalo = digitsEdit(grbNrPedido, "medAteIntervalo", 10);
    btnNrPedido = lookupButton(grbNrPedido, QStringLiteral("btnNrPedido"));
    rbtTNrPedido->setChecked(true);
    rbtLNrPedido->installEventFilter(this);
    numberCriterionLayout(grbNrPedido, {rbtTNrPedido, rbtIntervalo, rbtLNrPedido}, btnNrPedido,
                          rangeRow(lblDeIntervalo, medDeIntervalo, lblAteIntervalo, medAteIntervalo));

    // Invoice number.
    grbNota = group(pan, "grbNota", QStringLiteral("Nº Nota Fiscal"));
    rdbTNota = radio(grbNota, "rdbTNota", QStringLiteral("Todos"));
    rdbInNota = radio(grbNota, "rdbInNota", QStringLiteral("Intervalo"));
    rdbLNota = radio(grbNota, "rdbLNota", QStringLiteral("Lista"));
    lblDeNota = named(new QLabel(QStringLiteral("De"), grbNota), "lblDeNota");
    lblAteNota = named(new QLabel(QStringLiteral("Até"), grbNota), "lblAteNota");
    edtDeNota = digitsEdit(grbNota, "edtDeNota", 20);
    edtAteNota = digitsEdit(grbNota, "edtAteNota", 20);
    btnNota = lookupButton(grbNota, QStringLiteral("btnNota"));
    rdbTNota->setChecked(true);
    rdbLNota->installEventFilter(this);
    numberCriterionLayout(grbNota, {rdbTNota, rdbInNota, rdbLNota}, btnNota,
                          rangeRow(lblDeNota, edtDeNota, lblAteNota, edtAteNota));

    // Dates.
    grbEmissao = group(pan, "grbEmissao", QStringLiteral("Data Lançamento Pedido"));
    depDeEmissao = dateEdit(grbEmissao, "depDeEmissao");
    depAteEmissao = dateEdit(grbEmissao, "depAteEmissao");
    (new QVBoxLayout(grbEmissao))->addLayout(rangeRow(grbEmissao, depDeEmissao, depAteEmissao));
    grbEntrega = group(pan, "grbEntrega", QStringLiteral("Data Entrega"));
    depDeEntrega = dateEdit(grbEntrega, "depDeEntrega");
    depAteEntrega = dateEdit(grbEntrega, "depAteEntrega");
    (new QVBoxLayout(grbEntrega))->addLayout(rangeRow(grbEntrega, depDeEntrega, depAteEntrega));

    // Quotation range.
    grbOrcamento = group(pan, "grbOrcamento", QStringLiteral("Orçamento"));
    medOrcDe = named(new QLineEdit(grbOrcamento), "medOrcDe");
    medOrcAte = named(new QLineEdit(grbOrcamento), "medOrcAte");
    for (QLineEdit* edit : {medOrcDe, medOrcAte})
        edit->setMaxLength(10);
    (new QVBoxLayout(grbOrcamento))->addLayout(rangeRow(grbOrcamento, medOrcDe, medOrcAte));

    // Purchase order.
    grbOrdem = group(pan, "grbOrdem", QStringLiteral("Ordem de Compra"));
    edtOrdem = named(new QLineEdit(grbOrdem), "edtOrdem");
    edtOrdem->setMaxLength(15);
    (new QVBoxLayout(grbOrdem))->addWidget(edtOrdem);

    // Import.
    grbImportacao = group(pan, "grbImportacao", QStringLiteral("Data da Importação"));
    depDeImporta = dateEdit(grbImportacao, "depDeImporta");
    depAteImporta = dateEdit(grbImportacao, "depAteImporta");
    (new QVBoxLayout(grbImportacao))->addLayout(rangeRow(grbImportacao, depDeImporta, depAteImporta));
    grbNrImportacao = group(pan, "grbNrImportacao", QStringLiteral("Nr. Importação"));
    medNrImporta = digitsEdit(grbNrImportacao, "medNrImporta", 10);
    (new QVBoxLayout(grbNrImportacao))->addWidget(medNrImporta);
    grbPedImportados = group(pan, "grbPedImportados", QStringLiteral("Pedidos Importados"));
    rdbTodosPed = radio(grbPedImportados, "rdbTodosPed", QStringLiteral("Todos os Pedidos"));
    rdbSemEstoq = radio(grbPedImportados, "rdbSemEstoq", QStringLiteral("Pedidos com Produtos sem Estoque"));
    rdbTodosPed->setChecked(true);
    {
        auto* layout = new QVBoxLayout(grbPedImportados);
        layout->addWidget(rdbTodosPed);
        layout->addWidget(rdbSemEstoq);
    }

    // Check boxes.
    grbPrioridade = group(pan, "grbPrioridade", QStringLiteral("Prioridade"));
    chbBaixa = check(grbPrioridade, "chbBaixa", QStringLiteral("Baixa"));
    chbNormal = check(grbPrioridade, "chbNormal", QStringLiteral("Normal"));
    chbAlta = check(grbPrioridade, "chbAlta", QStringLiteral("Alta"));
    chbUrgente = check(grbPrioridade, "chbUrgente", QStringLiteral("Urgente"));
    chbPrioritaria = check(grbPrioridade, "chbPrioritaria", QStringLiteral("Prioritária"));
    addChecks(grbPrioridade, {chbBaixa, chbNormal, chbAlta, chbUrgente, chbPrioritaria}, 3);

    grbStatusPedido = group(pan, "grbStatusPedido", QStringLiteral("Situação do Pedido"));
    chbPendente = check(grbStatusPedido, "chbPendente", QStringLiteral("Pendente"));
    chbAndamento = check(grbStatusPedido, "chbAndamento", QStringLiteral("Em Andamento"));
    chbLiquidado = check(grbStatusPedido, "chbLiquidado", QStringLiteral("Liquidado"));
    chbCancelado = check(grbStatusPedido, "chbCancelado", QStringLiteral("Cancelado"));
    chbParcialmente = check(grbStatusPedido, "chbParcialmente", QStringLiteral("Parc. Atendido"));
    addChecks(grbStatusPedido, {chbPendente, chbAndamento, chbLiquidado, chbCancelado, chbParcialmente}, 3);

    grbStatusItem = group(pan, "grbStatusItem", QStringLiteral("Situação do Item"));
    chbIPendente = check(grbStatusItem, "chbIPendente", QStringLiteral("Pendente"));
    chbIConfirmado = check(grbStatusItem, "chbIConfirmado", QStringLiteral("Confirmado"));
    chbIAprovado = check(grbStatusItem, "chbIAprovado", QStringLiteral("Aprovado"));
    chbILiquidado = check(grbStatusItem, "chbILiquidado", QStringLiteral("Liquidado"));
    chbICancelado = check(grbStatusItem, "chbICancelado", QStringLiteral("Cancelado"));
    chbIParcialmente = check(grbStatusItem, "chbIParcialmente", QStringLiteral("Parc. Atendido"));
    addChecks(grbStatusItem, {chbIPendente, chbIConfirmado, chbIAprovado, chbILiquidado, chbICancelado, chbIParcialmente},
              3);

    grbTipoPedido = group(pan, "grbTipoPedido", QStringLiteral("Tipo do Pedido"));
    chbPedido = check(grbTipoPedido, "chbPedido", QStringLiteral("Pedido"));
    chbOrcamento = check(grbTipoPedido, "chbOrcamento", QStringLiteral("Orçamento"));
    addChecks(grbTipoPedido, {chbPedido, chbOrcamento}, 2);

    // Code lists.
    grbCliente = listGroup(QStringLiteral("Cliente"), QStringLiteral("Cliente"), rbtTCliente, rbtLCliente, btnCliente);
    grbVendedor = listGroup(QStringLiteral("Vendedor"), QStringLiteral("Vendedor"), rbtTVendedor, rbtLVendedor,
                            btnVendedor);
    grbVendComis = listGroup(QStringLiteral("VendComis"), QStringLiteral("Vendedor Comissionado"), rbtTVendComis,
                             rbtLVendComis, btnVendComis);
    grbProduto = listGroup(QStringLiteral("Produto"), QStringLiteral("Produto"), rbtTProduto, rbtLProduto, btnProduto);
    grbFiliDest = listGroup(QStringLiteral("FiliDest"), QStringLiteral("Filial Destino"), rbtTFiliDest, rbtLFiliDest,
                            btnFiliDest);
    grbMuniciCli = listGroup(QStringLiteral("MuniciCli"), QStringLiteral("Município do Cliente"), rbtTMuniciCli,
                             rbtLMuniciCli, btnMuniciCli);
    grbOrigem = listGroup(QStringLiteral("Origem"), QStringLiteral("Origem"), rbtTOrigem, rbtLOrigem, btnOrigem);
    grbTipoDeOp = listGroup(QStringLiteral("TipoOper"), QStringLiteral("Tipo de Operação"), rbtTTipoOper, rbtLTipoOper,
                            btnTipoOper);
    grbTipoDeOp->setObjectName(QStringLiteral("grbTipoDeOp"));
    grbDepartamento = listGroup(QStringLiteral("Depto"), QStringLiteral("Departamento"), rbtTDepto, rbtLDepto, btnDepto);
    grbDepartamento->setObjectName(QStringLiteral("grbDepartamento"));

    auto* columns = new QHBoxLayout(pan);
    columns->setContentsMargins(10, 10, 10, 10);
    columns->setSpacing(10);
    QVBoxLayout* left = column(columns);
    for (QGroupBox* box : {grbNrPedido, grbNota, grbEmissao, grbEntrega, grbOrcamento, grbOrdem, grbNrImportacao})
        left->addWidget(box);
    left->addStretch(1);
    QVBoxLayout* middle = column(columns);
    for (QGroupBox* box : {grbCliente, grbVendedor, grbVendComis, grbProduto, grbFiliDest, grbMuniciCli, grbOrigem,
                           grbTipoDeOp, grbDepartamento})
        middle->addWidget(box);
    middle->addStretch(1);
    QVBoxLayout* right = column(columns);
    for (QGroupBox* box : {grbPrioridade, grbStatusPedido, grbStatusItem, grbTipoPedido, grbImportacao,
                           grbPedImportados})
        right->addWidget(box);
    right->addStretch(1);

    sbtLimpa = new QPushButton(screenIcon(ScreenIcon::Limpar), QStringLiteral("&Limpar"), panBotoes);
    sbtLimpa->setObjectName(QStringLiteral("sbtLimpa"));
    sbtLimpa->setToolTip(QStringLiteral("Desfazer"));
    sbtLimpa->setAutoDefault(false);
    buttonBarLayout()->insertWidget(3, sbtLimpa);
}

QString TfrmFiltroPedido::paramPedido(const QString& field) const
{
    const RecordSet* params = tela.cdsParamPedido;
    if (!params || !params->isActive() || params->isEmpty() || !params->findField(field))
        return {};
    return params->fieldByName(field).asString();
}

// One row per order origin; those of the quotation execution only where the
// branch shows quotation data.
void TfrmFiltroPedido::buildOrigens()
{
    cdsOrigem->addField(QStringLiteral("IDMARCADO"), FieldType::String, 1).setVisible(false);
    cdsOrigem->addField(QStringLiteral("NRORIGEM"), FieldType::String, 1).setDisplayLabel(QStringLiteral("Código"));
    cdsOrigem->addField(QStringLiteral("NMORIGEM"), FieldType::String, 38).setDisplayLabel(QStringLiteral("Origem"));
    cdsOrigem->createDataSet();
    QList<std::pair<const char*, const char*>> origens = {{"9", "PEDIDO_OL"}, {"1", "SISTEMA"}, {"2", "SITE"},
                                                          {"3", "PALM"}};
    if (paramPedido(QStringLiteral("IDEXIBDADORC")) == u"S")
        origens += {{"4", "EXE_ORC_PROD"}, {"5", "EXE_ORC_MAT"}, {"6", "FECHA_DEGUSTACAO"}, {"7", "APROV_ENC"},
                    {"8", "PRATARIA"}};
    for (const auto& [code, key] : origens) {
        cdsOrigem->append();
        cdsOrigem->fieldByName(QStringLiteral("IDMARCADO")).setValue(QStringLiteral("N"));
        cdsOrigem->fieldByName(QStringLiteral("NRORIGEM")).setValue(QString::fromLatin1(code));
        cdsOrigem->fieldByName(QStringLiteral("NMORIGEM")).setValue(msgPadrao.Msg(QString::fromLatin1(key)));
        cdsOrigem->post();
    }
    cdsOrigem->first();
}

// Groups the branch's parameters leave out; the columns close up around them.
void TfrmFiltroPedido::applyParameters()
{
    const bool tipoOper = paramPedido(QStringLiteral("IDOBRTPOPPED")) == u"S";
    grbTipoDeOp->setVisible(tipoOper);
    grbTipoDeOp->setEnabled(tipoOper);
    const bool orcamento = paramPedido(QStringLiteral("IDEXIBDADORC")) == u"S";
    grbOrcamento->setVisible(orcamento);
    grbDepartamento->setVisible(orcamento);
    m_restrictedSeller = paramPedido(QStringLiteral("IDEXIBPEDIDO")) == u"2"
        && (!tela.cdsOperTPed || !tela.cdsOperTPed->isActive() || tela.cdsOperTPed->isEmpty());
    adjustSize();
}
