// The module as the shell loads it: IniProc creates the order entry screen
// once; a second call brings up the same window.

#include "lanpedido_fixture.h"
#include "scriptedhost.h"

#include "loadbpl.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QtTest/QtTest>

using namespace PedTest;

class TstModule : public QObject {
    Q_OBJECT

private slots:
    void segundoIniProcMostraAMesmaJanela()
    {
        TestServer server;
        QTemporaryDir configDir;
        openSession(server, QStringLiteral("0001"), configDir.path() + u'/');
        setModulesDir(qEnvironmentVariable("PED_BIN_DIR") + QStringLiteral("/modules"));
        ScriptedHost host;
        // A new screen opens the order filter for its fixed branch.
        const auto cancelaFiltro = [](QDialog& dialog) { dialog.reject(); };

        host.expectDialog(QStringLiteral("TfrmFiltroPedido"), cancelaFiltro);
        QVERIFY(LoadBPL(QStringLiteral("PED00100")));
        QCOMPARE(host.presentedScreens().size(), 1);
        QPointer<QWidget> primeira = host.presentedScreens().at(0);
        QVERIFY(primeira);
        QCOMPARE(primeira->objectName(), QStringLiteral("frmLanPedido"));
        QVERIFY(primeira->isVisible());

        primeira->hide();
        QVERIFY(LoadBPL(QStringLiteral("PED00100")));
        QCOMPARE(host.presentedScreens().size(), 2);
        QCOMPARE(host.presentedScreens().at(1).data(), primeira.data());
        QVERIFY(primeira->isVisible());
        int telas = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            telas += widget->objectName() == u"frmLanPedido";
        QCOMPARE(telas, 1);

        // Closed, the next call creates it anew.
        primeira->close();
        QTRY_VERIFY(primeira.isNull());
        host.expectDialog(QStringLiteral("TfrmFiltroPedido"), cancelaFiltro);
        QVERIFY(LoadBPL(QStringLiteral("PED00100")));
        QCOMPARE(host.presentedScreens().size(), 3);
        QPointer<QWidget> nova = host.presentedScreens().at(2);
        QVERIFY(nova && nova->objectName() == u"frmLanPedido");
        nova->close();
        QTRY_VERIFY(nova.isNull());
        PED_VERIFY_HOST(host);
        ServerSession::instance().logout();
    }
};

QTEST_MAIN(TstModule)
#include "tst_module.moc"
