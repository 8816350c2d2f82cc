// What a headless run tells at its end: the statistics panel, the round
// trips' percentiles, the memory it used, and what goes into the report.
#include "engine/statisticspanel.h"
#include "headlessrun.h"
#include "reportjson.h"
#include "runreport.h"
#include "shell/texts.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Resident set size in kB, as /proc tells it; 0 where there is no /proc.
quint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    static const QRegularExpression vmRss(QStringLiteral(R"(^VmRSS:\s+(\d+) kB)"),
                                          QRegularExpression::MultilineOption);
    return vmRss.match(QString::fromLatin1(status.readAll())).captured(1).toULongLong();
}

} // namespace

// UTF-8 whatever the locale: the panel's labels are Chinese unless translated.
// A report on stdout keeps stdout for itself. With several links each has its
// block, headed by its port, and a line adds them up.
void HeadlessRun::printStatistics()
{
    QTextStream out(plan.reportPath == QLatin1String("-") ? stderr : stdout);
    out.setCodec("UTF-8");
    for (const auto &link : links) {
        if (links.size() > 1)
            out << Texts::tr("串口 %1").arg(link->port) << '\n';
        printLink(out, *link);
        if (links.size() > 1)
            out << '\n';
    }
    if (links.size() > 1)
        printTotals(out);
    report.panelPrinted();
}

void HeadlessRun::printLink(QTextStream &out, const RunLink &link)
{
    PanelFacts facts = panelFacts(link.session);
    facts.runS = sendingMs / 1000.0; // the time the run took, not the ticks it saw
    out << statisticsPanel(facts) << '\n';
    printRoundTrips(out, link.session.ledger().roundTrips());
    printBerProof(out, link.session.ledger().counters());
}

// The counts that tell a pass from a failure, of every link together.
void HeadlessRun::printTotals(QTextStream &out)
{
    if (plan.send == HeadlessSend::BitErrorTest) {
        out << Texts::tr("合计：比特 = %1，误码 = %2，失步 = %3")
                   .arg(total(&TrafficCounters::cntBits))
                   .arg(total(&TrafficCounters::cntBitErrors))
                   .arg(total(&TrafficCounters::cntSyncLosses))
            << '\n';
        return;
    }
    const quint64 framing =
        total(&TrafficCounters::cnt7dErrors) + total(&TrafficCounters::cntCrcErrors) +
        total(&TrafficCounters::cntLongErrors) + total(&TrafficCounters::cntShortErrors);
    out << Texts::tr("合计：发送包数 = %1，接收包数 = %2，发送错误 = %3，帧错误 = %4，比较失败 = "
                     "%5，未应答 = %6")
               .arg(total(&TrafficCounters::cntTxPackets))
               .arg(total(&TrafficCounters::cntRxPackets))
               .arg(total(&TrafficCounters::cntTxErrors))
               .arg(framing)
               .arg(total(&TrafficCounters::cntCmpFail))
               .arg(total(&TrafficCounters::cntNoReply))
        << '\n';
}

void HeadlessRun::printRoundTrips(QTextStream &out, const LatencyHistogram &trips)
{
    if (trips.count() == 0)
        return;
    const auto ms = [&trips](double p) { return QString::number(trips.percentile(p), 'f', 3); };
    out << Texts::tr("往返时延百分位 p50 %1 / p90 %2 / p99 %3 / p99.9 %4 ms")
               .arg(ms(50), ms(90), ms(99), ms(99.9))
        << '\n';
}

// A bound above the limit may only want more bits: how many, and at the rate
// measured how much longer, would have proved the limit with the errors seen.
void HeadlessRun::printBerProof(QTextStream &out, const TrafficCounters &c)
{
    if (plan.maxBer <= 0 || c.cntBits == 0 || berUpper95(c.cntBitErrors, c.cntBits) <= plan.maxBer)
        return;
    const double needed = errorsUpper95(c.cntBitErrors) / plan.maxBer;
    const double bitsPerS = c.cntBits / qMax(0.001, sendingMs / 1000.0);
    out << Texts::tr("要证明误码率 %1，还需 %2 比特，按实测速率约 %3 秒")
               .arg(plan.maxBer, 0, 'g', 3)
               .arg(needed - double(c.cntBits), 0, 'f', 0)
               .arg((needed - double(c.cntBits)) / bitsPerS, 0, 'f', 1)
        << '\n';
}

// What the run was set up with, the same on every link, and what each counted.
void HeadlessRun::recordRun()
{
    const SessionSettings &settings = links.front()->session.settings();
    report.set("baud", settings.line.baud);
    report.set("period_ms", plan.send == HeadlessSend::Timed ? settings.periodMs : QJsonValue());
    report.set("reply_timeout_ms", links.front()->session.ledger().replyTimeout());
    report.set("payload", plan.send == HeadlessSend::BitErrorTest ? QJsonValue()
                                                                  : QJsonValue(setup.payloadText));
    report.setSendingTime(sendingMs);
    for (const auto &link : links)
        recordLink(*link);
}

void HeadlessRun::recordLink(const RunLink &link)
{
    const SessionSettings &settings = link.session.settings();
    const Ledger &ledger = link.session.ledger();
    report.setLine(link.index, settings.line);
    report.setCounts(link.index, ledger);
    if (plan.send == HeadlessSend::BitErrorTest)
        report.setLinkValue(link.index, "ber", bitErrorTestOf(settings.prbs, ledger.counters()));
    report.setLineUse(link.index, ledger.counters(), bitsPerCharacter(settings.line),
                      settings.line.baud, lineMs);
}

void HeadlessRun::reportMemory(const QString &when)
{
    QTextStream(stderr) << "memory: " << residentKb() << " kB " << when << '\n';
}
