#include "signal_watch.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int WATCHED[] = {SIGINT, SIGTERM};

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
}

bool SignalWatch::install(QString &error)
{
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = QStringLiteral("cannot make the signal pipe");
        return false;
    }
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &SignalWatch::readPipe);
    struct sigaction action {
    };
    action.sa_handler = &SignalWatch::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : WATCHED)
        sigaction(signalNumber, &action, nullptr);
    return true;
}

// Async-signal-safe: one write, errno left as it was.
void SignalWatch::handle(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void SignalWatch::readPipe()
{
    char byte;
    while (::read(pipeEnds[0], &byte, 1) == 1)
        emit caught(int(byte));
}
