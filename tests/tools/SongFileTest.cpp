#include "MidiChunks.h"
#include "game/Metronome.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

const std::string kSongPath = std::string(GRIP_BIN_DIR) + "invincible.mid";

class SongFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { song_ = new TMidiChunks(ReadMidiChunks(kSongPath)); }
    static void TearDownTestSuite()
    {
        delete song_;
        song_ = nullptr;
    }

    static const TMidiTrackChunk* Track(const std::string& name)
    {
        for (const TMidiTrackChunk& track : song_->tracks)
            if (track.Name() == name)
                return &track;
        return nullptr;
    }

    static TMidiChunks* song_;
};

TMidiChunks* SongFileTest::song_ = nullptr;

bool IsNoteOn(const TMidiEventRecord& e) { return (e.status & 0xF0) == 0x90 && e.data[1] > 0; }
bool IsNoteOff(const TMidiEventRecord& e)
{
    return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data[1] == 0);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST_F(SongFileTest, IsAFormatOneFileWithOneHundredTicksToTheBeat)
{
    EXPECT_EQ(song_->format, 1);
    EXPECT_EQ(song_->division, 100);
    ASSERT_GE(song_->tracks.size(), 4u) << "melody, bass, chords and drums";
    EXPECT_EQ(song_->declaredTracks, static_cast<int>(song_->tracks.size()));
    EXPECT_EQ(song_->chunkIds.size(), song_->tracks.size() + 1) << "no chunks but header and tracks";
    for (const TMidiTrackChunk& track : song_->tracks) {
        ASSERT_FALSE(track.events.empty());
        const TMidiEventRecord& last = track.events.back();
        EXPECT_TRUE(last.status == 0xFF && last.metaType == 0x2F && last.data.empty()) << track.Name();
        for (std::size_t i = 0; i + 1 < track.events.size(); ++i)
            EXPECT_FALSE(track.events[i].status == 0xFF && track.events[i].metaType == 0x2F)
                << track.Name() << ": end of track before the end";
    }
}

// The player reads its tempo map from track 0 only and the debug form's piano roll shows track
// 0, so the first track is the melody and also carries the tempo and the metre.
TEST_F(SongFileTest, MelodyTrackComesFirstWithTempoAndFourFourTime)
{
    const TMidiTrackChunk& first = song_->tracks[0];
    EXPECT_EQ(first.Name(), "Melody");
    EXPECT_EQ(Track("Melody"), &first) << "one melody track";
    EXPECT_GT(std::count_if(first.events.begin(), first.events.end(), IsNoteOn), 150);
    for (std::size_t t = 1; t < song_->tracks.size(); ++t)
        for (const TMidiEventRecord& e : song_->tracks[t].events)
            EXPECT_FALSE(e.status == 0xFF && (e.metaType == 0x51 || e.metaType == 0x58))
                << song_->tracks[t].Name() << ": tempo or metre outside track 0 is never played";
    bool tempo = false;
    bool metre = false;
    for (const TMidiEventRecord& e : first.events) {
        if (e.status != 0xFF)
            continue;
        if (e.metaType == 0x51 && e.tick == 0) {
            ASSERT_EQ(e.data.size(), 3u);
            const int microseconds = e.data[0] << 16 | e.data[1] << 8 | e.data[2];
            const double bpm = 60e6 / microseconds;
            EXPECT_GE(bpm, 60.0) << "a song that drags";
            EXPECT_LE(bpm, 90.0);
            // A ball moves a pixel a tick. The player keeps whole milliseconds of a beat, and a
            // frame every 100 ms must see a ball move clearly less than the 19-pixel judging window.
            EXPECT_LE(100.0 * 100 / (microseconds / 1000), 15.0) << "pixels a ball moves between frames";
            tempo = true;
        }
        if (e.metaType == 0x58) {
            EXPECT_EQ(e.tick, 0u) << "the metre never changes";
            ASSERT_EQ(e.data.size(), 4u);
            EXPECT_EQ(e.data[0], 4);
            EXPECT_EQ(e.data[1], 2) << "quarter-note beat";
            metre = true;
        }
    }
    EXPECT_TRUE(tempo);
    EXPECT_TRUE(metre);
}

