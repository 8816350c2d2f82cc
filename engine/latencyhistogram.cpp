#include "latencyhistogram.h"

#include <algorithm>
#include <cmath>

namespace {
// Each bucket spans a factor of 1.019; its geometric middle is then within
// 0.95% of anything in it.
constexpr double LOWEST_MS = 0.001;
constexpr double BUCKET_RATIO = 1.019;
const double LOG_RATIO = std::log(BUCKET_RATIO);
} // namespace

int LatencyHistogram::bucketOf(double ms)
{
    if (!(ms > LOWEST_MS)) // also a NaN
        return 0;
    const double index = std::log(ms / LOWEST_MS) / LOG_RATIO;
    return index >= BUCKETS - 1 ? BUCKETS - 1 : int(index);
}

double LatencyHistogram::middleOf(int bucket)
{
    return LOWEST_MS * std::exp((bucket + 0.5) * LOG_RATIO);
}

void LatencyHistogram::add(double ms)
{
    ++buckets[size_t(bucketOf(ms))];
    smallest = samples ? std::min(smallest, ms) : ms;
    largest = samples ? std::max(largest, ms) : ms;
    sum += ms;
    ++samples;
}

void LatencyHistogram::clear()
{
    *this = LatencyHistogram();
}

void LatencyHistogram::merge(const LatencyHistogram &other)
{
    if (other.samples == 0)
        return;
    for (size_t bucket = 0; bucket < buckets.size(); ++bucket)
        buckets[bucket] += other.buckets[bucket];
    smallest = samples ? std::min(smallest, other.smallest) : other.smallest;
    largest = samples ? std::max(largest, other.largest) : other.largest;
    sum += other.sum;
    samples += other.samples;
}

uint64_t LatencyHistogram::countAtMost(double ms) const
{
    uint64_t seen = 0;
    for (int bucket = 0; bucket < BUCKETS && middleOf(bucket) <= ms; ++bucket)
        seen += buckets[size_t(bucket)];
    return seen;
}

double LatencyHistogram::percentile(double p) const
{
    if (samples == 0)
        return 0;
    const double wanted = std::ceil(std::clamp(p, 0.0, 100.0) * double(samples) / 100.0);
    const uint64_t rank = std::max<uint64_t>(1, uint64_t(wanted));
    if (rank == 1 || rank == samples) // the extremes are known exactly
        return rank == 1 ? smallest : largest;
    uint64_t seen = 0;
    int bucket = 0;
    while ((seen += buckets[size_t(bucket)]) < rank)
        ++bucket;
    return std::clamp(middleOf(bucket), smallest, largest);
}
