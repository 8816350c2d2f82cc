#include "headlessrun.h"
#include "app/mainwindow.h"
#include "interruption.h"
#include "runoutputs.h"
#include "runreport.h"
#include "runsettings.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

namespace {

// Replies still due when sending stops are let in before the count: until
// nothing is outstanding (and a late duplicate had its moment to arrive), or,
// without a reply timeout to give packets up, until the line has been quiet
// for the longer of QUIET_MS and twice the longest round trip.
constexpr int QUIET_MS = 300;
constexpr int SETTLE_MS = 50;
constexpr int LONGEST_WAIT_MS = 10000; // a line that never falls quiet
constexpr int WAIT_PAST_TIMEOUT_MS = 1000;
constexpr int POLL_MS = 10;
// After the first signal, replies still on their way get this long at most.
constexpr int SIGNAL_GRACE_MS = 500;
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

// Every finding on stderr; false when the run cannot go on.
bool settingsUsable(const SettingsCheck &check)
{
    QTextStream err(stderr);
    for (const QString &problem : check.problems)
        err << "pakto: " << problem << '\n';
    for (const QString &warning : check.warnings)
        err << "pakto: warning: " << warning << '\n';
    return check.problems.isEmpty();
}

} // namespace

// Looked at before the window is built, which reads the file as it stands.
// An output that clashes with another file is refused before anything is
// opened; the report is then written only when it is not one of the two.
int runHeadless(const HeadlessPlan &plan, const WindowOptions &options,
                const QStringList &arguments)
{
    RunReport report(arguments, plan);
    const QString settingsPath = QStringLiteral("./dv-ppp.ini");
    if (const OutputClash clash = findOutputClash(plan, settingsPath); clash) {
        printUsageError(clash.message);
        report.withhold(clash.paths);
        return report.finish({{QStringLiteral("output_refused")}, {}, 0}, EXIT_USAGE);
    }
    const SettingsCheck check = checkRunSettings(settingsPath, plan);
    if (!settingsUsable(check))
        return report.finish({{QStringLiteral("settings_refused")}, check.warnings, 0}, EXIT_USAGE);
    MainWindow window(nullptr, options);
    return HeadlessRun(window, plan, check.warnings, report).exec();
}

int RunVerdict::exitStatus() const
{
    if (signalNumber != 0)
        return EXIT_SIGNAL_BASE + signalNumber;
    return reasons.isEmpty() ? EXIT_CLEAN_RUN : EXIT_ERRORS_COUNTED;
}

HeadlessRun::HeadlessRun(MainWindow &window, const HeadlessPlan &plan, const QStringList &warnings,
                         RunReport &report)
    : window(window), plan(plan), warnings(warnings), report(report),
      nextMemoryReport(FIRST_MEMORY_REPORT)
{
}

int HeadlessRun::exec()
{
    const Interruption watch;
    interruption = &watch;
    window.stopRequested = [] { return Interruption::signalNumber() != 0; };
    applyChoices();
    if (!openPort())
        return refuse("port_open_failed");
    if (!startCapture())
        return refuse("capture_failed");
    takeLineWarnings();
    if (!runTest())
        return refuse("send_refused");
    settle();
    const RunVerdict verdict = judge();
    printStatistics();
    if (plan.reportMemory)
        reportMemory(QStringLiteral("at the end, after %1 frames")
                         .arg(window.ledger.counters().cntTxPackets));
    recordRun();
    closeWindow();
    return report.finish(verdict, verdict.exitStatus());
}

int HeadlessRun::refuse(const char *reason)
{
    recordRun();
    closeWindow();
    return report.finish({{QString::fromLatin1(reason)}, warnings, 0}, EXIT_USAGE);
}

