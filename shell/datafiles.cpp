#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// The program's folder is only known once the application object exists.
QStringList programDataFolders()
{
    if (!QCoreApplication::instance())
        return {};
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, programFolder + QStringLiteral("/../share/pakto")};
}

} // namespace

QString findDataFile(const QString &relativePath)
{
    const QString local = QStringLiteral("./") + relativePath;
    if (QFileInfo::exists(local))
        return local;
    for (const QString &folder : programDataFolders()) {
        const QString candidate = QDir::cleanPath(folder + QLatin1Char('/') + relativePath);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return local;
}
