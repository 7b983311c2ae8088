// The JSON-RPC dispatcher over arbitrary request bodies: parsing, checking
// and the calls themselves, against a demo database made once per process.
// The input's first byte picks the module and whether the call carries a
// live session; the rest is the body.

#include "fuzz_target.h"
#include "protocol.h"
#include "demo/demo_data.h"
#include "rpc/app_server.h"
#include "rpc/method_registry.h"
#include "rpc/rpc_dispatcher.h"
#include "rpc/session_service.h"
#include "rpc/worker_databases.h"
#include "store/database.h"
#include "store/temporary_database.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Fixture {
    std::unique_ptr<TemporaryDatabase> database;
    std::unique_ptr<WorkerDatabases> databases;
    MethodRegistry registry;
    std::unique_ptr<SessionService> sessions;
    std::unique_ptr<RpcDispatcher> dispatcher;
    QString token;
};

Fixture* fixture = nullptr;

SessionConfig fuzzSessions()
{
    SessionConfig config;
    // Every wrong password costs a full hash: lock the fuzzer's address out
    // after the first, so that guesses do not slow it down.
    config.maxOperatorFailures = 1;
    config.maxAddressFailures = 1;
    return config;
}

QString logIn(RpcDispatcher& dispatcher)
{
    const QByteArray body = R"({"jsonrpc":"2.0","id":1,"method":"Login","params":["DEMO","demo"]})";
    const RpcReply reply = dispatcher.handle(ServerNames::DBGeral, {}, body, QStringLiteral("127.0.0.1"));
    const QJsonValue result = QJsonDocument::fromJson(reply.body).object().value(QLatin1String("result"));
    const QString token = result.isArray() ? result.toArray().first().toString() : result.toString();
    if (token.isEmpty()) {
        fprintf(stderr, "the demo log-in failed: %s\n", reply.body.constData());
        std::abort();
    }
    return token;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    QLoggingCategory::setFilterRules(QStringLiteral("ped.*=false"));
    fixture = new Fixture;
    fixture->database = TemporaryDatabase::createSqlite();
    {
        QSqlDatabase db = openDatabase(fixture->database->config(), QStringLiteral("fuzz-setup"));
        migrateSchema(db);
        loadDemoData(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz-setup"));
    fixture->databases = std::make_unique<WorkerDatabases>(fixture->database->config());
    fixture->sessions = std::make_unique<SessionService>(fuzzSessions());
    AppServer::registerMethods(fixture->registry, *fixture->sessions);
    fixture->dispatcher = std::make_unique<RpcDispatcher>(fixture->registry, *fixture->sessions, *fixture->databases);
    fixture->token = logIn(*fixture->dispatcher);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const QString modules[] = {ServerNames::LanPedido, ServerNames::DBGeral, ServerNames::NotaPedido,
                                      ServerNames::GeraNFFutura};
    const QString& module = modules[data[0] & 3];
    const QString token = (data[0] & 4) ? QString() : fixture->token;
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const RpcReply reply = fixture->dispatcher->handle(module, token, body, QStringLiteral("10.0.0.9"));
    if (reply.httpStatus == 204) {
        if (!reply.body.isEmpty())
            fuzzFailure("a 204 answer with a body");
        return 0;
    }
    QJsonParseError error;
    const QJsonDocument answer = QJsonDocument::fromJson(reply.body, &error);
    if (error.error != QJsonParseError::NoError || answer.isNull())
        fuzzFailure("an answer that is not JSON");
    return 0;
}
