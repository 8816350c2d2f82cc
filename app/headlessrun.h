// A link test run from the command line: the window, unseen, driven through
// its own slots for a fixed time, its statistics printed at the end.
#pragma once

#include <QEventLoop>
#include <QString>

class MainWindow;
class QTextStream;

// Exit codes of a headless run.
constexpr int EXIT_CLEAN_RUN = 0;
constexpr int EXIT_ERRORS_COUNTED = 1; // or the port went away during the run
constexpr int EXIT_USAGE = 2;          // bad command line, or the port would not open

enum class HeadlessSend { Answer, Timed, Once };

struct HeadlessPlan {
    QString port; // a listed item of the port box
    QString baud; // empty: as the settings say
    bool tag = false;
    bool compare = false;
    bool show = false;   // both show boxes of the traffic view
    QString capturePath; // empty: no capture
    HeadlessSend send = HeadlessSend::Answer;
    int periodMs = 0; // timed sending; 0: as the settings say
    int durationMs = 0;
    quint64 frameLimit = 0;  // stop sending after this many frames; 0: no limit
    int replyTimeoutMs = -1; // answer-driven wait for a reply; -1: as the settings say
    bool reportMemory = false;
};

class HeadlessRun
{
public:
    HeadlessRun(MainWindow &window, const HeadlessPlan &plan);

    // Runs the plan and closes the window; the result is the exit code.
    int exec();

private:
    bool start();
    void applyChoices();
    bool startCapture();
    bool openPort();
    bool startSending();
    void watchTraffic();
    void onFramesWritten();
    void runFor(int milliseconds);
    void stopSending();
    void settle();
    void printStatistics();
    void printRoundTrips(QTextStream &out);
    void reportMemory(const QString &when);
    void closeWindow();
    bool anyErrorCounted() const;

    MainWindow &window;
    const HeadlessPlan plan;
    QEventLoop loop;
    quint64 nextMemoryReport;
    bool portLost = false;
};
