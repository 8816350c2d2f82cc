#include "persecond.h"

#include <algorithm>

namespace {
constexpr quint64 BITS_PER_BYTE = 8;
constexpr double MS_PER_S = 1000;
} // namespace

double lineShare(quint64 bytes, int bitsPerCharacter, qint64 baud, double ms)
{
    const double capacityBits = double(baud) * ms / MS_PER_S;
    return capacityBits > 0 ? double(bytes) * bitsPerCharacter / capacityBits : 0;
}

void PerSecond::restart(quint64 bytesLeft, quint64 framesLeft, double nowMs)
{
    bytesLeftAtTick = bytesLeft;
    rateBps = 0;
    second = {};
    atTick = TrafficCounters{};
    entries.clear();
    atEntry = TrafficCounters{};
    framesLeftAtEntry = framesLeft;
    entryTrips.clear();
    runStartMs = entryStartMs = nowMs;
    uartAtEntry = 0;
    entryOutageMs = 0;
    if (awaySinceMs >= 0)
        awaySinceMs = nowMs; // what is left of the outage belongs to the new measurement
}

void PerSecond::portBack(double nowMs)
{
    entryOutageMs += nowMs - std::max(awaySinceMs, entryStartMs);
    awaySinceMs = -1;
}

void PerSecond::tick(const TrafficCounters &counts, quint64 bytesLeft, double nowMs)
{
    rateBps = (bytesLeft - bytesLeftAtTick) * BITS_PER_BYTE;
    bytesLeftAtTick = bytesLeft;
    second = {counts.cntTxLineBytes - atTick.cntTxLineBytes, counts.cntRxBytes - atTick.cntRxBytes,
              tickMs < 0 ? 0 : nowMs - tickMs};
    atTick = counts;
    tickMs = nowMs;
}

void PerSecond::closeEntry(const TrafficCounters &counts, quint64 framesLeft,
                           const std::optional<UartErrors> &uart, double nowMs)
{
    TimelineEntry entry = TimelineEntry::between(atEntry, counts, framesLeft - framesLeftAtEntry);
    entry.startS = (entryStartMs - runStartMs) / MS_PER_S;
    entry.lengthS = (nowMs - entryStartMs) / MS_PER_S;
    if (entryTrips.count() != 0) {
        entry.rttP50Ms = entryTrips.percentile(50);
        entry.rttP99Ms = entryTrips.percentile(99);
    }
    if (uart) {
        entry.uartErrors = qint64(uart->total() - uartAtEntry);
        uartAtEntry = uart->total();
    }
    entry.outageMs =
        entryOutageMs + (awaySinceMs < 0 ? 0 : nowMs - std::max(awaySinceMs, entryStartMs));
    entryOutageMs = 0;
    entries.add(entry);
    atEntry = counts;
    framesLeftAtEntry = framesLeft;
    entryTrips.clear();
    entryStartMs = nowMs;
}
