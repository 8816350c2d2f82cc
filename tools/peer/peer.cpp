#include "peer.h"

namespace {

// How often a finishing run checks whether the tool has read the last reply,
// and how long it waits for that beyond the reply delay.
constexpr int DRAIN_POLL_MS = 20;
constexpr int DRAIN_PATIENCE_MS = 2000;

FaultPlan planFor(const PeerOptions &options)
{
    if (options.fault == Fault::None)
        return FaultPlan();
    if (options.random)
        return FaultPlan::random(options.fault, options.rate, options.seed);
    return FaultPlan::everyNth(options.fault, options.every);
}

} // namespace

Peer::Peer(const PeerOptions &options, PeerLink &link, QIODevice *record)
    : link(link), record(record), mode(options.mode), frameLimit(options.frameLimit),
      builder(options.mode, options.flags, options.seed), plan(planFor(options)),
      delayLine(options.delayMs), noise(options.bitErrorRate, options.slipEvery, options.seed),
      frame(FRAME_BUF_SIZE), giveUpAfterMs(options.delayMs + DRAIN_PATIENCE_MS)
{
    connect(&link, &PeerLink::received, this, &Peer::receive);
    connect(&link, &PeerLink::vanished, this, &Peer::loseLine);
    connect(&link, &PeerLink::returned, this, &Peer::startAfresh);
    connect(&delayLine, &DelayLine::due, this, &Peer::transmit);
    connect(&drainPoll, &QTimer::timeout, this, &Peer::finishOnceDrained);
}

// Once finishing, bytes are still recorded and counted but no longer answered.
void Peer::receive(const QByteArray &bytes)
{
    if (record)
        record->write(bytes);
    tally.noteReceived(bytes);
    if (finishing)
        return;
    if (mode == ReplyMode::Raw)
        delayLine.push({bytes, Fault::None, 0});
    for (char byte : bytes) {
        if (decode(uint8_t(byte)) && tally.frames() == frameLimit) {
            startFinishing();
            return;
        }
    }
}

// True when byte completed a good frame.
bool Peer::decode(uint8_t byte)
{
    const int result = ppp_frame_decode(decoder, byte, frame.data(), FRAME_BUF_SIZE);
    if (result <= 0)
        return false;
    tally.noteFrameReceived();
    if (mode != ReplyMode::Raw)
        answer(QByteArray(reinterpret_cast<const char *>(frame.data()), result));
    return true;
}

void Peer::answer(const QByteArray &body)
{
    delayLine.push(builder.build(body, plan.next()));
}

void Peer::transmit(Reply reply)
{
    if (mode == ReplyMode::Raw)
        noise.spoil(reply);
    if (!reply.wire.isEmpty())
        link.send(reply.wire);
    tally.noteSent(reply);
}

// Replies owed to the line that went are lost with it.
void Peer::loseLine()
{
    delayLine.clear();
    tally.noteVanished();
}

// A device that comes back knows nothing of the frame it was in.
void Peer::startAfresh()
{
    decoder = DecoderState{};
    builder.startNewLine();
    tally.noteReturned();
}

// The first check comes a poll period later, by when the terminal has passed
// the last write on to the tool's side.
void Peer::startFinishing()
{
    finishing = true;
    finishClock.start();
    drainPoll.start(DRAIN_POLL_MS);
}

void Peer::finishOnceDrained()
{
    const bool delivered = delayLine.isEmpty() && link.drained();
    if (delivered || finishClock.elapsed() > giveUpAfterMs) {
        drainPoll.stop();
        emit finished();
    }
}
