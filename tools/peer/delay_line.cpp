#include "delay_line.h"

namespace {
constexpr qint64 NS_PER_MS = 1000000;
} // namespace

DelayLine::DelayLine(int delayMs) : delayMs(delayMs)
{
    clock.start();
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &DelayLine::releaseDue);
}

void DelayLine::push(const Reply &reply)
{
    if (delayMs == 0) {
        emit due(reply);
        return;
    }
    waiting.push_back({clock.nsecsElapsed() + delayMs * NS_PER_MS, reply});
    if (!timer.isActive())
        armForFront();
}

void DelayLine::clear()
{
    waiting.clear();
    timer.stop();
}

void DelayLine::releaseDue()
{
    while (!waiting.empty() && waiting.front().dueAtNs <= clock.nsecsElapsed()) {
        const Reply reply = waiting.front().reply;
        waiting.pop_front();
        emit due(reply);
    }
    if (!waiting.empty())
        armForFront();
}

// Rounded up: a reply never leaves before its time.
void DelayLine::armForFront()
{
    const qint64 dueInNs = qMax<qint64>(0, waiting.front().dueAtNs - clock.nsecsElapsed());
    timer.start(int((dueInNs + NS_PER_MS - 1) / NS_PER_MS));
}
