// Beat maps made from a song's melody: which part is the melody, and where its balls go.
#include "../midi/SmfBuilder.h"
#include "game/BeatMapMaker.h"
#include "game/GameRandom.h"
#include "game/PipeLine.h"
#include "game/Metronome.h"
#include "midi/MidiData.h"
#include "midi/SongImport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

using smf::Bytes;

// One track of a song in the game's form, its events given at absolute ticks in order.
struct TTrack {
    std::string Name;
    std::vector<std::pair<std::int32_t, Bytes>> Events;

    TTrack& At(std::int32_t tick, Bytes bytes)
    {
        Events.emplace_back(tick, std::move(bytes));
        return *this;
    }
    // A note of the given length; the note-off goes in its place among later events.
    TTrack& Note(std::int32_t tick, int channel, int key, std::int32_t length, int velocity = 100)
    {
        At(tick, {std::uint8_t(0x90 | channel), std::uint8_t(key), std::uint8_t(velocity)});
        Offs.emplace_back(tick + length, Bytes{std::uint8_t(0x80 | channel), std::uint8_t(key), 0});
        return *this;
    }
    std::vector<std::pair<std::int32_t, Bytes>> Offs;
};

std::unique_ptr<TMidiData> Song(std::vector<TTrack> tracks)
{
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, std::uint8_t(tracks.size() + 1), 0, 100};
    auto chunk = [&file](std::vector<std::pair<std::int32_t, Bytes>> events, const std::string& name) {
        std::stable_sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.first < b.first; });
        Bytes body;
        if (!name.empty()) {
            body.insert(body.end(), {0, 0xFF, 0x03, std::uint8_t(name.size())});
            body.insert(body.end(), name.begin(), name.end());
        }
        std::int32_t tick = 0;
        for (auto& [at, bytes] : events) {
            smf::PutVarLen(body, std::uint32_t(at - tick));
            tick = at;
            body.insert(body.end(), bytes.begin(), bytes.end());
        }
        body.insert(body.end(), {0, 0xFF, 0x2F, 0});
        file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, std::uint8_t(body.size() >> 8), std::uint8_t(body.size())});
        file.insert(file.end(), body.begin(), body.end());
    };
    chunk({{0, Bytes{0xFF, 0x51, 3, 0x07, 0xA1, 0x20}}}, "Conductor");
    for (TTrack& t : tracks) {
        auto events = t.Events;
        events.insert(events.end(), t.Offs.begin(), t.Offs.end());
        chunk(events, t.Name);
    }
    auto song = std::make_unique<TMidiData>();
    song->OpenBytes(file, "made.mid");
    return song;
}

// A tune on a flute over a bass, a pad of chords and drums, all busier than the tune.
std::vector<TTrack> Band()
{
    TTrack drums{"Kit", {}, {}}, bass{"Bass", {}, {}}, pad{"Strings", {}, {}}, tune{"Flute", {}, {}};
    tune.At(0, {0xC3, 73});
    bass.At(0, {0xC1, 33});
    pad.At(0, {0xC2, 89});
    for (std::int32_t bar = 0; bar < 16; ++bar) {
        const std::int32_t at = bar * 400;
        for (int beat = 0; beat < 8; ++beat)
            drums.Note(at + beat * 50, 9, beat % 2 ? 42 : 36, 20);
        for (int beat = 0; beat < 4; ++beat)
            bass.Note(at + beat * 100, 1, 36 + (bar + beat) % 7, 90);
        for (int key : {60, 64, 67})
            pad.Note(at, 2, key + bar % 5, 400);
        // Two quick notes and a long one, the tune resting in bars 6 to 9.
        if (bar < 6 || bar > 9)
            for (std::int32_t off : {13, 130, 160, 250})
                tune.Note(at + off, 3, 72 + (bar + off) % 9, 20);
    }
    return {drums, bass, pad, tune};
}

} // namespace

TEST(BeatMapMaker, TheMelodyIsTheTuneNotTheDrumsBassOrChordsUnlessATrackIsNamed)
{
    const auto song = Song(Band());
    const TMelody melody = FindMelody(*song);
    EXPECT_EQ(melody.Track, 4);
    EXPECT_EQ(melody.Channel, 3);
    EXPECT_EQ(melody.Name, "Flute");
    EXPECT_EQ(melody.Program, 73);
    EXPECT_EQ(melody.Onsets.size(), 12u * 4u);
    // Asked for the chords, it takes the chords, each struck once.
    const TMelody chords = FindMelody(*song, 3);
    EXPECT_EQ(chords.Track, 3);
    EXPECT_EQ(chords.Onsets.size(), 16u);
    EXPECT_THROW(FindMelody(*song, 0), EMelody);
    // Only drums left: then they are what the song has.
    EXPECT_EQ(FindMelody(*Song({Band()[0]})).Channel, 9);
}

