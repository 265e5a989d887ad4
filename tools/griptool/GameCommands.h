#pragma once

#include <ostream>
#include <string>

// The game's beat map and first layout as seen from the command line.
namespace TGameCommands {
// "size N", then every set bit index in increasing order.
void BeatMap(const std::string& file, std::ostream& out);
// The balls of the first Start after program start: LANE ORDINAL KIND X Y, player one first.
void Layout(const std::string& file, bool onlyBlue, bool smallShift, std::ostream& out);
} // namespace TGameCommands
