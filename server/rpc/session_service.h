#pragma once
// Log-in sessions shared through the database (table SESSAOSERV), so that
// several server processes can serve one PostgreSQL database. Only a SHA-256
// of each token is stored. Also the supervisor release check, so that no
// password is ever compared on a client.

#include <QJsonArray>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <mutex>
#include <optional>

class MethodRegistry;
struct CallContext;
struct StoredSession;

struct SessionCheck {
    std::optional<QString> operatorCode;   // none: no valid session
    bool upkeepDue = false;                // SessionService::keepUp has something to write
};

struct SessionConfig {
    qint64 idleSeconds = 480 * 60;          // a session unused this long has expired
    qint64 touchIntervalSeconds = 60;       // last-used is written at most this often
    int loginFailureDelayMs = 500;          // per failure of the same operator ...
    int maxLoginFailureDelayMs = 8000;      // ... up to this
    // Failed log-ins (and releases) are counted in the database, so that
    // every server of it sees them. This many within the window lock the
    // operator code, or the client address, until the window has passed
    // since the last failure.
    int maxOperatorFailures = 10;
    int maxAddressFailures = 30;
    qint64 failureWindowSeconds = 15 * 60;
    std::function<qint64()> nowSeconds;    // seconds since the epoch; the system clock when empty
};

class SessionService {
public:
    explicit SessionService(SessionConfig config);

    // Login and Logout and AutorizaOperador on Bib.rdmDBGeral.
    void registerMethods(MethodRegistry& registry);

    // The operator of a valid session. Reads only, so it shares the call's
    // own transaction; what it finds due (the session's last use, or the
    // removal of an ended session) keepUp() writes afterwards in a short
    // transaction of its own, so no call holds the session row while it works.
    SessionCheck checkToken(QSqlDatabase& db, const QString& token);
    void keepUp(QSqlDatabase& db, const QString& token);

    static QString tokenHash(const QString& token);

private:
    QString login(CallContext& context, const QString& operatorCode, const QString& password);
    bool logout(CallContext& context, const QString& token);
    QJsonArray authorize(CallContext& context, const QString& operatorCode,
                         const QString& password, qint64 kind);
    bool isLive(const StoredSession& session, qint64 current) const;
    bool touchDue(const StoredSession& session, qint64 current) const;
    struct OperatorRow;
    std::optional<OperatorRow> findOperator(QSqlDatabase& db, const QString& operatorCode);
    bool passwordMatches(const std::optional<OperatorRow>& row, const QString& password);
    struct Attempt;
    Attempt countAttempt(QSqlDatabase& db, const QString& operatorCode, const QString& clientAddress);
    void forgetAttempt(QSqlDatabase& db, const Attempt& attempt);
    std::optional<OperatorRow> checkPassword(CallContext& context, const QString& operatorCode,
                                             const QString& password, Attempt* attempt);
    qint64 now() const;

    SessionConfig m_config;
    std::once_flag m_dummyHashOnce;
    QString m_dummyHash;
};
