#include "line_noise.h"

namespace {
// Bytes sent back untouched before the first bit error.
constexpr quint64 CLEAN_START_BYTES = 64;
constexpr int BITS_PER_BYTE = 8;
} // namespace

LineNoise::LineNoise(double bitErrorRate, int slipEvery, quint32 seed)
    : bitErrorRate(bitErrorRate), slipEvery(slipEvery), generator(seed)
{
}

void LineNoise::spoil(Reply &reply)
{
    if (bitErrorRate == 0 && slipEvery == 0)
        return;
    QByteArray kept;
    kept.reserve(reply.wire.size());
    for (char byte : std::as_const(reply.wire)) {
        if (slips())
            ++reply.bytesDropped;
        else if (passed++ < CLEAN_START_BYTES)
            kept.append(byte);
        else
            kept.append(withBitErrors(byte, reply.bitsFlipped));
    }
    reply.wire = kept;
}

// The Nth, 2Nth, ... byte offered.
bool LineNoise::slips()
{
    ++offered;
    return slipEvery > 0 && offered % quint64(slipEvery) == 0;
}

// One draw for every bit, so that errors can come in bursts within a byte.
char LineNoise::withBitErrors(char byte, quint64 &flipped)
{
    for (int bit = 0; bit < BITS_PER_BYTE && bitErrorRate > 0; ++bit) {
        if (generator.generateDouble() < bitErrorRate) {
            byte = char(byte ^ (1 << bit));
            ++flipped;
        }
    }
    return byte;
}
