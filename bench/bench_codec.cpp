// Codec throughput against the cost floor of any FCS-16 codec: a bare byte-wise
// table CRC loop over the same bytes. Prints each codec speed as a ratio to it.
#include "codec/ppp_frame.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// A local copy of the table loop, so the floor does not depend on the codec.
struct CrcTable {
    uint16_t entry[256];
};

constexpr CrcTable makeCrcTable()
{
    CrcTable t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned v = i;
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1) ? (v >> 1) ^ 0x8408 : v >> 1;
        t.entry[i] = static_cast<uint16_t>(v);
    }
    return t;
}

constexpr CrcTable crcTable = makeCrcTable();

uint16_t bareCrc(const uint8_t *p, size_t n)
{
    uint16_t fcs = 0xFFFF;
    for (size_t i = 0; i < n; ++i)
        fcs = (fcs >> 8) ^ crcTable.entry[(fcs ^ p[i]) & 0xff];
    return fcs;
}

// Random bodies of 8 to 4096 bytes, about 4 MB in all, and the same bodies framed
// back to back as they would arrive on the line.
struct Traffic {
    std::vector<std::vector<uint8_t>> bodies;
    std::vector<uint8_t> stream;
    size_t bodyBytes = 0;

    Traffic()
    {
        std::mt19937 rng(20240611);
        std::uniform_int_distribution<int> length(8, 4096);
        std::uniform_int_distribution<int> value(0, 255);
        std::vector<uint8_t> frame(FRAME_BUF_SIZE);
        while (bodyBytes < 4u << 20) {
            std::vector<uint8_t> body(length(rng));
            for (uint8_t &b : body)
                b = static_cast<uint8_t>(value(rng));
            const int n =
                ppp_frame_encode(body.data(), int(body.size()), frame.data(), FRAME_BUF_SIZE);
            stream.insert(stream.end(), frame.begin(), frame.begin() + n);
            bodyBytes += body.size();
            bodies.push_back(std::move(body));
        }
    }
};

const Traffic &traffic()
{
    static const Traffic t;
    return t;
}

void BM_CrcBodies(benchmark::State &state)
{
    const Traffic &t = traffic();
    for (auto _ : state)
        for (const auto &body : t.bodies)
            benchmark::DoNotOptimize(bareCrc(body.data(), body.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.bodyBytes));
}

void BM_Encode(benchmark::State &state)
{
    const Traffic &t = traffic();
    std::vector<uint8_t> frame(FRAME_BUF_SIZE);
    for (auto _ : state) {
        for (const auto &body : t.bodies) {
            benchmark::DoNotOptimize(
                ppp_frame_encode(body.data(), int(body.size()), frame.data(), FRAME_BUF_SIZE));
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.bodyBytes));
}

void BM_CrcStream(benchmark::State &state)
{
    const Traffic &t = traffic();
    for (auto _ : state)
        benchmark::DoNotOptimize(bareCrc(t.stream.data(), t.stream.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.stream.size()));
}

// Feeds the whole stream byte by byte, as a receive loop with its own decoder
// state does, so the decoder is inlined; returns the frames delivered.
size_t feedStream(benchmark::State &state)
{
    const Traffic &t = traffic();
    std::vector<uint8_t> buf(FRAME_BUF_SIZE);
    size_t frames = 0;
    for (auto _ : state) {
        DecoderState decoder{};
        for (uint8_t byte : t.stream)
            frames += ppp_frame_decode(decoder, byte, buf.data(), FRAME_BUF_SIZE) > 0;
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.stream.size()));
    return frames;
}

void BM_Decode(benchmark::State &state)
{
    if (feedStream(state) != state.iterations() * traffic().bodies.size())
        state.SkipWithError("decoder lost frames");
}

BENCHMARK(BM_CrcBodies);
BENCHMARK(BM_Encode);
BENCHMARK(BM_CrcStream);
BENCHMARK(BM_Decode);

// Prints as usual and keeps each benchmark's bytes per second for the ratios.
class RateReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> rate;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (!run.error_occurred && it != run.counters.end())
                rate[run.benchmark_name()] = it->second;
        }
    }
};

void printRatio(const RateReporter &r, const char *label, const char *codec, const char *crc)
{
    const auto c = r.rate.find(codec), f = r.rate.find(crc);
    if (c != r.rate.end() && f != r.rate.end() && f->second > 0)
        std::printf("%s ratio: %.3f (%.1f MB/s vs %.1f MB/s)\n", label, c->second / f->second,
                    c->second / 1e6, f->second / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printRatio(reporter, "encode/crc", "BM_Encode", "BM_CrcBodies");
    printRatio(reporter, "decode/crc", "BM_Decode", "BM_CrcStream");
    return 0;
}
