#include "outage_plan.h"

#include <QStringList>

namespace {

// A day: far beyond any test run, and every time stays within a timer's range.
constexpr qint64 LONGEST_MS = 24 * 3600 * 1000;

bool readMs(const QString &text, qint64 &ms)
{
    bool ok = false;
    ms = text.toLongLong(&ok);
    return ok && ms >= 0 && ms <= LONGEST_MS;
}

// "AT:AWAY", AWAY a number or "never".
bool readOutage(const QString &text, Outage &outage)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    qint64 awayMs = 0;
    if (parts.size() != 2 || !readMs(parts[0], outage.atMs))
        return false;
    if (parts[1] == QLatin1String("never"))
        outage.awayMs.reset();
    else if (readMs(parts[1], awayMs))
        outage.awayMs = awayMs;
    else
        return false;
    return true;
}

} // namespace

bool OutagePlan::parseList(const QString &text, OutagePlan &plan, QString &error)
{
    for (const QString &item : text.split(QLatin1Char(','))) {
        Outage outage{};
        if (!readOutage(item, outage)) {
            error = QStringLiteral("--vanish wants AT:AWAY[,AT:AWAY...] in milliseconds, AWAY "
                                   "a number or 'never', not '%1'")
                        .arg(text);
            return false;
        }
        if (!plan.append(outage, error))
            return false;
    }
    return true;
}

bool OutagePlan::append(const Outage &outage, QString &error)
{
    const Outage *last = listed.empty() ? nullptr : &listed.back();
    if (last && !last->awayMs) {
        error = QStringLiteral("--vanish: nothing can follow 'never'");
        return false;
    }
    if (last && outage.atMs < last->atMs + *last->awayMs) {
        error = QStringLiteral("--vanish: %1 ms is before the return at %2 ms")
                    .arg(outage.atMs)
                    .arg(last->atMs + *last->awayMs);
        return false;
    }
    listed.push_back(outage);
    return true;
}

bool OutagePlan::parsePeriodic(const QString &text, OutagePlan &plan, QString &error)
{
    Outage outage{};
    if (!readOutage(text, outage) || !outage.awayMs || outage.atMs <= *outage.awayMs) {
        error = QStringLiteral("--vanish-every wants PERIOD:AWAY in milliseconds, AWAY shorter "
                               "than PERIOD, not '%1'")
                    .arg(text);
        return false;
    }
    plan.periodMs = outage.atMs;
    plan.periodicAwayMs = *outage.awayMs;
    return true;
}

std::optional<Outage> OutagePlan::next()
{
    if (periodMs > 0)
        return Outage{++periodsServed * periodMs, periodicAwayMs};
    if (listed.empty())
        return std::nullopt;
    const Outage outage = listed.front();
    listed.pop_front();
    return outage;
}
