#pragma once
// What the confirmation finds in an order for the clerk to review, read
// from the order as it would be stored (docs/confirmation.md states the
// rules). Each finder returns its packet, or null when it finds nothing.

#include "goods_value.h"
#include "order_packets.h"

#include <QJsonValue>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

namespace ConfirmFindings {

// The live items of an order as the finders read them, with what they
// need of the order, read in one statement.
struct Item {
    QString number;          // NRITEMPED
    QVariant product;        // CDPRODUTO of the product row; null: not registered
    QVariant itemProduct;    // CDPRODUTO the item names
    QVariant tree;           // CDARVPROD, the product's over the item's
    QVariant itemTree;       // the item's own CDARVPROD, '' when none
    QVariant name;           // NMPRODUTO, the product's over the item's
    QString active;          // IDPRODATIVO
    QString soldHere;        // IDVENDPRODFIL of the branch
    ItemValue value;         // price, quantity, discount, free good
    QString priceKind;       // IDITPEDDIFER, '' when none
    QVariant tablePrice;     // VRITEPREBASE
    double wanted = 0;       // QTITEMPED in stock units
    QVariant reserved;       // its reservations summed; null: none
    QVariant margin;         // VRITRENTABIL
    bool needsPermit = false;   // its product asks a licence (PRODALVARA)
};
struct Items {
    QList<Item> live;        // by NRITEMPED
    QString basePrice;       // the order's CDPRECOBASE
    QVariant orderDate;      // DTPEDIDO
    QString priceTables;     // the branch's IDTABPRECO
    QString fiscalGroup;     // the customer's CDGRUPOFISC
    QVariant orderType;      // IDTIPOPEDIDO: "2" a quotation
    QString orderStatus;     // IDSITPEDIDO
    QVariant floor;          // top of the lowest profitability band; null: no bands
};
Items readItems(const QSqlDatabase& db, const OrderPackets::OrderKey& order);
// The items as the order's values are worked out from them.
LiveItems liveItems(const Items& items);

// Element 0: live items that cannot be sold as they are: an unknown or
// inactive product, one the branch does not sell, a quantity not above 0,
// a unit price not above 0 on an item that is not a free good.
// `itemsInError` receives their numbers.
QJsonValue itemErrors(const Items& items, const OrderPackets::OrderKey& order, QStringList* itemsInError = nullptr);

// Element 1, code "ALT_PR": of the `pricedItems` (those this submission
// inserted or changed), the live items of a price-table kind whose table
// price (VRITEPREBASE) is no longer the one in force on the order date, at
// a branch that prices from price tables.
QList<QVariantList> priceChanges(const QSqlDatabase& db, const Items& items, const OrderPackets::OrderKey& order,
                                 const QStringList& pricedItems);
// Gives the items of `changes` the table price in force now, with the
// branch's adjustment for the modality and their discount percentage.
void reprice(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const QList<QVariantList>& changes);

// Element 1, code "QT_RESE": live items of an order (not a quotation) that
// hold more reserved than they ask for, in stock units.
QList<QVariantList> overReservations(const Items& items, const OrderPackets::OrderKey& order);
// Cuts those reservations down to the items' quantities, newest first.
void trimReservations(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const QList<QVariantList>& findings);
// The packet of element 1 from rows of the two kinds above (null: none).
QJsonValue confirmaRes(const QList<QVariantList>& rows);

// Element 3: live items of a product that needs a licence kind the
// customer holds no licence of, valid on the order date.
QJsonValue permits(const QSqlDatabase& db, const Items& items, const OrderPackets::OrderKey& order);
// Element 4: live items whose margin (VRITRENTABIL) lies below the top of
// the lowest profitability band.
QJsonValue profitability(const Items& items);
// Element 5: the order's seller and commissioned sellers whose commission
// is not valid on the order date.
QJsonValue commissions(const QSqlDatabase& db, const OrderPackets::OrderKey& order);

// Element 2: one message row.
QJsonValue message(const QString& code, const QVariant& quantity = {});

} // namespace ConfirmFindings
