#pragma once
// The data packet: how rows travel between the server and the client, and
// how a record set is saved to a file. One implementation serves both sides.
//
// JSON form (UTF-8):
//   { "fields": [ {"name": "NRPEDIDO", "type": "string", "size": 10}, ... ],
//     "rows":   [ ["0000000001", 12.0, "2026-03-10T14:30:00"], ... ] }
// A delta (change log) has the same "fields" and, instead of "rows",
//   "changes": [ {"op": "insert", "new": [...]},
//                {"op": "update", "old": [...], "new": [...]},
//                {"op": "delete", "old": [...]} ]
// Dates are "yyyy-MM-dd", date-times "yyyy-MM-ddTHH:mm:ss" (local, no zone,
// optional ".zzz"); null is JSON null. docs/data-packet.md is the full text.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <stdexcept>

enum class FieldType { String, Memo, Integer, Float, Boolean, Date, DateTime };

QString fieldTypeName(FieldType type);              // "string", "memo", "integer", "float", "boolean", "date", "datetime"
FieldType fieldTypeFromName(const QString& name);   // throws DataPacketError on an unknown name

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;   // characters, for strings; 0 otherwise
    bool operator==(const FieldDef&) const = default;
};

// A malformed packet: the message names what is wrong and where.
class DataPacketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts one value to its JSON form and back, by field type. A value of the
// wrong kind (text where a number belongs, an invalid date) throws
// DataPacketError rather than turning silently into a default.
QJsonValue valueToJson(const QVariant& value, FieldType type);
QVariant valueFromJson(const QJsonValue& json, FieldType type);

struct DataPacket {
    QList<FieldDef> fields;
    QList<QVariantList> rows;   // each row has fields.size() values, in field order

    int indexOf(const QString& fieldName) const;   // -1 when absent; case-insensitive

    QJsonObject toJson() const;
    QByteArray toBytes() const;   // compact JSON text
    static DataPacket fromJson(const QJsonObject& json);   // throws DataPacketError
    static DataPacket fromBytes(const QByteArray& bytes);  // throws DataPacketError
    static bool isPacket(const QJsonValue& json);           // an object with "fields" and "rows"
};

enum class ChangeOp { Insert, Update, Delete };

struct RowChange {
    ChangeOp op = ChangeOp::Insert;
    QVariantList oldValues;   // update, delete: the row as the client read it
    QVariantList newValues;   // insert, update: the row as it is now
};

struct Delta {
    QList<FieldDef> fields;
    QList<RowChange> changes;

    bool isEmpty() const { return changes.isEmpty(); }
    int indexOf(const QString& fieldName) const;

    QJsonObject toJson() const;
    QByteArray toBytes() const;   // compact JSON text, written directly
    static Delta fromJson(const QJsonObject& json);   // throws DataPacketError
    static bool isDelta(const QJsonValue& json);       // an object with "fields" and "changes"
};

// Writes a packet's or a delta's JSON text straight into bytes, a row at a
// time, so that a long list never exists as a QJsonValue tree (nor, from a
// query, as a list of values). DataPacket, Delta and the server's packets
// from SQL all write through it, so they write one format.
//
//   PacketWriter writer(out, fields);
//   writer.begin();                        // {"fields":[...],"rows":[
//   writer.row(values);                    // or beginRow(), value(v)..., endRow()
//   writer.end();                          // ]}
//
// A value of the wrong kind for its field, or a row of the wrong width,
// throws DataPacketError naming the row and the field; the bytes written
// so far are then of no use.
class PacketWriter {
public:
    enum class Body { Rows, Changes };
    // `fields` must outlive the writer.
    PacketWriter(QByteArray& out, const QList<FieldDef>& fields, Body body = Body::Rows);

    void begin();
    void row(const QVariantList& values);    // Body::Rows
    void change(const RowChange& change);    // Body::Changes

    // A row value by value, in field order.
    void beginRow();
    void value(const QVariant& value);
    // The next value, a date or date-time field's, from ISO text as a
    // database keeps it (a blank or "T" before the time, seconds and
    // fraction optional), written to whole seconds without building a
    // QDateTime. False, with nothing written, when the field is of another
    // type or the text is not such a date.
    bool isoTextValue(QStringView text);
    void endRow();

    void end();

private:
    void separate();
    template <typename Place> void writeValues(const QVariantList& values, const Place& place, bool separateItem = true);
    template <typename Place> void valueAt(const Place& place, const QVariant& value);
    void writeValue(const QVariant& value, FieldType type);
    void appendAscii(const QString& text);

    QByteArray& m_out;
    const QList<FieldDef>& m_fields;
    Body m_body;
    qsizetype m_items = 0;    // rows or changes written
    qsizetype m_column = 0;   // of the row being written
};

// A value array: a server result read by element position.
using ValueArray = QJsonArray;
