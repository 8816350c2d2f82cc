// A link test run from the command line: the window, unseen, driven through
// its own slots for a fixed time, its statistics printed at the end.
#pragma once

#include "serial/linesetting.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class MainWindow;
struct WindowOptions;
class Interruption;
class QTextStream;
class RunReport;

// Exit codes of a headless run; a signal ends it with 128 + its number.
constexpr int EXIT_CLEAN_RUN = 0;
constexpr int EXIT_ERRORS_COUNTED = 1; // or the port or the capture failed during the run
constexpr int EXIT_USAGE = 2;          // bad command line or settings, or the port would not open
constexpr int EXIT_SIGNAL_BASE = 128;

enum class HeadlessSend { Answer, Timed, Once, Stream };

struct HeadlessPlan {
    QString port; // a listed item of the port box
    QString baud; // empty: as the settings say
    // The words for data bits, parity, stop bits and flow control, in the
    // order of lineChoices(); empty: as the settings say.
    std::array<QString, LINE_CHOICES> line;
    bool tag = false;
    bool compare = false;
    bool show = false;   // both show boxes of the traffic view
    QString capturePath; // empty: no capture
    HeadlessSend send = HeadlessSend::Answer;
    int periodMs = 0; // timed sending; 0: as the settings say
    int durationMs = 0;
    quint64 frameLimit = 0;  // stop sending after this many frames; 0: no limit
    int replyTimeoutMs = -1; // wait for a reply; -1: as the settings say
    bool oneWay = false;     // the device answers nothing on purpose
    bool reportMemory = false;
    QString reportPath; // the JSON report; "-": stdout; empty: none
    QString plotPath;   // the chart of the run, .svg or .png; empty: none
    QString junitPath;  // JUnit XML; empty: none
};

// How a run that started ended, decided once at its end.
struct RunVerdict {
    // One word per reason the run failed: tx_errors, framing_errors,
    // compare_failed, no_reply, unexpected_frames, uart_errors, port_lost,
    // capture_failed, interrupted; or
    // why it never started: settings_refused, port_open_failed, send_refused.
    QStringList reasons;
    QStringList warnings; // settings adjusted before use, the line the port did not keep
    int signalNumber = 0; // the one that interrupted the run, 0 when none

    int exitStatus() const;
};

// The whole headless program once the command line asked for a run: checks
// the settings, builds the unseen window and runs the plan; the exit code.
int runHeadless(const HeadlessPlan &plan, const WindowOptions &options,
                const QStringList &arguments);

class HeadlessRun
{
public:
    HeadlessRun(MainWindow &window, const HeadlessPlan &plan, const QStringList &warnings,
                RunReport &report);

    // Runs the plan, closes the window and writes the report; the result is
    // the exit code.
    int exec();

private:
    int refuse(const char *reason);
    bool runTest();
    void applyChoices();
    void applyLine();
    bool startCapture();
    bool openPort();
    void takeLineWarnings();
    bool startSending();
    void watchTraffic();
    void onFramesWritten();
    void runUntil(int longestMs, const std::function<bool()> &done);
    bool sendingDone() const;
    bool drained() const;
    int longestWaitMs() const;
    void stopSending();
    RunVerdict judge() const;
    void settle();
    void printStatistics();
    void recordRun();
    void printRoundTrips(QTextStream &out);
    void reportMemory(const QString &when);
    void closeWindow();

    MainWindow &window;
    const HeadlessPlan plan;
    QStringList warnings;
    RunReport &report;
    const Interruption *interruption = nullptr; // while the run goes
    QEventLoop loop;
    QElapsedTimer sinceLastByte;
    qint64 sendingMs = 0;
    qint64 lineMs = 0; // from the start of sending to the end of the wait for replies
    quint64 nextMemoryReport;
    bool portLost = false;
};
