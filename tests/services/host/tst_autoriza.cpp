// The supervisor's release against a real application server over the demo
// database: DEMO leads a group (password "demo"), MARIA does not.

#include "autoriza.h"
#include "autorizadialog.h"
#include "context.h"
#include "netconnection.h"
#include "scriptedhost.h"
#include "serversession.h"
#include "test_server.h"

#include <QLabel>
#include <QTcpServer>
#include <QtTest>
#include <memory>

namespace {

const QString Operation = QStringLiteral("ALTERA_PRECO_PEDIDO");

ScriptedHost::DialogScript typeIn(const QString& supervisor, const QString& password,
                                  QStringList* refusalsSeen = nullptr)
{
    return [=](QDialog& dialog) {
        auto& release = static_cast<TfrmAutoriza&>(dialog);
        if (refusalsSeen)
            refusalsSeen->append(release.refusal());
        release.setOperador(supervisor);
        release.setSenha(password);
        release.accept();
    };
}

} // namespace

class TestAutoriza : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        server = std::make_unique<PedTest::TestServer>();
    }

    void init()
    {
        host = std::make_unique<ScriptedHost>();
        WorkingContext context;
        context.empresa = "01";
        context.filial = "0001";
        context.operador = "MARIA";
        context.dataLogin = QDate::currentDate();
        context.webUrl = "127.0.0.1";
        context.webPort = server->port();
        setWorkingContext(context);
        QVERIFY(ServerSession::instance().login("127.0.0.1", server->port(), "MARIA", "maria").ok());
        netLanPed = std::make_unique<TNetConnection>("PED00100.rdmLanPedido");
    }

    void cleanup()
    {
        netLanPed.reset();
        ServerSession::instance().logout();
        clearWorkingContext();
        PED_VERIFY_HOST(*host);
        host.reset();
    }

    void leaderReleases()
    {
        host->expectDialog("TfrmAutoriza", typeIn("DEMO", "demo"));
        QVERIFY(Autoriza(*netLanPed, 14, Operation, "0001 0000000012 0000000001"));
        QVERIFY(host->messages().isEmpty());
    }

    void wrongPasswordAsksAgainWithTheReason()
    {
        QStringList refusalsSeen;
        host->expectDialog("TfrmAutoriza", typeIn("DEMO", "errada", &refusalsSeen))
            .expectDialog("TfrmAutoriza", typeIn("DEMO", "demo", &refusalsSeen));
        QVERIFY(Autoriza(*netLanPed, 14, Operation));
        QCOMPARE(refusalsSeen, (QStringList{"", "Supervisor ou senha inválidos."}));
    }

    void refusedEveryTime_data()
    {
        QTest::addColumn<QString>("supervisor");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a group leader") << "MARIA" << "maria"
                                            << "O operador informado não é supervisor de grupo e não pode liberar a operação.";
        QTest::newRow("unknown supervisor") << "NINGUEM" << "x" << "Supervisor ou senha inválidos.";
        QTest::newRow("inactive supervisor") << "ANTIGO" << "antigo" << "Supervisor ou senha inválidos.";
    }

    void refusedEveryTime()
    {
        QFETCH(QString, supervisor);
        QFETCH(QString, password);
        QFETCH(QString, reason);
        for (int attempt = 0; attempt < AutorizaMaxAttempts; ++attempt)
            host->expectDialog("TfrmAutoriza", typeIn(supervisor, password));
        QVERIFY(!Autoriza(*netLanPed, 14, Operation));
        QCOMPARE(host->messageTexts(MsgType::Error), QStringList{reason});
    }

    void cancelledDialogReleasesNothing()
    {
        host->expectDialog("TfrmAutoriza", [](QDialog& dialog) { dialog.reject(); });
        QVERIFY(!Autoriza(*netLanPed, 14, Operation));
        QVERIFY(host->messages().isEmpty());
    }

    void unreachableServerIsReportedOnce()
    {
        QTcpServer closedPort;
        QVERIFY(closedPort.listen(QHostAddress::LocalHost));
        const quint16 port = closedPort.serverPort();
        closedPort.close();
        TNetConnection elsewhere("PED00100.rdmLanPedido");
        elsewhere.BeforeConnect = [port](TNetConnection& c) {
            c.setHost("127.0.0.1");
            c.setPort(port);
        };
        elsewhere.Open();

        host->expectDialog("TfrmAutoriza", typeIn("DEMO", "demo"));
        QVERIFY(!Autoriza(elsewhere, 14, Operation));
        QCOMPARE(host->messageTexts(MsgType::Error).size(), 1);
    }

private:
    std::unique_ptr<PedTest::TestServer> server;
    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<TNetConnection> netLanPed;
};

QTEST_MAIN(TestAutoriza)
#include "tst_autoriza.moc"
