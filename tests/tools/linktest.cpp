#include "linktest.h"

#include "codec/ppp_frame.h"
#include "referencedecoder.h"

#include <QFile>
#include <QRegularExpression>

#include <utility>

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

static QString nameOf(const QByteArray &body, const QVector<QByteArray> &sent)
{
    for (int k = 0; k < sent.size(); ++k)
        if (body == sent[k] || body == sent[k] + "\x55\xAA")
            return QString(body == sent[k] ? "echo %1" : "extra %1").arg(k + 1);
    return "frame ?";
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

QByteArray framesOf(const QVector<QByteArray> &bodies)
{
    QByteArray frames, frame(FRAME_BUF_SIZE, '\0');
    for (const QByteArray &body : bodies)
        frames += frame.left(ppp_frame_encode(reinterpret_cast<const uchar *>(body.constData()),
                                              body.size(), reinterpret_cast<uchar *>(frame.data()),
                                              FRAME_BUF_SIZE));
    return frames;
}

QStringList readEvents(QSerialPort &tool, const QVector<QByteArray> &bodies, int count,
                       QByteArray &received)
{
    QStringList events;
    ReferenceDecoder decoder(FRAME_BUF_SIZE);
    for (bool skipping = false; events.size() < count && tool.waitForReadyRead(WAIT_MS);)
        for (const char byte : tool.readAll()) {
            received += byte;
            if (std::exchange(skipping, decoder.hunting() && byte != '\x7E') && !skipping)
                events << "skip";
            const int result = decoder.feed(uchar(byte));
            if (result != 0) // the errors are -1 to -4
                events << (result > 0
                               ? nameOf(QByteArray(
                                            reinterpret_cast<const char *>(decoder.body().data()),
                                            result),
                                        bodies)
                               : QStringList{"short", "long", "crc", "7d"}.value(-1 - result));
        }
    return events;
}
