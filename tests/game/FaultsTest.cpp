// Faults a player's machine can have, one at a time, through the whole program: a data file
// missing, spoilt or cut short, a MIDI device that will not open. Each shows its message and
// the program goes on running its timers and answering its buttons.

#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/GripGame.h"
#include "game/SoundEffect.h"
#include "sprites/DXSprite.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TCorruption = TGameHarness::TOptions::TCorruption;

// Everything a player can do, with every timer running in between. Returns normally if the
// program stayed up.
void PlayAround(TGameHarness& h)
{
    h.SetGrip([n = 0]() mutable { return std::uint8_t(n++ % 30); });
    h.RunMs(300);
    h.PressStart();
    h.RunMs(2000);
    h.PressPause();
    h.RunMs(300);
    h.PressResume();
    h.RunMs(1000);
    h.PressStart();
    h.RunMs(500);
}

struct TFileFault {
    const char* file;
    // What the player is told when the file is missing, and when it holds garbage; for the
    // song and the beat map the path follows "Cannot open file ".
    const char* missing;
    const char* garbage;
    // Whether the program's start-up reads the file (the beat map waits for Start).
    bool readAtStartUp;
};

const TFileFault kFileFaults[] = {
    {"invincible.mid", "Cannot open file ", "Invalid MIDI file ID", true},
    {"Fine.txt", "Cannot open file ", nullptr, false},
    {"good.wav", "", "", true},
    {"Animation.dxg", "無法載入Animation檔", "無法載入Animation檔", true},
    {"balls.dxg", "無法載入Balls檔", "無法載入Balls檔", true},
    {"Context.dxg", "無法載入Context檔", "無法載入Context檔", true},
    {"Effect.dxg", "無法載入Effect檔", "無法載入Effect檔", true},
    {"FixedBmp.dxg", "無法載入Fixed檔", "無法載入Fixed檔", true},
    {"Gesture.dxg", "無法載入Gesture檔", "無法載入Gesture檔", true},
};

std::string FirstMessage(const TGameHarness& h)
{
    return h.Messages().isEmpty() ? std::string() : h.Messages().first().toStdString();
}

class FileFault : public testing::TestWithParam<TFileFault> {};

} // namespace

TEST_P(FileFault, MissingShowsItsMessageAndTheProgramStaysUp)
{
    const TFileFault& fault = GetParam();
    TGameHarness::TOptions options;
    options.MissingFile = fault.file;
    TGameHarness h(options);
    PlayAround(h);
    std::string want = fault.missing;
    if (want == "Cannot open file ")
        want += h.DataDirectory() + fault.file;
    if (want.empty()) {
        // Without its hit sound the game plays on in silence.
        EXPECT_TRUE(h.Messages().isEmpty()) << FirstMessage(h);
        EXPECT_TRUE(h.Core().StartUpComplete());
        EXPECT_GT(h.LastSongPosition(), 0);
    } else {
        EXPECT_EQ(FirstMessage(h), want);
        // Start-up stops at a file it cannot read; the beat map only fails Start.
        EXPECT_EQ(h.Core().StartUpComplete(), !fault.readAtStartUp);
    }
}

TEST_P(FileFault, GarbageShowsItsMessageAndTheProgramStaysUp)
{
    const TFileFault& fault = GetParam();
    TGameHarness::TOptions options;
    options.CorruptFile = fault.file;
    TGameHarness h(options);
    PlayAround(h);
    if (!fault.garbage) {
        // A beat map of lines that are no beats: Start reports it and lays out nothing.
        ASSERT_FALSE(h.Messages().isEmpty());
        EXPECT_TRUE(h.Core().StartUpComplete());
        EXPECT_TRUE(h.Game()->PlayerOne->Lane->Balls.empty());
    } else if (*fault.garbage == 0) {
        EXPECT_TRUE(h.Messages().isEmpty()) << FirstMessage(h);
        EXPECT_GT(h.LastSongPosition(), 0);
    } else {
        EXPECT_EQ(FirstMessage(h), fault.garbage);
        EXPECT_FALSE(h.Core().StartUpComplete());
        EXPECT_EQ(h.Game(), nullptr);
    }
}

TEST_P(FileFault, CutShortEitherWorksOrSaysWhy)
{
    const TFileFault& fault = GetParam();
    TGameHarness::TOptions options;
    options.CorruptFile = fault.file;
    options.Corruption = TCorruption::Truncated;
    TGameHarness h(options);
    PlayAround(h);
    // A program that could not finish starting, or could not start the song, says so.
    if (!h.Core().StartUpComplete() || h.LastSongPosition() == 0) {
        EXPECT_FALSE(h.Messages().isEmpty());
    }
    if (std::string(fault.file).ends_with(".dxg")) {
        // Half a picture collection is no collection.
        EXPECT_EQ(FirstMessage(h), fault.missing);
    }
}

INSTANTIATE_TEST_SUITE_P(EachDataFile, FileFault, testing::ValuesIn(kFileFaults),
                         [](const testing::TestParamInfo<TFileFault>& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (c == '.')
                                     c = '_';
                             return name;
                         });

TEST(Faults, RealHitSoundWithoutItsFileStaysQuietAndThrowsNothing)
{
    for (TCorruption corruption : {TCorruption::Garbage, TCorruption::Truncated}) {
        TGameHarness::TOptions options;
        options.CorruptFile = "good.wav";
        options.Corruption = corruption;
        TGameHarness h(options);
        SetHitSound(nullptr);
        EXPECT_NO_THROW(PlayHitSound());
        EXPECT_NO_THROW(PlayHitSound());
    }
    TGameHarness::TOptions options;
    options.MissingFile = "good.wav";
    TGameHarness h(options);
    SetHitSound(nullptr);
    EXPECT_NO_THROW(PlayHitSound());
}

TEST(Faults, MidiDeviceThatWillNotOpenIsReportedAndTheProgramStaysUp)
{
    TGameHarness::TOptions options;
    options.MidiFailsToOpen = true;
    TGameHarness h(options);
    EXPECT_EQ(FirstMessage(h), "Unable to open port");
    EXPECT_FALSE(h.Core().StartUpComplete());
    PlayAround(h);
    EXPECT_FALSE(h.Playing());
    EXPECT_TRUE(h.Midi().Messages().empty());
}
