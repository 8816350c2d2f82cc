#include "signalwatch.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int WATCHED[] = {SIGINT, SIGTERM};
constexpr int SHELL_SIGNAL_BASE = 128; // exit status of a process a signal ended

} // namespace

SignalWatch::~SignalWatch()
{
    for (int signalNumber : WATCHED)
        std::signal(signalNumber, SIG_DFL);
    notifier.reset();
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    first = 0;
}

bool SignalWatch::install(QString &error)
{
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = QStringLiteral("cannot make the signal pipe");
        return false;
    }
    endOnSecond = second == Second::EndsProcess;
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &SignalWatch::readPipe);
    struct sigaction action {
    };
    action.sa_handler = &SignalWatch::handle;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : WATCHED)
        sigaddset(&action.sa_mask, signalNumber); // one handler at a time
    action.sa_flags = SA_RESTART;
    for (int signalNumber : WATCHED)
        sigaction(signalNumber, &action, nullptr);
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
