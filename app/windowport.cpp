// The port controls: the list (the system's ports, then the paths given with
// --port), the line setting's boxes, and the open/close button.
#include "mainwindow.h"
#include "serial/portaccess.h"
#include "shell/fieldtext.h"
#include "ui_mainwindow.h"

#include <QAbstractItemView>

// The port chosen stays chosen while it is listed. Until one has been chosen,
// the first --port path is: it is what the user came to test, and the first
// system port may be a console.
void MainWindow::refreshPortList()
{
    const QString chosen = ui->comb_sers->currentText();
    systemPorts = systemPortNames();
    ui->comb_sers->clear();
    ui->comb_sers->addItems(systemPorts);
    ui->comb_sers->addItems(extraPorts);
    if (chosen.isEmpty() && !extraPorts.isEmpty())
        ui->comb_sers->setCurrentIndex(systemPorts.size());
    else if (ui->comb_sers->findText(chosen) >= 0)
        ui->comb_sers->setCurrentIndex(ui->comb_sers->findText(chosen));
}

// Devices plugged in or out while the port is closed; the list is left alone
// while nothing changed or the user has it open.
void MainWindow::followPortList()
{
    if (!ui->comb_sers->view()->isVisible() && systemPortNames() != systemPorts)
        refreshPortList();
}

int MainWindow::listedPortCount() const
{
    return systemPorts.size() + extraPorts.size();
}

QString MainWindow::selectedPortName() const
{
    const int index = ui->comb_sers->currentIndex();
    return index < systemPorts.size() ? systemPorts.at(index)
                                      : extraPorts.at(index - systemPorts.size());
}

void MainWindow::on_btn_ser_refresh_clicked()
{
    refreshPortList();
}

// A baud rate that is no number is refused here; the session says why any
// other open fails.
void MainWindow::on_btn_ser_conn_clicked()
{
    if (holdsPort()) {
        link.close();
        return;
    }
    if (listedPortCount() == 0)
        return;
    const QString baudProblem =
        numberProblem(tr("波特率"), ui->comb_bps->currentText(), BAUD_RANGE);
    if (!baudProblem.isEmpty()) {
        warn(tr("错误"), openFailureText(selectedPortName(), baudProblem));
        return;
    }
    applyForm();
    link.open(selectedPortName());
}

// Open, or waiting to open it again: the port and its line stay as chosen.
bool MainWindow::holdsPort() const
{
    return link.isOpen() || link.waitingForPort();
}

// While the port is away, sending waits with it; the running mode goes on
// once it is back.
void MainWindow::showPortState()
{
    const bool held = holdsPort();
    ui->btn_ser_conn->setText(portCaption());
    ui->comb_sers->setEnabled(!held);
    ui->comb_bps->setEnabled(!held);
    for (QComboBox *box : lineBoxes())
        box->setEnabled(!held);
    ui->btn_ser_refresh->setEnabled(!held);
    ui->gb_send->setEnabled(link.isOpen());
}

QString MainWindow::portCaption() const
{
    if (link.waitingForPort())
        return tr("等待重连");
    return link.isOpen() ? tr("关闭串口") : tr("打开串口");
}

void MainWindow::onPortClosed()
{
    refreshPortList();
    showPortState();
}

std::array<QComboBox *, LINE_CHOICES> MainWindow::lineBoxes() const
{
    return {ui->comb_dataBits, ui->comb_parity, ui->comb_stopBits, ui->comb_flow};
}

// A text that is no number asks for 0 baud, which the open refuses.
LineSetting MainWindow::chosenLine() const
{
    LineSetting line;
    line.baud = qint32(ui->comb_bps->currentText().toUInt());
    for (int choice = 0; choice < LINE_CHOICES; ++choice)
        line.choices[choice] = lineBoxes()[choice]->currentIndex();
    return line;
}

void MainWindow::showLineChoices(const LineChoices &choices)
{
    for (int choice = 0; choice < LINE_CHOICES; ++choice)
        lineBoxes()[choice]->setCurrentIndex(choices[choice]);
}

// The boxes list each choice's names, in the language of the moment.
void MainWindow::nameLineChoices()
{
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        QComboBox *box = lineBoxes()[choice];
        const QStringList names = lineChoices()[choice].names();
        for (int i = 0; i < names.size(); ++i) {
            if (i < box->count())
                box->setItemText(i, names[i]);
            else
                box->addItem(names[i]);
        }
    }
}
