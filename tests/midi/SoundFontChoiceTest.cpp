#include "midi/FluidSynthDevice.h"
#include "platform/Preferences.h"
#include "platform/UserFoldersOverride.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {
void ChooseInSettings(const std::string& path)
{
    QSettings(PreferencesPath(), QSettings::IniFormat).setValue("sound/soundfont", QString::fromStdString(path));
}

std::string OpenedSoundFont()
{
    TFluidSynthDevice synth(EFluidSynthAudio::Offline);
    EXPECT_TRUE(synth.Open(nullptr));
    return synth.SoundFontPath();
}
}

// A SoundFont the player names is the one the synthesizer loads; one that is missing or is
// not a SoundFont gives way to the default, saying which file was passed over and why.
TEST(SoundFontChoice, ThePlayersSoundFontLoadsAndABadOneFallsBackWithAMessage)
{
    const std::string fallback = FindGeneralMidiSoundFont();
    if (fallback.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QTemporaryDir dir;
    TOverride folders = OverrideUserFolders(dir.path());
    EXPECT_EQ(ChooseSoundFont().Path, fallback);
    EXPECT_EQ(ChooseSoundFont().Warning, "");

    const std::string mine = dir.filePath("mine.sf2").toStdString();
    std::filesystem::create_symlink(fallback, mine);
    ChooseInSettings(mine);
    EXPECT_EQ(ChooseSoundFont().Warning, "");
    EXPECT_EQ(OpenedSoundFont(), mine);

    const std::string text = dir.filePath("notes.sf2").toStdString();
    std::ofstream(text) << "not a SoundFont\n";
    for (const auto& [bad, why] : {std::pair{dir.filePath("gone.sf2").toStdString(), "does not exist"},
                                   std::pair{text, "cannot be read as a SoundFont"}}) {
        ChooseInSettings(bad);
        const TSoundFontChoice choice = ChooseSoundFont();
        EXPECT_EQ(choice.Path, fallback);
        EXPECT_NE(choice.Warning.find(bad), std::string::npos) << choice.Warning;
        EXPECT_NE(choice.Warning.find(why), std::string::npos) << choice.Warning;
        EXPECT_NE(choice.Warning.find(fallback), std::string::npos) << choice.Warning;
        EXPECT_EQ(OpenedSoundFont(), fallback);
    }
}
