#include "linksession.h"
#include "clock.h"
#include "shell/texts.h"

#include <QSignalBlocker>

namespace {
constexpr int SECOND_MS = 1000;
// A lost port's path is looked for this often: an outage is measured to it.
constexpr int REOPEN_POLL_MS = 50;
} // namespace

LinkSession::LinkSession(QObject *parent) : QObject(parent)
{
    configure(current);
    connect(&port, &QSerialPort::readyRead, this, &LinkSession::serial_rx);
    connect(&port, &QSerialPort::bytesWritten, this, &LinkSession::onBytesWritten);
    connect(&port, &QSerialPort::errorOccurred, this, &LinkSession::onPortError);
    sendTimer.setSingleShot(true);
    sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&sendTimer, &QTimer::timeout, this, &LinkSession::onSendTimer);
    replyTimer.setSingleShot(true);
    replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&replyTimer, &QTimer::timeout, this, &LinkSession::onReplyTimeout);
    secondTimer.setTimerType(Qt::CoarseTimer);
    connect(&secondTimer, &QTimer::timeout, this, &LinkSession::onSecondTick);
    secondTimer.start(SECOND_MS);
    reopenTimer.setInterval(REOPEN_POLL_MS);
    connect(&reopenTimer, &QTimer::timeout, this, &LinkSession::tryReopen);
    stampOriginMs = clockMs();
}

LinkSession::~LinkSession()
{
    if (portOpen) {
        const QSignalBlocker quiet(port); // no error handling half-destroyed
        port.close();
    }
    capture.close();
    QString why;
    pcap->flush(why); // nobody is left to tell of a failure
}

void LinkSession::configure(const SessionSettings &settings)
{
    current = settings;
    counts.setReplyTimeoutMs(settings.replyTimeoutMs);
    counts.setExpectingReplies(settings.expectReplies);
    // The bit error test builds no packet: the packet's fields mean nothing to it.
    const bool framed = sending != SendMode::None && sending != SendMode::BitErrorTest;
    if (const QString why = sendProblem(); framed && !why.isEmpty())
        stopUnable(why);
}

QString LinkSession::sendProblem() const
{
    return current.unusable.isEmpty() ? emptyPacketProblem(current) : current.unusable;
}

// A mode that would go on showing "running" while it sends nothing stops.
void LinkSession::stopUnable(const QString &why)
{
    stop();
    emit stoppedSending(why);
    emit warning(Texts::tr("错误"), why);
}

// The running mode stops first; a period below 1 ms is refused only then.
bool LinkSession::start(SendMode mode)
{
    if (mode == SendMode::None) {
        stop();
        return true;
    }
    if (mode == SendMode::BitErrorTest)
        return startBitErrorTest();
    if (refuseSending())
        return false;
    streamIn.reset();
    stop();
    if (mode == SendMode::Timed && current.periodMs < 1) {
        emit refused(Texts::tr("输入错误"), Texts::tr("请输入正确的定时周期"));
        return false;
    }
    restartMeasurement();
    setMode(mode);
    if (mode == SendMode::AnswerDriven)
        sendOneFrame();
    else if (mode == SendMode::Timed) {
        nextDueMs = clockMs() + current.periodMs;
        periodChecked = false;
        armSendTimer();
    } else
        fillTransmitQueue();
    return true;
}

// A packet held back from full-speed sending is not sent by the next run.
void LinkSession::stop()
{
    sendTimer.stop();
    heldPacket.reset();
    streamOut.reset();
    setMode(SendMode::None);
}

void LinkSession::setMode(SendMode mode)
{
    if (sending == mode)
        return;
    sending = mode;
    emit modeChanged(mode);
}

bool LinkSession::sendOne()
{
    if (refuseSending())
        return false;
    sendOneFrame();
    return true;
}

// What goes out must be what the user gave: a field that does not read sends nothing.
bool LinkSession::refuseSending()
{
    const QString why = sendProblem();
    if (why.isEmpty())
        return false;
    emit refused(Texts::tr("错误"), why);
    return true;
}

// The packet in flight is forgotten with the rest: answer-driven sending
// starts a new chain at once.
void LinkSession::cleanStart()
{
    restartMeasurement();
    if (streamIn) // its counts start over too: it finds the sequence again, no loss
        streamIn = std::make_unique<PrbsChecker>(current.prbs);
    if (sending == SendMode::AnswerDriven)
        sendOneFrame();
    fillTransmitQueue();
}

// Nothing outstanding from before may answer for this measurement.
void LinkSession::restartMeasurement()
{
    stampOriginMs = clockMs();
    counts.restart(stampOriginMs);
    readUartCounts(); // the baseline
    emit measurementRestarted();
}

void LinkSession::finishMeasurement()
{
    const double nowMs = clockMs();
    counts.giveUpAll(nowMs);
    counts.closeEntry(nowMs); // the wait for replies is the last entry
}

double LinkSession::stampNow() const
{
    return clockMs() - stampOriginMs;
}

void LinkSession::onSecondTick()
{
    if (portOpen)
        watchOpenPort(); // the UART's counts too, for the second's entry
    counts.tick(sending != SendMode::None, clockMs());
    flushPcap();
    emit secondTicked();
}
