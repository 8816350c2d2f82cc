// pakto-peer and pakto run as child processes, the way scripts run them, and
// what the peer sends decoded with the codec.
#pragma once

#include <QProcess>
#include <QSerialPort>
#include <QStringList>
#include <QVector>

#include <csignal>

// How a program ended; exit code -1 when it crashed or never ended.
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    // N from the line "name: N" (peer report) or "name = N" (statistics panel)
    // of out, else 0: the panel leaves out error counts of 0.
    quint64 count(const QString &name) const;
};

// Runs program to its end (2 minutes at most), with no display or platform named.
Run runToEnd(const QString &program, const QStringList &arguments, const QString &workDir = QString());

// pakto-peer --pty with arguments, running; path is what it printed first.
struct PeerProcess {
    explicit PeerProcess(const QStringList &arguments);
    // Sends signalNumber (none for 0), waits for the end and takes the report.
    Run stop(int signalNumber = SIGTERM);
    QString path;
    QProcess process;
};

QByteArray readFile(const QString &path);
QByteArray framesOf(const QVector<QByteArray> &bodies);

// What arrives at the tool's end (into received) until count events other than
// "short" or 10 s pass, decoded with the codec: "echo 2" (the second of bodies),
// "extra 2" (two more bytes), "echo 2 corrupt" (one byte changed), "frame ?",
// the errors "short", "long", "crc", "7d", and "skip" for bytes hunted over.
QStringList readEvents(QSerialPort &tool, const QVector<QByteArray> &bodies, int count, QByteArray &received);

// Labels of the statistics panel, which prints Chinese with no translation.
namespace panel {
const QString SENT = "发送包数", SEND_ERRORS = "发送错误", RECEIVED = "接收包数", BYTES = "接收字节";
const QString ESCAPE_ERRORS = "7D错误", CRC_ERRORS = "CRC错误", TOO_LONG = "超长", TOO_SHORT = "超短";
const QString COMPARED_OK = "比较成功", COMPARE_FAILED = "比较失败";
} // namespace panel
