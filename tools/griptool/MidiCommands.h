#pragma once

#include <ostream>
#include <string>

// The song reader, position and player as seen from the command line.
namespace TMidiCommands {
// Header line, then one line per stored record, tracks in file order.
void Dump(const std::string& file, std::ostream& out);
// The position after seeking to tick from a fresh start of the song.
void Where(const std::string& file, const std::string& tick, std::ostream& out);
// Plays the whole song in real time on an output device; one line per bar reached.
void Play(const std::string& file, int device, int tempoPercent, std::ostream& out);
// The output devices by number.
void Devices(std::ostream& out);
} // namespace TMidiCommands
