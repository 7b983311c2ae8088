// bench_confirm: the confirmation of new orders.
//
// On a temporary demo database (SQLite in WAL mode, and PostgreSQL when
// PED_TEST_PG_URL names a cluster): 200 new orders of 10 lines, each
// numbered by GetPrxPedido and confirmed by SetConfirma in a transaction of
// its own as the dispatcher runs it, timed apart (the screen numbers an
// order when it is started, and the clerk waits at Confirm for SetConfirma
// alone) and together; then the same rows written directly
// through QtSql, one transaction per order: every row one confirmation
// stored (header, items, term, taxes, history, logistics outbox), read back
// after the first and written again under new numbers, and apart the lean
// rows the client sends (header, items, one term); then one order of 1,000
// lines; then 8 clients at once, each on its own connection, confirming and
// then writing the stored rows directly. Prints
// "confirm.<db>.<measure> <value> <unit>". Arguments name the databases to
// run ("sqlite", "postgresql"); without any, every one there is.

#include "datapacket.h"
#include "demo/demo_data.h"
#include "modules/modules.h"
#include "modules/order_tables.h"
#include "rpc/method_registry.h"
#include "rpc/transaction.h"
#include "store/database.h"
#include "store/sql.h"
#include "store/temporary_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <latch>
#include <numeric>
#include <thread>
#include <vector>

