// Decides which replies get the run's fault: every Nth one, or each one with a
// probability drawn from a seeded generator so that a run can be repeated.
#pragma once

#include "fault.h"

#include <QRandomGenerator>

class FaultPlan
{
public:
    // No reply is ever spoiled.
    FaultPlan() = default;
    // Replies N, 2N, 3N, ... (counting from 1) get the fault.
    static FaultPlan everyNth(Fault fault, int n);
    // Each reply gets the fault with probability rate.
    static FaultPlan random(Fault fault, double rate, quint32 seed);

    // The fault for the next reply, Fault::None for a clean one.
    Fault next();

private:
    bool strikes();

    Fault fault = Fault::None;
    int every = 0; // 0: random
    double rate = 0;
    QRandomGenerator generator;
    quint64 replies = 0;
};
