#include "headlessrun.h"
#include "runmessages.h"
#include "runreport.h"
#include "serial/portaccess.h"
#include "shell/signalwatch.h"
#include "shell/texts.h"

#include <QTextStream>
#include <QTimer>

namespace {

// Replies still due when sending stops are let in before the count: until
// nothing is outstanding (and a late duplicate had its moment to arrive), or,
// without a reply timeout to give packets up, until the line has been quiet
// for the longer of QUIET_MS and twice the longest round trip.
constexpr int QUIET_MS = 300;
constexpr int SETTLE_MS = 50;
constexpr int LONGEST_WAIT_MS = 10000; // a line that never falls quiet
constexpr int WAIT_PAST_TIMEOUT_MS = 1000;
constexpr int POLL_MS = 10;
// After the first signal, replies still on their way get this long at most.
constexpr int SIGNAL_GRACE_MS = 500;
constexpr quint64 FIRST_MEMORY_REPORT = 10000;
constexpr quint64 MEMORY_REPORT_EVERY = 100000;
constexpr quint64 FEWEST_BITS = 1000; // compared by a bit error test that proves anything

} // namespace

int RunVerdict::exitStatus() const
{
    if (signalNumber != 0)
        return EXIT_SIGNAL_BASE + signalNumber;
    return reasons.isEmpty() ? EXIT_CLEAN_RUN : EXIT_ERRORS_COUNTED;
}

HeadlessRun::HeadlessRun(const HeadlessPlan &plan, const RunSettings &settings,
                         const SignalWatch &watch, RunReport &report)
    : plan(plan), setup(settings), interruption(watch), warnings(settings.warnings), report(report),
      nextMemoryReport(FIRST_MEMORY_REPORT)
{
    session.configure(settings.session);
    session.setDrainCutShort([] { return SignalWatch::firstSignal() != 0; });
    if (plan.show)
        traffic =
            std::make_unique<QTextStream>(plan.reportPath == QLatin1String("-") ? stderr : stdout);
}

int HeadlessRun::exec(const QStringList &extraPorts)
{
    watchSession();
    if (!openPort(extraPorts))
        return refuse("port_open_failed");
    if (!startCapture())
        return refuse("capture_failed");
    takeLineWarnings();
    if (!runTest())
        return refuse("send_refused");
    settle();
    const RunVerdict verdict = judge();
    printStatistics();
    if (plan.reportMemory)
        reportMemory(QStringLiteral("at the end, after %1 frames")
                         .arg(session.ledger().counters().cntTxPackets));
    recordRun();
    return report.finish(verdict, verdict.exitStatus());
}

int HeadlessRun::refuse(const char *reason)
{
    recordRun();
    session.close();
    return report.finish({{QString::fromLatin1(reason)}, warnings, 0}, EXIT_USAGE);
}

// The port must be one the window would list: a system port or a --port path.
bool HeadlessRun::openPort(const QStringList &extraPorts)
{
    const QStringList listed = systemPortNames() + extraPorts;
    if (!listed.contains(plan.port)) {
        printMessage(Texts::tr("没有列出串口 %1（已列出：%2）；可用 --port 添加路径")
                         .arg(plan.port, listed.join(QStringLiteral(", "))));
        return false;
    }
    return session.open(plan.port); // a failed open has been told on stderr
}

// The captures open only once the port has, and replace an earlier file only
// at their first frame: a run refused before it starts leaves it as it was.
bool HeadlessRun::startCapture()
{
    return (plan.pcapPath.isEmpty() || session.startPcap(plan.pcapPath, false)) &&
           (plan.capturePath.isEmpty() || session.startCapture(plan.capturePath, false));
}

// The window shows them in its panel; a script reads them on stderr and in
// the report, once however often the port is opened again.
void HeadlessRun::takeLineWarnings()
{
    for (const QString &warning : session.lineWarnings()) {
        printWarning(warning);
        if (!warnings.contains(warning))
            warnings << warning;
    }
}

// False when sending cannot start. A signal that came while the run was being
// set up ends it before anything is sent.
bool HeadlessRun::runTest()
{
    if (SignalWatch::firstSignal() != 0)
        return true;
    if (!startSending())
        return false;
    QElapsedTimer sending;
    sending.start();
    runUntil(plan.durationMs, [this] { return sendingDone(); });
    sendingMs = sending.elapsed();
    session.stop();
    sinceLastByte.start();
    runUntil(longestWaitMs(), [this] { return drained(); });
    lineMs = sending.elapsed();
    return true;
}

bool HeadlessRun::startSending()
{
    switch (plan.send) {
    case HeadlessSend::Answer:
        return session.start(SendMode::AnswerDriven);
    case HeadlessSend::Timed:
        return session.start(SendMode::Timed);
    case HeadlessSend::Once:
        return session.sendOne();
    case HeadlessSend::Stream:
        return session.start(SendMode::FullSpeed);
    case HeadlessSend::BitErrorTest:
        return session.start(SendMode::BitErrorTest);
    }
    return false;
}

