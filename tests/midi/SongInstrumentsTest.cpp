#include "SmfBuilder.h"
#include "midi/MidiData.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"

#include <gtest/gtest.h>

// Loading a song tells its device, before anything plays, every instrument a note sounds on:
// programs changed mid-song, a bank chosen on one track for a channel another track plays,
// the drum channel's kit, and never a program no note is played on.
TEST(SongInstruments, LoadingASongPreloadsExactlyTheInstrumentsItsNotesPlay)
{
    auto recording = std::make_shared<TMidiRecording>();
    TOverride device = OverrideMidiDeviceWithRecording(0, recording);
    smf::TempDir dir;
    smf::Track conductor, lead, bass, drums;
    conductor.Tempo(0, 500000).Raw(0, {0xB1, 0, 8}).End();
    lead.Raw(0, {0xC0, 40}).Raw(0, {0x90, 60, 100}).Raw(96, {0x80, 60, 0}).Raw(0, {0xC0, 41}).Raw(0, {0xC0, 42})
        .Raw(0, {0x90, 62, 100}).Raw(96, {0x80, 62, 0}).Raw(0, {0xC0, 70}).End();
    bass.Raw(0, {0xC1, 33}).Raw(0, {0x91, 40, 90}).Raw(96, {0x91, 40, 0}).End();
    drums.Raw(0, {0xC9, 25}).Raw(48, {0x99, 36, 120}).Raw(48, {0x89, 36, 0}).End();
    TMidiData song;
    song.SetFileName(dir.Write("band.mid", smf::File(96, {conductor, lead, bass, drums})));
    song.SetActive(true);

    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    EXPECT_TRUE(recording->Preloads().empty());
    outputs.SetActive(true);

    const std::vector<TMidiInstrument> expected{{0, 40}, {8, 33}, {TMidiInstrument::DrumBank, 25}, {0, 42}};
    EXPECT_EQ(recording->Preloads(), std::vector<std::vector<TMidiInstrument>>{expected}) << "one request for the one device every track shares";
}
