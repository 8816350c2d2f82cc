// A pseudo-terminal: the window opens the slave by its path, the test plays the device on
// the master side. A slave descriptor stays open (without one the master reads EIO), and line
// settings are read through it. The line starts raw; every wait runs the Qt event loop.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            return;
        path = QString::fromLocal8Bit(ttyname(slave));
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        termios raw = slaveTermios();
        cfmakeraw(&raw);
        setSlaveTermios(raw);
    }
    ~PseudoTerminal()
    {
        closeMaster();
        ::close(slave);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return master >= 0 && !path.isEmpty(); }
    QString slavePath() const { return path; }
    termios slaveTermios() const // the line settings as the window left them
    {
        termios settings{};
        tcgetattr(slave, &settings);
        return settings;
    }
    bool setSlaveTermios(const termios &line) { return tcsetattr(slave, TCSANOW, &line) == 0; }
    bool write(QByteArray bytes) // as the device
    {
        while (!bytes.isEmpty()) {
            const ssize_t n = ::write(master, bytes.constData(), size_t(bytes.size()));
            if (n < 0 && (errno != EAGAIN || !waitForMaster(POLLOUT, 1000)))
                return false;
            bytes.remove(0, int(qMax<ssize_t>(n, 0)));
        }
        return true;
    }
    // What the window sends within timeoutMs: all of it, or up to count bytes.
    QByteArray readAll(int timeoutMs) { return readExactly(INT_MAX, timeoutMs); }
    QByteArray readExactly(int count, int timeoutMs)
    {
        QByteArray received;
        char chunk[4096];
        for (const QDeadlineTimer end(timeoutMs); received.size() < count && master >= 0;) {
            QCoreApplication::processEvents();
            const size_t room = size_t(qMin<qint64>(sizeof chunk, count - received.size()));
            if (const ssize_t got = ::read(master, chunk, room); got > 0)
                received.append(chunk, int(got));
            else if (end.hasExpired())
                break;
            else
                waitForMaster(POLLIN, 5);
        }
        return received;
    }
    void closeMaster() { ::close(std::exchange(master, -1)); } // the device goes away

private:
    bool waitForMaster(short events, int timeoutMs)
    {
        pollfd watched{master, events, 0};
        return poll(&watched, 1, timeoutMs) > 0;
    }

    int master = -1, slave = -1;
    QString path;
};
