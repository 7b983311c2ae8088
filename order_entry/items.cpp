// The items of the current order: the item record set with its codes,
// calculated values and aggregates, what happens when an item is inserted,
// edited, deleted, scrolled to and posted, and the totals under the grid.

#include "lanpedido.h"
#include "field_list.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "lookupquery.h"
#include "paintonce.h"
#include "recordset.h"
#include "rpcarg.h"
#include "rules/item_values.h"
#include "screens/dbgeral.h"
#include "values.h"
#include "widgets/datasource.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <optional>

using namespace LanPedido;
using namespace Rpc::LanPedido;
using namespace FieldList;

namespace {

using K = Field::Kind;

struct ItemField {
    const char* name;
    K kind;
    FieldType type;
    int size;
    const char* label;
    bool visible;
};

constexpr bool shown = true;
constexpr bool hidden = false;

// The item record in its declared order. A string without a stated size has 20.
const ItemField itemFields[] = {
    {"VRITEPREBASE", K::Data, F, 0, "", hidden},
    {"VRCUSTPRODBASE", K::Data, F, 0, "", hidden},
    {"VrTotal", K::Calculated, F, 0, "Valor Total", hidden},
    {"NRPEDIDO", K::Data, S, 10, "Nº Pedido", hidden},
    {"CDARVPROD", K::Data, S, 20, "Produto", shown},
    {"QTITEMPED", K::Data, F, 0, "Quantidade", shown},
    {"NMPRODUTO", K::Data, S, 50, "Nome do Produto", shown},
    {"CDTIPODESC", K::Data, S, 10, "Tipo de Desconto", shown},
    {"NMTIPODESC", K::Data, S, 50, "Tipo de Desconto", hidden},
    {"SGUNIDADE", K::Data, S, 10, "Un.", shown},
    {"VRPREUNITPED", K::Data, F, 0, "Preço Unitário", shown},
    {"VRACREDESCITPEDUNIT", K::Data, F, 0, "Preço Bruto", hidden},
    {"VRACREDESCITPED", K::Data, F, 0, "Total Bruto", hidden},
    {"NRITEMPED", K::Data, S, 10, "Nº Item Pedido", hidden},
    {"IDSITITEMPED", K::Data, S, 1, "Sit.", hidden},
    {"QTEXPITEMPED", K::Data, F, 0, "Qt. Expedida", hidden},
    {"VRPREUNIT", K::Data, F, 0, "", hidden},
    {"CDFILIAL", K::Data, S, 4, "Filial", hidden},
    {"CDFATPRECO", K::Data, S, 3, "", hidden},
    {"QTITEMPED2", K::Data, F, 0, "Qtde. Conv.", hidden},
    {"SGFATPRECO", K::Data, S, 4, "Fator", hidden},
    {"CDPRODESTO", K::Data, S, 10, "", hidden},
    {"DTENTITPED", K::Data, DT, 0, "Entrega", shown},
    {"IDITPEDDIFER", K::Data, S, 1, "Tipo", shown},
    {"DSITEMPED", K::Data, S, 2000, "Observação do Item", shown},
    {"VRPESOITPED", K::Data, F, 0, "Peso", hidden},
    {"SGUNIDPAI", K::Data, S, 5, "Un.", hidden},
    {"CDPRODUTO", K::Data, S, 10, "", hidden},
    {"VRPESOBRUTPR", K::Data, F, 0, "", hidden},
    {"VRPESOLIQUPR", K::Data, F, 0, "", hidden},
    {"VRDESITPED", K::Data, F, 0, "Vr. Desc.", shown},
    {"PERDESC", K::Data, F, 0, "Desc. (%)", shown},
    {"IDCOMP", K::Data, S, 1, "", hidden},
    {"VrTotalAux", K::Calculated, F, 0, "", shown},
    {"IDITPEDRESER", K::Data, S, 1, "", hidden},
    {"VRPRTABITPED", K::Data, F, 0, "", hidden},
    {"VRPERCMARKUPIT", K::Data, F, 0, "Markup(%)", hidden},
    {"CDOPERADOR", K::Data, S, 12, "", hidden},
    {"VRPEDEMAXIPE", K::Data, F, 0, "", hidden},
    {"QTOITTPDESC", K::Data, F, 0, "", hidden},
    {"QTSETTPDESC", K::Data, F, 0, "", hidden},
    {"QTSEXTPDESC", K::Data, F, 0, "", hidden},
    {"QTQUITPDESC", K::Data, F, 0, "", hidden},
    {"QTQUATPDESC", K::Data, F, 0, "", hidden},
    {"QTTERTPDESC", K::Data, F, 0, "", hidden},
    {"VRPEFORMPREC", K::Data, F, 0, "", hidden},
    {"QTSEGTPDESC", K::Data, F, 0, "", hidden},
    {"QTPRITPDESC", K::Data, F, 0, "", hidden},
    {"IDITPEDSEMQTDIS", K::Data, S, 1, "Importação", hidden},
    {"NRHISIMPITEEEEP", K::Data, S, 10, "", hidden},
    {"vrRentabilidade", K::Calculated, F, 0, "Rent.", shown},
    {"DSPRAZOENTITPED", K::Data, S, 50, "Prazo de Entrega ", shown},
    {"DSEMISSAOITPED", K::Data, S, 400, "Descrição para Emissão", shown},
    {"CDEMISSAOITPED", K::Data, S, 20, "Código para Emissão", shown},
    {"IDPRECOPROM", K::Data, S, 1, "", hidden},
    {"IDITEMERRO", K::Data, S, 1, "", hidden},
    {"VRVARIAVEL", K::Data, F, 0, "", hidden},
    {"CDFATOR", K::Data, S, 3, "", hidden},
    {"IDITEMPEDTERC", K::Data, S, 1, "Terceirizado", shown},
    {"VRALTURAPROD", K::Data, F, 0, "", hidden},
    {"VRCOMPRIPROD", K::Data, F, 0, "", hidden},
    {"VRITRENTABIL", K::Data, F, 0, "", hidden},
    {"VRCRRENTABIL", K::Data, F, 0, "", hidden},
    {"DSFORMCALCSUGE", K::Data, S, 255, "", hidden},
    {"DSFORMCALCRENT", K::Data, S, 255, "", hidden},
    {"VRPRPARPRECO", K::Data, F, 0, "", hidden},
    {"VRDESCCOMISS", K::Data, F, 0, "Desc. Comissão (%)", shown},
    {"NRITORDEMCMPPED", K::Data, S, 6, "Nr. Item Ord. Cmp", shown},
    {"IDPRODBONIF", K::Data, S, 1, "", hidden},
    {"VRTOTALITEM", K::InternalCalc, F, 0, "", shown},
    {"VRTOTABONIFIT", K::InternalCalc, F, 0, "", shown},
};

// The stored copy of the items that the partly-shipped check reads.
const char* const itemPedAuxFields[] = {
    "VRCUSTPRODBASE", "NRPEDIDO", "VRPERCMARKUPIT", "CDARVPROD", "CDTIPODESC", "NMPRODUTO", "QTITEMPED", "IDCOMP",
    "SGUNIDADE", "VRPREUNITPED", "VRITEPREBASE", "NRITEMPED", "IDSITITEMPED", "QTEXPITEMPED", "VRPREUNIT", "CDFILIAL",
    "CDFATPRECO", "QTITEMPED2", "SGFATPRECO", "CDPRODESTO", "DTENTITPED", "IDITPEDDIFER", "DSITEMPED", "VRPESOITPED",
    "SGUNIDPAI", "CDPRODUTO", "VRPESOBRUTPR", "VRPESOLIQUPR", "VRDESITPED", "IDITPEDRESER", "CDOPERADOR",
    "VRPEFORMPREC", "IDITPEDSEMQTDIS", "VRPRTABITPED", "DSEMISSAOITPED", "DSPRAZOENTITPED", "CDEMISSAOITPED",
    "IDPRECOPROM", "VRVARIAVEL", "CDFATOR", "IDITEMPEDTERC", "VRALTURAPROD", "VRCOMPRIPROD", "VRDESCCOMISS",
    "IDPRODBONIF",
};

const char* const discountProportions[] = {"QTPRITPDESC", "QTSEGTPDESC", "QTTERTPDESC", "QTQUATPDESC",
                                           "QTQUITPDESC", "QTSEXTPDESC", "QTSETTPDESC", "QTOITTPDESC"};

// Price kinds in the order typed texts are compared with.
const char* const priceKindCodes[] = {"S", "N", "P", "G", "R", "O"};

QString sn(bool yes)
{
    return yes ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace

void TfrmLanPedido::criaItemPedido()
{
    msgPadrao1.load(QStringLiteral(":/catalogs/PED00100_1.msg"));

    cdsItemPedido = new RecordSet(QStringLiteral("cdsItemPedido"), this);
    for (const ItemField& def : itemFields) {
        Field& field = cdsItemPedido->addField(QString::fromUtf8(def.name), def.type, def.type == S && def.size == 0 ? 20 : def.size,
                                               def.kind);
        if (*def.label)
            field.setDisplayLabel(QString::fromUtf8(def.label));
        field.setVisible(def.visible);
    }
    cdsItemPedido->addAggregate(QStringLiteral("VRTOTAPROD"), QStringLiteral("SUM(VRTOTALITEM)"));
    cdsItemPedido->addAggregate(QStringLiteral("VRTOTADESCPED"), QStringLiteral("SUM(VRDESITPED)"));
    cdsItemPedido->addAggregate(QStringLiteral("VRTOTABONIFPED"), QStringLiteral("SUM(VRTOTABONIFIT)"));
    cdsItemPedido->setAggregatesActive(true);

    const QString duasCasas = QStringLiteral("###0.00");
    campo(cdsItemPedido, "VRPREUNITPED").setEditFormat(duasCasas);
    for (const char* name : {"VRACREDESCITPEDUNIT", "VRACREDESCITPED"}) {
        campo(cdsItemPedido, name).setDisplayFormat(duasCasas);
        campo(cdsItemPedido, name).setEditFormat(duasCasas);
    }
    campo(cdsItemPedido, "VRACREDESCITPEDUNIT").setReadOnly(true);
    campo(cdsItemPedido, "VRDESITPED").setEditFormat(duasCasas);
    campo(cdsItemPedido, "VRPERCMARKUPIT").setDisplayFormat(QStringLiteral("0.000"));
    campo(cdsItemPedido, "VRDESCCOMISS").setDisplayFormat(QStringLiteral("0.000"));
    campo(cdsItemPedido, "VRITRENTABIL").setDisplayFormat(QStringLiteral("###0.000"));
    campo(cdsItemPedido, "VRITRENTABIL").setEditFormat(QStringLiteral("###0.000"));
    campo(cdsItemPedido, "DTENTITPED").setEditMask(QStringLiteral("!90/90/0000 !90:00:00;1; "));
    campo(cdsItemPedido, "DSITEMPED").setDisplayWidth(10);
    campo(cdsItemPedido, "DSEMISSAOITPED").setDisplayWidth(10);
    campo(cdsItemPedido, "DSPRAZOENTITPED").setDisplayWidth(50);
    for (const char* name : {"PERDESC", "IDCOMP", "IDITEMERRO"})
        campo(cdsItemPedido, name).setWritesBack(false);
    // As the item grid writes them.
    for (const char* name : {"VrTotal", "VRDESITPED", "VRPREUNITPED"})
        campo(cdsItemPedido, name).setDisplayFormat(duasCasas);
    for (const char* name : {"QTITEMPED", "QTITEMPED2"})
        campo(cdsItemPedido, name).setDisplayFormat(QStringLiteral("##0.000"));
    campo(cdsItemPedido, "PERDESC").setDisplayFormat(QStringLiteral("###0.0000"));
    campo(cdsItemPedido, "VRPESOITPED").setDisplayFormat(QStringLiteral("###0.00000"));

    cdsItemAux = new RecordSet(QStringLiteral("cdsItemAux"), this);
    cdsItemAux->addFields(cdsItemPedido->fieldDefs());

    cdsItemPedAux = new RecordSet(QStringLiteral("cdsItemPedAux"), this);
    cdsItemPedAux->addField(QStringLiteral("VrTotal"), F, 0, K::Calculated);
    for (const char* name : itemPedAuxFields) {
        const Field& item = campo(cdsItemPedido, name);
        const int size = QLatin1String(name) == QLatin1String("DSPRAZOENTITPED") ? 30 : item.size();
        cdsItemPedAux->addField(item.name(), item.type(), size);
    }
    cdsItemPedAux->addField(QStringLiteral("PERDESC"), F, 0, K::Calculated);
    cdsItemPedAux->addField(QStringLiteral("VrTotalAux"), F, 0, K::Calculated);


    cdsValidaProduto = new RecordSet(QStringLiteral("cdsValidaProduto"), this);
    cdsValidaProduto->addField(QStringLiteral("CDFILIAL"), S, 4);
    cdsValidaProduto->addField(QStringLiteral("NRPEDIDO"), S, 10);
    cdsValidaProduto->addField(QStringLiteral("CDARVPROD"), S, 20);
    cdsValidaProduto->addField(QStringLiteral("QTITEMPED"), F);
    cdsValidaProduto->addField(QStringLiteral("NRITEMPED"), S, 10);

    cdsLancNf = new RecordSet(QStringLiteral("cdsLancNf"), this);
    cdsLancNf->addField(QStringLiteral("NRLANCTONF"), S, 10);
    cdsLancNf->addField(QStringLiteral("DTENTRSAID"), DT);
    cdsLancNf->addField(QStringLiteral("NRPEDIDO"), S, 10);
    cdsLancNf->addField(QStringLiteral("NRITEMPED"), S, 10);

    cdsImposEncar = new RecordSet(QStringLiteral("cdsImposEncar"), this);
    cdsImposEncar->addField(QStringLiteral("CDFILIAL"), S, 4);
    cdsImposEncar->addField(QStringLiteral("NRPEDIDO"), S, 10);
    for (const char* name : {"ENCARGOACRESC", "ENCARGODECRESC", "IMPOSACRES", "IMPOSDECRES", "VRTOTAL", "VRRECEBIMENTO",
                             "DESCPED", "VRBONI"})
        cdsImposEncar->addField(QString::fromUtf8(name), F);

    cdsLoteUtil = new RecordSet(QStringLiteral("cdsLoteUtil"), this);
    addFields(*cdsLoteUtil, {
        {"CDFABRIC", S, 20, ""}, {"NMFABRIC", S, 50, "Fabricante"}, {"CDFILIMOVI", S, 4, "Filial"},
        {"CDALMOXARIFE", S, 6, "Almoxarifado"}, {"CDLOCALESTOQ", S, 6, "Localização"}, {"NRLOTEESTQ", S, 20, "Lote"},
        {"NRSUBLOTE", S, 4, "Sub. Lote"}, {"DTENTRLOTE", DT, 0, "Entrada do Lote"}, {"DTVALILOTE", DT, 0, "Validade do Lote"},
        {"SGUNIDADE", S, 10, "Un."}, {"QTRESPRODPED", F, 0, "Qtde. Reservada"}, {"QTDISPONIVEL", F, 0, "Qtde. Disponível"},
        {"CDFILIAL", S, 4, "Filial"}, {"CDFILIALDEP", S, 4, "Filial Depósito"}});
    campo(cdsLoteUtil, "CDFILIMOVI").setVisible(false);
    campo(cdsLoteUtil, "QTRESPRODPED").setDisplayFormat(QStringLiteral("#,##0.000"));
    for (const char* name : {"DTENTRLOTE", "DTVALILOTE"})
        campo(cdsLoteUtil, name).setDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    cdsPrecoBase = new RecordSet(QStringLiteral("cdsPrecoBase"), this);
    addFields(*cdsPrecoBase, {{"VRITEPREBASE", F, 0, ""}, {"CDARVPROD", S, 20, ""}, {"CDPRECOBASE", S, 2, ""},
                              {"DTINIVALIPB", DT, 0, ""}, {"DTFIMVALIPB", DT, 0, ""}, {"IDITPEDDIFER", S, 1, ""},
                              {"IDPRECOPROM", S, 1, ""}, {"CDPRODUTO", S, 10, ""}});
    cdsPrecoUtil = new RecordSet(QStringLiteral("cdsPrecoUtil"), this);
    cdsPrecoUtil->addField(QStringLiteral("VRPEADPBASE"), F);

    ligaEventosItemPedido();
}

void TfrmLanPedido::ligaEventosItemPedido()
{
    RecordSet& cds = *cdsItemPedido;
    cds.beforeInsert = [this](RecordSet&) { cdsItemPedidoBeforeInsert(); };
    cds.onNewRecord = [this](RecordSet&) { cdsItemPedidoNewRecord(); };
    cds.afterInsert = [this](RecordSet&) { cdsItemPedidoAfterInsert(); };
    cds.beforeEdit = [this](RecordSet&) { cdsItemPedidoBeforeEdit(); };
    cds.afterEdit = [this](RecordSet&) { FItensAlterados = true; };
    cds.beforePost = [this](RecordSet&) { cdsItemPedidoBeforePost(); };
    cds.afterPost = [this](RecordSet&) { cdsItemPedidoAfterPost(); };
    cds.beforeDelete = [this](RecordSet&) { cdsItemPedidoBeforeDelete(); };
    cds.beforeScroll = [this](RecordSet&) { cdsItemPedidoBeforeScroll(); };
    cds.afterScroll = [this](RecordSet&) { cdsItemPedidoAfterScroll(); };
    cds.afterOpen = [this](RecordSet&) { cdsItemPedidoAfterOpen(); };
    cds.onCalcFields = [this](RecordSet& set) { cdsItemPedidoCalcFields(set); };

    campo(&cds, "IDSITITEMPED").onGetText = [this](Field& field, bool) {
        const QString key = QStringLiteral("SITITEM_") + field.asString();
        return field.asString().size() == 1 && msgPadrao.contains(key) ? texto(key) : QString();
    };
    campo(&cds, "IDITPEDDIFER").onGetText = [this](Field& field, bool) {
        if (field.recordSet().isEmpty())
            return QString();
        const QString code = field.asString();
        if (code.isEmpty())
            return msgPadrao1.Msg(QStringLiteral("N"));
        return msgPadrao1.contains(code) ? msgPadrao1.Msg(code) : QString();
    };
    campo(&cds, "IDITPEDDIFER").onSetText = [this](Field& field, const QString& text) {
        for (const char* code : priceKindCodes) {
            if (text == msgPadrao1.Msg(QString::fromUtf8(code))) {
                field.setValue(QString::fromUtf8(code));
                return;
            }
        }
    };
    campo(&cds, "DSITEMPED").onGetText = [](Field& field, bool) { return field.asString(); };

    // The two yes/no marks: "S" shows the yes text, anything else the no text.
    auto simNao = [](Field& field, const TMessages& catalog, const QString& sim, const QString& nao) {
        field.onGetText = [&catalog, sim, nao](Field& f, bool) {
            if (f.recordSet().isEmpty())
                return QString();
            return catalog.Msg(f.asString() == u"S" ? sim : nao);
        };
        field.onSetText = [&catalog, sim, nao](Field& f, const QString& text) {
            if (text == catalog.Msg(sim))
                f.setValue(QStringLiteral("S"));
            else if (text == catalog.Msg(nao))
                f.setValue(QStringLiteral("N"));
        };
    };
    simNao(campo(&cds, "IDITEMPEDTERC"), msgPadrao, QStringLiteral("Terceiriza"), QStringLiteral("NaoTerceiriza"));
    simNao(campo(&cds, "IDPRODBONIF"), msgPadrao1, QStringLiteral("Sim"), QStringLiteral("Nao"));
    campo(&cds, "DTENTITPED").onSetText = [](Field& field, const QString& text) { field.setValue(CheckDateTime(text)); };

    campo(&cds, "CDARVPROD").onChange = [this](Field&) {
        if (cdsPosiEstoq->isActive())
            cdsPosiEstoq->close();
    };
    campo(&cds, "QTITEMPED").onChange = [](Field&) {};
    campo(&cds, "VRPREUNITPED").onChange = [this](Field& field) {
        if (!temLinhas(cdsPrecoBase))
            return;
        const double adicional = temLinhas(cdsPrecoUtil) ? campo(cdsPrecoUtil, "VRPEADPBASE").asFloat() : 0.0;
        const double tabela = RegrasPedido::precoDeTabela(campo(cdsPrecoBase, "VRITEPREBASE").asFloat(), adicional);
        if (field.asFloat() != 0 && field.asFloat() != tabela) {
            FTipoItemAtual = QStringLiteral("O");   // first, so that the kind's change is not taken as the user's
            campo(cdsItemPedido, "IDITPEDDIFER").setValue(QStringLiteral("O"));
        }
    };
    campo(&cds, "IDITPEDDIFER").onChange = [this](Field& field) {
        const QString novo = field.asString();
        if (FTipoItemAtual.isEmpty() || novo == FTipoItemAtual)
            return;
        if (paramPedido(QStringLiteral("IDPERALTPRECO")) != u"S" && paramPedido(QStringLiteral("CDGRUALTPRECO")).isEmpty()) {
            field.setValue(FTipoItemAtual);
            dbgItemPedido->setFocus();
            dbgItemPedido->setSelectedField(QStringLiteral("IDITPEDDIFER"));
            msgPadrao.ShowMsg(QStringLiteral("NAlteraPreco"), MsgType::Information, MsgButton::Ok);
            return;
        }
        if (msgPadrao.ShowMsg(QStringLiteral("AlteraPreco"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No)
            != MsgButton::Yes)
            return;
        FPrecoDigitado = false;
        if (novo == u"P") {
            campo(cdsItemPedido, "VRDESITPED").clear();
            campo(cdsItemPedido, "PERDESC").clear();
        }
        // The lookup for the new kind puts the old one back when the table
        // has no price of it.
        PrecoBase(false);
        FTipoItemAtual = field.asString();
    };
    campo(&cds, "CDPRODUTO").onChange = [this](Field& field) {
        // In a new row too, a product typed over one already priced is
        // priced afresh: the kind of the first one's price (adjusted, say)
        // would find no price of the second, which kept the first's.
        const RecordSet::State estado = cdsItemPedido->state();
        const bool trocaNaLinhaNova = estado == RecordSet::State::Insert && !FTipoItemAtual.isEmpty();
        const bool trocaNoItem = estado == RecordSet::State::Edit && field.oldValue() != field.value();
        if (!trocaNaLinhaNova && !trocaNoItem)
            return;
        const DBGridColumn* condicao = dbgItemPedido ? dbgItemPedido->columnByField(QStringLiteral("CDTIPODESC")) : nullptr;
        const bool condicaoMudou = condicao && valor(cdsItemPedido, "CDTIPODESC") != FCdTipoDescAnterior;
        if (!FPrecoDigitado || condicaoMudou) {
            FTipoItemAtual.clear();
            campo(cdsItemPedido, "IDITPEDDIFER").clear();
        }
    };
}

// ---- calculated fields -----------------------------------------------------------

void TfrmLanPedido::cdsItemPedidoCalcFields(RecordSet& cds)
{
    RegrasPedido::ValoresItem item;
    item.precoUnitario = campo(&cds, "VRPREUNITPED").asFloat();
    item.quantidade = campo(&cds, "QTITEMPED").asFloat();
    item.desconto = campo(&cds, "VRDESITPED").asFloat();
    item.percentualMarkup = campo(&cds, "VRPERCMARKUPIT").asFloat();
    item.bonificado = campo(&cds, "IDPRODBONIF").asString() == u"S";
    const RegrasPedido::TotaisItem totais = RegrasPedido::totaisItem(item);
    campo(&cds, "VrTotal").setValue(totais.liquido);
    campo(&cds, "VrTotalAux").setValue(totais.bruto);
    campo(&cds, "VRTOTALITEM").setValue(totais.bruto);
    campo(&cds, "VRTOTABONIFIT").setValue(totais.bonificacao);

    if (paramPedido(QStringLiteral("IDEXIBRENTPED")) != u"S")
        return;
    RegrasPedido::CustosItem custos;
    custos.precoBase = campo(&cds, "VRITEPREBASE").asFloat();
    custos.custo = campo(&cds, "VRCUSTPRODBASE").asFloat();
    custos.percentualFormacao = campo(&cds, "VRPEFORMPREC").asFloat();
    const std::optional<double> rentabilidade = RegrasPedido::percentualRentabilidade(totais.liquido, item.quantidade, custos);
    if (!rentabilidade)
        return;
    if (const std::optional<double> cor = CorRentabilidade(*rentabilidade))
        campo(&cds, "vrRentabilidade").setValue(*cor);
}

// The colour of the band that holds the percentage. Bands change rarely and
// a thousand items share a handful of values, so answers are kept per value.
// Without the general connection (no look-ups at all) there is no colour.
std::optional<double> TfrmLanPedido::CorRentabilidade(double percentual)
{
    const qint64 chave = qRound64(percentual * 1e6);
    if (const auto achada = m_coresRentabilidade.constFind(chave); achada != m_coresRentabilidade.cend())
        return achada.value();
    if (!isDtmDBGeralOpen())
        return std::nullopt;
    LookupQuery qryRentabilidade(QStringLiteral("qryRentabilidade"), dtmDBGeral(),
                                 QStringLiteral("SELECT NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT\n"
                                                "  FROM RENTABILIDADE\n"
                                                " WHERE :P_VRPERCT BETWEEN VRPERCINIRENT AND VRPERCFIMRENT"));
    qryRentabilidade.setParam(QStringLiteral("P_VRPERCT"), percentual);
    qryRentabilidade.open();
    const double cor = RegrasPedido::corRentabilidade(
        qryRentabilidade.isEmpty() ? std::nullopt
                                   : std::optional(qryRentabilidade.fieldByName(QStringLiteral("VRCORRENT")).asFloat()));
    m_coresRentabilidade.insert(chave, cor);
    return cor;
}

// ---- insert, edit, delete --------------------------------------------------------

void TfrmLanPedido::cdsItemPedidoBeforeInsert()
{
    if (valor(cdsPedido, "IDSITPEDIDO") == u"3")
        throw Abort();
    Vd_PedidoParcAtendido();

    const int maximo = paramPedido(QStringLiteral("NRMAXITNFPED")).toInt();
    if (maximo != 0 && cdsItemPedido->recordCount() >= maximo)
        MensErro(texto(QStringLiteral("MaxPedido")), true);

    // Read in place: a copy of a large order would cost every new item.
    QStringList numeros;
    const int coluna = cdsItemPedido->fieldIndex(QStringLiteral("NRITEMPED"));
    for (int linha = 0; linha < cdsItemPedido->recordCount(); ++linha)
        numeros.append(cdsItemPedido->value(linha, coluna).toString());
    FNrProxItem = RegrasPedido::proximoNrItem(numeros);

    const Field* tabelasCliente = temLinhas(cdsVerifUsoTabPreClie) ? cdsVerifUsoTabPreClie->findField(QStringLiteral("COUNT")) : nullptr;
    if (tabelasCliente && tabelasCliente->asFloat() > 0 && dbeCliente->text().trimmed().isEmpty())
        MensErro(texto(QStringLiteral("CLIE_NULO")), true);
}

void TfrmLanPedido::cdsItemPedidoNewRecord()
{
    FTipoItemAtual.clear();
    campo(cdsItemPedido, "VRALTURAPROD").clear();
    campo(cdsItemPedido, "VRCOMPRIPROD").clear();
    nedQtPed->setValue(0);
    nedQtDisp->setValue(0);
    cdsConUltPrecVen->close();
    cdsPosiEstoq->close();
}

void TfrmLanPedido::cdsItemPedidoAfterInsert()
{
    campo(cdsItemPedido, "NRPEDIDO").setValue(valor(cdsPedido, "NRPEDIDO"));
    campo(cdsItemPedido, "CDFILIAL").setValue(medCdFilial->text());
    campo(cdsItemPedido, "NRITEMPED").setValue(FNrProxItem);
    campo(cdsItemPedido, "CDTIPODESC").setValue(valor(cdsPedido, "CDTIPODESC"));
    campo(cdsItemPedido, "NMTIPODESC").setValue(valor(cdsPedido, "NMTIPODESC"));
    for (const char* name : discountProportions)
        campo(cdsItemPedido, name).setValue(temLinhas(cdsPedido) ? campo(cdsPedido, name).value() : QVariant());
    if (dbgItemPedido->columnByField(QStringLiteral("CDARVPROD")))
        dbgItemPedido->setSelectedField(QStringLiteral("CDARVPROD"));
    FItemIncluido = true;
    FItensAlterados = true;
    FCdTipoDescAnterior.clear();
    FPrecoDigitado = false;
}

// A new item row for the order on screen.
void TfrmLanPedido::insereItem()
{
    if (!cdsItemPedido->isActive())
        cdsItemPedido->createDataSet();
    cdsItemPedido->append();
    campo(cdsItemPedido, "IDSITITEMPED").setValue(QStringLiteral("1"));
}

void TfrmLanPedido::cdsItemPedidoBeforeEdit()
{
    if (valor(cdsItemPedido, "IDSITITEMPED") == u"3")
        Vd_PedidoParcAtendido();
    FCdArvProdEdicao = valor(cdsItemPedido, "CDARVPROD");
}

void TfrmLanPedido::cdsItemPedidoBeforeDelete()
{
    if (valor(cdsItemPedido, "IDITEMPEDTERC") != u"S")
        return;
    if (msgPadrao.ShowMsg(QStringLiteral("DelTercProd"), MsgType::Confirmation, MsgButton::Yes | MsgButton::No) != MsgButton::Yes)
        throw Abort();
}

// An order in progress whose items started shipping is no longer changed.
void TfrmLanPedido::Vd_PedidoParcAtendido()
{
    if (valor(cdsPedido, "IDSITPEDIDO") != u"2" || cdsItemPedido->isEditing())
        return;
    const QString filial = medCdFilial->text();
    const QString pedido = valor(cdsPedido, "NRPEDIDO");
    const bool copiaDoPedido = temLinhas(cdsItemPedAux) && temLinhas(cdsItemPedido) && valor(cdsItemPedAux, "CDFILIAL") == filial
                               && valor(cdsItemPedAux, "NRPEDIDO") == pedido;
    if (!copiaDoPedido) {
        const QJsonArray itens = Servidor(GetItemPedido, {filial, pedido, valor(cdsPedido, "IDSITPEDIDO")}).toArray();
        CarregaPacote(*cdsItemPedAux, itens.at(GetItemPedidoResult::Itens));
    }
    const DataPacket armazenados = cdsItemPedAux->data();
    const int expedida = armazenados.indexOf(QStringLiteral("QTEXPITEMPED"));
    const int situacao = armazenados.indexOf(QStringLiteral("IDSITITEMPED"));
    for (const QVariantList& item : armazenados.rows) {
        if (item.at(expedida).toDouble() > 0 || item.at(situacao).toString() == u"7")
            MensErro(texto(QStringLiteral("ALT_PEDIDO_PARC")), true);
    }
}

// ---- post ------------------------------------------------------------------------

void TfrmLanPedido::cdsItemPedidoAfterPost()
{
    VrTotalItemPed();

    FCdArvProdEdicao.clear();
    FPerDescPostado = campo(cdsItemPedido, "PERDESC").text();
    FPerDescDigitado = -1;
    FVrDescDigitado = -1;

    const QString filial = valor(cdsItemPedido, "CDFILIAL");
    const QString pedido = valor(cdsItemPedido, "NRPEDIDO");
    const QString item = valor(cdsItemPedido, "NRITEMPED");
    if (!cdsValidaProduto->isActive())
        cdsValidaProduto->createDataSet();
    if (cdsValidaProduto->locate(QStringLiteral("CDFILIAL;NRPEDIDO;NRITEMPED"), {filial, pedido, item})) {
        cdsValidaProduto->edit();
    } else {
        cdsValidaProduto->append();
        campo(cdsValidaProduto, "CDFILIAL").setValue(filial);
        campo(cdsValidaProduto, "NRPEDIDO").setValue(pedido);
        campo(cdsValidaProduto, "NRITEMPED").setValue(item);
        campo(cdsValidaProduto, "CDARVPROD").setValue(valor(cdsItemPedido, "CDARVPROD"));
    }
    campo(cdsValidaProduto, "QTITEMPED").setValue(campo(cdsItemPedido, "QTITEMPED").value());
    cdsValidaProduto->post();

    if (ConfirmacaoImediata())
        sbtConfirmarClick();
}

// An edited item of a saved order goes to the server without a separate
// confirmation, unless the items page is where the clerk keeps working on
// an order without lot reservation.
bool TfrmLanPedido::ConfirmacaoImediata() const
{
    if (!FItemEditado || !FConfirmacaoLivre)
        return false;
    if (paramPedido(QStringLiteral("IDUTRESELOTE")) == u"N")
        return pgcPadrao->currentWidget() != tshItemPedido;
    return TipoOperAtualizaEstoque();
}

// An order without an operation type moves stock; otherwise only an
// outgoing type does, unless it is marked not to (no mark moves it). An
// incoming type, or one not registered, moves none.
bool TfrmLanPedido::TipoOperAtualizaEstoque() const
{
    const QString tipo = valor(cdsPedido, "CDTIPOOPER");
    if (tipo.isEmpty() || !isDtmDBGeralOpen())
        return true;
    LookupQuery qryTpOperAtuEstoq(QStringLiteral("qryTpOperAtuEstoq"), dtmDBGeral(),
                                  QStringLiteral("SELECT\n"
                                                 "   CDTIPOOPER,\n"
                                                 "   NMTIPOOPER,\n"
                                                 "   IDENTRSAIDOP,\n"
                                                 "   IDORIGDESTOP,\n"
                                                 "   COALESCE(IDATUESTTPOP, 'S') IDATUESTTPOP\n"
                                                 "FROM\n"
                                                 "   TIPOOPERAC\n"
                                                 "WHERE\n"
                                                 "   CDTIPOOPER   = :P_CDTIPOOPER AND\n"
                                                 "   IDENTRSAIDOP = 'S' \n"
                                                 "ORDER BY\n"
                                                 "   CDTIPOOPER"));
    qryTpOperAtuEstoq.setParam(QStringLiteral("P_CDTIPOOPER"), tipo);
    qryTpOperAtuEstoq.open();
    return qryTpOperAtuEstoq.fieldByName(QStringLiteral("IDATUESTTPOP")).asString() == u"S";
}

// ---- totals ----------------------------------------------------------------------

void TfrmLanPedido::VrTotalItemPed()
{
    // Painted once with every total, not again while the server answers.
    const PaintOnce pintaUmaVez(*this);
    MostraTotaisItens();
    CarregaPacote(*cdsImposEncar, Servidor(GetImposEncar,
                                           {valor(cdsItemPedido, "CDFILIAL"), valor(cdsItemPedido, "NRPEDIDO")}));
    auto total = [this](const char* name) { return temLinhas(cdsImposEncar) ? campo(cdsImposEncar, name).asFloat() : 0.0; };
    nedTotLiq->setValue(total("VRTOTAL"));
    nedTotalPed->setValue(total("VRTOTAL"));
    nedImposAcres->setValue(total("IMPOSACRES"));
    nedImposDecres->setValue(total("IMPOSDECRES"));
    nedEncargoAcres->setValue(total("ENCARGOACRESC"));
    nedEncargoDecres->setValue(total("ENCARGODECRESC"));
    nedBonificacao2->setValue(total("VRBONI"));
    nedRecebimento->setValue(total("VRTOTAL") > 0 ? total("VRRECEBIMENTO") : 0.0);
}

// The gross total and the discounts, from the item aggregates.
void TfrmLanPedido::MostraTotaisItens()
{
    nedTotal->setValue(0);
    nedTotLiq->setValue(0);
    nedDescTotal->setValue(0);
    if (cdsItemPedido->isActive()) {
        const Field& produtos = campo(cdsItemPedido, "VRTOTAPROD");
        if (!produtos.isNull()) {
            nedTotal->setValue(produtos.asFloat());
            nedTotalBruto->setValue(produtos.asFloat());
        }
        const Field& descontos = campo(cdsItemPedido, "VRTOTADESCPED");
        if (!descontos.isNull()) {
            nedDescTotal->setValue(descontos.asFloat());
            nedDescTot->setValue(descontos.asFloat());
        }
    }
}

// ---- scroll ----------------------------------------------------------------------

void TfrmLanPedido::cdsItemPedidoBeforeScroll()
{
    if (!m_pronto || !sbtVerQuantidades->isChecked())
        return;
    sbtVerQuantidades->setChecked(false);
    sbtVerQuantidadesClick();
}

// The ordered, quoted and available quantities show while the toggle is down.
void TfrmLanPedido::sbtVerQuantidadesClick()
{
    const bool ver = sbtVerQuantidades->isChecked();
    const std::initializer_list<QWidget*> caixas{nedQtPed, nedQtOrcamento, nedQtDisp, lblUnidDisp};
    for (QWidget* caixa : caixas)
        caixa->setVisible(ver);
    for (QLabel* rotulo : panItem->findChildren<QLabel*>())
        if (std::find(caixas.begin(), caixas.end(), rotulo->buddy()) != caixas.end())
            rotulo->setVisible(ver);
    if (ver && temLinhas(cdsItemPedido))
        cdsItemPedidoAfterScroll();
}

// The shipping panel, the totals and the discount boxes follow the item's
// status; true when the item panel shows.
bool TfrmLanPedido::mostraPaineisDoItem(const QString& situacao)
{
    const bool expedido = situacao == u"4" || situacao == u"7";
    const bool painelItem = expedido || paramPedido(QStringLiteral("IDTABPRECO")) == u"1";
    panItem->setVisible(painelItem);
    panExped->setVisible(expedido);
    for (QWidget* total : std::initializer_list<QWidget*>{lblTotal, nedTotal, lblTotLiq, nedTotLiq, nedDescTotal})
        total->setVisible(painelItem);
    return painelItem;
}

void TfrmLanPedido::cdsItemPedidoAfterScroll()
{
    if (!m_pronto)
        return;
    const QString situacao = valor(cdsItemPedido, "IDSITITEMPED");
    const bool expedido = situacao == u"4" || situacao == u"7";
    const bool painelItem = mostraPaineisDoItem(situacao);
    FTipoItemAtual = valor(cdsItemPedido, "IDITPEDDIFER");

    if (!valor(cdsItemPedido, "CDPRODUTO").isEmpty()) {
        // A posting shown belongs to this item or to none.
        edtLanc->clear();
        edtDataSaida->clear();
        if (expedido && temLinhas(cdsLancNf)) {
            const int linha = cdsLancNf->find(QStringLiteral("NRPEDIDO;NRITEMPED"),
                                              {valor(cdsPedido, "NRPEDIDO"), valor(cdsItemPedido, "NRITEMPED")});
            if (linha >= 0) {
                edtLanc->setText(cdsLancNf->displayText(linha, cdsLancNf->fieldIndex(QStringLiteral("NRLANCTONF"))));
                edtDataSaida->setText(cdsLancNf->displayText(linha, cdsLancNf->fieldIndex(QStringLiteral("DTENTRSAID"))));
            }
        }
        const bool reservaLote = paramPedido(QStringLiteral("IDUTRESELOTE")) == u"S";
        const bool atualizaEstoque = TipoOperAtualizaEstoque();
        const bool mostraImpostos = paramPedido(QStringLiteral("IDEXIBIMPITPED")) == u"S";
        const bool navegando = cdsItemPedido->state() == RecordSet::State::Browse;
        QString querPosicao = sn(reservaLote && atualizaEstoque);
        QString querQuantidades = sn(painelItem && sbtVerQuantidades->isChecked());
        QString querImpostos = sn(mostraImpostos && navegando);
        QString exibeImpostos = sn(mostraImpostos);
        QString todos = cdsItemPedido->isEditing() ? QString() : QStringLiteral("T");
        if (querPosicao == u"S" || querQuantidades == u"S" || querImpostos == u"S") {
            QString produtoEstoque = produtoEstoqueDoItem();
            const QJsonArray dados =
                Servidor(GetDadosAfterScroll,
                         {medCdFilial->text(), QString(), valor(cdsPedido, "NRPEDIDO"), valor(cdsItemPedido, "NRITEMPED"),
                          valor(cdsItemPedido, "CDPRODUTO"), RpcArg::ref(produtoEstoque), situacao, valor(cdsPedido, "CDCLIENTE"),
                          RpcArg::ref(querPosicao), RpcArg::ref(querQuantidades), RpcArg::ref(querImpostos),
                          RpcArg::ref(exibeImpostos), RpcArg::ref(todos), valor(cdsPedido, "CDTIPOOPER")})
                    .toArray();
            // Unsent reservations stay while their item is being typed, and
            // while a confirmation that is to send them is under way.
            const bool posicaoLivre = !cdsPosiEstoq->hasChanges() || (!cdsItemPedido->isEditing() && FConfirmacaoLivre);
            if (posicaoLivre && pgcPadrao->currentWidget() == tshItemPedido && reservaLote && atualizaEstoque) {
                if (temLinhas(cdsItemPedido) && !valor(cdsItemPedido, "CDARVPROD").isEmpty()) {
                    RecordSet* lotes = situacao == u"4" ? cdsLoteUtil : cdsPosiEstoq;
                    CarregaPacote(*lotes, dados.at(GetDadosAfterScrollResult::PosicaoEstoque));
                    dtsPosiEstoq->setDataSet(lotes);
                    travaPosicaoDoNovo();
                } else {
                    cdsPosiEstoq->close();
                    cdsLoteUtil->close();
                }
            }
            nedQtPed->setValue(dados.at(GetDadosAfterScrollResult::QtPedida).toDouble());
            if (navegando)
                CarregaPacote(*cdsItemProImpos, dados.at(GetDadosAfterScrollResult::ImpostosItem));
            CarregaPacote(*cdsConUltPrecVen, dados.at(GetDadosAfterScrollResult::UltimosPrecos));
            nedQtDisp->setValue(dados.at(GetDadosAfterScrollResult::QtDisponivel).toDouble());
            const QString indicador = dados.at(GetDadosAfterScrollResult::IndicadorEstoque).toString();
            lblCtrlEstoque->setVisible(indicador != u"S");
            if (indicador == u"F")
                lblCtrlEstoque->setText(texto(QStringLiteral("Filial_CtrlEstoq")));
            else if (indicador == u"T")
                lblCtrlEstoque->setText(texto(QStringLiteral("TpOper_CtrlEstoq")));
            else if (indicador != u"S")
                lblCtrlEstoque->setText(texto(QStringLiteral("Produto_CtrlEstoq")));
            nedQtOrcamento->setValue(dados.at(GetDadosAfterScrollResult::QtOrcamento).toDouble());
        }
    }

    lblUnidDisp->setText(valor(cdsItemPedido, "SGUNIDPAI"));
    if (pgcPadrao->currentWidget() == tshItemPedido && !sbtConfirmar->isEnabled())
        HabilitaDesabilitaItemPedido();
}

void TfrmLanPedido::cdsItemPedidoAfterOpen()
{
    FCdArvProdEdicao.clear();
    cdsValidaProduto->setData(cdsItemPedido->data());
}

void TfrmLanPedido::HabilitaDesabilitaItemPedido()
{
    dbgItemPedido->setReadOnly(!pedidoEmEdicao() && !boBotaoIncuiItem);
}
