// The run as JUnit XML, for the test reports of CI systems: one suite for
// each link, named after its port and the mode, a test case for each check
// its verdict makes.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

// From the run's report (each link's counters and reasons, the run's exit
// code) as it stands once the plots have been written.
// A failed check is a failure; a run that did not go as planned (refused,
// interrupted, its port or a file lost) is an error.
QByteArray junitOf(const QJsonObject &report);
