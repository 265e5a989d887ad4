#include "game/Prizes.h"

void TPrize::SetBallImage(const char* name)
{
    SetImage(SlotImgBalls, name);
    SetZ(10);
}

TChainBall::TChainBall(TSprite* parent) : TPrize(parent) { SetBallImage("unbroken"); }

TFeces::TFeces(TSprite* parent) : TPrize(parent) { SetBallImage("stool"); }

TYellowBall::TYellowBall(TSprite* parent) : TColorBall(parent) { SetBallImage("yellow"); }

TBlueBall::TBlueBall(TSprite* parent) : TColorBall(parent) { SetBallImage("blue"); }

TRedBall::TRedBall(TSprite* parent) : TColorBall(parent) { SetBallImage("red"); }

void TPrize::Advance(std::int32_t delta, bool smallShift)
{
    if (Fading) {
        ++FadeCount;
        if (FadeCount > 10)
            Visible = false;
    }
    // Judged balls count as well, so a ball judged on several frames hides sooner.
    if (Judged)
        ++FadeCount;
    X = X + (smallShift ? delta * 0.5 : static_cast<double>(delta));
}
