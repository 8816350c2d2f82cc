#include "fault_plan.h"

FaultPlan FaultPlan::everyNth(Fault fault, int n)
{
    FaultPlan plan;
    plan.fault = fault;
    plan.every = n;
    return plan;
}

FaultPlan FaultPlan::random(Fault fault, double rate, quint32 seed)
{
    FaultPlan plan;
    plan.fault = fault;
    plan.rate = rate;
    plan.generator.seed(seed);
    return plan;
}

Fault FaultPlan::next()
{
    ++replies;
    return fault != Fault::None && strikes() ? fault : Fault::None;
}

bool FaultPlan::strikes()
{
    if (every > 0)
        return replies % quint64(every) == 0;
    return generator.generateDouble() < rate;
}
