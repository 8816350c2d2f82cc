// The JSON document a headless run leaves for scripts: what was asked, what
// the window counted and how the run was judged; and the files made from it,
// the run's chart and its checks as JUnit XML.
#pragma once

#include "engine/outputfile.h"
#include "engine/timeline.h"
#include "runplan.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

class Ledger;
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
    void setCounts(const Ledger &ledger);
    // The share of the line's capacity used each way over ms of the run.
    void setLineUse(const TrafficCounters &counters, int bitsPerCharacter, qint64 baud, qint64 ms);
    void setLine(const LineSetting &line);
    // Adds the verdict and writes the plot, the JUnit file and the document
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

    void judge(const RunVerdict &verdict, const Outcome &outcome);
    QString plotTitle() const;
    void printVerdict(const Outcome &outcome) const;
    using FileWriter = bool (*)(const QString &path, const QByteArray &bytes, QString &why);
    // Only the report goes to stdout for "-"; other outputs take the name as it is.
    bool save(const QString &what, const QString &to, const QByteArray &bytes,
              FileWriter write = writeOutputFile) const;

    QJsonObject document;
    QString path;
    QString plotPath;
    QString junitPath;
    Timeline timeline; // kept for the plot only
    int askedMs;
    bool verdictOnStdout = false;
};