namespace {

constexpr int OrderCount = 200;
constexpr int LineCount = 10;
constexpr int LongOrderLines = 1000;

struct Defaults {
    QString customer, seller, modality, basePrice, operation, product;
};

FieldDef field(const char* name, FieldType type = FieldType::String)
{
    return {QLatin1String(name), type, 0};
}

const QList<FieldDef> headerFields{field("CDFILIAL"),  field("NRPEDIDO"),   field("DTPEDIDO", FieldType::DateTime), field("CDCLIENTE"),
                                   field("CDVENDEDOR"), field("CDMODPGTO"), field("CDPRECOBASE"), field("CDTIPOOPER"), field("IDSITPEDIDO")};
const QList<FieldDef> itemFields{field("CDFILIAL"),  field("NRPEDIDO"),  field("NRITEMPED"), field("CDPRODUTO"),
                                 field("QTITEMPED", FieldType::Float), field("VRPREUNITPED", FieldType::Float), field("IDSITITEMPED")};
const QList<FieldDef> termFields{field("CDFILIAL"), field("NRPEDIDO"), field("NRDIASPGTOPED", FieldType::Float),
                                 field("VRPERCPGTOPED", FieldType::Float)};

QJsonObject insertsOf(const QList<FieldDef>& fields, const QList<QVariantList>& rows)
{
    Delta delta;
    delta.fields = fields;
    for (const QVariantList& row : rows)
        delta.changes.append({ChangeOp::Insert, {}, row});
    return delta.toJson();
}

struct Order {
    QVariantList header;
    QList<QVariantList> items;
    QVariantList term;
};

Order orderOf(const Defaults& d, const QString& number, int lines)
{
    Order order;
    order.header = {QStringLiteral("0001"), number, QDateTime::currentDateTime(), d.customer, d.seller, d.modality, d.basePrice, d.operation,
                    QStringLiteral("1")};
    for (int n = 1; n <= lines; ++n)
        order.items.append({QStringLiteral("0001"), number, QStringLiteral("%1").arg(n, 4, 10, QChar(u'0')), d.product, 2.0, 10.0,
                            QStringLiteral("1")});
    order.term = {QStringLiteral("0001"), number, 30.0, 100.0};
    return order;
}

QJsonArray confirmArgs(const Order& order)
{
    return {insertsOf(headerFields, {order.header}), insertsOf(termFields, {order.term}), QJsonValue::Null,
            insertsOf(itemFields, order.items), QJsonValue::Null, true, true, QStringLiteral("DEMO"), false, false, QString(), QString(),
            QJsonValue::Null, order.items.size(), QStringLiteral("2031-01-10T00:00:00"), QString(), QJsonValue::Null, 0.0, QJsonValue::Null,
            QJsonValue::Null, true, QString(), true, QString(), QJsonValue::Null};
}

// The rows of one order in every table keyed by the order, as stored.
struct StoredTable {
    QString table;
    QStringList columns;
    int orderAt = -1;
    QList<QVariantList> rows;
};

QList<StoredTable> storedRows(const QSqlDatabase& db, const QString& branch, const QString& order)
{
    // The order's own tables, parents first, then its history and outbox rows.
    QStringList names;
    for (const OrderTables::Table& table : OrderTables::all())
        names << table.name;
    names << QStringLiteral("HISTPEDIDO") << QStringLiteral("SAIDALOGISTICA");
    QList<StoredTable> tables;
    for (const QString& table : names) {
        QSqlQuery rows = execSql(db, QStringLiteral("SELECT * FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(table), {branch, order});
        StoredTable stored{table, {}, -1, {}};
        const QSqlRecord record = rows.record();
        for (int i = 0; i < record.count(); ++i)
            stored.columns << record.fieldName(i).toUpper();
        stored.orderAt = int(stored.columns.indexOf(QStringLiteral("NRPEDIDO")));
        while (rows.next()) {
            QVariantList row;
            for (int i = 0; i < record.count(); ++i)
                row << rows.value(i);
            stored.rows << row;
        }
        if (!stored.rows.isEmpty())
            tables << stored;
    }
    return tables;
}

class Bench {
public:
    Bench(QSqlDatabase db, QString kind) : m_db(std::move(db)), m_kind(std::move(kind))
    {
        registerAllMethods(m_registry);
        m_context.db = m_db;
        m_context.operatorCode = QStringLiteral("DEMO");
        m_context.method = QStringLiteral("SetConfirma");
        const auto one = [&](const char* sql) { return selectValue(m_db, QLatin1String(sql)).toString(); };
        m_defaults = {one("SELECT MIN(CDCLIENTE) FROM CLIENTE WHERE CDCLIENTE NOT IN (SELECT CDCLIENTE FROM CLIEALVARA)"),
                      one("SELECT MIN(CDVENDEDOR) FROM VENDEDOR WHERE CDCOMISSAO = '01'"),
                      one("SELECT CDMODPGTO FROM PARAMPEDIDO WHERE CDFILIAL = '0001'"),
                      one("SELECT CDPRECOBASE FROM PARAMPEDIDO WHERE CDFILIAL = '0001'"),
                      one("SELECT CDTIPOOPER FROM PARAMPEDIDO WHERE CDFILIAL = '0001'"),
                      one("SELECT MIN(CDPRODUTO) FROM PRODUTO WHERE IDPRODATIVO = 'S' AND CDPRODUTO NOT IN (SELECT CDPRODUTO FROM PRODALVARA)"
                          " AND CDPRODUTO NOT IN (SELECT CDPRODUTO FROM PRODFILIAL)")};
    }

    void run()
    {
        // The screen takes the number when the clerk starts the order
        // (GetPrxPedido at Include); the clerk waits at Confirm for
        // SetConfirma alone. Both are timed, apart.
        QList<double> confirmMs;
        QList<double> numberedMs;
        for (int i = 0; i < OrderCount; ++i) {
            const Timing timing = confirm(LineCount);
            confirmMs.append(timing.confirmMs);
            numberedMs.append(timing.numberMs + timing.confirmMs);
        }
        const double confirmRate = OrderCount / (sum(confirmMs) / 1000.0);
        const double numberedRate = OrderCount / (sum(numberedMs) / 1000.0);
        m_stored = storedRows(m_db, QStringLiteral("0001"), m_lastOrder);
        const QList<StoredTable>& stored = m_stored;

        QList<double> directMs;
        for (int i = 0; i < OrderCount; ++i)
            directMs.append(writeStoredRows(stored));
        const double directRate = OrderCount / (sum(directMs) / 1000.0);

        QList<double> leanMs;
        for (int i = 0; i < OrderCount; ++i)
            leanMs.append(writeDirectly(LineCount));
        const double leanRate = OrderCount / (sum(leanMs) / 1000.0);

        qsizetype rowCount = 0;
        for (const StoredTable& table : stored)
            rowCount += table.rows.size();
        print("orders_per_s", confirmRate, "orders/s");
        print("p50", percentile(confirmMs, 0.50), "ms");
        print("p99", percentile(confirmMs, 0.99), "ms");
        print("numbered_orders_per_s", numberedRate, "orders/s");
        print("numbered_p50", percentile(numberedMs, 0.50), "ms");
        print("stored_rows_per_order", double(rowCount), "rows");
        print("stored_tables_per_order", double(stored.size()), "tables");
        print("direct_orders_per_s", directRate, "orders/s");
        print("direct_p50", percentile(directMs, 0.50), "ms");
        print("ratio", confirmRate / directRate, "x");
        print("ratio_numbered", numberedRate / directRate, "x");
        print("lean_direct_orders_per_s", leanRate, "orders/s");
        print("ratio_to_lean", confirmRate / leanRate, "x");
        const Timing longOrder = confirm(LongOrderLines);
        print("order_1000_lines", longOrder.numberMs + longOrder.confirmMs, "ms");
    }

    // Orders/s with `clients` confirming at once, each on its own
    // connection, beside the same clients writing the stored rows directly.
    // As at the screen, each order is numbered before its confirmation is
    // timed.
    void parallel(const DatabaseConfig& config, int clients)
    {
        const double confirmRate = inClients(config, clients, [clients](Bench& client) {
            QStringList numbers;
            for (int i = 0; i < OrderCount / clients; ++i)
                numbers << client.number();
            return std::function<void(int)>([&client, numbers](int i) { client.confirmNumbered(numbers.at(i), LineCount); });
        });
        const QList<StoredTable> stored = m_stored;
        const double directRate = inClients(config, clients, [&stored](Bench& client) {
            return std::function<void(int)>([&client, &stored](int) { client.writeStoredRows(stored); });
        });
        print(qPrintable(QStringLiteral("clients%1_orders_per_s").arg(clients)), confirmRate, "orders/s");
        print(qPrintable(QStringLiteral("clients%1_direct_orders_per_s").arg(clients)), directRate, "orders/s");
        print(qPrintable(QStringLiteral("clients%1_ratio").arg(clients)), confirmRate / directRate, "x");
    }

private:
    // Orders/s of `clients` threads, each on its own connection: `prepare`
    // runs untimed and gives the work of one order, which each client then
    // runs for its share of the orders, all starting together.
    using Prepare = std::function<std::function<void(int)>(Bench&)>;
    double inClients(const DatabaseConfig& config, int clients, const Prepare& prepare)
    {
        std::latch ready(clients);
        std::latch go(1);
        std::vector<std::thread> threads;
        std::atomic<int> failures{0};
        for (int c = 0; c < clients; ++c)
            threads.emplace_back([&, c] {
                const QString name = QStringLiteral("bench_%1_%2").arg(m_kind).arg(c);
                bool started = false;
                try {
                    QSqlDatabase db = openDatabase(config, name);
                    Bench client(db, m_kind);
                    client.m_directPrefix = QStringLiteral("5%1").arg(c % 10);
                    const std::function<void(int)> work = prepare(client);
                    ready.count_down();
                    started = true;
                    go.wait();
                    for (int i = 0; i < OrderCount / clients; ++i)
                        work(i);
                    db.close();
                } catch (const std::exception& error) {
                    std::fprintf(stderr, "bench_confirm client %d: %s\n", c, error.what());
                    ++failures;
                    if (!started)
                        ready.count_down();
                }
                QSqlDatabase::removeDatabase(name);
            });
        ready.wait();
        QElapsedTimer all;
        all.start();
        go.count_down();
        for (std::thread& thread : threads)
            thread.join();
        if (failures > 0)
            throw std::runtime_error("a client failed");
        return (OrderCount / clients) * clients / (all.elapsed() / 1000.0);
    }

    struct Timing {
        double numberMs = 0;
        double confirmMs = 0;
    };

    Timing confirm(int lines)
    {
        QElapsedTimer timer;
        timer.start();
        const QString order = number();
        Timing timing;
        timing.numberMs = timer.nsecsElapsed() / 1e6;
        timer.restart();
        confirmNumbered(order, lines);
        timing.confirmMs = timer.nsecsElapsed() / 1e6;
        return timing;
    }

    // A new order's number, as GetPrxPedido hands it out.
    QString number()
    {
        const MethodSpec* method = m_registry.find(ServerNames::LanPedido, QStringLiteral("GetPrxPedido"));
        QString order;
        runInTransaction(m_db, [&] {
            QJsonArray args{QStringLiteral("0001")};
            order = method->function(m_context, args).toString();
            return QJsonValue();
        });
        m_lastOrder = order;
        return order;
    }

    void confirmNumbered(const QString& order, int lines)
    {
        const MethodSpec* confirmation = m_registry.find(ServerNames::LanPedido, QStringLiteral("SetConfirma"));
        QJsonValue answer;
        runInTransaction(m_db, [&] {
            QJsonArray args = confirmArgs(orderOf(m_defaults, order, lines));
            answer = confirmation->function(m_context, args);
            return QJsonValue();
        });
        const QJsonArray elements = answer.toArray();
        if (!std::all_of(elements.begin(), elements.end(), [](const QJsonValue& v) { return v.isNull(); }))
            throw std::runtime_error("the confirmation found something: " + QJsonDocument(elements).toJson().toStdString());
    }

    // The rows one confirmation stored, written again under a new number.
    double writeStoredRows(const QList<StoredTable>& stored)
    {
        QElapsedTimer timer;
        timer.start();
        runInTransaction(m_db, [&] {
            const QString number = m_directPrefix + QStringLiteral("%1").arg(m_direct++, 8, 10, QChar(u'0'));
            for (const StoredTable& table : stored) {
                BatchInserter insert(m_db, table.table, table.columns);
                for (QVariantList row : table.rows) {
                    row[table.orderAt] = number;
                    insert.add(row);
                }
                insert.flush();
            }
            return QJsonValue();
        });
        return timer.nsecsElapsed() / 1e6;
    }

    double writeDirectly(int lines)
    {
        QElapsedTimer timer;
        timer.start();
        runInTransaction(m_db, [&] {
            const QString number = QStringLiteral("77%1").arg(m_direct++, 8, 10, QChar(u'0'));
            const Order order = orderOf(m_defaults, number, lines);
            execSql(m_db, QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, DTPEDIDO, CDCLIENTE, CDVENDEDOR, CDMODPGTO, CDPRECOBASE,"
                                         " CDTIPOOPER, IDSITPEDIDO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    order.header);
            for (const QVariantList& item : order.items)
                execSql(m_db, QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED,"
                                             " IDSITITEMPED) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                        item);
            execSql(m_db, QStringLiteral("INSERT INTO PRAZOPGTOPED (CDFILIAL, NRPEDIDO, NRDIASPGTOPED, VRPERCPGTOPED) VALUES (?, ?, ?, ?)"),
                    order.term);
            return QJsonValue();
        });
        return timer.nsecsElapsed() / 1e6;
    }

    static double sum(const QList<double>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

    static double percentile(QList<double> values, double share)
    {
        std::sort(values.begin(), values.end());
        return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(share * values.size())));
    }

    void print(const char* measure, double value, const char* unit) const
    {
        std::printf("confirm.%s.%s %.3f %s\n", qPrintable(m_kind), measure, value, unit);
        std::fflush(stdout);
    }

    QSqlDatabase m_db;
    QString m_kind;
    MethodRegistry m_registry;
    CallContext m_context;
    Defaults m_defaults;
    int m_direct = 0;
    QString m_directPrefix = QStringLiteral("66");   // of the numbers written directly
    QString m_lastOrder;
    QList<StoredTable> m_stored;   // the rows the last sequential confirmation stored
};

void benchOn(const TemporaryDatabase& temporary, const QString& kind)
{
    {
        QSqlDatabase db = openDatabase(temporary.config(), QStringLiteral("bench_") + kind);
        migrateSchema(db);
        loadDemoData(db);
        Bench bench(db, kind);
        bench.run();
        bench.parallel(temporary.config(), 8);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_") + kind);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Named databases only ("sqlite", "postgresql"), else every one there is.
    const QStringList only = app.arguments().mid(1);
    try {
        if (only.isEmpty() || only.contains(u"sqlite"))
            benchOn(*TemporaryDatabase::createSqlite(), QStringLiteral("sqlite"));
        const QString pg = qEnvironmentVariable("PED_TEST_PG_URL");
        if (!pg.isEmpty() && (only.isEmpty() || only.contains(u"postgresql")))
            benchOn(*TemporaryDatabase::createPostgres(pg), QStringLiteral("postgresql"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_confirm: %s\n", error.what());
        return 1;
    }
    return 0;
}
