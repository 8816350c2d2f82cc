// Pseudo-random bit sequences of ITU-T O.150 for bit-error tests over a serial
// line: a generator of the byte stream to send and a checker that finds the
// sequence in what comes back and counts bit errors. Bits go on the line in
// sequence order, each byte's least significant bit first, as a UART sends them.
// No Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// x^7+x^6+1, x^9+x^5+1, x^15+x^14+1, x^23+x^18+1, x^31+x^28+1; the last three
// inverted on the line as O.150 has them.
enum class PrbsSequence { Prbs7, Prbs9, Prbs15, Prbs23, Prbs31 };

// "prbs7" .. "prbs31"; an unknown word gives none.
std::optional<PrbsSequence> prbsFromName(std::string_view name);
const char *prbsName(PrbsSequence sequence);

// Stages of the shift register: the number of bits that determine the rest.
int prbsRegisterLength(PrbsSequence sequence);

// The line bytes of one sequence, from any point of it onwards.
class PrbsGenerator
{
public:
    // From the register of all ones (before the inversion).
    explicit PrbsGenerator(PrbsSequence sequence);
    // From the register holding the last n line bits, the earliest in bit 0. The
    // output repeats the newest `replay` (0..n) of them first, then goes on.
    PrbsGenerator(PrbsSequence sequence, uint32_t lineRegister, int replay);

    void fill(uint8_t *bytes, size_t length);
    uint8_t nextByte();
    // Steps through up to `words` words of received bytes and stops after the first
    // that differs from the sequence, leaving its wrong bits set in wrongBits (0 when
    // none differs). Returns the words stepped through.
    size_t compareWords(const uint8_t *bytes, size_t words, uint64_t &wrongBits);

private:
    uint64_t step();
    uint64_t nextWord();
    uint64_t bitsFrom(int start) const;

    // The last 192 bits before inversion. The recurrence squared until both lags
    // exceed 64 gives 64 bits at once: bit k is bit k-long XOR bit k-short, whose
    // 64-bit runs start at these history bits.
    uint64_t earliest = 0, middle = 0, latest = 0;
    int longStart;
    int shortStart;
    uint64_t inversion;
    uint64_t pending = 0; // line bytes computed but not yet handed out, the next in the low byte
    int pendingBytes = 0;
};

// Finds the sequence in a received stream and counts bit errors. It seeds a
// generator from the first n bits it receives and compares every following bit.
// When more than a quarter of any 1,000 consecutive compared bits are wrong it
// loses synchronisation: those bits (all since the sync, if fewer) and their
// errors come back out of the counts, and the next n bits seed it again. So a
// byte slipped on the line costs one loss and no errors.
class PrbsChecker
{
public:
    explicit PrbsChecker(PrbsSequence sequence);

    void feed(const uint8_t *bytes, size_t length);

    uint64_t bitsCompared() const { return compared; }
    uint64_t bitErrors() const { return errors; }
    uint64_t syncLosses() const { return losses; }
    bool synchronised() const { return synced; }

private:
    struct Cursor {
        const uint8_t *byte;
        const uint8_t *end;
        int bit; // the next bit within *byte
    };

    void seed(Cursor &at);
    void compare(Cursor &at);
    void countCompared(uint64_t bits);
    int countErrors(uint64_t wrongBits, int firstBit, int width);
    bool crowded(uint64_t position);
    void loseSync();

    PrbsSequence sequence;
    int registerLength;
    PrbsGenerator expected;
    bool synced = false;
    uint32_t seedBits = 0;
    int seedCount = 0;
    uint64_t compared = 0;
    uint64_t errors = 0;
    uint64_t losses = 0;
    uint64_t comparedSinceSync = 0;
    uint64_t errorsSinceSync = 0;
    std::array<uint64_t, 256> errorPositions{}; // of the latest errors since the sync, a ring
};

// The upper bound of the mean number of errors at 95% confidence (Poisson): the
// lambda with P(X <= errors | lambda) = 0.05; 2.996 for no error.
double errorsUpper95(uint64_t errors);
// That bound over the bits compared: the bit error ratio not exceeded at 95% confidence.
double berUpper95(uint64_t errors, uint64_t bits);
