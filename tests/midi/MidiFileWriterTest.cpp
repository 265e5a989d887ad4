// The song written back as a file, and the song the import builds in memory, against what the
// song reader reads.
#include "SmfBuilder.h"
#include "midi/MidiData.h"
#include "midi/MidiFileWriter.h"
#include "midi/SongImport.h"

#include <gtest/gtest.h>

using smf::Bytes;
using smf::Track;

namespace {

// Every record and block of a, as b holds it.
void ExpectSameSong(const TMidiData& a, const TMidiData& b)
{
    ASSERT_EQ(a.TrackCount(), b.TrackCount());
    EXPECT_EQ(a.FormatWord(), b.FormatWord());
    EXPECT_EQ(a.DivisionWord(), b.DivisionWord());
    EXPECT_EQ(a.ExtraHeader(), b.ExtraHeader());
    for (int t = 0; t < a.TrackCount(); ++t) {
        const TMidiTrackStream& x = *a.Tracks(t);
        const TMidiTrackStream& y = *b.Tracks(t);
        SCOPED_TRACE("track " + std::to_string(t));
        ASSERT_EQ(x.EventCount(), y.EventCount());
        EXPECT_EQ(x.NameEventIndex(), y.NameEventIndex());
        EXPECT_EQ(x.FirstProgram(), y.FirstProgram());
        EXPECT_EQ(x.FirstChannel(), y.FirstChannel());
        for (int i = 0; i < x.EventCount(); ++i) {
            const TMidiEvent& e = *x.Events(i);
            const TMidiEvent& f = *y.Events(i);
            ASSERT_EQ(std::int32_t{e.Tick}, std::int32_t{f.Tick}) << i;
            ASSERT_EQ(e.Status, f.Status) << i;
            ASSERT_EQ(std::uint16_t{e.DataLength}, std::uint16_t{f.DataLength}) << i;
            if (e.HasBlock()) {
                ASSERT_EQ(Bytes(x.EventData(e), x.EventData(e) + e.DataLength),
                          Bytes(y.EventData(f), y.EventData(f) + f.DataLength)) << i;
            } else {
                ASSERT_EQ(e.ShortMessage(), f.ShortMessage()) << i;
            }
            if (e.Status < 0xF0) {
                ASSERT_EQ(std::int32_t{e.Partner}, std::int32_t{f.Partner}) << i;
            }
        }
    }
}

} // namespace

TEST(MidiFileWriter, WhatTheReaderReadsIsWrittenSoThatItReadsTheSameAgain)
{
    // Running status, a packet continued by f7, a text before the name, a status of no data,
    // a track without its end, and header bytes beyond the six words.
    Track a;
    a.Meta(0, 0x01, {'h', 'i'}).Name(0, "Lead").Raw(0, {0xC3, 7}).Raw(0, {0x93, 60, 90}).Raw(10, {62, 80})
        .Raw(5, {0x83, 60, 0}).Raw(0, {62, 0}).Sysex(3, 0xF0, {0x41, 0x10}).Sysex(1, 0xF7, {0x20, 0xF7})
        .Raw(2, {0xF8}).End(7);
    Track b;
    b.Raw(0, {0x95, 40, 1}).Raw(200, {0x85, 40, 0});
    Bytes file = smf::Header(0, 2, 96, 8);
    for (const Track& t : {a, b}) {
        const Bytes chunk = t.Chunk();
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    TMidiData read;
    read.OpenBytes(file, "odd.mid");
    const std::vector<std::uint8_t> written = MidiFileBytes(read);
    TMidiData again;
    again.OpenBytes(written, "odd.mid");
    ExpectSameSong(read, again);
    EXPECT_EQ(again.Tracks(0)->TrackName(), "Lead");
    EXPECT_EQ(again.Tracks(1)->EventCount(), 3);  // its end-of-track, added by the reader
    EXPECT_EQ(MidiFileBytes(again), written);
}

TEST(MidiFileWriter, TheImportBuildsInMemoryTheSongItsFileHolds)
{
    // A leading track put before the file's, a packet left open, notes left sounding, a name
    // that is no title, and a program change behind running status.
    Track lead;
    lead.Name(0, "Track 1").TimeSignature(30, 3, 2).Tempo(0, 300000);
    Track tune;
    tune.Name(0, "Alto").Raw(0, {0xC2, 20}).Raw(0, {0x92, 60, 100}).Raw(0, {64, 100}).Sysex(17, 0xF0, {0x43, 0x12})
        .Raw(40, {0x82, 60, 0}).Tempo(33, 700000).Raw(1, {0x92, 67, 90}).End(9);
    const TImportedSong song = ImportSong(smf::File(96, {lead, tune}), "/music/alto.mid");
    ASSERT_TRUE(song.Song);
    EXPECT_TRUE(song.Song->Active());
    EXPECT_EQ(song.Song->FileName(), "/music/alto.mid");
    EXPECT_EQ(song.Song->PPQN(), 100);
    TMidiData read;
    read.OpenBytes(song.File, "alto.mid");
    ExpectSameSong(*song.Song, read);
    EXPECT_EQ(song.Song->Tracks(2)->FirstProgram(), 20);

    // The song alone, for a player: no file is written.
    const TImportedSong played = ImportSong(smf::File(96, {lead, tune}), "alto.mid", ESongBytes::None);
    EXPECT_TRUE(played.File.empty());
    ExpectSameSong(*played.Song, read);
}
