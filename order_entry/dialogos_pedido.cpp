#include "dialogos_pedido.h"

#include "alteracaoprecoauto.h"
#include "busy.h"
#include "calcdescpreunit.h"
#include "calculardesconto.h"
#include "cds_values.h"
#include "context.h"
#include "geranffutura.h"
#include "lanpedido.h"
#include "replicapedido.h"

#include <QLineEdit>

void LigaDialogosPedido(TfrmLanPedido& tela)
{
    tela.CriaCalcularDesconto = [&tela] {
        CalcularDescontoTela dados;
        dados.itens = tela.cdsItemPedido->data();
        dados.nrItemPed = valor(tela.cdsItemPedido, "NRITEMPED");
        dados.netLanPed = tela.netLanPed;
        dados.cdVendedor = valor(tela.cdsVendLog, "CDVENDEDOR");
        dados.idUtDescMaxi = tela.paramPedido(QStringLiteral("IDUTDESCMAXI"));
        dados.descMens = tela.msgPadrao.Msg(QStringLiteral("DESC_MENS"));
        dados.descInv = tela.msgPadrao.Msg(QStringLiteral("Desc_Inv"));
        dados.parent = &tela;
        CriaCalcularDesconto(dados);
        // The server changed the stored prices: show the order as stored now,
        // with its taxes and charges.
        tela.sbtVerificarClick();
        const BusyScope aguarde(&tela);
        tela.VrTotalItemPed();
    };

    tela.CriaCalcDescPreUnit = [&tela] {
        CalcDescPreUnitTela dados;
        dados.itens = tela.cdsItemPedido->data();
        dados.nrItemPed = valor(tela.cdsItemPedido, "NRITEMPED");
        dados.netLanPed = tela.netLanPed;
        dados.operador = Operador();
        dados.idPerAltPreco = tela.paramPedido(QStringLiteral("IDPERALTPRECO"));
        dados.dsPerAltMaior = tela.paramPedido(QStringLiteral("DSPERALTMAIOR"));
        dados.dsPerAltMenor = tela.paramPedido(QStringLiteral("DSPERALTMENOR"));
        dados.parent = &tela;
        CriaCalcDescPreUnit(dados);
        // The server may have changed the stored prices: show the order as
        // stored now, with its taxes and charges.
        tela.sbtVerificarClick();
        const BusyScope aguarde(&tela);
        tela.VrTotalItemPed();
    };

    tela.CriaAlteracaoPrecoAuto = [&tela] {
        AlteracaoPrecoAutoTela dados;
        dados.netLanPed = tela.netLanPed;
        dados.cdFilial = tela.medCdFilial->text();
        dados.nrDiasEntPed = tela.paramPedido(QStringLiteral("NRDIASENTPED"));
        dados.parent = &tela;
        CriaAlteracaoPrecoAuto(dados);
        // Prices of many orders changed: show the current one as stored now.
        tela.sbtVerificarClick();
    };

    tela.CriaReplicacaoPedido = [&tela] {
        ReplicaPedidoTela dados;
        for (const auto& [destino, campo] : {std::pair{&dados.cdFilial, "CDFILIAL"}, {&dados.nrPedido, "NRPEDIDO"},
                                             {&dados.nrInsJurClie, "NRINSJURCLIE"}, {&dados.idTpIjurClie, "IDTPIJURCLIE"},
                                             {&dados.cdCliente, "CDCLIENTE"}, {&dados.nmFantClie, "NMFANTCLIE"},
                                             {&dados.cdFilialPed, "CDFILIALPED"}})
            *destino = valor(tela.cdsPedido, campo);
        dados.idUtValiPed = tela.paramPedido(QStringLiteral("IDUTVALIPED"));
        dados.qtDiaValiPed = tela.paramPedido(QStringLiteral("QTDIAVALIPED")).replace(u',', u'.').toDouble();
        dados.nrDiasEntPed = tela.paramPedido(QStringLiteral("NRDIASENTPED"));
        dados.msgTela = &tela.msgPadrao;
        dados.netLanPed = tela.netLanPed;
        dados.cdsPesqFilial = tela.cdsPesqFilial;
        dados.parent = &tela;
        // The new order joins the list when the list's criteria take it in.
        if (CriaReplicacaoPedido(dados))
            tela.sbtVerificarClick();
    };

    tela.CriaNFFutura = [&tela] {
        // The order now carries its invoice: show it as stored.
        if (CriaNFFutura(valor(tela.cdsPedido, "CDFILIAL"), valor(tela.cdsPedido, "NRPEDIDO"), &tela))
            tela.sbtVerificarClick();
    };
}
