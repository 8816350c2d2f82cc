// The line setting in the window: its boxes, what the open port kept of it, and
// what the port tells while open (its modem lines and the UART's error counts).
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

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

// What the frames cannot survive, and what the port did not keep: the run goes on.
void MainWindow::noteLineSetting()
{
    lineWarnings.clear();
    if (portLine.dataBits() < 8)
        lineWarnings << tr("数据位少于 8：帧会被截断");
    if (portLine.flowControl() == FlowControl::XonXoff)
        lineWarnings << tr("XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失");
    const std::optional<LineChoices> held = heldLineChoices(serialPort.handle());
    for (int choice = 0; held && choice < LINE_CHOICES; ++choice) {
        if ((*held)[choice] != portLine.choices[choice])
            lineWarnings << notKeptText(choice, (*held)[choice]);
    }
}

QString MainWindow::notKeptText(int choice, int held) const
{
    const QString names[LINE_CHOICES] = {tr("数据位"), tr("校验"), tr("停止位"), tr("流控")};
    const QComboBox *box = lineBoxes()[choice];
    return tr("串口未保持所选%1：%2，实为 %3")
        .arg(names[choice], box->itemText(portLine.choices[choice]), box->itemText(held));
}

void MainWindow::watchOpenPort()
{
    readUartCounts();
    const std::optional<bool> cts = clearToSend(serialPort.handle());
    ctsOff = portLine.flowControl() == FlowControl::RtsCts && cts && !*cts;
}

void MainWindow::readUartCounts()
{
    ledger.uartCounted(uartErrorCounts(serialPort.handle()));
}

void MainWindow::forgetLineNotes()
{
    lineWarnings.clear();
    ctsOff = false;
}

QStringList MainWindow::portNoteParagraphs() const
{
    QStringList notes = lineWarnings;
    if (ctsOff)
        notes << tr("CTS 关闭：设备暂停了接收");
    if (!notes.isEmpty())
        notes.prepend(QString());
    return notes;
}
