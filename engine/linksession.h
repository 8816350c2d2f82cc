// One link under test: the port and everything that happens on it, without a
// widget. Typed operations go in (open, close, start a mode, stop, send one
// frame, clean start), signals come out; the window and the headless run are
// two faces over it.
#pragma once

#include "capture.h"
#include "codec/ppp_frame.h"
#include "ledger.h"
#include "payload.h"
#include "pcapcapture.h"
#include "serial/portaccess.h"
#include "sessionsettings.h"
#include "trafficline.h"

#include <QObject>
#include <QSerialPort>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

// The longest frame a packet can give on the line.
constexpr int LONGEST_FRAME = ppp_frame_longest(PACKET_CAPACITY);

// A frame sent or received, as it passes: valid while the signal runs.
struct FrameEvent {
    TrafficDirection direction;
    const quint8 *bytes;
    quint16 length;
    bool compareFailed;
    double stampMs; // since the last clean start
};

// The warnings about a line asked for, and about the choices the port held
// (none: they could not be read) where they differ.
QStringList lineWarnings(const LineSetting &asked, const std::optional<LineChoices> &held);

class LinkSession : public QObject
{
    Q_OBJECT

public:
    explicit LinkSession(QObject *parent = nullptr);
    ~LinkSession() override;

    // Replaced whole; a change applies from the next packet, reply or start.
    // A running mode that can send nothing with them stops, and says why.
    void configure(const SessionSettings &settings);
    // Why no packet can be built from the settings; empty when one can.
    QString sendProblem() const;
    const SessionSettings &settings() const { return current; }

    // Opens the port by name (a system port or a path) with the settings'
    // line, and starts clean; refused, with the port named and why, when it
    // will not open.
    bool open(const QString &portName);
    // Sending stops; frames queued get a second to leave, and those that
    // cannot are send errors.
    void close();
    bool isOpen() const { return portOpen; }
    // The port was lost with reconnecting on: the link waits for it (its
    // path, then an open with the same line), and close() stops the wait.
    bool waitingForPort() const { return reopenTimer.isActive(); }
    QString portPath() const { return devicePath(port.portName()); }
    // During the close's wait for the queue: when this says so, it stops waiting.
    void setDrainCutShort(std::function<bool()> cutShort) { drainCutShort = std::move(cutShort); }

    // Starts a mode, stopping the one running, from a clean start; refused,
    // with a warning and nothing changed, while no packet can be built.
    bool start(SendMode mode);
    void stop();
    SendMode mode() const { return sending; }
    // Since a bit error test started, until another mode starts: what comes
    // back is checked against the sequence.
    bool checksStream() const { return streamIn != nullptr; }
    // A press of the send button: refused as a start is, or one frame.
    bool sendOne();
    // One frame now, as the modes send it; past the frame limit, none.
    void sendOneFrame();
    // Counters, round trips, rate, run time and time stamps from zero; what
    // is outstanding is forgotten, and answer-driven sending goes on at once.
    void cleanStart();
    // The end of a run: every outstanding frame counts as no reply, and the
    // timeline's last entry closes.
    void finishMeasurement();

    // Opened over an earlier file, which is replaced now or at the first line;
    // its lines keep the words of the language installed at its start.
    bool startCapture(const QString &path, bool replaceNow);
    void stopCapture();
    bool capturing() const { return capture.isOpen(); }
    QString capturePath() const { return capture.path(); }

    // The pcapng capture, opened as the text capture is; it describes the
    // port at each open. Stopping writes what is buffered: false when that failed.
    bool startPcap(const QString &path, bool replaceNow);
    bool stopPcap();
    bool pcapping() const { return pcap->isOpen(); }
    QString pcapPath() const { return pcap->path(); }
    // An open capture that other links write too: this one describes its own
    // interface in it, and its owner flushes and closes it.
    void sharePcap(std::shared_ptr<PcapCapture> capture);

