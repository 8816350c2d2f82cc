// The JSON document a headless run leaves for scripts: what was asked, what
// the window counted and how the run was judged.
#pragma once

#include "headlessrun.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

class Ledger;
struct LineSetting;

class RunReport
{
public:
    // Taken as the run starts: the wall-clock time, the command line and the
    // choices the plan makes by itself.
    RunReport(const QStringList &arguments, const HeadlessPlan &plan);

    // One fact known only once the window has applied the plan.
    void set(const char *key, const QJsonValue &value);
    void setSendingTime(qint64 ms);
    void setCounts(const Ledger &ledger);
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
