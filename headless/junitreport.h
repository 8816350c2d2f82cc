// The run as JUnit XML, for the test reports of CI systems: one suite named
// after the port and the mode, a test case for each check the verdict makes.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

// From the run's report (its counters, reasons and exit code) as it stands
// once the plot has been written.
// A failed check is a failure; a run that did not go as planned (refused,
// interrupted, its port or a file lost) is an error.
QByteArray junitOf(const QJsonObject &report);
