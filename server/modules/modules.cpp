#include "modules.h"

#include "lanpedido_pages.h"
#include "topics.h"

void registerAllMethods(MethodRegistry& registry)
{
    registerLanPedidoParams(registry);
    registerLanPedidoNumbering(registry);
    registerBranchLookups(registry);
    registerLanPedidoPages(registry);
    registerLanPedidoItems(registry);
}
