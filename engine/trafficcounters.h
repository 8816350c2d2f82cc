// The window's traffic counters, zeroed together as one block.
#pragma once

#include <QtGlobal>

struct TrafficCounters {
    quint64 cntTxPackets = 0;      // frames handed to the port
    quint64 cntTxBytes = 0;        // packet bytes of those frames, before stuffing
    quint64 txBytesAtLastTick = 0; // cntTxBytes at the previous one-second tick
    quint64 cntTxErrors = 0;       // send attempts that failed
    quint64 cntRxPackets = 0;      // good frames received
    quint64 cntRxBytes = 0;        // raw line bytes read
    quint64 cnt7dErrors = 0;
    quint64 cntCrcErrors = 0;
    quint64 cntLongErrors = 0;
    quint64 cntShortErrors = 0;
    quint64 cntCmpOk = 0;
    quint64 cntCmpFail = 0;
    quint64 cntNoReply = 0;    // packets that left the ring unanswered
    quint64 cntRunSeconds = 0; // one-second ticks with a continuous send mode on
};
