// HDLC-like framing of RFC 1662, reduced: flag 0x7E, escape 0x7D with XOR 0x20
// for the flag and escape octets only, FCS-16 trailer, no address/control/protocol.
// The only place where the wire format lives. No Qt, no allocation.
#pragma once

#include <cstdint>

// Size of the transmit and the receive frame buffers. The longest frame the
// encoder emits into such a buffer is one byte shorter.
constexpr int FRAME_BUF_SIZE = 8197;

// Decoder results besides 0 (nothing to report) and L > 0 (good frame of L body bytes).
constexpr int FRAME_TOO_SHORT = -1;  // a flag closed fewer than 3 stored bytes
constexpr int FRAME_TOO_LONG = -2;   // a byte arrived with the buffer already full
constexpr int FRAME_BAD_FCS = -3;    // a flag closed 3 or more bytes with a bad FCS
constexpr int FRAME_BAD_ESCAPE = -4; // 0x7D followed by neither 0x5D nor 0x5E (nor a flag)

// The decoder's memory between bytes. All zero: hunting for an opening flag.
struct DecoderState {
    int inFrame;       // 1 inside a frame, 0 hunting
    int escapePending; // 1 when the previous byte inside the frame was 0x7D
    int count;         // unstuffed bytes stored for the current frame
};

// FCS register after running the table from 0xFFFF over len bytes; not complemented.
// A received body followed by its two FCS bytes leaves 0xF0B8.
uint16_t ppp_fcs16(const uint8_t *bytes, int len);

// Writes the stuffed frame of the len body bytes at src into dst and returns its
// length, or 0 when dst is null, len <= 0, capacity <= 1 or the frame is not
// shorter than capacity. Never writes at or beyond dst[capacity]; after a 0
// result dst holds a partial frame that must not be sent.
int ppp_frame_encode(const uint8_t *src, int len, uint8_t *dst, int capacity);

// Feeds one received byte to the decoder over state. Returns 0, the body length
// of a good frame now at buf[0..L-1] (its FCS follows; valid until the next
// call), or one of the FRAME_* errors. Never writes at or beyond buf[capacity].
int ppp_frame_decode(DecoderState &state, uint8_t byte, uint8_t *buf, int capacity);

// The same decoder over the program's one state, which starts zeroed and is
// never reset: one serial stream is decoded at a time.
int ppp_frame_decode(uint8_t byte, uint8_t *buf, int capacity);
