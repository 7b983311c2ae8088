#pragma once
// An order's totals worked out from its stored items, taxes and charges:
// what GetImposEncar shows and what the terms' installments share out.

#include "money.h"
#include "order_packets.h"

class QSqlDatabase;

struct OrderTotals {
    double chargesAdded = 0, chargesDeducted = 0;   // charges of kind "A" and "D"
    double taxesAdded = 0, taxesDeducted = 0;       // taxes treated "A" and "D"
    double goods = 0;                               // goods less discounts (VRTOTAL)
    double discount = 0;                            // item discounts
    double bonus = 0;                               // net value of the free goods
    double receivable = 0;                          // the amount to receive (VRRECEBIMENTO)
};

// Cancelled items count nothing; an order that is not stored totals 0.
OrderTotals orderTotals(const QSqlDatabase& db, const OrderPackets::OrderKey& order);

inline Cents orderReceivable(const QSqlDatabase& db, const OrderPackets::OrderKey& order)
{
    return Cents::fromValue(orderTotals(db, order).receivable);
}
