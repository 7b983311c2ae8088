#pragma once
// One registration function per topic file of the remote data modules.

class MethodRegistry;

void registerLanPedidoParams(MethodRegistry& registry);      // lanpedido_params.cpp
void registerLanPedidoNumbering(MethodRegistry& registry);   // lanpedido_numbering.cpp
void registerBranchLookups(MethodRegistry& registry);        // dbgeral_branches.cpp
void registerLanPedidoOrders(MethodRegistry& registry);      // lanpedido_orders.cpp
void registerLanPedidoDetails(MethodRegistry& registry);     // lanpedido_details.cpp
void registerLanPedidoCustomer(MethodRegistry& registry);    // lanpedido_customer.cpp
void registerLanPedidoItems(MethodRegistry& registry);       // lanpedido_items.cpp
void registerLanPedidoItemChecks(MethodRegistry& registry);  // lanpedido_item_checks.cpp
void registerLanPedidoPricing(MethodRegistry& registry);    // lanpedido_pricing.cpp
void registerLanPedidoDiscount(MethodRegistry& registry);   // lanpedido_discount.cpp
void registerLanPedidoUnitPrice(MethodRegistry& registry);  // lanpedido_unit_price.cpp
void registerLanPedidoPriceChange(MethodRegistry& registry);   // lanpedido_price_change.cpp
void registerLanPedidoPayment(MethodRegistry& registry);      // lanpedido_payment.cpp
void registerLanPedidoReplication(MethodRegistry& registry);   // lanpedido_replication.cpp
void registerGeraNFFutura(MethodRegistry& registry);           // geranffutura.cpp
void registerLanPedidoHeaderChecks(MethodRegistry& registry);   // lanpedido_header_checks.cpp
void registerLanPedidoConfirm(MethodRegistry& registry);        // lanpedido_confirm.cpp
void registerLanPedidoConfirmSupport(MethodRegistry& registry); // lanpedido_confirm_support.cpp
