#include "SmfBuilder.h"
#include "midi/MidiData.h"
#include "midi/MidiIterator.h"

#include <gtest/gtest.h>

namespace {
void LoadSong(TMidiData& song, const smf::Bytes& bytes)
{
    smf::TempDir dir;
    song.SetActive(false);
    song.SetFileName(dir.Write("song.mid", bytes));
    song.SetActive(true);
}

struct TBbt {
    int bar, beat, tick;
    bool operator==(const TBbt&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TBbt& p) { return os << p.bar << ":" << p.beat << ":" << p.tick; }

TBbt At(const TMidiPosition& p) { return {p.Bar, p.Beat, p.BeatTick}; }
}

TEST(MidiPosition, QuarterNotesWithoutTempoTakeSixHundredMilliseconds)
{
    smf::Track t;
    t.End(720);
    TMidiData song;
    LoadSong(song, smf::File(180, {t}));
    TMidiPosition p;
    p.SetMidiData(&song);
    p.SeekTime(900);  // one and a half quarter notes
    EXPECT_EQ(p.Tick, 270);
    EXPECT_EQ(At(p), (TBbt{0, 1, 90}));
    p.SeekTick(180);
    EXPECT_EQ(p.Time, 600);
    EXPECT_EQ(At(p), (TBbt{0, 1, 0}));
    p.SetBarBeatTick(1, 2, 3);
    EXPECT_EQ(p.Tick, 720 + 360 + 3);
    p.SetBarBeatTick(0, 9, 0);  // beats are not limited to the bar
    EXPECT_EQ(At(p), (TBbt{2, 1, 0}));
    p.SeekToEnd();
    EXPECT_EQ(p.Tick, 720);
}

TEST(MidiPosition, SixEightCountsEighthNotes)
{
    smf::Track t;
    t.TimeSignature(0, 6, 3).End(1000);
    TMidiData song;
    LoadSong(song, smf::File(96, {t}));
    TMidiPosition p;
    p.SetMidiData(&song);
    p.SeekTick(48);
    EXPECT_EQ(At(p), (TBbt{0, 1, 0}));
    EXPECT_EQ(p.TicksPerBeat, 48);
    p.SeekTick(48 * 6 + 47);
    EXPECT_EQ(At(p), (TBbt{1, 0, 47}));
}

TEST(MidiPosition, SignatureChangeInsideABarStartsANewBar)
{
    smf::Track t;
    t.TimeSignature(0, 4, 2).TimeSignature(960, 3, 2).End(2000);
    TMidiData song;
    LoadSong(song, smf::File(96, {t}));
    TMidiPosition p;
    p.SetMidiData(&song);
    p.SeekTick(959);
    EXPECT_EQ(At(p), (TBbt{2, 1, 95}));
    p.SeekTick(960);
    EXPECT_EQ(At(p), (TBbt{3, 0, 0}));
    p.SeekTick(960 + 288);
    EXPECT_EQ(At(p), (TBbt{4, 0, 0}));
    // Seeking back starts again from the beginning and arrives at the same place.
    p.SeekTick(100);
    p.SetBarBeatTick(4, 0, 0);
    EXPECT_EQ(p.Tick, 960 + 288);
    p.SeekTime(0);
    EXPECT_EQ(p.Tick, 0);
    EXPECT_EQ(p.BeatsPerBar, 4);
}

TEST(MidiPosition, TempoIsTruncatedToWholeMilliseconds)
{
    smf::Track t;
    t.Tempo(0, 461538).Tempo(192, 1000000).End(1000);  // 130 beats per minute, then 60
    TMidiData song;
    LoadSong(song, smf::File(96, {t}));
    TMidiPosition p;
    p.SetMidiData(&song);
    p.SeekTick(96);
    EXPECT_EQ(p.Tempo, 461);
    EXPECT_EQ(p.Time, 461);
    p.SeekTick(288);
    EXPECT_EQ(p.Tempo, 1000);
    EXPECT_EQ(p.Time, 922 + 1000);
    p.SeekTime(922 + 500);
    EXPECT_EQ(p.Tick, 192 + 48);
    p.SeekTime(461);  // backwards
    EXPECT_EQ(p.Tick, 96);
}

TEST(MidiPosition, OnlyTrackZeroCarriesTheTempoMap)
{
    smf::Track t0, t1;
    t0.End(1000);
    t1.Tempo(0, 100000).TimeSignature(0, 3, 3).End(1000);
    TMidiData song;
    LoadSong(song, smf::File(96, {t0, t1}));
    TMidiPosition p;
    p.SetMidiData(&song);
    p.SeekTick(96 * 5);
    EXPECT_EQ(p.Time, 3000);
    EXPECT_EQ(At(p), (TBbt{1, 1, 0}));
    TMidiPosition copy;
    copy.Assign(p);
    EXPECT_EQ(copy.Tick, p.Tick);
    EXPECT_EQ(copy.MidiData(), &song);
}

TEST(MidiPosition, HostileSignaturesAndTemposDoNotCrash)
{
    smf::Track t;
    // A denominator of 2^40, a zero numerator and a zero tempo.
    t.Meta(0, 0x58, {0, 40, 24, 8}).Tempo(0, 0).End(500);
    TMidiData song;
    LoadSong(song, smf::File(0, {t}));
    TMidiPosition p;
    p.SetMidiData(&song);
    p.SeekTick(300);
    p.SeekTime(100000);
    p.SetBarBeatTick(3, 1, 1);
    p.SeekToEnd();
    EXPECT_EQ(p.Tick, 500);
}

TEST(MidiPosition, NoSongKeepsDefaults)
{
    TMidiPosition p;
    EXPECT_EQ(p.PPQN, 180);
    p.SeekTime(1000);
    EXPECT_EQ(p.Time, 1000);
    EXPECT_EQ(p.Tick, 0);
    p.SeekTick(360);
    EXPECT_EQ(At(p), (TBbt{0, 2, 0}));
    EXPECT_EQ(p.Time, 1200);
}
