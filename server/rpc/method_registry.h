#pragma once
// The registry of remote methods. Each remote data module registers its
// methods here with their argument lists, which must be those of the method
// catalogue that the clients call through (core/method_catalogue.h); the
// dispatcher checks a call's arguments against the declaration (-32602 on a
// mismatch) before any method code runs, and docs/protocol.md is generated
// from the same declarations.

#include "method_catalogue.h"
#include "protocol.h"
#include "raw_json.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>
#include <stdexcept>

struct ArgSpec {
    QString name;
    ArgKind kind = ArgKind::Text;
    bool byReference = false;   // the method writes an output into it (see MethodSpec::result)
    bool nullable = true;       // JSON null accepted
    QString doc;
};

// What a method sees of the call: the worker's own database connection, with
// a transaction already open (committed when the method returns, rolled back
// when it throws), and who is calling.
struct CallContext {
    QSqlDatabase db;
    QString operatorCode;   // empty for calls that need no session (Login)
    QString module;         // "PED00100.rdmLanPedido", ...
    QString method;
    QString clientAddress;  // who called, as the server sees it (for counting failed log-ins)
    // The request's Idempotency-Key header (empty without one): a changing
    // call that a client may retry stores its answer under it.
    QString idempotencyKey;
    // A method may ask for its reply to be held back this long (slowing down
    // password guessing) without keeping the worker busy.
    int replyDelayMs = 0;
};

// `params` arrive checked against the declaration. A method writes the
// outputs of its by-reference arguments into `params` in place; for a method
// that declares any by-reference argument the JSON-RPC result is the envelope
//   {"value": <returned value>, "refs": [<final value of each by-reference
//    argument, in argument order>]}
// and for every other method the returned value itself.
using MethodFunction = std::function<QJsonValue(CallContext& context, QJsonArray& params)>;
// The same for a method that writes its returned value as JSON text itself.
using RawMethodFunction = std::function<RawJson(CallContext& context, QJsonArray& params)>;

struct MethodSpec {
    QString module;
    QString name;
    QList<ArgSpec> args;
    QString doc;          // one paragraph: what it does
    QString resultDoc;    // what comes back, including by-reference outputs
    MethodFunction function;
    bool needsSession = true;   // false only for Login
    // Writes nothing. On SQLite such calls run side by side; every other call
    // takes the write lock when it begins, so that calls queue instead of
    // failing when two of them read and then write.
    bool readOnly = false;
    // Checks a password (Login, AutorizaOperador). Refused inside a batch, so
    // that every guess costs a request of its own; and called without a
    // transaction: it runs its own short ones and holds no lock while it
    // hashes the password.
    bool checksPassword = false;
    // Set instead of `function` by a method whose result is long: the
    // dispatcher sends its text unparsed. The registry then fills `function`
    // with a parse of it, for callers that want the value.
    RawMethodFunction rawFunction = {};
};

// A failure of the method itself, reported to the caller as JSON-RPC error
// -32000 with this text (often a catalog key such as "SALDO_INSU").
class MethodError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A database statement failed. Carrying the driver's error lets the
// dispatcher tell a transient conflict (PostgreSQL serialization failure or
// deadlock, SQLite busy), after which the whole call is retried, from a
// real failure.
class DatabaseFailure : public std::runtime_error {
public:
    DatabaseFailure(const QString& what, const QSqlError& error)
        : std::runtime_error(what.toStdString()), sqlError(error) {}
    QSqlError sqlError;
};

class MethodRegistry {
public:
    // A method of the catalogue, with the catalogue's argument kinds and
    // by-reference marks. Anything else, or a second method of the same
    // module and name, is a programming error (std::logic_error).
    void add(MethodSpec spec);
    // A method no client calls: only tests register such methods.
    void addOutsideCatalogue(MethodSpec spec);
    // The catalogue's methods that are not registered, as "module.name".
    QStringList missingFromCatalogue() const;
    // Throws std::logic_error naming them when there are any.
    void requireWholeCatalogue() const;

    const MethodSpec* find(const QString& module, const QString& name) const;   // name: case-insensitive
    bool hasModule(const QString& module) const;
    QStringList modules() const;
    QList<const MethodSpec*> methods(const QString& module) const;   // sorted by name
private:
    void insert(MethodSpec spec);
    static QString key(const QString& module, const QString& name);
    QList<MethodSpec> m_methods;
    // Every call looks its method up: index by module and case-folded name.
    QHash<QString, qsizetype> m_index;
    QSet<QString> m_modules;
};
