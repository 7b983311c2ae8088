// The base grid screen: its toolbar and menu follow the record set's state,
// and include, confirm, cancel, delete and close behave with the questions
// answered by the script.

#include "scriptedhost.h"

#include "recordset.h"
#include "screens/padraogrid.h"
#include "widgets/datasource.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QPointer>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest/QtTest>

namespace {

// A small screen of codes and names over its own record set.
class TfrmTeste : public TfrmPadraoGrid {
    Q_OBJECT
public:
    RecordSet cdsTeste{QStringLiteral("cdsTeste")};
    int stateChanges = 0;

    TfrmTeste() : TfrmPadraoGrid(QStringLiteral("TST00100"), QStringLiteral("Cadastro de Teste"))
    {
        cdsTeste.addField(QStringLiteral("CDTESTE"), FieldType::String, 4).setRequired(true);
        cdsTeste.addField(QStringLiteral("NMTESTE"), FieldType::String, 30);
        dtsPadrao->setDataSet(&cdsTeste);
        dbgPadrao->addColumn(QStringLiteral("CDTESTE"), QStringLiteral("Código"));
        dbgPadrao->addColumn(QStringLiteral("NMTESTE"), QStringLiteral("Nome"));
        FormCreate();
    }

    void dtsPadraoStateChange() override
    {
        TfrmPadraoGrid::dtsPadraoStateChange();
        ++stateChanges;
    }

