// The whole line setting: the speed and the four choices beside it, what the port's
// descriptor holds of them, and the UART's own error counts.
#pragma once

#include "uartcounts.h"

#include <QSerialPort>
#include <QStringList>

#include <array>
#include <optional>

// Each choice is one of a fixed list of words, which the settings file, the command
// line and the report use; the window's box lists the same choices, by their
// names, in the same order.
enum LineChoiceIndex { DATA_BITS, PARITY, STOP_BITS, FLOW_CONTROL, LINE_CHOICES };
enum class Parity { None, Even, Odd, Mark, Space };
enum class FlowControl { None, RtsCts, XonXoff };

struct LineChoice {
    QStringList words;
    QStringList names() const; // as a person reads them, in the interface language
};
const std::array<LineChoice, LINE_CHOICES> &lineChoices();
// "数据位", "校验", ...: what each choice is called.
QString lineChoiceTitle(int choice);

// An index into each choice's words.
using LineChoices = std::array<int, LINE_CHOICES>;
// 8 data bits, no parity, 1 stop bit, no flow control.
constexpr LineChoices DEFAULT_LINE_CHOICES{3, 0, 0, 0};

struct LineSetting {
    qint32 baud = 0;
    LineChoices choices = DEFAULT_LINE_CHOICES;

    int dataBits() const { return 5 + choices[DATA_BITS]; }
    Parity parity() const { return Parity(choices[PARITY]); }
    int stopBits() const { return 1 + choices[STOP_BITS]; }
    FlowControl flowControl() const { return FlowControl(choices[FLOW_CONTROL]); }
    QString word(int choice) const { return lineChoices()[choice].words[choices[choice]]; }
};

// Start, data, parity and stop bits: the line time of one character.
int bitsPerCharacter(const LineSetting &line);

void applyLineSetting(QSerialPort &port, const LineSetting &line);
// The choices the open port's descriptor holds; none when it cannot be read.
std::optional<LineChoices> heldLineChoices(int descriptor);
// Whether the device lets us send; none where the port has no modem lines.
std::optional<bool> clearToSend(int descriptor);
// The driver's error counts since boot; none where the port keeps none.
std::optional<UartErrors> uartErrorCounts(int descriptor);
