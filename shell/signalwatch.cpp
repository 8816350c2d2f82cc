#include "signalwatch.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A closed terminal or a dropped ssh session ends a run as a SIGTERM does.
constexpr int WATCHED[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int SHELL_SIGNAL_BASE = 128; // exit status of a process a signal ended

// A hangup ignored by the one who started us (nohup) stays ignored: the run
// is meant to outlive its terminal. Read once, before any handler is set.
bool ignoredAtStart(int signalNumber)
{
    static const bool hangupIgnored = [] {
        struct sigaction current {
        };
        return sigaction(SIGHUP, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
    }();
    return signalNumber == SIGHUP && hangupIgnored;
}

} // namespace

SignalWatch::~SignalWatch()
{
    notifier.reset();
    releaseSignals();
}

bool SignalWatch::catchSignals(Second second)
{
    if (pipeEnds[0] >= 0)
        return true;
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    endOnSecond = second == Second::EndsProcess;
    struct sigaction action {
    };
    action.sa_handler = &SignalWatch::handle;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : WATCHED)
        sigaddset(&action.sa_mask, signalNumber); // one handler at a time
    action.sa_flags = SA_RESTART;
    for (int signalNumber : WATCHED) {
        if (!ignoredAtStart(signalNumber))
            sigaction(signalNumber, &action, nullptr);
    }
    return true;
}

void SignalWatch::releaseSignals()
{
    for (int signalNumber : WATCHED) {
        if (!ignoredAtStart(signalNumber))
            std::signal(signalNumber, SIG_DFL);
    }
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    first = 0;
}

bool SignalWatch::install(QString &error)
{
    if (!catchSignals(second)) {
        error = QStringLiteral("cannot make the signal pipe");
        return false;
    }
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &SignalWatch::readPipe);
    return true;
}

// Async-signal-safe: a flag, one write or _exit, errno left as it was.
void SignalWatch::handle(int signalNumber)
{
    if (first != 0 && endOnSecond)
        _exit(SHELL_SIGNAL_BASE + signalNumber);
    if (first == 0)
        first = signalNumber;
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void SignalWatch::readPipe()
{
    char byte;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        if (!sinceSeen.isValid())
            sinceSeen.start();
        emit caught(int(byte));
    }
}
