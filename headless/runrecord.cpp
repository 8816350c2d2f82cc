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
// A report on stdout keeps stdout for itself.
void HeadlessRun::printStatistics()
{
    QTextStream out(plan.reportPath == QLatin1String("-") ? stderr : stdout);
    out.setCodec("UTF-8");
    PanelFacts facts = panelFacts(session);
    facts.runS = sendingMs / 1000.0; // the time the run took, not the ticks it saw
    out << statisticsPanel(facts) << '\n';
    printRoundTrips(out);
    printBerProof(out);
    report.panelPrinted();
}

void HeadlessRun::printRoundTrips(QTextStream &out)
{
    const LatencyHistogram &trips = session.ledger().roundTrips();
    if (trips.count() == 0)
        return;
    const auto ms = [&trips](double p) { return QString::number(trips.percentile(p), 'f', 3); };
    out << Texts::tr("往返时延百分位 p50 %1 / p90 %2 / p99 %3 / p99.9 %4 ms")
               .arg(ms(50), ms(90), ms(99), ms(99.9))
        << '\n';
}

// A bound above the limit may only want more bits: how many, and at the rate
// measured how much longer, would have proved the limit with the errors seen.
void HeadlessRun::printBerProof(QTextStream &out)
{
    const TrafficCounters &c = session.ledger().counters();
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

// What the run was set up with and what it counted.
void HeadlessRun::recordRun()
{
    const SessionSettings &settings = session.settings();
    report.set("baud", settings.line.baud);
    report.setLine(settings.line);
    report.set("period_ms", plan.send == HeadlessSend::Timed ? settings.periodMs : QJsonValue());
    report.set("reply_timeout_ms", session.ledger().replyTimeout());
    report.set("payload", plan.send == HeadlessSend::BitErrorTest ? QJsonValue()
                                                                  : QJsonValue(setup.payloadText));
    report.setSendingTime(sendingMs);
    report.setCounts(session.ledger());
    if (plan.send == HeadlessSend::BitErrorTest)
        report.set("ber", bitErrorTestOf(settings.prbs, session.ledger().counters()));
    report.setLineUse(session.ledger().counters(), bitsPerCharacter(settings.line),
                      settings.line.baud, lineMs);
}

void HeadlessRun::reportMemory(const QString &when)
{
    QTextStream(stderr) << "memory: " << residentKb() << " kB " << when << '\n';
}
