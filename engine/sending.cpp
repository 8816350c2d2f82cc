// The transmit side: one frame per call, the port's queue, and the three ways
// a send is triggered.
#include "app/mainwindow.h"
#include "app/perfcounter.h"
#include "ui_mainwindow.h"

#include <cmath>

namespace {
// The port's queue holds about this much line time; beyond it frames are not
// sent but counted as send errors, so memory stays flat against a device that
// reads slowly or not at all.
constexpr qint64 QUEUE_LINE_TIME_MS = 200;
} // namespace

// Past the frame limit nothing is built, so not even the SID moves on.
void MainWindow::sendOneFrame()
{
    if (txFrameLimit != 0 && ledger.counters().cntTxPackets >= txFrameLimit)
        return;
    std::unique_ptr<Packet> packet(buildPacket());
    if (!packet)
        return;
    const int lineBytes = writeFrame(packet->bytes, packet->length);
    if (lineBytes == 0) {
        ledger.sendFailed();
        retryAfterReplyTimeout();
        return;
    }
    showTraffic(packet->bytes, packet->length, TrafficDirection::Sent, false, stampNow());
    ledger.sent(std::move(packet), lineBytes, clockMs());
    onQueueDrained();
}

// The frame's length on the line when the whole frame went into the port's
// queue; 0 when the port is closed, the queue full, or the port took fewer
// bytes than the frame holds.
int MainWindow::writeFrame(const quint8 *bytes, int length)
{
    if (!serialPort.isOpen())
        return 0;
    const int frameLength = ppp_frame_encode(bytes, length, txFrameBuf, sizeof txFrameBuf);
    if (frameLength == 0 || serialPort.bytesToWrite() + frameLength > transmitQueueLimit())
        return 0;
    const qint64 accepted =
        serialPort.write(reinterpret_cast<const char *>(txFrameBuf), frameLength);
    return accepted == frameLength ? frameLength : 0;
}

// Never less than one largest frame, so that any frame fits an empty queue.
qint64 MainWindow::transmitQueueLimit() const
{
    const qint64 bytesPerSecond = serialPort.baudRate() / bitsPerCharacter(portLine);
    return qMax<qint64>(bytesPerSecond * QUEUE_LINE_TIME_MS / 1000, LONGEST_FRAME);
}

// Frames that left the queue start their reply timeout.
void MainWindow::onQueueDrained()
{
    ledger.queueDrained(serialPort.bytesToWrite(), clockMs());
    armReplyTimer();
}

// The timer runs to the oldest outstanding packet's timeout, which only ever
// moves later, so a running timer is never late.
void MainWindow::armReplyTimer()
{
    const double deadlineMs = ledger.nextDeadlineMs();
    if (deadlineMs >= 0 && !replyTimer.isActive())
        replyTimer.start(int(std::ceil(qMax(0.0, deadlineMs - clockMs()))));
}

// In answer-driven sending a failed send is tried again once the reply
// timeout has passed.
void MainWindow::retryAfterReplyTimeout()
{
    if (ui->btn_txAck->isChecked() && ledger.replyTimeout() > 0)
        replyTimer.start(ledger.replyTimeout());
}

// A frame given up at its timeout ends the wait for it: answer-driven
// sending goes on with the next.
void MainWindow::onReplyTimeout()
{
    ledger.giveUpExpired(clockMs());
    if (ui->btn_txAck->isChecked() && !ledger.awaitingReply())
        sendOneFrame();
    armReplyTimer();
}

// A clean start: nothing outstanding from before may answer for this run.
void MainWindow::restartMeasurement()
{
    stampOrigin = perfcounter::now();
    ledger.restart();
    readUartCounts(); // the baseline
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
