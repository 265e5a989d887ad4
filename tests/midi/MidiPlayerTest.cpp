#include "SmfBuilder.h"
#include "midi/ManualMidiTimerService.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"
#include "platform/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <tuple>

namespace {
std::uint32_t Msg(std::uint32_t status, std::uint32_t d1, std::uint32_t d2 = 0) { return status | (d1 << 8) | (d2 << 16); }

// A song of division 100 at 600 ms per quarter note: one tick is 6 ms of song time.
smf::Bytes TwoNoteSong()
{
    smf::Track t0, t1;
    t0.TimeSignature(0, 4, 2).End(400);
    t1.Raw(0, {0xC0, 12})
        .Raw(0, {0xB0, 7, 100})
        .Raw(0, {0x90, 60, 100})
        .Raw(100, {0x80, 60, 0})
        .Raw(0, {0xB0, 7, 50})
        .Raw(100, {0x90, 62, 100})
        .Raw(100, {0x80, 62, 0})
        .End(100);
    return smf::File(100, {t0, t1});
}

class MidiPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Open(TwoNoteSong());
        player.OnStop = [this](TMidiPlayer&) { events.push_back("stop"); };
        player.OnPlay = [this](TMidiPlayer&) { events.push_back("play"); };
        player.OnPause = [this](TMidiPlayer&) { events.push_back("pause"); };
        player.OnFastForward = [this](TMidiPlayer&) { events.push_back("ff"); };
    }

    void Open(const smf::Bytes& bytes)
    {
        outputs.SetActive(false);
        song.SetActive(false);
        song.SetFileName(dir.Write("song.mid", bytes));
        song.SetActive(true);
        outputs.SetMidiData(&song);
        outputs.SetActive(true);
        player.SetTrackOutputs(&outputs);
        player.Refresh();
        device->Clear();
    }
    // Advances the clock by one tick period and fires the timer.
    void Tick(int ms = 4)
    {
        clock.AdvanceMilliseconds(ms);
        timers.Fire();
    }
    std::int32_t SongTime() { return player.Time(); }

    smf::TempDir dir;
    std::shared_ptr<TMidiRecording> device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
    TManualClock clock;
    TManualMidiTimerService timers;
    TMidiData song;
    TTrackOutputs outputs;
    TMidiPlayer player{&timers, &clock};
    std::vector<std::string> events;
};
}

TEST_F(MidiPlayerTest, StartsAtZeroAndPlaysOnTheTimer)
{
    std::int32_t bar = -1, beat = -1, tick = -1;
    player.GetBarBeatTick(bar, beat, tick);
    EXPECT_EQ(std::make_tuple(bar, beat, tick), std::make_tuple(0, 0, 0));
    player.SetPlay(true);
    EXPECT_TRUE(player.Play());
    EXPECT_EQ(timers.PeriodMs(), 4);
    EXPECT_EQ(timers.OpenPeriodRequests(), 1);
    EXPECT_EQ(events, std::vector<std::string>{"play"});
    // Records at tick 0 go out on the first advance that passes them: 4 ms is still tick 0.
    Tick();
    EXPECT_TRUE(device->MessageWords().empty());
    Tick();
    EXPECT_EQ(device->MessageWords(),
              (std::vector<std::uint32_t>{Msg(0xC0, 12), Msg(0xB0, 7, 100), Msg(0x90, 60, 100)}));
    for (int i = 0; i < 148; ++i)  // 600 ms: exactly one quarter note, tick 100
        Tick();
    EXPECT_EQ(player.Position(), 100);
    EXPECT_EQ(device->MessageWords().size(), 3u);  // the note-off at tick 100 is not passed yet
    Tick(6);
    EXPECT_EQ(device->MessageWords().size(), 5u);
    player.GetBarBeatTick(bar, beat, tick);
    EXPECT_EQ(std::make_tuple(bar, beat, tick), std::make_tuple(0, 1, 1));
}

TEST_F(MidiPlayerTest, TempoPercentCarriesTheRemainder)
{
    player.SetTempoPercent(50);
    player.SetPlay(true);
    for (int i = 1; i <= 10; ++i) {
        Tick();
        EXPECT_EQ(SongTime(), 2 * i);  // exactly 2 ms per 4 ms tick
    }
    player.SetTempoPercent(90);
    for (int i = 0; i < 25; ++i)
        Tick();
    EXPECT_EQ(SongTime(), 20 + 90);  // 100 ms at 90 % is 90 ms, not 75
    player.SetTempoPercent(30);
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(SongTime(), 110 + 12);
    player.SetTempoPercent(0);
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(SongTime(), 122);
    EXPECT_TRUE(player.Play());
}

