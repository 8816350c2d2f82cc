// The counts of a link test, zeroed together as one block.
#pragma once

#include "serial/uartcounts.h"

#include <QtGlobal>

struct TrafficCounters {
    quint64 cntTxPackets = 0;   // frames handed to the port that did not come back unsent
    quint64 cntTxBytes = 0;     // packet bytes of those frames, before stuffing
    quint64 cntTxErrors = 0;    // frames built that could not be sent
    quint64 cntTxLineBytes = 0; // bytes that left the port's queue, flags and escapes included
    quint64 cntRxPackets = 0;   // good frames received
    quint64 cntRxBytes = 0;     // raw line bytes read
    quint64 cnt7dErrors = 0;
    quint64 cntCrcErrors = 0;
    quint64 cntLongErrors = 0;
    quint64 cntShortErrors = 0;
    quint64 cntCmpOk = 0;            // answers that passed the comparison
    quint64 cntCmpFail = 0;          // good frames that matched nothing sent
    quint64 cntNoReply = 0;          // sent frames given up unanswered
    quint64 cntAnswered = 0;         // sent frames answered, compared or not
    quint64 cntLate = 0;             // replies to frames already given up
    quint64 cntUnexpected = 0;       // good frames when no reply was expected
    quint64 cntAmbiguous = 0;        // answers that could belong to more than one frame
    quint64 cntBeforeCleanStart = 0; // good frames answering a frame sent before the clean start
    quint64 cntRunSeconds = 0;       // one-second ticks with a continuous send mode on
    quint64 cntOutages = 0;          // times the open port was lost and waited for
    // The bit error test: bits compared with the sequence, those that differed,
    // and the times it was lost and found again (the first finding is none).
    quint64 cntBits = 0;
    quint64 cntBitErrors = 0;
    quint64 cntSyncLosses = 0;
};
