// Speed of the data packet: 100,000 rows of 30 mixed fields, read from bytes
// and written to bytes; the bare JSON parse of the same bytes is the bound.
// Also the speed of a record-set filter over those rows, against the same
// test written by hand.
#include "datapacket.h"
#include "filterexpression.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <cstdio>

namespace {

constexpr int rowCount = 100000;

DataPacket makePacket()
{
    DataPacket packet;
    for (int i = 0; i < 30; ++i) {
        FieldType type = FieldType::String;
        if (i % 10 == 3 || i % 10 == 4 || i % 10 == 7)
            type = FieldType::Float;
        else if (i % 10 == 5)
            type = FieldType::Integer;
        else if (i == 8 || i == 18)
            type = FieldType::Date;
        else if (i == 9 || i == 19)
            type = FieldType::DateTime;
        packet.fields.append({QStringLiteral("FIELD%1").arg(i, 2, 10, QLatin1Char('0')), type,
                              type == FieldType::String ? 20 : 0});
    }
    const QDateTime moment(QDate(2026, 3, 10), QTime(14, 30, 5));
    for (int row = 0; row < rowCount; ++row) {
        QVariantList values;
        values.reserve(packet.fields.size());
        for (const FieldDef& field : std::as_const(packet.fields)) {
            switch (field.type) {
            case FieldType::Float: values.append(row * 1.25); break;
            case FieldType::Integer: values.append(qlonglong(row)); break;
            case FieldType::Date: values.append(moment.date().addDays(row % 400)); break;
            case FieldType::DateTime: values.append(moment.addSecs(row)); break;
            default: values.append(QStringLiteral("%1 código").arg(row, 10, 10, QLatin1Char('0')));
            }
        }
        packet.rows.append(values);
    }
    return packet;
}

void print(const char* measure, double value, const char* unit)
{
    std::printf("datapacket.%s %.3f %s\n", measure, value, unit);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const DataPacket packet = makePacket();

    QElapsedTimer timer;
    timer.start();
    const QByteArray bytes = packet.toBytes();
    const double writeSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    const QJsonDocument bare = QJsonDocument::fromJson(bytes);
    const double bareParseSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    const DataPacket read = DataPacket::fromBytes(bytes);
    const double readSeconds = timer.nsecsElapsed() / 1e9;

    if (read.rows.size() != rowCount || bare.isNull())
        return 1;

    FilterExpression filter = FilterExpression::parse(QStringLiteral("FIELD00 = '0000000012 código'AND FIELD03 > 10 OR FIELD05 < 0"));
    filter.bind([&](const QString& name) { return read.indexOf(name); });
    timer.restart();
    int matched = 0;
    for (const QVariantList& row : read.rows)
        matched += filter.matches(row) ? 1 : 0;
    const double filterSeconds = timer.nsecsElapsed() / 1e9;

    const QString wanted = QStringLiteral("0000000012 código");
    timer.restart();
    int matchedByHand = 0;
    for (const QVariantList& row : read.rows)
        matchedByHand += ((row[0].toString() == wanted && row[3].toDouble() > 10) || row[5].toLongLong() < 0) ? 1 : 0;
    const double byHandSeconds = timer.nsecsElapsed() / 1e9;
    if (matched != 1 || matchedByHand != 1)
        return 1;

    print("bytes", bytes.size() / 1e6, "MB");
    print("write_100k_x30", writeSeconds, "s");
    print("read_100k_x30", readSeconds, "s");
    print("bare_json_parse", bareParseSeconds, "s");
    print("read_ratio_to_bare_parse", readSeconds / bareParseSeconds, "x");
    print("read_rows_per_s", rowCount / readSeconds, "1/s");
    print("filter_rows_per_s", rowCount / filterSeconds, "1/s");
    print("filter_ratio_to_hand_written", filterSeconds / byHandSeconds, "x");
    return 0;
}
