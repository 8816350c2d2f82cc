#include "linktest.h"

#include "codec/ppp_frame.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <utility>

namespace {

constexpr int WAIT_MS = 10000;

Run finish(QProcess &process, int waitMs)
{
    if (!process.waitForFinished(waitMs))
        process.kill();
    process.waitForFinished(WAIT_MS);
    Run run;
    if (process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString nameOf(const QByteArray &body, const QVector<QByteArray> &bodies)
{
    for (int k = 0; k < bodies.size(); ++k) {
        const QByteArray &sent = bodies[k];
        const int extra = body.size() - sent.size();
        if (extra != 0 && extra != 2)
            continue;
        int differing = 0;
        for (int i = 0; i < sent.size(); ++i)
            differing += body[i] != sent[i];
        if (differing <= 1)
            return QString("%1 %2%3").arg(extra ? "extra" : "echo").arg(k + 1).arg(differing ? " corrupt" : "");
    }
    return "frame ?";
}

QStringList eventsIn(const QByteArray &wire, const QVector<QByteArray> &bodies)
{
    static const QMap<int, QString> errors = {{FRAME_TOO_SHORT, "short"}, {FRAME_TOO_LONG, "long"},
                                              {FRAME_BAD_FCS, "crc"}, {FRAME_BAD_ESCAPE, "7d"}};
    QStringList events;
    DecoderState state{};
    QByteArray body(FRAME_BUF_SIZE, '\0');
    bool skipping = false;
    for (char byte : wire) {
        if (!state.inFrame && byte != '\x7E')
            skipping = true;
        else if (std::exchange(skipping, false))
            events << "skip";
        const int result = ppp_frame_decode(state, uchar(byte), reinterpret_cast<uchar *>(body.data()), FRAME_BUF_SIZE);
        if (result > 0)
            events << nameOf(body.left(result), bodies);
        else if (result < 0)
            events << errors.value(result);
    }
    return events;
}

} // namespace

quint64 Run::count(const QString &name) const
{
    const QRegularExpression line("^\\s*" + QRegularExpression::escape(name) + "(: | = )(\\d+)",
                                  QRegularExpression::MultilineOption);
    return line.match(out).captured(2).toULongLong();
}

Run runToEnd(const QString &program, const QStringList &arguments, const QString &workDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(name);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    return finish(process, 12 * WAIT_MS);
}

PeerProcess::PeerProcess(const QStringList &arguments)
{
    process.start(PAKTO_PEER_PATH, QStringList{"--pty"} + arguments);
    process.waitForReadyRead(WAIT_MS); // the line comes in one write
    path = QString::fromLocal8Bit(process.readLine()).trimmed();
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

QByteArray framesOf(const QVector<QByteArray> &bodies)
{
    QByteArray frames;
    for (const QByteArray &body : bodies) {
        QByteArray frame(FRAME_BUF_SIZE, '\0');
        frames += frame.left(ppp_frame_encode(reinterpret_cast<const uchar *>(body.constData()),
                                              body.size(), reinterpret_cast<uchar *>(frame.data()), FRAME_BUF_SIZE));
    }
    return frames;
}

QStringList readEvents(QSerialPort &tool, const QVector<QByteArray> &bodies, int count, QByteArray &received)
{
    QStringList events;
    const QDeadlineTimer deadline(WAIT_MS);
    while (events.size() - events.count("short") < count && tool.waitForReadyRead(int(deadline.remainingTime())))
        events = eventsIn(received += tool.readAll(), bodies);
    return events;
}
