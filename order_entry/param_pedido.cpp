// The branch's order-entry parameters and what each of them switches on the
// screen: visibility of controls and columns, editability, required marks.

#include "lanpedido.h"
#include "cds_values.h"

#include "loadbpl.h"
#include "recordset.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>

namespace {

struct ParamDef {
    const char* name;
    FieldType type;
    int size;
};

constexpr FieldType S = FieldType::String;
constexpr FieldType F = FieldType::Float;

// In record order.
const ParamDef paramPedidoFields[] = {
    {"IDTPCOMPPROD", S, 1}, {"IDPERALTPRECO", S, 1}, {"CDMODPGTO", S, 5}, {"CDVENDEDOR", S, 4},
    {"IDTABPRECO", S, 1}, {"IDUTRESELOTE", S, 1}, {"IDLANCPED", S, 1}, {"IDTESTAEST", S, 1},
    {"IDOBRINFTRAN", S, 1}, {"NRDIASENTPED", S, 4}, {"NRMAXITNFPED", F, 0}, {"IDEXIBPEDIDO", S, 1},
    {"DSMODPGTO", S, 100}, {"IDMENSVEND", S, 1}, {"IDOBRTPOPPED", S, 1}, {"NMFANVEN", S, 50},
    {"IDUTVALIPED", S, 1}, {"QTDIAVALIPED", F, 0}, {"IDUTDESCMAXI", S, 1}, {"IDEXCLPEDIDO", S, 1},
    {"CDTIPOOPER", S, 2}, {"CDCLIENTE", S, 21}, {"NMFANTCLIE", S, 50}, {"IDTPIJURCLIE", S, 1},
    {"NRINSJURCLIE", S, 20}, {"IDEXIBDADORC", S, 1}, {"IDUTCTRELANP", S, 1}, {"IDEXIBIMPITPED", S, 1},
    {"IDEXIBRENTPED", S, 1}, {"IDEXIBPRINATIV", S, 1}, {"IDLANENCARGOPED", S, 1}, {"IDEXIBEPRAZOPED", S, 1},
    {"IDTIPOPEDINC", S, 1}, {"IDALTFORMAPAG", S, 1}, {"DSPERALTMAIOR", S, 10}, {"DSPERALTMENOR", S, 10},
    {"CDGRUALTPRECO", S, 2}, {"IDEXIBVENDCOM", S, 1}, {"IDALTMODPAG", S, 1}, {"IDOBRDIMENSAO", S, 1},
    {"IDALTPRECOPC", S, 1}, {"IDDIMEVARDESC", S, 1}, {"IDCALCPRECODIME", S, 1}, {"IDUTDEPOSITO", S, 1},
    {"CDFILDEPOSITO", S, 4}, {"CDGRUNRENTAVEL", S, 2}, {"NRTPCUSTORENT", S, 2}, {"IDCONFISPRODCLIE", S, 1},
    {"IDCONFISPRODFIL", S, 1}, {"IDCONFISPRODTRA", S, 1}, {"IDCALCPRECFAT", S, 1}, {"IDUTFILIALDESTINO", S, 3},
    {"IDEXIBLOCALENTRCLI", S, 3}, {"VRPECOMVEN", F, 0}, {"CDPRECOBASE", S, 2}, {"DSPRECOBASE", S, 30},
    {"IDUTENDEENTRPED", S, 1}, {"IDCTRLESTQ", S, 1}, {"IDCONSORCSALDEST", S, 1}, {"CDFILIAL", S, 4},
};

// Columns of the list grid that only quotation-event branches show, in the
// order they lead the grid.
const char* const colunasOrcamento[] = {"CDFILIALORC", "NRORCAEVENTO", "NRSEQORCAEVE", "CDDEPTO"};

const QColor corObrigatorio(255, 255, 204);

void showColumn(DBGrid* grid, const QString& fieldName, bool visible)
{
    if (DBGridColumn* column = grid->columnByField(fieldName))
        column->setVisible(visible);
}

void markRequired(QWidget* widget, bool required)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, required ? corObrigatorio : QPalette().color(QPalette::Base));
    widget->setPalette(palette);
}

} // namespace

