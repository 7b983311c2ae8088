// Entry point of the order entry module.

#include "lanpedido_unit.h"
#include "moduleapi.h"

#include <QGuiApplication>

PED_MODULE_EXPORT void IniProc(const QVariantList&)
{
    CriaLanctoPedido();
}
