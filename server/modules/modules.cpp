#include "modules.h"

#include "topics.h"

void registerAllMethods(MethodRegistry& registry)
{
    registerLanPedidoParams(registry);
    registerLanPedidoNumbering(registry);
    registerBranchLookups(registry);
}
