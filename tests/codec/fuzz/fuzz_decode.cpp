// libFuzzer target for the frame codec. The first input byte picks a small receive buffer, so
// overflow is reachable; the rest is a received stream, whose every result must match an
// independent model of the decoder. The whole input, encoded as one body into a buffer just big
// enough, must decode back unchanged.
#include "codec/ppp_frame.h"
#include "referencedecoder.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const auto check = [](bool ok) { ok ? void() : abort(); };

// Decodes in step with the model into capacity bytes followed by 32 guard bytes; returns the
// last result, whose body (if any) is left in body.
int decode(const uint8_t *data, size_t size, int capacity, std::vector<uint8_t> &body)
{
    std::vector<uint8_t> buf(size_t(capacity) + 32, 0xA5), guard(32, 0xA5);
    DecoderState s{};
    ReferenceDecoder reference(capacity);
    int r = 0;
    for (size_t i = 0; i < size; ++i) {
        r = ppp_frame_decode(s, data[i], buf.data(), capacity);
        check(r == reference.feed(data[i]) && !s.inFrame == reference.hunting());
        check(memcmp(buf.data() + capacity, guard.data(), guard.size()) == 0);
        check(r <= 0 || memcmp(buf.data(), reference.body().data(), size_t(r)) == 0);
    }
    body.assign(buf.begin(), buf.begin() + (r > 0 ? r : 0));
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> body;
    if (size == 0 || size > 1 << 20)
        return 0;
    decode(data + 1, size - 1, data[0], body);
    const int len = int(size), capacity = 2 * len + 7;
    std::vector<uint8_t> frame(static_cast<size_t>(capacity));
    const int n = ppp_frame_encode(data, len, frame.data(), capacity);
    check(n >= len + 4 && n < capacity);
    check(decode(frame.data(), size_t(n), len + 2, body) == len);
    check(memcmp(body.data(), data, size) == 0);
    return 0;
}
