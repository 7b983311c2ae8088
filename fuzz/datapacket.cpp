// The strict JSON reader and the data-packet and delta readers over
// arbitrary bytes. What is accepted must write out and read back the same.

#include "datapacket.h"
#include "fuzz_target.h"
#include "strict_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

void roundTripPacket(const QJsonObject& json)
{
    DataPacket packet;
    try {
        packet = DataPacket::fromJson(json);
    } catch (const DataPacketError&) {
        return;
    }
    const QByteArray bytes = packet.toBytes();
    const DataPacket again = DataPacket::fromBytes(bytes);
    if (again.toBytes() != bytes)
        fuzzFailure("a packet does not read back as it was written");
}

void roundTripDelta(const QJsonObject& json)
{
    Delta delta;
    try {
        delta = Delta::fromJson(json);
    } catch (const DataPacketError&) {
        return;
    }
    const QByteArray bytes = delta.toBytes();
    const Delta again = Delta::fromJson(readStrictJson(bytes).toObject());
    if (again.toBytes() != bytes)
        fuzzFailure("a delta does not read back as it was written");
}

void walkSound(QByteArrayView text, const QJsonValue& value)
{
    if (value.isArray()) {
        const QList<QByteArrayView> elements = jsonArrayElementTexts(text);
        if (elements.size() != value.toArray().size())
            fuzzFailure("array element texts do not match the array");
        for (QByteArrayView element : elements)
            readStrictJson(element);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const std::optional<QByteArrayView> member = jsonMemberText(text, it.key().toUtf8());
            if (!member)
                fuzzFailure("an object member's text was not found");
            if (readStrictJson(*member) != it.value())
                fuzzFailure("an object member's text reads as another value");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const JsonCheck check = checkStrictJson(text);
    QJsonValue value;
    bool sound = true;
    try {
        value = readStrictJson(text);
    } catch (const StrictJsonError&) {
        sound = false;
    }
    if (sound == bool(check.fault))
        fuzzFailure("the check and the reader disagree");
    if (sound) {
        walkSound(text, value);
        if (value.isObject()) {
            roundTripPacket(value.toObject());
            roundTripDelta(value.toObject());
        }
    }
    // The packet reader's fast path must read exactly what the JSON path reads.
    std::optional<QByteArray> viaBytes, viaJson;
    try {
        viaBytes = DataPacket::fromBytes(text.toByteArray()).toBytes();
    } catch (const DataPacketError&) {
    }
    try {
        if (value.isObject())
            viaJson = DataPacket::fromJson(value.toObject()).toBytes();
    } catch (const DataPacketError&) {
    }
    if (viaBytes != viaJson)
        fuzzFailure("the fast packet reader and the JSON reader disagree");
    return 0;
}
