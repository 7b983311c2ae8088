// The screen's record sets and their data links. Fields are declared here so
// that an empty record set (a new order, a page not loaded yet) still has
// the columns the grids and edits bind to.

#include "lanpedido.h"
#include "field_list.h"

#include "recordset.h"
#include "rules/payment.h"
#include "values.h"
#include "widgets/datasource.h"

using namespace FieldList;

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
    cdsImposPedTot = new RecordSet(QStringLiteral("cdsImposPedTot"), this);
    cdsImposto = new RecordSet(QStringLiteral("cdsImposto"), this);
    cdsItemProImpos = new RecordSet(QStringLiteral("cdsItemProImpos"), this);
    addFields(*cdsItemProImpos, {{"NRITEMPED", S, 10, "Item"}, {"SGIMPOSTO", S, 10, "Imposto"},
                                 {"VRPERCIMPOS", F, 0, "%"}, {"VRIMPOSTO", F, 0, "Valor"}});
    cdsItemProImpos->fieldByName(QStringLiteral("VRPERCIMPOS")).setDisplayFormat(QStringLiteral("###0.00%"));
    cdsItemProImpos->fieldByName(QStringLiteral("VRIMPOSTO")).setDisplayFormat(QStringLiteral("###0.00"));
    cdsConUltPrecVen = new RecordSet(QStringLiteral("cdsConUltPrecVen"), this);
    addFields(*cdsConUltPrecVen, {{"NRPEDIDO", S, 10, "Pedido"}, {"DTPEDIDO", DT, 0, "Data"},
                                  {"QTITEMPED", F, 0, "Quantidade"}, {"VRPREUNITPED", F, 0, "Preço Unit."}});
    for (const char* name : {"QTITEMPED", "VRPREUNITPED"})
        cdsConUltPrecVen->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("###0.00"));
    cdsPosiEstoq = new RecordSet(QStringLiteral("cdsPosiEstoq"), this);
    addFields(*cdsPosiEstoq, {{"CDFABRIC", S, 20, ""}, {"NMFABRIC", S, 50, "Fabricante"}, {"CDALMOXARIFE", S, 6, "Almoxarifado"},
                              {"DSALMOXARIFE", S, 30, "Almoxarifado"}, {"CDLOCALESTOQ", S, 6, "Localização"},
                              {"DSLOCALESTOQ", S, 30, "Localização"}, {"NRLOTEESTQ", S, 20, "Lote"}, {"NRSUBLOTE", S, 4, "Sub. Lote"},
                              {"QTTOTALESTOQ", F, 0, "Qtde. Estoque"}, {"QTRESPRODPED", F, 0, "Qtde. Reservada"},
                              {"DTENTRLOTE", DT, 0, "Entrada do Lote"}, {"CDFILIAL", S, 4, "Filial"}, {"CDARVPROD", S, 20, ""},
                              {"CDPRODUTO", S, 10, ""}, {"IDDISPCONPED", S, 1, ""}, {"NRPEDIDO", S, 10, ""}, {"NRITEMPED", S, 10, ""},
                              {"SGUNIDADE", S, 10, "Un."}, {"CDPRODRES", S, 10, ""}, {"DTVALILOTE", DT, 0, "Validade do Lote"},
                              {"QTDISPONIVEL", F, 0, "Qtde. Disponível"}, {"QTRESPRODARR", F, 0, ""}, {"NRRESPRODPED", S, 10, ""},
                              {"CDORDENAFIL", S, 4, ""}, {"CDFILIALDEP", S, 4, "Filial Depósito"},
                              {"NMPRINATIV", S, 50, "Princípio Ativo"}});
    for (const char* name : {"QTTOTALESTOQ", "QTRESPRODPED", "QTDISPONIVEL"})
        cdsPosiEstoq->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("#,##0.000"));
    // Lots are dated by day.
    for (const char* name : {"DTENTRLOTE", "DTVALILOTE"})
        cdsPosiEstoq->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    cdsPrazoPgto = new RecordSet(QStringLiteral("cdsPrazoPgto"), this);
    addFields(*cdsPrazoPgto, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"NRDIASPGTOPED", F, 0, "Dias"},
                              {"PREVISAO", DT, 0, "Previsão"}, {"VRPERCPGTOPED", F, 0, "%"},
                              {"DSPRAZOPGTOPED", S, 50, "Descrição"}, {"VRPARCELA", F, 0, "Valor Parcela"}});
    cdsPrazoPgto->fieldByName(QStringLiteral("PREVISAO")).setDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    for (const char* name : {"VRPERCPGTOPED", "VRPARCELA"})
        cdsPrazoPgto->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("###0.00"));
    // The order date the forecasts count from; the forecast shows its weekday;
    // the snapshot and the generation buffer have the terms' columns.
    {
        cdsPrazoPgto->addField(QStringLiteral("DTPEDIDO"), DT).setVisible(false);
        Field& previsao = cdsPrazoPgto->fieldByName(QStringLiteral("PREVISAO"));
        previsao.setReadOnly(true);
        previsao.onGetText = [](Field& field, bool) { return RegrasPedido::textoPrevisao(field.asDateTime()); };
        cdsAuxPrazoPgto = new RecordSet(QStringLiteral("cdsAuxPrazoPgto"), this);
        cdsAuxPrazoAutom = new RecordSet(QStringLiteral("cdsAuxPrazoAutom"), this);
        for (RecordSet* copia : {cdsAuxPrazoPgto, cdsAuxPrazoAutom})
            copia->addFields(cdsPrazoPgto->fieldDefs());
        cdsPrazoMod = new RecordSet(QStringLiteral("cdsPrazoMod"), this);
        addFields(*cdsPrazoMod, {{"NRDIASMODPGTO", F, 0, ""}, {"CDMODPGTO", S, 5, ""}, {"VRPERCMODPGTO", F, 0, ""},
                                 {"DTPREVISAO", DT, 0, ""}, {"IDTPPERIODO", S, 1, ""}});
    }
    cdsEncargos = new RecordSet(QStringLiteral("cdsEncargos"), this);
    addFields(*cdsEncargos, {{"CDFILIAL", S, 4, ""}, {"NRPEDIDO", S, 10, ""}, {"CDENCARGO", S, 2, "Encargo"},
                             {"NMENCARGO", S, 20, "Descrição"}, {"VRENCARGOPED", F, 0, "Valor"},
                             {"VRPERCENTENC", F, 0, "%"}});
    for (const char* name : {"VRENCARGOPED", "VRPERCENTENC"})
        cdsEncargos->fieldByName(QString::fromUtf8(name)).setDisplayFormat(QStringLiteral("##,#0.00"));
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