TEST_F(MidiPlayerTest, StateTable)
{
    player.SetPlay(false);
    player.SetFastForward(false);
    player.SetPaused(true);
    EXPECT_EQ(player.State(), TMidiPlayer::StateStopped);
    EXPECT_TRUE(events.empty());

    player.SetFastForward(true);
    EXPECT_TRUE(player.FastForward());
    Tick();
    EXPECT_EQ(SongTime(), 16);
    player.SetPaused(false);  // any value pauses
    EXPECT_TRUE(player.Paused());
    Tick(100);
    EXPECT_EQ(SongTime(), 16);
    player.SetPaused(true);  // stays paused and keeps its timer
    EXPECT_TRUE(player.Paused());
    EXPECT_TRUE(timers.Running());
    Tick();
    EXPECT_EQ(SongTime(), 16);
    player.SetPlay(false);  // paused: either value plays
    EXPECT_TRUE(player.Play());
    Tick();
    EXPECT_EQ(SongTime(), 20);  // the paused time does not count
    player.SetPlay(true);
    EXPECT_TRUE(player.Play());
    player.SetFastForward(false);  // playing: either value fast-forwards
    EXPECT_TRUE(player.FastForward());
    player.SetPlay(true);  // fast-forward: either value plays
    EXPECT_TRUE(player.Play());
    player.SetPaused(true);
    player.SetFastForward(true);  // paused: fast-forward
    EXPECT_TRUE(player.FastForward());
    player.SetFastForward(false);
    EXPECT_EQ(player.State(), TMidiPlayer::StateStopped);
    EXPECT_FALSE(timers.Running());
    EXPECT_EQ(timers.OpenPeriodRequests(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"ff", "pause", "play", "ff", "play", "pause", "ff", "stop"}));

    player.SetPlay(true);
    player.SetPlay(false);
    EXPECT_EQ(player.State(), TMidiPlayer::StateStopped);
    EXPECT_EQ(player.ResumeTick(), player.Position());
}

TEST_F(MidiPlayerTest, PlayWithoutActiveOutputsStops)
{
    outputs.SetActive(false);
    player.Refresh();
    events.clear();
    player.SetPlay(true);
    EXPECT_EQ(events, std::vector<std::string>{"stop"});
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(timers.Running());
}

TEST_F(MidiPlayerTest, RefusedTimersEndInStopped)
{
    timers.FailBeginPeriod = true;
    player.SetPlay(true);
    EXPECT_EQ(player.State(), TMidiPlayer::StateStopped);
    EXPECT_EQ(events, std::vector<std::string>{"stop"});
    timers.FailBeginPeriod = false;
    timers.FailStartPeriodic = true;
    player.SetPlay(true);
    EXPECT_EQ(player.State(), TMidiPlayer::StateStopped);
    EXPECT_EQ(timers.OpenPeriodRequests(), 0);  // the resolution request is handed back too
}

TEST_F(MidiPlayerTest, StopsItselfAtTheEndAndReleasesNotes)
{
    EXPECT_FALSE(player.AtEnd());
    player.SetPlay(true);
    Tick(5 * 600);
    Tick(600);  // past the last record
    EXPECT_TRUE(player.AtEnd());
    EXPECT_EQ(player.State(), TMidiPlayer::StateStopped);
    EXPECT_FALSE(timers.Running());
    EXPECT_EQ(timers.OpenPeriodRequests(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"play", "stop"}));
    const std::int32_t end = player.Position();
    EXPECT_EQ(player.ResumeTick(), end);
    // Playing again at the end finds nothing left and stops on its first tick.
    player.SetPlay(true);
    EXPECT_TRUE(player.Play());
    Tick();
    EXPECT_FALSE(player.Play());
    player.Rewind();
    EXPECT_EQ(player.Position(), 0);
    EXPECT_FALSE(player.AtEnd());
}

TEST_F(MidiPlayerTest, StopReleasesSoundingNotes)
{
    player.SetPlay(true);
    Tick(8);
    device->Clear();
    player.SetPlay(false);
    EXPECT_EQ(device->MessageWords(), std::vector<std::uint32_t>{Msg(0x80, 60)});
    EXPECT_EQ(events.back(), "stop");
}

