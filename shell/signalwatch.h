// SIGINT, SIGTERM and SIGHUP turned into a Qt signal. The handler only notes the
// signal and writes its number into a pipe; the event loop reads it and does
// the work, and waits outside the event loop can read the note.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <memory>

class SignalWatch : public QObject
{
    Q_OBJECT
public:
    // What a second signal does: told like the first, or the process ends at
    // once (128 + its number), for a user who will not wait for a clean end.
    enum class Second { Told, EndsProcess };

    explicit SignalWatch(Second second = Second::Told) : second(second) {}
    ~SignalWatch() override; // the default actions come back
    SignalWatch(const SignalWatch &) = delete;
    SignalWatch &operator=(const SignalWatch &) = delete;

    // Catches the signals from now on, before any application object exists:
    // one that comes while a run is still being set up is noted, and ends the
    // run once it starts. False when the handlers cannot be installed.
    static bool catchSignals(Second second);
    // The default actions come back: for a process that runs no watch.
    static void releaseSignals();
    // Catches the signals, if they are not caught yet, and hears of them in
    // the event loop; false, and why, when the handlers cannot be installed.
    bool install(QString &error);
    // The first signal caught, 0 while none.
    static int firstSignal() { return first; }
    // True once the event loop has seen a signal at least ms ago.
    bool seenFor(int ms) const { return sinceSeen.isValid() && sinceSeen.hasExpired(ms); }

signals:
    void caught(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    const Second second;
    static inline int pipeEnds[2] = {-1, -1};
    static inline volatile sig_atomic_t first = 0;
    static inline volatile sig_atomic_t endOnSecond = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    QElapsedTimer sinceSeen;
};
