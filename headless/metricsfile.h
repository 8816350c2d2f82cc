// The run's figures in the Prometheus text format (version 0.0.4), as the
// node exporter's textfile collector reads them from a *.prom file.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

class LatencyHistogram;

// One link's figures.
struct LinkMetrics {
    QString port; // as the run holds it; the label shows it as the report does
    // The report's counters (countersOf): each whole number a counter, the send rate a gauge.
    QJsonObject counters;
    double lineUseTx = -1, lineUseRx = -1; // shares of the line's capacity; < 0: unknown, no sample
    const LatencyHistogram *roundTrips = nullptr; // none: no round trip samples
    bool up = false;                              // the port is open
};

// Every family once, its HELP and TYPE first and then each link's samples,
// labelled with its port; the families in a fixed order. runSeconds is the
// time spent sending so far, as the report's duration_s.run.
QByteArray metricsText(const QVector<LinkMetrics> &links, double runSeconds, bool running);

// Rewrites the file whole: the text goes to a new file beside it, named so
// that the collector skips it, which then takes the old one's place, so that
// a reader sees the old text or the new, never half of one. A FIFO or a stream the
// process holds is written through, as every output of a run. False, and why
// in the system's words, when it could not be; an old file then stays as it was.
bool writeMetricsFile(const QString &path, const QByteArray &text, QString &why);
