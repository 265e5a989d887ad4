#include "SmfBuilder.h"
#include "midi/FluidSynthDevice.h"
#include "midi/ManualMidiTimerService.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/SoundFontSubset.h"
#include "midi/TrackOutputs.h"
#include "platform/ManualClock.h"
#include "platform/UserFoldersOverride.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fluidsynth.h>

namespace {
struct TRendered {
    std::vector<float> Left, Right;
    bool Subset = false;
};

// Plays the songs one after the other through the whole stack and keeps what the synthesizer
// rendered, up to ticks of 4 ms of each.
TRendered Play(std::int64_t subsetAbove, const std::vector<std::string>& songs, int ticks)
{
    TRendered out;
    TFluidSynthDevice* synth = nullptr;
    TOverride offline = OverrideMidiDevice(0, [&synth, subsetAbove](int) {
        auto d = std::make_unique<TFluidSynthDevice>(EFluidSynthAudio::Offline);
        d->SetSubsetAboveBytes(subsetAbove);
        synth = d.get();
        return d;
    });
    TManualClock clock;
    TManualMidiTimerService timers;
    std::vector<float> left, right;
    for (const std::string& file : songs) {
        TMidiData song;
        song.SetFileName(file);
        song.SetActive(true);
        TTrackOutputs outputs;
        outputs.SetMidiData(&song);
        outputs.SetActive(true);
        TMidiPlayer player(&timers, &clock);
        player.SetTrackOutputs(&outputs);
        player.Refresh();
        player.SetPlay(true);
        for (int i = 0; i < ticks && player.Play(); ++i) {
            clock.AdvanceMilliseconds(4);
            timers.Fire();
            synth->Render(left, right, TFluidSynthDevice::SampleRate * 4 / 1000);
            out.Left.insert(out.Left.end(), left.begin(), left.end());
            out.Right.insert(out.Right.end(), right.begin(), right.end());
        }
        out.Subset = synth->LoadedSubset();
        player.SetPlay(false);
        outputs.SetActive(false);
    }
    return out;
}

std::string Differs(const TRendered& a, const TRendered& b)
{
    if (a.Left.size() != b.Left.size())
        return "lengths differ";
    for (std::size_t i = 0; i < a.Left.size(); ++i)
        if (a.Left[i] != b.Left[i] || a.Right[i] != b.Right[i])
            return "first difference at frame " + std::to_string(i);
    return "";
}

QByteArray Subset(const std::string& source, const std::vector<TMidiInstrument>& presets, std::string& error)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    error = WriteSoundFontSubset(source, presets, buffer);
    return buffer.data();
}
}

