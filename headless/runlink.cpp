#include "runlink.h"
#include "runoutputs.h"
#include "shell/signalwatch.h"

namespace {

// Replies still due when sending stops are let in before the count: until
// nothing is outstanding (and a late duplicate had its moment to arrive), or,
// without a reply timeout to give packets up, until the line has been quiet
// for the longer of QUIET_MS and twice the longest round trip.
constexpr int QUIET_MS = 300;
constexpr int SETTLE_MS = 50;
constexpr quint64 FEWEST_BITS = 1000; // compared by a bit error test that proves anything

} // namespace

RunLink::RunLink(const HeadlessPlan &plan, const SessionSettings &settings, int index)
    : index(index), port(plan.ports[index]),
      capturePath(linkOutputPath(plan.capturePath, index, plan.ports.size())),
      plotPath(linkOutputPath(plan.plotPath, index, plan.ports.size())), plan(plan)
{
    session.configure(settings);
    session.setDrainCutShort([] { return SignalWatch::firstSignal() != 0; });
}

// The session itself sends nothing past the frame limit, whatever the mode.
bool RunLink::sendingDone() const
{
    return ended() ||
           (plan.frameLimit != 0 && session.ledger().counters().cntTxPackets >= plan.frameLimit);
}

bool RunLink::drained() const
{
    const Ledger &ledger = session.ledger();
    const qint64 quietMs = sinceLastByte.elapsed();
    if (session.checksStream())
        return quietMs >= QUIET_MS; // the stream's tail has come back
    if (ledger.expectsReplies() && ledger.outstanding() == 0)
        return quietMs >= SETTLE_MS;
    if (ledger.expectsReplies() && ledger.replyTimeout() > 0)
        return false; // the reply timer gives up what stays unanswered
    return quietMs >= qMax(double(QUIET_MS), 2 * ledger.roundTrips().max());
}

// A capture that would not open, or stopped on a write error, is gone.
QStringList RunLink::reasons(bool pcapFailed) const
{
    const TrafficCounters &c = session.ledger().counters();
    const std::pair<const char *, bool> checks[] = {
        {"tx_errors", c.cntTxErrors != 0},
        {"framing_errors",
         c.cnt7dErrors + c.cntCrcErrors + c.cntLongErrors + c.cntShortErrors != 0},
        {"compare_failed", c.cntCmpFail != 0},
        {"no_reply", c.cntNoReply != 0},
        {"unexpected_frames", c.cntUnexpected != 0},
        {"uart_errors", session.ledger().uartErrors().value_or(UartErrors{}).any()},
        {"port_lost", lost || c.cntOutages != 0},
        {"send_stopped", sendingStopped},
        {"capture_failed", (!capturePath.isEmpty() && !session.capturing()) || pcapFailed},
        {"interrupted", SignalWatch::firstSignal() != 0}};
    QStringList failed;
    for (const auto &[reason, holds] : checks) {
        if (holds)
            failed << QString::fromLatin1(reason);
    }
    if (plan.send == HeadlessSend::BitErrorTest)
        failed << bitTestReasons();
    return failed;
}

// Silence is no proof: a run must compare enough bits. Without a limit any
// bit error or loss of synchronisation fails it; with one, only a bound above it.
QStringList RunLink::bitTestReasons() const
{
    const TrafficCounters &c = session.ledger().counters();
    if (c.cntBits < FEWEST_BITS)
        return {QStringLiteral("no_sync")};
    if (plan.maxBer >= 0)
        return berUpper95(c.cntBitErrors, c.cntBits) > plan.maxBer
                   ? QStringList{QStringLiteral("ber_above_limit")}
                   : QStringList{};
    QStringList failed;
    if (c.cntBitErrors != 0)
        failed << QStringLiteral("bit_errors");
    if (c.cntSyncLosses != 0)
        failed << QStringLiteral("sync_lost");
    return failed;
}
