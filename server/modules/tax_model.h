#pragma once
// The taxes of an order under the tax rules (docs/taxes.md): each live item
// pays each tax its product carries, at the rate the customer's fiscal group
// sets for that product, or for every product, or else at the product's own
// rate; rate 0 exempts.

#include "goods_value.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct ItemTax {
    QString item;          // NRITEMPED
    QString tax;           // CDIMPOSTO
    double goods = 0;      // goods less discount, at the cent
    double reduction = 0;  // base reduction, percent
    double base = 0;       // goods less the reduction, at the cent
    double rate = 0;       // percent
    double value = 0;      // base x rate, at the cent
    QString treatment;     // 'A' adds, 'D' deducted, 'I' in the price
    QString fiscalCode;
};

// Items by NRITEMPED, taxes by CDIMPOSTO.
QList<ItemTax> orderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order);

// Replaces the order's stored item taxes (ITEMPEDIMPOS) and tax totals
// (IMPOSPEDTOT) with what the rules give now. The caller holds the
// transaction.
void storeOrderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order);

// The same for many orders of one branch at once (a price change across
// orders): a few statements per few hundred orders instead of a dozen per
// order, with the same rules.
void storeOrdersTaxes(const QSqlDatabase& db, const QString& branch, const QStringList& orders);

// Whether an order was stored before the transaction that works out its
// values: one inserted in it has no taxes to replace yet.
enum class StoredBefore { Yes, No };

// The same for one order whose live items the caller has read.
void storeOrderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order, const LiveItems& items,
                     StoredBefore stored);
