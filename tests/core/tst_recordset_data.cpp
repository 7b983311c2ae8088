// Rows of a record set: navigation, bookmarks, locate, filters, order,
// copies between record sets, files, calculated fields and field texts.

#include "errorof.h"
#include "filterexpression.h"
#include "recordset_support.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Items of two orders of branch 0001 and one of branch 0002.
DataPacket itemsPacket()
{
    DataPacket packet;
    packet.fields = {{"CDFILIAL", FieldType::String, 4},       {"NRPEDIDO", FieldType::String, 10},
                     {"NRITEMPED", FieldType::String, 10},     {"QTITEMPED", FieldType::Float, 0},
                     {"VRPREUNITPED", FieldType::Float, 0},    {"VRDESITPED", FieldType::Float, 0},
                     {"IDITPEDDIFER", FieldType::String, 1},   {"DTENTITPED", FieldType::DateTime, 0}};
    auto item = [](const char* branch, const char* order, int number, double quantity, double price, QVariant discount,
                   const char* kind) {
        return QVariantList{branch, order, QString("%1").arg(number, 10, 10, QChar('0')), quantity, price, discount,
                            kind, QDateTime(QDate(2026, 3, 10), QTime(14, 30))};
    };
    packet.rows = {item("0001", "0000000012", 1, 10, 12.5, 0.0, "N"),
                   item("0001", "0000000012", 2, 3, 7.25, 1.5, "R"),
                   item("0001", "0000000013", 1, 1, 100, QVariant(), "N"),
                   item("0002", "0000000012", 1, 2, 5, 0.25, "P"),
                   item("0001", "0000000012", 3, 4, 1.1, 0.0, "O")};
    return packet;
}

void defineItems(RecordSet& cds)
{
    addFieldsOf(cds, itemsPacket());
    cds.fieldByName("QTITEMPED").setDisplayFormat("##0.000");
    cds.fieldByName("VRPREUNITPED").setDisplayFormat("###0.00");
    cds.addField("VrTotalAux", FieldType::Float, 0, Field::Kind::Calculated);
    addItemTotal(cds);
    const auto itemTotal = cds.onCalcFields;
    cds.onCalcFields = [itemTotal](RecordSet& rs) {
        itemTotal(rs);
        rs.fieldByName("VrTotalAux").setValue(rs.fieldByName("VRTOTALITEM").value());
    };
}

} // namespace

