// SIGINT and SIGTERM during a headless run. The handler only notes the signal
// and writes it into a pipe; the event loop reads the pipe and stops the run
// through its normal path. A second signal ends the process at once.
#pragma once

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
    int signalNumber() const { return caught; }

private:
    static void handle(int signalNumber);
    void readPipe();

    static inline int pipeEnds[2] = {-1, -1};
    static inline volatile sig_atomic_t firstSignal = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    int caught = 0;
};
