#include "codec/ppp_frame.h"

namespace {

constexpr uint8_t FLAG = 0x7E;
constexpr uint8_t ESCAPE = 0x7D;
constexpr uint8_t ESCAPE_XOR = 0x20;
constexpr uint16_t FCS_INIT = 0xFFFF;
constexpr uint16_t FCS_GOOD = 0xF0B8;
constexpr int MIN_STORED = 3; // one body byte and the two FCS bytes

struct FcsTable {
    uint16_t entry[256];
};

// Entry i is i run through eight shift-and-conditional-XOR steps.
constexpr FcsTable makeFcsTable()
{
    FcsTable t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned v = i;
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1) ? (v >> 1) ^ 0x8408 : v >> 1;
        t.entry[i] = static_cast<uint16_t>(v);
    }
    return t;
}

// CRC-16/X.25, the FCS-16 of RFC 1662: reflected polynomial 0x8408, init 0xFFFF,
// final complement. Check value 0x906E over "123456789"; good residue 0xF0B8.
constexpr FcsTable fcsTable = makeFcsTable();

inline uint16_t fcsStep(uint16_t fcs, uint8_t byte)
{
    return (fcs >> 8) ^ fcsTable.entry[(fcs ^ byte) & 0xff];
}

// Writes byte at dst[pos], escaped if it is a flag or an escape. False as soon as
// the next position reaches capacity; pos < capacity holds on entry.
inline bool putStuffed(uint8_t *dst, int &pos, int capacity, uint8_t byte)
{
    if (byte == FLAG || byte == ESCAPE) {
        dst[pos++] = ESCAPE;
        if (pos >= capacity)
            return false;
        byte ^= ESCAPE_XOR;
    }
    dst[pos++] = byte;
    return pos < capacity;
}

// Hunting: only a flag opens a frame; everything else is line noise.
inline int hunt(DecoderState &state, uint8_t byte)
{
    if (byte == FLAG) {
        state.inFrame = 1;
        state.escapePending = 0;
        state.count = 0;
    }
    return 0;
}

// Appends one unstuffed byte, or abandons a frame that no longer fits.
inline int store(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity)
{
    const int count = state.count;
    if (count >= capacity) {
        state.inFrame = 0;
        return FRAME_TOO_LONG;
    }
    buf[count] = byte;
    state.count = count + 1;
    return 0;
}

// The byte after an escape: only the two sequences the encoder emits are valid.
inline int unescape(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity)
{
    state.escapePending = 0;
    if (byte != (FLAG ^ ESCAPE_XOR) && byte != (ESCAPE ^ ESCAPE_XOR)) {
        state.inFrame = 0;
        return FRAME_BAD_ESCAPE;
    }
    return store(state, byte ^ ESCAPE_XOR, buf, capacity);
}

// A flag inside a frame ends it; a pending escape is dropped. A good frame sends
// the decoder hunting, so its closing flag never opens the next one; after a short
// or bad frame this flag already opens the next frame.
int closeFrame(DecoderState &state, const uint8_t *buf)
{
    const int count = state.count;
    state.escapePending = 0;
    if (count >= MIN_STORED && ppp_fcs16(buf, count) == FCS_GOOD) {
        state.inFrame = 0;
        return count - 2;
    }
    state.count = 0;
    return count < MIN_STORED ? FRAME_TOO_SHORT : FRAME_BAD_FCS;
}

DecoderState programState; // zero: the program starts hunting

} // namespace

uint16_t ppp_fcs16(const uint8_t *bytes, int len)
{
    uint16_t fcs = FCS_INIT;
    for (int i = 0; i < len; ++i)
        fcs = fcsStep(fcs, bytes[i]);
    return fcs;
}

// Flag, stuffed body, stuffed complemented FCS (low byte first), flag. The FCS runs
// in the stuffing pass: its chain of table look-ups hides the stuffing work.
int ppp_frame_encode(const uint8_t *src, int len, uint8_t *dst, int capacity)
{
    if (!dst || len <= 0 || capacity <= 1)
        return 0;
    int pos = 0;
    dst[pos++] = FLAG;
    uint16_t fcs = FCS_INIT;
    for (int i = 0; i < len; ++i) {
        const uint8_t byte = src[i];
        fcs = fcsStep(fcs, byte);
        if (!putStuffed(dst, pos, capacity, byte))
            return 0;
    }
    fcs = ~fcs;
    if (!putStuffed(dst, pos, capacity, fcs & 0xff) || !putStuffed(dst, pos, capacity, fcs >> 8))
        return 0;
    dst[pos++] = FLAG;
    return pos < capacity ? pos : 0;
}

// Hunting first; inside a frame a flag wins over a pending escape.
int ppp_frame_decode(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity)
{
    if (!state.inFrame)
        return hunt(state, byte);
    if (byte == FLAG)
        return closeFrame(state, buf);
    if (state.escapePending)
        return unescape(state, byte, buf, capacity);
    if (byte == ESCAPE) {
        state.escapePending = 1;
        return 0;
    }
    return store(state, byte, buf, capacity);
}

int ppp_frame_decode(uint8_t byte, uint8_t *buf, int capacity)
{
    return ppp_frame_decode(programState, byte, buf, capacity);
}
