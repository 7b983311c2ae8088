// Entry point of the order entry module.

#include "dialogos_pedido.h"
#include "lanpedido_unit.h"
#include "moduleapi.h"

#include <QGuiApplication>

PED_MODULE_EXPORT void IniProc(const QVariantList&)
{
    CriaLanctoPedido();
    LigaDialogosPedido(*LanPedido::frmLanPedido);
}
