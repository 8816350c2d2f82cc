#include "ledger.h"
#include "codec/ppp_frame.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

quint64 &framingErrorCounter(TrafficCounters &counts, int decodeResult)
{
    switch (decodeResult) {
    case FRAME_TOO_SHORT:
        return counts.cntShortErrors;
    case FRAME_TOO_LONG:
        return counts.cntLongErrors;
    case FRAME_BAD_FCS:
        return counts.cntCrcErrors;
    default:
        return counts.cnt7dErrors;
    }
}

} // namespace

// A full ledger gives up its oldest packet as unanswered: a late reply to it
// is then recognised as late.
void Ledger::sent(std::unique_ptr<Packet> packet, qint64 lineBytes, double nowMs)
{
    ++counts.cntTxPackets;
    counts.cntTxBytes += packet->length;
    queue.push_back({lineBytes, packet->length});
    queuedLineBytes += lineBytes;
    const quint64 frame = framesSent++;
    lastSentWaits = expectingReplies;
    if (!expectingReplies)
        return;
    if (waiting.size() == OUTSTANDING_LIMIT)
        giveUpOldest(1, true, nowMs);
    packet->sentMs = nowMs;
    waiting.add(std::move(packet), frame);
    lastSentWaits = true;
}

void Ledger::bitsChecked(quint64 bits, quint64 errors, quint64 syncLosses)
{
    counts.cntBits = bits;
    counts.cntBitErrors = errors;
    counts.cntSyncLosses = syncLosses;
}

void Ledger::sendFailed()
{
    ++counts.cntTxErrors;
}

// The port's queue drains from the front: the oldest frame has left once the
// bytes still to write fit in the frames after it. Its reply timeout starts then.
int Ledger::queueDrained(qint64 unwrittenBytes, double nowMs)
{
    const quint64 leftBefore = framesLeft;
    if (streamInQueue > unwrittenBytes) {
        counts.cntTxBytes += quint64(streamInQueue - unwrittenBytes);
        counts.cntTxLineBytes += quint64(streamInQueue - unwrittenBytes);
        bytesLeft += quint64(streamInQueue - unwrittenBytes);
        streamInQueue = unwrittenBytes;
    }
    while (!queue.empty() && queuedLineBytes - queue.front().lineBytes >= unwrittenBytes) {
        waiting.left(framesSent - queue.size(), nowMs);
        bytesLeft += queue.front().packetBytes;
        ++framesLeft;
        counts.cntTxLineBytes += quint64(queue.front().lineBytes);
        queuedLineBytes -= queue.front().lineBytes;
        queue.pop_front();
    }
    return int(framesLeft - leftBefore);
}

void Ledger::queueDiscarded()
{
    streamInQueue = 0; // never left: not sent, and no frame to count as a send error
    while (!queue.empty())
        forgetNewestQueued();
    queuedLineBytes = 0;
}

// A frame that never left is a send error only: neither sent nor outstanding.
void Ledger::forgetNewestQueued()
{
    const quint64 frame = --framesSent; // the newest: nothing after it was sent
    --counts.cntTxPackets;
    counts.cntTxBytes -= queue.back().packetBytes;
    ++counts.cntTxErrors;
    queue.pop_back();
    if (!waiting.empty() && waiting.newest().number == frame) {
        waiting.dropNewest();
        lastSentWaits = false;
    }
}

void Ledger::framingError(int decodeResult)
{
    ++framingErrorCounter(counts, decodeResult);
}

// A frame still in the port's queue cannot have been answered yet: only
// frames that left are matched, and only a last frame sent that left waits.
Ledger::Verdict Ledger::goodFrame(const quint8 *data, quint16 length, bool comparing, double nowMs)
{
    if (!expectingReplies) {
        ++counts.cntRxPackets;
        return {Reply::OneWay, false};
    }
    const bool inFlight = lastSentWaits && waiting.newest().leftMs >= 0;
    const Reply reply = judged(data, length, comparing, nowMs);
    if (reply != Reply::Answer && reply != Reply::CompareFailed)
        return {reply, false};
    if (!inFlight)
        return {reply, false};
    lastSentWaits = false;
    return {reply, true};
}

// No reply can plausibly come later than this after a frame was given up, or
// after the clean start that left it to the measurement before.
double Ledger::horizonMs() const
{
    return std::max({1000.0, 2 * linkTrips.max(), double(replyTimeoutMs)});
}

// A remembered frame's reply could still be the one now, unless the round
// trips measured tell otherwise: the reply is taken for the frame it would
// otherwise answer when their typical time (the median) lies nearer to that
// frame's round trip than to the old frame's, on a scale of ratios. Old frames
// that left before the time returned are then out of the question.
double Ledger::plausibleLeftAfter(int candidate, double nowMs) const
{
    const double never = -std::numeric_limits<double>::infinity();
    if (candidate < 0 || linkTrips.count() == 0 || !waiting.remembersAny())
        return never;
    const double typicalMs = linkTrips.percentile(50);
    const double candidateMs = nowMs - waiting.at(candidate).leftMs;
    return candidateMs > 0 ? nowMs - typicalMs * typicalMs / candidateMs : never;
}

