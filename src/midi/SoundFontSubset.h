#pragma once

#include "midi/MidiDevice.h"

#include <string>
#include <vector>

class QIODevice;

// Whether the SoundFont at path hangs together well enough to be cut down: "" when it does,
// otherwise why not. Reads only its chunk headers and preset data.
std::string CheckSoundFontForSubset(const std::string& path);

// Writes to out a SoundFont holding only the given presets of the one at source, with the
// instruments and samples they sound on, and always the first drum kit. A preset source lacks
// is replaced by the one the synthesizer would play for it: the same program of the first
// bank, or the first drum kit. Returns "" when done, otherwise why not (nothing usable is
// written then).
std::string WriteSoundFontSubset(const std::string& source, const std::vector<TMidiInstrument>& presets,
                                 QIODevice& out);
