#include "timeline.h"

#include <algorithm>

TimelineEntry TimelineEntry::between(const TrafficCounters &from, const TrafficCounters &to,
                                     quint64 framesLeft)
{
    const auto framing = [](const TrafficCounters &c) {
        return c.cnt7dErrors + c.cntCrcErrors + c.cntLongErrors + c.cntShortErrors;
    };
    TimelineEntry entry;
    entry.txPackets = framesLeft;
    entry.rxPackets = to.cntRxPackets - from.cntRxPackets;
    entry.framingErrors = framing(to) - framing(from);
    entry.compareFailed = to.cntCmpFail - from.cntCmpFail;
    entry.noReply = to.cntNoReply - from.cntNoReply;
    entry.late = to.cntLate - from.cntLate;
    entry.unexpected = to.cntUnexpected - from.cntUnexpected;
    entry.txErrors = to.cntTxErrors - from.cntTxErrors;
    entry.txLineBytes = to.cntTxLineBytes - from.cntTxLineBytes;
    entry.rxBytes = to.cntRxBytes - from.cntRxBytes;
    entry.bits = qint64(to.cntBits) - qint64(from.cntBits);
    entry.bitErrors = qint64(to.cntBitErrors) - qint64(from.cntBitErrors);
    entry.syncLosses = qint64(to.cntSyncLosses) - qint64(from.cntSyncLosses);
    return entry;
}

void TimelineEntry::absorb(const TimelineEntry &later)
{
    seconds += later.seconds;
    lengthS += later.lengthS;
    txPackets += later.txPackets;
    rxPackets += later.rxPackets;
    framingErrors += later.framingErrors;
    compareFailed += later.compareFailed;
    noReply += later.noReply;
    late += later.late;
    unexpected += later.unexpected;
    txErrors += later.txErrors;
    uartErrors =
        uartErrors < 0 ? later.uartErrors : uartErrors + std::max<qint64>(0, later.uartErrors);
    txLineBytes += later.txLineBytes;
    rxBytes += later.rxBytes;
    bits += later.bits;
    bitErrors += later.bitErrors;
    syncLosses += later.syncLosses;
    outageMs += later.outageMs;
    rttP50Ms = std::max(rttP50Ms, later.rttP50Ms);
    rttP99Ms = std::max(rttP99Ms, later.rttP99Ms);
}

void Timeline::clear()
{
    list.clear();
    step = 1;
}

void Timeline::add(const TimelineEntry &entry)
{
    if (!list.empty() && list.back().seconds < step) {
        list.back().absorb(entry);
        return;
    }
    list.push_back(entry);
    if (list.size() > MOST_ENTRIES)
        halve();
}

// Each pair of neighbours becomes one entry of twice the step.
void Timeline::halve()
{
    std::vector<TimelineEntry> merged;
    merged.reserve(MOST_ENTRIES / 2 + 1);
    for (size_t i = 0; i < list.size(); i += 2) {
        merged.push_back(list[i]);
        if (i + 1 < list.size())
            merged.back().absorb(list[i + 1]);
    }
    list = std::move(merged);
    step *= 2;
}
