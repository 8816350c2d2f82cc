#include "link_outages.h"

#include <QTimer>

LinkOutages::LinkOutages(const OutagePlan &plan, PtyLink &pty, ScopedSymlink &symlink,
                         const QString &linkPath)
    : plan(plan), pty(pty), symlink(symlink), linkPath(linkPath)
{
}

void LinkOutages::start()
{
    clock.start();
    scheduleNext();
}

void LinkOutages::scheduleNext()
{
    current = plan.next();
    if (current)
        QTimer::singleShot(msUntil(current->atMs), Qt::PreciseTimer, this, &LinkOutages::goAway);
}

// The link goes first, so that no one opens a terminal about to close.
void LinkOutages::goAway()
{
    symlink.remove();
    pty.vanish();
    if (current->awayMs)
        QTimer::singleShot(msUntil(current->atMs + *current->awayMs), Qt::PreciseTimer, this,
                           &LinkOutages::comeBack);
}

void LinkOutages::comeBack()
{
    QString error;
    if (!pty.reappear(error) || !symlink.create(linkPath, pty.slavePath(), error)) {
        emit failed(error);
        return;
    }
    scheduleNext();
}

// Measured from the start, so that late timers do not add up.
int LinkOutages::msUntil(qint64 atMs) const
{
    return int(qMax<qint64>(0, atMs - clock.elapsed()));
}
