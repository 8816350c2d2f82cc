// What the parts of bench_link share: the trials' timing and statistics, and
// the window it measures.
#pragma once

#include "app/mainwindow.h"
#include "testsupport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

class QPushButton;

constexpr int TRIAL_MS = 1000;
constexpr int SETTLE_MS = 50;

inline double perSecond(quint64 count, const QElapsedTimer &clock)
{
    return double(count) * 1e9 / double(clock.nsecsElapsed());
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline double best(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

inline double worst(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

inline const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// Runs the event loop until done() says so or limitMs has passed.
void runUntil(const std::function<bool()> &done, int limitMs);

// A window in a working directory of its own, comparison on, both show boxes
// as asked; its port is opened for each run and closed after it. A warning box
// it opens is closed as a user would, and named on stderr.
class WindowUnderTest
{
public:
    WindowUnderTest(const QString &port, bool showView);
    ~WindowUnderTest();

    const TrafficCounters &counters() const { return window.session().ledger().counters(); }
    double roundTripMs(double percentile) const
    {
        return window.session().ledger().roundTrips().percentile(percentile);
    }

    // Answer-driven sending until done() or limitMs; round trips per second.
    double answerDriven(const std::function<bool()> &done, int limitMs);
    // Timed sending at 1 ms for limitMs; frames sent per second.
    double timed(int limitMs);

private:
    double run(const char *modeButton, const std::function<bool()> &done, int limitMs,
               const std::function<quint64()> &count);

    TestWorkDir workDir; // entered before the window reads its settings
    MainWindow window;
    WarningCatcher warnings;
};

// The window against pakto-peer holding every reply back: the round trips
// with the view on and off (bench_link_delayed.cpp).
void delayedRoundTrips();
