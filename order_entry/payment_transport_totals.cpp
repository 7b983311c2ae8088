// What the header shows of the order's payment, transport, commitment
// balance and totals with taxes and charges, refreshed when the pages and
// the records move; the payment and transport topics extend these.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "recordset.h"
#include "rules/order_values.h"
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
    RegrasPedido::ImpostosEncargos impostosEncargos;
    impostosEncargos.impostosAcrescimo = total("IMPOSACRES");
    impostosEncargos.impostosDecrescimo = total("IMPOSDECRES");
    impostosEncargos.encargosAcrescimo = total("ENCARGOACRESC");
    impostosEncargos.encargosDecrescimo = total("ENCARGODECRESC");
    nedTotalPed->setValue(RegrasPedido::totalPedido(nedTotLiq->value(), impostosEncargos));
}

