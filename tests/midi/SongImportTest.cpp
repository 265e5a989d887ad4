// The song import: any division, metre and tempo map into the game's form, with the sound kept,
// and the files the game cannot play refused by name.
#include "SmfBuilder.h"
#include "midi/MidiData.h"
#include "midi/MidiIterator.h"
#include "midi/SongImport.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <vector>

using smf::Bytes;
using smf::Track;

namespace {

struct TNote {
    int Track, Channel, Key;
    double Start, End;  // seconds
    // Half a tick of the game's division at the tempo in force at the start and at the end.
    double StartSlack, EndSlack;
};

// Seconds at each tick, from the tempo changes of every track.
class TSeconds {
public:
    explicit TSeconds(const TMidiData& song) : division_(song.PPQN())
    {
        std::map<std::int32_t, std::uint32_t> tempos{{0, 500000}};
        for (int t = 0; t < song.TrackCount(); ++t)
            for (int i = 0; i < song.Tracks(t)->EventCount(); ++i) {
                const TMidiEvent& e = *song.Tracks(t)->Events(i);
                const std::uint8_t* d = song.Tracks(t)->EventData(e);
                if (e.Status == 0xFF && d[0] == 0x51)
                    tempos[std::int32_t{e.Tick}] = std::uint32_t(d[1] << 16 | d[2] << 8 | d[3]);
            }
        double at = 0;
        std::int32_t tick = 0;
        std::uint32_t tempo = 500000;
        for (auto [t, value] : tempos) {
            at += double(t - tick) * tempo / division_ / 1e6;
            tick = t;
            tempo = value;
            map_[t] = {at, tempo};
        }
    }
    double At(std::int32_t tick) const
    {
        auto it = std::prev(map_.upper_bound(tick));
        return it->second.first + double(tick - it->first) * it->second.second / division_ / 1e6;
    }
    double HalfTick(std::int32_t tick) const { return 0.5 * std::prev(map_.upper_bound(tick))->second.second / 100 / 1e6; }

private:
    int division_;
    std::map<std::int32_t, std::pair<double, std::uint32_t>> map_;
};

// The notes of the given tracks of a song, in track order.
std::vector<TNote> Notes(const TMidiData& song, const std::vector<int>& tracks)
{
    const TSeconds seconds(song);
    std::vector<TNote> notes;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const TMidiTrackStream* track = song.Tracks(tracks[t]);
        for (int i = 0; i < track->EventCount(); ++i) {
            const TMidiEvent& e = *track->Events(i);
            if (!e.IsNoteOn())
                continue;
            const std::int32_t end = track->Events(e.Partner)->Tick;
            notes.push_back({int(t), e.Status & 15, e.Data[0], seconds.At(e.Tick), seconds.At(end),
                             seconds.HalfTick(e.Tick), seconds.HalfTick(end)});
        }
    }
    return notes;
}

// Division 96 in 3/4 at 120 bpm, with tempo changes that fall between the new ticks (one in
// the second track) and one so fast that the game's beat has to span two quarter notes, a
// metre change inside a bar of the new grid, running status and note-ons of velocity 0 as
// note-offs.
Bytes AwkwardSong()
{
    Track lead, tune, bass;
    lead.Name(0, "Awkward Waltz").TimeSignature(0, 3, 2).Tempo(0, 500000).Tempo(37, 433333).TimeSignature(251, 6, 3)
        .Tempo(100, 612345).End(500);
    tune.Name(0, "Tune").Raw(0, {0xC0, 73}).Raw(14, {0x90, 72, 90}).Raw(34, {72, 0}).Raw(0, {74, 80}).Raw(29, {0x80, 74, 0})
        .Tempo(11, 377777).Raw(7, {0x90, 76, 100}).Raw(96, {76, 0}).Raw(1, {77, 64}).Raw(95, {77, 0}).End();
    bass.Raw(0, {0x91, 40, 100}).Raw(288, {0x81, 40, 0}).Raw(3, {0x91, 43, 100}).Raw(190, {0x91, 43, 0}).End();
    return smf::File(96, {lead, tune, bass});
}

