#include "session_service.h"

#include "method_registry.h"
#include "password.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

Q_LOGGING_CATEGORY(lcSession, "ped.session")

namespace {

constexpr int TokenBytes = 32;
constexpr qint64 FailureMemorySeconds = 15 * 60;
constexpr int MaxRememberedOperators = 10000;

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
        "same error, and each failure of an operator delays the answer a little longer.");
    login.resultDoc = QStringLiteral(
        "The session token (text): send it as `Authorization: Bearer <token>` on every other call.");
    login.needsSession = false;
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
        "a group of operators (IDLIDER = 'S').");
    authorize.resultDoc = QStringLiteral(
        "Value array [true, supervisor name]. Error \"SENHA_INVALIDA\" for an unknown, inactive "
        "or wrong supervisor or password; \"OPER_SEM_PERMISSAO\" when the supervisor is no leader.");
    authorize.function = [this](CallContext& context, QJsonArray& params) {
        return QJsonValue(this->authorize(context, params[0].toString(), params[1].toString(),
                                          params[2].toInteger()));
    };
    registry.add(std::move(authorize));
}

std::optional<QString> SessionService::operatorForToken(QSqlDatabase& db, const QString& token)
{
    if (token.isEmpty())
        return std::nullopt;
    const QString hash = tokenHash(token);
    QSqlQuery query = prepared(db, QStringLiteral(
        "SELECT S.CDOPERADOR, S.DTULTIMOUSO, O.IDATIVO FROM SESSAOSERV S "
        "JOIN OPERADOR O ON O.CDOPERADOR = S.CDOPERADOR WHERE S.DSHASHTOKEN = :hash"));
    query.bindValue(QStringLiteral(":hash"), hash);
    execute(query);
    if (!query.next())
        return std::nullopt;
    const QString operatorCode = query.value(0).toString();
    const qint64 lastUsed = query.value(1).toLongLong();
    const bool active = query.value(2).toString() == QLatin1String("S");
    query.finish();

    const qint64 current = now();
    if (!active || current - lastUsed > m_config.idleSeconds) {
        QSqlQuery remove = prepared(db, QStringLiteral("DELETE FROM SESSAOSERV WHERE DSHASHTOKEN = :hash"));
        remove.bindValue(QStringLiteral(":hash"), hash);
        execute(remove);
        return std::nullopt;
    }
    // Touch often enough that a session in use never looks idle.
    const qint64 touchIntervalSeconds = qMin(m_config.touchIntervalSeconds, m_config.idleSeconds / 4);
    if (current - lastUsed >= touchIntervalSeconds) {
        QSqlQuery touch = prepared(db, QStringLiteral(
            "UPDATE SESSAOSERV SET DTULTIMOUSO = :now WHERE DSHASHTOKEN = :hash"));
        touch.bindValue(QStringLiteral(":now"), current);
        touch.bindValue(QStringLiteral(":hash"), hash);
        execute(touch);
    }
    return operatorCode;
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

int SessionService::recordFailure(const QString& operatorCode)
{
    const qint64 current = now();
    QMutexLocker lock(&m_failuresMutex);
    if (m_failures.size() >= MaxRememberedOperators) {
        m_failures.removeIf([&](const auto& entry) {
            return current - entry.value().lastSeconds > FailureMemorySeconds;
        });
        if (m_failures.size() >= MaxRememberedOperators)
            m_failures.clear();
    }
    Failures& failures = m_failures[operatorCode];
    if (current - failures.lastSeconds > FailureMemorySeconds)
        failures.count = 0;
    ++failures.count;
    failures.lastSeconds = current;
    const qint64 delayMs = qint64(m_config.loginFailureDelayMs) * failures.count;
    return int(qMin<qint64>(delayMs, m_config.maxLoginFailureDelayMs));
}

void SessionService::forgetFailures(const QString& operatorCode)
{
    QMutexLocker lock(&m_failuresMutex);
    m_failures.remove(operatorCode);
}

QString SessionService::login(CallContext& context, const QString& operatorCode,
                              const QString& password)
{
    const auto row = findOperator(context.db, operatorCode);
    if (!passwordMatches(row, password)) {
        context.replyDelayMs = recordFailure(operatorCode);
        qCWarning(lcSession).noquote() << "failed log-in of operator" << loggable(operatorCode);
        throw MethodError(LoginFailedMessage.toStdString());
    }
    forgetFailures(operatorCode);

    const qint64 current = now();
    QSqlQuery prune = prepared(context.db, QStringLiteral(
        "DELETE FROM SESSAOSERV WHERE DTULTIMOUSO < :oldest"));
    prune.bindValue(QStringLiteral(":oldest"), current - m_config.idleSeconds);
    execute(prune);

    const QString token = newToken();
    QSqlQuery insert = prepared(context.db, QStringLiteral(
        "INSERT INTO SESSAOSERV (DSHASHTOKEN, CDOPERADOR, DTCRIACAO, DTULTIMOUSO) "
        "VALUES (:hash, :op, :created, :used)"));
    insert.bindValue(QStringLiteral(":hash"), tokenHash(token));
    insert.bindValue(QStringLiteral(":op"), operatorCode);
    insert.bindValue(QStringLiteral(":created"), current);
    insert.bindValue(QStringLiteral(":used"), current);
    execute(insert);
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
    const auto row = findOperator(context.db, operatorCode);
    if (!passwordMatches(row, password)) {
        context.replyDelayMs = recordFailure(operatorCode);
        qCWarning(lcSession).noquote() << "refused release of kind" << kind << "for operator"
                                       << context.operatorCode << ": wrong password of supervisor"
                                       << loggable(operatorCode);
        throw MethodError(WrongPasswordKey.toStdString());
    }
    forgetFailures(operatorCode);
    if (!row->leader) {
        qCInfo(lcSession).noquote() << "refused release of kind" << kind << "for operator"
                                    << context.operatorCode << ":" << operatorCode << "is no leader";
        throw MethodError(NotLeaderKey.toStdString());
    }
    qCInfo(lcSession).noquote() << "release of kind" << kind << "for operator"
                                << context.operatorCode << "by" << operatorCode;
    return QJsonArray{true, row->name};
}
