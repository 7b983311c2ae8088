// bench_orderlist: what listing orders costs on a large database.
//
// Builds (or reuses, under --data-dir) a SQLite database of the demo data
// plus --generate-orders generated orders over two years and three
// branches, then measures GetPedido over HTTP through the in-process server:
//   default  branch 0001, the last ten days, statuses 1 and 2, orders only
//   customers  five customers, statuses 1 and 2, any date
//   products   five products, statuses 1 and 2, any date
//   year       every status over the last year
// p50 and p99 in ms and the rows returned, beside the same statement and
// packet text written directly through QtSql in this process (the least
// the server can do), and their ratio; the
// process's CPU time per call of both (the wall time on a busy machine
// also holds the waits for a core); for
// "year" also the process's peak RSS change (VmHWM). The SQLite plan of
// each statement goes to stderr. --calls N sets every case's number of
// calls, e.g. for a profiler.
// Prints "orderlist.<case>.<measure> <value> <unit>".

#include "http_client.h"
#include "list_text.h"
#include "test_server.h"

#include "demo/demo_data.h"
#include "modules/order_list_query.h"
#include "modules/packet_sql.h"
#include "rpc/app_server.h"
#include "store/database.h"
#include "store/sql.h"
#include "iso_datetime.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSemaphore>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

const QString lanPedido = ServerNames::LanPedido;
const QString branch = QStringLiteral("0001");

// The server in its own thread, on the benchmark's database file.
class ServerThread : public QThread {
public:
    explicit ServerThread(ServerOptions options) : m_options(std::move(options)) {}
    ~ServerThread() override
    {
        quit();
        wait();
    }

    quint16 start()
    {
        QThread::start();
        m_started.acquire();
        if (!m_error.isEmpty())
            throw std::runtime_error(m_error.toStdString());
        return m_port;
    }

protected:
    void run() override
    {
        try {
            m_server = std::make_unique<AppServer>(m_options);
            m_server->listen();
            m_port = m_server->port();
        } catch (const std::exception& error) {
            m_error = QString::fromUtf8(error.what());
        }
        m_started.release();
        if (m_server)
            exec();
        m_server.reset();
    }

private:
    ServerOptions m_options;
    std::unique_ptr<AppServer> m_server;
    QSemaphore m_started;
    QString m_error;
    quint16 m_port = 0;
};

QString prepareDatabase(const QString& dataDir, int orderCount)
{
    const QString folder = QDir(dataDir).filePath(QStringLiteral("orders-%1").arg(orderCount));
    const QString path = QDir(folder).filePath(QStringLiteral("erp.sqlite"));
    const QString complete = QDir(folder).filePath(QStringLiteral("complete"));
    if (!QFile::exists(complete)) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        std::fprintf(stderr, "generating %d orders into %s\n", orderCount, qPrintable(path));
        QSqlDatabase db = openDatabase(DatabaseConfig::fromText(path), QStringLiteral("generate"));
        migrateSchema(db);
        loadDemoData(db);
        generateOrders(db, orderCount);
        db.close();
        QFile marker(complete);
        if (!marker.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the marker of a complete database");
    }
    QSqlDatabase::removeDatabase(QStringLiteral("generate"));
    return path;
}

QJsonArray defaultArguments()
{
    const QJsonValue null;
    const QString today = isoDateText(QDate::currentDate());
    const QString tenDaysAgo = isoDateText(QDate::currentDate().addDays(-10));
    return {"T", "", "", "T", "", "T", "", "T", "", "T", "", "T", "", "43210", "T", "12", "", "1234657", "T",
            "", tenDaysAgo, today, "T", null, null, "", "T", "1", "", "1239", branch, false, "", "T", "", "", "T", "",
            "T", "", "", "T", "T", null, null, "T", "T", "", "", "T", "", "", "T"};
}

QStringList firstCodes(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query = execSql(db, sql);
    QStringList codes;
    while (query.next())
        codes.append(query.value(0).toString());
    return codes;
}

struct Case {
    QString name;
    QJsonArray args;
    int calls;
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values.at(index);
}

// CPU time of the whole process (server threads included): on a shared
// machine the wall time also counts the waits for a core.
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

qlonglong peakRssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Lets the peak start again from the current resident size.
void resetPeakRss()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

void print(const QString& name, const char* measure, double value, const char* unit)
{
    std::printf("orderlist.%s.%s %.3f %s\n", qPrintable(name), measure, value, unit);
    std::fflush(stdout);
}

