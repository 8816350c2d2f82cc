// The receive side: every byte through the decoder, every good frame compared
// with the packets still outstanding.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <cstring>

namespace {

quint64 &framingErrorCounter(TrafficCounters &counters, int decodeResult)
{
    switch (decodeResult) {
    case FRAME_TOO_SHORT:
        return counters.cntShortErrors;
    case FRAME_TOO_LONG:
        return counters.cntLongErrors;
    case FRAME_BAD_FCS:
        return counters.cntCrcErrors;
    case FRAME_BAD_ESCAPE:
    default:
        return counters.cnt7dErrors;
    }
}

// A device may append two bytes of its own (its FCS, say) to the echo.
bool replyMatches(const Packet &sent, const quint8 *data, quint16 length)
{
    const bool lengthFits = length == sent.length || length == sent.length + 2;
    return lengthFits && std::memcmp(data, sent.bytes, sent.length) == 0;
}

} // namespace

void MainWindow::serial_rx()
{
    // A local copy: sends and stops triggered by these bytes never disturb it.
    const QByteArray bytes = serialPort.readAll();
    if (bytes.isEmpty())
        return;
    counters.cntRxBytes += quint64(bytes.size());
    for (const char byte : bytes)
        decodeByte(quint8(byte));
}

void MainWindow::decodeByte(quint8 byte)
{
    const int result = ppp_frame_decode(rxDecoder, byte, rxFrameBuf, FRAME_BUF_SIZE);
    if (result > 0) {
        onRxFrame(quint16(result));
    } else if (result < 0) {
        ++framingErrorCounter(counters, result);
        stopOnError();
    }
}

void MainWindow::onRxFrame(quint16 length)
{
    const double stampMs = stampNow();
    bool compareFailed = false;
    if (ui->cb_trxCmp->isChecked()) {
        compareFailed = !compareRxFrame(rxFrameBuf, length, clockMs());
        if (compareFailed)
            stopOnError(); // before the answer-driven send below
    }
    showTraffic(rxFrameBuf, length, TrafficDirection::Received, compareFailed, stampMs);
    if (ui->btn_txAck->isChecked())
        sendOneFrame();
    ++counters.cntRxPackets;
}

// The oldest match wins; the packets before it will never be answered now.
bool MainWindow::compareRxFrame(const quint8 *data, quint16 length, double receivedMs)
{
    for (int slot = txRingTail; slot != txRingHead; slot = nextRingSlot(slot)) {
        if (replyMatches(*txRing[slot], data, length)) {
            dropOutstandingBefore(slot);
            roundTrips.add(receivedMs - txRing[slot]->sentMs);
            delete txRing[slot];
            txRingTail = nextRingSlot(slot);
            ++counters.cntCmpOk;
            return true;
        }
    }
    ++counters.cntCmpFail;
    return false;
}

// Each packet before slot leaves the ring unanswered.
void MainWindow::dropOutstandingBefore(int slot)
{
    for (; txRingTail != slot; txRingTail = nextRingSlot(txRingTail)) {
        delete txRing[txRingTail];
        ++counters.cntNoReply;
    }
}

void MainWindow::dropAllOutstanding()
{
    dropOutstandingBefore(txRingHead);
}

// With "出错停发" ticked, the first failure ends a running continuous mode
// through the same stop path the port's close uses.
void MainWindow::stopOnError()
{
    if (!ui->cb_autoStop->isChecked())
        return;
    if (ui->btn_txAuto->isChecked()) {
        ui->btn_txAuto->setChecked(false);
        on_btn_txAuto_clicked();
    }
    if (ui->btn_txAck->isChecked()) {
        ui->btn_txAck->setChecked(false);
        on_btn_txAck_clicked();
    }
}
