// The report's parts made from what the ledger kept: counts, round trips,
// the UART's errors, the timeline and the bit error test.
#pragma once

#include "codec/prbs.h"

#include <QJsonObject>
#include <QJsonValue>

class LatencyHistogram;
class Ledger;
class Timeline;
struct TrafficCounters;

// Exact up to 2^53, far beyond any run.
QJsonValue countValue(quint64 value);
// The run's counts and send rate, one object for the report and the metrics alike.
QJsonObject countersOf(const Ledger &ledger);
// Only where a reply matched: the samples taken, the matches that gave none,
// and the statistics, null without samples.
QJsonObject roundTrips(const LatencyHistogram &trips, quint64 ambiguous);
// The increase of the UART's own counts; null where the port keeps none.
QJsonValue uartErrors(const Ledger &ledger);
// Its entries; their bit counts null but in the bit error test.
QJsonArray timelineOf(const Timeline &timeline, bool bitTest);
// When the port was lost and back (null: never), how long, what it gave up, and why.
QJsonArray outagesOf(const Ledger &ledger);
// The bits compared, their errors, the ratio and its bound at 95% confidence.
QJsonValue bitErrorTestOf(PrbsSequence sequence, const TrafficCounters &counters);
