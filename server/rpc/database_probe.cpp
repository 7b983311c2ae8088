#include "database_probe.h"

#include <QAtomicInteger>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QAtomicInteger<quint64> probeCounter;

qint64 monotonicMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

DatabaseProbe::DatabaseProbe(DatabaseConfig config, int intervalMs)
    : m_config(std::move(config)),
      m_intervalMs(intervalMs),
      m_connectionName(QStringLiteral("ped-probe-%1").arg(++probeCounter))
{
    monotonicMs();
    m_thread = std::thread([this] { run(); });
    QMutexLocker lock(&m_mutex);
    while (!m_checkedOnce)
        m_wake.wait(&m_mutex);
}

DatabaseProbe::~DatabaseProbe()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_wake.wakeAll();
    }
    m_thread.join();
}

DatabaseHealth DatabaseProbe::health() const
{
    QMutexLocker lock(&m_mutex);
    DatabaseHealth health;
    health.checkedMsAgo = monotonicMs() - m_lastCheckEndMs;
    // A check normally ends within an interval; one that has not come back
    // for two more is stuck on a database that does not answer.
    const bool recent = health.checkedMsAgo <= 3 * qint64(m_intervalMs);
    health.answers = m_answered && recent;
    if (!recent)
        health.problem = QStringLiteral("the database has not answered for %1 ms").arg(health.checkedMsAgo);
    else if (!m_answered)
        health.problem = m_problem;
    return health;
}

void DatabaseProbe::run()
{
    for (;;) {
        check();
        QMutexLocker lock(&m_mutex);
        const QDeadlineTimer next(m_intervalMs);
        while (!m_stopping && !next.hasExpired())
            m_wake.wait(&m_mutex, next);
        if (m_stopping)
            break;
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void DatabaseProbe::check()
{
    bool answered = false;
    QString problem;
    try {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (!db.isOpen())
            db = openDatabase(m_config, m_connectionName);
        QSqlQuery query(db);
        answered = query.exec(QStringLiteral("SELECT 1")) && query.next();
        if (!answered) {
            problem = query.lastError().text();
            query = QSqlQuery();
            db.close();   // opened afresh next time
        }
    } catch (const std::exception& error) {
        problem = QString::fromUtf8(error.what()).simplified();
    }
    QMutexLocker lock(&m_mutex);
    m_answered = answered;
    m_problem = problem;
    m_lastCheckEndMs = monotonicMs();
    m_checkedOnce = true;
    m_wake.wakeAll();
}