TEST(BeatMapMaker, BallsMeetTheMarkAsTheirNotesStartSpacedAndNoneInTheRestOrAfterTheEnd)
{
    const auto song = Song(Band());
    const TMadeBeatMap map = MakeBeatMap(*song);
    const TMelody& melody = map.Melody;
    ASSERT_FALSE(map.Meets.empty());
    std::int32_t last = -1000;
    for (std::int32_t meet : map.Meets) {
        // At a note's start or within the quarter beat after it, on the marks' grid.
        const bool onANote = std::any_of(melody.Onsets.begin(), melody.Onsets.end(),
                                         [meet](std::int32_t s) { return meet >= s && meet - s < 25; });
        EXPECT_TRUE(onANote) << meet;
        EXPECT_EQ(meet % 25, 0);
        EXPECT_GE(meet - last, 50) << meet;
        // Not in the first beat, not in the tune's rest from bar 6 to bar 9.
        EXPECT_GE(meet, 100);
        EXPECT_FALSE(meet > 6 * 400 && meet < 10 * 400) << meet;
        last = meet;
    }
    // The quick pair 130/160 keeps its first note only, and the note at 13 gives no ball: 2
    // balls in the first bar, 3 in each other bar with the tune.
    EXPECT_EQ(map.Meets.size(), 2u + 11u * 3u);
    EXPECT_EQ(map.Meets.front(), 150);
    // The last note sounds until the song ends: its ball meets the mark before that.
    EXPECT_LT(map.Meets.back(), 15 * 400 + 300);

    // The loader reads it, and the lanes lay out one ball per meeting, each reaching the mark
    // (X 275) when the song has moved on to that meeting.
    TMetronome metronome("/nowhere/");
    metronome.LoadBeatMapText(map.Text);
    const std::uint32_t generator = GameRandom().State();
    const auto plan = PlanLayout(metronome.Marks(), LaneOneRows, true, false);
    GameRandom().SetState(generator);
    ASSERT_EQ(plan.size(), map.Meets.size());
    for (std::size_t i = 0; i < plan.size(); ++i)
        EXPECT_DOUBLE_EQ(plan[i].X + map.Meets[i], 275.0) << i;

    // A wider spacing thins them out.
    TBeatMapOptions wide;
    wide.Spacing = 200;
    const TMadeBeatMap sparse = MakeBeatMap(*song, wide);
    for (std::size_t i = 1; i < sparse.Meets.size(); ++i)
        EXPECT_GE(sparse.Meets[i] - sparse.Meets[i - 1], 200);
    EXPECT_LT(sparse.Meets.size(), map.Meets.size());
}

TEST(BeatMapMaker, AFastSongsMelodyIsWeighedInItsOwnBarsNotInTheGamesLongerBeats)
{
    // 150 beats a minute, too fast for a beat of the game to be a quarter note. A flute plays
    // eighths high above, a second flute quarters in the middle: in bars of four quarters the
    // eighths are a tune's pace, in bars of four half notes they would be twice as busy.
    smf::Track lead, tune, alto;
    lead.Name(0, "Conductor").Tempo(0, 400000).End();
    tune.Raw(0, {0xC0, 73});
    alto.Raw(0, {0xC1, 73});
    for (int i = 0; i < 16 * 8; ++i)
        tune.Raw(0, {0x90, std::uint8_t(74 + i % 5), 90}).Raw(40, {0x80, std::uint8_t(74 + i % 5), 0}).Meta(8, 0x01);
    for (int i = 0; i < 16 * 4; ++i)
        alto.Raw(0, {0x91, std::uint8_t(58 + i % 4), 90}).Raw(90, {0x81, std::uint8_t(58 + i % 4), 0}).Meta(6, 0x01);
    const TImportedSong imported = ImportSong(smf::File(96, {lead, tune.End(), alto.End()}), "fast.mid");
    ASSERT_EQ(imported.QuartersPerBeat, 2);
    TMidiData song;
    song.OpenBytes(imported.File, "fast.mid");
    TBeatMapOptions options;
    options.QuartersPerBeat = imported.QuartersPerBeat;
    const TMadeBeatMap map = MakeBeatMap(song, options);
    EXPECT_EQ(map.Melody.Track, imported.SongTrackOf[1]);
    // A ball for every other eighth, a quarter note apart: half a beat of the game.
    EXPECT_EQ(map.Meets.size(), 16u * 4u - 2u);
}

