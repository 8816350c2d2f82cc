// Round trips over a pseudo-terminal whose other end echoes every byte: first
// the bare limits of the link (plain C, then a bare QSerialPort), then the
// window in answer-driven sending with the view off and on, then timed sending
// at a 1 ms period. Prints every figure and the ratios against the targets.
#include "mainwindowprobe.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int BARE_RUN_MS = 5000;
constexpr int WINDOW_RUN_MS = 10000;
constexpr int TIMED_RUN_MS = 10000;
constexpr int VIEW_RUN_LIMIT_MS = 300000;
constexpr quint64 VIEW_RUN_FRAMES = 200000;
constexpr quint64 RSS_EARLY_FRAMES = 10000;
constexpr int POLL_MS = 20;
constexpr int SETTLE_MS = 100;
constexpr double VIEW_OFF_TARGET = 0.8;
constexpr double VIEW_ON_TARGET = 0.5;
constexpr double TIMED_TARGET = 900;

// The window's default test data, so every run carries the same frame.
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

bool writeAll(int fd, const char *bytes, size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written <= 0)
            return false;
        bytes += written;
        count -= size_t(written);
    }
    return true;
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

// The device: a thread echoing every byte it reads, in plain C.
class EchoDevice
{
public:
    EchoDevice()
    {
        openpty(&master, &slave, nullptr, nullptr, nullptr);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(ttyname(slave));
        echo = std::thread([this] { run(); });
    }
    ~EchoDevice()
    {
        stopping = true;
        echo.join();
        ::close(master);
        ::close(slave);
    }

    QString slavePath() const { return path; }
    int slaveFd() const { return slave; }

    // Lets the last frame of a run come back, then throws away what is left.
    void drain()
    {
        QThread::msleep(SETTLE_MS);
        tcflush(slave, TCIOFLUSH);
    }

private:
    void run()
    {
        char buffer[65536];
        while (!stopping) {
            pollfd watched{master, POLLIN, 0};
            if (poll(&watched, 1, POLL_MS) <= 0)
                continue;
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0)
                writeAll(master, buffer, size_t(got));
        }
    }

    int master = -1;
    int slave = -1;
    QString path;
    std::atomic<bool> stopping{false};
    std::thread echo;
};

double perSecond(quint64 count, const QElapsedTimer &clock)
{
    return double(count) * 1e9 / double(clock.nsecsElapsed());
}

double bareLinkRoundTrips(EchoDevice &device, const QByteArray &frame)
{
    char buffer[4096];
    quint64 rounds = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < BARE_RUN_MS) {
        writeAll(device.slaveFd(), frame.constData(), size_t(frame.size()));
        for (ssize_t got = 0; got < frame.size();)
            got += ::read(device.slaveFd(), buffer, sizeof buffer);
        ++rounds;
    }
    return perSecond(rounds, clock);
}

double bareSerialPortRoundTrips(EchoDevice &device, const QByteArray &frame)
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
    QTimer::singleShot(BARE_RUN_MS, &loop, &QEventLoop::quit);
    loop.exec();
    const double rate = perSecond(rounds, clock);
    port.close();
    return rate;
}

// A window in a working directory of its own, its port open on the device.
class WindowUnderTest
{
public:
    explicit WindowUnderTest(EchoDevice &device)
        : previousDir(QDir::currentPath()), window(nullptr, enter(device)),
          ui(MainWindowProbe::ui(window))
    {
        window.show();
        ui->comb_sers->setCurrentIndex(ui->comb_sers->findText(device.slavePath()));
        ui->btn_ser_conn->click();
        ui->cb_trxCmp->setChecked(true);
    }
    ~WindowUnderTest() { QDir::setCurrent(previousDir); }

    const TrafficCounters &counters() { return MainWindowProbe::counters(window); }

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

private:
    WindowOptions enter(EchoDevice &device)
    {
        QDir::setCurrent(workDir.path());
        return WindowOptions{{device.slavePath()}, true};
    }

    QString previousDir;
    QTemporaryDir workDir; // entered before the window reads its settings

public:
    MainWindow window;
    Ui::MainWindow *ui;
};

