#pragma once
// What the order entry tests share: the operator's session and working
// context on a real server over a temporary demo database, and demo rows
// read straight from that database.

#include "context.h"
#include "datapacket.h"
#include "eventguard.h"
#include "recordset.h"
#include "screens/dbgeral.h"
#include "serversession.h"
#include "test_server.h"
#include "iso_datetime.h"

#include <QDateTime>
#include <QJsonArray>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <memory>

namespace PedTest {

// The orders of `table` for one order, with the given fields (columns the
// table lacks come back null).
inline QVariant columnValue(const QVariant& raw, FieldType type)
{
    if (raw.isNull())
        return {};
    switch (type) {
    case FieldType::Float: return raw.toDouble();
    case FieldType::Integer: return raw.toLongLong();
    case FieldType::Boolean: return raw.toBool();
    case FieldType::Date: return parseIsoLenient(raw.toString()).date();
    case FieldType::DateTime: return parseIsoLenient(raw.toString());
    default: return raw.toString();
    }
}

inline DataPacket orderRows(const QSqlDatabase& db, const QString& table, const QList<FieldDef>& fields,
                            const QString& branch, const QString& order)
{
    DataPacket packet;
    packet.fields = fields;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT * FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(table));
    query.addBindValue(branch);
    query.addBindValue(order);
    if (!query.exec())
        throw std::runtime_error(QStringLiteral("%1: %2").arg(table, query.lastError().text()).toStdString());
    while (query.next()) {
        QVariantList row;
        for (const FieldDef& field : fields) {
            const int column = query.record().indexOf(field.name);
            row << (column < 0 ? QVariant() : columnValue(query.value(column), field.type));
        }
        packet.rows << row;
    }
    return packet;
}

// A packet with the record set's fields and the given rows (fields a row
// does not name are null), to load a screen's record set directly.
inline DataPacket rowsOf(const RecordSet& cds, const QList<QVariantMap>& rows)
{
    DataPacket packet;
    packet.fields = cds.fieldDefs();
    for (const QVariantMap& values : rows) {
        QVariantList row;
        for (const FieldDef& field : packet.fields)
            row << values.value(field.name);
        packet.rows << row;
    }
    return packet;
}

// Changes one value of a one-row record set such as the order parameters,
// as set-up: the record's own post checks (the order header's) stay out.
inline void setParam(RecordSet& cds, const QString& field, const QVariant& value)
{
    EventDetach semConferencia(cds.beforePost);
    cds.edit();
    cds.fieldByName(field).setValue(value);
    cds.post();
}

// Log-in and working context of operator DEMO at `branch`, which is fixed
// for the order entry screen; the per-user folder is `configDir`. The
// general connection of the look-up queries opens on the server's database,
// as the shell opens it at log-in.
inline void openSession(TestServer& server, const QString& branch, const QString& configDir)
{
    const ServerResult login = ServerSession::instance().login(QStringLiteral("127.0.0.1"), server.port(),
                                                               QStringLiteral("DEMO"), QStringLiteral("demo"));
    if (!login.ok())
        throw std::runtime_error(login.errorMessage().toStdString());
    WorkingContext context;
    context.empresa = QStringLiteral("01");
    context.filial = branch;
    context.nomeFilial = QStringLiteral("Filial %1").arg(branch);
    context.operador = QStringLiteral("DEMO");
    context.dataLogin = QDate::currentDate();
    context.modulosFilialFixa = {QStringLiteral("PED00100")};
    context.webUrl = QStringLiteral("127.0.0.1");
    context.webPort = server.port();
    context.configDir = configDir;
    setWorkingContext(context);
    const DatabaseConfig& database = server.databaseConfig();
    // The test cluster takes no password, so its URL without one opens it.
    openDtmDBGeral(database.kind == DatabaseConfig::Kind::PostgreSQL ? database.postgresUrl().withoutPassword()
                                                                     : database.sqlitePath);
}

} // namespace PedTest
