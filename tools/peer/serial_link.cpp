#include "serial_link.h"

SerialLink::SerialLink()
{
    connect(&port, &QSerialPort::readyRead, this, &SerialLink::readAvailable);
    connect(&port, &QSerialPort::errorOccurred, this, &SerialLink::reportError);
}

bool SerialLink::open(const QString &path, qint32 baud, QString &error)
{
    portPath = path;
    port.setPortName(path);
    const bool configured =
        port.open(QIODevice::ReadWrite) && port.setBaudRate(baud) &&
        port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity) &&
        port.setStopBits(QSerialPort::OneStop) && port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured)
        error = QStringLiteral("cannot open %1: %2").arg(path, port.errorString());
    return configured;
}

void SerialLink::send(const QByteArray &bytes)
{
    port.write(bytes);
}

bool SerialLink::drained() const
{
    return port.bytesToWrite() == 0;
}

void SerialLink::readAvailable()
{
    const QByteArray bytes = port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

// Only errors after a successful open reach the run; open() reports its own.
void SerialLink::reportError(QSerialPort::SerialPortError error)
{
    if (port.isOpen() && error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
        emit failed(QStringLiteral("%1: %2").arg(portPath, port.errorString()));
}
