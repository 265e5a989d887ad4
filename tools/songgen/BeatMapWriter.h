#pragma once

#include "midi/SongPosition.h"

#include <cstdint>
#include <string>
#include <vector>

// The note sounding at song position p needs the mark p + BallLead, kept to quarter beats.
// Closest two marks may lie: half a beat, time to grip and let go.
constexpr std::uint32_t kMinimumMarkSpacing = 50;
// The highest mark only closes the map; every other mark becomes a ball.
constexpr std::size_t kFewestBalls = 150;
constexpr std::size_t kMostBalls = 400;

// Beat-map text ("bar:beat:tick" lines, ascending) for notes starting at the given song
// positions. Throws when the notes break the spacing or ball-count rules.
std::string WriteBeatMap(std::vector<std::uint32_t> noteStarts);
