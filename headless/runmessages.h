// Every message of a headless run on stderr in one form: "pakto: ", then the
// message in the run's language, the system's reason last as the system words it.
#pragma once

#include <QString>

void printMessage(const QString &message);
// The run goes on: "pakto: warning: ", in the run's language.
void printWarning(const QString &message);

// "cannot write the report to r.json: No space left on device"
QString unwritableText(const QString &what, const QString &path, const QString &why);