TEST_F(MidiPlayerTest, MovingBackwardsResetsControllersAndReplaysThem)
{
    player.SetPlay(true);
    Tick(4);
    Tick(6 * 150);  // past tick 100: the volume is 50 now
    device->Clear();
    player.SetPosition(50);
    EXPECT_TRUE(player.Play());
    // The changed volume is reset, then the programs are sent (a track without channel messages
    // claims program 0 on channel 0) and the messages up to tick 50 replayed without notes.
    EXPECT_EQ(device->MessageWords(), (std::vector<std::uint32_t>{Msg(0xB0, 7, 90), Msg(0xC0, 0), Msg(0xC0, 12),
                                                                  Msg(0xC0, 12), Msg(0xB0, 7, 100)}));
    EXPECT_EQ(player.Position(), 50);
    device->Clear();
    player.SetPosition(250);  // forwards: the controllers passed are sent, the notes are not
    EXPECT_EQ(device->MessageWords(), std::vector<std::uint32_t>{Msg(0xB0, 7, 50)});
}

TEST_F(MidiPlayerTest, PositionWhileStoppedIsWhereTheSongResumes)
{
    player.SetPosition(200);
    std::int32_t bar, beat, tick;
    player.GetBarBeatTick(bar, beat, tick);
    EXPECT_EQ(std::make_tuple(bar, beat, tick), std::make_tuple(0, 2, 0));
    player.SetPlay(true);
    device->Clear();
    Tick(8);
    EXPECT_EQ(device->MessageWords(), std::vector<std::uint32_t>{Msg(0x90, 62, 100)});
}

// What was tapped for a device adds to what it says, and cannot make the allowance negative.
TEST_F(MidiPlayerTest, TheLanesAllowForTheTappedOffset)
{
    device->OutputLatencyMicroseconds = 40000;
    device->TappedOffsetMicroseconds = 183000;
    player.SetPlay(true);
    EXPECT_EQ(player.HeardLatencyMicroseconds(), 223000);
    player.SetPlay(false);
    device->TappedOffsetMicroseconds = -60000;
    player.SetPlay(true);
    EXPECT_EQ(player.HeardLatencyMicroseconds(), 0);
}

// With an output latency the lanes follow the song as it is heard: the position of that long
// ago in playing time. Stopping holds it, playing on continues from it without a jump, and a
// move is followed at once. Without latency it is the position itself.
TEST_F(MidiPlayerTest, TheHeardPositionLagsTheSongByTheOutputLatency)
{
    using TPos = std::tuple<std::int32_t, std::int32_t, std::int32_t>;
    auto position = [this] {
        TPos p;
        player.GetBarBeatTick(std::get<0>(p), std::get<1>(p), std::get<2>(p));
        return p;
    };
    auto heard = [this] {
        TPos p;
        player.GetHeardBarBeatTick(std::get<0>(p), std::get<1>(p), std::get<2>(p));
        return p;
    };
    player.SetPlay(true);
    for (int i = 0; i < 20; ++i) {
        Tick();
        EXPECT_EQ(heard(), position());
    }
    player.SetPlay(false);
    player.Rewind();

    device->OutputLatencyMicroseconds = 40000;
    player.SetPlay(true);
    EXPECT_EQ(player.HeardLatencyMicroseconds(), 40000);
    std::vector<TPos> played{position()};
    for (int i = 0; i < 60; ++i) {
        Tick();
        played.push_back(position());
        // Ten ticks of 4 ms ago; before that, the start.
        EXPECT_EQ(heard(), played[std::size_t(std::max(0, i + 1 - 10))]) << "tick " << i + 1;
    }
    EXPECT_NE(played.back(), played.front());
    const TPos held = heard();
    player.SetPlay(false);
    clock.AdvanceMilliseconds(500);
    EXPECT_EQ(heard(), held);
    player.SetPlay(true);
    EXPECT_EQ(heard(), held) << "playing on starts where the lanes stood";
    Tick();
    EXPECT_EQ(heard(), played[played.size() - 10]);
    player.SetPlay(false);
    player.SetPosition(300);
    EXPECT_EQ(heard(), position()) << "a move is followed at once";
}

namespace {
// A song read from a file and routed to device 0, for the tests that bring their own player.
struct TRoutedSong {
    explicit TRoutedSong(const smf::Bytes& bytes)
    {
        song.SetFileName(dir.Write("song.mid", bytes));
        song.SetActive(true);
        outputs.SetMidiData(&song);
        outputs.SetActive(true);
    }
    smf::TempDir dir;
    TMidiData song;
    TTrackOutputs outputs;
};
}

