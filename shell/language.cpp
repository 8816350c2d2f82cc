#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::applyLanguage()
{
}

void MainWindow::on_btn_language_clicked()
{
}

