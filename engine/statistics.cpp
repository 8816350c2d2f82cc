#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::refreshStats()
{
}

void MainWindow::onSecondTick()
{
}

void MainWindow::on_btn_cntClear_clicked()
{
}

