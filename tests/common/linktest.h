// pakto-peer and pakto as child processes, the way scripts run them.
#pragma once

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <functional>

constexpr int WAIT_MS = 10000;

struct Run {
    int exitCode = -1; // -1: crashed or never ended
    QString out, err;
    // V from the line "name: V" (peer, report) or "name = V" (panel) of out or err.
    QString value(const QString &name) const
    {
        const QString line = "(?m)^\\s*" + QRegularExpression::escape(name) + "(: | = )(.*)$";
        return QRegularExpression(line).match(out + err).captured(2);
    }
    quint64 count(const QString &name) const { return value(name).toULongLong(); }
};

inline Run finish(QProcess &process, int waitMs = WAIT_MS)
{
    if (!process.waitForFinished(waitMs))
        process.kill();
    process.waitForFinished(WAIT_MS);
    const bool ended =
        process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

// To its end (2 minutes at most), with no display, and no platform or the one named;
// whileRunning has it first.
inline Run runToEnd(const QString &program, const QStringList &arguments,
                    const QString &workDir = QString(),
                    const std::function<void(QProcess &)> &whileRunning = {},
                    const QString &platform = QString())
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        qunsetenv(name);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toLatin1());
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    if (whileRunning)
        whileRunning(process);
    return finish(process, 12 * WAIT_MS);
}

struct PeerProcess { // pakto-peer --pty running; path: the first line it printed, in one write
    explicit PeerProcess(const QStringList &arguments)
    {
        process.start(PAKTO_PEER_PATH, QStringList{"--pty"} + arguments);
        path = process.waitForReadyRead(WAIT_MS) ? QString(process.readLine()).trimmed() : "";
    }
    Run stop() // a peer ending by itself (--frames) is let finish, or the signal could cut its exit
    {
        if (!process.waitForFinished(100) && process.processId() > 0)
            ::kill(pid_t(process.processId()), SIGTERM);
        return finish(process);
    }
    QString path;
    QProcess process;
};

// A run's JSON report read by Python (scripts/readreport.py): exit 0 when every key and type
// holds; out: each counter, "exit_code" and "reasons" (space-separated) as "name: V".
inline Run readReport(const QByteArray &json)
{
    QProcess python;
    python.start("python3", {PAKTO_SOURCE_DIR "/scripts/readreport.py"});
    python.write(json);
    python.closeWriteChannel();
    return finish(python);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}
