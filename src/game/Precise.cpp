#include "game/Precise.h"

void TPrecise::Show(bool on)
{
    Visible = on;
    if (on)
        StartTimer();
    else
        StopTimer();
}

void TPrecise::CountShown()
{
    ++ShowCount;
    if (ShowCount > 1) {
        Show(false);
        ShowCount = 0;
    }
}

TExplode::TExplode(TSprite* parent) : TPrecise(parent)
{
    SetImage(SlotImgEffect, "explode");
    SetPosition(270, 110);
    FrameCount = 2;
    FramePos = 0;
    SetPace(1);
    StopTimer();
    Visible = false;
}

void TExplode::TimerTick()
{
    TPrecise::TimerTick();
    CountShown();
    FramePos = FramePos + 1;
    if (!(FramePos < FrameCount))
        FramePos = 0;
}

void TExplode::PlaceFor(int player)
{
    if (player == 0)
        SetPosition(270, 110);
}

TOk::TOk(TSprite* parent) : TPrecise(parent)
{
    SetImage(SlotImgContext, "ok");
    SetPosition(277, 130);
    SetZ(5);
    StopTimer();
    Visible = false;
}

void TOk::TimerTick()
{
    TPrecise::TimerTick();
    CountShown();
}

void TOk::PlaceFor(int player)
{
    if (player == 0)
        SetPosition(277, 130);
}
