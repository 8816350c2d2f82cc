// The one window of the tool: all of its state and every operation on it.
#pragma once

#include "codec/ppp_frame.h"
#include "engine/fieldtext.h"
#include "engine/ledger.h"
#include "engine/packet.h"
#include "engine/trafficview.h"
#include "serial/linesetting.h"
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

#include <functional>
#include <memory>

class QComboBox;
class QFile;
class QPushButton;
class QTextStream;

namespace Ui {
class MainWindow;
}

// The longest frame a packet can give on the line.
constexpr int LONGEST_FRAME = ppp_frame_longest(PACKET_CAPACITY);

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
    void on_cb_chart_clicked(bool checked);
    void on_btn_adv_clicked();
    void on_btn_language_clicked();
    void on_btn_ser_conn_clicked();
    void on_btn_ser_refresh_clicked();
    void on_cb_randData_clicked(bool checked);
    void on_btn_txAck_clicked();
    void on_btn_txAuto_clicked();
    void on_btn_txFull_clicked();

public slots:
    void slotWarningMessage(QString title, QString content);

private:
    // serial/portlist.cpp
    void refreshPortList();
    void followPortList();
    int listedPortCount() const;
    // serial/connection.cpp
    QString openSelectedPort();
    void selectListedPort();
    QString openFailureText(const QString &why) const;
    QString openErrorReason() const;
    void closePort();
    void onPortError(QSerialPort::SerialPortError error);
    void drainTransmitQueue();
    // serial/linewatch.cpp
    std::array<QComboBox *, LINE_CHOICES> lineBoxes() const;
    LineSetting chosenLine() const;
    void showLineChoices(const LineChoices &choices);
    void noteLineSetting();
    QString notKeptText(int choice, int held) const;
    void watchOpenPort();
    void readUartCounts();
    void forgetLineNotes();
    QStringList portNoteParagraphs() const;

    // engine/payload.cpp
    Packet *buildPacket();
    void normalizeTxLengths();
    void applyRandomDataState();
    void showPayloadValidity();
    void warnInvalidPayload();
    QString invalidPayloadText() const;
    QString invalidPayloadGroupText() const;
    bool typedPayloadInvalid() const;
    QString sendRefusal() const;
    static QString numberProblem(const QString &field, const QString &text, NumberRange range);
    int fillPayload(quint8 *payload, int room) const;
    // engine/sending.cpp
    bool refuseSending(QPushButton *mode);
    void sendOneFrame();
    bool frameLimitReached() const;
    bool transmit(std::unique_ptr<Packet> &packet);
    void fillTransmitQueue();
    int writeFrame(const quint8 *bytes, int length);
    qint64 transmitQueueLimit() const;
    void onQueueDrained();
    void onBytesWritten();
    void armReplyTimer();
    void retryAfterReplyTimeout();
    void onReplyTimeout();
    void restartMeasurement();
    void stopTimedSending();
    void showSendModeCaptions();
    bool continuousModeRunning() const;
    void stopModesBut(const QPushButton *running);
    bool startingMode(QPushButton *mode);
    // engine/receiving.cpp
    void decodeByte(quint8 byte);
    void onRxFrame(quint16 length);
    void stopOnError();
    // engine/statistics.cpp
    void refreshStats();
    void onSecondTick();
    QStringList runTimeParagraphs() const;
    QStringList countParagraphs() const;
    QStringList comparisonParagraphs() const;
    QStringList replyParagraphs() const;
    QString lineUseLine() const;
    QString roundTripLine() const;
    QStringList uartParagraphs() const;
    // engine/display.cpp
    void showTraffic(const quint8 *bytes, quint16 count, TrafficDirection direction,
                     bool compareFailed, double stampMs);
    void prepareTrafficView();
    void followLanguageInTraffic();
    void flushTraffic();
    // engine/runchart.cpp
    void redrawChart();
    // engine/capture.cpp
    void startCapture();
    bool openCapture(const QString &path);
    void emptyCapture();
    void stopCapture();
    void writeCaptureLine(const QString &line);

    // shell/settings.cpp
    QString settingsPath();
    void useScratchSettings();
    void loadSettings();
    void loadReplyRules();
    void saveSettings();
    void applyReplyExpectation();
    bool writeSettings(const QString &path);
    // shell/language.cpp
    void applyLanguage();
    void applyQtLanguage();
    void showStateCaptions();
    // shell/banner.cpp
    void readBannerConfig();
    void refreshBanner();
    void showNextAdvert();

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
    int advIndex = 0; // the picture shown
    bool portOpen = false;
    QList<QSerialPortInfo> portInfos;
    QSerialPort serialPort;
    LineSetting portLine;     // as asked at the last open
    QStringList lineWarnings; // about the open port's line: shown while it is open
    bool ctsOff = false;      // under RTS-CTS flow control, the device holds us off
    Packet txPattern{};
    bool txPatternValid = true; // false while the payload text is not valid hex
    int txLenMin = 0;
    int txLenMax = 0;
    quint64 txFrameLimit = 0; // frames sent before sending stops by itself; 0: no limit
    quint8 txFrameBuf[LONGEST_FRAME + 1];
    quint8 rxFrameBuf[FRAME_BUF_SIZE];
    DecoderState rxDecoder{};
    QString capturePath;
    std::unique_ptr<QFile> captureFile; // declared first: the stream on it goes first
    std::unique_ptr<QTextStream> captureStream;
    bool captureHoldsEarlier = false; // opened over a file not yet emptied
    Ledger ledger;                    // every count, the packets outstanding, the round trips
    quint64 stampOrigin = 0;
    quint64 perfFrequency = 1;

    // Beyond the window's own state: what the command line asked for, and the
    // traffic view with the language its words are in.
    WindowOptions options;
    TrafficView *trafficView = nullptr; // owned by ui->txt_data
    bool trafficInEnglish = false;
    // Stands in for a settings file that is no regular file or cannot be saved.
    std::unique_ptr<QTemporaryDir> scratchSettings;
    // Runs to the next reply timeout of an outstanding packet.
    QTimer replyTimer;
    // Full-speed sending's next packet, built but waiting for room.
    std::unique_ptr<Packet> heldPacket;
    // A headless run's signal: true once it came, and the wait for the queue
    // to leave at the port's close is cut short.
    std::function<bool()> stopRequested = [] { return false; };

    friend class MainWindowProbe; // tests reach state nothing else shows
    friend class HeadlessRun;     // drives the window from the command line
};
