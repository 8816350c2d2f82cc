// A pseudo-terminal for serial tests: the window opens the slave by its path
// (as with --port), the test plays the device on the master side.
// The helper keeps a slave descriptor open all its life: with no slave open the
// master reads EIO and the line drops data, and QSerialPort's TIOCEXCL refuses
// any later open, so line settings are read through this descriptor. The line
// starts raw. Every wait pumps the Qt event loop so the window keeps running.
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
    ~PseudoTerminal() { closeMaster(); if (slave >= 0) ::close(slave); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return master >= 0 && slave >= 0 && !path.isEmpty(); }
    QString slavePath() const { return path; }
    termios slaveTermios() const // the line settings as the window left them
    {
        termios settings{};
        tcgetattr(slave, &settings);
        return settings;
    }
    bool setSlaveTermios(const termios &line) { return tcsetattr(slave, TCSANOW, &line) == 0; }

    bool write(const QByteArray &bytes) // as the device
    {
        for (qint64 done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && (errno != EAGAIN || !waitForMaster(POLLOUT, 1000)))
                return false;
            done += qMax<ssize_t>(n, 0);
        }
        return true;
    }
    // What the window sends within timeoutMs (all of it, or up to count bytes).
    QByteArray readAll(int timeoutMs) { return readUntil(-1, timeoutMs); }
    QByteArray readExactly(int count, int timeoutMs) { return readUntil(count, timeoutMs); }

    // The device goes away: the window's side hangs up.
    void closeMaster() { if (master >= 0) ::close(master); master = -1; }

private:
    QByteArray readUntil(int count, int timeoutMs)
    {
        QByteArray received;
        const QDeadlineTimer deadline(timeoutMs);
        char chunk[4096];
        while (count < 0 || received.size() < count) {
            QCoreApplication::processEvents();
            const size_t room = count < 0 ? sizeof chunk : size_t(count - received.size());
            const ssize_t got = master >= 0 ? ::read(master, chunk, qMin(sizeof chunk, room)) : -1;
            if (got > 0)
                received.append(chunk, int(got));
            else if (deadline.hasExpired() || master < 0)
                break;
            else
                waitForMaster(POLLIN, 5);
        }
        return received;
    }
    bool waitForMaster(short events, int timeoutMs)
    {
        pollfd watched{master, events, 0};
        return master >= 0 && poll(&watched, 1, timeoutMs) > 0;
    }

    int master = -1, slave = -1;
    QString path;
};
