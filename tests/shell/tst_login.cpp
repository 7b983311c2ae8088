// Logging in against a real application server over a temporary demo
// database: the working context on success, the server's own message for a
// wrong password, a clear message when the server cannot be reached.

#include "scriptedhost.h"
#include "test_server.h"

#include "context.h"
#include "login.h"
#include "logindialog.h"
#include "screens/dbgeral.h"
#include "serversession.h"
#include "shelloptions.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTcpServer>
#include <QtTest/QtTest>

namespace {

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

class TstLogin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("ped00100-tests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_login"));
        server = std::make_unique<PedTest::TestServer>();
        openDtmDBGeral(server->databaseConfig().sqlitePath);
    }

    void cleanupTestCase()
    {
        closeDtmDBGeral();
        server.reset();
    }

    void init()
    {
        scripted = std::make_unique<ScriptedHost>();
        clearWorkingContext();
        ServerSession::instance().logout();
        QSettings().clear();
    }

    void cleanup()
    {
        PED_VERIFY_HOST(*scripted);
        scripted.reset();
    }

    void rightPasswordSetsTheContext()
    {
        logIn(request(QStringLiteral("demo"), QStringLiteral("2")));

        const WorkingContext& context = workingContext();
        QCOMPARE(context.empresa, QStringLiteral("01"));
        QCOMPARE(context.filial, QStringLiteral("0002"));
        QCOMPARE(context.nomeFilial, branchNameInDatabase(QStringLiteral("0002")));
        QVERIFY(!context.nomeFilial.isEmpty());
        QCOMPARE(context.operador, QStringLiteral("DEMO"));
        QCOMPARE(context.dataLogin, QDate(2026, 3, 10));
        QCOMPARE(DataProc(QStringLiteral("0002")), QDate(2026, 3, 10));
        QCOMPARE(WebURL(), QStringLiteral("127.0.0.1"));
        QCOMPARE(WebPort(), int(server->port()));
        QVERIFY(ServerSession::instance().isOpen());
        QCOMPARE(ServerSession::instance().operatorCode(), QStringLiteral("DEMO"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << "errada" << "0001" << true << "Operador ou senha inválidos.";
        QTest::newRow("unknown branch") << "demo" << "0009" << true << "Filial 0009 não cadastrada na empresa 01.";
        QTest::newRow("no password") << "" << "0001" << true << "Informe a senha.";
        QTest::newRow("server unreachable") << "demo" << "0001" << false
                                            << "Não foi possível conectar ao servidor de aplicação em 127.0.0.1:";
    }

    void refusals()
    {
        QFETCH(QString, password);
        QFETCH(QString, branch);
        QFETCH(bool, reachable);
        QFETCH(QString, message);
        LoginRequest wanted = request(password, branch);
        if (!reachable)
            wanted.serverPort = closedPort();
        try {
            logIn(wanted);
            QFAIL("logged in");
        } catch (const LoginError& error) {
            QVERIFY2(error.text().startsWith(message), qPrintable(error.text()));
        }
        QVERIFY(!hasWorkingContext());
        QVERIFY(!ServerSession::instance().isOpen());
    }

    void serverMessageIsTheServersOwn()
    {
        const QJsonObject answer = server->call(QStringLiteral("Bib.rdmDBGeral"), QStringLiteral("Login"),
                                                {QStringLiteral("DEMO"), QStringLiteral("outra")});
        const QString serverText = answer.value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString();
        QVERIFY(!serverText.isEmpty());
        try {
            logIn(request(QStringLiteral("outra"), QStringLiteral("0001")));
            QFAIL("logged in");
        } catch (const LoginError& error) {
            QCOMPARE(error.text(), serverText);
        }
    }

    void dialogShowsRefusalAndStaysOpen()
    {
        ShellOptions options;
        options.serverHost = QStringLiteral("127.0.0.1");
        options.serverPort = server->port();
        LoginDialog dialog(options);
        dialog.show();
        QCOMPARE(dialog.cmbEmpresa->currentData().toString(), QStringLiteral("01"));
        QCOMPARE(dialog.cmbFilial->currentData().toString(), QStringLiteral("0001"));
        QCOMPARE(dialog.depDataProc->displayFormat(), QStringLiteral("dd/MM/yyyy"));

        dialog.edtOperador->setText(QStringLiteral("DEMO"));
        dialog.edtSenha->setText(QStringLiteral("errada"));
        dialog.btnEntrar->click();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.lblErro->isVisible());
        QCOMPARE(dialog.lblErro->text(), QStringLiteral("Operador ou senha inválidos."));

        dialog.cmbFilial->setCurrentIndex(dialog.cmbFilial->findData(QStringLiteral("0003")));
        dialog.edtSenha->setText(QStringLiteral("demo"));
        dialog.btnEntrar->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(FiliProc(), QStringLiteral("0003"));
    }

    // The next log-in offers what was typed, never the password.
    void dialogRemembersAllButThePassword()
    {
        ShellOptions options;
        options.serverHost = QStringLiteral("127.0.0.1");
        options.serverPort = server->port();
        {
            LoginDialog dialog(options);
            dialog.edtOperador->setText(QStringLiteral("DEMO"));
            dialog.edtSenha->setText(QStringLiteral("demo"));
            dialog.cmbFilial->setCurrentIndex(dialog.cmbFilial->findData(QStringLiteral("0002")));
            dialog.btnEntrar->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        LoginDialog again{ShellOptions()};
        QCOMPARE(again.edtServidor->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(again.spnPorta->value(), int(server->port()));
        QCOMPARE(again.edtOperador->text(), QStringLiteral("DEMO"));
        QCOMPARE(again.cmbFilial->currentData().toString(), QStringLiteral("0002"));
        QVERIFY(again.edtSenha->text().isEmpty());

        QSettings settings;
        for (const QString& key : settings.allKeys())
            QVERIFY2(settings.value(key).toString() != u"demo", qPrintable(key));
    }

    // Writes the picture of the dialog when asked (PED_SCREENSHOT_DIR), so it
    // can be looked at.
    void screenshot()
    {
        const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("PED_SCREENSHOT_DIR not set");
        ShellOptions options;
        options.serverHost = QStringLiteral("127.0.0.1");
        options.serverPort = 8100;
        options.operatorCode = QStringLiteral("DEMO");
        LoginDialog dialog(options);
        dialog.depDataProc->setDate(QDate(2026, 3, 10));
        dialog.edtSenha->setText(QStringLiteral("demo"));
        dialog.show();
        QCoreApplication::processEvents();
        QVERIFY(dialog.grab().save(folder + QStringLiteral("/shot_login.png")));
    }

private:
    LoginRequest request(const QString& password, const QString& branch) const
    {
        LoginRequest wanted;
        wanted.serverHost = QStringLiteral("127.0.0.1");
        wanted.serverPort = server->port();
        wanted.operatorCode = QStringLiteral("demo");
        wanted.password = password;
        wanted.company = QStringLiteral("01");
        wanted.branch = branch;
        wanted.processingDate = QDate(2026, 3, 10);
        return wanted;
    }

    static QString branchNameInDatabase(const QString& branch)
    {
        for (const CodeName& row : listBranches(QStringLiteral("01")))
            if (row.code == branch)
                return row.name;
        return {};
    }

    std::unique_ptr<PedTest::TestServer> server;
    std::unique_ptr<ScriptedHost> scripted;
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
