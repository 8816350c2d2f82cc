#include "runreport.h"
#include "engine/ledger.h"
#include "engine/outputfile.h"
#include "engine/statisticspanel.h"
#include "junitreport.h"
#include "reportjson.h"
#include "runmessages.h"
#include "runoutputs.h"
#include "serial/linesetting.h"
#include "shell/filenames.h"
#include "shell/texts.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace {

constexpr int SECONDS_PER_MINUTE = 60;
constexpr double MS_PER_S = 1000.0;

// ISO 8601 with the local offset spelled out, +00:00 included.
QString localTimeWithOffset(const QDateTime &time)
{
    const int offsetMinutes = time.offsetFromUtc() / SECONDS_PER_MINUTE;
    const int absolute = qAbs(offsetMinutes);
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QStringLiteral("%1%2:%3")
               .arg(offsetMinutes < 0 ? '-' : '+')
               .arg(absolute / SECONDS_PER_MINUTE, 2, 10, QLatin1Char('0'))
               .arg(absolute % SECONDS_PER_MINUTE, 2, 10, QLatin1Char('0'));
}

QString modeName(HeadlessSend send)
{
    switch (send) {
    case HeadlessSend::Answer:
        return QStringLiteral("answer");
    case HeadlessSend::Timed:
        return QStringLiteral("timed");
    case HeadlessSend::Stream:
        return QStringLiteral("stream");
    case HeadlessSend::BitErrorTest:
        return QStringLiteral("prbs");
    case HeadlessSend::Once:
        break;
    }
    return QStringLiteral("once");
}

QJsonValue pathOrNull(const QString &path)
{
    return path.isEmpty() ? QJsonValue() : QJsonValue(shownFileName(path));
}

QStringList shownFileNames(QStringList arguments)
{
    for (QString &argument : arguments)
        argument = shownFileName(argument);
    return arguments;
}

// "-" is the stdout the process holds.
bool writeReportFile(const QString &path, const QByteArray &bytes, QString &why)
{
    return writeOutputFile(path == QLatin1String("-") ? QStringLiteral("/dev/stdout") : path, bytes,
                           why);
}

// What a link is before it runs: its port and its own files.
QJsonObject linkRecord(const HeadlessPlan &plan, int link, const QString &plot)
{
    const QString capture = linkOutputPath(plan.capturePath, link, plan.ports.size());
    return {{QStringLiteral("port"), shownFileName(plan.ports[link])},
            {QStringLiteral("capture"), pathOrNull(capture)},
            {QStringLiteral("plot"), pathOrNull(plot)},
            {QStringLiteral("line"), QJsonValue()},
            {QStringLiteral("uart"), QJsonValue()},
            {QStringLiteral("outages"), QJsonArray()},
            {QStringLiteral("ber"), QJsonValue()}};
}

} // namespace

RunReport::RunReport(const QStringList &arguments, const HeadlessPlan &plan)
    : path(plan.reportPath), junitPath(plan.junitPath), askedMs(plan.durationMs)
{
    for (int link = 0; link < plan.ports.size(); ++link) {
        const QString plot = linkOutputPath(plan.plotPath, link, plan.ports.size());
        links.push_back({linkRecord(plan, link, plot), plot, {}, {}, false});
    }
    document = QJsonObject{
        {QStringLiteral("tool"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("pakto")},
                     {QStringLiteral("version"), QStringLiteral(PAKTO_VERSION)}}},
        {QStringLiteral("started"), localTimeWithOffset(QDateTime::currentDateTime())},
        {QStringLiteral("command_line"), QJsonArray::fromStringList(shownFileNames(arguments))},
        {QStringLiteral("port"), shownFileName(plan.ports.first())},
        {QStringLiteral("baud"), plan.baud.isEmpty() ? QJsonValue() : plan.baud.toLongLong()},
        {QStringLiteral("mode"), modeName(plan.send)},
        {QStringLiteral("tag"), plan.tag},
        {QStringLiteral("compare"), plan.compare},
        {QStringLiteral("period_ms"), plan.periodMs > 0 ? plan.periodMs : QJsonValue()},
        {QStringLiteral("reply_timeout_ms"),
         plan.replyTimeoutMs >= 0 ? plan.replyTimeoutMs : QJsonValue()},
        {QStringLiteral("expect_replies"), !plan.oneWay},
        {QStringLiteral("payload"), QJsonValue()}, // the settings file's, once read
        {QStringLiteral("capture"), pathOrNull(plan.capturePath)},
        {QStringLiteral("pcap"), pathOrNull(plan.pcapPath)},
        {QStringLiteral("line"), QJsonValue()}, // the window's, once the settings are read
        {QStringLiteral("uart"), QJsonValue()},
        {QStringLiteral("outages"), QJsonArray()},
        {QStringLiteral("ber"), QJsonValue()}}; // the bit error test's, once it ran
    setSendingTime(0);
}

void RunReport::withhold(const QStringList &paths)
{
    for (QString *output : {&path, &junitPath}) {
        if (paths.contains(*output))
            output->clear();
    }
    for (Link &link : links) {
        if (paths.contains(link.plotPath))
            link.plotPath.clear();
    }
}

void RunReport::setSendingTime(qint64 ms)
{
    document[QStringLiteral("duration_s")] = QJsonObject{
        {QStringLiteral("asked"), askedMs / MS_PER_S}, {QStringLiteral("run"), ms / MS_PER_S}};
}