// Every event leaves with the time the tempo map gives it, to the microsecond, however the
// timer's ticks fall, across a tempo change and at another speed: a device that places events
// in time plays the song exactly, not on the ticks' grid.
TEST(MidiPlayerTiming, StampsEveryEventWithItsTimeByTheTempoMap)
{
    smf::Track t0, t1;
    t0.Tempo(0, 500000).Tempo(192, 400000).End(200);
    const std::vector<std::uint32_t> ticks{10, 100, 191, 192, 250, 301};
    std::uint32_t at = 0;
    for (std::uint32_t t : ticks) {
        t1.Raw(t - at, {0x90, 60, 100}).Raw(0, {0x80, 60, 0});
        at = t;
    }
    t1.End(10);
    auto device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
    TRoutedSong routed(smf::File(96, {t0, t1}));
    TManualClock clock;
    TManualMidiTimerService timers;
    TMidiPlayer player(&timers, &clock);
    player.SetTrackOutputs(&routed.outputs);
    // The song's time of a tick: 500 ms a quarter up to tick 192, 400 ms after.
    auto songUs = [](std::uint32_t t) {
        return t < 192 ? double(t) * 500000.0 / 96.0 : 1e6 + double(t - 192) * 400000.0 / 96.0;
    };
    for (int percent : {100, 50}) {
        SCOPED_TRACE(percent);
        player.Rewind();
        device->Clear();
        player.SetTempoPercent(percent);
        clock.SetMicroseconds(1234567 + percent);
        const std::int64_t start = clock.NowMicroseconds();
        player.SetPlay(true);
        const std::int64_t steps[] = {3999, 4001, 4700, 2300, 7000};
        for (int i = 0; player.Play() && i < 2000; ++i) {
            clock.AdvanceMicroseconds(steps[i % 5]);
            timers.Fire();
        }
        std::vector<double> dues;
        for (const TRecordedMidiMessage& m : device->Messages())
            if ((m.Message & 0xE0) == 0x80) {
                ASSERT_NE(m.DueMicroseconds, TRecordedMidiMessage::Untimed);
                EXPECT_LE(m.DueMicroseconds, m.Microseconds) << "an event is sent once its time has come";
                dues.push_back(double(m.DueMicroseconds - start));
            }
        ASSERT_EQ(dues.size(), 2 * ticks.size());
        for (std::size_t i = 0; i < ticks.size(); ++i)
            for (int k : {0, 1})
                EXPECT_NEAR(dues[2 * i + std::size_t(k)], songUs(ticks[i]) * 100 / percent, 1.0) << "tick " << ticks[i];
    }
}

