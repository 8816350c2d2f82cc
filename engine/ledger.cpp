#include "ledger.h"
#include "codec/ppp_frame.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr quint64 BITS_PER_BYTE = 8;
constexpr double MS_PER_S = 1000;

// A device may append two bytes of its own (its FCS, say) to the echo.
bool replyMatches(const Packet &sent, const quint8 *data, quint16 length)
{
    const bool lengthFits = length == sent.length || length == sent.length + 2;
    return lengthFits && std::memcmp(data, sent.bytes, sent.length) == 0;
}

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

double lineShare(quint64 bytes, int bitsPerCharacter, qint64 baud, double ms)
{
    const double capacityBits = double(baud) * ms / MS_PER_S;
    return capacityBits > 0 ? double(bytes) * bitsPerCharacter / capacityBits : 0;
}

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
        giveUpOldest(1, true);
    packet->sentMs = nowMs;
    waiting.push_back({std::move(packet), frame, -1});
    lastSentWaits = true;
}

void Ledger::sendFailed()
{
    ++counts.cntTxErrors;
}

// The port's queue drains from the front: the oldest frame has left once the
// bytes still to write fit in the frames after it. Its reply timeout starts then.
void Ledger::queueDrained(qint64 unwrittenBytes, double nowMs)
{
    while (!queue.empty() && queuedLineBytes - queue.front().lineBytes >= unwrittenBytes) {
        const quint64 frame = framesSent - queue.size();
        const auto entry =
            std::lower_bound(waiting.begin(), waiting.end(), frame,
                             [](const Outstanding &o, quint64 number) { return o.frame < number; });
        if (entry != waiting.end() && entry->frame == frame)
            entry->leftMs = nowMs;
        bytesLeft += queue.front().packetBytes;
        ++framesLeft;
        counts.cntTxLineBytes += quint64(queue.front().lineBytes);
        queuedLineBytes -= queue.front().lineBytes;
        queue.pop_front();
    }
}

