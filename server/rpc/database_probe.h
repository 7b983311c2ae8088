#pragma once
// Whether the database answers, for the health check. A thread of its own
// asks the database a trivial question every few seconds on a connection of
// its own, so the answer is at hand at once, even while every worker is busy
// and even when the database hangs (a check that does not come back in time
// counts as no answer).

#include "store/database.h"

#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <thread>

struct DatabaseHealth {
    bool answers = false;
    qint64 checkedMsAgo = -1;   // -1: never checked
    QString problem;            // why not, for the administrator
};

class DatabaseProbe {
public:
    static constexpr int DefaultIntervalMs = 2000;

    // Checks once before returning, then keeps checking every `intervalMs`.
    explicit DatabaseProbe(DatabaseConfig config, int intervalMs = DefaultIntervalMs);
    ~DatabaseProbe();
    DatabaseProbe(const DatabaseProbe&) = delete;
    DatabaseProbe& operator=(const DatabaseProbe&) = delete;

    DatabaseHealth health() const;

private:
    void run();
    void check();

    const DatabaseConfig m_config;
    const int m_intervalMs;
    const QString m_connectionName;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    bool m_stopping = false;
    bool m_checkedOnce = false;
    bool m_answered = false;
    qint64 m_lastCheckEndMs = 0;   // monotonic clock
    QString m_problem;
    std::thread m_thread;
};
