#pragma once

#include <cstdint>
#include <vector>

class TMidiData;

// The song as a Standard MIDI File that the song reader reads back record for record: its
// header words as kept, every event with its own status byte (no running status), and each
// track's records as they are, so that a track ends where its end-of-track record stands.
std::vector<std::uint8_t> MidiFileBytes(const TMidiData& song);
