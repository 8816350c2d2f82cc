// One link of a headless run: its port's session, its own capture and plot,
// and how it ended. The links of a run share its test and its clock.
#pragma once

#include "engine/linksession.h"
#include "runplan.h"

#include <QElapsedTimer>
#include <QStringList>

class RunLink
{
public:
    // The index-th of the plan's ports, from 0.
    RunLink(const HeadlessPlan &plan, const SessionSettings &settings, int index);

    // Sending has started; a link that ended is done with it too.
    bool sendingDone() const;
    // Nothing more is due back, or the line has been quiet long enough (a
    // lost port's is).
    bool drained() const;
    // The port was lost, or the mode could send no more: the run goes on
    // without this link.
    bool ended() const { return lost || sendingStopped; }
    // What this link counted that fails the run, once it has settled; the
    // pcapng capture is the run's, and its failure every link's.
    QStringList reasons(bool pcapFailed) const;

    const int index;
    const QString port;
    const QString capturePath; // empty: none
    const QString plotPath;    // empty: none
    LinkSession session;
    QStringList warnings; // the settings', then this link's own
    QElapsedTimer sinceLastByte;
    bool lost = false;
    bool sendingStopped = false; // the session could send no more

private:
    QStringList bitTestReasons() const;

    const HeadlessPlan &plan;
};
