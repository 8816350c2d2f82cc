// Every count of a link test, the packets that wait for a reply and the round
// trips. The send path, the receive path and the timers tell it what happened;
// nothing else changes a count. At every moment:
//   frames built = sent + send errors;
//   sent = answered + no reply + outstanding (when replies are expected);
//   good frames = answered + comparison failures + late (comparing), or
//                 answered + unexpected + late (not comparing).
// A good frame that answers a frame of the measurement before the last clean
// start is none of these: it counts apart, as before_clean_start.
#pragma once

#include "latencyhistogram.h"
#include "persecond.h"
#include "waitingframes.h"

#include <QString>

#include <deque>
#include <memory>
#include <optional>

class Ledger
{
public:
    // What a good frame turned out to be.
    enum class Reply { Answer, CompareFailed, Late, Unexpected, OneWay, BeforeCleanStart };
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
    // The port's queue still holds unwrittenBytes: the frames before them
    // left, and how many did now.
    int queueDrained(qint64 unwrittenBytes, double nowMs);
    // The port closes: frames still queued never left, so they are send errors.
    void queueDiscarded();
    // The bit error test's stream: bytes went into the port's queue; they
    // count as sent once they leave it.
    void streamQueued(qint64 bytes) { streamInQueue += bytes; }
    // The checker's counts so far (they fall when a loss of synchronisation
    // takes its window back).
    void bitsChecked(quint64 bits, quint64 errors, quint64 syncLosses);

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
    void giveUpAll(double nowMs);

    // The open port was lost at nowMs, for the system's reason: what is
    // outstanding is given up (the session has made what was still queued
    // send errors). Then it was back.
    struct Outage {
        double lostS; // on the timeline's clock
        double backS; // < 0: not back
        quint64 givenUp;
        QString reason;
    };
    void portLost(double nowMs, const QString &reason);
    void portBack(double nowMs);
    // The first MOST_OUTAGES of the measurement; the counter counts them all.
    static constexpr size_t MOST_OUTAGES = 10000;
    const std::vector<Outage> &outages() const { return lost; }
    bool portAway() const { return away; }
    // The time the port was away in the measurement, until nowMs.
    double outageMs(double nowMs) const { return awayMs + (away ? nowMs - awaySinceMs : 0); }
    // Once a second: the send rate, the line bytes of the second, and while
    // running the run time and the second's entry of the timeline.
    void tick(bool running, double nowMs);
    // Ends the timeline's current entry, as the end of a run does.
    void closeEntry(double nowMs);
    // The UART's error counts as the driver gives them (none: they could not be
    // read, which changes nothing); the first after a clean start is the baseline.
    void uartCounted(const std::optional<UartErrors> &driverCounts);

    // A clean start: counters, round trips, rate and run time from zero; the
    // outstanding and given-up packets belong to the measurement before, and
    // their replies are recognised and counted apart.
    void restart(double nowMs);

    const TrafficCounters &counters() const { return counts; }
    const LatencyHistogram &roundTrips() const { return trips; }
    const Timeline &timeline() const { return seconds.timeline(); }
    quint64 sendRateBps() const { return seconds.sendRateBps(); }
    using Second = PerSecond::Second;
    const Second &lastSecond() const { return seconds.lastSecond(); }
    // The increase since the baseline; none where the port gave no counts.
    std::optional<UartErrors> uartErrors() const;
    int outstanding() const { return waiting.size(); }
    // Sent, but not known to have left the port's queue.
    int queuedFrames() const { return int(queue.size()); }
    // Another frame may be sent without giving an outstanding one up.
    bool hasRoom() const { return !expectingReplies || waiting.size() < OUTSTANDING_LIMIT; }
    // The last frame sent still waits for its answer.
    bool awaitingReply() const { return lastSentWaits; }

private:
    struct Queued {
        qint64 lineBytes;
        quint16 packetBytes;
    };

    double horizonMs() const;
    double plausibleLeftAfter(int candidate, double nowMs) const;
    Reply judged(const quint8 *data, quint16 length, bool comparing, double nowMs);
    Reply compared(const quint8 *data, quint16 length, int match, double nowMs);
    Reply inOrder(int oldest, double nowMs);
    void tripTaken(double ms, bool reported);
    void answerOldest();
    void giveUpOldest(int count, bool counted, double nowMs);
    void forgetNewestQueued();

    TrafficCounters counts;
    LatencyHistogram trips;
    // On this link, clean starts or not: what replies take, compared or in order.
    LatencyHistogram linkTrips;
    bool expectingReplies = true;
    int replyTimeoutMs = 0;
    WaitingFrames waiting;
    std::deque<Queued> queue; // sent, perhaps not left, oldest first
    qint64 queuedLineBytes = 0;
    quint64 framesSent = 0; // numbers the frames, never reset
    bool lastSentWaits = false;
    quint64 bytesLeft = 0;    // packet bytes that left the queue
    quint64 framesLeft = 0;   // frames that left the queue
    qint64 streamInQueue = 0; // bytes of the bit error test's stream not yet left
    PerSecond seconds;
    std::optional<UartErrors> uartBaseline;
    UartErrors uartLatest;
    double originMs = 0; // of the timeline's clock: the last clean start
    std::vector<Outage> lost;
    bool away = false;
    double awaySinceMs = 0; // while away
    double awayMs = 0;      // of the outages over
};
