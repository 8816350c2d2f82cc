// What the peer received, sent and spoiled, and the report printed on exit.
#pragma once

#include "reply_builder.h"
#include "wire_tally.h"

#include <QString>

#include <map>

class PeerCounters
{
public:
    void noteReceived(const QByteArray &bytes) { bytesReceived += quint64(bytes.size()); }
    void noteFrameReceived() { ++framesReceived; }
    // Counts a reply (or, in raw mode, echoed bytes) as it leaves for the tool.
    void noteSent(const Reply &reply);
    void noteVanished() { ++timesVanished; }
    // The tool reads a new line from its start.
    void noteReturned();

    quint64 frames() const { return framesReceived; }
    // "name: value" lines, one per counter, in a fixed order.
    QString report() const;

private:
    quint64 bytesReceived = 0;
    quint64 framesReceived = 0;
    quint64 repliesSent = 0;
    quint64 bytesSent = 0;
    quint64 bitsFlipped = 0;
    quint64 bytesDropped = 0;
    quint64 timesVanished = 0;
    quint64 timesReturned = 0;
    std::map<Fault, quint64> injected;
    WireTally wire;
};
