#pragma once
// The demo's tax rules by fiscal group, and the taxes and charges they give
// the orders of branch 0002 (branch 0001's orders carry theirs already).

#include <QSqlDatabase>

void loadDemoStockAndTaxes(const QSqlDatabase& db);
