// Opening and closing the one serial port, and giving it up when it fails while open.
#include "app/mainwindow.h"
#include "app/perfcounter.h"
#include "ui_mainwindow.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalBlocker>

#include <unistd.h>

namespace {

// Frames still queued at a close get this long to leave, waited for in slices.
constexpr int DRAIN_MS = 1000;
constexpr int DRAIN_SLICE_MS = 50;

// Errors after which an open port is of no further use: the device has gone or
// refuses us. Timeouts, line errors and refused settings leave it working.
bool isFatalWhileOpen(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return true;
    default:
        return false;
    }
}

// Names given without a folder live in /dev, as QSerialPort takes them.
bool deviceAccessible(const QSerialPort &port)
{
    const QString name = port.portName();
    const QString path = name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

void enablePortChoice(Ui::MainWindow *ui, const std::array<QComboBox *, LINE_CHOICES> &lineBoxes,
                      bool enabled)
{
    ui->comb_sers->setEnabled(enabled);
    ui->comb_bps->setEnabled(enabled);
    for (QComboBox *box : lineBoxes)
        box->setEnabled(enabled);
    ui->btn_ser_refresh->setEnabled(enabled);
}

} // namespace

void MainWindow::on_btn_ser_conn_clicked()
{
    if (portOpen)
        closePort();
    else if (listedPortCount() > 0 && !openSelectedPort())
        slotWarningMessage(tr("错误"), openFailureText());
}

// The sentence, the system's reason, and when the device itself refuses this
// user (not merely a port that another program holds), what to do about it.
QString MainWindow::openFailureText() const
{
    QString text = tr("串口打开失败！") + QLatin1Char('\n') + serialPort.errorString();
    if (serialPort.error() == QSerialPort::PermissionError && !deviceAccessible(serialPort))
        text += QLatin1Char('\n') +
                tr("在 Linux 上，用户须属于拥有该设备的用户组（通常为 dialout），加入后重新登录。");
    return text;
}

bool MainWindow::openSelectedPort()
{
    // Paths given with --port have no QSerialPortInfo (a pseudo-terminal's is
    // null), so they are opened by name.
    const int index = ui->comb_sers->currentIndex();
    if (index < portInfos.size())
        serialPort.setPort(portInfos.at(index));
    else
        serialPort.setPortName(options.extraPorts.at(index - portInfos.size()));

    portLine = chosenLine();
    applyLineSetting(serialPort, portLine);
    if (!serialPort.open(QIODevice::ReadWrite))
        return false;
    // A new session: nothing from before the open, no half frame from the
    // last session, may count against this one.
    serialPort.clear(QSerialPort::Input);
    rxDecoder = DecoderState{};

    portOpen = true;
    ui->btn_ser_conn->setText(tr("关闭串口"));
    enablePortChoice(ui, lineBoxes(), false);
    ui->gb_send->setEnabled(true);
    restartMeasurement();
    noteLineSetting();
    return true;
}

// Sending stops first, so that nothing joins the queue while it drains.
void MainWindow::closePort()
{
    ui->btn_txAuto->setChecked(false);
    on_btn_txAuto_clicked();
    ui->btn_txAck->setChecked(false);
    on_btn_txAck_clicked();
    {
        // A port that has already failed may report it again while draining
        // and closing; that must not come back into onPortError.
        const QSignalBlocker quiet(serialPort);
        drainTransmitQueue();
        ledger.queueDrained(serialPort.bytesToWrite(), clockMs());
        ledger.queueDiscarded();
        readUartCounts();
        serialPort.close();
    }
    portOpen = false;
    forgetLineNotes();
    ui->btn_ser_conn->setText(tr("打开串口"));
    refreshPortList();
    enablePortChoice(ui, lineBoxes(), true);
    ui->gb_send->setEnabled(false);
}

void MainWindow::drainTransmitQueue()
{
    const QDeadlineTimer deadline(DRAIN_MS);
    while (serialPort.bytesToWrite() > 0 && !deadline.hasExpired()) {
        const int slice = int(qMin<qint64>(DRAIN_SLICE_MS, deadline.remainingTime()));
        if (!serialPort.waitForBytesWritten(slice) && isFatalWhileOpen(serialPort.error()))
            return; // the device is gone: nothing more will leave
    }
}

void MainWindow::onPortError(QSerialPort::SerialPortError error)
{
    if (!portOpen || !isFatalWhileOpen(error))
        return;
    // Close before warning: a dead port repeats its error as fast as the event
    // loop runs, and the warning box runs one.
    const QString lostPort = ui->comb_sers->currentText();
    closePort();
    slotWarningMessage(tr("错误"), tr("串口 %1 已断开").arg(lostPort));
}
