// Files a run writes: as it goes (the capture), or at its end (the report,
// the plot, the JUnit file).
#pragma once

#include <QFile>
#include <QString>

#include <memory>

// Opens path for writing without waiting, so that a FIFO no one reads is an
// error and not a hang; the descriptor then blocks again, so that a slow
// reader gets every byte. Creates a missing file, truncates none. Null, and
// why in the system's words, when it cannot.
std::unique_ptr<QFile> openWithoutWaiting(const QString &path, QString &why);

// A FIFO with a reader, a character device, stdout: written as it goes.
bool writeThrough(QFile &file, const QByteArray &bytes, QString &why);

// A regular file, or none yet, is written whole or not at all: an earlier
// one stays as it was when the new one cannot be written. A FIFO or a
// device is written through. False, and why, when it could not be.
bool writeOutputFile(const QString &path, const QByteArray &bytes, QString &why);
