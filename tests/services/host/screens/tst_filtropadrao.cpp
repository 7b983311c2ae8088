// The filter base dialog remembers each operator's options: saved when the
// dialog is confirmed, restored when it opens again; never on cancel.

#include "scriptedhost.h"

#include "context.h"
#include "messages.h"
#include "screens/filtropadrao.h"
#include "widgets/buttonflat.h"
#include "widgets/dateeditplus.h"
#include "widgets/numberedit.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest/QtTest>

namespace {

class TfrmFiltroTeste : public TfrmFiltroPadrao {
    Q_OBJECT
public:
    QCheckBox* chbPendente;
    QCheckBox* chbCancelado;
    QRadioButton* rbtTodos;
    QRadioButton* rbtLista;
    QLineEdit* edtOrdem;
    QLineEdit* edtSenha;
    TDateEditPlus* depDe;
    TNumberEdit* nedValor;
    QDateEdit* dteAte;
    QString stCliente;      // a list kept outside the controls
    bool refuse = false;    // the confirmation's own check fails

    TfrmFiltroTeste() : TfrmFiltroPadrao(QStringLiteral("TST00101"), QStringLiteral("Filtro de Teste"))
    {
        auto* grid = new QGridLayout(panPrincipal);
        chbPendente = add<QCheckBox>(grid, "chbPendente");
        chbCancelado = add<QCheckBox>(grid, "chbCancelado");
        rbtTodos = add<QRadioButton>(grid, "rbtTodos");
        rbtLista = add<QRadioButton>(grid, "rbtLista");
        edtOrdem = add<QLineEdit>(grid, "edtOrdem");
        edtSenha = add<QLineEdit>(grid, "edtSenha");
        edtSenha->setEchoMode(QLineEdit::Password);
        depDe = add<TDateEditPlus>(grid, "depDe");
        nedValor = add<TNumberEdit>(grid, "nedValor");
        dteAte = add<QDateEdit>(grid, "dteAte");
        chbPendente->setChecked(true);
        rbtTodos->setChecked(true);
        dteAte->setDate(QDate(2026, 1, 1));
    }

    void sbtConfirmaClick() override
    {
        if (refuse)
            MensErro(QStringLiteral("Cliente deve ser informado."), true);
        TfrmFiltroPadrao::sbtConfirmaClick();
    }
    void btfSaveOpcClick() override
    {
        lstOpcoes.insert(QStringLiteral("stCliente"), stCliente);
        TfrmFiltroPadrao::btfSaveOpcClick();
    }
    void btfLoadOpcClick() override
    {
        TfrmFiltroPadrao::btfLoadOpcClick();
        stCliente = lstOpcoes.value(QStringLiteral("stCliente"));
    }

private:
    template <typename W>
    W* add(QGridLayout* grid, const char* name)
    {
        auto* widget = new W(panPrincipal);
        widget->setObjectName(QString::fromLatin1(name));
        grid->addWidget(widget, grid->rowCount(), 0);
        return widget;
    }
};

void setOperator(const QString& operatorCode, const QString& configDir)
{
    WorkingContext context;
    context.empresa = QStringLiteral("01");
    context.filial = QStringLiteral("0001");
    context.operador = operatorCode;
    context.dataLogin = QDate(2026, 3, 10);
    context.configDir = configDir;
    setWorkingContext(context);
}

void fillAndConfirm(QDialog& dialog)
{
    auto& d = static_cast<TfrmFiltroTeste&>(dialog);
    d.chbPendente->setChecked(false);
    d.chbCancelado->setChecked(true);
    d.rbtLista->setChecked(true);
    d.edtOrdem->setText(QStringLiteral("OC-778"));
    d.edtSenha->setText(QStringLiteral("segredo"));
    d.depDe->setDate(QDate(2026, 2, 28));
    d.nedValor->setValue(1234.5);
    d.dteAte->setDate(QDate(2026, 3, 31));
    d.stCliente = QStringLiteral("000123_000456");
    d.sbtConfirma->click();
}

// Runs the dialog once, filled in and confirmed: its options are saved.
void saveFilledOptions(ScriptedHost& scripted)
{
    scripted.expectDialog(QStringLiteral("TfrmFiltroTeste"), fillAndConfirm);
    TfrmFiltroTeste dialog;
    QCOMPARE(host().execModal(dialog), int(QDialog::Accepted));
}

struct Snapshot {
    bool pendente, cancelado, lista;
    QString ordem, senha, cliente;
    QDate de, ate;
    double valor;
};

Snapshot openAndRead(ScriptedHost& scripted, int* result = nullptr)
{
    Snapshot seen{};
    scripted.expectDialog(QStringLiteral("TfrmFiltroTeste"), [&](QDialog& dialog) {
        auto& d = static_cast<TfrmFiltroTeste&>(dialog);
        seen = {d.chbPendente->isChecked(), d.chbCancelado->isChecked(), d.rbtLista->isChecked(), d.edtOrdem->text(),
                d.edtSenha->text(), d.stCliente, d.depDe->date(), d.dteAte->date(), d.nedValor->value()};
        d.sbtCancela->click();
    });
    TfrmFiltroTeste dialog;
    const int answer = host().execModal(dialog);
    if (result)
        *result = answer;
    return seen;
}

} // namespace

