// What each test packet carries: the optional tag with its cycling SID, then
// the typed or random payload.
#pragma once

#include "packet.h"
#include "sessionsettings.h"

#include <memory>

class PayloadBuilder
{
public:
    // The next packet the settings describe; null when memory runs out. The
    // payload yields to the tag: the packet never outgrows its capacity.
    std::unique_ptr<Packet> build(const SessionSettings &settings);

private:
    quint8 takeSid(quint8 sidMin, quint8 sidMax);

    // One sequence for the session: reopening the port or restarting a send
    // mode must not make the peer see SIDs repeat.
    quint8 nextSid = 0;
};

// Why the settings give empty packets, which no frame can carry; empty when
// they give none.
QString emptyPacketProblem(const SessionSettings &settings);

// Random payloads draw from qrand(), seeded from the calendar second: at start
// and, in the window, on every banner tick.
void reseedRandomPayloads();
// Draws of that sequence, for a payload typed at random: a length from
// shortest to longest, and a byte.
int randomLength(int shortest, int longest);
int randomByte();
