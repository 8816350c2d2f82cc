// The window against pakto-peer holding every reply back 2 ms: the median
// round trip with the view on against the view off, round after round.
#include "bench_link.h"

#include <QProcess>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int PEER_DELAY_MS = 2;
constexpr int PEER_START_MS = 5000;
constexpr int DELAYED_ROUNDS = 6;
constexpr double DELAYED_VIEW_ON_TARGET = 1.1;

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

struct DelayedTrips {
    std::vector<double> viewOffMs, viewOnMs, viewOffTailMs, viewOnTailMs, ratios;
};

void printDelayed(const DelayedTrips &trips)
{
    const double typical = median(trips.ratios);
    std::printf("%-34s round trip with the view off p50 %.3f ms, p99 %.3f ms; on p50 %.3f ms, "
                "p99 %.3f ms\n",
                "window, echo delayed 2 ms", median(trips.viewOffMs), median(trips.viewOffTailMs),
                median(trips.viewOnMs), median(trips.viewOnTailMs));
    std::printf("%-34s median %.3fx the view off, range %.3fx..%.3fx (target <= %.2fx: %s)\n",
                "window, delayed echo, view on", typical, worst(trips.ratios), best(trips.ratios),
                DELAYED_VIEW_ON_TARGET, verdict(typical <= DELAYED_VIEW_ON_TARGET));
}

} // namespace

// The view's draws must not show in the round trips it reports.
void delayedRoundTrips()
{
    DelayedPeer peer;
    DelayedTrips trips;
    // A window of its own for each trial: a window keeps the frame it sent last
    // outstanding across a restart, and would match each reply to the frame before.
    const auto trial = [&](bool showView) {
        WindowUnderTest window(peer.slavePath(), showView);
        window.answerDriven([] { return false; }, TRIAL_MS);
        (showView ? trips.viewOnMs : trips.viewOffMs).push_back(window.roundTripMs(50));
        (showView ? trips.viewOnTailMs : trips.viewOffTailMs).push_back(window.roundTripMs(99));
        peer.drain();
    };
    for (int round = 0; round < DELAYED_ROUNDS; ++round) {
        trial(round % 2);
        trial(round % 2 == 0);
        trips.ratios.push_back(trips.viewOnMs.back() / trips.viewOffMs.back());
    }
    printDelayed(trips);
}
