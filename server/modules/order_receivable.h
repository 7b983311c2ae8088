#pragma once
// The amount to receive of a stored order, as the screen's totals show it:
// the terms' installment values are shared out of it at the cent.

#include "money.h"
#include "order_packets.h"

class MethodRegistry;
struct CallContext;

// VRRECEBIMENTO of GetImposEncar for the order; 0 when it has no row.
// std::logic_error when GetImposEncar is not registered.
Cents orderReceivable(const MethodRegistry& registry, CallContext& context, const OrderPackets::OrderKey& order);
