// The working branch of the screen: entering its field starts from an empty
// screen, leaving it validates the branch and loads its order parameters.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "abort.h"
#include "context.h"
#include "lookupquery.h"
#include "messages.h"
#include "netconnection.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbedits.h"

#include <QJsonArray>
#include <QLineEdit>
#include <QMetaObject>
#include <QTabWidget>

using namespace LanPedido;
using namespace Rpc::LanPedido;

namespace {

const QString qryPesqSql = QStringLiteral("SELECT CDFILIAL, NMFILIAL, CDSEGMER FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL");

} // namespace

bool TfrmLanPedido::ExibeVendedorLogado() const
{
    return paramPedido(QStringLiteral("IDEXIBPEDIDO")) == u"2" && temLinhas(cdsOperTPed);
}

// The branch code must name a registered branch; its name is shown. The
// look-up's list is not loaded here: the look-up loads it when it opens.
void TfrmLanPedido::Vd_Filial()
{
    const QString codigo = Ajusta(medCdFilial->text(), 4);
    QString nome;
    try {
        if (codigo.isEmpty())
            MensErro(texto(QStringLiteral("FILIAL")), true);
        LookupQuery qryPesq(QStringLiteral("qryPesq"), dtmDBGeral(), qryPesqSql);
        qryPesq.setParam(QStringLiteral("P_CDFILIAL"), codigo);
        qryPesq.open();
        if (qryPesq.isEmpty())
            MensErro(texto(QStringLiteral("CD_NUL")), true);
        nome = qryPesq.fieldByName(QStringLiteral("NMFILIAL")).asString();
    } catch (...) {
        if (medCdFilial->isEnabled())
            medCdFilial->setFocus();
        throw;
    }
    medCdFilial->setText(codigo);
    edtNmFilial->setText(nome);
}

// The company's branches, from the general connection.
void TfrmLanPedido::carregaFiliais()
{
    TNetConnection dbGeral(ServerNames::DBGeral);
    CarregaPacote(*cdsPesqFilial, Servidor(Rpc::DBGeral::getFilial, {EmprProc(), QStringLiteral("T")}, &dbGeral));
}

void TfrmLanPedido::btnFilialBeforePesq(bool&)
{
    carregaFiliais();
}

void TfrmLanPedido::btnFilialAfterPesq()
{
    medCdFilial->setText(cdsPesqFilial->fieldByName(QStringLiteral("CDFILIAL")).asString());
    edtNmFilial->setText(cdsPesqFilial->fieldByName(QStringLiteral("NMFILIAL")).asString());
}

void TfrmLanPedido::panFilialExit()
{
    const bool filialFixa = m_filialFixa;
    if (Ajusta(medCdFilial->text(), 4) != m_ultimaFilial) {
        Vd_Filial();
        const QString filial = medCdFilial->text();
        const QJsonArray abertura = Servidor(GetAbertura, {filial, Operador()}).toArray();
        using namespace GetAberturaResult;
        const std::pair<Element, RecordSet*> destinos[] = {{UsoTabPreClie, cdsVerifUsoTabPreClie}, {ParamPedido, cdsParamPedido},
                                                           {ParExpedicao, cdsParExpedicao}, {CondDesc, cdsCondDesc},
                                                           {OperTPed, cdsOperTPed}, {VendLog, cdsVendLog}};
        for (const auto& [elemento, cds] : destinos)
            CarregaPacote(*cds, abertura.at(elemento));
        if (cdsParamPedido->isEmpty()) {
            m_ultimaFilial.clear();
            if (!filialFixa)
                medCdFilial->setFocus();
            MensErro(texto(QStringLiteral("N_PARAM")), true);
        }
        const bool vendedorFixo = ExibeVendedorLogado();
        for (QWidget* control : std::initializer_list<QWidget*>{dbeVendedor, btnVend})
            habilitaComLegenda(control, !vendedorFixo);
        // Nothing more is set up for a screen that is closing.
        if (vendedorFixo && cdsVendLog->isEmpty()) {
            MensErro(texto(QStringLiteral("Vend_n_relac")), false);
            m_fechandoSemVendedor = true;
            QMetaObject::invokeMethod(this, &TfrmLanPedido::closeScreen, Qt::QueuedConnection);
            return;
        }
        AplicaParamPedido();
        const QString lancamento = paramPedido(QStringLiteral("IDLANCPED"));
        const bool emAndamento = lancamento == u"2" || lancamento == u"3";
        Filtro.StatusPedido.boAndamento = emAndamento;
        Filtro.StatusPedido.boPendente = !emAndamento;
        if (filial != m_ultimaFilial) {
            Filtro.Produto.stProduto.clear();
            Filtro.Produto.boTodos = true;
        }
        m_ultimaFilial = filial;
    }
    // The data pages open only on a list the clerk confirmed; the branch's
    // page options follow every exit, a cancelled filter's too.
    if (!sbtFiltroClick()) {
        AplicaParamPedidoSempre();
        if (medCdFilial->isEnabled())
            medCdFilial->setFocus();
        throw Abort();
    }
    habilitaPaginas(cdsPedido->isActive());
    AplicaParamPedidoSempre();
    dtsPadraoStateChange();
}

// Starting to type another branch empties the screen first.
void TfrmLanPedido::medCdFilialEnter()
{
    for (RecordSet* cds : {cdsPedido, cdsObser, cdsDadosAdicPed, cdsDadosEndPed})
        cds->close();
    pgcPadrao->setCurrentWidget(tshPadrao);
    habilitaPaginas(false);
}
