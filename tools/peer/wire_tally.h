// What a decoder that starts hunting makes of everything the peer sends: the
// counts the tool should show, so that a run can be checked exactly.
#pragma once

#include "codec/ppp_frame.h"

#include <QByteArray>

#include <vector>

struct WireCounts {
    quint64 goodFrames = 0;
    quint64 shortErrors = 0;
    quint64 longErrors = 0;
    quint64 crcErrors = 0;
    quint64 escapeErrors = 0;
};

class WireTally
{
public:
    WireTally();

    void feed(const QByteArray &bytes);
    // A new line: the decoder hunts again, the counts go on.
    void startHunting() { state = DecoderState{}; }
    const WireCounts &counts() const { return tally; }

private:
    void note(int result);

    DecoderState state{};
    std::vector<uint8_t> frame;
    WireCounts tally;
};
