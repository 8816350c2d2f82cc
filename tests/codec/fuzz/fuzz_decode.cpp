// libFuzzer target for the frame decoder. The first input byte picks a small receive buffer,
// so overflow is reachable; the rest is a received stream, whose every result must match an
// independent model of the decoder, with the bytes past the buffer untouched.
#include "codec/ppp_frame.h"
#include "referencedecoder.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto check = [](bool ok) { ok ? void() : abort(); };
    if (size == 0 || size > 1 << 20)
        return 0;
    const int capacity = data[0];
    std::vector<uint8_t> buf(size_t(capacity) + 32, 0xA5), guard(32, 0xA5);
    DecoderState s{};
    ReferenceDecoder reference(capacity);
    for (size_t i = 1; i < size; ++i) {
        const int r = ppp_frame_decode(s, data[i], buf.data(), capacity);
        check(r == reference.feed(data[i]) && !s.inFrame == reference.hunting());
        check(memcmp(buf.data() + capacity, guard.data(), guard.size()) == 0);
        check(r <= 0 || memcmp(buf.data(), reference.body().data(), size_t(r)) == 0);
    }
    return 0;
}
