#include "widgets/btnpesquisa.h"
#include "widgets/buttonflat.h"
#include "widgets/dateeditplus.h"
#include "widgets/numberedit.h"
#include "widgettestdata.h"

#include <QDialog>
#include <QPushButton>
#include <QtTest/QTest>

class TestPlainEdits : public QObject, private WidgetTestBed {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useTestLook();
    }

    void init()
    {
        setUp();
        number = add(new TNumberEdit(window.get()));
        number->setObjectName(QStringLiteral("nedValor"));
        date = add(new TDateEditPlus(window.get()));
        date->setObjectName(QStringLiteral("depData"));
        show();
    }

    void cleanup()
    {
        tearDown();
    }

    void numberTextsAreReadTheBrazilianWay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");

        QTest::newRow("decimal comma") << "12,5" << true << 12.5;
        QTest::newRow("grouping and decimals") << "1.234.567,89" << true << 1234567.89;
        QTest::newRow("grouping only") << "1.234" << true << 1234.0;
        QTest::newRow("negative") << "-3,75" << true << -3.75;
        QTest::newRow("blanks around") << "  42 " << true << 42.0;
        QTest::newRow("misplaced group dot") << "1.5" << false << 0.0;
        QTest::newRow("two commas") << "1,2,3" << false << 0.0;
        QTest::newRow("letters") << "12a" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }

    void numberTextsAreReadTheBrazilianWay()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double read = 0;
        QCOMPARE(TNumberEdit::parse(text, &read), ok);
        if (ok)
            QCOMPARE(read, value);
    }

    void numberEditShowsGroupingAndDecimals_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");

        QTest::newRow("two decimals") << 2 << 1234.5 << "1.234,50";
        QTest::newRow("rounded half away from zero") << 2 << 2.675 << "2,68";
        QTest::newRow("three decimals") << 3 << 12.0 << "12,000";
        QTest::newRow("no decimals") << 0 << 1234567.4 << "1.234.567";
        QTest::newRow("negative") << 2 << -0.5 << "-0,50";
    }

    void numberEditShowsGroupingAndDecimals()
    {
        QFETCH(int, decimals);
        QFETCH(double, value);
        QFETCH(QString, shown);
        focus(otherControl);   // while focused the edit shows no grouping
        number->setDecimals(decimals);
        number->setValue(value);
        QCOMPARE(number->text(), shown);
        QVERIFY(!number->isEmpty());
    }

    void numberEditRefusesWhatIsNotANumber()
    {
        int changes = 0;
        number->onChange = [&](TNumberEdit&) { ++changes; };
        number->setValue(10.0);
        changes = 0;
        focus(number);
        QCOMPARE(number->text(), QStringLiteral("10,00"));
        number->setText(QStringLiteral("1.5"));
        otherControl->setFocus(Qt::TabFocusReason);
        QVERIFY(host->hasMessage(QStringLiteral("'1.5' não é um número válido.")));
        QTRY_VERIFY(number->hasFocus());
        QCOMPARE(number->value(), 10.0);
        QCOMPARE(changes, 0);
        host->clear();

        number->setText(QStringLiteral("1500,256"));
        focus(otherControl);
        QCOMPARE(number->value(), 1500.26);
        QCOMPARE(number->text(), QStringLiteral("1.500,26"));
        QCOMPARE(changes, 1);

        focus(number);
        number->setText(QString());
        focus(otherControl);
        QVERIFY(number->isEmpty());
        QCOMPARE(number->value(), 0.0);
        QCOMPARE(number->text(), QString());
    }

    void numberEditTypesOnlyNumberKeys()
    {
        number->setAllowNegative(false);
        focus(number);
        number->clear();
        QTest::keyClicks(number, QStringLiteral("-1a2x,5"));
        QCOMPARE(number->text(), QStringLiteral("12,5"));
        QTest::keyClick(number, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClicks(number, QStringLiteral("0"));
        QCOMPARE(number->text(), QStringLiteral("12,5,0"));   // the keypad point types a comma
        number->setText(QStringLiteral("7,25"));
        QTest::keyClick(number, Qt::Key_Return);
        QCOMPARE(number->value(), 7.25);
    }

    void dateTextsAreReadTheBrazilianWay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");   // invalid: refused

        QTest::newRow("full") << "10/03/2026" << QDate(2026, 3, 10);
        QTest::newRow("one-digit day and month") << "1/3/2026" << QDate(2026, 3, 1);
        QTest::newRow("two-digit year") << "10/03/26" << QDate(2026, 3, 10);
        QTest::newRow("digits only") << "10032026" << QDate(2026, 3, 10);
        QTest::newRow("leap day") << "29/02/2024" << QDate(2024, 2, 29);
        QTest::newRow("no leap day") << "29/02/2025" << QDate();
        QTest::newRow("month 13") << "01/13/2026" << QDate();
        QTest::newRow("american order") << "03/31/2026" << QDate();
        QTest::newRow("ISO") << "2026-03-10" << QDate();
        QTest::newRow("letters") << "amanhã" << QDate();
    }

    void dateTextsAreReadTheBrazilianWay()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(TDateEditPlus::parse(text), date);
    }

    void dateEditAddsSlashesWhileTyping()
    {
        QList<QDate> changes;
        date->onChange = [&](TDateEditPlus& edit) { changes << edit.date(); };
        focus(date);
        QTest::keyClicks(date, QStringLiteral("10032026"));
        QCOMPARE(date->text(), QStringLiteral("10/03/2026"));
        QCOMPARE(date->date(), QDate(2026, 3, 10));
        QVERIFY(changes.isEmpty());   // "10/03/20" on the way is not a change
        focus(otherControl);
        QCOMPARE(changes, QList<QDate>{QDate(2026, 3, 10)});
        focus(date);
        date->clear();
        QTest::keyClicks(date, QStringLiteral("05/04/2026"));   // a typed slash is not doubled
        QCOMPARE(date->text(), QStringLiteral("05/04/2026"));
        date->clear();
        QTest::keyClicks(date, QStringLiteral("5a/"));
        QCOMPARE(date->text(), QStringLiteral("5/"));
    }

    void dateEditRefusesAnInvalidDateOnLeaving()
    {
        int exits = 0;
        date->onExit = [&](TDateEditPlus&) { ++exits; };
        focus(date);
        QTest::keyClicks(date, QStringLiteral("31022026"));
        otherControl->setFocus(Qt::TabFocusReason);
        QCOMPARE(host->messageTexts(MsgType::Error), QStringList{QStringLiteral("'31/02/2026' não é uma data válida.")});
        QTRY_VERIFY(date->hasFocus());
        QCOMPARE(exits, 0);
        QVERIFY(!date->hasValidDate());
        QVERIFY(!date->date().isValid());
        host->clear();

        date->setText(QStringLiteral("1/3/26"));
        focus(otherControl);
        QCOMPARE(date->text(), QStringLiteral("01/03/2026"));
        QCOMPARE(exits, 1);
    }

    void dateEditAllowsEmpty()
    {
        date->setDate(QDate(2026, 1, 2));
        QCOMPARE(date->text(), QStringLiteral("02/01/2026"));
        focus(date);
        date->setText(QStringLiteral("  /  /    "));
        focus(otherControl);
        QVERIFY(date->isEmpty());
        QVERIFY(date->hasValidDate());
        QVERIFY(date->date().isNull());
        QCOMPARE(date->text(), QString());
        date->setDate(QDate());
        QCOMPARE(date->text(), QString());
    }

    void flatButtonRunsItsHandlerGuarded()
    {
        TButtonFlat button(QStringLiteral("Confirmar"));
        QVERIFY(button.autoRaise());
        int clicks = 0;
        button.onClick = [&](TButtonFlat&) {
            ++clicks;
            throw std::runtime_error("falhou no clique");
        };
        button.click();
        QCOMPARE(clicks, 1);
        QVERIFY(host->hasMessage(QStringLiteral("falhou no clique")));
        host->clear();
    }

    void lookupButtonRunsBetweenItsEvents_data()
    {
        QTest::addColumn<bool>("cancelBefore");
        QTest::addColumn<bool>("choose");
        QTest::addColumn<QStringList>("events");

        QTest::newRow("chosen") << false << true << QStringList{"before", "after 0003"};
        QTest::newRow("cancelled by the person") << false << false << QStringList{"before"};
        QTest::newRow("cancelled before the dialog") << true << false << QStringList{"before"};
    }

    void lookupButtonRunsBetweenItsEvents()
    {
        QFETCH(bool, cancelBefore);
        QFETCH(bool, choose);
        QFETCH(QStringList, events);

        TBtnPesquisa button;
        button.setObjectName(QStringLiteral("btnCliente"));
        button.setSource(cds.get());
        button.setTitle(QStringLiteral("Cliente|Não há cliente cadastrado."));
        QStringList happened;
        button.beforePesq = [&](TBtnPesquisa&, bool& cancel) {
            happened << "before";
            cancel = cancelBefore;
        };
        button.afterPesq = [&](TBtnPesquisa&) { happened << "after " + cds->fieldByName("CDCLIENTE").asString(); };
        if (!cancelBefore) {
            host->expectDialog(QStringLiteral("TfrmPesquisa"), [&](QDialog& dialog) {
                if (!choose) {
                    dialog.findChild<QPushButton*>(QStringLiteral("btnCancelar"))->click();
                    return;
                }
                cds->setCurrentRow(2);
                dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
            });
        }
        button.click();
        QCOMPARE(happened, events);
        QCOMPARE(cds->currentRow(), choose ? 2 : 0);
    }

    void screenshotOfTheEdits()
    {
        number->setValue(1234567.891);
        date->setDate(QDate(2026, 3, 10));
        window->resize(260, 120);
        QVERIFY(QFileInfo::exists(saveShot(*window, QStringLiteral("shot_edits.png"))));
    }

private:
    TNumberEdit* number = nullptr;
    TDateEditPlus* date = nullptr;
};

QTEST_MAIN(TestPlainEdits)
#include "tst_plainedits.moc"
