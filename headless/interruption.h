// SIGINT and SIGTERM during a headless run. The handler only notes the signal
// and writes it into a pipe, which wakes the event loop to stop the run
// through its normal path; waits outside the event loop read the note. A
// second signal ends the process at once.
#pragma once

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <csignal>
#include <memory>

class Interruption
{
public:
    Interruption();
    ~Interruption(); // the default actions come back
    Interruption(const Interruption &) = delete;
    Interruption &operator=(const Interruption &) = delete;

    // The first signal caught, 0 while none.
    static int signalNumber() { return firstSignal; }
    // True once the event loop has seen a signal at least ms ago.
    bool seenFor(int ms) const { return sinceSeen.isValid() && sinceSeen.hasExpired(ms); }

private:
    static void handle(int signalNumber);
    void readPipe();

    static inline int pipeEnds[2] = {-1, -1};
    static inline volatile sig_atomic_t firstSignal = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    QElapsedTimer sinceSeen;
};
