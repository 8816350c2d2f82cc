// Opening, watching and closing one serial port: what the system says, in
// the sentences the user reads.
#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <functional>

// The names the system enumerates (ttyS0, ttyUSB0, ...), in its order.
QStringList systemPortNames();

// Names that are no path ("ttyUSB0", "pts/3") live in /dev, as QSerialPort takes them.
QString devicePath(const QString &portName);

// Errors after which an open port is of no further use: the device has gone or
// refuses us. Timeouts, line errors and refused settings leave it working.
bool isFatalWhileOpen(QSerialPort::SerialPortError error);

// The system's reason an open failed; but a port another program holds (its
// lock, or its exclusive open) says so, and a device that refuses this user
// says what to do.
QString openErrorReason(const QSerialPort &port);

// "/dev/ttyUSB0：串口打开失败！" and why, on the next line.
QString openFailureText(const QString &portName, const QString &why);

// Waits up to a second for the port's queue to leave, in slices, unless
// cutShort() says to stop; false when the device has gone meanwhile.
bool drainTransmitQueue(QSerialPort &port, const std::function<bool()> &cutShort);
