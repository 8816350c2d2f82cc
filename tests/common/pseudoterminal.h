// A pseudo-terminal: the window opens the slave by its path, the test plays the device on
// the master side. A slave descriptor stays open (without one the master reads EIO), and line
// settings are read through it. The line starts raw; every wait runs the Qt event loop.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

#include <fcntl.h>
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

    QString slavePath() const { return QString::fromLocal8Bit(ttyname(slave)); }
    termios slaveTermios() const // the line settings as the window left them
    {
        termios settings{};
        tcgetattr(slave, &settings);
        return settings;
    }
    bool setSlaveTermios(const termios &line) { return tcsetattr(slave, TCSANOW, &line) == 0; }
    bool write(const QByteArray &bytes) // as the device; a full line waits for the reader
    {
        qsizetype done = 0;
        for (const QDeadlineTimer end(5000); done < bytes.size() && !end.hasExpired();) {
            const ssize_t n =
                ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return done == bytes.size();
    }
    QByteArray readAll(int timeoutMs) // what the window sends within timeoutMs
    {
        QByteArray received;
        char chunk[4096];
        for (const QDeadlineTimer end(timeoutMs); master >= 0;) {
            QCoreApplication::processEvents();
            if (const ssize_t got = ::read(master, chunk, sizeof chunk); got > 0)
                received.append(chunk, int(got));
            else if (end.hasExpired())
                break;
            else
                usleep(1000);
        }
        return received;
    }
    void closeMaster() { ::close(std::exchange(master, -1)); } // the device goes away

private:
    int master = -1, slave = -1;
};
