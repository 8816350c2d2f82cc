// A link test run from the command line: a link session, built from the plan
// and the settings file, run for a fixed time; its statistics printed and its
// files written at the end. No window: a run that draws no plot needs no
// display platform at all.
#pragma once

#include "engine/linksession.h"
#include "runplan.h"
#include "runsettings.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>

#include <QTextStream>

#include <functional>
#include <memory>

class RunReport;
class SignalWatch;

// The whole headless program once the command line asked for a run: makes the
// application object the run needs and runs it; the exit code.
int runHeadlessProgram(const HeadlessPlan &plan, const QStringList &extraPorts,
                       const QStringList &arguments, char *programName);

class HeadlessRun
{
public:
    HeadlessRun(const HeadlessPlan &plan, const RunSettings &settings, const SignalWatch &watch,
                RunReport &report);

    // Runs the plan, closes the port and writes the report; the result is
    // the exit code.
    int exec(const QStringList &extraPorts);

private:
    int refuse(const char *reason);
    bool openPort(const QStringList &extraPorts);
    bool startCapture();
    void takeLineWarnings();
    bool runTest();
    bool startSending();
    void watchSession();
    void onFrame(const FrameEvent &event);
    void runUntil(int longestMs, const std::function<bool()> &done);
    bool sendingDone() const;
    bool drained() const;
    int longestWaitMs() const;
    void settle();
    RunVerdict judge() const;
    QStringList bitTestReasons() const;
    // runrecord.cpp
    void printStatistics();
    void printRoundTrips(QTextStream &out);
    void printBerProof(QTextStream &out);
    void recordRun();
    void reportMemory(const QString &when);

    const HeadlessPlan plan;
    const RunSettings setup;
    const SignalWatch &interruption;
    QStringList warnings;
    RunReport &report;
    LinkSession session;
    QEventLoop loop;
    QElapsedTimer sinceLastByte;
    qint64 sendingMs = 0;
    qint64 lineMs = 0; // from the start of sending to the end of the wait for replies
    quint64 nextMemoryReport;
    bool portLost = false;
    bool pcapFailed = false;              // it could not write its last packets
    bool sendingStopped = false;          // the session could send no more
    std::unique_ptr<QTextStream> traffic; // --show: every frame's line
    const TrafficLabels labels = translatedTrafficLabels();
};
