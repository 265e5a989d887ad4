#include "game/Rules.h"

#include "game/Prizes.h"
#include "game/Scoring.h"
#include "game/StressValue.h"

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
        SetPosition(MarkX, 117);
    else if (player == 1)
        SetPosition(MarkX, 290);
    Visible = true;
}

void TRuleMark::SetJudging(TScoring* scoring, const TStressValue* level)
{
    scoring_ = scoring;
    level_ = level;
}

void TRuleMark::HandleCollision(TSprite* other, bool& done)
{
    TRule::HandleCollision(other, done);
    auto* ball = dynamic_cast<TPrize*>(other);
    if (!ball || !ball->Visible || !(X - 10 < ball->X && ball->X < X + 10))
        return;
    if (LeaveColours && dynamic_cast<TColorBall*>(ball))
        return;
    ball->MarkJudged();
    const std::int32_t level = level_ ? level_->Level : 0;
    // A ball is of one class only, so at most one of these holds.
    const bool hit = (level > 0 && dynamic_cast<TBlueBall*>(ball)) ||
                     (level >= 1 && level <= 2 && dynamic_cast<TYellowBall*>(ball)) ||
                     (level >= 5 && level <= 6 && dynamic_cast<TRedBall*>(ball));
    if (hit) {
        ball->StartFade();
        if (scoring_)
            scoring_->Credit();
    }
    if (scoring_)
        scoring_->Record(*ball, hit);
}

void TRuleMark::MoveSelf(int moveCount)
{
    TRule::MoveSelf(moveCount);
    CheckCollisions();
}

TRule1P::TRule1P(TSprite* parent) : TRule(parent)
{
    SetImage(SlotImgFixed, "Rule1P");
    SetPosition(TRuleMark::MarkX, 117);
}

TRule2P::TRule2P(TSprite* parent) : TRule(parent)
{
    SetImage(SlotImgFixed, "Rule2P");
    SetPosition(TRuleMark::MarkX, 290);
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
