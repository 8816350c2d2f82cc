// The run as JUnit XML, for the test reports of CI systems: one suite named
// after the port and the mode, a test case for each check the verdict makes.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

// From the run's finished report (its counters, reasons and exit code);
// unwritten names the outputs that could not be written ("report", "plot").
// A failed check is a failure; a run that did not go as planned (refused,
// interrupted, its port or a file lost) is an error.
QByteArray junitOf(const QJsonObject &report, const QStringList &unwritten);
