// The screen's record sets and their data links. Fields are declared here so
// that an empty record set (a new order, a page not loaded yet) still has
// the columns the grids and edits bind to.

#include "lanpedido.h"

#include "recordset.h"
#include "values.h"
#include "widgets/datasource.h"

namespace {

struct Def {
    const char* name;
    FieldType type;
    int size;
    const char* label;
};

void addFields(RecordSet& cds, std::initializer_list<Def> defs)
{
    for (const Def& def : defs) {
        Field& field = cds.addField(QString::fromUtf8(def.name), def.type, def.size);
        if (def.label && *def.label)
            field.setDisplayLabel(QString::fromUtf8(def.label));
    }
}

constexpr FieldType S = FieldType::String;
constexpr FieldType F = FieldType::Float;
constexpr FieldType I = FieldType::Integer;
constexpr FieldType DT = FieldType::DateTime;
constexpr FieldType M = FieldType::Memo;

} // namespace

void TfrmLanPedido::criaItemPedido()
{
    cdsItemPedido = new RecordSet(QStringLiteral("cdsItemPedido"), this);
    addFields(*cdsItemPedido, {
        {"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NRITEMPED", S, 10, "Item"},
        {"CDPRODUTO", S, 10, ""}, {"CDARVPROD", S, 20, "Produto"}, {"NMPRODUTO", S, 50, "Descrição"},
        {"IDCOMP", S, 1, "Comp."}, {"SGUNIDADE", S, 10, "Un."}, {"QTITEMPED", F, 0, "Quantidade"},
        {"QTITEMPED2", F, 0, "Qtd. Fator"}, {"SGFATPRECO", S, 4, "Fator"}, {"SGUNIDPAI", S, 5, "Un. Pai"},
        {"VRPREUNITPED", F, 0, "Preço Unit."}, {"PERDESC", F, 0, "% Desc."}, {"VRDESITPED", F, 0, "Desconto"},
        {"VRACREDESCITPEDUNIT", F, 0, "Acr./Desc. Unit."}, {"VRPERCMARKUPIT", F, 0, "% Markup"},
        {"CDTIPODESC", S, 10, "Cond. Desc."}, {"IDSITITEMPED", S, 1, "Sit."}, {"IDITPEDDIFER", S, 1, "Preço"},
        {"CDEMISSAOITPED", S, 20, "Emissão"}, {"DSPRAZOENTITPED", S, 50, "Prazo Entrega"},
        {"IDITPEDSEMQTDIS", S, 1, "Sem Qtd."}, {"IDITEMPEDTERC", S, 1, "Terc."}, {"QTEXPITEMPED", F, 0, "Qtd. Exp."},
    });
    cdsItemPedido->addField(QStringLiteral("VrTotal"), F, 0, Field::Kind::InternalCalc).setDisplayLabel(QStringLiteral("Total"));
    cdsItemPedido->addField(QStringLiteral("vrRentabilidade"), F, 0, Field::Kind::Calculated).setDisplayLabel(QStringLiteral("Rent."));
    for (const char* name : {"VRPREUNITPED", "VRDESITPED", "VrTotal", "VRACREDESCITPEDUNIT"})
        cdsItemPedido->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("#,##0.00"));
    for (const char* name : {"QTITEMPED", "QTITEMPED2", "QTEXPITEMPED"})
        cdsItemPedido->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("#,##0.000"));
    for (const char* name : {"PERDESC", "VRPERCMARKUPIT"})
        cdsItemPedido->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("0.00"));
    cdsItemPedido->addAggregate(QStringLiteral("VRTOTAPROD"), QStringLiteral("SUM(VrTotal)"));
    cdsItemPedido->onCalcFields = [](RecordSet& cds) {
        const double bruto = cds.fieldByName(QStringLiteral("QTITEMPED")).asFloat()
            * cds.fieldByName(QStringLiteral("VRPREUNITPED")).asFloat();
        cds.fieldByName(QStringLiteral("VrTotal"))
            .setValue(RoundDec(bruto, 2) - cds.fieldByName(QStringLiteral("VRDESITPED")).asFloat());
    };
    cdsItemPedido->afterScroll = [this](RecordSet&) { cdsItemPedidoAfterScroll(); };
    cdsItemAux = new RecordSet(QStringLiteral("cdsItemAux"), this);
    cdsItemAux->addFields(cdsItemPedido->fieldDefs());
    cdsItemPedAux = new RecordSet(QStringLiteral("cdsItemPedAux"), this);
    cdsItemPedAux->addFields(cdsItemPedido->fieldDefs());
}

