// The receive side: every byte through the decoder, every good frame judged
// by the ledger.
#include "clock.h"
#include "linksession.h"

void LinkSession::serial_rx()
{
    // A local copy: sends and stops triggered by these bytes never disturb it.
    const QByteArray bytes = port.readAll();
    if (bytes.isEmpty())
        return;
    counts.bytesReceived(quint64(bytes.size()));
    emit bytesArrived();
    // The port tells that a frame was written only on its next turn; a reply
    // may come first, and must find the frame gone out.
    onQueueDrained();
    if (streamIn) {
        checkStream(bytes);
        return;
    }
    for (const char byte : bytes)
        decodeByte(quint8(byte));
    fillTransmitQueue(); // answers make room for more
}

void LinkSession::decodeByte(quint8 byte)
{
    const int stored = rxDecoder.count; // what a refused frame held
    const int result = ppp_frame_decode(rxDecoder, byte, rxFrameBuf, FRAME_BUF_SIZE);
    if (result > 0) {
        onRxFrame(quint16(result));
    } else if (result < 0) {
        counts.framingError(result);
        pcapRefused(result, stored);
        stopOnError();
    }
}

// A reply, even a corrupted one, drives answer-driven sending when it ends
// the wait for the last frame sent; late and unexpected frames send nothing.
void LinkSession::onRxFrame(quint16 length)
{
    const double stampMs = stampNow();
    const Ledger::Verdict verdict =
        counts.goodFrame(rxFrameBuf, length, current.compare, clockMs());
    const bool compareFailed = verdict.reply == Ledger::Reply::CompareFailed;
    if (compareFailed)
        stopOnError(); // before the answer-driven send below
    pcapReceived(length);
    report({TrafficDirection::Received, rxFrameBuf, length, compareFailed, stampMs});
    if (verdict.endedWait && sending == SendMode::AnswerDriven)
        sendOneFrame();
}

// With "出错停发" the first failure ends the running mode.
void LinkSession::stopOnError()
{
    if (current.stopOnError)
        stop();
}
