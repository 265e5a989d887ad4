#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiTimer.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

// The song the game ships plays from start to end through the player: every channel message
// of every track goes out once, in order, and the position only ever moves forward.
TEST(GameSong, PlaysFromStartToEnd)
{
    auto device = std::make_shared<TMidiRecording>();
    RouteMidiDeviceToRecording(0, device);
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
    ClearMidiDeviceOverrides();
}
