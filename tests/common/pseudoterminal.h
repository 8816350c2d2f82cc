// A pseudo-terminal for serial tests: the window opens the slave side by its
// path (as with --port), the test plays the device on the master side.
//
// Choices:
// - The helper holds a slave descriptor of its own for its whole life. With no
//   slave open the master reads EIO and the line drops what was written, so
//   the window may open and close the slave as often as it likes.
// - QSerialPort sets TIOCEXCL on the slave it opens, which refuses any later
//   open of the path; line settings are read through the descriptor held from
//   the start (they belong to the terminal, not to a descriptor).
// - The line starts raw, so bytes pass unchanged even before the window sets
//   its own line settings.
// - Every wait pumps the Qt event loop, so the window under test keeps running.
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

    ~PseudoTerminal()
    {
        closeMaster();
        if (slave >= 0)
            ::close(slave);
    }

    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return master >= 0 && slave >= 0 && !path.isEmpty(); }

    // The path to give the window, such as /dev/pts/3.
    QString slavePath() const { return path; }

    // The line settings as the window left them.
    termios slaveTermios() const
    {
        termios settings{};
        tcgetattr(slave, &settings);
        return settings;
    }

    bool setSlaveTermios(const termios &settings)
    {
        return tcsetattr(slave, TCSANOW, &settings) == 0;
    }

    // Sends bytes as the device would.
    bool write(const QByteArray &bytes)
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t written =
                ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (written < 0 && (errno != EAGAIN || !waitForMaster(POLLOUT, 1000)))
                return false;
            done += qMax<ssize_t>(written, 0);
        }
        return true;
    }

    // Everything the window sends within timeoutMs.
    QByteArray readAll(int timeoutMs) { return readUntil(-1, timeoutMs); }

    // The first count bytes the window sends, or fewer if timeoutMs passes first.
    QByteArray readExactly(int count, int timeoutMs) { return readUntil(count, timeoutMs); }

    // The device goes away: the window's side of the line hangs up.
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

private:
    QByteArray readUntil(int count, int timeoutMs)
    {
        QByteArray received;
        const QDeadlineTimer deadline(timeoutMs);
        while (count < 0 || received.size() < count) {
            QCoreApplication::processEvents();
            received += readAvailable(count < 0 ? -1 : count - received.size());
            if (deadline.hasExpired() || master < 0)
                break;
            waitForMaster(POLLIN, 5);
        }
        return received;
    }

    QByteArray readAvailable(int limit)
    {
        char chunk[4096];
        QByteArray bytes;
        while (master >= 0 && (limit < 0 || bytes.size() < limit)) {
            const size_t wanted =
                limit < 0 ? sizeof chunk : qMin(sizeof chunk, size_t(limit - bytes.size()));
            const ssize_t got = ::read(master, chunk, wanted);
            if (got <= 0)
                break;
            bytes.append(chunk, int(got));
        }
        return bytes;
    }

    bool waitForMaster(short events, int timeoutMs)
    {
        pollfd watched{master, events, 0};
        return master >= 0 && poll(&watched, 1, timeoutMs) > 0;
    }

    int master = -1;
    int slave = -1;
    QString path;
};
