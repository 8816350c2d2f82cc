// The JSON document a headless run leaves for scripts: what was asked, what
// the window counted and how the run was judged; and the files made from it,
// the run's chart and its checks as JUnit XML.
#pragma once

#include "engine/latencyhistogram.h"
#include "engine/outputfile.h"
#include "engine/timeline.h"
#include "runplan.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <vector>

class Ledger;
class QJsonArray;
struct TrafficCounters;
struct LineSetting;

class RunReport
{
public:
    // Taken as the run starts: the wall-clock time, the command line and the
    // choices the plan makes by itself.
    RunReport(const QStringList &arguments, const HeadlessPlan &plan);

    // The outputs these paths name clashed with other files: they are
    // written nowhere.
    void withhold(const QStringList &paths);
    // One fact known only once the window has applied the plan.
    void set(const char *key, const QJsonValue &value);
    void setSendingTime(qint64 ms);
    // The facts of one link (from 0, in --open order); the run's own are
    // made from them as it finishes.
    void setLinkValue(int link, const char *key, const QJsonValue &value);
    void setCounts(int link, const Ledger &ledger);
    // The share of the line's capacity used each way over ms of the run.
    void setLineUse(int link, const TrafficCounters &counters, int bitsPerCharacter, qint64 baud,
                    qint64 ms);
    void setLine(int link, const LineSetting &line);
    // Why the link fails, and what it warned of; a link never judged takes
    // the run's own (it was refused before it ran).
    void judgeLink(int link, const QStringList &reasons, const QStringList &warnings);
    // Adds the verdict and writes the plots, the JUnit file and the document
    // where the plan says (none: nothing). The result is exitCode, or
    // EXIT_ERRORS_COUNTED in place of 0 when one could not be written, which
    // is said on stderr and among the reasons of those written after it.
    int finish(const RunVerdict &verdict, int exitCode);
    // The panel went where the verdict then goes: a refused run, which
    // printed none, ends with the verdict on stderr.
    void panelPrinted() { verdictOnStdout = path != QLatin1String("-"); }

private:
    struct Outcome {
        QStringList reasons;
        int status;
        void failed(const char *reason);
    };

    struct Link {
        QJsonObject json; // as the report holds it
        QString plotPath;
        Timeline timeline; // kept for the plot only
        LatencyHistogram roundTrips;
        bool judged = false;
    };

    void judge(const RunVerdict &verdict, const Outcome &outcome);
    void summarise(const RunVerdict &verdict);
    void summariseRoundTrips();
    QJsonArray linkRecords() const;
    void drawPlots(Outcome &outcome);
    QString plotTitle(const QString &port) const;
    void printVerdict(const Outcome &outcome) const;
    using FileWriter = bool (*)(const QString &path, const QByteArray &bytes, QString &why);
    // Only the report goes to stdout for "-"; other outputs take the name as it is.
    bool save(const QString &what, const QString &to, const QByteArray &bytes,
              FileWriter write = writeOutputFile) const;

    QJsonObject document;
    QString path;
    std::vector<Link> links;
    QString junitPath;
    int askedMs;
    bool verdictOnStdout = false;
};
