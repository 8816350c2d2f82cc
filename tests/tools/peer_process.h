// pakto-peer run as a child process, the way scripts run it.
#pragma once

#include <QMap>
#include <QProcess>
#include <QStringList>

class PeerProcess
{
public:
    struct Finished {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // Runs the peer with arguments to its end; for invocations that return at once.
    static Finished runToEnd(const QStringList &arguments);

    ~PeerProcess();

    // Starts the peer with --pty and arguments, and reads the slave path from
    // its first line of output.
    bool startPty(const QStringList &arguments);
    QString ptyPath() const { return path; }

    // Sends signalNumber, or nothing for 0, and waits for the peer to exit.
    bool stop(int signalNumber);
    int exitCode() const { return process.exitCode(); }
    // The "name: value" lines printed after the path.
    QMap<QString, quint64> report();

private:
    QProcess process;
    QString path;
};