// The real timer thread, the real clock: the song plays in time and every message arrives.
TEST(MidiPlayerThreaded, PlaysOnItsOwnThreadWhileTheUiReads)
{
    auto device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
    smf::Track t0, t1;
    t0.Tempo(0, 100000).End();  // 100 ms per quarter note, 1 ms per tick at division 100
    for (int i = 0; i < 20; ++i)
        t1.Raw(i ? 5 : 0, {0x90, std::uint8_t(40 + i), 100}).Raw(5, {0x80, std::uint8_t(40 + i), 0});
    t1.End();
    TRoutedSong song(smf::File(100, {t0, t1}));
    TMidiPlayer player;
    player.SetTrackOutputs(&song.outputs);
    player.Refresh();
    const std::int64_t start = GameClock().NowMilliseconds();
    player.SetPlay(true);
    std::int32_t lastBar = 0, lastBeat = 0, lastTick = 0;
    while (player.Play() && GameClock().NowMilliseconds() - start < 5000) {
        std::int32_t bar, beat, tick;
        player.GetBarBeatTick(bar, beat, tick);
        EXPECT_LT(beat, 4);
        EXPECT_LT(tick, 100);
        EXPECT_GE(std::make_tuple(bar, beat, tick), std::make_tuple(lastBar, lastBeat, lastTick));
        std::tie(lastBar, lastBeat, lastTick) = std::tie(bar, beat, tick);
        player.SetTempoPercent(100);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(player.Play());
    const auto messages = device->Messages();
    ASSERT_EQ(messages.size(), 40u);
    EXPECT_EQ(messages.front().Message, Msg(0x90, 40, 100));
    EXPECT_EQ(messages.back().Message, Msg(0x80, 59));
    // The song clock never runs ahead of real time: the last note-off (tick 195, 1 ms per tick)
    // leaves once the song passes it, at least 196 ms after Play.
    EXPECT_GE(messages.back().Microseconds / 1000 - start, 196);
}

TEST(MidiPlayerThreaded, StopWaitsForTheRunningTick)
{
    auto device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
    smf::Track t;
    for (int i = 0; i < 2000; ++i)
        t.Raw(1, {0x90, std::uint8_t(i % 100), 100}).Raw(1, {0x80, std::uint8_t(i % 100), 0});
    t.End();
    TRoutedSong song(smf::File(1, {t}));
    TMidiPlayer player;
    player.SetTrackOutputs(&song.outputs);
    player.Refresh();
    for (int round = 0; round < 5; ++round) {
        player.SetPlay(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        player.SetPlay(false);
        const std::size_t after = device->Messages().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(device->Messages().size(), after);  // nothing arrives once Stop has returned
        EXPECT_EQ(song.outputs.Outputs(0)->Port()->NoteCount(0, 0), 0);
    }
    song.outputs.SetActive(false);
}

namespace {
// Holds the player's thread inside the send of one message until released, or for 100 ms, so
// that the user-interface thread can act while a tick is running.
class TSendGate {
public:
    void Arm(std::uint32_t message)
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
        entered_ = false;
        message_ = message;
    }
    void Pass(std::uint32_t message)
    {
        std::unique_lock lock(mutex_);
        if (!armed_ || message != message_)
            return;
        armed_ = false;
        entered_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
    void WaitUntilEntered()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool entered_ = false;
    std::uint32_t message_ = 0;
};

class TGatedDevice final : public TMidiDevice {
public:
    explicit TGatedDevice(std::shared_ptr<TSendGate> gate) : gate_(std::move(gate)) {}
    bool Open(TMidiDeviceCallback) override { return true; }
    void ShortMessage(std::uint32_t message) override { gate_->Pass(message); }
    void Reset() override {}
    void Close() override {}

private:
    std::shared_ptr<TSendGate> gate_;
};
}

// The song ends on the timer's thread while the user-interface thread changes the speed: the
// player must end up stopped, or playing with a timer that runs, never playing without one.
TEST(MidiPlayerThreaded, TheSongEndingDuringASpeedChangeLeavesNoPlayWithoutATimer)
{
    auto gate = std::make_shared<TSendGate>();
    TOverride gated = OverrideMidiDevice(0, [gate](int) { return std::make_unique<TGatedDevice>(gate); });
    smf::Track t;
    t.Raw(0, {0x90, 60, 100}).Raw(10, {0x80, 60, 0}).End();
    TRoutedSong song(smf::File(100, {t}));
    TManualClock clock;
    TManualMidiTimerService timers;
    TMidiPlayer player(&timers, &clock);
    player.SetTrackOutputs(&song.outputs);
    const struct {
        const char* name;
        std::function<void()> start, change;
    } cases[] = {
        {"fast-forwarding, then Play", [&] { player.SetFastForward(true); }, [&] { player.SetPlay(true); }},
        {"playing, then FastForward", [&] { player.SetPlay(true); }, [&] { player.SetFastForward(true); }},
    };
    for (const auto& c : cases) {
        player.Rewind();
        c.start();
        gate->Arm(Msg(0x80, 60));
        clock.AdvanceMilliseconds(10000);
        std::thread tick([&] { timers.Fire(); });  // sends the last note-off and ends the song
        gate->WaitUntilEntered();
        c.change();
        tick.join();
        EXPECT_EQ(player.State() != TMidiPlayer::StateStopped, timers.Running()) << c.name;
        player.SetPlay(false);
        player.SetFastForward(false);
    }
}

// The player stops itself at the end of the song on its timer's thread and tells OnStop there:
// a handler that plays the song again from there neither deadlocks nor ends the process.
TEST(MidiPlayerThreaded, AnOnStopHandlerMayPlayTheSongAgain)
{
    auto device = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, device);
    smf::Track t0, t1;
    t0.Tempo(0, 100000).End();  // 1 ms per tick at division 100
    t1.Raw(0, {0x90, 60, 100}).Raw(10, {0x80, 60, 0}).End();
    TRoutedSong song(smf::File(100, {t0, t1}));
    TMidiPlayer player;
    player.SetTrackOutputs(&song.outputs);
    std::atomic<int> stops{0};
    player.OnStop = [&stops](TMidiPlayer& p) {
        if (++stops == 1) {
            p.Rewind();
            p.SetPlay(true);
        }
    };
    player.SetPlay(true);
    const std::int64_t start = GameClock().NowMilliseconds();
    while (stops.load() < 2 && GameClock().NowMilliseconds() - start < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(stops.load(), 2);
    EXPECT_FALSE(player.Play());
    const auto words = device->MessageWords();
    EXPECT_EQ(std::count(words.begin(), words.end(), Msg(0x90, 60, 100)), 2) << "played twice";
}
