#pragma once
// Orders written in bulk from the master data in the database: the demo
// data and the large-data generator share this, so both produce orders the
// screens read the same way (items with statuses that fit the header,
// totals, weights and profitability colour worked out from the items).

#include "store/sql.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// A fixed-seed generator: the same seed gives the same data on every
// machine (the standard distributions are not portable across libraries).
class DeterministicRandom {
public:
    explicit DeterministicRandom(quint64 seed) : m_state(seed) {}
    quint64 next();
    int below(int count);                      // 0 .. count-1
    double between(double low, double high);   // [low, high)
    bool chance(double probability);
private:
    quint64 m_state;
};

struct CatalogBranch {
    QString code;
    QString name;
    QString priceMode;   // PARAMPEDIDO.IDTABPRECO: "1" price table, "2" price factor
};

struct CatalogCustomer {
    QString code, documentType, document, tradeName, legalName, seller;
    QString priceTable;   // the customer's main base price; empty when it may use any
};

struct CatalogSeller {
    QString code, tradeName;
    double commissionPercent = 0;
};

struct CatalogProduct {
    QString code, userCode, name, unit, stockProduct, stockUnit;
    QString priceTable, factorCode, factorAbbreviation;
    double salesToStockFactor = 1;
    double tablePrice = 0;    // normal price of the first price table
    double factorPrice = 0;   // price of the first price factor
    double grossWeight = 0, netWeight = 0, cost = 0, priceFormationPercent = 0;
};

struct CatalogModality {
    QString code, description, paymentForm, paymentType;
    double installments = 0, fixedDay = 0;
};

struct CatalogOperationType {
    QString code, name, entryExit, originDestination;
};

struct ProfitabilityBand {
    double fromPercent = 0, toPercent = 0, colour = 0;
};

struct OrderCatalog {
    QList<CatalogBranch> branches;   // those with order parameters
    QList<CatalogCustomer> customers;
    QList<CatalogSeller> sellers;
    QList<CatalogProduct> products;
    QList<CatalogModality> modalities;
    QList<CatalogOperationType> saleOperations;
    QList<ProfitabilityBand> bands;
    QHash<QString, QString> priceTableDescriptions;   // CDPRECOBASE -> DSPRECOBASE

    // Throws StoreError when the master data to build orders from is missing.
    static OrderCatalog load(const QSqlDatabase& db);
    int sellerIndex(const QString& code) const;   // -1 when absent
    double colourFor(double marginPercent) const;
};

struct ItemPlan {
    int product = 0;   // index into OrderCatalog::products
    double quantity = 1;
    double discountPercent = 0;
};

struct OrderPlan {
    QString branch;
    QString number;   // zero-padded to 10
    QDateTime orderDate;
    QDateTime deliveryDate;
    QString status = QStringLiteral("1");   // IDSITPEDIDO
    QString orderType = QStringLiteral("1");   // IDTIPOPEDIDO: "1" order, "2" quotation
    QString priority = QStringLiteral("3");
    QString origin = QStringLiteral("1");
    QString operatorCode = QStringLiteral("DEMO");
    QString purchaseOrder;
    int customer = 0;
    int seller = 0;
    int modality = 0;
    int operationType = 0;
    QList<ItemPlan> items;
};

// What the writer decided per item, for the caller's detail rows.
struct WrittenItem {
    QString number;   // NRITEMPED
    QString status;   // IDSITITEMPED
    QString product, stockProduct;
    double quantity = 0, shippedQuantity = 0, unitPrice = 0, discount = 0, stockQuantity = 0;
};

struct WrittenOrder {
    QList<WrittenItem> items;
    double total = 0;
};

class OrderWriter {
public:
    OrderWriter(const QSqlDatabase& db, const OrderCatalog& catalog);
    WrittenOrder write(const OrderPlan& plan);
    void flush();
    qint64 ordersWritten() const { return m_orderCount; }
    qint64 itemsWritten() const { return m_itemCount; }

private:
    const OrderCatalog& m_catalog;
    BatchInserter m_headers;
    BatchInserter m_items;
    qint64 m_orderCount = 0;
    qint64 m_itemCount = 0;
};

// A plausible order: 1..maxItems items of distinct products, mostly few.
OrderPlan randomOrderPlan(const OrderCatalog& catalog, DeterministicRandom& random, int maxItems);

QString zeroPadded(qlonglong number, int width);
