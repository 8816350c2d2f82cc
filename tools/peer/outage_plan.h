// When the peer's pseudo-terminal goes away and for how long: a list of
// outages, or one that comes back every period.
#pragma once

#include <QString>

#include <deque>
#include <optional>

struct Outage {
    qint64 atMs;                  // from the start of the run
    std::optional<qint64> awayMs; // none: it never comes back
};

class OutagePlan
{
public:
    // No outage at all.
    OutagePlan() = default;

    // From "AT:AWAY[,AT:AWAY...]" in milliseconds, AWAY a number or "never".
    // False with a message in error when the text is malformed, an outage
    // starts before the previous one is over, or one follows "never".
    static bool parseList(const QString &text, OutagePlan &plan, QString &error);
    // From "PERIOD:AWAY": outages at PERIOD, 2 PERIOD, ... each AWAY long,
    // which must be shorter than PERIOD.
    static bool parsePeriodic(const QString &text, OutagePlan &plan, QString &error);

    bool isEmpty() const { return listed.empty() && periodMs == 0; }
    // The outage after the previous one, or none when the plan is used up.
    std::optional<Outage> next();

private:
    // Appends outage unless it starts before the last one is over.
    bool append(const Outage &outage, QString &error);

    std::deque<Outage> listed;
    qint64 periodMs = 0; // 0: the listed outages only
    qint64 periodicAwayMs = 0;
    qint64 periodsServed = 0;
};