TEST(BeatMapMaker, HardGripsFallOnLoudAndAccentedNotesAndLightOnesOnSoftNotes)
{
    // A quiet tune (velocities 30 to 70): a loud note on the third beat, a soft one on the second,
    // a middling one on the bar's first beat and on its last.
    TTrack tune{"Flute", {}, {}};
    for (std::int32_t bar = 0; bar < 8; ++bar) {
        const std::int32_t at = bar * 400;
        tune.Note(at, 0, 72, 40, 50).Note(at + 100, 0, 74, 40, 30).Note(at + 200, 0, 76, 40, 70);
        tune.Note(at + 300, 0, 77, 40, 50);
    }
    const auto song = Song({tune});
    const TMadeBeatMap map = MakeBeatMap(*song);
    ASSERT_EQ(map.Kinds.size(), map.Meets.size());
    ASSERT_GT(map.Meets.size(), 20u);
    for (std::size_t i = 0; i < map.Meets.size(); ++i) {
        const int beat = map.Meets[i] % 400 / 100;
        const int expected = beat == 2 || beat == 0 ? kRedKind : beat == 1 ? kYellowKind : kBlueKind;
        EXPECT_EQ(map.Kinds[i], expected) << map.Meets[i];
    }

    // The loader takes the kinds back at the balls' own positions, and the lanes lay them out.
    TMetronome metronome("/nowhere/");
    metronome.LoadBeatMapText(map.Text);
    ASSERT_EQ(metronome.Kinds().size(), map.Meets.size());
    const std::uint32_t generator = GameRandom().State();
    const auto plan = PlanLayout(metronome.Marks(), LaneOneRows, false, false, metronome.Kinds());
    GameRandom().SetState(generator);
    ASSERT_EQ(plan.size(), map.Kinds.size());
    for (std::size_t i = 0; i < plan.size(); ++i)
        EXPECT_EQ(plan[i].Kind, map.Kinds[i]) << i;
}

TEST(BeatMapMaker, LevelsOrderOnRealSongsAndEasyHasAtMostABallABeat)
{
    std::vector<std::string> files;
    for (const std::string& folder : {std::string(GRIP_BIN_DIR "songs"), std::string("/usr/share/games/openttd/baseset/openmsx")}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().extension() == ".mid")
                files.push_back(entry.path().string());
    }
    ASSERT_GE(files.size(), 12u) << "the build writes the shipped songs into " GRIP_BIN_DIR "songs";
    const auto count = [](const TMadeBeatMap& map, int kind) { return std::count(map.Kinds.begin(), map.Kinds.end(), kind); };
    for (const std::string& file : files) {
        const TImportedSong imported = ImportSongFile(file);
        TMidiData song;
        song.OpenBytes(imported.File, file);
        TBeatMapOptions options;
        options.QuartersPerBeat = imported.QuartersPerBeat;
        std::vector<TMadeBeatMap> maps;
        for (EMapLevel level : {EMapLevel::Easy, EMapLevel::Normal, EMapLevel::Hard}) {
            options.Level = level;
            maps.push_back(MakeBeatMap(song, options));
        }
        const TMadeBeatMap &easy = maps[0], &normal = maps[1], &hard = maps[2];
        EXPECT_LE(easy.Meets.size(), normal.Meets.size()) << file;
        EXPECT_LE(normal.Meets.size(), hard.Meets.size()) << file;
        EXPECT_EQ(count(easy, kRedKind) + count(easy, kChainKind) + count(easy, kStoolKind), 0) << file;
        EXPECT_LE(count(normal, kRedKind), count(hard, kRedKind)) << file;
        EXPECT_EQ(count(normal, kChainKind) + count(normal, kStoolKind), 0) << file;
        // Chains and stools stand in for some of the any-grip and light balls; a song that asks a
        // hard grip of every note has none to give.
        if (hard.Meets.size() >= 50 && count(hard, kRedKind) < std::int64_t(hard.Meets.size()) - 8) {
            EXPECT_GT(count(hard, kChainKind) + count(hard, kStoolKind), 0) << file;
        }
        for (std::size_t i = 1; i < easy.Meets.size(); ++i)
            EXPECT_GE(easy.Meets[i] - easy.Meets[i - 1], 100) << file;
    }
}
