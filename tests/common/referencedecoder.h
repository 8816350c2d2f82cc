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

    // 0, a good body's length (then body() holds it), or -1 short, -2 long,
    // -3 bad FCS, -4 bad escape. Every flag closes what was stored and opens a frame.
    int feed(uint8_t byte)
    {
        if (byte == 0x7E)
            return closeAndOpen();
        if (!open)
            return 0;
        if (escaped) {
            if (byte != 0x5D && byte != 0x5E)
                return abandon(-4);
            escaped = false;
            byte ^= 0x20;
        } else if (byte == 0x7D) {
            escaped = true;
            return 0;
        }
        if (int(stored.size()) == capacity)
            return abandon(-2);
        stored.push_back(byte);
        return 0;
    }
    bool hunting() const { return !open; }
    const std::vector<uint8_t> &body() const { return frame; }

private:
    int closeAndOpen()
    {
        frame.swap(stored);
        stored.clear();
        const int n = std::exchange(open, true) ? int(frame.size()) : 0;
        escaped = false;
        if (n == 0)
            return 0;
        if (n < 3)
            return -1;
        if (bitwiseFcs() != 0xF0B8)
            return -3;
        frame.resize(n - 2);
        return n - 2;
    }
    int abandon(int error)
    {
        open = escaped = false;
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