std::string Refusal(const Bytes& bytes, const std::string& name = "song.mid")
{
    try {
        ImportSong(bytes, "/music/" + name);
    } catch (const ESongImport& e) {
        return e.what();
    }
    return "imported";
}

} // namespace

TEST(SongImport, EveryNoteKeepsItsTimeWithinHalfATickAndEveryBarIsFourFour)
{
    const Bytes original = AwkwardSong();
    const TImportedSong song = ImportSong(original, "/music/awkward_waltz.mid");
    TMidiData before, after;
    before.OpenBytes(original, "before.mid");
    after.OpenBytes(song.File, "after.mid");
    EXPECT_EQ(after.PPQN(), 100);
    EXPECT_EQ(after.FormatWord(), 0x0100);  // format 1, as stored
    EXPECT_EQ(song.Title, "Awkward Waltz");
    // The first track's metre change falls inside a bar of the new grid, so a new track leads.
    ASSERT_EQ(song.SongTrackOf, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(after.TrackCount(), 4);

    const std::vector<TNote> was = Notes(before, {0, 1, 2}), now = Notes(after, song.SongTrackOf);
    ASSERT_EQ(was.size(), 6u);
    ASSERT_EQ(now.size(), was.size());
    for (std::size_t i = 0; i < was.size(); ++i) {
        EXPECT_EQ(now[i].Key, was[i].Key);
        EXPECT_EQ(now[i].Channel, was[i].Channel);
        // Within half a tick at the tempo in force on either side.
        EXPECT_LE(std::abs(now[i].Start - was[i].Start), std::max(now[i].StartSlack, was[i].StartSlack) + 1e-9) << i;
        EXPECT_LE(std::abs(now[i].End - was[i].End), std::max(now[i].EndSlack, was[i].EndSlack) + 1e-9) << i;
    }

    // Tempo changes all lead from the first track; metre changes all say 4/4 and none of them
    // is where the player reads the metre but the one at the start.
    int tempos = 0, metres = 0;
    for (int t = 0; t < after.TrackCount(); ++t)
        for (int i = 0; i < after.Tracks(t)->EventCount(); ++i) {
            const TMidiEvent& e = *after.Tracks(t)->Events(i);
            const std::uint8_t* d = after.Tracks(t)->EventData(e);
            if (e.Status == 0xFF && d[0] == 0x51) {
                EXPECT_EQ(t, 0);
                // No faster than 150 positions a second, or balls pass the mark between the
                // game's frames unjudged.
                EXPECT_GE(std::uint32_t(d[1] << 16 | d[2] << 8 | d[3]), 666666u) << e.Tick;
                ++tempos;
            }
            if (e.Status == 0xFF && d[0] == 0x58) {
                EXPECT_EQ(d[1], 4);
                EXPECT_EQ(d[2], 2);
                EXPECT_TRUE(t != 0 || e.Tick % 400 == 0) << e.Tick;
                ++metres;
            }
        }
    EXPECT_EQ(tempos, 4);
    EXPECT_EQ(metres, 3);
    // So the player's bar, beat and tick make exactly the tick: the game's position.
    TMidiPosition position;
    position.SetMidiData(&after);
    for (std::int32_t tick = 0; tick < 1500; tick += 7) {
        position.SeekTick(tick);
        ASSERT_EQ((position.Bar * 4 + position.Beat) * 100 + position.BeatTick, tick);
    }
}

TEST(SongImport, TheGamesOwnFormComesBackUnchanged)
{
    const TImportedSong once = ImportSong(AwkwardSong(), "awkward.mid");
    const TImportedSong twice = ImportSong(once.File, "other.mid");
    EXPECT_EQ(twice.File, once.File);
    EXPECT_EQ(twice.Title, once.Title);
    EXPECT_EQ(twice.SongTrackOf, (std::vector<int>{0, 1, 2, 3}));
}

TEST(SongImport, FormatZeroAndRmidGetALeadingTrackAndTheSameSong)
{
    Track all;
    all.Tempo(0, 400000).Raw(0, {0x90, 60, 100}).Raw(0, {0x99, 36, 100}).Raw(120, {0x80, 60, 0}).Raw(0, {0x89, 36, 0}).End();
    const Bytes plain = smf::File(120, {all}, 0);
    const TImportedSong song = ImportSong(plain, "/music/two_step.mid");
    EXPECT_EQ(song.SongTrackOf, std::vector<int>{1});
    EXPECT_EQ(song.Title, "two step");
    TMidiData read;
    read.OpenBytes(song.File, "two_step.mid");
    ASSERT_EQ(read.TrackCount(), 2);
    EXPECT_EQ(read.Tracks(0)->TrackName(), "two step");
    for (int i = 0; i < read.Tracks(0)->EventCount(); ++i)
        EXPECT_GE(read.Tracks(0)->Events(i)->Status, 0xF0);
    // 120 ticks of 120 at 0.4 s a quarter note.
    EXPECT_NEAR(TSeconds(read).At(read.Tracks(1)->Events(read.Tracks(1)->EventCount() - 1)->Tick), 0.4, 1e-9);
    EXPECT_EQ(ImportSong(smf::Riff(plain), "/music/two_step.rmi").File, song.File);
}

TEST(SongImport, NotesLeftSoundingEndWithTheirTrackAndOpenPacketsAreClosed)
{
    Track t;
    t.Raw(0, {0x90, 60, 100}).Raw(0, {0x90, 60, 90}).Raw(50, {0x80, 60, 0}).Sysex(10, 0xF0, {0x43, 0x12})
        .Raw(40, {0x92, 64, 100}).End(50);
    const TImportedSong song = ImportSong(smf::File(50, {t}), "hanging.mid");
    // The game's own reader refuses a note-on without a note-off, and a packet that the next
    // event does not continue: what the import writes it reads.
    TMidiData read;
    read.OpenBytes(song.File, "hanging.mid");
    const TMidiTrackStream& track = *read.Tracks(1);
    int ons = 0;
    for (int i = 0; i < track.EventCount(); ++i) {
        const TMidiEvent& e = *track.Events(i);
        if (e.IsNoteOn()) {
            ++ons;
            ASSERT_GE(std::int32_t{e.Partner}, 0);
        }
        if (e.Status == 0xF0) {
            EXPECT_EQ(track.EventData(e)[e.DataLength - 1], 0xF7);
        }
    }
    EXPECT_EQ(ons, 3);
    // Both hanging notes end where the track does: 150 ticks at division 50, at the tempo of a
    // file that states none, 0.5 s a quarter note.
    const TSeconds seconds(read);
    for (int back = 1; back <= 3; ++back)
        EXPECT_NEAR(seconds.At(track.Events(track.EventCount() - back)->Tick), 1.5, 1e-9) << back;
}

TEST(SongImport, TitleIsTheFirstTracksNameUnlessItSaysNothing)
{
    const auto title = [](const std::string& name, const std::string& file) {
        Track lead, notes;
        if (!name.empty())
            lead.Name(0, name);
        lead.End();
        notes.Raw(0, {0x90, 60, 100}).Raw(10, {0x80, 60, 0}).End();
        return ImportSong(smf::File(96, {lead, notes}), file).Title;
    };
    EXPECT_EQ(title("Be Sharp Boogie", "/x/be_sharp.mid"), "Be Sharp Boogie");
    EXPECT_EQ(title("Track 1", "/x/linns_basket.mid"), "linns basket");
    EXPECT_EQ(title("  ", "/x/wood_whistles.mid"), "wood whistles");
    EXPECT_EQ(title("", "/x/ultimate run.MID"), "ultimate run");
    EXPECT_EQ(title("Sp\xe5r 1", "/x/coconut.mid"), "coconut");  // Latin-1 placeholder
    EXPECT_EQ(title("Caf\xe9 Blues", "/x/a.mid"), "Café Blues");
    // A long name is cut where a character ends, and no control character reaches the plate.
    const std::string sun = QString(70, QChar(0x65E5)).toStdString();
    EXPECT_EQ(title(sun, "/x/a.mid"), sun.substr(0, 66 * 3));
    EXPECT_EQ(title("Red\x1b[31m Alert\nNow", "/x/a.mid"), "Red [31m Alert Now");
    EXPECT_EQ(title("", "/x/bell\a.mid"), "bell");
    EXPECT_TRUE(IsPlaceholderName("MIDI 01"));
    EXPECT_FALSE(IsPlaceholderName("Tracking Shot"));
}

TEST(SongImport, FilesTheGameCannotPlayAreRefusedByNameAndReason)
{
    Track notes;
    notes.Raw(0, {0x90, 60, 100}).Raw(10, {0x80, 60, 0}).End();
    Track silent;
    silent.Name(0, "Nothing").Raw(0, {0xC0, 5}).Raw(10, {0x90, 60, 0}).End();
    Bytes smpte = smf::File(96, {notes});
    smpte[12] = 0xE7;  // -25 frames a second
    smpte[13] = 40;
    Track broken;
    broken.Raw(0, {60, 100});  // data with no status before it
    const Bytes wave{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};

    EXPECT_EQ(Refusal(Bytes{'h', 'e', 'l', 'l', 'o'}, "notes.txt"), "notes.txt: not a MIDI file");
    EXPECT_EQ(Refusal(smf::File(96, {notes}, 2)),
              "song.mid: a MIDI file of format 2 (independent patterns) cannot be played as one song");
    EXPECT_EQ(Refusal(smpte), "song.mid: timed in SMPTE frames, not in beats; the game plays songs timed in beats");
    EXPECT_EQ(Refusal(smf::File(96, {silent})), "song.mid: a MIDI file without notes, nothing to play");
    EXPECT_EQ(Refusal(smf::File(96, {broken})), "song.mid: track 0 is damaged (data without a status)");
    EXPECT_EQ(Refusal(wave, "beep.wav"), "beep.wav: a RIFF file, but not a MIDI song (RMID)");
    EXPECT_EQ(Refusal(smf::Header(1, 1, 96)), "song.mid: a MIDI file without tracks");
    // A file cut short keeps what it holds up to the cut.
    Bytes cut = smf::File(96, {notes});
    cut.resize(cut.size() - 6);
    EXPECT_EQ(Refusal(cut), "imported");
}

TEST(SongImport, SizeTracksAndEventsAreBoundedAndTheRefusalNamesTheTrackAsTheFileCountsIt)
{
    // A format-0 file's one track is its track 0, though the song puts a track before it.
    const auto programChanges = [](int events) {
        Track t;
        t.Raw(0, {0x90, 60, 100}).Raw(10, {0x80, 60, 0}).Raw(0, {0xC0, 1});
        for (int i = 3; i < events; ++i)
            t.Raw(0, {1});
        return smf::File(96, {t.End()}, 0);
    };
    const TImportedSong full = ImportSong(programChanges(99'999), "full.mid");
    TMidiData read;
    read.OpenBytes(full.File, "full.mid");
    EXPECT_EQ(read.Tracks(1)->EventCount(), 100'000);
    EXPECT_EQ(Refusal(programChanges(100'000)), "song.mid: track 0 holds more events than the game can play (99999)");

    Track note;
    note.Raw(0, {0x90, 60, 100}).Raw(10, {0x80, 60, 0}).End();
    std::vector<Track> tracks(MostSongTracks, note);
    read.OpenBytes(ImportSong(smf::File(96, tracks), "many.mid").File, "many.mid");
    EXPECT_EQ(read.TrackCount(), MostSongTracks + 1);
    tracks.push_back(note);
    EXPECT_EQ(Refusal(smf::File(96, tracks)), "song.mid: a MIDI file of 1025 tracks; the game plays songs of up to 1024");

    // A file on disk is refused by its size before it is read.
    const smf::TempDir dir;
    const std::string large = dir.Write("large.mid", smf::File(96, {note}));
    std::filesystem::resize_file(large, LargestSongFile + 1);
    try {
        ImportSongFile(large);
        ADD_FAILURE() << "imported";
    } catch (const ESongImport& e) {
        EXPECT_EQ(e.what(), large + ": far too large for a MIDI song (more than 8 MB)");
    }
}

TEST(SongImport, TheFilesOwnTempoHoldsWhereItStatesNoneOrZeroAndOnlyTheTempiWhileNotesSoundChooseTheBeat)
{
    const auto msAtTick = [](const TImportedSong& imported, std::int32_t tick) {
        TMidiData song;
        song.OpenBytes(imported.File, "song.mid");
        TMidiPosition position;
        position.SetMidiData(&song);
        position.SeekTick(tick);
        return position.Time;
    };
    // No tempo before the notes means 120 a minute, though a fermata of 9 s a quarter note
    // later keeps the beat at one quarter: four quarter notes take 2 s.
    Track fermata;
    for (int i = 0; i < 4; ++i)
        fermata.Raw(0, {0x90, 60, 100}).Raw(96, {0x80, 60, 0});
    fermata.Tempo(0, 9'000'000).Raw(0, {0x90, 62, 100}).Raw(96, {0x80, 62, 0}).End();
    const TImportedSong slow = ImportSong(smf::File(96, {fermata}), "fermata.mid");
    ASSERT_EQ(slow.QuartersPerBeat, 1);
    EXPECT_EQ(msAtTick(slow, 400), 2000);

    // A tempo of 0 is left out, and said once however often it comes.
    Track zero;
    zero.Tempo(0, 500'000).Raw(0, {0x90, 60, 100}).Tempo(96, 0).Raw(0, {0x80, 60, 0}).Tempo(0, 0)
        .Raw(0, {0x90, 62, 100}).Raw(96, {0x80, 62, 0}).End();
    const TImportedSong zeroed = ImportSong(smf::File(96, {zero}), "/music/zero.mid");
    EXPECT_EQ(zeroed.Warnings, std::vector<std::string>{"zero.mid: 2 tempos of 0 (the first in track 0 at tick 96) "
                                                        "are ignored; the tempo before each stays"});
    EXPECT_EQ(msAtTick(zeroed, 100), 1000);  // two quarter notes at 120, one beat of the game

    // 200 a minute while the notes sound: a beat of four quarter notes, whatever the tempo after.
    Track fast;
    fast.Tempo(0, 300'000).Raw(0, {0x90, 60, 100}).Raw(96, {0x80, 60, 0}).Tempo(0, 10'000'000).End(96);
    const TImportedSong quick = ImportSong(smf::File(96, {fast}), "fast.mid");
    EXPECT_EQ(quick.QuartersPerBeat, 4);
}

TEST(SongImport, ATrackEndsAtItsEndOfTrackAndANumberOfFiveBytesIsDamageAtItsByte)
{
    Track padded;
    padded.Raw(0, {0x90, 60, 100}).Raw(96, {0x80, 60, 0}).End();
    padded.data.insert(padded.data.end(), {0, 0, 0, 0});
    TMidiData read;
    read.OpenBytes(ImportSong(smf::File(96, {padded}), "padded.mid").File, "padded.mid");
    EXPECT_EQ(read.Tracks(1)->EventCount(), 3);

    Track lead, damaged;
    lead.Name(0, "Lead").End();
    damaged.Raw(0, {0x90, 60, 100}).Raw(96, {0x80, 60, 0});
    damaged.data.insert(damaged.data.end(), {0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 62, 100});
    damaged.Raw(96, {0x80, 62, 0}).End();
    // The header's 14 bytes, the lead's chunk of 20, the chunk header and two notes before it.
    EXPECT_EQ(Refusal(smf::File(96, {lead, damaged})),
              "song.mid: track 1 is damaged (a delta time of more than four bytes at byte 50)");
}
