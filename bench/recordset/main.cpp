// Figures of the record set: loading a large packet, locating by key,
// filtering, posting with aggregates, and producing a delta.
// Prints "recordset.<measure> <value> <unit>".

#include "recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int largeRows = 100000;
constexpr int fieldCount = 30;

void print(const char* measure, double value, const char* unit)
{
    std::printf("recordset.%s %.*f %s\n", measure, value < 10 ? 3 : (value < 1000 ? 2 : 0), value, unit);
    std::fflush(stdout);
}

// Best of a few runs, in milliseconds: the machine is shared.
double bestMs(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

QString code(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QChar(u'0'));
}

// An item-like table: keys CDFILIAL + NRPEDIDO + NRITEMPED, then texts,
// numbers and dates up to 30 fields.
DataPacket makePacket(int rows)
{
    DataPacket packet;
    packet.fields = {{"CDFILIAL", FieldType::String, 4}, {"NRPEDIDO", FieldType::String, 10},
                     {"NRITEMPED", FieldType::String, 10}, {"CDARVPROD", FieldType::String, 20},
                     {"NMPRODUTO", FieldType::String, 50}, {"QTITEMPED", FieldType::Float, 0},
                     {"VRPREUNITPED", FieldType::Float, 0}, {"VRDESITPED", FieldType::Float, 0},
                     {"IDSITITEMPED", FieldType::String, 1}, {"DTENTITPED", FieldType::DateTime, 0}};
    for (int i = int(packet.fields.size()); i < fieldCount; ++i) {
        const FieldType type = i % 3 == 0 ? FieldType::String : (i % 3 == 1 ? FieldType::Float : FieldType::Integer);
        packet.fields.append({QStringLiteral("CAMPO%1").arg(i), type, type == FieldType::String ? 20 : 0});
    }
    QRandomGenerator random(42);
    const QDateTime delivery(QDate(2026, 3, 10), QTime(14, 30));
    packet.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QVariantList row;
        row.reserve(fieldCount);
        row << code(1 + r % 4, 4) << code(r / 10, 10) << code(r % 10 + 1, 10) << code(random.bounded(90000), 6)
            << QStringLiteral("Produto de teste número %1").arg(r % 977) << double(random.bounded(1, 100))
            << double(random.bounded(100, 100000)) / 100.0 << 0.0 << QStringLiteral("1") << delivery.addDays(r % 30);
        for (int i = int(row.size()); i < fieldCount; ++i) {
            const FieldType type = packet.fields.at(i).type;
            if (type == FieldType::String)
                row << QStringLiteral("texto %1").arg(r % 1000);
            else if (type == FieldType::Float)
                row << double(r % 1000) / 8.0;
            else
                row << QVariant(qlonglong(r));
        }
        packet.rows.append(row);
    }
    return packet;
}

void defineItems(RecordSet& cds, const DataPacket& packet)
{
    cds.addFields(packet.fields);
    cds.addField("VRTOTALITEM", FieldType::Float, 0, Field::Kind::InternalCalc);
    cds.addAggregate("VRTOTAPROD", "SUM(VRTOTALITEM)");
    cds.addAggregate("VRTOTADESCPED", "SUM(VRDESITPED)");
    cds.onCalcFields = [](RecordSet& rs) {
        rs.fieldByName("VRTOTALITEM").setValue(rs.fieldByName("QTITEMPED").asFloat() * rs.fieldByName("VRPREUNITPED").asFloat());
    };
}