    void load(int rows)
    {
        cdsTeste.createDataSet();
        for (int i = 1; i <= rows; ++i) {
            cdsTeste.append();
            cdsTeste.fieldByName(QStringLiteral("CDTESTE")).setValue(QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')));
            cdsTeste.fieldByName(QStringLiteral("NMTESTE")).setValue(QStringLiteral("Nome %1").arg(i));
            cdsTeste.post();
        }
        cdsTeste.mergeChangeLog();
        cdsTeste.first();
    }
};

QString enabledCommands(TfrmPadraoGrid& screen)
{
    QStringList names;
    for (QToolButton* button : {screen.sbtIncluir, screen.sbtAlterar, screen.sbtExcluir, screen.sbtConfirmar,
                                screen.sbtCancelar, screen.sbtVerificar, screen.sbtProcurar, screen.sbtImprimir,
                                screen.sbtAjuda, screen.sbtFechar, screen.sbtProximo})
        if (button->isEnabled())
            names << button->objectName().mid(3);
    return names.join(u' ');
}

} // namespace

class TstPadraoGrid : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        scripted = std::make_unique<ScriptedHost>();
        screen = new TfrmTeste;
        screen->show();
    }

    void cleanup()
    {
        if (screen) {
            screen->cdsTeste.close();
            delete screen;
        }
        PED_VERIFY_HOST(*scripted);
        scripted.reset();
    }

    void toolbarFollowsState_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("inactive") << "inactive" << "Incluir Verificar Ajuda Fechar";
        QTest::newRow("browse, empty") << "empty" << "Incluir Verificar Ajuda Fechar";
        QTest::newRow("browse, rows") << "rows"
                                      << "Incluir Alterar Excluir Verificar Procurar Imprimir Ajuda Fechar Proximo";
        QTest::newRow("insert") << "insert" << "Confirmar Cancelar Ajuda Fechar";
        QTest::newRow("edit") << "edit" << "Confirmar Cancelar Ajuda Fechar";
    }

    void toolbarFollowsState()
    {
        QFETCH(QString, situation);
        QFETCH(QString, enabled);
        if (situation == u"empty")
            screen->load(0);
        if (situation == u"rows" || situation == u"edit")
            screen->load(3);
        if (situation == u"insert") {
            screen->load(1);
            screen->sbtIncluir->click();
        }
        if (situation == u"edit")
            screen->sbtAlterar->click();

        QCOMPARE(enabledCommands(*screen), enabled);
        // The menu items mirror their buttons.
        for (QToolButton* button : screen->findChildren<QToolButton*>()) {
            if (QAction* item = screen->menuItemOf(button))
                QCOMPARE(item->isEnabled(), button->isEnabled());
        }
    }

    void includeThenConfirmPostsTheRow()
    {
        screen->load(2);
        screen->sbtIncluir->click();
        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Insert);
        screen->cdsTeste.fieldByName(QStringLiteral("CDTESTE")).setValue(QStringLiteral("0099"));
        screen->sbtConfirmar->click();

        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Browse);
        QCOMPARE(screen->cdsTeste.recordCount(), 3);
        QVERIFY(screen->cdsTeste.hasChanges());
        QVERIFY(screen->sbtIncluir->isEnabled());
        QVERIFY(!screen->sbtConfirmar->isEnabled());
    }

    void includeOnAnInactiveRecordSetCreatesIt()
    {
        screen->sbtIncluir->click();
        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Insert);
        QCOMPARE(screen->cdsTeste.recordCount(), 1);
    }

    // A refused post keeps the row being inserted, with the reason shown.
    void confirmRefusedKeepsTheEdit()
    {
        screen->load(1);
        screen->sbtIncluir->click();
        screen->sbtConfirmar->click();

        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Insert);
        QCOMPARE(scripted->messageTexts(MsgType::Error).size(), 1);
        QVERIFY(scripted->messageTexts(MsgType::Error).first().contains(QStringLiteral("CDTESTE")));
        QVERIFY(screen->sbtConfirmar->isEnabled());
    }

    void cancelAsksFirst_data()
    {
        QTest::addColumn<bool>("inserting");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<RecordSet::State>("stateAfter");
        QTest::addColumn<QString>("nameAfter");
        QTest::newRow("insert, no") << true << int(MsgButton::No) << "Deseja cancelar a inclusão?"
                                    << RecordSet::State::Insert << "Novo";
        QTest::newRow("insert, yes") << true << int(MsgButton::Yes) << "Deseja cancelar a inclusão?"
                                     << RecordSet::State::Browse << "Nome 1";
        QTest::newRow("edit, no") << false << int(MsgButton::No) << "Deseja cancelar as alterações?"
                                  << RecordSet::State::Edit << "Novo";
        QTest::newRow("edit, yes") << false << int(MsgButton::Yes) << "Deseja cancelar as alterações?"
                                   << RecordSet::State::Browse << "Nome 1";
    }

    void cancelAsksFirst()
    {
        QFETCH(bool, inserting);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(RecordSet::State, stateAfter);
        QFETCH(QString, nameAfter);
        screen->load(1);
        (inserting ? screen->sbtIncluir : screen->sbtAlterar)->click();
        screen->cdsTeste.fieldByName(QStringLiteral("NMTESTE")).setValue(QStringLiteral("Novo"));

        scripted->expectQuestion(question, MsgButton(answer));
        screen->sbtCancelar->click();

        QCOMPARE(screen->cdsTeste.state(), stateAfter);
        if (stateAfter == RecordSet::State::Browse)
            screen->cdsTeste.first();
        QCOMPARE(screen->cdsTeste.fieldByName(QStringLiteral("NMTESTE")).asString(), nameAfter);
        QCOMPARE(screen->cdsTeste.recordCount(), inserting && stateAfter == RecordSet::State::Insert ? 2 : 1);
    }

    // Deleting the last row leaves nothing to change or delete.
    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("no") << 2 << int(MsgButton::No) << 2;
        QTest::newRow("yes") << 2 << int(MsgButton::Yes) << 1;
        QTest::newRow("yes to the last row") << 1 << int(MsgButton::Yes) << 0;
    }

    void deleteAsksFirst()
    {
        QFETCH(int, rows);
        QFETCH(int, answer);
        QFETCH(int, rowsAfter);
        screen->load(rows);
        scripted->expectQuestion(QStringLiteral("Confirma exclusão?"), MsgButton(answer));
        screen->sbtExcluir->click();
        QCOMPARE(screen->cdsTeste.recordCount(), rowsAfter);
        if (rowsAfter == 0)
            QCOMPARE(enabledCommands(*screen), QStringLiteral("Incluir Verificar Ajuda Fechar"));
    }

    void closeWithPendingEdit_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("stay") << int(MsgButton::No) << false;
        QTest::newRow("leave") << int(MsgButton::Yes) << true;
    }

    void closeWithPendingEdit()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        screen->load(1);
        screen->sbtAlterar->click();
        scripted->expectQuestion(QStringLiteral("Existem alterações não confirmadas"), MsgButton(answer));
        QPointer<TfrmTeste> watched = screen;
        screen->sbtFechar->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(watched.isNull(), closed);
        if (!closed)
            QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Edit);
        else
            screen = nullptr;
    }

    // Grid dialogs run the same screen modally; Fechar ends the modal loop.
    void runsModallyUntilClosed()
    {
        screen->hide();
        QPointer<TfrmTeste> watched = screen;
        QTimer::singleShot(0, screen, [this] { screen->sbtFechar->click(); });
        QCOMPARE(screen->exec(), int(QDialog::Rejected));
        QVERIFY(watched.isNull());   // a closed screen deletes itself
        screen = nullptr;
    }

    void menuItemFollowsAndPressesItsButton()
    {
        screen->load(2);
        QAction* item = screen->menuItemOf(screen->sbtIncluir);
        QVERIFY(item);
        screen->sbtIncluir->setEnabled(false);
        QVERIFY(!item->isEnabled());
        item->trigger();
        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Browse);

        screen->sbtIncluir->setEnabled(true);
        screen->sbtIncluir->hide();
        QVERIFY(!item->isVisible());
        screen->sbtIncluir->show();
        item->trigger();
        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Insert);
    }

    void keysPressTheCommands()
    {
        screen->load(2);
        screen->activateWindow();
        screen->dbgPadrao->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(screen));

        QTest::keyClick(screen->dbgPadrao, Qt::Key_F2);
        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Edit);
        scripted->expectQuestion(QStringLiteral("Deseja cancelar as alterações?"), MsgButton::Yes);
        QTest::keyClick(screen->dbgPadrao, Qt::Key_Escape);
        QCOMPARE(screen->cdsTeste.state(), RecordSet::State::Browse);
        // Esc with nothing to cancel leaves the screen open.
        QTest::keyClick(screen->dbgPadrao, Qt::Key_Escape);
        QVERIFY(screen->isVisible());
    }

    void screenButtonsJoinToolbarAndMenu()
    {
        int clicks = 0;
        QToolButton* button = screen->addToolButton(QStringLiteral("sbtFiltro"), QStringLiteral("&Filtro"), QIcon(),
                                                    QKeySequence(Qt::CTRL | Qt::Key_L));
        connect(button, &QToolButton::clicked, this, [&] { ++clicks; });
        QAction* item = screen->menuItemOf(button);
        QVERIFY(item);
        QCOMPARE(item->objectName(), QStringLiteral("mnuFiltro"));
        const QList<QAction*> menu = screen->mnuOperacao->actions();
        QVERIFY(menu.indexOf(item) < menu.indexOf(screen->mnuAjuda));
        item->trigger();
        QCOMPARE(clicks, 1);
    }

    void helpListsTheKeys()
    {
        screen->sbtAjuda->click();
        QCOMPARE(scripted->messages().size(), 1);
        const QString text = scripted->messages().first().text;
        QVERIFY(text.startsWith(QStringLiteral("TST00100 - Cadastro de Teste")));
        QVERIFY(text.contains(QStringLiteral("F10\tConfirmar")));
    }

    void statusBarShowsStateAndPosition()
    {
        screen->load(3);
        screen->cdsTeste.next();
        const QStringList texts = [&] {
            QStringList all;
            for (QLabel* label : screen->stbPadrao->findChildren<QLabel*>())
                all << label->text();
            return all;
        }();
        QVERIFY2(texts.contains(QStringLiteral("Consulta")), qPrintable(texts.join(u'|')));
        QVERIFY2(texts.contains(QStringLiteral("Registro 2 de 3")), qPrintable(texts.join(u'|')));
    }

private:
    std::unique_ptr<ScriptedHost> scripted;
    TfrmTeste* screen = nullptr;
};

QTEST_MAIN(TstPadraoGrid)
#include "tst_padraogrid.moc"
