#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::readBannerConfig()
{
}

void MainWindow::refreshBanner()
{
}

void MainWindow::on_btn_adv_clicked()
{
}

