#pragma once

#include "platform/IntegerMath.h"

#include <cstdint>
#include <limits>

// Integer helpers for the bar views: pixel and tick scaling by powers of two, kept defined
// (and saturated) for the odd time signatures and sizes a song file can carry. Results go back
// to 32 bits through Clamp32.
namespace bargeometry {

// v shifted left by n when n is positive, right (arithmetically) by -n when negative.
inline std::int64_t Shift(std::int64_t v, int n)
{
    if (n < 0)
        return n <= -63 ? (v < 0 ? -1 : 0) : v >> -n;
    if (v == 0 || n == 0)
        return v;
    constexpr std::int64_t limit = std::int64_t(1) << 40;
    if (n >= 24 || v > limit || v < -limit)
        return v > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return v << n;
}

} // namespace bargeometry
