// What a headless run makes of the settings file: the problems that refuse
// it, the values adjusted before use, and the session's settings, the
// command line deciding over the file.
#pragma once

#include "engine/sessionsettings.h"
#include "runplan.h"

#include <QStringList>

struct RunSettings {
    QStringList problems; // each makes the test meaningless: the run is refused
    QStringList warnings; // values adjusted before use: the run goes on
    SessionSettings session;
    QString payloadText;  // the payload sent, as the file writes it; "random" for random ones
    bool english = false; // the panel's language
};

// Reads the INI file at path for the values the plan uses, each finding
// naming the file and the key. A missing file is fine: the defaults hold, as
// for a link to nothing, which is a warning.
// Anything but a regular file is refused unopened (a FIFO would block).
RunSettings readRunSettings(const QString &path, const HeadlessPlan &plan);

// The run's language, read first, so that every message of the run is in it.
// Chinese where the file cannot be read.
bool settingsSayEnglish(const QString &path);
