#include "game/PipeLine.h"

#include "game/Bits.h"
#include "game/GameRandom.h"
#include "midi/SongPosition.h"

#include <algorithm>
#include <array>

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

TPipeLine::TPipeLine(const TGameSettings& settings) : settings_(settings)
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

std::vector<TBallPlacement> PlanLayout(const TBits& bits, const TLaneRows& rows, bool onlyBlue, bool smallShift,
                                       const TBallKinds& kinds)
{
    const std::int32_t size = bits.Size();
    const std::int32_t n = bits.Count();
    // The highest marked position never gets a ball.
    const std::int32_t room = n > 0 ? n - 1 : 0;
    std::vector<TBallPlacement> plan;
    plan.reserve(static_cast<size_t>(room));
    // The first position's ball is as far before the mark as the lead.
    double x = TRuleMark::MarkX + BallLead;
    for (std::int32_t i = 0; i + 1 < size; ++i) {
        if (bits.Bit(i) && static_cast<std::int32_t>(plan.size()) < room) {
            const std::int32_t j = static_cast<std::int32_t>(plan.size());
            // The kind is drawn for every ball, chain slots included, so the generator moves on
            // the same way whatever the options.
            const int r = KindRoll();
            TBallPlacement ball{0, x, rows.blueY, j + 1};
            const auto given = kinds.find(i);
            if (given != kinds.end()) {
                ball.Kind = onlyBlue && given->second != kStoolKind ? kBlueKind : given->second;
                if (ball.Kind == kRedKind)
                    ball.Y = rows.redY;
                else if (ball.Kind == kYellowKind)
                    ball.Y = rows.yellowY;
            } else if (!onlyBlue && kinds.empty() && IsChainSlot(j)) {
                ball.Kind = 3;
            } else {
                switch (r) {
                case 0: ball.Kind = 0; break;
                case 1:
                    if (!onlyBlue) {
                        ball.Kind = 2;
                        ball.Y = rows.redY;
                    }
                    break;
                case 2:
                    if (!onlyBlue) {
                        ball.Kind = 1;
                        ball.Y = rows.yellowY;
                    }
                    break;
                case 3: ball.Kind = 4; break;
                case 4: ball.Kind = 5; break;
                default: ball.Kind = 6; break;
                }
            }
            plan.push_back(ball);
        }
        x -= smallShift ? 0.5 : 1.0;
    }
    return plan;
}

std::int32_t LaidOutBalls(const TBits& bits)
{
    const std::int32_t n = bits.Count();
    std::int32_t below = 0;
    for (std::int32_t i : bits.SetBits())
        below += i + 1 < bits.Size() ? 1 : 0;
    return std::min(below, n > 0 ? n - 1 : 0);
}

void TPipeLine::LayOut(const TBits& bits, const TBallKinds& kinds)
{
    DestroyBalls();
    const std::vector<TBallPlacement> plan = PlanLayout(bits, Rows(), settings_.OnlyBlue, settings_.SmallShift, kinds);
    const std::int32_t n = bits.Count();
    Balls.assign(static_cast<size_t>(n > 0 ? n - 1 : 0), nullptr);
    for (size_t j = 0; j < plan.size(); ++j) {
        TPrize* ball = MakeBall(plan[j].Kind);
        ball->SetPosition(plan[j].X, plan[j].Y);
        ball->StopTimer();
        ball->Ordinal = plan[j].Ordinal;
        Balls[j] = ball;
    }
}

void TPipeLine::Advance(std::int32_t delta)
{
    const bool smallShift = settings_.SmallShift;
    for (TPrize* ball : Balls)
        if (ball)
            ball->Advance(delta, smallShift);
}

TPipeLineOne::TPipeLineOne(const TGameSettings& settings) : TPipeLine(settings)
{
    RuleImage = new TRule1P(LayerEngine(SlotLayerThree));
    BackPipe = new TBackPipeLineOne(LayerEngine(SlotLayerTwo));
    BackPipe->Visible = false;
    BackPipe->SetPosition(204, 112);
    RuleMark->PlaceFor(0);
}

TPipeLineTwo::TPipeLineTwo(const TGameSettings& settings) : TPipeLine(settings)
{
    RuleImage = new TRule2P(LayerEngine(SlotLayerThree));
    BackPipe = new TBackPipeLineTwo(LayerEngine(SlotLayerTwo));
    BackPipe->Visible = false;
    BackPipe->SetPosition(204, 212);
    RuleMark->PlaceFor(1);
}
