#include "widgets/recordsetmodel.h"
#include "widgettestdata.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest/QTest>

enum class Change { Append, Insert, EditName, CancelInsert, Delete, Filter, IndexOrder };

class TestRecordSetModel : public QObject, private WidgetTestBed {
    Q_OBJECT

private slots:
    void init()
    {
        setUp();
        model = std::make_unique<RecordSetModel>();
        model->setDataSource(dts);
        model->setColumns(QStringList{"CDCLIENTE", "NMCLIENTE", "VRLIMITE", "DTCADASTRO"});
    }

    void cleanup()
    {
        model.reset();
        tearDown();
    }

    void staysConsistentThroughEveryKindOfChange()
    {
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->rowCount(), 5);

        cds->append();
        cds->fieldByName("CDCLIENTE").setValue(QStringLiteral("0099"));
        cds->post();
        cds->first();
        cds->edit();
        cds->fieldByName("NMCLIENTE").setValue(QStringLiteral("Outro Nome"));
        cds->post();
        cds->insert();
        cds->cancel();
        cds->last();
        cds->deleteRecord();
        cds->setFilter(QStringLiteral("IDATIVO = 'S'"));
        cds->setFiltered(true);
        QCOMPARE(model->rowCount(), 3);
        cds->setFiltered(false);
        {
            ControlsFreeze freeze(*cds);
            cds->first();
            while (!cds->eof()) {
                cds->edit();
                cds->fieldByName("IDATIVO").setValue(QStringLiteral("N"));
                cds->post();
                cds->next();
            }
        }
        QVERIFY(model->setData(model->index(1, 1), QStringLiteral("Nome pelo modelo")));
        cds->post();
        cds->close();
        QCOMPARE(model->rowCount(), 0);
        cds->createDataSet();
        QCOMPARE(model->rowCount(), 0);
    }

    void announcesExactlyWhatChanged_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("inserted");   // first row inserted, -1 none
        QTest::addColumn<int>("removed");    // first row removed, -1 none
        QTest::addColumn<int>("resets");
        QTest::addColumn<int>("changedRow"); // single-cell dataChanged expected at (row, NMCLIENTE); -1 none

        QTest::newRow("append adds one row at the end") << Change::Append << 5 << -1 << 0 << -1;
        QTest::newRow("insert adds one row before the current") << Change::Insert << 2 << -1 << 0 << -1;
        QTest::newRow("editing a field changes one cell") << Change::EditName << -1 << -1 << 0 << 2;
        QTest::newRow("cancelling an insert removes its row") << Change::CancelInsert << 2 << 2 << 0 << -1;
        QTest::newRow("delete removes one row") << Change::Delete << -1 << 2 << 0 << -1;
        QTest::newRow("a filter resets") << Change::Filter << -1 << -1 << 1 << -1;
        QTest::newRow("an order resets") << Change::IndexOrder << -1 << -1 << 1 << -1;
    }

    void announcesExactlyWhatChanged()
    {
        QFETCH(Change, change);
        QFETCH(int, inserted);
        QFETCH(int, removed);
        QFETCH(int, resets);
        QFETCH(int, changedRow);

        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        cds->setCurrentRow(2);
        QSignalSpy insertedSpy(model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removedSpy(model.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy resetSpy(model.get(), &QAbstractItemModel::modelReset);
        QSignalSpy changedSpy(model.get(), &QAbstractItemModel::dataChanged);

        switch (change) {
        case Change::Append: cds->append(); break;
        case Change::Insert: cds->insert(); break;
        case Change::EditName:
            cds->edit();
            cds->fieldByName("NMCLIENTE").setValue(QStringLiteral("Novo"));
            break;
        case Change::CancelInsert:
            cds->insert();
            cds->cancel();
            break;
        case Change::Delete: cds->deleteRecord(); break;
        case Change::Filter:
            cds->setFilter(QStringLiteral("IDATIVO = 'N'"));
            cds->setFiltered(true);
            break;
        case Change::IndexOrder: cds->setIndexFieldNames(QStringLiteral("NMCLIENTE")); break;
        }

        QCOMPARE(insertedSpy.size(), inserted < 0 ? 0 : 1);
        if (inserted >= 0) {
            QCOMPARE(insertedSpy[0][1].toInt(), inserted);
            QCOMPARE(insertedSpy[0][2].toInt(), inserted);
        }
        QCOMPARE(removedSpy.size(), removed < 0 ? 0 : 1);
        if (removed >= 0) {
            QCOMPARE(removedSpy[0][1].toInt(), removed);
            QCOMPARE(removedSpy[0][2].toInt(), removed);
        }
        QCOMPARE(resetSpy.size(), resets);
        if (changedRow >= 0) {
            bool exactCell = false;
            for (const QList<QVariant>& signal : std::as_const(changedSpy)) {
                const auto topLeft = signal[0].toModelIndex();
                const auto bottomRight = signal[1].toModelIndex();
                const auto roles = signal[2].value<QList<int>>();
                if (topLeft == model->index(changedRow, 1) && bottomRight == topLeft && roles.contains(Qt::DisplayRole))
                    exactCell = true;
                QVERIFY2(topLeft.column() == 1 && bottomRight.column() == 1, "only the edited column changes");
            }
            QVERIFY(exactCell);
            QCOMPARE(model->index(changedRow, 1).data().toString(), QStringLiteral("Novo"));
        }
    }

    void bulkWorkWithControlsDisabledIsOneReset()
    {
        auto big = makeClientes(2000);
        dts->setDataSet(big.get());
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resetSpy(model.get(), &QAbstractItemModel::modelReset);
        QSignalSpy changedSpy(model.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy insertedSpy(model.get(), &QAbstractItemModel::rowsInserted);
        {
            ControlsFreeze freeze(*big);
            for (big->first(); !big->eof(); big->next()) {
                big->edit();
                big->fieldByName("VRLIMITE").setValue(0.0);
                big->post();
            }
            big->append();
            big->fieldByName("CDCLIENTE").setValue(QStringLiteral("9999"));
            big->post();
        }
        QCOMPARE(resetSpy.size(), 1);
        QCOMPARE(changedSpy.size(), 0);
        QCOMPARE(insertedSpy.size(), 0);
        QCOMPARE(model->rowCount(), 2001);
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("0,00"));
    }

    void showsFieldTextTheBrazilianWay()
    {
        cds->fieldByName("NMCLIENTE").onGetText = [](Field& field, bool) { return field.asString().toUpper(); };
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("2.469,00"));
        QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("01/03/2026"));
        QCOMPARE(model->index(3, 1).data().toString(), QStringLiteral("JOÃO PEREIRA"));
        QCOMPARE(model->index(1, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        QCOMPARE(model->index(1, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                 Qt::AlignLeft);
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Limite"));
        // The row painted, not the current one, gives the text.
        cds->setCurrentRow(4);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("0001"));
    }

    void editsGoThroughTheDataLink_data()
    {
        QTest::addColumn<bool>("autoEdit");
        QTest::addColumn<bool>("fieldReadOnly");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("written");
        QTest::addColumn<double>("expected");

        QTest::newRow("typed value with grouping") << true << false << "2.000,50" << true << 2000.5;
        QTest::newRow("plain decimal comma") << true << false << "17,25" << true << 17.25;
        QTest::newRow("no AutoEdit refuses") << false << false << "5" << false << 2469.0;
        QTest::newRow("read-only field refuses") << true << true << "5" << false << 2469.0;
    }

    void editsGoThroughTheDataLink()
    {
        QFETCH(bool, autoEdit);
        QFETCH(bool, fieldReadOnly);
        QFETCH(QString, typed);
        QFETCH(bool, written);
        QFETCH(double, expected);

        dts->setAutoEdit(autoEdit);
        cds->fieldByName("VRLIMITE").setReadOnly(fieldReadOnly);
        const QModelIndex cell = model->index(1, 2);
        QCOMPARE(model->flags(cell).testFlag(Qt::ItemIsEditable), written);
        if (written)
            QVERIFY(model->setData(cell, typed));
        else
            model->setData(cell, typed);
        QCOMPARE(cds->currentRow(), written ? 1 : 0);
        QCOMPARE(cds->state(), written ? RecordSet::State::Edit : RecordSet::State::Browse);
        cds->setCurrentRow(1);
        QCOMPARE(cds->fieldByName("VRLIMITE").asFloat(), expected);
    }

    void calculatedColumnsFollowTheirInputs()
    {
        auto calc = std::make_unique<RecordSet>(QStringLiteral("cdsItem"));
        calc->addField(QStringLiteral("QTITEM"), FieldType::Float);
        calc->addField(QStringLiteral("VRUNIT"), FieldType::Float);
        calc->addField(QStringLiteral("VrTotal"), FieldType::Float, 0, Field::Kind::Calculated);
        calc->onCalcFields = [](RecordSet& rs) {
            rs.fieldByName("VrTotal").setValue(rs.fieldByName("QTITEM").asFloat() * rs.fieldByName("VRUNIT").asFloat());
        };
        calc->createDataSet();
        calc->append();
        calc->fieldByName("QTITEM").setValue(2.0);
        calc->fieldByName("VRUNIT").setValue(3.0);
        calc->post();
        dts->setDataSet(calc.get());
        model->setColumns(QStringList{"QTITEM", "VRUNIT", "VrTotal"});
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!model->flags(model->index(0, 2)).testFlag(Qt::ItemIsEditable));

        QSignalSpy changedSpy(model.get(), &QAbstractItemModel::dataChanged);
        QVERIFY(model->setData(model->index(0, 0), QStringLiteral("5")));
        bool totalTold = false;
        for (const QList<QVariant>& signal : std::as_const(changedSpy)) {
            if (signal[0].toModelIndex().column() <= 2 && signal[1].toModelIndex().column() >= 2)
                totalTold = true;
        }
        QVERIFY(totalTold);
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("15"));
        dts->setDataSet(nullptr);
    }

    void dataLinkTellsStateAndDataChanges()
    {
        QList<RecordSet::State> states;
        QStringList changedFields;
        dts->onStateChange = [&](DataSource& link) { states.append(link.state()); };
        dts->onDataChange = [&](DataSource&, Field* field) {
            changedFields.append(field ? field->name() : QStringLiteral("<linha>"));
        };
        cds->edit();
        cds->fieldByName("NMCLIENTE").setValue(QStringLiteral("X"));
        cds->post();
        cds->next();
        QCOMPARE(states, (QList<RecordSet::State>{RecordSet::State::Edit, RecordSet::State::Browse}));
        QVERIFY(changedFields.contains(QStringLiteral("NMCLIENTE")));
        QCOMPARE(changedFields.last(), QStringLiteral("<linha>"));

        // A failing hook is shown and stays inside the link.
        dts->onDataChange = [](DataSource&, Field*) { throw std::runtime_error("falha no gancho"); };
        cds->next();
        QVERIFY(host->hasMessage(QStringLiteral("falha no gancho")));
        host->clear();
    }

    void disabledLinkShowsNothing()
    {
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        dts->setEnabled(false);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(dts->state(), RecordSet::State::Inactive);
        QVERIFY(!dts->edit());
        dts->setEnabled(true);
        QCOMPARE(model->rowCount(), 5);
    }

private:
    std::unique_ptr<RecordSetModel> model;
};

QTEST_MAIN(TestRecordSetModel)
#include "tst_recordsetmodel.moc"
