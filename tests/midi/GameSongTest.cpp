#include "midi/ManualMidiTimerService.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiTrackStream.h"
#include "midi/PianoRoll.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"
#include "platform/ManualClock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <tuple>

// The song the game ships plays from start to end through the player: every channel message
// of every track goes out once, in order, and the position only ever moves forward.
TEST(GameSong, PlaysFromStartToEnd)
{
    auto device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
    TMidiData song;
    song.SetFileName(std::string(GRIP_BIN_DIR) + "invincible.mid");
    song.SetActive(true);
    ASSERT_GT(song.TrackCount(), 0);
    std::size_t channelMessages = 0;
    for (int t = 0; t < song.TrackCount(); ++t)
        for (int i = 0; i < song.Tracks(t)->EventCount(); ++i)
            channelMessages += song.Tracks(t)->Events(i)->Status < 0xF0;

    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    outputs.SetActive(true);
    TManualClock clock;
    TManualMidiTimerService timers;
    TMidiPlayer player(&timers, &clock);
    player.SetTrackOutputs(&outputs);
    player.Refresh();
    player.SetTempoPercent(100);
    device->Clear();
    player.SetPlay(true);
    std::tuple<int, int, int> last{0, 0, 0};
    int ticks = 0;
    while (player.Play() && ticks < 2000000) {
        clock.AdvanceMilliseconds(4);
        timers.Fire();
        std::int32_t bar, beat, tick;
        player.GetBarBeatTick(bar, beat, tick);
        const std::tuple<int, int, int> now{bar, beat, tick};
        ASSERT_GE(now, last);
        last = now;
        ++ticks;
    }
    EXPECT_FALSE(player.Play());
    EXPECT_GT(std::get<0>(last), 4);
    std::printf("%d timer steps, ended at bar %d, %zu messages\n", ticks, std::get<0>(last), device->MessageWords().size());
    std::size_t sent = device->MessageWords().size();
    EXPECT_EQ(sent, channelMessages);  // every note paired, so stopping released nothing more
    for (int t = 0; t < outputs.OutputCount(); ++t)
        for (int c = 0; c < 16; ++c)
            for (int n = 0; n < 128; ++n)
                ASSERT_EQ(outputs.Outputs(t)->Port()->NoteCount(c, n), 0);
    outputs.SetActive(false);
}

// The debug form's piano roll shows track 0, so that is where the tune has to be: the lead's
// notes on one melodic channel, and the roll finds them once it has measured the song.
TEST(GameSong, TrackZeroCarriesTheMelody)
{
    TMidiData song;
    song.SetFileName(std::string(GRIP_BIN_DIR) + "invincible.mid");
    song.SetActive(true);
    ASSERT_GT(song.TrackCount(), 1);
    const TMidiTrackStream* melody = song.Tracks(0);
    ASSERT_NE(melody, nullptr);
    std::set<int> channels;
    int notes = 0;
    std::int32_t first = -1;
    for (int i = 0; i < melody->EventCount(); ++i) {
        const TMidiEvent* e = melody->Events(i);
        if (e->Status < 0xF0)
            channels.insert(e->Status & 0x0F);
        if (e->IsNoteOn()) {
            if (first < 0)
                first = e->Tick;
            ++notes;
        }
    }
    EXPECT_GT(notes, 150) << "one note for every ball at least";
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_NE(*channels.begin(), 9) << "the drums are not the melody";

    TPianoRoll roll;
    roll.resize(265, 241);
    roll.SetMidiData(&song);
    roll.Rescan();
    ASSERT_EQ(roll.Track(), 0);
    roll.SetLeftPosition(first);
    roll.CalcLayout();
    ASSERT_GT(roll.NoteCount(), 0) << "the roll of track 0 is empty";
    // Records are packed: copy the field out rather than bind a reference to it.
    const std::int32_t shownFirst = roll.NoteRects(0).NoteOn->Tick;
    EXPECT_EQ(shownFirst, first);
    song.SetActive(false);
}
