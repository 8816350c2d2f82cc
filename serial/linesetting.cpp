#include "linesetting.h"

#include <QCoreApplication>

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

QString translatedName(const QString &word)
{
    static const std::pair<const char *, const char *> names[] = {
        {"none", QT_TRANSLATE_NOOP("MainWindow", "无")},
        {"even", QT_TRANSLATE_NOOP("MainWindow", "偶校验")},
        {"odd", QT_TRANSLATE_NOOP("MainWindow", "奇校验")},
        {"mark", QT_TRANSLATE_NOOP("MainWindow", "标记校验")},
        {"space", QT_TRANSLATE_NOOP("MainWindow", "空格校验")},
        {"rtscts", "RTS/CTS"},
        {"xonxoff", "XON/XOFF"}};
    for (const auto &[name, text] : names) {
        if (word == QLatin1String(name))
            return QCoreApplication::translate("MainWindow", text);
    }
    return word;
}

} // namespace

const std::array<LineChoice, LINE_CHOICES> &lineChoices()
{
    static const std::array<LineChoice, LINE_CHOICES> choices{
        {{{"5", "6", "7", "8"}},
         {{"none", "even", "odd", "mark", "space"}},
         {{"1", "2"}},
         {{"none", "rtscts", "xonxoff"}}}};
    return choices;
}

// Numbers stand for themselves; the words of parity and flow control are translated.
QStringList LineChoice::names() const
{
    if (words.first() != QLatin1String("none"))
        return words;
    QStringList named;
    for (const QString &word : words)
        named << translatedName(word);
    return named;
}

QString lineChoiceTitle(int choice)
{
    static const char *const titles[LINE_CHOICES] = {
        QT_TRANSLATE_NOOP("MainWindow", "数据位"), QT_TRANSLATE_NOOP("MainWindow", "校验"),
        QT_TRANSLATE_NOOP("MainWindow", "停止位"), QT_TRANSLATE_NOOP("MainWindow", "流控")};
    return QCoreApplication::translate("MainWindow", titles[choice]);
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
