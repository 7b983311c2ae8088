#include "method_catalogue.h"

#include "protocol.h"

namespace Rpc {

namespace {

using namespace LanPedido;

constexpr MethodInfo AllMethods[] = {
    DBGeral::Login.info(),
    DBGeral::Logout.info(),
    DBGeral::AutorizaOperador.info(),
    DBGeral::getFilial.info(),

    getParamGerPed.info(),
    GetPermissao.info(),
    LanPedido::getFilial.info(),
    GetAbertura.info(),
    GetPrxPedido.info(),
    GetPedido.info(),
    GetItemPedido.info(),
    GetDadosAfterScroll.info(),
    GetImposto_UltVendaP.info(),
    GetPgcChange.info(),
    GetTObser.info(),
    GetObser.info(),
    GetPesqObser.info(),
    GetPrazoPgto.info(),
    getEncargo.info(),
    GetDadosEndPed.info(),
    GetImposEncar.info(),
    GetImposPedTot.info(),
    SetDelTdsEncargos.info(),
    GetCliente.info(),
    GetNrPedido.info(),
    GetNota.info(),
    GetPedidoImpressao.info(),
    GetPreco.info(),
    GetPrecos.info(),
    GetCondDesc.info(),
    GetParam.info(),
    VD_PRECOOK.info(),
    SetMudaData.info(),
    GetPesqPrcBase.info(),
    getPrOpcionais.info(),
    getVrDescClie.info(),
    getFatorPre.info(),
    GetQtVolumes.info(),
    GetDesconto.info(),
    getQtProd.info(),
    GetNovoItem.info(),
    VD_ESTITEM.info(),
    VerificaSitItem.info(),
    GetProdCli.info(),
    GetProdGrid.info(),
    SetAlteracaoPreco.info(),
    SetAplicaDesconto.info(),
    SetPreco.info(),
    SetGeraItemPed.info(),
    GetPrazoMod.info(),
    setFormaPagto.info(),
    replicaPedido.info(),
    IntegraNeolog.info(),
    GeraNFFutura::GeraNFFutura.info(),
    GeraNFFutura::GetNFFutura.info(),
    VD_ESTPED.info(),
    GetAtuItemPed.info(),
    SetConfirma.info(),
    GetPrecoUtil.info(),
    getVrMinPed.info(),
    SetItemIrregular.info(),
    GetHistPedido.info(),
};

} // namespace

const QString& serverName(Module module)
{
    switch (module) {
    case Module::LanPedido: return ServerNames::LanPedido;
    case Module::NotaPedido: return ServerNames::NotaPedido;
    case Module::GeraNFFutura: return ServerNames::GeraNFFutura;
    case Module::DBGeral: return ServerNames::DBGeral;
    }
    Q_UNREACHABLE();
}

std::span<const MethodInfo> catalogue()
{
    return AllMethods;
}

const MethodInfo* findMethod(const QString& serverName, const QString& methodName)
{
    for (const MethodInfo& method : AllMethods) {
        if (method.serverName() == serverName && method.methodName() == methodName)
            return &method;
    }
    return nullptr;
}

} // namespace Rpc
