#include "perfcounter.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <time.h>
#endif

namespace perfcounter {

#ifdef Q_OS_WIN

quint64 now()
{
    LARGE_INTEGER reading;
    QueryPerformanceCounter(&reading);
    return quint64(reading.QuadPart);
}

quint64 frequency()
{
    LARGE_INTEGER ticksPerSecond;
    QueryPerformanceFrequency(&ticksPerSecond);
    return quint64(ticksPerSecond.QuadPart);
}

#else

constexpr quint64 NANOSECONDS_PER_SECOND = 1000000000u;

quint64 now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return quint64(ts.tv_sec) * NANOSECONDS_PER_SECOND + quint64(ts.tv_nsec);
}

quint64 frequency()
{
    return NANOSECONDS_PER_SECOND;
}

#endif

double elapsedMs(quint64 origin, quint64 reading, quint64 frequency)
{
    // Unsigned difference, so a reading taken before the origin wraps the same
    // way the 64-bit counter arithmetic does.
    const quint64 elapsed = reading - origin;
    return double(elapsed) * 1000.0 / double(frequency);
}

} // namespace perfcounter
