// Change log, deltas, aggregates and view notifications of the record set.

#include "eventguard.h"
#include "recordset_support.h"

#include <QAbstractItemModelTester>
#include <QAbstractTableModel>
#include <QRandomGenerator>
#include <QtTest>

namespace {

DataPacket itemsPacket()
{
    DataPacket packet;
    packet.fields = {{"NRITEMPED", FieldType::String, 10},
                     {"QTITEMPED", FieldType::Float, 0},
                     {"VRPREUNITPED", FieldType::Float, 0},
                     {"VRDESITPED", FieldType::Float, 0},
                     {"PERDESC", FieldType::Float, 0}};
    packet.rows = {{"0000000001", 10.0, 12.5, 1.0, 0.8},
                   {"0000000002", 3.0, 7.25, 0.0, 0.0},
                   {"0000000003", 1.0, 100.0, 5.0, 5.0}};
    return packet;
}

void defineItems(RecordSet& cds)
{
    addFieldsOf(cds, itemsPacket());
    cds.fieldByName("PERDESC").setWritesBack(false);
    addItemTotal(cds);
    cds.addAggregate("VRTOTADESCPED", "SUM(VRDESITPED)");
}

void editRow(RecordSet& cds, const QString& item, const QString& field, const QVariant& value)
{
    QVERIFY(cds.locate("NRITEMPED", item));
    cds.edit();
    cds.fieldByName(field).setValue(value);
    cds.post();
}

void appendItem(RecordSet& cds, const QString& item, double quantity, double price)
{
    cds.append();
    cds.fieldByName("NRITEMPED").setValue(item);
    cds.fieldByName("QTITEMPED").setValue(quantity);
    cds.fieldByName("VRPREUNITPED").setValue(price);
    cds.post();
}

QStringList items(RecordSet& cds)
{
    QStringList names;
    for (const QString& item : column(cds, "NRITEMPED"))
        names << item.right(1);
    return names;
}

// The least a grid model does with the record set's signals.
class RecordSetModel : public QAbstractTableModel {
public:
    explicit RecordSetModel(RecordSet& cds) : m_cds(cds)
    {
        connect(&cds, &RecordSet::rowsAboutToBeInserted, this,
                [this](int first, int last) { beginInsertRows({}, first, last); });
        connect(&cds, &RecordSet::rowsInserted, this, [this] { endInsertRows(); });
        connect(&cds, &RecordSet::rowsAboutToBeRemoved, this,
                [this](int first, int last) { beginRemoveRows({}, first, last); });
        connect(&cds, &RecordSet::rowsRemoved, this, [this] { endRemoveRows(); });
        connect(&cds, &RecordSet::aboutToReset, this, [this] { beginResetModel(); });
        connect(&cds, &RecordSet::resetDone, this, [this] { endResetModel(); });
        connect(&cds, &RecordSet::rowChanged, this, [this](int row, int field) {
            emit dataChanged(index(row, field < 0 ? 0 : field), index(row, field < 0 ? columnCount() - 1 : field));
        });
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_cds.recordCount(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_cds.fieldCount(); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || index.row() >= m_cds.recordCount())
            return {};
        return m_cds.displayText(index.row(), index.column());
    }

private:
    RecordSet& m_cds;
};

} // namespace

