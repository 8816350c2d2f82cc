// Builds the bytes that answer one good frame from the tool, clean or spoiled
// by one fault. What each fault puts on the wire is described in peer_help.cpp.
#pragma once

#include "fault.h"

#include <QByteArray>
#include <QRandomGenerator>

enum class ReplyMode { Echo, Raw, Extra };

struct Reply {
    QByteArray wire; // what goes to the tool, possibly nothing
    Fault fault = Fault::None;
    int frames = 0; // flag-delimited frames in wire, noise not counted
};

class ReplyBuilder
{
public:
    // noiseSeed makes the noise bytes repeatable.
    ReplyBuilder(ReplyMode mode, quint32 noiseSeed);

    // The answer to a received body in echo or extra mode.
    Reply build(const QByteArray &received, Fault fault);

private:
    QByteArray wireFor(const QByteArray &body, Fault fault);
    QByteArray noise();

    ReplyMode mode;
    QRandomGenerator noiseGenerator;
};
