// Large order volumes for benchmarks: many orders per transaction and many
// rows per INSERT, so a million orders take minutes, not hours.

#include "demo_data.h"
#include "store/database.h"

#include "order_factory.h"
#include "store/sql.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlQuery>
#include <cstdio>

namespace {

constexpr int ordersPerTransaction = 20000;
constexpr int progressEveryOrders = 100000;
constexpr int maxItemsPerOrder = 20;
constexpr int daysOfHistory = 730;

// Older orders are mostly settled; recent ones are still open.
QString statusFor(DeterministicRandom& random, int daysAgo)
{
    const double roll = random.between(0, 1);
    if (daysAgo > 60) {
        if (roll < 0.40) return QStringLiteral("3");
        if (roll < 0.70) return QStringLiteral("5");
        if (roll < 0.82) return QStringLiteral("4");
        if (roll < 0.92) return QStringLiteral("6");
        return QStringLiteral("2");
    }
    if (roll < 0.40) return QStringLiteral("1");
    if (roll < 0.70) return QStringLiteral("2");
    if (roll < 0.80) return QStringLiteral("6");
    if (roll < 0.90) return QStringLiteral("3");
    if (roll < 0.95) return QStringLiteral("4");
    return QStringLiteral("5");
}

qlonglong lastOrderNumber(const QSqlDatabase& db, const QString& branch)
{
    const qlonglong counter = selectValue(db, QStringLiteral("SELECT NRULTPEDIDO FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {branch}).toLongLong();
    const qlonglong stored = selectValue(db, QStringLiteral("SELECT MAX(NRPEDIDO) FROM PEDIDO WHERE CDFILIAL = ?"), {branch}).toString().toLongLong();
    return qMax(counter, stored);
}

void saveOrderCounter(const QSqlDatabase& db, const QString& branch, qlonglong lastNumber)
{
    QSqlQuery update = execSql(db, QStringLiteral("UPDATE CONTADORPEDIDO SET NRULTPEDIDO = ? WHERE CDFILIAL = ? AND NRULTPEDIDO < ?"),
                               {lastNumber, branch, lastNumber});
    if (update.numRowsAffected() == 0 && !selectValue(db, QStringLiteral("SELECT 1 FROM CONTADORPEDIDO WHERE CDFILIAL = ?"), {branch}).isValid())
        execSql(db, QStringLiteral("INSERT INTO CONTADORPEDIDO (CDFILIAL, NRULTPEDIDO) VALUES (?, ?)"), {branch, lastNumber});
}

// A bulk load touches far more pages than SQLite's default cache holds;
// a larger cache for the load saves most page re-reads from the WAL.
class LargeSqliteCache {
public:
    explicit LargeSqliteCache(const QSqlDatabase& db) : m_db(db)
    {
        if (isPostgres(m_db))
            return;
        m_previousPages = selectValue(m_db, QStringLiteral("PRAGMA cache_size"));
        execSql(m_db, QStringLiteral("PRAGMA cache_size = -262144"));   // KiB: 256 MiB
    }
    ~LargeSqliteCache()
    {
        if (m_previousPages.isValid())
            QSqlQuery(m_db).exec(QStringLiteral("PRAGMA cache_size = %1").arg(m_previousPages.toLongLong()));
    }

private:
    QSqlDatabase m_db;
    QVariant m_previousPages;
};

// Every branch takes orders, also one without order-entry parameters (it
// prices from the price table), so that a list query has to pick its
// branch out of the table.
void addBranchesWithoutParameters(const QSqlDatabase& db, OrderCatalog& catalog)
{
    QSqlQuery query = execSql(db, QStringLiteral("SELECT F.CDFILIAL, F.NMFILIAL FROM FILIAL F WHERE NOT EXISTS"
                                                 " (SELECT 1 FROM PARAMPEDIDO P WHERE P.CDFILIAL = F.CDFILIAL)"
                                                 " ORDER BY F.CDFILIAL"));
    while (query.next())
        catalog.branches.append({query.value(0).toString(), query.value(1).toString(), QStringLiteral("1")});
}

void begin(QSqlDatabase& db)
{
    if (!db.transaction())
        throw StoreError("Cannot start a transaction for the generated orders.");
}

void commit(QSqlDatabase& db)
{
    if (!db.commit())
        throw StoreError("Cannot commit the generated orders.");
}

} // namespace

void generateOrders(QSqlDatabase& db, int orderCount)
{
    if (orderCount <= 0)
        return;
    OrderCatalog catalog = OrderCatalog::load(db);
    addBranchesWithoutParameters(db, catalog);
    QHash<QString, qlonglong> lastNumber;
    for (const CatalogBranch& branch : catalog.branches)
        lastNumber.insert(branch.code, lastOrderNumber(db, branch.code));

    DeterministicRandom random(quint64(orderCount) * 7919 + quint64(lastNumber.value(catalog.branches.first().code)));
    const QDateTime now = QDateTime::currentDateTime();
    const LargeSqliteCache cache(db);
    QElapsedTimer clock;
    clock.start();

    begin(db);
    try {
        OrderWriter writer(db, catalog);
        for (int n = 1; n <= orderCount; ++n) {
            OrderPlan plan = randomOrderPlan(catalog, random, maxItemsPerOrder);
            plan.branch = catalog.branches.at(random.below(int(catalog.branches.size()))).code;
            plan.number = zeroPadded(++lastNumber[plan.branch], 10);
            const int daysAgo = random.below(daysOfHistory);
            plan.orderDate = QDateTime(now.date().addDays(-daysAgo), QTime(8 + random.below(10), random.below(60), random.below(60)));
            plan.deliveryDate = QDateTime(plan.orderDate.date().addDays(1 + random.below(10)), QTime(14, 0));
            plan.status = statusFor(random, daysAgo);
            plan.orderType = plan.status == QLatin1String("1") && random.chance(0.15) ? QStringLiteral("2") : QStringLiteral("1");
            writer.write(plan);

            if (n % ordersPerTransaction == 0 || n == orderCount) {
                writer.flush();
                for (auto it = lastNumber.cbegin(); it != lastNumber.cend(); ++it)
                    saveOrderCounter(db, it.key(), it.value());
                commit(db);
                if (n < orderCount)
                    begin(db);
            }
            if (n % progressEveryOrders == 0 || n == orderCount)
                std::fprintf(stderr, "generated %d of %d orders, %lld items, %.1f s\n", n, orderCount,
                             static_cast<long long>(writer.itemsWritten()), clock.elapsed() / 1000.0);
        }
    } catch (...) {
        db.rollback();
        throw;
    }
}
