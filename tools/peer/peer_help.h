// The part of --help that the option list cannot say: modes, what each fault
// puts on the wire and what the tool counts for it, the report and exit codes.
#pragma once

#include <QString>

QString peerHelpDetails();
