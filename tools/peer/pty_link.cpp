#include "pty_link.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const QString &doing)
{
    return QStringLiteral("%1: %2").arg(doing, QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PtyLink::~PtyLink()
{
    readable.reset();
    writable.reset();
    if (master >= 0)
        ::close(master);
    if (slave >= 0)
        ::close(slave);
}

bool PtyLink::open(QString &error)
{
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || !makeSlaveRaw() ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        error = systemError("cannot make a pseudo-terminal");
        return false;
    }
    path = QString::fromLocal8Bit(ttyname(slave));
    readable = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
    writable = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Write);
    writable->setEnabled(false);
    connect(readable.get(), &QSocketNotifier::activated, this, &PtyLink::readAvailable);
    connect(writable.get(), &QSocketNotifier::activated, this, &PtyLink::writePending);
    return true;
}

bool PtyLink::makeSlaveRaw()
{
    termios settings{};
    if (tcgetattr(slave, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(slave, TCSANOW, &settings) == 0;
}

void PtyLink::send(const QByteArray &bytes)
{
    pending += bytes;
    writePending();
}

bool PtyLink::drained() const
{
    int unread = 0;
    return pending.isEmpty() && ioctl(slave, FIONREAD, &unread) == 0 && unread == 0;
}

void PtyLink::readAvailable()
{
    char chunk[4096];
    QByteArray bytes;
    ssize_t got;
    while ((got = ::read(master, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, int(got));
    if (got < 0 && errno != EAGAIN && errno != EINTR)
        emit failed(systemError("reading the pseudo-terminal"));
    if (!bytes.isEmpty())
        emit received(bytes);
}

// The terminal takes only a few kilobytes at a time; the rest waits for the
// tool to read.
void PtyLink::writePending()
{
    while (!pending.isEmpty()) {
        const ssize_t written = ::write(master, pending.constData(), size_t(pending.size()));
        if (written > 0) {
            pending.remove(0, int(written));
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN) {
            pending.clear();
            emit failed(systemError("writing the pseudo-terminal"));
        }
        break;
    }
    writable->setEnabled(!pending.isEmpty());
}
