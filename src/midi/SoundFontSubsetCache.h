#pragma once

#include "midi/MidiDevice.h"

#include <string>
#include <vector>

// The cut-down copy of the SoundFont at source for the given presets, kept in the user's cache
// folder and made only when none is there yet for this very file and these presets. Returns
// its path, or "" with why in error.
std::string CachedSoundFontSubset(const std::string& source, std::vector<TMidiInstrument> presets, std::string& error);
