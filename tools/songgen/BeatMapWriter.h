#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A ball laid out for song position m starts 500 pixels before the rule mark and moves one pixel
// per position, so the note sounding at position p needs the mark p + 500.
constexpr std::uint32_t kBallLead = 500;
// The loader keeps quarter beats only.
constexpr std::uint32_t kMarkGrid = 25;
// Closest two marks may lie: half a beat, time to grip and let go.
constexpr std::uint32_t kMinimumMarkSpacing = 50;
// The highest mark only closes the map; every other mark becomes a ball.
constexpr std::size_t kFewestBalls = 150;
constexpr std::size_t kMostBalls = 400;

// Beat-map text ("bar:beat:tick" lines, ascending) for notes starting at the given song
// positions. Throws when the notes break the spacing or ball-count rules.
std::string WriteBeatMap(std::vector<std::uint32_t> noteStarts);