void printPlan(const QSqlDatabase& db, const QString& name, const OrderListQuery& query)
{
    QSqlQuery plan = execSql(db, QStringLiteral("EXPLAIN QUERY PLAN ") + query.selectSql(), query.values());
    std::fprintf(stderr, "plan of %s:\n", qPrintable(name));
    while (plan.next())
        std::fprintf(stderr, "  %s\n", qPrintable(plan.value(3).toString()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("ped.*.info=false"));
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("data-dir"), QStringLiteral("Folder of the cached databases."), QStringLiteral("DIR"),
         QDir::home().filePath(QStringLiteral(".cache/ped00100-bench"))},
        {QStringLiteral("generate-orders"), QStringLiteral("Orders of the database."), QStringLiteral("N"), QStringLiteral("1000000")},
        {QStringLiteral("only"), QStringLiteral("Run only this case (default, customers, products, year)."), QStringLiteral("CASE")},
        {QStringLiteral("calls"), QStringLiteral("Calls per case instead of each case's own count (for profiling)."), QStringLiteral("N")},
    });
    parser.process(app);

    try {
        const QString path = prepareDatabase(parser.value(QStringLiteral("data-dir")), parser.value(QStringLiteral("generate-orders")).toInt());
        QSqlDatabase db = openDatabase(DatabaseConfig::fromText(path), QStringLiteral("direct"));
        migrateSchema(db);

        ServerOptions options;
        options.database = DatabaseConfig::fromText(path);
        options.port = 0;
        options.workers = 2;
        ServerThread server(options);
        PedTest::HttpClient client(server.start());
        const auto rpc = [&](const QString& module, const QString& method, const QJsonArray& params, const QByteArray& token) {
            PedTest::HeaderList headers;
            if (!token.isEmpty())
                headers.append({"Authorization", "Bearer " + token});
            const PedTest::HttpResult answer = client.post("/rpc/" + module.toUtf8(), PedTest::rpcRequest(method, params), headers);
            const QJsonObject reply = answer.json().toObject();
            if (reply.contains(QStringLiteral("error")))
                throw std::runtime_error(QJsonDocument(reply).toJson(QJsonDocument::Compact).toStdString());
            return reply.value(QStringLiteral("result"));
        };
        const QByteArray token =
            rpc(ServerNames::DBGeral, QStringLiteral("Login"), {QStringLiteral("DEMO"), QStringLiteral("demo")}, {}).toString().toUtf8();

        QJsonArray customers = defaultArguments();
        customers[9] = QString();
        customers[10] = listText(firstCodes(db, QStringLiteral("SELECT CDCLIENTE FROM CLIENTE ORDER BY CDCLIENTE LIMIT 5")));
        customers[19] = QStringLiteral("T");
        QJsonArray products = defaultArguments();
        products[11] = QString();
        products[12] = listText(firstCodes(db, QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO IN"
                                                            " (SELECT CDPRODUTO FROM ITEMPEDIDO WHERE CDFILIAL = '0001'"
                                                            " AND NRPEDIDO = '0000000010') ORDER BY CDARVPROD LIMIT 5")));
        products[19] = QStringLiteral("T");
        QJsonArray year = defaultArguments();
        year[15] = QStringLiteral("123456");
        year[16] = QStringLiteral("T");
        year[20] = isoDateText(QDate::currentDate().addYears(-1));
        const QList<Case> cases = {
            {QStringLiteral("default"), defaultArguments(), 200},
            {QStringLiteral("customers"), customers, 40},
            {QStringLiteral("products"), products, 40},
            {QStringLiteral("year"), year, 3},
        };

        for (Case each : cases) {
            if (parser.isSet(QStringLiteral("only")) && parser.value(QStringLiteral("only")) != each.name)
                continue;
            if (parser.isSet(QStringLiteral("calls")))
                each.calls = qMax(1, parser.value(QStringLiteral("calls")).toInt());
            const OrderListQuery query(each.args, false);
            printPlan(db, each.name, query);
            if (each.name == QLatin1String("year"))
                resetPeakRss();
            const qlonglong rssBeforeKiB = peakRssKiB();

            // The answers are received, not parsed: the client's parse is no
            // part of the server's work, and would count in the peak RSS.
            const QByteArray request = PedTest::rpcRequest(QStringLiteral("GetPedido"), each.args);
            const PedTest::HeaderList headers = {{"Authorization", "Bearer " + token}};
            std::vector<double> serverMs;
            double serverCpuMs = 0;
            for (int call = 0; call < each.calls + 1; ++call) {
                const double cpuStartMs = processCpuMs();
                QElapsedTimer clock;
                clock.start();
                const PedTest::HttpResult answer = client.post("/rpc/" + lanPedido.toUtf8(), request, headers);
                const double ms = clock.nsecsElapsed() / 1e6;
                if (answer.status != 200 || !answer.body.contains("\"result\":"))
                    throw std::runtime_error("GetPedido failed: " + answer.body.left(300).toStdString());
                if (call >= 1) {
                    serverMs.push_back(ms);
                    serverCpuMs += processCpuMs() - cpuStartMs;
                }
            }
            const qlonglong rssAfterKiB = peakRssKiB();

            std::vector<double> directMs;
            qsizetype rows = 0;
            double directCpuMs = 0;
            for (int call = 0; call < each.calls + 2; ++call) {
                const double cpuStartMs = processCpuMs();
                QElapsedTimer clock;
                clock.start();
                db.transaction();
                QByteArray bytes;
                appendSelectedPacket(bytes, db, OrderListQuery::fields(), query.selectSql(), query.values());
                db.commit();
                if (call == 0)
                    rows = DataPacket::fromBytes(bytes).rows.size();
                if (call >= 2) {
                    directMs.push_back(clock.nsecsElapsed() / 1e6);
                    directCpuMs += processCpuMs() - cpuStartMs;
                }
            }
            const double p50 = percentile(serverMs, 0.5), p99 = percentile(serverMs, 0.99);
            const double directP50 = percentile(directMs, 0.5), directP99 = percentile(directMs, 0.99);
            print(each.name, "rows", double(rows), "rows");
            print(each.name, "p50", p50, "ms");
            print(each.name, "p99", p99, "ms");
            print(each.name, "direct_p50", directP50, "ms");
            print(each.name, "direct_p99", directP99, "ms");
            print(each.name, "cpu_per_call", serverCpuMs / each.calls, "ms");
            print(each.name, "direct_cpu_per_call", directCpuMs / each.calls, "ms");
            print(each.name, "ratio_p50_to_direct", p50 / directP50, "x");
            print(each.name, "ratio_p99_to_direct", p99 / directP99, "x");
            if (each.name == QLatin1String("year"))
                print(each.name, "peak_rss_change", double(rssAfterKiB - rssBeforeKiB) / 1024.0, "MiB");
        }
        db.close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_orderlist: %s\n", error.what());
        return 1;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return 0;
}
