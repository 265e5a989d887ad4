#pragma once

#include <string>

// The system's General MIDI SoundFont, or "" when none is installed. GRIP_DEFAULT_SOUNDFONT,
// when it names a file, stands in for the system's choice (the tests keep a small one there).
std::string FindGeneralMidiSoundFont();

struct TSoundFontChoice {
    std::string Path;     // "" when there is none to load
    std::string Warning;  // why the player's own choice is not used, or ""
};

// The SoundFont the player named in the settings (sound/soundfont) when it is there and reads
// as one; otherwise the system's, with a warning when the player's was passed over.
TSoundFontChoice ChooseSoundFont();
// The warning for a SoundFont of the player's that turned out not to load after all.
std::string SoundFontPassedOver(const std::string& path, const std::string& why, const std::string& fallback);
