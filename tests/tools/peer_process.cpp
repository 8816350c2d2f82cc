#include "peer_process.h"

#include <csignal>

namespace {

constexpr int WAIT_MS = 10000;

} // namespace

PeerProcess::Finished PeerProcess::runToEnd(const QStringList &arguments)
{
    QProcess process;
    process.start(PAKTO_PEER_PATH, arguments);
    if (!process.waitForFinished(WAIT_MS))
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

PeerProcess::~PeerProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(WAIT_MS);
    }
}

bool PeerProcess::startPty(const QStringList &arguments)
{
    process.start(PAKTO_PEER_PATH, QStringList{"--pty"} + arguments);
    while (!process.canReadLine() && process.waitForReadyRead(WAIT_MS)) {
    }
    path = QString::fromLocal8Bit(process.readLine()).trimmed();
    return !path.isEmpty();
}

bool PeerProcess::stop(int signalNumber)
{
    if (signalNumber != 0)
        ::kill(pid_t(process.processId()), signalNumber);
    return process.waitForFinished(WAIT_MS) && process.exitStatus() == QProcess::NormalExit;
}

QMap<QString, quint64> PeerProcess::report()
{
    QMap<QString, quint64> counters;
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList parts = line.split(": ");
        if (parts.size() == 2)
            counters.insert(parts[0], parts[1].toULongLong());
    }
    return counters;
}