void TfrmLanPedido::criaParamPedido()
{
    cdsParamPedido = new RecordSet(QStringLiteral("cdsParamPedido"), this);
    for (const ParamDef& def : paramPedidoFields)
        cdsParamPedido->addField(QString::fromUtf8(def.name), def.type, def.size);
}

QString TfrmLanPedido::paramPedido(const QString& fieldName) const
{
    if (!temLinhas(cdsParamPedido))
        return {};
    return cdsParamPedido->fieldByName(fieldName).asString();
}

// Effects that follow the branch when it is validated.
void TfrmLanPedido::AplicaParamPedido()
{
    const bool impostos = paramPedido(QStringLiteral("IDEXIBIMPITPED")) == u"S";
    panImposto->setVisible(impostos);

    // Quotation columns lead the list grid when the branch works with events.
    const bool orcamento = paramPedido(QStringLiteral("IDEXIBDADORC")) == u"S";
    int position = 0;
    for (const char* name : colunasOrcamento) {
        const QString fieldName = QString::fromUtf8(name);
        DBGridColumn* column = dbgPadrao->columnByField(fieldName);
        if (orcamento && !column)
            dbgPadrao->insertColumn(position, fieldName);
        else if (!orcamento && column)
            dbgPadrao->removeColumn(column->index());
        if (orcamento)
            ++position;
    }

    const QString rentabilidade = paramPedido(QStringLiteral("IDEXIBRENTPED"));
    const bool mostraRent = rentabilidade != u"N";
    showColumn(dbgPadrao, QStringLiteral("COR_RENTABILIDADE"), mostraRent);
    showColumn(dbgItemPedido, QStringLiteral("vrRentabilidade"), mostraRent);
    showColumn(dbgItemPedido, QStringLiteral("VRACREDESCITPEDUNIT"), rentabilidade == u"F");
    mostraLegendas();

    const bool composicao = paramPedido(QStringLiteral("IDTPCOMPPROD")) == u"V";
    showColumn(dbgItemPedido, QStringLiteral("IDCOMP"), composicao);
    showColumn(dbgItemPedido, QStringLiteral("VRPERCMARKUPIT"), composicao);

    const bool porFator = paramPedido(QStringLiteral("IDTABPRECO")) == u"2";
    for (const char* name : {"SGFATPRECO", "QTITEMPED2", "SGUNIDPAI"})
        showColumn(dbgItemPedido, QString::fromUtf8(name), porFator);
    if (DBGridColumn* fator = dbgItemPedido->columnByField(QStringLiteral("SGFATPRECO")))
        fator->setButtonStyle(porFator ? DBGridColumn::ButtonStyle::Ellipsis : DBGridColumn::ButtonStyle::Auto);
    if (DBGridColumn* preco = dbgItemPedido->columnByField(QStringLiteral("VRPREUNITPED"))) {
        // In factor mode the button prices by factor; where the clerk may change
        // prices it offers the optional prices.
        const bool botaoPreco = porFator || paramPedido(QStringLiteral("IDPERALTPRECO")) == u"S";
        preco->setButtonStyle(botaoPreco ? DBGridColumn::ButtonStyle::Ellipsis : DBGridColumn::ButtonStyle::Auto);
        preco->setReadOnly(paramPedido(QStringLiteral("IDPERALTPRECO")) == u"N");
    }
    if (DBGridColumn* condicao = dbgItemPedido->columnByField(QStringLiteral("CDTIPODESC")))
        condicao->setButtonStyle(DBGridColumn::ButtonStyle::Ellipsis);
    showColumn(dbgItemPedido, QStringLiteral("CDTIPODESC"), !porFator && temLinhas(cdsCondDesc));
    showColumn(dbgItemPedido, QStringLiteral("IDITEMPEDTERC"), chbPedIndustria->isChecked());

    const bool porLote = paramPedido(QStringLiteral("IDUTRESELOTE")) == u"S";
    panPosiEstoq->setVisible(porLote);

    showColumn(dbgPosiEstoq, QStringLiteral("CDFILIALDEP"), paramPedido(QStringLiteral("IDUTDEPOSITO")) == u"S");

    const bool tipoOperacao = paramPedido(QStringLiteral("IDOBRTPOPPED")) == u"S";
    for (QWidget* control : std::initializer_list<QWidget*>{lblTipoOper, dbeTipoOper, edtNmTipoOper, btnTipoOper})
        control->setVisible(tipoOperacao);
    if (!tipoOperacao) {
        if (DBGridColumn* column = dbgPadrao->columnByField(QStringLiteral("NMTIPOOPER")))
            dbgPadrao->removeColumn(column->index());
    } else if (!dbgPadrao->columnByField(QStringLiteral("NMTIPOOPER"))) {
        const DBGridColumn* vendedor = dbgPadrao->columnByField(QStringLiteral("NMFANVEN"));
        dbgPadrao->insertColumn(vendedor ? vendedor->index() + 1 : dbgPadrao->columnCount(), QStringLiteral("NMTIPOOPER"));
    }

    const bool empenho = paramPedido(QStringLiteral("IDUTCTRELANP")) == u"2";
    for (QWidget* control : std::initializer_list<QWidget*>{lblEmpenho, dbeEmpenho, btpEmpenho, nedVrEmpenho,
                                                            findChild<QLabel*>(QStringLiteral("lblSaldoEmpenho"))})
        control->setVisible(empenho);

    const bool transporteObrigatorio = paramPedido(QStringLiteral("IDOBRINFTRAN")) == u"2";
    for (QWidget* control : std::initializer_list<QWidget*>{dbeTransp, dbeTipoTransp, cmbFrete})
        markRequired(control, transporteObrigatorio);

    grbDtVal->setVisible(paramPedido(QStringLiteral("IDUTVALIPED")) != u"N");

    const bool prazoEntrega = paramPedido(QStringLiteral("IDEXIBEPRAZOPED")) == u"S";
    showColumn(dbgItemPedido, QStringLiteral("DSPRAZOENTITPED"), prazoEntrega);
    dbePrazo->setVisible(prazoEntrega);

    HabilitaColunaImporta();

    sbtConsVendAdic->setEnabled(paramPedido(QStringLiteral("IDEXIBVENDCOM")) == u"S");

    if (paramPedido(QStringLiteral("IDMENSVEND")) == u"2" && temLinhas(cdsVendLog))
        LoadBPL(QStringLiteral("PED04800"), {cdsVendLog->fieldByName(QStringLiteral("CDVENDEDOR")).asString()});
}

