// Opening and closing the session's port; giving it up when it fails while
// open, or waiting for it to come back and opening it again.
#include "clock.h"
#include "linksession.h"
#include "serial/portaccess.h"
#include "shell/texts.h"

#include <QFileInfo>
#include <QSignalBlocker>

bool LinkSession::open(const QString &portName)
{
    if (portOpen || waitingForPort())
        close();
    port.setPortName(portName);
    openedLine = current.line;
    if (!openPort()) {
        emit refused(Texts::tr("错误"), openFailureText(port.portName(), openErrorReason(port)));
        return false;
    }
    restartMeasurement();
    emit opened();
    return true;
}

// Nothing from before the open, no half frame from before, may count: the
// decoder starts clean.
bool LinkSession::openPort()
{
    applyLineSetting(port, openedLine);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.clear(QSerialPort::Input);
    rxDecoder = DecoderState{};
    portOpen = true;
    noteLineSetting();
    describePcapInterface();
    return true;
}

// Sending stops first, so that nothing joins the queue while it drains. A
// link waiting for its port stops waiting.
void LinkSession::close()
{
    if (waitingForPort()) {
        reopenTimer.stop();
        stop();
        emit closed();
        return;
    }
    if (!portOpen)
        return;
    stop();
    {
        // A port that has already failed may report it again while draining
        // and closing; that must not come back into onPortError.
        const QSignalBlocker quiet(port);
        drainTransmitQueue(port, drainCutShort);
        closePort();
    }
    emit closed();
}

// Frames still queued never leave: they are send errors.
void LinkSession::closePort()
{
    pcapLeft(counts.queueDrained(port.bytesToWrite(), clockMs()));
    counts.queueDiscarded();
    pcapDiscarded();
    readUartCounts();
    port.close();
    portOpen = false;
    forgetLineNotes();
}

// Closed before it is told: a dead port repeats its error as fast as the
// event loop runs, and a warning box runs one.
void LinkSession::onPortError(QSerialPort::SerialPortError error)
{
    if (!portOpen || !isFatalWhileOpen(error))
        return;
    const QString why = port.errorString();
    const QString text = Texts::tr("串口 %1 已断开：%2").arg(devicePath(port.portName()), why);
    if (current.reconnect)
        return waitForPort(why, text);
    close();
    emit lost(text);
}

// The mode stays, its timers rest until the port is back.
void LinkSession::waitForPort(const QString &why, const QString &text)
{
    {
        const QSignalBlocker quiet(port);
        closePort();
    }
    sendTimer.stop();
    replyTimer.stop();
    counts.portLost(clockMs(), why);
    reopenTimer.start();
    emit portAway(text);
}

// Its path first: while udev is still at work, an open that fails waits on.
void LinkSession::tryReopen()
{
    if (!QFileInfo::exists(devicePath(port.portName())))
        return;
    if (!openPort())
        return;
    reopenTimer.stop();
    counts.portBack(clockMs());
    emit portBack();
    resumeSending();
}

void LinkSession::resumeSending()
{
    switch (sending) {
    case SendMode::AnswerDriven:
        return sendOneFrame();
    case SendMode::Timed:
        nextDueMs = clockMs() + current.periodMs;
        return armSendTimer();
    case SendMode::FullSpeed:
        return fillTransmitQueue();
    case SendMode::BitErrorTest:
        return fillStream();
    case SendMode::None:
        return;
    }
}
