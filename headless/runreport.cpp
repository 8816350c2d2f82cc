#include "runreport.h"
#include "engine/latencyhistogram.h"
#include "engine/outputfile.h"
#include "engine/trafficcounters.h"
#include "shell/filenames.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
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
    case HeadlessSend::Once:
        break;
    }
    return QStringLiteral("once");
}

QJsonValue count(quint64 value)
{
    return QJsonValue(qint64(value)); // exact up to 2^53, far beyond any run
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

// Short writes are taken up again, so that a failure comes with its reason.
bool writeAll(QIODevice &device, const QByteArray &bytes, QString &why)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            why = device.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

// A regular file, or none yet: written whole or not at all, so that an
// earlier report stays when this one cannot be written. Unbuffered: a write
// that fails only when the buffer is flushed at the commit would not stop
// the commit, which would then put an empty file in the earlier one's place.
bool writeWhole(const QString &path, const QByteArray &bytes, QString &why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = file.errorString();
        return false;
    }
    if (!writeAll(file, bytes, why))
        return false; // never committed: the file stays as it was
    if (file.commit())
        return true;
    why = file.errorString();
    return false;
}

// A FIFO with a reader, a character device, stdout: written as it goes.
bool writeThrough(QFile &file, const QByteArray &bytes, QString &why)
{
    if (!writeAll(file, bytes, why))
        return false;
    if (file.flush())
        return true;
    why = file.errorString();
    return false;
}

bool writeReportFile(const QString &path, const QByteArray &bytes, QString &why)
{
    if (path == QLatin1String("-")) {
        QFile out;
        return out.open(stdout, QIODevice::WriteOnly) && writeThrough(out, bytes, why);
    }
    const QFileInfo file(path);
    if (!file.exists() || file.isFile())
        return writeWhole(path, bytes, why);
    const std::unique_ptr<QFile> through = openWithoutWaiting(path, why);
    return through && writeThrough(*through, bytes, why);
}

} // namespace

RunReport::RunReport(const QStringList &arguments, const HeadlessPlan &plan)
    : path(plan.reportPath), askedMs(plan.durationMs)
{
    document = QJsonObject{
        {QStringLiteral("tool"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("pakto")},
                     {QStringLiteral("version"), QStringLiteral(PAKTO_VERSION)}}},
        {QStringLiteral("started"), localTimeWithOffset(QDateTime::currentDateTime())},
        {QStringLiteral("command_line"), QJsonArray::fromStringList(shownFileNames(arguments))},
        {QStringLiteral("port"), shownFileName(plan.port)},
        {QStringLiteral("baud"), plan.baud.isEmpty() ? QJsonValue() : plan.baud.toLongLong()},
        {QStringLiteral("mode"), modeName(plan.send)},
        {QStringLiteral("tag"), plan.tag},
        {QStringLiteral("compare"), plan.compare},
        {QStringLiteral("period_ms"), plan.periodMs > 0 ? plan.periodMs : QJsonValue()},
        {QStringLiteral("reply_timeout_ms"),
         plan.replyTimeoutMs >= 0 ? plan.replyTimeoutMs : QJsonValue()},
        {QStringLiteral("payload"), QJsonValue()}, // the settings file's, once read
        {QStringLiteral("capture"), pathOrNull(plan.capturePath)}};
    setSendingTime(0);
}

void RunReport::withhold()
{
    path.clear();
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

void RunReport::setCounts(const TrafficCounters &c, quint64 rateBps,
                          const LatencyHistogram &roundTrips)
{
    const QJsonObject counters{{QStringLiteral("tx_packets"), count(c.cntTxPackets)},
                               {QStringLiteral("tx_bytes"), count(c.cntTxBytes)},
                               {QStringLiteral("tx_errors"), count(c.cntTxErrors)},
                               {QStringLiteral("rx_packets"), count(c.cntRxPackets)},
                               {QStringLiteral("rx_bytes"), count(c.cntRxBytes)},
                               {QStringLiteral("crc_errors"), count(c.cntCrcErrors)},
                               {QStringLiteral("escape_errors"), count(c.cnt7dErrors)},
                               {QStringLiteral("long_errors"), count(c.cntLongErrors)},
                               {QStringLiteral("short_errors"), count(c.cntShortErrors)},
                               {QStringLiteral("compare_ok"), count(c.cntCmpOk)},
                               {QStringLiteral("compare_failed"), count(c.cntCmpFail)},
                               {QStringLiteral("no_reply"), count(c.cntNoReply)},
                               {QStringLiteral("send_rate_bps"), count(rateBps)}};
    document[QStringLiteral("counters")] = counters;
    if (roundTrips.count() == 0)
        return;
    document[QStringLiteral("round_trip_ms")] =
        QJsonObject{{QStringLiteral("count"), count(roundTrips.count())},
                    {QStringLiteral("min"), roundTrips.min()},
                    {QStringLiteral("mean"), roundTrips.mean()},
                    {QStringLiteral("p50"), roundTrips.percentile(50)},
                    {QStringLiteral("p90"), roundTrips.percentile(90)},
                    {QStringLiteral("p99"), roundTrips.percentile(99)},
                    {QStringLiteral("p999"), roundTrips.percentile(99.9)},
                    {QStringLiteral("max"), roundTrips.max()}};
}

int RunReport::finish(const RunVerdict &verdict, int exitCode)
{
    if (path.isEmpty())
        return exitCode;
    const bool pass = verdict.reasons.isEmpty() && exitCode == EXIT_CLEAN_RUN;
    document[QStringLiteral("verdict")] = pass ? QStringLiteral("pass") : QStringLiteral("fail");
    document[QStringLiteral("reasons")] = QJsonArray::fromStringList(verdict.reasons);
    document[QStringLiteral("warnings")] = QJsonArray::fromStringList(verdict.warnings);
    document[QStringLiteral("exit_code")] = exitCode;
    QString why;
    if (writeReportFile(path, QJsonDocument(document).toJson(), why))
        return exitCode;
    QTextStream(stderr) << "pakto: cannot write the report to " << path << ": " << why << '\n';
    return exitCode == EXIT_CLEAN_RUN ? EXIT_ERRORS_COUNTED : exitCode;
}
