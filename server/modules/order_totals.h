#pragma once
// An order's totals worked out from its stored items, taxes and charges:
// what GetImposEncar shows and what the terms' installments share out.

#include "goods_value.h"
#include "money.h"
#include "order_packets.h"
#include "tax_model.h"

#include <optional>

class QDateTime;
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
// itemTotals fills only what the items give (goods, discount, bonus), as
// totalsOfItems does for the live items.
OrderTotals itemTotals(const QSqlDatabase& db, const OrderPackets::OrderKey& order);
OrderTotals totalsOfItems(const LiveItems& items);
// The order's live items with its customer's fiscal group.
LiveItems readLiveItems(const QSqlDatabase& db, const OrderPackets::OrderKey& order);

OrderTotals orderTotals(const QSqlDatabase& db, const OrderPackets::OrderKey& order);

inline Cents orderReceivable(const QSqlDatabase& db, const OrderPackets::OrderKey& order)
{
    return Cents::fromValue(orderTotals(db, order).receivable);
}

// Writes what the server keeps of a stored order's value: VRTOTALPED and
// VRTOTPEDLIQ from its live items (DTHRALTPED too when `changedAt` is
// valid). The caller holds the transaction.
void storeOrderTotals(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const QDateTime& changedAt = {});

// VRPARCELA of each term: the amount to receive shared by the terms'
// percentages in whole cents, as setFormaPagto stores it. The order's taxes
// must be stored first.
void storeInstallments(const QSqlDatabase& db, const OrderPackets::OrderKey& order);

// All of the above after the items changed: totals, the taxes, then the
// installments, from one read of the live items, or from `items` when the
// caller has them as stored now.
void storeOrderValues(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const QDateTime& changedAt = {},
                      StoredBefore stored = StoredBefore::Yes, const std::optional<LiveItems>& items = std::nullopt);

