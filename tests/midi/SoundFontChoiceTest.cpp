#include "midi/FluidSynthDevice.h"
#include "platform/Preferences.h"
#include "platform/UserFoldersOverride.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

// A SoundFont the player names is the one the synthesizer loads; one that is missing or is
// not a SoundFont gives way to the default, saying which file was passed over and why.
TEST(SoundFontChoice, ThePlayersSoundFontLoadsAndABadOneFallsBackWithAMessage)
{
    const std::string fallback = FindGeneralMidiSoundFont();
    if (fallback.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QTemporaryDir dir;
    TOverride folders = OverrideUserFolders(dir.path());
    const std::string mine = dir.filePath("mine.sf2").toStdString(), text = dir.filePath("notes.sf2").toStdString();
    std::filesystem::create_symlink(fallback, mine);
    std::ofstream(text) << "not a SoundFont\n";
    for (const auto& [named, why] : {std::pair{mine, ""}, std::pair{dir.filePath("gone.sf2").toStdString(), "does not exist"},
                                     std::pair{text, "cannot be read as a SoundFont"}}) {
        QSettings(PreferencesPath(), QSettings::IniFormat).setValue("sound/soundfont", QString::fromStdString(named));
        const TSoundFontChoice choice = ChooseSoundFont();
        TFluidSynthDevice synth(EFluidSynthAudio::Offline);
        ASSERT_TRUE(synth.Open(nullptr));
        const std::string expected = *why ? fallback : mine;
        EXPECT_EQ(synth.SoundFontPath(), expected) << named;
        EXPECT_EQ(choice.Path, expected) << named;
        if (!*why) {
            EXPECT_EQ(choice.Warning, "");
        }
        for (const std::string& said : {named, std::string(why), fallback})
            EXPECT_TRUE(!*why || choice.Warning.find(said) != std::string::npos) << choice.Warning;
    }
}
