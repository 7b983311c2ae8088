#pragma once
// The stock figures of a product at a branch as the item side data and the
// item checks read them: what is ordered, quoted, in stock and available,
// whether its stock is controlled, and the customer's last sale prices.
// Quantities are in stock units.

#include "order_packets.h"

#include <QSqlDatabase>
#include <QString>

namespace StockFigures {

// Order kinds (IDTIPOPEDIDO).
inline const QString orders = QStringLiteral("1");
inline const QString quotations = QStringLiteral("2");

// The product's stock product (itself unless it moves another's stock);
// empty for an unknown or empty product.
QString stockProductOf(const QSqlDatabase& db, const QString& product);

// Open quantity of the stock product's items at the branch over orders of
// the kind; settled and cancelled items ask for nothing more. The items of
// `excludedOrder`, when given, are left out.
double openQuantity(const QSqlDatabase& db, const QString& branch, const QString& stockProduct, const QString& orderKind,
                    const QString& excludedOrder = {});

// The branch's stock of the product (ESTOQUE).
double stockQuantity(const QSqlDatabase& db, const QString& branch, const QString& stockProduct);

// What the shortage tests of an item and of a whole order compare with, in
// stock units: the branch's stock less what other orders and other
// quotations still ask of it. Both tests leave out the order being checked.
struct ShortageFigures {
    double ordered = 0;   // open in the branch's other orders
    double quoted = 0;    // open in the branch's other quotations
    double stock = 0;
    double available() const { return stock - ordered - quoted; }
};
ShortageFigures shortageFigures(const QSqlDatabase& db, const QString& branch, const QString& stockProduct, const QString& order);

// The branch's stock of the product less what every order reserved of it.
double availableQuantity(const QSqlDatabase& db, const QString& branch, const QString& stockProduct);

// "S" stock is controlled; "F" the branch does not control stock; "T" the
// operation type does not move stock; "P" the product is not controlled.
QString stockControl(const QSqlDatabase& db, const QString& branch, const QString& stockProduct, const QString& operation);

// `cdsConUltPrecVen`: the customer's last purchases of the product at the
// branch, newest first, other orders only, cancelled items left out.
DataPacket lastPrices(const QSqlDatabase& db, const OrderPackets::OrderKey& order, const QString& product, const QString& customer);

} // namespace StockFigures
