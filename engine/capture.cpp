#include "capture.h"
#include "outputfile.h"

#include <QFileInfo>

bool Capture::open(const QString &path, QString &why)
{
    close();
    filePath = path;
    file = openWithoutWaiting(path, why);
    if (!file)
        return false;
    // A stream the process holds goes on where it is: only a regular file of
    // the capture's own holds an earlier capture.
    holdsEarlier = heldDescriptor(path) < 0 && QFileInfo(path).isFile();
    return true;
}

// A failure shows at the next line.
void Capture::empty()
{
    if (file && holdsEarlier)
        file->resize(0);
    holdsEarlier = false;
}

bool Capture::write(const QString &line, QString &why)
{
    return writeBytes((line + QLatin1Char('\n')).toUtf8(), why);
}

bool Capture::writeBytes(const QByteArray &bytes, QString &why)
{
    if (holdsEarlier)
        empty();
    if (writeThrough(*file, bytes, why))
        return true;
    close();
    return false;
}

void Capture::close()
{
    file.reset();
}
