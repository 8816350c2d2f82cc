// Bit-error test throughput: the generator filling a send buffer and the checker
// reading a clean received stream in serial-read-sized chunks, for PRBS15 and
// PRBS31. Prints each rate against the target of 500 MB/s.
#include "codec/prbs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double TARGET_MB_PER_S = 500;
constexpr size_t STREAM_BYTES = 4 << 20;
constexpr size_t CHUNK_BYTES = 4096;

PrbsSequence sequenceOf(const benchmark::State &state)
{
    return static_cast<PrbsSequence>(state.range(0));
}

void BM_Generate(benchmark::State &state)
{
    PrbsGenerator generator(sequenceOf(state));
    std::vector<uint8_t> buffer(CHUNK_BYTES);
    for (auto _ : state) {
        generator.fill(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
}

void BM_Check(benchmark::State &state)
{
    std::vector<uint8_t> line(STREAM_BYTES);
    PrbsGenerator(sequenceOf(state)).fill(line.data(), line.size());
    for (auto _ : state) {
        PrbsChecker checker(sequenceOf(state));
        for (size_t at = 0; at < line.size(); at += CHUNK_BYTES)
            checker.feed(line.data() + at, CHUNK_BYTES);
        if (checker.bitErrors() != 0 || checker.syncLosses() != 0)
            state.SkipWithError("the checker found errors in a clean stream");
        benchmark::DoNotOptimize(checker.bitsCompared());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(line.size()));
}

const int PRBS15 = static_cast<int>(PrbsSequence::Prbs15);
const int PRBS31 = static_cast<int>(PrbsSequence::Prbs31);
BENCHMARK(BM_Generate)->Arg(PRBS15)->Arg(PRBS31);
BENCHMARK(BM_Check)->Arg(PRBS15)->Arg(PRBS31);

// Prints as usual and keeps each benchmark's bytes per second.
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

void printAgainstTarget(const RateReporter &r, const char *label, const std::string &benchmark)
{
    const auto it = r.rate.find(benchmark);
    if (it == r.rate.end()) {
        std::printf("%s: no result (target >= %.0f MB/s: missed)\n", label, TARGET_MB_PER_S);
        return;
    }
    const double mbPerS = it->second / 1e6;
    std::printf("%s: %.0f MB/s (target >= %.0f MB/s: %s)\n", label, mbPerS, TARGET_MB_PER_S,
                mbPerS >= TARGET_MB_PER_S ? "met" : "missed");
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
    for (const int sequence : {PRBS15, PRBS31}) {
        const std::string name = prbsName(static_cast<PrbsSequence>(sequence));
        const std::string arg = "/" + std::to_string(sequence);
        printAgainstTarget(reporter, (name + " generator").c_str(), "BM_Generate" + arg);
        printAgainstTarget(reporter, (name + " checker").c_str(), "BM_Check" + arg);
    }
    return 0;
}
