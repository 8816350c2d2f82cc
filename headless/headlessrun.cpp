#include "headlessrun.h"
#include "runmessages.h"
#include "runreport.h"
#include "serial/portaccess.h"
#include "shell/signalwatch.h"
#include "shell/texts.h"

#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int LONGEST_WAIT_MS = 10000; // a line that never falls quiet
constexpr int WAIT_PAST_TIMEOUT_MS = 1000;
constexpr int POLL_MS = 10;
// After the first signal, replies still on their way get this long at most.
constexpr int SIGNAL_GRACE_MS = 500;
constexpr quint64 FIRST_MEMORY_REPORT = 10000;

// The words not there yet, in their order.
void addNew(QStringList &words, const QStringList &more)
{
    for (const QString &word : more) {
        if (!words.contains(word))
            words << word;
    }
}

} // namespace

int RunVerdict::exitStatus() const
{
    if (signalNumber != 0)
        return EXIT_SIGNAL_BASE + signalNumber;
    return reasons.isEmpty() ? EXIT_CLEAN_RUN : EXIT_ERRORS_COUNTED;
}

HeadlessRun::HeadlessRun(const HeadlessPlan &plan, const RunSettings &settings,
                         const SignalWatch &watch, RunReport &report)
    : plan(plan), setup(settings), interruption(watch), report(report),
      nextMemoryReport(FIRST_MEMORY_REPORT)
{
    for (int link = 0; link < plan.ports.size(); ++link) {
        links.push_back(std::make_unique<RunLink>(this->plan, settings.session, link));
        links.back()->warnings = settings.warnings;
    }
    if (plan.show)
        traffic =
            std::make_unique<QTextStream>(plan.reportPath == QLatin1String("-") ? stderr : stdout);
}

int HeadlessRun::exec(const QStringList &extraPorts)
{
    for (const auto &link : links)
        watchSession(*link);
    if (!openPorts(extraPorts))
        return refuse("port_open_failed");
    if (!startCaptures())
        return refuse("capture_failed");
    for (const auto &link : links)
        takeLineWarnings(*link);
    if (!runTest())
        return refuse("send_refused");
    settle();
    const RunVerdict verdict = judge();
    printStatistics();
    if (plan.reportMemory)
        reportMemory(QStringLiteral("at the end, after %1 frames")
                         .arg(total(&TrafficCounters::cntTxPackets)));
    recordRun();
    return report.finish(verdict, verdict.exitStatus());
}

int HeadlessRun::refuse(const char *reason)
{
    recordRun();
    for (const auto &link : links)
        link->session.close();
    QStringList warnings;
    for (const auto &link : links)
        addNew(warnings, link->warnings);
    return report.finish({{QString::fromLatin1(reason)}, warnings, 0}, EXIT_USAGE);
}

// Each port must be one the window would list: a system port or a --port
// path. The first that will not open refuses the run.
bool HeadlessRun::openPorts(const QStringList &extraPorts)
{
    const QStringList listed = systemPortNames() + extraPorts;
    for (const auto &link : links) {
        if (!listed.contains(link->port)) {
            printMessage(Texts::tr("没有列出串口 %1（已列出：%2）；可用 --port 添加路径")
                             .arg(link->port, listed.join(QStringLiteral(", "))));
            return false;
        }
        if (!link->session.open(link->port))
            return false; // told on stderr, the port named
    }
    return true;
}

// The captures open only once the ports have, and replace an earlier file
// only at their first frame: a run refused before it starts leaves it as it was.
bool HeadlessRun::startCaptures()
{
    if (!plan.pcapPath.isEmpty() && !startPcap())
        return false;
    for (const auto &link : links) {
        if (!link->capturePath.isEmpty() && !link->session.startCapture(link->capturePath, false))
            return false;
    }
    return true;
}

// One file for the run, an interface in it for each link.
bool HeadlessRun::startPcap()
{
    pcap = std::make_shared<PcapCapture>();
    QString why;
    if (!pcap->open(plan.pcapPath, why)) {
        printMessage(Texts::tr("无法打开文件 %1：%2").arg(plan.pcapPath, why));
        return false;
    }
    for (const auto &link : links)
        link->session.sharePcap(pcap);
    return true;
}

// The window shows them in its panel; a script reads them on stderr and in
// the report, once however often the port is opened again.
void HeadlessRun::takeLineWarnings(RunLink &link)
{
    for (const QString &warning : link.session.lineWarnings()) {
        printWarning(warning);
        addNew(link.warnings, {warning});
    }
}

// False when sending cannot start. A signal that came while the run was being
// set up ends it before anything is sent.
bool HeadlessRun::runTest()
{
    if (SignalWatch::firstSignal() != 0)
        return true;
    for (const auto &link : links) {
        if (!startSending(link->session))
            return false;
    }
    sendingClock.start();
    startMetrics();
    runUntil(plan.durationMs, [this] {
        return SignalWatch::firstSignal() != 0 || everyLink(&RunLink::sendingDone);
    });
    sendingMs = sendingClock.elapsed();
    sendingOver = true;
    for (const auto &link : links) {
        link->session.stop();
        link->sinceLastByte.start();
    }
    runUntil(longestWaitMs(), [this] { return everyLink(&RunLink::drained); });
    lineMs = sendingClock.elapsed();
    return true;
}

bool HeadlessRun::startSending(LinkSession &session)
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

// Runs the event loop until done() holds, the time is up, every link has
// ended or a signal's grace is over.
void HeadlessRun::runUntil(int longestMs, const std::function<bool()> &done)
{
    if (everyLink(&RunLink::ended))
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

bool HeadlessRun::everyLink(bool (RunLink::*holds)() const) const
{
    return std::all_of(links.begin(), links.end(),
                       [holds](const auto &link) { return (*link.*holds)(); });
}

// Every link has the same reply timeout.
int HeadlessRun::longestWaitMs() const
{
    return qMax(LONGEST_WAIT_MS,
                links.front()->session.ledger().replyTimeout() + WAIT_PAST_TIMEOUT_MS);
}

// The counts are final once the ports have closed (frames that could not
// leave are send errors) and the replies that never came are counted.
void HeadlessRun::settle()
{
    for (const auto &link : links) {
        link->session.close();
        link->session.finishMeasurement();
    }
    pcapFailed = pcap && !stopPcap();
    metricsTimer.stop();
    metricsFailed = !plan.metricsPath.isEmpty() && !writeMetrics(false);
    if (traffic)
        traffic->flush();
}

// Written once, for every link, after the last of them has closed. A write
// error during the run has closed it already, and was told.
bool HeadlessRun::stopPcap()
{
    if (!pcap->isOpen())
        return false;
    QString why;
    const bool written = pcap->flush(why);
    if (!written)
        printMessage(Texts::tr("无法写入文件 %1：%2，已停止保存").arg(pcap->path(), why));
    pcap->close();
    return written;
}

// Each link is judged on its own; the run fails where any of them does.
RunVerdict HeadlessRun::judge()
{
    RunVerdict verdict{{}, {}, SignalWatch::firstSignal()};
    for (const auto &link : links) {
        const QStringList reasons = link->reasons(pcapFailed);
        report.judgeLink(link->index, reasons, link->warnings);
        addNew(verdict.reasons, reasons);
        addNew(verdict.warnings, link->warnings);
    }
    if (metricsFailed)
        verdict.reasons << QStringLiteral("metrics_failed");
    return verdict;
}

quint64 HeadlessRun::total(quint64 TrafficCounters::*count) const
{
    quint64 sum = 0;
    for (const auto &link : links)
        sum += link->session.ledger().counters().*count;
    return sum;
}
