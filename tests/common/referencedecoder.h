// A frame decoder written apart from the codec, to check it and what is built on
// it: a bit-at-a-time CRC and a plain state machine, so a fault cannot hide in both.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class ReferenceDecoder
{
public:
    explicit ReferenceDecoder(int capacity) : capacity(capacity) {}

    // 0, a good body's length (body() starts with it), or -1 short, -2 long, -3 bad
    // FCS, -4 bad escape. Every flag ends what was stored and opens a frame.
    int feed(uint8_t byte)
    {
        if (byte == 0x7E)
            return closeAndOpen();
        if (!open || (!escaped && byte == 0x7D)) {
            escaped = open;
            return 0;
        }
        const bool unescape = std::exchange(escaped, false);
        if (unescape && byte != 0x5D && byte != 0x5E)
            return abandon(-4);
        if (int(stored.size()) == capacity)
            return abandon(-2);
        stored.push_back(unescape ? byte ^ 0x20 : byte);
        return 0;
    }
    bool hunting() const { return !open; }
    const std::vector<uint8_t> &body() const { return frame; }

private:
    int closeAndOpen()
    {
        frame = std::exchange(stored, {});
        const int n = std::exchange(open, true) ? int(frame.size()) : 0;
        escaped = false;
        return n == 0 ? 0 : n < 3 ? -1 : bitwiseFcs() != 0xF0B8 ? -3 : n - 2;
    }
    int abandon(int error)
    {
        open = false;
        stored.clear();
        return error;
    }
    uint16_t bitwiseFcs() const
    {
        unsigned fcs = 0xFFFF;
        for (uint8_t byte : frame)
            for (int bit = 0; bit < 8; ++bit, byte >>= 1)
                fcs = ((fcs ^ byte) & 1) ? (fcs >> 1) ^ 0x8408 : fcs >> 1;
        return uint16_t(fcs);
    }

    int capacity;
    bool open = false, escaped = false;
    std::vector<uint8_t> stored, frame;
};
