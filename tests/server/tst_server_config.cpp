// pedserver's settings: the command line, the configuration file, and what
// either may not say (a password on the command line above all).

#include "rpc/server_config.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The configuration file is written into `folder` when `fileText` is not
// empty, and named by --config.
ServerStartup startupFor(const QTemporaryDir& folder, const QByteArray& fileText, QStringList arguments)
{
    if (!fileText.isEmpty()) {
        QFile file(folder.filePath(QStringLiteral("pedserver.ini")));
        if (!file.open(QIODevice::WriteOnly) || file.write(fileText) != fileText.size())
            throw std::runtime_error("cannot write the configuration file");
        file.close();
        arguments << QStringLiteral("--config") << file.fileName();
    }
    QCommandLineParser parser;
    addServerOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("pedserver")} + arguments))
        throw std::runtime_error(parser.errorText().toStdString());
    return serverStartup(parser);
}

} // namespace

class TestServerConfig : public QObject {
    Q_OBJECT

private slots:
    void settingsFromFileAndCommandLine_data();
    void settingsFromFileAndCommandLine();
    void pathsInTheFileAreRelativeToIt();
    void httpLimitsFromTheFile();
    void refusedSettings_data();
    void refusedSettings();
};

void TestServerConfig::settingsFromFileAndCommandLine_data()
{
    QTest::addColumn<QByteArray>("fileText");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("listen");
    QTest::addColumn<int>("workers");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("initDemo");

    QTest::newRow("defaults") << QByteArray() << QStringList{QStringLiteral("--data-dir"), QStringLiteral("%DIR%")}
                              << "127.0.0.1:8100" << 0 << "%DIR%/erp.sqlite" << "" << false;
    QTest::newRow("everything from the file")
        << QByteArray("[server]\nlisten=0.0.0.0:8443\nworkers=6\ninit-demo=true\n"
                      "[database]\nurl=postgresql://ped@db.loja:5433/erp?sslmode=verify-full\npassword=\"s3g,r;edo\"\n")
        << QStringList() << "0.0.0.0:8443" << 6 << "postgresql://ped@db.loja:5433/erp?sslmode=verify-full"
        << "s3g,r;edo" << true;
    QTest::newRow("the command line wins")
        << QByteArray("[server]\nlisten=0.0.0.0:8443\nworkers=6\n[database]\nurl=postgresql://ped@db/erp\npassword=x\n")
        << QStringList{QStringLiteral("--workers"), QStringLiteral("2"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}
        << "127.0.0.1:0" << 2 << "postgresql://ped@db:5432/erp" << "x" << false;
}

void TestServerConfig::settingsFromFileAndCommandLine()
{
    QFETCH(QByteArray, fileText);
    QFETCH(QStringList, arguments);
    QTemporaryDir folder;
    arguments.replaceInStrings(QStringLiteral("%DIR%"), folder.path());
    const ServerStartup startup = startupFor(folder, fileText, arguments);
    const ServerOptions& options = startup.server;
    QTEST(QStringLiteral("%1:%2").arg(options.address.toString()).arg(options.port), "listen");
    QTEST(options.workers, "workers");
    QFETCH(QString, database);
    QCOMPARE(options.database.displayText(), QString(database).replace(QStringLiteral("%DIR%"), folder.path()));
    QTEST(options.database.password, "password");
    QTEST(startup.initDemo, "initDemo");
}

void TestServerConfig::pathsInTheFileAreRelativeToIt()
{
    QTemporaryDir folder;
    const ServerStartup startup = startupFor(folder, "[database]\ndata-dir=dados\n[server]\ntls-cert=tls/cert.pem\ntls-key=/etc/k.pem\n", {});
    QCOMPARE(startup.server.database.sqlitePath, folder.filePath(QStringLiteral("dados/erp.sqlite")));
    QCOMPARE(startup.server.tlsCertificateFile, folder.filePath(QStringLiteral("tls/cert.pem")));
    QCOMPARE(startup.server.tlsKeyFile, QStringLiteral("/etc/k.pem"));
}

// The HTTP bounds keep their defaults unless the file's [http] names them.
void TestServerConfig::httpLimitsFromTheFile()
{
    QTemporaryDir folder;
    const QStringList sqlite{QStringLiteral("--data-dir"), folder.path()};
    const HttpLimits defaults;
    const HttpLimits unchanged = startupFor(folder, {}, sqlite).server.http;
    QCOMPARE(unchanged.maxConnections, defaults.maxConnections);
    QCOMPARE(unchanged.readTimeoutMs, defaults.readTimeoutMs);
    QCOMPARE(unchanged.maxHeldBytes, defaults.maxHeldBytes);

    const HttpLimits set = startupFor(folder,
                                      "[http]\nmax-connections=300\nmax-connections-per-address=20\n"
                                      "request-timeout-seconds=10\nidle-timeout-seconds=60\nmax-header-kb=16\n"
                                      "max-unsent-kb=256\nmax-held-mb=128\n",
                                      sqlite)
                               .server.http;
    QCOMPARE(set.maxConnections, 300);
    QCOMPARE(set.maxConnectionsPerAddress, 20);
    QCOMPARE(set.readTimeoutMs, 10'000);
    QCOMPARE(set.idleTimeoutMs, 60'000);
    QCOMPARE(set.maxHeaderBytes, 16 * 1024);
    QCOMPARE(set.maxUnsentBytes, 256 * 1024);
    QCOMPARE(set.maxHeldBytes, qint64(128) * 1024 * 1024);
}

void TestServerConfig::refusedSettings_data()
{
    QTest::addColumn<QByteArray>("fileText");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("messagePart");

    const QString secretUrl = QStringLiteral("postgresql://ped:segredo@db/erp");
    QTest::newRow("password in --db") << QByteArray() << QStringList{QStringLiteral("--db"), secretUrl}
                                      << "--db is visible to every user of this machine; put the password into the configuration file";
    const QStringList sqlite{QStringLiteral("--data-dir"), QStringLiteral("%DIR%")};
    QTest::newRow("password in --copy-to") << QByteArray() << sqlite + QStringList{QStringLiteral("--copy-to"), secretUrl}
                                           << "--copy-to is visible to every user";
    QTest::newRow("password twice") << QByteArray("[database]\nurl=postgresql://ped:a@db/erp\npassword=b\n") << QStringList()
                                    << "the password is given twice";
    QTest::newRow("password without url") << QByteArray("[database]\npassword=b\n") << sqlite << "no PostgreSQL URL";
    QTest::newRow("unquoted comma") << QByteArray("[database]\nurl=postgresql://ped@db/erp\npassword=a,b\n") << QStringList()
                                    << "write the value in double quotes";
    QTest::newRow("unknown key") << QByteArray("[server]\nlisten=127.0.0.1:1\nlisen=x\n") << sqlite
                                 << "unknown setting 'server/lisen'";
    QTest::newRow("bad number in file") << QByteArray("[server]\nworkers=muitos\n") << sqlite
                                        << "server/workers in the configuration file needs a whole number";
    QTest::newRow("no connections") << QByteArray("[http]\nmax-connections=0\n") << sqlite
                                    << "http/max-connections in the configuration file needs a whole number from 1";
    QTest::newRow("more per address than in all") << QByteArray("[http]\nmax-connections=10\n") << sqlite
                                                  << "is above http/max-connections (10)";
    QTest::newRow("held below one body") << QByteArray("[http]\nmax-held-mb=8\n") << sqlite << "below the largest request body";
    QTest::newRow("bad flag") << QByteArray("[server]\ninit-demo=sim\n") << sqlite << "must be true or false";
    QTest::newRow("certificate without key") << QByteArray("[server]\ntls-cert=c.pem\n") << sqlite << "both --tls-cert and --tls-key";
    QTest::newRow("copy from postgresql") << QByteArray("[database]\nurl=postgresql://ped@db/erp\n")
                                          << QStringList{QStringLiteral("--copy-to"), QStringLiteral("postgresql://ped@novo/erp")}
                                          << "--copy-to copies a SQLite database";
    QTest::newRow("missing file") << QByteArray() << QStringList{QStringLiteral("--config"), QStringLiteral("/nonexistent/ped.ini")}
                                  << "cannot read the configuration file /nonexistent/ped.ini";
}

void TestServerConfig::refusedSettings()
{
    QFETCH(QByteArray, fileText);
    QFETCH(QStringList, arguments);
    QFETCH(QString, messagePart);
    QTemporaryDir folder;
    arguments.replaceInStrings(QStringLiteral("%DIR%"), folder.path());
    try {
        startupFor(folder, fileText, arguments);
        QFAIL("the settings were accepted");
    } catch (const ConfigError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(messagePart), error.what());
        QVERIFY2(!QString::fromUtf8(error.what()).contains(QStringLiteral("segredo")), error.what());
    }
}

QTEST_GUILESS_MAIN(TestServerConfig)
#include "tst_server_config.moc"