void TfrmLanPedido::criaRecordSets()
{
    criaPedido();
    criaParamPedido();
    criaItemPedido();

    cdsParamGerPed = new RecordSet(QStringLiteral("cdsParamGerPed"), this);
    addFields(*cdsParamGerPed, {{"IDUTTABPRECOITEM", S, 1, ""}});
    cdsPermissao = new RecordSet(QStringLiteral("cdsPermissao"), this);
    addFields(*cdsPermissao, {{"CDGRUPOPER", S, 2, ""}, {"CDOPERADOR", S, 12, ""}, {"NMOPERADOR", S, 40, ""},
                              {"CDSENHOPER", S, 20, ""}, {"CDLIDGRUPOP", S, 12, ""}, {"IDLIDER", S, 1, ""}});
    cdsSalvaOpcoes = new RecordSet(QStringLiteral("cdsSalvaOpcoes"), this);
    addFields(*cdsSalvaOpcoes, {{"NMPRODUTO", S, 10, ""}, {"CDARVPROD", S, 10, ""}, {"CDPRODINTE", S, 10, ""},
                                {"CDOPERADOR", S, 12, ""}});
    cdsListaPreco = new RecordSet(QStringLiteral("cdsListaPreco"), this);
    addFields(*cdsListaPreco, {{"CDARVPROD", S, 20, "Produto"}, {"NMPRODUTO", S, 50, "Descrição"},
                               {"CDPRODINTE", S, 20, "Cód. Interno"}, {"VRPRECO", F, 0, "Preço"}});

    cdsErroItemPed = new RecordSet(QStringLiteral("cdsErroItemPed"), this);
    addFields(*cdsErroItemPed, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NRITEMPED", S, 10, "Item"},
                                {"CDERRO", S, 10, ""}, {"DSERRO", S, 200, "Erro"}});
    cdsErroDtEntrega = new RecordSet(QStringLiteral("cdsErroDtEntrega"), this);
    addFields(*cdsErroDtEntrega, {{"NRITEMPED", S, 10, "Item"}, {"DTENTITPED", DT, 0, "Entrega"},
                                  {"DSERRO", S, 200, "Erro"}});
    cdsObser = new RecordSet(QStringLiteral("cdsObser"), this);
    addFields(*cdsObser, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"TXOBSPED", M, 0, "Observação"}});
    cdsDadosAdicPed = new RecordSet(QStringLiteral("cdsDadosAdicPed"), this);
    addFields(*cdsDadosAdicPed, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NRDADOADICPED", S, 4, "Nº"},
                                 {"CDMENSAGEM", S, 4, "Mensagem"}, {"DSDADOADICPED", S, 400, "Dado Adicional"}});
    cdsDadosEndPed = new RecordSet(QStringLiteral("cdsDadosEndPed"), this);
    addFields(*cdsDadosEndPed, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NMRAZSOCPED", S, 50, "Destinatário"},
                                {"DSENDEPED", S, 100, "Endereço"}, {"NRCEPPED", S, 9, "CEP"}, {"NMPAISPED", S, 40, "País"},
                                {"SGESTADOPED", S, 2, "UF"}, {"NMMUNIPED", S, 50, "Município"},
                                {"NMBAIRROPED", S, 50, "Bairro"}});
    cdsLancNf = new RecordSet(QStringLiteral("cdsLancNf"), this);
    cdsImposPedTot = new RecordSet(QStringLiteral("cdsImposPedTot"), this);
    cdsImposEncar = new RecordSet(QStringLiteral("cdsImposEncar"), this);
    cdsImposto = new RecordSet(QStringLiteral("cdsImposto"), this);
    cdsItemProImpos = new RecordSet(QStringLiteral("cdsItemProImpos"), this);
    addFields(*cdsItemProImpos, {{"NRITEMPED", S, 10, "Item"}, {"SGIMPOSTO", S, 10, "Imposto"},
                                 {"VRPERCIMPOS", F, 0, "%"}, {"VRIMPOSTO", F, 0, "Valor"}});
    cdsConUltPrecVen = new RecordSet(QStringLiteral("cdsConUltPrecVen"), this);
    addFields(*cdsConUltPrecVen, {{"NRPEDIDO", S, 10, "Pedido"}, {"DTPEDIDO", DT, 0, "Data"},
                                  {"QTITEMPED", F, 0, "Quantidade"}, {"VRPREUNITPED", F, 0, "Preço Unit."}});
    cdsPosiEstoq = new RecordSet(QStringLiteral("cdsPosiEstoq"), this);
    addFields(*cdsPosiEstoq, {{"CDFILIALDEP", S, 4, "Depósito"}, {"NRLOTE", S, 20, "Lote"},
                              {"DTVALIDADE", DT, 0, "Validade"}, {"QTDISPONIVEL", F, 0, "Disponível"},
                              {"QTRESERVADA", F, 0, "Reservada"}, {"NMFABRIC", S, 40, "Fabricante"},
                              {"NMPRINATIV", S, 60, "Princípio Ativo"}, {"DSREFBIBPROD", S, 60, "Referência"}});
    cdsPrazoPgto = new RecordSet(QStringLiteral("cdsPrazoPgto"), this);
    addFields(*cdsPrazoPgto, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NRDIASPGTOPED", F, 0, "Dias"},
                              {"PREVISAO", DT, 0, "Previsão"}, {"VRPERCPGTOPED", F, 0, "%"},
                              {"DSPRAZOPGTOPED", S, 50, "Descrição"}, {"VRPARCELA", F, 0, "Valor Parcela"}});
    cdsPrazoPgto->fieldByName(QStringLiteral("PREVISAO")).setDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    cdsPrazoPgto->fieldByName(QStringLiteral("VRPARCELA")).setDisplayFormat(QStringLiteral("#,##0.00"));
    cdsEncargos = new RecordSet(QStringLiteral("cdsEncargos"), this);
    addFields(*cdsEncargos, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"CDENCARGO", S, 2, "Encargo"},
                             {"NMENCARGO", S, 20, "Descrição"}, {"VRENCARGOPED", F, 0, "Valor"},
                             {"VRPERCENTENC", F, 0, "%"}});
    cdsEncargos->fieldByName(QStringLiteral("VRENCARGOPED")).setDisplayFormat(QStringLiteral("#,##0.00"));
    cdsEncargos->fieldByName(QStringLiteral("VRPERCENTENC")).setDisplayFormat(QStringLiteral("0.00"));
    cdsValidaProduto = new RecordSet(QStringLiteral("cdsValidaProduto"), this);
    addFields(*cdsValidaProduto, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NRITEMPED", S, 10, ""},
                                  {"CDPRODUTO", S, 10, ""}});
    cdsPesqObser = new RecordSet(QStringLiteral("cdsPesqObser"), this);
    cdsVerifUsoTabPreClie = new RecordSet(QStringLiteral("cdsVerifUsoTabPreClie"), this);
    cdsParExpedicao = new RecordSet(QStringLiteral("cdsParExpedicao"), this);
    cdsCondDesc = new RecordSet(QStringLiteral("cdsCondDesc"), this);
    cdsOperTPed = new RecordSet(QStringLiteral("cdsOperTPed"), this);
    cdsVendLog = new RecordSet(QStringLiteral("cdsVendLog"), this);

    dtsPadrao->setDataSet(cdsPedido);
    auto link = [this](const char* name, RecordSet* cds) {
        auto* dts = new DataSource(QString::fromUtf8(name), this);
        dts->setDataSet(cds);
        return dts;
    };
    dtsItemPedido = link("dtsItemPedido", cdsItemPedido);
    dtsObser = link("dtsObser", cdsObser);
    dtsDadosAdicPed = link("dtsDadosAdicPed", cdsDadosAdicPed);
    dtsDadosEndPed = link("dtsDadosEndPed", cdsDadosEndPed);
    dtsPrazoPgto = link("dtsPrazoPgto", cdsPrazoPgto);
    dtsEncargos = link("dtsEncargos", cdsEncargos);
    dtsPosiEstoq = link("dtsPosiEstoq", cdsPosiEstoq);
    dtsImposPedTot = link("dtsImposPedTot", cdsItemProImpos);
}
