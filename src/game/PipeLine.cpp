#include "game/PipeLine.h"

#include "game/GameRandom.h"
#include "game/Synergy.h"
#include "shell/ScreenForm.h"

#include <array>

bool OnlyBlueChecked() { return ScreenForm && ScreenForm->CheckBox2->isChecked(); }

bool SmallShiftChecked() { return ScreenForm && ScreenForm->CheckBox3->isChecked(); }

namespace {

// Positions in the layout (0-based) whose ball is always a chain ball unless only blue balls
// are wanted.
constexpr std::array<int, 5> kChainSlots = {23, 29, 35, 51, 72};

int DrawSix() { return static_cast<int>(GameRandom().Draw(6)); }

// Each step gives a larger kind a further chance to fall back to a smaller one.
int KindRoll()
{
    int r = DrawSix();
    if (r > 0) {
        r = DrawSix();
        if (r == 1)
            r = DrawSix();
    }
    if (r > 1) {
        r = DrawSix();
        if (r == 2)
            r = DrawSix();
    }
    if (r > 2) {
        r = DrawSix();
        if (r == 3)
            r = DrawSix();
    }
    return r;
}

bool IsChainSlot(int j)
{
    for (int slot : kChainSlots)
        if (slot == j)
            return true;
    return false;
}

} // namespace

TPipeLine::TPipeLine()
{
    RuleMark = new TRuleMark(LayerEngine(SlotLayerThree));
    RuleMark->Visible = false;
}

TPipeLine::~TPipeLine()
{
    DestroyBalls();
    delete RuleMark;
    delete RuleImage;
    delete BackPipe;
}

void TPipeLine::DestroyBalls()
{
    for (TPrize*& ball : Balls) {
        delete ball;
        ball = nullptr;
    }
    Balls.clear();
}

TPrize* TPipeLine::MakeBall(int kind)
{
    TSprite* layer = LayerEngine(SlotLayerThree);
    TPrize* ball = nullptr;
    switch (kind) {
    case 1: ball = new TYellowBall(layer); break;
    case 2: ball = new TRedBall(layer); break;
    case 3: ball = new TChainBall(layer); break;
    case 4: ball = new TFeces(layer); break;
    default: ball = new TBlueBall(layer); break;
    }
    ball->SetZ(10);
    return ball;
}

void TPipeLine::LayOut(const TBits& bits)
{
    const std::int32_t size = bits.Size();
    const std::int32_t n = bits.Count();
    DestroyBalls();
    // The highest marked position never gets a ball.
    const std::int32_t room = n > 0 ? n - 1 : 0;
    Balls.assign(static_cast<size_t>(room), nullptr);
    const TLaneRows rows = Rows();
    std::int32_t j = 0;
    double x = 775.0;
    for (std::int32_t i = 0; i + 1 < size; ++i) {
        if (bits.Bit(i) && j < room) {
            const int r = KindRoll();
            const bool onlyBlue = OnlyBlueChecked();
            TPrize* ball = nullptr;
            double y = rows.blueY;
            if (!onlyBlue && IsChainSlot(j)) {
                ball = MakeBall(3);
            } else {
                switch (r) {
                case 0: ball = MakeBall(0); break;
                case 1:
                    if (OnlyBlueChecked()) {
                        ball = MakeBall(0);
                    } else {
                        ball = MakeBall(2);
                        y = rows.redY;
                    }
                    break;
                case 2:
                    if (OnlyBlueChecked()) {
                        ball = MakeBall(0);
                    } else {
                        ball = MakeBall(1);
                        y = rows.yellowY;
                    }
                    break;
                case 3: ball = MakeBall(4); break;
                case 4: ball = MakeBall(5); break;
                default: ball = MakeBall(6); break;
                }
            }
            ball->SetPosition(x, y);
            ball->StopTimer();
            ball->Ordinal = j + 1;
            Balls[static_cast<size_t>(j)] = ball;
            ++j;
        }
        x -= SmallShiftChecked() ? 0.5 : 1.0;
    }
}

void TPipeLine::Advance(std::int32_t delta)
{
    for (TPrize* ball : Balls)
        if (ball)
            ball->Advance(delta);
}

TPipeLineOne::TPipeLineOne()
{
    RuleImage = new TRule1P(LayerEngine(SlotLayerThree));
    BackPipe = new TBackPipeLineOne(LayerEngine(SlotLayerTwo));
    BackPipe->Visible = false;
    BackPipe->SetPosition(204, 112);
    RuleMark->PlaceFor(0);
}

TPipeLineTwo::TPipeLineTwo()
{
    RuleImage = new TRule2P(LayerEngine(SlotLayerThree));
    BackPipe = new TBackPipeLineTwo(LayerEngine(SlotLayerTwo));
    BackPipe->Visible = false;
    BackPipe->SetPosition(204, 212);
    RuleMark->PlaceFor(1);
}
