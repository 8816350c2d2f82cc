// The files a headless run writes, looked at before any is opened: none may
// be the settings file, the port, or another output of the same run.
#pragma once

#include "runplan.h"

#include <QString>
#include <QStringList>

struct OutputClash {
    QString message;   // names both; empty when there is no clash
    QStringList paths; // of both, as given: outputs among them are not written either
    explicit operator bool() const { return !message.isEmpty(); }
};

// Compares what the paths name, through links and "..": the device and inode
// of a file that exists, else its canonical folder and its name.
OutputClash findOutputClash(const HeadlessPlan &plan, const QString &settingsPath);
