#pragma once
// Integer rounding used by every conversion of a double to an integer: nearest, ties to even;
// and the saturating sum of two coordinates.

#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t rnd(double x)
{
    // Out-of-range values saturate instead of being undefined; NaN gives 0.
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    if (!(x == x))
        return 0;
    const double r = std::nearbyint(x);
    if (r <= lowest)
        return std::numeric_limits<int32_t>::min();
    if (r >= highest)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

// a + b, held within the range of int32 instead of overflowing.
inline int32_t SaturatedAdd(int32_t a, int32_t b)
{
    const int64_t sum = int64_t(a) + b;
    if (sum < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (sum > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(sum);
}
