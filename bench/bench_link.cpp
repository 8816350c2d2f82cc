// Round trips over a pseudo-terminal whose other end echoes every byte: the
// bare limits of the link (plain C, then a bare QSerialPort) against the window
// in answer-driven sending with comparison on, the view off and on; then the
// window's memory over 200,000 shown frames, and timed sending at 1 ms against
// an empty timer of the same period. Last, the window against pakto-peer holding
// every reply back 2 ms: the median round trip with the view on and off.
//
// The machine is shared, and its speed drifts by several times within a minute,
// so the four ping-pongs take turns in short trials, round after round: each
// ratio is taken within one round, and the median over the rounds is reported.
// Every figure is printed as the median and the best of its trials.
#include "farend.h"
#include "mainwindowprobe.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ROUNDS = 12;
constexpr int TRIAL_MS = 1000;
constexpr int TIMED_RUN_MS = 10000;
constexpr int MEMORY_RUN_LIMIT_MS = 300000;
constexpr int POLL_MS = 20;
constexpr int SETTLE_MS = 50;
constexpr double VIEW_OFF_TARGET = 0.9;
constexpr double VIEW_ON_TARGET = 0.8;
constexpr double TIMED_TARGET = 900;
constexpr int PEER_DELAY_MS = 2;
constexpr int PEER_START_MS = 5000;
constexpr int DELAYED_ROUNDS = 6;
constexpr double DELAYED_VIEW_ON_TARGET = 1.1;
// The view holds its 8,000 lines after 4,000 frames (two lines each).
const std::vector<quint64> RSS_CHECKPOINTS = {10000, 50000, 100000, 150000, 200000};

// The window's default test data, so every ping-pong carries the same frame.
const QByteArray PAYLOAD = QByteArray::fromHex("0001020304050607");

QByteArray frameOf(const QByteArray &body)
{
    QByteArray frame(FRAME_BUF_SIZE, '\0');
    const int length =
        ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()), body.size(),
                         reinterpret_cast<uint8_t *>(frame.data()), frame.size());
    frame.truncate(length);
    return frame;
}

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

double perSecond(quint64 count, const QElapsedTimer &clock)
{
    return double(count) * 1e9 / double(clock.nsecsElapsed());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double best(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}
// pakto-peer on a pseudo-terminal of its own, holding every reply back.
class DelayedPeer
{
public:
    DelayedPeer()
    {
        peer.start(
            QStringLiteral(PAKTO_PEER_PATH),
            {QStringLiteral("--pty"), QStringLiteral("--delay"), QString::number(PEER_DELAY_MS)});
        while (!peer.canReadLine() && peer.waitForReadyRead(PEER_START_MS)) {
        }
        path = QString::fromLocal8Bit(peer.readLine()).trimmed();
        flushHandle = ::open(qPrintable(path), O_RDWR | O_NOCTTY);
    }
    ~DelayedPeer()
    {
        ::close(flushHandle);
        peer.terminate();
        peer.waitForFinished();
    }

    QString slavePath() const { return path; }

    // Lets the replies still held back arrive, then throws them away.
    void drain()
    {
        QThread::msleep(SETTLE_MS);
        tcflush(flushHandle, TCIOFLUSH);
    }

private:
    QProcess peer;
    QString path;
    int flushHandle = -1;
};

double bareLinkRoundTrips(FarEnd &device, const QByteArray &frame)
{
    char buffer[4096];
    quint64 rounds = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < TRIAL_MS) {
        writeAll(device.slaveFd(), frame.constData(), size_t(frame.size()));
        for (ssize_t got = 0; got < frame.size();)
            got += ::read(device.slaveFd(), buffer, sizeof buffer);
        ++rounds;
    }
    return perSecond(rounds, clock);
}

double bareSerialPortRoundTrips(FarEnd &device, const QByteArray &frame)
{
    QSerialPort port;
    port.setPortName(device.slavePath());
    if (!port.open(QIODevice::ReadWrite))
        return 0;
    quint64 rounds = 0;
    int pending = 0;
    QObject::connect(&port, &QSerialPort::readyRead, [&] {
        pending += port.readAll().size();
        for (; pending >= frame.size(); pending -= frame.size()) {
            ++rounds;
            port.write(frame);
        }
    });
    QElapsedTimer clock;
    clock.start();
    port.write(frame);
    QEventLoop loop;
    QTimer::singleShot(TRIAL_MS, &loop, &QEventLoop::quit);
    loop.exec();
    const double rate = perSecond(rounds, clock);
    port.close();
    return rate;
}

