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
    stream = std::make_unique<QTextStream>(file.get());
    holdsEarlier = true;
    return true;
}

// Only a regular file holds an earlier capture; a failure shows at the next line.
void Capture::empty()
{
    if (file && QFileInfo(filePath).isFile())
        file->resize(0);
    holdsEarlier = false;
}

bool Capture::write(const QString &line, QString &why)
{
    if (holdsEarlier)
        empty();
    *stream << line << Qt::endl;
    if (stream->status() == QTextStream::Ok && file->error() == QFileDevice::NoError)
        return true;
    why = file->errorString();
    close();
    return false;
}

void Capture::close()
{
    if (!stream)
        return;
    stream->flush();
    file->close();
    stream.reset();
    file.reset();
}
