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
// Every figure is printed as the median and the best of its trials. The window
// as driven is in bench_link_window.cpp, the delayed echo in bench_link_delayed.cpp.
#include "bench_link.h"
#include "farend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int ROUNDS = 12;
constexpr int TIMED_RUN_MS = 10000;
constexpr int MEMORY_RUN_LIMIT_MS = 300000;
constexpr double VIEW_OFF_TARGET = 0.9;
constexpr double VIEW_ON_TARGET = 0.8;
constexpr double TIMED_TARGET = 990; // of 1,000 due: the period kept on the clock
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

void printRates(const char *name, const std::vector<double> &rates)
{
    std::printf("%-34s median %7.0f, best %7.0f round trips/s\n", name, median(rates), best(rates));
}

void printRatio(const char *name, const std::vector<double> &ratios, double target)
{
    const double typical = median(ratios);
    std::printf("%-34s median %.2fx bare QSerialPort, range %.2fx..%.2fx (target >= %.1fx: %s)\n",
                name, typical, worst(ratios), best(ratios), target, verdict(typical >= target));
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

void timedAgainstBareTimer(FarEnd &device)
{
    const double ticks = bareTimerTicks();
    std::printf("%-34s %7.0f ticks/s over %d s\n", "bare 1 ms coarse timer", ticks,
                TIMED_RUN_MS / 1000);
    WindowUnderTest window(device.slavePath(), false);
    const double timed = window.timed(TIMED_RUN_MS);
    std::printf("%-34s %7.0f frames/s over %d s, %.2fx the bare timer (target >= %.0f: %s)\n",
                "window, timed sending, 1 ms", timed, TIMED_RUN_MS / 1000, timed / ticks,
                TIMED_TARGET, verdict(timed >= TIMED_TARGET));
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

    timedAgainstBareTimer(device);
    std::fflush(stdout);

    delayedRoundTrips();
    return 0;
}
