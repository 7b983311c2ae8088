#include "session_service.h"

#include "method_registry.h"
#include "password.h"
#include "store/supervisor_releases.h"
#include "transaction.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

Q_LOGGING_CATEGORY(lcSession, "ped.session")

namespace {

constexpr int TokenBytes = 32;

const QString LoginFailedMessage = QStringLiteral("Operador ou senha inválidos.");
const QString WrongPasswordKey = QStringLiteral("SENHA_INVALIDA");
const QString NotLeaderKey = QStringLiteral("OPER_SEM_PERMISSAO");

QSqlQuery prepared(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw DatabaseFailure(QStringLiteral("cannot prepare: %1").arg(query.lastError().text()),
                              query.lastError());
    return query;
}

void execute(QSqlQuery& query)
{
    if (!query.exec())
        throw DatabaseFailure(QStringLiteral("statement failed: %1").arg(query.lastError().text()),
                              query.lastError());
}

// Operator codes come from the caller: keep log lines one line each.
QString loggable(const QString& operatorCode)
{
    QString shown = operatorCode.left(12);
    for (QChar& c : shown) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    return shown;
}

QString newToken()
{
    QByteArray bytes(TokenBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                          TokenBytes / int(sizeof(quint32)));
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

} // namespace

struct SessionService::OperatorRow {
    QString name;
    QString passwordHash;
    bool active = false;
    bool leader = false;
};

SessionService::SessionService(SessionConfig config) : m_config(std::move(config)) {}

QString SessionService::tokenHash(const QString& token)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256).toHex());
}

qint64 SessionService::now() const
{
    return m_config.nowSeconds ? m_config.nowSeconds() : QDateTime::currentSecsSinceEpoch();
}

void SessionService::registerMethods(MethodRegistry& registry)
{
    MethodSpec login;
    login.module = ServerNames::DBGeral;
    login.name = QStringLiteral("Login");
    login.args = {{QStringLiteral("operator"), ArgKind::Text, false, false,
                   QStringLiteral("operator code (CDOPERADOR)")},
                  {QStringLiteral("password"), ArgKind::Text, false, false,
                   QStringLiteral("the operator's password")}};
    login.doc = QStringLiteral(
        "Opens a session. Unknown operator, inactive operator and wrong password give the "
        "same error, and each failure of an operator delays the answer a little longer. "
        "Failures are counted per operator code and per client address: too many within "
        "15 minutes refuse further tries for a while, even with the right password. "
        "Refused inside a batch.");
    login.resultDoc = QStringLiteral(
        "The session token (text): send it as `Authorization: Bearer <token>` on every other call.");
    login.needsSession = false;
    login.checksPassword = true;
    login.function = [this](CallContext& context, QJsonArray& params) {
        return QJsonValue(this->login(context, params[0].toString(), params[1].toString()));
    };
    registry.add(std::move(login));

    MethodSpec logout;
    logout.module = ServerNames::DBGeral;
    logout.name = QStringLiteral("Logout");
    logout.args = {{QStringLiteral("token"), ArgKind::Text, false, false,
                    QStringLiteral("the token that Login returned")}};
    logout.doc = QStringLiteral("Ends a session. Ending an unknown or expired session is no error.");
    logout.resultDoc = QStringLiteral("true when a session was ended, false when there was none.");
    logout.needsSession = false;
    logout.function = [this](CallContext& context, QJsonArray& params) {
        return QJsonValue(this->logout(context, params[0].toString()));
    };
    registry.add(std::move(logout));

    MethodSpec authorize;
    authorize.module = ServerNames::DBGeral;
    authorize.name = QStringLiteral("AutorizaOperador");
    authorize.args = {{QStringLiteral("supervisorOperator"), ArgKind::Text, false, false,
                       QStringLiteral("code of the supervisor who releases")},
                      {QStringLiteral("password"), ArgKind::Text, false, false,
                       QStringLiteral("the supervisor's password")},
                      {QStringLiteral("kind"), ArgKind::Integer, false, false,
                       QStringLiteral("kind of release (14: price change)")}};
    authorize.doc = QStringLiteral(
        "Supervisor release: checks the supervisor's password and that the supervisor leads "
        "a group of operators (IDLIDER = 'S'). A release is recorded for the session's operator and "
        "kind, and taken once by the method it was given for within 5 minutes (kind 14: SetPreco "
        "without the permission check).");
    authorize.resultDoc = QStringLiteral(
        "Value array [true, supervisor name]. Error \"SENHA_INVALIDA\" for an unknown, inactive "
        "or wrong supervisor or password; \"OPER_SEM_PERMISSAO\" when the supervisor is no leader.");
    authorize.checksPassword = true;
    authorize.function = [this](CallContext& context, QJsonArray& params) {
        return QJsonValue(this->authorize(context, params[0].toString(), params[1].toString(),
                                          params[2].toInteger()));
    };
    registry.add(std::move(authorize));
}

