#include "linktest.h"

#include <QFile>
#include <QRegularExpression>

static constexpr int WAIT_MS = 10000;

static Run finish(QProcess &process, int waitMs)
{
    if (!process.waitForFinished(waitMs))
        process.kill();
    process.waitForFinished(WAIT_MS);
    const bool ended =
        process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QString Run::value(const QString &name) const
{
    const QRegularExpression line("(?m)^\\s*" + QRegularExpression::escape(name) + "(: | = )(.*)$");
    return line.match(out + err).captured(2);
}

Run readReport(const QByteArray &json)
{
    QProcess python;
    python.start("python3", {PAKTO_SOURCE_DIR "/scripts/readreport.py"});
    python.write(json);
    python.closeWriteChannel();
    return finish(python, WAIT_MS);
}

Run runToEnd(const QString &program, const QStringList &arguments, const QString &workDir,
             const std::function<void(QProcess &)> &whileRunning)
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        qunsetenv(name);
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    if (whileRunning)
        whileRunning(process);
    return finish(process, 12 * WAIT_MS);
}

PeerProcess::PeerProcess(const QStringList &arguments)
{
    process.start(PAKTO_PEER_PATH, QStringList{"--pty"} + arguments);
    path = process.waitForReadyRead(WAIT_MS) ? QString(process.readLine()).trimmed()
                                             : QString(); // one write
}

Run PeerProcess::stop(int signalNumber)
{
    if (signalNumber != 0 && process.processId() > 0)
        ::kill(pid_t(process.processId()), signalNumber);
    return finish(process, WAIT_MS);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
