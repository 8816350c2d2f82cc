// Opening and closing the session's port, and giving it up when it fails while open.
#include "clock.h"
#include "linksession.h"
#include "serial/portaccess.h"
#include "shell/texts.h"

#include <QSignalBlocker>

bool LinkSession::open(const QString &portName)
{
    if (portOpen)
        close();
    port.setPortName(portName);
    openedLine = current.line;
    applyLineSetting(port, openedLine);
    if (!port.open(QIODevice::ReadWrite)) {
        emit refused(Texts::tr("错误"), openFailureText(port.portName(), openErrorReason(port)));
        return false;
    }
    // A new session: nothing from before the open, no half frame from the
    // last session, may count against this one.
    port.clear(QSerialPort::Input);
    rxDecoder = DecoderState{};
    portOpen = true;
    restartMeasurement();
    noteLineSetting();
    describePcapInterface();
    emit opened();
    return true;
}

// Sending stops first, so that nothing joins the queue while it drains.
void LinkSession::close()
{
    if (!portOpen)
        return;
    stop();
    {
        // A port that has already failed may report it again while draining
        // and closing; that must not come back into onPortError.
        const QSignalBlocker quiet(port);
        drainTransmitQueue(port, drainCutShort);
        pcapLeft(counts.queueDrained(port.bytesToWrite(), clockMs()));
        counts.queueDiscarded();
        pcapDiscarded();
        readUartCounts();
        port.close();
    }
    portOpen = false;
    forgetLineNotes();
    emit closed();
}

// Closed before it is told: a dead port repeats its error as fast as the
// event loop runs, and a warning box runs one.
void LinkSession::onPortError(QSerialPort::SerialPortError error)
{
    if (!portOpen || !isFatalWhileOpen(error))
        return;
    const QString why = port.errorString();
    close();
    emit lost(Texts::tr("串口 %1 已断开：%2").arg(devicePath(port.portName()), why));
}
