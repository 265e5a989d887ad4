#pragma once

#include "game/Extrinsic.h"

#include <cstdint>

// A hit effect: shown for two ticks of its timer, then hidden again.
class TPrecise : public TActive {
public:
    using TActive::TActive;

    // Shows and starts the timer (a running timer keeps its phase), or hides and stops it.
    void Show(bool on);
    virtual void PlaceFor(int player) = 0;

    // Timer ticks since the effect was shown.
    std::int32_t ShowCount = 0;

protected:
    // Counts one tick; the second one hides the effect.
    void CountShown();
};

class TExplode : public TPrecise {
public:
    explicit TExplode(TSprite* parent);
    void TimerTick() override;
    void PlaceFor(int player) override;
};

class TOk : public TPrecise {
public:
    explicit TOk(TSprite* parent);
    void TimerTick() override;
    void PlaceFor(int player) override;
};
