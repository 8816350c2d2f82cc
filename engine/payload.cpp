#include "app/mainwindow.h"
#include "ui_mainwindow.h"

Packet *MainWindow::buildPacket()
{
    return nullptr;
}

void MainWindow::normalizeTxLengths()
{
}

void MainWindow::on_te_txData_textChanged()
{
}

void MainWindow::on_btn_newData_clicked()
{
}

void MainWindow::on_cb_randData_clicked(bool)
{
}

