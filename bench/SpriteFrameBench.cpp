// One whole frame of the game's sprites: the skin copied into the back surface, layer Three
// moved with a count of 0 (the rule marks' collision queries over every ball), and the six
// layers drawn, with the full start-up scene and 1000 balls on layer Three.
#include "../tests/sprites/SpriteStage.h"
#include "game/Acrobatics.h"
#include "game/Displays.h"
#include "game/Precise.h"
#include "game/Prizes.h"
#include "game/Rules.h"
#include "game/Scenery.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// What both player screens and the start-up put on the layers, in the order they build it.
struct TScene {
    std::vector<std::unique_ptr<TBaseObject>> holders;
    std::vector<TSprite*> sprites;

    void Player(int player)
    {
        TSpriteEngine* two = LayerEngine(SlotLayerTwo);
        TSpriteEngine* three = LayerEngine(SlotLayerThree);
        auto* mark = new TRuleMark(three);
        mark->Visible = false;
        sprites.push_back(mark);
        if (player == 0) {
            sprites.push_back(new TRule1P(three));
            sprites.push_back(new TBackPipeLineOne(two));
            holders.push_back(std::make_unique<TAcrobaticsOne>());
        } else {
            sprites.push_back(new TRule2P(three));
            sprites.push_back(new TBackPipeLineTwo(two));
            holders.push_back(std::make_unique<TAcrobaticsTwo>());
        }
        mark->PlaceFor(player);
        auto combo = std::make_unique<TCombo>();
        auto percent = std::make_unique<TPercentag>();
        auto marker = std::make_unique<TMarker>();
        combo->PlaceFor(player);
        percent->PlaceFor(player);
        marker->PlaceFor(player);
        holders.push_back(std::move(combo));
        holders.push_back(std::move(percent));
        holders.push_back(std::move(marker));
        const TLayerSlot steps = player == 0 ? SlotLayerFive : SlotLayerFour;
        for (int i = 0; i < 6; ++i) {
            auto* step = new TStepMark(LayerEngine(steps), i);
            step->SetPosition(380, (player == 0 ? 100 : 270) + 10 * i);
            sprites.push_back(step);
        }
        if (player == 0)
            sprites.push_back(new TMeter1P(LayerEngine(SlotLayerFour)));
        else
            sprites.push_back(new TMeter2P(LayerEngine(SlotLayerFour)));
        auto* gesture = new TGesture(LayerEngine(SlotLayerFive));
        gesture->SetPosition(332, player == 0 ? 69 : 239);
        auto* lining = new TLiningGesture(LayerEngine(SlotLayerFour));
        lining->SetPosition(364, 94);
        sprites.push_back(gesture);
        sprites.push_back(lining);
        sprites.push_back(new TSunshadeLeft(LayerEngine(SlotLayerSix)));
        sprites.push_back(new TSunshadeRight(LayerEngine(SlotLayerSix)));
        if (player == 0) {
            sprites.push_back(new TSongName(LayerEngine(SlotLayerFive)));
            sprites.push_back(new TQualifiedGoal(LayerEngine(SlotLayerFive)));
        }
    }

    TScene()
    {
        Player(0);
        Player(1);
        sprites.push_back(new TExplode(LayerEngine(SlotLayerSeven)));
        sprites.push_back(new TOk(LayerEngine(SlotLayerSeven)));
        // Balls spread as a lane lays them out, both lanes, most of them off the surface.
        for (int i = 0; i < 1000; ++i) {
            TPrize* ball = i % 3 == 0 ? static_cast<TPrize*>(new TRedBall(LayerEngine(SlotLayerThree)))
                                      : static_cast<TPrize*>(new TBlueBall(LayerEngine(SlotLayerThree)));
            ball->StopTimer();
            ball->SetPosition(775 - 5 * (i / 2), i % 2 == 0 ? 122 : 292);
            sprites.push_back(ball);
        }
    }
};

void BM_SpriteFrame(benchmark::State& state)
{
    stage::TStage stage;
    auto scene = std::make_unique<TScene>();
    QImage skin(462, 363, QImage::Format_RGB32);
    skin.fill(QColor(40, 90, 160));
    for (auto _ : state) {
        stage.Surface().LoadFromGraphic(skin);
        MoveAndDrawSpriteLayers();
        benchmark::DoNotOptimize(stage.Surface().Image().constBits());
    }
    state.counters["sprites_on_layer_three"] = stage.Layer(SlotLayerThree)->Count();
    scene.reset();
}
BENCHMARK(BM_SpriteFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
