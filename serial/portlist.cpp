// The port list: the ports the system enumerates, then the paths given with --port.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QAbstractItemView>

namespace {

QStringList portNamesOf(const QList<QSerialPortInfo> &infos)
{
    QStringList names;
    for (const QSerialPortInfo &info : infos)
        names << info.portName();
    return names;
}

} // namespace

// The port chosen stays chosen while it is listed. Until one has been chosen,
// the first --port path is: it is what the user came to test, and the first
// system port may be a console.
void MainWindow::refreshPortList()
{
    const QString chosen = ui->comb_sers->currentText();
    portInfos = QSerialPortInfo::availablePorts();
    ui->comb_sers->clear();
    ui->comb_sers->addItems(portNamesOf(portInfos));
    ui->comb_sers->addItems(options.extraPorts);
    if (chosen.isEmpty() && !options.extraPorts.isEmpty())
        ui->comb_sers->setCurrentIndex(portInfos.size());
    else if (ui->comb_sers->findText(chosen) >= 0)
        ui->comb_sers->setCurrentIndex(ui->comb_sers->findText(chosen));
}

// Devices plugged in or out while the port is closed; the list is left alone
// while nothing changed or the user has it open.
void MainWindow::followPortList()
{
    if (ui->comb_sers->view()->isVisible())
        return;
    if (portNamesOf(QSerialPortInfo::availablePorts()) != portNamesOf(portInfos))
        refreshPortList();
}

int MainWindow::listedPortCount() const
{
    return portInfos.size() + options.extraPorts.size();
}

void MainWindow::on_btn_ser_refresh_clicked()
{
    refreshPortList();
}
