#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::loadSettings()
{
}

void MainWindow::saveSettings()
{
}

