// What the header shows of the order's payment, transport, commitment
// balance and totals with taxes and charges, refreshed when the pages and
// the records move; the payment and transport topics extend these.

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

void TfrmLanPedido::Vd_Transport()
{
    edtNmTransp->setText(valor(cdsPedido, "NMFANTTRAN"));
}

// Order totals with taxes and charges, from the server's figures for the
// stored order; an order only being looked at gets its items first.
void TfrmLanPedido::VrImposEncargo()
{
    if (cdsPedido->state() == RecordSet::State::Browse && !temLinhas(cdsItemPedido))
        CarregaItens();
    VrTotalItemPed();
}

