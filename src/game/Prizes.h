#pragma once

#include "game/Extrinsic.h"

#include <cstdint>

// Base of the balls. Its class is what the judging tests; the lane drives the rest.
class TPrize : public TActive {
public:
    using TActive::TActive;

    void MarkJudged() { Judged = true; }
    void StartFade() { Fading = true; }
    // Moves the ball right by the change of the song position (half of it with "Small
    // shift"); a fading ball hides itself after its tenth advance past the hit.
    void Advance(std::int32_t delta, bool smallShift);

    bool Fading = false;
    std::int32_t FadeCount = 0;
    bool Judged = false;
    // 1-based number in its lane's list.
    std::int32_t Ordinal = 0;

protected:
    // Every ball: its image of the balls store, drawn above the rule marks.
    void SetBallImage(const char* name);
};

class TChainBall : public TPrize {
public:
    explicit TChainBall(TSprite* parent);
};

class TFeces : public TPrize {
public:
    explicit TFeces(TSprite* parent);
};

class TColorBall : public TPrize {
public:
    using TPrize::TPrize;
};

class TYellowBall : public TColorBall {
public:
    explicit TYellowBall(TSprite* parent);
};

class TBlueBall : public TColorBall {
public:
    explicit TBlueBall(TSprite* parent);
};

class TRedBall : public TColorBall {
public:
    explicit TRedBall(TSprite* parent);
};
