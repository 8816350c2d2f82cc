// Builds the bytes that answer one good frame from the tool, clean or spoiled
// by one fault. What each fault puts on the wire is described in peer_help.cpp.
#pragma once

#include "fault.h"

#include <QByteArray>
#include <QRandomGenerator>

enum class ReplyMode { Echo, Raw, Extra };

// How replies are delimited: each with its own two flags, back to back with one
// flag between them, or with an idle flag before each.
enum class FlagStyle { Own, Shared, Idle };

struct Reply {
    QByteArray wire; // what goes to the tool, possibly nothing
    Fault fault = Fault::None;
    int frames = 0; // flag-delimited frames in wire, noise not counted
    // What raw mode's line noise did to wire.
    quint64 bitsFlipped = 0;
    quint64 bytesDropped = 0;
};

class ReplyBuilder
{
public:
    // noiseSeed makes the noise bytes repeatable. Replies must be sent in the
    // order they are built, as shared flags join each to the one before.
    ReplyBuilder(ReplyMode mode, FlagStyle flags, quint32 noiseSeed);

    // The answer to a received body in echo or extra mode.
    Reply build(const QByteArray &received, Fault fault);
    // The next reply goes to a new line, which has seen no flag yet.
    void startNewLine() { flagSent = false; }

private:
    QByteArray wireFor(const QByteArray &body, Fault fault);
    QByteArray withFlagStyle(QByteArray wire);
    QByteArray noise();

    ReplyMode mode;
    FlagStyle flags;
    bool flagSent = false; // a reply went out, so the line ends in a flag
    QRandomGenerator noiseGenerator;
};
