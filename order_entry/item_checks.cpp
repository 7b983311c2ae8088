// The checks of an item's quantity and delivery date: the quantity rounded
// up to the product's sales multiple, refused when missing, not above zero
// or written with an exponent, the customer's discount proportion for it,
// the warning when it passes the proportion's range; a delivery date with a
// time of day and not before the zero date. The rules are in
// rules/item_values.h.

#include "lanpedido.h"
#include "cds_values.h"
#include "lanpedido_unit.h"

#include "busy.h"
#include "eventguard.h"
#include "messages.h"
#include "recordset.h"
#include "rules/item_values.h"
#include "rules/pricing.h"
#include "widgets/dbgrid.h"

#include <QScopeGuard>
#include <QTabWidget>

using namespace LanPedido;
using namespace Rpc::LanPedido;

void TfrmLanPedido::ligaConferenciasDoItem()
{
    cdsQtVolumes = new RecordSet(QStringLiteral("cdsQtVolumes"), this);
    cdsQtProd = new RecordSet(QStringLiteral("cdsQtProd"), this);
    cdsDescProp = new RecordSet(QStringLiteral("cdsDescProp"), this);
}

// A new item is always rounded; an edited one only when its quantity or
// its product changed, so that editing another column keeps what was sold.
void TfrmLanPedido::ArredondaAoMultiplo()
{
    RecordSet& itens = *cdsItemPedido;
    {
        BusyScope ocupado(this);
        CarregaPacote(*cdsQtVolumes, Servidor(GetQtVolumes, {valor(&itens, "CDARVPROD")}));
    }
    Field& quantidade = campo(&itens, "QTITEMPED");
    const std::optional<double> multiplo = opcional(cdsQtVolumes, "QTVOLUMES");
    if (quantidade.isNull() || !multiplo)
        return;
    const bool mudou = itens.state() == RecordSet::State::Insert || quantidade.value() != quantidade.oldValue()
                       || campo(&itens, "CDARVPROD").value() != campo(&itens, "CDARVPROD").oldValue();
    if (!mudou)
        return;
    EventDetach semTroca(quantidade.onChange);
    const double arredondada = RegrasPedido::NextMultiple(quantidade.asFloat(), *multiplo);
    if (arredondada != quantidade.asFloat())
        quantidade.setValue(arredondada);
}

void TfrmLanPedido::Vd_Quantidade(bool consist)
{
    RecordSet& itens = *cdsItemPedido;
    if (!itens.isEditing())
        return;
    try {
        ArredondaAoMultiplo();
        const Field& quantidade = campo(&itens, "QTITEMPED");
        if (quantidade.isNull()) {
            if (consist)
                MensErro(texto(QStringLiteral("QT_NULO")), true);
            return;
        }
        if (quantidade.asFloat() <= 0)
            MensErro(texto(QStringLiteral("QTITEM")), true);
        if (quantidade.text().contains(u'E', Qt::CaseInsensitive))
            MensErro(texto(QStringLiteral("Qtd_Invalida")), true);
        if (!campo(&itens, "PERDESC").isNull())
            return;
        {
            BusyScope ocupado(this);
            CarregaPacote(*cdsDescProp, Servidor(GetDesconto, {valor(cdsPedido, "CDCLIENTE"), valor(&itens, "CDPRODUTO"),
                                                               QString::number(quantidade.asFloat(), 'g', 15)}));
        }
        if (const std::optional<double> proporcao = opcional(cdsDescProp, "VRPERDESC")) {
            campo(&itens, "PERDESC").setValue(*proporcao);
            if (numero(&itens, "VRPREUNITPED") > 0 && quantidade.asFloat() > 0)
                GravaDescItem();
        }
    } catch (...) {
        mostraItemNoProduto("QTITEMPED");
        throw;
    }
}

// Past the range of the customer's proportions the clerk is told, and the
// quantity stays as typed.
void TfrmLanPedido::Vd_QtMinPed()
{
    CarregaPacote(*cdsQtProd, Servidor(getQtProd, {valor(cdsItemPedido, "CDARVPROD"), valor(cdsPedido, "CDCLIENTE")}));
    const std::optional<double> ate = opcional(cdsQtProd, "QTFINDESC");
    if (!ate || *ate == 0 || *ate >= numero(cdsItemPedido, "QTITEMPED"))
        return;
    mostraItemNoProduto("PERDESC");
    msgPadrao.ShowMsg(QStringLiteral("QTMINPED"), MsgType::Information, MsgButton::Ok);
}

void TfrmLanPedido::Vd_DtEntItPed(bool consist)
{
    if (!cdsItemPedido->isEditing())
        return;
    const Field& entrega = campo(cdsItemPedido, "DTENTITPED");
    const char* recusa = nullptr;
    switch (RegrasPedido::confereEntrega(entrega.isNull() ? QDateTime() : entrega.asDateTime())) {
    case RegrasPedido::ConferenciaEntrega::SemData:
        recusa = consist ? "DtEntrega_inf" : nullptr;
        break;
    case RegrasPedido::ConferenciaEntrega::SemHora:
        recusa = "HR_N_INF";
        break;
    case RegrasPedido::ConferenciaEntrega::AntesDaDataZero:
        recusa = "DT_MENOR";
        break;
    case RegrasPedido::ConferenciaEntrega::Aceita:
        break;
    }
    if (!recusa)
        return;
    mostraItemNoProduto("DTENTITPED");
    MensErro(texto(QString::fromLatin1(recusa)), true);
}

// Whether the order already holds a posted item of the product. The typed
// code goes into the filter quoted, and the filter never outlives the call.
bool TfrmLanPedido::ValidaProduto(const QString& pedido, const QString& produto)
{
    if (!cdsValidaProduto->isActive())
        return false;
    auto semFiltro = qScopeGuard([this] {
        cdsValidaProduto->setFiltered(false);
        cdsValidaProduto->setFilter(QString());
    });
    cdsValidaProduto->setFilter(RegrasPedido::filtroProdutoDoPedido(pedido, produto));
    cdsValidaProduto->setFiltered(true);
    return !cdsValidaProduto->isEmpty();
}
