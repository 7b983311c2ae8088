// bench_pricechange: SetAlteracaoPreco over many orders.
//
// A temporary SQLite demo database gets 10,000 pending orders of one
// customer and operation type, 5 products each, written in one transaction;
// then one call changes the price of all 5 products in every order, in the
// one transaction the dispatcher gives a call, taxes included.
// Prints "pricechange.sqlite.<measure> <value> <unit>"; the goal is under 5 s.

#include "demo/demo_data.h"
#include "list_text.h"
#include "modules/modules.h"
#include "rpc/method_registry.h"
#include "rpc/transaction.h"
#include "store/database.h"
#include "store/sql.h"
#include "store/temporary_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

namespace {

constexpr int OrderCount = 10000;
constexpr int ProductCount = 5;

void print(const char* measure, double value, const char* unit)
{
    std::printf("pricechange.sqlite.%s %.3f %s\n", measure, value, unit);
}

QStringList generate(QSqlDatabase& db, const QString& customer)
{
    QStringList products;
    QSqlQuery found = execSql(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO ORDER BY CDPRODUTO"));
    while (found.next() && products.size() < ProductCount)
        products.append(found.value(0).toString());
    runInTransaction(db, [&] {
        execSql(db, QStringLiteral("INSERT INTO TIPOOPERAC (CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP) VALUES ('ZB', 'Bench', 'S', 'C')"));
        BatchInserter orders(db, QStringLiteral("PEDIDO"),
                             {QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("DTPEDIDO"), QStringLiteral("DTENTPED"),
                              QStringLiteral("CDCLIENTE"), QStringLiteral("CDTIPOOPER"), QStringLiteral("IDSITPEDIDO")});
        BatchInserter items(db, QStringLiteral("ITEMPEDIDO"),
                            {QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("NRITEMPED"), QStringLiteral("CDPRODUTO"),
                             QStringLiteral("QTITEMPED"), QStringLiteral("VRPREUNITPED"), QStringLiteral("IDSITITEMPED")});
        items.setBeforeWrite([&] { orders.flush(); });
        for (int i = 0; i < OrderCount; ++i) {
            const QString number = QStringLiteral("98%1").arg(i, 8, 10, QChar(u'0'));
            orders.add({QStringLiteral("0001"), number, QStringLiteral("2031-05-01T10:00:00"), QStringLiteral("2031-05-10T10:00:00"),
                        customer, QStringLiteral("ZB"), QStringLiteral("1")});
            for (int p = 0; p < products.size(); ++p)
                items.add({QStringLiteral("0001"), number, QStringLiteral("%1").arg(p + 1, 10, 10, QChar(u'0')), products[p], 2.0,
                           10.0 * (p + 1), QStringLiteral("1")});
        }
        orders.flush();
        items.flush();
        return QJsonValue();
    });
    return products;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        auto temporary = TemporaryDatabase::createSqlite();
        QSqlDatabase db = openDatabase(temporary->config(), QStringLiteral("bench"));
        migrateSchema(db);
        loadDemoData(db);
        const QString customer = selectValue(db, QStringLiteral("SELECT MIN(CDCLIENTE) FROM CLIENTE")).toString();
        QElapsedTimer generating;
        generating.start();
        const QStringList products = generate(db, customer);
        print("generate", generating.elapsed() / 1000.0, "s");

        MethodRegistry registry;
        registerAllMethods(registry);
        const MethodSpec* method = registry.find(ServerNames::LanPedido, QStringLiteral("SetAlteracaoPreco"));
        QJsonArray fields{QJsonObject{{"name", "CDPRODUTO"}, {"type", "string"}, {"size", 10}},
                          QJsonObject{{"name", "VRPREUNITPED"}, {"type", "float"}},
                          QJsonObject{{"name", "NOVOVALOR"}, {"type", "float"}}};
        QJsonArray rows;
        for (int p = 0; p < products.size(); ++p)
            rows.append(QJsonArray{products[p], 10.0 * (p + 1), 10.0 * (p + 1) + 0.5});
        QJsonArray params{QJsonObject{{"fields", fields}, {"rows", rows}}, false, listText({customer}), QStringLiteral("T"),
                          QJsonValue(), QJsonValue(), false, listText({QStringLiteral("ZB")})};

        CallContext context;
        context.db = db;
        context.operatorCode = QStringLiteral("DEMO");
        int transactions = 0;
        QJsonValue answer;
        QElapsedTimer changing;
        changing.start();
        runInTransaction(db, [&] {
            ++transactions;
            QJsonArray working = params;
            answer = method->function(context, working);
            return QJsonValue();
        });
        const double seconds = changing.elapsed() / 1000.0;
        const QJsonArray result = answer.toArray();
        if (result.at(0).toString() != u"OK")
            throw std::runtime_error("the change was refused");
        const qint64 stored = selectValue(db, QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE NRPEDIDO LIKE '98%'"
                                                             " AND VRPREUNITPED IN (10.5, 20.5, 30.5, 40.5, 50.5)"))
                                  .toLongLong();
        print("change", seconds, "s");
        print("items", result.at(1).toDouble(), "items");
        print("orders", result.at(2).toDouble(), "orders");
        print("items_stored", double(stored), "items");
        print("transactions", transactions, "count");
        db.close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_pricechange: %s\n", error.what());
        return 1;
    }
    return 0;
}
