#include "scoped_symlink.h"

#include <QFile>
#include <QFileInfo>

ScopedSymlink::~ScopedSymlink()
{
    remove();
}

void ScopedSymlink::remove()
{
    if (!made.isEmpty())
        QFile::remove(made);
    made.clear();
}

bool ScopedSymlink::create(const QString &linkPath, const QString &target, QString &error)
{
    const QFileInfo existing(linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (existing.isSymLink())
        QFile::remove(linkPath);
    if (!QFile::link(target, linkPath)) {
        error = QStringLiteral("cannot make the link %1").arg(linkPath);
        return false;
    }
    made = linkPath;
    return true;
}