void HeadlessRun::watchSession()
{
    QObject::connect(&session, &LinkSession::bytesArrived, &loop,
                     [this] { sinceLastByte.restart(); });
    // The window's boxes: their title is the window's, their text the message.
    const auto tell = [](const QString &, const QString &text) { printMessage(text); };
    QObject::connect(&session, &LinkSession::warning, &loop, tell);
    QObject::connect(&session, &LinkSession::refused, &loop, tell);
    QObject::connect(&session, &LinkSession::caution, &loop, [this](const QString &text) {
        printWarning(text);
        warnings << text;
    });
    QObject::connect(&session, &LinkSession::stoppedSending, &loop, [this] {
        sendingStopped = true;
        loop.quit();
    });
    QObject::connect(&session, &LinkSession::lost, &loop, [this](const QString &why) {
        printMessage(why);
        portLost = true;
        loop.quit();
    });
    QObject::connect(&session, &LinkSession::portAway, &loop,
                     [](const QString &why) { printMessage(Texts::tr("%1；等待重连").arg(why)); });
    QObject::connect(&session, &LinkSession::portBack, &loop, [this] {
        printMessage(Texts::tr("串口 %1 已重新打开").arg(session.portPath()));
        takeLineWarnings();
    });
    if (plan.reportMemory || plan.show)
        QObject::connect(&session, &LinkSession::frame, &loop,
                         [this](const FrameEvent &event) { onFrame(event); });
}

void HeadlessRun::onFrame(const FrameEvent &event)
{
    if (traffic)
        *traffic << captureLine(labels, event.bytes, event.length, event.direction, event.stampMs)
                 << '\n';
    const quint64 sent = session.ledger().counters().cntTxPackets;
    if (plan.reportMemory && sent >= nextMemoryReport) {
        reportMemory(QStringLiteral("after %1 frames").arg(sent));
        nextMemoryReport = (sent / MEMORY_REPORT_EVERY + 1) * MEMORY_REPORT_EVERY;
    }
}

// Runs the event loop until done() holds, the time is up, the port is lost or
// a signal's grace is over.
void HeadlessRun::runUntil(int longestMs, const std::function<bool()> &done)
{
    if (portLost || sendingStopped)
        return;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer); // a coarse one ends up to 5% early
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [this, &done] {
        if (done() || interruption.seenFor(SIGNAL_GRACE_MS))
            loop.quit();
    });
    deadline.start(longestMs);
    poll.start(POLL_MS);
    loop.exec();
}

// The session itself sends nothing past the frame limit, whatever the mode.
bool HeadlessRun::sendingDone() const
{
    return SignalWatch::firstSignal() != 0 ||
           (plan.frameLimit != 0 && session.ledger().counters().cntTxPackets >= plan.frameLimit);
}

bool HeadlessRun::drained() const
{
    const Ledger &ledger = session.ledger();
    const qint64 quietMs = sinceLastByte.elapsed();
    if (session.checksStream())
        return quietMs >= QUIET_MS; // the stream's tail has come back
    if (ledger.expectsReplies() && ledger.outstanding() == 0)
        return quietMs >= SETTLE_MS;
    if (ledger.expectsReplies() && ledger.replyTimeout() > 0)
        return false; // the reply timer gives up what stays unanswered
    return quietMs >= qMax(double(QUIET_MS), 2 * ledger.roundTrips().max());
}

int HeadlessRun::longestWaitMs() const
{
    return qMax(LONGEST_WAIT_MS, session.ledger().replyTimeout() + WAIT_PAST_TIMEOUT_MS);
}

// The counts are final once the port has closed (frames that could not leave
// are send errors) and the replies that never came are counted.
void HeadlessRun::settle()
{
    session.close();
    session.finishMeasurement();
    pcapFailed = !plan.pcapPath.isEmpty() && !(session.pcapping() && session.stopPcap());
    if (traffic)
        traffic->flush();
}

// A capture that would not open, or stopped on a write error, is gone; the
// pcapng capture has written its last packets by now.
RunVerdict HeadlessRun::judge() const
{
    const TrafficCounters &c = session.ledger().counters();
    const std::pair<const char *, bool> checks[] = {
        {"tx_errors", c.cntTxErrors != 0},
        {"framing_errors",
         c.cnt7dErrors + c.cntCrcErrors + c.cntLongErrors + c.cntShortErrors != 0},
        {"compare_failed", c.cntCmpFail != 0},
        {"no_reply", c.cntNoReply != 0},
        {"unexpected_frames", c.cntUnexpected != 0},
        {"uart_errors", session.ledger().uartErrors().value_or(UartErrors{}).any()},
        {"port_lost", portLost || c.cntOutages != 0},
        {"send_stopped", sendingStopped},
        {"capture_failed", (!plan.capturePath.isEmpty() && !session.capturing()) || pcapFailed},
        {"interrupted", SignalWatch::firstSignal() != 0}};
    RunVerdict verdict{{}, warnings, SignalWatch::firstSignal()};
    for (const auto &[reason, holds] : checks) {
        if (holds)
            verdict.reasons << QString::fromLatin1(reason);
    }
    if (plan.send == HeadlessSend::BitErrorTest)
        verdict.reasons << bitTestReasons();
    return verdict;
}

// Silence is no proof: a run must compare enough bits. Without a limit any
// bit error or loss of synchronisation fails it; with one, only a bound above it.
QStringList HeadlessRun::bitTestReasons() const
{
    const TrafficCounters &c = session.ledger().counters();
    if (c.cntBits < FEWEST_BITS)
        return {QStringLiteral("no_sync")};
    if (plan.maxBer >= 0)
        return berUpper95(c.cntBitErrors, c.cntBits) > plan.maxBer
                   ? QStringList{QStringLiteral("ber_above_limit")}
                   : QStringList{};
    QStringList reasons;
    if (c.cntBitErrors != 0)
        reasons << QStringLiteral("bit_errors");
    if (c.cntSyncLosses != 0)
        reasons << QStringLiteral("sync_lost");
    return reasons;
}
