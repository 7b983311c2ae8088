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


void TfrmLanPedido::cdsItemPedidoAfterScroll()
{
    const QString situacao = valor(cdsItemPedido, "IDSITITEMPED");
    panExped->setVisible(situacao == u"4" || situacao == u"7");
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

void TfrmLanPedido::VrTotalItemPed()
{
    double bruto = 0;
    double desconto = 0;
    int itens = 0;
    if (cdsItemPedido->isActive()) {
        const DataPacket linhas = cdsItemPedido->data();
        const int qt = linhas.indexOf(QStringLiteral("QTITEMPED"));
        const int preco = linhas.indexOf(QStringLiteral("VRPREUNITPED"));
        const int desc = linhas.indexOf(QStringLiteral("VRDESITPED"));
        for (const QVariantList& linha : linhas.rows) {
            bruto += RoundDec(linha.at(qt).toDouble() * linha.at(preco).toDouble(), 2);
            desconto += linha.at(desc).toDouble();
            ++itens;
        }
    }
    nedQtPed->setValue(itens);
    nedTotal->setValue(RoundDec(bruto, 2));
    nedDescTotal->setValue(RoundDec(desconto, 2));
    nedTotLiq->setValue(RoundDec(bruto - desconto, 2));
}

void TfrmLanPedido::HabilitaDesabilitaItemPedido()
{
    dbgItemPedido->setReadOnly(!pedidoEmEdicao() && !boBotaoIncuiItem);
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

// A new item row for the order on screen, numbered after the last one.
void TfrmLanPedido::insereItem()
{
    if (!cdsItemPedido->isActive())
        cdsItemPedido->createDataSet();
    int ultimo = 0;
    const DataPacket itens = cdsItemPedido->data();
    const int numero = itens.indexOf(QStringLiteral("NRITEMPED"));
    for (const QVariantList& linha : itens.rows)
        ultimo = qMax(ultimo, linha.at(numero).toString().toInt());
    cdsItemPedido->append();
    cdsItemPedido->fieldByName(QStringLiteral("CDFILIAL")).setValue(medCdFilial->text());
    cdsItemPedido->fieldByName(QStringLiteral("NRPEDIDO")).setValue(valor(cdsPedido, "NRPEDIDO"));
    cdsItemPedido->fieldByName(QStringLiteral("NRITEMPED")).setValue(Ajusta(ultimo + 1, 10));
    cdsItemPedido->fieldByName(QStringLiteral("IDSITITEMPED")).setValue(QStringLiteral("1"));
}
