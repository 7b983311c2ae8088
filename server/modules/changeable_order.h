#pragma once
// Which stored orders and items the price-changing methods may still touch.

#include "order_packets.h"

#include <QSqlDatabase>
#include <QString>

// Settled and cancelled items keep their prices: a condition to append to a
// WHERE clause over ITEMPEDIDO.
extern const QString changeableItemCondition;

// An order may be repriced while it is pending, and while it is under way
// where the branch lets the clerk change orders in that state, as the screen
// decides which orders it opens for change. Otherwise a MethodError: the
// order is not stored, or may no longer be changed.
void requireChangeableOrder(const QSqlDatabase& db, const OrderPackets::OrderKey& order);
