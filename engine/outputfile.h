// Files a run writes: as it goes (the capture), or at its end (the report,
// the plot, the JUnit file).
#pragma once

#include <QFile>
#include <QString>

#include <memory>

// The descriptor path leads to when it names one the process already holds
// (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, or a link to one):
// such an output is written there, in place. -1 when it names none.
int heldDescriptor(const QString &path);

// Why path could never be written as an output, in the system's words: a
// missing or unwritable folder, a folder in its place, a descriptor not open.
// Empty when it may be (a FIFO's reader, a disk's room show only later).
QString whyUnwritable(const QString &path);

// Opens path for writing without waiting, so that a FIFO no one reads is an
// error and not a hang; the descriptor then blocks again, so that a slow
// reader gets every byte. Creates a missing file, truncates none; a held
// descriptor is shared, so that it goes on where the process's stream is.
// Unbuffered: a short write is taken up again and a failure has its reason.
// Null, and why in the system's words, when it cannot.
std::unique_ptr<QFile> openWithoutWaiting(const QString &path, QString &why);

// A FIFO with a reader, a character device, stdout: written as it goes.
bool writeThrough(QFile &file, const QByteArray &bytes, QString &why);

// A regular file, or none yet, is written whole or not at all: an earlier
// one stays as it was when the new one cannot be written. A FIFO, a device
// or a held descriptor is written through. False, and why, when it could not be.
bool writeOutputFile(const QString &path, const QByteArray &bytes, QString &why);