// The limit of timed sending: an empty 1 ms coarse timer in the same loop.
double bareTimerTicks()
{
    class Ticks : public QObject
    {
    public:
        quint64 count = 0;

    protected:
        void timerEvent(QTimerEvent *) override { ++count; }
    } ticks;
    ticks.startTimer(1, Qt::CoarseTimer);
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer::singleShot(TIMED_RUN_MS, &loop, &QEventLoop::quit);
    loop.exec();
    return perSecond(ticks.count, clock);
}

// Runs the event loop until done() says so or limitMs has passed.
void runUntil(const std::function<bool()> &done, int limitMs)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() >= limitMs)
            loop.quit();
    });
    poll.start(POLL_MS);
    loop.exec();
}

// A window in a working directory of its own, comparison on, both show boxes
// as asked; its port is opened for each run and closed after it.
class WindowUnderTest
{
public:
    WindowUnderTest(const QString &port, bool showView)
        : previousDir(QDir::currentPath()), window(nullptr, enter(port)),
          ui(MainWindowProbe::ui(window))
    {
        window.show();
        ui->comb_sers->setCurrentIndex(ui->comb_sers->findText(port));
        ui->cb_trxCmp->setChecked(true);
        ui->cb_txShow->setChecked(showView);
        ui->cb_rxShow->setChecked(showView);
    }
    ~WindowUnderTest() { QDir::setCurrent(previousDir); }

    const TrafficCounters &counters() { return MainWindowProbe::counters(window); }
    double roundTripMs(double percentile)
    {
        return MainWindowProbe::roundTrips(window).percentile(percentile);
    }

    // Answer-driven sending until done() or limitMs; round trips per second.
    double answerDriven(const std::function<bool()> &done, int limitMs)
    {
        return run(ui->btn_txAck, done, limitMs, [this] { return counters().cntRxPackets; });
    }

    // Timed sending at 1 ms for limitMs; frames sent per second.
    double timed(int limitMs)
    {
        ui->le_txTm->setText(QStringLiteral("1"));
        return run(
            ui->btn_txAuto, [] { return false; }, limitMs,
            [this] { return counters().cntTxPackets; });
    }

private:
    WindowOptions enter(const QString &port)
    {
        QDir::setCurrent(workDir.path());
        return WindowOptions{{port}, true};
    }

    // Closing the port stops the mode through its own stop path.
    double run(QPushButton *mode, const std::function<bool()> &done, int limitMs,
               const std::function<quint64()> &count)
    {
        ui->btn_ser_conn->click();
        QElapsedTimer clock;
        clock.start();
        mode->click();
        runUntil(done, limitMs);
        const double rate = perSecond(count(), clock);
        ui->btn_ser_conn->click();
        return rate;
    }

    QString previousDir;
    QTemporaryDir workDir; // entered before the window reads its settings
    MainWindow window;
    Ui::MainWindow *ui;
};

struct Rounds {
    std::vector<double> bareLink, bareSerialPort, viewOff, viewOn;
    std::vector<double> viewOffRatio, viewOnRatio;
};