// Effects renewed on every exit of the branch panel, also when the branch
// did not change.
void TfrmLanPedido::AplicaParamPedidoSempre()
{
    const bool principioAtivo = paramPedido(QStringLiteral("IDEXIBPRINATIV")) != u"N";
    for (const char* name : {"NMFABRIC", "NMPRINATIV", "DSREFBIBPROD"})
        showColumn(dbgPosiEstoq, QString::fromUtf8(name), principioAtivo);

    const int encargos = pgcPadrao->indexOf(tshEncargos);
    pgcPadrao->setTabVisible(encargos, paramPedido(QStringLiteral("IDLANENCARGOPED")) == u"S");
    mnuEncargos->setVisible(pgcPadrao->isTabVisible(encargos));

    const bool alteraPrazo = paramPedido(QStringLiteral("IDALTFORMAPAG")) == u"S";
    for (const char* name : {"NRDIASPGTOPED", "PREVISAO", "DSPRAZOPGTOPED"})
        if (DBGridColumn* column = dbgPrazoPg->columnByField(QString::fromUtf8(name)))
            column->setReadOnly(!alteraPrazo);

    const bool alteraModalidade = paramPedido(QStringLiteral("IDALTMODPAG")) != u"N";
    for (QWidget* control : std::initializer_list<QWidget*>{dbeModPgto, btnModPgto})
        control->setEnabled(alteraModalidade);

    const bool filialDestino = paramPedido(QStringLiteral("IDUTFILIALDESTINO")) == u"SIM";
    for (QWidget* control : std::initializer_list<QWidget*>{dbeFiliDest, btnFiliDest})
        control->setEnabled(filialDestino);
}
