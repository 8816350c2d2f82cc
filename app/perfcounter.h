// Monotonic high-resolution counter for frame time stamps.
#pragma once

#include <QtGlobal>

namespace perfcounter {

// Current reading, in ticks of frequency() per second.
quint64 now();

// Ticks per second; constant for the life of the process.
quint64 frequency();

// Milliseconds from origin to reading, in double precision.
double elapsedMs(quint64 origin, quint64 reading, quint64 frequency);

} // namespace perfcounter
