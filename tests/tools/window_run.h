// pakto run headless as a child process, the way a script on a server runs
// it: in a working directory of its own, with no display and no platform named.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Labels of the statistics panel, which prints Chinese without a translation.
namespace panel {
const QString SENT = QStringLiteral("发送包数");
const QString SEND_ERRORS = QStringLiteral("发送错误");
const QString RECEIVED = QStringLiteral("接收包数");
const QString ESCAPE_ERRORS = QStringLiteral("7D错误");
const QString CRC_ERRORS = QStringLiteral("CRC错误");
const QString TOO_LONG = QStringLiteral("超长");
const QString TOO_SHORT = QStringLiteral("超短");
const QString RECEIVED_BYTES = QStringLiteral("接收字节");
const QString COMPARED_OK = QStringLiteral("比较成功");
const QString COMPARE_FAILED = QStringLiteral("比较失败");
} // namespace panel

struct WindowRun {
    int exitCode = -1; // -1 also when it crashed or never ended
    QString out;
    QString err;
    QMap<QString, quint64> panelCounts; // the "label = number" lines printed

    // A label the panel leaves out (an error count of 0) reads as 0.
    quint64 count(const QString &label) const { return panelCounts.value(label, 0); }
};

WindowRun runWindow(const QString &workDir, const QStringList &arguments);

// The capture file's frames in one direction, as bytes.
QList<QByteArray> capturedFrames(const QString &path, bool sent);
