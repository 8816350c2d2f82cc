// libFuzzer target for the frame decoder. The first input byte picks a small
// receive buffer, so overflow is reachable; the rest is the received stream,
// whose every result must match an independent model of the decoder.
// The whole input is also encoded as a body and must decode back unchanged.
#include "codec/ppp_frame.h"
#include "referencedecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint8_t GUARD = 0xA5;
constexpr int GUARD_BYTES = 32;

const auto check = [](bool ok) { ok ? void() : abort(); };
const auto guardIntact = [](const uint8_t *guard) {
    return std::all_of(guard, guard + GUARD_BYTES, [](uint8_t b) { return b == GUARD; });
};

// Decodes bytes into a buffer of capacity bytes followed by guard bytes, in step
// with the reference model; with expected, only the last byte reports, and it
// delivers expected.
void decode(const uint8_t *data, size_t size, int capacity, const uint8_t *expected = nullptr,
            int expectedLen = 0)
{
    std::vector<uint8_t> buf(size_t(capacity) + GUARD_BYTES, GUARD);
    DecoderState s{};
    ReferenceDecoder reference(capacity);
    for (size_t i = 0; i < size; ++i) {
        const int r = ppp_frame_decode(s, data[i], buf.data(), capacity);
        check(r == reference.feed(data[i]) && !s.inFrame == reference.hunting() && s.count >= 0 &&
              s.count <= capacity && guardIntact(buf.data() + capacity));
        if (r > 0)
            check(std::equal(buf.begin(), buf.begin() + r, reference.body().begin()));
        if (expected)
            check(r == (i + 1 < size ? 0 : expectedLen) &&
                  (r <= 0 || memcmp(buf.data(), expected, size_t(r)) == 0));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 1 << 20)
        return 0;
    decode(data + 1, size - 1, data[0]);

    // The input as one body, in a buffer just big enough and in one of the
    // frame's own length, which is refused; decoded into exactly body and FCS.
    const int len = int(size), capacity = 2 * len + 7;
    std::vector<uint8_t> frame(size_t(capacity) + GUARD_BYTES, GUARD);
    const int n = ppp_frame_encode(data, len, frame.data(), capacity);
    check(n >= len + 4 && n < capacity && guardIntact(frame.data() + capacity));
    std::vector<uint8_t> tight(size_t(n) + GUARD_BYTES, GUARD);
    check(ppp_frame_encode(data, len, tight.data(), n) == 0 && guardIntact(tight.data() + n));
    decode(frame.data(), size_t(n), len + 2, data, len);
    return 0;
}
