// Files written as the run goes (the capture, a report to a FIFO or a device).
#pragma once

#include <QFile>
#include <QString>

#include <memory>

// Opens path for writing without waiting, so that a FIFO no one reads is an
// error and not a hang; the descriptor then blocks again, so that a slow
// reader gets every byte. Creates a missing file, truncates none. Null, and
// why in the system's words, when it cannot.
std::unique_ptr<QFile> openWithoutWaiting(const QString &path, QString &why);
