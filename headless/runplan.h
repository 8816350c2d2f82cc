// What the command line asks a headless run for, and how a run ends.
#pragma once

#include "serial/linesetting.h"

#include <QString>
#include <QStringList>

#include <array>

// Exit codes of a headless run; a signal ends it with 128 + its number.
constexpr int EXIT_CLEAN_RUN = 0;
constexpr int EXIT_ERRORS_COUNTED = 1; // or the port or the capture failed during the run
constexpr int EXIT_USAGE = 2;          // bad command line or settings, or the port would not open
constexpr int EXIT_SIGNAL_BASE = 128;

enum class HeadlessSend { Answer, Timed, Once, Stream, BitErrorTest };

struct HeadlessPlan {
    QStringList ports; // system ports or --port paths, one link each
    QString baud;      // empty: as the settings say
    // The words for data bits, parity, stop bits and flow control, in the
    // order of lineChoices(); empty: as the settings say.
    std::array<QString, LINE_CHOICES> line;
    bool tag = false;
    bool compare = false;
    bool show = false;   // every frame's line on stdout
    QString capturePath; // empty: no capture
    QString pcapPath;    // the pcapng capture; empty: none
    HeadlessSend send = HeadlessSend::Answer;
    int periodMs = 0; // timed sending; 0: as the settings say
    int durationMs = 0;
    quint64 frameLimit = 0;  // stop sending after this many frames; 0: no limit
    int replyTimeoutMs = -1; // wait for a reply; -1: as the settings say
    bool oneWay = false;     // the device answers nothing on purpose
    bool reconnect = false;  // a lost port is waited for and opened again
    bool reportMemory = false;
    QString reportPath;  // the JSON report; "-": stdout; empty: none
    QString plotPath;    // the chart of the run, .svg or .png; empty: none
    QString junitPath;   // JUnit XML; empty: none
    QString metricsPath; // Prometheus's text format, rewritten as the run goes; empty: none
    QString prbs;        // the bit error test's sequence; empty: as the settings say
    double maxBer = -1;  // the bit error ratio proved at 95%; < 0: any bit error fails
};

// How a run that started ended, decided once at its end.
struct RunVerdict {
    // One word per reason the run failed: tx_errors, framing_errors,
    // compare_failed, no_reply, unexpected_frames, uart_errors, port_lost,
    // capture_failed, interrupted; or
    // the bit error test's no_sync, bit_errors, sync_lost, ber_above_limit; or
    // why it never started: settings_refused, port_open_failed, send_refused.
    QStringList reasons;
    QStringList warnings; // settings adjusted before use, the line the port did not keep
    int signalNumber = 0; // the one that interrupted the run, 0 when none

    int exitStatus() const;
};
