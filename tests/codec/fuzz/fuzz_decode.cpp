// libFuzzer target for the frame decoder. The first input byte picks a small
// receive buffer, so overflow is reachable; the rest is the received stream.
// The whole input is also encoded as a body and must decode back unchanged.
#include "codec/ppp_frame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint8_t GUARD = 0xA5;
constexpr int GUARD_BYTES = 32;

// Bit-at-a-time FCS register, so a delivered frame is not checked by the code
// that delivered it.
uint16_t bitwiseFcs(const uint8_t *p, int n)
{
    uint16_t fcs = 0xFFFF;
    for (int i = 0; i < n; ++i) {
        fcs ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            fcs = (fcs & 1) ? (fcs >> 1) ^ 0x8408 : fcs >> 1;
    }
    return fcs;
}

void check(bool ok)
{
    if (!ok)
        abort();
}

bool guardIntact(const uint8_t *guard)
{
    for (int i = 0; i < GUARD_BYTES; ++i)
        if (guard[i] != GUARD)
            return false;
    return true;
}

bool validResult(int r, int capacity)
{
    return (r >= FRAME_BAD_ESCAPE && r <= 0) || (r > 0 && r <= capacity - 2);
}

bool validState(const DecoderState &s, int capacity)
{
    return (s.inFrame == 0 || s.inFrame == 1) && (s.escapePending == 0 || s.escapePending == 1) &&
           s.count >= 0 && s.count <= capacity;
}

// Decodes the stream into a buffer of capacity bytes followed by guard bytes.
void decodeStream(const uint8_t *data, size_t size, int capacity)
{
    uint8_t buf[256 + GUARD_BYTES];
    memset(buf, GUARD, sizeof buf);
    DecoderState state{};
    for (size_t i = 0; i < size; ++i) {
        const int r = ppp_frame_decode(state, data[i], buf, capacity);
        check(validResult(r, capacity));
        check(validState(state, capacity));
        check(guardIntact(buf + capacity));
        if (r > 0)
            check(bitwiseFcs(buf, r + 2) == 0xF0B8);
    }
}

// Encodes the input as one body into a buffer just big enough, then decodes it
// into a buffer that holds exactly body and FCS.
void roundTrip(const uint8_t *body, int len)
{
    std::vector<uint8_t> frame(2 * size_t(len) + 7 + GUARD_BYTES, GUARD);
    const int capacity = 2 * len + 7;
    const int n = ppp_frame_encode(body, len, frame.data(), capacity);
    check(n >= len + 4 && n < capacity && guardIntact(frame.data() + capacity));

    // The same frame into a buffer of its own length is refused.
    std::vector<uint8_t> tight(size_t(n) + GUARD_BYTES, GUARD);
    check(ppp_frame_encode(body, len, tight.data(), n) == 0 && guardIntact(tight.data() + n));

    std::vector<uint8_t> buf(size_t(len) + 2 + GUARD_BYTES, GUARD);
    DecoderState state{};
    for (int i = 0; i < n - 1; ++i)
        check(ppp_frame_decode(state, frame[i], buf.data(), len + 2) == 0);
    check(ppp_frame_decode(state, frame[n - 1], buf.data(), len + 2) == len);
    check(memcmp(buf.data(), body, size_t(len)) == 0 && guardIntact(buf.data() + len + 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    decodeStream(data + 1, size - 1, data[0]);
    if (size <= 1 << 20)
        roundTrip(data, int(size));
    return 0;
}
