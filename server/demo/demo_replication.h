#pragma once
// The demo rows order replication and the future-delivery invoice meet: a
// blocked customer, a product branch 0002 does not sell, and an order of
// branch 0001 in progress, of the future-delivery operation type, whose
// items are all approved and which has no invoice yet.

#include <QSqlDatabase>

void loadDemoReplication(const QSqlDatabase& db);
