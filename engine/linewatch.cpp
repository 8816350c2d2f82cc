// What the open port made of the line asked for, and what it tells while
// open: its modem lines and the UART's error counts.
#include "linksession.h"
#include "shell/texts.h"

namespace {

QString notKeptText(const LineSetting &asked, int choice, int held)
{
    const QStringList names = lineChoices()[choice].names();
    return Texts::tr("串口未保持所选%1：%2，实为 %3")
        .arg(lineChoiceTitle(choice), names[asked.choices[choice]], names[held]);
}

} // namespace

// What the frames cannot survive, and what the port did not keep: the run goes on.
QStringList lineWarnings(const LineSetting &asked, const std::optional<LineChoices> &held)
{
    QStringList warnings;
    if (asked.dataBits() < 8)
        warnings << Texts::tr("数据位少于 8：帧会被截断");
    if (asked.flowControl() == FlowControl::XonXoff)
        warnings << Texts::tr("XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失");
    for (int choice = 0; held && choice < LINE_CHOICES; ++choice) {
        if ((*held)[choice] != asked.choices[choice])
            warnings << notKeptText(asked, choice, (*held)[choice]);
    }
    return warnings;
}

void LinkSession::noteLineSetting()
{
    lineNotes = ::lineWarnings(openedLine, heldLineChoices(port.handle()));
}

void LinkSession::watchOpenPort()
{
    readUartCounts();
    const std::optional<bool> cts = clearToSend(port.handle());
    holdingOff = openedLine.flowControl() == FlowControl::RtsCts && cts && !*cts;
}

void LinkSession::readUartCounts()
{
    counts.uartCounted(uartErrorCounts(port.handle()));
}

void LinkSession::forgetLineNotes()
{
    lineNotes.clear();
    holdingOff = false;
}
