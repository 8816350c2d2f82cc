// The capture file: every shown or hidden frame as one plain line, written
// through at once so that nothing is lost when the run ends abruptly.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QFileDialog>
#include <QTextStream>

#include <memory>

void MainWindow::on_cb_rx2file_clicked(bool checked)
{
    if (checked)
        startCapture();
    else
        stopCapture();
}

void MainWindow::startCapture()
{
    capturePath = QFileDialog::getSaveFileName(this, tr("选择文件"), QStringLiteral("."),
                                               QStringLiteral("(*.txt)"));
    if (capturePath.isEmpty()) {
        ui->cb_rx2file->setChecked(false);
        return;
    }
    openCapture(capturePath);
}

// Also the way in for a path given on the command line.
bool MainWindow::openCapture(const QString &path)
{
    capturePath = path;
    auto file = std::make_unique<QFile>(capturePath);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        ui->cb_rx2file->setChecked(false);
        slotWarningMessage(tr("错误"), tr("无法打开文件"));
        return false;
    }
    captureFile = std::move(file);
    captureStream = std::make_unique<QTextStream>(captureFile.get());
    return true;
}

void MainWindow::stopCapture()
{
    if (!captureStream)
        return;
    captureStream->flush();
    captureFile->close();
    captureStream.reset();
    captureFile.reset();
}

// The capture is closed before the warning: frames keep arriving while the
// box is open, and they must neither write nor warn again.
void MainWindow::writeCaptureLine(const QString &line)
{
    *captureStream << line << Qt::endl;
    if (captureStream->status() == QTextStream::Ok && captureFile->error() == QFileDevice::NoError)
        return;
    stopCapture();
    ui->cb_rx2file->setChecked(false);
    slotWarningMessage(tr("错误"), tr("无法写入文件，已停止保存"));
}
