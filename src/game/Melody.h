#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TMidiData;

class EMelody : public Exception {
public:
    using Exception::Exception;
};

// The part of a song a listener would hum: one channel of one track.
struct TMelody {
    int Track = -1;
    int Channel = -1;
    // The track's name and the part's instrument (General MIDI program, 0-based).
    std::string Name;
    int Program = 0;
    // Where the part's notes start, in ticks, ascending; notes struck together count once.
    std::vector<std::int32_t> Onsets;
};

// Weighs every part that is not drums: how much of the song it plays, how seldom it plays
// chords, how high it lies, how busy it is, and what its track's name and its instrument say.
// Drums are taken only when nothing else plays. With track given only that track's parts are
// weighed ("Track %d has no notes" when it has none). The parts are weighed in the music's own
// bars of four quarter notes, of which a beat of the song holds quartersPerBeat.
TMelody FindMelody(const TMidiData& song, std::optional<int> track = std::nullopt, int quartersPerBeat = 1);
