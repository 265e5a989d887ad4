#include "SmfBuilder.h"
#include "midi/AlsaMidiDevice.h"
#include "midi/FluidSynthDevice.h"
#include "midi/ManualMidiTimerService.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"
#include "platform/ManualClock.h"
#include "platform/UserFoldersOverride.h"
#include "sound/ManualSoundOutput.h"
#include "sound/TapOffsetStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {
double Rms(const std::vector<float>& samples)
{
    double sum = 0;
    for (float s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

float Peak(const std::vector<float>& samples)
{
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}
}

// The built-in synthesizer really sounds: a song played through the whole stack (reader,
// routing, player on a manual timer) is rendered offline and must not be silent.
TEST(FluidSynthDevice, RendersASongAudibly)
{
    if (FindGeneralMidiSoundFont().empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    TFluidSynthDevice* synth = nullptr;
    TOverride offline = OverrideMidiDevice(0, [&synth](int) {
        auto d = std::make_unique<TFluidSynthDevice>(EFluidSynthAudio::Offline);
        synth = d.get();
        return d;
    });
    smf::TempDir dir;
    smf::Track t0, t1;
    t0.Tempo(0, 500000).End();
    t1.Raw(0, {0xC0, 0}).Raw(0, {0x90, 60, 110}).Raw(0, {0x90, 64, 110}).Raw(192, {0x80, 60, 0}).Raw(0, {0x80, 64, 0}).End(96);
    TMidiData song;
    song.SetFileName(dir.Write("chord.mid", smf::File(96, {t0, t1})));
    song.SetActive(true);
    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    outputs.SetActive(true);
    ASSERT_NE(synth, nullptr);
    EXPECT_FALSE(synth->SoundFontPath().empty());

    TManualClock clock;
    TManualMidiTimerService timers;
    TMidiPlayer player(&timers, &clock);
    player.SetTrackOutputs(&outputs);
    player.Refresh();
    player.SetPlay(true);
    std::vector<float> left, right, all;
    std::vector<float> silentTail;
    const int framesPerTick = TFluidSynthDevice::SampleRate * 4 / 1000;
    int ticks = 0;
    while (player.Play() && ticks < 1000) {
        clock.AdvanceMilliseconds(4);
        timers.Fire();
        synth->Render(left, right, framesPerTick);
        all.insert(all.end(), left.begin(), left.end());
        ++ticks;
    }
    EXPECT_FALSE(player.Play());
    EXPECT_GT(ticks, 350);  // 1.5 s of song at 4 ms per tick
    // A chord at the synthesizer's default gain: clearly above the noise floor of silence (0).
    EXPECT_GT(Rms(all), 0.002);
    EXPECT_GT(Peak(all), 0.02);
    std::printf("rendered %zu frames, rms %.4f, peak %.4f\n", all.size(), Rms(all), double(Peak(all)));
    // After the end (all notes released) the sound dies away.
    for (int i = 0; i < 500; ++i) {
        synth->Render(left, right, framesPerTick);
    }
    EXPECT_LT(Peak(left), 0.001);
    outputs.SetActive(false);
}

// This machine may have no audio output at all: the synthesizer must still open, accept
// messages and say so once.
TEST(FluidSynthDevice, OpensWithOrWithoutAudioOutput)
{
    TFluidSynthDevice live(EFluidSynthAudio::Live);
    testing::internal::CaptureStderr();
    const bool opened = live.Open(nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(opened);
    if (live.AudioDriverName().empty()) {
        EXPECT_EQ(err, "Warning: no audio output could be opened (tried pulseaudio, pipewire, alsa); "
                       "the synthesizer runs silent\n");
    } else {
        EXPECT_EQ(err, "");
    }
    live.ShortMessage(0x643C90);
    if (live.AudioDriverName().empty()) {
        // Nothing renders a silent synthesizer, so every note would stay allocated: a long
        // song must not run it out of voices (and fill the terminal with its complaints).
        testing::internal::CaptureStderr();
        for (int i = 0; i < 2000; ++i)
            live.ShortMessage(0x640090u | ((36u + i % 60u) << 8) | (i % 9u));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    live.Reset();
    live.Close();
    live.Close();
}

namespace {
// Where a note first sounds in what the output pulls from heardUs on, as a time.
std::int64_t FirstSoundUs(TManualSoundOutput& output, std::int64_t heardUs, int frames)
{
    const std::vector<float> mix = output.Pull(frames, heardUs);
    for (std::size_t i = 0; i < mix.size(); ++i)
        if (std::fabs(mix[i]) > 1e-6f)
            return heardUs + std::int64_t(i / 2) * 1000000 / TSoundOutput::SampleRate;
    return -1;
}
}

// Live on an output, the synthesizer plays a timed message on the block nearest its time plus
// its latency, wherever that falls in a block; one that comes too late plays at once and is
// counted; while the output is away notes are dropped, so none hangs on when it is back.
TEST(FluidSynthDevice, TimedMessagesTakeEffectOnTheBlockNearestTheirTime)
{
    if (FindGeneralMidiSoundFont().empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const std::int64_t blockUs = std::int64_t(TSoundOutput::BlockFrames) * 1000000 / TSoundOutput::SampleRate;
    for (double phase : {0.0, 0.3, 0.6, 0.95}) {
        SCOPED_TRACE(phase);
        TManualSoundOutput output(20000);
        TFluidSynthDevice synth(EFluidSynthAudio::Live, &output);
        ASSERT_TRUE(synth.Open(nullptr));
        const std::int64_t latency = synth.OutputLatencyMicroseconds();
        EXPECT_EQ(latency, TFluidSynthDevice::LeadUs + 20000);
        // The pull starts 20 blocks before the note is due to be heard, at this phase of a block.
        const std::int64_t due = 5000000;
        const std::int64_t from = due + latency - 20 * blockUs - std::int64_t(phase * double(blockUs));
        synth.TimedShortMessage(0x7F3C90, due);
        EXPECT_GE(output.Wakes(), 1);
        const std::int64_t heard = FirstSoundUs(output, from, 64 * 40);
        ASSERT_GE(heard, 0);
        EXPECT_LE(std::abs(heard - (due + latency)), blockUs / 2 + 25) << "heard " << heard - due << " us after its time";
        EXPECT_EQ(synth.LateMessages(), 0);
        // Its time long gone by the time it comes: at once, and counted.
        synth.TimedShortMessage(0x7F4090, due - 100000);
        output.Pull(64, from + std::int64_t(64 * 40) * 1000000 / TSoundOutput::SampleRate);
        EXPECT_EQ(synth.LateMessages(), 1);
        synth.Close();
    }

    TManualSoundOutput output(20000);
    TFluidSynthDevice synth(EFluidSynthAudio::Live, &output);
    ASSERT_TRUE(synth.Open(nullptr));
    output.SetConnected(false);
    synth.TimedShortMessage(0x7F3C90, 0);
    output.SetConnected(true);
    bool audible = true;
    for (int i = 0; i < 20; ++i)
        output.Pull(1024, 100000 + i * 23000, &audible);
    EXPECT_FALSE(audible) << "a note started while the server was away sounds when it is back";
    EXPECT_FALSE(output.AnyPending());
    synth.Close();
}

TEST(AlsaMidiDevice, EnumeratesAndFailsCleanlyWithoutPorts)
{
    const auto ports = EnumerateAlsaOutputPorts();
    for (const auto& p : ports)
        EXPECT_FALSE(p.Name.empty());
    // A number beyond the listed ports cannot open; the routing layer turns that into its message.
    TAlsaMidiDevice beyond(int(ports.size()) + 1);
    EXPECT_FALSE(beyond.Open(nullptr));
    beyond.ShortMessage(0x643C90);  // harmless when closed
    TMidiOutputPort port;
    port.SetPortId(int(ports.size()) + 1);
    try {
        port.SetActive(true);
        ADD_FAILURE();
    } catch (const EMidiOutputPort& e) {
        EXPECT_STREQ(e.what(), "Unable to open port");
    }
}

// An untimed message is due when it is sent, on the game's clock: a test's clock moves it.
TEST(FluidSynthDevice, AMessageSentNowIsHeardOnTheGamesClock)
{
    if (FindGeneralMidiSoundFont().empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    TManualClock clock;
    clock.SetMicroseconds(7'000'000);
    const TOverride swapped = OverrideGameClock(clock);
    TManualSoundOutput output(20000);
    TFluidSynthDevice synth(EFluidSynthAudio::Live, &output);
    ASSERT_TRUE(synth.Open(nullptr));
    synth.ShortMessage(0x7F3C90);
    const std::int64_t due = 7'000'000 + synth.OutputLatencyMicroseconds();
    const std::int64_t blockUs = std::int64_t(TSoundOutput::BlockFrames) * 1000000 / TSoundOutput::SampleRate;
    const std::int64_t heard = FirstSoundUs(output, due - 10 * blockUs, 64 * 20);
    ASSERT_GE(heard, 0);
    EXPECT_LE(std::abs(heard - due), blockUs / 2 + 25);
    synth.Close();
}

// The offset tapped for one device is the synthesizer's only while it sounds through that
// device; what the output says is left as it is, and an untapped device adds nothing.
TEST(FluidSynthDevice, TheTappedOffsetIsTheSoundDevicesOwn)
{
    if (FindGeneralMidiSoundFont().empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QTemporaryDir user;
    const TOverride folders = OverrideUserFolders(user.path());
    StoreTapOffsetUs("sink.a", 183'400);
    StoreTapOffsetUs("default", -12'000);
    for (const auto& [device, tapped] : {std::pair{"sink.a", 183'000}, std::pair{"sink.b", 0}, std::pair{"", -12'000}}) {
        SCOPED_TRACE(device);
        TManualSoundOutput output(20000);
        output.Device = device;
        TFluidSynthDevice synth(EFluidSynthAudio::Live, &output);
        ASSERT_TRUE(synth.Open(nullptr));
        EXPECT_EQ(synth.TappedOffsetMicroseconds(), tapped);
        EXPECT_EQ(synth.OutputLatencyMicroseconds(), TFluidSynthDevice::LeadUs + 20000);
        synth.Close();
    }
}
