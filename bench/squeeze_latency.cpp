// How soon a squeeze of the grip ball is heard as the hit sound, at the sound server's sink:
// a simulated ball squeezed while a blue ball stands in the judging window, the game's own
// tick (every 4 ms, as while a song plays) and frames (every 100 ms), the real hit sound and
// sound output, recorded from the default sink's monitor. The squeezes fall at every phase of
// the frames; the same run measures judging on the frames and judging at the moment of the
// grip. Needs a running server (bench/sound.sh starts a private one with a null sink).
#include "../tests/sprites/SpriteStage.h"
#include "game/Bits.h"
#include "game/GripGame.h"
#include "game/SoundEffect.h"
#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "sound/SoundOutput.h"

#include "MonitorRecorder.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {
using namespace bench;

constexpr int kSqueezes = 30;
constexpr int kTickMs = 4, kFrameMs = 100, kHoldMs = 150;

void SqueezeToSound(benchmark::State& state, bool precise)
{
    if (!SharedSoundOutput().Start(2000)) {
        state.SkipWithError("no sound server: run bench/sound.sh, which starts one");
        return;
    }
    TSoundEffect good(std::string(GRIP_BIN_DIR) + "good.wav");
    good.Load();
    if (!good.Loaded()) {
        state.SkipWithError("no good.wav in the build");
        return;
    }
    std::vector<std::int64_t> played;
    SetHitSound([&] {
        played.push_back(NowUs());
        good.Play();
    });
    auto bus = std::make_shared<THidSimulatedBus>();
    auto ball = bus->PlugGripBall();
    TJvHidDeviceController controller(nullptr, bus);
    TJvHidDevice* device = nullptr;
    controller.CheckOutByIndex(device, 0);
    stage::TStage stage;
    TGripGame game{nullptr, TGameSettings{}, nullptr};
    game.CreateEffects();
    game.PlayerOneStress()->Device = device;
    game.PlayerOneStress()->Easy = true;
    const TBits none;

    std::vector<double> heard, judged;
    for (auto _ : state) {
        TMonitorRecorder recorder;
        if (!recorder.Start()) {
            state.SkipWithError("the monitor cannot be recorded");
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        played.clear();
        std::vector<std::int64_t> squeezed;
        for (int i = 0; i < kSqueezes; ++i) {
            game.PlayerOne->Lane->LayOut(none);
            auto* target = new TBlueBall(LayerEngine(SlotLayerThree));
            target->SetPosition(272, 122);
            target->Ordinal = i + 1;
            game.PlayerOne->Lane->Balls.push_back(target);
            // A new layout is judged afresh.
            game.SetPreciseTiming(!precise);
            game.SetPreciseTiming(precise);
            const std::size_t before = played.size();
            // Every phase of the frames once in each tenth of the squeezes.
            const int squeezeMs = kFrameMs + (i * 37) % kFrameMs;
            const auto start = std::chrono::steady_clock::now();
            for (int ms = 0; ms < 2 * kFrameMs + kHoldMs; ms += kTickMs) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(ms));
                const bool gripping = ms >= squeezeMs && ms < squeezeMs + kHoldMs;
                if (gripping && squeezed.size() == std::size_t(i))
                    squeezed.push_back(NowUs());
                ball->QueueInput({0, std::uint8_t(gripping ? 17 : 0), 0, 0, 0, 0, 0, 0, 0});
                game.PollGrip();
                if (ms % kFrameMs == 0)
                    LayerEngine(SlotLayerThree)->Move(0);
                // One hit a squeeze: a ball credited again on the next frame would sound twice.
                if (played.size() > before)
                    target->Visible = false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
        recorder.Stop();
        const std::vector<std::size_t> onsets = Onsets(recorder.Samples(), 50);
        if (onsets.size() != played.size() || played.size() != squeezed.size()) {
            std::fprintf(stderr, "%zu onsets heard for %zu hits of %zu squeezes\n", onsets.size(), played.size(),
                         squeezed.size());
            state.SkipWithError("the recording does not hold a hit for every squeeze");
            break;
        }
        for (std::size_t i = 0; i < played.size(); ++i) {
            heard.push_back((recorder.CapturedUs(double(onsets[i])) - double(squeezed[i])) / 1000.0);
            judged.push_back(double(played[i] - squeezed[i]) / 1000.0);
        }
    }
    SetHitSound(nullptr);
    state.counters["squeezes"] = double(heard.size());
    state.counters["heard_ms_median"] = At(heard, 0.5);
    state.counters["heard_ms_p99"] = At(heard, 0.99);
    state.counters["heard_ms_max"] = At(heard, 1);
    state.counters["judged_ms_median"] = At(judged, 0.5);
    state.counters["judged_ms_max"] = At(judged, 1);
}

void BM_SqueezeToSoundOnFrames(benchmark::State& state) { SqueezeToSound(state, false); }
void BM_SqueezeToSoundPrecise(benchmark::State& state) { SqueezeToSound(state, true); }

} // namespace

BENCHMARK(BM_SqueezeToSoundOnFrames)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SqueezeToSoundPrecise)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
