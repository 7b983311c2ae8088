#include "method_calls.h"

#include "rpc/method_registry.h"
#include "store/sql.h"

#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>
#include <stdexcept>

namespace PedTest {

QJsonValue callMethod(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                      QJsonArray& params, const QString& operatorCode)
{
    const MethodSpec* spec = registry.find(module, method);
    if (!spec)
        throw std::logic_error(QStringLiteral("%1.%2 is not registered").arg(module, method).toStdString());
    if (spec->args.size() != params.size())
        throw std::logic_error(QStringLiteral("%1 takes %2 arguments").arg(method).arg(spec->args.size()).toStdString());
    if (!db.transaction())
        throw std::runtime_error("cannot begin a transaction");
    CallContext context{db, operatorCode, module, method};
    try {
        const QJsonValue result = spec->function(context, params);
        db.commit();
        return result;
    } catch (...) {
        db.rollback();
        throw;
    }
}

std::optional<QString> refusalOf(const MethodRegistry& registry, QSqlDatabase db, const QString& module, const QString& method,
                                 QJsonArray params)
{
    try {
        callMethod(registry, db, module, method, params);
        return std::nullopt;
    } catch (const MethodError& error) {
        return QString::fromUtf8(error.what());
    }
}

QStringList names(const char* spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(u' ', Qt::SkipEmptyParts);
}

QStringList fieldNames(const DataPacket& packet)
{
    QStringList list;
    for (const FieldDef& field : packet.fields)
        list.append(field.name);
    return list;
}

DataPacket packetOf(const QJsonValue& value)
{
    if (!DataPacket::isPacket(value))
        throw std::runtime_error("not a data packet: " + QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString());
    return DataPacket::fromJson(value.toObject());
}

QVariant value(const DataPacket& packet, int row, const QString& field)
{
    return packet.rows.at(row).at(packet.indexOf(field));
}

QList<QVariantList> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QList<QVariantList> rows;
    QSqlQuery query = execSql(db, sql, values);
    while (query.next()) {
        QVariantList row;
        for (int column = 0; column < query.record().count(); ++column)
            row << query.value(column);
        rows << row;
    }
    return rows;
}

} // namespace PedTest
