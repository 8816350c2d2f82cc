#include "outputfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MOST_LINK_HOPS = 40; // as the system follows them

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The path with its folder's links resolved, so that /dev/fd/1 reads /proc/PID/fd/1.
QString withRealFolder(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// Where a link points, read from its folder; empty when path is no link.
QString linkTarget(const QString &path)
{
    char target[PATH_MAX];
    const ssize_t length =
        ::readlink(QFile::encodeName(path).constData(), target, sizeof target - 1);
    if (length < 0)
        return {};
    const QString to = QFile::decodeName(QByteArray(target, int(length)));
    return QDir(QFileInfo(path).absolutePath()).absoluteFilePath(to);
}

// N of /proc/self/fd/N or /proc/PID/fd/N with this process's PID.
int descriptorNamed(const QString &path)
{
    static const QRegularExpression named(QStringLiteral("^/proc/(self|\\d+)/fd/(\\d+)$"));
    const QRegularExpressionMatch match = named.match(path);
    const bool ours = match.captured(1) == QLatin1String("self") ||
                      match.captured(1).toLongLong() == qint64(::getpid());
    return match.hasMatch() && ours ? match.captured(2).toInt() : -1;
}

// Where a file that does not exist yet is made: a dangling link makes its target.
QString madeAt(const QString &path)
{
    QString hop = path;
    for (int hops = 0; hops < MOST_LINK_HOPS && !linkTarget(hop).isEmpty(); ++hops)
        hop = linkTarget(hop);
    return hop;
}

QString whyFolderUnwritable(const QString &file)
{
    const QString folder = QFileInfo(file).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0)
        return {};
    return reason(errno);
}

QString whyExistingUnwritable(const QString &path, const struct stat &status)
{
    if (S_ISDIR(status.st_mode))
        return reason(EISDIR);
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return reason(errno);
    if (!S_ISREG(status.st_mode))
        return {}; // a FIFO or a device: written through
    // Replaced whole by a new file made beside the one the links lead to.
    return whyFolderUnwritable(QFileInfo(path).canonicalFilePath());
}

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

// A descriptor of its own, sharing the held one's offset and flags; the
// process's buffered streams go first, so that what they hold comes before.
int shareHeld(int held)
{
    std::fflush(nullptr);
    return ::fcntl(held, F_DUPFD_CLOEXEC, 0);
}

int openFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

int heldDescriptor(const QString &path)
{
    QString hop = path;
    for (int hops = 0; hops < MOST_LINK_HOPS && !hop.isEmpty(); ++hops) {
        hop = withRealFolder(hop);
        if (const int held = descriptorNamed(hop); held >= 0)
            return held;
        hop = linkTarget(hop);
    }
    return -1;
}

QString whyUnwritable(const QString &path)
{
    if (const int held = heldDescriptor(path); held >= 0) {
        const int flags = ::fcntl(held, F_GETFL);
        return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY ? QString() : reason(EBADF);
    }
    struct stat status {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return whyExistingUnwritable(path, status);
    if (errno != ENOENT)
        return reason(errno);
    return whyFolderUnwritable(madeAt(path));
}

std::unique_ptr<QFile> openWithoutWaiting(const QString &path, QString &why)
{
    const int held = heldDescriptor(path);
    const int fd = held >= 0 ? shareHeld(held) : openFile(path);
    if (fd < 0) {
        why = reason(errno);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
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
    if (heldDescriptor(path) < 0 && (!file.exists() || file.isFile()))
        return writeWhole(path, bytes, why);
    const std::unique_ptr<QFile> through = openWithoutWaiting(path, why);
    return through && writeThrough(*through, bytes, why);
}
