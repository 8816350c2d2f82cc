// Full-speed sending. First its frame rate against a bare C loop that encodes
// the same frames and writes them to a pseudo-terminal, the window comparing
// the echoes with its view off; the two take turns in short trials, round
// after round, and the median ratio is reported (the machine is shared).
// Then line use against pakto-peer --line-rate at 115,200 and 921,600 baud:
// after a second to fill the buffers, 10 s of full-speed sending, each
// direction's line bytes at 10 bits a byte against the line's capacity; and
// the same for the bit error test's stream against the peer in raw mode.
#include "app/mainwindow.h"
#include "engine/linksession.h"
#include "farend.h"
#include "windowpart.h"
#include "workdir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int ROUNDS = 9;
constexpr int TRIAL_MS = 1000;
constexpr int WARM_UP_MS = 1000;
constexpr int LINE_RUN_MS = 10000;
constexpr int BITS_PER_BYTE_ON_LINE = 10;
constexpr double FRAME_RATE_TARGET = 0.8;
constexpr double LINE_USE_TARGET = 0.97;
const QByteArray PAYLOAD = QByteArray::fromHex("0001020304050607"); // the window's default
double bareLoopFrames(FarEnd &sink)
{
    uint8_t frame[FRAME_BUF_SIZE];
    quint64 frames = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < TRIAL_MS) {
        const int length = ppp_frame_encode(reinterpret_cast<const uint8_t *>(PAYLOAD.constData()),
                                            PAYLOAD.size(), frame, sizeof frame);
        frames += ::write(sink.slaveFd(), frame, size_t(length)) == length;
    }
    return double(frames) * 1e9 / double(clock.nsecsElapsed());
}

// Returns the seconds it really ran.
double runEventLoop(int ms)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    return double(clock.nsecsElapsed()) / 1e9;
}

// A window in a scratch folder of its own, comparison on, the view off; the
// window lists the port it is given first and selects it.
class StreamingWindow
{
public:
    explicit StreamingWindow(const QString &port) : window({port})
    {
        windowPart<QCheckBox>(window, "cb_trxCmp")->setChecked(true);
    }

    void start(const QString &baud)
    {
        windowPart<QComboBox>(window, "comb_bps")->setCurrentText(baud);
        windowPart<QPushButton>(window, "btn_ser_conn")->click();
        windowPart<QPushButton>(window, "btn_txFull")->click();
    }
    void stop() { windowPart<QPushButton>(window, "btn_ser_conn")->click(); }
    const TrafficCounters &counters() const { return window.session().ledger().counters(); }

    double framesPerSecond()
    {
        start(QStringLiteral("115200"));
        QElapsedTimer clock;
        clock.start();
        runEventLoop(TRIAL_MS);
        const double rate = double(counters().cntTxPackets) * 1e9 / double(clock.nsecsElapsed());
        stop();
        return rate;
    }

private:
    TestWorkDir scratch; // entered before the window reads its settings
    MainWindow window;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool compareFrameRates()
{
    FarEnd sink(false), echo(true);
    StreamingWindow window(echo.slavePath());
    std::vector<double> bare, full, ratios;
    for (int round = 0; round < ROUNDS; ++round) {
        bare.push_back(bareLoopFrames(sink));
        full.push_back(window.framesPerSecond());
        ratios.push_back(full.back() / bare.back());
    }
    const double ratio = median(ratios);
    std::printf("bare loop %.0f frames/s, full-speed window %.0f frames/s (medians of %d)\n",
                median(bare), median(full), ROUNDS);
    std::printf("full-speed / bare loop: %.2fx (target %.1fx) %s\n", ratio, FRAME_RATE_TARGET,
                ratio >= FRAME_RATE_TARGET ? "ok" : "BELOW TARGET");
    return ratio >= FRAME_RATE_TARGET;
}

struct LineUse {
    double tx, rx;
    quint64 noReply; // or, in the bit error test, its errors and losses
};

LineUse lineUseAgainstPacedPeer(qint64 baud)
{
    QProcess peer;
    peer.start(PAKTO_PEER_PATH, {"--pty", "--line-rate"});
    peer.waitForReadyRead(10000);
    const QString port = QString::fromLocal8Bit(peer.readLine()).trimmed();
    StreamingWindow window(port);
    window.start(QString::number(baud));
    runEventLoop(WARM_UP_MS);
    const TrafficCounters before = window.counters();
    const double seconds = runEventLoop(LINE_RUN_MS);
    const TrafficCounters &after = window.counters();
    const double capacity = double(baud) * seconds / BITS_PER_BYTE_ON_LINE;
    const LineUse use{double(after.cntTxLineBytes - before.cntTxLineBytes) / capacity,
                      double(after.cntRxBytes - before.cntRxBytes) / capacity, after.cntNoReply};
    window.stop();
    peer.terminate();
    peer.waitForFinished();
    return use;
}

// The session alone: the stream needs no window to be measured.
LineUse bitTestLineUse(qint64 baud)
{
    QProcess peer;
    peer.start(PAKTO_PEER_PATH, {"--pty", "--mode", "raw", "--line-rate"});
    peer.waitForReadyRead(10000);
    LinkSession session;
    SessionSettings settings;
    settings.line.baud = int(baud);
    session.configure(settings);
    session.open(QString::fromLocal8Bit(peer.readLine()).trimmed());
    session.start(SendMode::BitErrorTest);
    runEventLoop(WARM_UP_MS);
    const TrafficCounters before = session.ledger().counters();
    const double seconds = runEventLoop(LINE_RUN_MS);
    const TrafficCounters &after = session.ledger().counters();
    const double capacity = double(baud) * seconds / BITS_PER_BYTE_ON_LINE;
    const LineUse use{double(after.cntTxLineBytes - before.cntTxLineBytes) / capacity,
                      double(after.cntRxBytes - before.cntRxBytes) / capacity,
                      after.cntBitErrors + after.cntSyncLosses};
    std::printf("bit error test at %lld baud: %llu bits compared\n", static_cast<long long>(baud),
                static_cast<unsigned long long>(after.cntBits));
    session.close();
    peer.terminate();
    peer.waitForFinished();
    return use;
}

// What failed is no reply in the framed mode, a bit error or a lost sync in the bit error test.
bool measureLineUse(const char *what, LineUse (*measure)(qint64), const char *failures)
{
    bool met = true;
    for (const qint64 baud : {115200, 921600}) {
        const LineUse use = measure(baud);
        const bool ok = use.tx >= LINE_USE_TARGET && use.rx >= LINE_USE_TARGET && use.noReply == 0;
        std::printf("%s line use at %lld baud: tx %.1f%%, rx %.1f%%, %s %llu (target %.0f%%) %s\n",
                    what, static_cast<long long>(baud), 100 * use.tx, 100 * use.rx, failures,
                    static_cast<unsigned long long>(use.noReply), 100 * LINE_USE_TARGET,
                    ok ? "ok" : "BELOW TARGET");
        met = met && ok;
    }
    return met;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool rates = compareFrameRates();
    const bool lineUse = measureLineUse("full speed", lineUseAgainstPacedPeer, "no reply");
    const bool bitTest =
        measureLineUse("bit error test", bitTestLineUse, "bit errors and sync losses");
    return rates && lineUse && bitTest ? 0 : 1;
}
