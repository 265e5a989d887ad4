#include "SmfBuilder.h"
#include "midi/MidiData.h"
#include "midi/RiffStream.h"

#include <gtest/gtest.h>

using smf::Bytes;
using smf::Track;

namespace {
std::string Load(TMidiData& song, const smf::TempDir& dir, const std::string& name, const Bytes& bytes)
{
    song.SetActive(false);
    song.SetFileName(dir.Write(name, bytes));
    song.SetActive(true);
    return song.FileName();
}

std::string FailureOf(const Bytes& bytes, const std::string& name = "song.mid")
{
    smf::TempDir dir;
    TMidiData song;
    try {
        Load(song, dir, name, bytes);
    } catch (const Exception& e) {
        EXPECT_FALSE(song.Active());
        EXPECT_EQ(song.TrackCount(), 0);
        return e.what();
    }
    return "loaded";
}

Bytes Truncated(Bytes b, std::size_t n)
{
    b.resize(n);
    return b;
}
}

TEST(MidiData, InactiveSongHasHeaderDefaults)
{
    TMidiData song;
    EXPECT_FALSE(song.Active());
    EXPECT_EQ(song.PPQN(), 180);
    EXPECT_EQ(song.TrackCount(), 0);
    EXPECT_EQ(song.Tracks(0), nullptr);
    song.SetPPQN(180);
    EXPECT_FALSE(song.Modified());
    song.SetPPQN(96);
    EXPECT_TRUE(song.Modified());
    EXPECT_EQ(song.PPQN(), 96);
    song.SetActive(true);  // no file name: an empty song
    EXPECT_TRUE(song.Active());
    EXPECT_EQ(song.TrackCount(), 0);
}

TEST(MidiData, ReadsHeaderWordsAndTracks)
{
    smf::TempDir dir;
    Track t0;
    t0.Name(0, "Conductor").Tempo(0, 500000).End(10);
    Track t1;
    t1.Raw(0, {0xC3, 5}).Raw(0, {0x93, 60, 100}).Raw(96, {0x83, 60, 0}).End();
    TMidiData song;
    Bytes bytes = smf::File(96, {t0, t1});
    Bytes ext = smf::Header(1, 2, 96, 10);
    ext.insert(ext.end(), bytes.begin() + 14, bytes.end());
    Load(song, dir, "a.mid", ext);
    ASSERT_TRUE(song.Active());
    EXPECT_EQ(song.PPQN(), 96);
    EXPECT_EQ(song.ExtraHeader(), (Bytes{0xA6, 0xA7, 0xA8, 0xA9}));
    ASSERT_EQ(song.TrackCount(), 2);
    EXPECT_EQ(song.Tracks(0)->TrackName(), "Conductor");
    const TMidiTrackStream* t = song.Tracks(1);
    EXPECT_EQ(t->FirstProgram(), 5);
    EXPECT_EQ(t->FirstChannel(), 3);
    ASSERT_EQ(t->EventCount(), 4);
    EXPECT_EQ(t->Events(0)->ShortMessage(), 0x05C3u);
    EXPECT_EQ(t->Events(1)->ShortMessage(), 0x643C93u);
    EXPECT_EQ(+t->Events(2)->Tick, 96);
    EXPECT_EQ(+t->Events(1)->Partner, 2);
    EXPECT_EQ(+t->Events(2)->Partner, 1);
    EXPECT_EQ(t->Events(4), nullptr);
    EXPECT_EQ(t->Events(-1), nullptr);
    EXPECT_FALSE(song.Modified());
    song.SetActive(false);
    EXPECT_EQ(song.TrackCount(), 0);
    EXPECT_EQ(song.PPQN(), 180);
}

TEST(MidiData, ZeroTracksLoadsActive)
{
    smf::TempDir dir;
    TMidiData song;
    Load(song, dir, "empty", smf::Header(0, 0, 120));
    EXPECT_TRUE(song.Active());
    EXPECT_EQ(song.TrackCount(), 0);
}

