#include "pty_link.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// Replies not yet taken by the tool, at most: beyond it the device reads no
// more, as a real one whose buffer is full, so that what it counts as sent
// back is what the tool gets to read.
constexpr int MOST_PENDING = 1 << 16;

QString systemError(const QString &doing)
{
    return QStringLiteral("%1: %2").arg(doing, QString::fromLocal8Bit(strerror(errno)));
}

qint64 baudOf(speed_t speed)
{
    static const std::pair<speed_t, qint64> rates[] = {
        {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},
        {B150, 150},         {B200, 200},         {B300, 300},         {B600, 600},
        {B1200, 1200},       {B1800, 1800},       {B2400, 2400},       {B4800, 4800},
        {B9600, 9600},       {B19200, 19200},     {B38400, 38400},     {B57600, 57600},
        {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
        {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000},
        {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
        {B3500000, 3500000}, {B4000000, 4000000}};
    for (const auto &[constant, baud] : rates) {
        if (constant == speed)
            return baud;
    }
    return 0;
}

} // namespace

PtyLink::PtyLink()
{
    resume.setSingleShot(true);
    resume.setTimerType(Qt::PreciseTimer);
    connect(&resume, &QTimer::timeout, this, [this] {
        readable->setEnabled(true);
        writePending();
    });
}

PtyLink::~PtyLink()
{
    closeTerminal();
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

void PtyLink::vanish()
{
    closeTerminal();
    emit vanished();
}

bool PtyLink::reappear(QString &error)
{
    if (!open(error))
        return false;
    emit returned();
    return true;
}

// With no notifier and no timer left, nothing wakes the peer for this link.
void PtyLink::closeTerminal()
{
    resume.stop();
    readable.reset();
    writable.reset();
    pending.clear();
    for (int *end : {&master, &slave}) {
        if (*end >= 0)
            ::close(std::exchange(*end, -1));
    }
}

void PtyLink::paceAtLineRate(int charBits)
{
    readPace.emplace(charBits);
    writePace.emplace(charBits);
}

// The rate the tool set on its side, which the terminal keeps; a rate of no
// known speed stops the paced line.
qint64 PtyLink::lineBaud() const
{
    termios settings{};
    return tcgetattr(slave, &settings) == 0 ? baudOf(cfgetospeed(&settings)) : 0;
}

// Up to wanted bytes, as many as the line lets pass now.
qint64 PtyLink::allowance(std::optional<LinePace> &pace, qint64 wanted)
{
    return pace ? pace->allowance(lineBaud(), wanted) : wanted;
}

void PtyLink::resumeLater(const std::optional<LinePace> &pace)
{
    const qint64 baud = lineBaud();
    if (!resume.isActive())
        resume.start(baud > 0 ? pace->msUntilNext(baud) : 1);
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
    if (master < 0) // gone: the bytes are lost as on an unplugged line
        return;
    pending += bytes;
    writePending();
}

bool PtyLink::drained() const
{
    int unread = 0;
    return master < 0 || (pending.isEmpty() && ioctl(slave, FIONREAD, &unread) == 0 && unread == 0);
}

void PtyLink::readAvailable()
{
    char chunk[4096];
    QByteArray bytes;
    ssize_t got = 0;
    qint64 room = 0;
    if (pending.size() >= MOST_PENDING) {
        readable->setEnabled(false); // until the tool has read some
        return;
    }
    while (pending.size() + bytes.size() < MOST_PENDING &&
           (room = allowance(readPace, sizeof chunk)) > 0 &&
           (got = ::read(master, chunk, size_t(room))) > 0) {
        bytes.append(chunk, int(got));
        if (readPace)
            readPace->spend(got);
    }
    if (room == 0) { // the line holds the rest back
        readable->setEnabled(false);
        resumeLater(readPace);
    }
    if (got < 0 && errno != EAGAIN && errno != EINTR)
        emit failed(systemError("reading the pseudo-terminal"));
    if (!bytes.isEmpty())
        emit received(bytes);
}

// The terminal takes only a few kilobytes at a time; the rest waits for the
// tool to read.
void PtyLink::writePending()
{
    bool heldBack = false;
    while (!pending.isEmpty()) {
        const qint64 room = allowance(writePace, pending.size());
        if ((heldBack = room == 0)) {
            resumeLater(writePace);
            break;
        }
        const ssize_t written = ::write(master, pending.constData(), size_t(room));
        if (written > 0) {
            pending.remove(0, int(written));
            if (writePace)
                writePace->spend(written);
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
    writable->setEnabled(!pending.isEmpty() && !heldBack);
    if (readable && pending.size() < MOST_PENDING)
        readable->setEnabled(true);
}
