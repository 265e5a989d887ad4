#include "midi/SoundFontChoice.h"

#include "platform/Preferences.h"

#include <fluidsynth.h>

#include <QSettings>

#include <cstdlib>
#include <filesystem>

std::string FindGeneralMidiSoundFont()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (const char* pinned = std::getenv("GRIP_DEFAULT_SOUNDFONT"); pinned && fs::is_regular_file(pinned, ec))
        return pinned;
    for (const char* candidate : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                  "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2"})
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    for (const char* dir : {"/usr/share/sounds/sf2", "/usr/share/soundfonts"})
        for (const auto& entry : fs::directory_iterator(dir, ec))
            if (entry.path().extension() == ".sf2" && entry.is_regular_file(ec))
                return entry.path().string();
    return {};
}

std::string SoundFontPassedOver(const std::string& path, const std::string& why, const std::string& fallback)
{
    return "The SoundFont chosen in the settings (" + path + ") " + why + "; " +
           (fallback.empty() ? std::string("no other is installed, so the music stays silent")
                             : "the default one (" + fallback + ") plays instead");
}

TSoundFontChoice ChooseSoundFont()
{
    const std::string chosen =
        QSettings(PreferencesPath(), QSettings::IniFormat).value("sound/soundfont").toString().trimmed().toStdString();
    if (chosen.empty())
        return {FindGeneralMidiSoundFont(), {}};
    std::error_code ec;
    const char* why = nullptr;
    if (!std::filesystem::exists(chosen, ec))
        why = "does not exist";
    else if (!std::filesystem::is_regular_file(chosen, ec))
        why = "is not a file";
    else if (!fluid_is_soundfont(chosen.c_str()))
        why = "cannot be read as a SoundFont";
    if (!why)
        return {chosen, {}};
    const std::string fallback = FindGeneralMidiSoundFont();
    return {fallback, SoundFontPassedOver(chosen, why, fallback)};
}
