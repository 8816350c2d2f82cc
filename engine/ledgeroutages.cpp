// The ledger's record of a port that went away and came back: what the loss
// gave up, and how long each outage lasted.
#include "ledger.h"

void Ledger::portLost(double nowMs, const QString &reason)
{
    const quint64 unansweredBefore = counts.cntNoReply;
    giveUpAll(nowMs);
    ++counts.cntOutages;
    away = true;
    awaySinceMs = nowMs;
    seconds.portAway(nowMs);
    if (lost.size() < MOST_OUTAGES)
        lost.push_back(
            {(nowMs - originMs) / 1000, -1, counts.cntNoReply - unansweredBefore, reason});
}

void Ledger::portBack(double nowMs)
{
    if (!away)
        return;
    away = false;
    awayMs += nowMs - awaySinceMs;
    seconds.portBack(nowMs);
    if (!lost.empty() && lost.back().backS < 0)
        lost.back().backS = (nowMs - originMs) / 1000;
}
