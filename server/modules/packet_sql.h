#pragma once
// Data packets straight from SQL: a method lists the fields as its record
// set declares them and selects the columns in the same order.

#include "datapacket.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

// Shorthands for field lists.
FieldDef textField(const QString& name, int size);
FieldDef memoField(const QString& name);
FieldDef floatField(const QString& name);
FieldDef integerField(const QString& name);
FieldDef dateField(const QString& name);
FieldDef dateTimeField(const QString& name);

// Runs `sql` with `values` bound in order; column i of the result becomes
// field i. Values are brought to the field's type (SQLite hands dates back
// as text, PostgreSQL big integers as qlonglong); a value that cannot be is
// a StoreError naming the field.
DataPacket selectPacket(const QSqlDatabase& db, const QList<FieldDef>& fields,
                        const QString& sql, const QVariantList& values = {});

// A field and the SQL expression that fills it.
struct SelectColumn {
    FieldDef field;
    QString expression;
};

// The columns' fields, in order.
QList<FieldDef> fieldsOf(const QList<SelectColumn>& columns);

// "SELECT <expressions> <fromAndWhere>" as a packet of the columns' fields.
DataPacket selectColumns(const QSqlDatabase& db, const QList<SelectColumn>& columns,
                         const QString& fromAndWhere, const QVariantList& values = {});

// An empty packet with the given fields.
DataPacket emptyPacket(const QList<FieldDef>& fields);

// As selectPacket, but each row goes straight from the forward-only query
// into the packet's JSON text, appended to `out`: a long list never exists
// as values or as a QJsonValue tree.
void appendSelectedPacket(QByteArray& out, const QSqlDatabase& db, const QList<FieldDef>& fields,
                          const QString& sql, const QVariantList& values = {});

// The same packet as a QJsonObject, for short lists.
QJsonObject selectPacketJson(const QSqlDatabase& db, const QList<FieldDef>& fields, const QString& sql,
                             const QVariantList& values = {});
