// Opening and closing the one serial port, and giving it up when it fails while open.
#include "app/mainwindow.h"
#include "app/perfcounter.h"
#include "engine/fieldtext.h"
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
QString devicePath(const QSerialPort &port)
{
    const QString name = port.portName();
    return name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
}

bool deviceAccessible(const QSerialPort &port)
{
    return ::access(QFile::encodeName(devicePath(port)).constData(), R_OK | W_OK) == 0;
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
    if (portOpen) {
        closePort();
        return;
    }
    if (listedPortCount() == 0)
        return;
    if (const QString failure = openSelectedPort(); !failure.isEmpty())
        slotWarningMessage(tr("错误"), failure);
}

// Empty once the port is open; else the sentence naming the port and why.
QString MainWindow::openSelectedPort()
{
    selectListedPort();
    const QString baudText = ui->comb_bps->currentText();
    const NumberReading baud = readNumber(baudText, BAUD_RANGE);
    if (!baud.valid())
        return openFailureText(numberProblem(tr("波特率"), baudText, BAUD_RANGE));
    portLine = chosenLine();
    portLine.baud = qint32(baud.value);
    applyLineSetting(serialPort, portLine);
    if (!serialPort.open(QIODevice::ReadWrite))
        return openFailureText(openErrorReason());
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
    return QString();
}

// Paths given with --port have no QSerialPortInfo (a pseudo-terminal's is
// null), so they are opened by name.
void MainWindow::selectListedPort()
{
    const int index = ui->comb_sers->currentIndex();
    if (index < portInfos.size())
        serialPort.setPort(portInfos.at(index));
    else
        serialPort.setPortName(options.extraPorts.at(index - portInfos.size()));
}

QString MainWindow::openFailureText(const QString &why) const
{
    return tr("%1：串口打开失败！").arg(devicePath(serialPort)) + QLatin1Char('\n') + why;
}

// The system's reason; but a port another program holds (its lock, or its
// exclusive open) says so, and a device that refuses this user says what to do.
QString MainWindow::openErrorReason() const
{
    if (serialPort.error() != QSerialPort::PermissionError)
        return serialPort.errorString();
    if (deviceAccessible(serialPort))
        return tr("%1 正被其他程序占用").arg(devicePath(serialPort));
    return serialPort.errorString() + QLatin1Char('\n') +
           tr("在 Linux 上，用户须属于拥有该设备的用户组（通常为 dialout），加入后重新登录。");
}

// Sending stops first, so that nothing joins the queue while it drains.
void MainWindow::closePort()
{
    stopModesBut(nullptr);
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
    while (serialPort.bytesToWrite() > 0 && !deadline.hasExpired() && !stopRequested()) {
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
    const QString why = serialPort.errorString();
    closePort();
    slotWarningMessage(tr("错误"), tr("串口 %1 已断开：%2").arg(devicePath(serialPort), why));
}
