#pragma once

#include <algorithm>
#include <cstdint>

// Rectangles with exclusive right and bottom edges; overlap is strict, so rectangles that
// only touch do not overlap.
struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    constexpr std::int32_t Width() const { return Right - Left; }
    constexpr std::int32_t Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Bounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    return TRect{left, top, left + width, top + height};
}

constexpr bool OverlapRect(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// The common part of two rectangles; empty (and possibly inverted) when they do not meet.
constexpr TRect IntersectRect(const TRect& a, const TRect& b)
{
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}