struct AnswerDrivenRun {
    quint64 frames = 0;
    double roundTripsPerSecond = 0;
    quint64 comparedOk = 0;
    quint64 comparedFailed = 0;
    double rssEarlyMiB = 0;
    double rssEndMiB = 0;
};

AnswerDrivenRun answerDriven(EchoDevice &device, bool showView, quint64 frameLimit, int timeLimitMs)
{
    WindowUnderTest under(device);
    under.ui->cb_txShow->setChecked(showView);
    under.ui->cb_rxShow->setChecked(showView);
    AnswerDrivenRun run;
    QElapsedTimer clock;
    clock.start();
    under.ui->btn_txAck->click();
    under.runUntil(
        [&] {
            const quint64 frames = under.counters().cntRxPackets;
            if (run.rssEarlyMiB == 0 && frames >= RSS_EARLY_FRAMES)
                run.rssEarlyMiB = residentMiB();
            return frames >= frameLimit;
        },
        timeLimitMs);
    under.ui->btn_txAck->click();
    run.frames = under.counters().cntRxPackets;
    run.roundTripsPerSecond = perSecond(run.frames, clock);
    run.rssEndMiB = residentMiB();
    run.comparedOk = under.counters().cntCmpOk;
    run.comparedFailed = under.counters().cntCmpFail;
    return run;
}

double timedFramesPerSecond(EchoDevice &device)
{
    WindowUnderTest under(device);
    under.ui->le_txTm->setText(QStringLiteral("1"));
    QElapsedTimer clock;
    clock.start();
    under.ui->btn_txAuto->click();
    under.runUntil([] { return false; }, TIMED_RUN_MS);
    under.ui->btn_txAuto->click();
    return perSecond(under.counters().cntTxPackets, clock);
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

void printAnswerDriven(const char *name, const AnswerDrivenRun &run, double bareSerialPort,
                       double target)
{
    const double ratio = run.roundTripsPerSecond / bareSerialPort;
    std::printf("%-34s %9.0f round trips/s  %.2fx bare QSerialPort (target >= %.1fx: %s)\n", name,
                run.roundTripsPerSecond, ratio, target, verdict(ratio >= target));
    std::printf("%-34s comparisons ok %llu, failed %llu\n", "",
                static_cast<unsigned long long>(run.comparedOk),
                static_cast<unsigned long long>(run.comparedFailed));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    EchoDevice device;
    const QByteArray frame = frameOf(PAYLOAD);
    std::printf("frame of %d payload bytes, %d bytes on the line, echoed through %s\n",
                PAYLOAD.size(), frame.size(), qPrintable(device.slavePath()));

    const double bareLink = bareLinkRoundTrips(device, frame);
    device.drain();
    std::printf("%-34s %9.0f round trips/s\n", "bare C ping-pong", bareLink);
    const double bareSerialPort = bareSerialPortRoundTrips(device, frame);
    device.drain();
    std::printf("%-34s %9.0f round trips/s  (%.2fx bare C)\n", "bare QSerialPort ping-pong",
                bareSerialPort, bareSerialPort / bareLink);
    std::fflush(stdout);

    const AnswerDrivenRun viewOff = answerDriven(device, false, ~quint64(0), WINDOW_RUN_MS);
    device.drain();
    printAnswerDriven("window, answer-driven, view off", viewOff, bareSerialPort, VIEW_OFF_TARGET);
    std::fflush(stdout);

    const AnswerDrivenRun viewOn = answerDriven(device, true, VIEW_RUN_FRAMES, VIEW_RUN_LIMIT_MS);
    device.drain();
    printAnswerDriven("window, answer-driven, view on", viewOn, bareSerialPort, VIEW_ON_TARGET);
    std::printf("%-34s RSS %.1f MiB at %llu frames, %.1f MiB at %llu frames\n", "",
                viewOn.rssEarlyMiB, static_cast<unsigned long long>(RSS_EARLY_FRAMES),
                viewOn.rssEndMiB, static_cast<unsigned long long>(viewOn.frames));
    std::fflush(stdout);

    const double timed = timedFramesPerSecond(device);
    std::printf("%-34s %9.0f frames/s over %d s (target >= %.0f: %s)\n",
                "window, timed sending, 1 ms", timed, TIMED_RUN_MS / 1000, TIMED_TARGET,
                verdict(timed >= TIMED_TARGET));
    return 0;
}
