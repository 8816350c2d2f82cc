#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_btn_ser_conn_clicked()
{
}

void MainWindow::onPortError(QSerialPort::SerialPortError)
{
}