void Ledger::queueDiscarded()
{
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
    if (!waiting.empty() && waiting.back().frame == frame) {
        waiting.pop_back();
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
    ++counts.cntRxPackets;
    if (!expectingReplies)
        return {Reply::OneWay, false};
    const bool inFlight = lastSentWaits && waiting.back().leftMs >= 0;
    const Reply reply = comparing ? compared(data, length, nowMs) : inOrder();
    if (reply == Reply::Late || reply == Reply::Unexpected || !inFlight)
        return {reply, false};
    lastSentWaits = false;
    return {reply, true};
}

// The oldest match is the answer; the packets before it will never be answered
// now. The round trip counts only where no other packet could be the one.
Ledger::Reply Ledger::compared(const quint8 *data, quint16 length, double nowMs)
{
    const int match = oldestMatch(data, length);
    if (match >= 0) {
        const bool certain = !matchesAnother(data, length, match) && !wasGivenUp(data, length);
        giveUpOldest(match, true);
        if (certain) {
            trips.add(nowMs - waiting.front().packet->sentMs);
            entryTrips.add(nowMs - waiting.front().packet->sentMs);
        } else
            ++counts.cntAmbiguous;
        ++counts.cntCmpOk;
        answerOldest();
        return Reply::Answer;
    }
    if (wasGivenUp(data, length)) {
        ++counts.cntLate;
        return Reply::Late;
    }
    ++counts.cntCmpFail;
    return Reply::CompareFailed;
}

// Without comparison each sent frame expects one good frame, in order.
Ledger::Reply Ledger::inOrder()
{
    if (waiting.empty() || waiting.front().leftMs < 0) {
        ++counts.cntUnexpected;
        return Reply::Unexpected;
    }
    answerOldest();
    return Reply::Answer;
}

void Ledger::answerOldest()
{
    ++counts.cntAnswered;
    waiting.pop_front();
}

int Ledger::oldestMatch(const quint8 *data, quint16 length) const
{
    for (size_t i = 0; i < waiting.size() && waiting[i].leftMs >= 0; ++i) {
        if (replyMatches(*waiting[i].packet, data, length))
            return int(i);
    }
    return -1;
}

bool Ledger::matchesAnother(const quint8 *data, quint16 length, int besides) const
{
    return std::any_of(waiting.begin() + besides + 1, waiting.end(), [&](const Outstanding &o) {
        return o.leftMs >= 0 && replyMatches(*o.packet, data, length);
    });
}

bool Ledger::wasGivenUp(const quint8 *data, quint16 length) const
{
    return std::any_of(givenUp.begin(), givenUp.end(), [&](const std::unique_ptr<Packet> &p) {
        return replyMatches(*p, data, length);
    });
}

// Given-up packets are kept a while, newest last, to recognise late replies.
void Ledger::giveUpOldest(int count, bool counted)
{
    for (; count > 0; --count) {
        if (waiting.front().frame == framesSent - 1)
            lastSentWaits = false;
        givenUp.push_back(std::move(waiting.front().packet));
        waiting.pop_front();
        if (givenUp.size() > OUTSTANDING_LIMIT)
            givenUp.pop_front();
        counts.cntNoReply += counted;
    }
}

bool Ledger::giveUpExpired(double nowMs)
{
    const bool waited = lastSentWaits;
    int expired = 0;
    while (replyTimeoutMs > 0 && expired < int(waiting.size()) && waiting[expired].leftMs >= 0 &&
           waiting[expired].leftMs + replyTimeoutMs <= nowMs)
        ++expired;
    giveUpOldest(expired, true);
    return waited && !lastSentWaits;
}

double Ledger::nextDeadlineMs() const
{
    if (replyTimeoutMs <= 0 || waiting.empty() || waiting.front().leftMs < 0)
        return -1;
    return waiting.front().leftMs + replyTimeoutMs;
}

void Ledger::giveUpAll()
{
    giveUpOldest(int(waiting.size()), true);
}

void Ledger::tick(bool running, double nowMs)
{
    counts.cntRunSeconds += running;
    rateBps = (bytesLeft - bytesLeftAtTick) * BITS_PER_BYTE;
    bytesLeftAtTick = bytesLeft;
    second = {counts.cntTxLineBytes - atTick.cntTxLineBytes, counts.cntRxBytes - atTick.cntRxBytes,
              tickMs < 0 ? 0 : nowMs - tickMs};
    atTick = counts;
    tickMs = nowMs;
    if (running)
        closeEntry(nowMs);
}

void Ledger::closeEntry(double nowMs)
{
    TimelineEntry entry = TimelineEntry::between(atEntry, counts, framesLeft - framesLeftAtEntry);
    entry.startS = (entryStartMs - runStartMs) / MS_PER_S;
    if (entryTrips.count() != 0) {
        entry.rttP50Ms = entryTrips.percentile(50);
        entry.rttP99Ms = entryTrips.percentile(99);
    }
    if (const std::optional<UartErrors> uart = uartErrors()) {
        entry.uartErrors = qint64(uart->total() - uartAtEntry);
        uartAtEntry = uart->total();
    }
    perSecond.add(entry);
    atEntry = counts;
    framesLeftAtEntry = framesLeft;
    entryTrips.clear();
    entryStartMs = nowMs;
}

// Frames queued before now are no longer in the counters to take back.
void Ledger::restart(double nowMs)
{
    counts = TrafficCounters{};
    trips.clear();
    giveUpOldest(int(waiting.size()), false);
    queue.clear();
    queuedLineBytes = 0;
    bytesLeftAtTick = bytesLeft;
    rateBps = 0;
    second = {};
    atTick = counts;
    perSecond.clear();
    atEntry = counts;
    framesLeftAtEntry = framesLeft;
    entryTrips.clear();
    runStartMs = entryStartMs = nowMs;
    uartBaseline.reset();
    uartAtEntry = 0;
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
