#pragma once
// The demo rows the item checks of order entry show: a product sold by the
// dozen, one out of stock at branch 0001, one whose stock is not controlled,
// and the codes Drogaria São Bento gives some products.

#include <QSqlDatabase>

void loadDemoItemChecks(const QSqlDatabase& db);
