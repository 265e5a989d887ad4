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