// Microseconds per post of an edit that moves both sums. With sameRows the
// edits go to the first thousand rows whatever the size, so the figure shows
// what the record set does per post rather than how far memory is.
double postMicroseconds(int rows, int posts, bool sameRows)
{
    const DataPacket packet = makePacket(rows);
    RecordSet cds("cdsItemPedido");
    defineItems(cds, packet);
    cds.setData(packet);
    Field& quantity = cds.fieldByName("QTITEMPED");
    Field& discount = cds.fieldByName("VRDESITPED");
    QRandomGenerator random(7);
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < posts; ++i) {
            cds.setCurrentRow(sameRows ? (i * 7) % 1000 : int(random.bounded(rows)));
            cds.edit();
            quantity.setValue(double(random.bounded(1, 100)));
            discount.setValue(double(random.bounded(0, 500)) / 100.0);
            cds.post();
        }
        best = std::min(best, double(timer.nsecsElapsed()) / 1e3 / posts);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    const DataPacket packet = makePacket(largeRows);
    const QByteArray bytes = packet.toBytes();
    print("packet_bytes_100k_rows", double(bytes.size()) / 1e6, "MB");

    DataPacket parsed;
    print("parse_json_bytes_to_packet_100k_rows_30_fields",
          bestMs(3, [&] { parsed = DataPacket::fromBytes(bytes); }) / 1e3, "s");

    const double loadMs = bestMs(3, [&] {
        RecordSet cds("cdsItemPedido");
        cds.addFields(parsed.fields);
        cds.setData(parsed);
    });
    print("load_100k_rows_30_fields", loadMs / 1e3, "s");

    RecordSet calc("cdsItemPedido");
    defineItems(calc, parsed);
    print("load_100k_rows_30_fields_with_calc_and_2_sums", bestMs(1, [&] { calc.setData(parsed); }) / 1e3, "s");

    RecordSet cds("cdsItemPedido");
    cds.addFields(parsed.fields);
    cds.setData(parsed);

    // Locate by a two-field key; the first call builds the index.
    const double indexMs = bestMs(1, [&] { cds.locate("CDFILIAL;NRPEDIDO", {code(1, 4), code(0, 10)}); });
    print("locate_index_build_100k_rows", indexMs, "ms");
    QRandomGenerator random(3);
    const int locates = 20000;
    int found = 0;
    const double locateMs = bestMs(3, [&] {
        for (int i = 0; i < locates; ++i) {
            const int r = int(random.bounded(largeRows));
            found += cds.locate("CDFILIAL;NRPEDIDO", {code(1 + r % 4, 4), code(r / 10, 10)}) ? 1 : 0;
        }
    });
    if (found != 3 * locates)
        std::fprintf(stderr, "locate missed rows: %d of %d\n", found, 3 * locates);
    print("locate_two_field_key_per_call_100k_rows", locateMs * 1e3 / locates, "us");

    const double scanMs = bestMs(3, [&] {
        for (int i = 0; i < 20; ++i)
            cds.find("CDFILIAL;NRPEDIDO", {code(2, 4), code(largeRows / 10 - 1, 10)}, RecordSet::PartialKey);
    });
    print("locate_partial_key_full_scan_100k_rows", scanMs / 20, "ms");

    const double filterMs = bestMs(3, [&] {
        cds.setFiltered(false);
        cds.setFilter("CDFILIAL = '0001'AND VRPREUNITPED > 500");
        cds.setFiltered(true);
    });
    print("filter_apply_100k_rows", filterMs, "ms");
    print("filter_rows_kept", cds.recordCount(), "rows");
    cds.setFiltered(false);

    const double small = postMicroseconds(2000, 1000, true);
    const double large = postMicroseconds(200000, 1000, true);
    print("post_with_2_sums_2000_rows", small, "us");
    print("post_with_2_sums_200000_rows", large, "us");
    print("post_cost_ratio_200000_to_2000", large / small, "x");
    print("post_with_2_sums_200000_rows_random_rows", postMicroseconds(200000, 1000, false), "us");

    // A delta of 1,000 changes: 600 edits, 200 inserts, 200 deletes.
    RecordSet changed("cdsItemPedido");
    changed.addFields(parsed.fields);
    changed.setData(parsed);
    for (int i = 0; i < 600; ++i) {
        changed.setCurrentRow(i * 100);
        changed.edit();
        changed.fieldByName("QTITEMPED").setValue(double(i + 1));
        changed.post();
    }
    for (int i = 0; i < 200; ++i) {
        changed.append();
        changed.fieldByName("CDFILIAL").setValue("0009");
        changed.fieldByName("NRPEDIDO").setValue(code(i, 10));
        changed.post();
    }
    for (int i = 0; i < 200; ++i) {
        changed.setCurrentRow(i * 300 + 1);
        changed.deleteRecord();
    }
    std::optional<Delta> delta;
    print("delta_1000_changes", bestMs(5, [&] { delta = changed.delta(); }), "ms");
    QByteArray json;
    print("delta_1000_changes_to_json_bytes",
          bestMs(5, [&] { json = QJsonDocument(delta->toJson()).toJson(QJsonDocument::Compact); }), "ms");
    print("delta_1000_changes_to_bytes_direct", bestMs(5, [&] { json = delta->toBytes(); }), "ms");
    print("delta_1000_changes_bytes", double(json.size()) / 1e3, "kB");
    return 0;
}
