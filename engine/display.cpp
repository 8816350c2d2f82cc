#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::flushTraffic()
{
}

void MainWindow::on_btn_showClear_clicked()
{
}

void MainWindow::on_cb_wrap_clicked(bool)
{
}

