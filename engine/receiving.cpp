// The receive side: every byte through the decoder, every good frame judged
// by the ledger.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::serial_rx()
{
    // A local copy: sends and stops triggered by these bytes never disturb it.
    const QByteArray bytes = serialPort.readAll();
    if (bytes.isEmpty())
        return;
    ledger.bytesReceived(quint64(bytes.size()));
    // The port tells that a frame was written only on its next turn; a reply
    // may come first, and must find the frame gone out.
    onQueueDrained();
    for (const char byte : bytes)
        decodeByte(quint8(byte));
    fillTransmitQueue(); // answers make room for more
}

void MainWindow::decodeByte(quint8 byte)
{
    const int result = ppp_frame_decode(rxDecoder, byte, rxFrameBuf, FRAME_BUF_SIZE);
    if (result > 0) {
        onRxFrame(quint16(result));
    } else if (result < 0) {
        ledger.framingError(result);
        stopOnError();
    }
}

// A reply, even a corrupted one, drives answer-driven sending when it ends
// the wait for the last frame sent; late and unexpected frames send nothing.
void MainWindow::onRxFrame(quint16 length)
{
    const double stampMs = stampNow();
    const Ledger::Verdict verdict =
        ledger.goodFrame(rxFrameBuf, length, ui->cb_trxCmp->isChecked(), clockMs());
    const bool compareFailed = verdict.reply == Ledger::Reply::CompareFailed;
    if (compareFailed)
        stopOnError(); // before the answer-driven send below
    showTraffic(rxFrameBuf, length, TrafficDirection::Received, compareFailed, stampMs);
    if (verdict.endedWait && ui->btn_txAck->isChecked())
        sendOneFrame();
}

// With "出错停发" ticked, the first failure ends a running continuous mode
// through the same stop path the port's close uses.
void MainWindow::stopOnError()
{
    if (ui->cb_autoStop->isChecked())
        stopModesBut(nullptr);
}
