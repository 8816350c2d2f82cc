// The transmit side: one frame per call, the port's queue, and the reply timer.
#include "clock.h"
#include "linksession.h"
#include "shell/texts.h"

#include <algorithm>
#include <cmath>

namespace {
// The port's queue holds about this much line time; beyond it frames are not
// sent but counted as send errors, so memory stays flat against a device that
// reads slowly or not at all.
constexpr qint64 QUEUE_LINE_TIME_MS = 200;
// Timed sending catches up at most this much of what late ticks missed.
constexpr double CATCH_UP_MS = 100;
} // namespace

// Each frame is due a period after the one before, on the clock: a late tick
// sends what it missed, so that the average period holds.
void LinkSession::onSendTimer()
{
    const double nowMs = clockMs();
    nextDueMs = std::max(nextDueMs, nowMs - CATCH_UP_MS);
    while (sending == SendMode::Timed && nextDueMs <= nowMs) {
        nextDueMs += current.periodMs;
        sendOneFrame();
    }
    if (sending == SendMode::Timed)
        armSendTimer();
}

void LinkSession::armSendTimer()
{
    sendTimer.start(int(std::ceil(std::max(0.0, nextDueMs - clockMs()))));
}

// A period shorter than a frame's time on the line cannot be kept by a line
// of that speed; said once a start, the run goes on.
void LinkSession::checkPeriod(int lineBytes)
{
    if (periodChecked)
        return;
    periodChecked = true;
    const double frameMs = 1000.0 * lineBytes * bitsPerCharacter(openedLine) / openedLine.baud;
    if (current.periodMs < frameMs)
        emit caution(Texts::tr("定时周期 %1 ms 短于一帧在 %2 波特线路上的时间 %3 ms")
                         .arg(current.periodMs)
                         .arg(openedLine.baud)
                         .arg(frameMs, 0, 'f', 2));
}

// Past the frame limit nothing is built, so not even the SID moves on.
void LinkSession::sendOneFrame()
{
    if (frameLimitReached())
        return;
    std::unique_ptr<Packet> packet = buildPacket();
    if (packet && !transmit(packet)) {
        counts.sendFailed();
        retryAfterReplyTimeout();
    }
}

// Null, without a word, while the settings say no packet can be built (the
// start of sending said why); null with a warning when memory runs out.
std::unique_ptr<Packet> LinkSession::buildPacket()
{
    if (!current.unusable.isEmpty())
        return nullptr;
    std::unique_ptr<Packet> packet = builder.build(current);
    if (packet)
        return packet;
    if (sending != SendMode::None)
        stopUnable(Texts::tr("数据包内存申请失败"));
    else
        emit warning(Texts::tr("错误"), Texts::tr("数据包内存申请失败"));
    return nullptr;
}

bool LinkSession::frameLimitReached() const
{
    return current.frameLimit != 0 && counts.counters().cntTxPackets >= current.frameLimit;
}

// True when the packet's frame went into the port's queue; the ledger then owns it.
bool LinkSession::transmit(std::unique_ptr<Packet> &packet)
{
    const int lineBytes = writeFrame(packet->bytes, packet->length);
    if (lineBytes == 0)
        return false;
    pcapQueued(packet->bytes, packet->length);
    report({TrafficDirection::Sent, packet->bytes, packet->length, false, stampNow()});
    counts.sent(std::move(packet), lineBytes, clockMs());
    if (sending == SendMode::Timed)
        checkPeriod(lineBytes);
    onQueueDrained();
    return true;
}

// Full-speed sending keeps the port's queue full and, where replies are
// expected, no more outstanding than the ledger keeps: a packet that does not
// fit waits, uncounted, for the queue to drain or an answer to come.
void LinkSession::fillTransmitQueue()
{
    while (sending == SendMode::FullSpeed && !frameLimitReached() && counts.hasRoom()) {
        if (!heldPacket)
            heldPacket = buildPacket();
        if (!heldPacket || !transmit(heldPacket))
            return;
    }
}

// The frame's length on the line when the whole frame went into the port's
// queue; 0 when the port is closed, the queue full, or the port took fewer
// bytes than the frame holds.
int LinkSession::writeFrame(const quint8 *bytes, int length)
{
    if (!portOpen)
        return 0;
    const int frameLength = ppp_frame_encode(bytes, length, txFrameBuf, sizeof txFrameBuf);
    if (frameLength == 0 || port.bytesToWrite() + frameLength > transmitQueueLimit())
        return 0;
    const qint64 accepted = port.write(reinterpret_cast<const char *>(txFrameBuf), frameLength);
    return accepted == frameLength ? frameLength : 0;
}

qint64 LinkSession::transmitQueueLimit() const
{
    const qint64 bytesPerSecond = port.baudRate() / bitsPerCharacter(openedLine);
    return qMax<qint64>(bytesPerSecond * QUEUE_LINE_TIME_MS / 1000, LONGEST_FRAME);
}

// Frames that left the queue start their reply timeout.
void LinkSession::onQueueDrained()
{
    pcapLeft(counts.queueDrained(port.bytesToWrite(), clockMs()));
    armReplyTimer();
}

void LinkSession::onBytesWritten()
{
    onQueueDrained();
    fillTransmitQueue();
    fillStream();
}

// The timer runs to the oldest outstanding packet's timeout, which only ever
// moves later, so a running timer is never late.
void LinkSession::armReplyTimer()
{
    const double deadlineMs = counts.nextDeadlineMs();
    if (deadlineMs >= 0 && !replyTimer.isActive())
        replyTimer.start(int(std::ceil(qMax(0.0, deadlineMs - clockMs()))));
}

// In answer-driven sending a failed send is tried again once the reply
// timeout has passed.
void LinkSession::retryAfterReplyTimeout()
{
    if (sending == SendMode::AnswerDriven && counts.replyTimeout() > 0)
        replyTimer.start(counts.replyTimeout());
}

// A frame given up at its timeout ends the wait for it: answer-driven
// sending goes on with the next.
void LinkSession::onReplyTimeout()
{
    counts.giveUpExpired(clockMs());
    if (sending == SendMode::AnswerDriven && !counts.awaitingReply())
        sendOneFrame();
    fillTransmitQueue();
    armReplyTimer();
}
