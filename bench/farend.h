// The far end of a pseudo-terminal for the benchmarks: a thread that reads
// everything the window writes and, as an echoing device, writes it back.
#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

inline bool writeAll(int fd, const char *bytes, size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written <= 0)
            return false;
        bytes += written;
        count -= size_t(written);
    }
    return true;
}

class FarEnd
{
public:
    explicit FarEnd(bool echoing = true) : echoing(echoing)
    {
        openpty(&master, &slave, nullptr, nullptr, nullptr);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(ttyname(slave));
        reader = std::thread([this] { run(); });
    }
    ~FarEnd()
    {
        stopping = true;
        reader.join();
        ::close(master);
        ::close(slave);
    }
    FarEnd(const FarEnd &) = delete;
    FarEnd &operator=(const FarEnd &) = delete;

    QString slavePath() const { return path; }
    int slaveFd() const { return slave; }

    // Lets the last frame of a trial come back, then throws away what is left,
    // so that the next trial starts with nothing in flight.
    void drain(int settleMs)
    {
        QThread::msleep(static_cast<unsigned long>(settleMs));
        tcflush(slave, TCIOFLUSH);
    }

private:
    void run()
    {
        constexpr int POLL_MS = 20;
        char buffer[65536];
        while (!stopping) {
            pollfd watched{master, POLLIN, 0};
            if (poll(&watched, 1, POLL_MS) <= 0)
                continue;
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (echoing && got > 0)
                writeAll(master, buffer, size_t(got));
        }
    }

    const bool echoing;
    int master = -1, slave = -1;
    QString path;
    std::atomic<bool> stopping{false};
    std::thread reader;
};
