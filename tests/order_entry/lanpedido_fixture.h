#pragma once
// What the order entry tests share: a real server over a temporary demo
// database, the operator's session and working context, and stand-ins for
// the page-loading methods that the server does not offer yet (a method the
// server has is never replaced).

#include "context.h"
#include "datapacket.h"
#include "rpc/method_registry.h"
#include "serversession.h"
#include "test_server.h"

#include <QDateTime>
#include <QJsonArray>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <atomic>
#include <memory>

namespace PedTest {

// Field lists of the screen's record sets that the stand-ins fill.
struct Layouts {
    QList<FieldDef> itens, observacao, prazos, dadosAdicionais, encargos, endereco;
    std::atomic<int> itemCalls{0};
};

inline QVariant columnValue(const QVariant& raw, FieldType type)
{
    if (raw.isNull())
        return {};
    switch (type) {
    case FieldType::Float: return raw.toDouble();
    case FieldType::Integer: return raw.toLongLong();
    case FieldType::Boolean: return raw.toBool();
    case FieldType::Date: return QDateTime::fromString(raw.toString().replace(u' ', u'T'), Qt::ISODate).date();
    case FieldType::DateTime: return QDateTime::fromString(raw.toString().replace(u' ', u'T'), Qt::ISODate);
    default: return raw.toString();
    }
}

// The rows of one order in `table`, with the screen's fields (columns the
// table lacks come back null).
inline QJsonObject orderRows(const QSqlDatabase& db, const QString& table, const QList<FieldDef>& fields,
                             const QString& branch, const QString& order)
{
    DataPacket packet;
    packet.fields = fields;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT * FROM %1 WHERE CDFILIAL = ? AND NRPEDIDO = ?").arg(table));
    query.addBindValue(branch);
    query.addBindValue(order);
    if (!query.exec())
        throw MethodError(QStringLiteral("%1: %2").arg(table, query.lastError().text()).toStdString());
    while (query.next()) {
        QVariantList row;
        for (const FieldDef& field : fields) {
            const int column = query.record().indexOf(field.name);
            row << (column < 0 ? QVariant() : columnValue(query.value(column), field.type));
        }
        packet.rows << row;
    }
    return packet.toJson();
}

inline void addIfMissing(MethodRegistry& registry, const QString& name, QList<ArgSpec> args, MethodFunction function)
{
    if (registry.find(ServerNames::LanPedido, name))
        return;
    registry.add(MethodSpec{ServerNames::LanPedido, name, args, QStringLiteral("Test stand-in."), QString(), function});
}

inline ArgSpec textArg(const char* name, bool byReference = false)
{
    return ArgSpec{QString::fromUtf8(name), ArgKind::Text, byReference, true, QString()};
}

inline TestServerOptions orderEntryServer(std::shared_ptr<Layouts> layouts)
{
    TestServerOptions options;
    options.extraMethods = [layouts](MethodRegistry& registry) {
        addIfMissing(registry, QStringLiteral("GetPgcChange"),
                     {textArg("customer"), textArg("commitment"), textArg("blank1"), textArg("modality"),
                      textArg("blank2"), textArg("rememberedModality", true), textArg("branch"), textArg("order"),
                      textArg("status")},
                     [layouts](CallContext& context, QJsonArray& params) -> QJsonValue {
                         const QString branch = params.at(6).toString();
                         const QString order = params.at(7).toString();
                         QJsonArray result{0.0, QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue()};
                         result << orderRows(context.db, QStringLiteral("OBSPEDIDO"), layouts->observacao, branch, order)
                                << orderRows(context.db, QStringLiteral("PRAZOPGTOPED"), layouts->prazos, branch, order)
                                << orderRows(context.db, QStringLiteral("DADOADICPED"), layouts->dadosAdicionais, branch, order)
                                << orderRows(context.db, QStringLiteral("ENCARGOPED"), layouts->encargos, branch, order)
                                << orderRows(context.db, QStringLiteral("ENDEPEDIDO"), layouts->endereco, branch, order);
                         return result;
                     });
        addIfMissing(registry, QStringLiteral("GetItemPedido"), {textArg("branch"), textArg("order"), textArg("status")},
                     [layouts](CallContext& context, QJsonArray& params) -> QJsonValue {
                         ++layouts->itemCalls;
                         DataPacket notas;
                         notas.fields = {FieldDef{QStringLiteral("NRLANCTONF"), FieldType::String, 10}};
                         return QJsonArray{orderRows(context.db, QStringLiteral("ITEMPEDIDO"), layouts->itens,
                                                     params.at(0).toString(), params.at(1).toString()),
                                           notas.toJson()};
                     });
        addIfMissing(registry, QStringLiteral("GetImposPedTot"), {textArg("branch"), textArg("order")},
                     [](CallContext&, QJsonArray&) -> QJsonValue {
                         DataPacket impostos;
                         impostos.fields = {FieldDef{QStringLiteral("SGIMPOSTO"), FieldType::String, 10},
                                            FieldDef{QStringLiteral("VRIMPOSTO"), FieldType::Float, 0}};
                         return impostos.toJson();
                     });
    };
    return options;
}

// Log-in and working context of operator DEMO at `branch`, which is fixed
// for the order entry screen; the per-user folder is `configDir`.
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
}

} // namespace PedTest