TEST_F(SongFileTest, EveryTrackIsNamedAndPlaysOnItsOwnChannel)
{
    std::set<std::string> names;
    std::set<int> channels;
    for (const TMidiTrackChunk& track : song_->tracks) {
        const std::string name = track.Name();
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(names.insert(name).second) << "two tracks named " << name;
        std::set<int> used;
        bool program = false;
        // Every note is released, and not released twice.
        std::map<std::pair<int, int>, int> sounding;
        int notes = 0;
        for (const TMidiEventRecord& e : track.events) {
            if (e.status >= 0xF0)
                continue;
            used.insert(e.status & 0x0F);
            program = program || (e.status & 0xF0) == 0xC0;
            const std::pair<int, int> key{e.status & 0x0F, e.data[0]};
            if (IsNoteOn(e)) {
                // A key struck again while it sounds makes its note-off ambiguous.
                EXPECT_EQ(sounding[key]++, 0) << name << ": key " << key.second << " struck twice at " << e.tick;
                ++notes;
            } else if (IsNoteOff(e)) {
                EXPECT_GT(sounding[key]--, 0) << name << ": release of a key not sounding at " << e.tick;
            }
        }
        for (const auto& [key, count] : sounding)
            EXPECT_EQ(count, 0) << name << ": key " << key.second << " left sounding";
        EXPECT_GT(notes, 100) << name;
        ASSERT_EQ(used.size(), 1u) << name << " uses more than one channel";
        const int channel = *used.begin();
        EXPECT_TRUE(channels.insert(channel).second) << name << " shares channel " << channel;
        EXPECT_EQ(channel == 9, name == "Drums") << name << " on channel " << channel + 1;
        EXPECT_EQ(program, name != "Drums") << name << ": melodic tracks choose their instrument";
    }
    for (const char* part : {"Melody", "Bass", "Chords", "Drums"})
        EXPECT_TRUE(names.count(part)) << part;
}

TEST_F(SongFileTest, LastsTwoToThreeMinutesWithTheMelodyThroughout)
{
    const double seconds = TickToSeconds(*song_, LastTick(*song_));
    EXPECT_GE(seconds, 120.0);
    EXPECT_LE(seconds, 180.0);

    const TMidiTrackChunk* melody = Track("Melody");
    ASSERT_NE(melody, nullptr);
    std::vector<double> onsets;
    for (const TMidiEventRecord& e : melody->events)
        if (IsNoteOn(e))
            onsets.push_back(TickToSeconds(*song_, e.tick));
    ASSERT_FALSE(onsets.empty());
    EXPECT_LT(onsets.front(), 15.0);
    EXPECT_GT(onsets.back(), seconds - 15.0);
    for (std::size_t i = 1; i < onsets.size(); ++i)
        EXPECT_LT(onsets[i] - onsets[i - 1], 8.0) << "the tune falls silent at " << onsets[i - 1] << " s";
}

// Each ball must meet the rule mark as its note sounds: the note at song position p is the mark
// p + 500, and the song must still run when the last ball gets there.
TEST_F(SongFileTest, BeatMapFollowsTheMelody)
{
    const TMidiTrackChunk* melody = Track("Melody");
    ASSERT_NE(melody, nullptr);
    std::set<std::int32_t> expected;
    for (const TMidiEventRecord& e : melody->events)
        if (IsNoteOn(e))
            expected.insert(static_cast<std::int32_t>(e.tick + 500) / 25 * 25);

    TMetronome metronome(GRIP_BIN_DIR);
    metronome.LoadBeatMap("Fine.txt");
    EXPECT_EQ(metronome.Marks().SetBits(), expected);

    // The highest mark gets no ball; the one before it is the last ball.
    ASSERT_GE(expected.size(), 2u);
    const std::int32_t lastBall = *std::next(expected.rbegin());
    EXPECT_LE(static_cast<std::uint32_t>(lastBall - 500), LastTick(*song_));
}

TEST_F(SongFileTest, GeneratorsRepeatThemselvesExactly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string out = dir.path().toStdString() + "/";
    ASSERT_EQ(QProcess::execute(GRIP_SONGGEN, {dir.path()}), 0);
    ASSERT_EQ(QProcess::execute(GRIP_HITSOUNDGEN, {QString::fromStdString(out + "good.wav")}), 0);
    for (const char* name : {"invincible.mid", "Fine.txt", "good.wav"}) {
        const std::string fresh = ReadAll(out + name);
        EXPECT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == ReadAll(std::string(GRIP_BIN_DIR) + name)) << name << " differs from the build's";
    }
    const QDir tunes(GRIP_SOURCE_DIR "tools/songgen/tunes");
    const QStringList names = tunes.entryList({"*.txt"}, QDir::Files);
    QStringList arguments{"--tunes", dir.path()};
    for (const QString& tune : names)
        arguments << tunes.filePath(tune);
    ASSERT_EQ(QProcess::execute(GRIP_SONGGEN, arguments), 0);
    for (QString song : names) {
        song.replace(".txt", ".mid");
        const std::string fresh = ReadAll(out + song.toStdString());
        EXPECT_FALSE(fresh.empty()) << song.toStdString();
        EXPECT_TRUE(fresh == ReadAll(std::string(GRIP_BIN_DIR "songs/").append(song.toStdString()))) << song.toStdString();
    }
}

} // namespace
