// The transmit side: one frame per call, the ring of outstanding packets and
// the three ways a send is triggered.
#include "app/mainwindow.h"
#include "app/perfcounter.h"
#include "ui_mainwindow.h"

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
    const bool failed = writeFrame(packet->bytes, packet->length);
    if (failed) {
        ++counters.cntTxErrors;
        delete packet;
        return;
    }
    const double stampMs = stampNow();
    showTraffic(packet->bytes, packet->length, TrafficDirection::Sent, false, stampMs);
    ++counters.cntTxPackets;
    counters.cntTxBytes += packet->length;
    keepOutstanding(packet);
}

// True when the frame did not go out whole: port closed, frame too long for
// the buffer, or the port took fewer bytes than the frame holds.
bool MainWindow::writeFrame(const quint8 *bytes, int length)
{
    if (!serialPort.isOpen())
        return true;
    const int frameLength = ppp_frame_encode(bytes, length, txFrameBuf, FRAME_BUF_SIZE);
    if (frameLength == 0)
        return true;
    const qint64 accepted =
        serialPort.write(reinterpret_cast<const char *>(txFrameBuf), frameLength);
    return accepted != frameLength;
}

// A full ring silently gives up its oldest packet: a late reply to it then
// counts as a comparison failure.
void MainWindow::keepOutstanding(Packet *packet)
{
    if (!ui->cb_trxCmp->isChecked()) {
        delete packet;
        return;
    }
    const int next = nextRingSlot(txRingHead);
    if (next == txRingTail) {
        delete txRing[txRingTail];
        txRingTail = nextRingSlot(txRingTail);
    }
    txRing[txRingHead] = packet;
    txRingHead = next;
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

void MainWindow::on_btn_txOne_clicked()
{
    if (!refuseInvalidPayload())
        sendOneFrame();
}

void MainWindow::on_btn_txAck_clicked()
{
    if (ui->btn_txAck->isChecked() && refuseInvalidPayload())
        ui->btn_txAck->setChecked(false);
    if (!ui->btn_txAck->isChecked()) {
        showSendModeCaptions();
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
    if (ui->btn_txAuto->isChecked() && refuseInvalidPayload())
        ui->btn_txAuto->setChecked(false);
    if (!ui->btn_txAuto->isChecked()) {
        stopTimedSending();
        return;
    }
    ui->btn_txAck->setChecked(false);
    on_btn_txAck_clicked();
    const int periodMs = ui->le_txTm->text().toInt();
    if (periodMs <= 0) {
        ui->btn_txAuto->setChecked(false);
        showSendModeCaptions();
        slotWarningMessage(tr("输入错误"), tr("请输入正确的定时周期"));
        return;
    }
    showSendModeCaptions();
    ui->le_txTm->setEnabled(false);
    restartMeasurement();
    timerSend = startTimer(periodMs, Qt::CoarseTimer);
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
