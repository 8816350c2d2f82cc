// The program's command line.
#pragma once

#include "windowoptions.h"

#include <QStringList>

// Reads the arguments (program name first) into the window's options.
// --help, --version and a malformed command line print and end the process,
// as QCommandLineParser::process does.
WindowOptions parseCommandLine(const QStringList &arguments);