    const Ledger &ledger() const { return counts; }
    double stampNow() const;
    // The line asked for at the last open, and the warnings about what the
    // port made of it, while it is open.
    const LineSetting &portLine() const { return openedLine; }
    const QStringList &lineWarnings() const { return lineNotes; }
    // Under RTS/CTS, the device holds us off.
    bool ctsOff() const { return holdingOff; }
    // About 200 ms of line time at the port's rate, never less than one largest frame.
    qint64 transmitQueueLimit() const;

signals:
    void opened();
    void closed();
    // The port went away while open: it is closed, and why says so.
    void lost(const QString &why);
    // With reconnecting on: the port went away (why says so) and is waited
    // for; it is open again, with the counts going on.
    void portAway(const QString &why);
    void portBack();
    void modeChanged(SendMode mode);
    void frame(const FrameEvent &event);
    void bytesArrived();
    void warning(const QString &title, const QString &text);
    void refused(const QString &title, const QString &text);
    // A write error ended the capture.
    void captureStopped();
    // A write error ended the pcapng capture.
    void pcapStopped();
    // The running mode stopped by itself: it could send nothing (why says so).
    void stoppedSending(const QString &why);
    // Advice on what the user asked for, once: the run goes on.
    void caution(const QString &text);
    void measurementRestarted();
    void secondTicked();

private:
    // linksession.cpp
    void setMode(SendMode mode);
    bool refuseSending();
    void stopUnable(const QString &why);
    void onSendTimer();
    void armSendTimer();
    void checkPeriod(int lineBytes);
    void restartMeasurement();
    void onSecondTick();
    void report(const FrameEvent &event);
    // sending.cpp
    std::unique_ptr<Packet> buildPacket();
    bool frameLimitReached() const;
    bool transmit(std::unique_ptr<Packet> &packet);
    void fillTransmitQueue();
    int writeFrame(const quint8 *bytes, int length);
    void onQueueDrained();
    void onBytesWritten();
    void armReplyTimer();
    void retryAfterReplyTimeout();
    void onReplyTimeout();
    // receiving.cpp
    void serial_rx();
    void decodeByte(quint8 byte);
    void onRxFrame(quint16 length);
    void stopOnError();
    // bittest.cpp
    bool startBitErrorTest();
    void fillStream();
    void checkStream(const QByteArray &bytes);
    // connection.cpp
    bool openPort();
    void closePort();
    void onPortError(QSerialPort::SerialPortError error);
    void waitForPort(const QString &why, const QString &text);
    void tryReopen();
    void resumeSending();
    // sessionpcap.cpp
    void beginPcap();
    void describePcapInterface();
    void pcapQueued(const quint8 *body, int length);
    void pcapLeft(int frames);
    void pcapDiscarded();
    void pcapReceived(quint16 length);
    void pcapRefused(int decodeResult, int stored);
    void pcapPacket(quint32 flags, const quint8 *bytes, int length);
    bool flushPcap();
    void failPcap(const QString &why);
    // linewatch.cpp
    void noteLineSetting();
    void watchOpenPort();
    void readUartCounts();
    void forgetLineNotes();

    SessionSettings current;
    QSerialPort port;
    bool portOpen = false;
    LineSetting openedLine;
    QStringList lineNotes;
    bool holdingOff = false;
    SendMode sending = SendMode::None;
    PayloadBuilder builder;
    Ledger counts; // every count, the packets outstanding, the round trips
    quint8 txFrameBuf[LONGEST_FRAME + 1];
    quint8 rxFrameBuf[FRAME_BUF_SIZE];
    DecoderState rxDecoder{};
    double stampOriginMs = 0;
    Capture capture;
    TrafficLabels captureLabels;
    std::shared_ptr<PcapCapture> pcap = std::make_shared<PcapCapture>();
    quint32 pcapInterface = 0;
    std::deque<QByteArray> pcapLeaving; // sent while capturing, not yet left
    int pcapUnseen = 0;                 // frames queued before the capture started
    QTimer sendTimer;                   // to the next frame of timed sending
    double nextDueMs = 0;               // when it is due: the period kept on the clock
    bool periodChecked = false;
    QTimer replyTimer; // to the next reply timeout of an outstanding packet
    QTimer secondTimer;
    QTimer reopenTimer; // while waiting for a lost port
    // Full-speed sending's next packet, built but waiting for room.
    std::unique_ptr<Packet> heldPacket;
    // The bit error test's sequence out and its checker of what comes back;
    // the checker stays until the next start, so that the stream's tail counts.
    std::unique_ptr<PrbsGenerator> streamOut;
    std::unique_ptr<PrbsChecker> streamIn;
    std::function<bool()> drainCutShort = [] { return false; };
};
