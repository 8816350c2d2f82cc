#include "line_pace.h"

#include <cmath>

namespace {
constexpr double NS_PER_S = 1e9;
constexpr double MS_PER_S = 1e3;
// An idle line saves up no more than this much time: a timer that fires late
// costs nothing, yet no burst runs far ahead of the line.
constexpr double SLACK_S = 0.05;
} // namespace

LinePace::LinePace(int charBits) : charBits(charBits)
{
    clock.start();
}

qint64 LinePace::allowance(qint64 baud)
{
    const qint64 nowNs = clock.nsecsElapsed();
    const double earned = double(nowNs - lastNs) / NS_PER_S * bytesPerSecond(baud);
    credit = std::fmin(credit + earned, std::fmax(1.0, bytesPerSecond(baud) * SLACK_S));
    lastNs = nowNs;
    return qint64(credit);
}

int LinePace::msUntilNext(qint64 baud) const
{
    const double missing = 1.0 - (credit - std::floor(credit));
    return int(std::fmax(1.0, std::ceil(missing / bytesPerSecond(baud) * MS_PER_S)));
}
