// What a run hears from its links while they run: their messages, their
// frames, their ends.
#include "headlessrun.h"
#include "runmessages.h"
#include "shell/texts.h"

namespace {
constexpr quint64 MEMORY_REPORT_EVERY = 100000; // after the first
} // namespace

void HeadlessRun::watchSession(RunLink &link)
{
    LinkSession *session = &link.session;
    QObject::connect(session, &LinkSession::bytesArrived, &loop,
                     [&link] { link.sinceLastByte.restart(); });
    // The window's boxes: their title is the window's, their text the message.
    const auto tell = [](const QString &, const QString &text) { printMessage(text); };
    QObject::connect(session, &LinkSession::warning, &loop, tell);
    QObject::connect(session, &LinkSession::refused, &loop, tell);
    QObject::connect(session, &LinkSession::caution, &loop, [&link](const QString &text) {
        printWarning(text);
        link.warnings << text;
    });
    QObject::connect(session, &LinkSession::stoppedSending, &loop, [this, &link] {
        link.sendingStopped = true;
        linkEnded();
    });
    QObject::connect(session, &LinkSession::lost, &loop, [this, &link](const QString &why) {
        printMessage(why);
        link.lost = true;
        linkEnded();
    });
    QObject::connect(session, &LinkSession::portAway, &loop,
                     [](const QString &why) { printMessage(Texts::tr("%1；等待重连").arg(why)); });
    QObject::connect(session, &LinkSession::portBack, &loop, [this, &link] {
        printMessage(Texts::tr("串口 %1 已重新打开").arg(link.session.portPath()));
        takeLineWarnings(link);
    });
    if (plan.reportMemory || plan.show)
        QObject::connect(session, &LinkSession::frame, &loop,
                         [this, &link](const FrameEvent &event) { onFrame(link, event); });
}

// With several links each line names its port.
void HeadlessRun::onFrame(const RunLink &link, const FrameEvent &event)
{
    if (traffic && links.size() > 1)
        *traffic << link.port << ' ';
    if (traffic)
        *traffic << captureLine(labels, event.bytes, event.length, event.direction, event.stampMs)
                 << '\n';
    const quint64 sent = total(&TrafficCounters::cntTxPackets);
    if (plan.reportMemory && sent >= nextMemoryReport) {
        reportMemory(QStringLiteral("after %1 frames").arg(sent));
        nextMemoryReport = (sent / MEMORY_REPORT_EVERY + 1) * MEMORY_REPORT_EVERY;
    }
}

// The others go on without it; the run waits no longer once none is left.
void HeadlessRun::linkEnded()
{
    if (everyLink(&RunLink::ended))
        loop.quit();
}
