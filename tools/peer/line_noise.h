// Spoils what raw mode sends back as a poor line would: every Nth byte lost,
// as by a receiver that slips a character, and each bit of the rest flipped
// with a fixed probability once a clean start is through, so that a bit error
// test can lock onto its pattern first. Seeded, so a run can be repeated.
#pragma once

#include "reply_builder.h"

#include <QRandomGenerator>

class LineNoise
{
public:
    // slipEvery 0: no byte is lost.
    LineNoise(double bitErrorRate, int slipEvery, quint32 seed);

    // Spoils reply.wire and notes in the reply what it did. Calls must follow
    // the order the bytes are sent in.
    void spoil(Reply &reply);

private:
    bool slips();
    char withBitErrors(char byte, quint64 &flipped);

    double bitErrorRate;
    int slipEvery;
    QRandomGenerator generator;
    quint64 offered = 0; // bytes given to spoil, lost ones included
    quint64 passed = 0;  // bytes let through
};