class TestRecordSetChangeLog : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        cds = std::make_unique<RecordSet>("cdsItemPedido");
        defineItems(*cds);
        cds->setData(itemsPacket());
    }

    void noChangesMeansNoDelta()
    {
        QVERIFY(!cds->delta().has_value());
        QCOMPARE(cds->changeCount(), 0);
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(99.0);
        QVERIFY(!cds->delta().has_value());   // not posted yet
        cds->cancel();
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(10.0);   // what it holds: a post that changes nothing
        cds->post();
        cds->edit();
        cds->post();
        QCOMPARE(cds->changeCount(), 0);
        QVERIFY(!cds->delta().has_value());
    }

    void deltaListsEachChangedRowOnce()
    {
        editRow(*cds, "0000000002", "QTITEMPED", 4.0);
        editRow(*cds, "0000000002", "VRDESITPED", 2.0);
        editRow(*cds, "0000000001", "PERDESC", 9.0);
        QVERIFY(cds->locate("NRITEMPED", QString("0000000003")));
        cds->deleteRecord();
        appendItem(*cds, "0000000004", 2, 3);

        const std::optional<Delta> delta = cds->delta();
        QVERIFY(delta.has_value());
        QCOMPARE(cds->changeCount(), 5);
        QCOMPARE(delta->fields.size(), 4);   // PERDESC does not write back
        QCOMPARE(delta->indexOf("PERDESC"), -1);
        QCOMPARE(delta->changes.size(), 4);

        const RowChange& update = delta->changes.at(0);
        QCOMPARE(update.op, ChangeOp::Update);
        QCOMPARE(update.oldValues, (QVariantList{"0000000002", 3.0, 7.25, 0.0}));
        QCOMPARE(update.newValues, (QVariantList{"0000000002", 4.0, 7.25, 2.0}));
        QCOMPARE(delta->changes.at(1).op, ChangeOp::Update);   // only PERDESC changed: old equals new
        QCOMPARE(delta->changes.at(1).oldValues, delta->changes.at(1).newValues);
        QCOMPARE(delta->changes.at(2).op, ChangeOp::Delete);
        QCOMPARE(delta->changes.at(2).oldValues, (QVariantList{"0000000003", 1.0, 100.0, 5.0}));
        QCOMPARE(delta->changes.at(3).op, ChangeOp::Insert);
        QCOMPARE(delta->changes.at(3).newValues, (QVariantList{"0000000004", 2.0, 3.0, QVariant()}));
    }

    void insertedRowStaysOneInsertUntilDeleted()
    {
        appendItem(*cds, "0000000004", 2, 3);
        editRow(*cds, "0000000004", "QTITEMPED", 6.0);
        const std::optional<Delta> delta = cds->delta();
        QCOMPARE(delta->changes.size(), 1);
        QCOMPARE(delta->changes.at(0).op, ChangeOp::Insert);
        QCOMPARE(delta->changes.at(0).newValues.at(1), QVariant(6.0));
        QCOMPARE(cds->changeCount(), 2);
        cds->deleteRecord();   // leaves no trace
        QVERIFY(!cds->delta().has_value());
        QCOMPARE(cds->changeCount(), 0);
        QVERIFY(!cds->undoLastChange(true));
    }

    void deltaRoundTripsThroughJson()
    {
        RecordSet cds("cdsItemPedido");
        defineItems(cds);
        cds.addField("DTENTITPED", FieldType::DateTime);
        cds.addField("IDITPEDDIFER", FieldType::String, 1);
        DataPacket packet = itemsPacket();
        packet.fields.append({"DTENTITPED", FieldType::DateTime, 0});
        packet.fields.append({"IDITPEDDIFER", FieldType::String, 1});
        for (QVariantList& row : packet.rows)
            row << QDateTime(QDate(2026, 3, 10), QTime(14, 30)) << "N";
        cds.setData(packet);
        editRow(cds, "0000000001", "DTENTITPED", QDateTime(QDate(2026, 4, 1), QTime(9, 0)));
        editRow(cds, "0000000002", "IDITPEDDIFER", "O");
        cds.deleteRecord();
        appendItem(cds, "0000000009", 1.5, 0.1);

        const Delta delta = *cds.delta();
        const Delta back = Delta::fromJson(delta.toJson());
        QCOMPARE(back.fields, delta.fields);
        QCOMPARE(back.changes.size(), delta.changes.size());
        for (qsizetype i = 0; i < delta.changes.size(); ++i) {
            QCOMPARE(back.changes.at(i).op, delta.changes.at(i).op);
            QCOMPARE(back.changes.at(i).oldValues, delta.changes.at(i).oldValues);
            QCOMPARE(back.changes.at(i).newValues, delta.changes.at(i).newValues);
        }
    }

    void mergeAcceptsChanges()
    {
        editRow(*cds, "0000000002", "QTITEMPED", 4.0);
        cds->deleteRecord();
        appendItem(*cds, "0000000004", 2, 3);
        cds->mergeChangeLog();
        QVERIFY(!cds->delta().has_value());
        QCOMPARE(cds->changeCount(), 0);
        QCOMPARE(items(*cds), (QStringList{"1", "3", "4"}));
        QCOMPARE(cds->updateStatus(), RecordSet::UpdateStatus::Unmodified);
        cds->cancelUpdates();
        QCOMPARE(items(*cds), (QStringList{"1", "3", "4"}));
    }

    void cancelUpdatesRestoresOriginals()
    {
        const DataPacket original = cds->data();
        const QVariant sum = cds->fieldByName("VRTOTAPROD").value();
        editRow(*cds, "0000000002", "QTITEMPED", 4.0);
        editRow(*cds, "0000000002", "QTITEMPED", 5.0);
        cds->first();
        cds->deleteRecord();
        appendItem(*cds, "0000000004", 2, 3);
        QVERIFY(cds->locate("NRITEMPED", QString("0000000003")));
        cds->deleteRecord();
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(77.0);   // pending: cancelled first

        cds->cancelUpdates();
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(cds->data().rows, original.rows);
        QCOMPARE(cds->fieldByName("VRTOTAPROD").value(), sum);
        QVERIFY(!cds->delta().has_value());
    }

    void undoLastChangeStepByStep()
    {
        editRow(*cds, "0000000001", "QTITEMPED", 20.0);
        cds->next();
        cds->deleteRecord();
        appendItem(*cds, "0000000004", 2, 3);
        QCOMPARE(items(*cds), (QStringList{"1", "3", "4"}));

        QVERIFY(cds->undoLastChange(false));
        QCOMPARE(items(*cds), (QStringList{"1", "3"}));
        QVERIFY(cds->undoLastChange(false));
        QCOMPARE(items(*cds), (QStringList{"1", "2", "3"}));   // back in its place
        QCOMPARE(cds->value(0, cds->fieldIndex("QTITEMPED")).toDouble(), 20.0);
        QVERIFY(cds->undoLastChange(false));
        QCOMPARE(cds->value(0, cds->fieldIndex("QTITEMPED")).toDouble(), 10.0);
        QVERIFY(!cds->undoLastChange(false));
        QVERIFY(!cds->delta().has_value());
        QCOMPARE(cds->fieldByName("VRTOTAPROD").asFloat(), 10 * 12.5 + 3 * 7.25 + 100.0);
    }

    void undoFollowChangeMovesCursor()
    {
        editRow(*cds, "0000000003", "QTITEMPED", 2.0);
        cds->first();
        QVERIFY(cds->undoLastChange(true));
        QCOMPARE(cds->recNo(), 3);
        editRow(*cds, "0000000003", "QTITEMPED", 2.0);
        cds->first();
        QVERIFY(cds->undoLastChange(false));
        QCOMPARE(cds->recNo(), 1);
    }

    void revertRecord()
    {
        editRow(*cds, "0000000002", "QTITEMPED", 4.0);
        editRow(*cds, "0000000001", "QTITEMPED", 11.0);
        editRow(*cds, "0000000002", "VRDESITPED", 1.0);
        cds->revertRecord();
        QCOMPARE(cds->fieldByName("QTITEMPED").asFloat(), 3.0);
        QVERIFY(cds->fieldByName("VRDESITPED").asFloat() == 0.0);
        QCOMPARE(cds->changeCount(), 1);
        QCOMPARE(cds->delta()->changes.size(), 1);
        appendItem(*cds, "0000000004", 2, 3);
        cds->revertRecord();
        QCOMPARE(cds->recordCount(), 3);
        QCOMPARE(cds->changeCount(), 1);
    }

    void changeQueries()
    {
        editRow(*cds, "0000000002", "QTITEMPED", 4.0);
        QCOMPARE(cds->updateStatus(), RecordSet::UpdateStatus::Modified);
        QVERIFY(cds->isModified(1));
        QVERIFY(!cds->isModified(0));
        QCOMPARE(cds->changedFields(1), QStringList{"QTITEMPED"});
        cds->append();
        QCOMPARE(cds->updateStatus(), RecordSet::UpdateStatus::Inserted);
        QVERIFY(cds->isInserted(3));
        cds->fieldByName("NRITEMPED").setValue("0000000004");
        cds->post();
        QCOMPARE(cds->changedFields(3), QStringList{"NRITEMPED"});
        QVERIFY(!cds->isInserted(0));
        QVERIFY(cds->changedFields(0).isEmpty());
    }

    void aggregatesFollowEveryChange_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("discount");

        const double total = 10 * 12.5 + 3 * 7.25 + 100.0;   // 246.75
        QTest::newRow("loaded") << "none" << total << 6.0;
        QTest::newRow("insert") << "insert" << total + 2 * 3.3 << 6.5;
        QTest::newRow("edit") << "edit" << total - 100.0 + 4 * 100.0 << 6.0;
        QTest::newRow("delete") << "delete" << total - 125.0 << 5.0;
        QTest::newRow("cancelled edit") << "cancel" << total << 6.0;
        QTest::newRow("cancelled insert") << "cancelInsert" << total << 6.0;
        QTest::newRow("undone edit") << "undo" << total << 6.0;
        QTest::newRow("undone delete") << "undoDelete" << total << 6.0;
        QTest::newRow("emptied") << "empty" << -1.0 << -1.0;
        QTest::newRow("reloaded") << "reload" << total << 6.0;
    }

    void aggregatesFollowEveryChange()
    {
        QFETCH(QString, operation);
        QFETCH(double, total);
        QFETCH(double, discount);

        QSignalSpy changed(cds.get(), &RecordSet::aggregatesChanged);
        if (operation == "insert") {
            appendItem(*cds, "0000000004", 2, 3.3);
            cds->edit();
            cds->fieldByName("VRDESITPED").setValue(0.5);
            cds->post();
        } else if (operation == "edit") {
            editRow(*cds, "0000000003", "QTITEMPED", 4.0);
        } else if (operation == "delete") {
            cds->deleteRecord();
        } else if (operation == "cancel") {
            cds->edit();
            cds->fieldByName("QTITEMPED").setValue(50.0);
            cds->cancel();
        } else if (operation == "cancelInsert") {
            cds->append();
            cds->fieldByName("QTITEMPED").setValue(50.0);
            cds->fieldByName("VRPREUNITPED").setValue(50.0);
            cds->cancel();
        } else if (operation == "undo") {
            editRow(*cds, "0000000003", "QTITEMPED", 4.0);
            cds->undoLastChange(false);
        } else if (operation == "undoDelete") {
            cds->deleteRecord();
            cds->undoLastChange(false);
        } else if (operation == "empty") {
            cds->emptyDataSet();
        } else if (operation == "reload") {
            cds->emptyDataSet();
            cds->setData(itemsPacket());
        }
        if (total < 0) {
            QVERIFY(cds->fieldByName("VRTOTAPROD").isNull());
            QVERIFY(cds->fieldByName("VRTOTADESCPED").isNull());
        } else {
            QCOMPARE(cds->fieldByName("VRTOTAPROD").asFloat(), total);
            QCOMPARE(cds->fieldByName("VRTOTADESCPED").asFloat(), discount);
        }
        if (operation != "none" && operation != "cancel" && operation != "cancelInsert")
            QVERIFY(changed.count() > 0);
    }

    void sumsDoNotDrift()
    {
        RecordSet cds("cdsItemPedido");
        defineItems(cds);
        cds.createDataSet();
        QRandomGenerator random(20260310);
        qint64 expectedCents = 0;
        ControlsFreeze freeze(cds);
        for (int i = 0; i < 3000; ++i) {
            if (cds.recordCount() > 0 && random.bounded(3) == 0) {
                cds.moveBy(random.bounded(cds.recordCount()) - cds.currentRow());
                expectedCents -= qRound64(cds.fieldByName("VRDESITPED").asFloat() * 100);
                cds.deleteRecord();
                continue;
            }
            const qint64 cents = random.bounded(1, 1000000);
            cds.append();
            cds.fieldByName("VRDESITPED").setValue(double(cents) / 100.0);
            cds.post();
            expectedCents += cents;
        }
        const double sum = cds.fieldByName("VRTOTADESCPED").asFloat();
        QCOMPARE(sum, double(expectedCents / 100) + double(expectedCents % 100) / 100.0);
        while (cds.undoLastChange(false)) {
        }
        QVERIFY(cds.fieldByName("VRTOTADESCPED").isNull());
        cds.first();
        for (int i = 0; i < 1000; ++i) {
            cds.append();
            cds.fieldByName("VRDESITPED").setValue(0.1);
            cds.post();
        }
        QCOMPARE(cds.fieldByName("VRTOTADESCPED").value().toDouble(), 100.0);   // exact, not 99.9999999999986
    }

    void minMaxCountAvg()
    {
        RecordSet cds("cdsDadosAdicPed");
        cds.addField("NRDADOADICPED", FieldType::String, 3);
        cds.addField("VALOR", FieldType::Float);
        cds.addAggregate("MAXNRDADOADICPED", "MAX(NRDADOADICPED)");
        cds.addAggregate("MENOR", "min(VALOR)");
        cds.addAggregate("QTDE", "COUNT(VALOR)");
        cds.addAggregate("LINHAS", "COUNT(*)");
        cds.addAggregate("MEDIA", "AVG(VALOR)");
        cds.createDataSet();
        QVERIFY(cds.fieldByName("MAXNRDADOADICPED").isNull());
        QCOMPARE(cds.fieldByName("LINHAS").asInteger(), 0);
        const QList<QPair<QString, QVariant>> rows{{"001", 5.0}, {"003", 2.0}, {"002", QVariant()}, {"010", 8.0}};
        for (const auto& [line, value] : rows) {
            cds.append();
            cds.fieldByName("NRDADOADICPED").setValue(line);
            cds.fieldByName("VALOR").setValue(value);
            cds.post();
        }
        QCOMPARE(cds.fieldByName("MAXNRDADOADICPED").asString(), QString("010"));
        QCOMPARE(cds.fieldByName("MENOR").asFloat(), 2.0);
        QCOMPARE(cds.fieldByName("QTDE").asInteger(), 3);
        QCOMPARE(cds.fieldByName("LINHAS").asInteger(), 4);
        QCOMPARE(cds.fieldByName("MEDIA").asFloat(), 5.0);
        QCOMPARE(cds.fieldByName("MAXNRDADOADICPED").type(), FieldType::String);

        cds.last();
        cds.deleteRecord();   // the maximum and nothing else
        QCOMPARE(cds.fieldByName("MAXNRDADOADICPED").asString(), QString("003"));
        QVERIFY(cds.locate("NRDADOADICPED", QString("003")));
        cds.edit();
        cds.fieldByName("VALOR").setValue(9.0);
        cds.post();
        QCOMPARE(cds.fieldByName("MENOR").asFloat(), 5.0);
        QCOMPARE(cds.fieldByName("MEDIA").asFloat(), 7.0);
    }

    void aggregatesCanBeSwitchedOff()
    {
        cds->setAggregatesActive(false);
        QVERIFY(cds->fieldByName("VRTOTAPROD").isNull());
        appendItem(*cds, "0000000004", 1, 1);
        cds->setAggregatesActive(true);
        QCOMPARE(cds->fieldByName("VRTOTAPROD").asFloat(), 247.75);
    }

    void badAggregatesAreRefused()
    {
        RecordSet cds("cdsItemPedido");
        cds.addField("NRITEMPED", FieldType::String, 10);
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds.addAggregate("X", "SOMA(NRITEMPED)"));
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds.addAggregate("Y", "SUM(*)"));
        cds.addAggregate("Z", "SUM(NRITEMPED)");
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds.createDataSet());
        QVERIFY(!cds.isActive());
    }

    void modelFollowsEveryChange()
    {
        RecordSet cds("cdsItemPedido");
        defineItems(cds);
        RecordSetModel model(cds);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        cds.setData(itemsPacket());
        QCOMPARE(model.rowCount(), 3);
        cds.next();
        cds.insert();
        cds.fieldByName("QTITEMPED").setValue(1.0);
        cds.post();
        appendItem(cds, "0000000005", 1, 1);
        cds.append();
        cds.cancel();
        cds.first();
        cds.deleteRecord();
        cds.setFilter("QTITEMPED > 2");
        cds.setFiltered(true);
        cds.edit();
        cds.fieldByName("QTITEMPED").setValue(0.5);   // leaves the filter on post
        cds.post();
        cds.setFiltered(false);
        cds.setIndexFieldNames("QTITEMPED");
        cds.undoLastChange(true);
        cds.setIndexFieldNames(QString());
        cds.undoLastChange(true);
        cds.revertRecord();
        cds.cancelUpdates();
        cds.emptyDataSet();
        cds.close();
        QCOMPARE(model.rowCount(), 0);
    }

    void disabledControlsSendOneReset()
    {
        RecordSetModel model(*cds);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(cds.get(), &RecordSet::resetDone);
        QSignalSpy rowSignals(cds.get(), &RecordSet::rowChanged);
        QSignalSpy inserted(cds.get(), &RecordSet::rowsInserted);
        QSignalSpy frozen(cds.get(), &RecordSet::controlsFrozen);
        QSignalSpy state(cds.get(), &RecordSet::stateChanged);

        cds->disableControls();
        for (cds->first(); !cds->eof(); cds->next()) {
            cds->edit();
            cds->fieldByName("PERDESC").setValue(10.0);
            cds->post();
        }
        appendItem(*cds, "0000000004", 1, 1);
        QCOMPARE(resets.count(), 0);
        QCOMPARE(state.count(), 0);
        cds->enableControls();

        QCOMPARE(resets.count(), 1);
        QCOMPARE(rowSignals.count(), 0);
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(state.count(), 0);   // browse before and after
        QCOMPARE(frozen.count(), 2);
        QCOMPARE(model.rowCount(), 4);

        cds->disableControls();
        cds->next();
        cds->prior();
        cds->enableControls();
        QCOMPARE(resets.count(), 1);   // nothing changed, nothing to redraw
    }

    void controlsFreezeNestsAndIsExceptionSafe()
    {
        QSignalSpy resets(cds.get(), &RecordSet::resetDone);
        try {
            ControlsFreeze outer(*cds);
            {
                ControlsFreeze inner(*cds);
                cds->deleteRecord();
            }
            QVERIFY(cds->controlsDisabled());
            QCOMPARE(resets.count(), 0);
            throw std::runtime_error("falha no meio");
        } catch (const std::runtime_error&) {
        }
        QVERIFY(!cds->controlsDisabled());
        QCOMPARE(resets.count(), 1);
    }

    void signalsOfOneInsert()
    {
        cds->next();
        QStringList log;
        connect(cds.get(), &RecordSet::rowsAboutToBeInserted, this, [&](int f, int l) { log << QString("about %1-%2").arg(f).arg(l); });
        connect(cds.get(), &RecordSet::rowsInserted, this, [&](int f, int l) { log << QString("inserted %1-%2").arg(f).arg(l); });
        connect(cds.get(), &RecordSet::stateChanged, this, [&](RecordSet::State s) { log << QString("state %1").arg(int(s)); });
        connect(cds.get(), &RecordSet::currentRowChanged, this, [&](int row) { log << QString("current %1").arg(row); });
        connect(cds.get(), &RecordSet::rowChanged, this, [&](int row, int) { log << QString("changed %1").arg(row); });
        cds->insert();
        cds->fieldByName("QTITEMPED").setValue(2.0);
        cds->post();
        QCOMPARE(log, (QStringList{"about 1-1", "inserted 1-1", "state 3", "current 1", "changed 1", "state 1", "changed 1"}));
    }

    // Random sequences of edits, undos, filters and orders; after each step the
    // sums match the rows, and the delta applied to the last accepted rows gives
    // the current rows.
    void randomOperationsKeepInvariants()
    {
        RecordSet cds("cdsItemPedido");
        cds.addField("ID", FieldType::Integer);
        cds.addField("VALOR", FieldType::Float);
        cds.addField("GRUPO", FieldType::String, 1);
        cds.addAggregate("TOTAL", "SUM(VALOR)");
        cds.addAggregate("MAIOR", "MAX(VALOR)");
        cds.createDataSet();
        RecordSetModel model(cds);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        auto rowsById = [](const DataPacket& packet) {
            QMap<qlonglong, QVariantList> rows;
            for (const QVariantList& row : packet.rows)
                rows.insert(row.at(0).toLongLong(), row);
            return rows;
        };
        QMap<qlonglong, QVariantList> accepted;
        QRandomGenerator random(1234);
        qlonglong nextId = 1;
        for (int step = 0; step < 2000; ++step) {
            const int op = int(random.bounded(14));
            const bool hasRows = cds.recordCount() > 0;
            if (hasRows)
                cds.setCurrentRow(int(random.bounded(cds.recordCount())));
            if (op <= 3) {
                op == 0 ? cds.insert() : cds.append();
                cds.fieldByName("ID").setValue(nextId++);
                cds.fieldByName("VALOR").setValue(double(random.bounded(1, 100000)) / 100.0);
                cds.fieldByName("GRUPO").setValue(random.bounded(2) ? "A" : "B");
                if (random.bounded(5) == 0)
                    cds.cancel();
                else
                    cds.post();
            } else if (op <= 6 && hasRows) {
                cds.edit();
                cds.fieldByName("VALOR").setValue(double(random.bounded(1, 100000)) / 100.0);
                if (random.bounded(3) == 0)
                    cds.fieldByName("GRUPO").setValue(random.bounded(2) ? "A" : "B");
                cds.post();
            } else if (op == 7 && hasRows) {
                cds.deleteRecord();
            } else if (op == 8) {
                cds.undoLastChange(random.bounded(2));
            } else if (op == 9 && hasRows) {
                cds.revertRecord();
            } else if (op == 10) {
                cds.setFilter(random.bounded(2) ? "GRUPO = 'A'" : "VALOR > 300");
                cds.setFiltered(!cds.isFiltered());
            } else if (op == 11) {
                cds.setIndexFieldNames(cds.indexFieldNames().isEmpty() ? "VALOR" : QString());
            } else if (op == 12 && random.bounded(10) == 0) {
                cds.mergeChangeLog();
                accepted = rowsById(cds.data());
            } else if (op == 13 && random.bounded(20) == 0) {
                cds.cancelUpdates();
                QCOMPARE(rowsById(cds.data()), accepted);
            }

            const DataPacket current = cds.data();
            double sum = 0;
            QVariant biggest;
            for (const QVariantList& row : current.rows) {
                sum += row.at(1).toDouble();
                if (!biggest.isValid() || row.at(1).toDouble() > biggest.toDouble())
                    biggest = row.at(1);
            }
            if (current.rows.isEmpty()) {
                QVERIFY(cds.fieldByName("TOTAL").isNull());
            } else {
                QCOMPARE(qRound64(cds.fieldByName("TOTAL").asFloat() * 100), qRound64(sum * 100));
                QCOMPARE(cds.fieldByName("MAIOR").value(), biggest);
            }

            QMap<qlonglong, QVariantList> replayed = accepted;
            if (const std::optional<Delta> delta = cds.delta()) {
                for (const RowChange& change : delta->changes) {
                    if (change.op == ChangeOp::Delete || change.op == ChangeOp::Update) {
                        QVERIFY(replayed.contains(change.oldValues.at(0).toLongLong()));
                        QCOMPARE(replayed.value(change.oldValues.at(0).toLongLong()), change.oldValues);
                        replayed.remove(change.oldValues.at(0).toLongLong());
                    }
                    if (change.op != ChangeOp::Delete)
                        replayed.insert(change.newValues.at(0).toLongLong(), change.newValues);
                }
            }
            QCOMPARE(replayed, rowsById(current));
        }
    }

private:
    std::unique_ptr<RecordSet> cds;   // the items, loaded afresh for each test
};

QTEST_GUILESS_MAIN(TestRecordSetChangeLog)
#include "tst_recordset_changelog.moc"
