#include "delay_line.h"

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
    waiting.push_back({clock.elapsed() + delayMs, reply});
    if (!timer.isActive())
        armForFront();
}

void DelayLine::releaseDue()
{
    while (!waiting.empty() && waiting.front().dueAtMs <= clock.elapsed()) {
        const Reply reply = waiting.front().reply;
        waiting.pop_front();
        emit due(reply);
    }
    if (!waiting.empty())
        armForFront();
}

void DelayLine::armForFront()
{
    timer.start(int(qMax<qint64>(0, waiting.front().dueAtMs - clock.elapsed())));
}
