// Round-trip times in fixed memory: logarithmic buckets, so that every
// percentile is within 1% of the sample it stands for, at any scale.
#pragma once

#include <array>
#include <cstdint>

class LatencyHistogram
{
public:
    // Records one time in milliseconds; times outside 1 us .. 100 s are kept
    // in the end buckets (min and max stay exact). No allocation.
    void add(double ms);
    // Forgets every sample.
    void clear();
    // Adds other's samples, as if each had been recorded here: several
    // links' round trips taken together.
    void merge(const LatencyHistogram &other);

    // Samples recorded since the last clear.
    uint64_t count() const { return samples; }
    // Exact smallest, largest and mean of the samples; 0 without samples.
    double min() const { return samples ? smallest : 0; }
    double max() const { return samples ? largest : 0; }
    double mean() const { return samples ? sum / double(samples) : 0; }
    // The nearest-rank p-th percentile (p in 0..100), within 1% of the
    // sample of that rank; 0 without samples.
    double percentile(double p) const;
    // The samples of at most ms, bucket by bucket: a bucket counts when its
    // middle is at most ms, so this is exact within the 1% resolution.
    uint64_t countAtMost(double ms) const;
    // The sum of the samples in milliseconds; 0 without samples.
    double total() const { return sum; }

    static constexpr int BUCKETS = 980;

private:
    static int bucketOf(double ms);
    static double middleOf(int bucket);

    std::array<uint64_t, BUCKETS> buckets{};
    uint64_t samples = 0;
    double smallest = 0;
    double largest = 0;
    double sum = 0;
};
