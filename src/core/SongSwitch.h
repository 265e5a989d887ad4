#pragma once

#include "game/BeatMapMaker.h"

#include <memory>
#include <string>
#include <vector>

class TMidiData;
class TTrackOutputs;

// A song of the player's choosing, read into the game's form with its beat map (the file
// beside it with the same base name and ".txt", else one made from its melody) and its
// outputs open, ready to take the loaded song's place.
struct TChosenSong {
    TChosenSong();
    ~TChosenSong();
    TChosenSong(TChosenSong&&) noexcept;

    std::string Path;
    // The outputs go before the song they route.
    std::unique_ptr<TMidiData> Song;
    std::unique_ptr<TTrackOutputs> Outputs;
    // The text of a beat-map file.
    std::string BeatMap;
    std::string Title;
    // The melody's track, whoever wrote the beat map.
    int MelodyTrack = 0;
    // The song's beat in the music's quarter notes, for making its map again at another level.
    int QuartersPerBeat = 1;
    // What the import left out of the song, to tell the player once.
    std::vector<std::string> Warnings;
    // The level the beat map was made at ("easy", "normal", "hard"), or "map" when it was read
    // from a file beside the song.
    std::string Level;
};

// All that can fail when a song is chosen, done before anything of the loaded song changes: a
// file that is no playable song, a beat map beside it that does not load, or an output that
// does not open raises its message. Nothing is ever written beside the player's files.
// A map made for the song is made at the given level.
TChosenSong ReadChosenSong(const std::string& path, int outputPort, EMapLevel level = EMapLevel::Normal);

// The beat map that goes with a song: the same folder and base name, ending in ".txt".
std::string BeatMapBeside(const std::string& songPath);
