// The erpshell executable: started with --auto-login against a real server
// it renders its main window into the --screenshot file; bad command lines
// and unusable databases end it with a clear message and a failure code.

#include "test_server.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest/QtTest>

class TstErpShell : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        server = std::make_unique<PedTest::TestServer>();
    }

    void cleanupTestCase() { server.reset(); }

    // Each run ends with its picture. Without a person to answer, a message
    // goes to the output and the run still ends. A screen started on the
    // log-in branch checks that branch at once: a branch without order
    // parameters is refused before anyone types.
    void runsToAScreenshot_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");       // in the output; "" nothing asked
        QTest::addColumn<QString>("unsaid");     // never in the output; "" nothing asked
        QTest::addColumn<bool>("mainWindow");
        const QString noParameters = QStringLiteral("Não há parametrização para a filial informada.");
        const auto fixedBranch = [](const char* branch) {
            return QStringList{"--auto-login", "--branch", branch, "--open", "PED00100", "--fix-branch-for", "PED00100"};
        };
        QTest::newRow("main window") << QStringList{"--auto-login"} << "" << "" << true;
        QTest::newRow("log-in dialog") << QStringList{} << "" << "" << false;
        QTest::newRow("missing screen does not hang") << QStringList{"--auto-login", "--open", "XYZ99999"}
                                                      << "Tela XYZ99999 não encontrada." << "" << false;
        QTest::newRow("fixed branch with parameters") << fixedBranch("0001") << "" << noParameters << false;
        QTest::newRow("fixed branch without parameters") << fixedBranch("0003") << noParameters << "" << false;
    }

    void runsToAScreenshot()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QFETCH(QString, unsaid);
        QFETCH(bool, mainWindow);
        const QString png = dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_') + ".png");
        const Run run = erpshell(arguments + QStringList{QStringLiteral("--screenshot"), png});
        QVERIFY2(run.exitCode == 0, run.output.constData());
        const QString output = QString::fromUtf8(run.output);
        QVERIFY2(said.isEmpty() || output.contains(said), run.output.constData());
        QVERIFY2(unsaid.isEmpty() || !output.contains(unsaid), run.output.constData());
        const QImage image(png);
        QVERIFY(!image.isNull());
        if (mainWindow)
            QVERIFY(image.width() >= 640 && image.height() >= 400);
    }

    // Where no display can be opened, --help and --version still answer.
    void helpAndVersionWithoutDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--help") << "--help" << "--server <ENDEREÇO>";
        QTest::newRow("-h") << "-h" << "--auto-login";
        QTest::newRow("--version") << "--version" << "erpshell";
    }

    void helpAndVersionWithoutDisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(qEnvironmentVariable("PED_BIN_DIR") + QStringLiteral("/erpshell"), {option});
        QVERIFY(process.waitForFinished(30000));
        const QByteArray output = process.readAll();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, output.constData());
        QVERIFY2(QString::fromUtf8(output).contains(expected), output.constData());
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString png = dir.filePath(QStringLiteral("never.png"));
        QTest::newRow("malformed server") << QStringList{QStringLiteral("--server"), QStringLiteral("semporta")} << 2
                                          << "Endereço de servidor inválido";
        QTest::newRow("missing database") << QStringList{QStringLiteral("--db"), QStringLiteral("/nonexistent/erp.sqlite"),
                                                         QStringLiteral("--auto-login"), QStringLiteral("--screenshot"), png}
                                          << 1 << "Banco de dados /nonexistent/erp.sqlite não encontrado.";
        QTest::newRow("unknown branch") << QStringList{QStringLiteral("--auto-login"), QStringLiteral("--branch"),
                                                       QStringLiteral("0009"), QStringLiteral("--screenshot"), png}
                                        << 1 << "Filial 0009 não cadastrada na empresa 01.";
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run run = erpshell(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.output).contains(message), run.output.constData());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("never.png"))));
    }

private:
    struct Run {
        int exitCode = -1;
        QByteArray output;
    };

    // Runs erpshell against the test server; the arguments given come last,
    // so they override the defaults.
    Run erpshell(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QStringList all{QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(server->port()),
                        QStringLiteral("--db"), server->databaseConfig().sqlitePath};
        for (int i = 0; i < arguments.size(); ++i) {
            const int given = all.indexOf(arguments[i]);
            if (given >= 0 && i + 1 < arguments.size() && arguments[i].startsWith(u"--") && !arguments[i + 1].startsWith(u"--")) {
                all[given + 1] = arguments[i + 1];
                ++i;
            } else {
                all << arguments[i];
            }
        }
        process.start(qEnvironmentVariable("PED_BIN_DIR") + QStringLiteral("/erpshell"), all);
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.output = "erpshell did not finish: " + process.readAll();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.output = process.readAll();
        return run;
    }

    QTemporaryDir dir;
    std::unique_ptr<PedTest::TestServer> server;
};

QTEST_MAIN(TstErpShell)
#include "tst_erpshell.moc"
