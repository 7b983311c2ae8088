#pragma once
// The demo's payment modalities beyond those the demo orders were drawn
// from: a fixed day at the end of the month, which shorter months bring
// forward, and terms of 28 and 56 days with a discount and a price
// parameter of their own.

#include <QSqlDatabase>

void loadDemoPayment(const QSqlDatabase& db);
