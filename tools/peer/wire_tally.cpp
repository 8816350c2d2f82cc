#include "wire_tally.h"

WireTally::WireTally() : frame(FRAME_BUF_SIZE) {}

void WireTally::feed(const QByteArray &bytes)
{
    for (char byte : bytes)
        note(ppp_frame_decode(state, uint8_t(byte), frame.data(), FRAME_BUF_SIZE));
}

void WireTally::note(int result)
{
    switch (result) {
    case 0:
        break;
    case FRAME_TOO_SHORT:
        ++tally.shortErrors;
        break;
    case FRAME_TOO_LONG:
        ++tally.longErrors;
        break;
    case FRAME_BAD_FCS:
        ++tally.crcErrors;
        break;
    case FRAME_BAD_ESCAPE:
        ++tally.escapeErrors;
        break;
    default:
        ++tally.goodFrames;
        break;
    }
}