struct StoredSession {
    QString operatorCode;
    qint64 lastUsedSeconds = 0;
    bool operatorActive = false;
};

namespace {

std::optional<StoredSession> storedSession(QSqlDatabase& db, const QString& hash)
{
    QSqlQuery query = prepared(db, QStringLiteral(
        "SELECT S.CDOPERADOR, S.DTULTIMOUSO, O.IDATIVO FROM SESSAOSERV S "
        "JOIN OPERADOR O ON O.CDOPERADOR = S.CDOPERADOR WHERE S.DSHASHTOKEN = :hash"));
    query.bindValue(QStringLiteral(":hash"), hash);
    execute(query);
    if (!query.next())
        return std::nullopt;
    return StoredSession{query.value(0).toString(), query.value(1).toLongLong(),
                         query.value(2).toString() == QLatin1String("S")};
}

} // namespace

bool SessionService::isLive(const StoredSession& session, qint64 current) const
{
    return session.operatorActive && current - session.lastUsedSeconds <= m_config.idleSeconds;
}

// Touch often enough that a session in use never looks idle.
bool SessionService::touchDue(const StoredSession& session, qint64 current) const
{
    const qint64 touchIntervalSeconds = qMin(m_config.touchIntervalSeconds, m_config.idleSeconds / 4);
    return current - session.lastUsedSeconds >= touchIntervalSeconds;
}

SessionCheck SessionService::checkToken(QSqlDatabase& db, const QString& token)
{
    if (token.isEmpty())
        return {};
    const std::optional<StoredSession> session = storedSession(db, tokenHash(token));
    if (!session)
        return {};
    const qint64 current = now();
    if (!isLive(*session, current))
        return {std::nullopt, true};
    return {session->operatorCode, touchDue(*session, current)};
}

void SessionService::keepUp(QSqlDatabase& db, const QString& token)
{
    const QString hash = tokenHash(token);
    const std::optional<StoredSession> session = storedSession(db, hash);
    if (!session)
        return;
    const qint64 current = now();
    if (!isLive(*session, current)) {
        QSqlQuery remove = prepared(db, QStringLiteral("DELETE FROM SESSAOSERV WHERE DSHASHTOKEN = :hash"));
        remove.bindValue(QStringLiteral(":hash"), hash);
        execute(remove);
        return;
    }
    if (touchDue(*session, current)) {
        QSqlQuery touch = prepared(db, QStringLiteral(
            "UPDATE SESSAOSERV SET DTULTIMOUSO = :now WHERE DSHASHTOKEN = :hash"));
        touch.bindValue(QStringLiteral(":now"), current);
        touch.bindValue(QStringLiteral(":hash"), hash);
        execute(touch);
    }
}

std::optional<SessionService::OperatorRow> SessionService::findOperator(QSqlDatabase& db,
                                                                        const QString& operatorCode)
{
    QSqlQuery query = prepared(db, QStringLiteral(
        "SELECT NMOPERADOR, DSSENHAHASH, IDATIVO, IDLIDER FROM OPERADOR WHERE CDOPERADOR = :op"));
    query.bindValue(QStringLiteral(":op"), operatorCode);
    execute(query);
    if (!query.next())
        return std::nullopt;
    OperatorRow row;
    row.name = query.value(0).toString();
    row.passwordHash = query.value(1).toString();
    row.active = query.value(2).toString() == QLatin1String("S");
    row.leader = query.value(3).toString() == QLatin1String("S");
    return row;
}

bool SessionService::passwordMatches(const std::optional<OperatorRow>& row, const QString& password)
{
    if (!row) {
        // As slow as a wrong password, so that timing does not tell which operators exist.
        std::call_once(m_dummyHashOnce, [this] { m_dummyHash = hashPassword(newToken()); });
        verifyPassword(password, m_dummyHash);
        return false;
    }
    return verifyPassword(password, row->passwordHash) && row->active;
}

