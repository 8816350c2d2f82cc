// The port list: the ports the system enumerates, then the paths given with --port.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// The name QSerialPort reports once pointed at this path ("/dev/pts/3" reads
// back as "pts/3"), so a path given with --port can be matched against the
// name of the last port tried.
QString portNameOfPath(const QString &path)
{
    QSerialPort probe;
    probe.setPortName(path);
    return probe.portName();
}

// The names QSerialPort would report for the listed items, in list order.
QStringList portNamesOf(const QList<QSerialPortInfo> &infos, const QStringList &paths)
{
    QStringList names;
    for (const QSerialPortInfo &info : infos)
        names << info.portName();
    for (const QString &path : paths)
        names << portNameOfPath(path);
    return names;
}

} // namespace

void MainWindow::refreshPortList()
{
    portInfos = QSerialPortInfo::availablePorts();
    ui->comb_sers->clear();
    for (const QSerialPortInfo &info : qAsConst(portInfos))
        ui->comb_sers->addItem(info.portName());
    ui->comb_sers->addItems(options.extraPorts);

    // Filling the box made its first item current; the last port tried wins if
    // listed. Until a port has been tried, the first --port path is current: it
    // is what the user came to test, and the first system port may be a console.
    const QString lastPort = serialPort.portName();
    if (lastPort.isEmpty()) {
        if (!options.extraPorts.isEmpty())
            ui->comb_sers->setCurrentIndex(portInfos.size());
        return;
    }
    const int lastIndex = portNamesOf(portInfos, options.extraPorts).lastIndexOf(lastPort);
    if (lastIndex >= 0)
        ui->comb_sers->setCurrentIndex(lastIndex);
}

int MainWindow::listedPortCount() const
{
    return portInfos.size() + options.extraPorts.size();
}

void MainWindow::on_btn_ser_refresh_clicked()
{
    refreshPortList();
}
