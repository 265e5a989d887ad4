#include "training/ForceScale.h"

#include <algorithm>

// Integer arithmetic throughout, so that the step boundaries fall where the figures say: with a
// peak of 100 and 70 per cent, force 70 is exactly level 6.
std::uint8_t TForceScale::Apply(std::uint8_t force) const
{
    if (!Fitted())
        return force;
    const int scaled = force * LevelSixForce * 100 / (Peak * Share);
    return std::uint8_t(std::min(scaled, 255));
}

int TForceScale::ForceForLevel(int level) const
{
    if (!Fitted())
        return ForcePerLevel * level;
    // The least f with f * 30 * 100 / (Peak * Share) >= 5 * level.
    const int divisor = LevelSixForce * 100;
    return (ForcePerLevel * level * Peak * Share + divisor - 1) / divisor;
}
