#include "headlessrun.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

namespace {

// Replies still on their way when sending stops are let in before the count.
constexpr int DRAIN_MS = 300;
constexpr quint64 FIRST_MEMORY_REPORT = 10000;
constexpr quint64 MEMORY_REPORT_EVERY = 100000;

void printUsageError(const QString &why)
{
    QTextStream(stderr) << "pakto: " << why << '\n';
}

// Resident set size in kB, as /proc tells it; 0 where there is no /proc.
quint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    static const QRegularExpression vmRss(QStringLiteral(R"(^VmRSS:\s+(\d+) kB)"),
                                          QRegularExpression::MultilineOption);
    return vmRss.match(QString::fromLatin1(status.readAll())).captured(1).toULongLong();
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

HeadlessRun::HeadlessRun(MainWindow &window, const HeadlessPlan &plan)
    : window(window), plan(plan), nextMemoryReport(FIRST_MEMORY_REPORT)
{
}

int HeadlessRun::exec()
{
    if (!start()) {
        closeWindow();
        return EXIT_USAGE;
    }
    runFor(plan.durationMs);
    stopSending();
    runFor(DRAIN_MS);
    settle();
    printStatistics();
    if (plan.reportMemory)
        reportMemory(
            QStringLiteral("at the end, after %1 frames").arg(window.counters.cntTxPackets));
    closeWindow();
    return portLost || anyErrorCounted() ? EXIT_ERRORS_COUNTED : EXIT_CLEAN_RUN;
}

bool HeadlessRun::start()
{
    applyChoices();
    if (!startCapture() || !openPort())
        return false;
    watchTraffic();
    return startSending();
}

// The command line, not the settings file, decides what the run compares,
// tags and shows, so that the same command line always runs the same test.
void HeadlessRun::applyChoices()
{
    Ui::MainWindow *ui = window.ui;
    if (!plan.baud.isEmpty())
        ui->comb_bps->setCurrentText(plan.baud);
    if (plan.periodMs > 0)
        ui->le_txTm->setText(QString::number(plan.periodMs));
    if (plan.replyTimeoutMs >= 0)
        window.replyTimeoutMs = plan.replyTimeoutMs;
    ui->cb_tag->setChecked(plan.tag);
    ui->cb_trxCmp->setChecked(plan.compare);
    ui->cb_txShow->setChecked(plan.show);
    ui->cb_rxShow->setChecked(plan.show);
}

// The window warns on stderr when the file cannot be opened.
bool HeadlessRun::startCapture()
{
    if (plan.capturePath.isEmpty())
        return true;
    window.ui->cb_rx2file->setChecked(true);
    return window.openCapture(plan.capturePath);
}

bool HeadlessRun::openPort()
{
    QComboBox *ports = window.ui->comb_sers;
    const int index = ports->findText(plan.port);
    if (index < 0) {
        printUsageError(
            QStringLiteral("no port '%1' is listed (listed: %2); add a path with --port")
                .arg(plan.port, itemsOf(ports).join(QStringLiteral(", "))));
        return false;
    }
    ports->setCurrentIndex(index);
    window.on_btn_ser_conn_clicked();
    return window.portOpen; // a failed open has been warned about on stderr
}

// Both watch the port after the window's own handlers have run.
void HeadlessRun::watchTraffic()
{
    QObject::connect(&window.serialPort, &QSerialPort::bytesWritten, &loop,
                     [this] { onFramesWritten(); });
    QObject::connect(&window.serialPort, &QSerialPort::errorOccurred, &loop,
                     [this](QSerialPort::SerialPortError error) {
                         if (error == QSerialPort::NoError || window.portOpen)
                             return;
                         portLost = true;
                         loop.quit();
                     });
}

bool HeadlessRun::startSending()
{
    Ui::MainWindow *ui = window.ui;
    switch (plan.send) {
    case HeadlessSend::Answer:
        ui->btn_txAck->setChecked(true);
        window.on_btn_txAck_clicked();
        return true;
    case HeadlessSend::Timed:
        ui->btn_txAuto->setChecked(true);
        window.on_btn_txAuto_clicked();
        return ui->btn_txAuto->isChecked(); // unticked, with a warning, on a bad period
    case HeadlessSend::Once:
        window.on_btn_txOne_clicked();
        return true;
    }
    return false;
}

// Sending stops right here, inside the write notification: once the loop is
// left, a reply already waiting could trigger one more frame.
void HeadlessRun::onFramesWritten()
{
    const quint64 sent = window.counters.cntTxPackets;
    if (plan.reportMemory && sent >= nextMemoryReport) {
        reportMemory(QStringLiteral("after %1 frames").arg(sent));
        nextMemoryReport = (sent / MEMORY_REPORT_EVERY + 1) * MEMORY_REPORT_EVERY;
    }
    if (plan.frameLimit != 0 && sent >= plan.frameLimit) {
        stopSending();
        loop.quit();
    }
}

void HeadlessRun::runFor(int milliseconds)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(milliseconds);
    loop.exec();
}

void HeadlessRun::stopSending()
{
    Ui::MainWindow *ui = window.ui;
    if (plan.send == HeadlessSend::Answer) {
        ui->btn_txAck->setChecked(false);
        window.on_btn_txAck_clicked();
    } else if (plan.send == HeadlessSend::Timed) {
        ui->btn_txAuto->setChecked(false);
        window.on_btn_txAuto_clicked();
    }
}

// The counts are final once the port has closed (frames that could not leave
// are send errors) and the replies that never came are counted.
void HeadlessRun::settle()
{
    if (window.portOpen)
        window.on_btn_ser_conn_clicked();
    window.dropAllOutstanding();
}

// UTF-8 whatever the locale: the panel's labels are Chinese unless translated.
void HeadlessRun::printStatistics()
{
    window.refreshStats();
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    out << window.ui->txt_info->toPlainText() << '\n';
    printRoundTrips(out);
}

void HeadlessRun::printRoundTrips(QTextStream &out)
{
    const LatencyHistogram &trips = window.roundTrips;
    if (trips.count() == 0)
        return;
    const auto ms = [](double value) { return QString::number(value, 'f', 3); };
    out << "round trip ms: p50 " << ms(trips.percentile(50)) << ", p90 " << ms(trips.percentile(90))
        << ", p99 " << ms(trips.percentile(99)) << ", p99.9 " << ms(trips.percentile(99.9)) << '\n';
}

void HeadlessRun::reportMemory(const QString &when)
{
    QTextStream(stderr) << "memory: " << residentKb() << " kB " << when << '\n';
}

void HeadlessRun::closeWindow()
{
    if (window.portOpen)
        window.on_btn_ser_conn_clicked();
    window.close();
}

bool HeadlessRun::anyErrorCounted() const
{
    const TrafficCounters &c = window.counters;
    // Without comparison, a reply short in answer-driven sending is the only sign of a lost one.
    const bool repliesMissing =
        plan.send == HeadlessSend::Answer && c.cntRxPackets < c.cntTxPackets;
    return c.cntTxErrors != 0 || c.cnt7dErrors != 0 || c.cntCrcErrors != 0 ||
           c.cntLongErrors != 0 || c.cntShortErrors != 0 || c.cntCmpFail != 0 ||
           c.cntNoReply != 0 || (!plan.compare && repliesMissing);
}
