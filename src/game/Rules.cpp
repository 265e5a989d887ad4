#include "game/Rules.h"

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