struct SessionService::Attempt {
    QString operatorKey;
    QString addressKey;
    int operatorFailures = 0;   // this attempt included
};

namespace {

constexpr int FailureKeyChars = 64;
const QString OperatorKind = QStringLiteral("O");
const QString AddressKind = QStringLiteral("E");

struct FailureCount {
    int count = 0;
    qint64 lastSeconds = 0;
};

FailureCount failureCount(QSqlDatabase& db, const QString& kind, const QString& key)
{
    QSqlQuery query = prepared(db, QStringLiteral(
        "SELECT QTFALHAS, DTULTIMAFALHA FROM FALHALOGIN WHERE TPCHAVE = :kind AND DSCHAVE = :key"));
    query.bindValue(QStringLiteral(":kind"), kind);
    query.bindValue(QStringLiteral(":key"), key);
    execute(query);
    if (!query.next())
        return {};
    return {query.value(0).toInt(), query.value(1).toLongLong()};
}

void addFailure(QSqlDatabase& db, const QString& kind, const QString& key, qint64 current)
{
    QSqlQuery upsert = prepared(db, QStringLiteral(
        "INSERT INTO FALHALOGIN (TPCHAVE, DSCHAVE, QTFALHAS, DTULTIMAFALHA) VALUES (:kind, :key, 1, :now) "
        "ON CONFLICT (TPCHAVE, DSCHAVE) DO UPDATE SET QTFALHAS = FALHALOGIN.QTFALHAS + 1, "
        "DTULTIMAFALHA = :now2"));
    upsert.bindValue(QStringLiteral(":kind"), kind);
    upsert.bindValue(QStringLiteral(":key"), key);
    upsert.bindValue(QStringLiteral(":now"), current);
    upsert.bindValue(QStringLiteral(":now2"), current);
    execute(upsert);
}

class LockedOut : public MethodError {
public:
    explicit LockedOut(qint64 seconds)
        : MethodError(QStringLiteral("Acesso bloqueado por excesso de tentativas com senha errada. "
                                     "Tente novamente em %1 minuto(s).")
                          .arg(qMax<qint64>(1, (seconds + 59) / 60)).toStdString())
    {
    }
};

} // namespace

// Counted before the password is hashed, so that guesses sent side by side
// cannot pass the limit, and refused without hashing once it is reached; a
// right password takes its count back.
SessionService::Attempt SessionService::countAttempt(QSqlDatabase& db, const QString& operatorCode,
                                                     const QString& clientAddress)
{
    Attempt attempt{operatorCode.left(FailureKeyChars), clientAddress.left(FailureKeyChars)};
    const qint64 current = now();
    qint64 lockedForSeconds = 0;
    runInTransaction(db, [&] {
        lockedForSeconds = 0;
        QSqlQuery prune = prepared(db, QStringLiteral("DELETE FROM FALHALOGIN WHERE DTULTIMAFALHA < :oldest"));
        prune.bindValue(QStringLiteral(":oldest"), current - m_config.failureWindowSeconds);
        execute(prune);
        const FailureCount byOperator = failureCount(db, OperatorKind, attempt.operatorKey);
        const FailureCount byAddress = failureCount(db, AddressKind, attempt.addressKey);
        for (const auto& [found, limit] : {std::pair{byOperator, m_config.maxOperatorFailures},
                                           std::pair{byAddress, m_config.maxAddressFailures}}) {
            if (found.count >= limit)
                lockedForSeconds = qMax(lockedForSeconds, found.lastSeconds + m_config.failureWindowSeconds - current);
        }
        if (lockedForSeconds > 0)
            return QJsonValue();
        addFailure(db, OperatorKind, attempt.operatorKey, current);
        addFailure(db, AddressKind, attempt.addressKey, current);
        attempt.operatorFailures = byOperator.count + 1;
        return QJsonValue();
    });
    if (lockedForSeconds > 0)
        throw LockedOut(lockedForSeconds);
    return attempt;
}

void SessionService::forgetAttempt(QSqlDatabase& db, const Attempt& attempt)
{
    QSqlQuery forget = prepared(db, QStringLiteral(
        "DELETE FROM FALHALOGIN WHERE TPCHAVE = :kind AND DSCHAVE = :key"));
    forget.bindValue(QStringLiteral(":kind"), OperatorKind);
    forget.bindValue(QStringLiteral(":key"), attempt.operatorKey);
    execute(forget);
    QSqlQuery giveBack = prepared(db, QStringLiteral(
        "UPDATE FALHALOGIN SET QTFALHAS = QTFALHAS - 1 WHERE TPCHAVE = :kind AND DSCHAVE = :key AND QTFALHAS > 0"));
    giveBack.bindValue(QStringLiteral(":kind"), AddressKind);
    giveBack.bindValue(QStringLiteral(":key"), attempt.addressKey);
    execute(giveBack);
}

