#pragma once

#include <cstdint>

// The game's song position counts 100 ticks to the beat and four beats to the bar, whatever
// the song's own division and metre: (bar * 4 + beat) * 100 + tick. A song in the game's form
// (SongImport) has exactly this division and every bar 4/4, so its tick is the song position.
constexpr std::int32_t SongDivision = 100;
constexpr std::int32_t SongBeatsPerBar = 4;
constexpr std::int32_t SongTicksPerBar = SongBeatsPerBar * SongDivision;

// Beat maps keep quarter beats only.
constexpr std::int32_t MarkGrid = SongDivision / 4;

// A ball laid out for mark m starts that far before the rule mark and moves a pixel a
// position, so it meets the mark once the song has moved m - BallLead positions.
constexpr std::int32_t BallLead = 500;

// Wide enough for any bar, beat and tick a beat map may name.
constexpr std::int64_t SongPositionAt(std::int64_t bar, std::int64_t beat, std::int64_t tick)
{
    return (bar * SongBeatsPerBar + beat) * SongDivision + tick;
}
