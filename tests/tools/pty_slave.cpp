#include "pty_slave.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtySlave::PtySlave(const QString &path)
{
    fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (fd >= 0 && tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
}

PtySlave::~PtySlave()
{
    if (fd >= 0)
        ::close(fd);
}

bool PtySlave::write(const QByteArray &bytes)
{
    int done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written >= 0) {
            done += int(written);
            continue;
        }
        pollfd writable{fd, POLLOUT, 0};
        if (errno != EAGAIN || poll(&writable, 1, 1000) <= 0)
            return false;
    }
    return true;
}

QByteArray PtySlave::read(int timeoutMs)
{
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, timeoutMs) <= 0)
        return QByteArray();
    char chunk[4096];
    QByteArray bytes;
    ssize_t got;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, int(got));
    return bytes;
}
