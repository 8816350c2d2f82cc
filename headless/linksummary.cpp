#include "linksummary.h"
#include "engine/trafficcounters.h"
#include "reportjson.h"

#include <algorithm>

namespace {

QJsonValue lowerOf(const QJsonValue &a, const QJsonValue &b)
{
    return a.isNull() || b.isNull() ? QJsonValue() : QJsonValue(qMin(a.toDouble(), b.toDouble()));
}

// A count, or a null that no sum can mend; a percentile's largest stands
// for the links together, and the start is the first link's.
QJsonValue addedValue(const QString &key, const QJsonValue &a, const QJsonValue &b)
{
    if (key == QLatin1String("t_s"))
        return a;
    if (key.startsWith(QLatin1String("rtt_")))
        return a.isNull() ? b : b.isNull() ? a : QJsonValue(qMax(a.toDouble(), b.toDouble()));
    if (a.isNull() || b.isNull())
        return QJsonValue();
    if (key == QLatin1String("outage_ms"))
        return a.toDouble() + b.toDouble();
    return countValue(quint64(a.toDouble()) + quint64(b.toDouble()));
}

QJsonValue bothPaced(const QJsonValue &a, const QJsonValue &b)
{
    return a.isNull() || b.isNull() ? QJsonValue() : QJsonValue(a.toBool() && b.toBool());
}

QJsonObject added(QJsonObject sum, const QJsonObject &more)
{
    for (auto member = more.begin(); member != more.end(); ++member)
        sum[member.key()] = addedValue(member.key(), sum[member.key()], member.value());
    return sum;
}

qint64 countOf(const QJsonValue &object, const char *key)
{
    return qint64(object[QLatin1String(key)].toDouble());
}

} // namespace

QJsonValue summedObjects(const QJsonArray &links, const QString &key)
{
    QJsonObject sum;
    for (const QJsonValue link : links) {
        if (!link[key].isObject())
            return QJsonValue();
        sum = sum.isEmpty() ? link[key].toObject() : added(sum, link[key].toObject());
    }
    return sum;
}

QJsonArray summedTimeline(const QJsonArray &links)
{
    QJsonArray sums;
    for (const QJsonValue link : links) {
        const QJsonArray entries = link[QLatin1String("timeline")].toArray();
        for (int i = 0; i < entries.size(); ++i) {
            if (i == sums.size())
                sums.append(entries[i]);
            else
                sums[i] = added(sums[i].toObject(), entries[i].toObject());
        }
    }
    return sums;
}

QJsonValue lowestLineUse(const QJsonArray &links)
{
    QJsonObject lowest;
    for (const QJsonValue link : links) {
        const QJsonObject use = link[QLatin1String("line_use")].toObject();
        if (use.isEmpty())
            return QJsonValue();
        if (lowest.isEmpty())
            lowest = use;
        for (const char *way : {"tx", "rx"})
            lowest[QLatin1String(way)] =
                lowerOf(lowest[QLatin1String(way)], use[QLatin1String(way)]);
        lowest[QStringLiteral("paced")] =
            bothPaced(lowest[QStringLiteral("paced")], use[QStringLiteral("paced")]);
    }
    return lowest;
}

QJsonArray allOutages(const QJsonArray &links)
{
    QList<QJsonObject> outages;
    for (const QJsonValue link : links) {
        for (const QJsonValue outage : link[QLatin1String("outages")].toArray()) {
            QJsonObject withPort = outage.toObject();
            withPort[QStringLiteral("port")] = link[QLatin1String("port")];
            outages << withPort;
        }
    }
    std::stable_sort(
        outages.begin(), outages.end(), [](const QJsonObject &a, const QJsonObject &b) {
            return a[QLatin1String("lost_s")].toDouble() < b[QLatin1String("lost_s")].toDouble();
        });
    QJsonArray ordered;
    for (const QJsonObject &outage : outages)
        ordered.append(outage);
    return ordered;
}

QStringList unionOf(const QJsonArray &links, const QString &key)
{
    QStringList words;
    for (const QJsonValue link : links) {
        for (const QJsonValue word : link[key].toArray()) {
            if (!words.contains(word.toString()))
                words << word.toString();
        }
    }
    return words;
}

QJsonValue summedBitErrorTest(const QJsonArray &links)
{
    const QJsonValue first = links.first()[QLatin1String("ber")];
    if (!first.isObject())
        return QJsonValue();
    TrafficCounters sum;
    for (const QJsonValue link : links) {
        const QJsonValue ber = link[QLatin1String("ber")];
        sum.cntBits += quint64(countOf(ber, "bits"));
        sum.cntBitErrors += quint64(countOf(ber, "errors"));
        sum.cntSyncLosses += quint64(countOf(ber, "sync_losses"));
    }
    const std::string sequence = first[QLatin1String("sequence")].toString().toStdString();
    return bitErrorTestOf(prbsFromName(sequence).value_or(PrbsSequence{}), sum);
}
