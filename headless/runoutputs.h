// The files a headless run writes, looked at before any is opened: none may
// be the settings file, the port, or another output of the same run, and
// each must be one that can be written.
#pragma once

#include "runplan.h"

#include <QString>
#include <QStringList>

struct OutputClash {
    QString message;   // names both, or the one and why; empty when there is none
    QStringList paths; // as given: outputs among them are not written either
    explicit operator bool() const { return !message.isEmpty(); }
};

// With several links, link's own file (from 0): "-N" before the name's
// extension, or at its end; with one link, path itself.
QString linkOutputPath(const QString &path, int link, int links);

// Compares what the paths name, through links, descriptors and "..": the
// device and inode of a file or stream that exists, else its canonical
// folder and its name.
OutputClash findOutputClash(const HeadlessPlan &plan, const QString &settingsPath);

// The first output that could never be written (its folder missing or
// unwritable, a folder in its place), named with the system's reason.
OutputClash findUnwritableOutput(const HeadlessPlan &plan);