// The capture opens only once the port has: a run refused before it starts
// leaves an earlier capture file as it was. False when sending cannot start.
bool HeadlessRun::runTest()
{
    watchTraffic();
    if (!startSending())
        return false;
    QElapsedTimer sending;
    sending.start();
    runUntil(plan.durationMs, [this] { return sendingDone(); });
    sendingMs = sending.elapsed();
    stopSending();
    sinceLastByte.start();
    runUntil(longestWaitMs(), [this] { return drained(); });
    lineMs = sending.elapsed();
    return true;
}

// The command line, not the settings file, decides what the run compares,
// tags and shows, so that the same command line always runs the same test.
void HeadlessRun::applyChoices()
{
    Ui::MainWindow *ui = window.ui;
    if (!plan.baud.isEmpty())
        ui->comb_bps->setCurrentText(plan.baud);
    applyLine();
    if (plan.periodMs > 0)
        ui->le_txTm->setText(QString::number(plan.periodMs));
    if (plan.replyTimeoutMs >= 0)
        window.ledger.setReplyTimeoutMs(plan.replyTimeoutMs);
    window.ledger.setExpectingReplies(!plan.oneWay);
    ui->cb_tag->setChecked(plan.tag);
    ui->cb_trxCmp->setChecked(plan.compare);
    ui->cb_txShow->setChecked(plan.show);
    ui->cb_rxShow->setChecked(plan.show);
    window.txFrameLimit = plan.frameLimit;
}

void HeadlessRun::applyLine()
{
    LineChoices choices = window.chosenLine().choices;
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        if (!plan.line[choice].isEmpty())
            choices[choice] = lineChoices()[choice].words.indexOf(plan.line[choice]);
    }
    window.showLineChoices(choices);
}

// The window names the file and why on stderr when it cannot be opened.
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

// The window shows them in its panel; a script reads them on stderr and in the report.
void HeadlessRun::takeLineWarnings()
{
    QTextStream err(stderr);
    err.setCodec("UTF-8");
    for (const QString &warning : qAsConst(window.lineWarnings))
        err << "pakto: warning: " << warning << '\n';
    warnings << window.lineWarnings;
}

// All watch the port after the window's own handlers have run.
void HeadlessRun::watchTraffic()
{
    QObject::connect(&window.serialPort, &QSerialPort::readyRead, &loop,
                     [this] { sinceLastByte.restart(); });
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
        return ui->btn_txAck->isChecked(); // unticked, with a warning, when refused
    case HeadlessSend::Timed:
        ui->btn_txAuto->setChecked(true);
        window.on_btn_txAuto_clicked();
        return ui->btn_txAuto->isChecked();
    case HeadlessSend::Once:
        window.on_btn_txOne_clicked();
        return window.sendRefusal().isEmpty(); // what the button just warned about
    case HeadlessSend::Stream:
        ui->btn_txFull->setChecked(true);
        window.on_btn_txFull_clicked();
        return ui->btn_txFull->isChecked();
    }
    return false;
}

void HeadlessRun::onFramesWritten()
{
    const quint64 sent = window.ledger.counters().cntTxPackets;
    if (plan.reportMemory && sent >= nextMemoryReport) {
        reportMemory(QStringLiteral("after %1 frames").arg(sent));
        nextMemoryReport = (sent / MEMORY_REPORT_EVERY + 1) * MEMORY_REPORT_EVERY;
    }
}

// Runs the event loop until done() holds, the time is up, the port is lost or
// a signal's grace is over.
void HeadlessRun::runUntil(int longestMs, const std::function<bool()> &done)
{
    if (portLost)
        return;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer); // a coarse one ends up to 5% early
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [this, &done] {
        if (done() || interruption->seenFor(SIGNAL_GRACE_MS))
            loop.quit();
    });
    deadline.start(longestMs);
    poll.start(POLL_MS);
    loop.exec();
}

// The window itself sends nothing past the frame limit, whatever the mode.
bool HeadlessRun::sendingDone() const
{
    return interruption->signalNumber() != 0 ||
           (plan.frameLimit != 0 && window.ledger.counters().cntTxPackets >= plan.frameLimit);
}

