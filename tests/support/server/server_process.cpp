#include "server_process.h"

#include <QDir>
#include <QRegularExpression>
#include <stdexcept>

namespace PedTest {

namespace {
constexpr int StartWaitMs = 60'000;
}

QString ServerProcess::executable()
{
    const QString binDir = qEnvironmentVariable("PED_BIN_DIR");
    if (binDir.isEmpty())
        throw std::runtime_error("PED_BIN_DIR is not set");
    return QDir(binDir).filePath(QStringLiteral("pedserver"));
}

ServerProcess::ServerProcess(const QStringList& arguments) : m_process(std::make_unique<QProcess>())
{
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start(executable(), arguments + QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    if (!m_process->waitForStarted(StartWaitMs))
        throw std::runtime_error("cannot start pedserver: " + m_process->errorString().toStdString());
    static const QRegularExpression listening(QStringLiteral("listening on http://[^:]+:(\\d+)"));
    while (m_port == 0) {
        if (!m_process->waitForReadyRead(StartWaitMs))
            throw std::runtime_error("pedserver did not start listening: " + output().toStdString());
        m_output += m_process->readAll();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(m_output));
        if (match.hasMatch())
            m_port = quint16(match.captured(1).toUInt());
    }
}

ServerProcess::~ServerProcess()
{
    if (m_process->state() != QProcess::NotRunning)
        kill();
}

QByteArray ServerProcess::output()
{
    // Without an event loop the pipe is read only when asked.
    while (m_process->state() == QProcess::Running && m_process->waitForReadyRead(0))
        m_output += m_process->readAll();
    m_output += m_process->readAll();
    return m_output;
}

void ServerProcess::kill()
{
    m_process->kill();
    m_process->waitForFinished(StartWaitMs);
}

int ServerProcess::terminate()
{
    m_process->terminate();
    if (!m_process->waitForFinished(StartWaitMs))
        throw std::runtime_error("pedserver did not stop after SIGTERM");
    m_output += m_process->readAll();
    return m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

ServerProcess::Run ServerProcess::run(const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable(), arguments);
    Run run;
    if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

} // namespace PedTest
