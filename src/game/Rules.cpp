#include "game/Rules.h"

#include "game/Displays.h"
#include "game/Precise.h"
#include "game/Prizes.h"
#include "game/SoundEffect.h"
#include "shell/Globals.h"
#include "game/StressValue.h"

#include <QPlainTextEdit>

#include <cmath>

QPlainTextEdit* JudgingMemo = nullptr;

namespace {

int PlayerOneLevel() { return PlayerOneStressValue ? PlayerOneStressValue->Level : 0; }

} // namespace

TRuleMark::TRuleMark(TSprite* parent) : TRule(parent)
{
    SetImage(SlotImgFixed, "detect");
    SetZ(5);
    FrameCount = 1;
    FrameLoop = true;
    FrameSpeed = 1.0;
    FramePos = 0;
}

void TRuleMark::PlaceFor(int player)
{
    if (player == 0)
        SetPosition(275, 117);
    else if (player == 1)
        SetPosition(275, 290);
    Visible = true;
}

void TRuleMark::HandleCollision(TSprite* other, bool& done)
{
    TRule::HandleCollision(other, done);
    auto* ball = dynamic_cast<TPrize*>(other);
    if (!ball || !ball->Visible || !(X - 10 < ball->X && ball->X < X + 10))
        return;
    bool hit = false;
    ball->MarkJudged();
    bool credit = false;
    if (PlayerOneLevel() > 0 && dynamic_cast<TBlueBall*>(ball))
        credit = true;
    if (PlayerOneLevel() >= 1 && PlayerOneLevel() <= 2 && dynamic_cast<TYellowBall*>(ball))
        credit = true;
    if (PlayerOneLevel() >= 5 && PlayerOneLevel() <= 6 && dynamic_cast<TRedBall*>(ball))
        credit = true;
    if (credit) {
        ball->StartFade();
        if (SharedExplode) {
            SharedExplode->PlaceFor(0);
            SharedExplode->Show(true);
        }
        if (PlayerOneMarker) {
            PlayerOneMarker->AddScore(50);
            PlayerOneMarker->AddHit();
        }
        if (SharedOk) {
            SharedOk->PlaceFor(0);
            SharedOk->Show(true);
        }
        if (PlayerOneCombo)
            PlayerOneCombo->Increment();
        hit = true;
        PlayHitSound();
    }
    const double ordinal = ball->Ordinal;
    const double hits = PlayerOneMarker ? PlayerOneMarker->Hits : 0;
    const double p = ordinal < 100 ? hits / 100 * 100 : hits / ordinal * 100;
    // Halves go to the even neighbour, as the default rounding mode does.
    const auto r = static_cast<std::int32_t>(std::nearbyint(p));
    if (PlayerOnePercentage)
        PlayerOnePercentage->SetPercent(r);
    if (JudgingMemo)
        JudgingMemo->appendPlainText(QStringLiteral("Value :") + QString::number(r));
    if (!hit && PlayerOneCombo)
        PlayerOneCombo->Reset();
}

void TRuleMark::MoveSelf(int moveCount)
{
    TRule::MoveSelf(moveCount);
    CheckCollisions();
}

TRule1P::TRule1P(TSprite* parent) : TRule(parent)
{
    SetImage(SlotImgFixed, "Rule1P");
    SetPosition(275, 117);
}

TRule2P::TRule2P(TSprite* parent) : TRule(parent)
{
    SetImage(SlotImgFixed, "Rule2P");
    SetPosition(275, 290);
}

TBackPipeLineOne::TBackPipeLineOne(TSprite* parent) : TBackPipeLine(parent)
{
    SetImage(SlotImgFixed, "pipeback1p");
    SetPosition(204, 112);
}

TBackPipeLineTwo::TBackPipeLineTwo(TSprite* parent) : TBackPipeLine(parent)
{
    SetImage(SlotImgFixed, "pipeback2p");
    SetPosition(204, 212);
    FrameCount = 2;
}
