// The options of the program's command line, with their help texts.
#pragma once

#include "serial/linesetting.h"

#include <QCommandLineOption>
#include <QList>

struct CommandLineOptions {
    // Every option but --port, in the order the help lists them.
    QList<const QCommandLineOption *> runOptions() const
    {
        QList<const QCommandLineOption *> options{
            &open,    &send,   &duration, &baud,         &tag,    &compare,      &show,
            &capture, &period, &frames,   &replyTimeout, &oneWay, &reportMemory, &report};
        for (const QCommandLineOption &option : lineOptions)
            options << &option;
        return options << &pcap << &plot << &junit << &metrics << &prbs << &maxBer << &reconnect;
    }

    const QCommandLineOption port{
        "port", "List PATH as a serial port (pseudo-terminals, symlinks); may be repeated.",
        "PATH"};
    const QCommandLineOption open{
        "open",
        "Run: open PORT, a listed name or a --port path; repeated, each port is one link, all "
        "run together with the same test.",
        "PORT"};
    const QCommandLineOption send{"send",
                                  "Run: answer (answer-driven), timed, once, stream (at full "
                                  "speed) or prbs (bit error test).",
                                  "MODE"};
    const QCommandLineOption duration{"duration", "Run: send for S seconds (fractions allowed).",
                                      "S"};
    const QCommandLineOption baud{"baud", "Run: line speed (default: as last used).", "N"};
    // In the order of lineChoices().
    const QCommandLineOption lineOptions[LINE_CHOICES]{
        {"data-bits", "Run: data bits, 5 to 8; below 8 frames are cut (default: as last used).",
         "N"},
        {"parity", "Run: parity none, even, odd, mark or space (default: as last used).", "P"},
        {"stop-bits", "Run: stop bits, 1 or 2 (default: as last used).", "N"},
        {"flow",
         "Run: flow control none, rtscts or xonxoff; xonxoff loses binary frames "
         "(default: as last used).",
         "F"}};
    const QCommandLineOption tag{"tag", "Run: put the tag and sequence number before the payload."};
    const QCommandLineOption compare{"compare", "Run: compare replies with the frames sent."};
    const QCommandLineOption show{
        "show", "Run: print every frame sent and received on stdout, as the capture has it."};
    const QCommandLineOption capture{"capture", "Run: capture the traffic to FILE.", "FILE"};
    const QCommandLineOption pcap{
        "pcap", "Run: capture every frame, and every frame refused, as pcapng to FILE.", "FILE"};
    const QCommandLineOption period{"period",
                                    "Run: period of timed sending (default: as last used).", "MS"};
    const QCommandLineOption frames{
        "frames",
        "Run: answer-driven, timed or full-speed sending stops after N frames, even before the "
        "time is up.",
        "N"};
    const QCommandLineOption replyTimeout{
        "reply-timeout",
        "Run: a frame unanswered MS after it left counts as no reply (0: waits forever); "
        "answer-driven sending then sends on.",
        "MS"};
    const QCommandLineOption reconnect{
        "reconnect", "Run: a port lost during the run is waited for and opened again; the "
                     "counts go on, and each outage is on the record."};
    const QCommandLineOption oneWay{
        "one-way", "Run: the device answers nothing; received frames are only counted."};
    const QCommandLineOption reportMemory{
        "report-memory",
        "Run: print the memory in use to stderr after 10000 frames, every 100000 and at the end."};
    const QCommandLineOption report{"report", "Run: write the run as JSON to FILE (-: stdout).",
                                    "FILE"};
    const QCommandLineOption plot{
        "plot", "Run: draw the run's chart to FILE, SVG or PNG (1200 x 600) by its ending.",
        "FILE"};
    const QCommandLineOption metrics{
        "metrics",
        "Run: keep the run's figures in FILE.prom, Prometheus's text format, rewritten whole "
        "every second and at the end.",
        "FILE"};
    const QCommandLineOption junit{"junit", "Run: write the run's checks as JUnit XML to FILE.",
                                   "FILE"};
    const QCommandLineOption prbs{"prbs",
                                  "Run: the bit error test's sequence, prbs7, prbs9, prbs15, "
                                  "prbs23 or prbs31 (default: as last used).",
                                  "SEQ"};
    const QCommandLineOption maxBer{"max-ber",
                                    "Run: the bit error test passes while its ratio at 95% "
                                    "confidence is at most X (default: no bit error at all).",
                                    "X"};
};
