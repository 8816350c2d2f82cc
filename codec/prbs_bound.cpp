// The upper bound of the bit error ratio at 95% confidence, from the Poisson
// distribution of the errors counted.
#include "codec/prbs.h"

#include <algorithm>
#include <cmath>

namespace {

// Regularised upper incomplete gamma Q(a, x) for a >= 1: by the series of P below
// a + 1, by the continued fraction (modified Lentz) above.
double upperGamma(double a, double x)
{
    const double logPrefix = -x + a * std::log(x) - std::lgamma(a);
    constexpr double EPS = 1e-15, TINY = 1e-300;
    if (x < a + 1) {
        double term = 1 / a, sum = term;
        for (double n = a + 1; std::fabs(term) > sum * EPS; n += 1)
            sum += term *= x / n;
        return 1 - sum * std::exp(logPrefix);
    }
    const auto awayFromZero = [](double v) { return std::fabs(v) < TINY ? TINY : v; };
    double b = x + 1 - a, c = 1 / TINY, d = 1 / b, fraction = d;
    for (double i = 1;; i += 1) {
        const double an = -i * (i - a);
        b += 2;
        d = 1 / awayFromZero(an * d + b);
        c = awayFromZero(b + an / c);
        fraction *= d * c;
        if (std::fabs(d * c - 1) < EPS)
            return std::exp(logPrefix) * fraction;
    }
}

constexpr double FIVE_PERCENT = 0.05;
constexpr double Z95 = 1.6448536269514722; // the normal quantile of 0.95

// Wilson and Hilferty's cube-root normal form of the chi-square quantile, halved:
// past a million errors it agrees with the exact bound to better than 1e-9.
double largeErrorsUpper95(double a)
{
    const double root = 1 - 1 / (9 * a) + Z95 / (3 * std::sqrt(a));
    return a * root * root * root;
}

} // namespace

// P(X <= k | lambda) = Q(k + 1, lambda) falls as lambda grows; bisection between
// k, where it is above one half, and a point well past the bound.
double errorsUpper95(uint64_t errors)
{
    const double a = double(errors) + 1;
    if (errors > 1000000)
        return largeErrorsUpper95(a);
    double low = a - 1, high = a + 6 * std::sqrt(a) + 6;
    for (int i = 0; i < 200 && high - low > 1e-12 * high; ++i) {
        const double mid = (low + high) / 2;
        (upperGamma(a, mid) > FIVE_PERCENT ? low : high) = mid;
    }
    return (low + high) / 2;
}

// At most 1: with no bit compared nothing is known.
double berUpper95(uint64_t errors, uint64_t bits)
{
    return bits == 0 ? 1.0 : std::min(1.0, errorsUpper95(errors) / double(bits));
}