// The order of the four trials turns from round to round, so that none of
// them always runs first after the pause between trials.
Rounds interleavedRounds(FarEnd &device, const QByteArray &frame)
{
    WindowUnderTest quiet(device.slavePath(), false);
    WindowUnderTest shown(device.slavePath(), true);
    const auto trial = [] { return false; };
    Rounds rounds;
    const std::vector<std::function<void()>> trials = {
        [&] { rounds.bareLink.push_back(bareLinkRoundTrips(device, frame)); },
        [&] { rounds.bareSerialPort.push_back(bareSerialPortRoundTrips(device, frame)); },
        [&] { rounds.viewOff.push_back(quiet.answerDriven(trial, TRIAL_MS)); },
        [&] { rounds.viewOn.push_back(shown.answerDriven(trial, TRIAL_MS)); },
    };
    for (int round = 0; round < ROUNDS; ++round) {
        for (size_t i = 0; i < trials.size(); ++i) {
            trials[(size_t(round) + i) % trials.size()]();
            device.drain(SETTLE_MS);
        }
        rounds.viewOffRatio.push_back(rounds.viewOff.back() / rounds.bareSerialPort.back());
        rounds.viewOnRatio.push_back(rounds.viewOn.back() / rounds.bareSerialPort.back());
    }
    return rounds;
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

void printRates(const char *name, const std::vector<double> &rates)
{
    std::printf("%-34s median %7.0f, best %7.0f round trips/s\n", name, median(rates), best(rates));
}

void printRatio(const char *name, const std::vector<double> &ratios, double target)
{
    const double typical = median(ratios);
    std::printf("%-34s median %.2fx bare QSerialPort, range %.2fx..%.2fx (target >= %.1fx: %s)\n",
                name, typical, *std::min_element(ratios.begin(), ratios.end()), best(ratios),
                target, verdict(typical >= target));
}

void memoryOverShownFrames(FarEnd &device)
{
    WindowUnderTest shown(device.slavePath(), true);
    std::vector<double> rssMiB;
    const double rate = shown.answerDriven(
        [&] {
            const quint64 frames = shown.counters().cntRxPackets;
            if (rssMiB.size() < RSS_CHECKPOINTS.size() && frames >= RSS_CHECKPOINTS[rssMiB.size()])
                rssMiB.push_back(residentMiB());
            return rssMiB.size() == RSS_CHECKPOINTS.size();
        },
        MEMORY_RUN_LIMIT_MS);
    device.drain(SETTLE_MS);
    std::printf("%-34s %llu frames at %.0f round trips/s; comparisons ok %llu, failed %llu\n",
                "window, view on, long run",
                static_cast<unsigned long long>(shown.counters().cntRxPackets), rate,
                static_cast<unsigned long long>(shown.counters().cntCmpOk),
                static_cast<unsigned long long>(shown.counters().cntCmpFail));
    std::printf("%-34s RSS", "");
    for (size_t i = 0; i < rssMiB.size(); ++i)
        std::printf("%s %.1f MiB at %llu", i ? "," : "", rssMiB[i],
                    static_cast<unsigned long long>(RSS_CHECKPOINTS[i]));
    std::printf(" frames\n");
}

// The view's draws must not show in the round trips it reports: the median
// with the view on against the median with it off, round after round.
void delayedRoundTrips()
{
    DelayedPeer peer;
    std::vector<double> viewOffMs, viewOnMs, ratios, viewOffTailMs, viewOnTailMs;
    // A window of its own for each trial: a window keeps the frame it sent last
    // outstanding across a restart, and would match each reply to the frame before.
    const auto trial = [&](bool showView) {
        WindowUnderTest window(peer.slavePath(), showView);
        window.answerDriven([] { return false; }, TRIAL_MS);
        (showView ? viewOnMs : viewOffMs).push_back(window.roundTripMs(50));
        (showView ? viewOnTailMs : viewOffTailMs).push_back(window.roundTripMs(99));
        peer.drain();
    };
    for (int round = 0; round < DELAYED_ROUNDS; ++round) {
        trial(round % 2);
        trial(round % 2 == 0);
        ratios.push_back(viewOnMs.back() / viewOffMs.back());
    }
    const double typical = median(ratios);
    std::printf("%-34s round trip with the view off p50 %.3f ms, p99 %.3f ms; on p50 %.3f ms, "
                "p99 %.3f ms\n",
                "window, echo delayed 2 ms", median(viewOffMs), median(viewOffTailMs),
                median(viewOnMs), median(viewOnTailMs));
    std::printf("%-34s median %.3fx the view off, range %.3fx..%.3fx (target <= %.2fx: %s)\n",
                "window, delayed echo, view on", typical,
                *std::min_element(ratios.begin(), ratios.end()), best(ratios),
                DELAYED_VIEW_ON_TARGET, verdict(typical <= DELAYED_VIEW_ON_TARGET));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FarEnd device;
    const QByteArray frame = frameOf(PAYLOAD);
    std::printf("frame of %d payload bytes, %d bytes on the line, echoed through %s; %d rounds of "
                "%d ms trials\n",
                PAYLOAD.size(), frame.size(), qPrintable(device.slavePath()), ROUNDS, TRIAL_MS);

    const Rounds rounds = interleavedRounds(device, frame);
    printRates("bare C ping-pong", rounds.bareLink);
    printRates("bare QSerialPort ping-pong", rounds.bareSerialPort);
    printRates("window, answer-driven, view off", rounds.viewOff);
    printRates("window, answer-driven, view on", rounds.viewOn);
    printRatio("window, view off", rounds.viewOffRatio, VIEW_OFF_TARGET);
    printRatio("window, view on", rounds.viewOnRatio, VIEW_ON_TARGET);
    std::fflush(stdout);

    memoryOverShownFrames(device);
    std::fflush(stdout);

    const double ticks = bareTimerTicks();
    std::printf("%-34s %7.0f ticks/s over %d s\n", "bare 1 ms coarse timer", ticks,
                TIMED_RUN_MS / 1000);
    WindowUnderTest timedWindow(device.slavePath(), false);
    const double timed = timedWindow.timed(TIMED_RUN_MS);
    std::printf("%-34s %7.0f frames/s over %d s, %.2fx the bare timer (target >= %.0f: %s)\n",
                "window, timed sending, 1 ms", timed, TIMED_RUN_MS / 1000, timed / ticks,
                TIMED_TARGET, verdict(timed >= TIMED_TARGET));
    std::fflush(stdout);

    delayedRoundTrips();
    return 0;
}
