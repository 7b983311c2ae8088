#include "messages.h"
#include "taxnumbers.h"
#include "widgets/dbedits.h"
#include "widgettestdata.h"

#include <QtTest/QTest>

class TestDBEdits : public QObject, private WidgetTestBed {
    Q_OBJECT

private slots:
    void init()
    {
        setUp();
        edit = add(new DBEdit(window.get()));
        edit->setObjectName(QStringLiteral("dbeNome"));
        edit->setDataSource(dts);
        edit->setDataField(QStringLiteral("NMCLIENTE"));
        show();
    }

    void cleanup()
    {
        tearDown();
    }

    void typingEditsTheRowAndLeavingWritesIt()
    {
        int exits = 0;
        edit->onExit = [&](DBEdit&) { ++exits; };
        focus(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Novo Nome"));
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("José da Silva"));
        focus(otherControl);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Novo Nome"));
        QCOMPARE(exits, 1);
        QVERIFY(!edit->isModified());
    }

    void enterAndTheDataLinkWriteToo_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Enter") << true;
        QTest::newRow("data link asks before a post") << false;
    }

    void enterAndTheDataLinkWriteToo()
    {
        QFETCH(bool, byEnter);
        focus(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Outro"));
        if (byEnter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            dts->updateRecord();
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Outro"));
        cds->post();
        QCOMPARE(cds->changeCount(), 1);
        QVERIFY(edit->hasFocus());
    }

    void codesAreTypedInCapitalsWithinTheFieldSize()
    {
        edit->setDataField(QStringLiteral("CDCLIENTE"));
        edit->setCharCase(CharCase::Upper);
        QCOMPARE(edit->maxLength(), 4);
        focus(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("ab12cd"));
        QCOMPARE(edit->text(), QStringLiteral("AB12"));
        focus(otherControl);
        QCOMPARE(cds->fieldByName("CDCLIENTE").asString(), QStringLiteral("AB12"));
    }

    void aRefusedValueKeepsTheFocus()
    {
        cds->fieldByName("NMCLIENTE").onValidate = [](Field& field) {
            if (field.asString().isEmpty())
                MensErro(QStringLiteral("Nome deve ser informado."), true);
        };
        int exits = 0;
        edit->onExit = [&](DBEdit&) { ++exits; };
        focus(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        otherControl->setFocus(Qt::TabFocusReason);
        QVERIFY(host->hasMessage(QStringLiteral("Nome deve ser informado.")));
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(exits, 0);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("José da Silva"));
        host->clear();
    }

    void withoutAutoEditNothingCanBeTyped()
    {
        dts->setAutoEdit(false);
        focus(edit);
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QCOMPARE(edit->text(), QStringLiteral("José da Silva"));
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        cds->edit();   // editing started elsewhere: now typing is taken
        QTest::keyClicks(edit, QStringLiteral("!"));
        QCOMPARE(edit->text(), QStringLiteral("José da Silva!"));
    }

    void escBringsBackTheStoredValue()
    {
        focus(edit);
        QTest::keyClicks(edit, QStringLiteral(" Jr."));
        QCOMPARE(edit->text(), QStringLiteral("José da Silva Jr."));
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text(), QStringLiteral("José da Silva"));
        focus(otherControl);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("José da Silva"));
    }

    void showsTheCurrentRowAndTellsChanges()
    {
        QStringList changes;
        edit->onChange = [&](DBEdit& e) { changes << e.text(); };
        cds->next();
        QCOMPARE(edit->text(), QStringLiteral("Maria Oliveira"));
        edit->setDataField(QStringLiteral("VRLIMITE"));
        QCOMPARE(edit->text(), QStringLiteral("2.469,00"));
        cds->close();
        QCOMPARE(edit->text(), QString());
        QCOMPARE(changes, (QStringList{"Maria Oliveira", "2.469,00", ""}));
    }

    void checkBoxStoresItsCodes_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("checkedBefore");
        QTest::addColumn<QString>("storedAfterClick");

        QTest::newRow("S is checked, a click stores N") << QVariant("S") << true << "N";
        QTest::newRow("N is unchecked, a click stores S") << QVariant("N") << false << "S";
        QTest::newRow("small s counts as S") << QVariant("s") << true << "N";
        QTest::newRow("null is unchecked") << QVariant() << false << "S";
        QTest::newRow("other code is unchecked") << QVariant("X") << false << "S";
    }

    void checkBoxStoresItsCodes()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, checkedBefore);
        QFETCH(QString, storedAfterClick);

        cds->edit();
        cds->fieldByName("IDATIVO").setValue(stored);
        cds->post();
        DBCheckBox box(QStringLiteral("Ativo"), window.get());
        box.setDataSource(dts);
        box.setDataField(QStringLiteral("IDATIVO"));
        int clicks = 0;
        box.onClick = [&](DBCheckBox&) { ++clicks; };
        QCOMPARE(box.isChecked(), checkedBefore);
        box.click();
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        QCOMPARE(cds->fieldByName("IDATIVO").asString(), storedAfterClick);
        QCOMPARE(box.isChecked(), storedAfterClick == QLatin1String("S"));
        QCOMPARE(clicks, 1);
        box.setDataSource(nullptr);
    }

    void textLabelAndComboBox()
    {
        DBText label(window.get());
        label.setDataSource(dts);
        label.setDataField(QStringLiteral("DTCADASTRO"));
        QCOMPARE(label.text(), QStringLiteral("01/03/2026"));
        cds->last();
        QCOMPARE(label.text(), QStringLiteral("05/03/2026"));

        DBComboBox combo(window.get());
        combo.setDataSource(dts);
        combo.setDataField(QStringLiteral("IDATIVO"));
        combo.setItems(QStringList{"Sim", "Não"}, QStringList{"S", "N"});
        QCOMPARE(combo.currentText(), QStringLiteral("Sim"));
        emit combo.activated(1);
        QCOMPARE(cds->fieldByName("IDATIVO").asString(), QStringLiteral("N"));
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        label.setDataSource(nullptr);
        combo.setDataSource(nullptr);
    }

    void memoKeepsLineBreaks()
    {
        RecordSet notes(QStringLiteral("cdsObser"));
        notes.addField(QStringLiteral("TXOBSPED"), FieldType::Memo);
        notes.createDataSet();
        DataSource dtsNotes(QStringLiteral("dtsObser"));
        dtsNotes.setDataSet(&notes);
        auto* memo = new DBRichEdit(window.get());
        window->layout()->addWidget(memo);
        memo->setDataSource(&dtsNotes);
        memo->setDataField(QStringLiteral("TXOBSPED"));
        focus(memo);
        QTest::keyClicks(memo, QStringLiteral("Entregar pela manha"));
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QStringLiteral("Portao 2"));
        QCOMPARE(notes.state(), RecordSet::State::Insert);   // an empty note starts its first row
        focus(otherControl);
        QCOMPARE(notes.fieldByName("TXOBSPED").asString(), QStringLiteral("Entregar pela manha\nPortao 2"));
        notes.post();
        QCOMPARE(memo->toPlainText(), QStringLiteral("Entregar pela manha\nPortao 2"));
        memo->setDataSource(nullptr);
    }

    void maskedCodesReadWithPunctuation_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("company") << "J" << "58811549000146" << "58.811.549/0001-46";
        QTest::newRow("person") << "F" << "52998224725" << "529.982.247-25";
        QTest::newRow("free entry has no mask") << "I" << "ISENTO" << "ISENTO";
        QTest::newRow("too short for the mask") << "J" << "5881154" << "5881154";
    }

    // Tax numbers are stored bare; the edit shows them punctuated until the
    // clerk types in it, and typing starts from the bare digits.
    void maskedCodesReadWithPunctuation()
    {
        QFETCH(QString, kind);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        cds->fieldByName("NMCLIENTE").setEditMask(PictPess(kind));
        cds->edit();
        cds->fieldByName("NMCLIENTE").setValue(stored);
        cds->post();
        QCOMPARE(edit->text(), shown);
        focus(edit);
        cds->edit();
        QCOMPARE(edit->text(), stored);
        focus(otherControl);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), stored);
    }

    // Coming into the field shows the bare digits of the same tax number:
    // that is no change of the value, typing is.
    void enteringReportsNoChange()
    {
        cds->fieldByName("NMCLIENTE").setEditMask(PictPess(QStringLiteral("J")));
        cds->edit();
        cds->fieldByName("NMCLIENTE").setValue(QStringLiteral("58811549000146"));
        QStringList changes;
        edit->onChange = [&](DBEdit& e) { changes << e.text(); };
        focus(edit);
        QCOMPARE(edit->text(), QStringLiteral("58811549000146"));
        QCOMPARE(changes, QStringList());
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(changes, QStringList{QStringLiteral("5881154900014")});
    }

private:
    DBEdit* edit = nullptr;
};

QTEST_MAIN(TestDBEdits)
#include "tst_dbedits.moc"

