#include "line_pace.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double NS_PER_S = 1e9;
constexpr double MS_PER_S = 1e3;
// An idle line saves up no more than this much time: a timer that fires late
// costs nothing, yet no burst runs far ahead of the line.
constexpr double SLACK_S = 0.05;
// A busy line lets its bytes pass a packet at a time, as a USB serial adapter
// hands them to the host, a millisecond's worth at least and never more than
// ten: a write or a wake-up for each byte would cost the host far more than
// the line.
constexpr double PACKET_BYTES = 64;
constexpr double LEAST_WAIT_S = 0.001;
constexpr double MOST_WAIT_S = 0.01;
} // namespace

LinePace::LinePace(int charBits) : charBits(charBits)
{
    clock.start();
}

qint64 LinePace::allowance(qint64 baud, qint64 wanted)
{
    const qint64 nowNs = clock.nsecsElapsed();
    const double earned = double(nowNs - lastNs) / NS_PER_S * bytesPerSecond(baud);
    credit = std::fmin(credit + earned, std::fmax(1.0, bytesPerSecond(baud) * SLACK_S));
    lastNs = nowNs;
    const bool enough = credit >= std::fmin(double(wanted), packetBytes(baud));
    return enough ? std::min(wanted, qint64(credit)) : 0;
}

int LinePace::msUntilNext(qint64 baud) const
{
    const double missing = packetBytes(baud) - credit;
    return int(std::fmax(1.0, std::ceil(missing / bytesPerSecond(baud) * MS_PER_S)));
}

double LinePace::packetBytes(qint64 baud) const
{
    const double perSecond = bytesPerSecond(baud);
    return std::fmax(1.0,
                     std::clamp(PACKET_BYTES, perSecond * LEAST_WAIT_S, perSecond * MOST_WAIT_S));
}
