// The send buttons relayed to the session, and what they show of its mode.
#include "mainwindow.h"
#include "ui_mainwindow.h"

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
    ui->btn_txAck->setChecked(mode == SendMode::AnswerDriven);
    ui->btn_txAuto->setChecked(mode == SendMode::Timed);
    ui->btn_txFull->setChecked(mode == SendMode::FullSpeed);
    ui->btn_txAck->setText(mode == SendMode::AnswerDriven ? tr("停止应答式发送")
                                                          : tr("应答式发送"));
    ui->btn_txAuto->setText(mode == SendMode::Timed ? tr("停止定时发送") : tr("定时发送"));
    ui->btn_txFull->setText(mode == SendMode::FullSpeed ? tr("停止满速发送") : tr("满速发送"));
    ui->le_txTm->setEnabled(mode != SendMode::Timed);
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
