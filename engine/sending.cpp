// The transmit side: one frame per call, the ring of outstanding packets and
// the three ways a send is triggered.
#include "app/mainwindow.h"
#include "app/perfcounter.h"
#include "fieldtext.h"
#include "ui_mainwindow.h"

namespace {
// The port's queue holds about this much line time; beyond it frames are not
// sent but counted as send errors, so memory stays flat against a device that
// reads slowly or not at all.
constexpr qint64 QUEUE_LINE_TIME_MS = 200;
constexpr qint64 BITS_PER_LINE_BYTE = 10; // start, 8 data, stop
} // namespace

int MainWindow::nextRingSlot(int slot)
{
    return (slot + 1) % TX_RING_SLOTS;
}

// Past the frame limit nothing is built, so not even the SID moves on.
void MainWindow::sendOneFrame()
{
    if (txFrameLimit != 0 && counters.cntTxPackets >= txFrameLimit)
        return;
    Packet *packet = buildPacket();
    if (!packet)
        return;
    armReplyTimeout();
    if (!writeFrame(packet->bytes, packet->length)) {
        ++counters.cntTxErrors;
        delete packet;
        return;
    }
    packet->sentMs = clockMs();
    const double stampMs = stampNow();
    showTraffic(packet->bytes, packet->length, TrafficDirection::Sent, false, stampMs);
    ++counters.cntTxPackets;
    counters.cntTxBytes += packet->length;
    keepOutstanding(packet);
}

// True when the whole frame went into the port's queue; false when the port
// is closed, the frame too long for the buffer, the queue full, or the port
// took fewer bytes than the frame holds.
bool MainWindow::writeFrame(const quint8 *bytes, int length)
{
    if (!serialPort.isOpen())
        return false;
    const int frameLength = ppp_frame_encode(bytes, length, txFrameBuf, FRAME_BUF_SIZE);
    if (frameLength == 0 || serialPort.bytesToWrite() + frameLength > transmitQueueLimit())
        return false;
    const qint64 accepted =
        serialPort.write(reinterpret_cast<const char *>(txFrameBuf), frameLength);
    if (accepted != frameLength)
        return false;
    trackQueuedFrame(frameLength, quint16(length));
    return true;
}

// Never less than one largest frame, so that any frame fits an empty queue.
qint64 MainWindow::transmitQueueLimit() const
{
    const qint64 bytesPerSecond = serialPort.baudRate() / BITS_PER_LINE_BYTE;
    return qMax<qint64>(bytesPerSecond * QUEUE_LINE_TIME_MS / 1000, FRAME_BUF_SIZE);
}

void MainWindow::trackQueuedFrame(qint64 lineBytes, quint16 packetBytes)
{
    queuedFrames.push_back({lineBytes, packetBytes});
    queuedLineBytes += lineBytes;
    forgetFramesThatLeft();
}

// The queue drains from the front: the oldest frame has left once the bytes
// still to write fit in the frames after it.
void MainWindow::forgetFramesThatLeft()
{
    const qint64 unwritten = serialPort.bytesToWrite();
    while (!queuedFrames.empty() && queuedLineBytes - queuedFrames.front().lineBytes >= unwritten) {
        queuedLineBytes -= queuedFrames.front().lineBytes;
        queuedFrames.pop_front();
    }
}

// Run just before the port closes: frames that could not leave were not sent.
// Clearing the counters forgets the queue, so every frame here was counted.
// Such a frame is a send error only, never also an unanswered one.
void MainWindow::countUnsentAsErrors()
{
    forgetFramesThatLeft();
    for (const QueuedFrame &frame : queuedFrames) {
        --counters.cntTxPackets;
        counters.cntTxBytes -= frame.packetBytes;
        ++counters.cntTxErrors;
        forgetNewestOutstanding();
    }
    queuedFrames.clear();
    queuedLineBytes = 0;
}

