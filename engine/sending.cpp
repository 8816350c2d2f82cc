// The transmit side: one frame per call, the port's queue, and the four ways
// a send is triggered.
#include "app/mainwindow.h"
#include "app/perfcounter.h"
#include "fieldtext.h"
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
    if (frameLimitReached())
        return;
    std::unique_ptr<Packet> packet(buildPacket());
    if (packet && !transmit(packet)) {
        ledger.sendFailed();
        retryAfterReplyTimeout();
    }
}

bool MainWindow::frameLimitReached() const
{
    return txFrameLimit != 0 && ledger.counters().cntTxPackets >= txFrameLimit;
}

// True when the packet's frame went into the port's queue; the ledger then owns it.
bool MainWindow::transmit(std::unique_ptr<Packet> &packet)
{
    const int lineBytes = writeFrame(packet->bytes, packet->length);
    if (lineBytes == 0)
        return false;
    showTraffic(packet->bytes, packet->length, TrafficDirection::Sent, false, stampNow());
    ledger.sent(std::move(packet), lineBytes, clockMs());
    onQueueDrained();
    return true;
}

// Full-speed sending keeps the port's queue full and, where replies are
// expected, no more outstanding than the ledger keeps: a packet that does not
// fit waits, uncounted, for the queue to drain or an answer to come.
void MainWindow::fillTransmitQueue()
{
    while (ui->btn_txFull->isChecked() && !frameLimitReached() && ledger.hasRoom()) {
        if (!heldPacket)
            heldPacket.reset(buildPacket());
        if (!heldPacket || !transmit(heldPacket))
            return;
    }
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

void MainWindow::onBytesWritten()
{
    onQueueDrained();
    fillTransmitQueue();
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
    fillTransmitQueue();
    armReplyTimer();
}

// A clean start: nothing outstanding from before may answer for this run.
void MainWindow::restartMeasurement()
{
    stampOrigin = perfcounter::now();
    ledger.restart(clockMs());
    readUartCounts(); // the baseline
    redrawChart();
}

// Each mode button tells what a press does: start when idle, stop when running.
void MainWindow::showSendModeCaptions()
{
    ui->btn_txAck->setText(ui->btn_txAck->isChecked() ? tr("停止应答式发送") : tr("应答式发送"));
    ui->btn_txAuto->setText(ui->btn_txAuto->isChecked() ? tr("停止定时发送") : tr("定时发送"));
    ui->btn_txFull->setText(ui->btn_txFull->isChecked() ? tr("停止满速发送") : tr("满速发送"));
}

bool MainWindow::continuousModeRunning() const
{
    return ui->btn_txAck->isChecked() || ui->btn_txAuto->isChecked() || ui->btn_txFull->isChecked();
}

// Each through its own slot, as a click would.
void MainWindow::stopModesBut(const QPushButton *running)
{
    const std::pair<QPushButton *, void (MainWindow::*)()> modes[] = {
        {ui->btn_txAck, &MainWindow::on_btn_txAck_clicked},
        {ui->btn_txAuto, &MainWindow::on_btn_txAuto_clicked},
        {ui->btn_txFull, &MainWindow::on_btn_txFull_clicked}};
    for (const auto &[button, slot] : modes) {
        if (button != running && button->isChecked()) {
            button->setChecked(false);
            (this->*slot)();
        }
    }
}

// True, after one warning, when a field would make the send carry something
// the window does not show. The mode button is off before the box opens, so
// no run time counts while it is up.
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

// For a mode button just pressed: true when its mode is to start, the others
// stopped.
bool MainWindow::startingMode(QPushButton *mode)
{
    if (mode->isChecked() && refuseSending(mode))
        return false;
    if (mode->isChecked())
        stopModesBut(mode);
    showSendModeCaptions();
    return mode->isChecked();
}

void MainWindow::on_btn_txOne_clicked()
{
    if (!refuseSending(nullptr))
        sendOneFrame();
}

void MainWindow::on_btn_txAck_clicked()
{
    if (!startingMode(ui->btn_txAck))
        return;
    restartMeasurement();
    sendOneFrame();
}

void MainWindow::on_btn_txAuto_clicked()
{
    if (!startingMode(ui->btn_txAuto)) {
        stopTimedSending();
        return;
    }
    const NumberReading period = readNumber(ui->le_txTm->text(), PERIOD_MS_RANGE);
    if (!period.valid()) {
        ui->btn_txAuto->setChecked(false);
        showSendModeCaptions();
        slotWarningMessage(tr("输入错误"), tr("请输入正确的定时周期"));
        return;
    }
    ui->le_txTm->setEnabled(false);
    restartMeasurement();
    timerSend = startTimer(int(period.value), Qt::CoarseTimer);
}

void MainWindow::stopTimedSending()
{
    ui->le_txTm->setEnabled(true);
    if (timerSend != 0) {
        killTimer(timerSend);
        timerSend = 0;
    }
}

// A packet held back from the last run is not sent in this one.
void MainWindow::on_btn_txFull_clicked()
{
    heldPacket.reset();
    if (!startingMode(ui->btn_txFull))
        return;
    restartMeasurement();
    fillTransmitQueue();
}
