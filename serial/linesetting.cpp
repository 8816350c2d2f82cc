#include "linesetting.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

constexpr int START_BITS = 1;

int dataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

// As QSerialPort sets them: mark and space are PARENB with CMSPAR, mark odd.
Parity parityOf(tcflag_t cflag)
{
    if (!(cflag & PARENB))
        return Parity::None;
    const bool odd = cflag & PARODD;
    if (cflag & CMSPAR)
        return odd ? Parity::Mark : Parity::Space;
    return odd ? Parity::Odd : Parity::Even;
}

FlowControl flowControlOf(const termios &line)
{
    if (line.c_cflag & CRTSCTS)
        return FlowControl::RtsCts;
    return line.c_iflag & (IXON | IXOFF) ? FlowControl::XonXoff : FlowControl::None;
}

} // namespace

const std::array<LineChoice, LINE_CHOICES> &lineChoices()
{
    static const std::array<LineChoice, LINE_CHOICES> choices{
        {{QStringLiteral("ser-databits"), {"5", "6", "7", "8"}},
         {QStringLiteral("ser-parity"), {"none", "even", "odd", "mark", "space"}},
         {QStringLiteral("ser-stopbits"), {"1", "2"}},
         {QStringLiteral("ser-flow"), {"none", "rtscts", "xonxoff"}}}};
    return choices;
}

int bitsPerCharacter(const LineSetting &line)
{
    const int parityBits = line.parity() == Parity::None ? 0 : 1;
    return START_BITS + line.dataBits() + parityBits + line.stopBits();
}

// A baud rate of 0 (no number in the box) makes the open fail.
void applyLineSetting(QSerialPort &port, const LineSetting &line)
{
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    static const QSerialPort::FlowControl flows[] = {
        QSerialPort::NoFlowControl, QSerialPort::HardwareControl, QSerialPort::SoftwareControl};
    port.setBaudRate(line.baud);
    port.setDataBits(QSerialPort::DataBits(line.dataBits()));
    port.setParity(parities[line.choices[PARITY]]);
    port.setStopBits(line.stopBits() == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port.setFlowControl(flows[line.choices[FLOW_CONTROL]]);
}

std::optional<LineChoices> heldLineChoices(int descriptor)
{
    termios line{};
    if (::tcgetattr(descriptor, &line) != 0)
        return std::nullopt;
    return LineChoices{dataBitsOf(line.c_cflag) - 5, int(parityOf(line.c_cflag)),
                       line.c_cflag & CSTOPB ? 1 : 0, int(flowControlOf(line))};
}

std::optional<bool> clearToSend(int descriptor)
{
    int lines = 0;
    if (::ioctl(descriptor, TIOCMGET, &lines) != 0)
        return std::nullopt;
    return (lines & TIOCM_CTS) != 0;
}

std::optional<UartErrors> uartErrorCounts(int descriptor)
{
    serial_icounter_struct counts{};
    if (::ioctl(descriptor, TIOCGICOUNT, &counts) != 0)
        return std::nullopt;
    return UartErrors{quint32(counts.frame), quint32(counts.overrun), quint32(counts.parity),
                      quint32(counts.brk), quint32(counts.buf_overrun)};
}