// Frames and replies come in order: a reply that could be owed to a frame of
// the measurement before the clean start is that frame's, one that could be
// the late reply of a frame given up is late; only then an answer.
Ledger::Reply Ledger::judged(const quint8 *data, quint16 length, bool comparing, double nowMs)
{
    waiting.forgetBefore(nowMs - horizonMs());
    const int oldestLeft = !waiting.empty() && waiting.oldest().leftMs >= 0 ? 0 : -1;
    const int candidate = comparing ? waiting.oldestMatch(data, length) : oldestLeft;
    const double leftAfter = plausibleLeftAfter(candidate, nowMs);
    if (waiting.takeEarlier(data, length, leftAfter)) {
        ++counts.cntBeforeCleanStart;
        return Reply::BeforeCleanStart;
    }
    ++counts.cntRxPackets;
    if (waiting.takeGivenUp(data, length, leftAfter)) {
        ++counts.cntLate;
        return Reply::Late;
    }
    return comparing ? compared(data, length, candidate, nowMs) : inOrder(candidate, nowMs);
}

// The oldest match is the answer; the packets before it will never be answered
// now. The round trip counts only where no other packet could be the one.
Ledger::Reply Ledger::compared(const quint8 *data, quint16 length, int match, double nowMs)
{
    if (match < 0) {
        ++counts.cntCmpFail;
        return Reply::CompareFailed;
    }
    const bool certain = !waiting.matchesAnother(data, length, match);
    giveUpOldest(match, true, nowMs);
    if (certain)
        tripTaken(nowMs - waiting.oldest().packet->sentMs, true);
    else
        ++counts.cntAmbiguous;
    ++counts.cntCmpOk;
    answerOldest();
    return Reply::Answer;
}

// Without comparison each sent frame expects one good frame, in order; its
// time tells what replies take, but no round trip is reported for it.
Ledger::Reply Ledger::inOrder(int oldest, double nowMs)
{
    if (oldest < 0) {
        ++counts.cntUnexpected;
        return Reply::Unexpected;
    }
    tripTaken(nowMs - waiting.oldest().packet->sentMs, false);
    answerOldest();
    return Reply::Answer;
}

void Ledger::tripTaken(double ms, bool reported)
{
    linkTrips.add(ms);
    if (!reported)
        return;
    trips.add(ms);
    seconds.roundTrip(ms);
}

void Ledger::answerOldest()
{
    ++counts.cntAnswered;
    waiting.answerOldest();
}

void Ledger::giveUpOldest(int count, bool counted, double nowMs)
{
    for (; count > 0; --count) {
        if (waiting.oldest().number == framesSent - 1)
            lastSentWaits = false;
        waiting.giveUpOldest(nowMs);
        counts.cntNoReply += counted;
    }
}

bool Ledger::giveUpExpired(double nowMs)
{
    const bool waited = lastSentWaits;
    giveUpOldest(waiting.expired(replyTimeoutMs, nowMs), true, nowMs);
    return waited && !lastSentWaits;
}

double Ledger::nextDeadlineMs() const
{
    return waiting.nextDeadlineMs(replyTimeoutMs);
}

void Ledger::giveUpAll(double nowMs)
{
    giveUpOldest(waiting.size(), true, nowMs);
}

void Ledger::tick(bool running, double nowMs)
{
    counts.cntRunSeconds += running;
    seconds.tick(counts, bytesLeft, nowMs);
    if (running)
        closeEntry(nowMs);
}

void Ledger::closeEntry(double nowMs)
{
    seconds.closeEntry(counts, framesLeft, uartErrors(), nowMs);
}

// Frames queued before now are no longer in the counters to take back.
void Ledger::restart(double nowMs)
{
    counts = TrafficCounters{};
    trips.clear();
    waiting.startOver(nowMs);
    lastSentWaits = false;
    queue.clear();
    queuedLineBytes = 0;
    streamInQueue = 0;
    seconds.restart(bytesLeft, framesLeft, nowMs);
    uartBaseline.reset();
    originMs = nowMs;
    awayMs = 0;
    awaySinceMs = nowMs;
    // An outage under way goes on in the new measurement, from its start.
    const QString reason = away && !lost.empty() ? lost.back().reason : QString();
    lost.clear();
    if (away) {
        counts.cntOutages = 1;
        lost.push_back({0, -1, 0, reason});
    }
}

void Ledger::uartCounted(const std::optional<UartErrors> &driverCounts)
{
    if (!driverCounts)
        return;
    if (!uartBaseline)
        uartBaseline = driverCounts;
    uartLatest = *driverCounts;
}

std::optional<UartErrors> Ledger::uartErrors() const
{
    if (!uartBaseline)
        return std::nullopt;
    return uartLatest.since(*uartBaseline);
}
