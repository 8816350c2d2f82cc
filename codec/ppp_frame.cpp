#include "codec/ppp_frame.h"

using ppp_detail::fcsStep;

namespace {

// Writes byte at dst[pos], escaped if it is a flag or an escape. False as soon as
// the next position reaches capacity; pos < capacity holds on entry.
inline bool putStuffed(uint8_t *dst, int &pos, int capacity, uint8_t byte)
{
    if (byte == PPP_FLAG || byte == PPP_ESCAPE) {
        dst[pos++] = PPP_ESCAPE;
        if (pos >= capacity)
            return false;
        byte ^= PPP_ESCAPE_XOR;
    }
    dst[pos++] = byte;
    return pos < capacity;
}

} // namespace

uint16_t ppp_fcs16(const uint8_t *bytes, int len)
{
    uint16_t fcs = ppp_detail::FCS_INIT;
    for (int i = 0; i < len; ++i)
        fcs = fcsStep(fcs, bytes[i]);
    return fcs;
}

void ppp_fcs_trailer(const uint8_t *bytes, int len, uint8_t trailer[2])
{
    const uint16_t fcs = static_cast<uint16_t>(~ppp_fcs16(bytes, len));
    trailer[0] = fcs & 0xff;
    trailer[1] = fcs >> 8;
}

// Flag, stuffed body, stuffed complemented FCS (low byte first), flag. The FCS runs
// in the stuffing pass: its chain of table look-ups hides the stuffing work.
int ppp_frame_encode(const uint8_t *src, int len, uint8_t *dst, int capacity)
{
    if (!dst || len <= 0 || capacity <= 1)
        return 0;
    int pos = 0;
    dst[pos++] = PPP_FLAG;
    uint16_t fcs = ppp_detail::FCS_INIT;
    for (int i = 0; i < len; ++i) {
        const uint8_t byte = src[i];
        fcs = fcsStep(fcs, byte);
        if (!putStuffed(dst, pos, capacity, byte))
            return 0;
    }
    fcs = ~fcs;
    if (!putStuffed(dst, pos, capacity, fcs & 0xff) || !putStuffed(dst, pos, capacity, fcs >> 8))
        return 0;
    dst[pos++] = PPP_FLAG;
    return pos < capacity ? pos : 0;
}
