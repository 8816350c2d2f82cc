// A link test run from the command line: a link session, built from the plan
// and the settings file, run for a fixed time; its statistics printed and its
// files written at the end. No window: a run that draws no plot needs no
// display platform at all.
#pragma once

#include "metricsfile.h"
#include "runlink.h"
#include "runplan.h"
#include "runsettings.h"

#include <QEventLoop>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

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

    // Runs the plan on every link together, closes the ports and writes the
    // report; the result is the exit code.
    int exec(const QStringList &extraPorts);

private:
    int refuse(const char *reason);
    bool openPorts(const QStringList &extraPorts);
    bool startCaptures();
    bool startPcap();
    void takeLineWarnings(RunLink &link);
    bool runTest();
    bool startSending(LinkSession &session);
    void runUntil(int longestMs, const std::function<bool()> &done);
    bool everyLink(bool (RunLink::*holds)() const) const;
    int longestWaitMs() const;
    void settle();
    bool stopPcap();
    RunVerdict judge();
    quint64 total(quint64 TrafficCounters::*count) const;
    // runmetrics.cpp
    void startMetrics();
    bool writeMetrics(bool running);
    LinkMetrics metricsOf(const RunLink &link, qint64 lineTimeMs) const;
    // runwatch.cpp
    void watchSession(RunLink &link);
    void onFrame(const RunLink &link, const FrameEvent &event);
    void linkEnded();
    // runrecord.cpp
    void printStatistics();
    void printLink(QTextStream &out, const RunLink &link);
    void printTotals(QTextStream &out);
    void printRoundTrips(QTextStream &out, const LatencyHistogram &trips);
    void printBerProof(QTextStream &out, const TrafficCounters &c);
    void recordRun();
    void recordLink(const RunLink &link);
    void reportMemory(const QString &when);

    const HeadlessPlan plan;
    const RunSettings setup;
    const SignalWatch &interruption;
    RunReport &report;
    std::vector<std::unique_ptr<RunLink>> links; // in --open order
    std::shared_ptr<PcapCapture> pcap;           // --pcap: every link's frames
    QEventLoop loop;
    QElapsedTimer sendingClock; // from the start of sending
    qint64 sendingMs = 0;       // once sending has stopped
    bool sendingOver = false;
    QTimer metricsTimer;
    QString metricsFailure;     // the last write's, said once
    bool metricsFailed = false; // the last figures could not be written
    qint64 lineMs = 0;          // from the start of sending to the end of the wait for replies
    quint64 nextMemoryReport;
    bool pcapFailed = false;              // it could not write its last packets
    std::unique_ptr<QTextStream> traffic; // --show: every frame's line
    const TrafficLabels labels = translatedTrafficLabels();
};
