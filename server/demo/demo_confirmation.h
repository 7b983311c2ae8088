#pragma once
// What the demo needs so that each finding of the confirmation can be met:
// a licence kind the controlled medicines need, held by the customer of
// the demo's controlled-medicine order only, and branch 0001's minimum
// order value of R$ 150.

#include <QSqlDatabase>

void loadDemoConfirmation(const QSqlDatabase& db);