// Cut down to a song's presets, the SoundFont sounds exactly as the whole file does: the
// shipped song, then one that asks for presets the file lacks (played by their stand-ins) and
// changes programs, both in one sitting so the copy is swapped between songs.
TEST(SoundFontSubset, SongsSoundSampleForSampleAsWithTheWholeFile)
{
    if (FindGeneralMidiSoundFont().empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QTemporaryDir home;
    TOverride folders = OverrideUserFolders(home.path());
    smf::TempDir dir;
    smf::Track t0, lead, drums;
    t0.Tempo(0, 500000).Raw(0, {0xB1, 0, 8}).End();
    lead.Raw(0, {0xC1, 33}).Raw(0, {0x91, 40, 100}).Raw(96, {0xC1, 48}).Raw(0, {0x91, 64, 90}).Raw(96, {0x81, 40, 0})
        .Raw(0, {0x81, 64, 0}).End(96);
    drums.Raw(0, {0xC9, 25}).Raw(0, {0x99, 36, 120}).Raw(48, {0x99, 38, 120}).Raw(48, {0x89, 36, 0}).Raw(0, {0x89, 38, 0}).End(96);
    const std::vector<std::string> songs{std::string(GRIP_BIN_DIR) + "invincible.mid",
                                         dir.Write("standins.mid", smf::File(96, {t0, lead, drums}))};
    const int ticks = 5000;  // 20 s of each
    const TRendered whole = Play(TFluidSynthDevice::DefaultSubsetAboveBytes, songs, ticks);
    const TRendered cut = Play(0, songs, ticks);
    EXPECT_FALSE(whole.Subset);
    EXPECT_TRUE(cut.Subset);
    ASSERT_GT(whole.Left.size(), std::size_t(ticks) * 176);
    EXPECT_EQ(Differs(whole, cut), "");
    EXPECT_GT(*std::ranges::max_element(cut.Left), 0.02f);
    // From the copies made now.
    const TRendered again = Play(0, songs, ticks);
    EXPECT_EQ(Differs(whole, again), "");
}

// The copy holds just what was asked (or its stand-in) and the first drum kit, and reads as a
// SoundFont to the synthesizer.
TEST(SoundFontSubset, HoldsTheAskedPresetsTheirStandInsAndTheFirstDrumKit)
{
    const std::string source = FindGeneralMidiSoundFont();
    if (source.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    std::string error;
    const QByteArray bytes = Subset(source, {{0, 40}, {8, 33}, {TMidiInstrument::DrumBank, 99}}, error);
    ASSERT_EQ(error, "");
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.sf2");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    EXPECT_LT(bytes.size(), QFile(QString::fromStdString(source)).size() / 4);
    EXPECT_EQ(CheckSoundFontForSubset(path.toStdString()), "");

    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = new_fluid_synth(settings);
    const int id = fluid_synth_sfload(synth, path.toUtf8().constData(), 0);
    ASSERT_NE(id, FLUID_FAILED);
    fluid_sfont_t* font = fluid_synth_get_sfont_by_id(synth, id);
    std::vector<std::pair<int, int>> held;
    fluid_sfont_iteration_start(font);
    while (fluid_preset_t* preset = fluid_sfont_iteration_next(font))
        held.emplace_back(fluid_preset_get_banknum(preset), fluid_preset_get_num(preset));
    std::ranges::sort(held);
    EXPECT_EQ(held, (std::vector<std::pair<int, int>>{{0, 33}, {0, 40}, {128, 0}}));
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

// A cut-off, garbled or foreign file is refused with a reason, and is never read out of range.
TEST(SoundFontSubset, RefusesDamagedFilesWithAReason)
{
    const std::string source = FindGeneralMidiSoundFont();
    if (source.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QFile original(QString::fromStdString(source));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray good = original.readAll();
    const qsizetype phdr = good.indexOf("phdr"), shdr = good.indexOf("shdr");
    ASSERT_GT(phdr, 0);
    // The first preset is the one asked for, so its damage is met.
    const TMidiInstrument first{std::uint8_t(good[phdr + 8 + 22]), std::uint8_t(good[phdr + 8 + 20])};
    auto poke = [&](qsizetype at, std::uint32_t value) {
        QByteArray bad = good;
        for (int i = 0; i < 4; ++i)
            bad[at + i] = char(value >> (8 * i));
        return bad;
    };
    const std::vector<std::pair<const char*, QByteArray>> damaged{
        {"cut off in its samples", good.left(good.size() / 2)},
        {"cut off in its preset data", good.left(shdr + 20)},
        {"a preset's zones past the end", poke(phdr + 8 + 24, 0xFFFF)},
        {"the first sample past the sample data", poke(shdr + 8 + 24, 0x7FFFFFFF)},
        {"a preset data chunk larger than its list", poke(phdr + 4, 0x00FFFFFF)},
        {"not a SoundFont", QByteArray("RIFF\x04\0\0\0WAVE", 12)},
        {"empty", QByteArray()},
    };
    QTemporaryDir dir;
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        const QString path = dir.filePath("bad.sf2");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        std::string error;
        Subset(path.toStdString(), {first}, error);
        EXPECT_NE(error, "");
        EXPECT_NE(CheckSoundFontForSubset(path.toStdString()), "");
    }
}

// When no copy can be made (here the cache folder cannot be), the whole file is loaded with
// one warning, and the song sounds just the same.
TEST(SoundFontSubset, DeviceLoadsTheWholeFileWhenNoCopyCanBeMade)
{
    if (FindGeneralMidiSoundFont().empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QTemporaryDir home;
    TOverride folders = OverrideUserFolders(home.path());
    QFile blocker(home.filePath("cache"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::vector<std::string> song{std::string(GRIP_BIN_DIR) + "invincible.mid"};
    testing::internal::CaptureStderr();
    const TRendered fallback = Play(0, song, 1000);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fallback.Subset);
    EXPECT_NE(err.find("Warning: cannot make the cache folder"), std::string::npos) << err;
    EXPECT_EQ(err.find("Warning", 1), std::string::npos) << err;
    EXPECT_EQ(Differs(fallback, Play(TFluidSynthDevice::DefaultSubsetAboveBytes, song, 1000)), "");
}
