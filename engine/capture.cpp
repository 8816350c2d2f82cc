#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_cb_rx2file_clicked(bool)
{
}

