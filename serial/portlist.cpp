#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::refreshPortList()
{
}

void MainWindow::on_btn_ser_refresh_clicked()
{
}

