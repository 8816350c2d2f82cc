// The capture file: every shown or hidden frame as one plain line, written
// through at once so that nothing is lost when the run ends abruptly.
#include "app/mainwindow.h"
#include "outputfile.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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
    if (openCapture(capturePath))
        emptyCapture(); // the dialog asked before replacing the file
}

// Also the way in for a path given on the command line, which empties the
// file only when the first line comes: a run refused before leaves it as it was.
bool MainWindow::openCapture(const QString &path)
{
    capturePath = path;
    QString why;
    auto file = openWithoutWaiting(capturePath, why);
    if (!file) {
        ui->cb_rx2file->setChecked(false);
        slotWarningMessage(tr("错误"), tr("无法打开文件 %1：%2").arg(capturePath, why));
        return false;
    }
    captureFile = std::move(file);
    captureStream = std::make_unique<QTextStream>(captureFile.get());
    captureHoldsEarlier = true;
    return true;
}

// Only a regular file holds an earlier capture; a failure shows at the next line.
void MainWindow::emptyCapture()
{
    if (captureFile && QFileInfo(capturePath).isFile())
        captureFile->resize(0);
    captureHoldsEarlier = false;
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
    if (captureHoldsEarlier)
        emptyCapture();
    *captureStream << line << Qt::endl;
    if (captureStream->status() == QTextStream::Ok && captureFile->error() == QFileDevice::NoError)
        return;
    const QString why = captureFile->errorString();
    stopCapture();
    ui->cb_rx2file->setChecked(false);
    slotWarningMessage(tr("错误"), tr("无法写入文件 %1：%2，已停止保存").arg(capturePath, why));
}
