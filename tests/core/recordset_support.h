#pragma once
// What the record set tests build their record sets from: fields as a
// packet names them, the item total with its sum, and a column's values.

#include "recordset.h"

#include <QStringList>

// The packet's fields, in its order.
inline void addFieldsOf(RecordSet& cds, const DataPacket& packet)
{
    for (const FieldDef& field : packet.fields)
        cds.addField(field.name, field.type, field.size);
}

// VRTOTALITEM, quantity times price, and its sum VRTOTAPROD.
inline void addItemTotal(RecordSet& cds)
{
    cds.addField("VRTOTALITEM", FieldType::Float, 0, Field::Kind::InternalCalc);
    cds.addAggregate("VRTOTAPROD", "SUM(VRTOTALITEM)");
    cds.onCalcFields = [](RecordSet& rs) {
        rs.fieldByName("VRTOTALITEM").setValue(rs.fieldByName("QTITEMPED").asFloat() * rs.fieldByName("VRPREUNITPED").asFloat());
    };
}

// The values of one column, visible rows in order.
inline QStringList column(const RecordSet& cds, const QString& fieldName)
{
    QStringList values;
    const int index = cds.fieldIndex(fieldName);
    for (int row = 0; row < cds.recordCount(); ++row)
        values << cds.value(row, index).toString();
    return values;
}