class TstFiltroPadrao : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        configDir = std::make_unique<QTemporaryDir>();
        QVERIFY(configDir->isValid());
        setOperator(QStringLiteral("DEMO"), configDir->path());
        scripted = std::make_unique<ScriptedHost>();
    }

    void cleanup()
    {
        PED_VERIFY_HOST(*scripted);
        scripted.reset();
        clearWorkingContext();
    }

    void confirmedOptionsComeBack()
    {
        saveFilledOptions(*scripted);
        const Snapshot seen = openAndRead(*scripted);

        QCOMPARE(seen.pendente, false);
        QCOMPARE(seen.cancelado, true);
        QCOMPARE(seen.lista, true);
        QCOMPARE(seen.ordem, QStringLiteral("OC-778"));
        QCOMPARE(seen.de, QDate(2026, 2, 28));
        QCOMPARE(seen.ate, QDate(2026, 3, 31));
        QCOMPARE(seen.valor, 1234.5);
        QCOMPARE(seen.cliente, QStringLiteral("000123_000456"));
    }

    void passwordsAreNeverSaved()
    {
        saveFilledOptions(*scripted);
        QFile file(TfrmFiltroTeste().optionsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("segredo"));
        QCOMPARE(openAndRead(*scripted).senha, QString());
    }

    void notSavedWhenNotConfirmed_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("cancelled") << false;
        QTest::newRow("confirmation refused") << true;
    }

    void notSavedWhenNotConfirmed()
    {
        QFETCH(bool, refused);
        scripted->expectDialog(QStringLiteral("TfrmFiltroTeste"), [&](QDialog& dialog) {
            auto& d = static_cast<TfrmFiltroTeste&>(dialog);
            d.refuse = refused;
            d.edtOrdem->setText(QStringLiteral("OC-1"));
            d.chbPendente->setChecked(false);
            if (refused) {
                d.sbtConfirma->click();
                QVERIFY(d.isVisible());
            }
            d.sbtCancela->click();
        });
        TfrmFiltroTeste dialog;
        QCOMPARE(host().execModal(dialog), int(QDialog::Rejected));
        QVERIFY(!dialog.hasSavedOptions());
        QCOMPARE(scripted->hasMessage(QStringLiteral("Cliente deve ser informado.")), refused);

        const Snapshot seen = openAndRead(*scripted);
        QCOMPARE(seen.ordem, QString());
        QCOMPARE(seen.pendente, true);
    }

    void eachOperatorHasOwnOptions()
    {
        saveFilledOptions(*scripted);
        setOperator(QStringLiteral("MARIA"), configDir->path());
        QCOMPARE(openAndRead(*scripted).ordem, QString());

        setOperator(QStringLiteral("DEMO"), configDir->path());
        QCOMPARE(openAndRead(*scripted).ordem, QStringLiteral("OC-778"));
    }

    // A damaged file is reported and the dialog opens with its defaults.
    void damagedFileIsReported()
    {
        {
            TfrmFiltroTeste probe;
            QFile file(probe.optionsFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{ not json");
        }
        const Snapshot seen = openAndRead(*scripted);
        QCOMPARE(seen.pendente, true);
        QCOMPARE(scripted->messageTexts(MsgType::Error).size(), 1);
        QVERIFY(scripted->messageTexts(MsgType::Error).first().contains(QStringLiteral("danificadas")));
    }

    void buttonsSaveAndLoadOnDemand()
    {
        scripted->expectDialog(QStringLiteral("TfrmFiltroTeste"), [](QDialog& dialog) {
            auto& d = static_cast<TfrmFiltroTeste&>(dialog);
            d.btfLoadOpc->click();   // nothing saved yet
            d.edtOrdem->setText(QStringLiteral("salvo"));
            d.btfSaveOpc->click();
            d.edtOrdem->setText(QStringLiteral("mudado"));
            d.btfLoadOpc->click();
            QCOMPARE(d.edtOrdem->text(), QStringLiteral("salvo"));
            d.sbtCancela->click();
        });
        TfrmFiltroTeste dialog;
        host().execModal(dialog);
        QVERIFY(scripted->hasMessage(QStringLiteral("Não há opções salvas desta tela.")));
        QVERIFY(scripted->hasMessage(QStringLiteral("Opções salvas para o operador DEMO.")));
    }

    // Writes the picture of a filter dialog when asked (PED_SCREENSHOT_DIR).
    void enterConfirms_data()
    {
        QTest::addColumn<QString>("field");      // where the focus is when Enter is pressed
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("refused");       // the dialog's own check fails
        QTest::addColumn<int>("result");
        QTest::newRow("check box") << "chbPendente" << 0 << false << int(QDialog::Accepted);
        QTest::newRow("radio button") << "rbtTodos" << 0 << false << int(QDialog::Accepted);
        QTest::newRow("line edit") << "edtOrdem" << 0 << false << int(QDialog::Accepted);
        QTest::newRow("keypad Enter on a date") << "depDe" << int(Qt::KeypadModifier) << false << int(QDialog::Accepted);
        QTest::newRow("Ctrl+Enter") << "chbCancelado" << int(Qt::ControlModifier) << false << int(QDialog::Accepted);
        QTest::newRow("refused by its check") << "chbPendente" << 0 << true << int(QDialog::Rejected);
    }

    // A filter is confirmed with Enter from wherever the clerk is in it; the
    // confirmation's own checks still run.
    void enterConfirms()
    {
        QFETCH(QString, field);
        QFETCH(int, modifiers);
        QFETCH(bool, refused);
        QFETCH(int, result);
        scripted->expectDialog(QStringLiteral("TfrmFiltroTeste"), [&](QDialog& dialog) {
            auto& d = static_cast<TfrmFiltroTeste&>(dialog);
            d.refuse = refused;
            QWidget* focus = d.findChild<QWidget*>(field);
            QVERIFY(focus);
            focus->setFocus();
            QTest::keyClick(focus, modifiers & Qt::KeypadModifier ? Qt::Key_Enter : Qt::Key_Return,
                            Qt::KeyboardModifiers(modifiers));
            if (d.isVisible())
                d.sbtCancela->click();
        });
        TfrmFiltroTeste dialog;
        QCOMPARE(host().execModal(dialog), result);
        if (refused) {
            QVERIFY(scripted->hasMessage(QStringLiteral("Cliente deve ser informado.")));
            scripted->clear();
        }
    }

    void screenshot()
    {
        const QString folder = qEnvironmentVariable("PED_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("PED_SCREENSHOT_DIR not set");
        TfrmFiltroTeste dialog;
        dialog.show();
        QCoreApplication::processEvents();
        QVERIFY(dialog.grab().save(folder + QStringLiteral("/shot_filtro.png")));
    }

private:
    std::unique_ptr<QTemporaryDir> configDir;
    std::unique_ptr<ScriptedHost> scripted;
};

QTEST_MAIN(TstFiltroPadrao)
#include "tst_filtropadrao.moc"
