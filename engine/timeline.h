// A run second by second, in bounded memory: each entry holds what was
// decided in its second, so that the entries add up to the run's counts.
#pragma once

#include "trafficcounters.h"

#include <QtGlobal>

#include <vector>

struct TimelineEntry {
    double startS = 0; // since the run started
    int seconds = 1;   // covered; more once neighbours are merged
    quint64 txPackets = 0;
    quint64 rxPackets = 0;
    quint64 framingErrors = 0;
    quint64 compareFailed = 0;
    quint64 noReply = 0;
    quint64 late = 0;
    quint64 unexpected = 0;
    quint64 txErrors = 0;
    qint64 uartErrors = -1; // < 0: the port has no UART counters
    quint64 txLineBytes = 0;
    quint64 rxBytes = 0;
    double rttP50Ms = -1; // < 0: no round trip taken
    double rttP99Ms = -1;
    double lengthS = 1; // the time it covers: less for the end of a run
    // The bit error test's counts; below 0 where a loss of synchronisation took
    // back more bits than the second compared.
    qint64 bits = 0;
    qint64 bitErrors = 0;
    qint64 syncLosses = 0;
    double outageMs = 0; // of the time covered, how long the port was away

    // The counts decided between two readings of the counters; the frames
    // sent are those that left the port in that time.
    static TimelineEntry between(const TrafficCounters &from, const TrafficCounters &to,
                                 quint64 framesLeft);
    // Counts add; the round trips keep the larger, a bound for the merged time.
    void absorb(const TimelineEntry &later);
};

class Timeline
{
public:
    // A day of seconds fits; beyond this many entries neighbours merge.
    static constexpr size_t MOST_ENTRIES = 100000;

    void clear();
    // Appends the next second's entry, or merges it into the last entry while
    // that covers fewer than stepS() seconds.
    void add(const TimelineEntry &entry);
    const std::vector<TimelineEntry> &entries() const { return list; }
    int stepS() const { return step; }

private:
    void halve();

    std::vector<TimelineEntry> list;
    int step = 1;
};
