// The program's command line.
#pragma once

#include "runplan.h"

#include <QStringList>

#include <optional>

struct CommandLine {
    // --port PATH (repeatable): paths the system does not enumerate
    // (pseudo-terminals, symlinks), listed after its own ports.
    QStringList extraPorts;
    std::optional<HeadlessPlan> headless; // present when the options ask for a headless run
    // Set when the process should end at once: 0 after --help or --version
    // (message for stdout), EXIT_USAGE for a malformed line (message for stderr).
    std::optional<int> exitStatus;
    QString message;
};

// Reads the arguments (program name first); never ends the process itself.
CommandLine readCommandLine(const QStringList &arguments);
