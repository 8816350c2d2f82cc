// What a link session is configured with: one plain value, which the window
// maps from its widgets and the headless run from its command line and the
// settings file.
#pragma once

#include "codec/prbs.h"
#include "serial/linesetting.h"

#include <QByteArray>
#include <QString>

// The bit error test sends a pseudo-random bit sequence, no frames, and
// checks what comes back bit by bit.
enum class SendMode { None, AnswerDriven, Timed, FullSpeed, BitErrorTest };

struct SessionSettings {
    // Each packet: the tag (5A and a SID cycling from sidMin to sidMax) when
    // asked, then the payload, or random bytes of a random length.
    bool tag = false;
    quint8 sidMin = 1;
    quint8 sidMax = 2; // below sidMin, every packet carries it
    bool random = false;
    int lengthMin = 8; // fitted to what a packet holds by the builder
    int lengthMax = 8;
    QByteArray payload =
        QByteArray::fromHex("0001020304050607"); // only what fits after the tag is sent
    // Why no packet can be built from what the user gave (a field that does
    // not read); empty when packets can be. While set, nothing is sent.
    QString unusable;

    int periodMs = 100;     // timed sending; below 1 a start is refused
    quint64 frameLimit = 0; // frames sent before sending stops by itself; 0: no limit
    bool compare = false;   // each reply with the frames still outstanding
    bool stopOnError = false;
    int replyTimeoutMs = 0; // 0: waits forever
    bool expectReplies = true;
    LineSetting line{115200, DEFAULT_LINE_CHOICES}; // with its baud, taken when the port opens
    PrbsSequence prbs = PrbsSequence::Prbs15;       // the bit error test's sequence
    bool reconnect = false; // a port lost while open is waited for and opened again
};
