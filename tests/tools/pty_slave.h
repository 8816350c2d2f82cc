// The tool's end of the peer's pseudo-terminal, opened by its path, raw.
#pragma once

#include <QByteArray>
#include <QString>

class PtySlave
{
public:
    explicit PtySlave(const QString &path);
    ~PtySlave();
    PtySlave(const PtySlave &) = delete;
    PtySlave &operator=(const PtySlave &) = delete;

    bool isOpen() const { return fd >= 0; }
    bool write(const QByteArray &bytes);
    // What has arrived, waiting up to timeoutMs for the first byte.
    QByteArray read(int timeoutMs);

private:
    int fd = -1;
};
