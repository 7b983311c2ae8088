#include "messages.h"
#include "widgets/dbgrid.h"
#include "widgets/gridutils.h"
#include "widgettestdata.h"

#include "abort.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QtTest/QTest>

class TestDBGrid : public QObject, private WidgetTestBed {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useTestLook();
    }

    void init()
    {
        setUp();
        window->resize(640, 300);
        grid = add(new DBGrid(window.get()));
        grid->setObjectName(QStringLiteral("dbgCliente"));
        grid->setDataSource(dts);
        grid->addColumn(QStringLiteral("CDCLIENTE"), QString(), 70);
        grid->addColumn(QStringLiteral("NMCLIENTE"), QString(), 220);
        grid->addColumn(QStringLiteral("VRLIMITE"), QString(), 100);
        grid->addColumn(QStringLiteral("DTCADASTRO"), QString(), 100);
        // Every grid test also checks that the model stays consistent.
        new QAbstractItemModelTester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, grid);
        show();
    }

    void cleanup()
    {
        tearDown();
    }

    void typingIntoACellEditsTheRowAndWritesOnEnter()
    {
        focusCell(1, 1);
        typeText(QStringLiteral("Novo"));
        QVERIFY(grid->editorMode());
        QCOMPARE(grid->editorText(), QStringLiteral("Novo"));
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Maria Oliveira"));   // not yet written
        QCOMPARE(GridText(*grid), QStringLiteral("Novo"));
        pressKey(Qt::Key_Return);
        QVERIFY(!grid->editorMode());
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Novo"));
        QCOMPARE(cds->state(), RecordSet::State::Edit);   // Enter writes; leaving the row posts
        QVERIFY(grid->hasFocus());
    }

    void leavingTheRowPostsWhatWasTyped()
    {
        focusCell(1, 2);
        typeText(QStringLiteral("750,5"));
        pressKey(Qt::Key_Down);
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(cds->currentRow(), 2);
        QCOMPARE(grid->currentIndex().row(), 2);
        cds->setCurrentRow(1);
        QCOMPARE(cds->fieldByName("VRLIMITE").asFloat(), 750.5);
        QCOMPARE(cds->changeCount(), 1);
    }

    void aRefusedValueKeepsTheCursorAndTheText()
    {
        cds->fieldByName("NMCLIENTE").onValidate = [](Field& field) {
            if (field.asString().size() < 3)
                MensErro(QStringLiteral("Nome deve ter ao menos 3 letras."), true);
        };
        focusCell(0, 1);
        typeText(QStringLiteral("AB"));
        pressKey(Qt::Key_Tab);
        QVERIFY(host->hasMessage(QStringLiteral("Nome deve ter ao menos 3 letras.")));
        QCOMPARE(grid->selectedIndex(), 1);
        QVERIFY(grid->editorMode());
        QCOMPARE(grid->editorText(), QStringLiteral("AB"));
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("José da Silva"));
        host->clear();
    }

    void columnExitCanRefuseTheMove_data()
    {
        QTest::addColumn<bool>("byTab");
        QTest::newRow("Tab") << true;
        QTest::newRow("selected from code") << false;
    }

    void columnExitCanRefuseTheMove()
    {
        QFETCH(bool, byTab);
        int exits = 0;
        grid->onColExit = [&](DBGrid& g) {
            ++exits;
            if (g.selectedField() && g.selectedField()->name() == QLatin1String("NMCLIENTE"))
                MensErro(QStringLiteral("Nome inválido."), true);
        };
        focusCell(2, 1);
        exits = 0;
        if (byTab)
            pressKey(Qt::Key_Tab);
        else
            grid->setSelectedIndex(3);
        QCOMPARE(exits, 1);
        QCOMPARE(grid->selectedIndex(), 1);
        QCOMPARE(grid->currentIndex(), grid->model()->index(2, 1));
        QCOMPARE(cds->currentRow(), 2);
        QCOMPARE(host->messageTexts(MsgType::Error), QStringList{QStringLiteral("Nome inválido.")});
        host->clear();
    }

    void columnEnterFollowsAnAcceptedMove()
    {
        QStringList events;
        grid->onColExit = [&](DBGrid& g) { events << "exit " + g.selectedField()->name(); };
        grid->onColEnter = [&](DBGrid& g) { events << "enter " + g.selectedField()->name(); };
        grid->setSelectedIndex(0);
        focusGrid();
        events.clear();
        pressKey(Qt::Key_Tab);
        pressKey(Qt::Key_Backtab);
        QCOMPARE(events, (QStringList{"exit CDCLIENTE", "enter NMCLIENTE", "exit NMCLIENTE", "enter CDCLIENTE"}));
    }

    void columnExitCanSendTheCursorElsewhere()
    {
        int exits = 0;
        grid->onColExit = [&](DBGrid& g) {
            ++exits;
            if (g.selectedField()->name() == QLatin1String("VRLIMITE")) {
                g.setSelectedField(QStringLiteral("NMCLIENTE"));   // the field to correct
                MensErro(QStringLiteral("Limite acima do permitido."), true);
            }
        };
        focusCell(1, 2);
        exits = 0;
        pressKey(Qt::Key_Tab);
        QCOMPARE(exits, 1);
        QCOMPARE(grid->selectedIndex(), 1);
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 1));
        QVERIFY(host->hasMessage(QStringLiteral("Limite acima do permitido.")));
        host->clear();
    }

    void ellipsisButtonRaisesItsEvent()
    {
        int clicks = 0;
        QString field;
        grid->onEditButtonClick = [&](DBGrid& g) {
            ++clicks;
            field = g.selectedField()->name();
        };
        grid->column(0).setButtonStyle(DBGridColumn::ButtonStyle::Ellipsis);
        grid->setSelectedIndex(0);
        focusGrid();
        pressKey(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 1);
        QCOMPARE(field, QStringLiteral("CDCLIENTE"));

        const QRect cell = grid->visualRect(grid->currentIndex());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 4, cell.center().y()));
        QCOMPARE(clicks, 2);

        typeText(QStringLiteral("9"));   // the open editor carries the button too
        QVERIFY(grid->editorMode());
        auto* button = grid->viewport()->findChild<QToolButton*>();
        QVERIFY(button);
        button->click();
        QCOMPARE(clicks, 3);

        pressKey(Qt::Key_Escape);
        grid->setSelectedIndex(1);   // a plain column has no button
        pressKey(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 3);
        grid->setSelectedIndex(0);
        grid->setReadOnly(true);
        pressKey(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 3);
    }

    void colourNumberCellsArePaintedInTheirColour_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QColor>("expected");   // invalid: the information background

        QTest::newRow("red as text") << QVariant(QStringLiteral("255")) << QColor(255, 0, 0);
        QTest::newRow("green as text") << QVariant(QStringLiteral("32768")) << QColor(0, 128, 0);
        QTest::newRow("blue as text") << QVariant(QStringLiteral("16711680")) << QColor(0, 0, 255);
        QTest::newRow("mixed as number") << QVariant(4227327.0) << QColor(0xFF, 0x80, 0x40);
        QTest::newRow("not a number") << QVariant(QStringLiteral("verde")) << QColor();
        QTest::newRow("empty") << QVariant(QString()) << QColor();
        QTest::newRow("negative") << QVariant(QStringLiteral("-5")) << QColor();
        QTest::newRow("too large") << QVariant(QStringLiteral("99999999")) << QColor();
    }

    void colourNumberCellsArePaintedInTheirColour()
    {
        QFETCH(QVariant, stored);
        QFETCH(QColor, expected);
        RecordSet colours(QStringLiteral("cdsFaixa"));
        colours.addField(QStringLiteral("NMFAIXA"), FieldType::String, 20);
        colours.addField(QStringLiteral("VRCORRENT"), FieldType::String, 12);
        colours.createDataSet();
        colours.append();
        colours.fieldByName("NMFAIXA").setValue(QStringLiteral("Faixa"));
        colours.fieldByName("VRCORRENT").setValue(stored);
        colours.post();
        dts->setDataSet(&colours);
        grid->clearColumns();
        grid->addColumn(QStringLiteral("NMFAIXA"), QString(), 120);
        DBGridColumn& colour = grid->addColumn(QStringLiteral("VRCORRENT"), QStringLiteral("Cor"), 60);
        colour.setColorFieldName(QStringLiteral("VRCORRENT"));
        grid->setSelectedIndex(0);

        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(grid->model()->index(0, 1));
        const QColor painted = image.pixelColor(cell.center());
        const QColor want = expected.isValid() ? expected : grid->palette().color(QPalette::ToolTipBase);
        QCOMPARE(painted.rgb(), want.rgb());
        dts->setDataSet(cds.get());
    }

    void ctrlDeleteAsksBeforeDeleting_data()
    {
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("yes deletes") << MsgButton::Yes << 4;
        QTest::newRow("no keeps") << MsgButton::No << 5;
    }

    void ctrlDeleteAsksBeforeDeleting()
    {
        QFETCH(MsgButton, answer);
        QFETCH(int, rowsLeft);
        cds->setCurrentRow(1);
        focusGrid();
        host->expectQuestion(QStringLiteral("Excluir o registro?"), answer);
        pressKey(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(cds->recordCount(), rowsLeft);
        QCOMPARE(grid->model()->rowCount(), rowsLeft);
    }

    void downOnTheLastRowAppendsAndEscCancels_data()
    {
        QTest::addColumn<bool>("calculado");
        QTest::newRow("plain fields") << false;
        // Such a record set reports a typed value as a change of the row.
        QTest::newRow("with a calculated field") << true;
    }

    void downOnTheLastRowAppendsAndEscCancels()
    {
        QFETCH(bool, calculado);
        if (calculado) {
            const DataPacket dados = cds->data();
            cds->close();
            cds->addField(QStringLiteral("VRDOBRO"), FieldType::Float, 0, Field::Kind::Calculated);
            cds->onCalcFields = [](RecordSet& r) {
                r.fieldByName(QStringLiteral("VRDOBRO")).setValue(r.fieldByName(QStringLiteral("VRLIMITE")).asFloat() * 2);
            };
            cds->setData(dados);
        }
        cds->last();
        grid->setSelectedIndex(0);
        focusGrid();
        pressKey(Qt::Key_Down);
        QCOMPARE(cds->state(), RecordSet::State::Insert);
        QCOMPARE(grid->model()->rowCount(), 6);
        QCOMPARE(grid->currentIndex().row(), 5);
        pressKey(Qt::Key_Down);   // an untouched new row does not grow another
        QCOMPARE(grid->model()->rowCount(), 6);
        pressKey(Qt::Key_Escape);
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(grid->model()->rowCount(), 5);
        QCOMPARE(grid->currentIndex().row(), cds->currentRow());

        pressKey(Qt::Key_Down);
        typeText(QStringLiteral("0077"));
        pressKey(Qt::Key_Up);
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(cds->recordCount(), 6);
        QVERIFY(cds->locate(QStringLiteral("CDCLIENTE"), QStringLiteral("0077")));
    }

    // A check that refuses the post and puts the cursor on the column to
    // correct runs once, and the cursor stays on the row it refused.
    void refusedPostKeepsTheRowAndTheColumnAsked()
    {
        int posts = 0;
        cds->beforePost = [&](RecordSet&) {
            ++posts;
            grid->setSelectedField(QStringLiteral("VRLIMITE"));
            throw Abort();
        };
        cds->setCurrentRow(2);
        grid->setSelectedIndex(0);
        focusGrid();
        cds->edit();
        cds->fieldByName("NMCLIENTE").setValue(QStringLiteral("Outro nome"));
        pressKey(Qt::Key_Up);
        QCOMPARE(posts, 1);
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        QCOMPARE(cds->currentRow(), 2);
        QCOMPARE(grid->currentIndex().row(), 2);
        QCOMPARE(grid->selectedField()->name(), QStringLiteral("VRLIMITE"));
        cds->beforePost = nullptr;
        cds->cancel();
    }

    void leavingAnUntouchedNewRowDropsIt()
    {
        cds->setCurrentRow(2);
        focusGrid();
        pressKey(Qt::Key_Insert);
        QCOMPARE(cds->state(), RecordSet::State::Insert);
        QCOMPARE(cds->recordCount(), 6);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(4, 1)).center());
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(cds->recordCount(), 5);
        QCOMPARE(cds->changeCount(), 0);
        // The row clicked, wherever it stands once the new row is gone.
        QCOMPARE(cds->fieldByName("CDCLIENTE").asString(), QStringLiteral("0004"));
        QCOMPARE(grid->currentIndex().row(), cds->currentRow());
    }

    void keyHandlersDropAndChangeKeys()
    {
        grid->onKeyPress = [](DBGrid& g, QChar& key) {
            const QString field = g.selectedField()->name();
            if (field == QLatin1String("VRLIMITE") && (key == QLatin1Char('-') || key == QLatin1Char('e')))
                key = QChar();
            if (field == QLatin1String("CDCLIENTE"))
                key = key.toUpper();
        };
        int enters = 0;
        grid->onKeyDown = [&](DBGrid&, int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_F5) {
                ++enters;
                key = 0;
            }
        };
        focusCell(0, 2);
        typeText(QStringLiteral("-1e2"));
        QCOMPARE(grid->editorText(), QStringLiteral("12"));
        pressKey(Qt::Key_Return);
        QCOMPARE(cds->fieldByName("VRLIMITE").asFloat(), 12.0);
        pressKey(Qt::Key_F5);
        QCOMPARE(enters, 1);

        grid->setSelectedIndex(0);
        typeText(QStringLiteral("ab"));
        QCOMPARE(grid->editorText(), QStringLiteral("AB"));
    }

    void gridAndRecordSetMoveTogether()
    {
        focusGrid();
        cds->setCurrentRow(3);
        QCOMPARE(grid->currentIndex().row(), 3);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 2)).center());
        QCOMPARE(cds->currentRow(), 1);
        QCOMPARE(grid->selectedIndex(), 2);
        QCOMPARE(grid->selectedField()->name(), QStringLiteral("VRLIMITE"));
        cds->last();
        QCOMPARE(grid->currentIndex(), grid->model()->index(4, 2));
        pressKey(Qt::Key_Up);
        QCOMPARE(cds->currentRow(), 3);
    }

    void aRefusedScrollKeepsTheGridRow()
    {
        cds->setCurrentRow(1);
        focusGrid();
        cds->beforeScroll = [](RecordSet&) { MensErro(QStringLiteral("Não pode sair deste registro."), true); };
        pressKey(Qt::Key_Down);
        QCOMPARE(cds->currentRow(), 1);
        QCOMPARE(grid->currentIndex().row(), 1);
        QVERIFY(host->hasMessage(QStringLiteral("Não pode sair deste registro.")));
        cds->beforeScroll = nullptr;
        host->clear();
    }

    void doubleClickAndTitleClickReachTheScreen()
    {
        QStringList events;
        grid->onDblClick = [&](DBGrid& g) { events << "dbl " + g.selectedField()->name(); };
        grid->onTitleClick = [&](DBGrid&, DBGridColumn& column) { events << "title " + column.fieldName(); };
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, 1)).center());
        const int section = 3;
        const QPoint title(grid->horizontalHeader()->sectionViewportPosition(section) + 10,
                           grid->horizontalHeader()->height() / 2);
        QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(events, (QStringList{"dbl NMCLIENTE", "title DTCADASTRO"}));
        QCOMPARE(cds->currentRow(), 2);
        QVERIFY(!grid->editorMode());
    }

    void pickListOffersItsChoices()
    {
        DBGridColumn& ativo = grid->addColumn(QStringLiteral("IDATIVO"), QStringLiteral("Ativo"), 60);
        ativo.setPickList(QStringList{"S", "N"});
        focusCell(1, ativo.index());
        pressKey(Qt::Key_F2);
        auto* combo = grid->viewport()->findChild<QComboBox*>();
        QVERIFY(combo);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QStringLiteral("N"));
        QCOMPARE(cds->state(), RecordSet::State::Browse);   // opening the editor changes nothing
        typeText(QStringLiteral("S"));
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        pressKey(Qt::Key_Return);
        QCOMPARE(cds->fieldByName("IDATIVO").asString(), QStringLiteral("S"));
    }

    void alwaysShowEditorOpensWithoutEditingTheRow()
    {
        grid->setOption(DBGrid::AlwaysShowEditor);
        grid->setSelectedIndex(1);
        focusGrid();
        pressKey(Qt::Key_Tab);
        QTRY_VERIFY(grid->editorMode());
        QCOMPARE(grid->selectedIndex(), 2);
        QCOMPARE(grid->editorText(), QStringLiteral("1234,5"));   // the edit text, no grouping
        QCOMPARE(cds->state(), RecordSet::State::Browse);
    }

    void enterHandledByTheScreenMovesAndWrites()
    {
        // The item grid's rule: Enter goes to the next column that takes typing.
        grid->column(2).setReadOnly(true);
        grid->onKeyDown = [](DBGrid& g, int& key, Qt::KeyboardModifiers) {
            if (key != Qt::Key_Return)
                return;
            for (int column = g.selectedIndex() + 1; column < g.columnCount(); ++column) {
                if (!g.column(column).isReadOnly()) {
                    g.setSelectedIndex(column);
                    break;
                }
            }
            key = 0;
        };
        focusCell(0, 1);
        typeText(QStringLiteral("Novo"));
        pressKey(Qt::Key_Return);
        QCOMPARE(grid->selectedIndex(), 3);
        QCOMPARE(cds->fieldByName("NMCLIENTE").asString(), QStringLiteral("Novo"));
        pressKey(Qt::Key_Return);   // the last column: stays
        QCOMPARE(grid->selectedIndex(), 3);
    }

    void gridHelpers()
    {
        QCOMPARE(IndiceCol(*grid, QStringLiteral("VRLIMITE")), 2);
        QCOMPARE(IndiceCol(*grid, QStringLiteral("vrlimite")), 2);
        QCOMPARE(IndiceCol(*grid, QStringLiteral("IDATIVO")), -1);

        DBGridColumn& created = CriaColuna(*grid, QStringLiteral("IDATIVO"), QStringLiteral("Ativo"), 40, 1);
        QCOMPARE(IndiceCol(*grid, QStringLiteral("IDATIVO")), 1);
        QCOMPARE(&CriaColuna(*grid, QStringLiteral("IDATIVO")), &created);   // never twice
        QCOMPARE(grid->columnCount(), 5);
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ativo"));
        DestroiColuna(*grid, QStringLiteral("IDATIVO"));
        DestroiColuna(*grid, QStringLiteral("IDATIVO"));
        QCOMPARE(grid->columnCount(), 4);
        QCOMPARE(IndiceCol(*grid, QStringLiteral("VRLIMITE")), 2);

        cds->setCurrentRow(1);
        grid->setSelectedIndex(2);
        QCOMPARE(GridText(*grid), QStringLiteral("2.469,00"));
        QCOMPARE(GridText(*grid, QStringLiteral("NMCLIENTE")), QStringLiteral("Maria Oliveira"));
        focusGrid();
        typeText(QStringLiteral("10"));
        QCOMPARE(GridText(*grid), QStringLiteral("10"));
        QCOMPARE(GridText(*grid, QStringLiteral("VRLIMITE")), QStringLiteral("10"));
        QCOMPARE(GridText(*grid, QStringLiteral("NMCLIENTE")), QStringLiteral("Maria Oliveira"));

        int painted = 0;
        grid->onDrawColumnCell = [&](DBGrid&, DBGridCell&) { ++painted; };
        RefreshGrid(*grid);
        grid->viewport()->grab();
        QVERIFY(painted > 0);
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 2));
    }

    void blankTextsBecomeNull()
    {
        cds->setCurrentRow(0);
        cds->edit();
        cds->fieldByName("NMCLIENTE").setValue(QStringLiteral("   "));
        cds->fieldByName("IDATIVO").setValue(QString());
        Seta_Campo_Null(*cds);
        QVERIFY(cds->fieldByName("NMCLIENTE").isNull());
        QVERIFY(cds->fieldByName("IDATIVO").isNull());
        QCOMPARE(cds->fieldByName("CDCLIENTE").asString(), QStringLiteral("0001"));
        QCOMPARE(cds->fieldByName("VRLIMITE").asFloat(), 1234.5);
        cds->cancel();
        Seta_Campo_Null(*cds);   // browsing: nothing to do, nothing refused
        QCOMPARE(cds->state(), RecordSet::State::Browse);
    }

    void childControlsFollowTheirGroup()
    {
        QGroupBox group;
        auto* edit = new QLineEdit(&group);
        auto* inner = new QWidget(&group);
        auto* deep = new QLineEdit(inner);
        deep->setEnabled(false);
        SetChildEnabled(&group, false);
        QVERIFY(!group.isEnabled());
        QVERIFY(!edit->isEnabled());
        SetChildEnabled(&group, true);
        QVERIFY(edit->isEnabled());
        QVERIFY(deep->isEnabled());
        SetChildEnabled(nullptr, true);
    }

    void screenshotOfAnItemGrid()
    {
        RecordSet items(QStringLiteral("cdsItemPedido"));
        items.addField(QStringLiteral("IDSITITEMPED"), FieldType::String, 1).setDisplayLabel(QStringLiteral("Sit."));
        items.addField(QStringLiteral("vrRentabilidade"), FieldType::String, 12).setDisplayLabel(QStringLiteral("Rent."));
        items.addField(QStringLiteral("NRITEMPED"), FieldType::String, 10).setDisplayLabel(QStringLiteral("Item"));
        items.addField(QStringLiteral("CDARVPROD"), FieldType::String, 15).setDisplayLabel(QStringLiteral("Produto"));
        items.addField(QStringLiteral("NMPRODUTO"), FieldType::String, 50).setDisplayLabel(QStringLiteral("Descrição"));
        Field& quantity = items.addField(QStringLiteral("QTITEMPED"), FieldType::Float);
        quantity.setDisplayLabel(QStringLiteral("Qtde."));
        quantity.setDisplayFormat(QStringLiteral("##0.000"));
        Field& price = items.addField(QStringLiteral("VRPREUNITPED"), FieldType::Float);
        price.setDisplayLabel(QStringLiteral("Vr. Unit."));
        price.setDisplayFormat(QStringLiteral("#,##0.00"));
        items.addField(QStringLiteral("DTENTITPED"), FieldType::Date).setDisplayLabel(QStringLiteral("Entrega"));
        DataPacket packet;
        packet.fields = items.fieldDefs();
        const QList<QVariantList> rows{
            {"1", "65280", "0000000001", "1.01.0001", "Paracetamol 500 mg cx 20 comp", 12.0, 8.9, QDate(2026, 3, 12)},
            {"2", "65535", "0000000002", "1.01.0002", "Dipirona sódica 1 g cx 10 comp", 30.0, 12.45, QDate(2026, 3, 12)},
            {"3", "255", "0000000003", "2.03.0110", "Soro fisiológico 0,9% 500 ml", 144.0, 4.3, QDate(2026, 3, 15)},
            {"5", "sem faixa", "0000000004", "3.02.0007", "Luva de procedimento M cx 100", 2.5, 1234.56, QDate(2026, 3, 20)},
            {"7", "16744448", "0000000005", "1.07.0033", "Amoxicilina 875 mg cx 14 comp", 6.0, 39.9, QDate(2026, 4, 1)},
        };
        packet.rows = rows;
        items.setData(packet);
        dts->setDataSet(&items);
        grid->clearColumns();
        grid->setColor(grid->palette().color(QPalette::ToolTipBase));
        grid->addColumn(QStringLiteral("IDSITITEMPED"), QString(), 34);
        grid->addColumn(QStringLiteral("vrRentabilidade"), QString(), 44).setColorFieldName(QStringLiteral("vrRentabilidade"));
        grid->addColumn(QStringLiteral("NRITEMPED"), QString(), 86).setReadOnly(true);
        grid->addColumn(QStringLiteral("CDARVPROD"), QString(), 90).setButtonStyle(DBGridColumn::ButtonStyle::Ellipsis);
        grid->addColumn(QStringLiteral("NMPRODUTO"), QString(), 230).setReadOnly(true);
        grid->addColumn(QStringLiteral("QTITEMPED"), QString(), 70).setTitleAlignment(Qt::AlignRight);
        grid->addColumn(QStringLiteral("VRPREUNITPED"), QString(), 80).setTitleAlignment(Qt::AlignRight);
        grid->addColumn(QStringLiteral("DTENTITPED"), QString(), 86);
        // Status colours, as the item grid paints them.
        grid->onDrawColumnCell = [](DBGrid&, DBGridCell& cell) {
            static const QHash<QString, QColor> byStatus{{"1", Qt::blue}, {"2", QColor(128, 128, 0)},
                                                         {"3", QColor(0, 128, 0)}, {"5", Qt::red},
                                                         {"7", QColor(0, 128, 128)}};
            if (!cell.selected)
                cell.foreground = byStatus.value(cell.value(QStringLiteral("IDSITITEMPED")).toString(), Qt::black);
        };
        window->resize(800, 240);
        cds->setCurrentRow(0);
        items.setCurrentRow(1);
        grid->setSelectedIndex(3);
        focusGrid();
        const QString path = saveShot(*window, QStringLiteral("shot_dbgrid.png"));
        QVERIFY(QFileInfo::exists(path));
        dts->setDataSet(cds.get());
    }

private:
    void typeText(const QString& text);
    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void focusGrid() { focus(grid, Qt::OtherFocusReason); }
    void focusCell(int row, int column)
    {
        cds->setCurrentRow(row);
        grid->setSelectedIndex(column);
        focusGrid();
    }

    DBGrid* grid = nullptr;
};

void TestDBGrid::typeText(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void TestDBGrid::pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
