// Routines of the order header, items, payment, charges and transport
// topics that the screen's spine calls. Each does what its callers here
// need; the topics that own them extend them.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "recordset.h"
#include "values.h"
#include "widgets/btnpesquisa.h"
#include "widgets/dbedits.h"
#include "widgets/dbgrid.h"
#include "widgets/numberedit.h"

#include <QJsonValue>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

using namespace LanPedido;


// The order list. The order query joins with the filter dialog; until then
// the list opens empty, so that orders can be entered.
void TfrmLanPedido::DadosPedido(bool)
{
    if (!boGetPedido)
        return;
    if (!cdsPedido->isActive())
        cdsPedido->createDataSet();
}

void TfrmLanPedido::AtualizaTipoPed()
{
    const bool orcamento = valor(cdsPedido, "IDTIPOPEDIDO") == u"2";
    rdbOrcamento->setChecked(orcamento);
    rdbPedido->setChecked(!orcamento);
}

void TfrmLanPedido::cdsPedidoAfterScroll()
{
    dbtNome->setText(valor(cdsPedido, "DsPedido"));
    lblNmCliente->setText(valor(cdsPedido, "NMFANTCLIE"));
    const QString origem = QStringLiteral("ORIGEM_") + valor(cdsPedido, "IDORIGPED").trimmed();
    if (msgPadrao.contains(origem))
        edtOrigem->setText(texto(origem));
}

void TfrmLanPedido::AtualizaFiliDest()
{
    edtNmFiliDest->setText(valor(cdsPedido, "NMFILIAL"));
}

void TfrmLanPedido::Atualiza_TipoEdital()
{
}

// The customer's commitment balance: a packet with one row when there is one.
void TfrmLanPedido::Atualiza_Empenho(const QJsonValue& saldo)
{
    const DataPacket packet = saldo.isObject() ? DataPacket::fromJson(saldo.toObject()) : DataPacket();
    const int coluna = packet.indexOf(QStringLiteral("VRSALDOEMP"));
    if (packet.rows.isEmpty() || coluna < 0)
        nedVrEmpenho->clear();
    else
        nedVrEmpenho->setValue(packet.rows.first().at(coluna).toDouble());
}

void TfrmLanPedido::AtualizaTipoTrans()
{
}

void TfrmLanPedido::Vd_Transport()
{
    edtNmTransp->setText(valor(cdsPedido, "NMFANTTRAN"));
}

void TfrmLanPedido::HabilitaCliente()
{
    const bool inserindo = cdsPedido->state() == RecordSet::State::Insert;
    dbeCliente->setReadOnly(!inserindo);
    btnCliente->setEnabled(inserindo);
}

void TfrmLanPedido::AtualizaFormaPgto()
{
    edtModPgto->setText(valor(cdsPedido, "DSMODPGTO"));
}

// Order totals with taxes and charges, from the server's figures for the
// stored order.
void TfrmLanPedido::VrImposEncargo()
{
    auto total = [this](const char* field) {
        const Field* campo = cdsImposEncar->isActive() ? cdsImposEncar->findField(QString::fromUtf8(field)) : nullptr;
        return campo && !cdsImposEncar->isEmpty() ? campo->asFloat() : 0.0;
    };
    nedTotalBruto->setValue(nedTotal->value());
    nedDescTot->setValue(nedDescTotal->value());
    nedImposAcres->setValue(total("IMPOSACRES"));
    nedImposDecres->setValue(total("IMPOSDECRES"));
    nedEncargoAcres->setValue(total("ENCARGOACRESC"));
    nedEncargoDecres->setValue(total("ENCARGODECRESC"));
    nedTotalPed->setValue(RoundDec(nedTotLiq->value() + total("IMPOSACRES") - total("IMPOSDECRES")
                                       + total("ENCARGOACRESC") - total("ENCARGODECRESC"), 2));
}

void TfrmLanPedido::dbeModPgtoExit()
{
}

void TfrmLanPedido::HabilitaColunaImporta()
{
    if (DBGridColumn* column = dbgItemPedido->columnByField(QStringLiteral("IDITPEDSEMQTDIS")))
        column->setVisible(paramPedido(QStringLiteral("IDTESTAEST")) == u"2");
}

// Customer, seller and destination branch checks.
void TfrmLanPedido::Vd_Cliente(bool, bool)
{
}

void TfrmLanPedido::Vd_Vendedor(bool)
{
}

void TfrmLanPedido::Vd_FilialDest(bool)
{
}