// Runs outside any transaction: the attempt is counted in a short one, the
// password is hashed holding no lock at all.
std::optional<SessionService::OperatorRow> SessionService::checkPassword(
    CallContext& context, const QString& operatorCode, const QString& password, Attempt* attempt)
{
    *attempt = countAttempt(context.db, operatorCode, context.clientAddress);
    auto row = findOperator(context.db, operatorCode);
    if (passwordMatches(row, password))
        return row;
    const qint64 delayMs = qint64(m_config.loginFailureDelayMs) * attempt->operatorFailures;
    context.replyDelayMs = int(qMin<qint64>(delayMs, m_config.maxLoginFailureDelayMs));
    return std::nullopt;
}

QString SessionService::login(CallContext& context, const QString& operatorCode,
                              const QString& password)
{
    Attempt attempt;
    if (!checkPassword(context, operatorCode, password, &attempt)) {
        qCWarning(lcSession).noquote() << "failed log-in of operator" << loggable(operatorCode)
                                       << "from" << context.clientAddress;
        throw MethodError(LoginFailedMessage.toStdString());
    }

    const QString token = newToken();
    runInTransaction(context.db, [&] {
        forgetAttempt(context.db, attempt);
        const qint64 current = now();
        QSqlQuery prune = prepared(context.db, QStringLiteral(
            "DELETE FROM SESSAOSERV WHERE DTULTIMOUSO < :oldest"));
        prune.bindValue(QStringLiteral(":oldest"), current - m_config.idleSeconds);
        execute(prune);

        QSqlQuery insert = prepared(context.db, QStringLiteral(
            "INSERT INTO SESSAOSERV (DSHASHTOKEN, CDOPERADOR, DTCRIACAO, DTULTIMOUSO) "
            "VALUES (:hash, :op, :created, :used)"));
        insert.bindValue(QStringLiteral(":hash"), tokenHash(token));
        insert.bindValue(QStringLiteral(":op"), operatorCode);
        insert.bindValue(QStringLiteral(":created"), current);
        insert.bindValue(QStringLiteral(":used"), current);
        execute(insert);
        return QJsonValue();
    });
    qCInfo(lcSession).noquote() << "operator" << operatorCode << "logged in";
    return token;
}

bool SessionService::logout(CallContext& context, const QString& token)
{
    QSqlQuery remove = prepared(context.db, QStringLiteral(
        "DELETE FROM SESSAOSERV WHERE DSHASHTOKEN = :hash"));
    remove.bindValue(QStringLiteral(":hash"), tokenHash(token));
    execute(remove);
    return remove.numRowsAffected() > 0;
}

QJsonArray SessionService::authorize(CallContext& context, const QString& operatorCode,
                                     const QString& password, qint64 kind)
{
    Attempt attempt;
    const auto row = checkPassword(context, operatorCode, password, &attempt);
    if (!row) {
        qCWarning(lcSession).noquote() << "refused release of kind" << kind << "for operator"
                                       << context.operatorCode << ": wrong password of supervisor"
                                       << loggable(operatorCode);
        throw MethodError(WrongPasswordKey.toStdString());
    }
    runInTransaction(context.db, [&] {
        forgetAttempt(context.db, attempt);
        return QJsonValue();
    });
    if (!row->leader) {
        qCInfo(lcSession).noquote() << "refused release of kind" << kind << "for operator"
                                    << context.operatorCode << ":" << operatorCode << "is no leader";
        throw MethodError(NotLeaderKey.toStdString());
    }
    // The method that stores what was released asks the database, not the
    // client, whether a supervisor released it.
    runInTransaction(context.db, [&] {
        recordSupervisorRelease(context.db, context.operatorCode, kind, operatorCode,
                                QDateTime::currentSecsSinceEpoch());
        return QJsonValue();
    });
    qCInfo(lcSession).noquote() << "release of kind" << kind << "for operator"
                                << context.operatorCode << "by" << operatorCode;
    return QJsonArray{true, row->name};
}
