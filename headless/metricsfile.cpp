#include "metricsfile.h"
#include "engine/latencyhistogram.h"
#include "engine/outputfile.h"
#include "shell/filenames.h"

#include <QLocale>

#include <cmath>
#include <functional>
#include <set>

namespace {

constexpr double MS_PER_S = 1000.0;
// The round trips' bucket bounds in seconds, from a fast USB adapter's to a
// slow radio link's.
constexpr double BOUNDS_S[] = {0.0001, 0.0005, 0.001, 0.002, 0.005, 0.01, 0.02,
                               0.05,   0.1,    0.2,   0.5,   1,     2,    5};
constexpr double EXACT_INTEGERS = 9007199254740992.0; // 2^53
const QString SEND_RATE = QStringLiteral("send_rate_bps");

using SamplesOf = std::function<QByteArray(const LinkMetrics &link, const QByteArray &port)>;

// A whole number as an integer, any other in the fewest digits that read
// back the same; +Inf, -Inf and NaN as the format writes them.
QByteArray number(double value)
{
    if (std::isinf(value))
        return value > 0 ? "+Inf" : "-Inf";
    if (std::isnan(value))
        return "NaN";
    if (std::floor(value) == value && std::abs(value) < EXACT_INTEGERS)
        return QByteArray::number(qint64(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

QByteArray whole(quint64 value)
{
    return QByteArray::number(value);
}

// A label value escaped: backslash, double quote and line feed.
QByteArray escaped(const QString &value)
{
    QByteArray bytes = value.toUtf8();
    return bytes.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
}

QByteArray portLabel(const LinkMetrics &link)
{
    return "port=\"" + escaped(shownFileName(link.port)) + '"';
}

QByteArray sample(const QByteArray &name, const QByteArray &labels, const QByteArray &value)
{
    return name + (labels.isEmpty() ? QByteArray() : '{' + labels + '}') + ' ' + value + '\n';
}

// No samples, no family: HELP and TYPE alone would announce nothing.
QByteArray family(const QByteArray &name, const char *type, const QByteArray &help,
                  const QByteArray &samples)
{
    if (samples.isEmpty())
        return {};
    return "# HELP " + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n' + samples;
}

QByteArray perLink(const QVector<LinkMetrics> &links, const QByteArray &name, const char *type,
                   const QByteArray &help, const SamplesOf &samplesOf)
{
    QByteArray samples;
    for (const LinkMetrics &link : links)
        samples += samplesOf(link, portLabel(link));
    return family(name, type, help, samples);
}

bool isCount(const QJsonValue &value)
{
    return value.isDouble() && value.toDouble() >= 0 &&
           std::floor(value.toDouble()) == value.toDouble();
}

// Every link's counts, in the order of their names, so that a count the
// report gains later is a counter here too.
std::set<QString> countNames(const QVector<LinkMetrics> &links)
{
    std::set<QString> names;
    for (const LinkMetrics &link : links) {
        for (auto count = link.counters.begin(); count != link.counters.end(); ++count) {
            if (count.key() != SEND_RATE && isCount(count.value()))
                names.insert(count.key());
        }
    }
    return names;
}

QByteArray counter(const QVector<LinkMetrics> &links, const QString &key)
{
    const QByteArray name = "pakto_" + key.toUtf8() + "_total";
    return perLink(links, name, "counter", "The run report's counters." + key.toUtf8() + '.',
                   [&](const LinkMetrics &link, const QByteArray &port) {
                       const QJsonValue value = link.counters.value(key);
                       return isCount(value) ? sample(name, port, number(value.toDouble()))
                                             : QByteArray();
                   });
}

QByteArray sendRate(const QVector<LinkMetrics> &links)
{
    return perLink(links, "pakto_send_rate_bps", "gauge",
                   "Packet bits that left the port in the last second, as the report's "
                   "counters.send_rate_bps.",
                   [](const LinkMetrics &link, const QByteArray &port) {
                       const QJsonValue rate = link.counters.value(SEND_RATE);
                       return rate.isDouble()
                                  ? sample("pakto_send_rate_bps", port, number(rate.toDouble()))
                                  : QByteArray();
                   });
}

QByteArray lineUseOf(const QByteArray &port, const char *direction, double share)
{
    if (share < 0)
        return {};
    return sample("pakto_line_use_ratio", port + ",direction=\"" + direction + '"', number(share));
}

QByteArray lineUse(const QVector<LinkMetrics> &links)
{
    return perLink(links, "pakto_line_use_ratio", "gauge",
                   "Share of the line's capacity used each way, as the report's line_use.",
                   [](const LinkMetrics &link, const QByteArray &port) {
                       return lineUseOf(port, "tx", link.lineUseTx) +
                              lineUseOf(port, "rx", link.lineUseRx);
                   });
}

QByteArray roundTripsOf(const LinkMetrics &link, const QByteArray &port)
{
    if (!link.roundTrips)
        return {};
    const LatencyHistogram &trips = *link.roundTrips;
    const QByteArray bucket = "pakto_round_trip_seconds_bucket";
    QByteArray samples;
    for (const double bound : BOUNDS_S)
        samples += sample(bucket, port + ",le=\"" + number(bound) + '"',
                          whole(trips.countAtMost(bound * MS_PER_S)));
    samples += sample(bucket, port + ",le=\"+Inf\"", whole(trips.count()));
    samples += sample("pakto_round_trip_seconds_sum", port, number(trips.total() / MS_PER_S));
    return samples + sample("pakto_round_trip_seconds_count", port, whole(trips.count()));
}

QByteArray linkUp(const QVector<LinkMetrics> &links)
{
    return perLink(links, "pakto_link_up", "gauge", "1 while the port is open, else 0.",
                   [](const LinkMetrics &link, const QByteArray &port) {
                       return sample("pakto_link_up", port, link.up ? "1" : "0");
                   });
}

} // namespace

QByteArray metricsText(const QVector<LinkMetrics> &links, double runSeconds, bool running)
{
    QByteArray text = family("pakto_run_seconds", "gauge",
                             "Seconds spent sending, as the report's duration_s.run.",
                             sample("pakto_run_seconds", {}, number(runSeconds)));
    text += family("pakto_run_running", "gauge", "1 while the run goes on, 0 once it has ended.",
                   sample("pakto_run_running", {}, running ? "1" : "0"));
    text += linkUp(links);
    for (const QString &key : countNames(links))
        text += counter(links, key);
    text += sendRate(links) + lineUse(links);
    return text + perLink(links, "pakto_round_trip_seconds", "histogram",
                          "Round trips of compared replies that matched, in seconds; the "
                          "report's round_trip_ms.",
                          roundTripsOf);
}

bool writeMetricsFile(const QString &path, const QByteArray &text, QString &why)
{
    return writeOutputFile(path, text, why);
}
