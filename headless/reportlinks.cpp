// The report's links, one for each port, and the run's own figures made from them.
#include "linksummary.h"
#include "reportjson.h"
#include "runplot.h"
#include "runreport.h"
#include "shell/texts.h"

#include <QJsonArray>

void RunReport::setLinkValue(int link, const char *key, const QJsonValue &value)
{
    links[size_t(link)].json[QLatin1String(key)] = value;
}

void RunReport::judgeLink(int link, const QStringList &reasons, const QStringList &warnings)
{
    Link &judged = links[size_t(link)];
    judged.json[QStringLiteral("reasons")] = QJsonArray::fromStringList(reasons);
    judged.json[QStringLiteral("warnings")] = QJsonArray::fromStringList(warnings);
    judged.judged = true;
}

QJsonArray RunReport::linkRecords() const
{
    QJsonArray records;
    for (const Link &link : links)
        records.append(link.json);
    return records;
}

// The run's own figures from its links': the sums, the first link's port and
// line, the round trips of every link together.
void RunReport::summarise(const RunVerdict &verdict)
{
    for (size_t link = 0; link < links.size(); ++link) {
        if (!links[link].judged)
            judgeLink(int(link), verdict.reasons, verdict.warnings);
    }
    const QJsonArray records = linkRecords();
    for (const char *key : {"counters", "line_use", "timeline"}) {
        if (records.first()[QLatin1String(key)].isUndefined())
            return; // refused before the links had any
    }
    document[QStringLiteral("counters")] = summedObjects(records, QStringLiteral("counters"));
    document[QStringLiteral("line_use")] = lowestLineUse(records);
    document[QStringLiteral("timeline")] = summedTimeline(records);
    document[QStringLiteral("line")] = records.first()[QLatin1String("line")];
    document[QStringLiteral("uart")] = summedObjects(records, QStringLiteral("uart"));
    document[QStringLiteral("outages")] = allOutages(records);
    document[QStringLiteral("ber")] = summedBitErrorTest(records);
    summariseRoundTrips();
}

// Present where any link's reply matched, as for one link.
void RunReport::summariseRoundTrips()
{
    LatencyHistogram trips;
    quint64 ambiguous = 0;
    for (const Link &link : links) {
        trips.merge(link.roundTrips);
        const QJsonValue matched = link.json[QLatin1String("round_trip_ms")];
        ambiguous += quint64(matched[QLatin1String("ambiguous")].toDouble());
    }
    if (trips.count() + ambiguous != 0)
        document[QStringLiteral("round_trip_ms")] = roundTrips(trips, ambiguous);
}

// Each link's own chart; one that cannot be written fails that link and the run.
void RunReport::drawPlots(Outcome &outcome)
{
    bool failed = false;
    for (Link &link : links) {
        const QString port = link.json[QLatin1String("port")].toString();
        if (link.plotPath.isEmpty() || save(Texts::tr("图表"), link.plotPath,
                                            plotOf(link.timeline, link.plotPath, plotTitle(port))))
            continue;
        QJsonArray reasons = link.json[QLatin1String("reasons")].toArray();
        reasons.append(QStringLiteral("plot_failed"));
        link.json[QStringLiteral("reasons")] = reasons;
        failed = true;
    }
    if (failed)
        outcome.failed("plot_failed");
}
