// The run's figures for a lab's monitoring: rewritten once a second while the
// run lasts, and once at its end, when they are the report's own.
#include "headlessrun.h"
#include "metricsfile.h"
#include "reportjson.h"
#include "runmessages.h"
#include "shell/texts.h"

namespace {
constexpr int METRICS_EVERY_MS = 1000;
} // namespace

void HeadlessRun::startMetrics()
{
    if (plan.metricsPath.isEmpty())
        return;
    QObject::connect(&metricsTimer, &QTimer::timeout, &loop, [this] { writeMetrics(true); });
    metricsTimer.start(METRICS_EVERY_MS);
    writeMetrics(true);
}

// The time spent sending, and the line use over the time since it started,
// as the report measures them.
bool HeadlessRun::writeMetrics(bool running)
{
    const qint64 lineTimeMs = running ? sendingClock.elapsed() : lineMs;
    const qint64 runMs = sendingOver ? sendingMs : sendingClock.elapsed();
    QVector<LinkMetrics> figures;
    for (const auto &link : links)
        figures << metricsOf(*link, lineTimeMs);
    QString why;
    const bool written =
        writeMetricsFile(plan.metricsPath, metricsText(figures, runMs / 1000.0, running), why);
    if (!written && why != metricsFailure) // said once, not every second
        printMessage(Texts::tr("无法写入文件 %1：%2").arg(plan.metricsPath, why));
    metricsFailure = written ? QString() : why;
    return written;
}

LinkMetrics HeadlessRun::metricsOf(const RunLink &link, qint64 lineTimeMs) const
{
    const Ledger &ledger = link.session.ledger();
    const LineSetting &line = link.session.settings().line;
    const auto share = [&](quint64 bytes) {
        return lineTimeMs > 0 ? lineShare(bytes, bitsPerCharacter(line), line.baud, lineTimeMs)
                              : -1.0;
    };
    return {link.port,
            countersOf(ledger),
            share(ledger.counters().cntTxLineBytes),
            share(ledger.counters().cntRxBytes),
            &ledger.roundTrips(),
            link.session.isOpen()};
}
