#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

// v saturated to the 32-bit range: values taken from files are widened for the arithmetic and
// brought back here, so an extreme one gives an extreme position instead of overflow.
constexpr std::int32_t Clamp32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}
