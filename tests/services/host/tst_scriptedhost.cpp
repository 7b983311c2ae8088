#include "guard.h"
#include "messages.h"
#include "scriptedhost.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

// A dialog as screens build them: a field, OK and Cancel, and a check at
// show time that a script must see.
class TfrmTeste : public QDialog {
    Q_OBJECT
public:
    TfrmTeste()
    {
        auto* layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        edit->setObjectName("edtNome");
        layout->addWidget(edit);
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }
    bool shownBeforeScript = false;
    QLineEdit* edit;
    QDialogButtonBox* buttons;

protected:
    void showEvent(QShowEvent* event) override
    {
        shownBeforeScript = true;
        QDialog::showEvent(event);
    }
};

namespace {
void warningsOfFailures(int count)
{
    for (int i = 0; i < count; ++i)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedHost:|Falha na ação"));
}
} // namespace

class TestScriptedHost : public QObject {
    Q_OBJECT

private slots:
    void plainMessagesNeedNoScript()
    {
        ScriptedHost host;
        QCOMPARE(host.showMessage(MsgType::Information, "Pedido gravado.", MsgButton::Ok, MsgButton::Ok), MsgButton::Ok);
        QCOMPARE(host.messages().size(), 1);
        QCOMPARE(host.messages().first().answer, QStringLiteral("OK"));
        QVERIFY(host.hasMessage("gravado"));
        PED_VERIFY_HOST(host);
    }

    void unexpectedQuestionFailsAndStopsTheAction()
    {
        ScriptedHost host;
        warningsOfFailures(2);   // the host's own log and the guard's report
        bool reachedAfterQuestion = false;
        const bool completed = guarded([&] {
            host.question("Deseja cancelar a inclusão do pedido?");
            reachedAfterQuestion = true;
        });
        QVERIFY(!completed);
        QVERIFY(!reachedAfterQuestion);
        QCOMPARE(host.failures().size(), 1);
        QVERIFY(host.failures().first().contains("Não esperado pelo roteiro: pergunta \"Deseja cancelar"));
        QVERIFY(!host.problems().isEmpty());
    }

    void questionOutOfOrderFails()
    {
        ScriptedHost host;
        host.expectDialog("TfrmTeste", [](QDialog& d) { d.accept(); });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedHost:"));
        QVERIFY_THROWS_EXCEPTION(ScriptFailure, host.question("Confirma?"));
        QVERIFY(host.failures().first().contains("Roteiro esperava diálogo \"TfrmTeste\", mas veio pergunta"));
        host.clear();
    }

    void answerMustBeAButtonOfTheQuestion()
    {
        ScriptedHost host;
        host.expectQuestion("Confirma", MsgButton::Cancel);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedHost:"));
        QVERIFY_THROWS_EXCEPTION(ScriptFailure, host.question("Confirma?"));
        host.clear();
    }

    void unusedExpectationIsAProblem()
    {
        ScriptedHost host;
        host.expectQuestion("Nunca perguntado", MsgButton::Yes);
        QCOMPARE(host.problems(), QStringLiteral("Esperado pelo roteiro e não ocorrido: pergunta \"Nunca perguntado\""));
        host.clear();
        PED_VERIFY_HOST(host);
    }

    void dialogIsShownThenDrivenByItsScript()
    {
        ScriptedHost host;
        TfrmTeste dialog;
        bool shownWhenDriven = false;
        host.expectDialog("TfrmTeste", [&](QDialog& d) {
            shownWhenDriven = static_cast<TfrmTeste&>(d).shownBeforeScript;
            d.findChild<QLineEdit*>("edtNome")->setText("DEMO");
            static_cast<TfrmTeste&>(d).buttons->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(host.execModal(dialog), int(QDialog::Accepted));
        QVERIFY(shownWhenDriven);
        QCOMPARE(dialog.edit->text(), QStringLiteral("DEMO"));
        QVERIFY(!dialog.isVisible());
        PED_VERIFY_HOST(host);
    }

    void dialogLeftOpenFails()
    {
        ScriptedHost host;
        TfrmTeste dialog;
        host.expectDialog("TfrmTeste", [](QDialog&) {});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedHost:"));
        QVERIFY_THROWS_EXCEPTION(ScriptFailure, host.execModal(dialog));
        QVERIFY(host.failures().first().contains("continuou aberto"));
        QVERIFY(!dialog.isVisible());
        host.clear();
    }

    void unexpectedDialogFails()
    {
        ScriptedHost host;
        TfrmTeste dialog;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedHost:"));
        QVERIFY_THROWS_EXCEPTION(ScriptFailure, host.execModal(dialog));
        QVERIFY(host.failures().first().contains("diálogo \"TfrmTeste\""));
        QVERIFY(!dialog.isVisible());
        host.clear();
    }

    void dialogMatchedByObjectName()
    {
        ScriptedHost host;
        TfrmTeste dialog;
        dialog.setObjectName("frmTeste");
        host.expectDialog("frmTeste", [](QDialog& d) { d.reject(); });
        QCOMPARE(host.execModal(dialog), int(QDialog::Rejected));
        PED_VERIFY_HOST(host);
    }

    void fileNamesComeFromTheScript()
    {
        ScriptedHost host;
        host.expectFileName("Importar", "/tmp/obs.txt").expectFileName("Salvar", "");
        QCOMPARE(host.openFileName(nullptr, "Importar observação", "*.txt"), QStringLiteral("/tmp/obs.txt"));
        QCOMPARE(host.saveFileName(nullptr, "Salvar observação", "*.txt"), QString());
        PED_VERIFY_HOST(host);
    }

    void choiceMustNameAnOfferedCaption()
    {
        ScriptedHost host;
        host.expectChoice("conexão", "Talvez");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ScriptedHost:"));
        QVERIFY_THROWS_EXCEPTION(ScriptFailure, MsgAlertEx("Erro de conexão.", MsgType::Error, {"Sim", "Não"}));
        host.clear();
    }

    void hostUninstallsItselfOnExit()
    {
        {
            ScriptedHost host;
            QCOMPARE(&::host(), static_cast<Host*>(&host));
        }
        QVERIFY(!hasHost());
    }
};

QTEST_MAIN(TestScriptedHost)
#include "tst_scriptedhost.moc"
