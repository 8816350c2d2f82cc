// HDLC-like framing of RFC 1662, reduced: flag 0x7E, escape 0x7D with XOR 0x20
// for the flag and escape octets only, FCS-16 trailer, no address/control/protocol.
// The only place where the wire format lives. No Qt, no allocation.
#pragma once

#include <cstdint>

// The octets that delimit and stuff a frame.
constexpr uint8_t PPP_FLAG = 0x7E;
constexpr uint8_t PPP_ESCAPE = 0x7D;
constexpr uint8_t PPP_ESCAPE_XOR = 0x20; // an escaped octet is sent XOR this

// Size of the receive frame buffer: a body of up to 4096 bytes and its FCS,
// with room to spare. The longest frame the encoder emits into such a buffer
// is one byte shorter.
constexpr int FRAME_BUF_SIZE = 8197;

// The longest frame a body of bodyLength bytes can give on the line: every
// body and FCS byte stuffed, and the two flags. The encoder needs one byte
// more than the frame in its buffer.
constexpr int ppp_frame_longest(int bodyLength)
{
    return 2 * (bodyLength + 2) + 2;
}

// Decoder results besides 0 (nothing to report) and L > 0 (good frame of L body bytes).
constexpr int FRAME_TOO_SHORT = -1;  // a flag closed 1 or 2 stored bytes
constexpr int FRAME_TOO_LONG = -2;   // a byte arrived with the buffer already full
constexpr int FRAME_BAD_FCS = -3;    // a flag closed 3 or more bytes with a bad FCS
constexpr int FRAME_BAD_ESCAPE = -4; // 0x7D followed by neither 0x5D nor 0x5E (nor a flag)

// The decoder's memory between bytes. All zero: hunting for an opening flag.
struct DecoderState {
    int inFrame;       // 1 inside a frame, 0 hunting
    int escapePending; // 1 when the previous byte inside the frame was 0x7D
    int count;         // unstuffed bytes stored for the current frame
    uint16_t fcs;      // FCS register over those bytes; set when a flag opens the frame
};

// FCS register after running the table from 0xFFFF over len bytes; not complemented.
// A received body followed by its two FCS bytes leaves 0xF0B8.
uint16_t ppp_fcs16(const uint8_t *bytes, int len);

// The two FCS octets that follow a body of len bytes, before stuffing: the
// complemented register, low byte first.
void ppp_fcs_trailer(const uint8_t *bytes, int len, uint8_t trailer[2]);

// Writes the stuffed frame of the len body bytes at src into dst and returns its
// length, or 0 when dst is null, len <= 0, capacity <= 1 or the frame is not
// shorter than capacity. Never writes at or beyond dst[capacity]; after a 0
// result dst holds a partial frame that must not be sent.
int ppp_frame_encode(const uint8_t *src, int len, uint8_t *dst, int capacity);

// Feeds one received byte to the decoder over state. Returns 0, the body length
// of a good frame now at buf[0..L-1] (its FCS follows; valid until the next
// call), or one of the FRAME_* errors. Every flag ends the frame being collected
// and opens the next, so frames may share a flag; a flag that ends an empty
// frame reports nothing. Never writes at or beyond buf[capacity].
inline int ppp_frame_decode(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity);

// Defined here so that a receive loop can inline the decoder and keep its state
// in registers, running the FCS alongside the state machine.
namespace ppp_detail {

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
inline constexpr FcsTable fcsTable = makeFcsTable();

constexpr uint16_t fcsStep(uint16_t fcs, uint8_t byte)
{
    return (fcs >> 8) ^ fcsTable.entry[(fcs ^ byte) & 0xff];
}

// The flag ends the frame being collected, or the hunt, and opens the next one.
// Nothing stored since the previous flag is idle line time, not an error.
inline int endFrame(DecoderState &state)
{
    const int count = state.inFrame ? state.count : 0;
    const bool good = state.fcs == FCS_GOOD;
    state = DecoderState{1, 0, 0, FCS_INIT};
    if (count == 0)
        return 0;
    if (count < MIN_STORED)
        return FRAME_TOO_SHORT;
    return good ? count - 2 : FRAME_BAD_FCS;
}

// An error that spoils the rest of the frame: hunt for the next flag.
inline int abandon(DecoderState &state, int error)
{
    state.inFrame = 0;
    state.escapePending = 0;
    return error;
}

// Appends one unstuffed byte, or abandons a frame that no longer fits.
inline int store(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity)
{
    const int count = state.count;
    if (count >= capacity)
        return abandon(state, FRAME_TOO_LONG);
    buf[count] = byte;
    state.count = count + 1;
    state.fcs = fcsStep(state.fcs, byte);
    return 0;
}

// The byte after an escape: only the two sequences the encoder emits are valid.
inline int unescape(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity)
{
    state.escapePending = 0;
    if (byte != (PPP_FLAG ^ PPP_ESCAPE_XOR) && byte != (PPP_ESCAPE ^ PPP_ESCAPE_XOR))
        return abandon(state, FRAME_BAD_ESCAPE);
    return store(state, byte ^ PPP_ESCAPE_XOR, buf, capacity);
}

} // namespace ppp_detail

// A flag first, so that it wins over a pending escape and ends a hunt.
inline int ppp_frame_decode(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity)
{
    if (byte == PPP_FLAG)
        return ppp_detail::endFrame(state);
    if (!state.inFrame)
        return 0;
    if (state.escapePending)
        return ppp_detail::unescape(state, byte, buf, capacity);
    if (byte == PPP_ESCAPE) {
        state.escapePending = 1;
        return 0;
    }
    return ppp_detail::store(state, byte, buf, capacity);
}
