#include "portaccess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPortInfo>

#include <unistd.h>

namespace {

// Frames still queued at a close get this long to leave, waited for in slices.
constexpr int DRAIN_MS = 1000;
constexpr int DRAIN_SLICE_MS = 50;

bool deviceAccessible(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

} // namespace

QStringList systemPortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

QString devicePath(const QString &portName)
{
    const bool path = portName.startsWith(QLatin1Char('/')) ||
                      portName.startsWith(QLatin1String("./")) ||
                      portName.startsWith(QLatin1String("../"));
    return path ? portName : QStringLiteral("/dev/") + portName;
}

bool isFatalWhileOpen(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return true;
    default:
        return false;
    }
}

QString openErrorReason(const QSerialPort &port)
{
    if (port.error() != QSerialPort::PermissionError)
        return port.errorString();
    const QString path = devicePath(port.portName());
    if (deviceAccessible(path))
        return QCoreApplication::translate("MainWindow", "%1 正被其他程序占用").arg(path);
    return port.errorString() + QLatin1Char('\n') +
           QCoreApplication::translate(
               "MainWindow",
               "在 Linux 上，用户须属于拥有该设备的用户组（通常为 dialout），加入后重新登录。");
}

QString openFailureText(const QString &portName, const QString &why)
{
    return QCoreApplication::translate("MainWindow", "%1：串口打开失败！")
               .arg(devicePath(portName)) +
           QLatin1Char('\n') + why;
}

bool drainTransmitQueue(QSerialPort &port, const std::function<bool()> &cutShort)
{
    const QDeadlineTimer deadline(DRAIN_MS);
    while (port.bytesToWrite() > 0 && !deadline.hasExpired() && !cutShort()) {
        const int slice = int(qMin<qint64>(DRAIN_SLICE_MS, deadline.remainingTime()));
        if (!port.waitForBytesWritten(slice) && isFatalWhileOpen(port.error()))
            return false;
    }
    return true;
}
