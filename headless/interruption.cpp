#include "interruption.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int WATCHED[] = {SIGINT, SIGTERM};
constexpr int SHELL_SIGNAL_BASE = 128; // exit status of a process a signal ended

} // namespace

Interruption::Interruption()
{
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        return; // the signals keep their default action: the run simply dies
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { readPipe(); });
    struct sigaction action {
    };
    action.sa_handler = &Interruption::handle;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : WATCHED)
        sigaddset(&action.sa_mask, signalNumber); // one handler at a time
    action.sa_flags = SA_RESTART;
    for (int signalNumber : WATCHED)
        sigaction(signalNumber, &action, nullptr);
}

Interruption::~Interruption()
{
    for (int signalNumber : WATCHED)
        std::signal(signalNumber, SIG_DFL);
    notifier.reset();
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    firstSignal = 0;
}

// Async-signal-safe: a flag, one write or _exit, errno left as it was.
void Interruption::handle(int signalNumber)
{
    if (firstSignal != 0)
        _exit(SHELL_SIGNAL_BASE + signalNumber);
    firstSignal = signalNumber;
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void Interruption::readPipe()
{
    char byte;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        if (!sinceSeen.isValid())
            sinceSeen.start();
    }
}
