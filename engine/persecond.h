// What the ledger keeps second by second: the send rate and the line bytes
// between two ticks, and while a mode runs, the timeline's entries.
#pragma once

#include "latencyhistogram.h"
#include "timeline.h"
#include "trafficcounters.h"

#include <optional>

// The share of a line's capacity that bytes took in ms, each byte costing
// the bits of one character; 0 for no time or no rate.
double lineShare(quint64 bytes, int bitsPerCharacter, qint64 baud, double ms);

class PerSecond
{
public:
    // Line bytes each way between the last two ticks, and the time between them.
    struct Second {
        quint64 txLineBytes = 0;
        quint64 rxBytes = 0;
        double ms = 0;
    };

    // A clean start at nowMs: the counts are zero, the frames and packet
    // bytes that left so far belong to the measurement before.
    void restart(quint64 bytesLeft, quint64 framesLeft, double nowMs);
    // bytesLeft: packet bytes that left the port's queue since the process began.
    void tick(const TrafficCounters &counts, quint64 bytesLeft, double nowMs);
    // Ends the current entry of the timeline; framesLeft as in restart(), the
    // UART's increase since the clean start where the port keeps it.
    void closeEntry(const TrafficCounters &counts, quint64 framesLeft,
                    const std::optional<UartErrors> &uart, double nowMs);
    void roundTrip(double ms) { entryTrips.add(ms); }
    // The port went away, and came back: the entries count the time between.
    void portAway(double nowMs) { awaySinceMs = nowMs; }
    void portBack(double nowMs);

    quint64 sendRateBps() const { return rateBps; }
    const Second &lastSecond() const { return second; }
    const Timeline &timeline() const { return entries; }

private:
    quint64 bytesLeftAtTick = 0;
    quint64 rateBps = 0;
    Second second;
    TrafficCounters atTick; // the counts at the last tick
    double tickMs = -1;     // when it came; < 0 before the first
    Timeline entries;
    TrafficCounters atEntry; // the counts when the current entry began
    LatencyHistogram entryTrips;
    quint64 framesLeftAtEntry = 0;
    double runStartMs = 0, entryStartMs = 0;
    quint64 uartAtEntry = 0;  // the increase when the current entry began
    double awaySinceMs = -1;  // the port is away since; < 0: it is not
    double entryOutageMs = 0; // of the current entry, before awaySinceMs
};
