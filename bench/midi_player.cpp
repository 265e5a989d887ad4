// The player's cost per timer step, and how late events are on the real timer thread.
#include "midi/ManualMidiTimerService.h"
#include "midi/MidiData.h"
#include "midi/MidiPlayer.h"
#include "midi/RecordingMidiDevice.h"
#include "midi/TrackOutputs.h"
#include "platform/ByteWriter.h"
#include "platform/ManualClock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
class TCountingDevice final : public TMidiDevice {
public:
    bool Open(TMidiDeviceCallback) override { return true; }
    void ShortMessage(std::uint32_t m) override { sink.fetch_add(m, std::memory_order_relaxed); }
    void Reset() override {}
    void Close() override {}
    static inline std::atomic<std::uint64_t> sink{0};
};

// A song of `tracks` tracks at division 480 and 120 beats per minute, with a note pair every
// `gap` ticks per track: 1 tick is 1.04 ms of song time.
std::string WriteSong(int tracks, int notes, int gap)
{
    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, std::uint8_t(tracks + 1), 0x01, 0xE0};
    auto chunk = [&file](const std::vector<std::uint8_t>& d) {
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        for (int s = 24; s >= 0; s -= 8)
            file.push_back(std::uint8_t(d.size() >> s));
        file.insert(file.end(), d.begin(), d.end());
    };
    chunk({0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x58, 4, 4, 2, 24, 8, 0, 0xFF, 0x2F, 0});
    for (int t = 0; t < tracks; ++t) {
        std::vector<std::uint8_t> d;
        for (int i = 0; i < notes; ++i) {
            const std::uint8_t note = std::uint8_t(40 + (i + t) % 40);
            AppendVariableLength(d, i == 0 ? std::uint32_t(t) : std::uint32_t(gap / 2));
            d.insert(d.end(), {std::uint8_t(0x90 | (t & 15)), note, 90});
            AppendVariableLength(d, std::uint32_t(gap - gap / 2));
            d.insert(d.end(), {std::uint8_t(0x80 | (t & 15)), note, 0});
        }
        d.insert(d.end(), {0, 0xFF, 0x2F, 0});
        chunk(d);
    }
    char path[] = "/tmp/grip_bench_play_XXXXXX.mid";
    const int fd = mkstemps(path, 4);
    ::close(fd);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

// One 4 ms step of the player driven by a manual timer: clock arithmetic, tempo map and
// dispatch of the events passed over.
void BM_PlayerStep(benchmark::State& state)
{
    TOverride counting = OverrideMidiDevice(0, [](int) { return std::make_unique<TCountingDevice>(); });
    const std::string path = WriteSong(int(state.range(0)), 20000, 8);
    TMidiData song;
    song.SetFileName(path);
    song.SetActive(true);
    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    outputs.SetActive(true);
    TManualClock clock;
    TManualMidiTimerService timers;
    TMidiPlayer player(&timers, &clock);
    player.SetTrackOutputs(&outputs);
    player.Refresh();
    player.SetPlay(true);
    std::int64_t steps = 0;
    for (auto _ : state) {
        clock.AdvanceMilliseconds(4);
        timers.Fire();
        ++steps;
        if (!player.Play()) {
            state.PauseTiming();
            player.Rewind();
            player.SetPlay(true);
            state.ResumeTiming();
        }
    }
    state.counters["tracks"] = double(state.range(0));
    player.SetPlay(false);
    outputs.SetActive(false);
    std::remove(path.c_str());
}
BENCHMARK(BM_PlayerStep)->Arg(1)->Arg(16)->Unit(benchmark::kMicrosecond);

// Plays a 3-second song at 100 % on the real timer thread into a recording device and
// measures how late each event is against its exact time by the tempo map: by the time it
// carries (where a synthesizer that places events in time plays it), and by when it left the
// player (which a device must wait out: the synthesizer's lead covers it).
void BM_EventLateness(benchmark::State& state)
{
    auto recording = std::make_shared<TMidiRecording>();
    TOverride route = OverrideMidiDeviceWithRecording(0, recording);
    const std::string path = WriteSong(4, 300, 10);  // about 2400 events over 3.1 s
    TMidiData song;
    song.SetFileName(path);
    song.SetActive(true);
    TTrackOutputs outputs;
    outputs.SetMidiData(&song);
    outputs.SetActive(true);
    TMidiPlayer player;
    player.SetTrackOutputs(&outputs);
    std::vector<double> lateness, sent;
    for (auto _ : state) {
        player.Refresh();
        player.Rewind();
        recording->Clear();
        const std::int64_t start = GameClock().NowMicroseconds();
        player.SetPlay(true);
        while (player.Play())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // Events leave in time order, so the k-th note message sent belongs with the k-th
        // ideal time of all note records sorted; within one tick their order does not matter.
        std::vector<double> due, left;
        for (const auto& m : recording->Messages())
            if ((m.Message & 0xE0) == 0x80) {
                due.push_back(double(m.DueMicroseconds - start) / 1000.0);
                left.push_back(double(m.Microseconds - start) / 1000.0);
            }
        std::vector<double> ideals;
        TMidiPosition map;
        map.SetMidiData(&song);
        for (int t = 1; t < song.TrackCount(); ++t) {
            const TMidiTrackStream* tr = song.Tracks(t);
            for (int i = 0; i < tr->EventCount(); ++i) {
                const TMidiEvent* e = tr->Events(i);
                if ((e->Status & 0xE0) != 0x80)
                    continue;
                map.SeekTick(e->Tick);
                // The map's own milliseconds are whole; the exact time lies between them.
                ideals.push_back(map.TempoTime + double(e->Tick - map.TempoTick) * map.Tempo / map.PPQN);
            }
        }
        if (due.size() != ideals.size())
            state.SkipWithError("the recording does not hold every note");
        std::sort(due.begin(), due.end());
        std::sort(left.begin(), left.end());
        std::sort(ideals.begin(), ideals.end());
        for (std::size_t i = 0; i < std::min(due.size(), ideals.size()); ++i) {
            lateness.push_back(due[i] - ideals[i]);
            sent.push_back(left[i] - ideals[i]);
        }
    }
    auto at = [](std::vector<double> v, double q) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[std::size_t(q * double(v.size() - 1))];
    };
    std::vector<double> magnitude;
    for (double l : lateness)
        magnitude.push_back(std::fabs(l));
    state.counters["events"] = double(lateness.size());
    state.counters["late_median_ms"] = at(lateness, 0.5);
    state.counters["late_p99_ms"] = at(magnitude, 0.99);
    state.counters["late_max_ms"] = at(magnitude, 1.0);
    state.counters["sent_late_p99_ms"] = at(sent, 0.99);
    state.counters["sent_late_max_ms"] = at(sent, 1.0);
    outputs.SetActive(false);
    std::remove(path.c_str());
}
BENCHMARK(BM_EventLateness)->Iterations(1)->Unit(benchmark::kMillisecond);
}

BENCHMARK_MAIN();
