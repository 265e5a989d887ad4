// How long after its time a song's event is heard, and the hit sound after the judging that
// plays it: the real player, synthesizer, hit sound and sound output, recorded from the
// monitor of the sound server's default sink. Needs a running server (bench/sound.sh starts
// a private one with a null sink); without one both benchmarks say so and measure nothing.
#include "game/SoundEffect.h"
#include "midi/FluidSynthDevice.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"
#include "platform/ByteWriter.h"
#include "platform/Clock.h"
#include "sound/PulseSoundOutput.h"

#include "MonitorRecorder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using namespace bench;

// Forwards to the real synthesizer and keeps the due time of every note-on.
class TTeeDevice final : public TMidiDevice {
public:
    bool Open(TMidiDeviceCallback callback) override { return synth_.Open(std::move(callback)); }
    void ShortMessage(std::uint32_t m) override { synth_.ShortMessage(m); }
    void TimedShortMessage(std::uint32_t m, std::int64_t due) override
    {
        if ((m & 0xF0) == 0x90 && (m >> 16) != 0) {
            std::lock_guard lock(mutex);
            dues.push_back(due);
        }
        synth_.TimedShortMessage(m, due);
    }
    std::int64_t OutputLatencyMicroseconds() const override { return synth_.OutputLatencyMicroseconds(); }
    void Reset() override { synth_.Reset(); }
    void Close() override
    {
        late = synth_.LateMessages();
        synth_.Close();
    }
    static inline std::mutex mutex;
    static inline std::vector<std::int64_t> dues;
    static inline int late = 0;

private:
    TFluidSynthDevice synth_{EFluidSynthAudio::Live};
};

// Claves (a sharp attack) every 300 ms for 12 s, at division 480 and 120 beats a minute.
std::string WriteClaves(int notes)
{
    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
    auto chunk = [&file](const std::vector<std::uint8_t>& d) {
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        for (int s = 24; s >= 0; s -= 8)
            file.push_back(std::uint8_t(d.size() >> s));
        file.insert(file.end(), d.begin(), d.end());
    };
    chunk({0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x58, 4, 4, 2, 24, 8, 0, 0xFF, 0x2F, 0});
    std::vector<std::uint8_t> d;
    for (int i = 0; i < notes; ++i) {
        AppendVariableLength(d, i == 0 ? 480 : 288 - 48);
        d.insert(d.end(), {0x99, 75, 127});
        AppendVariableLength(d, 48);
        d.insert(d.end(), {0x89, 75, 0});
    }
    d.insert(d.end(), {0, 0xFF, 0x2F, 0});
    chunk(d);
    char path[] = "/tmp/grip_bench_claves_XXXXXX.mid";
    const int fd = mkstemps(path, 4);
    ::close(fd);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

bool ServerThere(benchmark::State& state)
{
    if (SharedSoundOutput().Start(2000))
        return true;
    state.SkipWithError("no sound server: run bench/sound.sh, which starts one");
    return false;
}

void BM_EventToSound(benchmark::State& state)
{
    if (!ServerThere(state))
        return;
    const int notes = 40;
    const std::string path = WriteClaves(notes);
    TOverride tee = OverrideMidiDevice(0, [](int) { return std::make_unique<TTeeDevice>(); });
    TMidiData song;
    song.SetFileName(path);
    song.SetActive(true);
    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    outputs.SetActive(true);
    TMidiPlayer player;
    player.SetTrackOutputs(&outputs);
    std::vector<double> latency, lateness, deviation;
    double lanes = 0;
    for (auto _ : state) {
        TTeeDevice::dues.clear();
        TMonitorRecorder recorder;
        if (!recorder.Start()) {
            state.SkipWithError("the monitor cannot be recorded");
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        player.Rewind();
        const std::int64_t start = NowUs();
        player.SetPlay(true);
        while (player.Play())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lanes = double(player.HeardLatencyMicroseconds()) / 1000.0;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        recorder.Stop();
        const std::vector<std::size_t> onsets = Onsets(recorder.Samples(), 150);
        std::vector<std::int64_t> dues;
        {
            std::lock_guard lock(TTeeDevice::mutex);
            dues = TTeeDevice::dues;
        }
        if (onsets.size() != dues.size() || dues.size() != std::size_t(notes)) {
            std::fprintf(stderr, "%zu onsets heard for %zu notes sent\n", onsets.size(), dues.size());
                state.SkipWithError("the recording does not hold every note");
            break;
        }
        for (std::size_t i = 0; i < dues.size(); ++i) {
            latency.push_back((recorder.CapturedUs(double(onsets[i])) - double(dues[i])) / 1000.0);
            // By the tempo map, note i lies 500 + 300 i ms into the song.
            lateness.push_back((double(dues[i] - start) - (500.0 + 300.0 * double(i)) * 1000.0) / 1000.0);
        }
    }
    const double median = At(latency, 0.5);
    for (double l : latency)
        deviation.push_back(std::fabs(l - median));
    state.counters["notes"] = double(latency.size());
    state.counters["sound_ms_median"] = median;
    state.counters["sound_ms_min"] = At(latency, 0);
    state.counters["sound_ms_max"] = At(latency, 1);
    state.counters["sound_jitter_ms_p99"] = At(deviation, 0.99);
    state.counters["lanes_offset_ms"] = lanes;
    state.counters["lanes_vs_sound_ms"] = lanes - median;
    state.counters["due_late_ms_p99"] = At(lateness, 0.99);
    state.counters["due_late_ms_min"] = At(lateness, 0);
    state.counters["synth_late_messages"] = TTeeDevice::late;
    outputs.SetActive(false);
    std::remove(path.c_str());
}
BENCHMARK(BM_EventToSound)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HitToSound(benchmark::State& state)
{
    if (!ServerThere(state))
        return;
    TSoundEffect good(std::string(GRIP_BIN_DIR) + "good.wav");
    good.Load();
    if (!good.Loaded()) {
        state.SkipWithError("no good.wav in the build");
        return;
    }
    std::vector<double> running, resting;
    for (auto _ : state) {
        TMonitorRecorder recorder;
        if (!recorder.Start()) {
            state.SkipWithError("the monitor cannot be recorded");
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        // Ten hits while the output runs (they follow each other closely), then ten after a
        // second of silence each, when the output has rested.
        std::vector<std::int64_t> played;
        for (int i = 0; i < 20; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(i < 10 ? 230 : 1000));
            played.push_back(NowUs());
            good.Play();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        recorder.Stop();
        const std::vector<std::size_t> onsets = Onsets(recorder.Samples(), 50);
        if (onsets.size() != played.size()) {
            std::fprintf(stderr, "%zu onsets heard for %zu hits\n", onsets.size(), played.size());
            state.SkipWithError("the recording does not hold every hit");
            break;
        }
        for (std::size_t i = 0; i < played.size(); ++i)
            (i < 10 ? running : resting).push_back((recorder.CapturedUs(double(onsets[i])) - double(played[i])) / 1000.0);
    }
    std::vector<double> all = running;
    all.insert(all.end(), resting.begin(), resting.end());
    state.counters["hit_ms_median_running"] = At(running, 0.5);
    state.counters["hit_ms_median_resting"] = At(resting, 0.5);
    state.counters["hit_ms_max"] = At(all, 1);
}
BENCHMARK(BM_HitToSound)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_MAIN();
