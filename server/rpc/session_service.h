#pragma once
// Log-in sessions shared through the database (table SESSAOSERV), so that
// several server processes can serve one PostgreSQL database. Only a SHA-256
// of each token is stored. Also the supervisor release check, so that no
// password is ever compared on a client.

#include <QHash>
#include <QJsonArray>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <mutex>
#include <optional>

class MethodRegistry;
struct CallContext;

struct SessionConfig {
    qint64 idleSeconds = 480 * 60;          // a session unused this long has expired
    qint64 touchIntervalSeconds = 60;       // last-used is written at most this often
    int loginFailureDelayMs = 500;          // per failure of the same operator ...
    int maxLoginFailureDelayMs = 8000;      // ... up to this
    std::function<qint64()> nowSeconds;    // seconds since the epoch; the system clock when empty
};

class SessionService {
public:
    explicit SessionService(SessionConfig config);

    // Login and Logout and AutorizaOperador on Bib.rdmDBGeral.
    void registerMethods(MethodRegistry& registry);

    // The operator of a valid session; refreshes its last use. Must run
    // inside a transaction on `db`.
    std::optional<QString> operatorForToken(QSqlDatabase& db, const QString& token);

    static QString tokenHash(const QString& token);

private:
    QString login(CallContext& context, const QString& operatorCode, const QString& password);
    bool logout(CallContext& context, const QString& token);
    QJsonArray authorize(CallContext& context, const QString& operatorCode,
                         const QString& password, qint64 kind);
    struct OperatorRow;
    std::optional<OperatorRow> findOperator(QSqlDatabase& db, const QString& operatorCode);
    bool passwordMatches(const std::optional<OperatorRow>& row, const QString& password);
    int recordFailure(const QString& operatorCode);
    void forgetFailures(const QString& operatorCode);
    qint64 now() const;

    SessionConfig m_config;
    std::once_flag m_dummyHashOnce;
    QString m_dummyHash;

    struct Failures {
        int count = 0;
        qint64 lastSeconds = 0;
    };
    QMutex m_failuresMutex;
    QHash<QString, Failures> m_failures;
};