// A full ring gives up its oldest packet as unanswered: a late reply to it
// then counts as a comparison failure.
void MainWindow::keepOutstanding(Packet *packet)
{
    if (!ui->cb_trxCmp->isChecked()) {
        delete packet;
        return;
    }
    const int next = nextRingSlot(txRingHead);
    if (next == txRingTail)
        dropOutstandingBefore(nextRingSlot(txRingTail));
    txRing[txRingHead] = packet;
    txRingHead = next;
}

// The newest frame is the last one kept, when comparison kept it at all.
void MainWindow::forgetNewestOutstanding()
{
    if (!ui->cb_trxCmp->isChecked() || txRingHead == txRingTail)
        return;
    txRingHead = (txRingHead + TX_RING_SLOTS - 1) % TX_RING_SLOTS;
    delete txRing[txRingHead];
}

void MainWindow::restartMeasurement()
{
    stampOrigin = perfcounter::now();
    clearCounters();
}

// Each mode button tells what a press does: start when idle, stop when running.
void MainWindow::showSendModeCaptions()
{
    ui->btn_txAck->setText(ui->btn_txAck->isChecked() ? tr("停止应答式发送") : tr("应答式发送"));
    ui->btn_txAuto->setText(ui->btn_txAuto->isChecked() ? tr("停止定时发送") : tr("定时发送"));
}

// In answer-driven sending each send, and so each good reply, restarts the
// wait; a failed send is retried when it runs out.
void MainWindow::armReplyTimeout()
{
    if (replyTimeoutMs > 0 && ui->btn_txAck->isChecked())
        replyTimer.start(replyTimeoutMs);
}

void MainWindow::onReplyTimeout()
{
    if (!ui->btn_txAck->isChecked())
        return;
    dropAllOutstanding();
    sendOneFrame();
}

// The mode's button is unticked before the warning opens: the box runs the
// one-second tick, which must not count run time for a refused start.
bool MainWindow::refuseSending(QPushButton *mode)
{
    const QString refusal = sendRefusal();
    if (refusal.isEmpty())
        return false;
    if (mode) {
        mode->setChecked(false);
        showSendModeCaptions();
    }
    slotWarningMessage(tr("错误"), refusal);
    return true;
}

void MainWindow::on_btn_txOne_clicked()
{
    if (!refuseSending(nullptr))
        sendOneFrame();
}

void MainWindow::on_btn_txAck_clicked()
{
    if (ui->btn_txAck->isChecked() && refuseSending(ui->btn_txAck))
        return;
    if (!ui->btn_txAck->isChecked()) {
        showSendModeCaptions();
        replyTimer.stop();
        return;
    }
    ui->btn_txAuto->setChecked(false);
    on_btn_txAuto_clicked();
    showSendModeCaptions();
    restartMeasurement();
    sendOneFrame();
}

void MainWindow::on_btn_txAuto_clicked()
{
    if (ui->btn_txAuto->isChecked() && refuseSending(ui->btn_txAuto))
        return;
    if (!ui->btn_txAuto->isChecked()) {
        stopTimedSending();
        return;
    }
    ui->btn_txAck->setChecked(false);
    on_btn_txAck_clicked();
    const NumberReading period = readNumber(ui->le_txTm->text(), PERIOD_MS_RANGE);
    if (!period.valid()) {
        ui->btn_txAuto->setChecked(false);
        showSendModeCaptions();
        slotWarningMessage(tr("输入错误"), tr("请输入正确的定时周期"));
        return;
    }
    showSendModeCaptions();
    ui->le_txTm->setEnabled(false);
    restartMeasurement();
    timerSend = startTimer(int(period.value), Qt::CoarseTimer);
}

void MainWindow::stopTimedSending()
{
    showSendModeCaptions();
    ui->le_txTm->setEnabled(true);
    if (timerSend != 0) {
        killTimer(timerSend);
        timerSend = 0;
    }
}