bool HeadlessRun::drained() const
{
    const Ledger &ledger = window.ledger;
    const qint64 quietMs = sinceLastByte.elapsed();
    if (ledger.expectsReplies() && ledger.outstanding() == 0)
        return quietMs >= SETTLE_MS;
    if (ledger.expectsReplies() && ledger.replyTimeout() > 0)
        return false; // the reply timer gives up what stays unanswered
    return quietMs >= qMax(double(QUIET_MS), 2 * ledger.roundTrips().max());
}

int HeadlessRun::longestWaitMs() const
{
    return qMax(LONGEST_WAIT_MS, window.ledger.replyTimeout() + WAIT_PAST_TIMEOUT_MS);
}

void HeadlessRun::stopSending()
{
    window.stopModesBut(nullptr);
}

// The counts are final once the port has closed (frames that could not leave
// are send errors) and the replies that never came are counted.
void HeadlessRun::settle()
{
    if (window.portOpen)
        window.on_btn_ser_conn_clicked();
    window.ledger.giveUpAll();
    window.ledger.closeEntry(window.clockMs()); // the wait for replies is the last entry
}

// UTF-8 whatever the locale: the panel's labels are Chinese unless translated.
// A report on stdout keeps stdout for itself.
void HeadlessRun::printStatistics()
{
    window.refreshStats();
    QTextStream out(plan.reportPath == QLatin1String("-") ? stderr : stdout);
    out.setCodec("UTF-8");
    out << window.ui->txt_info->toPlainText() << '\n';
    printRoundTrips(out);
}

void HeadlessRun::printRoundTrips(QTextStream &out)
{
    const LatencyHistogram &trips = window.ledger.roundTrips();
    if (trips.count() == 0)
        return;
    const auto ms = [](double value) { return QString::number(value, 'f', 3); };
    out << "round trip ms: p50 " << ms(trips.percentile(50)) << ", p90 " << ms(trips.percentile(90))
        << ", p99 " << ms(trips.percentile(99)) << ", p99.9 " << ms(trips.percentile(99.9)) << '\n';
}

// What the window made of the plan and what it counted.
void HeadlessRun::recordRun()
{
    const Ui::MainWindow *ui = window.ui;
    const bool random = ui->cb_randData->isChecked();
    report.set("baud", ui->comb_bps->currentText().toLongLong());
    report.setLine(window.chosenLine());
    report.set("period_ms",
               plan.send == HeadlessSend::Timed ? ui->le_txTm->text().toInt() : QJsonValue());
    report.set("reply_timeout_ms", window.ledger.replyTimeout());
    report.set("payload",
               random ? QStringLiteral("random") : ui->te_txData->toPlainText().simplified());
    report.setSendingTime(sendingMs);
    report.setCounts(window.ledger);
    report.setLineUse(window.ledger.counters(), bitsPerCharacter(window.portLine),
                      window.serialPort.baudRate(), lineMs);
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

// A capture that would not open, or stopped on a write error, is gone.
RunVerdict HeadlessRun::judge() const
{
    const TrafficCounters &c = window.ledger.counters();
    const std::pair<const char *, bool> checks[] = {
        {"tx_errors", c.cntTxErrors != 0},
        {"framing_errors",
         c.cnt7dErrors + c.cntCrcErrors + c.cntLongErrors + c.cntShortErrors != 0},
        {"compare_failed", c.cntCmpFail != 0},
        {"no_reply", c.cntNoReply != 0},
        {"unexpected_frames", c.cntUnexpected != 0},
        {"uart_errors", window.ledger.uartErrors().value_or(UartErrors{}).any()},
        {"port_lost", portLost},
        {"capture_failed", !plan.capturePath.isEmpty() && !window.captureStream},
        {"interrupted", interruption->signalNumber() != 0}};
    RunVerdict verdict{{}, warnings, interruption->signalNumber()};
    for (const auto &[reason, holds] : checks) {
        if (holds)
            verdict.reasons << QString::fromLatin1(reason);
    }
    return verdict;
}