TEST(MidiData, FailuresLeaveTheSongEmpty)
{
    Track good;
    good.Raw(0, {0x90, 60, 1}).Raw(1, {0x80, 60, 0}).End();
    Bytes file = smf::File(96, {good});
    EXPECT_EQ(FailureOf({'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 0, 0, 0, 0, 96}), "Invalid MIDI file ID");
    EXPECT_EQ(FailureOf(smf::Header(0, 0, 96, 5)), "Invalid MIDI header size");
    EXPECT_EQ(FailureOf(Truncated(file, 10)), "Stream read error");
    EXPECT_EQ(FailureOf(Truncated(file, 16)), "Invalid track start ID");
    EXPECT_EQ(FailureOf(Truncated(file, 20)), "Stream read error");
    EXPECT_EQ(FailureOf(Truncated(file, file.size() - 1)), "Stream read error");
    EXPECT_EQ(FailureOf(smf::Header(0, 1, 96)), "Invalid track start ID");
    Bytes wrongId = file;
    wrongId[14 + 3] = 'x';
    EXPECT_EQ(FailureOf(wrongId), "Invalid track start ID");
    // A huge declared chunk length is checked against the file, not allocated.
    Bytes huge = smf::Header(0, 1, 96);
    huge.insert(huge.end(), {'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xF0, 0x00});
    EXPECT_EQ(FailureOf(huge), "Stream read error");

    Track running;
    running.Raw(0, {60, 100}).End();
    EXPECT_EQ(FailureOf(smf::File(96, {running})), "Error in Running Status");
    Track sysex;
    sysex.Sysex(0, 0xF0, {0x43, 0x12}).Raw(0, {0x90, 60, 0}).End();
    EXPECT_EQ(FailureOf(smf::File(96, {sysex})), "Error in Sysex");
    Track unmatched;
    unmatched.Raw(0, {0x90, 60, 100}).End(10);
    EXPECT_EQ(FailureOf(smf::File(96, {good, unmatched})), "Note ons don't match note offs");
    Track longMeta;
    longMeta.Meta(0, 0x01, Bytes(70000, 'x')).End();
    EXPECT_EQ(FailureOf(smf::File(96, {longMeta})), "Event data too long");

    smf::TempDir dir;
    TMidiData song;
    song.SetFileName(dir.path + "/missing.mid");
    try {
        song.SetActive(true);
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.path + "/missing.mid");
    }
    song.SetFileName(dir.path + "/missing.rmi");
    EXPECT_THROW(song.SetActive(true), EFOpenError);
}

TEST(MidiData, RunningStatusSurvivesSysexAndMeta)
{
    smf::TempDir dir;
    Track t;
    t.Raw(0, {0x91, 60, 100})
        .Sysex(0, 0xF0, {0x7E, 0x7F, 0xF7})
        .Raw(5, {60, 0})
        .Meta(0, 0x01, {'h', 'i'})
        .Raw(5, {62, 90})
        .Sysex(0, 0xF0, {0x43})  // split system exclusive: a continuation follows
        .Sysex(0, 0xF7, {0x10, 0xF7})
        .Raw(1, {62, 0})
        .Raw(0, {0xF8})
        .End();
    TMidiData song;
    Load(song, dir, "r.mid", smf::File(96, {t}));
    const TMidiTrackStream* tr = song.Tracks(0);
    ASSERT_EQ(tr->EventCount(), 10);
    EXPECT_EQ(tr->Events(2)->ShortMessage(), 0x003C91u);
    EXPECT_EQ(tr->Events(4)->ShortMessage(), 0x5A3E91u);
    EXPECT_EQ(tr->Events(7)->ShortMessage(), 0x003E91u);
    EXPECT_EQ(tr->Events(8)->Status, 0xF8);
    EXPECT_EQ(+tr->Events(8)->DataLength, 0);
    const TMidiEvent* meta = tr->Events(3);
    EXPECT_EQ(+meta->DataLength, 3);
    EXPECT_EQ(Bytes(tr->EventData(*meta), tr->EventData(*meta) + 3), (Bytes{0x01, 'h', 'i'}));
    const TMidiEvent* sx = tr->Events(1);
    EXPECT_EQ(+sx->DataLength, 3);
    EXPECT_EQ(tr->EventData(*sx)[2], 0xF7);
    EXPECT_EQ(tr->TrackName(), "hi");  // a text meta names a track without a name meta
}

TEST(MidiData, EndOfTrackIsAddedWhenMissingAndTrailingEventsKept)
{
    smf::TempDir dir;
    Track noEnd;
    noEnd.Raw(0, {0xB0, 7, 100}).Raw(50, {0xB0, 10, 0});
    Track trailing;
    trailing.End(5).Raw(3, {0xB0, 7, 1});
    Bytes empty = smf::Header(1, 1, 96);
    empty.insert(empty.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    TMidiData song;
    Load(song, dir, "n.mid", smf::File(96, {noEnd, trailing}));
    const TMidiTrackStream* a = song.Tracks(0);
    ASSERT_EQ(a->EventCount(), 3);
    EXPECT_EQ(a->Events(2)->Status, 0xFF);
    EXPECT_EQ(+a->Events(2)->Tick, 50);
    EXPECT_EQ(a->EventData(*a->Events(2))[0], 0x2F);
    EXPECT_EQ(song.Tracks(1)->EventCount(), 2);
    EXPECT_EQ(+song.Tracks(1)->Events(1)->Tick, 8);

    Load(song, dir, "z.mid", empty);  // a zero-length chunk is an empty track
    ASSERT_EQ(song.TrackCount(), 1);
    ASSERT_EQ(song.Tracks(0)->EventCount(), 1);
    EXPECT_EQ(+song.Tracks(0)->Events(0)->Tick, 0);
}

TEST(MidiData, TrackCapacityIsAHundredThousandRecords)
{
    auto fileWith = [](int controllers, bool end) {
        Track t;
        for (int i = 0; i < controllers; ++i)
            t.Raw(1, {0xB0, 1, std::uint8_t(i & 0x7F)});
        if (end)
            t.End();
        return smf::File(96, {t});
    };
    smf::TempDir dir;
    TMidiData song;
    Load(song, dir, "full.mid", fileWith(99999, true));
    EXPECT_EQ(song.Tracks(0)->EventCount(), 100000);
    EXPECT_EQ(FailureOf(fileWith(100000, true)), "Size exceeds capacity");
    EXPECT_EQ(FailureOf(fileWith(100000, false)), "Size exceeds capacity");
}

TEST(MidiData, SixOverlappingNotesPairFiveDeep)
{
    smf::TempDir dir;
    Track t;
    for (int i = 0; i < 6; ++i)
        t.Raw(1, {0x90, 64, 100});
    for (int i = 0; i < 6; ++i)
        t.Raw(1, {0x80, 64, 0});
    t.End();
    TMidiData song;
    Load(song, dir, "six.mid", smf::File(96, {t}));
    const TMidiTrackStream* tr = song.Tracks(0);
    EXPECT_EQ(+tr->Events(6)->Partner, 4);   // first note-off, fifth note-on
    EXPECT_EQ(+tr->Events(4)->Partner, 6);
    EXPECT_EQ(+tr->Events(10)->Partner, 0);  // fifth note-off, first note-on
    EXPECT_EQ(+tr->Events(5)->Partner, -1);  // sixth note-on
    EXPECT_EQ(+tr->Events(11)->Partner, -1); // sixth note-off
}

TEST(MidiData, RiffSongsByExtension)
{
    smf::TempDir dir;
    Track t;
    t.Name(0, "riff").End(7);
    const Bytes midi = smf::File(120, {t});
    const Bytes riff = smf::Riff(midi);
    for (const char* name : {"song.rmi", "SONG.RMI", "x.Riff"}) {
        TMidiData song;
        const std::string path = dir.Write(name, riff);
        song.SetFileName(path);
        song.SetActive(true);
        EXPECT_TRUE(song.LoadedFromRiff());
        EXPECT_EQ(song.PPQN(), 120);
        EXPECT_EQ(song.Tracks(0)->TrackName(), "riff");
        EXPECT_EQ(song.FileName(), path.substr(0, path.rfind('.')) + ".MID");
    }
    // A dot in a directory name must not shorten the path.
    std::filesystem::create_directories(dir.path + "/v1.2");
    TMidiData song;
    Load(song, dir, "v1.2/song.rmi", riff);
    EXPECT_EQ(song.FileName(), dir.path + "/v1.2/song.MID");
    // Other names are plain files, whatever they hold.
    EXPECT_EQ(FailureOf(riff, "song.mid"), "Invalid MIDI file ID");
    EXPECT_EQ(FailureOf(riff, "song"), "Invalid MIDI file ID");
    EXPECT_EQ(FailureOf(midi, "song.rmi"), "Unable to descend into RMID");
    Bytes noData = riff;
    noData[24] = 'D';  // "data" becomes "Data"
    EXPECT_EQ(FailureOf(noData, "song.rmi"), "Unable to descend into data");
}

TEST(MidiData, RiffDescendChecksIdLength)
{
    smf::TempDir dir;
    TRiffStream riff(dir.Write("x.rmi", smf::Riff(smf::Header(0, 0, 96))), ERiffOpenMode::Read);
    try {
        riff.Descend("RMI", ERiffSearch::FindRiff);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "RIFF Chunk ID must be four characters long");
    }
    riff.Descend("RMID", ERiffSearch::FindRiff);
    riff.Descend("data", ERiffSearch::FindChunk);
    ASSERT_EQ(riff.Chunks().size(), 2u);
    EXPECT_EQ(riff.Chunks()[1]->Info.Size, 14u);
    char id[4];
    ASSERT_EQ(riff.Read(id, 4), 4);
    EXPECT_EQ(std::string(id, 4), "MThd");
    EXPECT_THROW(TRiffStream(dir.path + "/none/x.rmi", ERiffOpenMode::Create), EFCreateError);
}
