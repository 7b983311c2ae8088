// The routine dialog's keys respect its buttons, and every way of closing
// goes through FormCloseQuery.

#include "scriptedhost.h"

#include "screens/rotigeral.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest/QtTest>

namespace {

class TfrmRotina : public TfrmRotiGeral {
    Q_OBJECT
public:
    QLineEdit* edtPrimeiro;
    QLineEdit* edtSegundo;
    bool mayClose = true;
    int closes = 0;

    TfrmRotina() : TfrmRotiGeral(QStringLiteral("TST00200"), QStringLiteral("Rotina de Teste"))
    {
        auto* layout = new QVBoxLayout(panPrincipal);
        edtPrimeiro = new QLineEdit(panPrincipal);
        edtSegundo = new QLineEdit(panPrincipal);
        layout->addWidget(edtPrimeiro);
        layout->addWidget(edtSegundo);
    }

    bool FormCloseQuery() override { return mayClose; }
    void FormClose() override { ++closes; }
};

} // namespace

class TstRotiGeral : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        scripted = std::make_unique<ScriptedHost>();
        dialog = std::make_unique<TfrmRotina>();
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        dialog->edtPrimeiro->setFocus();
    }

    void cleanup()
    {
        dialog.reset();
        PED_VERIFY_HOST(*scripted);
        scripted.reset();
    }

    void keysPressEnabledButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("buttonEnabled");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("Esc cancels") << int(Qt::Key_Escape) << 0 << true << int(QDialog::Rejected) << false;
        QTest::newRow("Esc, cancel disabled") << int(Qt::Key_Escape) << 0 << false << -1 << true;
        QTest::newRow("Ctrl+Enter confirms") << int(Qt::Key_Return) << int(Qt::ControlModifier) << true
                                             << int(QDialog::Accepted) << false;
        QTest::newRow("F10 confirms") << int(Qt::Key_F10) << 0 << true << int(QDialog::Accepted) << false;
        QTest::newRow("Ctrl+Enter, confirm disabled") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false
                                                      << -1 << true;
        QTest::newRow("Enter moves on") << int(Qt::Key_Return) << 0 << true << -1 << true;
    }

    void keysPressEnabledButtons()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, buttonEnabled);
        QFETCH(int, result);
        QFETCH(bool, stillOpen);
        dialog->setResult(-1);
        dialog->sbtConfirma->setEnabled(buttonEnabled);
        dialog->sbtCancela->setEnabled(buttonEnabled);

        QTest::keyClick(dialog->edtPrimeiro, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(dialog->isVisible(), stillOpen);
        QCOMPARE(dialog->result(), result);
        if (key == Qt::Key_Return && !modifiers)
            QCOMPARE(QApplication::focusWidget(), dialog->edtSegundo);
    }

    void closingAsksFirst_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("confirm") << "confirm";
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("window close") << "close";
    }

    void closingAsksFirst()
    {
        QFETCH(QString, how);
        auto closeIt = [&] {
            if (how == u"confirm")
                dialog->sbtConfirma->click();
            else if (how == u"cancel")
                dialog->sbtCancela->click();
            else
                dialog->close();
        };
        dialog->mayClose = false;
        closeIt();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->closes, 0);

        dialog->mayClose = true;
        closeIt();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->closes, 1);
        QCOMPARE(dialog->result(), how == u"confirm" ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }

private:
    std::unique_ptr<ScriptedHost> scripted;
    std::unique_ptr<TfrmRotina> dialog;
};

QTEST_MAIN(TstRotiGeral)
#include "tst_rotigeral.moc"