void RunReport::set(const char *key, const QJsonValue &value)
{
    document[QLatin1String(key)] = value;
}

void RunReport::setCounts(int link, const Ledger &ledger)
{
    const TrafficCounters &c = ledger.counters();
    Link &counted = links[size_t(link)];
    counted.json[QStringLiteral("counters")] = countersOf(ledger);
    counted.json[QStringLiteral("outages")] = outagesOf(ledger);
    counted.json[QStringLiteral("uart")] = uartErrors(ledger);
    document[QStringLiteral("expect_replies")] = ledger.expectsReplies();
    if (c.cntCmpOk != 0)
        counted.json[QStringLiteral("round_trip_ms")] =
            roundTrips(ledger.roundTrips(), c.cntAmbiguous);
    const bool bitTest = document[QStringLiteral("mode")] == QLatin1String("prbs");
    counted.json[QStringLiteral("timeline")] = timelineOf(ledger.timeline(), bitTest);
    document[QStringLiteral("timeline_step_s")] = ledger.timeline().stepS();
    counted.roundTrips = ledger.roundTrips();
    if (!counted.plotPath.isEmpty())
        counted.timeline = ledger.timeline();
}

void RunReport::setLineUse(int link, const TrafficCounters &counters, int bitsPerCharacter,
                           qint64 baud, qint64 ms)
{
    const auto share = [&](quint64 bytes) {
        return ms > 0 ? QJsonValue(lineShare(bytes, bitsPerCharacter, baud, double(ms)))
                      : QJsonValue();
    };
    const QJsonValue tx = share(counters.cntTxLineBytes), rx = share(counters.cntRxBytes);
    const QJsonValue paced =
        tx.isNull() ? QJsonValue()
                    : QJsonValue(tx.toDouble() <= PACED_SLACK && rx.toDouble() <= PACED_SLACK);
    links[size_t(link)].json[QStringLiteral("line_use")] = QJsonObject{
        {QStringLiteral("tx"), tx}, {QStringLiteral("rx"), rx}, {QStringLiteral("paced"), paced}};
}

void RunReport::setLine(int link, const LineSetting &line)
{
    links[size_t(link)].json[QStringLiteral("line")] =
        QJsonObject{{QStringLiteral("baud"), line.baud},
                    {QStringLiteral("data_bits"), line.dataBits()},
                    {QStringLiteral("parity"), line.word(PARITY)},
                    {QStringLiteral("stop_bits"), line.stopBits()},
                    {QStringLiteral("flow_control"), line.word(FLOW_CONTROL)}};
}

// The port, the mode and the start to the second, in the report's words.
QString RunReport::plotTitle(const QString &port) const
{
    const QString started = document[QStringLiteral("started")].toString();
    return QStringLiteral("%1 · %2 · %3")
        .arg(port, document[QStringLiteral("mode")].toString(),
             started.left(started.indexOf(QLatin1Char('.')))
                 .replace(QLatin1Char('T'), QLatin1Char(' ')));
}

// The report comes last: it has the others' failures among its reasons and
// the status the process ends with. The JUnit file has the plot's.
int RunReport::finish(const RunVerdict &verdict, int exitCode)
{
    Outcome outcome{verdict.reasons, exitCode};
    summarise(verdict);
    drawPlots(outcome);
    judge(verdict, outcome);
    if (!junitPath.isEmpty() && !save(Texts::tr("JUnit 文件"), junitPath, junitOf(document)))
        outcome.failed("junit_failed");
    judge(verdict, outcome);
    if (!path.isEmpty() &&
        !save(Texts::tr("报告"), path, QJsonDocument(document).toJson(), writeReportFile))
        outcome.failed("report_failed");
    printVerdict(outcome);
    return outcome.status;
}

// A file that could not be written fails a run that would have passed; a
// failed, refused or interrupted run keeps its own status.
void RunReport::Outcome::failed(const char *reason)
{
    reasons << QString::fromLatin1(reason);
    if (status == EXIT_CLEAN_RUN)
        status = EXIT_ERRORS_COUNTED;
}

// The last line of a run, as its exit status says: "PASS", or "FAIL:" and why.
void RunReport::printVerdict(const Outcome &outcome) const
{
    QTextStream out(verdictOnStdout ? stdout : stderr);
    if (outcome.status == EXIT_CLEAN_RUN)
        out << "PASS\n";
    else
        out << "FAIL: " << outcome.reasons.join(QStringLiteral(", ")) << '\n';
}

void RunReport::judge(const RunVerdict &verdict, const Outcome &outcome)
{
    const bool pass = outcome.reasons.isEmpty() && outcome.status == EXIT_CLEAN_RUN;
    document[QStringLiteral("verdict")] = pass ? QStringLiteral("pass") : QStringLiteral("fail");
    document[QStringLiteral("reasons")] = QJsonArray::fromStringList(outcome.reasons);
    document[QStringLiteral("warnings")] = QJsonArray::fromStringList(verdict.warnings);
    document[QStringLiteral("exit_code")] = outcome.status;
    document[QStringLiteral("links")] = linkRecords();
}

// Says on stderr what could not be written, and why.
bool RunReport::save(const QString &what, const QString &to, const QByteArray &bytes,
                     FileWriter write) const
{
    QString why = Texts::tr("没有可写的内容");
    if (!bytes.isEmpty() && write(to, bytes, why))
        return true;
    printMessage(unwritableText(what, to, why));
    return false;
}
