#include "autorizadialog.h"
#include "busy.h"
#include "busyoverlay.h"
#include "guihost.h"
#include "messages.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QString screenshotPath(const QString& name)
{
    const QString folder = qEnvironmentVariable("PED_BIN_DIR", QDir::tempPath()) + QStringLiteral("/../screenshots");
    QDir().mkpath(folder);
    return QDir::cleanPath(folder + u'/' + name);
}

// Presses the button captioned `caption` of the message box that opens next.
void pressOnNextMessageBox(const QString& caption, QString* seenText = nullptr)
{
    QTimer::singleShot(0, [caption, seenText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (seenText)
            *seenText = box->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == caption)
                button->click();
    });
}

} // namespace

class TestGuiHost : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        resetBusyState();
        setHost(&gui);
    }

    void cleanup()
    {
        setHost(nullptr);
    }

    void busyOverlayShowsOverTheScreenAndAnimates()
    {
        QWidget window;
        window.resize(640, 480);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Lançamento de Pedidos"), &window));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        ActiveShowAvi(&window, BusyStyle::Aguarde);
        BusyOverlay* overlay = gui.busyOverlay();
        QVERIFY(overlay);
        QVERIFY(overlay->isVisible());
        QVERIFY(overlay->isWindow());   // never a child of the window it covers
        QCOMPARE(overlay->geometry().center(), window.frameGeometry().center());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        const int firstStep = overlay->step();
        QTRY_VERIFY(overlay->step() != firstStep);   // the timer keeps it turning
        QVERIFY(overlay->grab().save(screenshotPath("host_busy_overlay.png")));

        DeactiveShowAvi();
        QVERIFY(!gui.busyOverlay());
        QVERIFY(!QApplication::overrideCursor());
    }

    void questionDuringBusyIsNotHiddenUnderIt()
    {
        QWidget window;
        window.resize(640, 480);
        window.show();
        ActiveShowAvi(&window, BusyStyle::Aguarde);

        bool overlayVisibleDuringQuestion = true;
        bool waitCursorDuringQuestion = true;
        QTimer::singleShot(0, [&] {
            overlayVisibleDuringQuestion = gui.busyOverlay() && gui.busyOverlay()->isVisible();
            waitCursorDuringQuestion = QApplication::overrideCursor() != nullptr;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->buttons().first()->click();
        });
        gui.showMessage(MsgType::Confirmation, "Confirma?", MsgButton::Yes | MsgButton::No, MsgButton::Yes);

        QVERIFY(!overlayVisibleDuringQuestion);
        QVERIFY(!waitCursorDuringQuestion);
        QVERIFY(gui.busyOverlay()->isVisible());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        DeactiveShowAvi();
        QVERIFY(!QApplication::overrideCursor());
    }

    void busyWithoutAWindowIsAWindowOfItsOwn()
    {
        ActiveShowAvi(nullptr, BusyStyle::Processando);
        QVERIFY(gui.busyOverlay());
        QVERIFY(gui.busyOverlay()->isWindow());
        QVERIFY(gui.busyOverlay()->isVisible());
        DeactiveShowAvi();
        QVERIFY(!gui.busyOverlay());
    }

    void busyEndsCleanlyWhenTheWindowWentFirst()
    {
        auto* window = new QWidget;
        window->resize(300, 200);
        window->show();
        ActiveShowAvi(window, BusyStyle::Aguarde);
        delete window;   // the screen closed during the call
        DeactiveShowAvi();
        QVERIFY(!QApplication::overrideCursor());
    }

    // A field that loses focus while its window is destroyed may start a
    // server call; the busy indicator must not attach itself to that window.
    void busyStartedWhileTheWindowIsDestroyed()
    {
        auto* window = new QWidget;
        auto* child = new QWidget(window);
        QObject::connect(child, &QObject::destroyed, [window] {
            ActiveShowAvi(window, BusyStyle::Aguarde);
            DeactiveShowAvi();
        });
        window->show();
        delete window;
        QVERIFY(!gui.busyOverlay());
        QVERIFY(!QApplication::overrideCursor());
    }

    void questionAnsweredWithPortugueseButtons_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("answer");
        QTest::newRow("Sim") << "Sim" << int(MsgButton::Yes);
        QTest::newRow("Não") << "Não" << int(MsgButton::No);
    }

    void questionAnsweredWithPortugueseButtons()
    {
        QFETCH(QString, caption);
        QFETCH(int, answer);
        QString shown;
        pressOnNextMessageBox(caption, &shown);
        QCOMPARE(gui.showMessage(MsgType::Confirmation, "Deseja cancelar a inclusão do pedido?",
                                 MsgButton::Yes | MsgButton::No, MsgButton::Yes),
                 MsgButton(answer));
        QCOMPARE(shown, QStringLiteral("Deseja cancelar a inclusão do pedido?"));
    }

    void choiceOfFreeCaptions()
    {
        pressOnNextMessageBox("Não");
        QCOMPARE(MsgAlertEx("Ocorreu um erro na conexão com o servidor:", MsgType::Error, {"Sim", "Não"}), 11);
    }

    void messageBoxLooksRight()
    {
        QMessageBox* seen = nullptr;
        QTimer::singleShot(0, [&seen] {
            seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!seen)
                return;
            seen->grab().save(screenshotPath("host_message_question.png"));
            seen->buttons().first()->click();
        });
        gui.showMessage(MsgType::Confirmation, "Confirma exclusão do produto?", MsgButton::Yes | MsgButton::No,
                        MsgButton::Yes);
        QVERIFY(seen);
    }

    void releaseDialogLooksRight()
    {
        TfrmAutoriza dialog("ALTERA_PRECO_PEDIDO", "Filial 0001, pedido 0000000012, item 0000000001");
        dialog.setOperador("SUPERVISOR");
        dialog.setRefusal("Senha inválida.");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.findChild<QLineEdit*>("edtSenha")->echoMode() == QLineEdit::Password);
        QVERIFY(dialog.grab().save(screenshotPath("host_release_dialog.png")));
    }

    void releaseDialogWantsOperatorAndPassword()
    {
        TfrmAutoriza dialog("ALTERA_PRECO_PEDIDO", QString());
        dialog.show();
        dialog.setOperador("SUPERVISOR");
        dialog.findChild<QPushButton*>("btnLiberar")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.refusal(), QStringLiteral("Informe o supervisor e a senha."));
        dialog.setSenha("segredo");
        dialog.findChild<QPushButton*>("btnLiberar")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

private:
    GuiHost gui;
};

QTEST_MAIN(TestGuiHost)
#include "tst_guihost.moc"
