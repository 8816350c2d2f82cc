// The window's side of the traffic view: which frames it shows, in which
// language, and the same line, plain, for the capture file.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

TrafficLabels translatedLabels()
{
    return {MainWindow::tr("发"), MainWindow::tr("收"), MainWindow::tr("字节"),
            MainWindow::tr("比较失败")};
}

} // namespace

void MainWindow::showTraffic(const quint8 *bytes, quint16 count, TrafficDirection direction,
                             bool compareFailed, double stampMs)
{
    const bool shown =
        (direction == TrafficDirection::Sent ? ui->cb_txShow : ui->cb_rxShow)->isChecked();
    if (!shown && !captureStream)
        return;
    followLanguageInTraffic();
    if (shown)
        trafficView->add(bytes, count, direction, compareFailed, stampMs);
    if (captureStream)
        writeCaptureLine(captureLine(trafficView->labels(), bytes, count, direction, stampMs));
}

// A line keeps the words of the language it was shown in: the first line after
// a switch takes the new words, once the lines still waiting are drawn.
void MainWindow::followLanguageInTraffic()
{
    if (trafficInEnglish == isEnglish)
        return;
    trafficInEnglish = isEnglish;
    trafficView->setLabels(translatedLabels());
}

void MainWindow::prepareTrafficView()
{
    trafficInEnglish = isEnglish;
    trafficView = new TrafficView(ui->txt_data, translatedLabels());
}

void MainWindow::flushTraffic()
{
    trafficView->draw();
}

void MainWindow::on_btn_showClear_clicked()
{
    trafficView->clear();
}

void MainWindow::on_cb_wrap_clicked(bool checked)
{
    ui->txt_data->setLineWrapMode(checked ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
