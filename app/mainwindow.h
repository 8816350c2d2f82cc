// The one window of the tool: all of its state and every operation on it.
#pragma once

#include "codec/ppp_frame.h"
#include "engine/latencyhistogram.h"
#include "engine/packet.h"
#include "engine/trafficcounters.h"
#include "engine/trafficview.h"
#include "windowoptions.h"

#include <QFile>
#include <QList>
#include <QMainWindow>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <deque>
#include <memory>

class QFile;
class QTextStream;

namespace Ui {
class MainWindow;
}

// Holds at most 1023 packets: a second of 1 ms sending in flight, so that a
// slow device is not blamed for replies the ring forgot.
constexpr int TX_RING_SLOTS = 1024;
// A frame handed to the port that may not have left it yet.
struct QueuedFrame {
    qint64 lineBytes;    // as framed on the line
    quint16 packetBytes; // as counted in cntTxBytes
};

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, const WindowOptions &options = {});
    ~MainWindow() override;

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void serial_rx();
    void on_te_txData_textChanged();
    void on_btn_cntClear_clicked();
    void on_btn_showClear_clicked();
    void on_btn_txOne_clicked();
    void on_btn_newData_clicked();
    void on_cb_rx2file_clicked(bool checked);
    void on_cb_onTop_clicked(bool checked);
    void on_cb_wrap_clicked(bool checked);
    void on_btn_adv_clicked();
    void on_btn_language_clicked();
    void on_btn_ser_conn_clicked();
    void on_btn_ser_refresh_clicked();
    void on_cb_randData_clicked(bool checked);
    void on_btn_txAck_clicked();
    void on_btn_txAuto_clicked();

public slots:
    void slotWarningMessage(QString title, QString content);

private:
    // serial/portlist.cpp
    void refreshPortList();
    int listedPortCount() const;
    // serial/connection.cpp
    bool openSelectedPort();
    QString openFailureText() const;
    void closePort();
    void onPortError(QSerialPort::SerialPortError error);
    void drainTransmitQueue();

    // engine/payload.cpp
    Packet *buildPacket();
    void normalizeTxLengths();
    void applyRandomDataState();
    void showPayloadValidity();
    void warnInvalidPayload();
    QString invalidPayloadText() const;
    bool typedPayloadInvalid() const;
    bool refuseInvalidPayload();
    int fillPayload(quint8 *payload, int room) const;
    // engine/sending.cpp
    void sendOneFrame();
    bool writeFrame(const quint8 *bytes, int length);
    void keepOutstanding(Packet *packet);
    qint64 transmitQueueLimit() const;
    void trackQueuedFrame(qint64 lineBytes, quint16 packetBytes);
    void forgetFramesThatLeft();
    void countUnsentAsErrors();
    void forgetNewestOutstanding();
    void armReplyTimeout();
    void onReplyTimeout();
    void restartMeasurement();
    void stopTimedSending();
    void showSendModeCaptions();
    static int nextRingSlot(int slot);
    // engine/receiving.cpp
    void decodeByte(quint8 byte);
    void onRxFrame(quint16 length);
    bool compareRxFrame(const quint8 *data, quint16 length, double receivedMs);
    void stopOnError();
    void dropOutstandingBefore(int slot);
    void dropAllOutstanding();
    // engine/statistics.cpp
    void clearCounters();
    void refreshStats();
    void onSecondTick();
    QStringList runTimeParagraphs() const;
    QStringList countParagraphs() const;
    QStringList comparisonParagraphs() const;
    QString roundTripLine() const;
    // engine/display.cpp
    void showTraffic(const quint8 *bytes, quint16 count, TrafficDirection direction,
                     bool compareFailed, double stampMs);
    void prepareTrafficView();
    void followLanguageInTraffic();
    void flushTraffic();
    // engine/capture.cpp
    void startCapture();
    bool openCapture(const QString &path);
    void stopCapture();
    void writeCaptureLine(const QString &line);

    // shell/settings.cpp
    QString settingsPath();
    void loadSettings();
    void saveSettings();
    // shell/language.cpp
    void applyLanguage();
    void applyQtLanguage();
    void showStateCaptions();
    // shell/banner.cpp
    void readBannerConfig();
    void refreshBanner();

    double stampNow() const;
    double clockMs() const;

    Ui::MainWindow *ui;
    QString baseTitle;
    bool isEnglish = false;
    QTranslator translator;
    QTranslator qtTranslator; // Qt's own texts: standard buttons and dialogs
    int timerStats = 0;
    int timerSecond = 0;
    int timerBanner = 0;
    int timerSend = 0;
    int maxAdvIndex = 0;
    int advIndex = 0;
    bool portOpen = false;
    QList<QSerialPortInfo> portInfos;
    QSerialPort serialPort;
    Packet txPattern{};
    bool txPatternValid = true; // false while the payload text is not valid hex
    int txLenMin = 0;
    int txLenMax = 0;
    quint64 txRateBps = 0;
    quint64 txFrameLimit = 0; // frames sent before sending stops by itself; 0: no limit
    quint8 txFrameBuf[FRAME_BUF_SIZE];
    quint8 rxFrameBuf[FRAME_BUF_SIZE];
    DecoderState rxDecoder{};
    int txRingTail = 0;
    int txRingHead = 0;
    Packet *txRing[TX_RING_SLOTS];
    QString capturePath;
    std::unique_ptr<QFile> captureFile; // declared first: the stream on it goes first
    std::unique_ptr<QTextStream> captureStream;
    TrafficCounters counters;
    LatencyHistogram roundTrips;
    quint64 stampOrigin = 0;
    quint64 perfFrequency = 1;

    // Beyond the window's own state: what the command line asked for, and the
    // traffic view with the language its words are in.
    WindowOptions options;
    TrafficView *trafficView = nullptr; // owned by ui->txt_data
    bool trafficInEnglish = false;
    // Stands in for a settings file that is no regular file.
    std::unique_ptr<QTemporaryDir> scratchSettings;
    // Answer-driven sending gives up on a reply after replyTimeoutMs (0: never).
    int replyTimeoutMs = 0;
    QTimer replyTimer;
    // Frames written but perhaps still in the port's queue, oldest first.
    std::deque<QueuedFrame> queuedFrames;
    qint64 queuedLineBytes = 0;

    friend class MainWindowProbe; // tests reach state nothing else shows
    friend class HeadlessRun;     // drives the window from the command line
};
