// What a headless run finds wrong with the settings file it is about to use,
// looked at before the window reads it.
#pragma once

#include "headlessrun.h"

#include <QStringList>

struct SettingsCheck {
    QStringList problems; // each makes the test meaningless: the run is refused
    QStringList warnings; // values the window adjusts before use: the run goes on
};

// Checks the INI file at path for the values the plan uses, each finding
// naming the file and the key. A missing file is fine: the defaults hold.
// Anything but a regular file is refused unopened (a FIFO would block).
SettingsCheck checkRunSettings(const QString &path, const HeadlessPlan &plan);
