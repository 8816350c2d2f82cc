// Every count of a link test, the packets that wait for a reply and the round
// trips. The send path, the receive path and the timers tell it what happened;
// nothing else changes a count. At every moment:
//   frames built = sent + send errors;
//   sent = answered + no reply + outstanding (when replies are expected);
//   good frames = answered + comparison failures + late (comparing), or
//                 answered + unexpected (not comparing).
#pragma once

#include "latencyhistogram.h"
#include "packet.h"
#include "timeline.h"
#include "trafficcounters.h"

#include <deque>
#include <memory>
#include <optional>

// Holds at most this many outstanding packets: a second of 1 ms sending in
// flight, so that a slow device is not blamed for replies the ledger forgot.
// As many given-up packets are kept to recognise their late replies.
constexpr int OUTSTANDING_LIMIT = 1024;

// The share of a line's capacity that bytes took in ms, each byte costing
// the bits of one character; 0 for no time or no rate.
double lineShare(quint64 bytes, int bitsPerCharacter, qint64 baud, double ms);

class Ledger
{
public:
    // What a good frame turned out to be.
    enum class Reply { Answer, CompareFailed, Late, Unexpected, OneWay };
    struct Verdict {
        Reply reply;
        bool endedWait; // it ended the wait of the last frame sent, which had left
    };

    // A link where the device answers nothing on purpose expects no replies:
    // received frames are only counted.
    void setExpectingReplies(bool expecting) { expectingReplies = expecting; }
    bool expectsReplies() const { return expectingReplies; }
    // A frame unanswered this long after it left counts as no reply; 0: never.
    void setReplyTimeoutMs(int ms) { replyTimeoutMs = ms; }
    int replyTimeout() const { return replyTimeoutMs; }

    // The send path: a frame of lineBytes went into the port's queue at nowMs,
    // or could not be sent.
    void sent(std::unique_ptr<Packet> packet, qint64 lineBytes, double nowMs);
    void sendFailed();
    // The port's queue still holds unwrittenBytes: the frames before them left.
    void queueDrained(qint64 unwrittenBytes, double nowMs);
    // The port closes: frames still queued never left, so they are send errors.
    void queueDiscarded();

    // The receive path.
    void bytesReceived(quint64 count) { counts.cntRxBytes += count; }
    void framingError(int decodeResult);
    Verdict goodFrame(const quint8 *data, quint16 length, bool comparing, double nowMs);

    // The timers. Packets past their reply timeout count as no reply; true
    // when the last frame sent was among them.
    bool giveUpExpired(double nowMs);
    // When the oldest outstanding packet's timeout runs out; < 0: none does.
    double nextDeadlineMs() const;
    // The end of a run: every outstanding packet counts as no reply.
    void giveUpAll();
    // Once a second: the send rate, the line bytes of the second, and while
    // running the run time and the second's entry of the timeline.
    void tick(bool running, double nowMs);
    // Ends the timeline's current entry, as the end of a run does.
    void closeEntry(double nowMs);
    // The UART's error counts as the driver gives them (none: they could not be
    // read, which changes nothing); the first after a clean start is the baseline.
    void uartCounted(const std::optional<UartErrors> &driverCounts);

    // A clean start: counters, round trips, rate and run time from zero; the
    // outstanding packets are given up uncounted (their late replies are
    // still recognised).
    void restart(double nowMs);

    const TrafficCounters &counters() const { return counts; }
    const LatencyHistogram &roundTrips() const { return trips; }
    const Timeline &timeline() const { return perSecond; }
    quint64 sendRateBps() const { return rateBps; }
    // Line bytes each way between the last two ticks, and the time between them.
    struct Second {
        quint64 txLineBytes = 0;
        quint64 rxBytes = 0;
        double ms = 0;
    };
    const Second &lastSecond() const { return second; }
    // The increase since the baseline; none where the port gave no counts.
    std::optional<UartErrors> uartErrors() const;
    int outstanding() const { return int(waiting.size()); }
    // Another frame may be sent without giving an outstanding one up.
    bool hasRoom() const { return !expectingReplies || waiting.size() < OUTSTANDING_LIMIT; }
    // The last frame sent still waits for its answer.
    bool awaitingReply() const { return lastSentWaits; }

private:
    struct Outstanding {
        std::unique_ptr<Packet> packet;
        quint64 frame; // its number among the frames sent
        double leftMs; // when it left the port's queue; < 0 while queued
    };
    struct Queued {
        qint64 lineBytes;
        quint16 packetBytes;
    };

    Reply compared(const quint8 *data, quint16 length, double nowMs);
    Reply inOrder();
    int oldestMatch(const quint8 *data, quint16 length) const;
    bool matchesAnother(const quint8 *data, quint16 length, int besides) const;
    bool wasGivenUp(const quint8 *data, quint16 length) const;
    void answerOldest();
    void giveUpOldest(int count, bool counted);
    void forgetNewestQueued();

    TrafficCounters counts;
    LatencyHistogram trips;
    bool expectingReplies = true;
    int replyTimeoutMs = 0;
    std::deque<Outstanding> waiting;             // oldest first
    std::deque<std::unique_ptr<Packet>> givenUp; // newest last, for recognition only
    std::deque<Queued> queue;                    // sent, perhaps not left, oldest first
    qint64 queuedLineBytes = 0;
    quint64 framesSent = 0; // numbers the frames, never reset
    bool lastSentWaits = false;
    quint64 bytesLeft = 0; // packet bytes that left the queue
    quint64 bytesLeftAtTick = 0;
    quint64 rateBps = 0;
    Second second;
    TrafficCounters atTick; // the counts at the last tick
    double tickMs = -1;     // when it came; < 0 before the first
    Timeline perSecond;
    TrafficCounters atEntry; // the counts when the current entry began
    LatencyHistogram entryTrips;
    quint64 framesLeft = 0, framesLeftAtEntry = 0;
    double runStartMs = 0, entryStartMs = 0;
    std::optional<UartErrors> uartBaseline;
    UartErrors uartLatest;
    quint64 uartAtEntry = 0; // the increase when the current entry began

    friend class MainWindowProbe; // tests set counters directly
};
