#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::serial_rx()
{
}

