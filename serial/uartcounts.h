// The UART's own error counts: as the driver keeps them since boot (each wraps
// at 2^32), or a run's increase since a baseline.
#pragma once

#include <QtGlobal>

struct UartErrors {
    quint32 frame = 0;
    quint32 overrun = 0;
    quint32 parity = 0;
    quint32 brk = 0;
    quint32 bufOverrun = 0;

    UartErrors since(const UartErrors &baseline) const
    {
        return {frame - baseline.frame, overrun - baseline.overrun, parity - baseline.parity,
                brk - baseline.brk, bufOverrun - baseline.bufOverrun};
    }
    bool any() const { return (frame | overrun | parity | brk | bufOverrun) != 0; }
    quint64 total() const { return quint64(frame) + overrun + parity + brk + bufOverrun; }
};
