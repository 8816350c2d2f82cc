// The JSON document a headless run leaves for scripts: what was asked, what
// the window counted and how the run was judged.
#pragma once

#include "headlessrun.h"

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

    // The document is written nowhere: its file clashed with another.
    void withhold();
    // One fact known only once the window has applied the plan.
    void set(const char *key, const QJsonValue &value);
    void setSendingTime(qint64 ms);
    void setCounts(const Ledger &ledger);
    // The share of the line's capacity used each way over ms of the run.
    void setLineUse(const TrafficCounters &counters, int bitsPerCharacter, qint64 baud, qint64 ms);
    void setLine(const LineSetting &line);
    // Adds the verdict and writes the document where the plan says (none:
    // nothing). The result is exitCode, or EXIT_ERRORS_COUNTED in place of 0
    // when the report could not be written, which is said on stderr.
    int finish(const RunVerdict &verdict, int exitCode);

private:
    QJsonObject document;
    QString path;
    int askedMs;
};
