#pragma once

#include "game/Melody.h"
#include "midi/SongPosition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TMidiData;

// How much a made map asks: easy at most a ball a beat, on the strongest notes, with no hard
// grips, chains or stools; normal a ball on every note down to the spacing; hard normal's balls
// with more hard grips, and chains and stools.
enum class EMapLevel { Easy, Normal, Hard };

// The level by its word ("easy", "normal", "hard"), and the word for a level.
std::optional<EMapLevel> MapLevelNamed(const std::string& name);
const char* MapLevelName(EMapLevel level);

struct TBeatMapOptions {
    // The song's track to take the melody from; found when not given.
    std::optional<int> Track;
    // The least distance between two balls, in song positions: half a beat lets a player grip
    // and let go.
    int Spacing = 50;
    // The song's beat in the music's quarter notes (TImportedSong::QuartersPerBeat).
    int QuartersPerBeat = 1;
    EMapLevel Level = EMapLevel::Normal;
};

struct TMadeBeatMap {
    // Lines "bar:beat:tick:kind", as the beat-map loader reads them; the closing line has no kind.
    std::string Text;
    TMelody Melody;
    // The song position at which each ball meets the rule mark, ascending.
    std::vector<std::int32_t> Meets;
    // Each ball's kind (EBallKind), in the order of Meets.
    std::vector<int> Kinds;
};

// A beat map for a song in the game's form (division 100, every bar 4/4, so that a tick is a
// song position): one ball on each note of the melody, meeting the mark at the note's start or
// within the quarter beat after it, none closer than the spacing to the one before, none in
// the song's first beat (the player sees each ball coming), none later than a quarter beat
// before the song ends. The last line marks a closing position that gets no ball. A ball asks for
// a hard grip (red) on a note that is loud for this song or loud enough and on a bar's first
// beat, a light one (yellow) on a soft note off the bar's first beat, and any grip (blue) on
// the rest.
TMadeBeatMap MakeBeatMap(const TMidiData& song, const TBeatMapOptions& options = {});
