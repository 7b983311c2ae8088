// The shell's main window: screens become child windows, closing the shell
// asks each screen, the status bar shows the working context, and the
// modules menu lists the modules folder.

#include "scriptedhost.h"

#include "context.h"
#include "loadbpl.h"
#include "mainwindow.h"
#include "recordset.h"
#include "screens/padraogrid.h"
#include "widgets/datasource.h"
#include "widgets/dbgrid.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest/QtTest>

namespace {

class TfrmVazia : public TfrmPadraoGrid {
    Q_OBJECT
public:
    RecordSet cdsVazia{QStringLiteral("cdsVazia")};

    TfrmVazia() : TfrmPadraoGrid(QStringLiteral("TST00300"), QStringLiteral("Tela de Teste"))
    {
        cdsVazia.addField(QStringLiteral("CDCODIGO"), FieldType::String, 4).setDisplayLabel(QStringLiteral("Código"));
        cdsVazia.addField(QStringLiteral("DSDESCRICAO"), FieldType::String, 40).setDisplayLabel(QStringLiteral("Descrição"));
        cdsVazia.addField(QStringLiteral("DTCADASTRO"), FieldType::Date).setDisplayLabel(QStringLiteral("Cadastro"));
        cdsVazia.addField(QStringLiteral("VRPRECO"), FieldType::Float).setDisplayLabel(QStringLiteral("Preço"));
        dtsPadrao->setDataSet(&cdsVazia);
        dbgPadrao->addColumn(QStringLiteral("CDCODIGO"), QString(), 80);
        dbgPadrao->addColumn(QStringLiteral("DSDESCRICAO"), QString(), 320);
        dbgPadrao->addColumn(QStringLiteral("DTCADASTRO"), QString(), 100);
        dbgPadrao->addColumn(QStringLiteral("VRPRECO"), QString(), 100);
        cdsVazia.createDataSet();
        FormCreate();
    }
    ~TfrmVazia() override { cdsVazia.close(); }
};

void setContext()
{
    WorkingContext context;
    context.empresa = QStringLiteral("01");
    context.filial = QStringLiteral("0001");
    context.nomeFilial = QStringLiteral("MATRIZ SÃO PAULO");
    context.operador = QStringLiteral("DEMO");
    context.dataLogin = QDate(2026, 3, 10);
    context.webUrl = QStringLiteral("127.0.0.1");
    context.webPort = 8100;
    setWorkingContext(context);
}

QStringList statusTexts(QMainWindow& window)
{
    QStringList texts;
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

class TstMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        QVERIFY(modules.isValid());
        setModulesDir(modules.path());
    }

    void init()
    {
        setContext();
        scripted = std::make_unique<ScriptedHost>();
        window = std::make_unique<MainWindow>();
        window->show();
    }

    void cleanup()
    {
        window.reset();
        PED_VERIFY_HOST(*scripted);
        scripted.reset();
        clearWorkingContext();
    }

    void statusBarShowsTheContext()
    {
        const QStringList texts = statusTexts(*window);
        for (const QString& expected : {QStringLiteral("Empresa: 01"), QStringLiteral("Filial: 0001 - MATRIZ SÃO PAULO"),
                                        QStringLiteral("Operador: DEMO"), QStringLiteral("Data: 10/03/2026"),
                                        QStringLiteral("Servidor: 127.0.0.1:8100")})
            QVERIFY2(texts.contains(expected), qPrintable(texts.join(u'|')));
    }

    // On a display smaller than the preferred size the window stays inside
    // the screen's free area, its status bar on view.
    void fitsTheScreen()
    {
        const QRect room = window->screen()->availableGeometry();
        QVERIFY2(room.contains(window->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %5x%6 em %3x%4").arg(window->frameGeometry().x()).arg(window->frameGeometry().y())
                                .arg(room.width()).arg(room.height()).arg(window->frameGeometry().width()).arg(window->frameGeometry().height())));
        const QRect barra(window->statusBar()->mapToGlobal(QPoint(0, 0)), window->statusBar()->size());
        QVERIFY(room.contains(barra));
    }

    void screenBecomesOneChildWindow()
    {
        auto* screen = new TfrmVazia;
        window->presentScreen(screen);
        window->presentScreen(screen);   // a second opening brings up the same window
        QCOMPARE(window->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(window->mdiArea()->activeSubWindow()->widget(), screen);

        // The screen's own close button closes its child window.
        screen->sbtFechar->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->mdiArea()->subWindowList().size(), 0);
    }

    void closingAsksEveryScreen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("shellClosed");
        QTest::newRow("screen refuses") << int(MsgButton::No) << false;
        QTest::newRow("screen gives up its edit") << int(MsgButton::Yes) << true;
    }

    void closingAsksEveryScreen()
    {
        QFETCH(int, answer);
        QFETCH(bool, shellClosed);
        auto* quiet = new TfrmVazia;
        auto* editing = new TfrmVazia;
        window->presentScreen(quiet);
        window->presentScreen(editing);
        editing->sbtIncluir->click();
        QPointer<TfrmVazia> watchQuiet = quiet;
        QPointer<TfrmVazia> watchEditing = editing;

        scripted->expectQuestion(QStringLiteral("Existem alterações não confirmadas"), MsgButton(answer));
        QCOMPARE(window->close(), shellClosed);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QVERIFY(watchQuiet.isNull());
        QCOMPARE(watchEditing.isNull(), shellClosed);
        QCOMPARE(window->isVisible(), !shellClosed);
    }

    void modulesMenuListsTheModulesFolder()
    {
        for (const char* name : {"libPED00100.so", "libGER00700.so", "leiame.txt"}) {
            QFile file(modules.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        window->rebuildModulesMenu();
        QCOMPARE(installedModules(), (QStringList{QStringLiteral("GER00700"), QStringLiteral("PED00100")}));
        QMenu* menu = window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuModulos"));
        QVERIFY(menu);
        QStringList texts;
        for (QAction* item : menu->actions())
            texts << item->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("GER00700 - Consulta de Clientes"),
                                     QStringLiteral("PED00100 - Lançamento de Pedidos")}));
    }

    // Writes the picture of the main window with an empty screen when asked
    // (PED_SCREENSHOT_DIR), so it can be looked at.
    void screenshot()
    {
        const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("PED_SCREENSHOT_DIR not set");
        window->resize(1280, 800);
        auto* screen = new TfrmVazia;
        window->presentScreen(screen);
        window->mdiArea()->activeSubWindow()->showMaximized();
        QCoreApplication::processEvents();
        QVERIFY(window->grab().save(folder + QStringLiteral("/shot_main.png")));
    }

private:
    QTemporaryDir modules;
    std::unique_ptr<ScriptedHost> scripted;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
