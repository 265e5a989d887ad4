// The game's per-frame judging and per-millisecond tick, as the running game does them:
// a frame in which a ball is hit at the mark (score, combo, effects, memo line and the real
// hit sound, with or without an audio device), and the tick that reads the grip ball and
// follows the song with both lanes full of balls.
#include "../tests/sprites/SpriteStage.h"
#include "game/GripGame.h"
#include "game/SoundEffect.h"
#include "hid/HidControllerClass.h"
#include "hid/simulated/HidSimulatedBus.h"
#include "platform/DataPath.h"
#include "shell/FormsOutput.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The memo as the debug form has it; the grip level goes to no edit, as nothing shows it here.
struct TJudgingScene {
    stage::TStage stage;
    QPlainTextEdit memo;
    TFormsOutput output{nullptr, &memo};
    TGripGame game{nullptr, TGameSettings{}, &output};

    TJudgingScene()
    {
        game.CreateEffects();
        TBits marks;
        for (int i = 0; i < 300; ++i)
            marks.SetBit(i * 50, true);
        game.PlayerOne->Lane->LayOut(marks);
        game.PlayerTwo->Lane->LayOut(marks);
    }
};

void HitFrame(benchmark::State& state, bool realSound)
{
    TJudgingScene scene;
    if (!realSound)
        SetHitSound([] {});
    auto* ball = new TBlueBall(LayerEngine(SlotLayerThree));
    ball->SetPosition(275, 122);
    scene.game.PlayerOneStress()->SetLevel(3);
    PrepareHitSound();
    for (auto _ : state) {
        ball->Visible = true;
        LayerEngine(SlotLayerThree)->Move(0);
        // The memo would otherwise grow for the whole run.
        if (scene.memo.blockCount() > 1000)
            scene.memo.clear();
    }
    state.counters["hits"] = scene.game.PlayerOneMarker()->Hits;
    delete ball;
    SetHitSound(nullptr);
}

void BM_HitFrameSilent(benchmark::State& state) { HitFrame(state, false); }
void BM_HitFrameWithSound(benchmark::State& state) { HitFrame(state, true); }

void BM_Tick(benchmark::State& state)
{
    auto bus = std::make_shared<THidSimulatedBus>();
    auto ball = bus->PlugGripBall();
    TJvHidDeviceController controller(nullptr, bus);
    TJvHidDevice* device = nullptr;
    controller.CheckOutByIndex(device, 0);
    TJudgingScene scene;
    scene.game.PlayerOneStress()->Device = device;
    std::int32_t position = 0;
    for (auto _ : state) {
        ball->QueueInput({0, 17, 0, 0, 0, 0, 0, 0, 0});
        scene.game.PollGrip();
        ++position;
        scene.game.SyncPosition(position / SongTicksPerBar, position % SongTicksPerBar / SongDivision, position % SongDivision);
    }
}

} // namespace

BENCHMARK(BM_HitFrameSilent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitFrameWithSound)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The build keeps the game's data files beside the game, one folder over.
    SetDataDirectory(ProgramDirectory() + "../bin/");
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
