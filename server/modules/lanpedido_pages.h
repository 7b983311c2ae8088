#pragma once
// What the pages of the order-entry screen load for the current order
// (page change, items, tax and order totals, earlier notes) and what the
// order print preview reads.

class MethodRegistry;

void registerLanPedidoPages(MethodRegistry& registry);   // lanpedido_pages.cpp
