// The program's command line.
#pragma once

#include "headlessrun.h"
#include "windowoptions.h"

#include <QStringList>

#include <optional>

struct CommandLine {
    WindowOptions window;
    std::optional<HeadlessPlan> headless; // present when the options ask for a headless run
};

// Reads the arguments (program name first). --help and --version print and
// end the process with 0; a malformed command line prints why and ends it
// with EXIT_USAGE.
CommandLine readCommandLine(const QStringList &arguments);

// The window's share of readCommandLine.
WindowOptions parseCommandLine(const QStringList &arguments);
