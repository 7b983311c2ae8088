#pragma once
// Demo customers, operators bound to sellers, credit lines, receivables and
// seller messages; loaded after the rest of the demo data.

#include <QDate>
#include <QSqlDatabase>

void loadDemoCustomers(QSqlDatabase& db, const QDate& today);
