// What the command line tells the window before it is built.
#pragma once

#include <QStringList>

class QCommandLineParser;

struct WindowOptions {
    // Port paths the system does not enumerate (pseudo-terminals, symlinks),
    // listed after the enumerated ports on every refresh.
    QStringList extraPorts;
    // No one is there to click: warnings go to stderr instead of modal boxes,
    // and the settings file is read but never written.
    bool unattended = false;
};

// The window's own option, --port PATH (repeatable), added to a parser.
void addWindowOptions(QCommandLineParser &parser);
// What the parsed line says for the window; unattended stays false.
WindowOptions readWindowOptions(const QCommandLineParser &parser);
