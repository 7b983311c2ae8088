// Two pedserver processes on one PostgreSQL database behind HAProxy (Debian's
// haproxy, started here on loopback ports chosen now): a session opened on one
// server serves calls on the other, parallel GetPrxPedido calls through the
// balancer get distinct numbers, and when one server is killed mid-run the
// other carries on. A call whose server died may fail; no number a client
// received is given twice, and the numbering goes on after the highest.

#include "http_client.h"
#include "server_process.h"
#include "test_server.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <set>

using namespace PedTest;

namespace {

const QString LanPedido = QStringLiteral("PED00100.rdmLanPedido");
const QString DBGeral = QStringLiteral("Bib.rdmDBGeral");
constexpr int ClientThreads = 4;
constexpr int CallsPerThread = 60;
constexpr int KillAfterNumbers = 80;
constexpr int StartWaitMs = 20'000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();   // free again when probe goes
}

// The tested configuration of docs/operations.md, on the given ports.
QByteArray haproxyConfig(quint16 front, quint16 first, quint16 second)
{
    return QStringLiteral(
               "global\n"
               "    maxconn 256\n"
               "defaults\n"
               "    mode http\n"
               "    timeout connect 2s\n"
               "    timeout client 60s\n"
               "    timeout server 130s\n"
               "    option http-server-close\n"
               "    retries 2\n"
               "    option redispatch\n"
               "frontend erp\n"
               "    bind 127.0.0.1:%1\n"
               "    default_backend pedserver\n"
               "backend pedserver\n"
               "    balance roundrobin\n"
               "    option httpchk GET /health\n"
               "    http-check expect status 200\n"
               "    server a 127.0.0.1:%2 check inter 500ms fall 2 rise 2\n"
               "    server b 127.0.0.1:%3 check inter 500ms fall 2 rise 2\n")
        .arg(front).arg(first).arg(second).toUtf8();
}

// The number, or empty when the call failed (its server died under it).
QString nextNumber(HttpClient& client, const QString& token)
{
    return rpcCall(client, LanPedido, QStringLiteral("GetPrxPedido"), {QStringLiteral("0001")}, token)
        .value(QStringLiteral("result")).toString();
}

QString logIn(HttpClient& client)
{
    return rpcResult(client, DBGeral, QStringLiteral("Login"), {QStringLiteral("DEMO"), QStringLiteral("demo")}).toString();
}

} // namespace

class TstBalancer : public QObject {
    Q_OBJECT

private slots:
    void twoServersBehindHaproxy();
};

void TstBalancer::twoServersBehindHaproxy()
{
    if (!TestServer::postgresRequested())
        QSKIP("PED_TEST_PG_URL is not set; scripts/test starts a PostgreSQL cluster and sets it");
    TestServerOptions databaseOptions;   // creates the demo database, drops it at the end
    databaseOptions.backend = TestServerOptions::Backend::PostgreSQL;
    TestServer database(databaseOptions);
    const QStringList serverArguments{QStringLiteral("--db"), database.databaseConfig().displayText(),
                                      QStringLiteral("--workers"), QStringLiteral("4")};
    ServerProcess first(serverArguments);
    ServerProcess second(serverArguments);

    QTemporaryDir folder;
    const quint16 front = freePort();
    QFile config(folder.filePath(QStringLiteral("haproxy.cfg")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(haproxyConfig(front, first.port(), second.port()));
    config.close();
    QProcess haproxy;
    haproxy.setProcessChannelMode(QProcess::MergedChannels);
    haproxy.start(QStringLiteral("haproxy"), {QStringLiteral("-db"), QStringLiteral("-f"), config.fileName()});
    QVERIFY2(haproxy.waitForStarted(), "haproxy is not installed (Debian package haproxy; scripts/deps installs it)");
    const auto stopHaproxy = qScopeGuard([&] {
        haproxy.terminate();
        haproxy.waitForFinished();
    });

    // A session opened on the first server serves a call on the second.
    HttpClient direct(first.port());
    const QString token = logIn(direct);
    QVERIFY(!token.isEmpty());
    HttpClient other(second.port());
    QVERIFY(!nextNumber(other, token).isEmpty());

    // Both servers are in the balancer once each has answered through it.
    QDeadlineTimer ready(StartWaitMs);
    while (!ready.hasExpired()) {
        try {
            HttpClient through(front);
            nextNumber(through, token);
        } catch (const std::exception&) {
            QThread::msleep(100);   // haproxy is still starting
        }
        if (first.output().count("method=GetPrxPedido") >= 2 && second.output().count("method=GetPrxPedido") >= 2)
            break;
    }
    QVERIFY2(!ready.hasExpired(), haproxy.readAll().constData());

    QMutex mutex;
    std::multiset<QString> received;
    std::atomic<int> failed{0};
    std::atomic<int> lateSuccesses{0};   // after the kill
    std::atomic<bool> killed{false};
    ThreadGroup threads(ClientThreads, [&](int) {
        auto client = std::make_unique<HttpClient>(front);
        for (int i = 0; i < CallsPerThread; ++i) {
            QString number;
            try {
                number = nextNumber(*client, token);
            } catch (const std::exception&) {
                client = std::make_unique<HttpClient>(front);   // the connection broke
            }
            if (number.isEmpty()) {
                ++failed;
                continue;
            }
            if (killed)
                ++lateSuccesses;
            QMutexLocker lock(&mutex);
            received.insert(number);
        }
    });
    QDeadlineTimer deadline(120'000);
    while (!deadline.hasExpired()) {
        {
            QMutexLocker lock(&mutex);
            if (int(received.size()) >= KillAfterNumbers)
                break;
        }
        QThread::msleep(5);
    }
    first.kill();
    killed = true;
    threads.wait();

    const std::set<QString> distinct(received.begin(), received.end());
    qInfo("%d numbers received, %d calls failed as their server died, %d answered after the kill",
          int(received.size()), failed.load(), lateSuccesses.load());
    QCOMPARE(distinct.size(), received.size());
    QVERIFY2(failed.load() <= ClientThreads, qPrintable(QString::number(failed.load())));   // at most the calls in flight
    QCOMPARE(int(received.size()) + failed.load(), ClientThreads * CallsPerThread);
    QVERIFY(lateSuccesses.load() > 0);

    HttpClient after(front);
    const QString next = nextNumber(after, token);
    QVERIFY2(next > *distinct.rbegin(), qPrintable(next + QStringLiteral(" after ") + *distinct.rbegin()));
}

QTEST_GUILESS_MAIN(TstBalancer)
#include "tst_balancer.moc"
