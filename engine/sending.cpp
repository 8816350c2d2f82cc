#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::sendOneFrame()
{
}

void MainWindow::on_btn_txOne_clicked()
{
}

void MainWindow::on_btn_txAck_clicked()
{
}

void MainWindow::on_btn_txAuto_clicked()
{
}

