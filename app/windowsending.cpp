// The send buttons relayed to the session, and what they show of its mode.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <tuple>

void MainWindow::on_btn_txOne_clicked()
{
    applyForm();
    link.sendOne();
}

void MainWindow::on_btn_txAck_clicked()
{
    toggleMode(ui->btn_txAck, SendMode::AnswerDriven);
}

void MainWindow::on_btn_txAuto_clicked()
{
    toggleMode(ui->btn_txAuto, SendMode::Timed);
}

void MainWindow::on_btn_txFull_clicked()
{
    toggleMode(ui->btn_txFull, SendMode::FullSpeed);
}

void MainWindow::on_btn_txBer_clicked()
{
    toggleMode(ui->btn_txBer, SendMode::BitErrorTest);
}

// A press starts the button's mode when idle and stops it when running.
void MainWindow::toggleMode(QPushButton *button, SendMode mode)
{
    if (button->isChecked()) {
        applyForm();
        link.start(mode);
    } else if (link.mode() == mode) {
        link.stop();
    }
    showSendModes();
}

// Each mode button tells what a press does: start when idle, stop when running.
void MainWindow::showSendModes()
{
    const SendMode mode = link.mode();
    const std::tuple<QPushButton *, SendMode, QString, QString> buttons[] = {
        {ui->btn_txAck, SendMode::AnswerDriven, tr("应答式发送"), tr("停止应答式发送")},
        {ui->btn_txAuto, SendMode::Timed, tr("定时发送"), tr("停止定时发送")},
        {ui->btn_txFull, SendMode::FullSpeed, tr("满速发送"), tr("停止满速发送")},
        {ui->btn_txBer, SendMode::BitErrorTest, tr("误码测试"), tr("停止误码测试")}};
    for (const auto &[button, itsMode, idleText, stopText] : buttons) {
        button->setChecked(mode == itsMode);
        button->setText(mode == itsMode ? stopText : idleText);
    }
    ui->le_txTm->setEnabled(mode != SendMode::Timed);
    // The test's sequence is fixed at its start: a change would mean nothing until the next.
    ui->comb_prbs->setEnabled(mode != SendMode::BitErrorTest);
    // A stream of bits holds no packet.
    if (mode == SendMode::BitErrorTest && link.pcapping())
        on_cb_pcap_clicked(false);
    ui->cb_pcap->setEnabled(mode != SendMode::BitErrorTest);
}

// The buttons show the mode before the box opens: no button looks running
// while the user reads why it is not.
void MainWindow::showRefusal(const QString &title, const QString &text)
{
    showSendModes();
    warn(title, text);
}

void MainWindow::on_btn_cntClear_clicked()
{
    link.cleanStart();
}
