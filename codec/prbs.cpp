#include "codec/prbs.h"

#include <algorithm>
#include <cstring>

namespace {

// x^length + x^tap + 1: each sequence bit is the XOR of the bits `length` and
// `tap` places before it.
struct Shape {
    const char *name;
    int length;
    int tap;
    bool inverted;
};

constexpr Shape shapes[] = {
    {"prbs7", 7, 6, false},   {"prbs9", 9, 5, false},   {"prbs15", 15, 14, true},
    {"prbs23", 23, 18, true}, {"prbs31", 31, 28, true},
};

constexpr const Shape &shapeOf(PrbsSequence sequence)
{
    return shapes[static_cast<int>(sequence)];
}

constexpr int HISTORY_BITS = 192;

// A sequence that obeys x^n + x^m + 1 obeys its square x^2n + x^2m + 1 too. Squared
// until the nearer lag exceeds 64, one XOR of two shifted histories gives 64 bits.
constexpr int wordLag(int lag, int tap)
{
    return tap > 64 ? lag : wordLag(2 * lag, 2 * tap);
}

constexpr bool lagsFitHistory()
{
    for (const Shape &s : shapes)
        if (wordLag(s.length, s.tap) > HISTORY_BITS)
            return false;
    return true;
}
static_assert(lagsFitHistory(), "a lag reaches beyond the history");

constexpr uint64_t allOnesIf(bool set)
{
    return set ? ~uint64_t(0) : 0;
}

// The line bytes as a UART sends them, the first in the low byte: the host's order.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "words are loaded as they lie");

uint64_t loadWord(const uint8_t *bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

void storeWord(uint8_t *bytes, uint64_t word)
{
    std::memcpy(bytes, &word, sizeof word);
}

} // namespace

std::optional<PrbsSequence> prbsFromName(std::string_view name)
{
    for (int i = 0; i < int(std::size(shapes)); ++i)
        if (name == shapes[i].name)
            return static_cast<PrbsSequence>(i);
    return std::nullopt;
}

const char *prbsName(PrbsSequence sequence)
{
    return shapeOf(sequence).name;
}

int prbsRegisterLength(PrbsSequence sequence)
{
    return shapeOf(sequence).length;
}

PrbsGenerator::PrbsGenerator(PrbsSequence sequence)
    : PrbsGenerator(sequence, uint32_t(~allOnesIf(shapeOf(sequence).inverted)), 0)
{
}

// Runs the recurrence backwards from the register (bit k-n is bit k XOR bit k-m)
// to fill the history that precedes the first output bit.
PrbsGenerator::PrbsGenerator(PrbsSequence sequence, uint32_t lineRegister, int replay)
    : longStart(HISTORY_BITS - wordLag(shapeOf(sequence).length, shapeOf(sequence).tap)),
      shortStart(HISTORY_BITS - wordLag(shapeOf(sequence).tap, shapeOf(sequence).tap)),
      inversion(allOnesIf(shapeOf(sequence).inverted))
{
    const Shape &shape = shapeOf(sequence);
    std::array<uint8_t, HISTORY_BITS + 32> bits{}; // sequence bit u at [HISTORY_BITS + u]
    for (int u = 0; u < shape.length; ++u)
        bits[HISTORY_BITS + u] = ((lineRegister ^ inversion) >> u) & 1;
    for (int u = HISTORY_BITS - 1; u >= 0; --u)
        bits[u] = bits[u + shape.length] ^ bits[u + shape.length - shape.tap];
    const int first = shape.length - replay;
    std::array<uint64_t, 3> words{};
    for (int t = 0; t < HISTORY_BITS; ++t)
        words[t / 64] |= uint64_t(bits[first + t]) << (t % 64);
    earliest = words[0];
    middle = words[1];
    latest = words[2];
}

// The 64 history bits from `start` (0..127) on. Named words and a selection rather
// than an indexed array keep the history in registers; the high word is shifted
// in two steps so that a shift of 0 takes none of it.
uint64_t PrbsGenerator::bitsFrom(int start) const
{
    const bool upper = start >= 64;
    const uint64_t low = upper ? middle : earliest, high = upper ? latest : middle;
    const int shift = start % 64;
    return low >> shift | (high << 1) << (63 - shift);
}

uint64_t PrbsGenerator::step()
{
    const uint64_t next = bitsFrom(longStart) ^ bitsFrom(shortStart);
    earliest = middle;
    middle = latest;
    latest = next;
    return next ^ inversion;
}

uint8_t PrbsGenerator::nextByte()
{
    if (pendingBytes == 0) {
        pending = step();
        pendingBytes = 8;
    }
    const uint8_t byte = static_cast<uint8_t>(pending);
    pending >>= 8;
    --pendingBytes;
    return byte;
}

// The pending bytes first; as many of the new word's stay pending.
uint64_t PrbsGenerator::nextWord()
{
    const uint64_t next = step();
    const int held = 8 * pendingBytes;
    const uint64_t word = pending | next << held;
    pending = (next >> 1) >> (63 - held);
    return word;
}

// The loops run on a local copy, which byte stores cannot alias.
void PrbsGenerator::fill(uint8_t *bytes, size_t length)
{
    PrbsGenerator local = *this;
    for (; length >= 8; length -= 8, bytes += 8)
        storeWord(bytes, local.nextWord());
    for (; length > 0; --length)
        *bytes++ = local.nextByte();
    *this = local;
}

size_t PrbsGenerator::compareWords(const uint8_t *bytes, size_t words, uint64_t &wrongBits)
{
    PrbsGenerator local = *this;
    size_t stepped = 0;
    wrongBits = 0;
    while (stepped < words && !wrongBits)
        wrongBits = loadWord(bytes + 8 * stepped++) ^ local.nextWord();
    *this = local;
    return stepped;
}

namespace {

constexpr int WINDOW_BITS = 1000;
constexpr uint64_t WINDOW_ERRORS_ALLOWED = WINDOW_BITS / 4;

} // namespace

PrbsChecker::PrbsChecker(PrbsSequence sequence)
    : sequence(sequence), registerLength(prbsRegisterLength(sequence)), expected(sequence)
{
}

void PrbsChecker::feed(const uint8_t *bytes, size_t length)
{
    Cursor at{bytes, bytes + length, 0};
    while (at.byte < at.end) {
        if (synced)
            compare(at);
        else
            seed(at);
    }
}

// The output starts at bit 0 of the byte the seed ends in, so it lines up with
// the received bytes: the seed bits already in that byte are replayed.
void PrbsChecker::seed(Cursor &at)
{
    for (; at.byte < at.end && seedCount < registerLength; ++seedCount) {
        seedBits |= uint32_t((*at.byte >> at.bit) & 1) << seedCount;
        at.bit = (at.bit + 1) % 8;
        at.byte += at.bit == 0;
    }
    if (seedCount < registerLength)
        return;
    expected = PrbsGenerator(sequence, seedBits, at.bit);
    synced = true;
    comparedSinceSync = errorsSinceSync = 0;
}

// Whole words where the cursor is on a byte boundary, bytes elsewhere; a run of
// clean words goes in one call.
void PrbsChecker::compare(Cursor &at)
{
    while (at.byte < at.end) {
        const size_t words = at.bit == 0 ? size_t(at.end - at.byte) / 8 : 0;
        uint64_t wrong = 0;
        int width = 8;
        if (words > 0) {
            const size_t clean = expected.compareWords(at.byte, words, wrong) - 1;
            countCompared(64 * clean);
            at.byte += 8 * clean;
            width = 64;
        } else {
            wrong = *at.byte ^ expected.nextByte();
        }
        const int lostAt = wrong ? countErrors(wrong, at.bit, width) : width;
        const int end = lostAt < width ? lostAt + 1 : width;
        countCompared(end - at.bit);
        at.byte += end / 8;
        at.bit = end % 8;
        if (lostAt < width)
            return loseSync();
    }
}

void PrbsChecker::countCompared(uint64_t bits)
{
    compared += bits;
    comparedSinceSync += bits;
}

// Counts the wrong bits from firstBit on, up to the one that loses synchronisation,
// if any: returns its index, else width.
int PrbsChecker::countErrors(uint64_t wrongBits, int firstBit, int width)
{
    for (wrongBits &= ~uint64_t(0) << firstBit; wrongBits; wrongBits &= wrongBits - 1) {
        const int bit = __builtin_ctzll(wrongBits);
        ++errors;
        if (crowded(comparedSinceSync + (bit - firstBit)))
            return bit;
    }
    return width;
}

// Whether the error at this position (bits compared since the sync) is one too
// many for the window that ends with it.
bool PrbsChecker::crowded(uint64_t position)
{
    const uint64_t index = errorsSinceSync++;
    errorPositions[index % errorPositions.size()] = position;
    if (index < WINDOW_ERRORS_ALLOWED)
        return false;
    const uint64_t oldest = errorPositions[(index - WINDOW_ERRORS_ALLOWED) % errorPositions.size()];
    return position - oldest < WINDOW_BITS;
}

// The window that ends with the first error too many holds exactly one error over
// the limit: the window ending at the error before held no more than the limit.
void PrbsChecker::loseSync()
{
    compared -= std::min<uint64_t>(WINDOW_BITS, comparedSinceSync);
    errors -= WINDOW_ERRORS_ALLOWED + 1;
    ++losses;
    synced = false;
    seedBits = 0;
    seedCount = 0;
}
