// Event order, detachable handlers, state transitions and exception safety
// of the record set.

#include "abort.h"
#include "errorof.h"
#include "eventguard.h"
#include "recordset_support.h"

#include <QtTest>

#include <tuple>

namespace {

DataPacket itemPacket(int rows)
{
    DataPacket packet;
    packet.fields = {{"CDFILIAL", FieldType::String, 4},
                     {"NRPEDIDO", FieldType::String, 10},
                     {"NRITEMPED", FieldType::String, 10},
                     {"QTITEMPED", FieldType::Float, 0},
                     {"VRPREUNITPED", FieldType::Float, 0}};
    for (int i = 1; i <= rows; ++i)
        packet.rows.append(QVariantList{"0001", "0000000012", QString("%1").arg(i, 10, 10, QChar('0')), double(i), 2.5});
    return packet;
}

void defineItems(RecordSet& cds)
{
    addFieldsOf(cds, itemPacket(0));
    addItemTotal(cds);
}

// The record set's handlers by the names the event log gives them.
const QList<QPair<const char*, RecordSet::Event RecordSet::*>> eventHandlers{
    {"BeforeInsert", &RecordSet::beforeInsert}, {"AfterInsert", &RecordSet::afterInsert},
    {"OnNewRecord", &RecordSet::onNewRecord},   {"BeforeEdit", &RecordSet::beforeEdit},
    {"AfterEdit", &RecordSet::afterEdit},       {"BeforePost", &RecordSet::beforePost},
    {"AfterPost", &RecordSet::afterPost},       {"BeforeCancel", &RecordSet::beforeCancel},
    {"AfterCancel", &RecordSet::afterCancel},   {"BeforeDelete", &RecordSet::beforeDelete},
    {"AfterDelete", &RecordSet::afterDelete},   {"BeforeScroll", &RecordSet::beforeScroll},
    {"AfterScroll", &RecordSet::afterScroll},   {"BeforeOpen", &RecordSet::beforeOpen},
    {"AfterOpen", &RecordSet::afterOpen},       {"BeforeClose", &RecordSet::beforeClose},
    {"AfterClose", &RecordSet::afterClose}};

// Appends the name of every event to a log.
void recordEvents(RecordSet& cds, QStringList* log)
{
    for (const auto& [name, handler] : eventHandlers)
        cds.*handler = [log, name = name](RecordSet&) { log->append(name); };
}

// Makes the named event (any case) throw.
void failOn(RecordSet& cds, const QString& event)
{
    for (const auto& [name, handler] : eventHandlers)
        if (event.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            cds.*handler = [](RecordSet&) { throw Abort(); };
}

void setUpState(RecordSet& cds, const QString& start)
{
    if (start == "inactive")
        return;
    if (start == "empty") {
        cds.createDataSet();
        return;
    }
    cds.setData(itemPacket(3));
    if (start == "last")
        cds.last();
    if (start == "edit")
        cds.edit();
    if (start == "editChanged") {
        cds.edit();
        cds.fieldByName("QTITEMPED").setValue(7.0);
    }
    if (start == "insert")
        cds.append();
}

void runOperation(RecordSet& cds, const QString& op)
{
    if (op == "append")
        cds.append();
    else if (op == "insert")
        cds.insert();
    else if (op == "edit")
        cds.edit();
    else if (op == "post")
        cds.post();
    else if (op == "cancel")
        cds.cancel();
    else if (op == "delete")
        cds.deleteRecord();
    else if (op == "next")
        cds.next();
    else if (op == "prior")
        cds.prior();
    else if (op == "first")
        cds.first();
    else if (op == "last")
        cds.last();
    else if (op == "locateFound")
        cds.locate("NRITEMPED", QString("0000000002"));
    else if (op == "locateMissing")
        cds.locate("NRITEMPED", QString("0000000099"));
    else if (op == "setData")
        cds.setData(itemPacket(2));
    else if (op == "close")
        cds.close();
    else if (op == "emptyDataSet")
        cds.emptyDataSet();
    else if (op == "addField")
        cds.addField("NOVO", FieldType::String, 5);
    else if (op == "createDataSet")
        cds.createDataSet();
    else
        QFAIL(qPrintable("unknown operation " + op));
}

} // namespace

class TestRecordSetEvents : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        cds = std::make_unique<RecordSet>("cdsItemPedido");
        defineItems(*cds);
    }

    void eventOrder_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("expected");

        const QStringList insertSequence{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"};
        QTest::newRow("append in browse") << "browse" << "append" << insertSequence;
        QTest::newRow("insert in browse") << "browse" << "insert" << insertSequence;
        QTest::newRow("append while editing posts first")
            << "editChanged" << "append" << QStringList{"BeforePost", "AfterPost"} + insertSequence;
        QTest::newRow("edit") << "browse" << "edit" << QStringList{"BeforeEdit", "AfterEdit"};
        QTest::newRow("edit while editing") << "edit" << "edit" << QStringList{};
        QTest::newRow("post") << "editChanged" << "post" << QStringList{"BeforePost", "AfterPost"};
        QTest::newRow("post of a new row") << "insert" << "post" << QStringList{"BeforePost", "AfterPost"};
        QTest::newRow("cancel edit") << "edit" << "cancel" << QStringList{"BeforeCancel", "AfterCancel"};
        QTest::newRow("cancel insert") << "insert" << "cancel" << QStringList{"BeforeCancel", "AfterCancel"};
        QTest::newRow("cancel in browse") << "browse" << "cancel" << QStringList{};
        QTest::newRow("delete") << "browse" << "delete"
                                << QStringList{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"};
        QTest::newRow("delete while inserting cancels") << "insert" << "delete" << QStringList{"BeforeCancel", "AfterCancel"};
        QTest::newRow("next") << "browse" << "next" << QStringList{"BeforeScroll", "AfterScroll"};
        QTest::newRow("next at the last row") << "last" << "next" << QStringList{"BeforeScroll"};
        QTest::newRow("prior at the first row") << "browse" << "prior" << QStringList{"BeforeScroll"};
        QTest::newRow("first on the first row") << "browse" << "first" << QStringList{"BeforeScroll", "AfterScroll"};
        QTest::newRow("next while editing posts first")
            << "editChanged" << "next" << QStringList{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"};
        QTest::newRow("locate found") << "browse" << "locateFound" << QStringList{"BeforeScroll", "AfterScroll"};
        QTest::newRow("locate missing") << "browse" << "locateMissing" << QStringList{};
        QTest::newRow("setData on an open set")
            << "browse" << "setData" << QStringList{"BeforeClose", "AfterClose", "BeforeOpen", "AfterOpen", "AfterScroll"};
        QTest::newRow("setData on a closed set") << "inactive" << "setData"
                                                 << QStringList{"BeforeOpen", "AfterOpen", "AfterScroll"};
        QTest::newRow("close") << "browse" << "close" << QStringList{"BeforeClose", "AfterClose"};
        QTest::newRow("emptyDataSet") << "browse" << "emptyDataSet" << QStringList{};
    }

    void eventOrder()
    {
        QFETCH(QString, start);
        QFETCH(QString, operation);
        QFETCH(QStringList, expected);

        setUpState(*cds, start);
        QStringList log;
        recordEvents(*cds, &log);
        runOperation(*cds, operation);
        QCOMPARE(log, expected);
    }

    void detachedHandlerComesBackAfterException()
    {
        cds->setData(itemPacket(3));
        int scrolls = 0;
        cds->afterScroll = [&scrolls](RecordSet&) { ++scrolls; };
        try {
            EventDetach guard(cds->afterScroll);
            QVERIFY(!cds->afterScroll);
            cds->next();
            throw Abort();
        } catch (const Abort&) {
        }
        QCOMPARE(scrolls, 0);
        QVERIFY(cds->afterScroll);
        cds->next();
        QCOMPARE(scrolls, 1);

        Field& quantity = cds->fieldByName("QTITEMPED");
        int changes = 0;
        quantity.onChange = [&changes](Field&) { ++changes; };
        cds->edit();
        {
            EventDetach guard(quantity.onChange);
            quantity.setValue(9.0);
        }
        quantity.setValue(10.0);
        QCOMPARE(changes, 1);
    }

    void replacedHandlerRunsOnlyInsideScope()
    {
        cds->setData(itemPacket(3));
        QStringList log;
        cds->beforePost = [&log](RecordSet&) { log << "screen"; };
        cds->edit();
        {
            EventReplace guard(cds->beforePost, [&log](RecordSet&) { log << "bulk"; });
            cds->post();
        }
        cds->edit();
        cds->post();
        QCOMPARE(log, (QStringList{"bulk", "screen"}));
    }

    void handlerMayDetachItselfWhileRunning()
    {
        cds->setData(itemPacket(3));
        int calls = 0;
        cds->afterScroll = [&calls](RecordSet& rs) {
            ++calls;
            rs.afterScroll = nullptr;
        };
        cds->next();
        cds->next();
        QCOMPARE(calls, 1);
    }

    void transitions_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<RecordSet::State>("stateAfter");
        QTest::addColumn<int>("countAfter");

        using S = RecordSet::State;
        QTest::newRow("edit on an empty set") << "empty" << "edit" << true << S::Browse << 0;
        QTest::newRow("delete on an empty set") << "empty" << "delete" << true << S::Browse << 0;
        QTest::newRow("post in browse") << "browse" << "post" << true << S::Browse << 3;
        QTest::newRow("insert while inactive") << "inactive" << "insert" << true << S::Inactive << 0;
        QTest::newRow("append while inactive") << "inactive" << "append" << true << S::Inactive << 0;
        QTest::newRow("edit while inactive") << "inactive" << "edit" << true << S::Inactive << 0;
        QTest::newRow("next while inactive") << "inactive" << "next" << true << S::Inactive << 0;
        QTest::newRow("emptyDataSet while inactive") << "inactive" << "emptyDataSet" << true << S::Inactive << 0;
        QTest::newRow("addField while active") << "browse" << "addField" << true << S::Browse << 3;
        QTest::newRow("cancel in browse") << "browse" << "cancel" << false << S::Browse << 3;
        QTest::newRow("edit while editing") << "edit" << "edit" << false << S::Edit << 3;
        QTest::newRow("edit while inserting") << "insert" << "edit" << false << S::Insert << 4;
        QTest::newRow("append on an empty set") << "empty" << "append" << false << S::Insert << 1;
        QTest::newRow("insert") << "browse" << "insert" << false << S::Insert << 4;
        QTest::newRow("post insert") << "insert" << "post" << false << S::Browse << 4;
        QTest::newRow("cancel insert") << "insert" << "cancel" << false << S::Browse << 3;
        QTest::newRow("delete while inserting") << "insert" << "delete" << false << S::Browse << 3;
        QTest::newRow("delete while editing") << "editChanged" << "delete" << false << S::Browse << 2;
        QTest::newRow("close while editing") << "editChanged" << "close" << false << S::Inactive << 0;
        QTest::newRow("empty while inserting") << "insert" << "emptyDataSet" << false << S::Browse << 0;
        QTest::newRow("createDataSet") << "inactive" << "createDataSet" << false << S::Browse << 0;
    }

    void transitions()
    {
        QFETCH(QString, start);
        QFETCH(QString, operation);
        QFETCH(bool, refused);
        QFETCH(RecordSet::State, stateAfter);
        QFETCH(int, countAfter);

        setUpState(*cds, start);
        bool threw = false;
        try {
            runOperation(*cds, operation);
        } catch (const RecordSetError& error) {
            threw = true;
            QVERIFY2(QString::fromUtf8(error.what()).startsWith("cdsItemPedido: "), error.what());
        }
        QCOMPARE(threw, refused);
        QCOMPARE(cds->state(), stateAfter);
        QCOMPARE(cds->recordCount(), countAfter);
    }

    void unknownFieldNamesRecordSetAndField()
    {
        QVERIFY(cds->findField("VRXPTO") == nullptr);
        QVERIFY(cds->findField("qtitemped") != nullptr);
        const QString error = errorOf<RecordSetError>([&] { cds->fieldByName("VRXPTO"); });
        QVERIFY2(error.contains("cdsItemPedido") && error.contains("VRXPTO"), qPrintable(error));
    }

    void beforeEventFailureLeavesEverythingAsItWas_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("failingEvent");

        QTest::newRow("BeforeInsert") << "browse" << "append" << "beforeInsert";
        QTest::newRow("BeforeScroll of an insert") << "browse" << "insert" << "beforeScroll";
        QTest::newRow("BeforeEdit") << "browse" << "edit" << "beforeEdit";
        QTest::newRow("BeforePost of an edit") << "editChanged" << "post" << "beforePost";
        QTest::newRow("BeforePost of an insert") << "insert" << "post" << "beforePost";
        QTest::newRow("BeforeCancel") << "editChanged" << "cancel" << "beforeCancel";
        QTest::newRow("BeforeDelete") << "browse" << "delete" << "beforeDelete";
        QTest::newRow("BeforeScroll of a delete") << "browse" << "delete" << "beforeScroll";
        QTest::newRow("BeforeScroll of next") << "browse" << "next" << "beforeScroll";
        QTest::newRow("BeforeScroll of locate") << "browse" << "locateFound" << "beforeScroll";
        QTest::newRow("BeforeClose of setData") << "browse" << "setData" << "beforeClose";
        QTest::newRow("OnCalcFields of setData") << "browse" << "setData" << "onCalcFields";
        QTest::newRow("OnCalcFields of a post") << "editChanged" << "post" << "onCalcFields";
    }

    void beforeEventFailureLeavesEverythingAsItWas()
    {
        QFETCH(QString, start);
        QFETCH(QString, operation);
        QFETCH(QString, failingEvent);

        setUpState(*cds, start);
        const RecordSet::State state = cds->state();
        const int row = cds->currentRow();
        const int count = cds->recordCount();
        const QVariant quantity = cds->fieldByName("QTITEMPED").value();
        const QVariant total = cds->fieldByName("VRTOTALITEM").value();
        const QVariant sum = cds->fieldByName("VRTOTAPROD").value();
        const int changes = cds->changeCount();
        const DataPacket rows = cds->data();

        if (failingEvent == "onCalcFields")
            cds->onCalcFields = [](RecordSet& rs) {
                rs.fieldByName("VRTOTALITEM").setValue(-1.0);   // half done, then fails
                throw Abort();
            };
        else
            failOn(*cds, failingEvent);

        QVERIFY_THROWS_EXCEPTION(Abort, runOperation(*cds, operation));
        QCOMPARE(cds->state(), state);
        QCOMPARE(cds->currentRow(), row);
        QCOMPARE(cds->recordCount(), count);
        QCOMPARE(cds->fieldByName("QTITEMPED").value(), quantity);
        QCOMPARE(cds->fieldByName("VRTOTALITEM").value(), total);
        QCOMPARE(cds->fieldByName("VRTOTAPROD").value(), sum);
        QCOMPARE(cds->changeCount(), changes);
        QCOMPARE(cds->data().rows, rows.rows);
    }

    void beforePostFailureRestoresValuesItSet()
    {
        cds->setData(itemPacket(3));
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(4.0);
        cds->beforePost = [](RecordSet& rs) {
            rs.fieldByName("VRPREUNITPED").setValue(0.0);   // a check that adjusts, then refuses
            throw Abort();
        };
        QVERIFY_THROWS_EXCEPTION(Abort, cds->post());
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        QCOMPARE(cds->fieldByName("QTITEMPED").asFloat(), 4.0);
        QCOMPARE(cds->fieldByName("VRPREUNITPED").asFloat(), 2.5);
        QCOMPARE(cds->fieldByName("VRTOTALITEM").asFloat(), 10.0);
    }

    void afterEventFailureKeepsCompletedOperation_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("failingEvent");
        QTest::addColumn<RecordSet::State>("stateAfter");
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<int>("changesAfter");

        using S = RecordSet::State;
        QTest::newRow("AfterInsert") << "browse" << "append" << "afterInsert" << S::Insert << 4 << 0;
        QTest::newRow("AfterPost of an edit") << "editChanged" << "post" << "afterPost" << S::Browse << 3 << 1;
        QTest::newRow("AfterPost of an insert") << "insert" << "post" << "afterPost" << S::Browse << 4 << 1;
        QTest::newRow("AfterDelete") << "browse" << "delete" << "afterDelete" << S::Browse << 2 << 1;
        QTest::newRow("AfterEdit") << "browse" << "edit" << "afterEdit" << S::Edit << 3 << 0;
        QTest::newRow("AfterCancel") << "insert" << "cancel" << "afterCancel" << S::Browse << 3 << 0;
        QTest::newRow("AfterScroll") << "browse" << "next" << "afterScroll" << S::Browse << 3 << 0;
    }

    void afterEventFailureKeepsCompletedOperation()
    {
        QFETCH(QString, start);
        QFETCH(QString, operation);
        QFETCH(QString, failingEvent);
        QFETCH(RecordSet::State, stateAfter);
        QFETCH(int, countAfter);
        QFETCH(int, changesAfter);

        setUpState(*cds, start);
        failOn(*cds, failingEvent);

        QVERIFY_THROWS_EXCEPTION(Abort, runOperation(*cds, operation));
        QCOMPARE(cds->state(), stateAfter);
        QCOMPARE(cds->recordCount(), countAfter);
        QCOMPARE(cds->changeCount(), changesAfter);
    }

    void failingAutomaticPostStopsNavigation()
    {
        cds->setData(itemPacket(3));
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(8.0);
        cds->beforePost = [](RecordSet&) { throw Abort(); };
        int scrolls = 0;
        cds->beforeScroll = [&scrolls](RecordSet&) { ++scrolls; };
        QVERIFY_THROWS_EXCEPTION(Abort, cds->next());
        QVERIFY_THROWS_EXCEPTION(Abort, cds->append());
        QCOMPARE(scrolls, 0);
        QCOMPARE(cds->currentRow(), 0);
        QCOMPARE(cds->state(), RecordSet::State::Edit);
        QCOMPARE(cds->recordCount(), 3);
        QCOMPARE(cds->fieldByName("QTITEMPED").asFloat(), 8.0);
    }

    // A post whose after-event reads the rows again (a store that reloads
    // what it stored) still lands where the grid asked, or on the last row.
    void automaticPostThatReloadsKeepsThePosition()
    {
        for (const auto& [reloaded, asked, landed] : {std::tuple{3, 2, 2}, std::tuple{2, 2, 1}}) {
            cds->setData(itemPacket(3));
            cds->edit();
            cds->fieldByName("QTITEMPED").setValue(8.0);
            cds->afterPost = [reloaded = reloaded](RecordSet& rs) { rs.setData(itemPacket(reloaded)); };
            cds->setCurrentRow(asked);
            QCOMPARE(cds->currentRow(), landed);
            QCOMPARE(cds->state(), RecordSet::State::Browse);
            cds->afterPost = nullptr;
        }
    }

    void failingValidationKeepsOldValue()
    {
        cds->setData(itemPacket(3));
        Field& quantity = cds->fieldByName("QTITEMPED");
        quantity.onValidate = [](Field& field) {
            if (field.asFloat() <= 0)
                throw RecordSetError("Quantidade deve ser maior que zero.");
        };
        int changes = 0;
        quantity.onChange = [&changes](Field&) { ++changes; };
        cds->edit();
        QVERIFY_THROWS_EXCEPTION(RecordSetError, quantity.setValue(-1.0));
        QCOMPARE(quantity.asFloat(), 1.0);
        QCOMPARE(changes, 0);
        quantity.setText("3");
        QCOMPARE(quantity.asFloat(), 3.0);
        QCOMPARE(cds->fieldByName("VRTOTALITEM").asFloat(), 7.5);
        QCOMPARE(changes, 1);

        cds->onCalcFields = [](RecordSet&) { throw Abort(); };
        QVERIFY_THROWS_EXCEPTION(Abort, quantity.setValue(5.0));
        QCOMPARE(quantity.asFloat(), 3.0);
        QCOMPARE(cds->fieldByName("VRTOTALITEM").asFloat(), 7.5);
    }

    void requiredFieldRefusesPost()
    {
        cds->fieldByName("CDFILIAL").setRequired(true);
        cds->fieldByName("CDFILIAL").setDisplayLabel("Filial");
        cds->createDataSet();
        cds->append();
        const QString error = errorOf<RecordSetError>([&] { cds->post(); });
        QVERIFY2(error.contains("Filial"), qPrintable(error));
        QCOMPARE(cds->state(), RecordSet::State::Insert);
        cds->fieldByName("CDFILIAL").setValue("0001");
        cds->post();
        QCOMPARE(cds->changeCount(), 1);
    }

    void onNewRecordFailureRemovesNewRow()
    {
        cds->setData(itemPacket(3));
        cds->next();
        const Bookmark before = cds->bookmark();
        QSignalSpy removed(cds.get(), &RecordSet::rowsRemoved);
        cds->onNewRecord = [](RecordSet& rs) {
            rs.fieldByName("CDFILIAL").setValue("0001");
            throw Abort();
        };
        QVERIFY_THROWS_EXCEPTION(Abort, cds->insert());
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(cds->recordCount(), 3);
        QCOMPARE(cds->bookmark(), before);
        QCOMPARE(cds->currentRow(), 1);
        QCOMPARE(removed.count(), 1);
    }

private:
    std::unique_ptr<RecordSet> cds;   // the items' fields, closed, afresh for each test
};

QTEST_GUILESS_MAIN(TestRecordSetEvents)
#include "tst_recordset_events.moc"
