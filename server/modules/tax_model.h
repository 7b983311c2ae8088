#pragma once
// The taxes of an order under the tax rules (docs/taxes.md): each live item
// pays each tax its product carries, at the rate the customer's fiscal group
// sets for that product, or for every product, or else at the product's own
// rate; rate 0 exempts.

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

// An item to tax: its goods less discount, at the cent.
struct TaxedItem {
    QString item;      // NRITEMPED
    QString product;   // CDPRODUTO
    double goods = 0;
};

// Whether orders were stored before the transaction that works out their
// values: one inserted in it has nothing to replace yet.
enum class StoredBefore { Yes, No };

// The same for many orders of one branch at once (a price change across
// orders): a few statements per few hundred orders instead of a dozen per
// order, with the same rules.
void storeOrdersTaxes(const QSqlDatabase& db, const QString& branch, const QStringList& orders,
                      StoredBefore stored = StoredBefore::Yes);

// The same for one order whose live items (by NRITEMPED) and customer's
// fiscal group the caller has read.
void storeOrderTaxes(const QSqlDatabase& db, const QString& branch, const QString& order, const QString& fiscalGroup,
                     const QList<TaxedItem>& items, StoredBefore stored);
