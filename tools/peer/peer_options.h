// The peer's command line.
#pragma once

#include "fault.h"
#include "outage_plan.h"
#include "reply_builder.h"

#include <QString>
#include <QStringList>

struct PeerOptions {
    QString portPath; // --port: an existing serial port
    qint32 baud = 115200;
    bool pty = false; // --pty: a pseudo-terminal of the peer's own
    QString linkPath; // --link: symbolic link to the pseudo-terminal
    ReplyMode mode = ReplyMode::Echo;
    FlagStyle flags = FlagStyle::Own;
    Fault fault = Fault::None;
    int every = 1;       // every Nth reply gets the fault, unless random
    bool random = false; // --rate given: each reply with probability rate
    double rate = 0;
    quint32 seed = 1;
    double bitErrorRate = 0; // --bit-errors: raw mode flips each bit sent back with this chance
    int slipEvery = 0;       // --slip-every: raw mode drops every Nth byte sent back; 0: none
    OutagePlan outages;      // --vanish, --vanish-every: when the pseudo-terminal goes away
    int delayMs = 0;
    int lineCharBits = 0;   // --line-rate: bits a byte takes on the paced line; 0: not paced
    quint64 frameLimit = 0; // --frames: 0 runs until a signal
    QString recordPath;     // --record: every received byte, raw
};

struct ParsedCommandLine {
    enum Outcome { Run, Help, Error };
    Outcome outcome = Error;
    QString text; // the help, or what is wrong
    PeerOptions options;
};

ParsedCommandLine parsePeerCommandLine(const QStringList &arguments);
