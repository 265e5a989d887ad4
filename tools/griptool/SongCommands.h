#pragma once

#include "game/BeatMapMaker.h"

#include <optional>
#include <ostream>
#include <string>

// Songs brought into the game's form, and beat maps made for them, from the command line.
namespace TSongCommands {
// Writes the song as the game plays it (division 100, every bar 4/4) to out. What the import
// left out of the song is said on report.
void Canon(const std::string& in, const std::string& out, std::ostream& report);
// Prints a beat map for the song as imported, in the format of the shipped "Fine.txt". track
// counts the tracks of the file from 0; without it the melody is found. spacing is the least
// distance between two balls in song positions; level how much the map asks of the player.
void MakeBeatMap(const std::string& in, std::optional<int> track, int spacing, std::ostream& out,
                 std::ostream& report, EMapLevel level = EMapLevel::Normal);
} // namespace TSongCommands
