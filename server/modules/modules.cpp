#include "modules.h"

#include "lanpedido_pages.h"
#include "topics.h"

void registerAllMethods(MethodRegistry& registry)
{
    registerLanPedidoParams(registry);
    registerLanPedidoNumbering(registry);
    registerBranchLookups(registry);
    registerLanPedidoPages(registry);
    registerLanPedidoOrders(registry);
    registerLanPedidoDetails(registry);
    registerLanPedidoCustomer(registry);
    registerLanPedidoItems(registry);
    registerLanPedidoItemChecks(registry);
    registerLanPedidoPricing(registry);
    registerLanPedidoDiscount(registry);
    registerLanPedidoUnitPrice(registry);
    registerLanPedidoPriceChange(registry);
    registerLanPedidoPayment(registry);
    registerLanPedidoReplication(registry);
    registerGeraNFFutura(registry);
    registerLanPedidoHeaderChecks(registry);
    registerLanPedidoConfirm(registry);
    registerLanPedidoConfirmSupport(registry);
}
