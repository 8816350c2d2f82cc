// pakto-peer and pakto as child processes, the way scripts run them.
#pragma once

#include <QProcess>
#include <csignal>
#include <functional>

struct Run {
    int exitCode = -1; // -1: crashed or never ended
    QString out, err;
    // V from the line "name: V" (peer, report) or "name = V" (panel) of out or err.
    QString value(const QString &name) const;
    quint64 count(const QString &name) const { return value(name).toULongLong(); }
};

// To its end (2 minutes at most), with no display or platform named; whileRunning has it first.
Run runToEnd(const QString &program, const QStringList &arguments,
             const QString &workDir = QString(),
             const std::function<void(QProcess &)> &whileRunning = {});

struct PeerProcess { // pakto-peer --pty running; path: the first line it printed
    explicit PeerProcess(const QStringList &arguments);
    Run stop(int signalNumber = SIGTERM); // 0: wait for it to end by itself
    QString path;
    QProcess process;
};

// A run's JSON report read by Python (scripts/readreport.py): exit 0 when every key and type
// holds; out: each counter, "exit_code" and "reasons" (space-separated) as "name: V".
Run readReport(const QByteArray &json);

QByteArray readFile(const QString &path);