class TestRecordSetData : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        cds = std::make_unique<RecordSet>("cdsItemPedido");
        defineItems(*cds);
        cds->setData(itemsPacket());
    }

    void walkWithEofAndBof()
    {
        QStringList seen;
        for (cds->first(); !cds->eof(); cds->next())
            seen << cds->fieldByName("NRITEMPED").asString().right(1);
        QCOMPARE(seen, (QStringList{"1", "2", "1", "1", "3"}));
        QCOMPARE(cds->recNo(), 5);
        seen.clear();
        for (cds->last(); !cds->bof(); cds->prior())
            seen << cds->fieldByName("CDFILIAL").asString();
        QCOMPARE(seen, (QStringList{"0001", "0002", "0001", "0001", "0001"}));

        RecordSet empty("cdsVazio");
        defineItems(empty);
        empty.createDataSet();
        empty.first();
        QVERIFY(empty.eof() && empty.bof() && empty.isEmpty());
        QCOMPARE(empty.recNo(), 0);
        QVERIFY(empty.fieldByName("QTITEMPED").isNull());
        QCOMPARE(empty.fieldByName("QTITEMPED").text(), QString());
        QVERIFY(empty.fieldByName("VRTOTAPROD").isNull());
    }

    void moveByClampsAndReports()
    {
        QCOMPARE(cds->moveBy(3), 3);
        QCOMPARE(cds->moveBy(10), 1);
        QVERIFY(cds->eof());
        QCOMPARE(cds->moveBy(-10), -4);
        QVERIFY(cds->bof());
        QCOMPARE(cds->recNo(), 1);
    }

    void insertGoesBeforeCurrentAppendAtEnd()
    {
        cds->next();
        cds->insert();
        cds->fieldByName("NRITEMPED").setValue("X");
        cds->post();
        QCOMPARE(cds->recNo(), 2);
        cds->append();
        cds->fieldByName("NRITEMPED").setValue("Y");
        QCOMPARE(cds->recNo(), 7);
        cds->post();
        QCOMPARE(column(*cds, "NRITEMPED").at(1), QString("X"));
        QCOMPARE(column(*cds, "NRITEMPED").last(), QString("Y"));
        QCOMPARE(cds->data().rows.at(1).at(2).toString(), QString("X"));
    }

    void bookmarksSurviveOtherRowsChanging()
    {
        cds->moveBy(3);
        const Bookmark mark = cds->bookmark();
        cds->first();
        cds->deleteRecord();
        cds->insert();
        cds->post();
        cds->insert();
        cds->post();
        cds->last();
        cds->gotoBookmark(mark);
        QCOMPARE(cds->fieldByName("CDFILIAL").asString(), QString("0002"));
        QCOMPARE(cds->recNo(), 5);
        cds->setFilter("CDFILIAL = '0002'");
        cds->setFiltered(true);
        QVERIFY(cds->bookmarkValid(mark));
        cds->setFiltered(false);
        cds->setData(itemsPacket());
        QVERIFY(!cds->bookmarkValid(mark));
    }

    void bookmarkOfDeletedRowIsRefused()
    {
        cds->next();
        const Bookmark mark = cds->bookmark();
        cds->deleteRecord();
        QVERIFY(!cds->bookmarkValid(mark));
        QString error = errorOf<RecordSetError>([&] { cds->gotoBookmark(mark); });
        QVERIFY2(error.contains("excluído"), qPrintable(error));
        QVERIFY(cds->undoLastChange(false));
        QVERIFY(cds->bookmarkValid(mark));
        cds->gotoBookmark(mark);
        QCOMPARE(cds->recNo(), 2);

        cds->setFilter("CDFILIAL = '0002'");
        cds->setFiltered(true);
        error = errorOf<RecordSetError>([&] { cds->gotoBookmark(mark); });
        QVERIFY2(error.contains("filtro"), qPrintable(error));
    }

    void locateByOneOrSeveralFields_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("expectedRecNo");   // 0: not found

        QTest::newRow("three fields") << "CDFILIAL;NRPEDIDO;NRITEMPED"
                                      << QVariantList{"0001", "0000000012", "0000000002"} << 0 << 2;
        QTest::newRow("branch decides") << "CDFILIAL;NRPEDIDO;NRITEMPED"
                                        << QVariantList{"0002", "0000000012", "0000000001"} << 0 << 4;
        QTest::newRow("first of several matches") << "NRPEDIDO" << QVariantList{"0000000012"} << 0 << 1;
        QTest::newRow("missing") << "CDFILIAL;NRPEDIDO" << QVariantList{"0003", "0000000012"} << 0 << 0;
        QTest::newRow("number field given an integer") << "QTITEMPED" << QVariantList{3} << 0 << 2;
        QTest::newRow("number field given a text") << "QTITEMPED" << QVariantList{"4"} << 0 << 5;
        QTest::newRow("null value") << "VRDESITPED" << QVariantList{QVariant()} << 0 << 3;
        QTest::newRow("case matters") << "IDITPEDDIFER" << QVariantList{"r"} << 0 << 0;
        QTest::newRow("case ignored") << "IDITPEDDIFER" << QVariantList{"r"} << int(RecordSet::CaseInsensitive) << 2;
        QTest::newRow("partial key") << "NRPEDIDO;NRITEMPED" << QVariantList{"0000000013", "00000"}
                                     << int(RecordSet::PartialKey) << 3;
        QTest::newRow("longer than the field") << "CDFILIAL" << QVariantList{"00001"} << 0 << 0;
        QTest::newRow("text on a number field") << "QTITEMPED" << QVariantList{"abc"} << 0 << 0;
    }

    void locateByOneOrSeveralFields()
    {
        QFETCH(QString, keys);
        QFETCH(QVariantList, values);
        QFETCH(int, options);
        QFETCH(int, expectedRecNo);

        cds->last();
        const bool found = cds->locate(keys, values, RecordSet::LocateOptions(options));
        QCOMPARE(found, expectedRecNo > 0);
        QCOMPARE(cds->recNo(), expectedRecNo > 0 ? expectedRecNo : 5);
    }

    void locateFollowsPostedChanges()
    {
        const QString key = "CDFILIAL;NRPEDIDO;NRITEMPED";
        QVERIFY(cds->locate(key, {"0001", "0000000012", "0000000003"}));   // builds the index
        cds->edit();
        cds->fieldByName("NRITEMPED").setValue("0000000009");
        cds->post();
        QVERIFY(!cds->locate(key, {"0001", "0000000012", "0000000003"}));
        QVERIFY(cds->locate(key, {"0001", "0000000012", "0000000009"}));
        cds->append();
        cds->fieldByName("CDFILIAL").setValue("0003");
        cds->fieldByName("NRPEDIDO").setValue("0000000001");
        cds->fieldByName("NRITEMPED").setValue("0000000001");
        QVERIFY(!cds->isEmpty());
        QVERIFY(cds->locate(key, {"0003", "0000000001", "0000000001"}));   // posts first
        QCOMPARE(cds->state(), RecordSet::State::Browse);
        QCOMPARE(cds->recNo(), 6);
        cds->deleteRecord();
        QVERIFY(!cds->locate(key, {"0003", "0000000001", "0000000001"}));
        // The new row left no trace, so the undo takes back the edit before it.
        cds->undoLastChange(false);
        QVERIFY(!cds->locate(key, {"0001", "0000000012", "0000000009"}));
        QVERIFY(cds->locate(key, {"0001", "0000000012", "0000000003"}));
        cds->first();
        cds->deleteRecord();
        QVERIFY(!cds->locate(key, {"0001", "0000000012", "0000000001"}));
        cds->cancelUpdates();
        QVERIFY(cds->locate(key, {"0001", "0000000012", "0000000001"}));
        QCOMPARE(cds->recNo(), 1);
    }

    void locateSearchesOnlyVisibleRows()
    {
        cds->setFilter("CDFILIAL = '0002'");
        cds->setFiltered(true);
        QVERIFY(!cds->locate("NRPEDIDO;NRITEMPED", {"0000000012", "0000000002"}));
        QVERIFY(cds->locate("NRPEDIDO;NRITEMPED", {"0000000012", "0000000001"}));
        QCOMPARE(cds->fieldByName("CDFILIAL").asString(), QString("0002"));
    }

    void locateRejectsMismatchedValues()
    {
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds->locate("CDFILIAL;NRPEDIDO", QVariantList{"0001"}));
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds->locate("CDFILIAL;NRXPTO", {"0001", "1"}));
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds->locate("VRTOTAPROD", 1.0));
    }

    void filters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("items");   // CDFILIAL/NRPEDIDO-last digit/NRITEMPED-last digit

        QTest::newRow("no blank before AND") << "CDFILIAL = '0001'AND NRPEDIDO = '0000000012'"
                                             << QStringList{"0001/2/1", "0001/2/2", "0001/2/3"};
        QTest::newRow("parenthesised code") << "(IDITPEDDIFER = 'R')" << QStringList{"0001/2/2"};
        QTest::newRow("number above zero") << "VRDESITPED > 0" << QStringList{"0001/2/2", "0002/2/1"};
        QTest::newRow("different text") << "NRPEDIDO <> '0000000012'" << QStringList{"0001/3/1"};
        QTest::newRow("null test") << "VRDESITPED IS NULL" << QStringList{"0001/3/1"};
        QTest::newRow("on a calculated field") << "VRTOTALITEM >= 100" << QStringList{"0001/2/1", "0001/3/1"};
        QTest::newRow("or and not") << "NOT (CDFILIAL = '0001') OR IDITPEDDIFER = 'O'" << QStringList{"0002/2/1", "0001/2/3"};
        QTest::newRow("empty text shows all") << "" << QStringList{"0001/2/1", "0001/2/2", "0001/3/1", "0002/2/1", "0001/2/3"};
    }

    void filters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, items);

        cds->setFilter(filter);
        cds->setFiltered(true);
        QStringList seen;
        for (cds->first(); !cds->eof(); cds->next())
            seen << cds->fieldByName("CDFILIAL").asString() + "/" + cds->fieldByName("NRPEDIDO").asString().right(1) + "/"
                    + cds->fieldByName("NRITEMPED").asString().right(1);
        QCOMPARE(seen, items);
        QCOMPARE(cds->recordCount(), items.size());
        QCOMPARE(cds->isEmpty(), items.isEmpty());
        cds->setFiltered(false);
        QCOMPARE(cds->recordCount(), 5);
    }

    void filterErrorsKeepPreviousFilter()
    {
        cds->setFilter("CDFILIAL = '0002'");
        cds->setFiltered(true);
        try {
            cds->setFilter("CDFILIAL = '0001' AND");
            QFAIL("parsed a broken filter");
        } catch (const FilterError& error) {
            QVERIFY(error.position() > 0);
        }
        QCOMPARE(cds->filter(), QString("CDFILIAL = '0002'"));
        QCOMPARE(cds->recordCount(), 1);
    }

    void filterUnknownFieldIsRefusedOnApply()
    {
        cds->setFilter("CDXPTO = '1'");
        QVERIFY_THROWS_EXCEPTION(FilterError, cds->setFiltered(true));
        QVERIFY(!cds->isFiltered());
        QCOMPARE(cds->recordCount(), 5);
    }

    void postedRowLeavingFilterLeavesView()
    {
        cds->setFilter("NRPEDIDO = '0000000012' AND CDFILIAL = '0001'");
        cds->setFiltered(true);
        QCOMPARE(cds->recordCount(), 3);
        cds->next();
        QSignalSpy removed(cds.get(), &RecordSet::rowsRemoved);
        cds->edit();
        cds->fieldByName("CDFILIAL").setValue("0009");
        cds->post();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(cds->recordCount(), 2);
        QCOMPARE(cds->fieldByName("NRITEMPED").asString(), QString("0000000003"));

        // A new row shows until it is posted, then the filter decides.
        cds->append();
        QCOMPARE(cds->recordCount(), 3);
        cds->fieldByName("CDFILIAL").setValue("0005");
        cds->post();
        QCOMPARE(cds->recordCount(), 2);
        cds->setFiltered(false);
        QCOMPARE(cds->recordCount(), 6);
    }

    void aggregatesIgnoreFilter()
    {
        const double all = 10 * 12.5 + 3 * 7.25 + 100 + 10 + 4 * 1.1;
        QCOMPARE(cds->fieldByName("VRTOTAPROD").asFloat(), all);
        cds->setFilter("CDFILIAL = '0002'");
        cds->setFiltered(true);
        QCOMPARE(cds->fieldByName("VRTOTAPROD").asFloat(), all);
    }

    void indexFieldNamesOrderRows()
    {
        cds->setIndexFieldNames("QTITEMPED");
        QCOMPARE(column(*cds, "QTITEMPED"), (QStringList{"1", "2", "3", "4", "10"}));
        cds->locate("QTITEMPED", 3.0);
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(50.0);
        cds->post();
        QCOMPARE(column(*cds, "QTITEMPED"), (QStringList{"1", "2", "4", "10", "50"}));
        QCOMPARE(cds->recNo(), 5);
        cds->setIndexFieldNames("CDFILIAL;NRPEDIDO;NRITEMPED");
        QCOMPARE(column(*cds, "CDFILIAL"), (QStringList{"0001", "0001", "0001", "0001", "0002"}));
        QCOMPARE(cds->fieldByName("QTITEMPED").asFloat(), 50.0);
        cds->setIndexFieldNames(QString());
        QCOMPARE(column(*cds, "QTITEMPED"), (QStringList{"10", "50", "1", "2", "4"}));
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds->setIndexFieldNames("NAOEXISTE"));
    }

    void copyBetweenRecordSets()
    {
        RecordSet items("cdsItemPedido");
        defineItems(items);
        items.setData(itemsPacket());
        items.first();
        items.deleteRecord();
        items.edit();
        items.fieldByName("QTITEMPED").setValue(30.0);
        items.post();
        items.append();
        items.fieldByName("NRITEMPED").setValue("0000000004");
        items.post();
        items.edit();
        items.fieldByName("QTITEMPED").setValue(99.0);   // pending: not part of the copy

        RecordSet aux("cdsItemPedAux");
        aux.addField("NRPEDIDO", FieldType::String, 10);
        aux.addField("NRITEMPED", FieldType::String, 10);
        aux.addField("QTITEMPED", FieldType::Float);
        aux.addField("PERDESC", FieldType::Float, 0, Field::Kind::Calculated);
        aux.setData(items.data());
        QCOMPARE(aux.recordCount(), 5);
        QCOMPARE(column(aux, "NRITEMPED"), (QStringList{"0000000002", "0000000001", "0000000001", "0000000003", "0000000004"}));
        QCOMPARE(aux.fieldByName("QTITEMPED").asFloat(), 30.0);
        QCOMPARE(aux.changeCount(), 0);
        QVERIFY(!aux.delta().has_value());
        QCOMPARE(items.fieldByName("QTITEMPED").asFloat(), 99.0);
    }

    void copyRefusesMissingField()
    {
        RecordSet aux("cdsItemPedAux");
        aux.addField("NRPEDIDO", FieldType::String, 10);
        aux.addField("IDCOMP", FieldType::String, 1);
        const QString error = errorOf<RecordSetError>([&] { aux.setData(itemsPacket()); });
        QVERIFY2(error.contains("IDCOMP"), qPrintable(error));
        QVERIFY(!aux.isActive());
    }

    void packetDefinesFieldsOfUndeclaredSet()
    {
        RecordSet temp("cdsTemp");
        temp.setData(itemsPacket());
        QCOMPARE(temp.fieldCount(), 8);
        QCOMPARE(temp.fieldByName("NRPEDIDO").size(), 10);
        DataPacket other;
        other.fields = {{"DSMENSERRO", FieldType::String, 200}, {"QTPEDIDO", FieldType::Float, 0}};
        other.rows = {{"Saldo insuficiente", 3.0}};
        temp.setData(other);
        QCOMPARE(temp.fieldCount(), 2);
        QCOMPARE(temp.fieldByName("DSMENSERRO").asString(), QString("Saldo insuficiente"));
        QVERIFY(temp.findField("NRPEDIDO") == nullptr);
    }

    void packetValuesConvertToDeclaredTypes()
    {
        RecordSet params("cdsParamPedido");
        params.addField("NRMAXITNFPED", FieldType::Float);
        params.addField("NRDIASENTPED", FieldType::String, 4);
        DataPacket packet;
        packet.fields = {{"NRDIASENTPED", FieldType::String, 4}, {"NRMAXITNFPED", FieldType::Integer, 0}};
        packet.rows = {{"0010", QVariant(qlonglong(50))}};
        params.setData(packet);
        QCOMPARE(params.fieldByName("NRMAXITNFPED").value().typeId(), int(QMetaType::Double));
        QCOMPARE(params.fieldByName("NRMAXITNFPED").asFloat(), 50.0);
        QCOMPARE(params.fieldByName("NRDIASENTPED").asString(), QString("0010"));
    }

    void saveAndLoadFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Config.Cds");
        RecordSet options("cdsSalvaOpcoes");
        options.addField("CDOPERADOR", FieldType::String, 12);
        options.addField("NMPRODUTO", FieldType::Integer);
        options.addField("CDARVPROD", FieldType::Integer);
        options.createDataSet();
        options.append();
        options.fieldByName("CDOPERADOR").setValue("DEMO");
        options.fieldByName("NMPRODUTO").setValue(2);
        options.fieldByName("CDARVPROD").setValue(0);
        options.post();
        options.saveToFile(path);

        RecordSet loaded("cdsSalvaOpcoes");
        loaded.addField("CDOPERADOR", FieldType::String, 12);
        loaded.addField("NMPRODUTO", FieldType::Integer);
        loaded.addField("CDARVPROD", FieldType::Integer);
        loaded.loadFromFile(path);
        QVERIFY(loaded.locate("CDOPERADOR", "DEMO"));
        QCOMPARE(loaded.fieldByName("NMPRODUTO").asInteger(), 2);
        QCOMPARE(loaded.fieldByName("CDARVPROD").asInteger(), 0);
    }

    void loadFileFailuresAreClear()
    {
        QTemporaryDir dir;
        RecordSet options("cdsSalvaOpcoes");
        const QString error = errorOf<RecordSetError>([&] { options.loadFromFile(dir.filePath("nao-existe.cds")); });
        QVERIFY2(error.contains("nao-existe.cds"), qPrintable(error));
        QFile broken(dir.filePath("quebrado.cds"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{\"fields\": [");
        broken.close();
        QVERIFY_THROWS_EXCEPTION(RecordSetError, options.loadFromFile(broken.fileName()));
        QVERIFY(!options.isActive());
    }

    void calculatedFieldsFollowData()
    {
        QCOMPARE(cds->fieldByName("VrTotalAux").asFloat(), 125.0);
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(2.0);
        QCOMPARE(cds->fieldByName("VrTotalAux").asFloat(), 25.0);   // at once, before the post
        QCOMPARE(cds->value(0, cds->fieldIndex("VrTotalAux")).toDouble(), 25.0);
        cds->cancel();
        QCOMPARE(cds->fieldByName("VrTotalAux").asFloat(), 125.0);
        cds->append();
        QVERIFY(cds->fieldByName("VrTotalAux").asFloat() == 0.0);
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds->fieldByName("VrTotalAux").setValue(1.0));
    }

    void calculatedFieldsStayOutOfCopiesAndDeltas()
    {
        cds->edit();
        cds->fieldByName("QTITEMPED").setValue(2.0);
        cds->post();
        const DataPacket copy = cds->data();
        QCOMPARE(copy.fields.size(), 8);
        QCOMPARE(copy.indexOf("VrTotalAux"), -1);
        QCOMPARE(copy.indexOf("VRTOTALITEM"), -1);
        const std::optional<Delta> delta = cds->delta();
        QVERIFY(delta.has_value());
        QCOMPARE(delta->indexOf("VRTOTALITEM"), -1);
    }

    void formatNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");

        QTest::newRow("thousands") << 1234567.891 << "#,##0.00" << "1.234.567,89";
        QTest::newRow("half cent up") << 2.675 << "###0.00" << "2,68";
        QTest::newRow("half cent of a discount") << 10.235 << "###0.00" << "10,24";
        QTest::newRow("negative") << -1234.5 << "#,##0.00" << "-1.234,50";
        QTest::newRow("negative rounding to zero") << -0.001 << "###0.00" << "0,00";
        QTest::newRow("three decimals") << 12.0 << "##0.000" << "12,000";
        QTest::newRow("leading zero forced") << 0.5 << "0.000" << "0,500";
        QTest::newRow("optional decimals") << 0.5 << "#.##" << ",5";
        QTest::newRow("four decimals") << 12.34567 << "###0.0000" << "12,3457";
        QTest::newRow("carry into integer") << 9.999 << "###0.00" << "10,00";
        QTest::newRow("literal suffix") << 10.0 << "0.00 %" << "10,00 %";
        QTest::newRow("negative section") << -3.0 << "0.00;(0.00)" << "(3,00)";
        QTest::newRow("zero section") << 0.0 << "0.00;-0.00;zero" << "zero";
    }

    void formatNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(FieldText::formatNumber(value, mask), expected);
    }

    void parseNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("expected");

        QTest::newRow("brazilian") << "1.234,56" << true << 1234.56;
        QTest::newRow("decimal comma") << "12,5" << true << 12.5;
        QTest::newRow("decimal point") << "12.5" << true << 12.5;
        QTest::newRow("grouped thousands") << "1.234" << true << 1234.0;
        QTest::newRow("zero point") << "0.125" << true << 0.125;
        QTest::newRow("negative") << "-3" << true << -3.0;
        QTest::newRow("blanks around") << "  7,25 " << true << 7.25;
        QTest::newRow("exponent") << "1E3" << true << 1000.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("two commas") << "1,2,3" << false << 0.0;
        QTest::newRow("bad grouping") << "1.23,5" << false << 0.0;
        QTest::newRow("dot after comma") << "1,5.2" << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }

    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, expected);
        double value = 0;
        QCOMPARE(FieldText::parseNumber(text, &value), valid);
        if (valid)
            QCOMPARE(value, expected);
    }

    void fieldTexts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<QString>("text");

        const int f = int(FieldType::Float);
        QTest::newRow("float comma") << f << "" << "12,5" << QVariant(12.5) << "12,5" << "12,5";
        QTest::newRow("float display format") << f << "#,##0.00" << "1234,5" << QVariant(1234.5) << "1234,5" << "1.234,50";
        QTest::newRow("float huge") << f << "" << "1E20" << QVariant(1e20) << "1E20" << "1E20";
        QTest::newRow("integer") << int(FieldType::Integer) << "" << "1.500" << QVariant(qlonglong(1500)) << "1500" << "1500";
        QTest::newRow("date") << int(FieldType::Date) << "" << "10/03/2026" << QVariant(QDate(2026, 3, 10)) << "10/03/2026"
                              << "10/03/2026";
        QTest::newRow("date with weekday") << int(FieldType::Date) << "dd/mm/yyyy ddd" << "13/03/2026"
                                           << QVariant(QDate(2026, 3, 13)) << "13/03/2026" << "13/03/2026 sex";
        QTest::newRow("date-time") << int(FieldType::DateTime) << "" << "10/03/2026 14:30"
                                   << QVariant(QDateTime(QDate(2026, 3, 10), QTime(14, 30))) << "10/03/2026 14:30:00"
                                   << "10/03/2026 14:30:00";
        QTest::newRow("date-time minutes after hour") << int(FieldType::DateTime) << "dd/mm/yyyy hh:mm" << "2026-03-10T08:05:00"
                                                      << QVariant(QDateTime(QDate(2026, 3, 10), QTime(8, 5)))
                                                      << "10/03/2026 08:05:00" << "10/03/2026 08:05";
        QTest::newRow("boolean") << int(FieldType::Boolean) << "" << "Sim" << QVariant(true) << "True" << "Sim";
        QTest::newRow("flag stays text") << int(FieldType::String) << "" << "S" << QVariant(QString("S")) << "S" << "S";
        QTest::newRow("empty text is null") << f << "" << "" << QVariant() << "" << "";
    }

    void fieldTexts()
    {
        QFETCH(int, type);
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QFETCH(QVariant, stored);
        QFETCH(QString, asString);
        QFETCH(QString, text);

        RecordSet texts("cdsTexto");
        Field& field = texts.addField("CAMPO", FieldType(type), type == int(FieldType::String) ? 1 : 0);
        field.setDisplayFormat(format);
        texts.createDataSet();
        texts.append();
        field.setText(typed);
        QCOMPARE(field.value(), stored);
        QCOMPARE(field.isNull(), !stored.isValid());
        QCOMPARE(field.asString(), asString);
        QCOMPARE(field.text(), text);
    }

    void setTextRefusesNonsense_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("typed");

        QTest::newRow("float letters") << int(FieldType::Float) << "doze";
        QTest::newRow("integer with decimals") << int(FieldType::Integer) << "1,5";
        QTest::newRow("impossible date") << int(FieldType::Date) << "31/02/2026";
        QTest::newRow("date garbage") << int(FieldType::DateTime) << "ontem";
        QTest::newRow("boolean word") << int(FieldType::Boolean) << "talvez";
    }

    void setTextRefusesNonsense()
    {
        QFETCH(int, type);
        QFETCH(QString, typed);

        RecordSet texts("cdsTexto");
        Field& field = texts.addField("CAMPO", FieldType(type));
        field.setDisplayLabel("Campo de teste");
        texts.createDataSet();
        texts.append();
        const QString error = errorOf<RecordSetError>([&] { field.setText(typed); });
        QVERIFY2(error.contains("Campo de teste"), qPrintable(error));
        QVERIFY(field.isNull());
    }

    void textEventsReplaceDefaults()
    {
        Field& kind = cds->fieldByName("IDITPEDDIFER");
        const QMap<QString, QString> names{{"N", "Normal"}, {"R", "Par. Preço"}, {"O", "Outros"}};
        kind.onGetText = [&names](Field& field, bool) {
            return field.asString().isEmpty() ? QString("Normal") : names.value(field.asString());
        };
        kind.onSetText = [&names](Field& field, const QString& text) {
            const QString code = names.key(text);
            if (!code.isEmpty())
                field.setValue(code);
        };
        QCOMPARE(kind.text(), QString("Normal"));
        QCOMPARE(cds->displayText(1, kind.index()), QString("Par. Preço"));
        QCOMPARE(cds->displayText(4, kind.index()), QString("Outros"));
        cds->edit();
        kind.setText("Outros");
        QCOMPARE(kind.asString(), QString("O"));
        kind.setText("Inexistente");
        QCOMPARE(kind.asString(), QString("O"));
        QCOMPARE(cds->fieldByName("VRPREUNITPED").text(), QString("12,50"));
        QCOMPARE(cds->fieldByName("VRPREUNITPED").editText(), QString("12,5"));
    }

    void stringLongerThanSizeIsRefused()
    {
        cds->edit();
        QVERIFY_THROWS_EXCEPTION(RecordSetError, cds->fieldByName("CDFILIAL").setValue("00001"));
        QCOMPARE(cds->fieldByName("CDFILIAL").asString(), QString("0001"));
    }

    void oldValueIsTheStoredValue()
    {
        Field& quantity = cds->fieldByName("QTITEMPED");
        cds->edit();
        quantity.setValue(20.0);
        QCOMPARE(quantity.oldValue().toDouble(), 10.0);
        cds->post();
        cds->edit();
        quantity.setValue(30.0);
        QCOMPARE(quantity.oldValue().toDouble(), 10.0);   // still what the server holds
        cds->post();
        cds->mergeChangeLog();
        QCOMPARE(quantity.oldValue().toDouble(), 30.0);
        cds->append();
        QVERIFY(quantity.oldValue().isNull());
    }

private:
    std::unique_ptr<RecordSet> cds;   // the items, loaded afresh for each test
};

QTEST_GUILESS_MAIN(TestRecordSetData)
#include "tst_recordset_data.moc"
