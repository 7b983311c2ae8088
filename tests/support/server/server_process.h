#pragma once
// The real pedserver executable (from PED_BIN_DIR) as a child process, for
// tests that kill and restart it.

#include <QProcess>
#include <QStringList>
#include <memory>

namespace PedTest {

class ServerProcess {
public:
    // Starts pedserver with `arguments` plus "--listen 127.0.0.1:0" and waits
    // until it listens. Throws std::runtime_error with its output when it does not.
    explicit ServerProcess(const QStringList& arguments);
    ~ServerProcess();   // kills it when still running

    quint16 port() const { return m_port; }
    qint64 processId() const { return m_process->processId(); }
    void kill();          // SIGKILL, no chance to clean up
    int terminate();      // SIGTERM; returns the exit code
    QByteArray output();  // what it printed so far (stdout and stderr)

    static QString executable();

    // Runs pedserver with `arguments` to its end: its exit code (-1 when it
    // crashed or did not end in time) and everything it printed.
    struct Run {
        int exitCode = -1;
        QString output;
    };
    static Run run(const QStringList& arguments, int timeoutMs = 240'000);

private:
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QByteArray m_output;
};

} // namespace PedTest
