#pragma once
// The demo database and the large-data generator: master data, customers,
// stock, taxes and orders written through the store's schema. Kept apart
// from store/ because they build on the server's password hashing and tax
// model, which the store itself does not need.

class QSqlDatabase;

// Loads the deterministic demo data (company "01", branches "0001".."0003",
// operator DEMO/demo, ...). Expects a migrated, empty database.
void loadDemoData(QSqlDatabase& db);

// Adds `orderCount` realistic orders with items for benchmarks.
void generateOrders(QSqlDatabase& db, int orderCount);
