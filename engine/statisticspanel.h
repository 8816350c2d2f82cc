// The statistics panel: what the window shows every 300 ms and a headless run
// prints at its end, as text in the interface language.
#pragma once

#include "latencyhistogram.h"
#include "ledger.h"
#include "trafficcounters.h"

#include <QString>
#include <QStringList>

#include <optional>

class LinkSession;

// Everything the panel tells, taken from a session at one moment.
struct PanelFacts {
    TrafficCounters counters;
    LatencyHistogram roundTrips;
    quint64 sendRateBps = 0;
    Ledger::Second lastSecond;
    std::optional<UartErrors> uart;
    bool comparing = false;
    bool bitTest = false; // the bit error test's counts are the ones that matter
    bool portOpen = false;
    int bitsPerCharacter = 10;
    qint64 baud = 0;
    QStringList portNotes; // about the open port's line
    QString payloadNote;   // what of the payload is not sent; empty: all of it
    QString capturePath;   // empty: no capture
    QString awayPort;      // the lost port waited for; empty: none
    double outageS = 0;    // the time the port was away
    double runS = -1;      // the run's time as measured; < 0: the seconds counted
};

// Beyond this share of a line's capacity, bytes did not wait for the baud
// rate: the port is not paced at it (a pseudo-terminal, say).
constexpr double PACED_SLACK = 1.05;

PanelFacts panelFacts(const LinkSession &session);

// Paragraphs separated by line breaks, the run time first where it counts.
QString statisticsPanel(const PanelFacts &facts);
