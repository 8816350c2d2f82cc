// What the command line tells the window before it is built.
#pragma once

#include <QStringList>

struct WindowOptions {
    // Port paths the system does not enumerate (pseudo-terminals, symlinks),
    // listed after the enumerated ports on every refresh.
    QStringList extraPorts;
    // No one is there to click: warnings go to stderr instead of modal boxes,
    // and the settings file is read but never written.
    bool unattended = false;
};
