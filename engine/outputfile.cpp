#include "outputfile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Short writes are taken up again, so that a failure comes with its reason.
bool writeAll(QIODevice &device, const QByteArray &bytes, QString &why)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            why = device.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

// A regular file, or none yet: written whole or not at all, so that an
// earlier file stays when this one cannot be written. Unbuffered: a write
// that fails only when the buffer is flushed at the commit would not stop
// the commit, which would then put an empty file in the earlier one's place.
bool writeWhole(const QString &path, const QByteArray &bytes, QString &why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = file.errorString();
        return false;
    }
    if (!writeAll(file, bytes, why))
        return false; // never committed: the file stays as it was
    if (file.commit())
        return true;
    why = file.errorString();
    return false;
}

} // namespace

std::unique_ptr<QFile> openWithoutWaiting(const QString &path, QString &why)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    if (file->open(fd, QIODevice::WriteOnly | QIODevice::Text, QFileDevice::AutoCloseHandle))
        return file;
    why = file->errorString();
    ::close(fd);
    return nullptr;
}

bool writeThrough(QFile &file, const QByteArray &bytes, QString &why)
{
    if (!writeAll(file, bytes, why))
        return false;
    if (file.flush())
        return true;
    why = file.errorString();
    return false;
}

bool writeOutputFile(const QString &path, const QByteArray &bytes, QString &why)
{
    const QFileInfo file(path);
    if (!file.exists() || file.isFile())
        return writeWhole(path, bytes, why);
    const std::unique_ptr<QFile> through = openWithoutWaiting(path, why);
    return through && writeThrough(*through, bytes, why);
}
