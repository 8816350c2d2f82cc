#include "window_run.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace {

constexpr int WAIT_MS = 120000;

QMap<QString, quint64> countsOf(const QString &panelText)
{
    static const QRegularExpression line(QStringLiteral(R"(^\s*(\S+) = (\d+)\b)"),
                                         QRegularExpression::MultilineOption);
    QMap<QString, quint64> counts;
    auto matches = line.globalMatch(panelText);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        counts.insert(match.captured(1), match.captured(2).toULongLong());
    }
    return counts;
}

} // namespace

WindowRun runWindow(const QString &workDir, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workDir);
    process.start(QStringLiteral(PAKTO_WINDOW_PATH), arguments);

    WindowRun run;
    if (!process.waitForFinished(WAIT_MS))
        process.kill();
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    run.panelCounts = countsOf(run.out);
    return run;
}

// A line reads "[ 发 12.345ms , 8字节 ]  00 01 ..." for a sent frame, 收 for
// a received one.
QList<QByteArray> capturedFrames(const QString &path, bool sent)
{
    const QString direction = sent ? QStringLiteral("[ 发 ") : QStringLiteral("[ 收 ");
    QFile file(path);
    QList<QByteArray> frames;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return frames;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(direction))
            frames << QByteArray::fromHex(line.section(QStringLiteral(" ] "), 1).toLatin1());
    }
    return frames;
}
