#pragma once

#include "game/GripLevel.h"

#include <cstdint>

// How a ball's force becomes the force the grip level is read from. As the game comes, level n
// needs force 5 n, level 6 force 30, whoever grips. Fitted to a hand whose comfortable peak was
// measured, Share per cent of that peak gives level 6, and the five steps below it keep equal
// widths, as the game's own do.
struct TForceScale {
    static constexpr int DefaultShare = 70;
    // What the game's own scale needs for level 6.
    static constexpr int LevelSixForce = TopGripLevel * ForcePerLevel;
    // A peak lighter than this is no measure of a hand: resting noise would be taken as grips.
    static constexpr int LeastPeak = 15;

    // The calibrated peak; 0 is the game's own scale.
    std::uint8_t Peak = 0;
    // Per cent of the peak that gives level 6, 10..100.
    int Share = DefaultShare;

    bool Fitted() const { return Peak > 0; }
    // The force as the game's own scale is to take it (never above 255).
    std::uint8_t Apply(std::uint8_t force) const;
    // The least force that reaches level (1..6).
    int ForceForLevel(int level) const;
};
