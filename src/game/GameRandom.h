#pragma once

#include <cstdint>

// The game's own generator: a 32-bit linear congruential state, 0 at program start and never
// reseeded, so the first layouts and the toys' paces are the same on every run.
class TGameRandom {
public:
    // A number in 0 .. range - 1 (0 for a range of 0).
    std::uint32_t Draw(std::uint32_t range)
    {
        state_ = state_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * range) >> 32);
    }

    std::uint32_t State() const { return state_; }
    void SetState(std::uint32_t state) { state_ = state; }

private:
    std::uint32_t state_ = 0;
};

// The one program-wide generator shared by the figure sets and the lanes.
TGameRandom& GameRandom();
