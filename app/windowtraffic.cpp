// What the window shows of the traffic: the view of frames in the language
// they came in, the capture box, the chart and the statistics panel.
#include "engine/statisticspanel.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "widgets/trafficview.h"

#include <QFileDialog>

void MainWindow::showTraffic(const FrameEvent &event)
{
    const bool sent = event.direction == TrafficDirection::Sent;
    if (!(sent ? ui->cb_txShow : ui->cb_rxShow)->isChecked())
        return;
    followLanguageInTraffic();
    trafficView->add(event.bytes, event.length, event.direction, event.compareFailed,
                     event.stampMs);
}

// A line keeps the words of the language it was shown in: the first line after
// a switch takes the new words, once the lines still waiting are drawn.
void MainWindow::followLanguageInTraffic()
{
    if (trafficInEnglish == isEnglish)
        return;
    trafficInEnglish = isEnglish;
    trafficView->setLabels(translatedTrafficLabels());
}

void MainWindow::prepareTrafficView()
{
    trafficInEnglish = isEnglish;
    trafficView = new TrafficView(ui->txt_data, translatedTrafficLabels());
}

void MainWindow::on_btn_showClear_clicked()
{
    trafficView->clear();
}

void MainWindow::on_cb_wrap_clicked(bool checked)
{
    ui->txt_data->setLineWrapMode(checked ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

// The dialog asked before replacing the file, so it is emptied at once.
void MainWindow::on_cb_rx2file_clicked(bool checked)
{
    if (!checked) {
        link.stopCapture();
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, tr("选择文件"), QStringLiteral("."),
                                                      QStringLiteral("(*.txt)"));
    if (path.isEmpty() || !link.startCapture(path, true))
        ui->cb_rx2file->setChecked(false);
}

// Not kept checked from one window to the next: that would replace the last
// capture without asking. Its file is kept, and offered again.
void MainWindow::on_cb_pcap_clicked(bool checked)
{
    ui->cb_pcap->setChecked(checked);
    if (!checked) {
        link.stopPcap(); // a failure to write the last packets says so
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        this, tr("选择文件"), pcapFile.isEmpty() ? QStringLiteral(".") : pcapFile,
        QStringLiteral("pcapng (*.pcapng)"));
    if (path.isEmpty() || !link.startPcap(path, true))
        ui->cb_pcap->setChecked(false);
    else
        pcapFile = path;
}

// Drawn once a second, and only while it can be seen: a hidden chart costs nothing.
void MainWindow::redrawChart()
{
    if (ui->plot_chart->isVisible())
        ui->plot_chart->showRecent(link.ledger().timeline());
}

void MainWindow::on_cb_chart_clicked(bool checked)
{
    ui->plot_chart->setVisible(checked);
    redrawChart();
}

void MainWindow::refreshStats()
{
    ui->txt_info->setPlainText(statisticsPanel(panelFacts(link)));
}
