// Construction, destruction, timer dispatch and the window's own small slots.
#include "mainwindow.h"
#include "perfcounter.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QIntValidator>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTextStream>
#include <QTimerEvent>

#include <ctime>

namespace {
constexpr int STATS_PERIOD_MS = 300;
constexpr int SECOND_PERIOD_MS = 1000;
constexpr int BANNER_PERIOD_MS = 10000;
constexpr int SEND_AREA_STRETCH = 1;
constexpr int TRAFFIC_VIEW_STRETCH = 3;

// Random payloads draw from qrand(), reseeded from the calendar second at start
// and on every banner tick. Qt 5.15 marks qsrand() deprecated; it stays so that
// qrand() remains the one generator.
void reseedRandom()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(uint(time(nullptr)));
    QT_WARNING_POP
}
} // namespace

MainWindow::MainWindow(QWidget *parent, const WindowOptions &options)
    : QMainWindow(parent), ui(new Ui::MainWindow), options(options)
{
    ui->setupUi(this);
    ui->splitter->setStretchFactor(0, SEND_AREA_STRETCH);
    ui->splitter->setStretchFactor(1, TRAFFIC_VIEW_STRETCH);
    baseTitle = windowTitle();

    captureFile = nullptr;
    captureStream = nullptr;
    portOpen = false;

    ui->le_sid_min->setValidator(new QIntValidator(1, 2, this));
    ui->le_sid_max->setValidator(new QIntValidator(1, 2, this));
    ui->le_txLenMin->setValidator(new QIntValidator(1, PACKET_CAPACITY, this));
    ui->le_txLenMax->setValidator(new QIntValidator(1, PACKET_CAPACITY, this));

    loadSettings();
    loadReplyRules();
    perfFrequency = perfcounter::frequency();

    timerSend = 0;
    timerStats = startTimer(STATS_PERIOD_MS, Qt::CoarseTimer);
    timerSecond = startTimer(SECOND_PERIOD_MS, Qt::CoarseTimer);
    timerBanner = startTimer(BANNER_PERIOD_MS, Qt::CoarseTimer);
    reseedRandom();

    readBannerConfig();
    advIndex = 0;
    refreshBanner();
    refreshPortList();
    ui->gb_send->setEnabled(false);
    connect(&serialPort, &QSerialPort::readyRead, this, &MainWindow::serial_rx);
    connect(&serialPort, &QSerialPort::bytesWritten, this, &MainWindow::onBytesWritten);
    connect(&serialPort, &QSerialPort::errorOccurred, this, &MainWindow::onPortError);
    replyTimer.setSingleShot(true);
    replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&replyTimer, &QTimer::timeout, this, &MainWindow::onReplyTimeout);
    prepareTrafficView();
}

MainWindow::~MainWindow()
{
    if (portOpen) {
        const QSignalBlocker quiet(serialPort); // no error handling half-destroyed
        serialPort.close();
    }
    on_cb_rx2file_clicked(false);
    delete ui;
}

void MainWindow::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id == timerSend) {
        sendOneFrame();
    } else if (id == timerStats) {
        refreshStats();
    } else if (id == timerSecond) {
        onSecondTick();
    } else if (id == timerBanner) {
        reseedRandom();
        showNextAdvert();
    }
}

void MainWindow::closeEvent(QCloseEvent *)
{
    saveSettings();
}

void MainWindow::on_cb_onTop_clicked(bool checked)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, checked);
    setWindowFlags(flags);
    show(); // changing the flags hides the window
}

void MainWindow::slotWarningMessage(QString title, QString content)
{
    if (options.unattended) {
        QTextStream(stderr) << title << ": " << content << '\n';
        return;
    }
    QMessageBox::warning(nullptr, title, content, QMessageBox::Close, QMessageBox::NoButton);
}

double MainWindow::stampNow() const
{
    return perfcounter::elapsedMs(stampOrigin, perfcounter::now(), perfFrequency);
}

// Milliseconds on the high-resolution clock from a fixed point, unmoved by
// restarts of the measurement: round trips may span one.
double MainWindow::clockMs() const
{
    return perfcounter::elapsedMs(0, perfcounter::now(), perfFrequency);
}
